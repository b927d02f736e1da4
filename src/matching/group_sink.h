// Where a grouping hands its groups, in the order their lines are written.
#ifndef TRAMLUNE_MATCHING_GROUP_SINK_H_
#define TRAMLUNE_MATCHING_GROUP_SINK_H_

#include <cstdint>
#include <span>
#include <string_view>

/// Receives the groups of a sorted FileList, one call per command line.
class GroupSink {
 public:
  virtual ~GroupSink() = default;
  /// One group: the list index of its parent, the indices of its clones in
  /// the order they stand on the line (possibly none, for a file that stands
  /// alone), and its title, by the naming rules in force: a leading part of
  /// the parent's base name, the name of the parent's No-Intro game, or by
  /// --dat the title of its preferred game's name. The span and the title
  /// are valid for the call.
  virtual void Group(int32_t parent, std::span<const int32_t> clones,
                     std::string_view title) = 0;
};

#endif  // TRAMLUNE_MATCHING_GROUP_SINK_H_
