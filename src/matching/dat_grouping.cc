#include "matching/dat_grouping.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/ascii_fold.h"
#include "matching/dat_file.h"
#include "matching/file_names.h"
#include "matching/name_index.h"
#include "matching/no_intro_names.h"

namespace {

// Where a listed entry stands in the DAT: its game (-1 for none), its rom as
// a number that orders the game's roms (the rom's place among the DAT's;
// kWholeGame for the game packed whole, after them), and whether it is a
// sheet.
struct Place {
  int32_t game = -1;
  uint32_t rom = 0;
  bool sheet = false;
};
constexpr uint32_t kWholeGame = UINT32_MAX;

// An entry of a family, with its place.
struct Member {
  int32_t entry;
  Place place;
};

// Whether extension is ".cue" or ".gdi", letters folded.
bool IsSheet(std::string_view extension) {
  if (extension.size() != 4 || extension[0] != '.')
    return false;
  auto folded = [&](size_t i) {
    return FoldByte(static_cast<unsigned char>(extension[i]));
  };
  return (folded(1) == 'C' && folded(2) == 'U' && folded(3) == 'E') ||
         (folded(1) == 'G' && folded(2) == 'D' && folded(3) == 'I');
}

// The rom names of dat indexed, folded as fold says.
DatRoms MakeDatRoms(const DatFile& dat, bool fold) {
  size_t bytes = 0;
  for (std::string_view rom : dat.roms)
    bytes += rom.size();
  for (const DatGame& game : dat.games)
    bytes += game.name.size();
  DatRoms roms{NameIndex(dat.roms.size(), fold),
               std::make_unique_for_overwrite<char[]>(bytes),
               std::vector<std::string_view>(dat.games.size()),
               std::vector<int32_t>(dat.roms.size()), fold};
  char* next = roms.names.get();
  auto copy = [&next](std::string_view name) {
    if (!name.empty())
      std::memcpy(next, name.data(), name.size());
    next += name.size();
    return std::string_view(next - name.size(), name.size());
  };
  // Each game's name, then its roms', each rom indexed a few roms after
  // its copy, its slot fetched meanwhile.
  constexpr size_t kBehind = 8;
  struct Copied {
    std::string_view name;
    uint64_t hash;
    int32_t rom;
  } behind[kBehind];
  size_t copied = 0;
  auto index = [&](const Copied& c) {
    if (!c.name.empty())
      roms.index.Add(c.name, c.hash, c.rom);
  };
  for (size_t g = 0; g < dat.games.size(); ++g) {
    const DatGame& game = dat.games[g];
    roms.game_names[g] = copy(game.name);
    for (uint32_t r = game.first_rom; r < game.first_rom + game.rom_count;
         ++r, ++copied) {
      Copied& c = behind[copied % kBehind];
      if (copied >= kBehind)
        index(c);
      c.name = copy(dat.roms[r]);
      c.hash = roms.index.HashOf(c.name);
      c.rom = static_cast<int32_t>(r);
      roms.index.Prefetch(c.hash);
      roms.game_of_rom[r] = static_cast<int32_t>(g);
    }
  }
  for (size_t k = copied > kBehind ? copied - kBehind : 0; k < copied; ++k)
    index(behind[k % kBehind]);
  return roms;
}

}  // namespace

void IndexDatRoms(DatFile* dat, bool fold) {
  dat->indexed_roms = std::make_unique<DatRoms>(MakeDatRoms(*dat, fold));
}

DatMatches GroupDat(FileList& list, const GroupingOptions& options,
                    GroupSink& sink) {
  const DatFile& dat = *options.dat;
  const int32_t n = list.Count();
  const int32_t game_count = static_cast<int32_t>(dat.games.size());
  const size_t family_count = static_cast<size_t>(dat.family_count);
  DatMatches matches;

  // The family of each game, read in the DAT's order into an array of its
  // own; the roms by name, indexed ahead where they fold names alike.
  std::vector<int32_t> family_of(dat.games.size());
  for (int32_t g = 0; g < game_count; ++g)
    family_of[g] = dat.games[g].family;
  std::optional<DatRoms> own_roms;
  const DatRoms* dat_roms = dat.indexed_roms.get();
  if (!dat_roms || dat_roms->fold != options.fold_names)
    dat_roms = &own_roms.emplace(MakeDatRoms(dat, options.fold_names));
  const NameIndex& roms = dat_roms->index;
  const std::vector<int32_t>& game_of_rom = dat_roms->game_of_rom;
  // The games by name, indexed when an entry first is no rom.
  std::optional<NameIndex> games;
  auto game_named = [&](std::string_view base) {
    if (!games) {
      games.emplace(dat.games.size(), options.fold_names);
      ForEachHashed(*games, dat.games.size(),
                    [&](size_t g) { return dat.games[g].name; },
                    [&](size_t g, uint64_t hash) {
                      if (!dat.games[g].name.empty())
                        games->Add(dat.games[g].name, hash,
                                   static_cast<int32_t>(g));
                    });
    }
    return games->Find(base);
  };

  // Each free entry's place, and how many entries each family holds.
  std::vector<Place> place(static_cast<size_t>(n));
  std::vector<int32_t> start(family_count + 1, 0);
  ForEachHashed(roms, static_cast<size_t>(n),
                [&](size_t i) { return list.Name(static_cast<int32_t>(i)); },
                [&](size_t at, uint64_t hash) {
    const int32_t i = static_cast<int32_t>(at);
    if (list.Taken(i))
      return;
    Place& p = place[i];
    if (int32_t rom = roms.Find(list.Name(i), hash); rom >= 0) {
      p.game = game_of_rom[rom];
      p.rom = static_cast<uint32_t>(rom);
    } else if (int32_t game = game_named(list.Base(i)); game >= 0) {
      p.game = game;
      p.rom = kWholeGame;
    } else {
      if (matches.not_held < 2)
        matches.not_held_examples[matches.not_held] = i;
      ++matches.not_held;
      return;
    }
    p.sheet = IsSheet(list.Extension(i));
    ++matches.held;
    ++start[family_of[p.game] + 1];
  });
  for (size_t f = 1; f < start.size(); ++f)
    start[f] += start[f - 1];
  // The entries of each family, in list order.
  std::vector<Member> members(static_cast<size_t>(matches.held));
  {
    std::vector<int32_t> next(start.begin(), start.end() - 1);
    for (int32_t i = 0; i < n; ++i)
      if (place[i].game >= 0)
        members[next[family_of[place[i].game]]++] = {i, place[i]};
  }

  // Each family of enough entries: its preferred game, its entries in line
  // order with the parent first, noted at the parent's place in the list.
  // The games' names, which lie apart, are fetched some entries ahead.
  const size_t least = options.singles ? 1 : 2;
  std::vector<int32_t> entries(members.size());
  std::vector<int32_t> heads(static_cast<size_t>(n), -1);
  std::vector<std::string_view> titles(family_count);
  const std::vector<std::string_view>& game_names = dat_roms->game_names;
  auto title_of = [&](int32_t g) {
    std::string_view name = game_names[g];
    return name.substr(0, NoIntroTitleLength(name));
  };
  auto tags_of = [&](int32_t g, std::string_view title) {
    return game_names[g].substr(title.size());
  };
  constexpr size_t kAhead = 8;
  size_t records_fetched = 0, names_fetched = 0;
  // The tags of the games' names, read through a memory of the tag texts
  // read last: sets repeat a few over and over.
  NoIntroTagReader reader(options.regions);
  std::vector<std::string_view> identity;
  auto preference_of = [&](int32_t g, std::string_view title) {
    identity.clear();
    return reader.Read(tags_of(g, title), {}, &identity);
  };
  for (size_t f = 0; f < family_count; ++f) {
    const size_t begin = static_cast<size_t>(start[f]);
    const size_t end = static_cast<size_t>(start[f + 1]);
    for (; records_fetched < std::min(end + 2 * kAhead, members.size());
         ++records_fetched)
      __builtin_prefetch(&game_names[members[records_fetched].place.game]);
    for (; names_fetched < std::min(end + kAhead, members.size());
         ++names_fetched)
      __builtin_prefetch(
          game_names[members[names_fetched].place.game].data());
    if (end - begin < least)
      continue;
    Member* first = members.data() + begin;
    Member* last = members.data() + end;
    int32_t best = first->place.game;
    std::string_view best_title = title_of(best);
    std::optional<NoIntroPreference> best_preference;
    for (const Member* m = first + 1; m != last; ++m) {
      int32_t g = m->place.game;
      if (g == best)
        continue;
      if (!best_preference)
        best_preference = preference_of(best, best_title);
      std::string_view title = title_of(g);
      NoIntroPreference next = preference_of(g, title);
      if (NoIntroPreferred(next, *best_preference) ||
          (g < best && !NoIntroPreferred(*best_preference, next))) {
        best = g;
        best_title = title;
        best_preference = next;
      }
    }
    std::sort(first, last, [best](const Member& a, const Member& b) {
      int32_t ga = a.place.game == best ? -1 : a.place.game;
      int32_t gb = b.place.game == best ? -1 : b.place.game;
      if (ga != gb)
        return ga < gb;
      if (a.place.sheet != b.place.sheet)
        return a.place.sheet;
      if (a.place.rom != b.place.rom)
        return a.place.rom < b.place.rom;
      return a.entry < b.entry;
    });
    for (const Member* m = first; m != last; ++m)
      entries[m - members.data()] = m->entry;
    heads[first->entry] = static_cast<int32_t>(f);
    titles[f] = best_title;
  }

  // The groups, in the list order of their parents.
  for (int32_t i = 0; i < n; ++i) {
    if (int32_t f = heads[i]; f >= 0) {
      std::span<const int32_t> clones(entries.data() + start[f] + 1,
                                      entries.data() + start[f + 1]);
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
