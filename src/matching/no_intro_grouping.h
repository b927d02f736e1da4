// Groups a sorted file list by No-Intro titles: each title's files on one
// line, headed by the one the region list and the tags prefer.
#ifndef TRAMLUNE_MATCHING_NO_INTRO_GROUPING_H_
#define TRAMLUNE_MATCHING_NO_INTRO_GROUPING_H_

#include <string>
#include <vector>

#include "matching/file_list.h"
#include "matching/group_sink.h"
#include "matching/grouping_options.h"

/// Groups the free entries of list, which is sorted (FileList::Sort), by
/// their titles (NoIntroTitleLength of the base; equal when equal with
/// letters folded) and hands sink one group per title, in the order of the
/// titles (byte by byte, letters folded). A group's parent is its entry that
/// NoIntroPreferred ranks first with regions (a list as ParseRegionList
/// makes it), the earliest in the list among even ones; its clones are the
/// others, in list order; its title is the parent's, a view into the list.
/// A title of one entry gives a group (without clones) only when singles is
/// set. An empty title groups nothing: each of its entries is a group of
/// its own when singles is set, before all others, and none otherwise.
/// Every entry handed to sink is taken; taken entries are left out.
/// Titles are compared through the list's index, without reading names:
/// about n comparisons when the titles come nearly in list order, as they
/// do in the sets that use such names, and O(n log n) at worst.
void GroupNoIntro(FileList& list, const GroupingOptions& options,
                  GroupSink& sink);

#endif  // TRAMLUNE_MATCHING_NO_INTRO_GROUPING_H_
