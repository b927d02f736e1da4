#include "script/command_lines.h"

namespace {

// The piece at hand is passed on once it holds this many bytes.
constexpr size_t kPieceSize = 4096;

// The names lie anywhere in the list's store: the first ones are fetched
// at once, so that their reads overlap, and each later one this many places
// ahead of its turn.
constexpr size_t kAhead = 16;

}  // namespace

void ComposedLine::Prefetch(int32_t parent,
                            std::span<const int32_t> clones) const {
  __builtin_prefetch(list_.Name(parent).data());
  for (size_t k = 0; k < clones.size() && k < kAhead; ++k)
    __builtin_prefetch(list_.Name(clones[k]).data());
}

void ComposedLine::AppendClones(std::span<const int32_t> clones,
                                bool blank_first) {
  size_t k = 0;
  if (!blank_first && !clones.empty())
    AppendPath(clones[k++]);
  for (; k < clones.size(); ++k) {
    if (k + kAhead < clones.size())
      __builtin_prefetch(list_.Name(clones[k + kAhead]).data());
    if (text_.size() >= kPieceSize) {
      sink_.Write(text_);
      text_.clear();
    }
    text_ += ' ';
    AppendPath(clones[k]);
  }
}

void ComposedLine::End() {
  sink_.Write(text_);
  text_.clear();
  sink_.EndLine();
}

void CommandLines::Group(int32_t parent, std::span<const int32_t> clones,
                         std::string_view) {
  line_.Prefetch(parent, clones);
  std::string& text = line_.Text();
  if (!prefix_.empty()) {
    text += prefix_;
    text += ' ';
  }
  text += ' ';
  line_.AppendPath(parent);
  text += ' ';
  line_.AppendClones(clones, true);
  text += ' ';
  if (!suffix_.empty()) {
    text += ' ';
    text += suffix_;
  }
  line_.End();
}
