#include "app/options.h"

#include <string_view>

#include "app/reports.h"
#include "base/blanks.h"
#include "matching/dat_file.h"
#include "matching/no_intro_names.h"
#include "matching/no_intro_regions.h"

namespace {

// What reading an option does to the rest of the command line.
enum class Then {
  kReadOn,      // the next argument may be an option too
  kEndOptions,  // "--": the next argument is the mask
  kAnswer,      // --help, --version: the arguments after it are not read
};

// One option of the tool: every place that knows of options reads this.
struct OptionRow {
  std::string_view word;   // as written before the mask
  std::string_view alias;  // another spelling, or empty
  bool takes_value;        // "WORD VALUE" or "WORD=VALUE"
  // Whether, once it stands, an unknown "--word" before the mask is a
  // mistake rather than the mask.
  bool strict;
  Then then;
  // Its lines in --help, LF between them.
  std::string_view help;
  // Sets what the option sets from its value (empty when it takes none);
  // returns a usage error's message, or nothing.
  std::string (*set)(Options& options, std::string_view value);
};

constexpr OptionRow kOptionTable[] = {
    {"--sh", "", false, true, Then::kReadOn,
     "   --sh        write a POSIX sh script (sh, bash, WSL, Git Bash) instead\n"
     "               of a batch file: paths in single quotes, lines ended by LF",
     [](Options& o, std::string_view) {
       o.kind = ScriptKind::kShell;
       return std::string();
     }},
    {"--naming", "", true, true, Then::kReadOn,
     "   --naming goodtools\n"
     "               group GoodTools names (the default): 'Game (U) [a1].v64'\n"
     "               joins 'Game (U) [!].v64', which heads it\n"
     "   --naming no-intro\n"
     "               group No-Intro and Redump names: files whose titles, the\n"
     "               names before their first \" (\", and tags of no known\n"
     "               kind (publishers, subtitles) are equal; the parent is the\n"
     "               good dump, a release, of the first region listed in\n"
     "               --regions, the newest revision",
     [](Options& o, std::string_view value) {
       if (value == "goodtools")
         o.naming = Naming::kGoodTools;
       else if (value == "no-intro")
         o.naming = Naming::kNoIntro;
       else
         return "unknown naming \"" + std::string(value) +
                "\": write --naming goodtools or --naming no-intro";
       o.naming_given = true;
       return std::string();
     }},
    {"--regions", "", true, true, Then::kReadOn,
     "   --regions LIST\n"
     "               the region order of --naming no-intro and --dat, most\n"
     "               wanted first (default USA,World,Europe,Japan)",
     [](Options& o, std::string_view value) {
       if (!ParseRegionList(value, &o.grouping.regions))
         return std::string(
             "--regions takes a list of regions parted by commas, none "
             "empty: write, for example, --regions Europe,USA,World");
       for (const std::string& region : o.grouping.regions)
         if (!IsNoIntroRegion(region))
           return UnknownRegionMessage(region);
       return std::string();
     }},
    {"--dat", "", true, true, Then::kReadOn,
     "   --dat FILE  group by the families of FILE, the set's XML DAT (No-Intro,\n"
     "               Redump, MAME): a file is a game's when the DAT names it,\n"
     "               or the game's name is its name without the extension\n"
     "               ('Game (USA).zip'); the parent is chosen as by --naming\n"
     "               no-intro, of the family's games; files not in the DAT are\n"
     "               named on standard error",
     [](Options& o, std::string_view value) {
       if (value.empty())
         return std::string(kDatNeedsFile);
       o.dat = value;
       return std::string();
     }},
    {"--template", "", false, true, Then::kReadOn,
     "   --template  the prefix and the suffix are templates; each word that\n"
     "               holds a placeholder is one argument, quoted by tramlune:\n"
     "                 {}        the group's files, parent first (a word alone)\n"
     "                 {parent}  the parent's path\n"
     "                 {clones}  the clones (a word alone)\n"
     "                 {title}   the group's title: \"Game (U)\" of\n"
     "                           \"Game (U) [!].v64\"; with --naming\n"
     "                           no-intro \"Game\" of \"Game (USA).z64\";\n"
     "                           no two lines share one\n"
     "                 {dir}     the mask's directory part, as written\n"
     "                 {{ }}     a brace\n"
     "               without {}, {parent} or {clones} the files stand between\n"
     "               prefix and suffix; a line whose filled-in word names a\n"
     "               listed file is left out and reported",
     [](Options& o, std::string_view) {
       o.use_template = true;
       return std::string();
     }},
    {"--singles", "", false, true, Then::kReadOn,
     "   --singles   every file in exactly one line: a file with no clone\n"
     "               gets a line of its own, a clone never heads a line",
     [](Options& o, std::string_view) {
       o.grouping.singles = true;
       return std::string();
     }},
    {"--help", "/?", false, false, Then::kAnswer,
     "   --help, /?  write this text",
     [](Options& o, std::string_view) {
       o.action = Options::Action::kHelp;
       return std::string();
     }},
    {"--version", "", false, false, Then::kAnswer,
     "   --version   write the version",
     [](Options& o, std::string_view) {
       o.action = Options::Action::kVersion;
       return std::string();
     }},
    {"--", "", false, false, Then::kEndOptions,
     "   --          end the options: the next argument is the mask",
     [](Options&, std::string_view) { return std::string(); }},
};

// Follows the options in --help.
constexpr std::string_view kHelpExamples[] = {
    "",
    "Examples, one archive per group, named by its title. Run them in the",
    "folder of the files, so that the archives hold the bare names; each",
    "adds to the archive it finds, so a second run after new files is safe:",
    "   tramlune --template --singles \"*.v64\" \"7z a -sdel {title}.7z\" >go.bat",
    "   tramlune --sh --template --singles '*.v64' 'zip -m {title}.zip' >go.sh",
    "   tramlune --sh --template --singles '*.v64' \\",
    "       'tar -rf {title}.tar --remove-files {}' >go.sh",
    "A checker whose log every line adds to (\">>\"; \">\" would empty it):",
    "   tramlune \"*.v64\" \"plexo create -test\" \">>error.log\" >go.bat",
};

// The row that arg spells, or nullptr; *value is set to the text after "="
// of a "--word=VALUE" spelling, and *joined tells that spelling apart.
const OptionRow* FindOption(std::string_view arg, std::string_view* value,
                            bool* joined) {
  for (const OptionRow& row : kOptionTable) {
    *joined = false;
    if (arg == row.word || (!row.alias.empty() && arg == row.alias))
      return &row;
    if (row.takes_value && arg.size() > row.word.size() &&
        arg.substr(0, row.word.size()) == row.word &&
        arg[row.word.size()] == '=') {
      *value = arg.substr(row.word.size() + 1);
      *joined = true;
      return &row;
    }
  }
  return nullptr;
}

// The options as the unknown-option message lists them: "--a, --b and --c".
std::string OptionList() {
  std::vector<std::string_view> words;
  for (const OptionRow& row : kOptionTable)
    if (row.then != Then::kEndOptions)
      words.push_back(row.word);
  std::string list;
  for (size_t k = 0; k < words.size(); ++k) {
    if (k > 0)
      list += k + 1 == words.size() ? " and " : ", ";
    list += words[k];
  }
  return list;
}

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

Options UsageError(std::string error) {
  Options options;
  options.action = Options::Action::kUsageError;
  options.error = std::move(error);
  return options;
}

// Reads the options at the front of args into options; returns the index of
// the first argument after them, or args.size() when --help or --version
// answers. A usage error sets options.action and options.error. *strict
// tells whether an option that makes the command line strict stood.
size_t ReadOptions(const std::vector<std::string>& args, Options& options,
                   bool* strict) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view value;
    bool joined;
    const OptionRow* row = FindOption(args[i], &value, &joined);
    if (!row) {
      if (*strict && args[i].size() > 2 && args[i].compare(0, 2, "--") == 0)
        options = UsageError(UnknownOptionMessage(args[i], OptionList()));
      return i;
    }
    if (row->takes_value && !joined) {
      if (i + 1 == args.size()) {
        options = UsageError(NeedsValueMessage(row->word));
        return i;
      }
      value = args[++i];
    }
    *strict = *strict || row->strict;
    if (std::string error = row->set(options, value); !error.empty()) {
      options = UsageError(std::move(error));
      return i;
    }
    if (row->then == Then::kEndOptions)
      return i + 1;
    if (row->then == Then::kAnswer)
      return args.size();
  }
  return args.size();
}

// The checks of options that depend on each other, and their defaults.
void CheckCombination(Options& options) {
  if (!options.dat.empty()) {
    if (!DatReaderBuilt()) {
      options = UsageError(std::string(kDatNotBuilt));
      return;
    }
    if (options.naming_given && options.naming != Naming::kNoIntro) {
      options = UsageError(std::string(kDatNotGoodTools));
      return;
    }
    options.naming = Naming::kDat;
  }
  // The No-Intro naming and the DAT's families choose parents by region.
  const bool reads_regions = options.naming != Naming::kGoodTools;
  if (!reads_regions && !options.grouping.regions.empty())
    options = UsageError(std::string(kRegionsNeedNoIntro));
  else if (reads_regions && options.grouping.regions.empty())
    ParseRegionList(kDefaultNoIntroRegions, &options.grouping.regions);
}

// Reads the template and checks that the line opens with a command where a
// sh script or a template needs one.
void CheckCommand(Options& options) {
  if (options.use_template) {
    options.error = ParseLineTemplate(options.prefix, options.suffix,
                                      options.kind, options.line);
    if (!options.error.empty()) {
      options.action = Options::Action::kUsageError;
      return;
    }
  }
  // The words that open the line: the prefix; with a template, its text
  // before the first word with a placeholder.
  std::string_view opening =
      options.use_template ? std::string_view(options.line.opening)
                           : options.prefix;
  if ((options.kind == ScriptKind::kShell || options.use_template) &&
      !NamesACommand(opening)) {
    // The script would run each line's first file as a program.
    options.action = Options::Action::kUsageError;
    options.error = options.kind == ScriptKind::kShell ? kShellNeedsCommand
                                                       : kTemplateNeedsCommand;
  }
}

}  // namespace

bool IsOption(std::string_view arg) {
  std::string_view value;
  bool joined;
  return FindOption(arg, &value, &joined) != nullptr;
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  bool strict = false;
  size_t i = ReadOptions(args, options, &strict);
  if (options.action != Options::Action::kUsage)
    return options;
  CheckCombination(options);
  if (options.action != Options::Action::kUsage || i >= args.size())
    return options;
  // Without options, words past the suffix are only reported; with them,
  // the command line is held to its form: the shell most likely expanded an
  // unquoted mask, and the prefix is a file's name.
  if (strict && args.size() - i > 3)
    return UsageError(TooManyArgumentsMessage(args.size() - i));
  options.action = Options::Action::kScript;
  options.mask_index = i;
  options.mask = args[i];
  if (i + 1 < args.size())
    options.prefix = args[i + 1];
  if (i + 2 < args.size())
    options.suffix = args[i + 2];
  CheckCommand(options);
  return options;
}

std::vector<std::string_view> OptionsHelpLines() {
  std::vector<std::string_view> lines = {"Options, before <filemask>:"};
  for (const OptionRow& row : kOptionTable) {
    for (std::string_view help = row.help; !help.empty();) {
      size_t end = help.find('\n');
      lines.push_back(help.substr(0, end));
      help = end == std::string_view::npos ? "" : help.substr(end + 1);
    }
  }
  lines.insert(lines.end(), std::begin(kHelpExamples), std::end(kHelpExamples));
  return lines;
}
