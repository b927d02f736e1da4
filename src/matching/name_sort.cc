#include "matching/name_sort.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The name of an entry, its length and that of its base name.
struct KeyedName {
  KeyedName(const NameStore& store, const FileEntry& e)
      : name(store.Data(e.location)),
        size(e.size),
        base_size(store.BaseSize(e)) {}
  KeyedName(const char* name, uint32_t size, uint32_t base_size)
      : name(name), size(size), base_size(base_size) {}

  const char* name;
  uint32_t size;
  uint32_t base_size;
};

// The sort key of an entry is its folded base name, a 0 byte, then its
// folded extension. Names hold no 0 byte, so comparing keys as unsigned
// bytes, a shorter key first, orders by base name, then by extension, both
// with ASCII letters folded.
unsigned KeyByte(const KeyedName& e, size_t p) {
  if (p < e.base_size)
    return FoldByte(static_cast<unsigned char>(e.name[p]));
  if (p == e.base_size || p > e.size)
    return 0;
  return FoldByte(static_cast<unsigned char>(e.name[p - 1]));
}

size_t KeySize(const KeyedName& e) { return size_t{e.size} + 1; }

// The sort reads keys in chunks of eight bytes, the first in the highest
// place.
using Chunk = uint64_t;
constexpr size_t kChunkBytes = sizeof(Chunk);
constexpr int kChunkBits = 8 * kChunkBytes;
constexpr Chunk kAllOnes = ~Chunk{0};

// The kChunkBytes name bytes at p, folded, the first in the highest place.
Chunk FoldedBytes(const char* p) {
  Chunk word;
  std::memcpy(&word, p, sizeof(word));
  if constexpr (sizeof(Chunk) == 8)
    return __builtin_bswap64(FoldWord(word));
  else
    return __builtin_bswap32(static_cast<Chunk>(FoldWord(word)));
}

// The key bytes of the chunk at depth, past the end filled with 0. A chunk
// of 0 means that the key ended before it or in it: a key has one 0 byte
// only, so an unfinished key never shows kChunkBytes of them.
Chunk LoadChunk(const KeyedName& e, size_t depth) {
  size_t p = depth * kChunkBytes;
  if constexpr (std::endian::native == std::endian::little) {
    // Bytes that lie wholly in the base, or wholly in the extension (which
    // stands one byte later in the key than in the name), are read as one
    // word.
    if (p + kChunkBytes <= e.base_size)
      return FoldedBytes(e.name + p);
    if (p > e.size)
      return 0;  // the key has ended
    if (e.size >= kChunkBytes) {
      // Up to kChunkBytes name bytes from where the chunk's first key byte
      // comes from, 0 past the name's end, read as one word that ends where
      // the name ends when fewer are left.
      size_t from = p > e.base_size ? p - 1 : p;
      size_t left = std::min<size_t>(e.size - from, kChunkBytes);
      Chunk bytes = left == 0 ? 0
                              : FoldedBytes(e.name + from + left - kChunkBytes)
                                    << (kChunkBits - 8 * left);
      if (p > e.base_size)
        return bytes;
      // The base ends in this chunk: its bytes, the 0 byte, then the
      // extension's bytes one place later.
      size_t k = e.base_size - p;
      Chunk before = k == 0 ? 0 : ~(kAllOnes >> (8 * k));
      Chunk after = (kAllOnes >> 8) >> (8 * k);
      return (bytes & before) | ((bytes >> 8) & after);
    }
  }
  Chunk chunk = 0;
  for (size_t q = 0; q < kChunkBytes; ++q, ++p)
    chunk = static_cast<Chunk>(chunk << 8) | KeyByte(e, p);
  return chunk;
}

// Compares the keys of a and b from chunk depth on, chunk by chunk.
int CompareKeysFrom(const KeyedName& a, const KeyedName& b, size_t depth) {
  size_t end = std::max(KeySize(a), KeySize(b));
  for (; depth * kChunkBytes < end; ++depth) {
    Chunk ca = LoadChunk(a, depth), cb = LoadChunk(b, depth);
    if (ca != cb)
      return ca < cb ? -1 : 1;
  }
  return 0;
}

// What the sort records of each pair of neighbours, at the position of the
// second, in sixteen bits: the length of the prefix their keys share, and
// whether the second key's byte just after it is a dot (NamePrefix turns
// this into the names' shared prefix). kEqualKeys when the keys are the
// same; kLongParting when they share kLongParting bytes or more, and the
// names themselves tell.
using Parting16 = uint16_t;
constexpr Parting16 kDotAfter = Parting16{1} << 15;
constexpr Parting16 kEqualKeys = kDotAfter - 1;
constexpr Parting16 kLongParting = kEqualKeys - 1;

// The record of keys that share same bytes, dot telling whether the second
// goes on with a dot.
Parting16 PartingAt(size_t same, bool dot) {
  if (same >= kLongParting)
    return kLongParting;
  return static_cast<Parting16>(same | (dot ? kDotAfter : 0));
}

// The record of two neighbours whose chunks at depth, left and right,
// differ.
Parting16 Parting(Chunk left, Chunk right, size_t depth) {
  int same = std::countl_zero(static_cast<Chunk>(left ^ right)) / 8;
  unsigned byte =
      static_cast<unsigned>(right >> (kChunkBits - 8 - 8 * same)) & 0xFF;
  return PartingAt(depth * kChunkBytes + same, byte == '.');
}

// The record of a and b, whose keys are equal before chunk depth.
Parting16 KeyParting(const KeyedName& a, const KeyedName& b, size_t depth) {
  size_t end = std::max(KeySize(a), KeySize(b));
  for (; depth * kChunkBytes < end; ++depth) {
    Chunk ca = LoadChunk(a, depth), cb = LoadChunk(b, depth);
    if (ca != cb)
      return Parting(ca, cb, depth);
  }
  return kEqualKeys;
}

// The range being sorted: entries and, beside each, the chunk of its key
// at the current depth, which move together; and the records of the
// neighbours at each position, which stay.
struct Items {
  FileEntry* entries;
  Chunk* chunks;
  Parting16* partings;

  Items operator+(size_t k) const {
    return {entries + k, chunks + k, partings + k};
  }
  // Records that the keys of the whole range are the same.
  void AllEqual(size_t count) const {
    if (count > 1)
      std::fill(partings + 1, partings + count, kEqualKeys);
  }
  void Swap(size_t i, size_t j) const {
    std::swap(entries[i], entries[j]);
    std::swap(chunks[i], chunks[j]);
  }
};

// Loads the chunk at depth of count items, fetching names a few entries
// ahead: their names lie anywhere in the store.
void LoadChunks(Items items, size_t count, size_t depth,
                const NameStore& store) {
  constexpr size_t kAhead = 8;
  for (size_t i = 0; i < count; ++i) {
    if (i + kAhead < count)
      __builtin_prefetch(store.Data(items.entries[i + kAhead].location) +
                         depth * kChunkBytes);
    items.chunks[i] = LoadChunk(KeyedName(store, items.entries[i]), depth);
  }
}

// Sorts a few items whose chunks at depth are cached, by insertion: equal
// chunks are told apart by the keys' later chunks, read from the names.
// Records the partings of the neighbours.
void InsertionSort(Items items, size_t count, size_t depth,
                   const NameStore& store) {
  Chunk* chunks = items.chunks;
  for (size_t i = 1; i < count; ++i) {
    FileEntry entry = items.entries[i];
    Chunk chunk = chunks[i];
    size_t j = i;
    for (; j > 0; --j) {
      if (chunks[j - 1] < chunk) break;
      if (chunks[j - 1] == chunk &&
          CompareKeysFrom(KeyedName(store, items.entries[j - 1]),
                          KeyedName(store, entry), depth + 1) <= 0)
        break;
      items.entries[j] = items.entries[j - 1];
      chunks[j] = chunks[j - 1];
    }
    items.entries[j] = entry;
    chunks[j] = chunk;
  }
  for (size_t i = 1; i < count; ++i)
    items.partings[i] =
        chunks[i - 1] != chunks[i]
            ? Parting(chunks[i - 1], chunks[i], depth)
            : KeyParting(KeyedName(store, items.entries[i - 1]),
                         KeyedName(store, items.entries[i]), depth + 1);
}

// Multikey quicksort on chunks: the items of a range share their
// first kChunkBytes * depth key bytes, and each is partitioned by the cached chunk,
// so names that share long prefixes are read once per chunk, not once per
// comparison.
void QuickSort(Items items, size_t count, size_t depth,
               const NameStore& store) {
  Chunk* chunks = items.chunks;
  while (count > 1) {
    if (count < 6) {
      // A run of equal chunks, such as the clones of one title, goes a
      // chunk deeper at once: its names are then read side by side rather
      // than one comparison after another.
      if (std::all_of(chunks + 1, chunks + count,
                      [first = chunks[0]](Chunk c) { return c == first; })) {
        if (chunks[0] == 0) {
          items.AllEqual(count);  // every key has ended
          return;
        }
        LoadChunks(items, count, ++depth, store);
        continue;
      }
      InsertionSort(items, count, depth, store);
      return;
    }
    Chunk a = chunks[0], b = chunks[count / 2], c = chunks[count - 1];
    Chunk pivot = std::max(std::min(a, b), std::min(std::max(a, b), c));
    // Two passes, the chunks below the pivot to the front, then those equal
    // to it after them, each item swapped whatever its chunk: the chunks
    // come in no order that a branch on them could predict.
    size_t lt = 0, gt = 0;
    Chunk most_below = 0, least_above = kAllOnes;
    for (size_t i = 0; i < count; ++i) {
      Chunk chunk = chunks[i];
      bool below = chunk < pivot;
      most_below = std::max(most_below, below ? chunk : 0);
      items.Swap(lt, i);
      lt += below;
    }
    gt = lt;
    for (size_t i = lt; i < count; ++i) {
      Chunk chunk = chunks[i];
      bool equal = chunk == pivot;
      least_above = std::min(least_above, equal ? kAllOnes : chunk);
      items.Swap(gt, i);
      gt += equal;
    }
    // The pivot's range lies between the greatest chunk below it and the
    // least above it.
    if (lt > 0)
      items.partings[lt] = Parting(most_below, pivot, depth);
    if (gt < count)
      items.partings[gt] = Parting(pivot, least_above, depth);
    // The equal range goes one chunk deeper unless its keys have ended;
    // when it is the whole range, without a call of its own, so that keys
    // that share a long prefix take no deep recursion.
    if (pivot == 0) {
      (items + lt).AllEqual(gt - lt);
    } else if (lt == 0 && gt == count) {
      LoadChunks(items, count, ++depth, store);
      continue;
    } else if (gt - lt > 1) {
      LoadChunks(items + lt, gt - lt, depth + 1, store);
      QuickSort(items + lt, gt - lt, depth + 1, store);
    }
    // Recurse into the smaller side, go on with the larger.
    size_t upper = count - gt;
    if (lt < upper) {
      QuickSort(items, lt, depth, store);
      items = items + gt;
      chunks = items.chunks;
      count = upper;
    } else {
      QuickSort(items + gt, upper, depth, store);
      count = lt;
    }
  }
}

// Ranges shorter than this go to the quicksort: distributing them costs
// more than comparing.
constexpr size_t kRadixMinimum = 64;

unsigned Digit(Chunk chunk, int shift) {
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
      Chunk chunk = items.chunks[heads[b]];
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

// Room for a copy of the items of a range, up to capacity of them.
struct Scratch {
  explicit Scratch(size_t capacity)
      : capacity(capacity),
        entries(new FileEntry[capacity]),
        chunks(new Chunk[capacity]) {}

  size_t capacity;
  std::unique_ptr<FileEntry[]> entries;
  std::unique_ptr<Chunk[]> chunks;
};

// Ranges of up to this many items are distributed through a copy (20 bytes
// an item); longer ones, in place.
constexpr size_t kCopyMaximum = size_t{1} << 15;

// The same as Distribute, through a copy in scratch (count at most its
// capacity), keeping the order of the items within each bucket. Unlike the
// cycles of Distribute, no move waits for the one before it.
void DistributeByCopy(Items items, size_t count, int shift,
                      const Scratch& scratch) {
  uint32_t heads[256] = {};
  for (size_t i = 0; i < count; ++i) {
    Chunk chunk = items.chunks[i];
    ++heads[Digit(chunk, shift)];
    scratch.chunks[i] = chunk;
    scratch.entries[i] = items.entries[i];
  }
  uint32_t sum = 0;
  for (uint32_t& head : heads) {
    uint32_t size = head;
    head = sum;
    sum += size;
  }
  for (size_t i = 0; i < count; ++i) {
    Chunk chunk = scratch.chunks[i];
    uint32_t to = heads[Digit(chunk, shift)]++;
    items.entries[to] = scratch.entries[i];
    items.chunks[to] = chunk;
  }
}

// One step of the MSD radix sort on the chunk bytes: the items of a range
// share their first kChunkBytes * depth key bytes. The range is split on
// the first byte of the chunk in which its items differ, and each bucket
// of two or more items is handed to sort_bucket(start, count, depth); a
// range whose chunks are all equal goes one chunk deeper, or is done when
// the keys have ended; a short range is sorted whole.
template <typename SortBucket>
void RadixStep(Items items, size_t count, size_t depth,
               const NameStore& store, const Scratch& scratch,
               SortBucket sort_bucket) {
  Chunk differ;  // the bits in which some chunk differs from the first
  for (;;) {
    if (count < kRadixMinimum) {
      QuickSort(items, count, depth, store);
      return;
    }
    Chunk first = items.chunks[0];
    differ = 0;
    for (size_t i = 1; i < count; ++i)
      differ |= items.chunks[i] ^ first;
    if (differ != 0)
      break;
    if (first == 0) {
      items.AllEqual(count);  // every key has ended
      return;
    }
    ++depth;
    LoadChunks(items, count, depth, store);
  }
  int shift = (kChunkBits - 1 - std::countl_zero(differ)) & ~7;
  if (count <= scratch.capacity)
    DistributeByCopy(items, count, shift, scratch);
  else
    Distribute(items, count, shift);
  // The buckets lie in order; each shares the bytes down to shift, and is
  // found by its byte, so that no count outlives Distribute. Neighbours in
  // two buckets share the bytes above shift.
  size_t same = depth * kChunkBytes + (kChunkBits - 8 - shift) / 8;
  for (size_t start = 0; start < count;) {
    unsigned digit = Digit(items.chunks[start], shift);
    if (start > 0)
      items.partings[start] = PartingAt(same, digit == '.');
    size_t end = start + 1;
    while (end < count && Digit(items.chunks[end], shift) == digit)
      ++end;
    if (end - start > 1)
      sort_bucket(start, end - start, depth);
    start = end;
  }
}

void RadixSort(Items items, size_t count, size_t depth,
               const NameStore& store, const Scratch& scratch) {
  RadixStep(items, count, depth, store, scratch,
            [&](size_t start, size_t n, size_t d) {
              RadixSort(items + start, n, d, store, scratch);
            });
}

// Lists of at least this many entries are sorted by two tasks.
constexpr size_t kShareMinimum = size_t{1} << 14;

// A range of items left to sort, that share depth chunks.
struct Range {
  size_t start, count, depth;
};

// The radix sort in two halves of about equal work: the steps of the
// largest ranges are taken here until no range holds more than an eighth
// of the items, then each task sorts its share of the ranges.
void SharedRadixSort(Items items, size_t count, const NameStore& store,
                     const Scratch& first_scratch,
                     const Scratch& second_scratch, const RunBoth& both) {
  both([&] { LoadChunks(items, count / 2, 0, store); },
       [&] { LoadChunks(items + count / 2, count - count / 2, 0, store); });
  std::vector<Range> open = {{0, count, 0}}, ranges;
  while (!open.empty()) {
    Range r = open.back();
    open.pop_back();
    if (r.count <= count / 8) {
      ranges.push_back(r);
      continue;
    }
    RadixStep(items + r.start, r.count, r.depth, store, first_scratch,
              [&](size_t start, size_t n, size_t d) {
                open.push_back({r.start + start, n, d});
              });
  }
  // The largest first, each to the task with less so far.
  std::sort(ranges.begin(), ranges.end(),
            [](const Range& a, const Range& b) { return a.count > b.count; });
  std::vector<Range> shares[2];
  size_t load[2] = {0, 0};
  for (const Range& r : ranges) {
    int task = load[0] <= load[1] ? 0 : 1;
    shares[task].push_back(r);
    load[task] += r.count;
  }
  auto sort_share = [&](int task, const Scratch& scratch) {
    for (const Range& r : shares[task])
      RadixSort(items + r.start, r.count, r.depth, store, scratch);
  };
  both([&] { sort_share(0, first_scratch); },
       [&] { sort_share(1, second_scratch); });
}

// The prefix that the names of a and b (a first) share after folding, from
// the record of their keys. Keys and names agree before the shorter base
// ends; past the end of two bases of one length, a name stands one byte
// before its key. Otherwise the keys part where the shorter base ends, and
// its name goes on with the dot of its extension, if it has one: only when
// b's name has a dot there too are the names read.
uint32_t NamePrefix(const FileEntry& a, const FileEntry& b, Parting16 parting,
                    const NameStore& store) {
  if (parting == kEqualKeys)
    return a.size;
  if (parting == kLongParting)
    return static_cast<uint32_t>(FoldedPrefixLength(
        std::string_view(store.Data(a.location), a.size),
        std::string_view(store.Data(b.location), b.size)));
  uint32_t same = parting & ~kDotAfter;
  uint32_t a_base = store.BaseSize(a), b_base = store.BaseSize(b);
  uint32_t base = std::min(a_base, b_base);
  if (same < base)
    return same;
  if (a_base == b_base)
    return same - 1;
  if (!(parting & kDotAfter) || a.size == a_base)
    return base;
  std::string_view name_a(store.Data(a.location), a.size);
  std::string_view name_b(store.Data(b.location), b.size);
  return base + static_cast<uint32_t>(FoldedPrefixLength(
                    name_a.substr(base), name_b.substr(base)));
}

// SortEntries, the shared prefixes written where shared_out() says, asked
// once the sort's own memory is given back.
template <typename SharedOut>
void SortInto(FileEntry* entries, size_t count, const NameStore& store,
              const RunBoth& both, SharedOut shared_out) {
  // The records take two bytes an entry while the chunks are at hand; the
  // shared prefixes, four, once they are gone.
  std::unique_ptr<Parting16[]> partings(new Parting16[count]);
  const bool shared_work = count >= kShareMinimum;
  if (count > 1) {
    std::unique_ptr<Chunk[]> chunks(new Chunk[count]);
    Items items{entries, chunks.get(), partings.get()};
    Scratch scratch(std::min(count, kCopyMaximum));
    if (shared_work) {
      Scratch second_scratch(std::min(count, kCopyMaximum));
      SharedRadixSort(items, count, store, scratch, second_scratch, both);
    } else {
      LoadChunks(items, count, 0, store);
      RadixSort(items, count, 0, store, scratch);
    }
  }
  uint32_t* shared = shared_out();
  if (count > 0)
    shared[0] = 0;
  auto prefixes = [&](size_t from, size_t to) {
    for (size_t k = std::max<size_t>(from, 1); k < to; ++k)
      shared[k] = NamePrefix(entries[k - 1], entries[k], partings[k], store);
  };
  if (shared_work)
    both([&] { prefixes(0, count / 2); }, [&] { prefixes(count / 2, count); });
  else
    prefixes(0, count);
}

}  // namespace

uint64_t SortKeyChunk(std::string_view name, size_t base_size, size_t depth) {
  static_assert(sizeof(Chunk) == sizeof(uint64_t));
  return LoadChunk(KeyedName(name.data(), static_cast<uint32_t>(name.size()),
                             static_cast<uint32_t>(base_size)),
                   depth);
}

std::vector<uint32_t> SortEntries(FileEntry* entries, size_t count,
                                  const NameStore& store,
                                  const RunBoth& both) {
  std::vector<uint32_t> shared;
  SortInto(entries, count, store, both, [&] {
    shared.resize(count);
    return shared.data();
  });
  return shared;
}

void SortEntries(FileEntry* entries, size_t count, const NameStore& store,
                 const RunBoth& both, uint32_t* shared) {
  SortInto(entries, count, store, both, [shared] { return shared; });
}
