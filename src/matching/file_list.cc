#include "matching/file_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "base/out_of_memory.h"
#include "matching/name_sort.h"

// The names spread over ranges of the order while they come.
struct FileList::Spread {
  size_t sample;
  // The keys that part the ranges, ascending, as the chunks of SortKeyChunk:
  // splitter s has those from first[s] to first[s + 1], the last of them
  // the one its key ends in, and heads[s] is its first. A key goes to the
  // range of the number of splitters that are not above it.
  std::vector<uint64_t> chunks;
  std::vector<uint32_t> first = {0};
  std::vector<uint64_t> heads;
  std::vector<Shelf> shelves;   // of each range
  std::vector<uint8_t> ranges;  // of each entry

  uint8_t RangeOf(std::string_view name, size_t base_size) const {
    const uint64_t head = SortKeyChunk(name, base_size, 0);
    size_t low = 0, high = heads.size();
    while (low < high) {
      size_t mid = low + (high - low) / 2;
      bool below = head != heads[mid] ? head < heads[mid]
                                      : BelowFromSecond(name, base_size, mid);
      if (below)
        high = mid;
      else
        low = mid + 1;
    }
    return static_cast<uint8_t>(low);
  }

  // Whether the key of name is below that of splitter s, whose first chunk
  // is the name's.
  bool BelowFromSecond(std::string_view name, size_t base_size,
                       size_t s) const {
    if (heads[s] == 0)
      return false;  // the same key, ended in its first chunk
    for (size_t depth = 1;; ++depth) {
      uint64_t a = SortKeyChunk(name, base_size, depth);
      uint64_t b =
          first[s] + depth < first[s + 1] ? chunks[first[s] + depth] : 0;
      if (a != b)
        return a < b;
      if (a == 0)
        return false;
    }
  }
};

FileList::FileList(const LeadByteTable& lead)
    : lead_(lead),
      double_byte_(std::find(lead.begin(), lead.end(), true) != lead.end()) {}

FileList::~FileList() = default;

uint32_t FileList::Store(std::string_view name, Shelf& shelf) {
  if (shelf.block == nullptr || name.size() > shelf.capacity - shelf.used) {
    // A location has room for 2^(32 - kNameBlockBits) blocks; a store that
    // would need more is out of memory as far as the list goes.
    if (store_.blocks.size() >= (size_t{1} << (32 - kNameBlockBits))) {
      OutOfMemory();
    }
    // Blocks grow from a page to kBlockSize, so that a short list takes
    // little; a longer name gets a block of its own.
    shelf.capacity = std::max(shelf.next, name.size());
    shelf.next = std::min(2 * shelf.next, kBlockSize);
    store_.blocks.push_back(std::unique_ptr<char[]>(new char[shelf.capacity]));
    shelf.block = store_.blocks.back().get();
    shelf.index = store_.blocks.size() - 1;
    shelf.used = 0;
  }
  char* at = shelf.block + shelf.used;
  if (!name.empty())
    std::memcpy(at, name.data(), name.size());
  uint32_t location =
      static_cast<uint32_t>((shelf.index << kNameBlockBits) | shelf.used);
  shelf.used += name.size();
  return location;
}

const LongSizes& NameStore::Long(const FileEntry& e) const {
  return *std::lower_bound(long_sizes.begin(), long_sizes.end(), e.location,
                           [](const LongSizes& sizes, uint32_t location) {
                             return sizes.location < location;
                           });
}

size_t FileList::BaseSizeOf(std::string_view name) const {
  return double_byte_ ? BaseName(name, lead_).size()
                      : BaseName(name, NoLeadBytes()).size();
}

FileEntry FileList::MakeEntry(std::string_view name, size_t base_size,
                              Shelf& shelf) {
  FileEntry entry;
  entry.location = Store(name, shelf);
  entry.size = static_cast<uint32_t>(name.size());
  entry.taken = 0;
  size_t title = TitleLength(name.substr(0, base_size));
  entry.base_size = static_cast<uint16_t>(std::min<size_t>(base_size, kLongBase));
  entry.title_size = static_cast<uint16_t>(std::min<size_t>(title, kLongTitle));
  if (base_size >= kLongBase || title >= kLongTitle)
    store_.long_sizes.push_back({entry.location,
                                 static_cast<uint32_t>(base_size),
                                 static_cast<uint32_t>(title)});
  entry.verified = HoldsText(name, kVerifiedTag);
  return entry;
}

void FileList::Append(std::string_view name) {
  indexed_ = false;
  const size_t base_size = BaseSizeOf(name);
  if (!spread_ || spread_->shelves.empty()) {
    entries_.push_back(MakeEntry(name, base_size, shelf_));
    if (spread_ && entries_.size() == spread_->sample)
      PickRanges();
    return;
  }
  Spread& spread = *spread_;
  const uint8_t range = spread.RangeOf(name, base_size);
  entries_.push_back(MakeEntry(name, base_size, spread.shelves[range]));
  spread.ranges.push_back(range);
}

void FileList::SpreadOver(size_t sample) {
  spread_ = std::make_unique<Spread>();
  spread_->sample = std::max<size_t>(sample, 2);
}

void FileList::PickRanges() {
  Spread& spread = *spread_;
  // The sample, sorted as the list will be, is parted at even steps into
  // ranges of one size; the keys there part the names to come.
  Entries sample(entries_);
  SortEntries(sample.data(), sample.size(), store_, RunInTurn);
  const size_t ranges = std::min(kSpreadRanges, sample.size());
  for (size_t r = 1; r < ranges; ++r) {
    const FileEntry& entry = sample[r * sample.size() / ranges];
    const std::string_view name(Data(entry), entry.size);
    const size_t base_size = store_.BaseSize(entry);
    // The key is the name and its 0 byte: its chunks to the one it ends in.
    for (size_t depth = 0; 8 * depth <= name.size() + 1; ++depth)
      spread.chunks.push_back(SortKeyChunk(name, base_size, depth));
    spread.heads.push_back(spread.chunks[spread.first.back()]);
    spread.first.push_back(static_cast<uint32_t>(spread.chunks.size()));
  }
  spread.shelves.resize(ranges);
  for (const FileEntry& entry : entries_)
    spread.ranges.push_back(spread.RangeOf(
        std::string_view(Data(entry), entry.size), store_.BaseSize(entry)));
}

std::vector<uint32_t> FileList::SortSpread(const RunBoth& both) {
  Spread& spread = *spread_;
  // Names stored on the ranges' shelves lie between the others: the long
  // sizes go back into the order of their locations.
  std::sort(store_.long_sizes.begin(), store_.long_sizes.end(),
            [](const LongSizes& a, const LongSizes& b) {
              return a.location < b.location;
            });
  // The entries are gathered by range, each task moving half of them to
  // the places that the counts of both halves give.
  const size_t total = entries_.size(), half = total / 2;
  const size_t count = spread.shelves.size();
  std::vector<size_t> counts[2] = {std::vector<size_t>(count, 0),
                                   std::vector<size_t>(count, 0)};
  auto count_half = [&](int h) {
    for (size_t i = h ? half : 0, end = h ? total : half; i < end; ++i)
      ++counts[h][spread.ranges[i]];
  };
  both([&] { count_half(0); }, [&] { count_half(1); });
  std::vector<size_t> starts(count + 1, 0);
  for (size_t r = 0; r < count; ++r)
    starts[r + 1] = starts[r] + counts[0][r] + counts[1][r];
  Entries gathered(total);  // filled by both tasks, pages and all
  auto move_half = [&](int h) {
    std::vector<size_t> to(count);
    for (size_t r = 0; r < count; ++r)
      to[r] = starts[r] + (h ? counts[0][r] : 0);
    for (size_t i = h ? half : 0, end = h ? total : half; i < end; ++i)
      gathered[to[spread.ranges[i]]++] = entries_[i];
  };
  both([&] { move_half(0); }, [&] { move_half(1); });
  entries_.swap(gathered);
  Entries().swap(gathered);
  std::vector<uint8_t>().swap(spread.ranges);

  std::vector<uint32_t> shared(total);
  auto sort_range = [&](size_t r, const RunBoth& run) {
    SortEntries(entries_.data() + starts[r], starts[r + 1] - starts[r],
                store_, run, shared.data() + starts[r]);
  };
  // A range of more than an eighth of the names (they came in order) is
  // sorted by both tasks at once; then each task takes the largest range
  // left as it finishes one.
  std::vector<size_t> order;
  for (size_t r = 0; r < count; ++r) {
    size_t size = starts[r + 1] - starts[r];
    if (size > total / 8)
      sort_range(r, both);
    else if (size > 0)
      order.push_back(r);
  }
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return starts[a + 1] - starts[a] > starts[b + 1] - starts[b];
  });
  std::atomic<size_t> next{0};
  const RunBoth in_turn = RunInTurn;
  const Task take = [&] {
    for (size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) <
                   order.size();)
      sort_range(order[i], in_turn);
  };
  both(take, take);
  // Where two ranges meet, the sort of neither saw the pair.
  for (size_t r = 0; r < count; ++r)
    if (starts[r] > 0 && starts[r] < starts[r + 1])
      shared[starts[r]] = static_cast<uint32_t>(FoldedPrefixLength(
          Name(static_cast<int32_t>(starts[r] - 1)),
          Name(static_cast<int32_t>(starts[r]))));
  return shared;
}

void FileList::Sort(const RunBoth& both) {
  // The sort finds the neighbours' shared prefixes as it goes, and the
  // index is built from them at once, without reading the names again.
  std::vector<uint32_t> shared =
      spread_ && !spread_->shelves.empty()
          ? SortSpread(both)
          : SortEntries(entries_.data(), entries_.size(), store_, both);
  spread_.reset();
  // Names that fold into the same bytes (they differ in ASCII case only)
  // are ordered by their own bytes, so that the order depends on the set
  // of names alone, not on the order the directory gave them in. They are
  // neighbours whose shared folded prefix is both whole names; within such
  // a run the shared prefixes stay what they were.
  size_t n = entries_.size();
  for (size_t k = 1; k < n;) {
    auto same = [&](size_t j) {
      return shared[j] == entries_[j].size &&
             entries_[j - 1].size == entries_[j].size;
    };
    if (!same(k)) {
      ++k;
      continue;
    }
    size_t first = k - 1;
    while (k < n && same(k))
      ++k;
    std::sort(entries_.begin() + first, entries_.begin() + k,
              [this](const FileEntry& a, const FileEntry& b) {
                return std::memcmp(Data(a), Data(b), a.size) < 0;
              });
  }
  shared_.Build(std::move(shared));
  MarkSharingTitle(both);
  ResetFree();
}

void FileList::BuildIndex() {
  // The names lie in the order they were listed, not in list order: fetch
  // a few ahead.
  constexpr int32_t kAhead = 8;
  int32_t n = Count();
  shared_.Build(n, [this, n](int32_t k) -> uint32_t {
    if (k + kAhead < n)
      __builtin_prefetch(Data(entries_[k + kAhead]));
    return k == 0 ? 0
                  : static_cast<uint32_t>(
                        FoldedPrefixLength(Name(k - 1), Name(k)));
  });
  MarkSharingTitle();
  ResetFree();
}

void FileList::MarkSharingTitle(const RunBoth& both) {
  const int32_t n = Count();
  sharing_title_.assign((static_cast<size_t>(n) + 63) / 64, 0);
  auto mark = [&](int32_t from, int32_t to) {
    for (int32_t k = from; k < to; ++k) {
      const uint32_t title = store_.TitleSize(entries_[k]);
      if (title == 0)
        continue;
      if ((k > 0 && shared_.RangeMin(k, k) >= title) ||
          (k + 1 < n && shared_.RangeMin(k + 1, k + 1) >= title))
        sharing_title_[k / 64] |= uint64_t{1} << (k % 64);
    }
  };
  // The halves part at a word of the bits.
  const int32_t half = n / 128 * 64;
  both([&] { mark(0, half); }, [&] { mark(half, n); });
}

void FileList::ResetFree() {
  free_.Reset(Count());
  if (any_taken_)
    for (int32_t i = 0; i < Count(); ++i)
      if (entries_[i].taken)
        free_.Take(i);
  indexed_ = true;
}

void FileList::Take(int32_t i) {
  if (entries_[i].taken)
    return;
  entries_[i].taken = 1;
  any_taken_ = true;
  if (indexed_)
    free_.Take(i);
}
