// Splitting a whole command line into arguments, as the Windows build reads
// it. Pure: the lead-byte table comes from the caller.
#ifndef TRAMLUNE_PLATFORM_COMMAND_LINE_H_
#define TRAMLUNE_PLATFORM_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/lead_bytes.h"

/// Splits line into its words, the program's name first. Words are
/// separated by runs of bytes 0x01..0x20; a NUL byte ends the line. An empty
/// pair of double quotes before a word is skipped like a blank. Within a
/// word, a double quote opens a run that ends at the next double quote (or
/// the end); its bytes, blanks included, belong to the word and the quotes
/// are dropped. There is no escape character. A double-byte character is
/// stepped over whole. The words end before the first one that comes out
/// empty, so none of them is empty.
std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const LeadByteTable& lead);

#endif  // TRAMLUNE_PLATFORM_COMMAND_LINE_H_
