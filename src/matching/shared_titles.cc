#include "matching/shared_titles.h"

#include "base/ascii_fold.h"

std::string TitleKey(std::string_view title, bool fold_case) {
  std::string key(title);
  if (fold_case)
    for (char& c : key)
      c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
  return key;
}

void MergedTitles::Group(int32_t parent, std::span<const int32_t> clones,
                         std::string_view title) {
  Held group;
  group.first = static_cast<uint32_t>(files_.size());
  files_.push_back(parent);
  files_.insert(files_.end(), clones.begin(), clones.end());
  group.end = static_cast<uint32_t>(files_.size());
  group.title = title;
  const int32_t index = static_cast<int32_t>(held_.size());
  auto [it, first] = first_of_title_.emplace(TitleKey(title, fold_case_), index);
  if (!first) {
    Held& head = held_[it->second];
    int32_t last = head.last_joined < 0 ? it->second : head.last_joined;
    held_[last].next_joined = index;
    head.last_joined = index;
  }
  held_.push_back(std::move(group));
}

void MergedTitles::Flush() {
  std::vector<bool> handed(held_.size());
  std::vector<int32_t> clones;
  for (size_t g = 0; g < held_.size(); ++g) {
    if (handed[g])
      continue;
    clones.clear();
    // The head's parent heads the line; every other file is a clone.
    uint32_t from = held_[g].first + 1;
    for (int32_t k = static_cast<int32_t>(g); k >= 0;
         k = held_[k].next_joined) {
      handed[k] = true;
      clones.insert(clones.end(), files_.begin() + from,
                    files_.begin() + held_[k].end);
      if (held_[k].next_joined >= 0)
        from = held_[held_[k].next_joined].first;
    }
    next_.Group(files_[held_[g].first], clones, held_[g].title);
  }
  files_.clear();
  held_.clear();
  first_of_title_.clear();
}

bool DistinctTitles::Take(std::string_view title) {
  return taken_.insert(TitleKey(title, fold_case_)).second;
}

void DistinctTitles::Group(int32_t parent, std::span<const int32_t> clones,
                           std::string_view title) {
  if (Take(title)) {
    next_.Group(parent, clones, title);
    return;
  }
  std::string_view own = list_.Base(parent);
  if (own.empty() || !Take(own)) {
    own = list_.Name(parent);
    Take(own);
  }
  renamed_.Renamed(parent, title, own);
  next_.Group(parent, clones, own);
}
