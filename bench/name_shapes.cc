#include "name_shapes.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <unordered_set>
#include <utility>

namespace {

// A small generator whose sequence is fixed by its seed alone (the
// standard distributions differ between libraries).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  /// Uniform in 0 .. bound - 1.
  size_t Below(size_t bound) { return Next() % bound; }
  /// True with probability percent / 100.
  bool Chance(unsigned percent) { return Below(100) < percent; }

 private:
  uint64_t state_;
};

const char* const kWords[] = {
    "Super", "Mario", "Kart", "Racing", "World", "Star", "Wars", "Legend",
    "Zelda", "Ocarina", "Time", "Golden", "Eye", "Perfect", "Dark", "Banjo",
    "Kazooie", "Tooie", "Donkey", "Kong", "Party", "Tennis", "Golf", "Wave",
    "Race", "Extreme", "Snowboarding", "Pilotwings", "Blast", "Corps",
    "Turok", "Dinosaur", "Hunter", "Rage", "Wars", "Jet", "Force", "Gemini",
    "Conker", "Bad", "Fur", "Day", "Mystical", "Ninja", "Goemon", "Harvest",
    "Moon", "Pokemon", "Stadium", "Snap", "Yoshi", "Story", "Kirby", "Crystal",
    "Shards", "Fighters", "Destiny", "Rush", "San", "Francisco", "Cruis'n",
    "USA", "Exotica", "NFL", "Blitz", "NBA", "Jam", "Hang", "Time", "Courtside",
    "International", "Superstar", "Soccer", "Hockey", "Nagano", "Winter",
    "Olympics", "Quest", "Shadow", "Empire", "Rogue", "Squadron", "Episode",
    "Battle", "Naboo", "Doom", "Quake", "Hexen", "Duke", "Nukem", "Mission",
    "Impossible", "Resident", "Evil", "Castlevania", "Legacy", "Darkness",
    "Bomberman", "Hero", "Tetrisphere", "Puzzle", "League", "Road", "Rash",
    "Top", "Gear", "Rally", "Overdrive", "Hyper", "Bike", "Excitebike",
    "Wipeout", "F-Zero", "Glover", "Chameleon", "Twist", "Rayman", "Space",
    "Station", "Silicon", "Valley", "Paper", "Smash", "Bros.", "Tony",
    "Hawk's", "Pro", "Skater", "Army", "Men", "Sarge's", "Heroes", "Rocket",
    "Robot", "Wheels", "Densha", "Go!", "Jikkyou", "Powerful", "Pro",
    "Yakyuu", "Shougi", "Mahjong", "Derby", "Stallion", "Dragon", "Sword",
    "Magic", "Knight", "Flying", "Dragon", "Beetle", "Adventure", "Racers",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

const char* const kRegions[] = {"(U)", "(E)", "(J)", "(JU)", "(E) (M3)",
                                "(E) (M4)", "(U) (M2)", "(G)", "(F)", "(A)"};
constexpr size_t kRegionCount = sizeof(kRegions) / sizeof(kRegions[0]);
const char* const kClones[] = {"[b1]", "[b2]", "[b3]", "[f1]",  "[f2]",
                               "[t1]", "[t2]", "[o1]", "[h1C]", "[a1]",
                               "[h2C]", "[f1] (PAL)", "[b1][f1]",
                               "[T+Spa1.0]", "[CART HACK]"};
const char* const kExtensions[] = {".v64", ".v64", ".v64", ".z64", ".n64"};

template <size_t N>
const char* Pick(Random& random, const char* const (&list)[N]) {
  return list[random.Below(N)];
}

std::string Words(Random& random, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += kWords[random.Below(kWordCount)];
  }
  return text;
}

// Titles of one to four words with a region each; most regions have a
// verified dump "[!]" and a few bad, fixed or trained ones, and some an
// untagged or versioned name.
void GameNames(Random& random, size_t count, std::vector<std::string>& out) {
  std::unordered_set<std::string> titles;
  while (out.size() < count) {
    std::string title = Words(random, 1 + random.Below(4));
    if (random.Chance(15)) {
      title += ' ';
      title += std::to_string(random.Below(100));
    }
    if (!titles.insert(title).second)
      continue;
    const char* ext = Pick(random, kExtensions);
    size_t regions = 1 + random.Below(3);
    size_t first_region = random.Below(kRegionCount);
    for (size_t r = 0; r < regions && out.size() < count; ++r) {
      std::string base =
          title + " " + kRegions[(first_region + r) % kRegionCount];
      std::set<std::string> tags;  // ordered, so that the names are too
      if (random.Chance(60)) tags.insert("[!]");
      if (random.Chance(20)) tags.insert("");
      if (random.Chance(10)) tags.insert("(V1.1)");
      size_t clones = random.Below(5);
      for (size_t c = 0; c < clones; ++c)
        tags.insert(Pick(random, kClones));
      for (const std::string& tag : tags) {
        if (out.size() == count) break;
        out.push_back(tag.empty() ? base + ext : base + " " + tag + ext);
      }
    }
  }
}

// Release groups with many shows of many episodes each.
void VideoNames(Random& random, size_t count, std::vector<std::string>& out) {
  static const char* const kGroups[] = {"[SubHouse]", "[Kaze]", "[Moonrise]",
                                        "[Yuzu-Fansub]", "[HorribleWave]",
                                        "[Erai]", "[ANON]", "[Nyaa Crew]"};
  static const char* const kQualities[] = {"[1080p]", "[720p]",
                                           "[1080p][HEVC]", "[480p]"};
  std::unordered_set<std::string> shows;
  while (out.size() < count) {
    std::string show = std::string(Pick(random, kGroups)) + " " +
                       Words(random, 1 + random.Below(3));
    if (!shows.insert(show).second)
      continue;
    const char* quality = Pick(random, kQualities);
    size_t episodes = 12 + random.Below(500);
    for (size_t e = 1; e <= episodes && out.size() < count; ++e) {
      char number[16];
      std::snprintf(number, sizeof(number), " %04zu - ", e);
      out.push_back(show + number + Words(random, 1 + random.Below(3)) + " " +
                    quality + ".mkv");
    }
  }
}

// Titles of one to four words, each in a few regions, some with revisions,
// versions, languages, discs, bad dumps or pre-releases; a few BIOS files.
void NoIntroNames(Random& random, size_t count,
                  std::vector<std::string>& out) {
  static const char* const kNoIntroRegions[] = {
      "(USA)", "(Europe)", "(Japan)", "(World)", "(USA, Europe)",
      "(Japan, USA)", "(Germany)", "(France)", "(Brazil)", "(Korea)"};
  static const char* const kTags[] = {
      "", "", "", " (Rev 1)", " (Rev 2)", " (v1.1)", " (En,Fr,De)",
      " (Beta)", " (Proto)", " (Demo)", " [b]", " (Disc 1)", " (Disc 2)"};
  static const char* const kNoIntroExtensions[] = {".z64", ".gb", ".nes",
                                                   ".cue", ".sfc"};
  std::unordered_set<std::string> titles;
  while (out.size() < count) {
    std::string title = Words(random, 1 + random.Below(4));
    if (random.Chance(2)) {
      std::string bios = "[BIOS] ";
      title = bios.append(title);
    }
    if (random.Chance(15)) {
      title += ' ';
      title += std::to_string(2 + random.Below(8));
    }
    if (!titles.insert(title).second)
      continue;
    const char* ext = Pick(random, kNoIntroExtensions);
    std::set<std::string> names;  // ordered, so that the output is too
    size_t files = 1 + random.Below(6);
    for (size_t f = 0; f < files; ++f)
      names.insert(title + " " + Pick(random, kNoIntroRegions) +
                   Pick(random, kTags) + ext);
    for (const std::string& name : names) {
      if (out.size() == count) break;
      out.push_back(name);
    }
  }
}

void PhotoNames(size_t count, std::vector<std::string>& out) {
  for (size_t i = 1; i <= count; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "IMG_%07zu.jpg", i);
    out.emplace_back(name);
  }
}

void FortyByteNames(size_t count, std::vector<std::string>& out) {
  for (size_t i = 1; i <= count; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "Holiday Album 2026 - Picture %07zu.jpg",
                  i);
    out.emplace_back(name);
  }
}

}  // namespace

bool ParseNameShape(std::string_view text, NameShape* shape) {
  for (NameShape s : {NameShape::kGame, NameShape::kVideo, NameShape::kPhoto,
                      NameShape::kForty, NameShape::kNoIntro})
    if (text == NameShapeName(s)) {
      *shape = s;
      return true;
    }
  return false;
}

const char* NameShapeName(NameShape shape) {
  switch (shape) {
    case NameShape::kGame: return "game";
    case NameShape::kVideo: return "video";
    case NameShape::kPhoto: return "photo";
    case NameShape::kForty: return "forty";
    case NameShape::kNoIntro: return "no-intro";
  }
  return "";
}

std::vector<std::string> MakeNames(NameShape shape, size_t count) {
  Random random(0x7261'6D6C'756E'6501ull + static_cast<uint64_t>(shape));
  std::vector<std::string> names;
  names.reserve(count);
  switch (shape) {
    case NameShape::kGame: GameNames(random, count, names); break;
    case NameShape::kVideo: VideoNames(random, count, names); break;
    case NameShape::kPhoto: PhotoNames(count, names); break;
    case NameShape::kForty: FortyByteNames(count, names); break;
    case NameShape::kNoIntro: NoIntroNames(random, count, names); break;
  }
  // The order of a hashed directory: none that helps the sort.
  for (size_t i = names.size(); i > 1; --i)
    std::swap(names[i - 1], names[random.Below(i)]);
  return names;
}
