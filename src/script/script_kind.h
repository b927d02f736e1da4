// The kinds of script the tool writes.
#ifndef TRAMLUNE_SCRIPT_SCRIPT_KIND_H_
#define TRAMLUNE_SCRIPT_SCRIPT_KIND_H_

/// A batch file for cmd, or a POSIX sh script.
enum class ScriptKind { kBatch, kShell };

#endif  // TRAMLUNE_SCRIPT_SCRIPT_KIND_H_
