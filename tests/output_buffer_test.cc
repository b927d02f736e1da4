#include <gtest/gtest.h>

#include "fake_platform.h"
#include "program_output.h"

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

// A failed write stops the program: what the buffer holds goes out, then the
// failure text, and the status is 1.
TEST(FailureStopTest, FailedWriteStops) {
  struct Case { uint32_t error; const char* message; };
  const Case cases[] = {
      {112, "I/O error 112."}, {232, "I/O error 232."},
      {105, "I/O error 105."}, {5, "File access denied."},
      {2, "File not found."},  {101, "Disk full."},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.failing_writes = {0};
    platform.fail_error = c.error;
    ProgramOutput program(platform);
  OutputBuffer& out = program.buffer;
    out.WriteLine("@rem");
    try {
      out.Flush();
      FAIL() << "no stop";
    } catch (const ProcessEnded& ended) {
      EXPECT_EQ(ended.status, 1);
    }
    ASSERT_EQ(platform.writes.size(), 2u);
    EXPECT_EQ(platform.writes[0], "");  // the failed write delivered nothing
    const std::string& text = platform.writes[1];
    const std::string head = "Exception EInOutError in module tramlune.exe at ";
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(head.size() + 8),
              std::string(".\n") + c.message + "\r\n");
    for (char h : text.substr(head.size(), 8))
      EXPECT_TRUE(isdigit(static_cast<unsigned char>(h)) || (h >= 'A' && h <= 'F'))
          << text;
  }
}

TEST(FailureStopTest, StopWritesTheBufferFirst) {
  FakePlatform platform;
  ProgramOutput program(platform);
  OutputBuffer& out = program.buffer;
  out.WriteLine("kept");
  try {
    program.stop.Stop("EOutOfMemory", "Out of memory", 0x0040ABCD);
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.status, 1);
  }
  EXPECT_EQ(platform.Written(),
            "kept\r\nException EOutOfMemory in module tramlune.exe at "
            "0040ABCD.\nOut of memory.\r\n");
}

TEST(FailureStopTest, FailureText) {
  char text[256];
  size_t n = FormatFailureText(text, sizeof(text), "EInOutError", "t.exe",
                               0xDEADBEEF, "Disk full.");
  EXPECT_EQ(std::string(text, n),
            "Exception EInOutError in module t.exe at DEADBEEF.\nDisk full.");
  n = FormatFailureText(text, sizeof(text), "K", "m", 1, "");
  EXPECT_EQ(std::string(text, n), "Exception K in module m at 00000001.\n.");
  n = FormatFailureText(text, 10, "K", "m", 1, "x");
  EXPECT_EQ(n, 9u);  // cut to the buffer, NUL included
  EXPECT_EQ(std::string(text), "Exception");
}

TEST(FailureStopTest, IoErrorMessages) {
  struct Case { uint32_t error; const char* message; };
  const Case cases[] = {
      {2, "File not found"},   {3, "Invalid filename"},
      {4, "Too many open files"}, {5, "File access denied"},
      {100, "Read beyond end of file"}, {101, "Disk full"},
      {106, "Invalid numeric input"}, {105, "I/O error 105"},
      {0, "I/O error 0"},      {4294967295u, "I/O error 4294967295"},
  };
  for (const Case& c : cases) {
    char message[64];
    FormatIoErrorMessage(c.error, message, sizeof(message));
    EXPECT_STREQ(message, c.message);
  }
}

}  // namespace
