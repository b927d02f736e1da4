// A fixed array of unsigned values with range-minimum queries in O(log n);
// a range of a few positions is answered from its leaves in O(1).
#ifndef TRAMLUNE_MATCHING_MIN_TREE_H_
#define TRAMLUNE_MATCHING_MIN_TREE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class MinTree {
 public:
  /// Holds value_at(0), ..., value_at(size - 1), asked for in that order
  /// and written straight into the tree; rebuilt from scratch.
  template <typename ValueAt>
  void Build(int32_t size, ValueAt&& value_at) {
    Resize(size);
    for (int32_t k = 0; k < size; ++k)
      nodes_[leaves_ + k] = value_at(k);
    FillInnerNodes();
  }

  int32_t Size() const { return size_; }

  /// The smallest value at positions a..b (a <= b, both in range).
  uint32_t RangeMin(int32_t a, int32_t b) const {
    // A short span is read from its leaves, which lie side by side in a
    // cache line or two; a longer one climbs the tree.
    if (b - a < kShortSpan) {
      const uint32_t* leaf = nodes_.data() + leaves_;
      uint32_t result = leaf[a];
      for (int32_t k = a + 1; k <= b; ++k)
        result = std::min(result, leaf[k]);
      return result;
    }
    return SpanMin(a, b);
  }

 private:
  /// Makes room for size leaves, all 0 (padding leaves stay 0).
  void Resize(int32_t size);
  void FillInnerNodes();
  /// RangeMin of a span longer than kShortSpan, through the tree.
  uint32_t SpanMin(int32_t a, int32_t b) const;

  static constexpr int32_t kShortSpan = 16;

  int32_t size_ = 0;
  size_t leaves_ = 1;
  std::vector<uint32_t> nodes_;  // 1-based heap order; leaves from leaves_
};

#endif  // TRAMLUNE_MATCHING_MIN_TREE_H_
