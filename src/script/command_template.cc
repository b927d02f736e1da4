#include "script/command_template.h"

#include <optional>

#include "base/blanks.h"

namespace {

struct Name {
  std::string_view text;
  Placeholder placeholder;
};
constexpr Name kNames[] = {{"", Placeholder::kFiles},
                           {"parent", Placeholder::kParent},
                           {"clones", Placeholder::kClones},
                           {"title", Placeholder::kTitle},
                           {"dir", Placeholder::kDir}};

std::string_view Spelling(Placeholder p) {
  switch (p) {
    case Placeholder::kFiles: return "{}";
    case Placeholder::kParent: return "{parent}";
    case Placeholder::kClones: return "{clones}";
    case Placeholder::kTitle: return "{title}";
    case Placeholder::kDir: return "{dir}";
  }
  return "";
}

std::optional<Placeholder> Lookup(std::string_view name) {
  for (const Name& n : kNames)
    if (n.text == name)
      return n.placeholder;
  return std::nullopt;
}

// Reads one template; where names it in messages.
class Reader {
 public:
  Reader(std::string_view text, ScriptKind kind, std::string_view where,
         CommandTemplate& out)
      : text_(text), kind_(kind), where_(where), out_(out) {}

  std::string Read() {
    size_t i = 0;
    while (i < text_.size()) {
      if (IsBlank(text_[i])) {
        AppendText(std::string_view(&text_[i], 1));
        ++i;
        continue;
      }
      std::string error = ReadWord(i);
      if (!error.empty())
        return error;
    }
    return "";
  }

 private:
  void AppendText(std::string_view text) {
    if (out_.parts.empty() || out_.parts.back().kind != TemplatePart::Kind::kText)
      out_.parts.emplace_back();
    out_.parts.back().text.append(text);
  }

  void AppendLiteral(std::string_view text) {
    if (word_.empty() || word_.back().is_placeholder)
      word_.emplace_back();
    word_.back().text.append(text);
  }

  // Reads the word that begins at i, up to a blank outside quotes.
  std::string ReadWord(size_t& i) {
    word_.clear();
    bool quoted = false;  // the word holds a quote or an escape
    char quote = 0;       // the quote that is open, if any
    std::optional<Placeholder> quoted_placeholder;
    for (; i < text_.size() && (quote || !IsBlank(text_[i])); ++i) {
      char c = text_[i];
      if (c == '{' || c == '}') {
        if (i + 1 < text_.size() && text_[i + 1] == c) {
          AppendLiteral(std::string_view(&text_[i], 1));
          ++i;
          continue;
        }
        if (c == '}')
          return "a \"}\" without its \"{\" in the " + std::string(where_) +
                 ": write }} for a literal \"}\"";
        size_t close = text_.find('}', i);
        if (close == std::string_view::npos)
          return "a \"{\" without its \"}\" in the " + std::string(where_) +
                 ": write {{ for a literal \"{\"";
        std::string_view name = text_.substr(i + 1, close - i - 1);
        std::optional<Placeholder> p = Lookup(name);
        if (!p)
          return "unknown placeholder \"{" + std::string(name) + "}\" in the " +
                 std::string(where_) +
                 ": the placeholders are {}, {parent}, {clones}, {title} and "
                 "{dir}; write {{ and }} for a literal brace";
        if (quote && !quoted_placeholder)
          quoted_placeholder = p;
        word_.push_back({true, *p, ""});
        i = close;
        continue;
      }
      bool opens_or_closes =
          c == '"' || (kind_ == ScriptKind::kShell && c == '\'');
      if (opens_or_closes && (!quote || quote == c)) {
        quote = quote ? 0 : c;
        quoted = true;
      } else if (kind_ == ScriptKind::kShell && c == '\\' && quote != '\'' &&
                 i + 1 < text_.size()) {
        // An escape: the next byte is literal, a brace too.
        AppendLiteral(text_.substr(i, 2));
        quoted = true;
        ++i;
        continue;
      }
      AppendLiteral(std::string_view(&text_[i], 1));
    }
    return EndWord(quoted, quoted_placeholder);
  }

  std::string EndWord(bool quoted,
                      std::optional<Placeholder> quoted_placeholder) {
    const WordPiece* first = nullptr;
    for (const WordPiece& piece : word_)
      if (piece.is_placeholder) {
        first = &piece;
        break;
      }
    if (!first) {
      for (const WordPiece& piece : word_)
        AppendText(piece.text);
      return "";
    }
    if (quoted || quoted_placeholder)
      return "the placeholder " +
             std::string(Spelling(quoted_placeholder.value_or(
                 first->placeholder))) +
             " stands in a quoted word in the " + std::string(where_) +
             ": tramlune quotes each word with a placeholder itself; write "
             "the word without quotes or escapes";
    if (word_.size() == 1 && first->placeholder != Placeholder::kTitle &&
        first->placeholder != Placeholder::kDir) {
      TemplatePart part;
      part.kind = TemplatePart::Kind::kFiles;
      part.files = first->placeholder;
      out_.parts.push_back(std::move(part));
      return "";
    }
    for (const WordPiece& piece : word_)
      if (piece.is_placeholder && (piece.placeholder == Placeholder::kFiles ||
                                   piece.placeholder == Placeholder::kClones))
        return std::string(Spelling(piece.placeholder)) +
               " stands inside a larger word in the " + std::string(where_) +
               ": it gives each file as an argument of its own; write it as "
               "a word of its own, with blanks around it";
    TemplatePart part;
    part.kind = TemplatePart::Kind::kFilled;
    part.pieces = std::move(word_);
    word_.clear();
    out_.parts.push_back(std::move(part));
    return "";
  }

  std::string_view text_;
  ScriptKind kind_;
  std::string_view where_;
  CommandTemplate& out_;
  std::vector<WordPiece> word_;
};

// The first part of t that is not blanks, or null.
const TemplatePart* FirstWord(const CommandTemplate& t) {
  for (const TemplatePart& part : t.parts)
    if (part.kind != TemplatePart::Kind::kText ||
        part.text.find_first_not_of(" \t") != std::string::npos)
      return &part;
  return nullptr;
}

// Appends the text parts of t before its first word with a placeholder to
// opening; true when t has no such word, so that what follows it opens the
// line too.
bool AppendOpening(const CommandTemplate& t, std::string& opening) {
  for (const TemplatePart& part : t.parts) {
    if (part.kind != TemplatePart::Kind::kText)
      return false;
    opening += part.text;
  }
  return true;
}

}  // namespace

std::string ParseLineTemplate(std::string_view prefix, std::string_view suffix,
                              ScriptKind kind, LineTemplate& result) {
  result = LineTemplate();
  std::string error =
      Reader(prefix, kind, "command prefix", result.prefix).Read();
  if (error.empty())
    error = Reader(suffix, kind, "command suffix", result.suffix).Read();
  if (!error.empty())
    return error;
  for (const CommandTemplate* t : {&result.prefix, &result.suffix})
    for (const TemplatePart& part : t->parts) {
      if (part.kind == TemplatePart::Kind::kFiles)
        result.places_files = true;
      if (part.kind == TemplatePart::Kind::kFilled) {
        result.fills_words = true;
        for (const WordPiece& piece : part.pieces) {
          if (piece.is_placeholder && piece.placeholder == Placeholder::kParent)
            result.places_files = true;
          if (piece.is_placeholder && piece.placeholder == Placeholder::kTitle)
            result.fills_title = true;
        }
      }
    }
  // The first word of the line is the command that runs.
  bool open = AppendOpening(result.prefix, result.opening);
  if (open && result.places_files) {
    result.opening += ' ';
    AppendOpening(result.suffix, result.opening);
  }
  const TemplatePart* first = FirstWord(result.prefix);
  if (!first && result.places_files)
    first = FirstWord(result.suffix);
  if (first && first->kind != TemplatePart::Kind::kText) {
    std::optional<Placeholder> file;
    if (first->kind == TemplatePart::Kind::kFiles)
      file = first->files;
    for (const WordPiece& piece : first->pieces)
      if (piece.is_placeholder && piece.placeholder == Placeholder::kParent)
        file = piece.placeholder;
    if (file)
      return "the line would begin with " + std::string(Spelling(*file)) +
             " and run a file: write the command first, as in "
             "\"7z a -sdel {dir}{title}.7z {}\"";
    // A filled-in word names the group's archive, or a file: no command.
    return "the line would begin with a word with a placeholder, which "
           "names a file, not a command: write the command first, as in "
           "\"7z a -sdel {dir}{title}.7z\"";
  }
  return "";
}
