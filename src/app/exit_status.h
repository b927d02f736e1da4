// How the program's run ended, as its exit status tells the caller.
#ifndef TRAMLUNE_APP_EXIT_STATUS_H_
#define TRAMLUNE_APP_EXIT_STATUS_H_

/// The exit statuses of the tool.
enum ExitStatus : int {
  /// The script was written (lines may have been left out and reported),
  /// or --help or --version answered.
  kScriptWritten = 0,
  /// No mask was given: the usage text was written.
  kUsageText = 1,
  /// The script could not be written whole: a write failed or memory ran
  /// out; the failure text says which.
  kFailure = 1,
  /// The command line was refused: standard error says what to write
  /// instead, and nothing was written to standard output.
  kUsageError = 2,
  /// The DAT of --dat could not be read: standard error says why, and
  /// nothing was written to standard output.
  kUnreadDat = 2,
};

#endif  // TRAMLUNE_APP_EXIT_STATUS_H_
