// The built program, run in scratch directories: exact output bytes and
// exit status. With TRAMLUNE_WINE and TRAMLUNE_EXE set, the same cases run
// the Windows build's program under that Wine instead; with
// TRAMLUNE_UNDER_TEST set, they run the program it names (an installed copy).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "expected_output.h"

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

// Runs the tool with args in dir.
Result RunTool(const std::vector<std::string>& args, const std::string& dir,
               Stdout mode = Stdout::kPipe) {
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
    EXPECT_EQ(r.err, "");
  }
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

TEST_F(EndToEndTest, EmptyBaseNames) {
  Touch({".v64", ".n64", "x.v64"});
  Result r = RunTool({"*"}, dir_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kScriptStart);
}

TEST_F(EndToEndTest, FailedWrites) {
  Touch(kSet);
  // A full device: the failure text cannot be written either.
  Result r = RunTool({"*.v64"}, dir_, Stdout::kDevFull);
  EXPECT_EQ(r.status, 1);
  r = RunTool({"*.v64"}, dir_, Stdout::kClosed);
  EXPECT_EQ(r.status, 1);
  r = RunTool({"*.v64"}, dir_, Stdout::kPipeClosedByReader);
  EXPECT_EQ(r.status, 1);  // not killed by SIGPIPE
  r = RunTool({}, dir_, Stdout::kReadOnly);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
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
