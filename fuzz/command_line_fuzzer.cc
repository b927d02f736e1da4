// The command-line splitter on arbitrary lines, with no lead bytes or with
// a lead-byte table taken from the input. It must hold that:
// - it reads only the bytes of the line (the line is a heap copy of exactly
//   its size, so a read past it is an address-sanitizer finding);
// - no word is empty, and no word holds a NUL byte;
// - the words are the line's bytes in order: deleting blanks (0x01..0x20)
//   and double quotes, and nothing else, from the line up to its first NUL
//   leaves exactly the words, joined;
// - a line without double quotes and lead bytes splits into its runs of
//   non-blank bytes;
// - quoting each word and joining them with one space (the last word
//   without its closing quote, so that a lone lead byte at its end takes
//   nothing with it) splits into the same words again.
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "platform/command_line.h"

namespace {

bool IsBlank(unsigned char c) { return c >= 0x01 && c <= 0x20; }

std::vector<std::string> Split(std::string_view text,
                               const LeadByteTable& lead) {
  // Exactly the bytes of text on the heap, nothing after them.
  std::unique_ptr<char[]> copy(new char[text.size()]);
  if (!text.empty())
    std::memcpy(copy.get(), text.data(), text.size());
  return SplitCommandLine(std::string_view(copy.get(), text.size()), lead);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  uint8_t mode = input.Byte();
  LeadByteTable lead = input.LeadBytes(mode);
  std::string_view line = input.Rest();

  std::vector<std::string> words = Split(line, lead);

  std::string_view content = line.substr(0, line.find('\0'));
  std::string joined;
  for (const std::string& word : words) {
    FUZZ_CHECK(!word.empty());
    FUZZ_CHECK(word.find('\0') == std::string::npos);
    joined += word;
  }

  // The words' bytes are the line's bytes with blanks and quotes deleted.
  size_t pos = 0;
  for (char c : joined) {
    while (pos < content.size() && content[pos] != c) {
      unsigned char skipped = static_cast<unsigned char>(content[pos]);
      FUZZ_CHECK(IsBlank(skipped) || skipped == '"');
      ++pos;
    }
    FUZZ_CHECK(pos < content.size());
    ++pos;
  }
  for (; pos < content.size(); ++pos) {
    unsigned char skipped = static_cast<unsigned char>(content[pos]);
    FUZZ_CHECK(IsBlank(skipped) || skipped == '"');
  }

  bool has_lead = false;
  for (unsigned char c : content)
    has_lead = has_lead || lead[c];
  if (!has_lead && content.find('"') == std::string_view::npos) {
    std::vector<std::string> runs;
    size_t i = 0;
    while (i < content.size()) {
      while (i < content.size() && IsBlank(content[i])) ++i;
      size_t start = i;
      while (i < content.size() && !IsBlank(content[i])) ++i;
      if (i > start)
        runs.emplace_back(content.substr(start, i - start));
    }
    FUZZ_CHECK(words == runs);
  }

  std::string requoted;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0)
      requoted += ' ';
    requoted += '"';
    requoted += words[i];
    if (i + 1 < words.size())
      requoted += '"';
  }
  FUZZ_CHECK(Split(requoted, lead) == words);
  return 0;
}
