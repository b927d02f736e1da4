// Where a path's directory part and a name's extension begin: the
// delimiter search that the directory search and the name rules share.
#ifndef TRAMLUNE_BASE_PATH_PARTS_H_
#define TRAMLUNE_BASE_PATH_PARTS_H_

#include <cstddef>
#include <string_view>

#include "base/lead_bytes.h"

/// The delimiters of a search: a name's ("\", ":" and "."), or a path's
/// ("\", ":" and "/").
enum class Delimiters { kName, kPath };

/// The position of the last byte of text that is one of the delimiters of
/// set, or npos. A delimiter byte that trails a lead byte of the code page
/// belongs to its character and does not count.
size_t LastDelimiter(std::string_view text, Delimiters set,
                     const LeadByteTable& lead);

/// The directory part of a path: everything up to and including its last
/// "\", "/" or ":"; empty when there is none.
inline std::string_view DirectoryPart(std::string_view path,
                                      const LeadByteTable& lead = NoLeadBytes()) {
  size_t pos = LastDelimiter(path, Delimiters::kPath, lead);
  return pos == std::string_view::npos ? std::string_view()
                                       : path.substr(0, pos + 1);
}

#endif  // TRAMLUNE_BASE_PATH_PARTS_H_
