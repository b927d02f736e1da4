// How a listed file's path stands on a script line: which paths a script
// can hold, and how each kind of script quotes them, so that the command
// receives the path as one argument, byte for byte, and reads it as a file.
#ifndef TRAMLUNE_MATCHING_SCRIPT_PATHS_H_
#define TRAMLUNE_MATCHING_SCRIPT_PATHS_H_

#include <string>
#include <string_view>

#include "matching/line_sink.h"

/// The kind of script the tool writes: a batch file for cmd, or a POSIX sh
/// script.
enum class ScriptKind { kBatch, kShell };

/// Whether path can stand on a line of a script of kind. A batch line cannot
/// hold CR, LF or Ctrl-Z (0x1A), which cmd reads as line ends, nor a double
/// quote, which would end the quoting; nor "*", "?", "<" or ">", which the
/// commands of a batch script take as wildcards. A sh line holds every path.
bool ScriptCanHold(ScriptKind kind, std::string_view path);

/// Writes dir followed by name to sink as one quoted argument.
/// Batch: between double quotes, each "%" doubled (cmd turns "%%" back into
/// "%"), with ".\" in front of a name that begins with "-" when dir is empty.
/// Sh: between single quotes, each "'" written as '\'' , with "./" in front
/// when the path begins with "-". So no command reads the path as a switch.
void WriteQuotedPath(LineSink& sink, ScriptKind kind, std::string_view dir,
                     std::string_view name);

/// The path with every byte outside printable ASCII, the backslash and the
/// double quote written as \xHH.
std::string EscapedName(std::string_view path);

/// The line, LF included, that tells standard error that a file was left
/// out because a batch script cannot hold its name.
std::string LeftOutNameLine(std::string_view name);

/// The same for a mask whose directory part a batch script cannot hold, so
/// that none of its files is listed.
std::string LeftOutDirectoryLine(std::string_view dir);

#endif  // TRAMLUNE_MATCHING_SCRIPT_PATHS_H_
