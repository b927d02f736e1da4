// What the POSIX build must know to report its errors as Windows numbers
// them.
#ifndef TRAMLUNE_PLATFORM_POSIX_ERRORS_H_
#define TRAMLUNE_PLATFORM_POSIX_ERRORS_H_

#include <cstdint>

/// The Windows error number that means what errno does for a failed write.
uint32_t WindowsErrorNumber(int error);

#endif  // TRAMLUNE_PLATFORM_POSIX_ERRORS_H_
