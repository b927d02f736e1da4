// The command prefix and suffix as templates (--template): text written as
// typed, and words with placeholders that each line fills in.
#ifndef TRAMLUNE_SCRIPT_COMMAND_TEMPLATE_H_
#define TRAMLUNE_SCRIPT_COMMAND_TEMPLATE_H_

#include <string>
#include <string_view>
#include <vector>

#include "script/script_kind.h"

/// What a placeholder stands for: {} the group's files, {parent}, {clones},
/// {title} the group's title, {dir} the mask's directory part.
enum class Placeholder { kFiles, kParent, kClones, kTitle, kDir };

/// A piece of a filled-in word: literal text, or a placeholder.
struct WordPiece {
  bool is_placeholder = false;
  Placeholder placeholder = Placeholder::kTitle;
  std::string text;  // the literal, "{{" and "}}" read as braces
};

/// A part of a template, in line order.
struct TemplatePart {
  enum class Kind {
    kText,    // written as typed (braces unescaped): blanks, plain words
    kFiles,   // a whole word {}, {parent} or {clones}: quoted paths
    kFilled,  // a word that holds {title}, {dir} or {parent} among text:
              // one argument, quoted by the tool
  };
  Kind kind = Kind::kText;
  std::string text;                // kText
  Placeholder files = Placeholder::kFiles;  // kFiles
  std::vector<WordPiece> pieces;   // kFilled
};

/// One template, the prefix or the suffix.
struct CommandTemplate {
  std::vector<TemplatePart> parts;
  bool Empty() const { return parts.empty(); }
};

/// The prefix and the suffix of --template.
struct LineTemplate {
  CommandTemplate prefix, suffix;
  /// Whether a file placeholder ({}, {parent}, {clones}) stands anywhere:
  /// then the files stand only where the placeholders put them, else
  /// between prefix and suffix.
  bool places_files = false;
  /// Whether some word is filled in ({title}, {dir}, or {parent} within a
  /// word), so that a line may name a file of its own.
  bool fills_words = false;
  /// Whether some filled-in word holds {title}: then the title names
  /// something of the group's own, an archive, which no other group's line
  /// may name too.
  bool fills_title = false;
  /// The text that opens the line, before its first word with a
  /// placeholder: the prefix's, and where the files stand only where
  /// placeholders put them, the suffix's after it, a blank between.
  std::string opening;
};

/// Reads prefix and suffix as templates for a script of kind. Words are
/// separated by blanks (space, tab) outside quotes: a batch script's quotes
/// are double quotes; a sh script's are single and double quotes and the
/// backslash. Returns the usage error's message, or an empty string when
/// both are good and result holds them.
std::string ParseLineTemplate(std::string_view prefix, std::string_view suffix,
                              ScriptKind kind, LineTemplate& result);

#endif  // TRAMLUNE_SCRIPT_COMMAND_TEMPLATE_H_
