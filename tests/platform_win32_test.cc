// The Windows platform against the real system: the directory search and
// the program's name.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

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
