#include "matching/process_mask.h"

#include <algorithm>
#include <iterator>
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
  // Until a clone is found, only the entry's cached facts are read, not
  // its name.
  if (!filter.empty() &&
      !(filter == kVerifiedTag ? list.Verified(index)
                               : ContainsText(list.Name(index), filter) != 0))
    return std::string();
  uint32_t shortest = list.TitleSize(index);
  if (shortest == 0)  // an empty base has no title to share
    return std::string();

  // The title level is tried last, so its block holds every block of the
  // longer levels. A neighbour begins with the parent's title exactly when
  // they share at least its length, and an entry farther away shares with
  // the parent the least that neighbours share on the way. So, walking away
  // from the parent over the free entries only (taken ones are skipped
  // without being visited), that running minimum is each entry's level,
  // capped at the base's length, and the block ends where it drops below
  // the title. Each side comes out with its levels in descending order.
  uint32_t top = static_cast<uint32_t>(list.Base(index).size());
  std::vector<Clone> above, below;
  uint32_t level = top;
  for (int32_t j = list.PreviousFree(index - 1), last = index; j >= 0;
       last = j, j = list.PreviousFree(j - 1)) {
    level = std::min(level, list.SharedPrefix(j, last));
    if (level < shortest)
      break;
    above.push_back({level, j});
  }
  level = top;
  for (int32_t j = list.NextFree(index + 1), last = index; j < list.Count();
       last = j, j = list.NextFree(j + 1)) {
    level = std::min(level, list.SharedPrefix(last, j));
    if (level < shortest)
      break;
    below.push_back({level, j});
  }
  if (above.empty() && below.empty())
    return std::string();

  // Longer levels first; within a level, in list order. Above the parent,
  // each level's run was gathered downwards, so it is turned round; then
  // the two sides merge, the upper one first on equal levels.
  for (auto run = above.begin(); run != above.end();) {
    auto end = std::find_if(run, above.end(), [run](const Clone& c) {
      return c.level != run->level;
    });
    std::reverse(run, end);
    run = end;
  }
  std::vector<Clone> clones;
  clones.reserve(above.size() + below.size());
  std::merge(above.begin(), above.end(), below.begin(), below.end(),
             std::back_inserter(clones), [](const Clone& x, const Clone& y) {
               return x.level > y.level;
             });
  std::vector<Clone>().swap(above);
  std::vector<Clone>().swap(below);

  std::string_view name = list.Name(index);
  size_t size = prefix.size() + suffix.size() + 4 + dir.size() + name.size();
  for (const Clone& c : clones)
    size += 3 + dir.size() + list.NameSize(c.index);
  std::string line;
  line.reserve(size);
  line.append(prefix);
  line += ' ';
  AppendQuotedPath(line, dir, name);
  line += ' ';
  list.Take(index);
  constexpr size_t kAhead = 8;  // clones' names lie scattered in the store
  for (size_t k = 0; k < clones.size(); ++k) {
    if (k + kAhead < clones.size())
      __builtin_prefetch(list.Name(clones[k + kAhead].index).data());
    line += ' ';
    AppendQuotedPath(line, dir, list.Name(clones[k].index));
    list.Take(clones[k].index);
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
      // Most names end up in some line, near where their group begins; the
      // store holds them in the order they were listed, not sorted.
      list.PrefetchName(i + 16);
      std::string line = BuildGroupLine(dir, prefix, suffix, filter, i, list);
      if (!line.empty())
        write_line(line);
    }
  }
}
