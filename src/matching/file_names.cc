#include "matching/file_names.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// The delimiters that end a base name, and those that end a directory part.
enum class Delimiters { kName, kPath };

bool IsDelimiter(unsigned char c, Delimiters set) {
  if (c == '\\' || c == ':')
    return true;
  return c == (set == Delimiters::kName ? '.' : '/');
}

// The position of the last byte of text that is one of the delimiters of
// set, or npos. The walk runs forwards so that a double-byte character is
// seen whole.
size_t LastDelimiter(std::string_view text, Delimiters set,
                     const LeadByteTable& lead) {
  if (&lead == &NoLeadBytes()) {
    // Every byte is a character: the last delimiter is found from the end.
    for (size_t i = text.size(); i > 0; --i)
      if (IsDelimiter(static_cast<unsigned char>(text[i - 1]), set))
        return i - 1;
    return std::string_view::npos;
  }
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (lead[c] && i + 1 < text.size()) {
      ++i;  // the trail byte is part of this character
      continue;
    }
    if (IsDelimiter(c, set))
      last = i;
  }
  return last;
}

// Where the base name ends: at the last dot, or at the end of the name.
size_t BaseLength(std::string_view name, const LeadByteTable& lead) {
  size_t pos = LastDelimiter(name, Delimiters::kName, lead);
  if (pos != std::string_view::npos && name[pos] == '.')
    return pos;
  return name.size();
}

}  // namespace

int FoldedCompare(std::string_view a, std::string_view b) {
  size_t i = FoldedPrefixLength(a, b);
  // The end of a text counts as a byte of value 0.
  int ca = i < a.size() ? FoldByte(static_cast<unsigned char>(a[i])) : 0;
  int cb = i < b.size() ? FoldByte(static_cast<unsigned char>(b[i])) : 0;
  return ca - cb;
}

size_t FoldedPrefixLength(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time; the lowest differing byte is the first.
    for (; i + 8 <= n; i += 8) {
      uint64_t diff = FoldWord(LoadWord(a.data() + i)) ^
                      FoldWord(LoadWord(b.data() + i));
      if (diff != 0)
        return i + std::countr_zero(diff) / 8;
    }
  }
  while (i < n && FoldByte(static_cast<unsigned char>(a[i])) ==
                      FoldByte(static_cast<unsigned char>(b[i])))
    ++i;
  return i;
}

size_t ContainsText(std::string_view text, std::string_view sub) {
  if (text.empty() || sub.empty() || sub.size() > text.size())
    return 0;
  size_t pos = text.find(sub);
  return pos == std::string_view::npos ? 0 : pos + 1;
}

std::string_view BaseName(std::string_view name, const LeadByteTable& lead) {
  return name.substr(0, BaseLength(name, lead));
}

std::string_view ExtensionOf(std::string_view name,
                             const LeadByteTable& lead) {
  return name.substr(BaseLength(name, lead));
}

std::string_view DirectoryPart(std::string_view path,
                               const LeadByteTable& lead) {
  size_t pos = LastDelimiter(path, Delimiters::kPath, lead);
  return pos == std::string_view::npos ? std::string_view()
                                       : path.substr(0, pos + 1);
}
