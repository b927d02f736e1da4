#include "matching/no_intro_regions.h"

#include "base/ascii_fold.h"

bool IsNoIntroRegion(std::string_view word) {
  for (std::string_view region : kNoIntroRegions) {
    if (region.size() != word.size())
      continue;
    size_t i = 0;
    while (i < word.size() &&
           FoldByte(static_cast<unsigned char>(word[i])) ==
               FoldByte(static_cast<unsigned char>(region[i])))
      ++i;
    if (i == word.size())
      return true;
  }
  return false;
}
