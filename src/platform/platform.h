// The operating system as the tool sees it. Only the implementations of
// this interface (platform-posix.cc, platform-win32.cc) touch the system;
// tests put an in-memory one in their place.
#ifndef TRAMLUNE_PLATFORM_PLATFORM_H_
#define TRAMLUNE_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/lead_bytes.h"
#include "base/run_both.h"

/// Receives one directory entry: its name, without any directory, and
/// whether it is a directory (or a volume label), which the tool skips.
using DirectoryVisitor =
    std::function<void(std::string_view name, bool is_directory)>;

/// The error of a write to a standard output that cannot be written at all
/// (closed, or open for reading only), as Windows numbers it.
inline constexpr uint32_t kStdoutUnavailable = 105;

/// The errors of a write to a pipe whose reader went away (ERROR_NO_DATA,
/// ERROR_BROKEN_PIPE, and ERROR_PIPE_NOT_CONNECTED, which Wine gives): the
/// reader wanted no more, which is no fault to report.
inline constexpr uint32_t kPipeClosing = 232;
inline constexpr uint32_t kPipeBroken = 109;
inline constexpr uint32_t kPipeNotConnected = 233;

/// Whether a write failed with error only because its reader went away.
inline bool ReaderWentAway(uint32_t error) {
  return error == kPipeClosing || error == kPipeBroken ||
         error == kPipeNotConnected;
}

/// A name that the search left out because the system code page cannot
/// hold it: the code page lacks one of its characters, or (max_bytes not 0)
/// its bytes are more than the max_bytes that a listed name may hold.
/// shown is the name as a message shows it.
struct UnheldName {
  std::string shown;
  size_t max_bytes = 0;
};

/// How a directory search ended.
struct SearchResult {
  /// false when the directory of the mask could not be read, at once or
  /// part way (it does not exist, it may not be read, it went away); a
  /// mask that matches nothing in a directory that was read is no failure.
  bool read = true;
  /// With read false: the system's reason, as its message says it.
  std::string reason;
  /// Whether the entry that is standard output was left out.
  bool left_out_output = false;
  /// The files left out because the code page cannot hold their names, in
  /// the order the system yielded them.
  std::vector<UnheldName> unheld;
};

/// SearchDirectory may run on one thread while ReadWholeFile, NameFromUtf8
/// and RunBoth run on another.
class Platform {
 public:
  virtual ~Platform() = default;

  /// Lists the entries that match mask, in the order the system yields
  /// them, "." and ".." and hidden entries included, each by the bytes of
  /// its real name: a file whose name the system code page cannot hold is
  /// left out and named in the result. When standard output is a
  /// regular file, the entry that is that file is left out: a script never
  /// acts on itself. A search that fails, at once or part way, yields what
  /// it found so far and says why in its result.
  virtual SearchResult SearchDirectory(std::string_view mask,
                                       const DirectoryVisitor& visit) = 0;

  /// Whether standard output is a console (a character device).
  virtual bool StdoutIsConsole() = 0;

  /// Writes all of data to standard output. Returns 0 when done, or the
  /// system's error number (as Windows numbers it) of the failed write;
  /// kStdoutUnavailable when standard output cannot be written at all.
  virtual uint32_t WriteStdout(const char* data, size_t size) = 0;

  /// Waits until every WriteStdout is done (a platform may write them
  /// while the caller goes on). Returns 0, or the error of a write that
  /// failed meanwhile, as WriteStdout would have returned it.
  virtual uint32_t FinishStdout() { return 0; }

  /// The system's reason for the last failed WriteStdout, as its message
  /// says it, without a final period. Allocates nothing; valid until the
  /// next call.
  virtual const char* StdoutFailureReason() = 0;

  /// Writes text to standard error. A courtesy to the user: a missing or
  /// failed standard error is ignored and changes nothing else.
  virtual void WriteStderr(std::string_view text) = 0;

  /// The program file's name without its directory.
  virtual std::string ProgramFileName() = 0;

  /// The lead bytes of the system code page.
  virtual const LeadByteTable& LeadBytes() = 0;

  /// How lines of text for people (help, version) end on this system.
  virtual std::string_view TextLineEnd() = 0;

  /// Whether "A" and "a" name the same file on this system (Windows), so
  /// that names are compared folded.
  virtual bool NamesFoldCase() = 0;

  /// Reads the whole file at path into *contents. Returns false, with the
  /// system's reason in *reason, when it cannot.
  virtual bool ReadWholeFile(std::string_view path, std::string* contents,
                             std::string* reason) = 0;

  /// The name of UTF-8 text as the directory search gives names: in the
  /// bytes of the system code page on Windows (false when that cannot hold
  /// them, or text is no UTF-8), the bytes of text elsewhere.
  virtual bool NameFromUtf8(std::string_view text, std::string* name) = 0;

  /// Whether NameFromUtf8 gives every text back as it is (everywhere but
  /// Windows), so that names in UTF-8 need no conversion.
  virtual bool Utf8NamesUnchanged() = 0;

  /// Whether SearchDirectory reads the directory ahead on a thread of its
  /// own, and gives the names in the order the file system keeps them,
  /// which for most (hashed directories) has nothing to do with their
  /// order: then work done on each name as it comes costs the run little
  /// time. (Windows' file systems give names in about their order.)
  virtual bool ReadsAheadUnordered() { return false; }

  /// Runs first and second and returns when both are done: at once, on
  /// two threads, where the system allows.
  virtual void RunBoth(const Task& first, const Task& second) {
    RunInTurn(first, second);
  }

  /// Ends the process with status.
  [[noreturn]] virtual void EndProcess(int status) = 0;
};

/// The platform of the running system.
Platform& SystemPlatform();

/// Sets the process up as a console program whose failed writes are
/// reported, not fatal signals.
void PrepareProcess();

/// The arguments after the program's name, none of them empty.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

#endif  // TRAMLUNE_PLATFORM_PLATFORM_H_
