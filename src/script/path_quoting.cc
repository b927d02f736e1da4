#include "script/path_quoting.h"

#include <cstdint>

namespace {

// The bytes below 0x40 that a batch line cannot hold, one bit each: LF,
// CR, Ctrl-Z, '"', '*', '<', '>' and '?'. Every byte from 0x40 up is safe.
constexpr uint64_t kBatchUnsafe =
    (uint64_t{1} << '\n') | (uint64_t{1} << '\r') | (uint64_t{1} << 0x1A) |
    (uint64_t{1} << '"') | (uint64_t{1} << '*') | (uint64_t{1} << '<') |
    (uint64_t{1} << '>') | (uint64_t{1} << '?');

void WriteDoublingPerCent(LineSink& sink, std::string_view part) {
  size_t pos;
  while ((pos = part.find('%')) != std::string_view::npos) {
    sink.Write(part.substr(0, pos + 1));
    sink.Write("%");
    part.remove_prefix(pos + 1);
  }
  sink.Write(part);
}

void WriteBatchPath(LineSink& sink, std::string_view dir,
                    std::string_view name) {
  sink.Write("\"");
  std::string_view first = dir.empty() ? name : dir;
  if (!first.empty() && first[0] == '-')
    sink.Write(".\\");
  WriteDoublingPerCent(sink, dir);
  WriteDoublingPerCent(sink, name);
  sink.Write("\"");
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

// part inside single quotes: each "'" closes them, stands escaped and
// opens them again.
void WriteInSingleQuotes(LineSink& sink, std::string_view part) {
  size_t pos;
  while ((pos = part.find('\'')) != std::string_view::npos) {
    sink.Write(part.substr(0, pos));
    sink.Write("'\\''");
    part.remove_prefix(pos + 1);
  }
  sink.Write(part);
}

void WriteShellPath(LineSink& sink, std::string_view dir,
                    std::string_view name) {
  sink.Write("'");
  std::string_view first = dir.empty() ? name : dir;
  if (!first.empty() && first[0] == '-')
    sink.Write("./");
  WriteInSingleQuotes(sink, dir);
  WriteInSingleQuotes(sink, name);
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

void WriteQuotedArgument(LineSink& sink, ScriptKind kind, std::string_view text,
                         bool guard, const LeadByteTable& lead) {
  if (kind == ScriptKind::kShell) {
    sink.Write(guard ? "'./" : "'");
    WriteInSingleQuotes(sink, text);
    sink.Write("'");
    return;
  }
  sink.Write(guard ? "\".\\" : "\"");
  WriteDoublingPerCent(sink, text);
  size_t run = TrailingBackslashes(text, lead);
  for (size_t k = 0; k < run; ++k)
    sink.Write("\\");
  sink.Write("\"");
}

void WriteQuotedPath(LineSink& sink, ScriptKind kind, std::string_view dir,
                     std::string_view name) {
  if (kind == ScriptKind::kBatch)
    WriteBatchPath(sink, dir, name);
  else
    WriteShellPath(sink, dir, name);
}
