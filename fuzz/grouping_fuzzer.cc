// The grouping on arbitrary lists of names (split at LF; names that a
// batch line cannot quote are left out, as the directory search leaves them
// out). It must hold that:
// - ProcessMask writes the lines of GroupClones over the sorted list, and
//   exactly the lines and marks of the step-by-step reference grouping;
// - every line parses back into the prefix, the quoted parent, the quoted
//   clones and the suffix, the parent and clones of the group it was
//   written for, in that order;
// - no group is without a clone, no entry is a clone twice, and the entries
//   taken are exactly those of the groups;
// - sorting keeps every name;
// - by the No-Intro naming, every file stands in at most one group (exactly
//   one with singles), a group's files share its game (the title and the
//   identity tags, letters folded), its title names the parent's game, the
//   clones follow in list order, and groups come in the order of their
//   games: by title, then by identity tags;
// - MergedTitles hands on the GoodTools groups (singles too) merged by
//   title as a map of titles (TitleKey, folded or not) merges them;
// - a NoIntroTagReader, which remembers tag texts from input to input,
//   reads every name's tags as NoIntroPreferenceOf and
//   NextNoIntroIdentityTag do, the first time and again.
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../tests/fake_platform.h"
#include "../tests/grouped_lines.h"
#include "../tests/reference_grouping.h"
#include "../tests/test_support.h"
#include "app/process_mask.h"
#include "base/path_parts.h"
#include "fuzz_input.h"
#include "matching/no_intro_grouping.h"
#include "matching/no_intro_names.h"
#include "matching/shared_titles.h"
#include "script/path_quoting.h"

namespace {

// Reads one quoted path at the front of rest: the bytes between two double
// quotes with every "%%" read as "%"; a lone "%" fails the check. Returns
// what follows dir.
std::string TakeQuotedName(std::string_view& rest, std::string_view dir) {
  FUZZ_CHECK(!rest.empty() && rest[0] == '"');
  size_t close = rest.find('"', 1);
  FUZZ_CHECK(close != std::string_view::npos);
  std::string path;
  for (size_t i = 1; i < close; ++i) {
    path += rest[i];
    if (rest[i] == '%') {
      FUZZ_CHECK(i + 1 < close && rest[i + 1] == '%');
      ++i;
    }
  }
  rest.remove_prefix(close + 1);
  FUZZ_CHECK(path.compare(0, dir.size(), dir) == 0);
  return path.substr(dir.size());
}

// What a line holds after dir for name: the name, with ".\" in front when
// dir is empty and the name begins with "-", so that it is no switch.
std::string AsWritten(std::string_view dir, std::string_view name) {
  std::string written = dir.empty() && name.substr(0, 1) == "-" ? ".\\" : "";
  return written + std::string(name);
}

// Checks each group as it is handed over, then the line it makes.
class CheckedGroups : public GroupSink {
 public:
  CheckedGroups(const FileList& list, std::string_view dir,
                std::string_view prefix, std::string_view suffix)
      : list_(list), dir_(dir), prefix_(prefix), suffix_(suffix),
        lines_(list, ScriptKind::kBatch, dir, prefix, suffix, sink_),
        marks(list.Count(), 0) {}

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override {
    FUZZ_CHECK(!clones.empty());
    // The title that names the group's archive: never empty, a leading part
    // of the parent's base name, or its whole name where that part would
    // be empty.
    FUZZ_CHECK(!title.empty() || list_.Name(parent).empty());
    FUZZ_CHECK(list_.Base(parent).substr(0, title.size()) == title ||
               title == list_.Name(parent));
    marks[parent] = -1;
    for (int32_t clone : clones) {
      FUZZ_CHECK(clone != parent && marks[clone] == 0);
      marks[clone] = -1;
    }
    lines_.Group(parent, clones, title);
    FUZZ_CHECK(!sink_.lines.empty() && sink_.current.empty());
    std::string_view rest = sink_.lines.back();
    std::string head = prefix_.empty() ? "" : std::string(prefix_) + " ";
    FUZZ_CHECK(rest.substr(0, head.size()) == head);
    rest.remove_prefix(head.size());
    FUZZ_CHECK(!rest.empty() && rest[0] == ' ');
    rest.remove_prefix(1);
    FUZZ_CHECK(TakeQuotedName(rest, dir_) == AsWritten(dir_, list_.Name(parent)));
    FUZZ_CHECK(!rest.empty() && rest[0] == ' ');
    rest.remove_prefix(1);
    for (int32_t clone : clones) {
      FUZZ_CHECK(rest.size() >= 2 && rest[0] == ' ' && rest[1] == '"');
      rest.remove_prefix(1);
      FUZZ_CHECK(TakeQuotedName(rest, dir_) == AsWritten(dir_, list_.Name(clone)));
    }
    FUZZ_CHECK(rest == (suffix_.empty() ? " " : "  " + std::string(suffix_)));
  }

  const std::vector<std::string>& lines() const { return sink_.lines; }

 private:
  const FileList& list_;
  std::string_view dir_, prefix_, suffix_;
  CollectedLines sink_;
  CommandLines lines_;

 public:
  std::vector<int> marks;  // of the groups handed over: 0 free, -1 taken
};

// Checks the groups of the No-Intro naming as they are handed over.
class NoIntroChecks : public GroupSink {
 public:
  NoIntroChecks(const FileList& list, bool singles)
      : list_(list), singles_(singles), seen(list.Count(), 0) {}

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override {
    FUZZ_CHECK(singles_ || !clones.empty());
    // An entry of an empty title stands alone, under an empty title.
    std::string storage;
    std::string_view base = list_.Base(parent);
    size_t title_size = NoIntroTitleLength(base);
    FUZZ_CHECK(title == (title_size == 0
                             ? std::string_view()
                             : NoIntroGameName(
                                   base.substr(0, title_size),
                                   IdentityTags(base.substr(title_size)),
                                   &storage)));
    std::string game = Game(parent);
    FUZZ_CHECK(groups == 0 || last_game_ < game ||
               (title.empty() && last_game_.empty()));
    last_game_ = game;
    ++groups;
    ++seen[parent];
    int32_t previous = -1;
    for (int32_t clone : clones) {
      FUZZ_CHECK(clone > previous && clone != parent);
      FUZZ_CHECK(Game(clone) == game);
      ++seen[clone];
      previous = clone;
    }
  }

  size_t groups = 0;

 private:
  // The game of entry i as a text that orders as games do: the folded
  // title, then each folded identity tag, each ended by a NUL byte (names
  // hold none). Empty for an empty title.
  std::string Game(int32_t i) const {
    std::string_view base = list_.Base(i);
    size_t title = NoIntroTitleLength(base);
    if (title == 0)
      return {};
    std::string game = Folded(base.substr(0, title));
    game += '\0';
    for (std::string_view tag : IdentityTags(base.substr(title))) {
      game += Folded(tag);
      game += '\0';
    }
    return game;
  }
  static std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
      c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return out;
  }

  const FileList& list_;
  bool singles_;
  std::string last_game_;

 public:
  std::vector<int> seen;  // how many groups each entry stands in
};

// Groups as their files, the parent first, and their titles; a sink that
// keeps them, and hands them on to next when given one.
using Kept = std::vector<std::pair<std::vector<int32_t>, std::string>>;
class KeptGroups : public GroupSink {
 public:
  explicit KeptGroups(GroupSink* next = nullptr) : next_(next) {}
  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override {
    std::vector<int32_t> files = {parent};
    files.insert(files.end(), clones.begin(), clones.end());
    kept.emplace_back(std::move(files), std::string(title));
    if (next_)
      next_->Group(parent, clones, title);
  }
  Kept kept;

 private:
  GroupSink* next_;
};

// Merges groups of equal titles as MergedTitles must.
Kept ReferenceMerged(const Kept& groups, bool fold_case) {
  std::map<std::string, size_t> first;
  Kept merged;
  for (const auto& [files, title] : groups) {
    auto [it, is_first] = first.emplace(TitleKey(title, fold_case),
                                        merged.size());
    if (is_first)
      merged.emplace_back(files, title);
    else
      merged[it->second].first.insert(merged[it->second].first.end(),
                                      files.begin(), files.end());
  }
  return merged;
}

// Checks that reader reads the tags of each entry of list as
// NoIntroPreferenceOf (with regions) and NextNoIntroIdentityTag read them.
void CheckTagReader(const FileList& list,
                    const std::vector<std::string>& regions,
                    NoIntroTagReader& reader) {
  std::vector<std::string_view> identity;
  for (int round = 0; round < 2; ++round)
    for (int32_t i = 0; i < list.Count(); ++i) {
      std::string_view base = list.Base(i);
      std::string_view tags = base.substr(NoIntroTitleLength(base));
      NoIntroPreference want =
          NoIntroPreferenceOf(tags, list.Extension(i), regions);
      identity.assign(1, "before");
      NoIntroPreference got =
          reader.Read(tags, list.Extension(i), &identity);
      FUZZ_CHECK(got.bad_dump == want.bad_dump);
      FUZZ_CHECK(got.oddity == want.oddity);
      FUZZ_CHECK(got.release == want.release);
      FUZZ_CHECK(got.region == want.region);
      FUZZ_CHECK(got.identity == want.identity);
      FUZZ_CHECK(got.sheet == want.sheet);
      for (auto [a, b] : {std::pair(got.revision, want.revision),
                          std::pair(got.version, want.version)})
        FUZZ_CHECK(a.size() == b.size() &&
                   (a.empty() || a.data() == b.data()));
      std::vector<std::string_view> want_identity = IdentityTags(tags);
      FUZZ_CHECK(identity.size() == want_identity.size() + 1 &&
                 identity[0] == "before");
      for (size_t k = 0; k < want_identity.size(); ++k)
        FUZZ_CHECK(identity[k + 1].data() == want_identity[k].data() &&
                   identity[k + 1].size() == want_identity[k].size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  uint8_t mode = input.Byte();
  FakePlatform platform;
  if (mode & 1)
    platform.lead = DoubleByteTable();
  const LeadByteTable& lead = platform.lead;
  static const char* const kDirs[] = {"", "C:\\%x%\\", "roms/", "d\x95\\"};
  std::string mask = std::string(kDirs[(mode >> 1) & 3]) + "*";
  std::string_view prefix = (mode & 8) ? "7z a \"x y.7z\"" : "";
  std::string_view suffix = (mode & 8) ? ">log" : "";
  bool with_directories = mode & 16;

  std::vector<std::string_view> files;
  auto& listing = platform.listings[mask];
  for (std::string_view name : input.Split('\n')) {
    if (name.empty() || name.find('\0') != std::string_view::npos ||
        !ScriptCanHold(ScriptKind::kBatch, name))
      continue;
    bool is_directory = with_directories && listing.size() % 3 == 2;
    listing.emplace_back(std::string(name), is_directory);
    if (!is_directory)
      files.push_back(name);
  }

  CollectedLines written;
  ProcessMask(MaskOptions(mask, prefix, suffix), platform, written);

  std::string_view dir = DirectoryPart(mask, lead);
  FileList list(lead);
  for (std::string_view name : files)
    list.Append(name);
  list.Sort();
  std::vector<std::string> sorted(files.begin(), files.end());
  std::vector<std::string> listed;
  for (int32_t i = 0; i < list.Count(); ++i)
    listed.emplace_back(list.Name(i));
  std::sort(sorted.begin(), sorted.end());
  std::sort(listed.begin(), listed.end());
  FUZZ_CHECK(sorted == listed);

  ReferenceList reference;
  reference.lead = lead;
  for (int32_t i = 0; i < list.Count(); ++i) {
    reference.names.emplace_back(list.Name(i));
    reference.marks.push_back(0);
  }

  CheckedGroups groups(list, dir, prefix, suffix);
  GroupClones(list, {}, groups);
  FUZZ_CHECK(groups.lines() == written.lines);
  // The reference takes the prefix and suffix with their blanks.
  std::string reference_prefix = prefix.empty() ? "" : std::string(prefix) + " ";
  std::string reference_suffix = suffix.empty() ? "" : " " + std::string(suffix);
  FUZZ_CHECK(ReferenceGroupLines(dir, reference_prefix, reference_suffix,
                                 reference) == written.lines);
  for (int32_t i = 0; i < list.Count(); ++i) {
    FUZZ_CHECK(reference.marks[i] == (list.Taken(i) ? -1 : 0));
    FUZZ_CHECK(groups.marks[i] == reference.marks[i]);
  }
  
  // The No-Intro naming on a list of the same names.
  GroupingOptions options;
  const bool singles = options.singles = mode & 32;
  FileList no_intro(lead);
  for (std::string_view name : files)
    no_intro.Append(name);
  no_intro.Sort();
  ParseRegionList((mode & 64) ? "Japan, Europe" : kDefaultNoIntroRegions,
                  &options.regions);
  NoIntroChecks checks(no_intro, singles);
  GroupNoIntro(no_intro, options, checks);
  for (int32_t i = 0; i < no_intro.Count(); ++i) {
    FUZZ_CHECK(checks.seen[i] <= 1);
    FUZZ_CHECK(!singles || checks.seen[i] == 1);
    FUZZ_CHECK(no_intro.Taken(i) == (checks.seen[i] == 1));
  }

  // The GoodTools groups merged by title; the titles lie in the list.
  const bool fold_case = mode & 128;
  FileList merging(lead);
  for (std::string_view name : files)
    merging.Append(name);
  merging.Sort();
  KeptGroups merged_groups;
  MergedTitles merged(merged_groups, merging, fold_case, singles);
  KeptGroups groups_in(&merged);
  GroupClones(merging, options, groups_in);
  merged.Flush();
  FUZZ_CHECK(merged_groups.kept == ReferenceMerged(groups_in.kept, fold_case));

  // Readers that live from input to input, one per region list.
  static const std::vector<std::string>* const kRegionLists[2] = {
      new std::vector<std::string>({"USA", "World", "Europe", "Japan"}),
      new std::vector<std::string>({"Japan", "Europe"})};
  static NoIntroTagReader* const kReaders[2] = {
      new NoIntroTagReader(*kRegionLists[0]),
      new NoIntroTagReader(*kRegionLists[1])};
  int list_index = (mode & 64) ? 1 : 0;
  CheckTagReader(no_intro, *kRegionLists[list_index], *kReaders[list_index]);
  return 0;
}
