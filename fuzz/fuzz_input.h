// Helpers shared by the fuzz targets: reading a fuzz input as a mode byte,
// an optional lead-byte table and a list of texts.
#ifndef TRAMLUNE_FUZZ_FUZZ_INPUT_H_
#define TRAMLUNE_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string_view>
#include <vector>

#include "matching/file_names.h"

/// Stops the run with a message; libFuzzer keeps the input that did it.
#define FUZZ_CHECK(condition)                                             \
  do {                                                                    \
    if (!(condition)) {                                                   \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__,         \
                   __LINE__, #condition);                                 \
      std::abort();                                                       \
    }                                                                     \
  } while (0)

/// The bytes of a fuzz input, taken from the front.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  /// The next byte, or 0 when none is left.
  uint8_t Byte() {
    if (rest_.empty())
      return 0;
    uint8_t b = static_cast<uint8_t>(rest_[0]);
    rest_.remove_prefix(1);
    return b;
  }

  /// A lead-byte table from the next 32 bytes, one bit per byte value
  /// (missing bytes count as 0).
  LeadByteTable Table() {
    LeadByteTable table{};
    for (int i = 0; i < 32; ++i) {
      uint8_t bits = Byte();
      for (int b = 0; b < 8; ++b)
        table[i * 8 + b] = (bits >> b) & 1;
    }
    return table;
  }

  /// What is left, split at every byte equal to separator. The pieces
  /// never hold the separator.
  std::vector<std::string_view> Split(char separator) const {
    std::vector<std::string_view> pieces;
    std::string_view rest = rest_;
    for (;;) {
      size_t pos = rest.find(separator);
      pieces.push_back(rest.substr(0, pos));
      if (pos == std::string_view::npos)
        return pieces;
      rest.remove_prefix(pos + 1);
    }
  }

  std::string_view Rest() const { return rest_; }

  /// The lead-byte table that the low bits of mode choose: none (bit 0
  /// clear), a double-byte code page's (bits 0 and 1), or one read from
  /// the input (bit 0 only).
  LeadByteTable LeadBytes(uint8_t mode);

 private:
  std::string_view rest_;
};

/// The lead bytes of a typical double-byte code page.
inline LeadByteTable DoubleByteTable() {
  LeadByteTable table{};
  for (int b = 0x81; b <= 0x9F; ++b) table[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) table[b] = true;
  return table;
}

inline LeadByteTable FuzzInput::LeadBytes(uint8_t mode) {
  if (!(mode & 1))
    return LeadByteTable{};
  return (mode & 2) ? DoubleByteTable() : Table();
}

#endif  // TRAMLUNE_FUZZ_FUZZ_INPUT_H_
