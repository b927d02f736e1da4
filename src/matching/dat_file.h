// The games of a DAT, the Logiqx XML file of a set's parent/clone data: a
// root element (<datafile>) with <game> or <machine> entries, each with its
// name, its parent by name (cloneof) or by number (id, cloneofid), and its
// <rom name="..."> files. The XML parser is a library's (RapidXml).
#ifndef TRAMLUNE_MATCHING_DAT_FILE_H_
#define TRAMLUNE_MATCHING_DAT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_both.h"
#include "matching/name_index.h"

/// One game or machine of a DAT. Its texts are the attributes' values with
/// the entities decoded; an attribute the entry lacks is empty.
struct DatGame {
  std::string_view name;
  std::string_view parent;     // cloneof: the parent's name
  std::string_view id;         // id
  std::string_view parent_id;  // cloneofid: the parent's id
  /// Its rom names: DatFile::roms[first_rom, first_rom + rom_count).
  uint32_t first_rom = 0;
  uint32_t rom_count = 0;
  /// Its family (FindDatFamilies); -1 until they are found.
  int32_t family = -1;
};

/// The rom names of a DAT indexed for the grouping (IndexDatRoms), with
/// the game of each rom and the games' names.
struct DatRoms {
  NameIndex index;  // rom names to their places in DatFile::roms
  // The rom names the index holds and the games' names, copied together in
  // the DAT's order, so that those that the grouping reads lie close.
  std::unique_ptr<char[]> names;
  std::vector<std::string_view> game_names;
  std::vector<int32_t> game_of_rom;
  bool fold = false;  // whether the index folds ASCII letters
};

/// A DAT as read: its games in the file's order. The texts look into the
/// DAT's text, which the parser decoded in place, and into the stores of
/// names made anew; the DatFile owns both. It may be moved, never copied.
struct DatFile {
  std::vector<DatGame> games;
  std::vector<std::string_view> roms;
  /// How many families FindDatFamilies found.
  int32_t family_count = 0;
  /// Its roms indexed ahead of the grouping, or none.
  std::unique_ptr<const DatRoms> indexed_roms;
  std::unique_ptr<std::string> text;
  std::vector<std::unique_ptr<char[]>> stores;
};

/// Elements nested deeper than this are refused before the parser, which
/// descends one call per level, sees them. A DAT nests three deep.
inline constexpr int kMaxDatDepth = 64;

/// How much of the root's children ReadDat parses at a time, at least: the
/// parser's nodes of a piece stay in the cache.
inline constexpr size_t kDatPieceBytes = 16 * 1024;

/// Whether this build holds the XML parser, so that ReadDat reads DATs.
bool DatReaderBuilt();

/// Reads the DAT text into *dat, which keeps the text. Returns "" when it
/// is read, or why not: where the XML breaks ("the XML breaks at line 3:
/// expected >"), or that it holds no <game> or <machine> element under its
/// root. Time and memory are linear in the text's size; no call nests per
/// element level beyond kMaxDatDepth. The parser reads the root's children
/// a piece of at least piece_bytes at a time where the scan that bounds the
/// nesting finds them parted by whitespace alone, and the whole text at
/// once otherwise or when piece_bytes is 0: the games and the reasons are
/// the same either way. A text of at least four pieces is scanned in two
/// parts and one of many pieces parsed in two parts, each time the two
/// tasks handed to both.
std::string ReadDat(std::string text, DatFile* dat,
                    size_t piece_bytes = kDatPieceBytes,
                    const RunBoth& both = RunInTurn);

/// The offset in text, which ends at its first zero byte, of the element
/// that opens level max_depth + 1 as the XML parser reads text, or npos
/// when none does or the parser stops at an error before one. Without the
/// parser: npos.
size_t TooDeepAt(const char* text, int max_depth);

#endif  // TRAMLUNE_MATCHING_DAT_FILE_H_
