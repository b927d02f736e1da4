#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "matching/no_intro_names.h"

namespace {

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

}  // namespace
