#include "platform/async_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The calls the writer made, and the call that fails (-1: none).
struct Recorder {
  std::vector<std::string> calls;
  int fail_at = -1;

  static int Write(const char* data, size_t size, void* context) {
    Recorder& r = *static_cast<Recorder*>(context);
    r.calls.emplace_back(data, size);
    return static_cast<int>(r.calls.size()) - 1 == r.fail_at ? 28 : 0;
  }
};

TEST(AsyncWriterTest, CallsInOrderUntilOneFails) {
  // Pieces of 128 bytes fill the blocks; a piece larger than a block is
  // written by the caller in its place; after a failed call no more are
  // made, and a later Write and every Drain return its error.
  struct Case {
    std::vector<size_t> sizes;
    int fail_at;
  };
  const Case cases[] = {
      {std::vector<size_t>(3000, 128), -1},
      {{1, 70000, 5, 128, 65536, 65536, 2}, -1},
      {std::vector<size_t>(3000, 128), 1500},
      {{100, 70000, 100}, 1},
      {{7}, 0},
  };
  for (const Case& c : cases) {
    Recorder recorder;
    recorder.fail_at = c.fail_at;
    std::vector<std::string> pieces;
    int first_error_at = -1;
    {
      auto writer = AsyncWriter::Start(&Recorder::Write, &recorder);
      ASSERT_TRUE(writer);
      for (size_t i = 0; i < c.sizes.size(); ++i) {
        pieces.emplace_back(c.sizes[i], static_cast<char>('a' + i % 26));
        int error = writer->Write(pieces[i].data(), pieces[i].size());
        if (error != 0) {
          EXPECT_EQ(error, 28);
          first_error_at = static_cast<int>(i);
          break;
        }
      }
      EXPECT_EQ(writer->Drain(), c.fail_at < 0 ? 0 : 28);
    }
    const size_t made = c.fail_at < 0 ? pieces.size() : c.fail_at + 1;
    ASSERT_EQ(recorder.calls.size(), made) << c.sizes.size();
    for (size_t i = 0; i < made; ++i)
      ASSERT_EQ(recorder.calls[i], pieces[i]) << i;
    // A failure is told no sooner than it happens.
    if (c.fail_at < 0) {
      EXPECT_EQ(first_error_at, -1);
    } else if (first_error_at >= 0) {
      EXPECT_GE(first_error_at, c.fail_at);
    }
  }
}

}  // namespace
