// The lines that tell standard error what the script leaves out.
#ifndef TRAMLUNE_APP_REPORTS_H_
#define TRAMLUNE_APP_REPORTS_H_

#include <string>
#include <string_view>

/// The path with every byte outside printable ASCII, the backslash and the
/// double quote written as \xHH.
std::string EscapedName(std::string_view path);

/// The line, LF included, that tells standard error that a file was left
/// out because a batch script cannot hold its name.
std::string LeftOutNameLine(std::string_view name);

/// The same for a mask whose directory part a batch script cannot hold, so
/// that none of its files is listed.
std::string LeftOutDirectoryLine(std::string_view dir);

/// The line that tells standard error that the group headed by dir +
/// parent was left out under --template: its filled-in word argument names
/// a listed file (listed), or a batch script cannot hold it.
std::string LeftOutGroupLine(std::string_view dir, std::string_view parent,
                             std::string_view argument, bool listed);

#endif  // TRAMLUNE_APP_REPORTS_H_
