// Loading and writing back whole movies, as a user's movies come: many small
// files. Two sets: the reference movies of SWF version 8 or lower (when the
// corpus is at hand) and small movies written by our own movie builder.
//
// The baseline runs in the same process run: the independent SWF parser
// (swf-parser under Node, installed by scripts/setup) parsing the same
// files, timed on parsing alone with the files already in memory (ours
// reads each file as well). It runs before our load and again after our
// load+write. Each line of ours carries the parser's best time for one
// pass over the set ("parser_ms"), our best ("best_ms") and how many times
// faster ours is ("x_parser", best against best, which a machine busy with
// other work disturbs least). A movie the parser refuses is left out of
// both sides.
//
// Memory: "heap_x_max" is the largest ratio, over the movies of a set, of
// the heap a loaded movie holds (reader, tags and the written copy) to the
// movie's plain size; "heap_x_all" the same over the whole set.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "benchmarks/bench_support.h"
#include "foundation/path_name.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

struct MovieSet {
  std::string name;
  std::vector<std::string> paths;
  u64 bytes = 0;
  double parserMs = 0;  // the parser's best pass; 0 until it has run
  std::string parserWhy;
};

MovieSet& Corpus() {
  static MovieSet set = [] {
    MovieSet made;
    made.name = "corpus";
    made.paths = gbbench::CorpusMovies();
    return made;
  }();
  return set;
}

MovieSet& Small() {
  static MovieSet set = [] {
    MovieSet made;
    made.name = "small";
    made.paths = gbbench::WriteSmallMovies(gbbench::MakeScratchFolder("small"), 400);
    return made;
  }();
  return set;
}

void CountBytes(MovieSet& set) {
  set.bytes = 0;
  for (const std::string& path : set.paths) set.bytes += gbbench::ReadFileBytes(path).size();
}

// One movie loaded from its file and written back into memory.
size_t LoadAndWrite(const CPathName& path, bool write) {
  CSwfReader reader;
  if (!reader.LoadFile(path, true, 0, true)) return 0;
  size_t size = reader.GetTags().size();
  if (write) {
    CSwfBitWriter writer(reader.GetVersion());
    size = reader.WriteMovie(writer);
    benchmark::DoNotOptimize(writer.GetBytes().data());
  }
  reader.DeleteTags(true);
  return size;
}

// The heap held by one loaded movie with its written copy, over the
// movie's plain size.
void MeasureHeap(const MovieSet& set, benchmark::State& state) {
  double worst = 0;
  double held = 0;
  double plain = 0;
  for (const std::string& file : set.paths) {
    const size_t before = mallinfo2().uordblks;
    CSwfReader reader;
    if (!reader.LoadFile(CPathName(file), true, 0, true)) continue;
    CSwfBitWriter writer(reader.GetVersion());
    benchmark::DoNotOptimize(reader.WriteMovie(writer));
    const double used = double(mallinfo2().uordblks) - double(before);
    const double size = double(reader.GetMovieBytes().size());
    reader.DeleteTags(true);
    if (size <= 0) continue;
    worst = std::max(worst, used / size);
    held += used;
    plain += size;
  }
  state.counters["heap_x_max"] = worst;
  state.counters["heap_x_all"] = plain > 0 ? held / plain : 0;
}

void RunParser(benchmark::State& state, MovieSet& set) {
  if (set.paths.empty()) {
    state.SkipWithError("no movies (the corpus is absent)");
    return;
  }
  const gbbench::ParserTiming timing = gbbench::TimeIndependentParser(set.paths, 2.0);
  for (const std::string& refused : timing.refused)
    set.paths.erase(std::remove(set.paths.begin(), set.paths.end(), refused), set.paths.end());
  CountBytes(set);
  set.parserMs = timing.bestMilliseconds;
  set.parserWhy = timing.why;
  for (auto _ : state) state.SetIterationTime(timing.passMilliseconds / 1000);
  if (!timing.why.empty()) {
    state.SkipWithError(timing.why.c_str());
    return;
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(set.bytes));
  state.counters["movies"] = double(set.paths.size());
  state.counters["refused"] = double(timing.refused.size());
  state.counters["best_ms"] = timing.bestMilliseconds;
}

void RunEngine(benchmark::State& state, MovieSet& set, bool write) {
  if (set.paths.empty()) {
    state.SkipWithError("no movies (the corpus is absent)");
    return;
  }
  if (set.bytes == 0) CountBytes(set);
  std::vector<CPathName> paths(set.paths.begin(), set.paths.end());
  if (write) MeasureHeap(set, state);
  using Clock = std::chrono::steady_clock;
  double bestMs = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    for (const CPathName& path : paths) benchmark::DoNotOptimize(LoadAndWrite(path, write));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (bestMs == 0 || ms < bestMs) bestMs = ms;
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(set.bytes));
  state.counters["movies"] = double(paths.size());
  state.counters["best_ms"] = bestMs;
  if (write && set.parserMs > 0) {
    // The parser once more, now that ours has run: its better pass of the
    // two counts, so that a busy spell during one run weighs on neither side.
    const gbbench::ParserTiming again = gbbench::TimeIndependentParser(set.paths, 2.0);
    if (again.bestMilliseconds > 0) set.parserMs = std::min(set.parserMs, again.bestMilliseconds);
  }
  if (set.parserMs > 0 && bestMs > 0) {
    state.counters["parser_ms"] = set.parserMs;
    state.counters["x_parser"] = set.parserMs / bestMs;
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The parser runs first, so that the engine's lines can carry its figure.
  // The sets are made when a benchmark first needs them.
  for (MovieSet& (*set)() : {&Corpus, &Small}) {
    const std::string name = set == &Corpus ? "corpus" : "small";
    benchmark::RegisterBenchmark(("SwfParserParse/" + name).c_str(),
                                 [set](benchmark::State& state) { RunParser(state, set()); })
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("MovieLoad/" + name).c_str(),
                                 [set](benchmark::State& state) { RunEngine(state, set(), false); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("MovieLoadWrite/" + name).c_str(),
                                 [set](benchmark::State& state) { RunEngine(state, set(), true); })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gbbench::RemoveScratchFolders();
  return 0;
}
