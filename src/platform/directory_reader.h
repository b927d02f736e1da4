// The entries of an open directory, read ahead (POSIX builds).
#ifndef TRAMLUNE_PLATFORM_DIRECTORY_READER_H_
#define TRAMLUNE_PLATFORM_DIRECTORY_READER_H_

#include <dirent.h>
#include <pthread.h>
#include <sys/types.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>

// The search reads with getdents64 where the system has it; building with
// -DTRAMLUNE_READDIR takes readdir instead.
#if defined(SYS_getdents64) && !defined(TRAMLUNE_READDIR)
#define TRAMLUNE_GETDENTS 1
#endif

/// The entries of an open directory, read in large batches: getdents64
/// into buffers of 128 KiB where the system has it (a million entries take
/// a few hundred calls, against readdir's thousands), on a thread of its
/// own that reads the next batches while the caller looks at this one;
/// readdir elsewhere.
class DirectoryReader {
 public:
  /// Takes dir_fd (an open directory), and closes it when done.
  explicit DirectoryReader(int dir_fd);
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;
  ~DirectoryReader();

  /// The next entry: true with its name, inode and type (a DT_ value);
  /// false at the end, with errno 0, or on a failure, with its errno.
  bool Next(const char** name, ino_t* inode, unsigned char* type);

 private:
  int fd_;
#ifdef TRAMLUNE_GETDENTS
  static constexpr size_t kBuffers = 3;
  static constexpr size_t kBufferSize = size_t{128} << 10;
  struct Batch {
    std::unique_ptr<char[]> bytes;
    long filled = 0;  // what getdents64 returned: 0 at the end, < 0 failed
    int error = 0;
  };
  static void* Run(void* reader);
  void Loop();
  // Makes the next batch the caller's: read by the thread, or here.
  void TakeBatch();
  // getdents64 into batch.
  void Read(Batch& batch);

  Batch batches_[kBuffers];
  Batch* current_ = nullptr;  // the caller's
  size_t at_ = 0;             // in current_
  bool threaded_ = false;
  pthread_t thread_{};
  std::mutex mutex_;
  std::condition_variable read_;   // the caller waits: a batch was read
  std::condition_variable taken_;  // the thread waits: a batch is free
  // Batches [taken_count_, read_count_) (modulo kBuffers) wait for the
  // caller; the thread reads into batch read_count_ % kBuffers.
  size_t read_count_ = 0, taken_count_ = 0;
  bool ending_ = false;
#else
  DIR* stream_ = nullptr;
#endif
};

#endif  // TRAMLUNE_PLATFORM_DIRECTORY_READER_H_
