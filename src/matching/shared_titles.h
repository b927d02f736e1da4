// Titles that name archives: no two groups of one script may share one, or
// the second line's archiver would write into (or over) the first's archive.
#ifndef TRAMLUNE_MATCHING_SHARED_TITLES_H_
#define TRAMLUNE_MATCHING_SHARED_TITLES_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "matching/file_list.h"
#include "matching/group_sink.h"

/// The title with "a".."z" folded where fold_case, as the system compares
/// the names that the title fills in.
std::string TitleKey(std::string_view title, bool fold_case);

/// Gathers groups whose titles are equal (TitleKey) into one, for names
/// whose equal titles mean one game in several files or dumps. Holds every
/// group until Flush, which hands next one group per title, in the order
/// of each title's first group: that group's parent heads it, then its
/// clones, then each later group's parent and clones, in the order they
/// came. Every file that came stays in exactly one group. The titles are
/// held as they are handed in, not copied: each must stay valid until
/// Flush (GroupClones' titles do, lying in the list's names).
class MergedTitles : public GroupSink {
 public:
  /// next must outlive this.
  MergedTitles(GroupSink& next, bool fold_case)
      : next_(next), fold_case_(fold_case) {}

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override;

  /// Hands the gathered groups on; the sink is empty afterwards.
  void Flush();

 private:
  struct Held {
    const char* title;
    uint32_t title_size;
    uint32_t first;            // of its files in files_, parent first; they
                               // end where the next group's begin
    int32_t next_joined = -1;  // the next group of its title, in order
    int32_t last_joined = -1;  // of a title's first group: its last
  };
  // A slot of the table of titles: a title's first group (-1: the slot is
  // empty) and the title's hash.
  struct Slot {
    uint32_t hash = 0;
    int32_t group = -1;
  };
  std::string_view Title(const Held& group) const {
    return std::string_view(group.title, group.title_size);
  }
  uint32_t End(size_t group) const {
    return group + 1 < held_.size() ? held_[group + 1].first
                                    : static_cast<uint32_t>(files_.size());
  }
  uint32_t HashOf(std::string_view title) const;
  bool SameTitle(std::string_view a, std::string_view b) const;
  // The first group of title, or -1; where it is not, group is entered
  // as its first.
  int32_t FirstOfTitle(std::string_view title, int32_t group);
  void Grow();

  GroupSink& next_;
  bool fold_case_;
  std::vector<int32_t> files_;
  std::vector<Held> held_;
  std::vector<Slot> slots_;  // a power of two of them, at most 3/4 full
  size_t titles_ = 0;        // the slots in use
};

/// Hears of a group whose title is another than its grouping gave it.
class RenamedGroups {
 public:
  virtual ~RenamedGroups() = default;
  /// The group of parent was handed on as title, since its own title,
  /// taken, names another group's archive.
  virtual void Renamed(int32_t parent, std::string_view taken,
                       std::string_view title) = 0;
};

/// Hands every group on at once, but a group whose title (TitleKey) an
/// earlier group has taken gets its parent's base name as its title, or,
/// where that is taken too, its parent's whole name; renamed tells of it.
/// For names whose equal titles may be different games.
class DistinctTitles : public GroupSink {
 public:
  /// Every argument must outlive this.
  DistinctTitles(const FileList& list, GroupSink& next, bool fold_case,
                 RenamedGroups& renamed)
      : list_(list), next_(next), fold_case_(fold_case), renamed_(renamed) {}

  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override;

 private:
  // Takes title; false when it was taken already.
  bool Take(std::string_view title);

  const FileList& list_;
  GroupSink& next_;
  bool fold_case_;
  RenamedGroups& renamed_;
  std::unordered_set<std::string> taken_;
};

#endif  // TRAMLUNE_MATCHING_SHARED_TITLES_H_
