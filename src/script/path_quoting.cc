#include "script/path_quoting.h"

#include <cstdint>
#include <cstring>

namespace {

// The bytes below 0x40 that a batch line cannot hold, one bit each: LF,
// CR, Ctrl-Z, '"', '*', '<', '>' and '?'. Every byte from 0x40 up is safe.
constexpr uint64_t kBatchUnsafe =
    (uint64_t{1} << '\n') | (uint64_t{1} << '\r') | (uint64_t{1} << 0x1A) |
    (uint64_t{1} << '"') | (uint64_t{1} << '*') | (uint64_t{1} << '<') |
    (uint64_t{1} << '>') | (uint64_t{1} << '?');

// How a kind of script quotes one argument: the quote on both sides, what
// stands in the argument for the one byte that needs it, and what goes in
// front of an argument that would read as a switch.
struct Quoting {
  std::string_view quote;
  char special;
  std::string_view written_as;
  std::string_view dash_guard;
};
// cmd turns "%%" back into "%"; sh reads '\'' as a closing quote, an
// escaped quote and an opening one.
constexpr Quoting kBatchQuoting{"\"", '%', "%%", ".\\"};
constexpr Quoting kShellQuoting{"'", '\'', "'\\''", "./"};

const Quoting& QuotingOf(ScriptKind kind) {
  return kind == ScriptKind::kBatch ? kBatchQuoting : kShellQuoting;
}

// Appends part to out, each special byte written as the quoting says. Most
// texts hold no special byte: they are copied whole.
inline void AppendInQuotes(std::string& out, char special,
                           std::string_view written_as,
                           std::string_view part) {
  while (!part.empty()) {
    const void* found = std::memchr(part.data(), special, part.size());
    if (!found)
      break;
    size_t pos = static_cast<const char*>(found) - part.data();
    out.append(part.data(), pos);
    out += written_as;
    part.remove_prefix(pos + 1);
  }
  out += part;
}

// The number of backslash characters that end text, lead bytes heeded.
size_t TrailingBackslashes(std::string_view text, const LeadByteTable& lead) {
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (lead[c] && i + 1 < text.size()) {
      ++i;
      run = 0;
    } else {
      run = c == '\\' ? run + 1 : 0;
    }
  }
  return run;
}

}  // namespace

namespace {

// Sixteen bytes side by side; the compiler turns each operation on them
// into one vector instruction where the machine has them.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

// Whether any of the sixteen bytes of v is one that a batch line cannot
// hold ('?' and '>' differ in their lowest bit only).
bool AnyBatchUnsafe(Bytes16 v) {
  auto unsafe = (v == '\n') | (v == '\r') | (v == 0x1A) | (v == '"') |
                (v == '*') | (v == '<') | ((v | 1) == '?');
  uint64_t halves[2];
  std::memcpy(halves, &unsafe, sizeof(halves));
  return (halves[0] | halves[1]) != 0;
}

// Sixteen bytes of which the first eight are those at p, the last eight
// those at q.
Bytes16 TwoWords(const char* p, const char* q) {
  Bytes16 v;
  std::memcpy(&v, p, 8);
  std::memcpy(reinterpret_cast<char*>(&v) + 8, q, 8);
  return v;
}

}  // namespace

bool ScriptCanHold(ScriptKind kind, std::string_view path) {
  if (kind == ScriptKind::kShell)
    return true;
  const char* p = path.data();
  size_t size = path.size();
  if (size >= 16) {
    // Sixteen bytes at a time, the last sixteen overlapping the ones
    // before when the size is no multiple of sixteen.
    Bytes16 v;
    for (size_t at = 0; at + 16 < size; at += 16) {
      std::memcpy(&v, p + at, 16);
      if (AnyBatchUnsafe(v))
        return false;
    }
    std::memcpy(&v, p + size - 16, 16);
    return !AnyBatchUnsafe(v);
  }
  if (size >= 8)
    return !AnyBatchUnsafe(TwoWords(p, p + size - 8));
  for (unsigned char c : path)
    if (c < 0x40 && ((kBatchUnsafe >> c) & 1))
      return false;
  return true;
}

void AppendQuotedArgument(std::string& out, ScriptKind kind,
                          std::string_view text, bool guard,
                          const LeadByteTable& lead) {
  const Quoting& quoting = QuotingOf(kind);
  out += quoting.quote;
  if (guard)
    out += quoting.dash_guard;
  AppendInQuotes(out, quoting.special, quoting.written_as, text);
  // A program's runtime reads a backslash before the closing quote as an
  // escape: backslashes that end the text are doubled.
  if (kind == ScriptKind::kBatch && !text.empty() && text.back() == '\\')
    out.append(TrailingBackslashes(text, lead), '\\');
  out += quoting.quote;
}

QuotedPaths::QuotedPaths(ScriptKind kind, std::string_view dir) {
  const Quoting& quoting = QuotingOf(kind);
  quote_ = quoting.quote[0];
  special_ = quoting.special;
  written_as_ = quoting.written_as;
  head_ += quote_;
  if (!dir.empty() && dir[0] == '-')
    head_ += quoting.dash_guard;
  dash_guard_ = dir.empty() ? quoting.dash_guard : std::string_view();
  AppendInQuotes(head_, special_, written_as_, dir);
}

void QuotedPaths::Append(std::string& out, std::string_view name) const {
  out += head_;
  if (!name.empty() && name[0] == '-')
    out += dash_guard_;
  // Most names hold no special byte: they are copied whole.
  for (;;) {
    const void* found = std::memchr(name.data(), special_, name.size());
    if (!found)
      break;
    size_t pos = static_cast<const char*>(found) - name.data();
    out.append(name.data(), pos);
    out += written_as_;
    name.remove_prefix(pos + 1);
  }
  out += name;
  out += quote_;
}
