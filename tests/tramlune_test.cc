#include "app/tramlune.h"

#include <gtest/gtest.h>

#include "app/output.h"
#include "expected_output.h"
#include "fake_platform.h"

namespace {

struct Result {
  int status;
  std::string out;
};

Result RunWith(const std::vector<std::string>& args) {
  FakePlatform platform;
  platform.listings["*.v64"] = {{"G (U) [!].v64", false},
                                {"G (U) [a1].v64", false},
                                {"H (E).v64", false}};
  Output output(platform);
  int status = RunTramlune(args, platform, output);
  output.Flush();
  return {status, platform.Written()};
}

TEST(TramluneTest, Usage) {
  Result r = RunWith({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            kBanner +
                "Syntax:\r\n"
                "   tramlune <filemask> [command-prefix] [command-suffix]\r\n"
                "\r\n"
                "Tramlune will scan all files matching <filemask>, and will try\r\n"
                "to match the parent files with all their clones. It will then\r\n"
                "generate a command string in the form\r\n"
                "    command-prefix parent_file clone_files command_suffix\r\n"
                "to the standard output; you should redirect it to a BAT file\r\n"
                "\r\n"
                "Example:\r\n"
                "   tramlune *.v64 \"plexo create -test -delete\" \">error.log\" "
                ">go.bat\r\n"
                "\r\n");
}

TEST(TramluneTest, ArgumentsMakeMaskPrefixAndSuffix) {
  struct Case { std::vector<std::string> args; std::string line; };
  const Case cases[] = {
      {{"*.v64"}, " \"G (U) [!].v64\"  \"G (U) [a1].v64\" "},
      {{"*.v64", "copy"}, "copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\" "},
      {{"*.v64", "copy", ">log.txt"},
       "copy  \"G (U) [!].v64\"  \"G (U) [a1].v64\"  >log.txt"},
      {{"*.v64", "a b", "c d", "ignored", "too"},
       "a b  \"G (U) [!].v64\"  \"G (U) [a1].v64\"  c d"},
  };
  for (const Case& c : cases) {
    Result r = RunWith(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kScriptStart + c.line + "\r\n");
  }
  Result none = RunWith({"*.none"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, kScriptStart);
}

}  // namespace
