#include "platform/posix_names.h"

#include <errno.h>
#include <gtest/gtest.h>

namespace {

TEST(PosixNamesTest, CanBeQuoted) {
  EXPECT_TRUE(CanBeQuoted("Game (U) [!].v64"));
  EXPECT_TRUE(CanBeQuoted("a%b&c^d!e\tf\x01\xFF"));
  EXPECT_FALSE(CanBeQuoted("a\rb"));
  EXPECT_FALSE(CanBeQuoted("a\nb"));
  EXPECT_FALSE(CanBeQuoted("a\x1A" "b"));
  EXPECT_FALSE(CanBeQuoted("a\"b"));
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
