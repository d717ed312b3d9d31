// Throughput of the movie engine on a large movie, beside zlib's own inflate
// and deflate of the same bytes.
//
// The movie (about 32 MB) is made of the tags of the reference movies of
// SWF version 8 or lower, repeated, when they are at hand (GLIMMERBOX_SHARED
// or ../shared beside the source folder); otherwise of generated tags of
// mixed sizes and contents. A second movie (about 8 MB) holds only their
// script and placement tags (or generated scripts), for the action parser
// and writer.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_header.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "swf/swf_unknown_tag.h"
#include "foundation/file_layer.h"
#include "benchmarks/bench_support.h"

namespace {

constexpr size_t kMovieSize = 32u << 20;

// The tags that carry scripts and placements: DoAction, DoInitAction and
// PlaceObject2 (with its clip actions).
bool ScriptTag(u16 code) { return code == 12 || code == 59 || code == 26; }

// DoAction tags of generated scripts: pushes, branches over them, frame
// jumps and raw actions.
std::vector<u8> GeneratedScripts() {
  std::mt19937 random(2);
  CSwfBitWriter writer(8);
  for (int i = 0; i < 2000; ++i) {
    CSwfDoAction list;
    for (int n = int(random() % 40); n > 0; --n) {
      list.AddAction(new CSwfActionIf(0));
      list.AddAction(new CSwfActionPush("/clip/x"));
      list.AddAction(new CSwfActionGotoFrame(u16(random() % 100)));
      list.AddAction(new CSwfGenericAction(0x07));
      list.CloseBranch();
    }
    list.Write(writer);
  }
  return writer.GetBytes();
}

struct Fixture {
  std::vector<u8> plain;
  std::vector<u8> compressed;
  std::vector<u8> scripts;  // script and placement tags only
  const char* source;

  Fixture() {
    std::vector<u8> tags = gbbench::ReferenceTags();
    std::vector<u8> scriptTags = gbbench::ReferenceTags(ScriptTag);
    source = tags.empty() ? "generated tags" : "reference-movie tags";
    if (tags.empty()) tags = gbbench::GeneratedTags(4u << 20);
    if (scriptTags.empty()) scriptTags = GeneratedScripts();
    plain = gbbench::RepeatedMovie(tags, kMovieSize);
    scripts = gbbench::RepeatedMovie(scriptTags, kMovieSize / 4);
    // Left empty when the movie does not compress; the expansions then skip.
    if (!CompressSwfBytes(plain.data(), plain.size(), compressed)) compressed.clear();
  }
};

const Fixture& Movie() {
  static const Fixture fixture;
  return fixture;
}

void Report(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
  state.SetLabel(Movie().source);
  state.counters["movie_MB"] = double(Movie().plain.size()) / 1e6;
}

void LoadMovie(benchmark::State& state) {
  const std::vector<u8>& plain = Movie().plain;
  for (auto _ : state) {
    CSwfReader reader;
    if (!reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true)) {
      state.SkipWithError("the movie does not load");
      break;
    }
    benchmark::DoNotOptimize(reader.GetTags().size());
    reader.DeleteTags(true);
  }
  Report(state, plain.size());
}

void WriteMovie(benchmark::State& state) {
  const std::vector<u8>& plain = Movie().plain;
  CSwfReader reader;
  if (!reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true))
    state.SkipWithError("the movie does not load");
  for (auto _ : state) {
    CSwfBitWriter writer(reader.GetVersion());
    benchmark::DoNotOptimize(reader.WriteMovie(writer));
    benchmark::DoNotOptimize(writer.GetBytes().data());
  }
  reader.DeleteTags(true);
  Report(state, plain.size());
}

void LoadAndWriteMovie(benchmark::State& state) {
  const std::vector<u8>& plain = Movie().plain;
  for (auto _ : state) {
    CSwfReader reader;
    if (!reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true)) {
      state.SkipWithError("the movie does not load");
      break;
    }
    CSwfBitWriter writer(reader.GetVersion());
    benchmark::DoNotOptimize(reader.WriteMovie(writer));
    benchmark::DoNotOptimize(writer.GetBytes().data());
    reader.DeleteTags(true);
  }
  Report(state, plain.size());
}

void LoadScripts(benchmark::State& state) {
  const std::vector<u8>& scripts = Movie().scripts;
  for (auto _ : state) {
    CSwfReader reader;
    if (!reader.LoadFromMemory(scripts.data(), u32(scripts.size()), true, 0, true)) {
      state.SkipWithError("the movie does not load");
      break;
    }
    benchmark::DoNotOptimize(reader.GetTags().size());
    reader.DeleteTags(true);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scripts.size()));
  state.counters["movie_MB"] = double(scripts.size()) / 1e6;
}

void WriteScripts(benchmark::State& state) {
  const std::vector<u8>& scripts = Movie().scripts;
  CSwfReader reader;
  if (!reader.LoadFromMemory(scripts.data(), u32(scripts.size()), true, 0, true))
    state.SkipWithError("the movie does not load");
  for (auto _ : state) {
    CSwfBitWriter writer(reader.GetVersion());
    benchmark::DoNotOptimize(reader.WriteMovie(writer));
    benchmark::DoNotOptimize(writer.GetBytes().data());
  }
  reader.DeleteTags(true);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scripts.size()));
}

// Deep copies of every action list, through their written bodies.
void CopyScripts(benchmark::State& state) {
  const std::vector<u8>& scripts = Movie().scripts;
  CSwfReader reader;
  if (!reader.LoadFromMemory(scripts.data(), u32(scripts.size()), true, 0, true))
    state.SkipWithError("the movie does not load");
  for (auto _ : state) {
    for (CSwfTag* tag : reader.GetTags()) {
      if (auto* list = dynamic_cast<CSwfDoAction*>(tag)) {
        CSwfDoAction copy;
        copy.CopyFrom(*list);
        benchmark::DoNotOptimize(copy.GetActions().data());
      }
    }
  }
  reader.DeleteTags(true);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scripts.size()));
}

// The whole large movie written tag by tag into a file of the temporary folder.
void WriteMovieFile(benchmark::State& state) {
  const std::vector<u8>& plain = Movie().plain;
  CSwfReader reader;
  if (!reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true))
    state.SkipWithError("the movie does not load");
  const char* folder = std::getenv("TMPDIR");
  const CPathName path(std::string(folder && *folder ? folder : "/tmp") + "/gb_swf_benchmark.swf");
  for (auto _ : state) {
    CSwfFileWriter writer(false);
    writer.SetParamsFromHeader(reader.GetHeader());
    if (!writer.Open(path, true)) {
      state.SkipWithError("the movie file cannot be created");
      break;
    }
    for (CSwfTag* tag : reader.GetTags()) writer.WriteTag(tag, true);
    benchmark::DoNotOptimize(writer.Close());
  }
  DeletePath(path);
  reader.DeleteTags(true);
  Report(state, plain.size());
}

// Paired figures: each iteration runs the engine's operation and then its
// zlib baseline on the same bytes, so that a machine busy with other work
// weighs on both alike. The line carries the best of each ("engine_ms",
// "zlib_ms") and their ratio ("x_zlib", lower is better).
struct Pair {
  double engineMs = 0, zlibMs = 0;

  template <typename Engine, typename Zlib>
  void Run(benchmark::State& state, Engine runEngine, Zlib runZlib) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point start) {
      return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    for (auto _ : state) {
      Clock::time_point start = Clock::now();
      runEngine();
      const double first = ms(start);
      state.PauseTiming();
      start = Clock::now();
      runZlib();
      const double second = ms(start);
      state.ResumeTiming();
      if (engineMs == 0 || first < engineMs) engineMs = first;
      if (zlibMs == 0 || second < zlibMs) zlibMs = second;
    }
    state.counters["engine_ms"] = engineMs;
    state.counters["zlib_ms"] = zlibMs;
    state.counters["x_zlib"] = zlibMs > 0 ? engineMs / zlibMs : 0;
  }
};

// The engine's expansion of a "CWS" movie in memory, against one call of
// zlib's uncompress() of the same stream into a buffer of the plain size
// (made for each call, as the engine makes its own).
void ExpandMovie(benchmark::State& state) {
  const std::vector<u8>& compressed = Movie().compressed;
  const size_t plainSize = Movie().plain.size();
  bool expanded = true;
  Pair().Run(
      state,
      [&] {
        std::vector<u8> out;
        expanded = DecompressSwfBytes(compressed.data(), compressed.size(), out) && expanded;
        benchmark::DoNotOptimize(out.data());
      },
      [&] {
        std::vector<u8> out(plainSize);
        uLongf size = uLongf(out.size());
        uncompress(out.data(), &size, compressed.data() + 8, uLong(compressed.size() - 8));
        benchmark::DoNotOptimize(out.data());
      });
  if (!expanded) state.SkipWithError("the expansion failed");
  Report(state, plainSize);
}

// The same between files: the engine's conversion of a "CWS" file into a
// plain one, against reading the file, one uncompress() and writing the
// plain bytes.
void ExpandMovieFile(benchmark::State& state) {
  const std::vector<u8>& compressed = Movie().compressed;
  const size_t plainSize = Movie().plain.size();
  const char* folder = std::getenv("TMPDIR");
  const std::string base = std::string(folder && *folder ? folder : "/tmp") + "/gb_swf_benchmark";
  {
    std::ofstream out(base + "_packed.swf", std::ios::binary);
    out.write(reinterpret_cast<const char*>(compressed.data()), std::streamsize(compressed.size()));
  }
  const CPathName packed(base + "_packed.swf");
  const CPathName plain(base + "_plain.swf");
  bool converted = true;
  Pair().Run(
      state, [&] { converted = DecompressSwfFile(packed, plain, true) && converted; },
      [&] {
        const std::vector<u8> file = gbbench::ReadFileBytes(base + "_packed.swf");
        std::vector<u8> out(plainSize);
        uLongf size = uLongf(out.size());
        uncompress(out.data(), &size, file.data() + 8, uLong(file.size() - 8));
        std::ofstream target(base + "_zlib.swf", std::ios::binary | std::ios::trunc);
        target.write(reinterpret_cast<const char*>(out.data()), std::streamsize(size));
      });
  for (const char* suffix : {"_packed.swf", "_plain.swf", "_zlib.swf"}) std::remove((base + suffix).c_str());
  if (!converted) state.SkipWithError("the conversion failed");
  Report(state, plainSize);
}

// The engine's compression (level 9, 64-byte chunks), against zlib's
// one-call compress2() at level 9 of the same bytes.
void CompressMovie(benchmark::State& state) {
  const std::vector<u8>& plain = Movie().plain;
  bool compressed = true;
  Pair().Run(
      state,
      [&] {
        std::vector<u8> out;
        compressed = CompressSwfBytes(plain.data(), plain.size(), out) && compressed;
        benchmark::DoNotOptimize(out.data());
      },
      [&] {
        std::vector<u8> out(compressBound(uLong(plain.size())));
        uLongf size = uLongf(out.size());
        compress2(out.data(), &size, plain.data() + 8, uLong(plain.size() - 8), 9);
        benchmark::DoNotOptimize(out.data());
      });
  if (!compressed) state.SkipWithError("the compression failed");
  Report(state, plain.size());
}

}  // namespace

BENCHMARK(LoadMovie)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteMovie)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndWriteMovie)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadScripts)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteScripts)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyScripts)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteMovieFile)->Unit(benchmark::kMillisecond);
BENCHMARK(ExpandMovie)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ExpandMovieFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CompressMovie)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
