#include "platform/posix_names.h"

#include <errno.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ull;

// Whether any of the eight bytes of word is zero.
bool HasZeroByte(uint64_t word) {
  return ((word - kOnes) & ~word & (kOnes * 0x80)) != 0;
}

// cmd reads CR, LF and Ctrl-Z (0x1A) in a batch file as line ends, and a
// double quote would end the quoting.
bool Unquotable(char c) {
  return c == '\r' || c == '\n' || c == '\x1A' || c == '"';
}

}  // namespace

bool CanBeQuoted(std::string_view name) {
  size_t i = 0;
  for (; i + 8 <= name.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, name.data() + i, sizeof(word));
    if (HasZeroByte(word ^ (kOnes * '\r')) ||
        HasZeroByte(word ^ (kOnes * '\n')) ||
        HasZeroByte(word ^ (kOnes * '"')) ||
        HasZeroByte(word ^ (kOnes * 0x1A)))
      return false;
  }
  for (; i < name.size(); ++i)
    if (Unquotable(name[i]))
      return false;
  return true;
}

std::string EscapedName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (unsigned char c : name) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

namespace {

void Report(const char* what, std::string_view name) {
  std::string line = "tramlune: left out " + std::string(what) +
                     " that a batch line cannot quote: \"" +
                     EscapedName(name) + "\"\n";
  // Standard error is a courtesy: a failed write there changes nothing.
  ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
}

}  // namespace

void ReportLeftOut(std::string_view name) { Report("a name", name); }

void ReportLeftOutDirectory(std::string_view dir) {
  Report("the files of a directory", dir);
}

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
