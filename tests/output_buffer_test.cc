#include "app/output_buffer.h"

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "test_support.h"

namespace {

TEST(OutputBufferTest, FileOrPipeWritesFullBuffers) {
  FakePlatform platform;
  ProgramOutput program(platform);
  OutputBuffer& out = program.buffer;
  std::string line(100, 'x');
  out.WriteLine(line);
  EXPECT_TRUE(platform.writes.empty());
  out.WriteLine(line);  // 204 bytes: one full buffer goes out
  ASSERT_EQ(platform.writes.size(), 1u);
  EXPECT_EQ(platform.writes[0].size(), 128u);
  out.WriteLine(std::string(300, 'y'));
  out.Flush();
  out.Flush();  // nothing left: no empty write
  size_t total = 0;
  for (size_t i = 0; i < platform.writes.size(); ++i) {
    if (i + 1 < platform.writes.size()) {
      EXPECT_EQ(platform.writes[i].size(), 128u);
    }
    total += platform.writes[i].size();
  }
  EXPECT_EQ(total, 102u + 102u + 302u);
  EXPECT_EQ(platform.Written(),
            line + "\r\n" + line + "\r\n" + std::string(300, 'y') + "\r\n");
}

TEST(OutputBufferTest, ConsoleWritesEveryLine) {
  FakePlatform platform;
  platform.console = true;
  ProgramOutput program(platform);
  OutputBuffer& out = program.buffer;
  out.WriteLine("@echo off");
  out.WriteLine("");
  out.WriteLine(std::string(200, 'z'));
  ASSERT_EQ(platform.writes.size(), 4u);
  EXPECT_EQ(platform.writes[0], "@echo off\r\n");
  EXPECT_EQ(platform.writes[1], "\r\n");
  EXPECT_EQ(platform.writes[2], std::string(128, 'z'));
  EXPECT_EQ(platform.writes[3], std::string(72, 'z') + "\r\n");
}

// A line written in pieces makes the same writes, byte for byte and call for
// call, as the whole line, to a file and to a console.
TEST(OutputBufferTest, PiecesWriteAsTheWholeLine) {
  const std::vector<std::string> pieces = {
      "do ", " ", "\"", std::string(150, 'a'), "\"", " ", " ", "",
      std::string(127, 'b'), "%", std::string(300, 'c'), " end"};
  std::string whole;
  for (const std::string& piece : pieces) whole += piece;
  for (bool console : {false, true}) {
    FakePlatform by_line, by_piece;
    by_line.console = by_piece.console = console;
    ProgramOutput line_program(by_line), piece_program(by_piece);
    OutputBuffer& line_out = line_program.buffer;
    OutputBuffer& piece_out = piece_program.buffer;
    for (int line = 0; line < 3; ++line) {
      line_out.WriteLine(whole);
      for (const std::string& piece : pieces) piece_out.Write(piece);
      piece_out.EndLine();
    }
    line_out.Flush();
    piece_out.Flush();
    EXPECT_EQ(by_piece.writes, by_line.writes) << "console " << console;
    EXPECT_EQ(by_line.Written().size(), 3 * (whole.size() + 2));
  }
}

}  // namespace
