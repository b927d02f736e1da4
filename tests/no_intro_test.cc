#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "matching/no_intro_grouping.h"
#include "matching/no_intro_names.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

// Writes each group as "title: parent | clone | clone".
class TextSink : public GroupSink {
 public:
  TextSink(const FileList& list, Lines& lines) : list_(list), lines_(lines) {}
  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override {
    std::string line = std::string(title) + ": ";
    line += list_.Name(parent);
    for (int32_t clone : clones)
      line += " | " + std::string(list_.Name(clone));
    lines_.push_back(line);
  }

 private:
  const FileList& list_;
  Lines& lines_;
};

// The groups of names, listed in this order and sorted; fails the test
// unless the files on the lines are exactly those taken, each once.
Lines Group(const std::vector<std::string>& names, bool singles,
            std::string_view region_list = kDefaultNoIntroRegions) {
  GroupingOptions options;
  options.singles = singles;
  EXPECT_TRUE(ParseRegionList(region_list, &options.regions));
  FileList list;
  AppendSorted(list, names);
  Lines lines;
  TextSink sink(list, lines);
  GroupNoIntro(list, options, sink);
  std::map<std::string, int> on_lines;
  for (const std::string& line : lines) {
    size_t at = line.find(": ") + 2;
    for (size_t bar; (bar = line.find(" | ", at)) != std::string::npos;
         at = bar + 3)
      ++on_lines[line.substr(at, bar - at)];
    ++on_lines[line.substr(at)];
  }
  for (int32_t i = 0; i < list.Count(); ++i)
    if (list.Taken(i))
      --on_lines[std::string(list.Name(i))];
  for (const auto& [name, more_than_taken] : on_lines)
    EXPECT_EQ(more_than_taken, 0) << name;
  return lines;
}

TEST(NoIntroNamesTest, Titles) {
  const std::pair<const char*, const char*> cases[] = {
      {"Super Mario 64 (USA)", "Super Mario 64"},
      {"Super Mario 64 (Europe) (En,Fr,De)", "Super Mario 64"},
      {"Super Mario 64 - Shindou Edition (Japan)",
       "Super Mario 64 - Shindou Edition"},
      {"Final Fantasy II (USA) (Rev 1)", "Final Fantasy II"},
      {"Metal Gear Solid (USA) (Disc 1) (Rev 1)", "Metal Gear Solid"},
      {"[BIOS] Nintendo 64 (Japan)", "[BIOS] Nintendo 64"},
      {"sUPER mario 64 (usa)", "sUPER mario 64"},
      {"Tetris", "Tetris"},
      {"Tetris \t ", "Tetris"},
      {"Tetris \t (World)", "Tetris"},
      {"Tetris(World) (Rev 1)", "Tetris(World)"},
      {"Tetris [b1]", "Tetris [b1]"},
      {" (USA)", ""},
      {"", ""},
  };
  for (const auto& [base, title] : cases)
    EXPECT_EQ(std::string_view(base).substr(0, NoIntroTitleLength(base)),
              title)
        << base;
}

TEST(NoIntroNamesTest, RegionLists) {
  std::vector<std::string> regions;
  EXPECT_TRUE(ParseRegionList("Japan", &regions));
  EXPECT_EQ(regions, std::vector<std::string>({"Japan"}));
  EXPECT_TRUE(ParseRegionList(" usa ,\tEurope,World", &regions));
  EXPECT_EQ(regions, std::vector<std::string>({"usa", "Europe", "World"}));
  for (const char* bad : {"", " ", ",", "USA,,Japan", "USA,", ",USA", "A, ,B"})
    EXPECT_FALSE(ParseRegionList(bad, &regions)) << bad;
  EXPECT_EQ(regions, std::vector<std::string>({"usa", "Europe", "World"}));
}

TEST(NoIntroGroupingTest, Groups) {
  struct Case {
    const char* what;
    std::vector<std::string> names;
    Lines lines;
    bool singles = false;
    const char* regions = kDefaultNoIntroRegions.data();
  };
  const Case cases[] = {
      {"a bad dump gives way to anything else",
       {"Game (USA) [b].gb", "Game (Korea) (Proto) [bios].gb",
        "Game (USA) [B12].gb"},
       {"Game: Game (Korea) (Proto) [bios].gb | Game (USA) [B12].gb | "
        "Game (USA) [b].gb"}},
      {"every oddity gives way to a release, even of no listed region",
       {"Game (World) (Sample)", "Game (World) (Demo)", "Game (World) (Unl)",
        "Game (World) (Kiosk Demo)", "Game (World) (Pirate)", "Game (Korea)",
        "Game (World) (Debug Version)", "Game (World) (Alt 2)",
        "Game (World) (Beta)", "Game (World) (Proto 1)"},
       {"Game: Game (Korea) | Game (World) (Alt 2) | Game (World) (Beta) | "
        "Game (World) (Debug Version) | Game (World) (Demo) | "
        "Game (World) (Kiosk Demo) | Game (World) (Pirate) | "
        "Game (World) (Proto 1) | Game (World) (Sample) | "
        "Game (World) (Unl)"}},
      {"a kind's word is a whole word: other words make other games",
       {"A (USA) (Alt)", "A (Japan) (Alternate)", "B (USA) (Beta)",
        "B (USA) (Beta2)", "B (Japan) (Betamax)"},
       {"A: A (USA) (Alt)", "A (Alternate): A (Japan) (Alternate)",
        "B: B (USA) (Beta) | B (USA) (Beta2)",
        "B (Betamax): B (Japan) (Betamax)"},
       true},
      {"the region order; a tag of several regions counts for each",
       {"A (Europe) (En,Fr,De)", "A (Japan)", "A (USA)",
        "B (Europe)", "B (Japan, USA)", "C (Europe, Japan)", "C (World)",
        "D (Brazil)", "D (Japan)", "D (En) (Japan)"},
       {"A: A (USA) | A (Europe) (En,Fr,De) | A (Japan)",
        "B: B (Japan, USA) | B (Europe)", "C: C (World) | C (Europe, Japan)",
        "D: D (En) (Japan) | D (Brazil) | D (Japan)"}},
      {"a region list of its own, its names folded",
       {"Game (USA)", "Game (Europe)", "Game (Japan)"},
       {"Game: Game (Japan) | Game (Europe) | Game (USA)"}, false,
       "JAPAN, europe"},
      {"the newest revision or version, numbers by value",
       {"A (USA) (Rev 1)", "A (USA)", "A (USA) (Rev 2)", "A (Japan) (Rev 3)",
        "B (USA) (Rev 9)", "B (USA) (Rev 10)",
        "C (Europe) (v1.9).gba", "C (Europe) (v1.10).gba",
        "C (Europe) (v1.0).gba", "C (Europe).gba", "D (Japan) (Rev A)", "D (Japan) (Rev B)", "D (Japan)"},
       {"A: A (USA) (Rev 2) | A (Japan) (Rev 3) | A (USA) | A (USA) (Rev 1)",
        "B: B (USA) (Rev 10) | B (USA) (Rev 9)",
        "C: C (Europe) (v1.10).gba | C (Europe).gba | C (Europe) (v1.0).gba | "
        "C (Europe) (v1.9).gba",
        "D: D (Japan) (Rev B) | D (Japan) | D (Japan) (Rev A)"}},
      {"even names: the first in the list, by base then extension",
       {"Game (USA).z64", "Game (USA) (En).z64", "Game (USA).n64"},
       {"Game: Game (USA).n64 | Game (USA).z64 | Game (USA) (En).z64"}},
      {"the discs of a title are one group",
       {"Metal Gear Solid (USA) (Disc 2) (Rev 1).cue",
        "Metal Gear Solid (USA) (Disc 1).cue",
        "Metal Gear Solid (USA) (Disc 1) (Rev 1).cue",
        "Metal Gear Solid (Europe) (Disc 1).cue"},
       {"Metal Gear Solid: Metal Gear Solid (USA) (Disc 1) (Rev 1).cue | "
        "Metal Gear Solid (Europe) (Disc 1).cue | "
        "Metal Gear Solid (USA) (Disc 1).cue | "
        "Metal Gear Solid (USA) (Disc 2) (Rev 1).cue"}},
      {"sequels and editions are titles of their own",
       {"Final Fantasy II (USA)", "Final Fantasy (USA)", "Final Fantasy (Japan)",
        "Final Fantasy II (Japan)", "Super Mario 64 (USA)",
        "Super Mario 64 - Shindou Edition (Japan)", "Super Mario 64 (Japan)",
        "[BIOS] Super Mario 64 (Japan)"},
       {"Final Fantasy: Final Fantasy (USA) | Final Fantasy (Japan)",
        "Final Fantasy II: Final Fantasy II (USA) | Final Fantasy II (Japan)",
        "Super Mario 64: Super Mario 64 (USA) | Super Mario 64 (Japan)"}},
      {"letters folded; the title is the parent's",
       {"game (Japan)", "Game (Europe)", "GAME (USA)"},
       {"GAME: GAME (USA) | Game (Europe) | game (Japan)"}},
      {"lines in title order, which the list order is not",
       {"Game & Watch (USA)", "Game & Watch (Japan)", "Game (Japan)",
        "Game  (USA)", "Game 2 (USA)", "Game !", "Gam (USA)", "Game"},
       {"Gam: Gam (USA)", "Game: Game  (USA) | Game | Game (Japan)",
        "Game !: Game !",
        "Game & Watch: Game & Watch (USA) | Game & Watch (Japan)",
        "Game 2: Game 2 (USA)"},
       true},
      {"titles that lead each other, listed longest first",
       {"A & & & & & & (USA).gb", "A & & & & & (USA).gb",
        "A & & & & (USA).gb", "A & & & (USA).gb", "A & & (USA).gb",
        "A & (USA).gb", "A (USA).gb", "A (Japan).gb", "A & & & & & (Japan).gb"},
       {"A: A (USA).gb | A (Japan).gb", "A &: A & (USA).gb",
        "A & &: A & & (USA).gb", "A & & &: A & & & (USA).gb",
        "A & & & &: A & & & & (USA).gb",
        "A & & & & &: A & & & & & (USA).gb | A & & & & & (Japan).gb",
        "A & & & & & &: A & & & & & & (USA).gb"},
       true},
      {"singles: every file on one line, empty titles alone and first",
       {"Beta (Japan).gb", "Alpha (USA).gb", " (USA).gb", "Beta (USA).gb",
        ".gb"},
       {": .gb", ":  (USA).gb", "Alpha: Alpha (USA).gb",
        "Beta: Beta (USA).gb | Beta (Japan).gb"},
       true},
      {"without singles, neither single nor empty titles give lines",
       {"Beta (Japan).gb", "Alpha (USA).gb", " (USA).gb", "Beta (USA).gb",
        ".gb", " (Japan).gb"},
       {"Beta: Beta (USA).gb | Beta (Japan).gb"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Group(c.names, c.singles, c.regions), c.lines) << c.what;
}

// Entries taken before are neither grouped nor counted: the title that
// keeps one free entry is a single.
TEST(NoIntroGroupingTest, LeavesTakenEntriesOut) {
  FileList list;
  for (const char* name : {"A (USA)", "A (Japan)", "B (Japan)", "B (USA)",
                           "B (Europe)"})
    list.Append(name);
  list.Sort();  // A (Japan), A (USA), B (Europe), B (Japan), B (USA)
  list.Take(0);
  list.Take(4);
  GroupingOptions options;
  ASSERT_TRUE(ParseRegionList(kDefaultNoIntroRegions, &options.regions));
  Lines lines;
  TextSink sink(list, lines);
  GroupNoIntro(list, options, sink);
  EXPECT_EQ(lines, Lines({"B: B (Europe) | B (Japan)"}));
  EXPECT_FALSE(list.Taken(1));
}

}  // namespace
