#include "app/process_mask.h"

#include "app/reports.h"
#include "base/path_parts.h"
#include "matching/clone_grouping.h"
#include "matching/file_list.h"
#include "matching/no_intro_grouping.h"
#include "platform/platform.h"
#include "script/command_lines.h"
#include "script/path_quoting.h"
#include "script/template_lines.h"

namespace {

// Tells standard error of the groups that TemplateLines leaves out.
class ReportedGroups : public LeftOutGroups {
 public:
  explicit ReportedGroups(Platform& platform) : platform_(platform) {}
  void LeftOut(std::string_view dir, std::string_view parent,
               std::string_view argument, bool listed) override {
    platform_.WriteStderr(LeftOutGroupLine(dir, parent, argument, listed));
  }

 private:
  Platform& platform_;
};

// Groups the sorted list by the naming of options into lines.
void GroupFiles(FileList& list, const Options& options, GroupSink& lines) {
  switch (options.naming) {
    case Naming::kGoodTools:
      GroupClones(list, options.grouping, lines);
      break;
    case Naming::kNoIntro:
      GroupNoIntro(list, options.grouping, lines);
      break;
  }
}

}  // namespace

void ProcessMask(const Options& options, Platform& platform, LineSink& sink) {
  const ScriptKind kind = options.kind;
  const std::string_view mask = options.mask;
  const LeadByteTable& lead = platform.LeadBytes();
  std::string_view dir = DirectoryPart(mask, lead);
  // The directory part stands in every line like a name, so it must be
  // one that the script can hold.
  if (!ScriptCanHold(kind, dir)) {
    platform.WriteStderr(LeftOutDirectoryLine(dir));
    return;
  }
  FileList list(lead);
  bool matched = false;
  SearchResult searched = platform.SearchDirectory(
      mask, [&](std::string_view name, bool is_directory) {
    if (is_directory)
      return;
    matched = true;
    if (!ScriptCanHold(kind, name)) {
      platform.WriteStderr(LeftOutNameLine(name));
      return;
    }
    list.Append(name);
  });
  for (const UnheldName& name : searched.unheld)
    platform.WriteStderr(LeftOutUnheldNameLine(name));
  if (!searched.read)
    platform.WriteStderr(UnreadDirectoryLine(dir, searched.reason));
  else if (!matched && !searched.left_out_output)
    platform.WriteStderr(NoMatchLine(mask));
  list.Sort();
  if (options.use_template) {
    ReportedGroups reports(platform);
    TemplateLines lines(list, kind, dir, options.line, platform.NamesFoldCase(), sink,
                        reports);
    GroupFiles(list, options, lines);
  } else {
    CommandLines lines(list, kind, dir, options.prefix, options.suffix, sink);
    GroupFiles(list, options, lines);
  }
}
