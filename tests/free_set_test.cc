#include "matching/free_set.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(FreeSetTest, AgreesWithScan) {
  std::mt19937 rng(11);
  for (int size = 0; size <= 30; ++size) {
    FreeSet set;
    set.Reset(size);
    std::vector<bool> taken(size, false);
    for (int round = 0; round <= size; ++round) {
      for (int i = -1; i <= size; ++i) {
        int next = std::max(i, 0);
        while (next < size && taken[next]) ++next;
        ASSERT_EQ(set.NextFree(i), next) << size << " " << i;
        int prev = std::min(i, size - 1);
        while (prev >= 0 && taken[prev]) --prev;
        ASSERT_EQ(set.PreviousFree(i), prev) << size << " " << i;
      }
      if (size > 0) {
        int t = static_cast<int>(rng() % size);
        set.Take(t);
        taken[t] = true;
      }
    }
  }
}

}  // namespace
