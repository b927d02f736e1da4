#include "matching/file_list.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

namespace {

using Blocks = std::vector<std::unique_ptr<char[]>>;

// The name of an entry, its length and that of its base name.
struct KeyedName {
  KeyedName(const Blocks& blocks, const FileEntry& e)
      : name(blocks[e.location >> kNameBlockBits].get() +
             (e.location & ((size_t{1} << kNameBlockBits) - 1))),
        size(e.size),
        base_size(e.base_size) {}

  const char* name;
  uint32_t size;
  uint32_t base_size;
};

// The sort key of an entry is its folded base name, a 0 byte, then its
// folded extension. Names hold no 0 byte, so comparing keys as unsigned
// bytes, a shorter key first, gives the order of CompareFileNames.
unsigned KeyByte(const KeyedName& e, size_t p) {
  if (p < e.base_size)
    return FoldByte(static_cast<unsigned char>(e.name[p]));
  if (p == e.base_size || p > e.size)
    return 0;
  return FoldByte(static_cast<unsigned char>(e.name[p - 1]));
}

size_t KeySize(const KeyedName& e) { return size_t{e.size} + 1; }

// Eight key bytes from byte 8 * depth, the first in the highest place, past
// the end filled with 0. A chunk of 0 means that the key ended before it or
// in it: a key has one 0 byte only, so an unfinished key never shows eight.
uint64_t LoadChunk(const KeyedName& e, size_t depth) {
  size_t p = depth * 8;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes that lie wholly in the base, or wholly in the extension
    // (which stands one byte later in the key than in the name), are read
    // as one word.
    if (p + 8 <= e.base_size)
      return __builtin_bswap64(FoldWord(LoadWord(e.name + p)));
    if (p > e.base_size && p + 7 <= e.size)
      return __builtin_bswap64(FoldWord(LoadWord(e.name + p - 1)));
  }
  uint64_t chunk = 0;
  for (int q = 0; q < 8; ++q, ++p)
    chunk = (chunk << 8) | KeyByte(e, p);
  return chunk;
}

// Compares the keys of a and b from chunk depth on, chunk by chunk.
int CompareKeysFrom(const KeyedName& a, const KeyedName& b, size_t depth) {
  size_t end = std::max(KeySize(a), KeySize(b));
  for (; depth * 8 < end; ++depth) {
    uint64_t ca = LoadChunk(a, depth), cb = LoadChunk(b, depth);
    if (ca != cb)
      return ca < cb ? -1 : 1;
  }
  return 0;
}

// An entry with the key chunk that the sort compares at the current depth;
// the entry travels with it, so that the sort reads no other array than
// the names.
struct SortItem {
  uint64_t chunk;
  FileEntry entry;
};

// Multikey quicksort on eight-byte chunks: the items of a range share their
// first 8 * depth key bytes, and each is partitioned by the cached chunk,
// so names that share long prefixes are read once per chunk, not once per
// comparison.
void SortItems(SortItem* items, size_t count, size_t depth,
               const Blocks& blocks) {
  while (count > 1) {
    if (count < 12) {
      for (size_t i = 1; i < count; ++i) {
        SortItem item = items[i];
        size_t j = i;
        for (; j > 0; --j) {
          const SortItem& prev = items[j - 1];
          if (prev.chunk < item.chunk) break;
          if (prev.chunk == item.chunk &&
              CompareKeysFrom(KeyedName(blocks, prev.entry),
                              KeyedName(blocks, item.entry), depth) <= 0)
            break;
          items[j] = prev;
        }
        items[j] = item;
      }
      return;
    }
    uint64_t a = items[0].chunk, b = items[count / 2].chunk,
             c = items[count - 1].chunk;
    uint64_t pivot = std::max(std::min(a, b), std::min(std::max(a, b), c));
    size_t lt = 0, i = 0, gt = count;
    while (i < gt) {
      if (items[i].chunk < pivot)
        std::swap(items[lt++], items[i++]);
      else if (items[i].chunk > pivot)
        std::swap(items[i], items[--gt]);
      else
        ++i;
    }
    // The equal range goes one chunk deeper unless its keys have ended.
    if (pivot != 0 && gt - lt > 1) {
      for (size_t k = lt; k < gt; ++k)
        items[k].chunk = LoadChunk(KeyedName(blocks, items[k].entry), depth + 1);
      SortItems(items + lt, gt - lt, depth + 1, blocks);
    }
    // Recurse into the smaller side, go on with the larger.
    size_t upper = count - gt;
    if (lt < upper) {
      SortItems(items, lt, depth, blocks);
      items += gt;
      count = upper;
    } else {
      SortItems(items + gt, upper, depth, blocks);
      count = lt;
    }
  }
}

}  // namespace

size_t MinimumPrefixLength(std::string_view base) {
  size_t bracket = base.find('[');
  if (bracket == std::string_view::npos)
    return base.size();
  while (bracket > 0 && base[bracket - 1] == ' ')
    --bracket;
  // The title keeps the first of those spaces, or the "[" itself.
  return bracket + 1;
}

FileList::FileList(const LeadByteTable& lead)
    : lead_(lead),
      double_byte_(std::find(lead.begin(), lead.end(), true) != lead.end()) {}

uint32_t FileList::Store(std::string_view name) {
  if (blocks_.empty() || name.size() > block_capacity_ - block_used_) {
    // A location has room for 2^(32 - kNameBlockBits) blocks; a store that
    // would need more is out of memory as far as the list goes.
    if (blocks_.size() >= (size_t{1} << (32 - kNameBlockBits))) {
      // The same stop as when operator new finds no memory.
      if (std::new_handler handler = std::get_new_handler())
        handler();
      throw std::bad_alloc();
    }
    // Blocks grow from a page to kBlockSize, so that a short list takes
    // little; a longer name gets a block of its own.
    block_capacity_ = std::max(next_block_, name.size());
    next_block_ = std::min(2 * next_block_, kBlockSize);
    blocks_.push_back(std::unique_ptr<char[]>(new char[block_capacity_]));
    block_used_ = 0;
  }
  char* at = blocks_.back().get() + block_used_;
  if (!name.empty())
    std::memcpy(at, name.data(), name.size());
  uint32_t location = static_cast<uint32_t>(
      ((blocks_.size() - 1) << kNameBlockBits) | block_used_);
  block_used_ += name.size();
  return location;
}

void FileList::Append(std::string_view name) {
  FileEntry entry;
  entry.location = Store(name);
  entry.size = static_cast<uint32_t>(name.size());
  entry.taken = 0;
  std::string_view base =
      double_byte_ ? BaseName(name, lead_) : BaseName(name, NoLeadBytes());
  entry.base_size = static_cast<uint32_t>(base.size());
  entry.title_size = static_cast<uint32_t>(MinimumPrefixLength(base));
  entry.verified = ContainsText(name, kVerifiedTag) != 0;
  entries_.push_back(entry);
  indexed_ = false;
}

void FileList::Sort() {
  size_t n = entries_.size();
  if (n >= 2) {
    std::vector<SortItem> items(n);
    for (size_t i = 0; i < n; ++i)
      items[i] = {LoadChunk(KeyedName(blocks_, entries_[i]), 0), entries_[i]};
    // The entries are rewritten from the sorted items; their old array goes
    // first, so that the two are never held at once.
    std::vector<FileEntry>().swap(entries_);
    SortItems(items.data(), n, 0, blocks_);
    entries_.reserve(n);
    for (const SortItem& item : items)
      entries_.push_back(item.entry);
    std::vector<SortItem>().swap(items);
    Relocate();
  }
  indexed_ = false;
}

void FileList::Relocate() {
  // A new store, filled in list order; the old one goes when it is copied.
  Blocks old;
  old.swap(blocks_);
  size_t total = 0;
  for (const FileEntry& e : entries_)
    total += e.size;
  block_used_ = block_capacity_ = 0;
  next_block_ = std::clamp(total, kFirstBlockSize, kBlockSize);
  constexpr size_t kAhead = 16;
  size_t n = entries_.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n)
      __builtin_prefetch(KeyedName(old, entries_[i + kAhead]).name);
    KeyedName name(old, entries_[i]);
    entries_[i].location = Store(std::string_view(name.name, name.size));
  }
}

void FileList::BuildIndex() {
  size_t n = entries_.size();
  std::vector<uint32_t> shared(n, 0);
  constexpr size_t kAhead = 8;  // names lie in list order only after Sort
  for (size_t k = 1; k < n; ++k) {
    if (k + kAhead < n)
      __builtin_prefetch(Data(entries_[k + kAhead]));
    shared[k] = static_cast<uint32_t>(FoldedPrefixLength(
        Name(static_cast<int32_t>(k) - 1), Name(static_cast<int32_t>(k))));
  }
  shared_.Assign(shared);
  free_.Reset(Count());
  for (int32_t i = 0; i < Count(); ++i)
    if (entries_[i].taken)
      free_.Take(i);
  indexed_ = true;
}

void FileList::Take(int32_t i) {
  if (entries_[i].taken)
    return;
  entries_[i].taken = 1;
  if (indexed_)
    free_.Take(i);
}

uint32_t FileList::SharedPrefix(int32_t a, int32_t b) {
  if (!indexed_) BuildIndex();
  return shared_.RangeMin(a + 1, b);
}

int32_t FileList::BlockEnd(int32_t start, int step, uint32_t length) {
  if (!indexed_) BuildIndex();
  if (step > 0)
    return shared_.FirstBelow(start + 1, length) - 1;
  int32_t below = shared_.LastBelow(start, length);
  return below < 0 ? 0 : below;
}

int32_t FileList::NextFree(int32_t i) {
  if (!indexed_) BuildIndex();
  return free_.NextFree(i);
}

int32_t FileList::PreviousFree(int32_t i) {
  if (!indexed_) BuildIndex();
  return free_.PreviousFree(i);
}

int CompareFileNames(const FileList& list, int32_t i, int32_t j) {
  int r = FoldedCompare(list.Base(i), list.Base(j));
  if (r == 0)
    r = FoldedCompare(list.Extension(i), list.Extension(j));
  return r;
}
