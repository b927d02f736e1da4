#include "base/wildcard.h"

#include <gtest/gtest.h>

namespace {

TEST(WildcardTest, Matches) {
  struct Case { const char* pattern; const char* name; bool match; };
  const Case cases[] = {
      {"*.v64", "Game (U) [!].v64", true},
      {"*.v64", "Game.V64", true},          // letters in either case
      {"*.v64", "Game.v64.bak", false},
      {"*.v64", ".v64", true},              // "*" matches nothing too
      {"*.*", "noext", true},               // every name
      {"*.*", ".hidden", true},
      {"*", "a.b.c", true},                 // dots included
      {"*.", "name", true},                 // trailing dots dropped
      {"a*.", "a.b", true},
      {"", "a", false},                     // empty pattern: nothing
      {"...", "a", false},
      {"?.v64", "a.v64", true},
      {"?.v64", "ab.v64", false},
      {"?", "", false},
      {"a?c", "a.c", true},
      {"*a*b", "xxaxxbxb", true},
      {"*a*b", "xxaxxbxc", false},
      {"G*[!]*", "Game [!].v64", true},     // brackets are plain bytes
      {"\xE9*", "\xC9x", false},            // only ASCII letters fold
      {"game", "GAME", true},
      {"game", "games", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match)
        << c.pattern << " / " << c.name;
}

}  // namespace
