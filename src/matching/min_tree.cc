#include "matching/min_tree.h"

#include <algorithm>

void MinTree::Assign(const std::vector<uint32_t>& values) {
  Build(static_cast<int32_t>(values.size()),
        [&values](int32_t k) { return values[k]; });
}

void MinTree::Resize(int32_t size) {
  size_ = size;
  leaves_ = 1;
  while (leaves_ < static_cast<size_t>(size))
    leaves_ *= 2;
  // Padding leaves hold 0, which is below every bound that is searched for,
  // so a search to the right ends on them; FirstBelow clamps to Size().
  nodes_.assign(2 * leaves_, 0);
}

void MinTree::FillInnerNodes() {
  for (size_t i = leaves_ - 1; i >= 1; --i)
    nodes_[i] = std::min(nodes_[2 * i], nodes_[2 * i + 1]);
}

uint32_t MinTree::SpanMin(int32_t a, int32_t b) const {
  size_t lo = a + leaves_, hi = b + leaves_ + 1;
  uint32_t result = UINT32_MAX;
  while (lo < hi) {
    if (lo & 1) result = std::min(result, nodes_[lo++]);
    if (hi & 1) result = std::min(result, nodes_[--hi]);
    lo >>= 1;
    hi >>= 1;
  }
  return result;
}

int32_t MinTree::FirstBelow(int32_t from, uint32_t bound) const {
  if (from >= size_)
    return size_;
  size_t i = from + leaves_;
  while (nodes_[i] >= bound) {
    while (i & 1)  // a right child: climb to the first left ancestor
      i >>= 1;
    if (i == 0)
      return size_;
    ++i;  // its right sibling covers the positions that follow
  }
  while (i < leaves_) {
    i *= 2;
    if (nodes_[i] >= bound)
      ++i;
  }
  return std::min(static_cast<int32_t>(i - leaves_), size_);
}

int32_t MinTree::LastBelow(int32_t to, uint32_t bound) const {
  if (to < 0)
    return -1;
  size_t i = to + leaves_;
  while (nodes_[i] >= bound) {
    while (!(i & 1))  // a left child: climb to the first right ancestor
      i >>= 1;
    if (i == 1)
      return -1;
    --i;  // its left sibling covers the positions that precede
  }
  while (i < leaves_) {
    i = 2 * i + 1;
    if (nodes_[i] >= bound)
      --i;
  }
  return static_cast<int32_t>(i - leaves_);
}
