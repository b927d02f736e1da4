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
#include "matching/file_names.h"
#include "matching/no_intro_names.h"
#include "name_shapes.h"

namespace {

// Escapes the XML specials of text.
void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

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
  std::map<std::string, std::string> parent_of_title;
  set.dat = "<?xml version=\"1.0\"?>\n<datafile>\n<header><name>Bench</name>"
            "</header>\n";
  for (const std::string& name : set.names) {
    std::string_view base = BaseName(name);
    std::string title(base.substr(0, NoIntroTitleLength(base)));
    auto [parent, first] = parent_of_title.emplace(title, base);
    set.dat += "\t<game name=\"";
    AppendEscaped(set.dat, base);
    if (!first) {
      set.dat += "\" cloneof=\"";
      AppendEscaped(set.dat, parent->second);
    }
    set.dat += "\">\n\t\t<description>";
    AppendEscaped(set.dat, base);
    set.dat += "</description>\n\t\t<rom name=\"";
    AppendEscaped(set.dat, name);
    set.dat += "\" size=\"1048576\" crc=\"01234567\" "
               "sha1=\"0123456789abcdef0123456789abcdef01234567\"/>\n"
               "\t</game>\n";
  }
  set.dat += "</datafile>\n";
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
