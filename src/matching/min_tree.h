// A fixed array of unsigned values with range-minimum queries: a short range
// is read from the values themselves, a longer one from the minima of their
// blocks of kBlock, kept in a tree, in O(log n). The index costs about one
// value in eight besides the values.
#ifndef TRAMLUNE_MATCHING_MIN_TREE_H_
#define TRAMLUNE_MATCHING_MIN_TREE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class MinTree {
 public:
  /// Holds value_at(0), ..., value_at(size - 1), asked for in that order;
  /// rebuilt from scratch.
  template <typename ValueAt>
  void Build(int32_t size, ValueAt&& value_at) {
    values_.resize(static_cast<size_t>(size));
    for (int32_t k = 0; k < size; ++k)
      values_[k] = value_at(k);
    BuildBlocks();
  }

  /// Holds values, taken over without a copy; rebuilt from scratch.
  void Build(std::vector<uint32_t>&& values) {
    values_ = std::move(values);
    BuildBlocks();
  }

  /// The smallest value at positions a..b (a <= b, both in range).
  uint32_t RangeMin(int32_t a, int32_t b) const {
    // A short span is read from the values, which lie side by side in a
    // cache line or two; a longer one takes whole blocks from the tree.
    if (b - a < 2 * kBlock) {
      const uint32_t* value = values_.data();
      uint32_t result = value[a];
      for (int32_t k = a + 1; k <= b; ++k)
        result = std::min(result, value[k]);
      return result;
    }
    return SpanMin(a, b);
  }

 private:
  static constexpr int32_t kBlock = 16;

  /// Fills the tree of the blocks' minima from the values.
  void BuildBlocks();
  /// RangeMin of a span of at least 2 * kBlock positions.
  uint32_t SpanMin(int32_t a, int32_t b) const;

  std::vector<uint32_t> values_;
  size_t leaves_ = 1;            // leaves of the tree: blocks, padded
  std::vector<uint32_t> nodes_;  // 1-based heap order; leaves from leaves_
};

#endif  // TRAMLUNE_MATCHING_MIN_TREE_H_
