#include "app/options.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsTest, ParseOptions) {
  using A = Options::Action;
  const ScriptKind bat = ScriptKind::kBatch, sh = ScriptKind::kShell;
  struct Case {
    std::vector<std::string> args;
    A action;
    ScriptKind kind;
    size_t mask;
  };
  const Case cases[] = {
      {{}, A::kUsage, bat, 0},
      {{"--"}, A::kUsage, bat, 0},
      {{"--sh"}, A::kUsage, sh, 0},
      {{"--sh", "--"}, A::kUsage, sh, 0},
      {{"--help"}, A::kHelp, bat, 0},
      {{"/?", "*.v64"}, A::kHelp, bat, 0},
      {{"--sh", "--help", "x"}, A::kHelp, sh, 0},
      {{"--version", "--help"}, A::kVersion, bat, 0},
      {{"*.v64"}, A::kScript, bat, 0},
      {{"*.v64", "--sh", "--help"}, A::kScript, bat, 0},  // prefix, suffix
      {{"--sh", "*.v64", "echo"}, A::kScript, sh, 1},
      {{"--sh", "--sh", "*", "rm"}, A::kScript, sh, 2},
      {{"--", "--sh"}, A::kScript, bat, 1},
      {{"--sh", "--", "--help", "rm"}, A::kScript, sh, 2},
      {{"--", "--"}, A::kScript, bat, 1},
      // Anything else is the mask, also when it begins with "-".
      {{"-rf*", "--sh"}, A::kScript, bat, 0},
      {{"--shell", "x"}, A::kScript, bat, 0},
      {{"-", "x"}, A::kScript, bat, 0},
      {{"/help"}, A::kScript, bat, 0},
      {{"--sh", "-h", "x"}, A::kScript, sh, 1},
      // A sh line must not begin with a file: no prefix, or a blank one.
      {{"--sh", "*"}, A::kUsageError, sh, 0},
      {{"--sh", "--", "*", " \t"}, A::kUsageError, sh, 0},
      {{"--sh", "*", ">>log.txt"}, A::kUsageError, sh, 0},
      {{"--sh", "*", "2> err 1>out X=1"}, A::kUsageError, sh, 0},
      {{"--sh", "*", "X=1 >>log rm"}, A::kScript, sh, 1},
      {{"--sh", "*", ">x 'rm'"}, A::kScript, sh, 1},
      {{"--sh", "*", "a=b=c echo"}, A::kScript, sh, 1},
      {{"--sh", "*", "1x=2"}, A::kScript, sh, 1},
      {{"*", " "}, A::kScript, bat, 0},
  };
  for (const Case& c : cases) {
    std::string what = testing::PrintToString(c.args);
    Options o = ParseOptions(c.args);
    EXPECT_EQ(o.action, c.action) << what;
    EXPECT_EQ(o.kind, c.kind) << what;
    if (c.action == A::kScript) {
      EXPECT_EQ(o.mask_index, c.mask) << what;
    }
  }
}

}  // namespace
