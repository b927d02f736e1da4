#include "app/failure_stop.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "app/exit_status.h"
#include "app/output_buffer.h"
#include "app/reports.h"
#include "platform/platform.h"

namespace {

FailureStop* g_out_of_memory_stop = nullptr;

// The low 32 bits of a code address, as the failure text shows it.
uint32_t CodeAddress(const void* address) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
}

[[noreturn]] void OutOfMemoryStop() {
  g_out_of_memory_stop->Stop("EOutOfMemory", "Out of memory",
                             CodeAddress(__builtin_return_address(0)));
}

// The errors whose failed writes have messages of their own. The first four
// are Windows' error numbers; the platforms report those. 100, 101 and 106
// are no system's error numbers but the I/O codes of the program's own
// runtime (end of file, disk full, bad numeric input); no platform reports
// them, and they stay so that the table of messages is whole.
enum IoError : uint32_t {
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kReadBeyondEnd = 100,
  kDiskFull = 101,
  kInvalidNumericInput = 106,
};

}  // namespace

size_t FormatFailureText(char* out, size_t size, const char* kind,
                         const char* module, uint32_t address,
                         const char* message) {
  size_t length = std::strlen(message);
  const char* period = (length > 0 && message[length - 1] == '.') ? "" : ".";
  int n = std::snprintf(out, size, "Exception %s in module %s at %08X.\n%s%s",
                        kind, module, static_cast<unsigned>(address), message,
                        period);
  if (n < 0)
    return 0;
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

void FormatIoErrorMessage(uint32_t error, char* out, size_t size) {
  const char* known = nullptr;
  switch (error) {
    case kFileNotFound: known = "File not found"; break;
    case kPathNotFound: known = "Invalid filename"; break;
    case kTooManyOpenFiles: known = "Too many open files"; break;
    case kAccessDenied: known = "File access denied"; break;
    case kReadBeyondEnd: known = "Read beyond end of file"; break;
    case kDiskFull: known = "Disk full"; break;
    case kInvalidNumericInput: known = "Invalid numeric input"; break;
  }
  if (known)
    std::snprintf(out, size, "%s", known);
  else
    std::snprintf(out, size, "I/O error %u", static_cast<unsigned>(error));
}

FailureStop::FailureStop(Platform& platform) : platform_(platform) {
  std::string module = platform.ProgramFileName();
  std::snprintf(module_, sizeof(module_), "%s", module.c_str());
}

void FailureStop::StopOnWriteError(uint32_t error) {
  // Built without the heap, like the rest of the stop. The reason is taken
  // at once: the next write may fail for another.
  if (!ReaderWentAway(error)) {
    char line[512];
    size_t size = FormatWriteFailureLine(line, sizeof(line),
                                         platform_.StdoutFailureReason());
    platform_.WriteStderr(std::string_view(line, size));
  }
  if (plain_write_failures_) {
    if (buffer_)
      buffer_->FlushQuietly();
    platform_.EndProcess(kFailure);
  }
  char message[64];
  FormatIoErrorMessage(error, message, sizeof(message));
  Stop("EInOutError", message, CodeAddress(__builtin_return_address(0)));
}

void FailureStop::Stop(const char* kind, const char* message,
                       uint32_t address) {
  // What the buffer holds goes out first; if that write fails too, the
  // failure text is still tried.
  if (buffer_)
    buffer_->FlushQuietly();
  char text[512];
  size_t size = FormatFailureText(text, sizeof(text) - line_end_.size(), kind,
                                  module_, address, message);
  std::memcpy(text + size, line_end_.data(), line_end_.size());
  size += line_end_.size();
  if (to_stderr_)
    platform_.WriteStderr(std::string_view(text, size));
  else
    platform_.WriteStdout(text, size);
  platform_.EndProcess(kFailure);
  __builtin_unreachable();
}

void StopOnOutOfMemory(FailureStop* stop) {
  g_out_of_memory_stop = stop;
  std::set_new_handler(stop ? OutOfMemoryStop : nullptr);
}
