#include "matching/file_names.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "base/blanks.h"
#include "base/path_parts.h"

namespace {

// Where the base name ends: at the last dot, or at the end of the name.
size_t BaseLength(std::string_view name, const LeadByteTable& lead) {
  size_t pos = LastDelimiter(name, Delimiters::kName, lead);
  if (pos != std::string_view::npos && name[pos] == '.')
    return pos;
  return name.size();
}

}  // namespace

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

bool HoldsText(std::string_view text, std::string_view sub) {
  return !sub.empty() && text.find(sub) != std::string_view::npos;
}

std::string_view BaseName(std::string_view name, const LeadByteTable& lead) {
  return name.substr(0, BaseLength(name, lead));
}

size_t TitleLength(std::string_view base) {
  size_t bracket = base.find('[');
  if (bracket == std::string_view::npos)
    return base.size();
  while (bracket > 0 && base[bracket - 1] == ' ')
    --bracket;
  // The title keeps the first of those spaces, or the "[" itself.
  return bracket + 1;
}

std::string_view ShownTitle(std::string_view base) {
  std::string_view title =
      base.substr(0, base.empty() ? 0 : base.find('[', 1));
  while (!title.empty() && IsBlank(title.back()))
    title.remove_suffix(1);
  return title;
}
