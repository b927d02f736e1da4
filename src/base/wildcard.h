// Matching a name against the last component of a mask, as the Windows
// directory search does for the common cases.
#ifndef TRAMLUNE_BASE_WILDCARD_H_
#define TRAMLUNE_BASE_WILDCARD_H_

#include <string_view>

/// Whether name matches pattern. Trailing dots of the pattern are dropped;
/// "*.*" matches every name; an empty pattern matches nothing. "*" matches
/// any run of bytes, dots included; "?" exactly one byte; any other byte
/// itself, ASCII letters in either case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

#endif  // TRAMLUNE_BASE_WILDCARD_H_
