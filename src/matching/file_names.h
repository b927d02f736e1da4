// The rules that split and compare file names. Every text is a run of bytes
// of the system code page; nothing here converts an encoding.
#ifndef TRAMLUNE_MATCHING_FILE_NAMES_H_
#define TRAMLUNE_MATCHING_FILE_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/ascii_fold.h"
#include "base/lead_bytes.h"

/// Eight bytes from p, in the machine's byte order.
inline uint64_t LoadWord(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  return word;
}

/// FoldByte applied to each of the eight bytes of word.
inline uint64_t FoldWord(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = kOnes * 0x80;
  // With the high bit of each byte cleared, adding 0x80 - c sets the high
  // bit exactly where the byte is at least c, and carries into no neighbour.
  uint64_t low = word & ~kHigh;
  uint64_t at_least_a = low + kOnes * (0x80 - 'a');
  uint64_t above_z = low + kOnes * (0x80 - 'z' - 1);
  uint64_t lower = at_least_a & ~above_z & ~word & kHigh;
  return word - (lower >> 2);  // 0x80 >> 2 is the 0x20 between the cases
}

/// The number of leading bytes that a and b share after folding.
size_t FoldedPrefixLength(std::string_view a, std::string_view b);

/// Whether sub occurs in text (a plain, case-sensitive byte search); never
/// when either is empty.
bool HoldsText(std::string_view text, std::string_view sub);

/// The name without its extension: the text before the last "." when the
/// last of ".", "\" and ":" is a dot; otherwise the whole name.
std::string_view BaseName(std::string_view name,
                          const LeadByteTable& lead = NoLeadBytes());

/// The tag that marks a verified dump; names that hold it head their groups
/// first.
inline constexpr std::string_view kVerifiedTag = "[!]";

/// The length of a base name's title, the shortest prefix of it that the
/// grouping tries: up to and including the first of the spaces that stand
/// directly before its first "[" (the "[" itself when none does); the whole
/// base when it has no "[".
size_t TitleLength(std::string_view base);

/// The title as a person reads it, which names a group's archive: base up
/// to the first "[" after its first byte, without the blanks before that
/// "[" ("Game (U)" of "Game (U) [!]" and of "Game (U)[!]", "[BIOS] Game"
/// of "[BIOS] Game [!]"). Empty only where base is empty or blanks up to
/// that "[".
std::string_view ShownTitle(std::string_view base);

#endif  // TRAMLUNE_MATCHING_FILE_NAMES_H_
