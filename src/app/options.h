// The options that may stand before the mask.
#ifndef TRAMLUNE_APP_OPTIONS_H_
#define TRAMLUNE_APP_OPTIONS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "matching/grouping_options.h"
#include "script/command_template.h"
#include "script/script_kind.h"

/// The naming rules by which files are grouped.
enum class Naming {
  kGoodTools,  // titles up to the first "[" tag; "[!]" heads its group
  kNoIntro,    // titles up to the first " ("; the parent by preference
};

/// What a command line asks the tool to do.
struct Options {
  enum class Action {
    kScript,      // write the script of the mask
    kUsage,       // no mask: write the usage text and fail
    kHelp,        // --help or /?
    kVersion,     // --version
    kUsageError,  // a command line the tool refuses: error says why
  };
  Action action = Action::kUsage;
  ScriptKind kind = ScriptKind::kBatch;  // --sh: ScriptKind::kShell
  Naming naming = Naming::kGoodTools;    // --naming
  /// --regions and --singles: what the grouping is told.
  GroupingOptions grouping;
  /// --template: the prefix and the suffix are read into line.
  bool use_template = false;
  LineTemplate line;
  /// With kScript: the index of the mask in the arguments; the prefix and
  /// the suffix follow it.
  size_t mask_index = 0;
  /// With kUsageError: what is wrong and what to write instead, one line
  /// without "tramlune: " and without its end.
  std::string error;
};

/// Whether arg is one of the options that may stand before the mask.
bool IsOption(std::string_view arg);

/// Reads the options at the front of args: "--sh", "--naming NAME",
/// "--regions LIST" (also "--naming=NAME", "--regions=LIST"), "--template",
/// "--singles", "--help" or "/?", "--version", and "--", which ends them.
/// The first other argument is the mask, whatever it begins with, and so is
/// the argument after "--"; nothing after the mask is an option. "--help"
/// and "--version" act at once: the arguments after them are not read.
/// kUsageError: a mistake in an option's value; an unknown "--word" once
/// one of --naming, --regions, --template or --singles stands; a prefix or
/// suffix that is no good template; a sh script or a template whose command
/// prefix names no command (blanks, redirections and assignments only).
Options ParseOptions(const std::vector<std::string>& args);

#endif  // TRAMLUNE_APP_OPTIONS_H_
