// A stand-in for the command of a script: appends what it received to
// probe.log in the current directory, one line per run: the whole command
// line (GetCommandLineA), then each argument after the program's name as
// the C runtime split it, every field in hexadecimal and ended by a TAB.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void AppendHex(std::string& out, const char* text) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (; *text; ++text) {
    unsigned char c = static_cast<unsigned char>(*text);
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  out += '\t';
}

}  // namespace

int main(int argc, char** argv) {
  std::string record;
  AppendHex(record, GetCommandLineA());
  for (int i = 1; i < argc; ++i)
    AppendHex(record, argv[i]);
  record += '\n';
  FILE* log = std::fopen("probe.log", "ab");
  if (!log)
    return 2;
  bool written = std::fwrite(record.data(), 1, record.size(), log) ==
                 record.size();
  return std::fclose(log) == 0 && written ? 0 : 2;
}
