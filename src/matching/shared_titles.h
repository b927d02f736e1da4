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
/// whose equal titles mean one game in several files or dumps. Hands next
/// one group per title, in the order of each title's first group: that
/// group's parent heads it, then its clones, then each later group's parent
/// and clones, in the order they came. Every file that came stays in
/// exactly one group.
///
/// A group is handed on as soon as no later group can share its title and
/// every group before it has been handed on; Flush hands on the rest. The
/// groups must be GroupClones' groups of list, with singles as it groups:
/// a later group of a title has its parent among the names of the list
/// that begin with the title, one that can still head a group (as
/// FindsClone tells, or, with singles, a free one), and once none can, the
/// title is closed. The titles are held as they are handed in, not
/// copied: each must stay valid until its group is handed on (GroupClones'
/// titles do, lying in the list's names).
class MergedTitles : public GroupSink {
 public:
  /// next and list must outlive this; list must stay sorted.
  MergedTitles(GroupSink& next, FileList& list, bool fold_case, bool singles)
      : next_(next), list_(list), fold_case_(fold_case), singles_(singles) {}

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
  // Whether no name of the list can head another group of the title of
  // the group at next_held_.
  bool HeadClosed();
  // Whether the entry at index, which shares shared folded bytes with the
  // parent of the group at next_held_, may head a group of title, now or
  // later.
  bool MayHead(int32_t index, uint32_t shared, std::string_view title);
  // Finds the names to look at for the group at next_held_.
  void FindHeadNames();
  // Hands on the group at next_held_ with the later groups of its title.
  void HandHead();
  // Hands on the groups from next_held_ on while their titles are closed;
  // forgets them all once every group is handed on.
  void HandClosed();
  // Forgets every group, handed on or not, and every title.
  void Forget();

  GroupSink& next_;
  FileList& list_;
  bool fold_case_;
  bool singles_;
  std::vector<int32_t> files_;
  std::vector<Held> held_;
  std::vector<bool> handed_;  // of each group: handed on (with its title's
                              // first)
  size_t next_held_ = 0;      // the first group not handed on yet
  // Of the group at next_held_, found once for it (head_found_): the
  // length of its parent's title (FileList::TitleSize), and
  // whether its title is the parent's shown title (rather than its whole
  // name). The names that may begin the title, still to be looked at: up
  // from head_up_ and down from head_down_ while they share head_reach_
  // bytes with the parent, the least of the prefixes on the way
  // (head_up_shared_, head_down_shared_), and the names whose base name is
  // the title's bytes before its last dot, head_base_..head_base_end_ - 1.
  bool head_found_ = false;
  uint32_t head_title_size_ = 0;
  bool head_shown_ = false;
  uint32_t head_reach_ = 0;
  int32_t head_up_ = 0, head_down_ = 0;
  uint32_t head_up_shared_ = 0, head_down_shared_ = 0;
  int32_t head_base_ = 0, head_base_end_ = 0;
  uint32_t head_base_shared_ = 0;
  // The names looked at so far, against a budget of eight for each file
  // handed in: past it (titles that begin one another, many deep), groups
  // wait for Flush, so that the looking stays linear.
  size_t looked_at_ = 0, files_in_ = 0;
  std::vector<Slot> slots_;  // a power of two of them, at most 3/4 full
  size_t titles_ = 0;        // the slots in use
  std::vector<int32_t> clones_;  // of the line being handed on
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
