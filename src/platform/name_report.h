// How a name that the directory search leaves out is shown in a message. Pure: the caller says which characters the system code page holds.
#ifndef TRAMLUNE_PLATFORM_NAME_REPORT_H_
#define TRAMLUNE_PLATFORM_NAME_REPORT_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

/// The bytes that the system code page has for code point c, or nothing
/// when it has none that turn back into c.
using CodePageBytes = std::function<std::optional<std::string>(char32_t c)>;

/// name, in UTF-16, as a message shows it: printable ASCII but '\' and '"'
/// as it is; other characters from U+00A0 up as the code page's bytes for
/// them; everything else as \u{XXXX}, the code point in upper-case hex, four
/// digits at least. A surrogate pair is one code point, a lone surrogate
/// stands for itself.
std::string ShownName(std::u16string_view name, const CodePageBytes& bytes);

#endif  // TRAMLUNE_PLATFORM_NAME_REPORT_H_
