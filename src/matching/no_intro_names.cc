#include "matching/no_intro_names.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "base/blanks.h"
#include "matching/file_names.h"
#include "matching/no_intro_regions.h"

namespace {

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

// The kinds of "(...)" tags that matter to the grouping and the preference.
enum class TagKind : uint8_t {
  kIdentity,   // part of the game's identity
  // The kinds that only tell releases of one game apart, the weightiest
  // first: a tag of words of several kinds is of the weightiest.
  kOddity,     // a pre-release or oddity
  kReRelease,  // a re-release
  kAlternate,  // an alternative dump
  kRelease,    // nothing more
  kRegion,     // a region, or several
  kRevision,   // a revision or version
};

// A word that makes a tag of a kind, letters folded.
struct KindWord {
  std::string_view word;
  TagKind kind;
};
constexpr std::string_view WordOf(std::string_view word) { return word; }
constexpr std::string_view WordOf(const KindWord& entry) { return entry.word; }

// Entries with words, found by their words with letters folded: the
// entries are indexed by the folded first byte of their words.
template <typename Entry, size_t kSize>
class WordTable {
 public:
  constexpr explicit WordTable(const Entry (&entries)[kSize])
      : entries_(entries) {
    size_t placed = 0;
    for (unsigned c = 0; c < 256; ++c) {
      first_[c] = static_cast<uint8_t>(placed);
      for (size_t k = 0; k < kSize; ++k)
        if (FirstByte(WordOf(entries[k])) == c)
          order_[placed++] = static_cast<uint8_t>(k);
      end_[c] = static_cast<uint8_t>(placed);
    }
  }

  /// The entry whose word is text with its letters folded; nullptr when
  /// there is none.
  const Entry* Find(std::string_view text) const {
    if (text.empty())
      return nullptr;
    unsigned char c = FoldByte(static_cast<unsigned char>(text[0]));
    for (size_t k = first_[c]; k < end_[c]; ++k)
      if (FoldedEqual(text, WordOf(entries_[order_[k]])))
        return &entries_[order_[k]];
    return nullptr;
  }

 private:
  static_assert(kSize < 256);
  // FoldByte of the word's first byte, as the constructor can compute it.
  static constexpr unsigned char FirstByte(std::string_view word) {
    unsigned char c = static_cast<unsigned char>(word[0]);
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 0x20) : c;
  }

  const Entry (&entries_)[kSize];
  uint8_t order_[kSize] = {};  // places in entries_, by first byte
  uint8_t first_[256] = {};    // where a first byte's places begin in order_
  uint8_t end_[256] = {};      // and where they end
};

constexpr KindWord kKindWords[] = {
    {"AFTERMARKET", TagKind::kReRelease}, {"AGES", TagKind::kReRelease},
    {"ALT", TagKind::kAlternate},         {"APRIL", TagKind::kRelease},
    {"ARCHIVES", TagKind::kReRelease},    {"AUGUST", TagKind::kRelease},
    {"BETA", TagKind::kOddity},           {"CHANNEL", TagKind::kReRelease},
    {"CLASSIC", TagKind::kReRelease},     {"CLASSICS", TagKind::kReRelease},
    {"COLLECTION", TagKind::kReRelease},  {"COMPATIBLE", TagKind::kRelease},
    {"CONSOLE", TagKind::kReRelease},     {"DEBUG", TagKind::kOddity},
    {"DECEMBER", TagKind::kRelease},      {"DEMO", TagKind::kOddity},
    {"DISC", TagKind::kRelease},          {"DISK", TagKind::kRelease},
    {"EDITION", TagKind::kReRelease},     {"ENHANCED", TagKind::kRelease},
    {"EVERCADE", TagKind::kReRelease},    {"FEBRUARY", TagKind::kRelease},
    {"HACK", TagKind::kOddity},           {"IQUE", TagKind::kReRelease},
    {"JANUARY", TagKind::kRelease},       {"JULY", TagKind::kRelease},
    {"JUNE", TagKind::kRelease},          {"KIOSK", TagKind::kOddity},
    {"MARCH", TagKind::kRelease},         {"MAY", TagKind::kRelease},
    {"MINI", TagKind::kReRelease},        {"MUSEUM", TagKind::kReRelease},
    {"NOVEMBER", TagKind::kRelease},      {"NP", TagKind::kReRelease},
    {"OCTOBER", TagKind::kRelease},       {"ONLINE", TagKind::kReRelease},
    {"PIRATE", TagKind::kOddity},         {"PROMO", TagKind::kOddity},
    {"PROTO", TagKind::kOddity},          {"PROTOTYPE", TagKind::kOddity},
    {"SAMPLE", TagKind::kOddity},         {"SEPTEMBER", TagKind::kRelease},
    {"SIDE", TagKind::kRelease},          {"STEAM", TagKind::kReRelease},
    {"SWITCH", TagKind::kReRelease},      {"TAPE", TagKind::kRelease},
    {"TRACK", TagKind::kRelease},         {"UNL", TagKind::kOddity},
    {"UNLICENSED", TagKind::kOddity},     {"VIRTUAL", TagKind::kReRelease},
    {"WII", TagKind::kReRelease},
};

constexpr WordTable kKindTable(kKindWords);
constexpr WordTable kRegionTable(kNoIntroRegions);

bool IsRegion(std::string_view word) {
  return kRegionTable.Find(word) != nullptr;
}

// Whether each item of tag, parted by commas (and by "+" when plus is set)
// and trimmed, passes is_item; tag has at least one item.
template <typename IsItem>
bool AllItems(std::string_view tag, bool plus, IsItem is_item) {
  for (size_t begin = 0, end;; begin = end + 1) {
    end = begin;
    while (end < tag.size() && tag[end] != ',' && !(plus && tag[end] == '+'))
      ++end;
    if (!is_item(Trimmed(tag.substr(begin, end - begin))))
      return false;
    if (end == tag.size())
      return true;
  }
}

// "En", "Zh-Hant": two letters, then maybe "-" and letters.
bool IsLanguage(std::string_view item) {
  if (item.size() < 2 || !IsLetter(item[0]) || !IsLetter(item[1]))
    return false;
  if (item.size() == 2)
    return true;
  if (item[2] != '-' || item.size() == 3)
    return false;
  for (char c : item.substr(3))
    if (!IsLetter(c))
      return false;
  return true;
}

// "1994-03-01", "199x", "0.9.37": a digit, then digits, "-", "." and "x"
// only.
bool IsDate(std::string_view tag) {
  if (tag.empty() || !IsDigit(tag[0]))
    return false;
  for (char c : tag)
    if (!IsDigit(c) && c != '-' && c != '.' && c != 'x' && c != 'X')
      return false;
  return true;
}

// The weightiest kind that a word of tag gives it; kIdentity when no word
// does.
TagKind KindOfWords(std::string_view tag) {
  TagKind best = TagKind::kIdentity;
  for (size_t i = 0; i < tag.size();) {
    if (!IsLetter(tag[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < tag.size() && IsLetter(tag[end]))
      ++end;
    const KindWord* found = kKindTable.Find(tag.substr(i, end - i));
    if (found && (best == TagKind::kIdentity || found->kind < best))
      best = found->kind;
    i = end;
  }
  return best;
}

// The kind of the "(...)" tag whose inside is tag, when it is no list of
// regions. No region is a word of a kind, but "NP" looks like a language.
TagKind KindOfOtherTag(std::string_view tag) {
  if (tag.empty() || IsDate(tag))
    return TagKind::kRelease;
  if (FoldedStartsWith(tag, "Rev ") ||
      (tag.size() > 1 && FoldByte(static_cast<unsigned char>(tag[0])) == 'V' &&
       IsDigit(tag[1])))
    return TagKind::kRevision;
  TagKind kind = KindOfWords(tag);
  if (kind == TagKind::kIdentity && AllItems(tag, true, IsLanguage))
    return TagKind::kRelease;
  return kind;
}

// The kind of the "(...)" tag whose inside is tag; regions, the commonest,
// are tried first.
TagKind KindOfTag(std::string_view tag) {
  return !tag.empty() && AllItems(tag, false, IsRegion) ? TagKind::kRegion
                                                        : KindOfOtherTag(tag);
}

// The sheet rank of extension (NoIntroPreference::sheet). All the sheets'
// extensions are four bytes long, the dot first, which most others are not.
uint8_t SheetRank(std::string_view extension) {
  if (extension.size() != 4 || extension[0] != '.')
    return 2;
  switch (FoldByte(static_cast<unsigned char>(extension[1]))) {
    case 'M':
      return FoldedEqual(extension, ".m3u") ? 0 : 2;
    case 'C':
      return FoldedEqual(extension, ".cue") || FoldedEqual(extension, ".ccd")
                 ? 1
                 : 2;
    case 'G':
      return FoldedEqual(extension, ".gdi") ? 1 : 2;
    default:
      return 2;
  }
}

// Calls visit(open, inside, end) for each tag of tags in turn: open is "("
// or "[", inside the text between it and its closing byte, end the place
// after that byte. A tag of a kind that fails to close ends that kind.
template <typename Visit>
void ForEachTag(std::string_view tags, size_t from, Visit visit) {
  // Once a kind of tag fails to close, no later one of that kind can.
  bool parens_close = true, brackets_close = true;
  for (size_t open = from; open < tags.size(); ++open) {
    char c = tags[open];
    if (c != '(' && c != '[')
      continue;
    bool& closes = c == '(' ? parens_close : brackets_close;
    if (!closes)
      continue;
    char end = c == '(' ? ')' : ']';
    size_t close = open + 1;
    while (close < tags.size() && tags[close] != end)
      ++close;
    if (close == tags.size()) {
      closes = false;
      continue;
    }
    if (!visit(c, tags.substr(open + 1, close - open - 1), close + 1))
      return;
    open = close;
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

// What a "(...)" tag tells a preference: its kind, and the region that it
// gives a preference that no earlier tag gave one (the size of the region
// list for none).
struct TagReading {
  TagKind kind;
  uint32_t region;
};

// The reading of the "(...)" tag whose inside is tag. Without want_region,
// the region of a tag of no known kind is left out (as none): only the
// first tag that names a region counts.
TagReading ReadParenTag(std::string_view tag,
                        const std::vector<std::string>& regions,
                        bool want_region) {
  const uint32_t no_region = static_cast<uint32_t>(regions.size());
  // A list of regions is read once, for its kind and its listed region.
  uint32_t listed = no_region;
  bool all_regions = !tag.empty() && AllItems(tag, false, [&](auto item) {
    if (!IsRegion(item))
      return false;
    for (uint32_t r = 0; r < listed; ++r)
      if (FoldedEqual(item, regions[r])) {
        listed = r;
        break;
      }
    return true;
  });
  if (all_regions)
    return {TagKind::kRegion, listed};
  TagKind kind = KindOfOtherTag(tag);
  return {kind, kind == TagKind::kIdentity && want_region
                    ? RegionOfTag(tag, regions)
                    : no_region};
}

// NoIntroPreferenceOf, the identity tags appended to *identity when
// identity is not null.
NoIntroPreference ReadTags(std::string_view tags, std::string_view extension,
                           const std::vector<std::string>& regions,
                           std::vector<std::string_view>* identity) {
  NoIntroPreference preference;
  const uint32_t no_region = static_cast<uint32_t>(regions.size());
  preference.region = no_region;
  ForEachTag(tags, 0, [&](char open, std::string_view tag, size_t) {
    if (open == '[') {
      preference.bad_dump = preference.bad_dump || IsBadDumpTag(tag);
      return true;
    }
    TagReading reading =
        ReadParenTag(tag, regions, preference.region == no_region);
    switch (reading.kind) {
      case TagKind::kIdentity:
        preference.identity = true;
        if (identity)
          identity->push_back(tag);
        break;
      case TagKind::kOddity:
        preference.oddity = true;
        break;
      case TagKind::kAlternate:
        preference.release =
            std::max(preference.release, NoIntroPreference::kAlternate);
        break;
      case TagKind::kReRelease:
        preference.release = NoIntroPreference::kReRelease;
        break;
      default:
        break;
    }
    if (preference.region == no_region)
      preference.region = reading.region;
    if (reading.kind != TagKind::kRevision)
      return true;
    if (preference.revision.empty())
      preference.revision = RevisionText(tag, "Rev ", [](char c) {
        return IsDigit(c) || IsLetter(c);
      });
    if (preference.version.empty())
      preference.version = RevisionText(tag, "v", IsDigit);
    return true;
  });
  preference.sheet = SheetRank(extension);
  return preference;
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

std::string_view NextNoIntroIdentityTag(std::string_view tags, size_t* pos) {
  std::string_view found;
  size_t after = tags.size();
  ForEachTag(tags, *pos, [&](char open, std::string_view tag, size_t end) {
    if (open == '[' || KindOfTag(tag) != TagKind::kIdentity)
      return true;
    found = tag;
    after = end;
    return false;
  });
  *pos = after;
  return found;
}

int CompareNoIntroIdentities(std::span<const std::string_view> a,
                             std::span<const std::string_view> b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    std::string_view tag_a = a[k], tag_b = b[k];
    size_t shared = FoldedPrefixLength(tag_a, tag_b);
    if (shared < tag_a.size() && shared < tag_b.size())
      return FoldByte(static_cast<unsigned char>(tag_a[shared])) -
             FoldByte(static_cast<unsigned char>(tag_b[shared]));
    if (tag_a.size() != tag_b.size())
      return tag_a.size() < tag_b.size() ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

std::string_view NoIntroGameName(std::string_view title,
                                 std::span<const std::string_view> identity,
                                 std::string* storage) {
  if (identity.empty())
    return title;
  storage->assign(title);
  for (std::string_view tag : identity) {
    storage->append(" (");
    storage->append(tag);
    storage->push_back(')');
  }
  return *storage;
}

NoIntroPreference NoIntroPreferenceOf(
    std::string_view tags, std::string_view extension,
    const std::vector<std::string>& regions) {
  return ReadTags(tags, extension, regions, nullptr);
}

// The texts that a reader remembers are at most kSlotText bytes long and
// hold at most kSlotIdentity identity tags; it remembers 2^kSlotBits, a
// text in one of the kProbes slots from the one its bytes choose.
constexpr size_t kSlotText = 40;
constexpr size_t kSlotIdentity = 4;
constexpr int kSlotBits = 9;
constexpr size_t kProbes = 4;

struct NoIntroTagReader::Slot {
  uint8_t size = 0xFF;  // of text; above kSlotText for none
  char text[kSlotText];
  // What text holds, its views as places and sizes in text.
  bool bad_dump;
  bool oddity;
  uint8_t release;
  uint8_t identity_count;
  uint32_t region;
  uint8_t revision[2];
  uint8_t version[2];
  uint8_t identity[kSlotIdentity][2];
};

namespace {

// Where text, at most kSlotText bytes, is looked for among the slots.
size_t SlotOf(std::string_view text) {
  uint64_t hash = text.size();
  if (text.size() >= 8) {
    // The first and last eight bytes, and eight from the middle.
    hash ^= LoadWord(text.data()) * 0x9E3779B97F4A7C15ull;
    hash ^= LoadWord(text.data() + text.size() - 8) * 0xC2B2AE3D27D4EB4Full;
    hash ^= LoadWord(text.data() + text.size() / 2 - 4) * 0x165667B19E3779F9ull;
  } else {
    for (char c : text)
      hash = hash * 0x100000001B3ull + static_cast<unsigned char>(c);
    hash *= 0x9E3779B97F4A7C15ull;
  }
  return static_cast<size_t>((hash ^ hash >> 29) * 0xBF58476D1CE4E5B9ull >>
                             (64 - kSlotBits));
}

// Whether the size bytes at a and b are the same.
bool SameBytes(const char* a, const char* b, size_t size) {
  if (size < 8) {
    for (size_t i = 0; i < size; ++i)
      if (a[i] != b[i])
        return false;
    return true;
  }
  for (size_t i = 0; i + 8 < size; i += 8)
    if (LoadWord(a + i) != LoadWord(b + i))
      return false;
  return LoadWord(a + size - 8) == LoadWord(b + size - 8);
}

}  // namespace

NoIntroTagReader::NoIntroTagReader(const std::vector<std::string>& regions)
    : regions_(regions), slots_(size_t{1} << kSlotBits) {}

NoIntroTagReader::~NoIntroTagReader() = default;

NoIntroPreference NoIntroTagReader::Read(
    std::string_view tags, std::string_view extension,
    std::vector<std::string_view>* identity) {
  if (tags.size() > kSlotText)
    return ReadTags(tags, extension, regions_, identity);
  // The slot that holds tags, or else the first free one or the first.
  const size_t home = SlotOf(tags);
  Slot* found = &slots_[home];
  bool known = false;
  for (size_t k = 0; k < kProbes; ++k) {
    Slot& slot = slots_[(home + k) & (slots_.size() - 1)];
    if (slot.size == tags.size() &&
        SameBytes(slot.text, tags.data(), tags.size())) {
      found = &slot;
      known = true;
      break;
    }
    if (slot.size > kSlotText) {
      found = &slot;
      break;
    }
  }
  Slot& slot = *found;
  auto view = [&](const uint8_t (&place)[2]) {
    return tags.substr(place[0], place[1]);
  };
  if (known) {
    NoIntroPreference preference;
    preference.bad_dump = slot.bad_dump;
    preference.oddity = slot.oddity;
    preference.release = slot.release;
    preference.region = slot.region;
    preference.revision = view(slot.revision);
    preference.version = view(slot.version);
    preference.identity = slot.identity_count > 0;
    preference.sheet = SheetRank(extension);
    for (size_t k = 0; k < slot.identity_count; ++k)
      identity->push_back(view(slot.identity[k]));
    return preference;
  }
  size_t first = identity->size();
  NoIntroPreference preference =
      ReadTags(tags, extension, regions_, identity);
  size_t count = identity->size() - first;
  if (count > kSlotIdentity)
    return preference;
  auto place = [&](std::string_view part, uint8_t (&to)[2]) {
    to[0] = static_cast<uint8_t>(part.empty() ? 0 : part.data() - tags.data());
    to[1] = static_cast<uint8_t>(part.size());
  };
  slot.size = static_cast<uint8_t>(tags.size());
  if (!tags.empty())  // an empty view may point nowhere
    std::memcpy(slot.text, tags.data(), tags.size());
  slot.bad_dump = preference.bad_dump;
  slot.oddity = preference.oddity;
  slot.release = preference.release;
  slot.region = preference.region;
  place(preference.revision, slot.revision);
  place(preference.version, slot.version);
  slot.identity_count = static_cast<uint8_t>(count);
  for (size_t k = 0; k < count; ++k)
    place((*identity)[first + k], slot.identity[k]);
  return preference;
}

bool NoIntroPreferred(const NoIntroPreference& a,
                      const NoIntroPreference& b) {
  if (a.bad_dump != b.bad_dump)
    return b.bad_dump;
  if (a.oddity != b.oddity)
    return b.oddity;
  if (a.release != b.release)
    return a.release < b.release;
  if (a.region != b.region)
    return a.region < b.region;
  // Most names have neither.
  if (!a.revision.empty() || !b.revision.empty())
    if (int r = CompareRevisionTexts(a.revision, b.revision))
      return r > 0;
  if (!a.version.empty() || !b.version.empty())
    if (int r = CompareRevisionTexts(a.version, b.version))
      return r > 0;
  return a.sheet < b.sheet;
}
