#include "matching/file_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/out_of_memory.h"
#include "matching/name_sort.h"

FileList::FileList(const LeadByteTable& lead)
    : lead_(lead),
      double_byte_(std::find(lead.begin(), lead.end(), true) != lead.end()) {}

uint32_t FileList::Store(std::string_view name) {
  if (store_.blocks.empty() || name.size() > block_capacity_ - block_used_) {
    // A location has room for 2^(32 - kNameBlockBits) blocks; a store that
    // would need more is out of memory as far as the list goes.
    if (store_.blocks.size() >= (size_t{1} << (32 - kNameBlockBits))) {
      OutOfMemory();
    }
    // Blocks grow from a page to kBlockSize, so that a short list takes
    // little; a longer name gets a block of its own.
    block_capacity_ = std::max(next_block_, name.size());
    next_block_ = std::min(2 * next_block_, kBlockSize);
    store_.blocks.push_back(std::unique_ptr<char[]>(new char[block_capacity_]));
    block_used_ = 0;
  }
  char* at = store_.blocks.back().get() + block_used_;
  if (!name.empty())
    std::memcpy(at, name.data(), name.size());
  uint32_t location = static_cast<uint32_t>(
      ((store_.blocks.size() - 1) << kNameBlockBits) | block_used_);
  block_used_ += name.size();
  return location;
}

const LongSizes& NameStore::Long(const FileEntry& e) const {
  return *std::lower_bound(long_sizes.begin(), long_sizes.end(), e.location,
                           [](const LongSizes& sizes, uint32_t location) {
                             return sizes.location < location;
                           });
}

void FileList::Append(std::string_view name) {
  FileEntry entry;
  entry.location = Store(name);
  entry.size = static_cast<uint32_t>(name.size());
  entry.taken = 0;
  std::string_view base =
      double_byte_ ? BaseName(name, lead_) : BaseName(name, NoLeadBytes());
  size_t title = TitleLength(base);
  entry.base_size = static_cast<uint16_t>(std::min<size_t>(base.size(), kLongBase));
  entry.title_size = static_cast<uint16_t>(std::min<size_t>(title, kLongTitle));
  if (base.size() >= kLongBase || title >= kLongTitle)
    store_.long_sizes.push_back({entry.location,
                                 static_cast<uint32_t>(base.size()),
                                 static_cast<uint32_t>(title)});
  entry.verified = HoldsText(name, kVerifiedTag);
  entries_.push_back(entry);
  indexed_ = false;
}

void FileList::Sort(const RunBoth& both) {
  // The sort finds the neighbours' shared prefixes as it goes, and the
  // index is built from them at once, without reading the names again.
  std::vector<uint32_t> shared =
      SortEntries(entries_.data(), entries_.size(), store_, both);
  // Names that fold into the same bytes (they differ in ASCII case only)
  // are ordered by their own bytes, so that the order depends on the set
  // of names alone, not on the order the directory gave them in. They are
  // neighbours whose shared folded prefix is both whole names; within such
  // a run the shared prefixes stay what they were.
  size_t n = entries_.size();
  for (size_t k = 1; k < n;) {
    auto same = [&](size_t j) {
      return shared[j] == entries_[j].size &&
             entries_[j - 1].size == entries_[j].size;
    };
    if (!same(k)) {
      ++k;
      continue;
    }
    size_t first = k - 1;
    while (k < n && same(k))
      ++k;
    std::sort(entries_.begin() + first, entries_.begin() + k,
              [this](const FileEntry& a, const FileEntry& b) {
                return std::memcmp(Data(a), Data(b), a.size) < 0;
              });
  }
  shared_.Build(std::move(shared));
  ResetFree();
}

void FileList::BuildIndex() {
  // The names lie in the order they were listed, not in list order: fetch
  // a few ahead.
  constexpr int32_t kAhead = 8;
  int32_t n = Count();
  shared_.Build(n, [this, n](int32_t k) -> uint32_t {
    if (k + kAhead < n)
      __builtin_prefetch(Data(entries_[k + kAhead]));
    return k == 0 ? 0
                  : static_cast<uint32_t>(
                        FoldedPrefixLength(Name(k - 1), Name(k)));
  });
  ResetFree();
}

void FileList::ResetFree() {
  free_.Reset(Count());
  for (int32_t i = 0; i < Count(); ++i)
    if (entries_[i].taken)
      free_.Take(i);
  indexed_ = true;
}

void FileList::Take(int32_t i) {
  if (entries_[i].taken)
    return;
  entries_[i].taken = 1;
  if (indexed_)
    free_.Take(i);
}
