// What every grouping of a sorted file list is told, whatever its naming.
#ifndef TRAMLUNE_MATCHING_GROUPING_OPTIONS_H_
#define TRAMLUNE_MATCHING_GROUPING_OPTIONS_H_

#include <string>
#include <vector>

struct DatFile;

/// The choices that shape a grouping's groups.
struct GroupingOptions {
  /// --regions: the region order of the names' preference, most preferred
  /// first (a list as ParseRegionList makes it); empty where no grouping
  /// that reads regions is chosen.
  std::vector<std::string> regions;
  /// --singles: every listed entry stands in exactly one group; a lone
  /// entry is a group of one.
  bool singles = false;
  /// --dat: the DAT whose families group the files, its families found
  /// (FindDatFamilies); none where another grouping is chosen.
  const DatFile* dat = nullptr;
  /// Whether names compare with ASCII letters folded, as the system
  /// compares file names (Windows), or byte by byte.
  bool fold_names = false;
};

#endif  // TRAMLUNE_MATCHING_GROUPING_OPTIONS_H_
