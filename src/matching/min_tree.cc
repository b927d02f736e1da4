#include "matching/min_tree.h"

#include <algorithm>

void MinTree::Resize(int32_t size) {
  size_ = size;
  leaves_ = 1;
  while (leaves_ < static_cast<size_t>(size))
    leaves_ *= 2;
  // Padding leaves hold 0; no query reaches them.
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
