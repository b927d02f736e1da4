// The parts of a name in the No-Intro and Redump style, such as
// 'Super Mario 64 (Europe) (En,Fr,De) (Rev 1).z64': a title, then tags in
// parentheses and brackets. Every text is a run of bytes; letters compare
// with ASCII case folded.
#ifndef TRAMLUNE_MATCHING_NO_INTRO_NAMES_H_
#define TRAMLUNE_MATCHING_NO_INTRO_NAMES_H_

#include <cstddef>
#include <cstdint>
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

/// What decides which name of a group is its parent, found in the tags that
/// follow the title. Tags are "(...)" and "[...]" runs; their words compare
/// with letters folded.
struct NoIntroPreference {
  /// A bad dump: a "[b]" tag or "[b" with digits ("[b1]", "[b12]").
  bool bad_dump = false;
  /// A pre-release or oddity: a tag "(Sample)", "(Demo)", "(Pirate)" or
  /// "(Unl)", or one that begins with the word Beta, Proto, Kiosk, Debug or
  /// Alt, followed by ")" or by a byte that is no letter ("(Beta 2)",
  /// "(Debug Version)"; not "(Alternate)").
  bool oddity = false;
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
};

/// The preference of a name whose base ends in tags: the base after its
/// title (NoIntroTitleLength). regions is a list as ParseRegionList makes
/// it. The texts of the result lie in tags.
NoIntroPreference NoIntroPreferenceOf(std::string_view tags,
                                      const std::vector<std::string>& regions);

/// Whether the name of a is to be preferred to that of b as a parent, each
/// step deciding only when the ones before are even: no bad dump over a bad
/// dump; a release over an oddity; the earlier region (none last); the
/// higher revision, then the higher version (none lowest). Revisions and
/// versions compare in runs: digits by value ("10" over "9"), anything
/// else byte by byte, folded; a text that leads another is the lower one.
/// False when they are even.
bool NoIntroPreferred(const NoIntroPreference& a, const NoIntroPreference& b);

#endif  // TRAMLUNE_MATCHING_NO_INTRO_NAMES_H_
