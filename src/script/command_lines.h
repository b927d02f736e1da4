// The command line of a group: the command prefix, the quoted parent, the
// quoted clones, the command suffix.
#ifndef TRAMLUNE_SCRIPT_COMMAND_LINES_H_
#define TRAMLUNE_SCRIPT_COMMAND_LINES_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "matching/file_list.h"
#include "matching/group_sink.h"
#include "script/line_sink.h"
#include "script/path_quoting.h"
#include "script/script_kind.h"

/// A line composed in pieces of a few KiB, each handed to a sink with one
/// Write: text and the quoted paths of a list's entries are appended to
/// the piece at hand, so that a line of many files is never held whole.
class ComposedLine {
 public:
  /// list, dir and sink must outlive the line.
  ComposedLine(const FileList& list, ScriptKind kind, std::string_view dir,
               LineSink& sink)
      : list_(list), paths_(kind, dir), sink_(sink) {}

  /// Fetches the names of parent and the first clones ahead of their turn.
  void Prefetch(int32_t parent, std::span<const int32_t> clones) const;

  /// The piece at hand, which text may be appended to.
  std::string& Text() { return text_; }

  /// Appends the quoted path (QuotedPaths) of the entry at index.
  void AppendPath(int32_t index) { paths_.Append(text_, list_.Name(index)); }

  /// Appends the quoted paths of clones, a blank before each but the
  /// first, and before the first too when blank_first.
  void AppendClones(std::span<const int32_t> clones, bool blank_first);

  /// Hands the rest of the line to the sink and ends it.
  void End();

 private:
  const FileList& list_;
  QuotedPaths paths_;
  LineSink& sink_;
  std::string text_;  // the part of the line not passed on yet
};

/// Writes each group it is handed to sink as one line:
///   prefix, " ", " ", the parent, " ", then " " and a clone for each
///   clone, " ", " ", suffix
/// where the blank after the prefix and the one before the suffix stand
/// only when the prefix (suffix) is given, that is, not empty. Each path is
/// dir followed by the entry's name, quoted for a script of kind. So a line
/// with both has two blanks after the prefix, two between the parent and
/// the first clone, and two before the suffix. The line is composed in
/// pieces (ComposedLine).
class CommandLines : public GroupSink {
 public:
  /// list, dir, prefix, suffix and sink must outlive the writer.
  CommandLines(const FileList& list, ScriptKind kind, std::string_view dir,
               std::string_view prefix, std::string_view suffix,
               LineSink& sink)
      : line_(list, kind, dir, sink), prefix_(prefix), suffix_(suffix) {}

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override;

 private:
  ComposedLine line_;
  std::string_view prefix_, suffix_;
};

#endif  // TRAMLUNE_SCRIPT_COMMAND_LINES_H_
