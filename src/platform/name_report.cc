#include "platform/name_report.h"

#include "base/shown_text.h"

namespace {

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendEscape(std::string& out, char32_t c) {
  out += "\\u{";
  AppendHex(out, static_cast<uint32_t>(c), 4);
  out += "}";
}

}  // namespace

std::string ShownName(std::u16string_view name, const CodePageBytes& bytes) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    char32_t c = name[i];
    if (IsHighSurrogate(c) && i + 1 < name.size() &&
        IsLowSurrogate(name[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (name[i + 1] - 0xDC00);
      ++i;
    }
    if (ShownAsItself(c)) {
      out += static_cast<char>(c);
      continue;
    }
    bool plain = c >= 0xA0 && !IsHighSurrogate(c) && !IsLowSurrogate(c);
    std::optional<std::string> held;
    if (plain)
      held = bytes(c);
    if (held && !held->empty())
      out += *held;
    else
      AppendEscape(out, c);
  }
  return out;
}

