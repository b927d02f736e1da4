#include "app/tramlune.h"

#include <gtest/gtest.h>

#include <set>

#include "test_support.h"
#include "fake_platform.h"
#include "platform/platform.h"

namespace {

struct Result {
  int status;
  std::string out;
  std::string err;
};

// The line end of text for people on the platform of RunWith: another than
// a script's, so that each text shows which it follows.
const std::string kTextLineEnd = "\r\n";

// Runs the tool on a listing; the writes numbered in failing_writes fail
// with "disk full".
Result RunWith(const std::vector<std::string>& args,
               std::set<size_t> failing_writes = {}) {
  FakePlatform platform;
  platform.listings["*.v64"] = {{"G (U) [!].v64", false},
                                {"G (U) [a1].v64", false},
                                {"H (E).v64", false}};
  platform.listings["x/*"] = {{"-o (U) [!]", false}, {"-o (U) [a1]", false},
                              {"it's $HOME (U)", false},
                              {"it's $HOME (U) [b1]", false}};
  platform.failing_writes = failing_writes;
  platform.line_end = kTextLineEnd;
  platform.fail_error = 112;
  ProgramOutput output(platform);
  int status;
  try {
    status = RunTramlune(args, platform, output.buffer, output.stop);
    output.buffer.Flush();
  } catch (const ProcessEnded& ended) {
    status = 100 + ended.status;
  }
  return {status, platform.Written(), platform.errors};
}

// text with every LF ended as the platform ends lines of text for people.
std::string NativeLines(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += kTextLineEnd;
    else
      out += c;
  }
  return out;
}

const std::string kUsageLF =
    "Syntax:\n"
    "   tramlune <filemask> [command-prefix] [command-suffix]\n"
    "\n"
    "Tramlune will scan all files matching <filemask>, and will try\n"
    "to match the parent files with all their clones. It will then\n"
    "generate a command string in the form\n"
    "    command-prefix parent_file clone_files command_suffix\n"
    "to the standard output; you should redirect it to a BAT file\n"
    "\n"
    "Example:\n"
    "   tramlune *.v64 \"plexo create -test -delete\" \">error.log\" >go.bat\n"
    "\n";

const std::string kShellStart =
    "#!/bin/sh\n"
    "#    " + std::string(67, '_') + "\n"
    "#\n"
    "#    Tramlune v0.05" + std::string(36, ' ') + "Ruvok, 2002/12/10\n"
    "#    " + std::string(67, '_') + "\n"
    "\n";

TEST(TramluneTest, Usage) {
  Result r = RunWith({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            kBanner +
                "Syntax:\r\n"
                "   tramlune <filemask> [command-prefix] [command-suffix]\r\n"
                "\r\n"
                "Tramlune will scan all files matching <filemask>, and will try\r\n"
                "to match the parent files with all their clones. It will then\r\n"
                "generate a command string in the form\r\n"
                "    command-prefix parent_file clone_files command_suffix\r\n"
                "to the standard output; you should redirect it to a BAT file\r\n"
                "\r\n"
                "Example:\r\n"
                "   tramlune *.v64 \"plexo create -test -delete\" \">error.log\" "
                ">go.bat\r\n"
                "\r\n");
}

TEST(TramluneTest, ArgumentsMakeMaskPrefixAndSuffix) {
  struct Case { std::vector<std::string> args; std::string line; };
  const Case cases[] = {
      {{"*.v64"}, " \"G (U) [!].v64\"  \"G (U) [a1].v64\" "},
      {{"*.v64", "copy"}, "copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\" "},
      {{"*.v64", "copy", ">log.txt"},
       "copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\"  >log.txt"},
      {{"*.v64", "a b", "c d", "ignored", "too"},
       "a b  \"G (U) [!].v64\"  \"G (U) [a1].v64\"  c d"},
  };
  for (const Case& c : cases) {
    Result r = RunWith(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kScriptStart + c.line + "\r\n");
  }
  Result none = RunWith({"*.none"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, kScriptStart);
}

TEST(TramluneTest, Options) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  };
  const std::string help =
      NativeLines(kUsageLF +
                  "Options, before <filemask>:\n"
                  "   --sh        write a POSIX sh script (sh, bash, WSL, Git Bash) instead\n"
                  "               of a batch file: paths in single quotes, lines ended by LF\n"
                  "   --naming goodtools\n"
                  "               group GoodTools names (the default): 'Game (U) [a1].v64'\n"
                  "               joins 'Game (U) [!].v64', which heads it\n"
                  "   --naming no-intro\n"
                  "               group No-Intro and Redump names: files whose titles, the\n"
                  "               names before their first \" (\", and tags of no known\n"
                  "               kind (publishers, subtitles) are equal; the parent is the\n"
                  "               good dump, a release, of the first region listed in\n"
                  "               --regions, the newest revision\n"
                  "   --regions LIST\n"
                  "               the region order of --naming no-intro and --dat, most\n"
                  "               wanted first (default USA,World,Europe,Japan)\n"
                  "   --dat FILE  group by the families of FILE, the set's XML DAT (No-Intro,\n"
                  "               Redump, MAME): a file is a game's when the DAT names it,\n"
                  "               or the game's name is its name without the extension\n"
                  "               ('Game (USA).zip'); the parent is chosen as by --naming\n"
                  "               no-intro, of the family's games; files not in the DAT are\n"
                  "               named on standard error\n"
                  "   --template  the prefix and the suffix are templates; each word that\n"
                  "               holds a placeholder is one argument, quoted by tramlune:\n"
                  "                 {}        the group's files, parent first (a word alone)\n"
                  "                 {parent}  the parent's path\n"
                  "                 {clones}  the clones (a word alone)\n"
                  "                 {title}   the group's title: \"Game (U)\" of\n"
                  "                           \"Game (U) [!].v64\"; with --naming\n"
                  "                           no-intro \"Game\" of \"Game (USA).z64\";\n"
                  "                           no two lines share one\n"
                  "                 {dir}     the mask's directory part, as written\n"
                  "                 {{ }}     a brace\n"
                  "               without {}, {parent} or {clones} the files stand between\n"
                  "               prefix and suffix; a line whose filled-in word names a\n"
                  "               listed file is left out and reported\n"
                  "   --singles   every file in exactly one line: a file with no clone\n"
                  "               gets a line of its own, a clone never heads a line\n"
                  "   --help, /?  write this text\n"
                  "   --version   write the version\n"
                  "   --          end the options: the next argument is the mask\n"
                  "\n"
                  "Examples, one archive per group, named by its title. Run them in the\n"
                  "folder of the files, so that the archives hold the bare names; each\n"
                  "adds to the archive it finds, so a second run after new files is safe:\n"
                  "   tramlune --template --singles \"*.v64\" \"7z a -sdel {title}.7z\" >go.bat\n"
                  "   tramlune --sh --template --singles '*.v64' 'zip -m {title}.zip' >go.sh\n"
                  "   tramlune --sh --template --singles '*.v64' \\\n"
                  "       'tar -rf {title}.tar --remove-files {}' >go.sh\n"
                  "A checker whose log every line adds to (\">>\"; \">\" would empty it):\n"
                  "   tramlune \"*.v64\" \"plexo create -test\" \">>error.log\" >go.bat\n");
  const Case cases[] = {
      {{"--help"}, 0, help, ""},
      {{"/?"}, 0, help, ""},
      {{"--sh"}, 1, "", kUsageLF},
      {{"--sh", "*.v64"}, 2, "",
       "tramlune: --sh needs a command after the mask: without one, sh runs "
       "the first file of each line (an empty argument is skipped, so the "
       "suffix may take the command's place); write, e.g., tramlune --sh "
       "'*.v64' echo '>>log.txt'\n"},
      {{"--sh", "x/*", "echo", "> log"}, 0,
       kShellStart +
           "echo  'x/-o (U) [!]'  'x/-o (U) [a1]'  > log\n"
           "echo  'x/it'\\''s $HOME (U)'  'x/it'\\''s $HOME (U) [b1]'  > log\n",
       ""},
      {{"--", "--help"}, 0, kScriptStart,
       "tramlune: no file matches \"--help\": it is no option; options go "
       "before the mask, see --help\n"},
  };
  for (const Case& c : cases) {
    Result r = RunWith(c.args);
    std::string what = testing::PrintToString(c.args);
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_EQ(r.out, c.out) << what;
    EXPECT_EQ(r.err, c.err) << what;
  }
  Result version = RunWith({"--version", "--sh"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("tramlune ", 0), 0u) << version.out;
  EXPECT_EQ(version.out.find(kTextLineEnd),
            version.out.size() - kTextLineEnd.size());
}

TEST(TramluneTest, ShellScriptFailuresGoToStandardError) {
  // The first write (the banner and the line fill the 128-byte buffer)
  // fails: one plain line goes where sh will not run it.
  Result r = RunWith({"--sh", "*.v64", "rm"}, {0});
  EXPECT_EQ(r.status, 101);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "tramlune: cannot write the script: No space left on "
                   "device\n");
}

}  // namespace
