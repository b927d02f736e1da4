#include "app/process_mask.h"

#include "app/reports.h"
#include "base/path_parts.h"
#include "matching/clone_grouping.h"
#include "matching/file_list.h"
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

}  // namespace

void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, ScriptKind kind, Platform& platform,
                 LineSink& sink) {
  ProcessMask(mask, prefix, suffix, kind, platform, sink, nullptr, false);
}

void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, ScriptKind kind, Platform& platform,
                 LineSink& sink, const LineTemplate* line, bool singles) {
  const LeadByteTable& lead = platform.LeadBytes();
  std::string_view dir = DirectoryPart(mask, lead);
  // The directory part stands in every line like a name, so it must be
  // one that the script can hold.
  if (!ScriptCanHold(kind, dir)) {
    platform.WriteStderr(LeftOutDirectoryLine(dir));
    return;
  }
  FileList list(lead);
  platform.SearchDirectory(mask, [&](std::string_view name,
                                     bool is_directory) {
    if (is_directory)
      return;
    if (!ScriptCanHold(kind, name)) {
      platform.WriteStderr(LeftOutNameLine(name));
      return;
    }
    list.Append(name);
  });
  list.Sort();
  if (line) {
    ReportedGroups reports(platform);
    TemplateLines lines(list, kind, dir, *line, NamesFoldCase(), sink,
                        reports);
    GroupClones(list, lines, singles);
    return;
  }
  CommandLines lines(list, kind, dir, prefix, suffix, sink);
  GroupClones(list, lines, singles);
}
