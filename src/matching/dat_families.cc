#include "matching/dat_families.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Sets of nodes joined by links: union by size, paths halved as they are
// walked, no recursion.
class Joined {
 public:
  int32_t Add() {
    up_.push_back(static_cast<int32_t>(up_.size()));
    size_.push_back(1);
    return up_.back();
  }
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

using Index = std::unordered_map<std::string_view, int32_t>;

}  // namespace

void FindDatFamilies(DatFile* dat) {
  std::vector<DatGame>& games = dat->games;
  const int32_t n = static_cast<int32_t>(games.size());
  Joined joined;
  Index by_name, by_id;
  by_name.reserve(games.size());
  for (int32_t g = 0; g < n; ++g) {
    joined.Add();
    if (!games[g].name.empty())
      by_name.emplace(games[g].name, g);
    if (!games[g].id.empty())
      by_id.emplace(games[g].id, g);
  }
  // A parent the DAT lacks is a node of its own, one per name or id.
  Index missing_names, missing_ids;
  auto node = [&](std::string_view key, const Index& held, Index& missing) {
    auto found = held.find(key);
    if (found != held.end())
      return found->second;
    auto [it, added] = missing.emplace(key, 0);
    if (added)
      it->second = joined.Add();
    return it->second;
  };
  for (int32_t g = 0; g < n; ++g) {
    const DatGame& game = games[g];
    if (!game.parent.empty() && (by_name.count(game.parent) ||
                                 game.parent_id.empty() ||
                                 !by_id.count(game.parent_id)))
      joined.Join(g, node(game.parent, by_name, missing_names));
    else if (!game.parent_id.empty())
      joined.Join(g, node(game.parent_id, by_id, missing_ids));
  }
  // Numbers in the order of the families' first games.
  std::vector<int32_t> number(static_cast<size_t>(n) + missing_names.size() +
                                  missing_ids.size(),
                              -1);
  dat->family_count = 0;
  for (int32_t g = 0; g < n; ++g) {
    int32_t& family = number[joined.Find(g)];
    if (family < 0)
      family = dat->family_count++;
    games[g].family = family;
  }
}
