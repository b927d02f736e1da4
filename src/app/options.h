// The options that may stand before the mask.
#ifndef TRAMLUNE_APP_OPTIONS_H_
#define TRAMLUNE_APP_OPTIONS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "script/command_template.h"
#include "script/script_kind.h"

/// What a command line asks the tool to do.
struct Options {
  enum class Action {
    kScript,      // write the script of the mask
    kUsage,       // no mask: write the usage text and fail
    kHelp,        // --help or /?
    kVersion,     // --version
    kUsageError,  // a wrong option or template: error says what is wrong
  };
  Action action = Action::kUsage;
  ScriptKind kind = ScriptKind::kBatch;  // --sh: ScriptKind::kShell
  /// With kScript: the index of the mask in the arguments; the prefix and
  /// the suffix follow it.
  size_t mask_index = 0;
  /// --template: the prefix and the suffix are read into line.
  bool use_template = false;
  LineTemplate line;
  /// --singles: every listed file stands in exactly one line.
  bool singles = false;
  /// With kUsageError: the message, without "tramlune: " and line end.
  std::string error;
};

/// Reads the options at the front of args: "--sh", "--template",
/// "--singles", "--help" or "/?", "--version", and "--", which ends them.
/// The first other argument is the mask, whatever it begins with, and so
/// is the argument after "--"; nothing after the mask is an option. Once
/// "--template" or "--singles" stands, an unknown argument that begins with
/// "--" is a usage error, and so is a prefix or suffix that is no good
/// template. "--help" and "--version" act at once: the arguments after them
/// are not read.
Options ParseOptions(const std::vector<std::string>& args);

#endif  // TRAMLUNE_APP_OPTIONS_H_
