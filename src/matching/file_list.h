// The ordered list of the files of one mask, with a mark per entry.
#ifndef TRAMLUNE_MATCHING_FILE_LIST_H_
#define TRAMLUNE_MATCHING_FILE_LIST_H_

#include <bit>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "base/run_both.h"
#include "matching/file_names.h"
#include "matching/free_set.h"
#include "matching/min_tree.h"

/// The name store's blocks hold up to 2^kNameBlockBits bytes each (a longer
/// name gets a block of its own).
inline constexpr int kNameBlockBits = 20;

/// A base name or title of at least this many bytes is too long for an
/// entry's field; the store keeps its length instead.
inline constexpr uint32_t kLongBase = 0xFFFF;
inline constexpr uint32_t kLongTitle = 0x7FFF;

/// One file of the mask, in twelve bytes: where its name lies in the
/// list's store, its length, the lengths of its base name and title (or
/// kLongBase, kLongTitle), and two flags.
struct FileEntry {
  uint32_t location;       // block << kNameBlockBits | offset in the block
  uint32_t size : 31;
  uint32_t taken : 1;      // in a group already: no grouping takes it again
  uint16_t base_size;
  uint16_t title_size : 15;
  uint16_t verified : 1;   // the name holds kVerifiedTag
};
static_assert(sizeof(FileEntry) == 12);

/// The lengths of the base name and title of the name at location, kept
/// for the names whose entry cannot hold them.
struct LongSizes {
  uint32_t location;
  uint32_t base_size;
  uint32_t title_size;
};

/// A list's names: blocks of up to 2^kNameBlockBits bytes each (a longer
/// name has a block of its own), and the sizes of the few names whose
/// entries cannot hold them, in the order of their locations.
struct NameStore {
  std::vector<std::unique_ptr<char[]>> blocks;
  std::vector<LongSizes> long_sizes;

  /// Where the name at location (as in FileEntry) begins.
  const char* Data(uint32_t location) const {
    return blocks[location >> kNameBlockBits].get() +
           (location & ((uint32_t{1} << kNameBlockBits) - 1));
  }
  uint32_t BaseSize(const FileEntry& e) const {
    return e.base_size != kLongBase ? e.base_size : Long(e).base_size;
  }
  uint32_t TitleSize(const FileEntry& e) const {
    return e.title_size != kLongTitle ? e.title_size : Long(e).title_size;
  }

 private:
  const LongSizes& Long(const FileEntry& e) const;
};

/// The files of one mask. Names are stored once, in blocks owned by the
/// list; entries refer to them. Besides the entries, the list keeps an index
/// of its current order: the folded prefix that each pair of neighbours
/// shares, and which entries are still free.
class FileList {
 public:
  explicit FileList(const LeadByteTable& lead = NoLeadBytes());
  ~FileList();
  FileList(const FileList&) = delete;
  FileList& operator=(const FileList&) = delete;

  /// Puts a free entry for name at the end; duplicates are accepted.
  void Append(std::string_view name);

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  std::string_view Name(int32_t i) const {
    return std::string_view(Data(entries_[i]), entries_[i].size);
  }
  std::string_view Base(int32_t i) const {
    return std::string_view(Data(entries_[i]), store_.BaseSize(entries_[i]));
  }
  std::string_view Extension(int32_t i) const {
    const FileEntry& e = entries_[i];
    uint32_t base = store_.BaseSize(e);
    return std::string_view(Data(e) + base, e.size - base);
  }
  /// TitleLength(Base(i)), found when the entry was appended.
  uint32_t TitleSize(int32_t i) const { return store_.TitleSize(entries_[i]); }
  /// Whether Name(i) holds kVerifiedTag.
  bool Verified(int32_t i) const { return entries_[i].verified; }
  /// Whether the entry is taken (in a group) rather than free.
  bool Taken(int32_t i) const { return entries_[i].taken; }
  const LeadByteTable& LeadBytes() const { return lead_; }

  /// Takes the entry at i; an entry is never freed again.
  void Take(int32_t i);

  /// Orders the entries by name: base names byte by byte with ASCII letters
  /// folded, a name before the longer names it leads, then the extensions
  /// likewise; names that this finds equal (they differ in ASCII case only)
  /// by their bytes; identical names may end up in either order. The names
  /// stay where they were stored. Builds the index of the new order. A
  /// long list is sorted by two tasks that both runs.
  void Sort(const RunBoth& both = RunInTurn);

  /// Once sample names have come, Append tells of each name which of up
  /// to kSpreadRanges ranges of the order it falls in, the ranges bounded
  /// by the sample's keys, and stores the names of a range side by side;
  /// Sort then gathers each range and sorts range after range, each within
  /// the cache, both tasks taking the next range as they finish one. This
  /// pays when the names come in an order that has nothing to do with
  /// theirs, as a hashed directory lists them, and Append's extra work runs
  /// while the listing waits on the system. Names that come in order make
  /// one large range, sorted as without. Call before the first Append.
  void SpreadOver(size_t sample = kSpreadSample);
  static constexpr size_t kSpreadSample = size_t{1} << 14;
  static constexpr size_t kSpreadRanges = 256;

  /// The smallest folded prefix that neighbours share from entry a to entry
  /// b (a < b): every entry of a..b begins with the same that many bytes.
  uint32_t SharedPrefix(int32_t a, int32_t b) {
    if (!indexed_) BuildIndex();
    return shared_.RangeMin(a + 1, b);
  }

  /// Whether the entry at i shares its title (TitleSize bytes, at least
  /// one) with a neighbour on either side. Farther entries share no more,
  /// so only such an entry can find a clone, whatever is taken.
  bool SharesTitle(int32_t i) {
    if (!indexed_) BuildIndex();
    return (sharing_title_[static_cast<size_t>(i) / 64] >> (i % 64)) & 1;
  }

  /// The first entry at or after i for which SharesTitle holds; Count()
  /// if none.
  int32_t NextSharingTitle(int32_t i) {
    if (!indexed_) BuildIndex();
    const int32_t count = Count();
    if (i >= count)
      return count;
    size_t word = static_cast<size_t>(i) / 64;
    uint64_t bits = sharing_title_[word] & (~uint64_t{0} << (i % 64));
    while (bits == 0) {
      if (++word == sharing_title_.size())
        return count;
      bits = sharing_title_[word];
    }
    return static_cast<int32_t>(word * 64 + std::countr_zero(bits));
  }

  /// The nearest free entry at or after i (Count() if none), and at or
  /// before i (-1 if none).
  int32_t NextFree(int32_t i) {
    if (!indexed_) BuildIndex();
    return free_.NextFree(i);
  }
  int32_t PreviousFree(int32_t i) {
    if (!indexed_) BuildIndex();
    return free_.PreviousFree(i);
  }

 private:
  static constexpr size_t kBlockSize = size_t{1} << kNameBlockBits;
  static constexpr size_t kFirstBlockSize = 4096;

  const char* Data(const FileEntry& e) const {
    return store_.Data(e.location);
  }
  /// Where names are put next: a block of the store, how much of it is
  /// used, and the size of the block that follows it.
  struct Shelf {
    char* block = nullptr;
    size_t index = 0;  // of the block in the store
    size_t used = 0;
    size_t capacity = 0;
    size_t next = kFirstBlockSize;
  };
  struct Spread;
  /// Copies name into the store, on shelf, and returns its location.
  uint32_t Store(std::string_view name, Shelf& shelf);
  /// The length of the base name of name.
  size_t BaseSizeOf(std::string_view name) const;
  /// The entry of name, of base name base_size long, stored on shelf.
  FileEntry MakeEntry(std::string_view name, size_t base_size, Shelf& shelf);
  /// Picks the ranges from the keys of the entries so far.
  void PickRanges();
  /// Sorts the spread entries, range by range; returns their shared
  /// prefixes.
  std::vector<uint32_t> SortSpread(const RunBoth& both);
  /// Builds the index of the current order, reading the names.
  void BuildIndex();
  /// The free part of the index, from the entries' marks.
  void ResetFree();
  /// The entries that share their titles with a neighbour, from the
  /// index's shared prefixes, in two halves that both runs.
  void MarkSharingTitle(const RunBoth& both = RunInTurn);

  LeadByteTable lead_;
  bool double_byte_;  // some byte of lead_ leads a character
  NameStore store_;  // blocks of up to kBlockSize each, or one long name
  Shelf shelf_;  // where names go unless they are spread
  std::unique_ptr<Spread> spread_;  // while names are spread over ranges
  /// Makes its elements without setting them: a vector of entries sized
  /// to be filled leaves its pages untouched until they are.
  template <typename T>
  struct UnsetAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = UnsetAllocator<U>;
    };
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
      if constexpr (sizeof...(Args) == 0)
        ::new (static_cast<void*>(at)) U;
      else
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
  };
  using Entries = std::vector<FileEntry, UnsetAllocator<FileEntry>>;
  Entries entries_;

  bool indexed_ = false;
  bool any_taken_ = false;  // some entry has been taken
  MinTree shared_;  // position k: prefix shared by entries k-1 and k
  std::vector<uint64_t> sharing_title_;  // a bit an entry
  FreeSet free_;
};

#endif  // TRAMLUNE_MATCHING_FILE_LIST_H_
