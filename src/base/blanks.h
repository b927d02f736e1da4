// The blanks that part the words of a command line or a name's tags.
#ifndef TRAMLUNE_BASE_BLANKS_H_
#define TRAMLUNE_BASE_BLANKS_H_

/// Whether c is a space or a tab.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

#endif  // TRAMLUNE_BASE_BLANKS_H_
