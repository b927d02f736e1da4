// The program's main sequence.
#ifndef TRAMLUNE_APP_TRAMLUNE_H_
#define TRAMLUNE_APP_TRAMLUNE_H_

#include <string>
#include <vector>

#include "app/exit_status.h"

class FailureStop;
class OutputBuffer;
class Platform;

/// Writes the banner, then the usage text (no arguments: kUsageText) or
/// "@echo off" and the lines of the mask given by args (kScriptWritten).
/// args are the arguments after the program's name: options (see
/// ParseOptions), the mask, then optionally the command prefix and suffix;
/// later ones are ignored. With --sh the script is one for sh: its own
/// banner, lines ended by LF, paths in single quotes, and a failure text on
/// standard error. --help and --version write their text (kScriptWritten);
/// a command line the tool refuses writes only its line on standard error
/// (kUsageError).
ExitStatus RunTramlune(const std::vector<std::string>& args,
                       Platform& platform, OutputBuffer& output,
                       FailureStop& stop);

#endif  // TRAMLUNE_APP_TRAMLUNE_H_
