#include "platform/posix_errors.h"

#include <errno.h>
#include <gtest/gtest.h>


namespace {

TEST(PosixErrorsTest, WindowsErrorNumbers) {
  struct Case { int error; uint32_t number; };
  const Case cases[] = {{ENOSPC, 112}, {EPIPE, 232}, {EBADF, 6}, {EACCES, 5},
                        {EPERM, 5},    {EDQUOT, 1295}, {EIO, 1117},
                        {EFBIG, 223},  {EROFS, 19},  {EINVAL, 87},
                        {ELOOP, 31}};
  for (const Case& c : cases)
    EXPECT_EQ(WindowsErrorNumber(c.error), c.number) << c.error;
}

}  // namespace
