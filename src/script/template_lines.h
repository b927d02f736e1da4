// The command line of a group under --template: the prefix and the suffix
// with their placeholders filled in.
#ifndef TRAMLUNE_SCRIPT_TEMPLATE_LINES_H_
#define TRAMLUNE_SCRIPT_TEMPLATE_LINES_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "matching/file_list.h"
#include "matching/group_sink.h"
#include "matching/listed_names.h"
#include "script/command_lines.h"
#include "script/command_template.h"
#include "script/line_sink.h"
#include "script/script_kind.h"

/// Hears of the groups whose lines are left out.
class LeftOutGroups {
 public:
  virtual ~LeftOutGroups() = default;
  /// The group headed by dir + parent has no line: its filled-in word
  /// argument names a file of the listing (listed), or is one that a batch
  /// script cannot hold (not listed).
  virtual void LeftOut(std::string_view dir, std::string_view parent,
                       std::string_view argument, bool listed) = 0;
};

/// Writes each group it is handed to sink as one line of line's templates.
/// Without a file placeholder the files stand between prefix and suffix
/// as CommandLines puts them; with one, the line is the prefix, a blank
/// when both are given, and the suffix. Text parts are written as typed;
/// {}, {parent} and {clones} as whole words are quoted paths, the files
/// one blank apart ({clones} of no clones writes nothing); a filled-in word
/// is one argument (AppendQuotedArgument), guarded when the text of the
/// placeholder that opens it begins with "-". A group whose filled-in word
/// names a listed file (dir + a listed name; with fold_case, compared with
/// "a".."z" folded, as Windows compares names) or cannot stand in the
/// script is not written but told to left_out. The line is composed in
/// pieces (ComposedLine).
class TemplateLines : public GroupSink {
 public:
  /// Every argument must outlive the writer; list must be sorted.
  TemplateLines(const FileList& list, ScriptKind kind, std::string_view dir,
                const LineTemplate& line, bool fold_case, LineSink& sink,
                LeftOutGroups& left_out);

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override;

 private:
  // Fills in the words of t, appending to filled_ and guards_ at count_;
  // false, the group told to left_out_, when a word keeps it out.
  bool Fill(const CommandTemplate& t, int32_t parent, std::string_view title);
  // Whether path is dir_ + a listed name; the search starts at parent.
  bool NamesListedFile(std::string_view path, int32_t parent);
  void Compose(const CommandTemplate& t, int32_t parent,
               std::span<const int32_t> clones, size_t& next);

  const FileList& list_;
  ScriptKind kind_;
  std::string_view dir_;
  const LineTemplate& line_;
  bool fold_case_;
  LeftOutGroups& left_out_;
  ListedNames listed_;
  ComposedLine composed_;
  // With fold_case: the directory folded, and the word at hand folded.
  std::string folded_dir_, folded_;
  // The group's filled-in words, in line order, reused from group to group.
  std::vector<std::string> filled_;
  std::vector<bool> guards_;
  size_t count_ = 0;
};

#endif  // TRAMLUNE_SCRIPT_TEMPLATE_LINES_H_
