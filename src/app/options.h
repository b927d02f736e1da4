// The options that may stand before the mask, and what a command line asks.
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
  kDat,        // the families of the DAT of --dat; the parent by preference
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
  Naming naming = Naming::kGoodTools;    // --naming, or --dat
  /// Whether --naming was written.
  bool naming_given = false;
  /// --dat: the DAT's path, a view into the arguments; empty without it.
  std::string_view dat;
  /// --regions and --singles: what the grouping is told.
  GroupingOptions grouping;
  /// --template: the prefix and the suffix are read into line.
  bool use_template = false;
  LineTemplate line;
  /// With kScript: the mask, and the command prefix and suffix that follow
  /// it (empty when not given), views into the arguments; mask_index is the
  /// mask's place among them.
  std::string_view mask, prefix, suffix;
  size_t mask_index = 0;
  /// With kUsageError: what is wrong and what to write instead, one line
  /// without "tramlune: " and without its end.
  std::string error;
};

/// Whether arg is one of the options that may stand before the mask, in
/// any of its spellings ("--regions=Japan" too).
bool IsOption(std::string_view arg);

/// Reads the options at the front of args (see the table in options.cc and
/// OptionsHelpLines), then the mask, the prefix and the suffix. "--" ends
/// the options: the argument after it is the mask, whatever it begins with,
/// and so is the first argument that is no option; nothing after the mask
/// is an option. "--help" and "--version" act at once: the arguments after
/// them are not read. kUsageError: a mistake in an option's value; an
/// unknown "--word" once an option that makes the line strict stands; a
/// prefix or suffix that is no good template; a sh script or a template
/// whose command prefix names no command (blanks, redirections and
/// assignments only). args must outlive the result, which views into them.
Options ParseOptions(const std::vector<std::string>& args);

/// The lines of --help that follow the usage text: every option, then
/// examples.
std::vector<std::string_view> OptionsHelpLines();

#endif  // TRAMLUNE_APP_OPTIONS_H_
