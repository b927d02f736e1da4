#include "platform/async_writer.h"

#include <cstring>
#include <new>

#include "platform/posix_thread.h"

std::unique_ptr<AsyncWriter> AsyncWriter::Start(WriteFunction write,
                                                void* context) {
  Block* blocks = new (std::nothrow) Block[kBlocks];
  if (!blocks)
    return nullptr;
  std::unique_ptr<AsyncWriter> writer(
      new (std::nothrow) AsyncWriter(write, context, blocks));
  if (!writer) {
    delete[] blocks;
    return nullptr;
  }
  // The thread only writes: a small stack serves it, and keeps it within
  // tight limits of address space.
  if (!StartThread(&Run, writer.get(), size_t{256} << 10, &writer->thread_))
    return nullptr;
  writer->started_ = true;
  return writer;
}

AsyncWriter::AsyncWriter(WriteFunction write, void* context, Block* blocks)
    : write_(write), context_(context), blocks_(blocks) {}

AsyncWriter::~AsyncWriter() {
  if (!started_)
    return;
  Drain();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  queued_.notify_one();
  pthread_join(thread_, nullptr);
}

void* AsyncWriter::Run(void* writer) {
  static_cast<AsyncWriter*>(writer)->Loop();
  return nullptr;
}

void AsyncWriter::Loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return written_ < submitted_ || ending_; });
    if (written_ == submitted_)
      return;
    Block& block = blocks_[written_ % kBlocks];
    const bool failed = error_ != 0;
    lock.unlock();
    int error = 0;
    // After a failure the blocks are only given back.
    const char* data = block.bytes;
    for (size_t i = 0; i < block.pieces && !failed && error == 0; ++i) {
      error = write_(data, block.sizes[i], context_);
      data += block.sizes[i];
    }
    block.used = 0;
    block.pieces = 0;
    lock.lock();
    if (error != 0) {
      error_ = error;
      failed_.store(true, std::memory_order_relaxed);
    }
    ++written_;
    freed_.notify_one();
  }
}

void AsyncWriter::Submit() {
  std::unique_lock<std::mutex> lock(mutex_);
  ++submitted_;
  queued_.notify_one();
  freed_.wait(lock, [this] { return submitted_ - written_ < kBlocks; });
}

int AsyncWriter::Write(const char* data, size_t size) {
  if (failed_.load(std::memory_order_relaxed))
    return Drain();
  if (size > kBlockBytes) {
    int error = Drain();
    if (error == 0 && (error = write_(data, size, context_)) != 0) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = error;
      failed_.store(true, std::memory_order_relaxed);
    }
    return error;
  }
  Block* block = &blocks_[submitted_ % kBlocks];
  if (block->used + size > kBlockBytes || block->pieces == kBlockPieces) {
    Submit();
    block = &blocks_[submitted_ % kBlocks];
  }
  std::memcpy(block->bytes + block->used, data, size);
  block->used += size;
  block->sizes[block->pieces++] = static_cast<unsigned>(size);
  return 0;
}

int AsyncWriter::Drain() {
  if (blocks_[submitted_ % kBlocks].pieces > 0)
    Submit();
  std::unique_lock<std::mutex> lock(mutex_);
  freed_.wait(lock, [this] { return written_ == submitted_; });
  return error_;
}
