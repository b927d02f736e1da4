// The rules that split and compare file names. Every text is a run of bytes
// of the system code page; nothing here converts an encoding.
#ifndef TRAMLUNE_MATCHING_FILE_NAMES_H_
#define TRAMLUNE_MATCHING_FILE_NAMES_H_

#include <array>
#include <cstddef>
#include <string_view>

/// Marks the bytes that lead a double-byte character of the system code
/// page. Every entry is false on a single-byte code page.
using LeadByteTable = std::array<bool, 256>;

/// The table of a single-byte code page: no lead bytes.
const LeadByteTable& NoLeadBytes();

/// Folds "a".."z" to "A".."Z"; every other byte stays as it is.
inline unsigned char FoldByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
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
