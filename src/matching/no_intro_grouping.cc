#include "matching/no_intro_grouping.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// The entries of a list in the order of their titles, and where each run
// of one title begins.
struct TitleRuns {
  std::vector<int32_t> order;
  std::vector<bool> joins;  // order[k] bears the title of order[k - 1]
};

// Finds the title of each free entry of list (its size in title_size) and
// orders the entries by title, the earlier in the list first on a tie. An
// entry of an empty title is left out of the order; when singles is set it
// is taken and handed to sink as a group of its own, at once.
TitleRuns OrderTitles(FileList& list, std::vector<uint32_t>& title_size,
                      bool singles, GroupSink& sink) {
  const int32_t n = list.Count();
  TitleOrder before(list, title_size);
  // A title leads the names that bear it, so two titles order as their
  // names do unless one leads the other: "Game (USA)" lists after
  // "Game & Watch (USA)". The entries whose titles order before the
  // greatest title yet are set aside, to be merged back in title order; the
  // rest come in title order already.
  TitleRuns runs;
  std::vector<int32_t>& order = runs.order;
  std::vector<bool>& joins = runs.joins;
  std::vector<int32_t> aside;
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
        sink.Group(i, {}, {});
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
  if (aside.empty())
    return runs;
  // What was set aside comes nearly in title order too: a title sets aside
  // only the titles that lead it and list after it, such as "Game" after
  // "Game & Watch". So it is split the same way and its ordered part merged
  // in, for a few rounds; whatever still remains is sorted.
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
  return runs;
}

// What the grouping reads of an entry's tags, once: its preference, where
// its identity tags lie in TitleScratch::identity, and a key that orders
// most games without reading those.
struct EntryTags {
  NoIntroPreference preference;
  uint32_t identity_begin;
  uint32_t identity_end;
  // The identity tags folded, each but the last followed by a zero byte,
  // as a number of their first eight bytes (the first highest, zeros after
  // the end). Without zero bytes in the tags, the games of two entries
  // whose leads differ order as their leads do: a zero orders where a tag
  // ends, before any byte that goes on.
  uint64_t lead = 0;
  enum Lead : uint8_t {
    kNoLead,    // a tag holds a zero byte: the lead orders nothing
    kPartLead,  // the tags go on past the lead
    kWholeLead  // the lead holds the tags whole: equal leads, equal games
  } lead_kind = kNoLead;
};

// The lead of an entry whose identity tags are identity.
void SetLead(std::span<const std::string_view> identity, EntryTags* tags) {
  uint64_t lead = 0;
  size_t bytes = 0;  // in lead
  size_t size = 0;   // of the tags and the zeros between them
  for (size_t k = 0; k < identity.size(); ++k) {
    if (k > 0) {
      ++size;
      if (bytes < 8) {
        lead <<= 8;
        ++bytes;
      }
    }
    for (char c : identity[k]) {
      if (c == '\0') {
        tags->lead_kind = EntryTags::kNoLead;
        return;
      }
      if (bytes < 8) {
        lead = lead << 8 | FoldByte(static_cast<unsigned char>(c));
        ++bytes;
      }
    }
    size += identity[k].size();
  }
  tags->lead = bytes == 0 || bytes == 8 ? lead : lead << (8 * (8 - bytes));
  tags->lead_kind = size <= 8 ? EntryTags::kWholeLead : EntryTags::kPartLead;
}

// The space that the grouping of one title works in, kept from title to
// title.
struct TitleScratch {
  explicit TitleScratch(const std::vector<std::string>& regions)
      : reader(regions) {}

  NoIntroTagReader reader;
  std::vector<EntryTags> tags;               // by place in the title
  std::vector<std::string_view> identity;    // the entries' identity tags
  std::vector<uint32_t> order;               // places, in game order
  std::vector<int32_t> clones;
  std::string storage;                       // a game's name
};

// The place in game (places in the title, in list order) of the entry
// whose preference NoIntroPreferred ranks first, the earliest among even
// ones.
size_t ChooseParent(std::span<const EntryTags> tags,
                    std::span<const uint32_t> game) {
  size_t parent = 0;
  for (size_t k = 1; k < game.size(); ++k)
    if (NoIntroPreferred(tags[game[k]].preference,
                         tags[game[parent]].preference))
      parent = k;
  return parent;
}

// Hands sink the entries of one title, in list order, as groups: one per
// game (the title and identity tags, NextNoIntroIdentityTag), in the order
// of the games' identity tags, each headed by its parent (ChooseParent).
// A game of one entry gives a group only when singles is set. Each entry's
// tags are read once.
void GroupTitle(FileList& list, std::span<const int32_t> entries,
                const std::vector<uint32_t>& title_size,
                const GroupingOptions& options, GroupSink& sink,
                TitleScratch& scratch) {
  std::vector<EntryTags>& tags = scratch.tags;
  std::vector<std::string_view>& identity = scratch.identity;
  tags.resize(entries.size());
  identity.clear();
  for (size_t k = 0; k < entries.size(); ++k) {
    int32_t i = entries[k];
    tags[k].identity_begin = static_cast<uint32_t>(identity.size());
    tags[k].preference = scratch.reader.Read(
        list.Base(i).substr(title_size[i]), list.Extension(i), &identity);
    tags[k].identity_end = static_cast<uint32_t>(identity.size());
  }
  auto identity_of = [&](uint32_t k) {
    return std::span<const std::string_view>(identity).subspan(
        tags[k].identity_begin, tags[k].identity_end - tags[k].identity_begin);
  };
  // The order of the games of the entries at places a and b.
  auto compare = [&](uint32_t a, uint32_t b) {
    const EntryTags &ta = tags[a], &tb = tags[b];
    if (ta.lead_kind != EntryTags::kNoLead &&
        tb.lead_kind != EntryTags::kNoLead) {
      if (ta.lead != tb.lead)
        return ta.lead < tb.lead ? -1 : 1;
      if (ta.lead_kind == EntryTags::kWholeLead &&
          tb.lead_kind == EntryTags::kWholeLead)
        return 0;
    }
    return CompareNoIntroIdentities(identity_of(a), identity_of(b));
  };
  // The places of a game's entries, in list order, are its group: the
  // parent, the others its clones.
  auto hand = [&](std::span<const uint32_t> game) {
    size_t parent = ChooseParent(tags, game);
    scratch.clones.clear();
    for (size_t k = 0; k < game.size(); ++k) {
      list.Take(entries[game[k]]);
      if (k != parent)
        scratch.clones.push_back(entries[game[k]]);
    }
    // The titles are equal with letters folded; the parent's is written.
    int32_t head = entries[game[parent]];
    sink.Group(head, scratch.clones,
               NoIntroGameName(list.Base(head).substr(0, title_size[head]),
                               identity_of(game[parent]), &scratch.storage));
  };
  std::vector<uint32_t>& order = scratch.order;
  order.resize(entries.size());
  for (uint32_t k = 0; k < order.size(); ++k)
    order[k] = k;
  // Most titles are one game: no entry has identity tags.
  if (identity.empty()) {
    hand(order);
    return;
  }
  // Games in the order of their identity tags, each one's entries in list
  // order.
  for (uint32_t k = 0; k < tags.size(); ++k)
    SetLead(identity_of(k), &tags[k]);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    int r = compare(a, b);
    return r < 0 || (r == 0 && a < b);
  });
  for (size_t start = 0, end; start < order.size(); start = end) {
    end = start + 1;
    while (end < order.size() && compare(order[start], order[end]) == 0)
      ++end;
    if (end - start == 1 && !options.singles)
      continue;
    hand(std::span<const uint32_t>(order).subspan(start, end - start));
  }
}

}  // namespace

void GroupNoIntro(FileList& list, const GroupingOptions& options,
                  GroupSink& sink) {
  std::vector<uint32_t> title_size(static_cast<size_t>(list.Count()));
  TitleRuns runs = OrderTitles(list, title_size, options.singles, sink);
  std::vector<int32_t>& order = runs.order;
  TitleScratch scratch(options.regions);
  size_t fetched = 0;
  for (size_t start = 0, end; start < order.size(); start = end) {
    end = start + 1;
    while (end < order.size() && runs.joins[end])
      ++end;
    if (end - start == 1 && !options.singles)
      continue;
    // The tags lie at the names' ends, maybe a cache line past the title.
    for (; fetched < std::min(end + kAhead, order.size()); ++fetched) {
      std::string_view name = list.Name(order[fetched]);
      __builtin_prefetch(name.data() + title_size[order[fetched]]);
      __builtin_prefetch(name.data() + name.size() - 1);
    }
    GroupTitle(list,
               std::span<const int32_t>(order).subspan(start, end - start),
               title_size, options, sink, scratch);
  }
}
