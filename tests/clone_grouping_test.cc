#include "matching/clone_grouping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grouped_lines.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

// The groups as the grouping hands them over: parent, clones in line order,
// title; and the marks it leaves.
class RecordedGroups : public GroupSink {
 public:
  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override {
    std::string group = std::to_string(parent);
    group += ':';
    for (int32_t clone : clones) {
      group += ' ';
      group += std::to_string(clone);
    }
    group.append(" [").append(title).append("]");
    groups.push_back(group);
  }
  std::vector<std::string> groups;
};

TEST(GroupClonesTest, GroupsTitlesAndMarks) {
  FileList list;
  // Sorted: 0 Game (U) [!], 1 Game (U) [a1], 2 Game v1.1 (hack),
  // 3 Game v1.1 [!], 4 Game v1.2, 5 Solo, 6 [Grp] A.
  AppendSorted(list, {"Solo.v64", "Game v1.1 [!].v64", "Game (U) [a1].v64",
                      "Game v1.2.v64", "Game (U) [!].v64", "Game v1.1 (hack)",
                      "[Grp] A.mkv"});
  RecordedGroups sink;
  GroupClones(list, {}, sink);
  // "[!]" names first; a clone of the first pass heads a group in the
  // second; the shown title drops the blanks before the first tag.
  EXPECT_EQ(sink.groups, (std::vector<std::string>{
                             "0: 1 [Game (U)]", "3: 2 [Game v1.1]",
                             "2: 4 [Game v1]"}));
  for (int32_t i = 0; i < list.Count(); ++i)
    EXPECT_EQ(list.Taken(i), i <= 4) << i;  // a lone file stays free
}

TEST(GroupClonesTest, LinesComeInPieces) {
  FileList list;
  AppendSorted(list, {"G (U) [!].v64", "G (U) [a1].v64", "G (U) [b1].v64"});
  CollectedLines sink;
  CommandLines lines(list, ScriptKind::kBatch, "r%/", "do", "end", sink);
  GroupClones(list, {}, lines);
  EXPECT_EQ(sink.lines, Lines{"do  \"r%%/G (U) [!].v64\"  \"r%%/G (U) [a1].v64\" "
                              "\"r%%/G (U) [b1].v64\"  end"});
  EXPECT_TRUE(sink.current.empty());  // nothing left unended

  // A long line is passed on in pieces of a few KiB: never held whole.
  FileList many;
  many.Append("G (U) [!].v64");
  for (int k = 0; k < 1000; ++k)
    many.Append("G (U) [a" + std::to_string(k) + "].v64");
  many.Sort();
  CollectedLines long_sink;
  CommandLines long_lines(many, ScriptKind::kBatch, "r%/", "do", "end",
                          long_sink);
  GroupClones(many, {}, long_lines);
  ASSERT_EQ(long_sink.lines.size(), 1u);
  // "do  ", the parent and a blank; clones of 1, 2 and 3 digits; "  end".
  EXPECT_EQ(long_sink.lines[0].size(),
            4u + 19 + 1 + 10 * 21 + 90 * 22 + 900 * 23 + 5);
  EXPECT_GT(long_sink.pieces, 4u);
  EXPECT_LE(long_sink.longest_piece, 4096u + 23);
}

}  // namespace
