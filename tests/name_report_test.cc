#include "platform/name_report.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A code page that holds U+0080..U+00FF as one byte each and U+03A9 (Ω) as
// two.
std::optional<std::string> TestCodePage(char32_t c) {
  if (c >= 0x80 && c <= 0xFF)
    return std::string(1, static_cast<char>(c));
  if (c == 0x3A9)
    return std::string("\x83\xB6");
  return std::nullopt;
}

TEST(NameReportTest, ShownName) {
  struct Case { std::u16string name; std::string shown; };
  const Case cases[] = {
      {u"\u0141\u00F3d\u017A (E)", "\\u{0141}\xF3" "d\\u{017A} (E)"},
      {u"Game \u03A9 \u00A0\u00FF", "Game \x83\xB6 \xA0\xFF"},
      // A surrogate pair is one code point; a lone one stands for itself.
      {u"\U0001F600.v64", "\\u{1F600}.v64"},
      {u"a\xD800" "b\xDC00", "a\\u{D800}b\\u{DC00}"},
      {u"\xDC00\xD800", "\\u{DC00}\\u{D800}"},
      // Control characters, '\', '"' and DEL are escaped even where the
      // code page holds them.
      {u"\x01\x1F\\\"\x7F\x85~ ", "\\u{0001}\\u{001F}\\u{005C}\\u{0022}"
                                  "\\u{007F}\\u{0085}~ "},
      {u"\U0010FFFF", "\\u{10FFFF}"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShownName(c.name, TestCodePage), c.shown) << c.shown;
}

}  // namespace
