// The one way the program stops on a failure: what the output buffer holds
// is written out, then a failure text, and the process ends with kFailure.
#ifndef TRAMLUNE_APP_FAILURE_STOP_H_
#define TRAMLUNE_APP_FAILURE_STOP_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

class OutputBuffer;
class Platform;

/// The failure text: "Exception KIND in module MODULE at ADDRESS.\nMESSAGE",
/// with a final "." unless the message ends with one. ADDRESS is eight
/// upper-case hexadecimal digits. Writes at most size - 1 bytes and a NUL;
/// returns the length. Allocates nothing.
size_t FormatFailureText(char* out, size_t size, const char* kind,
                         const char* module, uint32_t address,
                         const char* message);

/// Writes the message of a failed write with error, as Windows numbers
/// errors, to out, NUL-terminated and cut to size. Allocates nothing.
void FormatIoErrorMessage(uint32_t error, char* out, size_t size);

class FailureStop {
 public:
  /// platform must outlive the stop.
  explicit FailureStop(Platform& platform);

  /// The buffer whose bytes the stop writes out before its text.
  void WriteOutFirst(OutputBuffer* buffer) { buffer_ = buffer; }

  /// Ends the failure text with end (CR LF until then); end must outlive
  /// the stop.
  void SetLineEnd(std::string_view end) { line_end_ = end; }

  /// Sends the failure text to standard error instead of standard output,
  /// so that standard output holds nothing but what was written before.
  void SendToStderr() { to_stderr_ = true; }

  /// A failed write of standard output ends with the plain line on
  /// standard error alone, not with the failure text too.
  void PlainWriteFailures() { plain_write_failures_ = true; }

  /// Stops the program: writes out the buffer, then the failure text and
  /// the line end, and ends the process with kFailure. Allocates nothing,
  /// so it serves exhausted memory too.
  [[noreturn]] void Stop(const char* kind, const char* message,
                         uint32_t address);

  /// Stops after a write that failed with error: a plain line that says
  /// why on standard error (none for a pipe whose reader went away), and
  /// the failure text unless PlainWriteFailures.
  [[noreturn]] void StopOnWriteError(uint32_t error);

 private:
  Platform& platform_;
  OutputBuffer* buffer_ = nullptr;
  std::string_view line_end_ = "\r\n";
  bool to_stderr_ = false;
  bool plain_write_failures_ = false;
  char module_[260];
};

/// Makes exhausted memory stop the program through stop (none: back to
/// throwing std::bad_alloc).
void StopOnOutOfMemory(FailureStop* stop);

#endif  // TRAMLUNE_APP_FAILURE_STOP_H_
