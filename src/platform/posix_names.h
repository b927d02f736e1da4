// What the POSIX build must know of names and errors that Windows cannot
// produce. Pure, apart from ReportLeftOut's one line on standard error.
#ifndef TRAMLUNE_PLATFORM_POSIX_NAMES_H_
#define TRAMLUNE_PLATFORM_POSIX_NAMES_H_

#include <cstdint>
#include <string>
#include <string_view>

/// Whether name can stand between double quotes on a batch line: it holds
/// no CR, LF, Ctrl-Z (0x1A, which cmd reads as a line end) or double quote.
bool CanBeQuoted(std::string_view name);

/// The name with every byte outside printable ASCII, the backslash and the
/// double quote written as \xHH.
std::string EscapedName(std::string_view name);

/// Writes one line to standard error about a name that was left out.
void ReportLeftOut(std::string_view name);

/// Writes one line to standard error about a mask whose directory part
/// cannot be quoted, so that none of its files is listed.
void ReportLeftOutDirectory(std::string_view dir);

/// The Windows error number that means what errno does for a failed write.
uint32_t WindowsErrorNumber(int error);

#endif  // TRAMLUNE_PLATFORM_POSIX_NAMES_H_
