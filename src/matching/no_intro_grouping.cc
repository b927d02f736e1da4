#include "matching/no_intro_grouping.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>

#include "matching/no_intro_names.h"

namespace {

// How far ahead of a walk through the list its names are fetched: they lie
// in the order they were listed, not in list order.
constexpr size_t kAhead = 16;

// How many times the entries that come out of title order are split again
// into an ordered part and the rest, before the rest is sorted.
constexpr int kSplitRounds = 4;

// Orders the titles of the entries of a sorted list without reading their
// names, from the titles' lengths and the prefix that the list's index says
// the entries share. The bases are in order and every entry between two
// begins with what those two share, so the shared length is at least that
// of their bases' common prefix and at most that of their names'. Titles
// lead their bases: when the shared length falls short of both titles, the
// bases, and so the titles, differ first within both, in list order;
// otherwise the shorter title leads the other, and equal lengths make equal
// titles. That is the order of the titles compared byte by byte with letters
// folded, the shorter first on a tie.
class TitleOrder {
 public:
  TitleOrder(FileList& list, const std::vector<uint32_t>& title_size)
      : list_(list), title_size_(title_size) {}

  /// Negative, 0 or positive as the title of entry a orders before, with
  /// or after that of entry b.
  int Compare(int32_t a, int32_t b) const {
    if (a == b)
      return 0;
    if (a > b)
      return -Compare(b, a);
    uint32_t ta = title_size_[a], tb = title_size_[b];
    if (list_.SharedPrefix(a, b) < std::min(ta, tb))
      return -1;
    return ta < tb ? -1 : ta > tb ? 1 : 0;
  }

  /// Whether a orders before b by title, then by place in the list.
  bool operator()(int32_t a, int32_t b) const {
    int r = Compare(a, b);
    return r < 0 || (r == 0 && a < b);
  }

 private:
  FileList& list_;
  const std::vector<uint32_t>& title_size_;
};

}  // namespace

void GroupNoIntro(FileList& list, const GroupingOptions& options,
                  GroupSink& sink) {
  const std::vector<std::string>& regions = options.regions;
  const bool singles = options.singles;
  const int32_t n = list.Count();
  std::vector<uint32_t> title_size(static_cast<size_t>(n));
  TitleOrder before(list, title_size);
  auto title = [&](int32_t i) {
    return std::string_view(list.Base(i).data(), title_size[i]);
  };

  // A title leads the names that bear it, so two titles order as their
  // names do unless one leads the other: "Game (USA)" lists after
  // "Game & Watch (USA)". The entries whose titles order before the
  // greatest title yet are set aside, to be merged back in title order; the
  // rest come in title order already. Empty titles order before any other.
  // Each name is read here to find its title, and again only to choose a
  // parent.
  std::vector<int32_t> order, aside;
  std::vector<bool> joins;  // order[k] bears the title of order[k - 1]
  order.reserve(static_cast<size_t>(n));
  joins.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    if (static_cast<size_t>(i) + kAhead < static_cast<size_t>(n))
      __builtin_prefetch(list.Name(i + int32_t{kAhead}).data());
    if (list.Taken(i))
      continue;
    title_size[i] = static_cast<uint32_t>(NoIntroTitleLength(list.Base(i)));
    if (title_size[i] == 0) {
      if (singles) {
        list.Take(i);
        sink.Group(i, {}, title(i));
      }
      continue;
    }
    int r = order.empty() ? 1 : before.Compare(i, order.back());
    if (r >= 0) {
      order.push_back(i);
      joins.push_back(r == 0);
    } else {
      aside.push_back(i);
    }
  }
  if (!aside.empty()) {
    // What was set aside comes nearly in title order too: a title sets
    // aside only the titles that lead it and list after it, such as "Game"
    // after "Game & Watch". So it is split the same way and its ordered part
    // merged in, for a few rounds; whatever still remains is sorted.
    std::vector<int32_t> ordered, rest, merged;
    for (int round = 0; !aside.empty(); ++round) {
      ordered.clear();
      rest.clear();
      if (round < kSplitRounds) {
        for (int32_t i : aside)
          (ordered.empty() || !before(i, ordered.back()) ? ordered : rest)
              .push_back(i);
      } else {
        std::sort(aside.begin(), aside.end(), before);
        ordered.swap(aside);
      }
      merged.clear();
      merged.reserve(order.size() + ordered.size());
      std::merge(order.begin(), order.end(), ordered.begin(), ordered.end(),
                 std::back_inserter(merged), before);
      order.swap(merged);
      aside.swap(rest);
    }
    joins.assign(order.size(), false);
    for (size_t k = 1; k < order.size(); ++k)
      joins[k] = before.Compare(order[k - 1], order[k]) == 0;
  }

  // Each run of one title in that order is a group.
  std::vector<int32_t> clones;
  size_t fetched = 0;
  for (size_t start = 0, end; start < order.size(); start = end) {
    end = start + 1;
    while (end < order.size() && joins[end])
      ++end;
    if (end - start == 1 && !singles)
      continue;
    size_t parent = start;
    if (end - start > 1) {
      // The tags lie at the names' ends, maybe a cache line past the title.
      for (; fetched < std::min(end + kAhead, order.size()); ++fetched) {
        std::string_view name = list.Name(order[fetched]);
        __builtin_prefetch(name.data() + title_size[order[fetched]]);
        __builtin_prefetch(name.data() + name.size() - 1);
      }
      auto preference = [&](size_t k) {
        int32_t i = order[k];
        return NoIntroPreferenceOf(list.Base(i).substr(title_size[i]),
                                   regions);
      };
      NoIntroPreference best = preference(start);
      for (size_t k = start + 1; k < end; ++k) {
        NoIntroPreference next = preference(k);
        if (NoIntroPreferred(next, best)) {
          parent = k;
          best = next;
        }
      }
    }
    clones.clear();
    for (size_t k = start; k < end; ++k) {
      list.Take(order[k]);
      if (k != parent)
        clones.push_back(order[k]);
    }
    sink.Group(order[parent], clones, title(order[parent]));
  }
}
