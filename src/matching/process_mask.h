// Lists the files of a mask, groups each parent with its clones and
// composes one command line per group.
#ifndef TRAMLUNE_MATCHING_PROCESS_MASK_H_
#define TRAMLUNE_MATCHING_PROCESS_MASK_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "matching/file_list.h"
#include "matching/line_sink.h"
#include "matching/script_paths.h"

class Platform;

using LineWriter = std::function<void(std::string_view line)>;

/// Lists the files that match mask, sorts them and writes to sink first the
/// lines of the groups headed by "[!]" names, then the remaining groups,
/// each in list order, the paths quoted for a script of kind. A file whose
/// name the script cannot hold is left out, and a mask whose directory part
/// it cannot hold lists nothing; each is reported on standard error.
void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform, LineSink& sink,
                 ScriptKind kind = ScriptKind::kBatch);

/// The same, each line handed whole to write_line.
void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform,
                 const LineWriter& write_line,
                 ScriptKind kind = ScriptKind::kBatch);

/// Writes to sink the command line of the group headed by the entry at
/// index, as BuildGroupLine composes it (with the paths quoted for a script
/// of kind), and ends it; returns whether there was one. Nothing is written
/// when there is none.
bool WriteGroupLine(std::string_view dir, std::string_view prefix,
                    std::string_view suffix, std::string_view filter,
                    int32_t index, FileList& list, LineSink& sink,
                    ScriptKind kind = ScriptKind::kBatch);

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

#endif  // TRAMLUNE_MATCHING_PROCESS_MASK_H_
