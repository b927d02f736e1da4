// The options that may stand before the mask.
#ifndef TRAMLUNE_APP_OPTIONS_H_
#define TRAMLUNE_APP_OPTIONS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "script/script_kind.h"

/// What a command line asks the tool to do.
struct Options {
  enum class Action {
    kScript,   // write the script of the mask
    kUsage,    // no mask: write the usage text and fail
    kHelp,     // --help or /?
    kVersion,  // --version
  };
  Action action = Action::kUsage;
  ScriptKind kind = ScriptKind::kBatch;  // --sh: ScriptKind::kShell
  /// With kScript: the index of the mask in the arguments; the prefix and
  /// the suffix follow it.
  size_t mask_index = 0;
};

/// Reads the options at the front of args: "--sh", "--help" or "/?",
/// "--version", and "--", which ends them. The first other argument is the
/// mask, whatever it begins with, and so is the argument after "--";
/// nothing after the mask is an option. "--help" and "--version" act at
/// once: the arguments after them are not read.
Options ParseOptions(const std::vector<std::string>& args);

#endif  // TRAMLUNE_APP_OPTIONS_H_
