// The in-memory stages of a run, one benchmark each, over names of three
// shapes at 10^4, 10^5 and 10^6 entries: sorting the list (its names as
// they come, and spread over ranges while they come), grouping it (both
// passes, each line streamed in pieces as the program streams it), writing
// the lines through the output buffer, and the three together as
// ProcessMask runs them, its pieces going into the output buffer, plain and
// with --template.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../tests/fake_platform.h"
#include "../tests/test_support.h"
#include "app/process_mask.h"
#include "matching/clone_grouping.h"
#include "matching/no_intro_grouping.h"
#include "matching/no_intro_names.h"
#include "name_shapes.h"
#include "script/command_lines.h"
#include "script/command_template.h"

namespace {

const NameShape kShapes[] = {NameShape::kGame, NameShape::kVideo,
                             NameShape::kPhoto, NameShape::kNoIntro};

// A platform with one listing and an output that only counts bytes.
std::unique_ptr<FakePlatform> MemoryPlatform(
    const std::vector<std::string>& names) {
  auto platform = std::make_unique<FakePlatform>();
  platform->files = &names;
  platform->count_writes_only = true;
  return platform;
}

// The names of one shape and size, made once per process.
const std::vector<std::string>& Names(const benchmark::State& state) {
  static std::map<std::pair<int64_t, int64_t>, std::vector<std::string>>
      cache;
  auto key = std::make_pair(state.range(0), state.range(1));
  auto it = cache.find(key);
  if (it == cache.end())
    it = cache
             .emplace(key, MakeNames(kShapes[state.range(0)],
                                     static_cast<size_t>(state.range(1))))
             .first;
  return it->second;
}

std::unique_ptr<FileList> ListOf(const std::vector<std::string>& names,
                                 bool spread = false) {
  auto list = std::make_unique<FileList>();
  if (spread)
    list->SpreadOver();
  for (const std::string& name : names)
    list->Append(name);
  return list;
}

// Takes the pieces of the lines and only counts them.
class CountingSink : public LineSink {
 public:
  void Write(std::string_view text) override {
    benchmark::DoNotOptimize(text.data());
    bytes += text.size();
  }
  void EndLine() override { ++lines; }

  size_t bytes = 0;
  size_t lines = 0;
};

// Collects whole lines.
class LinesSink : public LineSink {
 public:
  explicit LinesSink(std::vector<std::string>& lines) : lines_(lines) {}
  void Write(std::string_view text) override { line_.append(text); }
  void EndLine() override {
    lines_.push_back(std::move(line_));
    line_.clear();
  }

 private:
  std::vector<std::string>& lines_;
  std::string line_;
};

// The grouping of a sorted list and its lines, as ProcessMask makes them,
// into sink.
void GroupAll(FileList& list, LineSink& sink) {
  CommandLines lines(list, ScriptKind::kBatch, "roms/", "plexo -a", ">>log",
                     sink);
  GroupClones(list, {}, lines);
}

void Label(benchmark::State& state) {
  state.SetLabel(NameShapeName(kShapes[state.range(0)]));
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

// The sort of a list; BM_SortSpread's names are spread over ranges as
// they are appended, as ProcessMask spreads a directory read ahead (the
// spreading itself, on the listing's time, not timed).
void TimeSort(benchmark::State& state, bool spread) {
  const std::vector<std::string>& names = Names(state);
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<FileList> list = ListOf(names, spread);
    state.ResumeTiming();
    list->Sort();
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  Label(state);
}

void BM_Sort(benchmark::State& state) { TimeSort(state, false); }
void BM_SortSpread(benchmark::State& state) { TimeSort(state, true); }

// Times group(list, sink) on a sorted list of the state's names, the lines
// going into a counting sink.
template <typename Group>
void TimeGrouping(benchmark::State& state, Group group) {
  const std::vector<std::string>& names = Names(state);
  size_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<FileList> list = ListOf(names);
    list->Sort();
    CountingSink sink;
    state.ResumeTiming();
    group(*list, sink);
    lines = sink.lines;
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.counters["lines"] = static_cast<double>(lines);
  Label(state);
}

void BM_Group(benchmark::State& state) { TimeGrouping(state, GroupAll); }

// The No-Intro grouping and its lines.
void BM_GroupNoIntro(benchmark::State& state) {
  GroupingOptions options;
  ParseRegionList(kDefaultNoIntroRegions, &options.regions);
  TimeGrouping(state, [&options](FileList& list, LineSink& sink) {
    CommandLines lines(list, ScriptKind::kBatch, "roms/", "7z a", ">>log",
                       sink);
    GroupNoIntro(list, options, lines);
  });
}

void BM_Output(benchmark::State& state) {
  const std::vector<std::string>& names = Names(state);
  std::vector<std::string> lines;
  {
    std::unique_ptr<FileList> list = ListOf(names);
    list->Sort();
    LinesSink sink(lines);
    GroupAll(*list, sink);
  }
  size_t bytes = 0;
  for (auto _ : state) {
    std::unique_ptr<FakePlatform> platform = MemoryPlatform(names);
    ProgramOutput output(*platform);
    for (const std::string& line : lines)
      output.buffer.WriteLine(line);
    output.buffer.Flush();
    bytes = platform->bytes_written;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
  Label(state);
}

// ProcessMask with options on the names of the state's size and shape,
// each run on a platform of its own.
void RunProcessMask(benchmark::State& state, const Options& options) {
  const std::vector<std::string>& names = Names(state);
  for (auto _ : state) {
    std::unique_ptr<FakePlatform> platform = MemoryPlatform(names);
    ProgramOutput output(*platform);
    ProcessMask(options, *platform, output.buffer);
    output.buffer.Flush();
  }
  Label(state);
}

void BM_ProcessMask(benchmark::State& state) {
  RunProcessMask(state, MaskOptions("roms/*", "plexo -a", ">>log"));
}

// ProcessMask with --template, each group's archive named by its title:
// the groups of one title merged, each filled-in word looked up among the
// listed names.
void BM_ProcessMaskTemplate(benchmark::State& state) {
  Options options = MaskOptions("roms/*", "7zz a -sdel {dir}{title}.7z");
  options.use_template = true;
  if (!ParseLineTemplate(options.prefix, options.suffix, options.kind,
                         options.line)
           .empty())
    std::abort();
  RunProcessMask(state, options);
}

// The whole in-memory run by the No-Intro naming, with the default regions.
void BM_ProcessMaskNoIntro(benchmark::State& state) {
  Options options = MaskOptions("roms/*", "7z a", ">>log");
  options.naming = Naming::kNoIntro;
  ParseRegionList(kDefaultNoIntroRegions, &options.grouping.regions);
  RunProcessMask(state, options);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int shape = 0; shape < 4; ++shape)
    for (int64_t n : {10000, 100000, 1000000})
      b->Args({shape, n});
  b->ArgNames({"shape", "n"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Sort)->Apply(Sizes);
BENCHMARK(BM_SortSpread)->Apply(Sizes);
// Each grouping is timed on a list made and sorted untimed: a grouping
// that takes microseconds (names that share no title) must not make the
// benchmark make thousands of lists.
BENCHMARK(BM_Group)->Apply(Sizes)->Iterations(20);
BENCHMARK(BM_GroupNoIntro)->Apply(Sizes)->Iterations(20);
BENCHMARK(BM_Output)->Apply(Sizes);
BENCHMARK(BM_ProcessMask)->Apply(Sizes);
BENCHMARK(BM_ProcessMaskTemplate)->Apply(Sizes);
BENCHMARK(BM_ProcessMaskNoIntro)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
