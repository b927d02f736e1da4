#include "matching/dat_grouping.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ascii_fold.h"
#include "matching/dat_file.h"
#include "matching/no_intro_names.h"

namespace {

// Hashing and equality of names, with ASCII letters folded or byte by byte.
struct NameHash {
  bool fold;
  size_t operator()(std::string_view s) const {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : s)
      h = (h ^ (fold ? FoldByte(c) : c)) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};
struct NameEqual {
  bool fold;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size())
      return false;
    if (!fold)
      return a == b;
    for (size_t i = 0; i < a.size(); ++i)
      if (FoldByte(a[i]) != FoldByte(b[i]))
        return false;
    return true;
  }
};
using NameIndex = std::unordered_map<std::string_view, int32_t, NameHash,
                                     NameEqual>;

// Where a listed entry stands in the DAT: its game, whether it is a sheet,
// and its rom's place among the game's roms (rom_count for the game packed
// whole).
struct Place {
  int32_t game = -1;
  bool sheet = false;
  uint32_t rom = 0;
};

bool IsSheet(std::string_view extension) {
  NameEqual folded{true};
  return folded(extension, ".cue") || folded(extension, ".gdi");
}

}  // namespace

DatMatches GroupDat(FileList& list, const GroupingOptions& options,
                    GroupSink& sink) {
  const DatFile& dat = *options.dat;
  const int32_t n = list.Count();
  DatMatches matches;

  NameIndex roms(dat.roms.size(), NameHash{options.fold_names},
                 NameEqual{options.fold_names});
  NameIndex games(dat.games.size(), NameHash{options.fold_names},
                  NameEqual{options.fold_names});
  std::vector<int32_t> game_of_rom(dat.roms.size());
  for (int32_t g = 0; g < static_cast<int32_t>(dat.games.size()); ++g) {
    const DatGame& game = dat.games[g];
    if (!game.name.empty())
      games.emplace(game.name, g);
    for (uint32_t r = game.first_rom; r < game.first_rom + game.rom_count;
         ++r) {
      game_of_rom[r] = g;
      if (!dat.roms[r].empty())
        roms.emplace(dat.roms[r], static_cast<int32_t>(r));
    }
  }

  // Each free entry's place, and the entries of each family in list order.
  std::vector<Place> place(static_cast<size_t>(n));
  std::vector<int32_t> start(static_cast<size_t>(dat.family_count) + 1, 0);
  for (int32_t i = 0; i < n; ++i) {
    if (list.Taken(i))
      continue;
    Place& p = place[i];
    if (auto rom = roms.find(list.Name(i)); rom != roms.end()) {
      p.game = game_of_rom[rom->second];
      p.rom = static_cast<uint32_t>(rom->second) -
              dat.games[p.game].first_rom;
    } else if (auto game = games.find(list.Base(i)); game != games.end()) {
      p.game = game->second;
      p.rom = dat.games[p.game].rom_count;
    } else {
      if (matches.not_held < 2)
        matches.not_held_examples[matches.not_held] = i;
      ++matches.not_held;
      continue;
    }
    p.sheet = IsSheet(list.Extension(i));
    ++matches.held;
    ++start[dat.games[p.game].family + 1];
  }
  for (size_t f = 1; f < start.size(); ++f)
    start[f] += start[f - 1];
  std::vector<int32_t> members(static_cast<size_t>(matches.held));
  {
    std::vector<int32_t> next(start.begin(), start.end() - 1);
    for (int32_t i = 0; i < n; ++i)
      if (place[i].game >= 0)
        members[next[dat.games[place[i].game].family]++] = i;
  }

  // Each family of enough entries: its preferred game, its entries in line
  // order with the parent first, noted at the parent's place in the list.
  const size_t least = options.singles ? 1 : 2;
  std::vector<int32_t> heads(static_cast<size_t>(n), -1);
  std::vector<std::string_view> titles(static_cast<size_t>(dat.family_count));
  auto preference = [&](int32_t g) {
    std::string_view name = dat.games[g].name;
    return NoIntroPreferenceOf(name.substr(NoIntroTitleLength(name)),
                               options.regions);
  };
  for (int32_t f = 0; f < dat.family_count; ++f) {
    auto first = members.begin() + start[f], last = members.begin() +
                                                    start[f + 1];
    if (static_cast<size_t>(last - first) < least)
      continue;
    int32_t best = place[*first].game;
    NoIntroPreference best_preference = preference(best);
    for (auto it = first + 1; it != last; ++it) {
      int32_t g = place[*it].game;
      if (g == best)
        continue;
      NoIntroPreference next = preference(g);
      if (NoIntroPreferred(next, best_preference) ||
          (g < best && !NoIntroPreferred(best_preference, next))) {
        best = g;
        best_preference = next;
      }
    }
    std::sort(first, last, [&](int32_t a, int32_t b) {
      int32_t ga = place[a].game == best ? -1 : place[a].game;
      int32_t gb = place[b].game == best ? -1 : place[b].game;
      if (ga != gb)
        return ga < gb;
      if (place[a].sheet != place[b].sheet)
        return place[a].sheet;
      if (place[a].rom != place[b].rom)
        return place[a].rom < place[b].rom;
      return a < b;
    });
    heads[*first] = f;
    std::string_view name = dat.games[best].name;
    titles[f] = name.substr(0, NoIntroTitleLength(name));
  }

  // The groups, in the list order of their parents.
  for (int32_t i = 0; i < n; ++i) {
    if (int32_t f = heads[i]; f >= 0) {
      std::span<const int32_t> clones(members.data() + start[f] + 1,
                                      members.data() + start[f + 1]);
      list.Take(i);
      for (int32_t clone : clones)
        list.Take(clone);
      std::string_view title = titles[f];
      if (title.empty())
        title = list.Base(i).substr(0, NoIntroTitleLength(list.Base(i)));
      sink.Group(i, clones, title);
    } else if (options.singles && place[i].game < 0 && !list.Taken(i)) {
      list.Take(i);
      sink.Group(i, {}, list.Base(i).substr(0, NoIntroTitleLength(list.Base(i))));
    }
  }
  return matches;
}
