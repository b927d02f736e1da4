// The lead bytes of the system code page: which bytes begin a double-byte
// character. A fact of the running system that the name rules and the
// command-line splitter both consult.
#ifndef TRAMLUNE_BASE_LEAD_BYTES_H_
#define TRAMLUNE_BASE_LEAD_BYTES_H_

#include <array>

/// Marks the bytes that lead a double-byte character of the system code
/// page. Every entry is false on a single-byte code page.
using LeadByteTable = std::array<bool, 256>;

/// The table of a single-byte code page: no lead bytes. Always the same
/// object, so that callers may test for it by address.
const LeadByteTable& NoLeadBytes();

#endif  // TRAMLUNE_BASE_LEAD_BYTES_H_
