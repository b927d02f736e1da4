// --dat: the DAT reader, the families, and the grouping by them through the
// whole program (options, the DAT read through the platform, the reports).
#include <gtest/gtest.h>

#include "app/tramlune.h"
#include "fake_platform.h"
#include "matching/dat_families.h"
#include "matching/dat_file.h"
#include "matching/dat_grouping.h"
#include "test_support.h"

namespace {

// The games of dat, one "name<cloneof#id<cloneofid:rom|rom" a line; the
// attributes that are empty are left out with their marks.
std::string Shown(const DatFile& dat) {
  std::string out;
  for (const DatGame& g : dat.games) {
    out += g.name;
    if (!g.parent.empty())
      out += "<" + std::string(g.parent);
    if (!g.id.empty())
      out += "#" + std::string(g.id);
    if (!g.parent_id.empty())
      out += "<#" + std::string(g.parent_id);
    out += ":";
    for (uint32_t r = 0; r < g.rom_count; ++r)
      out.append(r ? "|" : "").append(dat.roms[g.first_rom + r]);
    out += "\n";
  }
  return out;
}

TEST(DatTest, ReadsGamesOrSaysWhereTheXmlBreaks) {
  struct Case {
    std::string text;
    std::string expected;  // Shown, or "error: " and ReadDat's reason
  };
  std::string nested, nested_ok;
  for (int i = 0; i < kMaxDatDepth; ++i)
    nested_ok += "<a>";
  nested = "<datafile>\n\n" + nested_ok;  // one level deeper than allowed
  const Case cases[] = {
      {"<?xml version=\"1.0\"?>\n"
       "<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD\" \"x.dtd\" [<!ENTITY a "
       "\"b\">]>\n"
       "<datafile><header><name>Set</name></header>\n"
       "<!-- <game name=\"in a comment\"> -->\n"
       "<game name=\"A (USA)\" id=\"0001\"><description>A</description>"
       "<rom name=\"A (USA).gb\" size=\"4\" crc=\"00\"/></game>\n"
       "<game name=\"A (Japan)\" cloneof=\"A (USA)\" id=\"0002\" "
       "cloneofid=\"0001\"><release name=\"x\"/><rom name=\"a.cue\"/>"
       "<rom name=\"a (Track 1).bin\"/></game>\n"
       "<machine name='M' cloneof='P'/><software name=\"not a game\"/>\n"
       "</datafile>\n",
       "A (USA)#0001:A (USA).gb\n"
       "A (Japan)<A (USA)#0002<#0001:a.cue|a (Track 1).bin\n"
       "M<P:\n"},
      // Entities: the five named ones, decimal and hexadecimal in UTF-8.
      {"<datafile><game name=\"Tom &amp; Jerry&apos;s &lt;&gt;&quot;\">"
       "<rom name=\"&#39;&#233;&#x65E5;.bin\"/></game></datafile>",
       "Tom & Jerry's <>\":'\xC3\xA9\xE6\x97\xA5.bin\n"},
      // A ">" in a value, text and CDATA around the games.
      {"<datafile>text<game name=\"a>b\"><![CDATA[<game name=\"c\">]]>"
       "</game></datafile>",
       "a>b:\n"},
      {"", "error: it holds no XML element"},
      {"<datafile><header/></datafile>",
       "error: it holds no <game> or <machine> element"},
      {"clrmamepro (\n\tname \"Set\"\n)\n",
       "error: the XML breaks at line 1: expected <"},
      {"<datafile>\n<game name=\"a\">\n<rom name=\"b\"/>\n",
       "error: the XML breaks at line 4: the text ends inside it"},
      {"<datafile>\n<game name=\"a\">\n</datafile>",
       "error: the XML breaks at line 3: a closing tag names another element"},
      {"<datafile>\n<game name=\"a&bogus;\"/></datafile>", "a&bogus;:\n"},
      {"<datafile>\n<game name=\"a\" name2=b/></datafile>",
       "error: the XML breaks at line 2: expected ' or \""},
      {"<datafile>\n<game name=\"&#xFFFFFFF;\"/></datafile>",
       "error: the XML breaks at line 2: invalid numeric character entity"},
      // Lines as read, though the parser decodes entities in place.
      {"<datafile>\n<game name=\"a&#10;&#10;&#10;\nb\"/>\n<game name=\"c\"/>"
       "<game name=\"\n&#10;&#xFFFFFFF;\"/></datafile>",
       "error: the XML breaks at line 5: invalid numeric character entity"},
      {"<?xml version=\"1.0\"?>\n<datafile\nv=\"&#1\">\n</datafile>",
       "error: the XML breaks at line 3: expected ;"},
      {"\xEF\xBB\xBF<datafile><game name=\"g\"/></datafile>\n", "g:\n"},
      {"<datafile><game name=\"g\"/></datafile>\xEF\xBB\xBF",
       "error: the XML breaks at line 1: expected <"},
      // Read in two parts at once (each child a piece): a break in the
      // second part, in both, and after the parts.
      {"<datafile>\n<game name=\"a\"/>\n<game name=\"b\"/>\n<game "
       "name=\"c\"/>\n<game name=\"d\" x='&#1'/>\n</datafile>",
       "error: the XML breaks at line 5: expected ;"},
      {"<datafile>\n<game name=\"a\" y='&#'/>\n<game name=\"b\"/>\n<game "
       "name=\"c\"/>\n<game name=\"d\" x='&#1'/>\n</datafile>",
       "error: the XML breaks at line 2: expected ;"},
      {"<datafile>\n<game name=\"a\"/>\n<game name=\"b\"/>\n<game "
       "name=\"c\"/>\n<game name=\"d\"/>\n</datafile>\n<a x='&#1'/>",
       "error: the XML breaks at line 7: expected ;"},
      {"<datafile><game name=\"a\"/><game name=\"b\"/>\n<game name=\"c\">"
       "<rom name=\"c1\"/><rom name=\"c2\"/></game>\t<game name=\"d\">"
       "<rom name=\"d1\"/></game></datafile>",
       "a:\nb:\nc:c1|c2\nd:d1\n"},
      // Scanned in two parts: from a child of the root, from a game within
      // a game, and to a closing tag that names another root.
      {"<datafile>\n<game name=\"a\"/>\n<game name=\"b\"/>\n"
       "<machine name=\"c\"/>\n</datafile>\n",
       "a:\nb:\nc:\n"},
      {"<datafile>\n<game name=\"a\">\n<rom name=\"1\"/>\n<game name=\"2\"/>\n"
       "<game name=\"3\"/>\n</game>\n</datafile>",
       "a:1\n"},
      {"<datafile>\n<game name=\"a\"/>\n<game name=\"b\"/>\n</datafil>",
       "error: the XML breaks at line 4: a closing tag names another element"},
      {"<datafile>\n<game name=\"a\">\n" + [] {
         std::string roms;
         for (int i = 0; i < 16; ++i)
           roms += "<game name=\"r\"/>\n";
         return roms;
       }() + nested_ok.substr(3),
       "error: the XML breaks at line 19: elements nest more than 64 deep"},
      // Past a tag that the parser stops in, elements too deep are not
      // what the parser finds.
      {"<datafile>\n<game name=\"a\" x>" + nested_ok + "<a>",
       "error: the XML breaks at line 2: expected ="},
      {nested + "<game name=\"x\"/>",
       "error: the XML breaks at line 3: elements nest more than 64 deep"},
      // As deep as allowed, and deeper only inside a comment or a value.
      {"<datafile><game name=\"g\"/>" + nested_ok.substr(3) +
           "<!-- <a><a><a> --><b c='<a><a>'/>" + std::string(kMaxDatDepth - 1, ' ') +
           [] {
             std::string closing;
             for (int i = 1; i < kMaxDatDepth; ++i)
               closing += "</a>";
             return closing;
           }() + "</datafile>",
       "g:\n"},
  };
  // Whole, each child of the root a piece (its two parts read in either
  // order), and in the pieces of the run.
  const RunBoth second_first = [](const Task& first, const Task& second) {
    second();
    first();
  };
  for (size_t piece_bytes : {size_t{0}, size_t{1}, size_t{2}, kDatPieceBytes}) {
    for (const Case& c : cases) {
      DatFile dat;
      std::string error = ReadDat(c.text, &dat, piece_bytes,
                                  piece_bytes == 2 ? second_first : RunInTurn);
      EXPECT_EQ(error.empty() ? Shown(dat) : "error: " + error, c.expected)
          << piece_bytes << " " << c.text.substr(0, 200);
    }
  }
}

TEST(DatTest, ScanFindsTheFirstElementTooDeep) {
  const std::string text = "<a><!-- <b> --><b x='<c>'><c/><c>";
  EXPECT_EQ(TooDeepAt(text.c_str(), 3), std::string::npos);
  EXPECT_EQ(TooDeepAt(text.c_str(), 2), text.rfind("<c>"));
  EXPECT_EQ(TooDeepAt("<a></a><a><b>", 1), 10u);
  // The scan stops where the parser would: no name after "<".
  EXPECT_EQ(TooDeepAt("<a>< b><b><b>", 1), std::string::npos);
}

TEST(DatTest, Families) {
  struct Case {
    std::string games;  // name,cloneof,id,cloneofid;... (empty parts allowed)
    std::string families;
  };
  const Case cases[] = {
      {"P,,,;C1,P,,;C2,C1,,", "0 0 0"},           // a chain to its root
      {"C1,P,,;Q,,,;C2,P,,", "0 1 0"},            // a parent the DAT lacks
      {"A,B,,;B,C,,;C,A,,;D,C,,;E,,,", "0 0 0 0 1"},  // a loop, one leading in
      {"A,A,,;B,,,", "0 1"},                      // a game its own parent
      {"P,,1,;C,,2,1;D,,3,9;E,,4,9;F,,5,", "0 0 1 1 2"},  // by number
      {"P,,1,;C,Gone,2,1;D,Gone,3,", "0 0 1"},  // the number where the name fails
      {"P,,1,;C,P,2,7;Q,,7,", "0 0 1"},           // the name first
      {"X,,,;X,,,;C,X,,", "0 1 0"},               // the first of a name
      {"P,,,;Q,,,;C1,P,,;C2,P,,;C3,Q,,", "0 1 0 0 1"},  // clones apart
  };
  for (const Case& c : cases) {
    std::string text = "<datafile>";
    for (size_t at = 0; at < c.games.size();) {
      size_t end = c.games.find(';', at);
      if (end == std::string::npos)
        end = c.games.size();
      std::string game = c.games.substr(at, end - at);
      at = end + 1;
      const char* names[] = {"name", "cloneof", "id", "cloneofid"};
      text += "<game";
      for (int part = 0, from = 0; part < 4; ++part) {
        size_t comma = game.find(',', from);
        std::string value = game.substr(from, comma - from);
        from = static_cast<int>(comma + 1);
        if (!value.empty())
          text += std::string(" ") + names[part] + "=\"" + value + "\"";
      }
      text += "/>";
    }
    DatFile dat;
    ASSERT_EQ(ReadDat(text + "</datafile>", &dat), "") << text;
    FindDatFamilies(&dat);
    std::string families;
    for (const DatGame& g : dat.games)
      families += (families.empty() ? "" : " ") + std::to_string(g.family);
    EXPECT_EQ(families, c.families) << c.games;
  }
}

// A DAT of most kinds of family: regional clones, a Redump disc of tracks
// and a sheet, games kept whole in archives, a clone of a missing parent.
const char kSetDat[] =
    "<?xml version=\"1.0\"?>\n<datafile>\n"
    "<game name=\"Pocket Monsters - Aka (Japan)\" "
    "cloneof=\"Pokemon - Red Version (USA, Europe)\">"
    "<rom name=\"Pocket Monsters - Aka (Japan).gb\"/></game>\n"
    "<game name=\"Pokemon - Red Version (USA, Europe)\">"
    "<rom name=\"Pokemon - Red Version (USA, Europe).gb\"/></game>\n"
    "<game name=\"Pokemon - Red Version (USA, Europe) (Beta)\" "
    "cloneof=\"Pokemon - Red Version (USA, Europe)\">"
    "<rom name=\"Pokemon - Red Version (USA, Europe) (Beta).gb\"/></game>\n"
    "<game name=\"Tetris (Japan)\"><rom name=\"Tetris (Japan).gb\"/></game>\n"
    "<game name=\"Tetris (USA) (Tengen)\"><rom name=\"t.gb\"/></game>\n"
    "<game name=\"Disc &amp; Co (Europe)\">"
    "<rom name=\"Disc &amp; Co (Europe) (Track 1).bin\"/>"
    "<rom name=\"Disc &amp; Co (Europe) (Track 2).bin\"/>"
    "<rom name=\"Disc &amp; Co (Europe).cue\"/></game>\n"
    "<game name=\"Disc &amp; Co (Japan)\" cloneof=\"Disc &amp; Co (Europe)\">"
    "<rom name=\"Disc &amp; Co (Japan).cue\"/></game>\n"
    "<game name=\"Zap (Europe)\" cloneof=\"Zap (World)\"/>\n"
    "<game name=\"Zap (USA)\" cloneof=\"Zap (World)\">"
    "<rom name=\"Zap (USA).bin\"/></game>\n"
    "</datafile>\n";

const std::vector<std::string> kSetFiles = {
    "Pocket Monsters - Aka (Japan).gb",
    "Pokemon - Red Version (USA, Europe) (Beta).gb",
    "Pokemon - Red Version (USA, Europe).zip",  // the game packed whole
    "Tetris (Japan).gb", "t.gb",
    "Disc & Co (Europe) (Track 2).bin", "Disc & Co (Europe) (Track 1).bin",
    "Disc & Co (Europe).cue", "Disc & Co (Japan).cue",
    "Zap (Europe).7z", "Zap (USA).bin",
    "readme.txt", "Zap (World).zip", "cover.png"};

struct DatRun {
  int status;
  std::string lines;  // the script without its banner
  std::string err;
};

// Runs the program with args on kSetFiles (or files) as the listing of "*"
// and dat as the file "set.dat".
DatRun RunDat(const std::vector<std::string>& args, const std::string& dat,
           bool fold_case = false,
           const std::vector<std::string>& files = kSetFiles) {
  FakePlatform platform;
  for (const std::string& name : files)
    platform.listings["*"].push_back({name, false});
  platform.files_to_read["set.dat"] = dat;
  platform.fold_case = fold_case;
  ProgramOutput output(platform);
  int status = RunTramlune(args, platform, output.buffer, output.stop);
  output.buffer.Flush();
  std::string lines, all = platform.Written();
  for (size_t at = 0; at < all.size();) {
    size_t end = all.find('\n', at) + 1;
    if (all[at] != '#' && all[at] != '\n')
      lines += all.substr(at, end - at);
    at = end;
  }
  return {status, lines, platform.errors};
}

TEST(DatTest, GroupsByFamilies) {
  const std::string not_in_dat =
      "tramlune: 3 files are not in the DAT, in no line: \"cover.png\", "
      "\"readme.txt\" and others\n";
  struct Case {
    std::vector<std::string> args;
    bool fold_case;
    std::string lines, err;
  };
  // The preferred game heads; its sheet first; a game's files together.
  const std::string lines =
      "echo  'Disc & Co (Europe).cue'  'Disc & Co (Europe) (Track 1).bin' "
      "'Disc & Co (Europe) (Track 2).bin' 'Disc & Co (Japan).cue' \n"
      "echo  'Pokemon - Red Version (USA, Europe).zip'  'Pocket Monsters - "
      "Aka (Japan).gb' 'Pokemon - Red Version (USA, Europe) (Beta).gb' \n"
      "echo  'Zap (USA).bin'  'Zap (Europe).7z' \n";
  const Case cases[] = {
      {{"--sh", "--dat", "set.dat", "*", "echo"}, false, lines, not_in_dat},
      // {title} is the preferred game's; --regions reorders; --singles
      // gives lone games and files not in the DAT their lines.
      {{"--sh", "--template", "--singles", "--regions", "Japan,USA",
        "--dat=set.dat", "*", "7zz a -sdel {dir}{title}.7z"}, false,
       "7zz a -sdel 'cover.7z'  'cover.png'  \n"
       "7zz a -sdel 'Disc & Co.7z'  'Disc & Co (Japan).cue'  'Disc & Co "
       "(Europe).cue' 'Disc & Co (Europe) (Track 1).bin' 'Disc & Co (Europe) "
       "(Track 2).bin' \n"
       "7zz a -sdel 'Pocket Monsters - Aka.7z'  'Pocket Monsters - Aka "
       "(Japan).gb'  'Pokemon - Red Version (USA, Europe).zip' 'Pokemon - Red "
       "Version (USA, Europe) (Beta).gb' \n"
       "7zz a -sdel 'readme.7z'  'readme.txt'  \n"
       // Two families of one title: the later takes its parent's name.
       "7zz a -sdel 'Tetris.7z'  't.gb'  \n"
       "7zz a -sdel 'Tetris (Japan).7z'  'Tetris (Japan).gb'  \n"
       "7zz a -sdel 'Zap.7z'  'Zap (USA).bin'  'Zap (Europe).7z' \n"
       "7zz a -sdel 'Zap (World).7z'  'Zap (World).zip'  \n",
       "tramlune: the group of \"Tetris (Japan).gb\" fills {title} with "
       "\"Tetris (Japan)\": \"Tetris\" names the archive of another group\n"
       "tramlune: the group of \"Zap (World).zip\" fills {title} with "
       "\"Zap (World)\": \"Zap\" names the archive of another group\n"
       "tramlune: 3 files are not in the DAT, each on a line of its own: "
       "\"cover.png\", \"readme.txt\" and others\n"},
      // --naming no-intro may stand with --dat.
      {{"--sh", "--naming", "no-intro", "--dat", "set.dat", "*", "echo"},
       false, lines, not_in_dat},
      // The listing's lines, held while the DAT was read, come after those
      // on the command line.
      {{"--sh", "--dat", "set.dat", "none*", "echo", "--singles"}, false, "",
       "tramlune: \"--singles\" after the mask is taken as command text, not "
       "as an option: options go before the mask\n"
       "tramlune: no file matches \"none*\"\n"},
  };
  for (const Case& c : cases) {
    DatRun r = RunDat(c.args, kSetDat, c.fold_case);
    std::string what = testing::PrintToString(c.args);
    EXPECT_EQ(r.status, 0) << what;
    EXPECT_EQ(r.lines, c.lines) << what;
    EXPECT_EQ(r.err, c.err) << what;
  }
}

TEST(DatTest, NamesCompareAsTheSystemComparesThem) {
  const std::string dat =
      "<datafile><game name=\"G (USA)\"><rom name=\"G (USA).BIN\"/>"
      "<rom name=\"g (usa).cue\"/></game></datafile>";
  const std::vector<std::string> files = {"g (usa).bin", "G (Usa).cue",
                                          "G (usa).zip"};
  DatRun folded = RunDat({"--sh", "--dat", "set.dat", "*", "echo"}, dat, true,
                      files);
  EXPECT_EQ(folded.lines,
            "echo  'G (Usa).cue'  'g (usa).bin' 'G (usa).zip' \n");
  EXPECT_EQ(folded.err, "");
  DatRun exact = RunDat({"--sh", "--dat", "set.dat", "*", "echo"}, dat, false,
                     files);
  EXPECT_EQ(exact.lines, "");
  EXPECT_EQ(exact.err,
            "tramlune: the DAT \"set.dat\" holds none of the 3 listed files: "
            "is it the DAT of this set?\n");
  // Roms indexed ahead with the other folding are indexed anew.
  class NoLines : public GroupSink {
    void Group(int32_t, std::span<const int32_t>, std::string_view) override {}
  } no_lines;
  for (bool fold : {false, true}) {
    DatFile read;
    ASSERT_EQ(ReadDat(dat, &read), "");
    FindDatFamilies(&read);
    IndexDatRoms(&read, !fold);
    FileList list;
    for (const std::string& file : files)
      list.Append(file);
    list.Sort();
    GroupingOptions options;
    options.dat = &read;
    options.fold_names = fold;
    EXPECT_EQ(GroupDat(list, options, no_lines).held, fold ? 3 : 0);
  }
}

TEST(DatTest, RefusedCommandLinesAndDatsWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string dat, err;
  };
  const Case cases[] = {
      {{"--dat", "other.dat", "*"}, kSetDat,
       "tramlune: cannot read the DAT \"other.dat\": No such file or "
       "directory\n"},
      {{"--dat", "set.dat", "*"}, "<datafile>\n<game name=\"x\">\n</datafile>",
       "tramlune: cannot read the DAT \"set.dat\": the XML breaks at line 3: "
       "a closing tag names another element\n"},
      {{"--dat", "set.dat", "*"}, "<datafile/>",
       "tramlune: cannot read the DAT \"set.dat\": it holds no <game> or "
       "<machine> element\n"},
      // The listing's own lines wait for the DAT, and go with it.
      {{"--dat", "other.dat", "none*"}, kSetDat,
       "tramlune: cannot read the DAT \"other.dat\": No such file or "
       "directory\n"},
      {{"--dat", "other.dat", "a*/*"}, kSetDat,
       "tramlune: cannot read the DAT \"other.dat\": No such file or "
       "directory\n"},
      {{"--naming", "goodtools", "--dat", "set.dat", "*"}, kSetDat,
       "tramlune: --dat groups by the DAT's families, not by GoodTools names: "
       "leave --naming goodtools out\n"},
      {{"--dat=", "*"}, kSetDat,
       "tramlune: --dat needs the path of the set's DAT: write --dat FILE "
       "before the mask\n"},
      {{"--dat"}, kSetDat,
       "tramlune: --dat needs a value: write --dat VALUE before the mask\n"},
  };
  for (const Case& c : cases) {
    DatRun r = RunDat(c.args, c.dat);
    std::string what = testing::PrintToString(c.args);
    EXPECT_EQ(r.status, 2) << what;
    EXPECT_EQ(r.lines, "") << what;
    EXPECT_EQ(r.err, c.err) << what;
  }
}

}  // namespace
