// The rules that split and compare file names. Every text is a run of bytes
// of the system code page; nothing here converts an encoding.
#ifndef TRAMLUNE_MATCHING_FILE_NAMES_H_
#define TRAMLUNE_MATCHING_FILE_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "codepage/lead_bytes.h"

/// Folds "a".."z" to "A".."Z"; every other byte stays as it is.
inline unsigned char FoldByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
}

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

/// Compares a and b byte by byte after folding, the end of a text counting
/// as a byte of value 0. Negative, 0 or positive, as the first folded
/// difference (unsigned) says.
int FoldedCompare(std::string_view a, std::string_view b);

/// The number of leading bytes that a and b share after folding.
size_t FoldedPrefixLength(std::string_view a, std::string_view b);

/// The 1-based position of the first occurrence of sub in text (a plain,
/// case-sensitive byte search); 0 when there is none or either is empty.
size_t ContainsText(std::string_view text, std::string_view sub);

/// The name without its extension: the text before the last "." when the
/// last of ".", "\" and ":" is a dot; otherwise the whole name.
std::string_view BaseName(std::string_view name,
                          const LeadByteTable& lead = NoLeadBytes());

/// The extension, from that last dot to the end; empty when there is none.
std::string_view ExtensionOf(std::string_view name,
                             const LeadByteTable& lead = NoLeadBytes());

/// The directory part of a path: everything up to and including its last
/// "\", "/" or ":"; empty when there is none. A delimiter byte that trails a
/// lead byte of the code page belongs to its character and does not count.
std::string_view DirectoryPart(std::string_view path,
                               const LeadByteTable& lead = NoLeadBytes());

#endif  // TRAMLUNE_MATCHING_FILE_NAMES_H_
