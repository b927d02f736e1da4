#include "matching/min_tree.h"

#include <algorithm>

void MinTree::BuildBlocks() {
  size_t blocks = (values_.size() + kBlock - 1) / kBlock;
  leaves_ = 1;
  while (leaves_ < blocks)
    leaves_ *= 2;
  // Padding leaves hold the largest value; no query reaches them.
  nodes_.assign(2 * leaves_, UINT32_MAX);
  for (size_t k = 0; k < values_.size(); ++k) {
    uint32_t& leaf = nodes_[leaves_ + k / kBlock];
    leaf = std::min(leaf, values_[k]);
  }
  for (size_t i = leaves_ - 1; i >= 1; --i)
    nodes_[i] = std::min(nodes_[2 * i], nodes_[2 * i + 1]);
}

uint32_t MinTree::SpanMin(int32_t a, int32_t b) const {
  // The ends' partial blocks from the values, the whole blocks between
  // them (at least one) from the tree.
  int32_t first = a / kBlock + 1, last = b / kBlock - 1;
  uint32_t result = UINT32_MAX;
  for (int32_t k = a; k < first * kBlock; ++k)
    result = std::min(result, values_[k]);
  for (int32_t k = (last + 1) * kBlock; k <= b; ++k)
    result = std::min(result, values_[k]);
  size_t lo = first + leaves_, hi = last + leaves_ + 1;
  while (lo < hi) {
    if (lo & 1) result = std::min(result, nodes_[lo++]);
    if (hi & 1) result = std::min(result, nodes_[--hi]);
    lo >>= 1;
    hi >>= 1;
  }
  return result;
}
