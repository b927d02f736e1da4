#include "platform/ansi_names.h"

#include <utility>

#include "platform/name_report.h"

bool WidePath(UINT code_page, std::string_view path, std::wstring* wide) {
  path = path.substr(0, path.find('\0'));
  wide->clear();
  if (path.empty())
    return true;
  // Flags 0, as the ANSI functions convert: bytes that stand for no
  // character become the default character, never an error.
  int size = static_cast<int>(path.size());
  int wide_size = MultiByteToWideChar(code_page, 0, path.data(), size,
                                      nullptr, 0);
  if (wide_size <= 0 || wide_size > MAX_PATH)
    return false;
  wide->resize(wide_size);
  MultiByteToWideChar(code_page, 0, path.data(), size, wide->data(),
                      wide_size);
  return true;
}

std::optional<std::string> RoundTrip(UINT code_page, std::wstring_view text) {
  if (text.empty())
    return std::string();
  if (text.size() > MAX_PATH)
    return std::nullopt;
  // Flags 0 and no default character: the conversion of the ANSI functions,
  // best-fit look-alikes included, and the only flags that code page 65001
  // (UTF-8) takes along with WC_ERR_INVALID_CHARS. A replaced character
  // does not convert back, which is what the comparison finds. No code page
  // needs more than four bytes for a UTF-16 unit.
  char bytes[4 * MAX_PATH];
  wchar_t back[MAX_PATH];
  int wide_size = static_cast<int>(text.size());
  int size = WideCharToMultiByte(code_page, 0, text.data(), wide_size, bytes,
                                 sizeof(bytes), nullptr, nullptr);
  if (size <= 0 ||
      MultiByteToWideChar(code_page, 0, bytes, size, back, MAX_PATH) !=
          wide_size ||
      text != std::wstring_view(back, wide_size))
    return std::nullopt;
  return std::string(bytes, size);
}

bool AnsiName(UINT code_page, std::wstring_view name, std::string* bytes,
              UnheldName* unheld) {
  std::optional<std::string> converted = RoundTrip(code_page, name);
  if (converted && converted->size() <= kAnsiNameMax) {
    *bytes = std::move(*converted);
    return true;
  }
  CodePageBytes held = [code_page](char32_t c) {
    std::wstring text;
    if (c >= 0x10000) {
      text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      text += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text += static_cast<wchar_t>(c);
    }
    return RoundTrip(code_page, text);
  };
  std::u16string utf16(name.begin(), name.end());
  unheld->max_bytes = converted ? kAnsiNameMax : 0;
  unheld->shown = ShownName(utf16, held);
  return false;
}

std::optional<std::string> AnsiFromUtf8(UINT code_page,
                                        std::string_view text) {
  if (text.empty())
    return std::string();
  int size = static_cast<int>(text.size());
  int wide_size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS,
                                      text.data(), size, nullptr, 0);
  if (wide_size <= 0 || wide_size > MAX_PATH)
    return std::nullopt;
  std::wstring wide(static_cast<size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size,
                      wide.data(), wide_size);
  return RoundTrip(code_page, wide);
}
