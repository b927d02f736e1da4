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

// Collects the pieces of a line in a string.
class StringSink : public LineSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  void Write(std::string_view text) override { text_.append(text); }
  void EndLine() override {}

 private:
  std::string& text_;
};

}  // namespace

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
  std::string line;
  StringSink sink(line);
  WriteGroupLine(dir, prefix, suffix, filter, index, list, sink);
  return line;
}

bool WriteGroupLine(std::string_view dir, std::string_view prefix,
                    std::string_view suffix, std::string_view filter,
                    int32_t index, FileList& list, LineSink& sink,
                    ScriptKind kind) {
  if (index < 0 || index >= list.Count())
    return false;
  // Until a clone is found, only the entry's cached facts are read, not
  // its name.
  if (!filter.empty() &&
      !(filter == kVerifiedTag ? list.Verified(index)
                               : ContainsText(list.Name(index), filter) != 0))
    return false;
  uint32_t shortest = list.TitleSize(index);
  if (shortest == 0)  // an empty base has no title to share
    return false;

  // The title level is tried last, so its block holds every block of the
  // longer levels. A neighbour begins with the parent's title exactly when
  // they share at least its length, and an entry farther away shares with
  // the parent the least that neighbours share on the way. So, walking away
  // from the parent over the free entries only (taken ones are skipped
  // without being visited), that running minimum is each entry's level,
  // capped at the base's length, and the block ends where it drops below
  // the title. Each side comes out with its levels in descending order.
  // The names lie anywhere in the list's store: the parent's and the first
  // clones' are fetched as the clones are found, so that their reads
  // overlap before the line is written, and each later clone's some places
  // ahead of its turn.
  constexpr size_t kAhead = 16;
  uint32_t top = static_cast<uint32_t>(list.Base(index).size());
  // The clones of each side, in buffers that keep their room from line to
  // line: most entries head no line, and most lines are short.
  static thread_local std::vector<Clone> above, below;
  above.clear();
  below.clear();
  auto found = [&](std::vector<Clone>& side, uint32_t level, int32_t j) {
    if (above.empty() && below.empty())
      __builtin_prefetch(list.Name(index).data());
    if (side.size() < kAhead)
      __builtin_prefetch(list.Name(j).data());
    side.push_back({level, j});
  };
  uint32_t level = top;
  for (int32_t j = list.PreviousFree(index - 1), last = index; j >= 0;
       last = j, j = list.PreviousFree(j - 1)) {
    level = std::min(level, list.SharedPrefix(j, last));
    if (level < shortest)
      break;
    found(above, level, j);
  }
  level = top;
  for (int32_t j = list.NextFree(index + 1), last = index; j < list.Count();
       last = j, j = list.NextFree(j + 1)) {
    level = std::min(level, list.SharedPrefix(last, j));
    if (level < shortest)
      break;
    found(below, level, j);
  }
  if (above.empty() && below.empty())
    return false;

  // Longer levels first; within a level, in list order. Above the parent,
  // each level's run was gathered downwards, so it is turned round; then
  // the two sides merge as they are written, the upper one first on equal
  // levels.
  for (auto run = above.begin(); run != above.end();) {
    auto end = std::find_if(run, above.end(), [run](const Clone& c) {
      return c.level != run->level;
    });
    std::reverse(run, end);
    run = end;
  }
  list.Take(index);
  sink.Write(prefix);
  sink.Write(" ");
  WriteQuotedPath(sink, kind, dir, list.Name(index));
  sink.Write(" ");
  size_t a = 0, b = 0;
  for (size_t k = 0; k < above.size() + below.size(); ++k) {
    bool upper = b == below.size() ||
                 (a < above.size() && above[a].level >= below[b].level);
    const Clone& c = upper ? above[a++] : below[b++];
    const std::vector<Clone>& side = upper ? above : below;
    if (size_t later = (upper ? a : b) + kAhead - 1; later < side.size())
      __builtin_prefetch(list.Name(side[later].index).data());
    sink.Write(" ");
    WriteQuotedPath(sink, kind, dir, list.Name(c.index));
    list.Take(c.index);
  }
  sink.Write(" ");
  sink.Write(suffix);
  sink.EndLine();
  return true;
}

void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform, LineSink& sink,
                 ScriptKind kind) {
  const LeadByteTable& lead = platform.LeadBytes();
  std::string_view dir = DirectoryPart(mask, lead);
  // The directory part stands in every line like a name, so it must be
  // one that the script can hold.
  if (!ScriptCanHold(kind, dir)) {
    platform.WriteStderr(LeftOutDirectoryLine(dir));
    return;
  }
  FileList list(lead);
  platform.SearchDirectory(mask, [&](std::string_view name,
                                     bool is_directory) {
    if (is_directory)
      return;
    if (!ScriptCanHold(kind, name)) {
      platform.WriteStderr(LeftOutNameLine(name));
      return;
    }
    list.Append(name);
  });
  list.Sort();
  for (std::string_view filter : {kVerifiedTag, std::string_view()}) {
    int32_t count = list.Count();
    for (int32_t i = 0; i < count; ++i) {
      WriteGroupLine(dir, prefix, suffix, filter, i, list, sink, kind);
    }
  }
}

void ProcessMask(std::string_view mask, std::string_view prefix,
                 std::string_view suffix, Platform& platform,
                 const LineWriter& write_line, ScriptKind kind) {
  class WholeLines : public LineSink {
   public:
    explicit WholeLines(const LineWriter& write_line)
        : write_line_(write_line) {}
    void Write(std::string_view text) override { line_.append(text); }
    void EndLine() override {
      write_line_(line_);
      line_.clear();
    }

   private:
    const LineWriter& write_line_;
    std::string line_;
  } sink(write_line);
  ProcessMask(mask, prefix, suffix, platform, sink, kind);
}
