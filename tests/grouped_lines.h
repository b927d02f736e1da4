// The program's grouping and command lines over a list, collected as whole
// lines.
#ifndef TRAMLUNE_TESTS_GROUPED_LINES_H_
#define TRAMLUNE_TESTS_GROUPED_LINES_H_

#include <string>
#include <string_view>
#include <vector>

#include "matching/clone_grouping.h"
#include "matching/file_list.h"
#include "script/command_lines.h"
#include "script/line_sink.h"

/// Collects each line whole when it ends; counts the pieces.
class CollectedLines : public LineSink {
 public:
  void Write(std::string_view text) override {
    current.append(text);
    ++pieces;
    if (text.size() > longest_piece)
      longest_piece = text.size();
  }
  void EndLine() override {
    lines.push_back(std::move(current));
    current.clear();
  }
  std::vector<std::string> lines;
  std::string current;
  size_t pieces = 0;
  size_t longest_piece = 0;
};

/// The lines that GroupClones and CommandLines write for a sorted list;
/// prefix and suffix as the user gives them.
inline std::vector<std::string> GroupedLines(
    FileList& list, std::string_view dir, std::string_view prefix,
    std::string_view suffix, ScriptKind kind = ScriptKind::kBatch) {
  CollectedLines sink;
  CommandLines lines(list, kind, dir, prefix, suffix, sink);
  GroupClones(list, {}, lines);
  return sink.lines;
}

#endif  // TRAMLUNE_TESTS_GROUPED_LINES_H_
