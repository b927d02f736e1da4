// Writes made on a thread of their own (POSIX builds).
#ifndef TRAMLUNE_PLATFORM_ASYNC_WRITER_H_
#define TRAMLUNE_PLATFORM_ASYNC_WRITER_H_

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>

/// Makes each Write one call of a write function, with the same bytes and
/// in the order of the Writes, on a thread of its own, so that the time
/// the system takes over the writes overlaps the caller's work. After a
/// call that fails no further call is made, and the failure reaches the
/// caller at its next Write or Drain. One caller thread only.
class AsyncWriter {
 public:
  /// Writes all of data; returns 0, or the error that stopped it.
  using WriteFunction = int (*)(const char* data, size_t size, void* context);

  /// A started writer, or none where the system gives no thread or the
  /// memory of its queue (the caller then writes for itself).
  static std::unique_ptr<AsyncWriter> Start(WriteFunction write,
                                            void* context);

  /// Drains, then ends the thread.
  ~AsyncWriter();
  AsyncWriter(const AsyncWriter&) = delete;
  AsyncWriter& operator=(const AsyncWriter&) = delete;

  /// Queues a call with a copy of data, and returns 0; or, when a call
  /// queued earlier has failed, waits for the calls queued before it,
  /// queues nothing and returns that call's error.
  int Write(const char* data, size_t size);

  /// Waits until every queued call is made; returns the error of the one
  /// that failed, or 0.
  int Drain();

 private:
  // The queue is a ring of blocks, each holding whole pieces: one piece is
  // one call. A piece larger than a block is written by the caller, once
  // the queue is drained.
  static constexpr size_t kBlocks = 4;
  static constexpr size_t kBlockBytes = size_t{64} << 10;
  static constexpr size_t kBlockPieces = 1024;
  struct Block {
    char bytes[kBlockBytes];
    unsigned sizes[kBlockPieces];
    size_t used = 0;
    size_t pieces = 0;
  };

  AsyncWriter(WriteFunction write, void* context, Block* blocks);
  static void* Run(void* writer);
  void Loop();
  // Hands the caller's block to the thread and waits for a free one.
  void Submit();

  WriteFunction write_;
  void* context_;
  std::unique_ptr<Block[]> blocks_;
  pthread_t thread_{};
  bool started_ = false;

  std::mutex mutex_;
  std::condition_variable queued_;  // the thread waits: a block or the end
  std::condition_variable freed_;   // the caller waits: a block written
  // Blocks [written_, submitted_) (counted, modulo kBlocks) wait for the
  // thread; block submitted_ % kBlocks is the caller's.
  size_t written_ = 0, submitted_ = 0;
  bool ending_ = false;
  int error_ = 0;  // of the call that failed
  std::atomic<bool> failed_{false};  // error_ is set: read without the lock
};

#endif  // TRAMLUNE_PLATFORM_ASYNC_WRITER_H_
