#include "matching/dat_families.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "matching/name_index.h"

namespace {

// Sets of nodes joined by links: union by size, paths halved as they are
// walked, no recursion.
class Joined {
 public:
  explicit Joined(size_t expected) {
    up_.reserve(expected);
    size_.reserve(expected);
  }
  int32_t Add() {
    up_.push_back(static_cast<int32_t>(up_.size()));
    size_.push_back(1);
    return up_.back();
  }
  size_t Size() const { return up_.size(); }
  int32_t Find(int32_t x) {
    while (up_[x] != x) {
      up_[x] = up_[up_[x]];
      x = up_[x];
    }
    return x;
  }
  void Join(int32_t a, int32_t b) {
    a = Find(a);
    b = Find(b);
    if (a == b)
      return;
    if (size_[a] < size_[b])
      std::swap(a, b);
    up_[b] = a;
    size_[a] += size_[b];
  }

 private:
  std::vector<int32_t> up_;
  std::vector<int32_t> size_;
};

}  // namespace

void FindDatFamilies(DatFile* dat) {
  std::vector<DatGame>& games = dat->games;
  const int32_t n = static_cast<int32_t>(games.size());
  Joined joined(games.size());
  NameIndex by_name(games.size(), false), by_id(0, false);
  // Whether each game is the first of its name.
  std::vector<bool> first_named(games.size());
  ForEachHashed(by_name, games.size(),
                [&](size_t g) { return games[g].name; },
                [&](size_t g, uint64_t hash) {
                  joined.Add();
                  const int32_t game = static_cast<int32_t>(g);
                  if (!games[g].name.empty())
                    first_named[g] =
                        by_name.Add(games[g].name, hash, game) == game;
                  if (!games[g].id.empty())
                    by_id.Add(games[g].id, game);
                });
  // A parent the DAT lacks is a node of its own, one per name or id.
  NameIndex missing_names(0, false), missing_ids(0, false);
  auto missing = [&](std::string_view key, NameIndex& index) {
    int32_t node = index.Find(key);
    return node >= 0 ? node : index.Add(key, joined.Add());
  };
  // A DAT lists a parent's clones together, most often right after it:
  // the game cloneof names is looked up only when it is neither the last
  // one named nor the last game without a parent.
  int32_t last_named = -1, last_root = -1;
  std::string_view last_parent;
  for (int32_t g = 0; g < n; ++g) {
    const DatGame& game = games[g];
    int32_t parent = -1;
    if (game.parent.empty()) {
      if (first_named[g])
        last_root = g;
    } else {
      if (game.parent != last_parent) {
        last_parent = game.parent;
        last_named = last_root >= 0 && games[last_root].name == game.parent
                         ? last_root
                         : by_name.Find(game.parent);
      }
      parent = last_named;
    }
    if (parent < 0 && !game.parent_id.empty())
      parent = by_id.Find(game.parent_id);
    if (parent < 0 && !game.parent.empty())
      parent = missing(game.parent, missing_names);
    else if (parent < 0 && !game.parent_id.empty())
      parent = missing(game.parent_id, missing_ids);
    if (parent >= 0)
      joined.Join(g, parent);
  }
  // Numbers in the order of the families' first games.
  std::vector<int32_t> number(joined.Size(), -1);
  dat->family_count = 0;
  for (int32_t g = 0; g < n; ++g) {
    int32_t& family = number[joined.Find(g)];
    if (family < 0)
      family = dat->family_count++;
    games[g].family = family;
  }
}
