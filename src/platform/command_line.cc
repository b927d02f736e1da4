#include "platform/command_line.h"

namespace {

// Whether c parts words as the C runtime splits a command line: any control
// byte or the space.
bool PartsWords(unsigned char c) { return c >= 0x01 && c <= 0x20; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line,
                                          const LeadByteTable& lead) {
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> words;
  size_t pos = 0, end = line.size();
  auto at = [&line](size_t i) { return static_cast<unsigned char>(line[i]); };
  // Appends the character at pos (two bytes for a double-byte one).
  auto take = [&](std::string& word) {
    size_t width = (lead[at(pos)] && pos + 1 < end) ? 2 : 1;
    word.append(line.substr(pos, width));
    pos += width;
  };
  for (;;) {
    while (pos < end) {
      if (PartsWords(at(pos)))
        ++pos;
      else if (at(pos) == '"' && pos + 1 < end && at(pos + 1) == '"')
        pos += 2;
      else
        break;
    }
    std::string word;
    while (pos < end && !PartsWords(at(pos))) {
      if (at(pos) != '"') {
        take(word);
        continue;
      }
      ++pos;  // opening quote
      while (pos < end && at(pos) != '"')
        take(word);
      if (pos < end)
        ++pos;  // closing quote
    }
    if (word.empty())
      return words;
    words.push_back(std::move(word));
  }
}
