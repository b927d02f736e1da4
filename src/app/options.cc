#include "app/options.h"

#include <algorithm>
#include <string_view>

#include "app/reports.h"
#include "matching/no_intro_names.h"

namespace {

// Every option of the tool, as it is written before the mask. A new option
// goes here too, so that one written after the mask is reported.
constexpr std::string_view kOptionWords[] = {
    "--sh",   "--naming", "--regions", "--template", "--singles",
    "--help", "/?",       "--version", "--",
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether word is a sh redirection: digits, then "<" or ">". *bare: the
// operator alone, whose target is the next word.
bool IsRedirection(std::string_view word, bool* bare) {
  size_t i = 0;
  while (i < word.size() && word[i] >= '0' && word[i] <= '9')
    ++i;
  if (i == word.size() || (word[i] != '<' && word[i] != '>'))
    return false;
  size_t end = word.find_first_not_of("<>&|", i);
  *bare = end == std::string_view::npos;
  return true;
}

// Whether word is a sh assignment: a name, then "=".
bool IsAssignment(std::string_view word) {
  size_t eq = word.find('=');
  if (eq == 0 || eq == std::string_view::npos)
    return false;
  for (size_t i = 0; i < eq; ++i) {
    char c = word[i];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9'))
      return false;
  }
  return true;
}

// Whether a sh line that starts with prefix runs a command of the prefix's
// rather than the first file: some word of it is no redirection, no target
// of one and no assignment. Quotes are not read: a quoted word counts as a
// command, which it is unless it is an assignment or a redirection's target.
bool NamesACommand(std::string_view prefix) {
  bool target_next = false;
  size_t i = 0;
  while (i < prefix.size()) {
    if (IsBlank(prefix[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < prefix.size() && !IsBlank(prefix[end]))
      ++end;
    std::string_view word = prefix.substr(i, end - i);
    i = end;
    bool bare = false;
    if (target_next)
      target_next = false;
    else if (IsRedirection(word, &bare))
      target_next = bare;
    else if (!IsAssignment(word))
      return true;
  }
  return false;
}

// An option that takes a value: "--name VALUE" or "--name=VALUE". Returns
// whether args[i] is that option; then value is set and i stands on the
// last argument read, or error tells what is missing.
bool ValueOption(const std::vector<std::string>& args, size_t& i,
                 std::string_view name, std::string& value,
                 std::string& error) {
  std::string_view arg = args[i];
  if (arg.substr(0, name.size()) != name)
    return false;
  if (arg.size() == name.size()) {
    if (i + 1 == args.size()) {
      error = std::string(name) + " needs a value: write " +
              std::string(name) + " VALUE before the mask";
      return true;
    }
    value = args[++i];
    return true;
  }
  if (arg[name.size()] != '=')
    return false;
  value = arg.substr(name.size() + 1);
  return true;
}

Options UsageError(std::string error) {
  Options options;
  options.action = Options::Action::kUsageError;
  options.error = std::move(error);
  return options;
}

}  // namespace

bool IsOption(std::string_view arg) {
  for (std::string_view valued : {"--naming=", "--regions="})
    if (arg.substr(0, valued.size()) == valued)
      return true;
  return std::find(std::begin(kOptionWords), std::end(kOptionWords), arg) !=
         std::end(kOptionWords);
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  std::string naming, regions, error;
  bool regions_given = false;
  // Once an option of these stands, an unknown "--word" is a mistake; before
  // them, such an argument has always been the mask.
  bool strict = false;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "/?") {
      options.action = Options::Action::kHelp;
      return options;
    }
    if (arg == "--version") {
      options.action = Options::Action::kVersion;
      return options;
    }
    if (arg == "--sh") {
      options.kind = ScriptKind::kShell;
      continue;
    }
    if (arg == "--template") {
      options.use_template = strict = true;
      continue;
    }
    if (arg == "--singles") {
      options.grouping.singles = strict = true;
      continue;
    }
    if (ValueOption(args, i, "--naming", naming, error)) {
      strict = true;
      if (!error.empty())
        return UsageError(error);
      if (naming == "goodtools") {
        options.naming = Naming::kGoodTools;
      } else if (naming == "no-intro") {
        options.naming = Naming::kNoIntro;
      } else {
        return UsageError("unknown naming \"" + naming +
                          "\": write --naming goodtools or --naming no-intro");
      }
      continue;
    }
    if (ValueOption(args, i, "--regions", regions, error)) {
      strict = true;
      if (!error.empty())
        return UsageError(error);
      if (!ParseRegionList(regions, &options.grouping.regions))
        return UsageError("--regions takes a list of regions parted by "
                          "commas, none empty: write, for example, "
                          "--regions Europe,USA,World");
      regions_given = true;
      continue;
    }
    if (strict && arg.size() > 2 && arg.compare(0, 2, "--") == 0)
      return UsageError("unknown option \"" + arg +
                        "\": the options are --sh, --naming, --regions, "
                        "--template, --singles, --help and --version; write "
                        "-- before a mask that begins with -");
    break;
  }
  if (regions_given && options.naming != Naming::kNoIntro)
    return UsageError("--regions orders the regions of --naming no-intro: "
                      "write --naming no-intro before it, or leave it out");
  if (options.naming == Naming::kNoIntro && !regions_given)
    ParseRegionList(kDefaultNoIntroRegions, &options.grouping.regions);
  if (i >= args.size())
    return options;
  options.action = Options::Action::kScript;
  options.mask_index = i;
  std::string_view prefix, suffix;
  if (i + 1 < args.size())
    prefix = args[i + 1];
  if (i + 2 < args.size())
    suffix = args[i + 2];
  if (options.use_template) {
    options.error =
        ParseLineTemplate(prefix, suffix, options.kind, options.line);
    if (!options.error.empty()) {
      options.action = Options::Action::kUsageError;
      return options;
    }
  }
  // The words that open the line: the prefix; with a template that places
  // the files itself, the suffix follows the prefix at once.
  std::string opening(prefix);
  if (options.use_template && options.line.places_files)
    opening.append(" ").append(suffix);
  if ((options.kind == ScriptKind::kShell || options.use_template) &&
      !NamesACommand(opening)) {
    // The script would run each line's first file as a program.
    options.action = Options::Action::kUsageError;
    options.error = options.kind == ScriptKind::kShell ? kShellNeedsCommand
                                                       : kTemplateNeedsCommand;
  }
  return options;
}
