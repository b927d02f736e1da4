// The script writer: lists the files of a mask, groups them and writes one
// command line per group.
#ifndef TRAMLUNE_APP_PROCESS_MASK_H_
#define TRAMLUNE_APP_PROCESS_MASK_H_

#include <string_view>

#include "script/command_template.h"
#include "script/line_sink.h"
#include "script/script_kind.h"

class Platform;

/// Lists the files that match mask (directories skipped), sorts them,
/// groups them and writes to sink one command line per group, in the order
/// the grouping hands them over, the paths quoted for a script of kind with
/// the mask's directory part in front. prefix and suffix are the user's
/// (empty when not given). A file whose name the script cannot hold is left
/// out, and a mask whose directory part it cannot hold lists nothing; each
/// is reported on standard error.
void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, ScriptKind kind, Platform& platform,
                 LineSink& sink);

/// The same with the forms of --template and --singles: with line, the
/// lines are TemplateLines of it (prefix and suffix unused), and a group
/// left out for a filled-in word is reported on standard error; with
/// singles, every listed file stands in exactly one line.
void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, ScriptKind kind, Platform& platform,
                 LineSink& sink, const LineTemplate* line, bool singles);

#endif  // TRAMLUNE_APP_PROCESS_MASK_H_
