#include "matching/free_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

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

// Sizes around the 64-position words and the levels above them, each with
// sparse free positions left among taken runs that cross those bounds.
TEST(FreeSetTest, FindsFreePositionsAcrossWordsAndLevels) {
  struct Case {
    int size;
    std::vector<int> free;  // all others are taken; -1 stands for size - 1
  };
  const Case cases[] = {
      {63, {0, -1}},
      {64, {63}},
      {65, {64}},
      {128, {}},
      {4095, {1, 4094}},
      {4096, {0, 4095}},
      {4097, {64, 4096}},
      {4160, {4159}},
      {262145, {0, 262143, 262144}},
      {300000, {131072, 200000}},
  };
  for (const Case& c : cases) {
    FreeSet set;
    set.Reset(c.size);
    std::vector<bool> taken(c.size, true);
    for (int f : c.free)
      taken[f < 0 ? c.size - 1 : f] = false;
    for (int i = 0; i < c.size; ++i)
      if (taken[i])
        set.Take(i);
    // The answers change only near a free position or a bound.
    std::vector<int> queries = {-1, 0, 1, 62, 63, 64, 65, c.size - 1, c.size};
    for (int f : c.free)
      for (int d = -65; d <= 65; ++d)
        queries.push_back((f < 0 ? c.size - 1 : f) + d);
    for (int i : queries) {
      if (i < -1 || i > c.size)
        continue;
      int next = std::max(i, 0);
      while (next < c.size && taken[next]) ++next;
      ASSERT_EQ(set.NextFree(i), next) << c.size << " " << i;
      int prev = std::min(i, c.size - 1);
      while (prev >= 0 && taken[prev]) --prev;
      ASSERT_EQ(set.PreviousFree(i), prev) << c.size << " " << i;
    }
  }
}

}  // namespace
