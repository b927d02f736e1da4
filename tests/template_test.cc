// --template and --singles: how templates are read, the usage errors, and
// the exact lines and reports they give.
#include <gtest/gtest.h>

#include "app/options.h"
#include "app/process_mask.h"
#include "fake_platform.h"
#include "grouped_lines.h"
#include "test_support.h"
#include "script/template_lines.h"

namespace {

using Lines = std::vector<std::string>;

TEST(TemplateTest, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string error;  // empty: a good command line
  };
  const std::string known =
      ": the placeholders are {}, {parent}, {clones}, {title} and {dir}; "
      "write {{ and }} for a literal brace";
  const std::string quoted =
      " stands in a quoted word in the command prefix: tramlune quotes each "
      "word with a placeholder itself; write the word without quotes or "
      "escapes";
  const std::string inside =
      " stands inside a larger word in the command prefix: it gives each "
      "file as an argument of its own; write it as a word of its own, with "
      "blanks around it";
  const std::string runs =
      " and run a file: write the command first, as in "
      "\"7z a -sdel {dir}{title}.7z {}\"";
  const Case cases[] = {
      {{"--template", "*", "7z a {dir}{title}.7z", "{} >log"}, ""},
      {{"--template", "*", "x {{}} {{title}} '\"{{'"}, ""},
      {{"--template", "*", "x -o{dir} -t{title} {parent}.bak"}, ""},
      {{"--template", "*", "", "x {}"}, ""},     // the suffix begins the line
      // Files first, as without a template: each line would run a file.
      {{"--template", "*", "", "{title}"},
       "--template needs a command at the front of the command prefix: "
       "without one, each line runs its first file; write, e.g., tramlune "
       "--template '*.v64' '7z a -sdel {dir}{title}.7z'"},
      {{"--template", "--sh", "*", "x 'a b' \\{ {title}"}, ""},
      {{"--template", "*", "x {name}"},
       "unknown placeholder \"{name}\" in the command prefix" + known},
      {{"--template", "*", "x", "{Title}"},
       "unknown placeholder \"{Title}\" in the command suffix" + known},
      {{"--template", "*", "x {title"},
       "a \"{\" without its \"}\" in the command prefix: write {{ for a "
       "literal \"{\""},
      {{"--template", "*", "x title}"},
       "a \"}\" without its \"{\" in the command prefix: write }} for a "
       "literal \"}\""},
      {{"--template", "*", "x \"{dir}{title}.7z\""}, "the placeholder {dir}" + quoted},
      {{"--template", "*", "x \"a\"{title}"}, "the placeholder {title}" + quoted},
      {{"--template", "--sh", "*", "x '{}'"}, "the placeholder {}" + quoted},
      {{"--sh", "--template", "*", "x \\\"{title}"},
       "the placeholder {title}" + quoted},
      // A batch script has no single quotes: the apostrophe is a character.
      {{"--template", "*", "x it's{title}"}, ""},
      {{"--template", "*", "x -i{}"}, "{}" + inside},
      {{"--template", "*", "{} x"}, "the line would begin with {}" + runs},
      {{"--template", "*", "{parent}.exe"},
       "the line would begin with {parent}" + runs},
      {{"--template", "*", "", "{parent} x"},
       "the line would begin with {parent}" + runs},
      {{"--template", "--bogus", "*"},
       "unknown option \"--bogus\": the options are --sh, --naming, "
       "--regions, --dat, --template, --singles, --help and --version; "
       "write -- before a mask that begins with -"},
      // Without the new options first, such an argument is the mask still.
      {{"--bogus", "--template"}, ""},
      {{"--singles", "--", "--bogus"}, ""},
  };
  for (const Case& c : cases) {
    std::string what = testing::PrintToString(c.args);
    Options o = ParseOptions(c.args);
    EXPECT_EQ(o.error, c.error) << what;
    EXPECT_EQ(o.action, c.error.empty() ? Options::Action::kScript
                                        : Options::Action::kUsageError)
        << what;
  }
}

struct Outcome {
  Lines lines;
  std::string errors;
};

Outcome RunTemplate(ScriptKind kind, const std::vector<std::string>& names,
                const std::string& mask, const std::string& prefix,
                const std::string& suffix, bool singles, bool use_template,
                const LeadByteTable& lead = NoLeadBytes()) {
  FakePlatform platform;
  platform.lead = lead;
  for (const std::string& name : names)
    platform.listings[mask].push_back({name, false});
  Options options = MaskOptions(mask, prefix, suffix);
  options.kind = kind;
  options.grouping.singles = singles;
  options.use_template = use_template;
  EXPECT_EQ(ParseLineTemplate(prefix, suffix, kind, options.line), "")
      << prefix;
  CollectedLines sink;
  ProcessMask(options, platform, sink);
  return {sink.lines, platform.errors};
}

const std::vector<std::string> kSet = {"G (U) [!].v64", "G (U) [a1].v64",
                                       "G (E).v64", "-x (J).v64"};

TEST(TemplateTest, Lines) {
  const ScriptKind bat = ScriptKind::kBatch, sh = ScriptKind::kShell;
  LeadByteTable sjis{};
  for (int b = 0x81; b <= 0x9F; ++b) sjis[b] = true;
  const std::string hyo = "\x95\x5C";  // its trail byte is a backslash
  struct Case {
    const char* what;
    ScriptKind kind;
    std::vector<std::string> names;
    std::string mask, prefix, suffix;
    bool singles, use_template;
    Lines lines;
    std::string errors = "";
    const LeadByteTable* lead = &NoLeadBytes();
  };
  const Case cases[] = {
      {"no file placeholder: the files between, as without --template", bat,
       kSet, "r/*", "7z a -sdel {dir}{title}.7z", "> log", false, true,
       {"7z a -sdel \"r/G (U).7z\"  \"r/G (U) [!].v64\"  "
        "\"r/G (U) [a1].v64\"  > log"}},
      {"singles without a template: groups of one, today's spacing", bat,
       kSet, "*", "del", "", true, false,
       {"del  \"G (U) [!].v64\"  \"G (U) [a1].v64\" ",
        "del  \".\\-x (J).v64\"  ", "del  \"G (E).v64\"  "}},
      {"singles, the files placed; a title that begins with - is guarded", sh,
       kSet, "*", "tar -cf {dir}{title}.tar --remove-files {}", "", true, true,
       {"tar -cf 'G (U).tar' --remove-files 'G (U) [!].v64' 'G (U) [a1].v64'",
        "tar -cf './-x (J).tar' --remove-files './-x (J).v64'",
        "tar -cf 'G (E).tar' --remove-files 'G (E).v64'"}},
      {"a typed - stays a switch; {dir} opens with the dir", bat, kSet, "-d\\*",
       "x -o{dir} -t{title} {dir}{title}", "{parent} {clones} {{!}}", false,
       true,
       {"x \"-o-d\\\\\" \"-tG (U)\" \".\\-d\\G (U)\" \".\\-d\\G (U) [!].v64\" "
        "\".\\-d\\G (U) [a1].v64\" {!}"}},
      {"{clones} of no clones is nothing; {parent} in a word", sh, kSet, "*",
       "x", "{parent}.bak {clones} |", true, true,
       {"x 'G (U) [!].v64.bak' 'G (U) [a1].v64' |",
        "x './-x (J).v64.bak'  |", "x 'G (E).v64.bak'  |"}},
      {"per cent, quotes and carets in names and text", bat,
       {"100% (U) [!].v64", "100% (U) [b1].v64"}, "*", "a %1 ^&", "{title}%x",
       false, true,
       {"a %1 ^&  \"100%% (U) [!].v64\"  \"100%% (U) [b1].v64\"  "
        "\"100%% (U)%%x\""}},
      {"sh: quotes in titles", sh, {"it's $x (U) [!]", "it's $x (U) [a1]"},
       "*", "7zz a {title}.7z", "", false, true,
       {"7zz a 'it'\\''s $x (U).7z'  'it'\\''s $x (U) [!]'  "
        "'it'\\''s $x (U) [a1]' "}},
      {"a word that would overwrite a listed file: its group is left out",
       bat, {"G (U) [!].v64", "G (U) [a1].v64", "G (U).7z", "H [!].v64",
             "H [a1].v64"},
       "*", "7z a {title}.7z", "", false, true,
       {"7z a \"H.7z\"  \"H [!].v64\"  \"H [a1].v64\" "},
       "tramlune: left out the group of \"G (U) [!].v64\": its argument "
       "would overwrite a listed file: \"G (U).7z\"\n"},
      {"a batch script cannot hold a filled-in word", bat, kSet, "*",
       "x {title}*", "", false, true, {},
       "tramlune: left out the group of \"G (U) [!].v64\": a batch script "
       "cannot hold its argument: \"G (U)*\"\n"},
      {"backslashes that end a word are doubled, a trail byte is not", bat,
       {hyo + " [!]", hyo + " [a1]"}, "d\\*", "x {dir}", "{title}\\", false,
       true,
       {"x \"d\\\\\"  \"d\\" + hyo + " [!]\"  \"d\\" + hyo + " [a1]\"  \"" +
        hyo + "\\\\\""}, "", &sjis},
  };
  for (const Case& c : cases) {
    Outcome r = RunTemplate(c.kind, c.names, c.mask, c.prefix, c.suffix,
                        c.singles, c.use_template, *c.lead);
    EXPECT_EQ(r.lines, c.lines) << c.what;
    EXPECT_EQ(r.errors, c.errors) << c.what;
  }
}

class ToldGroups : public LeftOutGroups {
 public:
  void LeftOut(std::string_view, std::string_view, std::string_view argument,
               bool listed) override {
    told.push_back(std::string(argument) + (listed ? " listed" : " held"));
  }
  std::vector<std::string> told;
};

// Where names differ by case alone, they name the same file: compared
// folded, "a".."z" only, and not a trail byte. The words are found in the
// sorted list however far from their groups they sort.
TEST(TemplateTest, FoldedNamesAreListed) {
  LeadByteTable sjis{};
  for (int b = 0x81; b <= 0x9F; ++b) sjis[b] = true;
  const std::vector<std::string> mixed = {
      "g (u) [!].v64", "g (u) [a1].v64", "G (U).ZIP",
      "\x83\x61 [!]",  "\x83\x61 [a]",  "\x83\x41.zip"};
  // Groups of A..P, with names that sort before and after all of them.
  std::vector<std::string> far = {"0P (U).x", "ZA (U).x"};
  for (char c = 'A'; c <= 'P'; ++c)
    for (const char* tag : {" (U) [!].x", " (U) [a1].x"})
      far.push_back(c + std::string(tag));
  // Names that tie folded, the word's own bytes last of them; they make a
  // second group of the title.
  const std::vector<std::string> ties = {"G (U) [!].v64", "G (U) [a1].v64",
                                         "G (U).ZIP", "G (U).ZiP",
                                         "G (U).Zip"};
  const Lines twice = {"d/G (U).Zip listed", "d/G (U).Zip listed"};
  struct Case {
    std::vector<std::string> names;
    std::string prefix;
    bool fold;
    Lines told;
    size_t lines;
  };
  const Case cases[] = {
      {mixed, "zip {dir}{title}.zip", true, {"d/g (u).zip listed"}, 1},
      {mixed, "zip {dir}{title}.zip", false, {}, 2},
      {far, "x {dir}Z{title}.x", false, {"d/ZA (U).x listed"}, 15},
      {far, "x {dir}0{title}.x", true, {"d/0P (U).x listed"}, 15},
      {ties, "zip {dir}{title}.Zip", false, twice, 0},
      {ties, "zip {dir}{title}.zip", false, {}, 2},
      {ties, "zip {dir}{title}.zIP", true,
       {"d/G (U).zIP listed", "d/G (U).zIP listed"}, 0},
      // A word outside the directory names no listed file.
      {ties, "zip {title}.Zip", false, {}, 2},
  };
  for (const Case& c : cases) {
    FileList list(sjis);
    AppendSorted(list, c.names);
    LineTemplate line;
    ASSERT_EQ(ParseLineTemplate(c.prefix, "", ScriptKind::kBatch, line), "");
    CollectedLines sink;
    ToldGroups reports;
    TemplateLines lines(list, ScriptKind::kBatch, "d/", line, c.fold, sink,
                        reports);
    GroupClones(list, {}, lines);
    EXPECT_EQ(reports.told, c.told) << c.prefix << " " << c.fold;
    EXPECT_EQ(sink.lines.size(), c.lines) << c.prefix << " " << c.fold;
  }
}

}  // namespace
