#include "script/path_quoting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathQuotingTest, WhatABatchScriptCanHold) {
  EXPECT_TRUE(ScriptCanHold(ScriptKind::kBatch, "Game (U) [!].v64"));
  EXPECT_TRUE(ScriptCanHold(ScriptKind::kBatch, "a%b&c^d!e\tf\x01\xFF|;=@"));
  EXPECT_TRUE(ScriptCanHold(ScriptKind::kBatch, ""));
  // Every byte is tried alone; exactly these cannot stand in a batch line.
  const std::string unsafe = "\r\n\x1A\"*?<>";
  for (int b = 1; b < 256; ++b) {
    std::string name = "G (U) [" + std::string(1, static_cast<char>(b)) + "]";
    bool held = unsafe.find(static_cast<char>(b)) == std::string::npos;
    EXPECT_EQ(ScriptCanHold(ScriptKind::kBatch, name), held) << b;
    EXPECT_TRUE(ScriptCanHold(ScriptKind::kShell, name)) << b;
  }
}

TEST(PathQuotingTest, AnUnsafeByteAnywhereInAPath) {
  // The check reads a path in blocks: each unsafe byte stands at every
  // place of paths of every size up to three blocks and the edges of each.
  const std::string unsafe = "\r\n\x1A\"*?<>";
  for (size_t size = 1; size <= 49; ++size) {
    std::string path(size, '(');  // a byte just below the unsafe '*'
    EXPECT_TRUE(ScriptCanHold(ScriptKind::kBatch, path)) << size;
    for (size_t at = 0; at < size; ++at)
      for (char c : unsafe) {
        path[at] = c;
        EXPECT_FALSE(ScriptCanHold(ScriptKind::kBatch, path))
            << size << " " << at << " " << int{c};
        path[at] = static_cast<char>(c + 1) == '?' ? '@' : c + 1;
        EXPECT_TRUE(ScriptCanHold(ScriptKind::kBatch, path))
            << size << " " << at << " " << int{c};
        path[at] = '(';
      }
  }
}

TEST(PathQuotingTest, QuotedPaths) {
  struct Case {
    ScriptKind kind;
    std::string dir, name, quoted;
  };
  const ScriptKind bat = ScriptKind::kBatch, sh = ScriptKind::kShell;
  const Case cases[] = {
      {bat, "", "Game (U) [!].v64", "\"Game (U) [!].v64\""},
      {bat, "%x%\\", "100% (E)", "\"%%x%%\\100%% (E)\""},
      // A leading "-" would be a switch to the command; the path is made
      // relative to the current directory instead. Only the first byte of
      // the whole path counts.
      {bat, "", "-sdel (U) [!].v64", "\".\\-sdel (U) [!].v64\""},
      {bat, "", "--", "\".\\--\""},
      {bat, "roms\\", "-rf", "\"roms\\-rf\""},
      {bat, "-roms\\", "x", "\".\\-roms\\x\""},
      {bat, "", "a-b", "\"a-b\""},
      {sh, "", "Game (U) [!].v64", "'Game (U) [!].v64'"},
      {sh, "", "100% it's \"$(x)\" `y` \\ !", "'100% it'\\''s \"$(x)\" `y` \\ !'"},
      {sh, "it's/", "''", "'it'\\''s/'\\'''\\'''"},
      {sh, "", "-rf", "'./-rf'"},
      {sh, "-roms/", "x", "'./-roms/x'"},
      {sh, "roms/", "-x", "'roms/-x'"},
      {sh, "", "a\nb\r\x1A*?", "'a\nb\r\x1A*?'"},
      {bat, "", "%", "\"%%\""},
      {bat, "", "", "\"\""},
      {sh, "", "'", "''\\'''"},
  };
  for (const Case& c : cases) {
    // Appended after what the text holds already.
    std::string composed = "x";
    QuotedPaths(c.kind, c.dir).Append(composed, c.name);
    EXPECT_EQ(composed, "x" + c.quoted) << c.dir << c.name;
  }
}

}  // namespace
