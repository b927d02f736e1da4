#include "matching/clone_grouping.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// A clone found for a parent: the longest prefix of the parent's base that
// it shares, which is the level at which it is taken, and its index.
struct Clone {
  uint32_t level;
  int32_t index;
};

// The memory of the grouping, kept from parent to parent: most entries head
// no group, and most groups are small.
struct Scratch {
  std::vector<Clone> above, below;
  std::vector<int32_t> line;
};

// How many of a group's names are fetched ahead while it is gathered: the
// names lie in the order they were listed, not in list order, and the line
// that is written next reads them.
constexpr size_t kFetchedAhead = 16;

// Gathers the clones on one side of the parent at index, walking away from
// it (Step -1 or +1) over the free entries only; taken ones are skipped
// without being visited.
//
// The title level is tried last, so its block holds every block of the
// longer levels. A neighbour begins with the parent's title exactly when
// they share at least its length, and an entry farther away shares with
// the parent the least that neighbours share on the way. So that running
// minimum is each entry's level, capped at the base's length, and the
// block ends where it drops below the title. The side comes out with its
// levels in descending order.
template <int Step>
void GatherSide(FileList& list, int32_t index, std::vector<Clone>& side) {
  side.clear();
  const uint32_t title = list.TitleSize(index);
  uint32_t level = static_cast<uint32_t>(list.Base(index).size());
  for (int32_t last = index;;) {
    int32_t j = Step < 0 ? list.PreviousFree(last - 1)
                         : list.NextFree(last + 1);
    if (j < 0 || j >= list.Count())
      return;
    level = std::min(level, Step < 0 ? list.SharedPrefix(j, last)
                                     : list.SharedPrefix(last, j));
    if (level < title)
      return;
    if (side.size() < kFetchedAhead)
      __builtin_prefetch(list.Name(j).data());
    side.push_back({level, j});
    last = j;
  }
}

// Puts the clones of both sides in line order: longer levels first; within
// a level, in list order. Above the parent each level's run was gathered
// upwards, so it is turned round; then the sides merge, the upper one first
// on equal levels.
void OrderClones(Scratch& s) {
  for (auto run = s.above.begin(); run != s.above.end();) {
    auto end = std::find_if(run, s.above.end(), [run](const Clone& c) {
      return c.level != run->level;
    });
    std::reverse(run, end);
    run = end;
  }
  s.line.clear();
  size_t a = 0, b = 0;
  while (a < s.above.size() || b < s.below.size()) {
    bool upper = b == s.below.size() ||
                 (a < s.above.size() && s.above[a].level >= s.below[b].level);
    s.line.push_back(upper ? s.above[a++].index : s.below[b++].index);
  }
}

// The group headed by the entry at index: takes parent and clones and hands
// them to sink. found is FindsClone(list, index); an entry that finds none
// is taken and handed over by itself.
void GroupHeadedBy(FileList& list, int32_t index, Scratch& s, GroupSink& sink,
                   bool found) {
  s.above.clear();
  s.below.clear();
  if (found) {
    GatherSide<-1>(list, index, s.above);
    GatherSide<+1>(list, index, s.below);
  }
  __builtin_prefetch(list.Name(index).data());
  OrderClones(s);
  list.Take(index);
  for (int32_t clone : s.line)
    list.Take(clone);
  // A title that would be empty names the group by the parent's whole name.
  std::string_view title = ShownTitle(list.Base(index));
  sink.Group(index, s.line, title.empty() ? list.Name(index) : title);
}

}  // namespace

// Most entries head no group, and this is all that is read of them.
bool FindsClone(FileList& list, int32_t index) {
  // Nothing is found, whatever has been taken, unless a neighbour shares
  // the title (of a byte or more).
  if (!list.SharesTitle(index))
    return false;
  const uint32_t title = list.TitleSize(index);
  int32_t above = list.PreviousFree(index - 1);
  if (above >= 0 && list.SharedPrefix(above, index) >= title)
    return true;
  int32_t below = list.NextFree(index + 1);
  return below < list.Count() && list.SharedPrefix(index, below) >= title;
}

void GroupClones(FileList& list, const GroupingOptions& options,
                 GroupSink& sink) {
  const bool singles = options.singles;
  Scratch scratch;
  const int32_t count = list.Count();
  // Until a group is found, only the entries' cached facts are read, not
  // their names; an entry that shares its title with no neighbour finds
  // no clone.
  for (int32_t i = list.NextSharingTitle(0); i < count;
       i = list.NextSharingTitle(i + 1))
    if (list.Verified(i) && !(singles && list.Taken(i)) && FindsClone(list, i))
      GroupHeadedBy(list, i, scratch, sink, true);
  // In list order, the names that the groups read lie anywhere in the
  // store: each is fetched some places ahead of its turn.
  constexpr int32_t kAhead = 24;
  if (!singles) {
    // Without singles, an entry that finds no clone heads nothing.
    for (int32_t i = list.NextSharingTitle(0); i < count;
         i = list.NextSharingTitle(i + 1)) {
      if (i + kAhead < count && !list.Taken(i + kAhead))
        __builtin_prefetch(list.Name(i + kAhead).data());
      if (FindsClone(list, i))
        GroupHeadedBy(list, i, scratch, sink, true);
    }
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    if (i + kAhead < count && !list.Taken(i + kAhead))
      __builtin_prefetch(list.Name(i + kAhead).data());
    // With singles, a free entry that finds no clone is a group of one.
    if (!list.Taken(i))
      GroupHeadedBy(list, i, scratch, sink, FindsClone(list, i));
  }
}
