#include "platform/posix_errors.h"

#include <errno.h>

#include <cstdint>

uint32_t WindowsErrorNumber(int error) {
  switch (error) {
    case ENOENT: return 2;     // ERROR_FILE_NOT_FOUND
    case EMFILE: return 4;     // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM: return 5;      // ERROR_ACCESS_DENIED
    case EBADF: return 6;      // ERROR_INVALID_HANDLE
    case ENOMEM: return 8;     // ERROR_NOT_ENOUGH_MEMORY
    case EROFS: return 19;     // ERROR_WRITE_PROTECT
    case ENXIO:
    case ENODEV: return 21;    // ERROR_NOT_READY
    case EINVAL: return 87;    // ERROR_INVALID_PARAMETER
    case ENOSPC: return 112;   // ERROR_DISK_FULL
    case EFBIG: return 223;    // ERROR_FILE_TOO_LARGE
    case EPIPE: return 232;    // ERROR_NO_DATA (the pipe is being closed)
    case EIO: return 1117;     // ERROR_IO_DEVICE
    case EDQUOT: return 1295;  // ERROR_DISK_QUOTA_EXCEEDED
    default: return 31;        // ERROR_GEN_FAILURE
  }
}
