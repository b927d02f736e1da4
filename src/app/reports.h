// The lines that tell standard error what the script leaves out and what
// went wrong. Each begins with "tramlune: " and ends with LF.
#ifndef TRAMLUNE_APP_REPORTS_H_
#define TRAMLUNE_APP_REPORTS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

/// The path with every byte outside printable ASCII, the backslash and the
/// double quote written as \xHH.
std::string EscapedName(std::string_view path);

/// The line, LF included, that tells standard error that a file was left
/// out because a batch script cannot hold its name.
std::string LeftOutNameLine(std::string_view name);

/// The line for a name that the search left out because the system code
/// page cannot hold it.
std::string LeftOutUnheldNameLine(const UnheldName& name);

/// The same for a mask whose directory part a batch script cannot hold, so
/// that none of its files is listed.
std::string LeftOutDirectoryLine(std::string_view dir);

/// Why a sh script is refused when the argument after the mask names no
/// command: none, blanks, or only redirections and assignments.
inline constexpr std::string_view kShellNeedsCommand =
    "--sh needs a command after the mask: without one, sh runs the first "
    "file of each line (an empty argument is skipped, so the suffix may "
    "take the command's place); write, e.g., "
    "tramlune --sh '*.v64' echo '>>log.txt'";

/// The line of a command line that the tool refuses; message says why.
std::string UsageErrorLine(std::string_view message);

/// Why a command line is refused whose "--word" before the mask is no
/// option, while an option stands that makes the line strict; options
/// lists the options, as "--a, --b and --c".
std::string UnknownOptionMessage(std::string_view word,
                                 std::string_view options);

/// Why a command line is refused whose option that takes a value ends it.
std::string NeedsValueMessage(std::string_view option);

/// Why --regions is refused without the naming whose regions it orders.
inline constexpr std::string_view kRegionsNeedNoIntro =
    "--regions orders the regions of --naming no-intro: add --naming "
    "no-intro, or leave --regions out";

/// Why --regions is refused with a region that the names never write.
std::string UnknownRegionMessage(std::string_view region);

/// Why a command line with options is refused when count arguments follow
/// them, more than the mask, the prefix and the suffix.
std::string TooManyArgumentsMessage(size_t count);

/// The line for a mask that matched no file in a directory that was read.
/// A mask that begins with "-" was likely meant as an option: the line
/// says where options go. A mask without wildcards that matched a
/// directory (matched_directory) names that directory: the line says how
/// to list its files.
std::string NoMatchLine(std::string_view mask, bool matched_directory);

/// The line for a mask with a wildcard in its directory part dir, whose
/// files are not listed.
std::string WildcardDirectoryLine(std::string_view dir);

/// The line for a mask whose directory could not be read (dir: the mask's
/// directory part, empty for the current directory), with the system's
/// reason.
std::string UnreadDirectoryLine(std::string_view dir, std::string_view reason);

/// The line for count arguments after the suffix, which no line holds.
std::string IgnoredArgumentsLine(size_t count);

/// The line for an argument after the mask that is one of the options.
std::string OptionAfterMaskLine(std::string_view arg);

/// The line of a failed write of the script, with the system's reason,
/// into out, cut to size and NUL-terminated. Returns its length.
/// Allocates nothing.
size_t FormatWriteFailureLine(char* out, size_t size, const char* reason);

/// Why a template is refused when its prefix names no command.
inline constexpr std::string_view kTemplateNeedsCommand =
    "--template needs a command at the front of the command prefix: without "
    "one, each line runs its first file; write, e.g., "
    "tramlune --template '*.v64' '7z a -sdel {dir}{title}.7z'";

/// The line that tells standard error that the group headed by dir +
/// parent was left out under --template: its filled-in word argument names
/// a listed file (listed), or a batch script cannot hold it.
std::string LeftOutGroupLine(std::string_view dir, std::string_view parent,
                             std::string_view argument, bool listed);

/// The line that tells standard error that the group headed by dir +
/// parent fills {title} with title, since its own title, taken, names the
/// archive of another group.
std::string RenamedGroupLine(std::string_view dir, std::string_view parent,
                             std::string_view taken, std::string_view title);

/// The line for a DAT of --dat that cannot be read, with the reason: the
/// system's, or where its XML breaks.
std::string CannotReadDatLine(std::string_view path, std::string_view reason);

/// The line for count listed files that the DAT does not hold, naming the
/// first and the second (empty when count is 1); with singles each has a
/// line of its own, else none.
std::string NotInDatLine(size_t count, std::string_view first,
                         std::string_view second, bool singles);

/// The line for a DAT that holds none of the count listed files.
std::string NoneInDatLine(std::string_view path, size_t count);

/// Why an empty --dat is refused.
inline constexpr std::string_view kDatNeedsFile =
    "--dat needs the path of the set's DAT: write --dat FILE before the mask";

/// Why --dat is refused with the GoodTools naming.
inline constexpr std::string_view kDatNotGoodTools =
    "--dat groups by the DAT's families, not by GoodTools names: leave "
    "--naming goodtools out";

/// Why --dat is refused by a build without the XML parser.
inline constexpr std::string_view kDatNotBuilt =
    "--dat needs a tramlune built with the XML parser RapidXml: install it "
    "(Debian and Ubuntu: apt-get install librapidxml-dev) and build "
    "tramlune again";

#endif  // TRAMLUNE_APP_REPORTS_H_
