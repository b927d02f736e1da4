#include "app/dat_loading.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "app/reports.h"
#include "matching/dat_families.h"
#include "matching/dat_grouping.h"
#include "platform/platform.h"

namespace {

// Puts every game and rom name of dat in the system's bytes. The names that
// change are stored anew, in one store that dat keeps.
void ConvertNames(DatFile* dat, Platform& platform) {
  std::vector<std::string_view*> names;
  names.reserve(dat->games.size() + dat->roms.size());
  for (DatGame& game : dat->games)
    names.push_back(&game.name);
  for (std::string_view& rom : dat->roms)
    names.push_back(&rom);
  struct Changed {
    std::string_view* name;
    size_t offset;
    size_t size;
  };
  std::vector<Changed> changed;
  std::string converted, all;
  for (std::string_view* name : names) {
    if (!platform.NameFromUtf8(*name, &converted))
      converted.clear();
    if (converted == *name)
      continue;
    changed.push_back({name, all.size(), converted.size()});
    all += converted;
  }
  if (changed.empty())
    return;
  dat->stores.push_back(std::make_unique<char[]>(all.size()));
  char* store = dat->stores.back().get();
  std::memcpy(store, all.data(), all.size());
  for (const Changed& c : changed)
    *c.name = std::string_view(store + c.offset, c.size);
}

}  // namespace

std::string LoadDat(std::string_view path, Platform& platform, DatFile* dat) {
  std::string text, reason;
  if (!platform.ReadWholeFile(path, &text, &reason))
    return CannotReadDatLine(path, reason);
  reason = ReadDat(std::move(text), dat, kDatPieceBytes,
                   [&platform](const Task& first, const Task& second) {
                     platform.RunBoth(first, second);
                   });
  if (!reason.empty())
    return CannotReadDatLine(path, reason);
  // The roms are indexed for the grouping while the families are found,
  // where the names stay as they are.
  const bool fold = platform.NamesFoldCase();
  if (platform.Utf8NamesUnchanged()) {
    platform.RunBoth([dat] { FindDatFamilies(dat); },
                     [dat, fold] { IndexDatRoms(dat, fold); });
  } else {
    FindDatFamilies(dat);
    ConvertNames(dat, platform);
    IndexDatRoms(dat, fold);
  }
  return "";
}
