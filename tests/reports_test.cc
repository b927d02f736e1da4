#include "app/reports.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportsTest, LeftOutLines) {
  EXPECT_EQ(EscapedName("plain name.v64"), "plain name.v64");
  EXPECT_EQ(EscapedName("a\nb\"c\\d\x7F\xE9*"), "a\\x0Ab\\x22c\\x5Cd\\x7F\\xE9*");
  EXPECT_EQ(LeftOutNameLine("G [a*]\r"),
            "tramlune: left out a name that a batch script cannot hold: "
            "\"G [a*]\\x0D\"\n");
  EXPECT_EQ(LeftOutDirectoryLine("x\"/"),
            "tramlune: left out the files of a directory that a batch script "
            "cannot hold: \"x\\x22/\"\n");
}

}  // namespace
