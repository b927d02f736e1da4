// Standard output through a 128-byte buffer.
#ifndef TRAMLUNE_APP_OUTPUT_BUFFER_H_
#define TRAMLUNE_APP_OUTPUT_BUFFER_H_

#include <cstddef>
#include <string_view>

#include "script/line_sink.h"

class FailureStop;
class Platform;

/// The script's lines go straight into it, piece by piece. A failed write
/// stops the program through the failure stop.
class OutputBuffer : public LineSink {
 public:
  /// Makes stop write out what the buffer holds before its failure text.
  /// platform and stop must outlive the buffer.
  OutputBuffer(Platform& platform, FailureStop& stop);

  /// Writes text and the line end. On a console the buffer is written out
  /// after every line; to a file or pipe, each time it fills.
  void WriteLine(std::string_view text);

  /// WriteLine in pieces: Write appends text to the current line, EndLine
  /// ends it. The bytes and the writes are those of WriteLine of the whole.
  void Write(std::string_view text) override {
    Append(text.data(), text.size());
  }
  void EndLine() override;

  /// Writes out what the buffer holds, and waits until the platform has
  /// written everything (Platform::FinishStdout).
  void Flush();

  /// Writes out what the buffer holds, ignoring a failure: the stop's
  /// first step.
  void FlushQuietly();

  /// Ends the lines written from now on with end (CR LF until then). end
  /// must outlive the buffer.
  void SetLineEnd(std::string_view end) { line_end_ = end; }

 private:
  void Append(const char* data, size_t size);
  void WriteBuffer();

  Platform& platform_;
  FailureStop& stop_;
  bool console_;
  std::string_view line_end_ = "\r\n";
  char buffer_[128];
  size_t used_ = 0;
};

#endif  // TRAMLUNE_APP_OUTPUT_BUFFER_H_
