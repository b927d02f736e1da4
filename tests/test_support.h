// What many tests share: the script's first lines, standard output as the
// program sets it up, a sorted list of names, the options of a plain run.
#ifndef TRAMLUNE_TESTS_TEST_SUPPORT_H_
#define TRAMLUNE_TESTS_TEST_SUPPORT_H_

#include <string>
#include <string_view>
#include <vector>

#include "app/failure_stop.h"
#include "app/options.h"
#include "app/output_buffer.h"
#include "matching/file_list.h"

class Platform;

/// The banner that every batch script and usage text begins with.
inline const std::string kBanner =
    "@rem    " + std::string(67, '_') + "\r\n"
    "@rem\r\n"
    "@rem    Tramlune v0.05" + std::string(36, ' ') + "Ruvok, 2002/12/10\r\n"
    "@rem    " + std::string(67, '_') + "\r\n"
    "\r\n";

/// What every batch script begins with.
inline const std::string kScriptStart = kBanner + "@echo off\r\n";

/// Standard output as the program sets it up: the output buffer and the
/// failure stop that writes it out first.
struct ProgramOutput {
  explicit ProgramOutput(Platform& platform)
      : stop(platform), buffer(platform, stop) {}
  FailureStop stop;
  OutputBuffer buffer;
};

/// Appends names to list in this order, then sorts it.
inline void AppendSorted(FileList& list, const std::vector<std::string>& names) {
  for (const std::string& name : names)
    list.Append(name);
  list.Sort();
}

/// The options of a run without options on mask, with prefix and suffix.
inline Options MaskOptions(std::string_view mask, std::string_view prefix = "",
                           std::string_view suffix = "") {
  Options options;
  options.action = Options::Action::kScript;
  options.mask = mask;
  options.prefix = prefix;
  options.suffix = suffix;
  return options;
}

#endif  // TRAMLUNE_TESTS_TEST_SUPPORT_H_
