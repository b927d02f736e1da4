// --dat: reading a DAT of n games (its families found), and the whole
// program on n No-Intro names with a DAT of n games beside the same run by
// --naming no-intro. The DAT is made from the names: one game per name, the
// first name of each title the parent of the others.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "../tests/fake_platform.h"
#include "../tests/test_support.h"
#include "app/tramlune.h"
#include "matching/dat_families.h"
#include "matching/dat_file.h"
#include "name_shapes.h"
#include "set_dat.h"

namespace {

struct Set {
  std::vector<std::string> names;
  std::string dat;
};

const Set& SetOf(int64_t n) {
  static std::map<int64_t, Set> cache;
  auto it = cache.find(n);
  if (it != cache.end())
    return it->second;
  Set set;
  set.names = MakeNames(NameShape::kNoIntro, static_cast<size_t>(n));
  set.dat = MakeSetDat(set.names);
  return cache.emplace(n, std::move(set)).first->second;
}

void BM_ReadDat(benchmark::State& state) {
  const Set& set = SetOf(state.range(0));
  for (auto _ : state) {
    DatFile dat;
    benchmark::DoNotOptimize(ReadDat(set.dat, &dat));
    FindDatFamilies(&dat);
    benchmark::DoNotOptimize(dat.family_count);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(set.dat.size()));
}

// The whole program on the set, its script only counted; range(1): 1 for
// --dat, 0 for --naming no-intro.
void BM_Run(benchmark::State& state) {
  const Set& set = SetOf(state.range(0));
  std::vector<std::string> args =
      state.range(1) ? std::vector<std::string>{"--dat", "set.dat", "roms/*",
                                                "7z a"}
                     : std::vector<std::string>{"--naming", "no-intro",
                                                "roms/*", "7z a"};
  for (auto _ : state) {
    FakePlatform platform;
    platform.files = &set.names;
    platform.count_writes_only = true;
    platform.files_to_read["set.dat"] = set.dat;
    ProgramOutput output(platform);
    benchmark::DoNotOptimize(
        RunTramlune(args, platform, output.buffer, output.stop));
    output.buffer.Flush();
  }
}

}  // namespace

BENCHMARK(BM_ReadDat)->Arg(4000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Run)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
