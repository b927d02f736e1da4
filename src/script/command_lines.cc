#include "script/command_lines.h"

namespace {

// The composed part of a line is passed on once it holds this many bytes.
constexpr size_t kPieceSize = 4096;

}  // namespace

void CommandLines::PassOnIfLong() {
  if (line_.size() >= kPieceSize) {
    sink_.Write(line_);
    line_.clear();
  }
}

void CommandLines::Group(int32_t parent, std::span<const int32_t> clones,
                         std::string_view) {
  // The names lie anywhere in the list's store: the first ones are fetched
  // at once, so that their reads overlap, and each later one some places
  // ahead of its turn.
  constexpr size_t kAhead = 16;
  __builtin_prefetch(list_.Name(parent).data());
  for (size_t k = 0; k < clones.size() && k < kAhead; ++k)
    __builtin_prefetch(list_.Name(clones[k]).data());

  line_.clear();
  if (!prefix_.empty()) {
    line_ += prefix_;
    line_ += ' ';
  }
  line_ += ' ';
  paths_.Append(line_, list_.Name(parent));
  line_ += ' ';
  for (size_t k = 0; k < clones.size(); ++k) {
    if (k + kAhead < clones.size())
      __builtin_prefetch(list_.Name(clones[k + kAhead]).data());
    PassOnIfLong();
    line_ += ' ';
    paths_.Append(line_, list_.Name(clones[k]));
  }
  line_ += ' ';
  if (!suffix_.empty()) {
    line_ += ' ';
    line_ += suffix_;
  }
  sink_.Write(line_);
  sink_.EndLine();
}
