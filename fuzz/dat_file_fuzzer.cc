// The DAT reader and the grouping by its families on arbitrary text. It
// must hold that:
// - reading ends, without a crash or a stack that grows with the nesting;
// - reading the root's children in pieces gives what reading the whole
//   text at once gives: the same games, or the same reason, whichever of
//   the two parts of the pieces is read first;
// - a DAT that reads has games, each with its roms in range;
// - every game has a family below the count, numbered in order of first
//   appearance, and shares it with the game its cloneof names;
// - grouping a list of the DAT's names puts every entry in at most one
//   group (exactly one with singles), and counts every entry as held or not.
#include <string>
#include <unordered_map>
#include <vector>

#include "fuzz_input.h"
#include "matching/dat_families.h"
#include "matching/dat_file.h"
#include "matching/dat_grouping.h"
#include "matching/file_list.h"

namespace {

class CountedGroups : public GroupSink {
 public:
  explicit CountedGroups(int32_t n) : seen(static_cast<size_t>(n), 0) {}
  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view) override {
    ++seen[parent];
    for (int32_t clone : clones)
      ++seen[clone];
  }
  std::vector<int> seen;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  uint8_t mode = input.Byte();
  DatFile dat, whole;
  std::string text(input.Rest());
  // Pieces of one child each, read in two parts: the second part first.
  std::string error = ReadDat(
      text, &dat, mode & 4 ? 1 : 64,
      [](const Task& first, const Task& second) {
        second();
        first();
      });
  FUZZ_CHECK(ReadDat(text, &whole, 0) == error);
  if (!error.empty())
    return 0;
  FUZZ_CHECK(dat.roms == whole.roms);
  FUZZ_CHECK(dat.games.size() == whole.games.size());
  for (size_t g = 0; g < dat.games.size(); ++g) {
    const DatGame &a = dat.games[g], &b = whole.games[g];
    FUZZ_CHECK(a.name == b.name && a.parent == b.parent && a.id == b.id &&
               a.parent_id == b.parent_id && a.first_rom == b.first_rom &&
               a.rom_count == b.rom_count);
  }
  FUZZ_CHECK(!dat.games.empty());
  FindDatFamilies(&dat);
  std::unordered_map<std::string_view, int32_t> first_named;
  int32_t next_family = 0;
  for (const DatGame& g : dat.games) {
    FUZZ_CHECK(g.first_rom + g.rom_count <= dat.roms.size());
    FUZZ_CHECK(g.family >= 0 && g.family < dat.family_count);
    FUZZ_CHECK(g.family <= next_family);
    if (g.family == next_family)
      ++next_family;
    first_named.emplace(g.name, g.family);
  }
  FUZZ_CHECK(next_family == dat.family_count);
  for (const DatGame& g : dat.games) {
    auto parent = first_named.find(g.parent);
    if (!g.parent.empty() && parent != first_named.end())
      FUZZ_CHECK(parent->second == g.family);
  }

  FileList list;
  for (std::string_view rom : dat.roms)
    list.Append(rom);
  for (const DatGame& g : dat.games)
    list.Append(std::string(g.name) + ".zip");
  list.Append("not in the DAT");
  list.Sort();
  GroupingOptions options;
  options.dat = &dat;
  options.singles = mode & 1;
  options.fold_names = mode & 2;
  options.regions = {"USA", "Japan"};
  CountedGroups groups(list.Count());
  DatMatches matches = GroupDat(list, options, groups);
  FUZZ_CHECK(matches.held + matches.not_held == list.Count());
  for (int32_t i = 0; i < list.Count(); ++i) {
    FUZZ_CHECK(groups.seen[i] <= 1);
    FUZZ_CHECK(groups.seen[i] == (list.Taken(i) ? 1 : 0));
    if (options.singles)
      FUZZ_CHECK(groups.seen[i] == 1);
  }
  return 0;
}
