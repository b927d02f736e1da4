#include "app/tramlune.h"

#include <cstddef>
#include <string_view>

#include "app/failure_stop.h"
#include "app/options.h"
#include "app/output_buffer.h"
#include "app/process_mask.h"
#include "app/reports.h"
#include "platform/platform.h"

namespace {

const char* const kBanner[] = {
    "@rem    _______________________________________________________________"
    "____",
    "@rem",
    "@rem    Tramlune v0.05                                    Ruvok, "
    "2002/12/10",
    "@rem    _______________________________________________________________"
    "____",
    "",
};

const char* const kUsage[] = {
    "Syntax:",
    "   tramlune <filemask> [command-prefix] [command-suffix]",
    "",
    "Tramlune will scan all files matching <filemask>, and will try",
    "to match the parent files with all their clones. It will then",
    "generate a command string in the form",
    "    command-prefix parent_file clone_files command_suffix",
    "to the standard output; you should redirect it to a BAT file",
    "",
    "Example:",
    "   tramlune *.v64 \"plexo create -test -delete\" \">error.log\" >go.bat",
    "",
};

// Follows the usage text in the answer to --help.
const char* const kOptions[] = {
    "Options, before <filemask>:",
    "   --sh        write a POSIX sh script (sh, bash, WSL, Git Bash) instead",
    "               of a batch file: paths in single quotes, lines ended by LF",
    "   --naming goodtools",
    "               group GoodTools names (the default): 'Game (U) [a1].v64'",
    "               joins 'Game (U) [!].v64', which heads it",
    "   --naming no-intro",
    "               group No-Intro and Redump names: files whose titles, the",
    "               names before their first \" (\", are equal; the parent is",
    "               the good dump, a release, of the first region listed in",
    "               --regions, the newest revision",
    "   --regions LIST",
    "               the region order of --naming no-intro, most wanted first",
    "               (default USA,World,Europe,Japan)",
    "   --template  the prefix and the suffix are templates; each word that",
    "               holds a placeholder is one argument, quoted by tramlune:",
    "                 {}        the group's files, parent first (a word alone)",
    "                 {parent}  the parent's path",
    "                 {clones}  the clones (a word alone)",
    "                 {title}   the group's title: \"Game (U)\" of",
    "                           \"Game (U) [!].v64\"",
    "                 {dir}     the mask's directory part, as written",
    "                 {{ }}     a brace",
    "               without {}, {parent} or {clones} the files stand between",
    "               prefix and suffix; a line whose filled-in word names a",
    "               listed file is left out and reported",
    "   --singles   every file in exactly one line: a file with no clone",
    "               gets a line of its own, a clone never heads a line",
    "   --help, /?  write this text",
    "   --version   write the version",
    "   --          end the options: the next argument is the mask",
    "",
    "Examples, one archive per group, named by its title:",
    "   tramlune --template --singles *.v64 \"7z a -sdel {dir}{title}.7z\" >go.bat",
    "   tramlune --sh --template --singles '*.v64' 'zip -m {dir}{title}.zip' >go.sh",
    "   tramlune --sh --template --singles '*.v64' \\",
    "       'tar -cf {dir}{title}.tar --remove-files {}' >go.sh",
};

template <size_t N>
void WriteLines(OutputBuffer& output, const char* const (&lines)[N]) {
  for (const char* line : lines)
    output.WriteLine(line);
}

// The banner of a script of kind: a sh script's begins with "#!/bin/sh" and
// has the batch banner's remarks as sh comments.
void WriteBanner(OutputBuffer& output, ScriptKind kind) {
  if (kind == ScriptKind::kBatch) {
    WriteLines(output, kBanner);
    return;
  }
  output.WriteLine("#!/bin/sh");
  constexpr std::string_view kRemark = "@rem";
  for (std::string_view line : kBanner) {
    if (line.substr(0, kRemark.size()) == kRemark) {
      output.Write("#");
      line.remove_prefix(kRemark.size());
    }
    output.WriteLine(line);
  }
}

}  // namespace

int RunTramlune(const std::vector<std::string>& args, Platform& platform,
                OutputBuffer& output, FailureStop& stop) {
  Options options = ParseOptions(args);
  switch (options.action) {
    case Options::Action::kHelp:
      output.SetLineEnd(NativeLineEnd());
      stop.SetLineEnd(NativeLineEnd());
      WriteLines(output, kUsage);
      WriteLines(output, kOptions);
      return 0;
    case Options::Action::kVersion:
      output.SetLineEnd(NativeLineEnd());
      stop.SetLineEnd(NativeLineEnd());
      output.WriteLine("tramlune " TRAMLUNE_VERSION);
      return 0;
    case Options::Action::kUsage:
      if (options.kind == ScriptKind::kShell) {
        // Standard output is meant for sh: the usage goes to the user.
        std::string usage;
        for (const char* line : kUsage)
          usage.append(line).append("\n");
        platform.WriteStderr(usage);
        return 1;
      }
      WriteBanner(output, ScriptKind::kBatch);
      WriteLines(output, kUsage);
      return 1;
    case Options::Action::kUsageError:
      platform.WriteStderr(UsageErrorLine(options.error));
      return 2;
    case Options::Action::kScript:
      break;
  }
  if (options.kind == ScriptKind::kShell) {
    // sh would run a failure text on standard output as a command.
    output.SetLineEnd("\n");
    stop.SetLineEnd("\n");
    stop.SendToStderr();
    stop.PlainWriteFailures();
  }
  WriteBanner(output, options.kind);
  if (options.kind == ScriptKind::kBatch)
    output.WriteLine("@echo off");
  // The prefix and the suffix follow the mask; later arguments are ignored.
  size_t rest = args.size() - options.mask_index;
  std::string_view mask = args[options.mask_index];
  std::string_view prefix =
      rest >= 2 ? std::string_view(args[options.mask_index + 1]) : "";
  std::string_view suffix =
      rest >= 3 ? std::string_view(args[options.mask_index + 2]) : "";
  // What most likely went wrong with the command line: options after the
  // mask, or more words than a line holds.
  for (size_t i = options.mask_index + 1; i < args.size(); ++i)
    if (IsOption(args[i]))
      platform.WriteStderr(OptionAfterMaskLine(args[i]));
  if (rest > 3)
    platform.WriteStderr(IgnoredArgumentsLine(rest - 3));
  ProcessMask(mask, prefix, suffix, options, platform, output);
  return 0;
}
