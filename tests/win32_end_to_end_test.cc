// The Windows build's program on the system it is built for: whole command
// lines given byte for byte, masks with every kind of directory part, the
// double-byte code page 932, names that the code page cannot hold, and
// scripts run by the command interpreter with a probe program as their
// command.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/tramlune.h"
#include "test_support.h"
#include "fake_platform.h"
#include "matching/file_names.h"
#include "platform/command_line.h"

namespace {

// A path of the build tree as Windows sees it: Wine maps "/" to drive Z:.
std::string BuildPath(const char* unix_path) {
  std::string path = std::string("Z:") + unix_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

const std::string kTramlune = BuildPath(TRAMLUNE_EXE);
const std::string kProbe = BuildPath(PROBE_EXE);
const std::string kScratchRoot = BuildPath(SCRATCH_ROOT);

struct Result {
  DWORD status = 0xFFFFFFFF;
  std::string out;  // standard output, and standard error unless apart
  std::string err;  // standard error, when apart
};

enum class Stdout { kPipe, kInvalid, kReadOnly, kPipeClosedByReader };
enum class Stderr { kWithStdout, kApart };

HANDLE Inheritable(HANDLE handle) {
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return handle;
}

// Appends everything that can be read from handle to text, then closes it.
void ReadAll(HANDLE handle, std::string* text) {
  char buffer[4096];
  DWORD done;
  while (ReadFile(handle, buffer, sizeof(buffer), &done, nullptr) && done > 0)
    text->append(buffer, done);
  CloseHandle(handle);
}

// Runs command_line, exactly as given, in dir.
Result RunCommand(const std::string& command_line, const std::string& dir,
                  Stdout mode = Stdout::kPipe,
                  Stderr err_mode = Stderr::kWithStdout) {
  Result result;
  HANDLE read_end, write_end;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
    ADD_FAILURE() << "CreatePipe: " << GetLastError();
    return result;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  HANDLE err_read = nullptr, err_write = write_end;
  if (err_mode == Stderr::kApart) {
    if (!CreatePipe(&err_read, &err_write, &inherit, 0)) {
      ADD_FAILURE() << "CreatePipe: " << GetLastError();
      CloseHandle(read_end);
      CloseHandle(write_end);
      return result;
    }
    SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  }
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  HANDLE output = write_end;
  HANDLE read_only = INVALID_HANDLE_VALUE;
  if (mode == Stdout::kInvalid) {
    output = INVALID_HANDLE_VALUE;
  } else if (mode == Stdout::kReadOnly) {
    read_only = CreateFileA((dir + "\\read-only.txt").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_ALWAYS, 0, nullptr);
    output = read_only;
  } else if (mode == Stdout::kPipeClosedByReader) {
    CloseHandle(read_end);
    read_end = nullptr;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(input);
  startup.hStdOutput = output;
  startup.hStdError = err_write;
  PROCESS_INFORMATION process;
  std::string line = command_line;
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                0, nullptr, dir.c_str(), &startup, &process);
  CloseHandle(write_end);
  // Read while standard output is: a full pipe would stop the program.
  std::thread err_reader;
  if (err_read) {
    CloseHandle(err_write);
    err_reader = std::thread(ReadAll, err_read, &result.err);
  }
  CloseHandle(input);
  if (read_only != INVALID_HANDLE_VALUE)
    CloseHandle(read_only);
  if (!started) {
    ADD_FAILURE() << "CreateProcessA: " << GetLastError() << " " << command_line;
    if (read_end)
      CloseHandle(read_end);
    if (err_reader.joinable())
      err_reader.join();
    return result;
  }
  if (read_end)
    ReadAll(read_end, &result.out);
  if (err_reader.joinable())
    err_reader.join();
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &result.status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}

// The tool's command line with args appended as they stand.
std::string Tool(const std::string& args) {
  return "\"" + kTramlune + "\" " + args;
}

std::string ReadFileBytes(const std::string& path) {
  std::string all;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return all;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
    all.append(buffer, n);
  std::fclose(file);
  return all;
}

// text, bytes of the system code page, in UTF-16.
std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(),
                                  static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

// Through wide names: the ANSI ones of names that the code page cannot hold
// name other files or none.
void DeleteTree(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring path = dir + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  RemoveDirectoryW(dir.c_str());
}

class Win32EndToEndTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(kScratchRoot.c_str(), nullptr);
    for (unsigned n = GetCurrentProcessId() * 1000;; ++n) {
      dir_ = kScratchRoot + "\\t" + std::to_string(n);
      if (CreateDirectoryA(dir_.c_str(), nullptr))
        break;
      ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    }
  }
  void TearDown() override { DeleteTree(Wide(dir_)); }

  void MakeDirectory(const std::string& name) {
    ASSERT_TRUE(CreateDirectoryA((dir_ + "\\" + name).c_str(), nullptr))
        << name;
  }
  // Makes an empty file for each name (relative to the scratch directory).
  void Touch(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      HANDLE file = CreateFileA((dir_ + "\\" + name).c_str(), GENERIC_WRITE,
                                0, nullptr, CREATE_NEW, 0, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE) << name << " " << GetLastError();
      CloseHandle(file);
    }
  }

  // The same for names given in UTF-16, which the code page may not hold.
  void TouchWide(const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names) {
      HANDLE file = CreateFileW((Wide(dir_) + L"\\" + name).c_str(),
                                GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
      CloseHandle(file);
    }
  }

  std::string dir_;
};

const std::vector<std::string> kSet = {"Game (U) [!].v64", "Game (U) [a1].v64",
                                       "Game (U) [b1].v64", "Game (E).v64"};
const std::string kSetLine =
    "\"Game (U) [!].v64\"  \"Game (U) [a1].v64\" \"Game (U) [b1].v64\"";

TEST_F(Win32EndToEndTest, CommandLinesAreSplitByTheTool) {
  Touch(kSet);
  struct Case { const char* args; std::string line; };
  const Case cases[] = {
      {"*.v64", " " + kSetLine + " "},
      {"\"*.v64\" copy", "copy  " + kSetLine + " "},
      {"*.v64 copy >log.txt", "copy  " + kSetLine + "  >log.txt"},
      {"*.v64 a b c d", "a  " + kSetLine + "  b"},
      // An empty pair of quotes is no argument; the later ones move up.
      {"*.v64 \"\" \">log\"", ">log  " + kSetLine + " "},
      {"\"\" *.v64 \"\" \"\" x", "x  " + kSetLine + " "},
      // Quoted runs join the bytes around them into one argument.
      {"\"*\".v64 \"7z a \"\"x y.7z\"", "7z a x y.7z  " + kSetLine + " "},
      {"*.V64 \"7z a\"-mx9", "7z a-mx9  " + kSetLine + " "},
      // No escape character: a backslash before a quote is a plain byte.
      {"*.v64 \"a\\\" b", "a\\  " + kSetLine + "  b"},
      // Every byte from 0x01 to 0x20 separates.
      {"*.v64\tcopy\x1F\x01x", "copy  " + kSetLine + "  x"},
      // A lone quote at the end is an empty argument, and the end.
      {"*.v64 copy \"", "copy  " + kSetLine + " "},
      {"*.v64 copy \"\"\"", "copy  " + kSetLine + " "},
  };
  for (const Case& c : cases) {
    Result r = RunCommand(Tool(c.args), dir_, Stdout::kPipe, Stderr::kApart);
    EXPECT_EQ(r.status, 0u) << c.args;
    EXPECT_EQ(r.out, kScriptStart + c.line + "\r\n") << c.args;
    EXPECT_EQ(r.err, std::string(c.args) == "*.v64 a b c d"
                         ? "tramlune: ignored 2 arguments after the suffix\n"
                         : "")
        << c.args;
  }
  Result r = RunCommand(Tool(""), dir_);
  EXPECT_EQ(r.status, 1u);
  EXPECT_EQ(r.out.substr(0, kBanner.size() + 9), kBanner + "Syntax:\r\n");
  r = RunCommand(Tool("\"\""), dir_);
  EXPECT_EQ(r.status, 1u);
  EXPECT_EQ(r.out.find("@echo off"), std::string::npos);
}

TEST_F(Win32EndToEndTest, DirectoryParts) {
  MakeDirectory("roms");
  Touch({"roms\\G (U) [!].v64", "roms\\G (U) [a1].v64", "G (U) [!].v64",
         "G (U) [h1].v64"});
  auto roms_line = [](const std::string& dir) {
    return " \"" + dir + "G (U) [!].v64\"  \"" + dir + "G (U) [a1].v64\" \r\n";
  };
  std::string root_relative = dir_.substr(2) + "\\roms\\";
  const std::string masks[] = {
      "roms\\",      "roms/",           "Z:roms\\",  ".\\roms\\",
      "roms\\..\\roms\\", dir_ + "\\roms\\", root_relative,
  };
  for (const std::string& dir : masks) {
    Result r = RunCommand(Tool("\"" + dir + "*.v64\""), dir_);
    EXPECT_EQ(r.status, 0u) << dir;
    EXPECT_EQ(r.out, kScriptStart + roms_line(dir)) << dir;
  }
  // The current directory of drive Z:, which the scratch directory is on.
  Result r = RunCommand(Tool("Z:*.v64"), dir_);
  EXPECT_EQ(r.out, kScriptStart + " \"Z:G (U) [!].v64\"  \"Z:G (U) [h1].v64\" \r\n");
  r = RunCommand(Tool("Z:*.v64"), dir_ + "\\roms");
  EXPECT_EQ(r.out, kScriptStart + roms_line("Z:"));
}

TEST_F(Win32EndToEndTest, EntriesOfEveryKind) {
  Touch({"G (U) [!].v64", "G (U) [a1].v64", "G (U) [b1].v64",
         "G (U) [c1].v64"});
  MakeDirectory("G (U) [d1].v64");
  ASSERT_TRUE(SetFileAttributesA((dir_ + "\\G (U) [a1].v64").c_str(),
                                 FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA((dir_ + "\\G (U) [b1].v64").c_str(),
                                 FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA((dir_ + "\\G (U) [c1].v64").c_str(),
                                 FILE_ATTRIBUTE_SYSTEM));
  // Read-only, hidden and system files count; directories, "." and ".."
  // do not.
  Result r = RunCommand(Tool("*"), dir_);
  EXPECT_EQ(r.out, kScriptStart +
                       " \"G (U) [!].v64\"  \"G (U) [a1].v64\" \"G (U) [b1].v64\""
                       " \"G (U) [c1].v64\" \r\n");
  r = RunCommand(Tool("missing\\*"), dir_, Stdout::kPipe, Stderr::kApart);
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.out, kScriptStart);
  const std::string head =
      "tramlune: cannot read the directory \"missing\\x5C\": ";
  EXPECT_EQ(r.err.substr(0, head.size()), head);
  EXPECT_GT(r.err.size(), head.size() + 1) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

TEST_F(Win32EndToEndTest, FailedWrites) {
  Touch(kSet);
  // One line on standard error says why, with the system's reason; a
  // reader that went away wanted no more, and nothing is said.
  const std::string head = "tramlune: cannot write the script: ";
  for (Stdout mode :
       {Stdout::kInvalid, Stdout::kReadOnly, Stdout::kPipeClosedByReader}) {
    for (const char* args : {"*.v64", "--sh *.v64 rm"}) {
      Result r = RunCommand(Tool(args), dir_, mode, Stderr::kApart);
      SCOPED_TRACE(std::string(args) + " " +
                   std::to_string(static_cast<int>(mode)));
      EXPECT_EQ(r.status, 1u);
      EXPECT_EQ(r.out, "");
      if (mode == Stdout::kPipeClosedByReader) {
        EXPECT_EQ(r.err, "");
        continue;
      }
      EXPECT_EQ(r.err.substr(0, head.size()), head);
      EXPECT_GT(r.err.size(), head.size() + 1) << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
  }
}

// Whether this run is meant to be in code page 932; it then fails unless it
// is.
bool CodePage932() {
  const char* expected = std::getenv("TRAMLUNE_EXPECT_ACP");
  if (expected && std::atoi(expected) != static_cast<int>(GetACP()))
    ADD_FAILURE() << "code page " << GetACP() << ", not " << expected;
  return GetACP() == 932 && GetOEMCP() == 932;
}

// Shift-JIS names whose second bytes are backslashes: 表 (0x95 0x5C) and
// ソ (0x83 0x5C).
const std::string kHyo = "\x95\x5C";
const std::string kHyoji = "\x95\x5C\x8E\xA6";  // 表示
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";  // ソフト

TEST_F(Win32EndToEndTest, CodePage932) {
  if (!CodePage932())
    GTEST_SKIP() << "the system code page is " << GetACP();
  MakeDirectory(kHyoji);
  std::string in = kHyoji + "\\";
  Touch({in + kHyo + " (J) [!].v64", in + kHyo + " (J) [a1].v64",
         in + kSofuto + " (J) [!].v64", in + kSofuto + " (J) [b1].v64",
         in + kHyo + "." + kHyo, in + kHyo + " (E).v64"});
  // Sorted: the ソ names (0x83) before the 表 names (0x95); the base of
  // '表.表' is '表', whose name starts the block of '表 (E).v64'.
  auto lines = [&](const std::string& dir, const std::string& prefix,
                   const std::string& suffix) {
    return kScriptStart +
           prefix + " \"" + dir + kSofuto + " (J) [!].v64\"  \"" + dir + kSofuto +
           " (J) [b1].v64\" " + suffix + "\r\n" +
           prefix + " \"" + dir + kHyo + " (J) [!].v64\"  \"" + dir + kHyo +
           " (J) [a1].v64\" " + suffix + "\r\n" +
           prefix + " \"" + dir + kHyo + "." + kHyo + "\"  \"" + dir + kHyo +
           " (E).v64\" " + suffix + "\r\n";
  };
  Result r = RunCommand(Tool(in + "*"), dir_);
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.out, lines(in, "", ""));
  // The directory part ends at the real backslash: none in '表*'.
  r = RunCommand(Tool("*"), dir_ + "\\" + kHyoji);
  EXPECT_EQ(r.out, lines("", "", ""));
  r = RunCommand(Tool("\"" + in + "*\" " + kSofuto + "\"" + kHyo + "\" >" + kHyo +
               ".log"),
          dir_);
  EXPECT_EQ(r.out, lines(in, kSofuto + kHyo + " ", " >" + kHyo + ".log"));
  // A mask whose directory is a name ending in 0x5C as a second byte.
  r = RunCommand(Tool(kHyoji + "\\" + kHyo + "*"), dir_);
  std::string tail = lines(in, "", "").substr(kScriptStart.size());
  EXPECT_EQ(r.out, kScriptStart + tail.substr(tail.find('\n') + 1));
}

// --dat: the DAT's UTF-8 names compare in the system code page, letters
// folded; a name the code page cannot hold matches no file.
TEST_F(Win32EndToEndTest, DatNamesInTheCodePage) {
  if (GetACP() != 1252)
    GTEST_SKIP() << "the system code page is " << GetACP();
  TouchWide({L"Pok\u00E9mon (USA).gb", L"pok\u00E9mon (japan).GB",
             L"Caf\u00E9 (Europe).zip", L"Caf\u00E9 (Japan).zip"});
  std::ofstream(dir_ + "\\set.dat", std::ios::binary)
      << "<datafile><game name=\"Pok\xC3\xA9mon (USA)\"><rom name=\"Pok"
         "\xC3\xA9mon (USA).gb\"/></game><game name=\"Pok\xC3\xA9mon "
         "(Japan)\" cloneof=\"Pok\xC3\xA9mon (USA)\"><rom name=\"Pok\xC3"
         "\xA9mon (Japan).gb\"/></game><game name=\"Caf\xC3\xA9 (Europe)\"/>"
         "<game name=\"Caf\xE6\x97\xA5 (Japan)\" cloneof=\"Caf\xC3\xA9 "
         "(Europe)\"/></datafile>";
  Result r = RunCommand(Tool("--dat set.dat *.gb echo"), dir_, Stdout::kPipe,
                        Stderr::kApart);
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.out, kScriptStart + "echo  \"Pok\xE9mon (USA).gb\"  \"pok\xE9mon "
                                  "(japan).GB\" \r\n");
  EXPECT_EQ(r.err, "");
  r = RunCommand(Tool("--singles --dat set.dat *.zip echo"), dir_,
                 Stdout::kPipe, Stderr::kApart);
  EXPECT_EQ(r.out, kScriptStart + "echo  \"Caf\xE9 (Europe).zip\"  \r\n"
                                  "echo  \"Caf\xE9 (Japan).zip\"  \r\n");
  EXPECT_EQ(r.err, "tramlune: 1 file is not in the DAT, on a line of its own: "
                   "\"Caf\\xE9 (Japan).zip\"\n");
}

// A name in UTF-16 and, in code pages 1252 and 932, its bytes where the code
// page holds it, else how standard error shows it.
struct LocaleName {
  const wchar_t* name;
  bool held_1252;
  const char* text_1252;
  bool held_932;
  const char* text_932;
};

TEST_F(Win32EndToEndTest, NamesOutsideTheCodePageAreLeftOut) {
  bool in_932 = CodePage932();
  if (!in_932 && GetACP() != 1252)
    GTEST_SKIP() << "the system code page is " << GetACP();
  const LocaleName names[] = {
      {L"Game \u03A9 (U) [a1].v64", false, "Game \\u{03A9} (U) [a1].v64", true,
       "Game \x83\xB6 (U) [a1].v64"},
      {L"\u65E5\u672C (J) [!].v64", false, "\\u{65E5}\\u{672C} (J) [!].v64",
       true, "\x93\xFA\x96\x7B (J) [!].v64"},
      {L"\u65E5\u672C (J) [a1].v64", false,
       "\\u{65E5}\\u{672C} (J) [a1].v64", true,
       "\x93\xFA\x96\x7B (J) [a1].v64"},
      {L"\u0141\u00F3d\u017A (E) [a1].v64", false,
       "\\u{0141}\xF3" "d\\u{017A} (E) [a1].v64", false,
       "\\u{0141}\\u{00F3}d\\u{017A} (E) [a1].v64"},
      {L"L\u00F3dz (E) [!].v64", true, "L\xF3" "dz (E) [!].v64", false,
       "L\\u{00F3}dz (E) [!].v64"},
      {L"L\u00F3dz (E) [a1].v64", true, "L\xF3" "dz (E) [a1].v64", false,
       "L\\u{00F3}dz (E) [a1].v64"},
      {L"Caf\u00E9 (F) [!].v64", true, "Caf\xE9 (F) [!].v64", false,
       "Caf\\u{00E9} (F) [!].v64"},
      {L"Caf\u00E9 (F) [a1].v64", true, "Caf\xE9 (F) [a1].v64", false,
       "Caf\\u{00E9} (F) [a1].v64"},
      // A backslash in code page 932's hands.
      {L"Yen \u00A5 (J) [!].v64", true, "Yen \xA5 (J) [!].v64", false,
       "Yen \\u{00A5} (J) [!].v64"},
      {L"Yen \u00A5 (J) [a1].v64", true, "Yen \xA5 (J) [a1].v64", false,
       "Yen \\u{00A5} (J) [a1].v64"},
      {L"Smile \U0001F600 (U) [!].v64", false, "Smile \\u{1F600} (U) [!].v64",
       false, "Smile \\u{1F600} (U) [!].v64"},
      {L"Smile \U0001F600 (U) [a1].v64", false,
       "Smile \\u{1F600} (U) [a1].v64", false,
       "Smile \\u{1F600} (U) [a1].v64"},
  };
  // What the ANSI search makes of the names above: '?' for a character that
  // the code page lacks (a wildcard to del), or a look-alike.
  const std::vector<std::string> decoys = {
      "Game O (U) [!].v64", "Game O (U) [a1].v64", "XY (J) [!].v64",
      "XY (J) [a1].v64",    "Lodz (E) [!].v64",    "Lodz (E) [a1].v64",
      "Cafe (F) [!].v64",   "Cafe (F) [a1].v64",   "Smile XY (U) [a1].v64"};
  Touch(decoys);
  // A directory is not listed, whether the code page holds its name or not.
  ASSERT_TRUE(CreateDirectoryW(
      (Wide(dir_) + L"\\\u65E5\u672C (J) [b1].v64").c_str(), nullptr));

  FakePlatform held;
  std::vector<std::pair<std::string, bool>>& listing = held.listings["*"];
  for (const std::string& decoy : decoys)
    listing.emplace_back(decoy, false);
  std::vector<std::string> expected_errors;
  for (const LocaleName& n : names) {
    TouchWide({n.name});
    bool is_held = in_932 ? n.held_932 : n.held_1252;
    std::string text = in_932 ? n.text_932 : n.text_1252;
    if (is_held)
      listing.emplace_back(text, false);
    else
      expected_errors.push_back(
          "tramlune: left out a name that the system code page cannot hold: "
          "\"" + text + "\"\n");
  }
  // The program itself on the held names alone.
  ProgramOutput output(held);
  ASSERT_EQ(RunTramlune({"*", "del"}, held, output.buffer, output.stop), 0);
  output.buffer.Flush();

  Result r = RunCommand(Tool("* del"), dir_, Stdout::kPipe, Stderr::kApart);
  EXPECT_EQ(r.status, 0u);
  EXPECT_EQ(r.out, held.Written());
  EXPECT_EQ(r.out.find_first_of("?*", kScriptStart.size()), std::string::npos);
  std::vector<std::string> errors;
  for (size_t start = 0, end; (end = r.err.find('\n', start)) != std::string::npos;
       start = end + 1)
    errors.push_back(r.err.substr(start, end + 1 - start));
  std::sort(errors.begin(), errors.end());
  std::sort(expected_errors.begin(), expected_errors.end());
  EXPECT_EQ(errors, expected_errors);
  EXPECT_TRUE(r.err.empty() || r.err.back() == '\n') << r.err;
}

LeadByteTable SystemLeadBytes() {
  LeadByteTable table{};
  for (int b = 0; b < 256; ++b)
    table[b] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b));
  return table;
}

// One record of the probe: the whole command line, then the arguments.
std::vector<std::string> ParseRecord(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\t') {
      fields.push_back(field);
      field.clear();
      continue;
    }
    field += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
    ++i;
  }
  return fields;
}

// Runs the tool with args in the scratch directory, its command the probe,
// then the script through cmd, and checks that every line reached the
// probe as exactly the arguments of one of groups: as the C runtime splits
// its command line, and, with own_split_too, as the tool itself would (its
// split has no escapes, so it reads a doubled backslash before a closing
// quote as two, where the C runtime, and so the archivers, read one).
void ExpectArgumentsRoundTrip(const std::string& dir, const std::string& args,
                              std::vector<std::vector<std::string>> groups,
                              bool own_split_too = true) {
  ASSERT_TRUE(CopyFileA(kProbe.c_str(), (dir + "\\probe.exe").c_str(), FALSE));
  Result script = RunCommand(Tool(args), dir);
  ASSERT_EQ(script.status, 0u);
  EXPECT_EQ(script.err, "");
  HANDLE file = CreateFileA((dir + "\\go.bat").c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done;
  WriteFile(file, script.out.data(), static_cast<DWORD>(script.out.size()),
            &done, nullptr);
  CloseHandle(file);
  // Wine now and then fails to start one of the hundreds of processes a
  // script starts (seen about once a run in ten, on a random line, in
  // either locale), and cmd then says, in the locale's language, that it
  // cannot run that probe.exe line, though the line is right. The script
  // is then run again from a fresh log, a few times at most; output that
  // does not name the probe, or the failure every time, fails the test.
  Result cmd;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DeleteFileA((dir + "\\probe.log").c_str());
    cmd = RunCommand("cmd.exe /c go.bat", dir);
    if (cmd.out.find("probe.exe") == std::string::npos)
      break;
    std::fprintf(stderr, "cmd could not start a command; once more:\n%s",
                 cmd.out.c_str());
  }
  EXPECT_EQ(cmd.status, 0u);
  EXPECT_EQ(cmd.out, "");

  std::string log = ReadFileBytes(dir + "\\probe.log");
  std::vector<std::vector<std::string>> received;
  size_t start = 0, end;
  while ((end = log.find('\n', start)) != std::string::npos) {
    std::vector<std::string> fields = ParseRecord(log.substr(start, end - start));
    start = end + 1;
    ASSERT_FALSE(fields.empty());
    std::vector<std::string> own_split =
        SplitCommandLine(fields[0], SystemLeadBytes());
    fields.erase(fields.begin());
    ASSERT_FALSE(own_split.empty());
    own_split.erase(own_split.begin());
    if (own_split_too) {
      EXPECT_EQ(own_split, fields);
    }
    received.push_back(fields);
  }
  std::sort(groups.begin(), groups.end());
  std::sort(received.begin(), received.end());
  EXPECT_EQ(received.size(), groups.size());
  for (size_t i = 0; i < groups.size() && i < received.size(); ++i)
    EXPECT_EQ(received[i], groups[i]);
}

// The same with the probe as the command of the mask, every group's paths
// its arguments.
void ExpectRoundTrip(const std::string& dir, const std::string& mask,
                     std::vector<std::vector<std::string>> groups) {
  ExpectArgumentsRoundTrip(dir, "\"" + mask + "\" probe.exe", std::move(groups));
}

// Names with the bytes that mean something to cmd, each a group of a
// parent and a clone in a directory whose name holds them too.
TEST_F(Win32EndToEndTest, ScriptRunByCmdPassesExactPaths) {
  const std::string sub = "a%b%!c!^d&e (f), g;h=i  j";
  MakeDirectory(sub);
  const std::vector<std::string> titles = {
      "100% Pure",   "%PATH% and %1", "Rock & Roll", "Up^Down^^",
      "Wow!",        "!x! !y",        "Paren (Beta)) ((", "a,b;c=d",
      "Three   Spaces", "^&|<>"};
  std::vector<std::vector<std::string>> groups;
  for (std::string title : titles) {
    if (title == "^&|<>")
      title = "^&";  // '|', '<' and '>' cannot stand in a Windows name
    std::string parent = title + " (U) [!].v64", clone = title + " (U) [a1].v64";
    Touch({sub + "\\" + parent, sub + "\\" + clone});
    groups.push_back({sub + "\\" + parent, sub + "\\" + clone});
  }
  ExpectRoundTrip(dir_, sub + "\\*", groups);
}

// Every byte that a Windows name can hold, one group per byte, the byte in
// the middle of the title. Letters stand in upper case only: a name that
// differs in case alone is the same file.
TEST_F(Win32EndToEndTest, ScriptRunByCmdPassesEveryNameByte) {
  std::vector<std::string> middles;
  for (int b = 0x20; b < 0x7F; ++b) {
    if (std::string("<>:\"/\\|?*").find(static_cast<char>(b)) !=
            std::string::npos ||
        (b >= 'a' && b <= 'z'))
      continue;
    middles.push_back(std::string(1, static_cast<char>(b)));
  }
  if (CodePage932()) {
    // The single-byte katakana, and one row of kanji with every second
    // byte but those that fold like "a".."z" (see above).
    for (int b = 0xA1; b <= 0xDF; ++b)
      middles.push_back(std::string(1, static_cast<char>(b)));
    for (int t = 0x40; t <= 0xFC; ++t)
      if (t != 0x7F && !(t >= 'a' && t <= 'z'))
        middles.push_back(std::string("\x89") + static_cast<char>(t));
  }
  std::vector<std::vector<std::string>> groups;
  for (const std::string& middle : middles) {
    std::string title = "N" + middle + "N";
    std::string parent = title + " (U) [!].v64", clone = title + " (U) [a1].v64";
    Touch({parent, clone});
    groups.push_back({parent, clone});
  }
  ExpectRoundTrip(dir_, "*.v64", groups);
}

// Shift-JIS names through cmd, in code page 932 (cmd reads a script in the
// console's code page, which is then the same): '表.表' stands last in its
// quotes, its 0x5C second byte just before the closing quote.
TEST_F(Win32EndToEndTest, CodePage932ScriptRunByCmd) {
  if (!CodePage932())
    GTEST_SKIP() << "the system code page is " << GetACP();
  MakeDirectory(kHyoji);
  std::string in = kHyoji + "\\";
  Touch({in + kHyo + " (J) [!].v64", in + kHyo + " (J) [a1].v64",
         in + kSofuto + " (J) [!].v64", in + kSofuto + " (J) [b1].v64",
         in + kHyo + "." + kHyo, in + kHyo + " (E) " + kHyo});
  ExpectRoundTrip(dir_, in + "*",
                  {{in + kSofuto + " (J) [!].v64", in + kSofuto + " (J) [b1].v64"},
                   {in + kHyo + " (J) [!].v64", in + kHyo + " (J) [a1].v64"},
                   {in + kHyo + "." + kHyo, in + kHyo + " (E) " + kHyo}});
}

// A --template script run by cmd: each filled-in word reaches the probe as
// one exact argument: "%", "^", "&" and "!" in the titles and the
// directory, a directory part that ends in its backslash (doubled before
// the closing quote), and in code page 932 names whose 0x5C trail bytes
// end a word (not doubled).
TEST_F(Win32EndToEndTest, TemplateScriptRunByCmdPassesExactArguments) {
  std::string sub;
  std::vector<std::string> titles;
  if (CodePage932()) {
    sub = kHyo;
    titles = {kSofuto.substr(0, 2), kHyo + " %1% " + kHyo, kHyoji + " ^&"};
  } else {
    sub = "a%b%!c!^d&e (f), g;h=i  j";
    titles = {"100% Pure", "%PATH% and %1", "Rock & Roll", "Up^Down^^",
              "Wow!", "Paren (Beta)) (("};
  }
  MakeDirectory(sub);
  const std::string dir = sub + "\\";
  std::vector<std::vector<std::string>> groups;
  for (const std::string& title : titles) {
    std::string parent = title + " [!].v64", clone = title + " [a1].v64";
    Touch({dir + parent, dir + clone});
    groups.push_back({dir, "-o" + dir, title, "x" + title + "%y",
                      dir + title + ".7z", dir + parent, dir + clone});
  }
  ExpectArgumentsRoundTrip(
      dir_, "--template \"" + dir + "*.v64\" "
            "\"probe.exe {dir} -o{dir} {title} x{title}%y {dir}{title}.7z {}\"",
      groups, false);
}

}  // namespace
