#include "matching/file_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <string>

#include "base/path_parts.h"
#include "matching/file_list.h"
#include "reference_grouping.h"

namespace {

int Sign(int x) { return (x > 0) - (x < 0); }

// The word-wise folding against FoldByte: every byte value in every place
// of the word, beside neighbours that would carry or borrow if it leaked.
TEST(FileNamesTest, FoldWordFoldsEachByteAlone) {
  const unsigned char neighbours[] = {0x00, 0x60, 0x61, 0x7A, 0x7B, 0x80,
                                      0xE1, 0xFA, 0xFF};
  for (unsigned char fill : neighbours)
    for (int place = 0; place < 8; ++place)
      for (int value = 0; value < 256; ++value) {
        char bytes[8];
        for (char& b : bytes) b = static_cast<char>(fill);
        bytes[place] = static_cast<char>(value);
        uint64_t folded = FoldWord(LoadWord(bytes));
        char out[8];
        std::memcpy(out, &folded, sizeof(out));
        for (int i = 0; i < 8; ++i)
          ASSERT_EQ(static_cast<unsigned char>(out[i]),
                    FoldByte(static_cast<unsigned char>(bytes[i])))
              << "fill " << int{fill} << " place " << place << " value "
              << value << " byte " << i;
      }
}

// Prefix lengths that end in every place of the first three words, by a
// case difference (no mismatch) or a real one, and at the shorter end.
TEST(FileNamesTest, FoldedPrefixLengthAtEveryPlace) {
  const std::string base = "abcdefghijklmnopqrstuvwx";  // 24 bytes
  for (size_t at = 0; at < base.size(); ++at) {
    std::string other = base;
    other[at] = static_cast<char>(other[at] - 0x20);  // upper case: equal
    EXPECT_EQ(FoldedPrefixLength(base, other), base.size()) << at;
    other[at] = '[';
    EXPECT_EQ(FoldedPrefixLength(base, other), at) << at;
    EXPECT_EQ(FoldedPrefixLength(other, base), at) << at;
    EXPECT_EQ(FoldedPrefixLength(base, base.substr(0, at)), at) << at;
    EXPECT_LT(FoldedCompare(base, other), 0) << at;
    EXPECT_GT(FoldedCompare(base, base.substr(0, at)), 0) << at;
  }
}

TEST(FileNamesTest, FoldedCompare) {
  struct Case { const char* a; const char* b; int sign; };
  const Case cases[] = {
      {"abc", "ABC", 0},
      {"ab", "abc", -1},
      {"abc", "ab", 1},
      {"\xE9", "\xC9", 1},       // accented letters are not folded
      {"[", "z", 1},             // "[" orders after every letter
      {"_", "Z", 1},             // and so does "_", folded or not
      {"`", "a", 1},
      {"Game (U)", "Game(U)", -1},  // space before letters and "("
      {"9", "a", -1},
      {"\x80", "~", 1},
      {"", "", 0},
      {"", "a", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Sign(FoldedCompare(c.a, c.b)), c.sign) << c.a << " / " << c.b;
  // The result is the folded difference itself.
  EXPECT_EQ(FoldedCompare("a[", "A_"), '[' - '_');
  EXPECT_EQ(FoldedCompare("ab", "a"), 'B');
}

TEST(FileNamesTest, FoldedPrefixLength) {
  EXPECT_EQ(FoldedPrefixLength("Game (U)", "GAME (e)"), 6u);
  EXPECT_EQ(FoldedPrefixLength("abc", "abc"), 3u);
  EXPECT_EQ(FoldedPrefixLength("abc", "ab"), 2u);
  EXPECT_EQ(FoldedPrefixLength("\xE9", "\xC9"), 0u);
}

TEST(FileNamesTest, HoldsText) {
  struct Case { const char* text; const char* sub; bool holds; };
  const Case cases[] = {
      {"Game [!]", "[!]", true}, {"Game [!]", "[!] ", false}, {"x", "", false},
      {"", "x", false},          {"ab", "abc", false},   {"a.v64[!]", "[!]", true},
      {"Game [!]", "[!", true},  {"aaab", "ab", true},   {"A[!]", "[!]", true},
      {"Game [I]", "[i]", false},  // case-sensitive
  };
  for (const Case& c : cases)
    EXPECT_EQ(HoldsText(c.text, c.sub), c.holds) << c.text << " / " << c.sub;
}

TEST(FileNamesTest, TitleLength) {
  EXPECT_EQ(TitleLength("Game (U) [!]"), 9u);
  EXPECT_EQ(TitleLength("Game  [a1]"), 5u);
  EXPECT_EQ(TitleLength("[Grp] Show"), 1u);
  EXPECT_EQ(TitleLength("  [x]"), 1u);
  EXPECT_EQ(TitleLength("Game[!]"), 5u);
  EXPECT_EQ(TitleLength("Game\t[!]"), 6u);  // only spaces back up
  EXPECT_EQ(TitleLength("Game"), 4u);
  EXPECT_EQ(TitleLength(""), 0u);
}

// The title that names an archive is never cut at a "[" that opens the name
// or follows the title without a blank.
TEST(FileNamesTest, ShownTitle) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Game (U) [!]", "Game (U)"},     {"Eta (E)[a1]", "Eta (E)"},
      {"[BIOS] Alpha (U) [!]", "[BIOS] Alpha (U)"},
      {"[BIOS] Beta (J)", "[BIOS] Beta (J)"},
      {"Game \t [a1]", "Game"},         {"Game", "Game"},
      {"[", "["},                        {" [x]", ""},
      {"", ""},
  };
  for (const auto& [base, title] : cases)
    EXPECT_EQ(ShownTitle(base), title) << base;
}

TEST(FileNamesTest, BaseAndExtension) {
  struct Case { const char* name; const char* base; const char* ext; };
  const Case cases[] = {
      {"a.b.c", "a.b", ".c"},
      {"name", "name", ""},
      {".v64", "", ".v64"},
      {"Game v1.1 (hack)", "Game v1", ".1 (hack)"},
      {"Game (U) [!].v64", "Game (U) [!]", ".v64"},
      {"dir.x\\name", "dir.x\\name", ""},  // the last delimiter is "\"
      {"c:name", "c:name", ""},
      {"a.b:c", "a.b:c", ""},
      {"a/b.c", "a/b", ".c"},              // "/" does not end a base
      {"trail.", "trail", "."},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BaseName(c.name), c.base) << c.name;
    FileList list;  // the extension is what the list keeps after the base
    list.Append(c.name);
    EXPECT_EQ(list.Extension(0), c.ext) << c.name;
  }
}

TEST(FileNamesTest, DirectoryPart) {
  struct Case { const char* path; const char* dir; };
  const Case cases[] = {
      {"C:\\roms\\*.v64", "C:\\roms\\"},
      {"*.v64", ""},
      {"C:*.v64", "C:"},
      {"roms/*.v64", "roms/"},
      {"a/b\\c/*.v64", "a/b\\c/"},
      {"roms\\", "roms\\"},
      {"\\\\server\\share\\*", "\\\\server\\share\\"},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DirectoryPart(c.path), c.dir) << c.path;
}

TEST(FileNamesTest, DoubleByteTrailBytesAreNotDelimiters) {
  // 0x95 0x5C is one character of code page 932; its second byte is a
  // backslash only on a single-byte code page.
  LeadByteTable lead{};
  for (int b = 0x81; b <= 0x9F; ++b) lead[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) lead[b] = true;
  const std::string dir = "roms\\\x95\x5C";  // "roms\" + one character
  EXPECT_EQ(DirectoryPart(dir + "\\*.v64", lead), dir + "\\");
  EXPECT_EQ(DirectoryPart(dir + "*.v64", lead), "roms\\");
  EXPECT_EQ(DirectoryPart(dir + "*.v64"), dir);  // single-byte reading
  const std::string name = "\x95\x5C.v64";
  EXPECT_EQ(BaseName(name, lead), "\x95\x5C");
  // A lead byte at the very end stands alone.
  EXPECT_EQ(DirectoryPart("a\\\x95", lead), "a\\");
  // The table alone decides: a lead byte takes the next byte with it.
  EXPECT_EQ(BaseName("\x95.x", lead), "\x95.x");
}

}  // namespace
