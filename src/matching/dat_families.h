// The families of a DAT's games: each game with its parent, its parent's
// parent, and so on, and with the other clones of each.
#ifndef TRAMLUNE_MATCHING_DAT_FAMILIES_H_
#define TRAMLUNE_MATCHING_DAT_FAMILIES_H_

#include "matching/dat_file.h"

/// Sets the family of every game of dat, numbered from 0 in the order of
/// each family's first game, and dat->family_count. A game's parent is the
/// game its cloneof names (the first of that name), else the game its
/// cloneofid numbers (the first of that id); names and ids compare byte by
/// byte. Games joined by parent links, in either direction, are one family:
/// a family is the root of a chain with all that lead to it, or a loop with
/// all that lead into it. The clones of a parent that the DAT does not hold
/// (named or numbered alike) are one family. Linear in the games, without
/// recursion.
void FindDatFamilies(DatFile* dat);

#endif  // TRAMLUNE_MATCHING_DAT_FAMILIES_H_
