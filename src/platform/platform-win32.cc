// The platform on Windows: every name and the command line are bytes of the
// system code page. The ANSI variants of the Win32 API serve, but for the
// directory search, which lists wide names and keeps those that the code
// page holds.
#include "platform/platform.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include "base/path_parts.h"
#include "platform/ansi_names.h"
#include "platform/command_line.h"

namespace {

// The bytes that lead a double-byte character of the system code page.
LeadByteTable BuildLeadByteTable() {
  LeadByteTable table{};
  CPINFO info;
  if (!GetCPInfo(CP_ACP, &info))
    return table;
  // Pairs of first and last lead byte, ended by a pair of zeros.
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
    for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
      table[b] = true;
  return table;
}

const LeadByteTable& SystemLeadBytes() {
  static const LeadByteTable table = BuildLeadByteTable();
  return table;
}

// Writes all of data to handle. Returns 0 when done, or the system's error
// number of the failed write.
DWORD WriteAll(HANDLE handle, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD done = 0;
    if (!WriteFile(handle, data, chunk, &done, nullptr))
      return GetLastError();
    if (done == 0)
      return 0;  // the system wrote nothing and reported no error
    data += done;
    size -= done;
  }
  return 0;
}

// The system's message for error, without its line end and final period,
// into out. Allocates nothing.
const char* SystemReason(DWORD error, char* out, DWORD size) {
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, out, size, nullptr);
  if (n == 0) {
    std::snprintf(out, size, "error %lu", static_cast<unsigned long>(error));
    return out;
  }
  while (n > 0 && (out[n - 1] == '\r' || out[n - 1] == '\n' ||
                   out[n - 1] == ' ' || out[n - 1] == '.'))
    --n;
  out[n] = '\0';
  return out;
}

// Where a file lies: two handles of one file give the same. The file ID
// query needs no access right (Wine's standard handles have few); where
// the system lacks it, the older volume serial and file index stand in,
// marked so that the two kinds never compare equal.
struct FileIdentity {
  uint64_t volume = 0;
  unsigned char id[16] = {};

  // Whether other, of a file opened by its path, is this file. A handle
  // that Wine made of its host's descriptor shows volume 0: its ID alone
  // decides then.
  bool Is(const FileIdentity& other) const {
    return std::memcmp(id, other.id, sizeof(id)) == 0 &&
           (volume == other.volume || volume == 0);
  }
};

bool IdentityOf(HANDLE handle, FileIdentity* id) {
  FILE_ID_INFO info;
  if (GetFileInformationByHandleEx(handle, FileIdInfo, &info, sizeof(info))) {
    id->volume = info.VolumeSerialNumber;
    std::memcpy(id->id, &info.FileId, sizeof(id->id));
    return true;
  }
  BY_HANDLE_FILE_INFORMATION old;
  if (!GetFileInformationByHandle(handle, &old))
    return false;
  id->volume = old.dwVolumeSerialNumber | (uint64_t{1} << 63);
  DWORD index[2] = {old.nFileIndexLow, old.nFileIndexHigh};
  std::memcpy(id->id, index, sizeof(index));
  return true;
}

bool IdentityOfPath(const std::wstring& path, FileIdentity* id) {
  HANDLE file = CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  bool known = IdentityOf(file, id);
  CloseHandle(file);
  return known;
}

DWORD WINAPI RunTask(void* task) {
  (*static_cast<Task*>(task))();
  return 0;
}

class Win32Platform : public Platform {
 public:
  SearchResult SearchDirectory(std::string_view mask,
                               const DirectoryVisitor& visit) override {
    SearchResult result;
    // The ANSI search would hand a name that the code page cannot hold on
    // as '?' or a look-alike; such a name never reaches the caller.
    std::wstring pattern, dir;
    if (!WidePath(CP_ACP, mask, &pattern) ||
        !WidePath(CP_ACP, DirectoryPart(mask, LeadBytes()), &dir)) {
      Fail(ERROR_FILENAME_EXCED_RANGE, &result);
      return result;
    }
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
      // A directory without a matching entry is no failure.
      DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
        Fail(error, &result);
      return result;
    }
    StdoutFile out = FindStdoutFile();
    std::string name;
    UnheldName unheld;
    do {
      size_t length = wcsnlen(data.cFileName, MAX_PATH);
      std::wstring_view wide(data.cFileName, length);
      bool is_directory =
          (data.dwFileAttributes &
           (FILE_ATTRIBUTE_DIRECTORY | kVolumeLabelAttribute)) != 0;
      // Only an entry that may be standard output is opened to see.
      FileIdentity id;
      if (out.known && !is_directory && out.MayBe(wide, data) &&
          IdentityOfPath(dir + std::wstring(wide), &id) && out.id.Is(id)) {
        result.left_out_output = true;
        continue;
      }
      if (AnsiName(CP_ACP, wide, &name, &unheld))
        visit(name, is_directory);
      else if (!is_directory)
        result.unheld.push_back(std::move(unheld));
    } while (FindNextFileW(search, &data));
    DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES)
      Fail(error, &result);
    FindClose(search);
    return result;
  }

  bool StdoutIsConsole() override {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    return out != nullptr && out != INVALID_HANDLE_VALUE &&
           GetFileType(out) == FILE_TYPE_CHAR;
  }

  uint32_t WriteStdout(const char* data, size_t size) override {
    if (!opened_) {
      // The handle is taken once, as it is opened on the first write.
      stdout_ = GetStdHandle(STD_OUTPUT_HANDLE);
      if (stdout_ == nullptr || stdout_ == INVALID_HANDLE_VALUE) {
        stdout_error_ = ERROR_INVALID_HANDLE;
        return kStdoutUnavailable;
      }
      opened_ = true;
    }
    DWORD error = WriteAll(stdout_, data, size);
    if (error != 0)
      stdout_error_ = error;
    return error;
  }

  const char* StdoutFailureReason() override {
    return SystemReason(stdout_error_, reason_, sizeof(reason_));
  }

  void WriteStderr(std::string_view text) override {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE)
      return;
    WriteAll(err, text.data(), text.size());
  }

  std::string ProgramFileName() override {
    char path[MAX_PATH + 1];
    DWORD size = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (size > sizeof(path) - 1)
      size = sizeof(path) - 1;
    std::string_view whole(path, size);
    return std::string(whole.substr(DirectoryPart(whole, LeadBytes()).size()));
  }

  const LeadByteTable& LeadBytes() override { return SystemLeadBytes(); }

  std::string_view TextLineEnd() override { return "\r\n"; }

  bool NamesFoldCase() override { return true; }

  bool ReadWholeFile(std::string_view path, std::string* contents,
                     std::string* reason) override {
    contents->clear();
    HANDLE file = CreateFileA(std::string(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    LARGE_INTEGER size;
    if (error == 0 && GetFileSizeEx(file, &size))
      contents->reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    while (error == 0) {
      DWORD n = 0;
      if (!ReadFile(file, buffer, sizeof(buffer), &n, nullptr))
        error = GetLastError();
      else if (n == 0)
        break;
      else
        contents->append(buffer, n);
    }
    if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
    if (error == 0)
      return true;
    char text[256];
    *reason = SystemReason(error, text, sizeof(text));
    return false;
  }

  bool NameFromUtf8(std::string_view text, std::string* name) override {
    std::optional<std::string> bytes = AnsiFromUtf8(CP_ACP, text);
    if (!bytes)
      return false;
    *name = std::move(*bytes);
    return true;
  }

  bool Utf8NamesUnchanged() override { return false; }

  void RunBoth(const Task& first, const Task& second) override {
    // As deep a stack as the main thread's, for the sort.
    HANDLE thread = CreateThread(nullptr, size_t{8} << 20, &RunTask,
                                 const_cast<Task*>(&first),
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread)
      first();
    second();
    if (thread) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
  }

  [[noreturn]] void EndProcess(int status) override {
    ExitProcess(static_cast<UINT>(status));
  }

 private:
  // Standard output when it is a file on disk: where it lies, and its
  // name without the directory or, where the system cannot tell the name
  // (Wine, for a handle it got from its host), its size.
  struct StdoutFile {
    bool known = false;
    FileIdentity id;
    bool named = false;
    std::wstring name;
    bool sized = false;
    uint64_t size = 0;

    // Whether the entry of that name and find data may be this file.
    bool MayBe(std::wstring_view entry, const WIN32_FIND_DATAW& data) const {
      if (named)
        return CompareStringOrdinal(entry.data(),
                                    static_cast<int>(entry.size()),
                                    name.data(), static_cast<int>(name.size()),
                                    TRUE) == CSTR_EQUAL;
      return !sized || ((uint64_t{data.nFileSizeHigh} << 32) |
                        data.nFileSizeLow) == size;
    }
  };

  static StdoutFile FindStdoutFile() {
    StdoutFile out;
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        GetFileType(handle) != FILE_TYPE_DISK || !IdentityOf(handle, &out.id))
      return out;
    out.known = true;
    std::wstring path(32768, L'\0');
    DWORD n = GetFinalPathNameByHandleW(handle, path.data(),
                                        static_cast<DWORD>(path.size()),
                                        FILE_NAME_NORMALIZED);
    if (n > 0 && n < path.size()) {
      std::wstring_view whole(path.data(), n);
      size_t slash = whole.find_last_of(L"\\/");
      out.name = whole.substr(slash == std::wstring_view::npos ? 0 : slash + 1);
      out.named = true;
      return out;
    }
    LARGE_INTEGER size;
    if (GetFileSizeEx(handle, &size)) {
      out.size = static_cast<uint64_t>(size.QuadPart);
      out.sized = true;
    }
    return out;
  }

  void Fail(DWORD error, SearchResult* result) {
    result->read = false;
    char text[256];
    result->reason = SystemReason(error, text, sizeof(text));
  }

  // FILE_ATTRIBUTE_VOLUME is not in every SDK's headers.
  static constexpr DWORD kVolumeLabelAttribute = 0x08;

  bool opened_ = false;
  HANDLE stdout_ = nullptr;
  DWORD stdout_error_ = 0;
  char reason_[256];  // of StdoutFailureReason
};

}  // namespace

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

void PrepareProcess() {
  // A console program: no message box for a critical error or a missing
  // disk, and none for a crash.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX |
               SEM_NOOPENFILEERRORBOX);
}

std::vector<std::string> CommandLineArguments(int, char**) {
  // The C runtime's split knows escapes that the tool's does not; the whole
  // line is split here instead.
  std::vector<std::string> words =
      SplitCommandLine(GetCommandLineA(), SystemLeadBytes());
  if (!words.empty())
    words.erase(words.begin());
  return words;
}
