#include "app/tramlune.h"

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
  for (const char* line : kBanner)
    output.WriteLine(line);
  if (args.empty()) {
    for (const char* line : kUsage)
      output.WriteLine(line);
    return 1;
  }
  output.WriteLine("@echo off");
  std::string prefix = args.size() >= 2 ? args[1] + " " : std::string();
  std::string suffix = args.size() >= 3 ? " " + args[2] : std::string();
  OutputLines lines(output);
  ProcessMask(args[0], prefix, suffix, platform, lines);
  return 0;
}
