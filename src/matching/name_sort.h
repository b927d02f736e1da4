// The order of a file list: a string sort of its entries by their names'
// folded sort keys, the names read from the list's store.
#ifndef TRAMLUNE_MATCHING_NAME_SORT_H_
#define TRAMLUNE_MATCHING_NAME_SORT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/run_both.h"
#include "matching/file_list.h"

/// Orders entries[0..count) in place by their names in store: by base
/// name, then by extension, both with ASCII letters folded; equal entries
/// may end up in either order. Returns the shared prefixes of the new
/// order: at k in 1..count-1, the length of the prefix that the names of
/// entries k - 1 and k share after folding (FoldedPrefixLength); at 0, 0.
/// Takes scratch memory besides: ten bytes per entry while sorting (the
/// cached key chunks and the records of the neighbours), and a copy buffer
/// of 20 bytes per entry up to 32768 entries (640 KiB at most). Reads each
/// key byte about once; the shared prefixes come from the sort's own
/// comparisons.
/// Long lists are sorted by two tasks that both runs.
std::vector<uint32_t> SortEntries(FileEntry* entries, size_t count,
                                  const NameStore& store,
                                  const RunBoth& both);

/// The same, the shared prefixes written to shared[0..count).
void SortEntries(FileEntry* entries, size_t count, const NameStore& store,
                 const RunBoth& both, uint32_t* shared);

/// Eight bytes of the sort key of name, whose base name is base_size bytes
/// long, from byte 8 * depth: the first in the highest place, 0 past the
/// key's end. The key is the folded base name, a 0 byte, then the folded
/// extension; keys order as their chunks do, depth by depth, until two
/// differ or both are 0.
uint64_t SortKeyChunk(std::string_view name, size_t base_size, size_t depth);

#endif  // TRAMLUNE_MATCHING_NAME_SORT_H_
