#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(CommandLineTest, Splits) {
  struct Case { std::string line; Words words; };
  const Case cases[] = {
      {"prog", {"prog"}},
      {"", {}},
      {"   ", {}},
      {"prog *.v64 copy", {"prog", "*.v64", "copy"}},
      {"prog\t*.v64\x01\x1F" "x", {"prog", "*.v64", "x"}},  // 0x01..0x20 blank
      {"\"C:\\Program Files\\t.exe\" a", {"C:\\Program Files\\t.exe", "a"}},
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"plexo create -test\" \">error.log\"",
       {"prog", "plexo create -test", ">error.log"}},
      // An empty pair before an argument is skipped; the rest move up.
      {"prog *.v64 \"\" >log", {"prog", "*.v64", ">log"}},
      {"prog \"\"\"\" x", {"prog", "x"}},
      {"prog \"\"x", {"prog", "x"}},
      {"prog a\"\"b", {"prog", "ab"}},      // an empty run inside a word
      // No escape character: the backslash is a plain byte.
      {"prog a\\\"b c\"", {"prog", "a\\b c"}},
      {"prog \"open to the end", {"prog", "open to the end"}},
      // Counting stops at the first word that comes out empty.
      {"prog a \"", {"prog", "a"}},
      {"prog a \"\"\"", {"prog", "a"}},
      {std::string("prog a\0b", 8), {"prog", "a"}},      // NUL ends the line
      {"prog \x7F\xFF", {"prog", "\x7F\xFF"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SplitCommandLine(c.line, NoLeadBytes()), c.words) << c.line;
}

TEST(CommandLineTest, StepsOverDoubleByteCharacters) {
  LeadByteTable lead{};
  lead[0x95] = true;
  lead[0x81] = true;
  // A trail byte is never a blank or a quote.
  EXPECT_EQ(SplitCommandLine("p \x95\x20x", lead), (Words{"p", "\x95\x20x"}));
  EXPECT_EQ(SplitCommandLine("p \"\x95\"a\" b", lead),
            (Words{"p", "\x95\"a", "b"}));
  EXPECT_EQ(SplitCommandLine("p \x95\\ y", lead), (Words{"p", "\x95\\", "y"}));
  // Without the table the same bytes split.
  EXPECT_EQ(SplitCommandLine("p \x95\x20x", NoLeadBytes()),
            (Words{"p", "\x95", "x"}));
  // A lead byte at the end stands alone.
  EXPECT_EQ(SplitCommandLine("p \x81", lead), (Words{"p", "\x81"}));
}

}  // namespace
