// How messages on standard error show the bytes or characters of a name
// that may hold anything.
#ifndef TRAMLUNE_BASE_SHOWN_TEXT_H_
#define TRAMLUNE_BASE_SHOWN_TEXT_H_

#include <cstdint>
#include <string>

/// Whether c is shown as itself: printable ASCII but "\" and the double
/// quote, which a message uses for its escapes and its quotes.
inline bool ShownAsItself(char32_t c) {
  return c >= 0x20 && c < 0x7F && c != '\\' && c != '"';
}

/// Appends value in upper-case hexadecimal, at least digits digits.
inline void AppendHex(std::string& out, uint32_t value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  int n = 1;
  while (n < 8 && (value >> (4 * n)) != 0)
    ++n;
  for (int k = n < digits ? digits : n; k > 0; --k)
    out += kHex[(value >> (4 * (k - 1))) & 15];
}

#endif  // TRAMLUNE_BASE_SHOWN_TEXT_H_
