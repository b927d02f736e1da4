#include "matching/dat_grouping.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "matching/dat_file.h"
#include "matching/file_names.h"
#include "matching/name_index.h"
#include "matching/no_intro_names.h"

namespace {

// Where a listed entry stands in the DAT: its game, whether it is a sheet,
// and its rom's place among the game's roms (rom_count for the game packed
// whole).
struct Place {
  int32_t game = -1;
  bool sheet = false;
  uint32_t rom = 0;
};

bool IsSheet(std::string_view extension) {
  auto is = [&](std::string_view sheet) {
    return extension.size() == sheet.size() &&
           FoldedPrefixLength(extension, sheet) == sheet.size();
  };
  return is(".CUE") || is(".GDI");
}

}  // namespace

DatMatches GroupDat(FileList& list, const GroupingOptions& options,
                    GroupSink& sink) {
  const DatFile& dat = *options.dat;
  const int32_t n = list.Count();
  DatMatches matches;

  NameIndex roms(dat.roms.size(), options.fold_names);
  NameIndex games(dat.games.size(), options.fold_names);
  std::vector<int32_t> game_of_rom(dat.roms.size());
  ForEachHashed(games, dat.games.size(),
                [&](size_t g) { return dat.games[g].name; },
                [&](size_t g, uint64_t hash) {
                  const DatGame& game = dat.games[g];
                  if (!game.name.empty())
                    games.Add(game.name, hash, static_cast<int32_t>(g));
                  for (uint32_t r = 0; r < game.rom_count; ++r)
                    game_of_rom[game.first_rom + r] = static_cast<int32_t>(g);
                });
  ForEachHashed(roms, dat.roms.size(),
                [&](size_t r) { return dat.roms[r]; },
                [&](size_t r, uint64_t hash) {
                  if (!dat.roms[r].empty())
                    roms.Add(dat.roms[r], hash, static_cast<int32_t>(r));
                });

  // Each free entry's place, and the entries of each family in list order.
  std::vector<Place> place(static_cast<size_t>(n));
  std::vector<int32_t> start(static_cast<size_t>(dat.family_count) + 1, 0);
  ForEachHashed(roms, static_cast<size_t>(n),
                [&](size_t i) { return list.Name(static_cast<int32_t>(i)); },
                [&](size_t at, uint64_t hash) {
    const int32_t i = static_cast<int32_t>(at);
    if (list.Taken(i))
      return;
    Place& p = place[i];
    if (int32_t rom = roms.Find(list.Name(i), hash); rom >= 0) {
      p.game = game_of_rom[rom];
      p.rom = static_cast<uint32_t>(rom) - dat.games[p.game].first_rom;
    } else if (int32_t game = games.Find(list.Base(i)); game >= 0) {
      p.game = game;
      p.rom = dat.games[p.game].rom_count;
    } else {
      if (matches.not_held < 2)
        matches.not_held_examples[matches.not_held] = i;
      ++matches.not_held;
      return;
    }
    p.sheet = IsSheet(list.Extension(i));
    ++matches.held;
    ++start[dat.games[p.game].family + 1];
  });
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
