// The in-memory stages of a run, one benchmark each, over names of three
// shapes at 10^4, 10^5 and 10^6 entries: sorting the list, grouping it (both
// passes, each line streamed in pieces as the program streams it), writing
// the lines through the output buffer, and the three together as
// ProcessMask runs them, its pieces going into the output buffer.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/output.h"
#include "matching/process_mask.h"
#include "name_shapes.h"
#include "platform/platform.h"

namespace {

const NameShape kShapes[] = {NameShape::kGame, NameShape::kVideo,
                             NameShape::kPhoto};

// A platform with one listing and an output that only counts bytes.
class MemoryPlatform : public Platform {
 public:
  explicit MemoryPlatform(const std::vector<std::string>& names)
      : names_(names) {}
  void SearchDirectory(std::string_view,
                       const DirectoryVisitor& visit) override {
    for (const std::string& name : names_)
      visit(name, false);
  }
  bool StdoutIsConsole() override { return false; }
  uint32_t WriteStdout(const char* data, size_t size) override {
    benchmark::DoNotOptimize(data);
    written_ += size;
    return 0;
  }
  void WriteStderr(std::string_view) override {}
  std::string ProgramFileName() override { return "tramlune"; }
  const LeadByteTable& LeadBytes() override { return NoLeadBytes(); }
  [[noreturn]] void EndProcess(int) override { std::abort(); }

  size_t written() const { return written_; }

 private:
  const std::vector<std::string>& names_;
  size_t written_ = 0;
};

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

std::unique_ptr<FileList> ListOf(const std::vector<std::string>& names) {
  auto list = std::make_unique<FileList>();
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

// Both passes over a sorted list, as ProcessMask makes them, into sink.
void GroupAll(FileList& list, LineSink& sink) {
  for (std::string_view filter : {kVerifiedTag, std::string_view()})
    for (int32_t i = 0; i < list.Count(); ++i)
      WriteGroupLine("roms/", "plexo -a ", " >>log", filter, i, list, sink);
}

void Label(benchmark::State& state) {
  state.SetLabel(NameShapeName(kShapes[state.range(0)]));
  state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_Sort(benchmark::State& state) {
  const std::vector<std::string>& names = Names(state);
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<FileList> list = ListOf(names);
    state.ResumeTiming();
    list->Sort();
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  Label(state);
}

void BM_Group(benchmark::State& state) {
  const std::vector<std::string>& names = Names(state);
  size_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<FileList> list = ListOf(names);
    list->Sort();
    CountingSink sink;
    state.ResumeTiming();
    GroupAll(*list, sink);
    lines = sink.lines;
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.counters["lines"] = static_cast<double>(lines);
  Label(state);
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
    MemoryPlatform platform(names);
    Output output(platform);
    for (const std::string& line : lines)
      output.WriteLine(line);
    output.Flush();
    bytes = platform.written();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
  Label(state);
}

void BM_ProcessMask(benchmark::State& state) {
  const std::vector<std::string>& names = Names(state);
  for (auto _ : state) {
    MemoryPlatform platform(names);
    Output output(platform);
    ProcessMask("roms/*", "plexo -a ", " >>log", platform, output);
    output.Flush();
  }
  Label(state);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int shape = 0; shape < 3; ++shape)
    for (int64_t n : {10000, 100000, 1000000})
      b->Args({shape, n});
  b->ArgNames({"shape", "n"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Sort)->Apply(Sizes);
BENCHMARK(BM_Group)->Apply(Sizes);
BENCHMARK(BM_Output)->Apply(Sizes);
BENCHMARK(BM_ProcessMask)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
