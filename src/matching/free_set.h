// The free positions 0..n-1 of a list, from which positions are taken one
// by one and never given back. Finding the nearest free position costs
// O(log64 n) word steps, however many taken positions lie between.
#ifndef TRAMLUNE_MATCHING_FREE_SET_H_
#define TRAMLUNE_MATCHING_FREE_SET_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

class FreeSet {
 public:
  /// Makes positions 0..count-1 free.
  void Reset(int32_t count);

  /// Takes position i (in range); taking it again changes nothing.
  void Take(int32_t i);

  /// The smallest free position >= i; the count when there is none.
  int32_t NextFree(int32_t i) const {
    // Most often the answer lies in i's own word.
    if (i >= 0 && i < count_) {
      uint64_t word = levels_[0][i / 64] & (~uint64_t{0} << (i % 64));
      if (word)
        return (i & ~63) + std::countr_zero(word);
    }
    return NextFreeBeyond(i);
  }

  /// The largest free position <= i; -1 when there is none.
  int32_t PreviousFree(int32_t i) const {
    if (i >= 0 && i < count_) {
      uint64_t word = levels_[0][i / 64] & (~uint64_t{0} >> (63 - i % 64));
      if (word)
        return (i | 63) - std::countl_zero(word);
    }
    return PreviousFreeBeyond(i);
  }

 private:
  /// NextFree and PreviousFree through the whole tree.
  int32_t NextFreeBeyond(int32_t i) const;
  int32_t PreviousFreeBeyond(int32_t i) const;

  // A tree of bit sets, 64 children to a word: levels_[0] has a bit set
  // for each free position, and each bit of levels_[k + 1] is set while
  // the word of levels_[k] below it is not zero. The last level is a
  // single word. A million positions take 126 KiB.
  std::vector<std::vector<uint64_t>> levels_;
  int32_t count_ = 0;
};

#endif  // TRAMLUNE_MATCHING_FREE_SET_H_
