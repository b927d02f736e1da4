// The free positions 0..n-1 of a list, from which positions are taken one
// by one and never given back. Finding the nearest free position costs
// amortised almost O(1), however many taken positions lie between.
#ifndef TRAMLUNE_MATCHING_FREE_SET_H_
#define TRAMLUNE_MATCHING_FREE_SET_H_

#include <cstdint>
#include <vector>

class FreeSet {
 public:
  /// Makes positions 0..count-1 free.
  void Reset(int32_t count);

  /// Takes position i (in range); taking it again changes nothing.
  void Take(int32_t i);

  /// The smallest free position >= i; the count when there is none.
  int32_t NextFree(int32_t i);

  /// The largest free position <= i; -1 when there is none.
  int32_t PreviousFree(int32_t i);

 private:
  // Union-find forests, each slot pointing at itself while free. next_ has
  // a sentinel at the count; previous_ is shifted by one, with its sentinel
  // at 0 standing for -1.
  std::vector<int32_t> next_;
  std::vector<int32_t> previous_;
};

#endif  // TRAMLUNE_MATCHING_FREE_SET_H_
