// The built program, run in scratch directories: exact output bytes and
// exit status. With TRAMLUNE_WINE and TRAMLUNE_EXE set, the same cases run
// the Windows build's program under that Wine instead; with
// TRAMLUNE_UNDER_TEST set, they run the program it names (an installed copy).
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

enum class Stdout { kPipe, kDevFull, kClosed, kReadOnly, kPipeClosedByReader };

struct Result {
  int status = -1;     // exit status; -1 when killed by a signal
  std::string out;
  std::string err;
};

const char* Wine() { return getenv("TRAMLUNE_WINE"); }

// The words that start the program under test: its path, after Wine's when
// the Windows build is tested, or the installed copy's.
std::vector<std::string> ToolCommand() {
  if (const char* wine = Wine()) {
    const char* exe = getenv("TRAMLUNE_EXE");
    return {wine, exe ? exe : "tramlune.exe"};
  }
  const char* path = getenv("TRAMLUNE_UNDER_TEST");
  return {path && *path ? path : TRAMLUNE_PATH};
}

// Runs the program with args in the child process of a fork.
[[noreturn]] void ExecTool(const std::vector<std::string>& args) {
  std::vector<std::string> words = ToolCommand();
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

std::string ReadAll(int fd) {
  std::string all;
  char buf[65536];
  ssize_t n;
  while ((n = read(fd, buf, sizeof(buf))) > 0)
    all.append(buf, n);
  return all;
}

// Runs the tool with args in dir. prepare, when given, runs in the child
// just before the program is started.
Result RunTool(const std::vector<std::string>& args, const std::string& dir,
               Stdout mode = Stdout::kPipe,
               const std::function<void()>& prepare = nullptr) {
  int out_pipe[2], err_pipe[2];
  EXPECT_EQ(pipe(out_pipe), 0);
  EXPECT_EQ(pipe(err_pipe), 0);
  if (mode == Stdout::kPipeClosedByReader)
    close(out_pipe[0]);
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    dup2(err_pipe[1], 2);
    switch (mode) {
      case Stdout::kPipe:
      case Stdout::kPipeClosedByReader:
        dup2(out_pipe[1], 1);
        break;
      case Stdout::kDevFull:
        dup2(open("/dev/full", O_WRONLY), 1);
        break;
      case Stdout::kReadOnly:
        dup2(open("/dev/null", O_RDONLY), 1);
        break;
      case Stdout::kClosed:
        close(1);
        break;
    }
    // With SIGPIPE at its default, a program that forgot to ignore it dies.
    signal(SIGPIPE, SIG_DFL);
    if (prepare)
      prepare();
    ExecTool(args);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  Result result;
  if (mode != Stdout::kPipeClosedByReader) {
    result.out = ReadAll(out_pipe[0]);
    close(out_pipe[0]);
  }
  result.err = ReadAll(err_pipe[0]);
  close(err_pipe[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return result;
}

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/tramlune-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(command.c_str()), 0);
  }
  // Makes an empty file for each name.
  void Touch(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      int fd = open((dir_ + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
      ASSERT_GE(fd, 0) << name;
      close(fd);
    }
  }
  std::string dir_;
};

const std::vector<std::string> kSet = {"Game (U) [!].v64", "Game (U) [a1].v64",
                                       "Game (U) [b1].v64", "Game (E).v64"};
const std::string kSetLine =
    "\"Game (U) [!].v64\"  \"Game (U) [a1].v64\" \"Game (U) [b1].v64\"";

// The hint that ends the line about ignored arguments: POSIX shells expand
// an unquoted mask, cmd does not.
std::string QuoteHint() {
  return Wine() ? "" : ": quote the mask, or the shell expands it";
}

// Expects err to be the one line head + reason + LF. Under Wine the reason
// is Windows' own text: only that there is one is checked.
void ExpectReasonLine(const std::string& err, const std::string& head,
                      const std::string& reason) {
  if (!Wine()) {
    EXPECT_EQ(err, head + reason + "\n");
    return;
  }
  EXPECT_EQ(err.substr(0, head.size()), head) << err;
  EXPECT_GT(err.size(), head.size() + 1) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(err.back(), '\n') << err;
}

std::string UnreadHead(const std::string& dir) {
  return "tramlune: cannot read the directory \"" + dir + "\": ";
}

TEST_F(EndToEndTest, NoArgumentsWritesUsage) {
  Result r = RunTool({}, dir_);
  EXPECT_EQ(r.status, 1);
  ASSERT_EQ(r.out.substr(0, kBanner.size()), kBanner);
  EXPECT_EQ(r.out.substr(kBanner.size(), 9), "Syntax:\r\n");
  EXPECT_EQ(r.out.find("@echo off"), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - 4), "\r\n\r\n");
}

TEST_F(EndToEndTest, Arguments) {
  Touch(kSet);
  struct Case { std::vector<std::string> args; std::string line; };
  const Case cases[] = {
      {{"*.v64"}, " " + kSetLine + " "},
      {{"*.v64", "copy"}, "copy  " + kSetLine + " "},
      {{"*.v64", "copy", ">log.txt"}, "copy  " + kSetLine + "  >log.txt"},
      {{"*.v64", "a", "b", "c", "d"}, "a  " + kSetLine + "  b"},
      // An empty argument is dropped; the later ones move up.
      {{"*.v64", "", ">log"}, ">log  " + kSetLine + " "},
      {{"*.V64", "7z a \"x y.7z\""}, "7z a \"x y.7z\"  " + kSetLine + " "},
  };
  for (const Case& c : cases) {
    // Wine passes a double quote inside an argument on as \", which the
    // Windows split does not undo; the Windows tests give such lines whole.
    if (Wine() && c.args.back().find('"') != std::string::npos)
      continue;
    Result r = RunTool(c.args, dir_);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.out, kScriptStart + c.line + "\r\n") << c.args.size();
    EXPECT_EQ(r.err, c.args.size() == 5 ? "tramlune: ignored 2 arguments after "
                                          "the suffix" + QuoteHint() + "\n"
                                        : "");
  }
}

// No-Intro names: equal titles group whatever their tags, longer titles
// stay apart, the parent is the preferred dump; and the usage errors of the
// naming options.
TEST_F(EndToEndTest, NoIntroNaming) {
  Touch({"Super Mario 64 (Japan).z64", "Super Mario 64 (USA).z64",
         "Super Mario 64 (Europe) (En,Fr,De).z64",
         "super mario 64 (USA) (Rev 1).z64", "Super Mario 64 (USA) [b].z64",
         "Super Mario 64 - Shindou Edition (Japan).z64",
         "Final Fantasy (Japan).nes", "Final Fantasy II (Japan).nes",
         "Final Fantasy (USA) (Beta).nes", "Final Fantasy (Japan) (Rev 1).nes",
         "[BIOS] Nintendo 64 (Japan).z64", "[BIOS] Nintendo 64 (USA) (Proto).z64",
         "Game (v64).txt"});
  const std::string mario =
      "\"super mario 64 (USA) (Rev 1).z64\"  \"Super Mario 64 (Europe) "
      "(En,Fr,De).z64\" \"Super Mario 64 (Japan).z64\" \"Super Mario 64 "
      "(USA).z64\" \"Super Mario 64 (USA) [b].z64\"";
  Result r = RunTool({"--naming", "no-intro", "*", "7z a"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // Lines in the order of their titles: "[" sorts after the letters.
  EXPECT_EQ(r.out, kScriptStart +
                       "7z a  \"Final Fantasy (Japan) (Rev 1).nes\"  \"Final "
                       "Fantasy (Japan).nes\" \"Final Fantasy (USA) (Beta).nes\" \r\n"
                       "7z a  " + mario + " \r\n"
                       "7z a  \"[BIOS] Nintendo 64 (Japan).z64\"  \"[BIOS] "
                       "Nintendo 64 (USA) (Proto).z64\" \r\n");
  // The region order decides before the revision.
  r = RunTool({"--naming=no-intro", "--regions", "Japan,USA", "Super*"}, dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       " \"Super Mario 64 (Japan).z64\"  \"Super Mario 64 "
                       "(Europe) (En,Fr,De).z64\" \"Super Mario 64 (USA).z64\" "
                       "\"super mario 64 (USA) (Rev 1).z64\" \"Super Mario 64 "
                       "(USA) [b].z64\" \r\n");
  // {title} is the No-Intro title; with --singles every file stands once.
  r = RunTool({"--naming", "no-intro", "--singles", "--template", "Final*",
               "7z a {dir}{title}.7z"}, dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       "7z a \"Final Fantasy.7z\"  \"Final Fantasy (Japan) (Rev "
                       "1).nes\"  \"Final Fantasy (Japan).nes\" \"Final Fantasy "
                       "(USA) (Beta).nes\" \r\n"
                       "7z a \"Final Fantasy II.7z\"  \"Final Fantasy II "
                       "(Japan).nes\"  \r\n");
  struct Case { std::vector<std::string> args; std::string err; };
  const std::string kRegionWords =
      " in --regions: write regions as the names write them, parted by "
      "commas, from World, USA, Europe, Japan, Asia, Australia, Brazil, "
      "Canada, China, France, Germany, Hong Kong, Italy, Korea, Netherlands, "
      "Spain, Sweden, Taiwan, UK, Russia, Scandinavia, Greece, Finland, "
      "Norway, Denmark, Portugal, Poland, Mexico, Argentina, Latin America, "
      "India, New Zealand, South Africa, Austria, Belgium, Switzerland, "
      "Ireland, Israel, Turkey, Croatia, Czech, Hungary, Ukraine, United Arab "
      "Emirates, Chile, Indonesia, Singapore, Thailand, Unknown\n";
  const Case errors[] = {
      {{"--naming", "nointro", "*"},
       "tramlune: unknown naming \"nointro\": write --naming goodtools or "
       "--naming no-intro\n"},
      {{"--naming"}, "tramlune: --naming needs a value: write --naming VALUE "
                     "before the mask\n"},
      {{"--naming", "no-intro", "--regions", "USA,,Japan", "*"},
       "tramlune: --regions takes a list of regions parted by commas, none "
       "empty: write, for example, --regions Europe,USA,World\n"},
      {{"--regions", "USA", "*"},
       "tramlune: --regions orders the regions of --naming no-intro: add "
       "--naming no-intro, or leave --regions out\n"},
      // Once an option stands, the command line is held to its form.
      {{"--sh", "--singel", "*", "echo"},
       "tramlune: unknown option \"--singel\": the options are --sh, "
       "--naming, --regions, --dat, --template, --singles, --help and "
       "--version; write -- before a mask that begins with -\n"},
      {{"--template", "--singles", "a.v64", "b.v64", "c.v64",
        "zip -m {title}.zip"},
       "tramlune: 4 arguments follow the options, but a mask, a command "
       "prefix and a suffix are three at most: quote the mask, so that the "
       "shell does not expand it, and the prefix and suffix, each as one "
       "argument, as in tramlune --sh --template '*.v64' '7zz a -sdel "
       "{dir}{title}.7z'\n"},
      // A region that the names never write; an empty value is dropped by
      // the shell, so that the mask stands in its place.
      {{"--naming", "no-intro", "--regions", "Eur", "*"},
       "tramlune: unknown region \"Eur\"" + kRegionWords},
      {{"--naming", "no-intro", "--regions", "Europe;USA", "*"},
       "tramlune: unknown region \"Europe;USA\"" + kRegionWords},
      {{"--naming", "no-intro", "--regions", "*", "echo"},
       "tramlune: unknown region \"*\"" + kRegionWords},
      // No line may open with a word that names a file.
      {{"--sh", "--template", "*", "{dir}{title}.7z"},
       "tramlune: the line would begin with a word with a placeholder, which "
       "names a file, not a command: write the command first, as in \"7z a "
       "-sdel {dir}{title}.7z\"\n"},
  };
  for (const Case& c : errors) {
    r = RunTool(c.args, dir_);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.out, "") << c.err;
    EXPECT_EQ(r.err, c.err);
  }
}

// --dat: the families of a DAT written beside the files; a DAT that cannot
// be read writes nothing, status 2, not even what the listing met.
TEST_F(EndToEndTest, DatFamilies) {
  Touch({"Jet Set Radio (Europe).cue", "Jet Set Radio (Europe) (Track 1).bin",
         "Jet Set Radio (Europe) (Track 2).bin", "Jet Grind Radio (USA).zip",
         "Tom & Jerry (USA).gb", "Tom & Jerry (Japan).gb", "notes.txt"});
  // A name that no batch line holds, which Windows does not allow.
  if (!Wine())
    Touch({"a<b.gb"});
  std::ofstream(dir_ + "/set.dat", std::ios::binary)
      << "<?xml version=\"1.0\"?>\n<datafile>\n"
         "<game name=\"Jet Grind Radio (USA)\" cloneof=\"Jet Set Radio "
         "(Europe)\"><rom name=\"Jet Grind Radio (USA).gdi\"/></game>\n"
         "<game name=\"Jet Set Radio (Europe)\">"
         "<rom name=\"Jet Set Radio (Europe) (Track 1).bin\"/>"
         "<rom name=\"Jet Set Radio (Europe) (Track 2).bin\"/>"
         "<rom name=\"Jet Set Radio (Europe).cue\"/></game>\n"
         "<game name=\"Tom &amp; Jerry (Japan)\" id=\"2\" cloneofid=\"1\">"
         "<rom name=\"Tom &amp; Jerry (Japan).gb\"/></game>\n"
         "<game name=\"Tom &#38; Jerry (USA)\" id=\"1\">"
         "<rom name=\"Tom &#x26; Jerry (USA).gb\"/></game>\n</datafile>\n";
  Result r = RunTool({"--template", "--dat", "set.dat", "*",
                      "7zz a -sdel {dir}{title}.7z"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kScriptStart +
                       "7zz a -sdel \"Jet Grind Radio.7z\"  \"Jet Grind Radio "
                       "(USA).zip\"  \"Jet Set Radio (Europe).cue\" \"Jet Set "
                       "Radio (Europe) (Track 1).bin\" \"Jet Set Radio (Europe) "
                       "(Track 2).bin\" \r\n"
                       "7zz a -sdel \"Tom & Jerry.7z\"  \"Tom & Jerry (USA).gb\"  "
                       "\"Tom & Jerry (Japan).gb\" \r\n");
  EXPECT_EQ(r.err,
            std::string(Wine() ? ""
                               : "tramlune: left out a name that a batch "
                                 "script cannot hold: \"a<b.gb\"\n") +
            "tramlune: 2 files are not in the DAT, in no line: "
            "\"notes.txt\" and \"set.dat\"\n");

  std::ofstream(dir_ + "/cut.dat", std::ios::binary)
      << "<datafile>\n<game name=\"a\">\n<rom name=\"b\"/>\n";
  r = RunTool({"--dat", "cut.dat", "*", "echo"}, dir_);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "tramlune: cannot read the DAT \"cut.dat\": the XML breaks "
                   "at line 4: the text ends inside it\n");
  r = RunTool({"--dat", "missing.dat", "*", "echo"}, dir_);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  ExpectReasonLine(r.err, "tramlune: cannot read the DAT \"missing.dat\": ",
                   "No such file or directory");
}

TEST_F(EndToEndTest, NothingMatches) {
  Touch({"a.n64"});
  for (const char* mask : {"*.v64", "missing/*.v64", "*.", ""}) {
    Result r = RunTool({mask, "x"}, dir_);
    EXPECT_EQ(r.status, 0) << mask;
    EXPECT_EQ(r.out, kScriptStart) << mask;
  }
}

TEST_F(EndToEndTest, DirectoryParts) {
  ASSERT_EQ(mkdir((dir_ + "/roms").c_str(), 0755), 0);
  Touch({"roms/G (U) [!].v64", "roms/G (U) [a1].v64", "G (U) [!].v64",
         "G (U) [h1].v64"});
  Result r = RunTool({"roms/*.v64", "del"}, dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       "del  \"roms/G (U) [!].v64\"  \"roms/G (U) [a1].v64\" \r\n");
  std::string absolute = dir_ + "/roms/";
  r = RunTool({absolute + "*"}, "/");
  EXPECT_EQ(r.out, kScriptStart + " \"" + absolute + "G (U) [!].v64\"  \"" +
                       absolute + "G (U) [a1].v64\" \r\n");
}

TEST_F(EndToEndTest, EntriesOfEveryKind) {
  Touch({"G (U) [!].v64", ".hidden (U) [!].v64", ".hidden (U) [a1].v64"});
  ASSERT_EQ(mkdir((dir_ + "/G (U) [b1].v64").c_str(), 0755), 0);
  ASSERT_EQ(symlink("G (U) [b1].v64", (dir_ + "/G (U) [c1].v64").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir_ + "/G (U) [d1].v64").c_str()), 0);
  ASSERT_EQ(symlink("G (U) [!].v64", (dir_ + "/G (U) [e1].v64").c_str()), 0);
  // Directories and links to them are left out; a dangling link is a file
  // (Wine does not list one at all).
  Result r = RunTool({"G*"}, dir_);
  EXPECT_EQ(r.out, kScriptStart + " \"G (U) [!].v64\"  " +
                       (Wine() ? "" : "\"G (U) [d1].v64\" ") +
                       "\"G (U) [e1].v64\" \r\n");
  // Dot-files count.
  r = RunTool({".h*"}, dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       " \".hidden (U) [!].v64\"  \".hidden (U) [a1].v64\" \r\n");
}

TEST_F(EndToEndTest, PerCentSignsAreDoubled) {
  Touch({"100% Pure (U) [!].v64", "100% Pure (U) [a1].v64"});
  ASSERT_EQ(mkdir((dir_ + "/%PATH%").c_str(), 0755), 0);
  Touch({"%PATH%/a%b%c (U) [!].v64", "%PATH%/a%b%c (U) [b1].v64"});
  Result r = RunTool({"*.v64", "echo %1"}, dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       "echo %1  \"100%% Pure (U) [!].v64\"  \"100%% Pure (U) [a1].v64\" \r\n");
  r = RunTool({"%PATH%/*"}, dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       " \"%%PATH%%/a%%b%%c (U) [!].v64\"  \"%%PATH%%/a%%b%%c (U) [b1].v64\" \r\n");
}

TEST_F(EndToEndTest, UnquotableNamesAreLeftOutAndReported) {
  if (Wine())
    GTEST_SKIP() << "Windows names cannot hold CR, LF or a double quote";
  Touch({"G (U) [!].v64", "G (U) [a1].v64", "G (U) [a2\n& del x].v64",
         "G (U) [a3\"].v64", "G (U) [a4\r].v64"});
  Result r = RunTool({"*.v64", "del"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kScriptStart + "del  \"G (U) [!].v64\"  \"G (U) [a1].v64\" \r\n");
  // One line per name on standard error, in no fixed order.
  for (const char* escaped : {"G (U) [a2\\x0A& del x].v64", "G (U) [a3\\x22].v64",
                              "G (U) [a4\\x0D].v64"})
    EXPECT_NE(r.err.find(std::string("\"") + escaped + "\"\n"), std::string::npos)
        << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 3);
}

// The groups of paths that the command lines of a sh script pass, in the
// order of the lines, the script run by shell in dir. Each line's prefix
// is printf '%s\0' and its suffix '', so every argument ends with a NUL
// and every line with an empty argument (no path is empty).
std::vector<std::vector<std::string>> RunShellScript(const char* shell,
                                                     const std::string& script,
                                                     const std::string& dir) {
  // Beside dir, so that it is no file of the listing.
  std::string path = dir + ".script-" + shell;
  FILE* f = fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr);
  fwrite(script.data(), 1, script.size(), f);
  fclose(f);
  std::string command = "cd '" + dir + "' && " + shell + " '" + path + "'";
  FILE* p = popen(command.c_str(), "r");
  std::string printed;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), p)) > 0)
    printed.append(buf, n);
  EXPECT_EQ(pclose(p), 0) << shell;
  unlink(path.c_str());
  std::vector<std::vector<std::string>> lines(1);
  for (size_t start = 0, end; (end = printed.find('\0', start)) !=
                              std::string::npos; start = end + 1) {
    if (end == start)
      lines.emplace_back();
    else
      lines.back().push_back(printed.substr(start, end - start));
  }
  EXPECT_TRUE(lines.back().empty()) << shell << ": a line was cut";
  lines.pop_back();
  return lines;
}

TEST_F(EndToEndTest, ShellScriptsPassExactPaths) {
  if (Wine())
    GTEST_SKIP() << "names with bytes that a Windows name cannot hold";
  // Every byte but NUL and "/" in some name, and what sh would read as
  // syntax: quotes, expansions, escapes, history, comments, operators,
  // blanks and line ends; some names begin with "-".
  std::string low, high;
  for (int b = 1; b < 0x80; ++b)
    if (b != '/') low += static_cast<char>(b);
  for (int b = 0x80; b < 0x100; ++b)
    high += static_cast<char>(b);
  const std::vector<std::string> fragments = {
      low, high, "'", "\"", "'\\''", "$HOME ${x:-y}", "`id`", "$(id)",
      "\\", "\\'", "!1 !! !$", "  runs  of   spaces ", "\n", "a\nb\r\n",
      "*", "?", "~", "#x", ";x&y|z", "x{a,b}", "\t", "-rf", "%1 %%"};
  std::vector<std::pair<std::string, std::string>> pairs;  // parent, clone
  for (size_t k = 0; k < fragments.size(); ++k) {
    char tag[32];
    std::snprintf(tag, sizeof(tag), "%sT%03d ", k % 3 == 0 ? "-" : "",
                  static_cast<int>(k));
    std::string title = tag + fragments[k];
    pairs.emplace_back(title + " [!]", title + " [a1]");
  }
  struct Place {
    std::string dir;  // the mask's directory part, without its "/"
  };
  const Place places[] = {{""},
                          {"d $x `y` $(z) ' \" \\ ! \n end"},
                          {"-dir 'x'"}};
  for (const Place& place : places) {
    std::string sub = dir_ + (place.dir.empty() ? "" : "/" + place.dir);
    if (!place.dir.empty()) {
      ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    }
    std::vector<std::vector<std::string>> expected;
    for (const auto& [parent, clone] : pairs) {
      Touch({(place.dir.empty() ? "" : place.dir + "/") + parent,
             (place.dir.empty() ? "" : place.dir + "/") + clone});
      std::vector<std::string> group;
      for (const std::string& name : {parent, clone}) {
        std::string path = place.dir.empty() ? name : place.dir + "/" + name;
        if (path[0] == '-')
          path.insert(0, "./");
        group.push_back(path);
      }
      expected.push_back(group);
    }
    std::string mask = place.dir.empty() ? "*" : place.dir + "/*";
    Result r = RunTool({"--sh", mask, "printf '%s\\0'", "''"}, dir_);
    ASSERT_EQ(r.status, 0) << place.dir;
    EXPECT_EQ(r.err, "") << place.dir;
    std::sort(expected.begin(), expected.end());
    for (const char* shell : {"sh", "bash"}) {
      auto lines = RunShellScript(shell, r.out, dir_);
      std::sort(lines.begin(), lines.end());
      EXPECT_EQ(lines, expected) << shell << " in \"" << place.dir << "\"";
    }
    if (place.dir.empty()) {  // the next places list only their own names
      for (const auto& [parent, clone] : pairs)
        for (const std::string& name : {parent, clone})
          ASSERT_EQ(unlink((dir_ + "/" + name).c_str()), 0);
    }
  }
}

TEST_F(EndToEndTest, NamesThatLookLikeSwitchesArePaths) {
  Touch({"-x (U) [!].v64", "-x (U) [a1].v64"});
  ASSERT_EQ(mkdir((dir_ + "/-d").c_str(), 0755), 0);
  Touch({"-d/-x (U) [!].v64", "-d/-x (U) [a1].v64"});
  struct Case { std::vector<std::string> args; std::string out; };
  const Case cases[] = {
      {{"*.v64", "del"},
       kScriptStart + "del  \".\\-x (U) [!].v64\"  \".\\-x (U) [a1].v64\" \r\n"},
      {{"./*.v64", "del"},
       kScriptStart + "del  \"./-x (U) [!].v64\"  \"./-x (U) [a1].v64\" \r\n"},
      {{"-d/*", "del"},
       kScriptStart +
           "del  \".\\-d/-x (U) [!].v64\"  \".\\-d/-x (U) [a1].v64\" \r\n"},
      {{"--sh", "*.v64", "rm"},
       "rm  './-x (U) [!].v64'  './-x (U) [a1].v64' \n"},
      {{"--sh", "-d/*", "rm"},
       "rm  './-d/-x (U) [!].v64'  './-d/-x (U) [a1].v64' \n"},
  };
  for (const Case& c : cases) {
    Result r = RunTool(c.args, dir_);
    EXPECT_EQ(r.status, 0) << c.args[0];
    // The sh cases are compared from the first command line on.
    std::string out = c.args[0] == "--sh"
                          ? r.out.substr(std::min(r.out.size(),
                                                  r.out.find("\n\n") + 2))
                          : r.out;
    EXPECT_EQ(out, c.out) << c.args[1];
  }
}

TEST_F(EndToEndTest, EmptyBaseNames) {
  Touch({".v64", ".n64", "x.v64"});
  Result r = RunTool({"*"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kScriptStart);
}

TEST_F(EndToEndTest, FailedWrites) {
  Touch(kSet);
  // A name that neither kind of script can hold: its line on standard
  // error would come after the banner's first write, which fails first.
  Touch({"Quote \" (U).v64"});
  // Standard output that takes nothing: a full device (the failure text
  // cannot be written either), a closed descriptor, a pipe without reader
  // (the program must not die of SIGPIPE), a read-only descriptor. With a
  // mask and without (the usage text), and for a sh script, the program
  // ends with status 1 and says why in one line on standard error, and
  // nothing else; a reader that went away wanted no more, and nothing is
  // said.
  struct Case { Stdout mode; const char* reason; };
  const Case cases[] = {{Stdout::kDevFull, "No space left on device"},
                        {Stdout::kClosed, "Bad file descriptor"},
                        {Stdout::kPipeClosedByReader, nullptr},
                        {Stdout::kReadOnly, "Bad file descriptor"}};
  for (const Case& c : cases) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"*.v64", "del"},
          std::vector<std::string>{}, {"--sh", "*.v64", "rm"}}) {
      Result r = RunTool(args, dir_, c.mode);
      SCOPED_TRACE(testing::PrintToString(args) + " " +
                   std::to_string(static_cast<int>(c.mode)));
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "");
      if (c.reason)
        ExpectReasonLine(r.err, "tramlune: cannot write the script: ",
                         c.reason);
      else
        EXPECT_EQ(r.err, "");
    }
  }
}

TEST_F(EndToEndTest, WritesStopAtAFileSizeLimit) {
  // The file may grow to 300 bytes only: the third buffer is cut, the
  // next write fails, and what was written stays written.
  Touch(kSet);
  std::string script = dir_ + "/go.bat";
  pid_t pid = fork();
  if (pid == 0) {
    struct rlimit limit = {300, 300};
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_IGN);
    if (chdir(dir_.c_str()) != 0) _exit(127);
    dup2(open(script.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    ExecTool({"*.v64", std::string(400, 'p')});
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  ASSERT_TRUE(WIFEXITED(wstatus));
  EXPECT_EQ(WEXITSTATUS(wstatus), 1);
  int fd = open(script.c_str(), O_RDONLY);
  std::string written = ReadAll(fd);
  close(fd);
  std::string expected = kScriptStart + std::string(400, 'p') + "  " + kSetLine;
  EXPECT_EQ(written, expected.substr(0, 300));
}

}  // namespace

// Lines of standard error, sorted: the order of the directory decides theirs.
std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find('\n', start)) != std::string::npos) {
    lines.push_back(text.substr(start, end + 1 - start));
    start = end + 1;
  }
  if (start < text.size())
    lines.push_back(text.substr(start));
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string LeftOut(const std::string& escaped) {
  return "tramlune: left out a name that a batch script cannot hold: \"" +
         escaped + "\"\n";
}

TEST_F(EndToEndTest, HostileNames) {
  if (Wine())
    GTEST_SKIP() << "control bytes and other bytes a Windows name cannot hold "
                    "are the native build's; the Windows tests send every "
                    "legal byte through cmd";
  std::string high;  // every byte from 0x80 to 0xFF
  for (int b = 0x80; b <= 0xFF; ++b)
    high += static_cast<char>(b);
  const std::string longest = "G (U) [d" + std::string(242, 'x') + "].v64";
  ASSERT_EQ(longest.size(), 255u);

  struct Case {
    const char* what;
    std::vector<std::string> names;
    std::vector<std::string> args;
    std::string lines;                // after "@echo off"
    std::vector<std::string> errors;  // sorted lines of standard error
  };
  const Case cases[] = {
      {"control, high and batch bytes, the longest name",
       {"G (U) [!].v64", "G (U) [a\x01\x07\x1B\x7F].v64",
        "G (U) [b\t\x0B\x0C ].v64", "G (U) [c" + high + "].v64", longest,
        "G (U) [e&|^!%].v64"},
       {"*.v64", "del /q"},
       "del /q  \"G (U) [!].v64\"  \"G (U) [a\x01\x07\x1B\x7F].v64\" "
       "\"G (U) [b\t\x0B\x0C ].v64\" \"G (U) [c" + high + "].v64\" \"" +
           longest + "\" \"G (U) [e&|^!%%].v64\" \r\n",
       {}},
      {"names that a quote cannot hold are left out",
       {"G (U) [!].v64", "G (U) [a1].v64", "\"", "\r\n@del *",
        "G (U) [g\"& del -q *].v64", "G (U) [h\r].v64",
        "G (U) [i\x1A& del -q *].v64"},
       {"*", "echo"},
       "echo  \"G (U) [!].v64\"  \"G (U) [a1].v64\" \r\n",
       {LeftOut("G (U) [g\\x22& del -q *].v64"), LeftOut("G (U) [h\\x0D].v64"),
        LeftOut("\\x0D\\x0A@del *"), LeftOut("\\x22"),
        LeftOut("G (U) [i\\x1A& del -q *].v64")}},
      {"names that look like switches reach the command as paths",
       {"-rf", "-rf [a1]", "--help (U) [!].v64", "--help (U) [b1].v64",
        "a-b (U) [!]", "a-b (U) [h1]"},
       {"*", "del /q"},
       "del /q  \".\\--help (U) [!].v64\"  \".\\--help (U) [b1].v64\" \r\n"
       "del /q  \"a-b (U) [!]\"  \"a-b (U) [h1]\" \r\n"
       "del /q  \".\\-rf\"  \".\\-rf [a1]\" \r\n",
       {}},
      {"a mask that looks like a switch, with and without a directory",
       {"-rf", "-rf [a1]", "--help (U) [!].v64", "--help (U) [b1].v64"},
       {"-rf*", "del"},
       "del  \".\\-rf\"  \".\\-rf [a1]\" \r\n",
       {}},
      {"wildcards and redirections that a Windows command would expand",
       {"G (U) [!].v64", "G (U) [a1].v64", "G (U) [a*].v64", "G (U) [a?].v64",
        "G (U) [<a].v64", "G (U) [>a].v64", "*", "?"},
       {"*", "del"},
       "del  \"G (U) [!].v64\"  \"G (U) [a1].v64\" \r\n",
       {LeftOut("G (U) [a*].v64"), LeftOut("G (U) [a?].v64"),
        LeftOut("G (U) [<a].v64"), LeftOut("G (U) [>a].v64"), LeftOut("*"),
        LeftOut("?")}},
      {"names of dots and spaces only",
       {" ", " .", "  ", " .. ", ". .", "..."},
       {"*", "del"},
       "del  \" \"  \" .\" \"  \" \" .. \" \r\n",
       {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string sub = "case" + std::to_string(n++);
    ASSERT_EQ(mkdir((dir_ + "/" + sub).c_str(), 0755), 0);
    std::vector<std::string> paths;
    for (const std::string& name : c.names)
      paths.push_back(sub + "/" + name);
    Touch(paths);
    Result r = RunTool(c.args, dir_ + "/" + sub);
    EXPECT_EQ(r.status, 0) << c.what;
    EXPECT_EQ(r.out, kScriptStart + c.lines) << c.what;
    std::vector<std::string> errors = c.errors;
    std::sort(errors.begin(), errors.end());
    EXPECT_EQ(SortedLines(r.err), errors) << c.what;
  }
}

// Makes count pairs of files "T0000 (U) [!].v64" and "T0000 (U) [a1].v64"
// (0000 counting up) in dir and returns the script that the mask "*.v64"
// with prefix gives for them.
std::string MakePairs(const std::string& dir, int count,
                      const std::string& prefix) {
  std::string script = kScriptStart;
  for (int i = 0; i < count; ++i) {
    char title[32];
    std::snprintf(title, sizeof(title), "T%04d (U) [", i);
    for (const char* tag : {"!].v64", "a1].v64"}) {
      std::string path = dir + "/" + title + tag;
      int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
      EXPECT_GE(fd, 0) << path;
      close(fd);
    }
    script += prefix + "  \"" + title + "!].v64\"  \"" + title + "a1].v64\" \r\n";
  }
  return script;
}

TEST_F(EndToEndTest, ReaderExitsEarly) {
  // Far more than a pipe holds, so the program is still writing when the
  // reader goes away.
  const std::string prefix(1500, 'p');
  const std::string script = MakePairs(dir_, 200, prefix);
  ASSERT_GT(script.size(), 4u * 65536);
  int out_pipe[2];
  ASSERT_EQ(pipe(out_pipe), 0);
  pid_t pid = fork();
  if (pid == 0) {
    close(out_pipe[0]);
    if (chdir(dir_.c_str()) != 0) _exit(127);
    dup2(out_pipe[1], 1);
    signal(SIGPIPE, SIG_DFL);
    execl(TRAMLUNE_PATH, TRAMLUNE_PATH, "*.v64", prefix.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out_pipe[1]);
  std::string read_part;
  char buf[1000];
  while (read_part.size() < 1000) {
    ssize_t n = read(out_pipe[0], buf, 1000 - read_part.size());
    if (n <= 0) break;
    read_part.append(buf, n);
  }
  close(out_pipe[0]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  ASSERT_TRUE(WIFEXITED(wstatus)) << "killed by signal " << WTERMSIG(wstatus);
  EXPECT_EQ(WEXITSTATUS(wstatus), 1);
  EXPECT_EQ(read_part, script.substr(0, 1000));
}

TEST_F(EndToEndTest, DiskFillsDuringTheRun) {
  if (Wine())
    GTEST_SKIP() << "a mount namespace of the test's own, for the native build";
  // Standard output is a file on a 16 KiB tmpfs, mounted in a mount
  // namespace of the child's own so that it goes away with the child. Where
  // no tmpfs can be mounted, a file-size limit of 16 KiB stands in for it.
  const std::string prefix(150, 'p');
  const std::string script = MakePairs(dir_, 200, prefix);
  ASSERT_GT(script.size(), 2u * 16384);
  const std::string disk = dir_ + "/disk";
  ASSERT_EQ(mkdir(disk.c_str(), 0755), 0);
  const std::string copy = dir_ + "/written.bat";
  const std::string errors = dir_ + "/errors.txt";
  enum { kNoMount = 100 };

  auto run = [&](bool use_tmpfs) {
    pid_t pid = fork();
    if (pid == 0) {
      if (use_tmpfs &&
          (unshare(CLONE_NEWNS) != 0 ||
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
           mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0))
        _exit(kNoMount);
      pid_t tool = fork();
      if (tool == 0) {
        if (!use_tmpfs) {
          struct rlimit limit = {16384, 16384};
          setrlimit(RLIMIT_FSIZE, &limit);
          signal(SIGXFSZ, SIG_IGN);
        }
        if (chdir(dir_.c_str()) != 0) _exit(127);
        dup2(open((disk + "/go.bat").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                  0644), 1);
        dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        execl(TRAMLUNE_PATH, TRAMLUNE_PATH, "*.v64", prefix.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
      }
      int wstatus = 0;
      waitpid(tool, &wstatus, 0);
      // Copy what reached the disk out of the mount before it goes away.
      int in = open((disk + "/go.bat").c_str(), O_RDONLY);
      int out = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      std::string written = ReadAll(in);
      if (write(out, written.data(), written.size()) !=
          static_cast<ssize_t>(written.size()))
        _exit(126);
      _exit(WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 125);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  };

  int status = run(true);
  const char* disk_kind = "tmpfs of 16 KiB";
  const char* reason = "No space left on device";
  if (status == kNoMount) {
    disk_kind = "file-size limit of 16 KiB (no tmpfs could be mounted)";
    reason = "File too large";
    status = run(false);
  }
  RecordProperty("disk", disk_kind);
  std::printf("full disk: %s\n", disk_kind);
  EXPECT_EQ(status, 1) << disk_kind;
  int fd = open(copy.c_str(), O_RDONLY);
  std::string written = ReadAll(fd);
  close(fd);
  // What fitted stays written; the failure text itself cannot be.
  EXPECT_GE(written.size(), 4096u) << disk_kind;
  EXPECT_LE(written.size(), 16384u) << disk_kind;
  EXPECT_EQ(written, script.substr(0, written.size())) << disk_kind;
  // Standard error says why.
  fd = open(errors.c_str(), O_RDONLY);
  EXPECT_EQ(ReadAll(fd),
            std::string("tramlune: cannot write the script: ") + reason + "\n");
  close(fd);
}

// Whether text is the failure text of exhausted memory in a program named
// tramlune, followed by CR LF.
bool IsOutOfMemoryText(const std::string& text) {
  const std::string head = "Exception EOutOfMemory in module tramlune at ";
  const std::string tail = ".\nOut of memory.\r\n";
  if (text.size() != head.size() + 8 + tail.size() ||
      text.compare(0, head.size(), head) != 0 ||
      text.compare(head.size() + 8, tail.size(), tail) != 0)
    return false;
  for (size_t i = head.size(); i < head.size() + 8; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i])) &&
        !(text[i] >= 'A' && text[i] <= 'F'))
      return false;
  return true;
}

#if defined(__SANITIZE_ADDRESS__)
#define TRAMLUNE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRAMLUNE_ASAN 1
#endif
#endif

TEST_F(EndToEndTest, OutOfMemoryStopsWithItsText) {
  if (Wine())
    GTEST_SKIP() << "address-space limits for the native build; Wine itself "
                    "needs far more";
#ifdef TRAMLUNE_ASAN
  GTEST_SKIP() << "the address sanitizer needs far more address space than "
                  "the limits this test sets";
#else
  // 4000 groups of names of some 200 bytes: a few MB of list.
  const std::string prefix = "x";
  std::string script = kScriptStart;
  const std::string filler(180, 'f');
  for (int i = 0; i < 4000; ++i) {
    char title[16];
    std::snprintf(title, sizeof(title), "T%04d ", i);
    std::string parent = title + filler + " (U) [!].v64";
    std::string clone = title + filler + " (U) [a1].v64";
    Touch({parent, clone});
    script += prefix + "  \"" + parent + "\"  \"" + clone + "\" \r\n";
  }
  auto limited = [](rlim_t bytes) {
    return [bytes] {
      struct rlimit limit = {bytes, bytes};
      setrlimit(RLIMIT_AS, &limit);
    };
  };
  // The smallest address-space limit under which the program starts and
  // writes its usage text.
  std::string usage = RunTool({}, dir_).out;
  rlim_t low = 1 << 20, high = rlim_t(1) << 32;
  while (high - low > 64 * 1024) {
    rlim_t mid = low + (high - low) / 2;
    if (RunTool({}, dir_, Stdout::kPipe, limited(mid)).out == usage)
      high = mid;
    else
      low = mid;
  }
  // From there up, until the whole script is written: at every limit the
  // program either writes the whole script or stops with the failure text
  // after whole lines of it.
  int stops = 0;
  bool complete = false;
  for (rlim_t limit = high; !complete && limit < high + (rlim_t(64) << 20);
       limit += 256 * 1024) {
    Result r = RunTool({"*.v64", prefix}, dir_, Stdout::kPipe, limited(limit));
    SCOPED_TRACE("limit " + std::to_string(limit));
    ASSERT_EQ(r.err, "");
    if (r.status == 0) {
      ASSERT_EQ(r.out, script);
      complete = true;
      continue;
    }
    ASSERT_EQ(r.status, 1);
    // Memory may run out before the banner is written, or after.
    size_t text = r.out.rfind("Exception ");
    ASSERT_NE(text, std::string::npos) << r.out;
    ASSERT_TRUE(IsOutOfMemoryText(r.out.substr(text))) << r.out.substr(text);
    ASSERT_EQ(r.out.substr(0, text), script.substr(0, text));
    ASSERT_TRUE(text == 0 || r.out.compare(text - 2, 2, "\r\n") == 0);
    ++stops;
  }
  std::printf("out of memory: %d stops, limits from %llu bytes\n", stops,
              static_cast<unsigned long long>(high));
  EXPECT_TRUE(complete);
  EXPECT_GT(stops, 0);
#endif
}

// Drops root's privileges in the child, where permissions are to count.
void BecomeNobody() {
  if (geteuid() != 0)
    return;
  if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
    _exit(125);
}

TEST_F(EndToEndTest, UnreadableDirectoryListsNothing) {
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir_ + "/locked").c_str(), 0755), 0);
  Touch({"locked/G (U) [!].v64", "locked/G (U) [a1].v64"});
  // The program must be able to run at all as the user it runs as.
  Result r = RunTool({"locked/*"}, dir_, Stdout::kPipe, BecomeNobody);
  if (r.status != 0)
    GTEST_SKIP() << "the program cannot be run as user nobody here "
                    "(status " << r.status << ")";
  ASSERT_EQ(r.out, kScriptStart +
                       " \"locked/G (U) [!].v64\"  \"locked/G (U) [a1].v64\" \r\n");
  for (mode_t mode : {0000, 0300, 0100}) {  // no read permission
    ASSERT_EQ(chmod((dir_ + "/locked").c_str(), mode), 0);
    r = RunTool({"locked/*"}, dir_, Stdout::kPipe, BecomeNobody);
    EXPECT_EQ(r.status, 0) << mode;
    EXPECT_EQ(r.out, kScriptStart) << mode;
    ExpectReasonLine(r.err, UnreadHead("locked/"), "Permission denied");
  }
  ASSERT_EQ(chmod((dir_ + "/locked").c_str(), 0755), 0);
}

TEST_F(EndToEndTest, VanishedDirectoryListsNothing) {
  // The program's working directory is removed after the program got it
  // and before it is read.
  ASSERT_EQ(mkdir((dir_ + "/gone").c_str(), 0755), 0);
  std::string gone = dir_ + "/gone";
  Result r = RunTool({"*", "del"}, gone, Stdout::kPipe, [gone] {
    if (rmdir(gone.c_str()) != 0) _exit(124);
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kScriptStart);
  // Wine starts a program whose working directory is gone in the Windows
  // directory instead.
  if (!Wine())
    ExpectReasonLine(r.err, UnreadHead("."), "No such file or directory");
}

TEST_F(EndToEndTest, LinkLoopsListNothing) {
  ASSERT_EQ(mkdir((dir_ + "/real").c_str(), 0755), 0);
  Touch({"real/G (U) [!].v64", "real/G (U) [a1].v64"});
  ASSERT_EQ(symlink("self", (dir_ + "/self").c_str()), 0);
  ASSERT_EQ(symlink("b", (dir_ + "/a").c_str()), 0);
  ASSERT_EQ(symlink("a", (dir_ + "/b").c_str()), 0);
  // A loop through a real directory: real/up/up/up/... is real itself.
  ASSERT_EQ(symlink(".", (dir_ + "/real/up").c_str()), 0);
  Result r = RunTool({"real/up/up/*"}, dir_);
  EXPECT_EQ(r.out, kScriptStart + " \"real/up/up/G (U) [!].v64\"  "
                                  "\"real/up/up/G (U) [a1].v64\" \r\n");
  std::string deep = "real/";
  for (int i = 0; i < 50; ++i)
    deep += "up/";  // more links than a path may pass through
  for (const std::string& mask :
       {std::string("self/*"), std::string("a/*"), std::string("self/x/*"),
        deep + "*"}) {
    r = RunTool({mask, "del"}, dir_);
    EXPECT_EQ(r.status, 0) << mask;
    EXPECT_EQ(r.out, kScriptStart) << mask;
    ExpectReasonLine(r.err, UnreadHead(mask.substr(0, mask.size() - 1)),
                     "Too many levels of symbolic links");
  }
}

TEST_F(EndToEndTest, UnquotableDirectoryPartsListNothing) {
  if (Wine())
    GTEST_SKIP() << "Windows names cannot hold CR, LF or a double quote";
  // The directory part stands in front of every name, inside the quotes,
  // so it must not be able to close them or end the line either.
  struct Case { std::string dir, escaped; };
  const Case cases[] = {
      {"x\" & del * & \"", "x\\x22 & del * & \\x22/"},
      {"n\nl", "n\\x0Al/"},
      {"c\rr", "c\\x0Dr/"},
      {"w*ld?", "w*ld?/"},
      {"ok & ^ %x% !y!", ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(mkdir((dir_ + "/" + c.dir).c_str(), 0755), 0);
    Touch({c.dir + "/G (U) [!].v64", c.dir + "/G (U) [a1].v64"});
    Result r = RunTool({c.dir + "/*", "del"}, dir_);
    EXPECT_EQ(r.status, 0) << c.escaped;
    if (c.escaped.empty()) {
      EXPECT_EQ(r.out, kScriptStart +
                           "del  \"ok & ^ %%x%% !y!/G (U) [!].v64\"  "
                           "\"ok & ^ %%x%% !y!/G (U) [a1].v64\" \r\n");
      EXPECT_EQ(r.err, "");
    } else if (c.dir.find_first_of("*?") != std::string::npos) {
      // Read as the wildcards they look like, whatever the name holds.
      EXPECT_EQ(r.out, kScriptStart) << c.escaped;
      EXPECT_EQ(r.err, "tramlune: wildcards stand only in the last component "
                       "of the mask, not in its directory \"" + c.escaped +
                       "\": name the directory, as in \"roms/*.v64\"\n");
    } else {
      EXPECT_EQ(r.out, kScriptStart) << c.escaped;
      EXPECT_EQ(r.err, "tramlune: left out the files of a directory that a "
                       "batch script cannot hold: \"" + c.escaped + "\"\n");
    }
  }
}

namespace {

TEST_F(EndToEndTest, MistakesAreNamedOnStandardError) {
  Touch(kSet);
  Touch({"go.n64"});
  ASSERT_EQ(mkdir((dir_ + "/roms").c_str(), 0755), 0);
  const std::string separator = Wine() ? "\\" : "/";
  const std::string usage_error =
      "tramlune: --sh needs a command after the mask: without one, sh runs "
      "the first file of each line (an empty argument is skipped, so the "
      "suffix may take the command's place); write, e.g., tramlune --sh "
      "'*.v64' echo '>>log.txt'\n";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  };
  const Case cases[] = {
      // A mistyped option and an unknown one are taken as the mask.
      {{"--hlep"}, 0, kScriptStart,
       "tramlune: no file matches \"--hlep\": it is no option; options go "
       "before the mask, see --help\n"},
      {{"-h", "*.v64"}, 0, kScriptStart,
       "tramlune: no file matches \"-h\": it is no option; options go before "
       "the mask, see --help\n"},
      {{"*.z64", "del"}, 0, kScriptStart,
       "tramlune: no file matches \"*.z64\"\n"},
      // A directory named as the mask, and a wildcard in the directory.
      {{"roms", "del"}, 0, kScriptStart,
       "tramlune: no file matches \"roms\": it is a directory; write \"roms" +
           separator + "*\" to list its files\n"},
      {{"r*/*.v64", "del"}, 0, kScriptStart,
       "tramlune: wildcards stand only in the last component of the mask, not "
       "in its directory \"r*/\": name the directory, as in \"roms" +
           separator + "*.v64\"\n"},
      // The names an unquoted *.v64 becomes, then the command.
      {{"Game (E).v64", "Game (U) [!].v64", "Game (U) [a1].v64",
        "Game (U) [b1].v64", "echo"}, 0, kScriptStart,
       "tramlune: ignored 2 arguments after the suffix" + QuoteHint() + "\n"},
      {{"*.n64", "a", "b", "c"}, 0, kScriptStart,
       "tramlune: ignored 1 argument after the suffix" + QuoteHint() + "\n"},
      {{"*.v64", "--sh", "echo"}, 0,
       kScriptStart + "--sh  " + kSetLine + "  echo\r\n",
       "tramlune: \"--sh\" after the mask is taken as command text, not as "
       "an option: options go before the mask\n"},
      {{"*.v64", "echo", "--"}, 0,
       kScriptStart + "echo  " + kSetLine + "  --\r\n",
       "tramlune: \"--\" after the mask is taken as command text, not as "
       "an option: options go before the mask\n"},
      // sh would run each line's first file.
      {{"--sh", "*.v64"}, 2, "", usage_error},
      {{"--sh", "*.v64", "  "}, 2, "", usage_error},
      {{"--sh", "*.v64", ">>log.txt"}, 2, "", usage_error},
      {{"--sh", "--", "-x*", "2>/dev/null"}, 2, "", usage_error},
      // The batch form keeps the line that begins with the files.
      {{"*.v64"}, 0, kScriptStart + " " + kSetLine + " \r\n", ""},
  };
  for (const Case& c : cases) {
    Result r = RunTool(c.args, dir_);
    SCOPED_TRACE(testing::PrintToString(c.args));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
  // A directory that does not exist, with the system's reason.
  Result r = RunTool({"nosuchdir/*.v64", "del"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kScriptStart);
  ExpectReasonLine(r.err, UnreadHead("nosuchdir/"), "No such file or directory");
}

// Runs the tool in dir with standard output the file out (created), and
// returns what the file holds then.
std::string RunIntoFile(const std::vector<std::string>& args,
                        const std::string& dir, const std::string& out,
                        int* status) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
    ExecTool(args);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  *status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  int fd = open((dir + "/" + out).c_str(), O_RDONLY);
  std::string written = ReadAll(fd);
  close(fd);
  return written;
}

TEST_F(EndToEndTest, TheScriptNeverListsItself) {
  ASSERT_EQ(mkdir((dir_ + "/out").c_str(), 0755), 0);
  const std::vector<std::string> files = {
      "G (U) [!].v64", "G (U) [a1].v64", "out/G (U) [!].v64",
      "out/G (U) [b1].v64"};
  const std::string line =
      "copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\" \r\n";
  struct Case {
    std::vector<std::string> args;
    std::string out_file;  // in dir_
    std::string script;
  };
  const Case cases[] = {
      // The script is made before the tool reads the directory.
      {{"*", "copy"}, "G (U) [c1].v64", kScriptStart + line},
      {{"G*", "copy"}, "G (U) [!].v64", kScriptStart},
      // Named by the mask alone: left out silently.
      {{"go.bat", "copy"}, "go.bat", kScriptStart},
      // A file of the same name elsewhere is another file.
      {{"out/*", "copy"}, "G (U) [b1].v64",
       kScriptStart +
           "copy  \"out/G (U) [!].v64\"  \"out/G (U) [b1].v64\" \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out_file);
    Touch(files);
    int status = -1;
    std::string written = RunIntoFile(c.args, dir_, c.out_file, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(written, c.script);
    unlink((dir_ + "/" + c.out_file).c_str());
  }
  // A sh script, too.
  Touch(files);
  int status = -1;
  std::string written = RunIntoFile({"--sh", "*", "cp"}, dir_, "go.sh",
                                    &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(written.substr(written.rfind("\n\n") + 2),
            "cp  'G (U) [!].v64'  'G (U) [a1].v64' \n");
}

TEST_F(EndToEndTest, CaseTiesGiveOneScript) {
  if (Wine())
    GTEST_SKIP() << "names equal but for case in one directory are POSIX's";
  const std::vector<std::string> names = {
      "game (U) [a1].v64", "GAME (U) [!].v64", "Game (U) [A1].v64",
      "Game (U) [!].v64", "game (U) [!].v64"};
  // The same names made in opposite orders, in two directories.
  ASSERT_EQ(mkdir((dir_ + "/a").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir_ + "/b").c_str(), 0755), 0);
  for (size_t i = 0; i < names.size(); ++i) {
    Touch({"a/" + names[i]});
    Touch({"b/" + names[names.size() - 1 - i]});
  }
  Result a = RunTool({"*", "del"}, dir_ + "/a");
  Result b = RunTool({"*", "del"}, dir_ + "/b");
  EXPECT_EQ(a.out, kScriptStart + "del  \"GAME (U) [!].v64\"  "
                                  "\"Game (U) [!].v64\" \"game (U) [!].v64\" "
                                  "\"Game (U) [A1].v64\" \"game (U) [a1].v64\" \r\n");
  EXPECT_EQ(b.out, a.out);
}

}  // namespace

namespace {

// Runs command through sh; its exit status.
int Shell(const std::string& command) {
  return WEXITSTATUS(system(command.c_str()));
}

std::string ShellWord(const std::string& text) {
  std::string word = "'";
  for (char c : text)
    word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> DirectoryNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (!entry.is_directory())
      names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// --sh --template scripts run by dash drive Info-ZIP zip and 7-Zip over
// files with contents and hostile names: each archive holds exactly its
// group's files, byte for byte; with --singles no file is left loose.
TEST_F(EndToEndTest, TemplateScriptsDriveRealArchivers) {
  if (Wine())
    GTEST_SKIP() << "the archivers are the POSIX system's";
  ASSERT_EQ(Shell("command -v dash zip 7zz >/dev/null"), 0)
      << "needs dash, zip and 7zz: bash scripts/setup.sh installs them";
  // Each archive's files by title; the last names are alone.
  const std::map<std::string, std::vector<std::string>> sets = {
      {"Game (U)", {"Game (U) [!].v64", "Game (U) [a1].v64", "Game (U) [b1].v64"}},
      {"it's $HOME (U)", {"it's $HOME (U) [!].v64", "it's $HOME (U) [h1].v64"}},
      {"100% \"q\" `x` (E)", {"100% \"q\" `x` (E) [!].v64", "100% \"q\" `x` (E) [o1].v64"}},
      {"-rf (J)", {"-rf (J) [!].v64", "-rf (J) [a1].v64"}},
      {"Game (E)", {"Game (E).v64"}}, {"Lone  blanks", {"Lone  blanks.v64"}},
      {"-lone", {"-lone.v64"}}};
  int run = 0;
  for (std::string extension : {".zip", ".7z"})
    for (bool singles : {false, true})
      for (std::string dir : {"", "sub $dir/"}) {
        std::string top = dir_ + "/" + std::to_string(run++), in = top + "/" + dir;
        std::filesystem::create_directories(in);
        std::string what = extension + (singles ? " --singles in " : " in ") + in;
        std::map<std::string, std::string> contents;
        std::vector<std::string> present;  // archives and loose files
        for (const auto& [title, names] : sets) {
          for (const std::string& name : names) {
            contents[name] = name + std::string("\0\1\x80\xFF\n", 5);
            std::ofstream(in + name, std::ios::binary) << contents[name];
            if (!singles && names.size() == 1)
              present.push_back(name);
          }
          if (singles || names.size() > 1)
            present.push_back(title + extension);
        }
        std::sort(present.begin(), present.end());
        std::vector<std::string> args = {"--sh", "--template", dir + "*.v64",
            extension == ".zip" ? "zip -q -m {dir}{title}.zip"
                                : "7zz a -bso0 -bsp0 -sdel {dir}{title}.7z"};
        if (singles)
          args.insert(args.begin() + 2, "--singles");
        Result r = RunTool(args, top);
        ASSERT_EQ(r.status, 0) << what;
        EXPECT_EQ(r.err, "") << what;
        std::ofstream(top + ".sh", std::ios::binary) << r.out;
        EXPECT_EQ(Shell("cd " + ShellWord(top) + " && dash ../" +
                        std::to_string(run - 1) + ".sh"), 0) << what << r.out;
        EXPECT_EQ(DirectoryNames(in), present) << what << r.out;
        for (const auto& [title, names] : sets) {
          if (!singles && names.size() == 1) {
            EXPECT_EQ(FileBytes(in + names[0]), contents[names[0]]) << what;
            continue;
          }
          std::string out = top + ".x/" + title;
          ASSERT_EQ(Shell("7zz e -bso0 -bsp0 -o" + ShellWord(out) + " " +
                          ShellWord(in + title + extension)), 0) << what << title;
          std::vector<std::string> sorted = names;
          std::sort(sorted.begin(), sorted.end());
          EXPECT_EQ(DirectoryNames(out), sorted) << what;
          for (const std::string& name : names)
            EXPECT_EQ(FileBytes(out + "/" + name), contents[name]) << what << name;
        }
      }
}

// The archive recipes of the manual, run from inside the folder as it says,
// twice, with files added between: afterwards the folder holds archives
// only, one per title, and they hold every file once, stored by its bare
// name, byte for byte. Equal titles of different dumps share one line, so
// that even tar -cf, which replaces its archive, loses nothing in one run.
TEST_F(EndToEndTest, RecipesAreSafeToRunTwice) {
  if (Wine())
    GTEST_SKIP() << "the archivers are the POSIX system's";
  ASSERT_EQ(Shell("command -v dash zip 7zz tar >/dev/null"), 0)
      << "needs dash, zip, 7zz and GNU tar: bash scripts/setup.sh installs them";
  const std::vector<std::vector<std::string>> runs = {
      {"Zeta (U) [!].z64", "Zeta (U) [b1].z64", "Zeta (U).v64",
       "Space Racer (U) [!].v64", "Space Racer (U) [a1].v64", "Lone (E).v64",
       "[BIOS] Boot (J) [!].v64", "Eta (E)[a1].v64"},
      {"Space Racer (U) [b2].v64", "Zeta (U) [h1].z64", "Lone (E) [o1].v64"}};
  const std::map<std::string, std::vector<std::string>> archives = {
      {"Zeta (U)", {"Zeta (U) [!].z64", "Zeta (U) [b1].z64", "Zeta (U).v64",
                    "Zeta (U) [h1].z64"}},
      {"Space Racer (U)", {"Space Racer (U) [!].v64", "Space Racer (U) [a1].v64",
                           "Space Racer (U) [b2].v64"}},
      {"Lone (E)", {"Lone (E).v64", "Lone (E) [o1].v64"}},
      {"[BIOS] Boot (J)", {"[BIOS] Boot (J) [!].v64"}},
      {"Eta (E)", {"Eta (E)[a1].v64"}}};
  struct Recipe { std::string extension, recipe; size_t runs; };
  const Recipe recipes[] = {
      {".7z", "7zz a -bso0 -bsp0 -sdel {title}.7z", 2},
      {".zip", "zip -q -m {title}.zip", 2},
      {".tar", "tar -rf {title}.tar --remove-files {}", 2},
      {".tar", "tar -cf {title}.tar --remove-files {}", 1},
  };
  int folder = 0;
  for (const auto& [extension, recipe, run_count] : recipes) {
    std::string in = dir_ + "/" + std::to_string(folder++);
    std::filesystem::create_directories(in);
    std::map<std::string, std::string> contents;
    for (size_t run = 0; run < run_count; ++run) {
      const std::vector<std::string>& names = runs[run];
      for (const std::string& name : names) {
        contents[name] = name + std::string("\0\1\x80\xFF\n", 5);
        std::ofstream(in + "/" + name, std::ios::binary) << contents[name];
      }
      Result r = RunTool({"--sh", "--template", "--singles", "*64", recipe}, in);
      ASSERT_EQ(r.status, 0) << recipe;
      EXPECT_EQ(r.err, "") << recipe;
      std::ofstream(in + ".sh", std::ios::binary) << r.out;
      ASSERT_EQ(Shell("cd " + ShellWord(in) + " && dash ../" +
                      std::to_string(folder - 1) + ".sh"), 0) << recipe << r.out;
    }
    std::vector<std::string> present;
    for (const auto& entry : archives)
      present.push_back(entry.first + extension);
    std::sort(present.begin(), present.end());
    EXPECT_EQ(DirectoryNames(in), present) << recipe;
    for (const auto& [title, names] : archives) {
      std::string out = in + ".x/" + title;
      ASSERT_EQ(Shell("7zz x -bso0 -bsp0 -o" + ShellWord(out) + " " +
                      ShellWord(in + "/" + title + extension)), 0)
          << recipe << title;
      std::vector<std::string> made;  // the archive's files of these runs
      for (const std::string& name : names)
        if (contents.count(name))
          made.push_back(name);
      std::sort(made.begin(), made.end());
      EXPECT_EQ(DirectoryNames(out), made) << recipe;
      for (const std::string& name : made)
        EXPECT_EQ(FileBytes(out + "/" + name), contents[name]) << recipe << name;
    }
  }
}

// A usage error: its message, nothing on standard output, exit status 2.
TEST_F(EndToEndTest, TemplateUsageErrors) {
  Result r = RunTool({"--sh", "--singles", "--tmpl", "*"}, dir_);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "tramlune: unknown option \"--tmpl\": the options are --sh, "
            "--naming, --regions, --dat, --template, --singles, --help and "
            "--version; write -- before a mask that begins with -\n");
}
