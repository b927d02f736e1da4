#include "app/tramlune.h"

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

// The banner of a sh script: the batch banner as sh comments.
const char* const kShellBanner[] = {
    "#!/bin/sh",
    "#    _______________________________________________________________"
    "____",
    "#",
    "#    Tramlune v0.05                                    Ruvok, "
    "2002/12/10",
    "#    _______________________________________________________________"
    "____",
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

// The command lines go to the output as they are composed.
class OutputLines : public LineSink {
 public:
  explicit OutputLines(Output& output) : output_(output) {}
  void Write(std::string_view text) override { output_.Write(text); }
  void EndLine() override { output_.EndLine(); }

 private:
  Output& output_;
};

}  // namespace

int RunTramlune(const std::vector<std::string>& args, Platform& platform,
                Output& output) {
  Options options = ParseOptions(args);
  switch (options.action) {
    case Options::Action::kHelp:
      output.SetLineEnd(NativeLineEnd());
      for (const char* line : kUsage)
        output.WriteLine(line);
      for (const char* line : kOptions)
        output.WriteLine(line);
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
      for (const char* line : kBanner)
        output.WriteLine(line);
      for (const char* line : kUsage)
        output.WriteLine(line);
      return 1;
    case Options::Action::kScript:
      break;
  }
  if (options.kind == ScriptKind::kShell) {
    // sh would run a failure text on standard output as a command.
    output.SetLineEnd("\n");
    output.SendFailuresToStderr();
    for (const char* line : kShellBanner)
      output.WriteLine(line);
  } else {
    for (const char* line : kBanner)
      output.WriteLine(line);
    output.WriteLine("@echo off");
  }
  size_t rest = args.size() - options.mask;
  const std::string& mask = args[options.mask];
  std::string prefix = rest >= 2 ? args[options.mask + 1] + " " : std::string();
  std::string suffix = rest >= 3 ? " " + args[options.mask + 2] : std::string();
  OutputLines lines(output);
  ProcessMask(mask, prefix, suffix, platform, lines, options.kind);
  return 0;
}
