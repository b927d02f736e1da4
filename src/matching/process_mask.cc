#include "matching/process_mask.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace {

// Whether name begins with prefix, letters folded; a shorter name does not.
bool PassesPrefix(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() &&
         FoldedPrefixLength(name.substr(0, prefix.size()), prefix) ==
             prefix.size();
}

// A clone found for a parent: the longest prefix of the parent's base that
// it shares, which is the level at which it is taken, and its index.
struct Clone {
  uint32_t level;
  int32_t index;
};

}  // namespace

size_t MinimumPrefixLength(std::string_view base) {
  size_t bracket = base.find('[');
  if (bracket == std::string_view::npos)
    return base.size();
  while (bracket > 0 && base[bracket - 1] == ' ')
    --bracket;
  // The title keeps the first of those spaces, or the "[" itself.
  return bracket + 1;
}

void AppendQuotedPath(std::string& line, std::string_view dir,
                      std::string_view name) {
  line += '"';
  for (std::string_view part : {dir, name}) {
    size_t pos;
    while ((pos = part.find('%')) != std::string_view::npos) {
      line.append(part.substr(0, pos + 1));
      line += '%';
      part.remove_prefix(pos + 1);
    }
    line.append(part);
  }
  line += '"';
}

int32_t ExtendRun(FileList& list, std::string_view prefix, int32_t start,
                  int step) {
  if (start < 0 || start >= list.Count() || prefix.empty())
    return -1;
  int32_t next = start + step;
  if (next < 0 || next >= list.Count() ||
      !PassesPrefix(list.Name(next), prefix))
    return start;
  // Beginning with the prefix passes from neighbour to neighbour exactly
  // while they share at least its length.
  return list.BlockEnd(next, step, static_cast<uint32_t>(prefix.size()));
}

std::string BuildGroupLine(std::string_view dir, std::string_view prefix,
                           std::string_view suffix, std::string_view filter,
                           int32_t index, FileList& list) {
  if (index < 0 || index >= list.Count())
    return std::string();
  std::string_view name = list.Name(index);
  if (!filter.empty() && ContainsText(name, filter) == 0)
    return std::string();
  std::string_view base = list.Base(index);
  size_t shortest = MinimumPrefixLength(base);
  if (shortest == 0)  // an empty base has no title to share
    return std::string();

  // The title level is tried last, so its block holds every block of the
  // longer levels. Each free entry in it is taken at the longest level that
  // it shares, capped at the base's length; taken entries are skipped
  // without being visited.
  std::string_view title = base.substr(0, shortest);
  int32_t lo = ExtendRun(list, title, index, -1);
  int32_t hi = ExtendRun(list, title, index, +1);
  uint32_t top = static_cast<uint32_t>(base.size());
  std::vector<Clone> clones;
  for (int32_t j = list.PreviousFree(index - 1); j >= lo;
       j = list.PreviousFree(j - 1))
    clones.push_back({std::min(list.SharedPrefix(j, index), top), j});
  for (int32_t j = list.NextFree(index + 1); j <= hi;
       j = list.NextFree(j + 1))
    clones.push_back({std::min(list.SharedPrefix(index, j), top), j});
  if (clones.empty())
    return std::string();

  // Longer levels first; within a level, in list order.
  std::sort(clones.begin(), clones.end(), [](const Clone& a, const Clone& b) {
    return a.level != b.level ? a.level > b.level : a.index < b.index;
  });

  size_t size = prefix.size() + suffix.size() + 4 + dir.size() + name.size();
  for (const Clone& c : clones)
    size += 3 + dir.size() + list.Name(c.index).size();
  std::string line;
  line.reserve(size);
  line.append(prefix);
  line += ' ';
  AppendQuotedPath(line, dir, name);
  line += ' ';
  list.Take(index);
  for (const Clone& c : clones) {
    line += ' ';
    AppendQuotedPath(line, dir, list.Name(c.index));
    list.Take(c.index);
  }
  line += ' ';
  line.append(suffix);
  return line;
}

void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform,
                 const LineWriter& write_line) {
  const LeadByteTable& lead = platform.LeadBytes();
  std::string_view dir = DirectoryPart(mask, lead);
  FileList list(lead);
  platform.SearchDirectory(mask, [&list](std::string_view name,
                                         bool is_directory) {
    if (!is_directory)
      list.Append(name);
  });
  list.Sort();
  for (std::string_view filter : {std::string_view("[!]"), std::string_view()}) {
    int32_t count = list.Count();
    for (int32_t i = 0; i < count; ++i) {
      std::string line = BuildGroupLine(dir, prefix, suffix, filter, i, list);
      if (!line.empty())
        write_line(line);
    }
  }
}
