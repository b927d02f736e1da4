#include "app/process_mask.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "grouped_lines.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

// The lines that ProcessMask writes for a listing of files under mask.
Lines RunMask(const std::vector<std::string>& names, const std::string& mask = "*",
          const std::string& prefix = "", const std::string& suffix = "") {
  FakePlatform platform;
  for (const std::string& name : names)
    platform.listings[mask].push_back({name, false});
  CollectedLines sink;
  ProcessMask(MaskOptions(mask, prefix, suffix), platform, sink);
  return sink.lines;
}

TEST(ProcessMaskTest, Groups) {
  struct Case { const char* what; std::vector<std::string> names; Lines lines; };
  const Case cases[] = {
      {"parent with clones, other region left alone",
       {"Game (U) [b1].v64", "Game (E).v64", "Game (U) [a1].v64",
        "Game (U) [!].v64"},
       {" \"Game (U) [!].v64\"  \"Game (U) [a1].v64\" \"Game (U) [b1].v64\" "}},
      {"[!] heads its group whatever sorts before it",
       {"Game (U) [!].v64", "Game (U) (V1.0).v64"},
       {" \"Game (U) [!].v64\"  \"Game (U) (V1.0).v64\" "}},
      {"without [!], the first of the block is the parent",
       {"Game (U) [b1].v64", "Game (U) [a1].v64", "Other (U) [a1].v64",
        "Other (U) [a2].v64"},
       {" \"Game (U) [a1].v64\"  \"Game (U) [b1].v64\" ",
        " \"Other (U) [a1].v64\"  \"Other (U) [a2].v64\" "}},
      {"two [!] names: the first heads, the other is its clone",
       {"Game (U) [!][t1].v64", "Game (U) [!].v64"},
       {" \"Game (U) [!].v64\"  \"Game (U) [!][t1].v64\" "}},
      {"untagged base: tried at full length only",
       {"Game2.v64", "Game.v64", "Game.n64"},
       {" \"Game.n64\"  \"Game.v64\" \"Game2.v64\" "}},
      {"a short untagged name takes every name that begins with it",
       {"Alpha Beta (U) [!].v64", "Alpha Beta (U) [a1].v64",
        "Alpha Beta (E).v64", "Alpha Gamma (J).v64", "Alpha.v64"},
       {" \"Alpha Beta (U) [!].v64\"  \"Alpha Beta (U) [a1].v64\" ",
        " \"Alpha.v64\"  \"Alpha Beta (E).v64\" \"Alpha Gamma (J).v64\" "}},
      {"the title keeps its space: a dot after it is another title",
       {"Game (U) [!].v64", "Game (U).v64", "Game (U) (Beta).v64",
        "Game (U) (Beta) [a1].v64"},
       {" \"Game (U) [!].v64\"  \"Game (U) (Beta).v64\" "
        "\"Game (U) (Beta) [a1].v64\" "}},
      {"longer levels first; within a level, list order",
       {"Game (U) [!].v64", "Game (U) [!] (x).v64", "Game (U) [a].v64",
        "Game (U) (A).v64", "Game (U) ^x.v64"},
       {" \"Game (U) [!].v64\"  \"Game (U) [!] (x).v64\" "
        "\"Game (U) [a].v64\" \"Game (U) (A).v64\" \"Game (U) ^x.v64\" "}},
      {"a base that begins with [ takes every [ neighbour",
       {"[Grp] Show 01 [720p].mkv", "[Grp] Show 02 [720p].mkv",
        "[Other] Film [1080p].mkv", "Plain.mkv"},
       {" \"[Grp] Show 01 [720p].mkv\"  \"[Grp] Show 02 [720p].mkv\" "
        "\"[Other] Film [1080p].mkv\" "}},
      {"several spaces before [: the title ends at the first",
       {"Game  [a1].v64", "Game [b1].v64"},
       {" \"Game  [a1].v64\"  \"Game [b1].v64\" "}},
      {"the walk stops at the first neighbour that fails",
       {"Game v1.1 (hack)", "Game v1 (E).v64", "Game v1.1 [!].v64"},
       {" \"Game v1.1 (hack)\"  \"Game v1 (E).v64\" \"Game v1.1 [!].v64\" "}},
      {"a clone of the first pass heads a line in the second",
       {"Game v1.1 (hack)", "Game v1.1 [!].v64", "Game v1.2.v64"},
       {" \"Game v1.1 [!].v64\"  \"Game v1.1 (hack)\" ",
        " \"Game v1.1 (hack)\"  \"Game v1.2.v64\" "}},
      {"letters compare folded", {"GAME (u) [a1].v64", "game (U) [b1].V64"},
       {" \"GAME (u) [a1].v64\"  \"game (U) [b1].V64\" "}},
      {"[!] is matched with its case, even in the extension",
       {"Game (U).v64[!]", "Game (U).v64"},
       {" \"Game (U).v64[!]\"  \"Game (U).v64\" "}},
      {"an empty base heads nothing", {".v64", ".x", "x.v64"}, {}},
      {"an empty base can still be a clone",
       {".v64", ".v64.bak"}, {" \".v64.bak\"  \".v64\" "}},
      {"a list of one", {"Game (U) [!].v64"}, {}},
      {"nothing", {}, {}},
      {"duplicates group together", {"a.v64", "a.v64"},
       {" \"a.v64\"  \"a.v64\" "}},
      {"per-cent signs are doubled",
       {"100% Pure (U) [!].v64", "100% Pure (U) [a1].v64"},
       {" \"100%% Pure (U) [!].v64\"  \"100%% Pure (U) [a1].v64\" "}},
      {"other batch characters stay as they are",
       {"A&B ^(U) [!].v64", "A&B ^(U) [b1].v64"},
       {" \"A&B ^(U) [!].v64\"  \"A&B ^(U) [b1].v64\" "}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RunMask(c.names), c.lines) << c.what;
}

TEST(ProcessMaskTest, PrefixSuffixAndDirectory) {
  const std::vector<std::string> names = {"G (U) [!].v64", "G (U) [a1].v64"};
  EXPECT_EQ(RunMask(names, "*.v64", "copy", ">log.txt"),
            Lines{"copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\"  >log.txt"});
  EXPECT_EQ(RunMask(names, "C:\\roms\\*.v64"),
            Lines{" \"C:\\roms\\G (U) [!].v64\"  \"C:\\roms\\G (U) [a1].v64\" "});
  EXPECT_EQ(RunMask(names, "roms/*.v64"),
            Lines{" \"roms/G (U) [!].v64\"  \"roms/G (U) [a1].v64\" "});
  EXPECT_EQ(RunMask(names, "C:*.v64"),
            Lines{" \"C:G (U) [!].v64\"  \"C:G (U) [a1].v64\" "});
  // The directory's per-cent signs are doubled; the prefix's are the
  // user's own batch text.
  EXPECT_EQ(RunMask(names, "%x%\\*", "echo %1", "%2"),
            Lines{"echo %1  \"%%x%%\\G (U) [!].v64\"  \"%%x%%\\G (U) [a1].v64\"  %2"});
}

TEST(ProcessMaskTest, SkipsDirectories) {
  FakePlatform platform;
  platform.listings["*"] = {{".", true},
                            {"..", true},
                            {"G (U) [a1].v64", true},
                            {"G (U) [!].v64", false},
                            {"G (U) [b1].v64", false}};
  CollectedLines sink;
  ProcessMask(MaskOptions("*"), platform, sink);
  EXPECT_EQ(sink.lines, Lines{" \"G (U) [!].v64\"  \"G (U) [b1].v64\" "});
}

TEST(ProcessMaskTest, UsesTheLeadByteTable) {
  // 0x95 0x5C is one character of code page 932; read byte by byte its
  // second half would end the directory part.
  FakePlatform platform;
  for (int b = 0x81; b <= 0x9F; ++b) platform.lead[b] = true;
  const std::string mask = "\x95\x5C\\*";
  platform.listings[mask] = {{"\x95\x5C (J) [!].v64", false},
                             {"\x95\x5C (J) [a1].v64", false}};
  CollectedLines sink;
  ProcessMask(MaskOptions(mask), platform, sink);
  EXPECT_EQ(sink.lines, Lines{" \"\x95\x5C\\\x95\x5C (J) [!].v64\"  "
                         "\"\x95\x5C\\\x95\x5C (J) [a1].v64\" "});
}

}  // namespace
