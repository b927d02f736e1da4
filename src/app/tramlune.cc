#include "app/tramlune.h"

#include <cstddef>
#include <string_view>

#include "app/dat_loading.h"
#include "app/failure_stop.h"
#include "app/options.h"
#include "app/output_buffer.h"
#include "app/process_mask.h"
#include "app/reports.h"
#include "matching/file_list.h"
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

// Writes the head of the script of options: its banner. The lines on
// standard error tell what most likely went wrong with the command line:
// options after the mask, or more words than a line holds.
void WriteScriptHead(const std::vector<std::string>& args,
                     const Options& options, Platform& platform,
                     OutputBuffer& output, FailureStop& stop) {
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
  for (size_t i = options.mask_index + 1; i < args.size(); ++i)
    if (IsOption(args[i]))
      platform.WriteStderr(OptionAfterMaskLine(args[i]));
  size_t rest = args.size() - options.mask_index;
  if (rest > 3)
    platform.WriteStderr(IgnoredArgumentsLine(rest - 3));
}

// Text for people on standard output (help, version) ends its lines as the
// system does.
void UseNativeLineEnd(Platform& platform, OutputBuffer& output,
                      FailureStop& stop) {
  output.SetLineEnd(platform.TextLineEnd());
  stop.SetLineEnd(platform.TextLineEnd());
}

}  // namespace

ExitStatus RunTramlune(const std::vector<std::string>& args,
                       Platform& platform, OutputBuffer& output,
                       FailureStop& stop) {
  Options options = ParseOptions(args);
  switch (options.action) {
    case Options::Action::kHelp:
      UseNativeLineEnd(platform, output, stop);
      WriteLines(output, kUsage);
      for (std::string_view line : OptionsHelpLines())
        output.WriteLine(line);
      return kScriptWritten;
    case Options::Action::kVersion:
      UseNativeLineEnd(platform, output, stop);
      output.WriteLine("tramlune " TRAMLUNE_VERSION);
      return kScriptWritten;
    case Options::Action::kUsage:
      if (options.kind == ScriptKind::kShell) {
        // Standard output is meant for sh: the usage goes to the user.
        std::string usage;
        for (const char* line : kUsage)
          usage.append(line).append("\n");
        platform.WriteStderr(usage);
        return kUsageText;
      }
      WriteBanner(output, ScriptKind::kBatch);
      WriteLines(output, kUsage);
      return kUsageText;
    case Options::Action::kUsageError:
      platform.WriteStderr(UsageErrorLine(options.error));
      return kUsageError;
    case Options::Action::kScript:
      break;
  }
  if (options.naming != Naming::kDat) {
    WriteScriptHead(args, options, platform, output, stop);
    ProcessMask(options, platform, output);
    return kScriptWritten;
  }
  // The DAT of --dat is read whole while the directory is listed. One that
  // cannot be read ends the run with standard output empty, and with no
  // line of the listing's on standard error: those wait for the DAT.
  DatFile dat;
  std::string dat_error;
  FileList list(platform.LeadBytes());
  ListingErrors listing_errors(platform, true);
  bool listed = false;
  platform.RunBoth(
      [&] { dat_error = LoadDat(options.dat, platform, &dat); },
      [&] { listed = ListMask(options, platform, listing_errors, &list); });
  if (!dat_error.empty()) {
    platform.WriteStderr(dat_error);
    return kUnreadDat;
  }
  options.grouping.dat = &dat;
  options.grouping.fold_names = platform.NamesFoldCase();
  WriteScriptHead(args, options, platform, output, stop);
  listing_errors.Release();
  if (listed)
    WriteMaskLines(options, platform, list, output);
  return kScriptWritten;
}
