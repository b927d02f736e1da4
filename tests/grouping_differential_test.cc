// The tool's grouping against the step-by-step reference on random lists
// of many name shapes.
#include <gtest/gtest.h>

#include <random>

#include "grouped_lines.h"
#include "reference_grouping.h"

namespace {

// Pieces that make names share prefixes in every way that matters: tags,
// names that lead others, case, high and double-byte bytes, several dots,
// "[" first, no extension, an empty base.
const char* const kPieces[] = {
    "Game", "game", "GAME", "Ga", " ", "  ", "(U)", "(E)", "[!]", "[a1]",
    "[b]",  "[",    "]",    ".",  ".v64", ".V64", ".n64", "\xE9", "\xC9",
    "\x95\x5C", "\\", "%", "x", "1", "2", "_", "^", "\x7F",
};

std::string RandomName(std::mt19937& rng) {
  std::string name;
  size_t pieces = rng() % 6;
  for (size_t i = 0; i < pieces; ++i)
    name += kPieces[rng() % (sizeof(kPieces) / sizeof(kPieces[0]))];
  if (name.empty())
    name.push_back('a');
  return name;
}

// Names built like real collections, and longer than the pieces above
// make them: release-group video names (all beginning with "["), dumped-game
// sets with tags after the region, titles that lead other titles, case
// variants, and extensions that differ or are missing.
std::string StructuredName(std::mt19937& rng) {
  static const char* const kGroups[] = {"[Grp]", "[grp]", "[G2]", "[", "[]"};
  static const char* const kTitles[] = {
      "Al", "Alpha", "ALPHA", "Alpha Beta", "alpha beta gamma", "Alpha  ",
      "Show", "Show 2", "Sh", "Game v1.1", "Game v1", "Gamex", "x"};
  static const char* const kMiddles[] = {"", " (U)", " (E)", " (U) (V1.0)",
                                         " 0001 - Ep", " 0002 - ep", " "};
  static const char* const kTags[] = {"", " [!]", " [a1]", " [b1]",
                                      "[!]", " [!][t1]", " [1080p]", " [",
                                      "  [o1]", " [!] [a1]"};
  static const char* const kExtensions[] = {".v64", ".V64", ".n64", ".mkv",
                                            "", ".a.b", "."};
  auto pick = [&rng](const auto& list) {
    return list[rng() % (sizeof(list) / sizeof(list[0]))];
  };
  std::string name;
  if (rng() % 3 == 0) {
    name += pick(kGroups);
    name += ' ';
  }
  name += pick(kTitles);
  name += pick(kMiddles);
  name += pick(kTags);
  name += pick(kExtensions);
  return name;
}

// The tool's grouping and marks against the reference on one sorted list.
void ExpectSameGrouping(FileList& list, const std::string& dir, int round) {
  ReferenceList reference;
  reference.lead = list.LeadBytes();
  for (int32_t i = 0; i < list.Count(); ++i) {
    reference.names.emplace_back(list.Name(i));
    reference.marks.push_back(0);
  }
  // The reference takes the prefix and suffix with their blanks.
  ASSERT_EQ(GroupedLines(list, dir, "do", "end"),
            ReferenceGroupLines(dir, "do ", " end", reference))
      << "round " << round;
  for (int32_t i = 0; i < list.Count(); ++i)
    ASSERT_EQ(list.Taken(i) ? -1 : 0, reference.marks[i]) << "round " << round;
}

TEST(GroupingDifferentialTest, MatchesReferenceOnStructuredNames) {
  std::mt19937 rng(4);
  for (int round = 0; round < 1500; ++round) {
    FileList list;
    // Mostly small lists, some of a few hundred names.
    int count = static_cast<int>(round % 10 == 0 ? 100 + rng() % 300
                                                 : rng() % 60);
    for (int i = 0; i < count; ++i)
      list.Append(StructuredName(rng));
    list.Sort();
    ExpectSameGrouping(list, round % 2 ? "roms/" : "", round);
    if (HasFatalFailure())
      return;
  }
}

TEST(GroupingDifferentialTest, MatchesReference) {
  LeadByteTable shift_jis{};
  for (int b = 0x81; b <= 0x9F; ++b) shift_jis[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) shift_jis[b] = true;

  std::mt19937 rng(20021210);
  for (int round = 0; round < 12000; ++round) {
    const LeadByteTable& lead = (round % 4 == 3) ? shift_jis : NoLeadBytes();
    FileList list(lead);
    int count = static_cast<int>(rng() % 40);
    for (int i = 0; i < count; ++i)
      list.Append(RandomName(rng));
    list.Sort();

    for (int32_t i = 1; i < list.Count(); ++i)
      ASSERT_LE(CompareFileNames(list, i - 1, i), 0) << "round " << round;
    ExpectSameGrouping(list, (round % 3 == 0) ? "C:\\%d%\\" : "", round);
    if (HasFatalFailure())
      return;
  }
}

// The sort against a plain comparison sort on the same keys, on lists
// large enough to reach the chunked partitioning.
TEST(GroupingDifferentialTest, SortMatchesComparisonSort) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    FileList list;
    std::vector<std::string> names;
    int count = static_cast<int>(rng() % 600);
    for (int i = 0; i < count; ++i) {
      // Long names and long extensions too, for the word-wide key reads.
      names.push_back(round % 2 ? StructuredName(rng) + StructuredName(rng)
                                : RandomName(rng) + RandomName(rng) +
                                      RandomName(rng));
      list.Append(names.back());
    }
    list.Sort();
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) {
                int r = FoldedCompare(BaseName(a), BaseName(b));
                if (r == 0)
                  r = FoldedCompare(ReferenceExtension(a),
                                    ReferenceExtension(b));
                return r < 0;
              });
    ASSERT_EQ(list.Count(), static_cast<int32_t>(names.size()));
    for (int32_t i = 0; i < list.Count(); ++i) {
      // Equal keys may stand in either order; compare the keys.
      ASSERT_EQ(FoldedCompare(list.Base(i), BaseName(names[i])), 0);
      ASSERT_EQ(FoldedCompare(list.Extension(i), ReferenceExtension(names[i])), 0);
    }
    std::vector<std::string> sorted_names;
    for (int32_t i = 0; i < list.Count(); ++i)
      sorted_names.emplace_back(list.Name(i));
    std::sort(sorted_names.begin(), sorted_names.end());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(sorted_names, names);  // nothing lost or doubled
  }
}

// The reference's block walk, which the reference grouping is built on.
TEST(GroupingDifferentialTest, ReferenceExtendRun) {
  ReferenceList list;
  list.names = {"ab", "ABc", "abd", "x", "ab"};  // unsorted on purpose
  list.marks.assign(list.names.size(), 0);
  struct Case { const char* prefix; int start; int step; int end; };
  const Case cases[] = {
      {"ab", 0, +1, 2}, {"ab", 2, -1, 0}, {"ab", 1, -1, 0},
      {"abc", 1, +1, 1},   // the neighbour fails: start itself
      {"x", 3, +1, 3}, {"x", 4, -1, 3},
      {"ab", 3, +1, 4},    // start need not pass; its neighbour does
      {"ab", 4, +1, 4},    // the end of the list
      {"", 0, +1, -1}, {"ab", -1, +1, -1}, {"ab", 5, -1, -1},
      {"abcd", 0, +1, 0},  // a name shorter than the prefix fails
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReferenceExtendRun(list, c.prefix, c.start, c.step), c.end)
        << c.prefix << " " << c.start << " " << c.step;
}

}  // namespace
