// The regions that No-Intro and Redump names write in their region tags.
#ifndef TRAMLUNE_MATCHING_NO_INTRO_REGIONS_H_
#define TRAMLUNE_MATCHING_NO_INTRO_REGIONS_H_

#include <string_view>

/// Every region word of the naming, as the names spell it.
inline constexpr std::string_view kNoIntroRegions[] = {
    "World",     "USA",          "Europe",      "Japan",        "Asia",
    "Australia", "Brazil",       "Canada",      "China",        "France",
    "Germany",   "Hong Kong",    "Italy",       "Korea",        "Netherlands",
    "Spain",     "Sweden",       "Taiwan",      "UK",           "Russia",
    "Scandinavia", "Greece",     "Finland",     "Norway",       "Denmark",
    "Portugal",  "Poland",       "Mexico",      "Argentina",    "Latin America",
    "India",     "New Zealand",  "South Africa", "Austria",     "Belgium",
    "Switzerland", "Ireland",    "Israel",      "Turkey",       "Croatia",
    "Czech",     "Hungary",      "Ukraine",     "United Arab Emirates",
    "Chile",     "Indonesia",    "Singapore",   "Thailand",     "Unknown",
};

/// Whether word is one of kNoIntroRegions, letters compared folded.
bool IsNoIntroRegion(std::string_view word);

#endif  // TRAMLUNE_MATCHING_NO_INTRO_REGIONS_H_
