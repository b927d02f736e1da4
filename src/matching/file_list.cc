#include "matching/file_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kBlockSize = 1 << 20;

// The sort key of an entry is its folded base name, a 0 byte, then its
// folded extension. Names hold no 0 byte, so comparing keys as unsigned
// bytes, a shorter key first, gives the order of CompareFileNames.
unsigned KeyByte(const FileEntry& e, size_t p) {
  if (p < e.base_size)
    return FoldByte(static_cast<unsigned char>(e.Name[p]));
  if (p == e.base_size || p > e.Name.size())
    return 0;
  return FoldByte(static_cast<unsigned char>(e.Name[p - 1]));
}

size_t KeySize(const FileEntry& e) { return e.Name.size() + 1; }

// Eight key bytes from byte 8 * depth, the first in the highest place, past
// the end filled with 0. A chunk of 0 means that the key ended before it or
// in it: a key has one 0 byte only, so an unfinished key never shows eight.
uint64_t LoadChunk(const FileEntry& e, size_t depth) {
  uint64_t chunk = 0;
  size_t p = depth * 8;
  for (int q = 0; q < 8; ++q, ++p)
    chunk = (chunk << 8) | KeyByte(e, p);
  return chunk;
}

int CompareKeysFrom(const FileEntry& a, const FileEntry& b, size_t from) {
  size_t end = std::max(KeySize(a), KeySize(b));
  for (size_t p = from; p < end; ++p) {
    int d = static_cast<int>(KeyByte(a, p)) - static_cast<int>(KeyByte(b, p));
    if (d != 0)
      return d;
  }
  return 0;
}

struct SortItem {
  uint64_t chunk;
  uint32_t index;
};

// Multikey quicksort on eight-byte chunks: the items of a range share their
// first 8 * depth key bytes, and each is partitioned by the cached chunk,
// so names that share long prefixes are read once per chunk, not once per
// comparison.
void SortItems(SortItem* items, size_t count, size_t depth,
               const std::vector<FileEntry>& entries) {
  while (count > 1) {
    if (count < 12) {
      for (size_t i = 1; i < count; ++i) {
        SortItem item = items[i];
        size_t j = i;
        for (; j > 0; --j) {
          const SortItem& prev = items[j - 1];
          if (prev.chunk < item.chunk) break;
          if (prev.chunk == item.chunk &&
              CompareKeysFrom(entries[prev.index], entries[item.index],
                              depth * 8) <= 0)
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
        items[k].chunk = LoadChunk(entries[items[k].index], depth + 1);
      SortItems(items + lt, gt - lt, depth + 1, entries);
    }
    // Recurse into the smaller side, go on with the larger.
    size_t upper = count - gt;
    if (lt < upper) {
      SortItems(items, lt, depth, entries);
      items += gt;
      count = upper;
    } else {
      SortItems(items + gt, upper, depth, entries);
      count = lt;
    }
  }
}

}  // namespace

FileList::FileList(const LeadByteTable& lead) : lead_(lead) {}

std::string_view FileList::Store(std::string_view name) {
  if (name.size() > block_left_) {
    size_t size = std::max(kBlockSize, name.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    block_end_ = blocks_.back().get() + size;
    block_left_ = size;
  }
  char* at = block_end_ - block_left_;
  if (!name.empty())
    std::memcpy(at, name.data(), name.size());
  block_left_ -= name.size();
  return std::string_view(at, name.size());
}

void FileList::Append(std::string_view name) {
  FileEntry entry;
  entry.Name = Store(name);
  entry.base_size =
      static_cast<uint32_t>(BaseName(entry.Name, lead_).size());
  entries_.push_back(entry);
  indexed_ = false;
}

void FileList::Sort() {
  size_t n = entries_.size();
  if (n >= 2) {
    std::vector<SortItem> items(n);
    for (size_t i = 0; i < n; ++i)
      items[i] = {LoadChunk(entries_[i], 0), static_cast<uint32_t>(i)};
    SortItems(items.data(), n, 0, entries_);
    // Put the entries in the sorted order in place, cycle by cycle; an item
    // whose index is its own position is done.
    for (size_t start = 0; start < n; ++start) {
      if (items[start].index == start)
        continue;
      FileEntry held = entries_[start];
      size_t at = start;
      for (;;) {
        size_t from = items[at].index;
        items[at].index = static_cast<uint32_t>(at);
        if (from == start) {
          entries_[at] = held;
          break;
        }
        entries_[at] = entries_[from];
        at = from;
      }
    }
  }
  indexed_ = false;
}

void FileList::BuildIndex() {
  size_t n = entries_.size();
  std::vector<uint32_t> shared(n, 0);
  for (size_t k = 1; k < n; ++k)
    shared[k] = static_cast<uint32_t>(
        FoldedPrefixLength(entries_[k - 1].Name, entries_[k].Name));
  shared_.Assign(shared);
  free_.Reset(Count());
  for (int32_t i = 0; i < Count(); ++i)
    if (entries_[i].Mark != 0)
      free_.Take(i);
  indexed_ = true;
}

void FileList::Take(int32_t i) {
  if (entries_[i].Mark == -1)
    return;
  entries_[i].Mark = -1;
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
