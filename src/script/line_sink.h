// Where the command lines go as they are composed.
#ifndef TRAMLUNE_SCRIPT_LINE_SINK_H_
#define TRAMLUNE_SCRIPT_LINE_SINK_H_

#include <string_view>

/// Receives lines piece by piece, so that a line of a million names is
/// passed on as it is composed, never held whole.
class LineSink {
 public:
  virtual ~LineSink() = default;
  /// Appends text to the current line.
  virtual void Write(std::string_view text) = 0;
  /// Ends the current line.
  virtual void EndLine() = 0;
};

#endif  // TRAMLUNE_SCRIPT_LINE_SINK_H_
