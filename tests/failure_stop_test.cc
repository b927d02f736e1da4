#include "app/failure_stop.h"

#include <gtest/gtest.h>

#include <cctype>

#include "fake_platform.h"
#include "test_support.h"

namespace {

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
