// The grouping of dumped-game names: each parent with the free names that
// begin with its title, names that hold the verified tag heading first.
#ifndef TRAMLUNE_MATCHING_CLONE_GROUPING_H_
#define TRAMLUNE_MATCHING_CLONE_GROUPING_H_

#include "matching/file_list.h"
#include "matching/group_sink.h"
#include "matching/grouping_options.h"

/// Groups a sorted list in two passes over it, in list order: the first lets
/// only names that hold kVerifiedTag head a group, the second every name.
/// An entry heads a group when free entries share at least its title with
/// it; they are its clones, ordered by the level at which they are taken
/// (the longer prefix of the parent's base first), within a level in list
/// order. Parent and clones are taken; a taken entry is never a clone again,
/// but may still head a group of entries that are free. Each group goes to
/// sink with the parent's shown title, or its whole name where that is
/// empty: a view into the list's names, valid as long as the list.
///
/// With options.singles, every entry stands in exactly one group: a taken entry
/// never heads one, and a free entry that finds no clone when its turn
/// comes in the second pass is handed over as a group of one (no clones)
/// and taken, so a later name can no longer take it as its clone.
void GroupClones(FileList& list, const GroupingOptions& options,
                 GroupSink& sink);

/// Whether the nearest free entry on either side of the one at index
/// shares its title with it: whether it would head a group of clones now.
/// Once false, it stays false, for entries are taken and never freed.
bool FindsClone(FileList& list, int32_t index);

#endif  // TRAMLUNE_MATCHING_CLONE_GROUPING_H_
