// The ordered list of the files of one mask, with a mark per entry.
#ifndef TRAMLUNE_MATCHING_FILE_LIST_H_
#define TRAMLUNE_MATCHING_FILE_LIST_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "matching/file_names.h"
#include "matching/free_set.h"
#include "matching/min_tree.h"

/// One file of the mask.
struct FileEntry {
  std::string_view Name;  // bytes owned by the list
  int32_t Mark = 0;       // 0 free, -1 taken
  uint32_t base_size = 0; // length of BaseName(Name)
};

/// The files of one mask. Names are stored once, in blocks owned by the
/// list; entries refer to them. Besides the entries, the list keeps an index
/// of its current order: the folded prefix that each pair of neighbours
/// shares, and which entries are still free.
class FileList {
 public:
  explicit FileList(const LeadByteTable& lead = NoLeadBytes());
  FileList(const FileList&) = delete;
  FileList& operator=(const FileList&) = delete;

  /// Puts a free entry for name at the end; duplicates are accepted.
  void Append(std::string_view name);

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  std::string_view Name(int32_t i) const { return entries_[i].Name; }
  std::string_view Base(int32_t i) const {
    return entries_[i].Name.substr(0, entries_[i].base_size);
  }
  std::string_view Extension(int32_t i) const {
    return entries_[i].Name.substr(entries_[i].base_size);
  }
  int32_t Mark(int32_t i) const { return entries_[i].Mark; }
  const LeadByteTable& LeadBytes() const { return lead_; }

  /// Sets the Mark at i to -1 (taken). A mark is never cleared.
  void Take(int32_t i);

  /// Orders the entries by CompareFileNames; equal entries may end up in
  /// either order.
  void Sort();

  /// The smallest folded prefix that neighbours share from entry a to entry
  /// b (a < b): every entry of a..b begins with the same that many bytes.
  uint32_t SharedPrefix(int32_t a, int32_t b);

  /// From start, the farthest index in the direction of step (-1 or +1)
  /// that is joined to start by neighbours sharing at least length bytes.
  int32_t BlockEnd(int32_t start, int step, uint32_t length);

  /// The nearest free entry at or after i (Count() if none), and at or
  /// before i (-1 if none).
  int32_t NextFree(int32_t i);
  int32_t PreviousFree(int32_t i);

 private:
  std::string_view Store(std::string_view name);
  void BuildIndex();

  LeadByteTable lead_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t block_left_ = 0;
  char* block_end_ = nullptr;
  std::vector<FileEntry> entries_;

  bool indexed_ = false;
  MinTree shared_;  // position k: prefix shared by entries k-1 and k
  FreeSet free_;
};

/// Orders two entries by base name, then by extension, both by
/// FoldedCompare: negative, 0 or positive.
int CompareFileNames(const FileList& list, int32_t i, int32_t j);

#endif  // TRAMLUNE_MATCHING_FILE_LIST_H_
