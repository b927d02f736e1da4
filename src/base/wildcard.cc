#include "base/wildcard.h"

#include "base/ascii_fold.h"

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  while (!pattern.empty() && pattern.back() == '.')
    pattern.remove_suffix(1);
  if (pattern.empty())
    return false;
  if (pattern == "*" || pattern == "*.*")
    return true;
  // Greedy match that, on a mismatch, lets the last "*" swallow one more
  // byte: O(pattern x name) at worst, without recursion.
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' ||
                FoldByte(static_cast<unsigned char>(pattern[p])) ==
                    FoldByte(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}
