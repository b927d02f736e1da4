// A fixed array of unsigned values with range-minimum queries and searches
// for the nearest value below a bound, each in O(log n).
#ifndef TRAMLUNE_MATCHING_MIN_TREE_H_
#define TRAMLUNE_MATCHING_MIN_TREE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

class MinTree {
 public:
  /// Holds `values`; the tree is rebuilt from scratch.
  void Assign(const std::vector<uint32_t>& values);

  int32_t Size() const { return size_; }

  /// The smallest value at positions a..b (a <= b, both in range).
  uint32_t RangeMin(int32_t a, int32_t b) const;

  /// The smallest position >= from whose value is below bound; Size() when
  /// there is none.
  int32_t FirstBelow(int32_t from, uint32_t bound) const;

  /// The largest position <= to whose value is below bound; -1 when there
  /// is none.
  int32_t LastBelow(int32_t to, uint32_t bound) const;

 private:
  int32_t size_ = 0;
  size_t leaves_ = 1;
  std::vector<uint32_t> nodes_;  // 1-based heap order; leaves from leaves_
};

#endif  // TRAMLUNE_MATCHING_MIN_TREE_H_
