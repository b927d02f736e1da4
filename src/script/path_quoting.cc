#include "script/path_quoting.h"

#include <cstdint>

namespace {

// The bytes below 0x40 that a batch line cannot hold, one bit each: LF,
// CR, Ctrl-Z, '"', '*', '<', '>' and '?'. Every byte from 0x40 up is safe.
constexpr uint64_t kBatchUnsafe =
    (uint64_t{1} << '\n') | (uint64_t{1} << '\r') | (uint64_t{1} << 0x1A) |
    (uint64_t{1} << '"') | (uint64_t{1} << '*') | (uint64_t{1} << '<') |
    (uint64_t{1} << '>') | (uint64_t{1} << '?');

void WriteBatchPath(LineSink& sink, std::string_view dir,
                    std::string_view name) {
  sink.Write("\"");
  std::string_view first = dir.empty() ? name : dir;
  if (!first.empty() && first[0] == '-')
    sink.Write(".\\");
  for (std::string_view part : {dir, name}) {
    size_t pos;
    while ((pos = part.find('%')) != std::string_view::npos) {
      sink.Write(part.substr(0, pos + 1));
      sink.Write("%");
      part.remove_prefix(pos + 1);
    }
    sink.Write(part);
  }
  sink.Write("\"");
}

void WriteShellPath(LineSink& sink, std::string_view dir,
                    std::string_view name) {
  sink.Write("'");
  std::string_view first = dir.empty() ? name : dir;
  if (!first.empty() && first[0] == '-')
    sink.Write("./");
  for (std::string_view part : {dir, name}) {
    size_t pos;
    while ((pos = part.find('\'')) != std::string_view::npos) {
      sink.Write(part.substr(0, pos));
      sink.Write("'\\''");
      part.remove_prefix(pos + 1);
    }
    sink.Write(part);
  }
  sink.Write("'");
}

}  // namespace

bool ScriptCanHold(ScriptKind kind, std::string_view path) {
  if (kind == ScriptKind::kShell)
    return true;
  for (unsigned char c : path)
    if (c < 0x40 && ((kBatchUnsafe >> c) & 1))
      return false;
  return true;
}

void WriteQuotedPath(LineSink& sink, ScriptKind kind, std::string_view dir,
                     std::string_view name) {
  if (kind == ScriptKind::kBatch)
    WriteBatchPath(sink, dir, name);
  else
    WriteShellPath(sink, dir, name);
}
