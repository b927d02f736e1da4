#include "matching/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "reference_grouping.h"
#include "test_support.h"

namespace {

std::vector<std::string> Sorted(const std::vector<std::string>& names) {
  FileList list;
  AppendSorted(list, names);
  std::vector<std::string> out;
  for (int32_t i = 0; i < list.Count(); ++i)
    out.emplace_back(list.Name(i));
  return out;
}

// Names fill several store blocks, one is larger than a block, and the
// sort orders entries whose names lie in all of them: every name comes back
// whole, with its base, title and [!] facts.
TEST(FileListTest, KeepsNamesAcrossStoreBlocks) {
  std::vector<std::string> names;
  for (int i = 0; i < 90000; ++i)  // about 2.5 MiB of names
    names.push_back("Title " + std::to_string(i * 7919 % 90000) +
                    (i % 3 ? " (U) [a1].v64" : " (E) [!].n64"));
  names.insert(names.begin(), "");  // the first name stored is empty
  names.push_back(std::string(3 << 20, 'x') + ".big");
  names.push_back("");
  FileList list;
  for (const std::string& name : names)
    list.Append(name);
  for (int32_t i = 0; i < list.Count(); i += 997)
    ASSERT_EQ(list.Name(i), names[i]) << i;
  list.Sort();
  std::vector<std::string> sorted;
  for (int32_t i = 0; i < list.Count(); ++i) {
    std::string_view name = list.Name(i);
    ASSERT_EQ(list.Base(i), BaseName(name)) << i;
    ASSERT_EQ(list.TitleSize(i), TitleLength(BaseName(name))) << i;
    ASSERT_EQ(list.Verified(i), name.find("[!]") != std::string_view::npos);
    if (i > 0) {
      ASSERT_LE(CompareFileNames(list, i - 1, i), 0) << i;
    }
    sorted.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, names);
}

TEST(FileListTest, SortsByBaseThenExtension) {
  using Names = std::vector<std::string>;
  const Names orders[] = {
      // A base that leads another orders first, although the space of the
      // whole name would sort before its dot.
      {"Game (U).v64", "Game (U) [a1].v64"},
      {"Game (U) [!].v64", "Game (U) [a1].v64"},
      {"Gamex.v64", "Game[!].v64"},
      {"Game.n64", "Game.v64", "Game2.v64"},
      {"Game (E).v64", "Game (U) [!].v64", "Game (U) [a1].v64",
       "Game (U) [b1].v64"},
      {"Game (U) (V1.0).v64", "Game (U) [!].v64"},
      {"Game v1.1 (hack)", "Game v1 (E).v64", "Game v1.1 [!].v64"},
      {".v64", "a"},                  // an empty base first
      {"a", "a.", "a.b"},             // no extension, then "." , then ".b"
      {"b.Z", "B.zz"},                // case folds in the extension too
      {"x.a", "x\x01"},               // a base's end before any byte
      {"z.v64", "\x80.v64", "\xFF"},
  };
  for (const Names& order : orders) {
    Names reversed(order.rbegin(), order.rend());
    EXPECT_EQ(Sorted(reversed), order);
    EXPECT_EQ(Sorted(order), order);
  }
}

// Names equal but for ASCII case come out by their bytes, whatever order
// they were appended in, beside names that only begin alike.
TEST(FileListTest, CaseTiesOrderByBytes) {
  const std::vector<std::string> order = {
      "G", "GAME (U).V64", "GAME (U).v64", "Game (U).v64", "game (U).v64",
      "game (u).v64", "game (U).v64x", "h.v64", "H.V64x", "h.v64x"};
  std::vector<std::string> names = order;
  std::sort(names.begin(), names.end());
  int permutations = 0;
  do {
    ASSERT_EQ(Sorted(names), order) << testing::PrintToString(names);
  } while (++permutations < 2000 &&
           std::next_permutation(names.begin(), names.end()));
  std::reverse(names.begin(), names.end());
  EXPECT_EQ(Sorted(names), order);
}

TEST(FileListTest, CompareFileNames) {
  FileList list;
  for (const char* name : {"Game (U).v64", "Game (U) [a1].v64", "GAME (u).V64",
                           "Game.n64", "Game.v64"})
    list.Append(name);
  EXPECT_LT(CompareFileNames(list, 0, 1), 0);
  EXPECT_GT(CompareFileNames(list, 1, 0), 0);
  EXPECT_EQ(CompareFileNames(list, 0, 2), 0);
  EXPECT_LT(CompareFileNames(list, 3, 4), 0);
  EXPECT_EQ(CompareFileNames(list, 3, 3), 0);
}

TEST(FileListTest, KeepsDuplicatesAndStoresNames) {
  FileList list;
  std::string name = "same.v64";
  list.Append(name);
  list.Append(name);
  name[0] = 'X';  // the list holds its own copy
  list.Append(std::string(3 << 20, 'a'));  // larger than a storage block
  list.Sort();
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Name(0).size(), size_t(3 << 20));
  EXPECT_EQ(list.Name(1), "same.v64");
  EXPECT_EQ(list.Name(2), "same.v64");
  EXPECT_EQ(list.Base(1), "same");
  EXPECT_EQ(list.Extension(1), ".v64");
}

// Bases and titles around the sizes that an entry holds itself (below
// 65535 and 32767 bytes); longer ones the store keeps. Each is found again
// after the sort has moved the entries, among short names.
TEST(FileListTest, LongBasesAndTitles) {
  struct Case {
    size_t base, bracket;  // the base's size, where its first "[" stands
  };
  const Case cases[] = {{65534, 10},    {65535, 10},    {65536, 10},
                        {200000, 32765}, {200000, 32766}, {200000, 32767},
                        {40000, 32768},  {70000, 70000}, {32767, 32767}};
  FileList list;
  std::vector<std::string> names;
  for (const Case& c : cases) {
    std::string name(c.base, 'b');
    if (c.bracket < c.base)
      name[c.bracket] = '[';
    name += names.size() % 2 ? ".v64" : ".longer extension";
    names.push_back(name);
    list.Append(name);
    list.Append("short " + std::to_string(names.size()) + " [!].v64");
  }
  list.Sort();
  size_t found = 0;
  for (int32_t i = 0; i < list.Count(); ++i) {
    std::string_view name = list.Name(i);
    std::string_view base = BaseName(name);
    EXPECT_EQ(list.Base(i), base) << i;
    EXPECT_EQ(list.Extension(i), name.substr(base.size())) << i;
    EXPECT_EQ(list.TitleSize(i), TitleLength(base)) << i;
    EXPECT_EQ(list.Verified(i), name.size() < 100) << i;
    found += name.size() > 100;
  }
  EXPECT_EQ(found, std::size(cases));
}

TEST(FileListTest, MarksAndIndex) {
  FileList list;
  for (const char* name : {"ab", "abc", "abd", "x"})
    list.Append(name);
  EXPECT_EQ(list.SharedPrefix(0, 2), 2u);
  EXPECT_EQ(list.SharedPrefix(1, 2), 2u);
  EXPECT_EQ(list.SharedPrefix(2, 3), 0u);
  EXPECT_FALSE(list.Taken(1));
  list.Take(1);
  list.Take(1);
  EXPECT_TRUE(list.Taken(1));
  EXPECT_EQ(list.NextFree(1), 2);
  EXPECT_EQ(list.PreviousFree(1), 0);
  // Only "ab" shares its title (all of it, no tag) with a neighbour.
  EXPECT_EQ(list.NextSharingTitle(0), 0);
  EXPECT_EQ(list.NextSharingTitle(1), 4);
  // Appending invalidates the index; marks survive.
  list.Append("abcd");
  EXPECT_EQ(list.NextFree(1), 2);
  EXPECT_EQ(list.SharedPrefix(3, 4), 0u);
  EXPECT_EQ(list.NextSharingTitle(1), 5);
}

// Of 130 names that share no title, three that do stand at 64 to 66,
// across a word of the marks, found from before, within and after them.
TEST(FileListTest, NextSharingTitleAcrossWords) {
  std::vector<std::string> names;
  for (int i = 0; i < 130; ++i) {
    char name[8];
    std::snprintf(name, sizeof(name), "n%03d", i);
    names.push_back(name);
  }
  names.push_back("n064 [a]");
  names.push_back("n064 [b]");
  FileList list;
  AppendSorted(list, names);
  ASSERT_EQ(list.Name(65), "n064 [a]");
  for (auto [from, next] :
       std::vector<std::pair<int, int>>{{0, 64}, {63, 64}, {64, 64},
                                        {65, 65}, {66, 66}, {67, 132}})
    EXPECT_EQ(list.NextSharingTitle(from), next) << from;
}

}  // namespace
