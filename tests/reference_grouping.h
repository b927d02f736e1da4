// The grouping written out step by step, level by level, entry by entry:
// slow, and plain enough to check by reading. Tests compare the tool's
// grouping with it.
#ifndef TRAMLUNE_TESTS_REFERENCE_GROUPING_H_
#define TRAMLUNE_TESTS_REFERENCE_GROUPING_H_

#include <string>
#include <string_view>
#include <vector>

#include "matching/file_list.h"
#include "matching/file_names.h"

/// Compares a and b byte by byte after folding, the end of a text counting
/// as a byte of value 0. Negative, 0 or positive, as the first folded
/// difference (unsigned) says.
int FoldedCompare(std::string_view a, std::string_view b);

/// The order of a list, written out: by base name, then by extension, both
/// by FoldedCompare. Negative, 0 or positive.
int CompareFileNames(const FileList& list, int32_t i, int32_t j);

/// The No-Intro identity tags of tags, in turn, by NextNoIntroIdentityTag.
std::vector<std::string_view> IdentityTags(std::string_view tags);

struct ReferenceList {
  std::vector<std::string> names;  // in list order
  std::vector<int> marks;          // 0 free, -1 taken
  LeadByteTable lead{};
};

/// The extension of name: what follows its base name.
inline std::string_view ReferenceExtension(std::string_view name,
                                           const LeadByteTable& lead = NoLeadBytes()) {
  return name.substr(BaseName(name, lead).size());
}

int ReferenceExtendRun(const ReferenceList& list, std::string_view prefix,
                       int start, int step);

std::string ReferenceBuildGroupLine(std::string_view dir,
                                    std::string_view prefix,
                                    std::string_view suffix,
                                    std::string_view filter, int index,
                                    ReferenceList& list);

/// Both passes over the list as it stands; the lines in order.
std::vector<std::string> ReferenceGroupLines(std::string_view dir,
                                             std::string_view prefix,
                                             std::string_view suffix,
                                             ReferenceList& list);

#endif  // TRAMLUNE_TESTS_REFERENCE_GROUPING_H_
