#include "app/output.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/platform.h"

namespace {

Output* g_out_of_memory_output = nullptr;

// The low 32 bits of a code address, as the failure text shows it.
uint32_t CodeAddress(const void* address) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address));
}

[[noreturn]] void OutOfMemory() {
  g_out_of_memory_output->Stop("EOutOfMemory", "Out of memory",
                               CodeAddress(__builtin_return_address(0)));
}

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
    case 2: known = "File not found"; break;
    case 3: known = "Invalid filename"; break;
    case 4: known = "Too many open files"; break;
    case 5: known = "File access denied"; break;
    case 100: known = "Read beyond end of file"; break;
    case 101: known = "Disk full"; break;
    case 106: known = "Invalid numeric input"; break;
  }
  if (known)
    std::snprintf(out, size, "%s", known);
  else
    std::snprintf(out, size, "I/O error %u", static_cast<unsigned>(error));
}

Output::Output(Platform& platform)
    : platform_(platform), console_(platform.StdoutIsConsole()) {
  std::string module = platform.ProgramFileName();
  std::snprintf(module_, sizeof(module_), "%s", module.c_str());
}

void Output::WriteLine(std::string_view text) {
  Write(text);
  EndLine();
}

void Output::EndLine() {
  Append(line_end_.data(), line_end_.size());
  if (console_)
    Flush();
}

void Output::Flush() {
  if (used_ > 0)
    WriteBuffer();
}

void Output::Append(const char* data, size_t size) {
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

void Output::WriteBuffer() {
  uint32_t error = platform_.WriteStdout(buffer_, used_);
  used_ = 0;
  if (error != 0)
    StopOnWriteError(error);
}

void Output::StopOnWriteError(uint32_t error) {
  // Built without the heap, like the rest of the stop.
  char message[64];
  FormatIoErrorMessage(error, message, sizeof(message));
  Stop("EInOutError", message, CodeAddress(__builtin_return_address(0)));
}

void Output::Stop(const char* kind, const char* message, uint32_t address) {
  if (used_ > 0) {
    // What the buffer holds goes out first; if that write fails too, the
    // failure text is still tried.
    platform_.WriteStdout(buffer_, used_);
    used_ = 0;
  }
  char text[512];
  size_t size = FormatFailureText(text, sizeof(text) - line_end_.size(), kind,
                                  module_, address, message);
  std::memcpy(text + size, line_end_.data(), line_end_.size());
  size += line_end_.size();
  if (failures_to_stderr_)
    platform_.WriteStderr(std::string_view(text, size));
  else
    platform_.WriteStdout(text, size);
  platform_.EndProcess(1);
  __builtin_unreachable();
}

void StopOnOutOfMemory(Output* output) {
  g_out_of_memory_output = output;
  std::set_new_handler(output ? OutOfMemory : nullptr);
}
