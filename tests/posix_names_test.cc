#include "platform/posix_names.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PosixNamesTest, CanBeQuoted) {
  EXPECT_TRUE(CanBeQuoted("Game (U) [!].v64"));
  EXPECT_TRUE(CanBeQuoted("a%b&c^d!e\tf\x01\xFF"));
  EXPECT_FALSE(CanBeQuoted("a\rb"));
  EXPECT_FALSE(CanBeQuoted("a\nb"));
  EXPECT_FALSE(CanBeQuoted("a\x1A" "b"));
  EXPECT_FALSE(CanBeQuoted("a\"b"));
  // Names are scanned eight bytes at a time: each unsafe byte in every
  // place of a long name, among bytes one off from it.
  for (char bad : {'\r', '\n', '"'})
    for (size_t at = 0; at < 21; ++at) {
      std::string name(21, static_cast<char>(bad + 1));
      for (size_t i = 0; i < name.size(); i += 2)
        name[i] = static_cast<char>(bad - 1);
      EXPECT_TRUE(CanBeQuoted(name));
      name[at] = bad;
      EXPECT_FALSE(CanBeQuoted(name)) << int{bad} << " at " << at;
    }
}

TEST(PosixNamesTest, EscapedName) {
  EXPECT_EQ(EscapedName("plain name.v64"), "plain name.v64");
  EXPECT_EQ(EscapedName("a\nb\"c\\d\x7F\xE9"), "a\\x0Ab\\x22c\\x5Cd\\x7F\\xE9");
}

TEST(PosixNamesTest, WindowsErrorNumbers) {
  struct Case { int error; uint32_t number; };
  const Case cases[] = {{ENOSPC, 112}, {EPIPE, 232}, {EBADF, 6}, {EACCES, 5},
                        {EPERM, 5},    {EDQUOT, 1295}, {EIO, 1117},
                        {EFBIG, 223},  {EROFS, 19},  {EINVAL, 87},
                        {ELOOP, 31}};
  for (const Case& c : cases)
    EXPECT_EQ(WindowsErrorNumber(c.error), c.number) << c.error;
}

}  // namespace
