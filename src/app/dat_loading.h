// The DAT of --dat, read from disk and made ready for the grouping.
#ifndef TRAMLUNE_APP_DAT_LOADING_H_
#define TRAMLUNE_APP_DAT_LOADING_H_

#include <string>
#include <string_view>

#include "matching/dat_file.h"

class Platform;

/// Reads the DAT at path through platform (ReadDat), finds its families
/// (FindDatFamilies) and gives its game and rom names in the bytes that the
/// directory search gives (Platform::NameFromUtf8); a name the system
/// cannot hold becomes empty, which matches no file. Then indexes its roms
/// for the grouping (IndexDatRoms, names folded as the system folds them),
/// beside the families where no name changes. Returns "", or the line for
/// standard error that says why the DAT cannot be read.
std::string LoadDat(std::string_view path, Platform& platform, DatFile* dat);

#endif  // TRAMLUNE_APP_DAT_LOADING_H_
