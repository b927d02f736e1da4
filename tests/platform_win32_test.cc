// The Windows platform against the real system: the directory search, its
// conversions between wide names and the code page, and the program's name.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/reports.h"
#include "platform/ansi_names.h"
#include "platform/platform.h"

namespace {

using Entries = std::vector<std::pair<std::string, bool>>;

Entries Search(const std::string& mask) {
  Entries entries;
  SystemPlatform().SearchDirectory(
      mask, [&entries](std::string_view name, bool is_directory) {
        entries.emplace_back(std::string(name), is_directory);
      });
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST(PlatformWin32Test, SearchDirectoryDeliversEveryEntry) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof(temp), temp), 0u);
  std::string dir = std::string(temp) + "tramlune-platform-" +
                    std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir + "\\sub.v64").c_str(), nullptr));
  for (const char* name : {"\\a.v64", "\\b c.v64", "\\d.n64"}) {
    HANDLE file = CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  ASSERT_TRUE(SetFileAttributesA((dir + "\\b c.v64").c_str(),
                                 FILE_ATTRIBUTE_HIDDEN));

  EXPECT_EQ(Search(dir + "\\*"),
            (Entries{{".", true}, {"..", true}, {"a.v64", false},
                     {"b c.v64", false}, {"d.n64", false}, {"sub.v64", true}}));
  EXPECT_EQ(Search(dir + "/*.V64"),
            (Entries{{"a.v64", false}, {"b c.v64", false}, {"sub.v64", true}}));
  EXPECT_EQ(Search(dir + "\\*.z64"), Entries{});
  EXPECT_EQ(Search(dir + "\\missing\\*"), Entries{});

  SetFileAttributesA((dir + "\\b c.v64").c_str(), FILE_ATTRIBUTE_NORMAL);
  for (const char* name : {"\\a.v64", "\\b c.v64", "\\d.n64"})
    DeleteFileA((dir + name).c_str());
  RemoveDirectoryA((dir + "\\sub.v64").c_str());
  RemoveDirectoryA(dir.c_str());
}

// The entries that FindFirstFileA and FindNextFileA give for mask: what
// the search must give for every name that the code page holds.
Entries SearchAnsi(const std::string& mask) {
  Entries entries;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(mask.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE)
    return entries;
  do {
    entries.emplace_back(data.cFileName,
                         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  EXPECT_TRUE(WidePath(CP_ACP, text, &wide)) << text;
  return wide;
}

TEST(PlatformWin32Test, SearchDirectoryGivesWhatTheAnsiSearchGives) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof(temp), temp), 0u);
  std::string dir = std::string(temp) + "tramlune-ansi-" +
                    std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  // Names with letters that the code page holds, each a byte or two.
  std::vector<std::wstring> names = {L"Game (U) [!].v64", L"a.v64",
                                     std::wstring(200, L'x') + L".v64"};
  if (GetACP() == 1252)
    names.insert(names.end(), {L"Caf\u00E9 (F).v64", L"Yen \u00A5.v64"});
  if (GetACP() == 932)
    names.insert(names.end(),
                 {L"\u8868\u793A.v64", L"\uFF71\uFF72.v64", L"Game \u03A9.v64"});
  std::wstring wide_dir = Wide(dir);
  for (const std::wstring& name : names) {
    HANDLE file = CreateFileW((wide_dir + L"\\" + name).c_str(), GENERIC_WRITE,
                              0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  ASSERT_TRUE(CreateDirectoryW((wide_dir + L"\\sub").c_str(), nullptr));

  for (const char* mask : {"\\*", "/*.V64", "\\*~*", "\\?.v64", "\\CAF*",
                           "\\*.z64"})
    EXPECT_EQ(Search(dir + mask), SearchAnsi(dir + mask)) << mask;
  EXPECT_EQ(Search(dir + "\\*").size(), names.size() + 3);
  // A mask of more than MAX_PATH characters finds nothing, as the ANSI
  // search gives up on it; ".\\" steps stretch it, "**" is "*".
  for (size_t length = MAX_PATH - 1; length <= MAX_PATH + 2; ++length) {
    std::string mask = dir + "\\";
    while (mask.size() + 2 < length)
      mask += ".\\";
    mask += mask.size() + 2 == length ? "**" : "*";
    ASSERT_EQ(mask.size(), length);
    Entries found = Search(mask);
    EXPECT_EQ(found, SearchAnsi(mask)) << length;
    EXPECT_EQ(found.empty(), length > MAX_PATH) << length;
  }

  for (const std::wstring& name : names)
    DeleteFileW((wide_dir + L"\\" + name).c_str());
  RemoveDirectoryW((wide_dir + L"\\sub").c_str());
  RemoveDirectoryW(wide_dir.c_str());
}

// The line that reports a name left out, shown as given.
std::string CannotHold(const std::string& shown) {
  return "tramlune: left out a name that the system code page cannot hold: \"" +
         shown + "\"\n";
}

std::string TooLong(const std::string& shown) {
  return "tramlune: left out a name that is longer than 259 bytes in the "
         "system code page: \"" + shown + "\"\n";
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  while (times-- > 0)
    all += text;
  return all;
}

TEST(AnsiNamesTest, KeepsOnlyNamesThatConvertBack) {
  const std::string kNichi = "\x93\xFA";        // 日 in code page 932
  const std::string kNichiUtf8 = "\xE6\x97\xA5";
  struct Case {
    UINT code_page;
    std::wstring name;
    bool kept;
    std::string text;  // the bytes when kept, else the report
  };
  // What the end-to-end test of code pages 1252 and 932 cannot reach: other
  // code pages, lone surrogates and names too long for the name field.
  const Case cases[] = {
      {1252, L"a\xD800" L"b", false, CannotHold("a\\u{D800}b")},
      {936, L"\u65E5\u672C", true, "\xC8\xD5\xB1\xBE"},
      {65001, L"\u65E5 \U0001F600", true, kNichiUtf8 + " \xF0\x9F\x98\x80"},
      // A lone surrogate would come back as U+FFFD.
      {65001, L"\u00E9\xD800", false, CannotHold("\xC3\xA9\\u{D800}")},
      {65001, L"\xDC00" L"a", false, CannotHold("\\u{DC00}a")},
      // The ANSI search's name field holds 259 bytes.
      {932, std::wstring(129, L'\u65E5') + L"a", true,
       Repeat(kNichi, 129) + "a"},
      {932, std::wstring(130, L'\u65E5'), false, TooLong(Repeat(kNichi, 130))},
      {65001, std::wstring(86, L'\u65E5') + L"a", true,
       Repeat(kNichiUtf8, 86) + "a"},
      {65001, std::wstring(86, L'\u65E5') + L"ab", false,
       TooLong(Repeat(kNichiUtf8, 86) + "ab")},
  };
  for (const Case& c : cases) {
    std::string bytes = "unchanged";
    UnheldName unheld{"unchanged", 1};
    bool kept = AnsiName(c.code_page, c.name, &bytes, &unheld);
    std::string report = LeftOutUnheldNameLine(unheld);
    EXPECT_EQ(kept, c.kept) << c.code_page << " " << c.text;
    EXPECT_EQ(kept ? bytes : report, c.text) << c.code_page;
    if (kept)
      EXPECT_EQ(unheld.shown, "unchanged") << c.code_page << " " << c.text;
    else
      EXPECT_EQ(bytes, "unchanged") << c.code_page << " " << c.text;
  }
}

TEST(AnsiNamesTest, WidePathEndsAtAZeroAndHoldsMaxPathCharacters) {
  const std::string kNichi = "\x93\xFA";
  struct Case {
    UINT code_page;
    std::string path;
    bool converted;
    std::wstring wide;
  };
  const Case cases[] = {
      {1252, std::string("a\0b", 3), true, L"a"},
      // MAX_PATH wide characters at most, however many bytes.
      {932, kNichi + kNichi + std::string(257, 'a'), true,
       L"\u65E5\u65E5" + std::wstring(257, L'a')},
      {932, kNichi + std::string(260, 'a'), false, L""},
  };
  for (const Case& c : cases) {
    std::wstring wide = L"unchanged";
    EXPECT_EQ(WidePath(c.code_page, c.path, &wide), c.converted)
        << c.code_page << " " << c.path;
    if (c.converted) {
      EXPECT_TRUE(wide == c.wide) << c.code_page << " " << c.path;
    }
  }
}

TEST(PlatformWin32Test, ProgramFileNameHasNoDirectory) {
  EXPECT_EQ(SystemPlatform().ProgramFileName(), "tramlune_tests.exe");
}

TEST(PlatformWin32Test, LeadBytesAreThoseOfTheSystemCodePage) {
  // Set where the run is meant to be in a double-byte code page.
  if (const char* expected = std::getenv("TRAMLUNE_EXPECT_ACP")) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
  }
  const LeadByteTable& lead = SystemPlatform().LeadBytes();
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(lead[b], IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != 0)
        << b;
}

}  // namespace
