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

/// Writes each group it is handed to sink as one line:
///   prefix, " ", " ", the parent, " ", then " " and a clone for each
///   clone, " ", " ", suffix
/// where the blank after the prefix and the one before the suffix stand
/// only when the prefix (suffix) is given, that is, not empty. Each path is
/// dir followed by the entry's name, quoted for a script of kind. So a line
/// with both has two blanks after the prefix, two between the parent and
/// the first clone, and two before the suffix. The line is composed in
/// pieces of a few KiB, each handed to sink with one Write.
class CommandLines : public GroupSink {
 public:
  /// list, dir, prefix, suffix and sink must outlive the writer.
  CommandLines(const FileList& list, ScriptKind kind, std::string_view dir,
               std::string_view prefix, std::string_view suffix,
               LineSink& sink)
      : list_(list), paths_(kind, dir), prefix_(prefix), suffix_(suffix),
        sink_(sink) {}

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override;

 private:
  /// Passes the composed part of the line on to the sink once it is long.
  void PassOnIfLong();

  const FileList& list_;
  QuotedPaths paths_;
  std::string_view prefix_, suffix_;
  LineSink& sink_;
  std::string line_;  // the part of the line composed and not passed on

};

#endif  // TRAMLUNE_SCRIPT_COMMAND_LINES_H_
