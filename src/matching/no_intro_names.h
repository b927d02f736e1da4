// The parts of a name in the No-Intro and Redump style, such as
// 'Super Mario 64 (Europe) (En,Fr,De) (Rev 1).z64': a title, then tags in
// parentheses and brackets. Every text is a run of bytes; letters compare
// with ASCII case folded.
#ifndef TRAMLUNE_MATCHING_NO_INTRO_NAMES_H_
#define TRAMLUNE_MATCHING_NO_INTRO_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// The regions preferred when none are named, the most preferred first, as
/// ParseRegionList reads them.
inline constexpr std::string_view kDefaultNoIntroRegions =
    "USA,World,Europe,Japan";

/// The length of the title of base: the text before its first " (" (the
/// whole base when it has none), without the spaces and tabs that end it.
/// A leading "[BIOS] " is part of the title.
size_t NoIntroTitleLength(std::string_view base);

/// Reads text, a comma-separated list of regions, the most preferred first,
/// into *regions (replacing what it held); each item is trimmed of spaces
/// and tabs. Returns false, leaving *regions as it was, when the list or
/// any of its items is empty ("", "USA,,Japan", "USA, ").
bool ParseRegionList(std::string_view text, std::vector<std::string>* regions);

/// The next tag of tags, from *pos on, that is part of a game's identity,
/// without its parentheses; empty when none is left (*pos is then
/// tags.size()). *pos moves past it. tags is the base after its title.
/// A "(...)" tag is part of the identity unless it is of a kind that only
/// tells releases of one game apart: regions ("(USA, Europe)", every item
/// one of kNoIntroRegions), languages ("(En,Fr+De)", every item two
/// letters, maybe with a "-" and more: "Zh-Hant"), revisions and versions
/// ("(Rev A)", "(v1.1)"), dates and numbers ("(1994-03-01)", "(0.9.37)": a
/// digit, then digits, "-", "." and "x" only), or a tag with a word (a run
/// of letters) of these: pre-releases and oddities (Beta, Proto, Prototype,
/// Demo, Sample, Kiosk, Debug, Promo, Unl, Unlicensed, Pirate, Hack),
/// alternative dumps (Alt), months ("(August, 1992)"), media (Disc, Disk,
/// Side, Track, Tape), features (Enhanced, Compatible) and re-releases
/// (Virtual, Console, Online, NP, Mini, Classic, Classics, Collection,
/// Edition, Aftermarket, Evercade, Ages, Archives, Museum, Channel, iQue,
/// Wii, Switch, Steam). So publishers ("(Tengen)"), subtitles ("(Soccer)")
/// and serials ("(4B-002)") keep games apart. A "[...]" tag never is part
/// of the identity.
std::string_view NextNoIntroIdentityTag(std::string_view tags, size_t* pos);

/// Orders two lists of identity tags (NextNoIntroIdentityTag, in turn):
/// negative, 0 or positive. Tags compare in turn, byte by byte with letters
/// folded, the shorter first on a tie; fewer tags order first.
int CompareNoIntroIdentities(std::span<const std::string_view> a,
                             std::span<const std::string_view> b);

/// The name of a game whose title is title and whose base has the
/// identity tags identity (NextNoIntroIdentityTag, in turn): the title,
/// then " (tag)" for each tag, as written ("Tetris (Tengen)"). title itself
/// when there are none; else the name is built in *storage, which the
/// result views.
std::string_view NoIntroGameName(std::string_view title,
                                 std::span<const std::string_view> identity,
                                 std::string* storage);

/// What decides which name of a group is its parent, found in the tags that
/// follow the title. Tags are "(...)" and "[...]" runs; their words compare
/// with letters folded.
struct NoIntroPreference {
  /// A bad dump: a "[b]" tag or "[b" with digits ("[b1]", "[b12]").
  bool bad_dump = false;
  /// A pre-release or oddity: a "(...)" tag with a word of those kinds
  /// (NextNoIntroIdentityTag): "(Beta 2)", "(Kiosk Demo)", "(Unl)"; not
  /// "(Betamax)".
  bool oddity = false;
  /// What kind of release: kPlainRelease; kAlternate with a tag of the word
  /// Alt ("(Alt 2)"); kReRelease with a re-release tag ("(Virtual
  /// Console)", "(NP)"), which outweighs an Alt tag.
  uint8_t release = 0;
  static constexpr uint8_t kPlainRelease = 0, kAlternate = 1, kReRelease = 2;
  /// The place in the region list of the first listed region named by the
  /// region tag, the first "(...)" tag of which some comma-separated item,
  /// trimmed, is a listed region ("(Japan, USA)" names both). The size of
  /// the list when no tag names a listed region.
  uint32_t region = 0;
  /// "2" of the first "(Rev 2)" tag, "A" of "(Rev A)": the text after
  /// "Rev ", of letters, digits and dots. Empty when there is none.
  std::string_view revision;
  /// "1.1" of the first "(v1.1)" tag: the text after the "v", a digit
  /// first, then letters, digits and dots. Empty when there is none.
  std::string_view version;
  /// Whether some "(...)" tag is part of the game's identity
  /// (NextNoIntroIdentityTag).
  bool identity = false;
  /// 0 for a playlist of discs (".m3u"), 1 for a cue sheet (".cue",
  /// ".gdi", ".ccd"), 2 for any other extension; letters folded.
  uint8_t sheet = 2;
};

/// The preference of a name whose base ends in tags (the base after its
/// title, NoIntroTitleLength) and that has extension ("." included, or
/// empty). regions is a list as ParseRegionList makes it. The texts of the
/// result lie in tags.
NoIntroPreference NoIntroPreferenceOf(std::string_view tags,
                                      std::string_view extension,
                                      const std::vector<std::string>& regions);

/// The preference of a name without an extension, such as a DAT's game.
inline NoIntroPreference NoIntroPreferenceOf(
    std::string_view tags, const std::vector<std::string>& regions) {
  return NoIntroPreferenceOf(tags, {}, regions);
}

/// Reads the tags of many names with one region list: each name's
/// preference and identity tags in one pass. Sets repeat a few tag texts
/// over and over (" (USA)", " (U) [!]"), so the reader remembers what the
/// texts that it read last hold (a few hundred, found by their bytes) and
/// reads one of those again only to find it.
class NoIntroTagReader {
 public:
  /// regions is a list as ParseRegionList makes it; it must outlive the
  /// reader and stay as it is.
  explicit NoIntroTagReader(const std::vector<std::string>& regions);
  ~NoIntroTagReader();
  NoIntroTagReader(const NoIntroTagReader&) = delete;
  NoIntroTagReader& operator=(const NoIntroTagReader&) = delete;

  /// NoIntroPreferenceOf(tags, extension, regions); appends to *identity
  /// the identity tags of tags, in the order NextNoIntroIdentityTag finds
  /// them. The views lie in tags.
  NoIntroPreference Read(std::string_view tags, std::string_view extension,
                         std::vector<std::string_view>* identity);

 private:
  struct Slot;  // a tag text read before and what it holds

  const std::vector<std::string>& regions_;
  std::vector<Slot> slots_;
};

/// Whether the name of a is to be preferred to that of b as a parent, each
/// step deciding only when the ones before are even: no bad dump over a bad
/// dump; a release over an oddity; a plain release over an Alt one, over a
/// re-release; the earlier region (none last); the higher revision, then
/// the higher version (none lowest); the sheet over the tracks it lists
/// (the lower sheet rank). Revisions and
/// versions compare in runs: digits by value ("10" over "9"), anything
/// else byte by byte, folded; a text that leads another is the lower one.
/// False when they are even.
bool NoIntroPreferred(const NoIntroPreference& a, const NoIntroPreference& b);

#endif  // TRAMLUNE_MATCHING_NO_INTRO_NAMES_H_
