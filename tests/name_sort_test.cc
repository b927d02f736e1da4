#include "matching/name_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "reference_grouping.h"
#include "test_support.h"

namespace {

using Names = std::vector<std::string>;

// Runs second, then first: two tasks that may run at once must not
// depend on each other's order.
void RunSecondFirst(const Task& first, const Task& second) {
  second();
  first();
}

// Sorts names, given in a shuffled order (or in order, where ordered),
// through a FileList whose tasks run as both runs them, spread over ranges
// from spread_sample names on where that is not 0; every neighbour pair
// must be in CompareFileNames order, with the shared prefix that the sort
// recorded for it, and every name must come back once.
void ExpectSorted(const char* what, Names names,
                  const RunBoth& both = RunInTurn, size_t spread_sample = 0,
                  bool ordered = false) {
  if (ordered)
    std::sort(names.begin(), names.end());
  else
    std::shuffle(names.begin(), names.end(), std::mt19937(5));
  FileList list;
  if (spread_sample > 0)
    list.SpreadOver(spread_sample);
  for (const std::string& name : names)
    list.Append(name);
  list.Sort(both);
  ASSERT_EQ(list.Count(), static_cast<int32_t>(names.size())) << what;
  Names out;
  for (int32_t i = 0; i < list.Count(); ++i) {
    if (i > 0) {
      ASSERT_LE(CompareFileNames(list, i - 1, i), 0)
          << what << ": " << list.Name(i - 1) << " before " << list.Name(i);
      ASSERT_EQ(list.SharedPrefix(i - 1, i),
                FoldedPrefixLength(list.Name(i - 1), list.Name(i)))
          << what << ": " << list.Name(i - 1) << " and " << list.Name(i);
    }
    out.emplace_back(list.Name(i));
  }
  std::sort(names.begin(), names.end());
  std::sort(out.begin(), out.end());
  EXPECT_EQ(out, names) << what;
}

// Ranges of each size around the point where the radix sort hands over to
// the quicksort, around the quicksort's insertion sort, and around the
// longest range that is distributed through a copy rather than in place
// (32768), all sharing a prefix longer than a chunk; and around the size
// from which two tasks share the work (16384), their ranges in either
// order.
TEST(NameSortTest, RangesAroundTheFallbackSizes) {
  for (int n : {2, 5, 6, 7, 63, 64, 65, 128, 129, 1000, 16383, 16384, 32768,
                32769, 70001}) {
    Names names;
    for (int i = 0; i < n; ++i)
      names.push_back("Shared Title (U) [" + std::to_string(i * 7 % n) +
                      (i % 3 ? "].v64" : "] (b).n64"));
    ExpectSorted(("size " + std::to_string(n)).c_str(), names);
    if (n >= 16384) {
      ExpectSorted(("second first " + std::to_string(n)).c_str(), names,
                   RunSecondFirst);
      ExpectSorted(("spread " + std::to_string(n)).c_str(), names,
                   RunSecondFirst, FileList::kSpreadSample);
    }
  }
}

TEST(NameSortTest, OrdersEdgeCaseKeys) {
  struct Case {
    const char* what;
    Names names;
  };
  std::vector<Case> cases;

  // Keys that end at every place in and around a chunk, with and without
  // an extension, many of them prefixes of each other.
  Names ends;
  for (int k = 0; k <= 40; ++k) {
    ends.push_back(std::string(k, 'x') + ".e");
    ends.push_back(std::string(k, 'x'));
    ends.push_back(std::string(k, 'x') + "y");
  }
  cases.push_back({"keys ending in a chunk", ends});

  // The same key in many spellings of case: all equal to the sort.
  Names equal;
  for (const char* spelling :
       {"Same Name.Ext", "SAME NAME.ext", "same name.EXT"})
    equal.insert(equal.end(), 50, spelling);
  equal.push_back("Same Name");
  equal.push_back("Same Name.Ex");
  cases.push_back({"equal keys", equal});

  // Bytes 0x80..0xFF order above every ASCII byte, unfolded, at the start
  // and deep inside the key.
  Names high;
  for (int c = 0x70; c <= 0xFF; ++c) {
    high.push_back(std::string(1, static_cast<char>(c)) + "x");
    high.push_back("Prefix of ten " + std::string(1, static_cast<char>(c)) +
                   "." + std::string(1, static_cast<char>(0x1FF - c)));
  }
  cases.push_back({"high bytes", high});

  // Every printable byte after a shared stem, in both cases: letters fold to
  // upper case, so "[", "_" and "`" come after all of them.
  Names folding;
  for (int c = 0x20; c <= 0x7E; ++c) {
    std::string stem = "Stem of a long name ";
    folding.push_back(stem + static_cast<char>(c) + "z.v64");
    folding.push_back(stem + static_cast<char>(c) + "Z");
  }
  cases.push_back({"case folding", folding});

  // Bases that are prefixes of other bases or of whole names: the base
  // orders first, then the extension.
  Names extensions;
  for (const char* stem : {"Game", "Game (U)", "Game.v64", "Game v", "Game.",
                           "Game (U) [!]", "GAME.V64.BAK", "game.v64.x.y"})
    for (const char* tail : {"", ".", ".v64", ".v64.bak", ".V", " (U).v64",
                             " [!].v64", ".n64", "..", "x.z"})
      extensions.push_back(std::string(stem) + tail);
  cases.push_back({"extensions sharing prefixes", extensions});

  // A name whose whole name begins the base of many others: their keys part
  // where its base ends, in a range long enough to be distributed, and their
  // names go on sharing its dot and extension.
  Names dotted = {"Same.x", "Same", "Same.x."};
  for (int i = 0; i < 70; ++i)
    dotted.push_back("Same.x." + std::to_string(i));
  cases.push_back({"bases continuing with a dot", dotted});

  // Keys that share about 32766 bytes, past which the sort leaves the
  // shared prefix to the names; bases longer than an entry holds (65535
  // bytes and more), beside ones just shorter, sharing the long stem.
  Names long_bases;
  for (size_t size : {32764, 32765, 32766, 32767, 65534, 65535, 65536})
    for (const char* tail : {"", ".x", "a.x", ".y"})
      long_bases.push_back(std::string(size, 'k') + tail);
  cases.push_back({"long bases", long_bases});

  // Spread over ranges after a small sample: shuffled, ranges of a few
  // names each; in order, the sample's ranges and one holding the rest.
  for (const Case& c : cases) {
    ExpectSorted(c.what, c.names);
    ExpectSorted(c.what, c.names, RunSecondFirst, 16);
    ExpectSorted(c.what, c.names, RunSecondFirst, 16, true);
  }
}

// The radix passes and the quicksort agree with an explicit order that
// turns on the extension of equal bases, past eight bytes.
TEST(NameSortTest, EqualBasesOrderByExtension) {
  Names expected;
  for (int i = 0; i < 100; ++i) {
    char ext[8];
    std::snprintf(ext, sizeof(ext), ".e%03d", i);
    expected.push_back(std::string("A base past one chunk") + ext);
  }
  Names shuffled = expected;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(9));
  FileList list;
  for (const std::string& name : shuffled)
    list.Append(name);
  list.Sort();
  for (int32_t i = 0; i < list.Count(); ++i)
    ASSERT_EQ(list.Name(i), expected[i]) << i;
}

}  // namespace
