// Groups a sorted file list by the families of a DAT: each family's files
// on one line, headed by a file of the game the names' preference ranks
// first.
#ifndef TRAMLUNE_MATCHING_DAT_GROUPING_H_
#define TRAMLUNE_MATCHING_DAT_GROUPING_H_

#include <cstdint>

#include "matching/dat_file.h"
#include "matching/file_list.h"
#include "matching/group_sink.h"
#include "matching/grouping_options.h"

/// The files that GroupDat found in the DAT, and the first two it did not.
struct DatMatches {
  int32_t held = 0;
  int32_t not_held = 0;
  /// List indices of the first two files not held, in list order; -1 for
  /// none.
  int32_t not_held_examples[2] = {-1, -1};
};

/// Groups the free entries of list, which is sorted, by the families of
/// options.dat. An entry belongs to a game when its name is one of the
/// game's rom names, else when its base name (BaseName) is the game's name
/// (the game packed or converted whole), comparing names as
/// options.fold_names says; of several games, the DAT's first. A family of
/// two or more entries (one or more with options.singles) is a group: its
/// preferred game's entries, then each other game's, in the DAT's order, so
/// that a game's files stand together; within a game, sheets (".cue",
/// ".gdi") first, then by the DAT's order of its roms (a whole-game file
/// after them), then in list order. The first is the parent. The preferred
/// game is the one whose name's tags NoIntroPreferred ranks first with
/// options.regions, the DAT's first among even ones. The group's title is
/// that game's name up to NoIntroTitleLength (the parent's base's title
/// where that is empty). Groups come in the list order of their parents. An entry that no
/// game holds is a group of its own with options.singles (its base's title)
/// and stays free otherwise. Every entry handed to sink is taken. Linear in
/// the entries and the DAT, with a sort of each family's entries.
DatMatches GroupDat(FileList& list, const GroupingOptions& options,
                    GroupSink& sink);

/// Indexes the rom names of dat for GroupDat, which uses the index when it
/// folds names as its options do (fold: ASCII letters folded), so that it
/// may be made beside other work. Leaves the rest of dat as it is.
void IndexDatRoms(DatFile* dat, bool fold);

#endif  // TRAMLUNE_MATCHING_DAT_GROUPING_H_
