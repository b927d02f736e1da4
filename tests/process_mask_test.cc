#include "matching/process_mask.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

using Lines = std::vector<std::string>;

// The lines that ProcessMask writes for a listing of files under mask.
Lines RunMask(const std::vector<std::string>& names, const std::string& mask = "*",
          const std::string& prefix = "", const std::string& suffix = "") {
  FakePlatform platform;
  for (const std::string& name : names)
    platform.listings[mask].push_back({name, false});
  Lines lines;
  ProcessMask(mask, prefix, suffix, platform,
              [&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
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
  EXPECT_EQ(RunMask(names, "*.v64", "copy ", " >log.txt"),
            Lines{"copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\"  >log.txt"});
  EXPECT_EQ(RunMask(names, "C:\\roms\\*.v64"),
            Lines{" \"C:\\roms\\G (U) [!].v64\"  \"C:\\roms\\G (U) [a1].v64\" "});
  EXPECT_EQ(RunMask(names, "roms/*.v64"),
            Lines{" \"roms/G (U) [!].v64\"  \"roms/G (U) [a1].v64\" "});
  EXPECT_EQ(RunMask(names, "C:*.v64"),
            Lines{" \"C:G (U) [!].v64\"  \"C:G (U) [a1].v64\" "});
  // The directory's per-cent signs are doubled; the prefix's are the
  // user's own batch text.
  EXPECT_EQ(RunMask(names, "%x%\\*", "echo %1 ", " %2"),
            Lines{"echo %1  \"%%x%%\\G (U) [!].v64\"  \"%%x%%\\G (U) [a1].v64\"  %2"});
}

TEST(ProcessMaskTest, SkipsDirectories) {
  FakePlatform platform;
  platform.listings["*"] = {{".", true},
                            {"..", true},
                            {"G (U) [a1].v64", true},
                            {"G (U) [!].v64", false},
                            {"G (U) [b1].v64", false}};
  Lines lines;
  ProcessMask("*", "", "", platform,
              [&lines](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(lines, Lines{" \"G (U) [!].v64\"  \"G (U) [b1].v64\" "});
}

TEST(ProcessMaskTest, UsesTheLeadByteTable) {
  // 0x95 0x5C is one character of code page 932; read byte by byte its
  // second half would end the directory part.
  FakePlatform platform;
  for (int b = 0x81; b <= 0x9F; ++b) platform.lead[b] = true;
  const std::string mask = "\x95\x5C\\*";
  platform.listings[mask] = {{"\x95\x5C (J) [!].v64", false},
                             {"\x95\x5C (J) [a1].v64", false}};
  Lines lines;
  ProcessMask(mask, "", "", platform,
              [&lines](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(lines, Lines{" \"\x95\x5C\\\x95\x5C (J) [!].v64\"  "
                         "\"\x95\x5C\\\x95\x5C (J) [a1].v64\" "});
}

TEST(ProcessMaskTest, BuildGroupLineEdges) {
  FileList list;
  for (const char* name : {"Game (U) [!].v64", "Game (U) [a1].v64", "Solo.v64"})
    list.Append(name);
  list.Sort();
  // Outside the list, or filtered out: nothing, and no mark changes.
  EXPECT_EQ(BuildGroupLine("", "", "", "", -1, list), "");
  EXPECT_EQ(BuildGroupLine("", "", "", "", 3, list), "");
  EXPECT_EQ(BuildGroupLine("", "", "", "[!]", 1, list), "");
  EXPECT_EQ(BuildGroupLine("", "", "", "[!]", 2, list), "");
  EXPECT_EQ(BuildGroupLine("", "", "", "", 2, list), "");
  for (int32_t i = 0; i < 3; ++i)
    EXPECT_EQ(list.Mark(i), 0) << i;
  EXPECT_EQ(BuildGroupLine("", "", "", "[!]", 0, list),
            " \"Game (U) [!].v64\"  \"Game (U) [a1].v64\" ");
  EXPECT_EQ(list.Mark(0), -1);
  EXPECT_EQ(list.Mark(1), -1);
  EXPECT_EQ(list.Mark(2), 0);
  // A taken parent is examined again, and finds nothing free.
  EXPECT_EQ(BuildGroupLine("", "", "", "", 0, list), "");
}

// Pieces written to a sink, each line's joined when it ends.
class CollectingSink : public LineSink {
 public:
  void Write(std::string_view text) override {
    current += text;
    ++pieces;
  }
  void EndLine() override {
    lines.push_back(current);
    current.clear();
  }
  Lines lines;
  std::string current;
  size_t pieces = 0;
};

TEST(ProcessMaskTest, WriteGroupLineStreamsWhatBuildGroupLineReturns) {
  const std::vector<std::string> names = {
      "G (U) [!].v64", "G (U) [a1].v64", "G (U) [b1].v64", "G (E).v64",
      "Other.v64", "100% (J) [!].v64", "100% (J) [o1].v64"};
  FileList built, streamed;
  for (const std::string& name : names) {
    built.Append(name);
    streamed.Append(name);
  }
  built.Sort();
  streamed.Sort();
  CollectingSink sink;
  Lines expected;
  for (std::string_view filter : {"[!]", ""})
    for (int32_t i = -1; i <= built.Count(); ++i) {
      std::string line = BuildGroupLine("r%/", "do ", " end", filter, i, built);
      size_t before = sink.lines.size();
      bool wrote =
          WriteGroupLine("r%/", "do ", " end", filter, i, streamed, sink);
      EXPECT_EQ(wrote, !line.empty()) << i;
      EXPECT_EQ(sink.lines.size(), before + (wrote ? 1 : 0)) << i;
      EXPECT_TRUE(sink.current.empty()) << i;  // nothing left unended
      if (!line.empty())
        expected.push_back(line);
    }
  EXPECT_EQ(sink.lines, expected);
  ASSERT_EQ(expected.size(), 2u);
  EXPECT_GT(sink.pieces, 2 * 2 * 3u);  // the lines came in pieces
  for (int32_t i = 0; i < built.Count(); ++i)
    EXPECT_EQ(streamed.Mark(i), built.Mark(i)) << i;
}

TEST(ProcessMaskTest, ExtendRun) {
  FileList list;
  for (const char* name : {"ab", "ABc", "abd", "x", "ab"})
    list.Append(name);  // unsorted on purpose
  struct Case { const char* prefix; int32_t start; int step; int32_t end; };
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
    EXPECT_EQ(ExtendRun(list, c.prefix, c.start, c.step), c.end)
        << c.prefix << " " << c.start << " " << c.step;
}

TEST(ProcessMaskTest, MinimumPrefixLength) {
  EXPECT_EQ(MinimumPrefixLength("Game (U) [!]"), 9u);
  EXPECT_EQ(MinimumPrefixLength("Game  [a1]"), 5u);
  EXPECT_EQ(MinimumPrefixLength("[Grp] Show"), 1u);
  EXPECT_EQ(MinimumPrefixLength("  [x]"), 1u);
  EXPECT_EQ(MinimumPrefixLength("Game[!]"), 5u);
  EXPECT_EQ(MinimumPrefixLength("Game\t[!]"), 6u);  // only spaces back up
  EXPECT_EQ(MinimumPrefixLength("Game"), 4u);
  EXPECT_EQ(MinimumPrefixLength(""), 0u);
}

}  // namespace
