#include "matching/min_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// Every query on every range of random arrays of every size up to 40,
// against a plain scan.
TEST(MinTreeTest, AgreesWithScan) {
  std::mt19937 rng(7);
  for (int size = 0; size <= 40; ++size) {
    std::vector<uint32_t> values(size);
    for (uint32_t& v : values) v = rng() % 6;
    MinTree tree;
    tree.Assign(values);
    ASSERT_EQ(tree.Size(), size);
    for (int a = 0; a < size; ++a)
      for (int b = a; b < size; ++b)
        ASSERT_EQ(tree.RangeMin(a, b),
                  *std::min_element(values.begin() + a, values.begin() + b + 1));
    for (uint32_t bound = 0; bound <= 6; ++bound) {
      for (int from = 0; from <= size; ++from) {
        int first = from;
        while (first < size && values[first] >= bound) ++first;
        ASSERT_EQ(tree.FirstBelow(from, bound), first) << size << " " << from;
      }
      for (int to = -1; to < size; ++to) {
        int last = to;
        while (last >= 0 && values[last] >= bound) --last;
        ASSERT_EQ(tree.LastBelow(to, bound), last) << size << " " << to;
      }
    }
  }
}

}  // namespace
