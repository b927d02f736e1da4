#include "matching/listed_names.h"

#include <algorithm>
#include <bit>

#include "base/ascii_fold.h"
#include "matching/file_names.h"

namespace {

// <0, 0 or >0 as a comes before b, ties with it or comes after it byte by
// byte with ASCII letters folded, a text before the longer texts it leads.
int FoldedOrder(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time, the last eight overlapping the ones before;
    // byte-swapped, the first byte weighs most.
    if (n >= 8) {
      for (;; i += 8) {
        if (i + 8 > n)
          i = n - 8;
        uint64_t x = LoadWord(a.data() + i), y = LoadWord(b.data() + i);
        // Bytes that are equal are equal folded too: most are.
        if (x != y && (x = FoldWord(x)) != (y = FoldWord(y)))
          return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
        if (i + 8 == n)
          break;
      }
      i = n;
    }
  }
  for (; i < n; ++i) {
    unsigned char x = FoldByte(static_cast<unsigned char>(a[i]));
    unsigned char y = FoldByte(static_cast<unsigned char>(b[i]));
    if (x != y)
      return x < y ? -1 : 1;
  }
  return (a.size() > n) - (b.size() > n);
}

}  // namespace

void AppendFolded(std::string& out, std::string_view text,
                  const LeadByteTable& lead) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    out += static_cast<char>(FoldByte(c));
    if (lead[c] && i + 1 < text.size())
      out += text[++i];
  }
}

ListedNames::ListedNames(const FileList& list, bool fold_case)
    : list_(list), fold_case_(fold_case),
      lead_(std::find(list.LeadBytes().begin(), list.LeadBytes().end(),
                      true) != list.LeadBytes().end()
                ? list.LeadBytes()
                : NoLeadBytes()) {}

int ListedNames::OrderAgainst(int32_t i, std::string_view base,
                              std::string_view ext) const {
  int order = FoldedOrder(base, list_.Base(i));
  return order != 0 ? order : FoldedOrder(ext, list_.Extension(i));
}

bool ListedNames::Matches(int32_t i, std::string_view name) const {
  std::string_view listed = list_.Name(i);
  if (!fold_case_ || listed.size() != name.size())
    return listed == name;
  for (size_t k = 0; k < name.size(); ++k) {
    unsigned char c = static_cast<unsigned char>(listed[k]);
    if (FoldByte(c) != static_cast<unsigned char>(name[k]))
      return false;
    if (lead_[c] && k + 1 < name.size()) {
      ++k;
      if (listed[k] != name[k])
        return false;
    }
  }
  return true;
}

void ListedNames::Prefetch(int32_t near) const {
  // A name that sorts beside near's group, such as an archive named by its
  // title, is told apart by near and the entry before it.
  if (near >= 0 && near < list_.Count())
    __builtin_prefetch(list_.Name(near).data());
  if (near >= 1 && near - 1 < list_.Count())
    __builtin_prefetch(list_.Name(near - 1).data());
}

bool ListedNames::Holds(std::string_view name, int32_t near) const {
  const int32_t count = list_.Count();
  if (count == 0)
    return false;
  // Every name that may be the one asked for ties with name in the list's
  // order (AppendFolded changes letters only, which neither lead a
  // character nor part a name), and the names that tie stand together.
  // The first of them, or where it would stand, is found between lo and
  // hi: entries up to lo come before name, those from hi on do not (-1
  // and count standing for the list's ends); at_hi is name's order against
  // hi.
  const std::string_view base = BaseName(name, lead_);
  const std::string_view ext = name.substr(base.size());
  const int32_t at = std::clamp<int32_t>(near, 0, count - 1);
  int32_t lo, hi;
  int at_hi = OrderAgainst(at, base, ext);
  if (at_hi > 0) {
    lo = at;
    for (int64_t step = 1;; step *= 2) {
      hi = count - at > step ? static_cast<int32_t>(at + step) : count;
      if (hi == count || (at_hi = OrderAgainst(hi, base, ext)) <= 0)
        break;
      lo = hi;
    }
  } else {
    hi = at;
    for (int64_t step = 1;; step *= 2) {
      lo = at >= step ? static_cast<int32_t>(at - step) : -1;
      int order;
      if (lo < 0 || (order = OrderAgainst(lo, base, ext)) > 0)
        break;
      hi = lo;
      at_hi = order;
    }
  }
  while (hi - lo > 1) {
    int32_t mid = lo + (hi - lo) / 2;
    int order = OrderAgainst(mid, base, ext);
    if (order > 0) {
      lo = mid;
    } else {
      hi = mid;
      at_hi = order;
    }
  }
  for (int32_t i = hi; i < count && at_hi == 0;) {
    if (Matches(i, name))
      return true;
    if (++i < count)
      at_hi = OrderAgainst(i, base, ext);
  }
  return false;
}
