// Standard output through a 128-byte buffer, and the one way the program
// stops on a failure.
#ifndef TRAMLUNE_APP_OUTPUT_H_
#define TRAMLUNE_APP_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "matching/line_sink.h"

class Platform;

/// The failure text: "Exception KIND in module MODULE at ADDRESS.\nMESSAGE",
/// with a final "." unless the message ends with one. ADDRESS is eight
/// upper-case hexadecimal digits. Writes at most size - 1 bytes and a NUL;
/// returns the length. Allocates nothing.
size_t FormatFailureText(char* out, size_t size, const char* kind,
                         const char* module, uint32_t address,
                         const char* message);

/// Writes the message of a failed write with the system's error number to
/// out, NUL-terminated and cut to size. Allocates nothing.
void FormatIoErrorMessage(uint32_t error, char* out, size_t size);

/// The command lines of ProcessMask go straight into it, piece by piece.
class Output : public LineSink {
 public:
  explicit Output(Platform& platform);

  /// Writes text and CR LF. On a console the buffer is written out after
  /// every line; to a file or pipe, each time it fills. A failed write stops
  /// the program.
  void WriteLine(std::string_view text);

  /// WriteLine in pieces: Write appends text to the current line, EndLine
  /// ends it. The bytes and the writes are those of WriteLine of the whole.
  void Write(std::string_view text) override {
    Append(text.data(), text.size());
  }
  void EndLine() override;

  /// Writes out what the buffer holds; a failed write stops the program.
  void Flush();

  /// Ends the lines written from now on, and the failure text, with end
  /// (CR LF until then). end must outlive the output.
  void SetLineEnd(std::string_view end) { line_end_ = end; }

  /// Sends the failure text to standard error instead of standard output,
  /// so that standard output holds nothing but what was written before.
  void SendFailuresToStderr() { failures_to_stderr_ = true; }

  /// Stops the program: writes out the buffer, then the failure text and
  /// the line end, and ends the process with status 1. Allocates nothing,
  /// so it serves exhausted memory too.
  [[noreturn]] void Stop(const char* kind, const char* message,
                         uint32_t address);

 private:
  void Append(const char* data, size_t size);
  void WriteBuffer();
  [[noreturn]] void StopOnWriteError(uint32_t error);

  Platform& platform_;
  bool console_;
  std::string_view line_end_ = "\r\n";
  bool failures_to_stderr_ = false;
  char module_[260];
  char buffer_[128];
  size_t used_ = 0;
};

/// Makes exhausted memory stop the program through output.
void StopOnOutOfMemory(Output* output);

#endif  // TRAMLUNE_APP_OUTPUT_H_
