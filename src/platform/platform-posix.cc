// The platform on POSIX systems. The directory search lists what the
// Windows search would for the same mask, so the native build writes the
// same script; names that Windows could not hold are listed too, and the
// script decides what it can hold.
#include "platform/platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "base/out_of_memory.h"
#include "base/path_parts.h"
#include "base/wildcard.h"
#include "platform/async_writer.h"
#include "platform/directory_reader.h"
#include "platform/posix_errors.h"
#include "platform/posix_thread.h"

namespace {

// Asks the system to back the whole 2 MiB pages within [data, data + size)
// with huge pages where it offers them on request: a large file read into
// memory then takes a fault per 2 MiB instead of one per page.
void AdviseHugePages(char* data, size_t size) {
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t kHuge = uintptr_t{1} << 21;
  uintptr_t at = reinterpret_cast<uintptr_t>(data);
  uintptr_t begin = (at + kHuge - 1) & ~(kHuge - 1);
  uintptr_t end = (at + size) & ~(kHuge - 1);
  if (begin < end)
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

// Whether the entry name, of type (a DT_ value), is a directory or a link
// to one. A dangling link, or one that cannot be followed, is a file.
bool IsDirectory(int dir_fd, const char* name, unsigned char type) {
  if (type == DT_DIR)
    return true;
  if (type != DT_UNKNOWN && type != DT_LNK)
    return false;
  struct stat st;
  return fstatat(dir_fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

// Memory ran out where the system, not operator new, allocated it: the same
// stop as for exhausted memory anywhere else.
void StopIfOutOfMemory(int error) {
  if (error == ENOMEM)
    OutOfMemory();
}

// Writes all of data to fd, completing short writes, retrying interrupted
// ones and waiting while a non-blocking output is full. Returns 0 when done
// (also when the system wrote nothing and reported no error), or errno.
int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t done = write(fd, data, size);
    if (done > 0) {
      data += done;
      size -= static_cast<size_t>(done);
      continue;
    }
    if (done < 0 && errno == EINTR)
      continue;
    if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd pfd = {fd, POLLOUT, 0};
      poll(&pfd, 1, -1);
      continue;
    }
    return done == 0 ? 0 : errno;
  }
  return 0;
}

class PosixPlatform : public Platform {
 public:
  // Standard output is looked at before anything else opens a descriptor:
  // were it closed, a directory opened later could take its number.
  // Standard output that is a regular file is known by its device and
  // inode, so that the search can leave that file out.
  PosixPlatform() {
    int flags = fcntl(STDOUT_FILENO, F_GETFL);
    stdout_writable_ = flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
    struct stat st;
    if (flags != -1 && fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
      stdout_is_file_ = true;
      stdout_device_ = st.st_dev;
      stdout_inode_ = st.st_ino;
    }
  }

  SearchResult SearchDirectory(std::string_view mask,
                               const DirectoryVisitor& visit) override {
    SearchResult result;
    std::string_view dir_part = DirectoryPart(mask);
    std::string_view pattern = mask.substr(dir_part.size());
    std::string dir = dir_part.empty() ? std::string(".")
                                       : std::string(dir_part);
    int dir_fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) {
      Fail(errno, &result);
      return result;
    }
    DirectoryReader reader(dir_fd);
    // Only entries of the directory's own device can be standard output:
    // another device's root is a directory.
    struct stat dir_st;
    bool may_hold_stdout = stdout_is_file_ && fstat(dir_fd, &dir_st) == 0 &&
                           dir_st.st_dev == stdout_device_;
    const char* entry;
    ino_t inode;
    unsigned char type;
    while (reader.Next(&entry, &inode, &type)) {
      std::string_view name(entry);
      if (!WildcardMatch(pattern, name))
        continue;
      if (may_hold_stdout && inode == stdout_inode_) {
        result.left_out_output = true;
        continue;
      }
      visit(name, IsDirectory(dir_fd, entry, type));
    }
    struct stat st;
    if (errno != 0)
      Fail(errno, &result);
    else if (fstat(dir_fd, &st) == 0 && st.st_nlink == 0)
      Fail(ENOENT, &result);  // removed before or while it was read
    return result;
  }

  bool StdoutIsConsole() override { return isatty(STDOUT_FILENO) == 1; }

  // Standard output that is no console is written by a thread of its own
  // (the same writes, in the same order), while the next lines are made.
  // A failure of a write handed to it is reported at the next write or at
  // the end, as if that write had failed: lines for standard error that
  // come between are dropped, since the program would have stopped before
  // them.
  uint32_t WriteStdout(const char* data, size_t size) override {
    if (!stdout_writable_) {
      stdout_error_ = EBADF;
      return kStdoutUnavailable;
    }
    if (pending_error_ != 0)
      return ReportPendingError();
    if (!writer_ && !stdout_checked_) {
      stdout_checked_ = true;
      if (isatty(STDOUT_FILENO) != 1)
        writer_ = AsyncWriter::Start(&WriteToStdout, nullptr);
    }
    int error = writer_ ? writer_->Write(data, size)
                        : WriteAll(STDOUT_FILENO, data, size);
    if (error == 0)
      return 0;
    writer_.reset();  // writes are the caller's again
    stdout_error_ = error;
    return WindowsErrorNumber(error);
  }

  uint32_t FinishStdout() override {
    if (writer_ && pending_error_ == 0)
      pending_error_ = writer_->Drain();
    return pending_error_ != 0 ? ReportPendingError() : 0;
  }

  const char* StdoutFailureReason() override {
    return strerror_r(stdout_error_, reason_, sizeof(reason_));
  }

  void WriteStderr(std::string_view text) override {
    if (writer_ && pending_error_ == 0)
      pending_error_ = writer_->Drain();
    if (pending_error_ != 0)
      return;
    WriteAll(STDERR_FILENO, text.data(), text.size());
  }

  std::string ProgramFileName() override {
    char path[4096];
    ssize_t size = readlink("/proc/self/exe", path, sizeof(path));
    std::string_view name = size > 0
                                ? std::string_view(path, size)
                                : std::string_view(program_invocation_name);
    size_t slash = name.rfind('/');
    return std::string(slash == std::string_view::npos
                           ? name
                           : name.substr(slash + 1));
  }

  const LeadByteTable& LeadBytes() override { return NoLeadBytes(); }

  std::string_view TextLineEnd() override { return "\n"; }

  bool NamesFoldCase() override { return false; }

  bool ReadWholeFile(std::string_view path, std::string* contents,
                     std::string* reason) override {
    contents->clear();
    int fd = open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      contents->reserve(static_cast<size_t>(st.st_size));
      AdviseHugePages(contents->data(), contents->capacity());
    }
    int error = fd < 0 ? errno : 0;
    char buffer[65536];
    while (error == 0) {
      ssize_t n = read(fd, buffer, sizeof(buffer));
      if (n > 0)
        contents->append(buffer, static_cast<size_t>(n));
      else if (n == 0)
        break;
      else if (errno != EINTR)
        error = errno;
    }
    if (fd >= 0)
      close(fd);
    if (error == 0)
      return true;
    StopIfOutOfMemory(error);
    char text[256];
    *reason = strerror_r(error, text, sizeof(text));
    return false;
  }

  bool NameFromUtf8(std::string_view text, std::string* name) override {
    name->assign(text);
    return true;
  }

  bool Utf8NamesUnchanged() override { return true; }
  bool ReadsAheadUnordered() override { return true; }

  void RunBoth(const Task& first, const Task& second) override {
    // As deep a stack as the main thread's: the sort descends a level a
    // key byte.
    pthread_t thread;
    bool started = StartThread(&RunTask, const_cast<Task*>(&first),
                               size_t{8} << 20, &thread);
    if (!started)
      first();
    second();
    if (started)
      pthread_join(thread, nullptr);
  }

  [[noreturn]] void EndProcess(int status) override {
    if (writer_)
      writer_->Drain();
    _exit(status);
  }

 private:
  static void* RunTask(void* task) {
    (*static_cast<Task*>(task))();
    return nullptr;
  }

  static int WriteToStdout(const char* data, size_t size, void*) {
    return WriteAll(STDOUT_FILENO, data, size);
  }

  // Reports the failed write that the writer thread met, as the failure of
  // this write; from now on the caller writes.
  uint32_t ReportPendingError() {
    writer_.reset();
    stdout_error_ = pending_error_;
    pending_error_ = 0;
    return WindowsErrorNumber(stdout_error_);
  }

  // A search that failed with error: memory that ran out stops the
  // program, any other error is the search's result.
  void Fail(int error, SearchResult* result) {
    StopIfOutOfMemory(error);
    result->read = false;
    char text[256];
    result->reason = strerror_r(error, text, sizeof(text));
  }

  bool stdout_writable_ = false;
  bool stdout_is_file_ = false;
  dev_t stdout_device_ = 0;
  ino_t stdout_inode_ = 0;
  int stdout_error_ = 0;
  // The writer thread, once standard output is known to be no console.
  std::unique_ptr<AsyncWriter> writer_;
  bool stdout_checked_ = false;
  int pending_error_ = 0;  // of a write the thread made, not yet reported
  char reason_[256];  // of StdoutFailureReason
};

}  // namespace

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

void PrepareProcess() {
  // A reader that goes away makes the next write fail with EPIPE, which is
  // reported like any failed write, instead of killing the process.
  signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  // The shell has split the line already; an empty argument is dropped, as
  // the Windows splitter skips an empty pair of quotes.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] != '\0')
      args.emplace_back(argv[i]);
  return args;
}
