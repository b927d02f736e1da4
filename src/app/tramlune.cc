#include "app/tramlune.h"

#include <cstddef>
#include <string_view>

#include "app/options.h"
#include "app/output.h"
#include "matching/process_mask.h"
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
    "   --help, /?  write this text",
    "   --version   write the version",
    "   --          end the options: the next argument is the mask",
};

template <size_t N>
void WriteLines(Output& output, const char* const (&lines)[N]) {
  for (const char* line : lines)
    output.WriteLine(line);
}

// The banner of a script of kind: a sh script's begins with "#!/bin/sh" and
// has the batch banner's remarks as sh comments.
void WriteBanner(Output& output, ScriptKind kind) {
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
                Output& output) {
  Options options = ParseOptions(args);
  switch (options.action) {
    case Options::Action::kHelp:
      output.SetLineEnd(NativeLineEnd());
      WriteLines(output, kUsage);
      WriteLines(output, kOptions);
      return 0;
    case Options::Action::kVersion:
      output.SetLineEnd(NativeLineEnd());
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
    case Options::Action::kScript:
      break;
  }
  if (options.kind == ScriptKind::kShell) {
    // sh would run a failure text on standard output as a command.
    output.SetLineEnd("\n");
    output.SendFailuresToStderr();
  }
  WriteBanner(output, options.kind);
  if (options.kind == ScriptKind::kBatch)
    output.WriteLine("@echo off");
  size_t rest = args.size() - options.mask;
  const std::string& mask = args[options.mask];
  std::string prefix = rest >= 2 ? args[options.mask + 1] + " " : std::string();
  std::string suffix = rest >= 3 ? " " + args[options.mask + 2] : std::string();
  ProcessMask(mask, prefix, suffix, platform, output, options.kind);
  return 0;
}
