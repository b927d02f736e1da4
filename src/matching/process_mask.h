// Lists the files of a mask, groups each parent with its clones and
// composes one command line per group.
#ifndef TRAMLUNE_MATCHING_PROCESS_MASK_H_
#define TRAMLUNE_MATCHING_PROCESS_MASK_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "matching/file_list.h"

class Platform;

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

using LineWriter = std::function<void(std::string_view line)>;

/// Lists the files that match mask, sorts them and writes to sink first the
/// lines of the groups headed by "[!]" names, then the remaining groups,
/// each in list order.
void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform, LineSink& sink);

/// The same, each line handed whole to write_line.
void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform,
                 const LineWriter& write_line);

/// Writes to sink the command line of the group headed by the entry at
/// index, as BuildGroupLine composes it, and ends it; returns whether there
/// was one. Nothing is written when there is none.
bool WriteGroupLine(std::string_view dir, std::string_view prefix,
                    std::string_view suffix, std::string_view filter,
                    int32_t index, FileList& list, LineSink& sink);

/// The command line of the group headed by the entry at index, or empty
/// text when the index is outside the list, the name lacks filter (when one
/// is given), or no free entry shares its title. Marks the parent and every
/// clone that it takes.
std::string BuildGroupLine(std::string_view dir, std::string_view prefix,
                           std::string_view suffix, std::string_view filter,
                           int32_t index, FileList& list);

/// From start, the farthest index in the direction of step (-1 or +1) such
/// that every entry from start + step to it begins with prefix (folded);
/// start itself when its neighbour does not. -1 when start is outside the
/// list or prefix is empty.
int32_t ExtendRun(FileList& list, std::string_view prefix, int32_t start,
                  int step);

/// Appends dir and name between double quotes, each "%" written as "%%" so
/// that cmd passes it on unexpanded.
void AppendQuotedPath(std::string& line, std::string_view dir,
                      std::string_view name);

#endif  // TRAMLUNE_MATCHING_PROCESS_MASK_H_
