#include "script/template_lines.h"

#include "script/path_quoting.h"

TemplateLines::TemplateLines(const FileList& list, ScriptKind kind,
                             std::string_view dir, const LineTemplate& line,
                             bool fold_case, LineSink& sink,
                             LeftOutGroups& left_out)
    : list_(list), kind_(kind), dir_(dir), line_(line), fold_case_(fold_case),
      left_out_(left_out), listed_(list, fold_case),
      composed_(list, kind, dir, sink) {
  if (fold_case)
    AppendFolded(folded_dir_, dir, list.LeadBytes());
}

bool TemplateLines::NamesListedFile(std::string_view path, int32_t parent) {
  std::string_view dir = dir_;
  if (fold_case_) {
    folded_.clear();
    AppendFolded(folded_, path, list_.LeadBytes());
    path = folded_;
    dir = folded_dir_;
  }
  return path.substr(0, dir.size()) == dir &&
         listed_.Holds(path.substr(dir.size()), parent);
}

bool TemplateLines::Fill(const CommandTemplate& t, int32_t parent,
                         std::string_view title) {
  for (const TemplatePart& part : t.parts) {
    if (part.kind != TemplatePart::Kind::kFilled)
      continue;
    if (filled_.size() <= count_) {
      filled_.emplace_back();
      guards_.push_back(false);
    }
    std::string& text = filled_[count_];
    text.clear();
    bool guard = false;
    for (const WordPiece& piece : part.pieces) {
      if (!piece.is_placeholder) {
        text += piece.text;
        continue;
      }
      size_t start = text.size();
      if (piece.placeholder == Placeholder::kTitle) {
        text += title;
      } else {
        text += dir_;
        if (piece.placeholder == Placeholder::kParent)
          text += list_.Name(parent);
      }
      // The placeholder's text opens the argument.
      if (start == 0 && !text.empty())
        guard = text[0] == '-';
    }
    guards_[count_] = guard;
    ++count_;
    bool listed = NamesListedFile(text, parent);
    if (listed || !ScriptCanHold(kind_, text)) {
      left_out_.LeftOut(dir_, list_.Name(parent), text, listed);
      return false;
    }
  }
  return true;
}

void TemplateLines::Compose(const CommandTemplate& t, int32_t parent,
                            std::span<const int32_t> clones, size_t& next) {
  for (const TemplatePart& part : t.parts) {
    switch (part.kind) {
      case TemplatePart::Kind::kText:
        composed_.Text() += part.text;
        break;
      case TemplatePart::Kind::kFilled:
        AppendQuotedArgument(composed_.Text(), kind_, filled_[next],
                             guards_[next], list_.LeadBytes());
        ++next;
        break;
      case TemplatePart::Kind::kFiles:
        if (part.files != Placeholder::kClones)
          composed_.AppendPath(parent);
        if (part.files != Placeholder::kParent)
          composed_.AppendClones(clones, part.files == Placeholder::kFiles);
        break;
    }
  }
}

void TemplateLines::Group(int32_t parent, std::span<const int32_t> clones,
                          std::string_view title) {
  // The names are fetched at once, so that their reads overlap.
  composed_.Prefetch(parent, clones);
  if (line_.fills_words)
    listed_.Prefetch(parent);
  count_ = 0;
  if (!Fill(line_.prefix, parent, title) || !Fill(line_.suffix, parent, title))
    return;
  size_t next = 0;
  const bool prefix = !line_.prefix.Empty(), suffix = !line_.suffix.Empty();
  Compose(line_.prefix, parent, clones, next);
  std::string& text = composed_.Text();
  if (line_.places_files) {
    if (prefix && suffix)
      text += ' ';
  } else {
    // The files between prefix and suffix, as CommandLines puts them.
    text += prefix ? "  " : " ";
    composed_.AppendPath(parent);
    text += ' ';
    composed_.AppendClones(clones, true);
    text += suffix ? "  " : " ";
  }
  Compose(line_.suffix, parent, clones, next);
  composed_.End();
}
