#include "matching/free_set.h"

#include <bit>

void FreeSet::Reset(int32_t count) {
  count_ = count < 0 ? 0 : count;
  levels_.clear();
  // Level 0: every position free, the bits past the count clear.
  size_t bits = static_cast<size_t>(count_);
  std::vector<uint64_t> level((bits + 63) / 64, ~uint64_t{0});
  if (bits % 64)
    level.back() = (uint64_t{1} << (bits % 64)) - 1;
  for (;;) {
    if (level.empty())
      level.push_back(0);
    levels_.push_back(std::move(level));
    const std::vector<uint64_t>& below = levels_.back();
    if (below.size() == 1)
      break;
    level.assign((below.size() + 63) / 64, 0);
    for (size_t w = 0; w < below.size(); ++w)
      if (below[w])
        level[w / 64] |= uint64_t{1} << (w % 64);
  }
}

void FreeSet::Take(int32_t i) {
  size_t pos = static_cast<size_t>(i);
  for (std::vector<uint64_t>& level : levels_) {
    uint64_t& word = level[pos / 64];
    word &= ~(uint64_t{1} << (pos % 64));
    if (word)
      break;
    pos /= 64;  // the word went empty: clear its bit one level up
  }
}

int32_t FreeSet::NextFreeBeyond(int32_t i) const {
  if (i >= count_)
    return count_;
  size_t pos = static_cast<size_t>(i < 0 ? 0 : i);
  size_t level = 0;
  // Up until a word holds a set bit at or after pos, ...
  for (;;) {
    const std::vector<uint64_t>& bits = levels_[level];
    size_t w = pos / 64;
    if (w < bits.size()) {
      uint64_t word = bits[w] & (~uint64_t{0} << (pos % 64));
      if (word) {
        pos = w * 64 + std::countr_zero(word);
        break;
      }
    }
    if (++level == levels_.size())
      return count_;
    pos = w + 1;
  }
  // ... then down along the first set bits.
  while (level > 0) {
    --level;
    pos = pos * 64 + std::countr_zero(levels_[level][pos]);
  }
  return static_cast<int32_t>(pos);
}

int32_t FreeSet::PreviousFreeBeyond(int32_t i) const {
  if (i < 0 || count_ == 0)
    return -1;
  size_t pos = static_cast<size_t>(i >= count_ ? count_ - 1 : i);
  size_t level = 0;
  // Up until a word holds a set bit at or before pos, ...
  for (;;) {
    size_t w = pos / 64;
    uint64_t word = levels_[level][w] & (~uint64_t{0} >> (63 - pos % 64));
    if (word) {
      pos = w * 64 + 63 - std::countl_zero(word);
      break;
    }
    if (w == 0 || ++level == levels_.size())
      return -1;
    pos = w - 1;
  }
  // ... then down along the last set bits.
  while (level > 0) {
    --level;
    pos = pos * 64 + 63 - std::countl_zero(levels_[level][pos]);
  }
  return static_cast<int32_t>(pos);
}
