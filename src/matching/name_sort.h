// The order of a file list: a string sort of its entries by their names'
// folded sort keys, the names read from the list's store.
#ifndef TRAMLUNE_MATCHING_NAME_SORT_H_
#define TRAMLUNE_MATCHING_NAME_SORT_H_

#include <cstddef>

#include "matching/file_list.h"

/// Orders entries[0..count) by CompareFileNames of their names in blocks,
/// in place; equal entries may end up in either order. Takes eight bytes
/// per entry of scratch memory besides, and reads each key byte about
/// once.
void SortEntries(FileEntry* entries, size_t count, const NameBlocks& blocks);

#endif  // TRAMLUNE_MATCHING_NAME_SORT_H_
