#include "script/command_lines.h"

#include "script/path_quoting.h"

void CommandLines::Group(int32_t parent, std::span<const int32_t> clones,
                         std::string_view) {
  // The names lie anywhere in the list's store: the first ones are fetched
  // at once, so that their reads overlap, and each later one some places
  // ahead of its turn.
  constexpr size_t kAhead = 16;
  __builtin_prefetch(list_.Name(parent).data());
  for (size_t k = 0; k < clones.size() && k < kAhead; ++k)
    __builtin_prefetch(list_.Name(clones[k]).data());

  if (!prefix_.empty()) {
    sink_.Write(prefix_);
    sink_.Write(" ");
  }
  sink_.Write(" ");
  WriteQuotedPath(sink_, kind_, dir_, list_.Name(parent));
  sink_.Write(" ");
  for (size_t k = 0; k < clones.size(); ++k) {
    if (k + kAhead < clones.size())
      __builtin_prefetch(list_.Name(clones[k + kAhead]).data());
    sink_.Write(" ");
    WriteQuotedPath(sink_, kind_, dir_, list_.Name(clones[k]));
  }
  sink_.Write(" ");
  if (!suffix_.empty()) {
    sink_.Write(" ");
    sink_.Write(suffix_);
  }
  sink_.EndLine();
}
