// Groups a sorted file list by No-Intro games: each game's files on one
// line, headed by the one the region list and the tags prefer.
#ifndef TRAMLUNE_MATCHING_NO_INTRO_GROUPING_H_
#define TRAMLUNE_MATCHING_NO_INTRO_GROUPING_H_

#include <string>
#include <vector>

#include "matching/file_list.h"
#include "matching/group_sink.h"
#include "matching/grouping_options.h"

/// Groups the free entries of list, which is sorted (FileList::Sort), by
/// game: entries are of one game when their titles (NoIntroTitleLength of
/// the base) are equal and so are their identity tags
/// (NextNoIntroIdentityTag), letters folded. Hands sink one group per game,
/// in the order of the titles (byte by byte, letters folded, the shorter
/// first), then of the identity tags (CompareNoIntroIdentities). A group's
/// parent is its entry that NoIntroPreferred ranks first with
/// options.regions, the earliest in the list among even ones; its clones
/// are the others, in list order; its title is the name of the parent's
/// game (NoIntroGameName): a view into the list, or into storage of the
/// grouping's own for a game with identity tags. A game of one entry gives
/// a group (without clones) only when options.singles is set. An empty
/// title groups nothing: each of its entries is a group of its own, under
/// an empty title, when singles is set, before all others, and none
/// otherwise. Every entry handed to sink is taken; taken entries are left
/// out. Titles are compared through the list's index, without reading
/// names: about n comparisons when the titles come nearly in list order, as
/// they do in the sets that use such names, and O(n log n) at worst; the
/// tags are read only for titles of several entries (all, with singles).
void GroupNoIntro(FileList& list, const GroupingOptions& options,
                  GroupSink& sink);

#endif  // TRAMLUNE_MATCHING_NO_INTRO_GROUPING_H_
