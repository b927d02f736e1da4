#include "matching/free_set.h"

#include <numeric>

namespace {

// Follows the links from x to the free slot that ends them, halving the path.
int32_t FindRoot(std::vector<int32_t>& links, int32_t x) {
  while (links[x] != x) {
    links[x] = links[links[x]];
    x = links[x];
  }
  return x;
}

}  // namespace

void FreeSet::Reset(int32_t count) {
  next_.resize(count + 1);
  std::iota(next_.begin(), next_.end(), 0);
  previous_.resize(count + 1);
  std::iota(previous_.begin(), previous_.end(), 0);
}

void FreeSet::Take(int32_t i) {
  next_[i] = i + 1;
  previous_[i + 1] = i;
}

int32_t FreeSet::NextFree(int32_t i) {
  int32_t count = static_cast<int32_t>(next_.size()) - 1;
  if (i >= count)
    return count;
  return FindRoot(next_, i < 0 ? 0 : i);
}

int32_t FreeSet::PreviousFree(int32_t i) {
  int32_t count = static_cast<int32_t>(previous_.size()) - 1;
  if (i < 0)
    return -1;
  return FindRoot(previous_, (i >= count ? count - 1 : i) + 1) - 1;
}
