#include "app/output_buffer.h"

#include <cstring>

#include "app/failure_stop.h"
#include "platform/platform.h"

OutputBuffer::OutputBuffer(Platform& platform, FailureStop& stop)
    : platform_(platform), stop_(stop),
      console_(platform.StdoutIsConsole()) {
  stop.WriteOutFirst(this);
}

void OutputBuffer::WriteLine(std::string_view text) {
  Write(text);
  EndLine();
}

void OutputBuffer::EndLine() {
  Append(line_end_.data(), line_end_.size());
  if (console_)
    Flush();
}

void OutputBuffer::Flush() {
  if (used_ > 0)
    WriteBuffer();
  if (uint32_t error = platform_.FinishStdout(); error != 0)
    stop_.StopOnWriteError(error);
}

void OutputBuffer::FlushQuietly() {
  if (used_ > 0)
    platform_.WriteStdout(buffer_, used_);
  used_ = 0;
}

void OutputBuffer::Append(const char* data, size_t size) {
  while (size > 0) {
    size_t n = sizeof(buffer_) - used_;
    if (n > size)
      n = size;
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
    if (used_ == sizeof(buffer_))
      WriteBuffer();
  }
}

void OutputBuffer::WriteBuffer() {
  uint32_t error = platform_.WriteStdout(buffer_, used_);
  used_ = 0;
  if (error != 0)
    stop_.StopOnWriteError(error);
}
