#include "matching/file_names.h"

#include <cstring>

namespace {

// The position of the last byte of text that is one of delimiters, or npos.
// The walk runs forwards so that a double-byte character is seen whole.
size_t LastDelimiter(std::string_view text, std::string_view delimiters,
                     const LeadByteTable& lead) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (lead[c] && i + 1 < text.size()) {
      ++i;  // the trail byte is part of this character
      continue;
    }
    if (delimiters.find(static_cast<char>(c)) != std::string_view::npos)
      last = i;
  }
  return last;
}

// Where the base name ends: at the last dot, or at the end of the name.
size_t BaseLength(std::string_view name, const LeadByteTable& lead) {
  size_t pos = LastDelimiter(name, ".\\:", lead);
  if (pos != std::string_view::npos && name[pos] == '.')
    return pos;
  return name.size();
}

}  // namespace

const LeadByteTable& NoLeadBytes() {
  static const LeadByteTable table{};
  return table;
}

int FoldedCompare(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = FoldByte(static_cast<unsigned char>(a[i]));
    int cb = FoldByte(static_cast<unsigned char>(b[i]));
    if (ca != cb)
      return ca - cb;
  }
  if (a.size() == b.size())
    return 0;
  // The shorter text's end counts as a byte of value 0.
  return a.size() < b.size()
             ? -FoldByte(static_cast<unsigned char>(b[n]))
             : FoldByte(static_cast<unsigned char>(a[n]));
}

size_t FoldedPrefixLength(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  size_t i = 0;
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
  size_t pos = LastDelimiter(path, "\\/:", lead);
  return pos == std::string_view::npos ? std::string_view()
                                       : path.substr(0, pos + 1);
}
