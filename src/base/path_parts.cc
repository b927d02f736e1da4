#include "base/path_parts.h"

namespace {

bool IsDelimiter(unsigned char c, Delimiters set) {
  if (c == '\\' || c == ':')
    return true;
  return c == (set == Delimiters::kName ? '.' : '/');
}

}  // namespace

size_t LastDelimiter(std::string_view text, Delimiters set,
                     const LeadByteTable& lead) {
  if (&lead == &NoLeadBytes()) {
    // Every byte is a character: the last delimiter is found from the end.
    for (size_t i = text.size(); i > 0; --i)
      if (IsDelimiter(static_cast<unsigned char>(text[i - 1]), set))
        return i - 1;
    return std::string_view::npos;
  }
  // The walk runs forwards so that a double-byte character is seen whole.
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
