// How a listed file's path stands on a script line: which paths a script
// can hold, and how each kind of script quotes them, so that the command
// receives the path as one argument, byte for byte, and reads it as a file.
#ifndef TRAMLUNE_SCRIPT_PATH_QUOTING_H_
#define TRAMLUNE_SCRIPT_PATH_QUOTING_H_

#include <string>
#include <string_view>

#include "base/lead_bytes.h"
#include "script/script_kind.h"

/// Whether path can stand on a line of a script of kind. A batch line cannot
/// hold CR, LF or Ctrl-Z (0x1A), which cmd reads as line ends, nor a double
/// quote, which would end the quoting; nor "*", "?", "<" or ">", which the
/// commands of a batch script take as wildcards. A sh line holds every path.
bool ScriptCanHold(ScriptKind kind, std::string_view path);

/// The quoted paths of one directory's names, composed into a text, the
/// directory's part quoted once. Each path, dir followed by a name, is one
/// quoted argument. Batch: between double quotes, each "%" doubled (cmd
/// turns "%%" back into "%"), with ".\" in front of a name that begins
/// with "-" when dir is empty. Sh: between single quotes, each "'" written
/// as '\'', with "./" in front when the path begins with "-". So no
/// command reads the path as a switch.
class QuotedPaths {
 public:
  QuotedPaths(ScriptKind kind, std::string_view dir);

  /// Appends the quoted path of dir followed by name to out.
  void Append(std::string& out, std::string_view name) const;

 private:
  char quote_;
  char special_;
  std::string_view written_as_;
  std::string_view dash_guard_;  // for a name that begins with "-"; empty
                                 // when the directory decides
  std::string head_;  // the quote, the guard the directory needs, the
                      // directory quoted
};

/// Appends text, a filled-in word of a template, to out as one argument,
/// with ".\\" (batch) or "./" (sh) in front when guard is set.
/// Batch: between double quotes, each "%" doubled, and the backslashes that
/// end the text doubled, so that the C runtime's split does not read the
/// last one with the closing quote as a literal quote; a 0x5C that trails a
/// lead byte of lead is part of its character and not doubled. The text
/// must be one that ScriptCanHold. Sh: as QuotedPaths quotes a path.
void AppendQuotedArgument(std::string& out, ScriptKind kind,
                          std::string_view text, bool guard,
                          const LeadByteTable& lead);

#endif  // TRAMLUNE_SCRIPT_PATH_QUOTING_H_
