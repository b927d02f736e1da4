// The platform on Windows: every name and the command line are bytes of the
// system code page. The ANSI variants of the Win32 API serve, but for the
// directory search, which lists wide names and keeps those that the code
// page holds.
#include "platform/platform.h"

#include <windows.h>

#include <cwchar>
#include <string>

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

class Win32Platform : public Platform {
 public:
  void SearchDirectory(std::string_view mask,
                       const DirectoryVisitor& visit) override {
    // The ANSI search would hand a name that the code page cannot hold on
    // as '?' or a look-alike; such a name never reaches the caller.
    std::wstring pattern;
    if (!WidePath(CP_ACP, mask, &pattern))
      return;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
      return;
    std::string name, report;
    do {
      size_t length = wcsnlen(data.cFileName, MAX_PATH);
      bool is_directory =
          (data.dwFileAttributes &
           (FILE_ATTRIBUTE_DIRECTORY | kVolumeLabelAttribute)) != 0;
      if (AnsiName(CP_ACP, std::wstring_view(data.cFileName, length), &name,
                   &report))
        visit(name, is_directory);
      else if (!is_directory)
        WriteStderr(report);
    } while (FindNextFileW(search, &data));
    FindClose(search);
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
      if (stdout_ == nullptr || stdout_ == INVALID_HANDLE_VALUE)
        return kStdoutUnavailable;
      opened_ = true;
    }
    return WriteAll(stdout_, data, size);
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

  [[noreturn]] void EndProcess(int status) override {
    ExitProcess(static_cast<UINT>(status));
  }

 private:
  // FILE_ATTRIBUTE_VOLUME is not in every SDK's headers.
  static constexpr DWORD kVolumeLabelAttribute = 0x08;

  bool opened_ = false;
  HANDLE stdout_ = nullptr;
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

std::string_view NativeLineEnd() { return "\r\n"; }

bool NamesFoldCase() { return true; }

std::vector<std::string> CommandLineArguments(int, char**) {
  // The C runtime's split knows escapes that the tool's does not; the whole
  // line is split here instead.
  std::vector<std::string> words =
      SplitCommandLine(GetCommandLineA(), SystemLeadBytes());
  if (!words.empty())
    words.erase(words.begin());
  return words;
}
