#include "app/process_mask.h"

#include "app/reports.h"
#include "base/path_parts.h"
#include "matching/clone_grouping.h"
#include "matching/dat_grouping.h"
#include "matching/file_list.h"
#include "matching/no_intro_grouping.h"
#include "matching/shared_titles.h"
#include "platform/platform.h"
#include "script/command_lines.h"
#include "script/path_quoting.h"
#include "script/template_lines.h"

namespace {

// Tells standard error of the groups that TemplateLines leaves out, and of
// those whose titles are taken.
class ReportedGroups : public LeftOutGroups, public RenamedGroups {
 public:
  ReportedGroups(Platform& platform, const FileList& list,
                 std::string_view dir)
      : platform_(platform), list_(list), dir_(dir) {}
  void LeftOut(std::string_view dir, std::string_view parent,
               std::string_view argument, bool listed) override {
    platform_.WriteStderr(LeftOutGroupLine(dir, parent, argument, listed));
  }
  void Renamed(int32_t parent, std::string_view taken,
               std::string_view title) override {
    platform_.WriteStderr(
        RenamedGroupLine(dir_, list_.Name(parent), taken, title));
  }

 private:
  Platform& platform_;
  const FileList& list_;
  std::string_view dir_;
};

// Groups the sorted list by the families of the DAT into lines, and tells
// standard error of the files the DAT does not hold.
void GroupByDat(FileList& list, const Options& options, GroupSink& lines,
                Platform& platform) {
  DatMatches m = GroupDat(list, options.grouping, lines);
  if (m.not_held == 0)
    return;
  if (m.held == 0) {
    platform.WriteStderr(
        NoneInDatLine(options.dat, static_cast<size_t>(m.not_held)));
    return;
  }
  int32_t second = m.not_held_examples[1];
  platform.WriteStderr(NotInDatLine(
      static_cast<size_t>(m.not_held), list.Name(m.not_held_examples[0]),
      second < 0 ? std::string_view() : list.Name(second),
      options.grouping.singles));
}

// Groups the sorted list by the naming of options into lines.
void GroupFiles(FileList& list, const Options& options, GroupSink& lines,
                Platform& platform) {
  switch (options.naming) {
    case Naming::kGoodTools:
      GroupClones(list, options.grouping, lines);
      break;
    case Naming::kNoIntro:
      GroupNoIntro(list, options.grouping, lines);
      break;
    case Naming::kDat:
      GroupByDat(list, options, lines, platform);
      break;
  }
}

}  // namespace

void ListingErrors::Write(std::string_view line) {
  if (hold_)
    held_.append(line);
  else
    platform_.WriteStderr(line);
}

void ListingErrors::Release() {
  hold_ = false;
  if (!held_.empty())
    platform_.WriteStderr(held_);
  held_ = std::string();
}

bool ListMask(const Options& options, Platform& platform,
              ListingErrors& errors, FileList* list) {
  const ScriptKind kind = options.kind;
  const std::string_view mask = options.mask;
  std::string_view dir = DirectoryPart(mask, platform.LeadBytes());
  // The search reads one directory: a wildcard before the last component
  // would be taken as part of a directory's name.
  if (dir.find_first_of("*?") != std::string_view::npos) {
    errors.Write(WildcardDirectoryLine(dir));
    return false;
  }
  // The directory part stands in every line like a name, so it must be
  // one that the script can hold.
  if (!ScriptCanHold(kind, dir)) {
    errors.Write(LeftOutDirectoryLine(dir));
    return false;
  }
  // While the directory is read ahead, the list spreads the names over
  // ranges of their order, so that the sort afterwards takes less.
  if (platform.ReadsAheadUnordered())
    list->SpreadOver();
  bool matched = false, matched_directory = false;
  SearchResult searched = platform.SearchDirectory(
      mask, [&](std::string_view name, bool is_directory) {
    if (is_directory) {
      matched_directory = true;
      return;
    }
    matched = true;
    if (!ScriptCanHold(kind, name)) {
      errors.Write(LeftOutNameLine(name));
      return;
    }
    list->Append(name);
  });
  for (const UnheldName& name : searched.unheld)
    errors.Write(LeftOutUnheldNameLine(name));
  if (!searched.read)
    errors.Write(UnreadDirectoryLine(dir, searched.reason));
  else if (!matched && !searched.left_out_output)
    errors.Write(NoMatchLine(mask, matched_directory));
  return true;
}

void WriteMaskLines(const Options& options, Platform& platform,
                    FileList& list, LineSink& sink) {
  const ScriptKind kind = options.kind;
  std::string_view dir = DirectoryPart(options.mask, platform.LeadBytes());
  list.Sort([&platform](const Task& first, const Task& second) {
    platform.RunBoth(first, second);
  });
  if (options.use_template) {
    const bool fold_case = platform.NamesFoldCase();
    ReportedGroups reports(platform, list, dir);
    TemplateLines lines(list, kind, dir, options.line, fold_case, sink,
                        reports);
    if (!options.line.fills_title) {
      GroupFiles(list, options, lines, platform);
    } else if (options.naming == Naming::kGoodTools) {
      // Equal GoodTools titles are one game: one line, one archive.
      MergedTitles merged(lines, list, fold_case, options.grouping.singles);
      GroupFiles(list, options, merged, platform);
      merged.Flush();
    } else {
      DistinctTitles distinct(list, lines, fold_case, reports);
      GroupFiles(list, options, distinct, platform);
    }
  } else {
    CommandLines lines(list, kind, dir, options.prefix, options.suffix, sink);
    GroupFiles(list, options, lines, platform);
  }
}

void ProcessMask(const Options& options, Platform& platform, LineSink& sink) {
  ListingErrors errors(platform, false);
  FileList list(platform.LeadBytes());
  if (ListMask(options, platform, errors, &list))
    WriteMaskLines(options, platform, list, sink);
}
