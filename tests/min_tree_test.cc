#include "matching/min_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// The minimum of every range of random arrays of every size up to 40, short
// spans and long, against a plain scan.
TEST(MinTreeTest, AgreesWithScan) {
  std::mt19937 rng(7);
  for (int size = 0; size <= 40; ++size) {
    std::vector<uint32_t> values(size);
    for (uint32_t& v : values) v = rng() % 6;
    MinTree tree;
    tree.Build(size, [&values](int32_t k) { return values[k]; });
    for (int a = 0; a < size; ++a)
      for (int b = a; b < size; ++b)
        ASSERT_EQ(tree.RangeMin(a, b),
                  *std::min_element(values.begin() + a, values.begin() + b + 1));
  }
}

// Longer arrays, whose long spans take whole blocks from the tree, built
// from a vector that the tree takes over: random ranges against a scan.
TEST(MinTreeTest, LongSpansAgreeWithScan) {
  std::mt19937 rng(11);
  for (int size : {47, 48, 49, 100, 257, 1000, 4099}) {
    std::vector<uint32_t> values(size);
    for (uint32_t& v : values) v = 1000 + rng() % 5000;
    values[rng() % size] = 3;  // one minimum far below the others
    std::vector<uint32_t> copy = values;
    MinTree tree;
    tree.Build(std::move(copy));
    for (int q = 0; q < 2000; ++q) {
      int a = static_cast<int>(rng() % size), b = static_cast<int>(rng() % size);
      if (a > b) std::swap(a, b);
      ASSERT_EQ(tree.RangeMin(a, b),
                *std::min_element(values.begin() + a, values.begin() + b + 1))
          << size << " " << a << " " << b;
    }
  }
}

}  // namespace
