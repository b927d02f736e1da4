// The grouping on arbitrary lists of names (split at LF; names that a
// batch line cannot quote are left out, as the directory search leaves them
// out). It must hold that:
// - ProcessMask writes the lines that BuildGroupLine gives over the sorted
//   list, first with the filter "[!]", then without, and exactly the lines
//   and marks of the step-by-step reference grouping;
// - every line parses back into the prefix, the quoted parent, the quoted
//   clones and the suffix; its parent is the entry that the line was built
//   for and its clones are exactly the entries that the call took;
// - no line is without a clone, a call that writes no line takes nothing,
//   and no entry is taken twice, so each name is a clone at most once;
// - sorting keeps every name.
#include <algorithm>
#include <string>

#include "../tests/reference_grouping.h"
#include "fuzz_input.h"
#include "matching/process_mask.h"
#include "platform/platform.h"

namespace {

// Yields the names of the input as one directory listing.
class ListingPlatform : public Platform {
 public:
  std::vector<std::pair<std::string_view, bool>> entries;
  LeadByteTable lead{};

  void SearchDirectory(std::string_view,
                       const DirectoryVisitor& visit) override {
    for (const auto& [name, is_directory] : entries)
      visit(name, is_directory);
  }
  bool StdoutIsConsole() override { return false; }
  uint32_t WriteStdout(const char*, size_t) override { return 0; }
  void WriteStderr(std::string_view) override {}
  std::string ProgramFileName() override { return "tramlune"; }
  const LeadByteTable& LeadBytes() override { return lead; }
  [[noreturn]] void EndProcess(int) override { std::abort(); }
};

// Reads one quoted path at the front of rest: the bytes between two double
// quotes with every "%%" read as "%"; a lone "%" fails the check. Returns
// what follows dir.
std::string TakeQuotedName(std::string_view& rest, std::string_view dir) {
  FUZZ_CHECK(!rest.empty() && rest[0] == '"');
  size_t close = rest.find('"', 1);
  FUZZ_CHECK(close != std::string_view::npos);
  std::string path;
  for (size_t i = 1; i < close; ++i) {
    path += rest[i];
    if (rest[i] == '%') {
      FUZZ_CHECK(i + 1 < close && rest[i + 1] == '%');
      ++i;
    }
  }
  rest.remove_prefix(close + 1);
  FUZZ_CHECK(path.compare(0, dir.size(), dir) == 0);
  return path.substr(dir.size());
}

// What a line holds after dir for name: the name, with ".\" in front when
// dir is empty and the name begins with "-", so that it is no switch.
std::string AsWritten(std::string_view dir, std::string_view name) {
  std::string written = dir.empty() && name.substr(0, 1) == "-" ? ".\\" : "";
  return written + std::string(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  uint8_t mode = input.Byte();
  ListingPlatform platform;
  if (mode & 1)
    platform.lead = DoubleByteTable();
  const LeadByteTable& lead = platform.lead;
  static const char* const kDirs[] = {"", "C:\\%x%\\", "roms/", "d\x95\\"};
  std::string mask = std::string(kDirs[(mode >> 1) & 3]) + "*";
  std::string_view prefix = (mode & 8) ? "7z a \"x y.7z\" " : "";
  std::string_view suffix = (mode & 8) ? " >log" : "";
  bool with_directories = mode & 16;

  std::vector<std::string_view> files;
  for (std::string_view name : input.Split('\n')) {
    if (name.empty() || name.find('\0') != std::string_view::npos ||
        !ScriptCanHold(ScriptKind::kBatch, name))
      continue;
    bool is_directory = with_directories && platform.entries.size() % 3 == 2;
    platform.entries.emplace_back(name, is_directory);
    if (!is_directory)
      files.push_back(name);
  }

  std::vector<std::string> written;
  ProcessMask(mask, prefix, suffix, platform,
              [&written](std::string_view line) { written.emplace_back(line); });

  std::string_view dir = DirectoryPart(mask, lead);
  FileList list(lead);
  for (std::string_view name : files)
    list.Append(name);
  list.Sort();
  std::vector<std::string> sorted(files.begin(), files.end());
  std::vector<std::string> listed;
  for (int32_t i = 0; i < list.Count(); ++i)
    listed.emplace_back(list.Name(i));
  std::sort(sorted.begin(), sorted.end());
  std::sort(listed.begin(), listed.end());
  FUZZ_CHECK(sorted == listed);

  ReferenceList reference;
  reference.lead = lead;
  for (int32_t i = 0; i < list.Count(); ++i) {
    reference.names.emplace_back(list.Name(i));
    reference.marks.push_back(0);
  }

  std::vector<std::string> lines;
  std::vector<int32_t> marks(list.Count(), 0);
  for (std::string_view filter : {"[!]", ""}) {
    for (int32_t i = 0; i < list.Count(); ++i) {
      std::string line = BuildGroupLine(dir, prefix, suffix, filter, i, list);
      std::vector<std::string> taken;
      for (int32_t j = 0; j < list.Count(); ++j) {
        if (list.Mark(j) == marks[j])
          continue;
        FUZZ_CHECK(marks[j] == 0 && list.Mark(j) == -1);
        marks[j] = -1;
        if (j != i)
          taken.push_back(AsWritten(dir, list.Name(j)));
      }
      if (line.empty()) {
        FUZZ_CHECK(taken.empty());
        continue;
      }
      FUZZ_CHECK(!taken.empty());
      FUZZ_CHECK(list.Mark(i) == -1);

      std::string_view rest = line;
      FUZZ_CHECK(rest.substr(0, prefix.size()) == prefix);
      rest.remove_prefix(prefix.size());
      FUZZ_CHECK(!rest.empty() && rest[0] == ' ');
      rest.remove_prefix(1);
      FUZZ_CHECK(TakeQuotedName(rest, dir) == AsWritten(dir, list.Name(i)));
      FUZZ_CHECK(!rest.empty() && rest[0] == ' ');
      rest.remove_prefix(1);
      std::vector<std::string> clones;
      while (rest.size() >= 2 && rest[0] == ' ' && rest[1] == '"') {
        rest.remove_prefix(1);
        clones.push_back(TakeQuotedName(rest, dir));
      }
      FUZZ_CHECK(rest == " " + std::string(suffix));
      std::sort(clones.begin(), clones.end());
      std::sort(taken.begin(), taken.end());
      FUZZ_CHECK(clones == taken);
      lines.push_back(std::move(line));
    }
  }
  FUZZ_CHECK(lines == written);
  FUZZ_CHECK(ReferenceGroupLines(dir, prefix, suffix, reference) == lines);
  for (int32_t i = 0; i < list.Count(); ++i)
    FUZZ_CHECK(reference.marks[i] == list.Mark(i));
  return 0;
}
