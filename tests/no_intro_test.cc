#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "matching/no_intro_grouping.h"
#include "matching/no_intro_names.h"
#include "reference_grouping.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

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

// The title of a base, and the name of its game: the title and the tags
// of no known kind.
TEST(NoIntroNamesTest, Titles) {
  struct Case {
    const char* base;
    const char* title;
    const char* game = nullptr;  // the title when null
  };
  const Case cases[] = {
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
      // Publishers, subtitles and serials name other games.
      {"Tetris (USA) (Tengen) (Unl)", "Tetris", "Tetris (Tengen)"},
      {"Tetris (Bulletproof) (Japan) (Rev 2)", "Tetris",
       "Tetris (Bulletproof)"},
      {"4 in 1 (Europe) (4B-002) (Sachen) (Unl)", "4 in 1",
       "4 in 1 (4B-002) (Sachen)"},
      {"Disney Sports - Football (Europe) (Soccer) (En,Fr,De)",
       "Disney Sports - Football", "Disney Sports - Football (Soccer)"},
      {" (Namco)", "", " (Namco)"},
      // Tags of the known kinds, letters folded, and brackets do not.
      {"G (USA, Europe) (En,Fr+De) (Zh-Hant) (Rev A) (v1.1) (1994-03-01) "
       "(199x) (0.9.37) (August, 1992) [b] [T-En by Someone]",
       "G"},
      {"G (Beta 2) (Proto) (Kiosk Demo) (Sample) (Debug Version) (Promo) "
       "(Unl) (Pirate) (Hack) (Alt 1)",
       "G"},
      {"G (Disc 1) (Disk 2 Side B) (Track 03) (Tape 1) (SGB Enhanced) "
       "(GB Compatible)",
       "G"},
      {"G (World) (Virtual Console, Switch Online) (NP) (Aftermarket) "
       "(Mega Drive Mini) (Namco Museum Archives Vol 1) (Sega Channel) "
       "(Evercade) (GameCube Edition) (iQue) (Steam)",
       "G"},
      {"g (HONG KONG) (Latin America) (usa) (virtual console) (rev 1) (V1.0)",
       "g"},
      // A kind's word is a whole word; every item counts; a tag must close.
      {"G (USA) (Betamax) (Alternate)", "G", "G (Betamax) (Alternate)"},
      {"G (USA, Zaire) (En,Fra)", "G", "G (USA, Zaire) (En,Fra)"},
      {"G () (USA) (Namco", "G"},
      {"G (Namco) (Japan) (Namco)", "G", "G (Namco) (Namco)"},
  };
  std::string storage;
  for (const Case& c : cases) {
    std::string_view base = c.base;
    size_t title = NoIntroTitleLength(base);
    EXPECT_EQ(base.substr(0, title), c.title) << c.base;
    EXPECT_EQ(NoIntroGameName(base.substr(0, title),
                              IdentityTags(base.substr(title)), &storage),
              c.game ? c.game : c.title)
        << c.base;
  }
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

// A reader reads what NoIntroPreferenceOf and NextNoIntroIdentityTag read,
// its views in the very text it is given: bytes it has read before, at
// another place, texts it does not remember (too long, too many identity
// tags), and after hundreds of others have crowded them out.
TEST(NoIntroNamesTest, TagReader) {
  std::vector<std::string> regions;
  ASSERT_TRUE(ParseRegionList("Japan,USA", &regions));
  NoIntroTagReader reader(regions);
  std::vector<std::string> texts = {
      " (USA) (Rev 2) (Tengen) [b1]", " (Japan) (v1.1) (Proto) (Alt)", "",
      " (Europe) (A) (B) (C) (D) (E)",
      " (Germany) (Namco) (Rev A) (Virtual Console) (Alt 2)"};
  for (int i = 0; i < 1000; ++i)
    texts.push_back(" (T" + std::to_string(i) + ")");
  for (int round = 0; round < 2; ++round)
    for (const std::string& text : texts) {
      std::string twice = text + text;
      for (std::string_view tags : {std::string_view(twice).substr(0, text.size()),
                                    std::string_view(twice).substr(text.size())}) {
        std::vector<std::string_view> identity = {"first"};
        NoIntroPreference got = reader.Read(tags, ".cue", &identity);
        NoIntroPreference want = NoIntroPreferenceOf(tags, ".cue", regions);
        std::vector<std::string_view> want_identity = {"first"};
        for (std::string_view tag : IdentityTags(tags))
          want_identity.push_back(tag);
        EXPECT_EQ(std::tie(got.bad_dump, got.oddity, got.release, got.region,
                           got.identity, got.sheet),
                  std::tie(want.bad_dump, want.oddity, want.release,
                           want.region, want.identity, want.sheet))
            << text;
        for (auto [a, b] : {std::pair(got.revision, want.revision),
                            std::pair(got.version, want.version)})
          EXPECT_TRUE(a.size() == b.size() && (a.empty() || a.data() == b.data()))
              << text;
        ASSERT_EQ(identity.size(), want_identity.size()) << text;
        for (size_t k = 1; k < identity.size(); ++k)
          EXPECT_TRUE(identity[k].data() == want_identity[k].data() &&
                      identity[k].size() == want_identity[k].size())
              << text;
      }
    }
  // An empty view that points nowhere, as the name of a game that has none.
  std::vector<std::string_view> none;
  EXPECT_EQ(reader.Read(std::string_view(), {}, &none).region, regions.size());
  EXPECT_TRUE(none.empty());
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
      {"publishers and serials keep games apart, in order after the plain "
       "one; a game's title names them, as its parent writes them",
       {"Tetris (USA).nes", "Tetris (Bulletproof) (Japan).nes",
        "Tetris (Europe).nes", "Tetris (tengen) (Japan) (Unl).nes",
        "Tetris (Bulletproof) (Japan) (Rev 2).nes",
        "Tetris (USA) (Tengen) (Unl).nes",
        "4 in 1 (Europe) (4B-001) (Sachen) (Unl).nes",
        "4 in 1 (Europe) (4B-002) (Sachen) (Unl).nes",
        "4 in 1 (Asia) (4B-001) (Sachen) (Unl).nes"},
       {"4 in 1 (4B-001) (Sachen): 4 in 1 (Europe) (4B-001) (Sachen) "
        "(Unl).nes | 4 in 1 (Asia) (4B-001) (Sachen) (Unl).nes",
        "4 in 1 (4B-002) (Sachen): 4 in 1 (Europe) (4B-002) (Sachen) "
        "(Unl).nes",
        "Tetris: Tetris (USA).nes | Tetris (Europe).nes",
        "Tetris (Bulletproof): Tetris (Bulletproof) (Japan) (Rev 2).nes | "
        "Tetris (Bulletproof) (Japan).nes",
        "Tetris (Tengen): Tetris (USA) (Tengen) (Unl).nes | "
        "Tetris (tengen) (Japan) (Unl).nes"},
       true},
      {"a subtitle is another game, which a single does not join",
       {"Disney Sports - Football (USA).gba",
        "Disney Sports - Football (Europe) (Soccer).gba",
        "Disney Sports - Football (Japan).gba"},
       {"Disney Sports - Football: Disney Sports - Football (USA).gba | "
        "Disney Sports - Football (Japan).gba"}},
      {"a plain release over Alt, over a re-release, whatever the region",
       {"G (Japan) (Alt 1) (Unl)", "G (Japan) (Unl)", "H (USA) (Virtual Console)",
        "H (USA, Europe)", "K (Japan) (Rev 1) (NP)", "K (Japan)",
        "M (USA) (Switch Online)", "M (USA) (Alt 1)", "M (USA) (Alt 1) (NP)",
        "N (USA) (Virtual Console)", "N (Europe)"},
       {"G: G (Japan) (Unl) | G (Japan) (Alt 1) (Unl)",
        "H: H (USA, Europe) | H (USA) (Virtual Console)",
        "K: K (Japan) | K (Japan) (Rev 1) (NP)",
        "M: M (USA) (Alt 1) | M (USA) (Alt 1) (NP) | M (USA) (Switch Online)",
        "N: N (Europe) | N (USA) (Virtual Console)"}},
      {"a sheet heads its tracks: a playlist of discs first",
       {"A (USA).bin", "A (USA).CUE", "B (Japan) (Track 2).bin",
        "B (Japan) (Track 1).bin", "B (Japan).gdi", "C (USA) (Disc 1).cue",
        "C (USA) (Disc 2).cue", "C (USA).m3u", "D (USA) (Track 1).bin",
        "D (Europe).cue"},
       {"A: A (USA).CUE | A (USA).bin",
        "B: B (Japan).gdi | B (Japan) (Track 1).bin | B (Japan) (Track 2).bin",
        "C: C (USA).m3u | C (USA) (Disc 1).cue | C (USA) (Disc 2).cue",
        "D: D (USA) (Track 1).bin | D (Europe).cue"}},
      {"singles: every file on one line, empty titles alone and first",
       {"Beta (Japan).gb", "Alpha (USA).gb", " (USA).gb", "Beta (USA).gb",
        ".gb"},
       {": .gb", ":  (USA).gb", "Alpha: Alpha (USA).gb",
        "Beta: Beta (USA).gb | Beta (Japan).gb"},
       true},
      {"games in the order of their identity tags, tag by tag, the shorter "
       "first, past their first eight bytes; a zero byte is a byte",
       {"G (USA)", "G (4B) (USA)", "G (4B) (C3) (USA)", "G (4BC3) (USA)",
        "G (Publisher1) (Japan)", "G (publisher1) (USA)",
        "G (Publisher2) (USA)", "G (Publisher) (USA)",
        "G (Publisher1) (Sachen) (USA)", "H (4B\0\0) (USA)"s,
        "H (4B) (\x01) (USA)"},
       {"G: G (USA)", "G (4B): G (4B) (USA)", "G (4B) (C3): G (4B) (C3) (USA)",
        "G (4BC3): G (4BC3) (USA)", "G (Publisher): G (Publisher) (USA)",
        "G (publisher1): G (publisher1) (USA) | G (Publisher1) (Japan)",
        "G (Publisher1) (Sachen): G (Publisher1) (Sachen) (USA)",
        "G (Publisher2): G (Publisher2) (USA)",
        "H (4B) (\x01): H (4B) (\x01) (USA)",
        "H (4B\0\0): H (4B\0\0) (USA)"s},
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
