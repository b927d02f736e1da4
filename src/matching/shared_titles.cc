#include "matching/shared_titles.h"

#include <algorithm>
#include <cstring>

#include "base/ascii_fold.h"
#include "base/blanks.h"
#include "matching/clone_grouping.h"
#include "matching/file_names.h"

std::string TitleKey(std::string_view title, bool fold_case) {
  std::string key(title);
  if (fold_case)
    for (char& c : key)
      c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return key;
}

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

uint64_t Mix(uint64_t h, uint64_t word) {
  h = (h ^ word) * kMultiplier;
  return h ^ (h >> 29);
}

}  // namespace

uint32_t MergedTitles::HashOf(std::string_view title) const {
  // Eight bytes at a time, folded as TitleKey folds them.
  uint64_t h = kMultiplier ^ title.size();
  size_t i = 0;
  for (; i + 8 <= title.size(); i += 8) {
    uint64_t word = LoadWord(title.data() + i);
    h = Mix(h, fold_case_ ? FoldWord(word) : word);
  }
  if (i < title.size()) {
    uint64_t word = 0;
    std::memcpy(&word, title.data() + i, title.size() - i);
    h = Mix(h, fold_case_ ? FoldWord(word) : word);
  }
  // The final mix of MurmurHash3: every bit of h reaches the low bits that
  // pick the slot.
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return static_cast<uint32_t>(h);
}

bool MergedTitles::SameTitle(std::string_view a, std::string_view b) const {
  if (a.size() != b.size())
    return false;
  return fold_case_ ? FoldedPrefixLength(a, b) == a.size() : a == b;
}

void MergedTitles::Grow() {
  std::vector<Slot> old(slots_.empty() ? 16 : 2 * slots_.size());
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.group < 0)
      continue;
    size_t at = slot.hash & mask;
    while (slots_[at].group >= 0)
      at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

int32_t MergedTitles::FirstOfTitle(std::string_view title, int32_t group) {
  if (4 * (titles_ + 1) > 3 * slots_.size())
    Grow();
  const uint32_t hash = HashOf(title);
  const size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  for (; slots_[at].group >= 0; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.hash != hash || !SameTitle(Title(held_[slot.group]), title))
      continue;
    if (!handed_[slot.group])
      return slot.group;
    // A closed title comes back only where a title does not begin its
    // parent's name: the group makes a line of its own rather than join
    // one that is written already.
    slot.group = group;
    return -1;
  }
  slots_[at] = {hash, group};
  ++titles_;
  return -1;
}

void MergedTitles::Group(int32_t parent, std::span<const int32_t> clones,
                         std::string_view title) {
  const int32_t index = static_cast<int32_t>(held_.size());
  held_.push_back({title.data(), static_cast<uint32_t>(title.size()),
                   static_cast<uint32_t>(files_.size())});
  handed_.push_back(false);
  files_.push_back(parent);
  files_.insert(files_.end(), clones.begin(), clones.end());
  files_in_ += 1 + clones.size();
  const int32_t first = FirstOfTitle(title, index);
  if (first >= 0) {
    Held& head = held_[first];
    int32_t last = head.last_joined < 0 ? first : head.last_joined;
    held_[last].next_joined = index;
    head.last_joined = index;
  }
  HandClosed();
}

namespace {

// The farthest entry from the one at from, walking by Step (-1 or +1),
// up to which every name begins with the same shared folded bytes as
// from's: found by doubling the distance, then halving the gap.
template <int Step>
int32_t RunEnd(FileList& list, int32_t from, uint32_t shared) {
  const int32_t room = Step < 0 ? from : list.Count() - 1 - from;
  auto reaches = [&](int32_t distance) {
    int32_t to = from + Step * distance;
    return (Step < 0 ? list.SharedPrefix(to, from)
                     : list.SharedPrefix(from, to)) >= shared;
  };
  int32_t good = 0, bad = 1;
  while (bad <= room && reaches(bad)) {
    good = bad;
    bad = 2 * bad;
  }
  bad = std::min(bad, room + 1);
  while (bad - good > 1) {
    int32_t mid = good + (bad - good) / 2;
    (reaches(mid) ? good : bad) = mid;
  }
  return from + Step * good;
}

}  // namespace

void MergedTitles::FindHeadNames() {
  // A name that begins with the parent's shown title has a base name of
  // the title's length or more, and sorts among the names that begin with
  // the title, around the parent; or its base name ends at the title's
  // last dot, which is then the name's last. Those names sort first among
  // the names that begin with the title's bytes before that dot, which
  // stand together around the parent too: the names among them whose base
  // names are shorter, then those of that base name, then the longer ones.
  const Held& head = held_[next_held_];
  const std::string_view title = Title(head);
  const int32_t parent = files_[head.first];
  head_title_size_ = list_.TitleSize(parent);
  head_shown_ = !ShownTitle(list_.Base(parent)).empty();
  // A title that is the parent's whole name is looked for among the names
  // that begin with its bytes before its last dot, the parent among them.
  const size_t dot = title.rfind('.');
  const uint32_t before = static_cast<uint32_t>(
      dot == std::string_view::npos ? title.size() : dot);
  const uint32_t reach =
      head_shown_ ? static_cast<uint32_t>(title.size()) : before;
  head_reach_ = reach;
  head_up_ = parent - 1;
  head_down_ = parent + 1;
  head_up_shared_ = head_down_shared_ = list_.Name(parent).size();
  head_base_ = head_base_end_ = 0;
  if (head_shown_ && before < title.size()) {
    const int32_t from = RunEnd<-1>(list_, parent, before);
    auto first_with = [&](auto holds) {  // holds turns true once
      int32_t low = from, high = parent + 1;
      while (low < high) {
        int32_t mid = low + (high - low) / 2;
        if (holds(mid))
          high = mid;
        else
          low = mid + 1;
      }
      return low;
    };
    head_base_ = first_with([&](int32_t i) {
      return list_.Base(i).size() >= before;
    });
    head_base_end_ = first_with([&](int32_t i) {
      return list_.Base(i).size() > before;
    });
    head_base_shared_ = before;
  }
  head_found_ = true;
}

bool MergedTitles::HeadClosed() {
  const std::string_view title = Title(held_[next_held_]);
  if (!head_found_)
    FindHeadNames();
  // Past the budget of looks, the title waits for Flush.
  if (looked_at_ > 8 * files_in_ + 65536)
    return false;
  // An entry that can head no group of the title now never will: entries
  // are only taken, and titles stay. So the looks go on where they left
  // off; each side ends where the names part from the parent within reach.
  for (; head_up_ >= 0; --head_up_, ++looked_at_) {
    uint32_t shared = std::min(head_up_shared_,
                               list_.SharedPrefix(head_up_, head_up_ + 1));
    if (shared < head_reach_)
      break;
    if (MayHead(head_up_, shared, title))
      return false;
    head_up_shared_ = shared;
  }
  for (; head_down_ < list_.Count(); ++head_down_, ++looked_at_) {
    uint32_t shared = std::min(head_down_shared_,
                               list_.SharedPrefix(head_down_ - 1, head_down_));
    if (shared < head_reach_)
      break;
    if (MayHead(head_down_, shared, title))
      return false;
    head_down_shared_ = shared;
  }
  for (; head_base_ < head_base_end_; ++head_base_, ++looked_at_)
    if (MayHead(head_base_, head_base_shared_, title))
      return false;
  return true;
}

bool MergedTitles::MayHead(int32_t index, uint32_t shared,
                           std::string_view title) {
  if (singles_ && list_.Taken(index))
    return false;  // with singles, only a free name heads a group
  // The group took every free name that shared its parent's title with
  // the parent; a name that shares that much, and whose own title is no
  // shorter, could only find a clone among those.
  if (!singles_ && shared >= head_title_size_ &&
      list_.TitleSize(index) >= head_title_size_)
    return false;
  const std::string_view base = list_.Base(index);
  if (head_shown_ && base.size() >= title.size()) {
    // A base name that holds the title has a shown title, and it is the
    // title when the base begins with it and goes on with blanks only, up
    // to its end or a "[". (A shorter one may have none, and the whole
    // name stands for it.)
    if (shared < title.size() ||
        !SameTitle(base.substr(0, title.size()), title))
      return false;
    size_t at = title.size();
    while (at < base.size() && IsBlank(base[at]))
      ++at;
    if (at < base.size() && base[at] != '[')
      return false;
  } else {
    std::string_view own = ShownTitle(base);
    if (!SameTitle(own.empty() ? list_.Name(index) : own, title))
      return false;
  }
  return singles_ || FindsClone(list_, index);
}

void MergedTitles::HandHead() {
  const size_t g = next_held_++;
  head_found_ = false;
  const Held& head = held_[g];
  const int32_t* files = files_.data();
  handed_[g] = true;
  if (head.next_joined < 0) {
    // A title of one group, as most are: its files as they came.
    next_.Group(files[head.first],
                std::span(files + head.first + 1, files + End(g)),
                Title(head));
    return;
  }
  clones_.clear();
  // The head's parent heads the line; every other file is a clone.
  uint32_t from = head.first + 1;
  for (int32_t k = static_cast<int32_t>(g); k >= 0;
       k = held_[k].next_joined) {
    handed_[k] = true;
    clones_.insert(clones_.end(), files + from, files + End(k));
    if (held_[k].next_joined >= 0)
      from = held_[held_[k].next_joined].first;
  }
  next_.Group(files[head.first], clones_, Title(head));
}

void MergedTitles::HandClosed() {
  while (next_held_ < held_.size()) {
    if (handed_[next_held_]) {
      ++next_held_;
      head_found_ = false;
    } else if (HeadClosed()) {
      HandHead();
    } else {
      return;
    }
  }
  // Every group is handed on, and no name can head another group of their
  // titles: they are forgotten, once there are enough of them to pay for
  // the table's growing again.
  constexpr size_t kForgotten = 1024;
  if (held_.size() >= kForgotten)
    Forget();
}

void MergedTitles::Forget() {
  files_.clear();
  held_.clear();
  handed_.clear();
  slots_.clear();
  titles_ = 0;
  next_held_ = 0;
  head_found_ = false;
}

void MergedTitles::Flush() {
  // The titles lie where the groups' names lie, read long ago: each is
  // fetched some groups ahead of its turn.
  constexpr size_t kAhead = 8;
  while (next_held_ < held_.size()) {
    if (next_held_ + kAhead < held_.size())
      __builtin_prefetch(held_[next_held_ + kAhead].title);
    if (handed_[next_held_])
      ++next_held_;
    else
      HandHead();
  }
  Forget();
}

bool DistinctTitles::Take(std::string_view title) {
  return taken_.insert(TitleKey(title, fold_case_)).second;
}

void DistinctTitles::Group(int32_t parent, std::span<const int32_t> clones,
                           std::string_view title) {
  if (Take(title)) {
    next_.Group(parent, clones, title);
    return;
  }
  std::string_view own = list_.Base(parent);
  if (own.empty() || !Take(own)) {
    own = list_.Name(parent);
    Take(own);
  }
  renamed_.Renamed(parent, title, own);
  next_.Group(parent, clones, own);
}
