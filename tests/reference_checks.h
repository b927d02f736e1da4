// What a batch line can hold, written byte by byte: the reference that the
// fuzz targets check the block-wise ScriptCanHold against.
#ifndef TRAMLUNE_TESTS_REFERENCE_CHECKS_H_
#define TRAMLUNE_TESTS_REFERENCE_CHECKS_H_

#include <string_view>

/// Whether path holds none of CR, LF, Ctrl-Z, '"', '*', '?', '<', '>'.
inline bool ReferenceBatchCanHold(std::string_view path) {
  return path.find_first_of(std::string_view("\r\n\x1A\"*?<>", 8)) ==
         std::string_view::npos;
}

#endif  // TRAMLUNE_TESTS_REFERENCE_CHECKS_H_
