// Names of the wide directory search in the system code page, converted as
// the ANSI search converts them, and kept only where the bytes stand for the
// name itself. Windows only.
#ifndef TRAMLUNE_PLATFORM_ANSI_NAMES_H_
#define TRAMLUNE_PLATFORM_ANSI_NAMES_H_

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

/// The bytes of a name that the ANSI search's name field holds before its
/// final zero.
constexpr size_t kAnsiNameMax = MAX_PATH - 1;

/// Converts path, up to its first zero byte, from code_page into *wide, as
/// the ANSI directory search converts its mask. Returns false where that
/// search fails at once: the wide form is longer than MAX_PATH characters.
bool WidePath(UINT code_page, std::string_view path, std::wstring* wide);

/// The bytes of code_page for text, converted as the ANSI functions convert
/// (a character the code page lacks becomes its default character or a
/// look-alike), when they convert back into exactly text; nothing otherwise,
/// and nothing for a text of more than MAX_PATH units.
std::optional<std::string> RoundTrip(UINT code_page, std::wstring_view text);

/// Converts name into the bytes of code_page that the ANSI directory search
/// gives for it. Returns false, with *unheld set to what a message says of
/// the name, when those bytes do not stand for the name: they do not convert
/// back into it (one of its characters became '?', a wildcard, or a
/// look-alike that may name another file), or the ANSI search's name field
/// cannot hold them (too long).
bool AnsiName(UINT code_page, std::wstring_view name, std::string* bytes,
              UnheldName* unheld);

/// The bytes of code_page for the UTF-8 text, when text is UTF-8 and
/// RoundTrip holds its characters; nothing otherwise.
std::optional<std::string> AnsiFromUtf8(UINT code_page,
                                        std::string_view text);

#endif  // TRAMLUNE_PLATFORM_ANSI_NAMES_H_
