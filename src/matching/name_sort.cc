#include "matching/name_sort.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <utility>

namespace {

// The name of an entry, its length and that of its base name.
struct KeyedName {
  KeyedName(const NameBlocks& blocks, const FileEntry& e)
      : name(NameData(blocks, e.location)),
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

// The range being sorted: entries and, beside each, the chunk of its key
// at the current depth. The two move together.
struct Items {
  FileEntry* entries;
  uint64_t* chunks;

  Items operator+(size_t k) const { return {entries + k, chunks + k}; }
  void Swap(size_t i, size_t j) const {
    std::swap(entries[i], entries[j]);
    std::swap(chunks[i], chunks[j]);
  }
};

// Loads the chunk at depth of count items, fetching names a few entries
// ahead: their names lie anywhere in the store.
void LoadChunks(Items items, size_t count, size_t depth,
                const NameBlocks& blocks) {
  constexpr size_t kAhead = 8;
  for (size_t i = 0; i < count; ++i) {
    if (i + kAhead < count)
      __builtin_prefetch(NameData(blocks, items.entries[i + kAhead].location) +
                         depth * 8);
    items.chunks[i] = LoadChunk(KeyedName(blocks, items.entries[i]), depth);
  }
}

// Multikey quicksort on eight-byte chunks: the items of a range share their
// first 8 * depth key bytes, and each is partitioned by the cached chunk,
// so names that share long prefixes are read once per chunk, not once per
// comparison.
void QuickSort(Items items, size_t count, size_t depth,
               const NameBlocks& blocks) {
  uint64_t* chunks = items.chunks;
  while (count > 1) {
    if (count < 12) {
      // A run of equal chunks, such as the clones of one title, goes a
      // chunk deeper at once: its names are then read side by side rather
      // than one comparison after another.
      if (std::all_of(chunks + 1, chunks + count,
                      [first = chunks[0]](uint64_t c) { return c == first; })) {
        if (chunks[0] == 0)
          return;  // every key has ended: all are equal
        LoadChunks(items, count, ++depth, blocks);
        continue;
      }
      for (size_t i = 1; i < count; ++i) {
        FileEntry entry = items.entries[i];
        uint64_t chunk = chunks[i];
        size_t j = i;
        for (; j > 0; --j) {
          if (chunks[j - 1] < chunk) break;
          if (chunks[j - 1] == chunk &&
              CompareKeysFrom(KeyedName(blocks, items.entries[j - 1]),
                              KeyedName(blocks, entry), depth) <= 0)
            break;
          items.entries[j] = items.entries[j - 1];
          chunks[j] = chunks[j - 1];
        }
        items.entries[j] = entry;
        chunks[j] = chunk;
      }
      return;
    }
    uint64_t a = chunks[0], b = chunks[count / 2], c = chunks[count - 1];
    uint64_t pivot = std::max(std::min(a, b), std::min(std::max(a, b), c));
    size_t lt = 0, i = 0, gt = count;
    while (i < gt) {
      if (chunks[i] < pivot)
        items.Swap(lt++, i++);
      else if (chunks[i] > pivot)
        items.Swap(i, --gt);
      else
        ++i;
    }
    // The equal range goes one chunk deeper unless its keys have ended.
    if (pivot != 0 && gt - lt > 1) {
      LoadChunks(items + lt, gt - lt, depth + 1, blocks);
      QuickSort(items + lt, gt - lt, depth + 1, blocks);
    }
    // Recurse into the smaller side, go on with the larger.
    size_t upper = count - gt;
    if (lt < upper) {
      QuickSort(items, lt, depth, blocks);
      items = items + gt;
      chunks = items.chunks;
      count = upper;
    } else {
      QuickSort(items + gt, upper, depth, blocks);
      count = lt;
    }
  }
}

// Ranges shorter than this go to the quicksort: distributing them costs
// more than comparing.
constexpr size_t kRadixMinimum = 64;

unsigned Digit(uint64_t chunk, int shift) {
  return static_cast<unsigned>(chunk >> shift) & 0xFF;
}

// Moves the items into 256 buckets by the chunk byte at shift, in place,
// each bucket in the order of its byte (an American flag sort pass).
void Distribute(Items items, size_t count, int shift) {
  uint32_t heads[256] = {}, ends[256];
  for (size_t i = 0; i < count; ++i)
    ++heads[Digit(items.chunks[i], shift)];
  uint32_t sum = 0;
  for (int b = 0; b < 256; ++b) {
    uint32_t size = heads[b];
    heads[b] = sum;
    ends[b] = sum += size;
  }
  for (unsigned b = 0; b < 256; ++b) {
    while (heads[b] < ends[b]) {
      // Follow the cycle from the head of bucket b until an item of b
      // comes back to its place.
      FileEntry entry = items.entries[heads[b]];
      uint64_t chunk = items.chunks[heads[b]];
      for (unsigned d = Digit(chunk, shift); d != b;
           d = Digit(chunk, shift)) {
        uint32_t to = heads[d]++;
        std::swap(entry, items.entries[to]);
        std::swap(chunk, items.chunks[to]);
      }
      items.entries[heads[b]] = entry;
      items.chunks[heads[b]] = chunk;
      ++heads[b];
    }
  }
}

// MSD radix sort on the chunk bytes: the items of a range share their first
// 8 * depth key bytes. The range is split on the first byte of the chunk in
// which its items differ; a range whose chunks are all equal goes one chunk
// deeper, or is done when the keys have ended.
void RadixSort(Items items, size_t count, size_t depth,
               const NameBlocks& blocks) {
  uint64_t differ;  // the bits in which some chunk differs from the first
  for (;;) {
    if (count < kRadixMinimum) {
      QuickSort(items, count, depth, blocks);
      return;
    }
    uint64_t first = items.chunks[0];
    differ = 0;
    for (size_t i = 1; i < count; ++i)
      differ |= items.chunks[i] ^ first;
    if (differ != 0)
      break;
    if (first == 0)
      return;  // every key has ended: all are equal
    ++depth;
    LoadChunks(items, count, depth, blocks);
  }
  int shift = (63 - std::countl_zero(differ)) & ~7;
  Distribute(items, count, shift);
  // The buckets lie in order; each shares the bytes down to shift, and is
  // found by its byte, so that no count outlives Distribute.
  for (size_t start = 0; start < count;) {
    unsigned digit = Digit(items.chunks[start], shift);
    size_t end = start + 1;
    while (end < count && Digit(items.chunks[end], shift) == digit)
      ++end;
    if (end - start > 1)
      RadixSort(items + start, end - start, depth, blocks);
    start = end;
  }
}

}  // namespace

void SortEntries(FileEntry* entries, size_t count, const NameBlocks& blocks) {
  if (count < 2)
    return;
  std::unique_ptr<uint64_t[]> chunks(new uint64_t[count]);
  Items items{entries, chunks.get()};
  LoadChunks(items, count, 0, blocks);
  RadixSort(items, count, 0, blocks);
}
