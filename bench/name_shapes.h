// Deterministic file names of the shapes that the benchmarks measure.
#ifndef TRAMLUNE_BENCH_NAME_SHAPES_H_
#define TRAMLUNE_BENCH_NAME_SHAPES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class NameShape {
  kGame,   // dumped-game sets: 'Title Words (U) [a1].v64', a few per title
  kVideo,  // '[Group] Show 0001 - Episode Title [1080p].mkv'
  kPhoto,  // untagged camera names: 'IMG_0000001.jpg'
  kForty,  // untagged names of exactly 40 bytes, for the memory figure
  kNoIntro,  // today's sets: 'Title Words (USA) (Rev 1).z64', a few per title
};

/// The shape named "game", "video", "photo", "forty" or "no-intro"; false
/// for any other name.
bool ParseNameShape(std::string_view text, NameShape* shape);

/// The name of shape as ParseNameShape reads it.
const char* NameShapeName(NameShape shape);

/// count distinct names of shape, in a scrambled order like that of a
/// directory listing. The same arguments give the same names on every run
/// and every machine.
std::vector<std::string> MakeNames(NameShape shape, size_t count);

#endif  // TRAMLUNE_BENCH_NAME_SHAPES_H_
