// A hash index from names to numbers, for the DAT's many names: one flat
// table of sixteen-byte slots, a name's bytes compared only where the sizes
// agree.
#ifndef TRAMLUNE_MATCHING_NAME_INDEX_H_
#define TRAMLUNE_MATCHING_NAME_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

/// Names to numbers. Names compare byte by byte, or with ASCII letters
/// folded; the index keeps views, so the names must outlive it.
class NameIndex {
 public:
  /// An index for about expected names; fold: "a" and "A" are one name.
  NameIndex(size_t expected, bool fold);

  /// Adds name with value, unless the name is there already. Returns the
  /// value the name has: value, or the earlier one.
  int32_t Add(std::string_view name, int32_t value) {
    return Add(name, HashOf(name), value);
  }

  /// The value of name, or -1 when the index lacks it.
  int32_t Find(std::string_view name) const { return Find(name, HashOf(name)); }

  /// The same with the name's HashOf, which a walk over many names finds
  /// ahead and hands to Prefetch, so that the table's memory is read while
  /// other names are looked up, and then to PrefetchHeld, so that the bytes
  /// of the name held where the hash leads are read too.
  uint64_t HashOf(std::string_view name) const;
  void Prefetch(uint64_t hash) const {
    __builtin_prefetch(&slots_[Home(hash)]);
  }
  void PrefetchHeld(uint64_t hash) const {
    const Slot& slot = slots_[Home(hash)];
    if (slot.value >= 0)
      __builtin_prefetch(slot.data);
  }
  int32_t Add(std::string_view name, uint64_t hash, int32_t value);
  int32_t Find(std::string_view name, uint64_t hash) const;

 private:
  struct Slot {
    const char* data = nullptr;
    uint32_t size = 0;
    int32_t value = -1;  // -1: the slot is empty
  };
  // The slot where a name of hash begins its search: the hash scaled to
  // the table's size; the search goes on to the next slots, round.
  size_t Home(uint64_t hash) const {
    return static_cast<size_t>(
        (static_cast<unsigned __int128>(hash) * slots_.size()) >> 64);
  }
  size_t Next(size_t at) const { return at + 1 == slots_.size() ? 0 : at + 1; }
  bool Equal(const Slot& slot, std::string_view name) const;
  void Grow();

  bool fold_;
  size_t count_ = 0;
  std::vector<Slot> slots_;  // at most three quarters full
};

/// Calls visit(i, hash) for each i in [0, n), hash being index.HashOf of
/// name_of(i), found and prefetched some names ahead, and the bytes of the
/// name that index holds for it prefetched a few names ahead; the names'
/// own bytes are prefetched further ahead still.
template <typename NameOf, typename Visit>
void ForEachHashed(const NameIndex& index, size_t n, NameOf name_of,
                   Visit visit) {
  constexpr size_t kAhead = 4;
  uint64_t ahead[2 * kAhead];
  for (size_t i = 0; i < n + 2 * kAhead; ++i) {
    if (i + 3 * kAhead < n)
      __builtin_prefetch(name_of(i + 3 * kAhead).data());
    if (i >= 2 * kAhead)
      visit(i - 2 * kAhead, ahead[i % (2 * kAhead)]);
    if (i >= kAhead && i - kAhead < n)
      index.PrefetchHeld(ahead[(i - kAhead) % (2 * kAhead)]);
    if (i < n) {
      ahead[i % (2 * kAhead)] = index.HashOf(name_of(i));
      index.Prefetch(ahead[i % (2 * kAhead)]);
    }
  }
}

#endif  // TRAMLUNE_MATCHING_NAME_INDEX_H_
