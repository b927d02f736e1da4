#include "matching/shared_titles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

// Writes each group as "title: parent | clone | clone".
class TextSink : public GroupSink {
 public:
  explicit TextSink(const FileList& list) : list_(list) {}
  void Group(int32_t parent, std::span<const int32_t> clones,
             std::string_view title) override {
    std::string line = std::string(title) + ": " + std::string(list_.Name(parent));
    for (int32_t clone : clones)
      line += " | " + std::string(list_.Name(clone));
    lines.push_back(line);
  }
  Lines lines;

 private:
  const FileList& list_;
};

class RenamedText : public RenamedGroups {
 public:
  explicit RenamedText(const FileList& list) : list_(list) {}
  void Renamed(int32_t parent, std::string_view taken,
               std::string_view title) override {
    lines.push_back(std::string(list_.Name(parent)) + ": " +
                    std::string(taken) + " -> " + std::string(title));
  }
  Lines lines;

 private:
  const FileList& list_;
};

// A group as (parent, clones, title), by name, handed to both sinks.
struct Given { std::string parent; std::vector<std::string> clones; std::string title; };

int32_t IndexOf(const FileList& list, std::string_view name) {
  for (int32_t i = 0; i < list.Count(); ++i)
    if (list.Name(i) == name)
      return i;
  ADD_FAILURE() << name;
  return 0;
}

TEST(SharedTitlesTest, NoTwoGroupsShareATitle) {
  FileList list;
  AppendSorted(list, {"Z (U).v64", "Z (U) [b1].z64", "z (u).n64",
                      "Z (U) [!].z64", "Z.zip"});
  struct Case {
    std::vector<Given> groups;
    bool fold_case;
    Lines merged, distinct, renamed;
  };
  const Case cases[] = {
      // The later group joins the first's line: its parent after the
      // first's clones.
      {{{"Z (U) [!].z64", {"Z (U) [b1].z64"}, "Z (U)"}, {"Z (U).v64", {}, "Z (U)"}},
       false,
       {"Z (U): Z (U) [!].z64 | Z (U) [b1].z64 | Z (U).v64"},
       {"Z (U): Z (U) [!].z64 | Z (U) [b1].z64", "Z (U).v64: Z (U).v64"},
       {"Z (U).v64: Z (U) -> Z (U).v64"}},
      // Three groups, another title between: lines in first-title order; a
      // base that is taken too gives the whole name.
      {{{"Z (U) [!].z64", {}, "Z (U)"}, {"Z.zip", {}, "Z"}, {"Z (U) [b1].z64", {"Z (U).v64"}, "Z (U)"}, {"z (u).n64", {}, "z (u)"}},
       true,
       {"Z (U): Z (U) [!].z64 | Z (U) [b1].z64 | Z (U).v64 | z (u).n64",
        "Z: Z.zip"},
       {"Z (U): Z (U) [!].z64", "Z: Z.zip", "Z (U) [b1]: Z (U) [b1].z64 | Z (U).v64",
        "z (u).n64: z (u).n64"},
       {"Z (U) [b1].z64: Z (U) -> Z (U) [b1]",
        "z (u).n64: z (u) -> z (u).n64"}},
      // Without folding, case makes another title.
      {{{"z (u).n64", {}, "z (u)"}, {"Z (U) [!].z64", {}, "Z (U)"}, {"Z (U).v64", {}, "Z (U)"}},
       false,
       {"z (u): z (u).n64", "Z (U): Z (U) [!].z64 | Z (U).v64"},
       {"z (u): z (u).n64", "Z (U): Z (U) [!].z64", "Z (U).v64: Z (U).v64"},
       {"Z (U).v64: Z (U) -> Z (U).v64"}},
  };
  for (const Case& c : cases) {
    TextSink merged_lines(list), distinct_lines(list);
    RenamedText renamed(list);
    MergedTitles merged(merged_lines, list, c.fold_case, true);
    DistinctTitles distinct(list, distinct_lines, c.fold_case, renamed);
    for (const Given& g : c.groups) {
      std::vector<int32_t> clones;
      for (const std::string& clone : g.clones)
        clones.push_back(IndexOf(list, clone));
      merged.Group(IndexOf(list, g.parent), clones, g.title);
      distinct.Group(IndexOf(list, g.parent), clones, g.title);
    }
    merged.Flush();
    EXPECT_EQ(merged_lines.lines, c.merged);
    EXPECT_EQ(distinct_lines.lines, c.distinct);
    EXPECT_EQ(renamed.lines, c.renamed);
  }
}

// A group goes on as soon as no name can head a group of its title any
// more and every group before it has gone. With singles, any free name of
// the title can; without, only one that finds a clone. A name whose base
// name is a dotted title's bytes before its last dot has that title when
// its base name is empty (".foo", whose title is its whole name).
TEST(SharedTitlesTest, HandsOnClosedTitlesInOrder) {
  const std::vector<std::string> games = {
      "A (U) [!].v64", "A (U) [b1].v64", "A (U).zip", "B. Game (U) [!].v64",
      "B. Game (U).zip", "Bz [!].v64", "C [!].v64"};
  // "-x" sorts between ".foo" and the others.
  const std::vector<std::string> dotted = {".foo [!].v64", ".foo [b1].v64",
                                           "-x", ".foo"};
  const std::string a = "A (U): A (U) [!].v64 | A (U) [b1].v64";
  const std::string b = "B. Game (U): B. Game (U) [!].v64";
  struct Step {
    Given group;
    Lines lines;  // all handed on so far
  };
  struct Case {
    const std::vector<std::string>& names;
    bool singles;
    std::vector<Step> steps;
  } cases[] = {
      {games, true,
       {{{"A (U) [!].v64", {"A (U) [b1].v64"}, "A (U)"}, {}},
        {{"B. Game (U) [!].v64", {}, "B. Game (U)"}, {}},
        {{"Bz [!].v64", {}, "Bz"}, {}},
        {{"A (U).zip", {}, "A (U)"}, {a + " | A (U).zip"}},
        {{"B. Game (U).zip", {}, "B. Game (U)"},
         {a + " | A (U).zip", b + " | B. Game (U).zip", "Bz: Bz [!].v64"}},
        {{"C [!].v64", {}, "C"},
         {a + " | A (U).zip", b + " | B. Game (U).zip", "Bz: Bz [!].v64",
          "C: C [!].v64"}}}},
      // Neither free name finds a clone: no group of theirs will come.
      {games, false,
       {{{"A (U) [!].v64", {"A (U) [b1].v64"}, "A (U)"}, {a}},
        {{"B. Game (U) [!].v64", {}, "B. Game (U)"}, {a, b}}}},
      {dotted, true,
       {{{".foo [!].v64", {".foo [b1].v64"}, ".foo"}, {}},
        {{".foo", {}, ".foo"}, {".foo: .foo [!].v64 | .foo [b1].v64 | .foo"}}}},
  };
  for (const Case& c : cases) {
    FileList taken;
    AppendSorted(taken, c.names);
    TextSink lines(taken);
    MergedTitles merged(lines, taken, false, c.singles);
    for (const Step& step : c.steps) {
      const Given& g = step.group;
      std::vector<int32_t> clones;
      taken.Take(IndexOf(taken, g.parent));
      for (const std::string& clone : g.clones) {
        clones.push_back(IndexOf(taken, clone));
        taken.Take(clones.back());
      }
      merged.Group(IndexOf(taken, g.parent), clones, g.title);
      EXPECT_EQ(lines.lines, step.lines) << c.singles << " " << g.parent;
    }
    merged.Flush();
    EXPECT_EQ(lines.lines, c.steps.back().lines) << c.singles;
  }
}

// More titles than a small table holds: each later group still finds its
// title's first, folded or not.
TEST(SharedTitlesTest, ManyTitles) {
  FileList list;
  std::vector<std::string> names, titles;
  for (int i = 0; i < 40; ++i) {
    titles.push_back(std::to_string(i % 20) + (i < 20 ? "T" : "t"));
    names.push_back(titles.back() + " [" + std::to_string(i) + "].v64");
  }
  AppendSorted(list, names);
  for (bool fold : {false, true}) {
    TextSink lines(list);
    MergedTitles merged(lines, list, fold, true);
    for (int i = 0; i < 40; ++i)
      merged.Group(IndexOf(list, names[i]), {}, titles[i]);
    merged.Flush();
    Lines expected;
    for (int i = 0; i < (fold ? 20 : 40); ++i) {
      expected.push_back(titles[i]);
      expected.back() += ": " + names[i];
      if (fold)
        expected.back() += " | " + names[i + 20];
    }
    EXPECT_EQ(lines.lines, expected) << fold;
  }
}

}  // namespace
