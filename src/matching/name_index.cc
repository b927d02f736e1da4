#include "matching/name_index.h"

#include <algorithm>
#include <cstring>

#include "matching/file_names.h"

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
constexpr uint64_t kSecondLane = 0xC2B2AE3D27D4EB4Full;

uint64_t Mix(uint64_t h, uint64_t word) {
  h = (h ^ word) * kMultiplier;
  return h ^ (h >> 29);
}

}  // namespace

NameIndex::NameIndex(size_t expected, bool fold) : fold_(fold) {
  // Two thirds full with the expected names.
  slots_.resize(std::max<size_t>(16, expected + expected / 2));
}

uint64_t NameIndex::HashOf(std::string_view name) const {
  // Sixteen bytes at a time in two independent lanes, eight at a time,
  // then the last bytes, each word folded as FoldWord folds it.
  auto word_at = [&](size_t i) {
    uint64_t word = LoadWord(name.data() + i);
    return fold_ ? FoldWord(word) : word;
  };
  const size_t size = name.size();
  uint64_t a = kMultiplier ^ size, b = kSecondLane;
  size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    a = Mix(a, word_at(i));
    b = Mix(b, word_at(i + 8));
  }
  if (i + 8 <= size) {
    a = Mix(a, word_at(i));
    i += 8;
  }
  if (i < size) {
    // The last eight bytes, those hashed already shifted out.
    uint64_t word = 0;
    if (size >= 8)
      word = LoadWord(name.data() + size - 8) >> (8 * (8 - (size - i)));
    else
      std::memcpy(&word, name.data(), size);
    b = Mix(b, fold_ ? FoldWord(word) : word);
  }
  // The final mix of MurmurHash3: every bit of the lanes reaches the low
  // bits that pick the slot.
  uint64_t h = Mix(a, b);
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 33);
}

bool NameIndex::Equal(const Slot& slot, std::string_view name) const {
  if (slot.size != name.size())
    return false;
  std::string_view held(slot.data, slot.size);
  return fold_ ? FoldedPrefixLength(held, name) == name.size() : held == name;
}

void NameIndex::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.value < 0)
      continue;
    size_t at = Home(HashOf(std::string_view(slot.data, slot.size)));
    while (slots_[at].value >= 0)
      at = Next(at);
    slots_[at] = slot;
  }
}

int32_t NameIndex::Add(std::string_view name, uint64_t hash, int32_t value) {
  if (4 * (count_ + 1) > 3 * slots_.size())
    Grow();
  size_t at = Home(hash);
  for (; slots_[at].value >= 0; at = Next(at))
    if (Equal(slots_[at], name))
      return slots_[at].value;
  slots_[at] = {name.data(), static_cast<uint32_t>(name.size()), value};
  ++count_;
  return value;
}

int32_t NameIndex::Find(std::string_view name, uint64_t hash) const {
  for (size_t at = Home(hash); slots_[at].value >= 0; at = Next(at))
    if (Equal(slots_[at], name))
      return slots_[at].value;
  return -1;
}
