#include "platform/directory_reader.h"

#include <errno.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/posix_thread.h"

#ifdef TRAMLUNE_GETDENTS

DirectoryReader::DirectoryReader(int dir_fd) : fd_(dir_fd) {
  for (Batch& batch : batches_)
    batch.bytes.reset(new char[kBufferSize]);
  // The thread only reads: a small stack serves it. Without a thread the
  // caller reads each batch itself.
  threaded_ = StartThread(&Run, this, size_t{256} << 10, &thread_);
}

DirectoryReader::~DirectoryReader() {
  if (threaded_) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ending_ = true;
    }
    taken_.notify_one();
    pthread_join(thread_, nullptr);
  }
  close(fd_);
}

void* DirectoryReader::Run(void* reader) {
  static_cast<DirectoryReader*>(reader)->Loop();
  return nullptr;
}

void DirectoryReader::Read(Batch& batch) {
  batch.filled = syscall(SYS_getdents64, fd_, batch.bytes.get(), kBufferSize);
  batch.error = batch.filled < 0 ? errno : 0;
}

void DirectoryReader::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    taken_.wait(lock, [this] {
      return read_count_ - taken_count_ < kBuffers || ending_;
    });
    if (ending_)
      return;
    Batch& batch = batches_[read_count_ % kBuffers];
    lock.unlock();
    Read(batch);
    lock.lock();
    ++read_count_;
    read_.notify_one();
    if (batch.filled <= 0)
      return;  // the end, or a failure: the caller's to see
  }
}

void DirectoryReader::TakeBatch() {
  if (!threaded_) {
    current_ = &batches_[0];
    Read(*current_);
    at_ = 0;
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (current_) {
    ++taken_count_;  // the batch just looked at is free again
    taken_.notify_one();
  }
  read_.wait(lock, [this] { return read_count_ > taken_count_; });
  current_ = &batches_[taken_count_ % kBuffers];
  at_ = 0;
}

bool DirectoryReader::Next(const char** name, ino_t* inode,
                           unsigned char* type) {
  for (;;) {
    if (current_) {
      if (current_->filled <= 0) {
        errno = current_->error;  // 0 at the end
        return false;
      }
      if (at_ < static_cast<size_t>(current_->filled))
        break;
    }
    TakeBatch();
  }
  // The kernel's record: inode (8 bytes), offset (8), record length (2),
  // type (1), then the name and its terminating 0.
  const char* record = current_->bytes.get() + at_;
  uint64_t ino;
  uint16_t length;
  std::memcpy(&ino, record, sizeof(ino));
  std::memcpy(&length, record + 16, sizeof(length));
  *inode = static_cast<ino_t>(ino);
  *type = static_cast<unsigned char>(record[18]);
  *name = record + 19;
  at_ += length;
  return true;
}

#else  // readdir

DirectoryReader::DirectoryReader(int dir_fd)
    : fd_(dir_fd), stream_(fdopendir(dir_fd)) {}

DirectoryReader::~DirectoryReader() {
  if (stream_)
    closedir(stream_);
  else
    close(fd_);
}

bool DirectoryReader::Next(const char** name, ino_t* inode,
                           unsigned char* type) {
  if (!stream_)
    return false;  // errno from fdopendir
  errno = 0;
  struct dirent* entry = readdir(stream_);
  if (!entry)
    return false;
  *name = entry->d_name;
  *inode = entry->d_ino;
#ifdef _DIRENT_HAVE_D_TYPE
  *type = entry->d_type;
#else
  *type = DT_UNKNOWN;
#endif
  return true;
}

#endif
