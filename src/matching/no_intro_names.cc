#include "matching/no_intro_names.h"

#include <utility>

#include "matching/file_names.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) {
  unsigned char f = FoldByte(static_cast<unsigned char>(c));
  return f >= 'A' && f <= 'Z';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// Whether text begins with word, letters folded; word is short, so the
// bytes are compared one by one.
bool FoldedStartsWith(std::string_view text, std::string_view word) {
  if (text.size() < word.size())
    return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (FoldByte(static_cast<unsigned char>(text[i])) !=
        FoldByte(static_cast<unsigned char>(word[i])))
      return false;
  return true;
}

bool FoldedEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldedStartsWith(a, b);
}

// "b", then digits only: the inside of a bad-dump tag.
bool IsBadDumpTag(std::string_view tag) {
  if (tag.empty() || FoldByte(static_cast<unsigned char>(tag[0])) != 'B')
    return false;
  for (char c : tag.substr(1))
    if (!IsDigit(c))
      return false;
  return true;
}

// Whether tag begins with the word word: followed by its end or by a byte
// that is no letter.
bool BeginsWithWord(std::string_view tag, std::string_view word) {
  return FoldedStartsWith(tag, word) &&
         (tag.size() == word.size() || !IsLetter(tag[word.size()]));
}

// The tags of pre-releases and oddities, told apart by their first letter.
bool IsOddityTag(std::string_view tag) {
  if (tag.empty())
    return false;
  switch (FoldByte(static_cast<unsigned char>(tag[0]))) {
    case 'A':
      return BeginsWithWord(tag, "Alt");
    case 'B':
      return BeginsWithWord(tag, "Beta");
    case 'D':
      return BeginsWithWord(tag, "Debug") || FoldedEqual(tag, "Demo");
    case 'K':
      return BeginsWithWord(tag, "Kiosk");
    case 'P':
      return BeginsWithWord(tag, "Proto") || FoldedEqual(tag, "Pirate");
    case 'S':
      return FoldedEqual(tag, "Sample");
    case 'U':
      return FoldedEqual(tag, "Unl");
    default:
      return false;
  }
}

// The text after prefix when tag is prefix then a byte that passes first,
// then more letters, digits and dots; empty otherwise.
template <typename First>
std::string_view RevisionText(std::string_view tag, std::string_view prefix,
                              First first) {
  if (tag.size() <= prefix.size() || !FoldedStartsWith(tag, prefix) ||
      !first(tag[prefix.size()]))
    return {};
  std::string_view text = tag.substr(prefix.size());
  for (char c : text)
    if (!IsDigit(c) && !IsLetter(c) && c != '.')
      return {};
  return text;
}

// The place in regions of the first of them that an item of tag names;
// regions.size() when none does.
uint32_t RegionOfTag(std::string_view tag,
                     const std::vector<std::string>& regions) {
  uint32_t best = static_cast<uint32_t>(regions.size());
  for (size_t begin = 0; begin <= tag.size();) {
    size_t end = begin;
    while (end < tag.size() && tag[end] != ',')
      ++end;
    std::string_view item = Trimmed(tag.substr(begin, end - begin));
    for (uint32_t r = 0; r < best; ++r)
      if (FoldedEqual(item, regions[r])) {
        best = r;
        break;
      }
    begin = end + 1;
  }
  return best;
}

// Orders two revision texts: negative, 0 or positive. Runs of digits
// compare by value, other bytes folded; a text that leads the other is the
// lower one.
int CompareRevisionTexts(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      while (i < a.size() && a[i] == '0')
        ++i;
      while (j < b.size() && b[j] == '0')
        ++j;
      size_t end_a = i, end_b = j;
      while (end_a < a.size() && IsDigit(a[end_a]))
        ++end_a;
      while (end_b < b.size() && IsDigit(b[end_b]))
        ++end_b;
      // Without leading zeros, the longer run is the larger number.
      if (end_a - i != end_b - j)
        return end_a - i < end_b - j ? -1 : 1;
      if (int r = a.substr(i, end_a - i).compare(b.substr(j, end_b - j)))
        return r;
      i = end_a;
      j = end_b;
      continue;
    }
    int ca = FoldByte(static_cast<unsigned char>(a[i]));
    int cb = FoldByte(static_cast<unsigned char>(b[j]));
    if (ca != cb)
      return ca - cb;
    ++i;
    ++j;
  }
  return static_cast<int>(i < a.size()) - static_cast<int>(j < b.size());
}

}  // namespace

size_t NoIntroTitleLength(std::string_view base) {
  // "(" is rare in titles: look for it, then for the space before it.
  size_t end = base.size();
  for (size_t open = base.find('('); open != std::string_view::npos;
       open = base.find('(', open + 1))
    if (open > 0 && base[open - 1] == ' ') {
      end = open - 1;
      break;
    }
  while (end > 0 && IsBlank(base[end - 1]))
    --end;
  return end;
}

bool ParseRegionList(std::string_view text,
                     std::vector<std::string>* regions) {
  std::vector<std::string> parsed;
  while (true) {
    size_t comma = text.find(',');
    std::string_view item = Trimmed(text.substr(0, comma));
    if (item.empty())
      return false;
    parsed.emplace_back(item);
    if (comma == std::string_view::npos)
      break;
    text.remove_prefix(comma + 1);
  }
  *regions = std::move(parsed);
  return true;
}

NoIntroPreference NoIntroPreferenceOf(
    std::string_view tags, const std::vector<std::string>& regions) {
  NoIntroPreference preference;
  const uint32_t no_region = static_cast<uint32_t>(regions.size());
  preference.region = no_region;
  // Once a kind of tag fails to close, no later one of that kind can.
  bool parens_close = true, brackets_close = true;
  for (size_t open = 0; open < tags.size(); ++open) {
    char c = tags[open];
    bool& closes = c == '(' ? parens_close : brackets_close;
    if ((c != '(' && c != '[') || !closes)
      continue;
    char end = c == '(' ? ')' : ']';
    size_t close = open + 1;
    while (close < tags.size() && tags[close] != end)
      ++close;
    if (close == tags.size()) {
      closes = false;
      continue;
    }
    std::string_view tag = tags.substr(open + 1, close - open - 1);
    if (c == '[') {
      preference.bad_dump = preference.bad_dump || IsBadDumpTag(tag);
    } else {
      preference.oddity = preference.oddity || IsOddityTag(tag);
      if (preference.region == no_region)
        preference.region = RegionOfTag(tag, regions);
      if (preference.revision.empty())
        preference.revision = RevisionText(tag, "Rev ", [](char c) {
          return IsDigit(c) || IsLetter(c);
        });
      if (preference.version.empty())
        preference.version = RevisionText(tag, "v", IsDigit);
    }
    open = close;
  }
  return preference;
}

bool NoIntroPreferred(const NoIntroPreference& a,
                      const NoIntroPreference& b) {
  if (a.bad_dump != b.bad_dump)
    return b.bad_dump;
  if (a.oddity != b.oddity)
    return b.oddity;
  if (a.region != b.region)
    return a.region < b.region;
  if (int r = CompareRevisionTexts(a.revision, b.revision))
    return r > 0;
  return CompareRevisionTexts(a.version, b.version) > 0;
}
