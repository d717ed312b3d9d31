// Load and write throughput of shape-heavy movies, beside the same bytes
// loaded and written as raw tags (the cost of the tag loop and copying
// alone).
//
// Two movies of about 16 MB: one of DefineShape3 and DefineMorphShape tags
// built by our own writer (outlines of straight and curved edges, solid,
// gradient and bitmap fills, new styles part-way), and one of the shape
// and morph-shape tags of the reference movies of SWF version 8 or lower,
// repeated, when they are at hand (GLIMMERBOX_SHARED or ../shared beside
// the source folder).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_header.h"
#include "swf/swf_morph_shape.h"
#include "swf/swf_reader.h"
#include "swf/swf_shape_tags.h"
#include "benchmarks/bench_support.h"

namespace {

constexpr size_t kMovieSize = 16u << 20;

// A reader whose tag loop keeps every tag raw, as the shallow load does.
class CRawReader : public CSwfReader {
 public:
  [[nodiscard]] bool LoadRaw(const std::vector<u8>& movie) {
    if (!LoadFromMemory(movie.data(), u32(movie.size()), true, 0, false)) return false;
    ReadTagsFrom(*this, 0, true);
    return true;
  }
};

bool ShapeTag(u16 code) {
  return code == kSwfDefineShapeCode || code == kSwfDefineShape2Code ||
         code == kSwfDefineShape3Code || code == kSwfDefineMorphShapeCode;
}

// The shape and morph-shape tags of the reference movies, as written by the engine.
std::vector<u8> ReferenceShapeTags() { return gbbench::ReferenceTags(ShapeTag); }

CSwfFillStyle* RandomFill(std::mt19937& random) {
  switch (random() % 3) {
    case 0:
      return new CSwfFillStyle(1, u32(random()));
    case 1: {
      auto* fill = new CSwfFillStyle(1);
      fill->type = kSwfLinearGradientFill;
      fill->matrix.reset(CreateSwfMatrix(s32(random() % 4000), 0, 0.05, 0.05, 45, 45));
      fill->gradient = std::make_unique<CSwfGradient>(1);
      for (int i = 0; i < 4; ++i)
        (void)fill->gradient->AddRecord(new CSwfGradRecord(u8(i * 80), u32(random()), 1));
      return fill;
    }
    default: {
      auto* fill = new CSwfFillStyle(1);
      fill->type = kSwfClippedBitmapFill;
      fill->bitmapId = u16(random() % 100);
      fill->matrix.reset(CreateSwfMatrix(0, 0, 20, 20, 0, 0));
      return fill;
    }
  }
}

// DefineShape3 tags of outlines of 20 to 200 edges, and morph rectangles.
std::vector<u8> GeneratedShapeTags() {
  std::mt19937 random(3);
  CSwfBitWriter writer(8);
  u16 id = 1;
  while (writer.GetByteCount() < (2u << 20)) {
    CSwfDefineShape3 shape;
    shape.SetCharacterId(id++);
    shape.SetRectangle(0, 0, 2000, 2000, RandomFill(random),
                       new CSwfLineStyle(20, new CSwfRgba(0, 0, 0, 255), 1));
    CSwfShapeWithStyle& outline = *shape.GetShape();
    outline.records.pop_back();  // the end record; more edges follow
    const int edges = 20 + int(random() % 180);
    for (int i = 0; i < edges; ++i) {
      if (i == edges / 2) {
        auto* change = new CSwfStyleChangeRecord(s32(random() % 3000), s32(random() % 3000), &outline);
        change->fillStyles = std::make_unique<CSwfFillStyleArray>(1);
        for (int f = 0; f < 3; ++f) change->fillStyles->Add(RandomFill(random));
        change->lineStyles = std::make_unique<CSwfLineStyleArray>(1);
        change->SetFillStyle(2, 1);
        change->UpdateFlags();
        outline.AddRecord(change);
      }
      const s32 dx = s32(random() % 2001) - 1000;
      const s32 dy = s32(random() % 2001) - 1000;
      if (random() % 2) {
        outline.AddLine(dx, dy);
      } else {
        outline.AddCurve(dx / 2, dy / 2, dy / 3, -dx / 3);
      }
    }
    outline.AddRecord(new CSwfEndShapeRecord);
    shape.Write(writer);
    if (id % 8 == 0) {
      CSwfDefineMorphShape morph;
      morph.SetCharacterId(id++);
      morph.SetRectangle(0, 0, s32(random() % 5000), 300, new CSwfMorphFillStyle(u32(random()), u32(random())),
                         nullptr, true);
      morph.SetRectangle(100, 100, 300, s32(random() % 5000), nullptr, nullptr, false);
      morph.Write(writer);
    }
  }
  return writer.GetBytes();
}

// A plain movie of about `size` bytes made of the given tags, repeated.
std::vector<u8> RepeatedMovie(const std::vector<u8>& tags, size_t size) {
  CSwfHeader header;
  header.SetParams(0, 0, 11000, 8000, 24.0f, 8);
  CSwfBitWriter writer(8);
  header.Write(writer);
  while (writer.GetByteCount() < size && !tags.empty()) writer.AppendBytes(tags);
  writer.WriteU16(0);
  std::vector<u8> plain = writer.GetBytes();
  for (int i = 0; i < 4; ++i) plain[4 + i] = u8(plain.size() >> (8 * i));
  return plain;
}

struct Movies {
  std::vector<u8> generated;
  std::vector<u8> reference;  // empty without the reference movies
  size_t referenceTags = 0;

  Movies() {
    generated = RepeatedMovie(GeneratedShapeTags(), kMovieSize);
    const std::vector<u8> tags = ReferenceShapeTags();
    referenceTags = tags.size();
    if (!tags.empty()) reference = RepeatedMovie(tags, kMovieSize);
  }
};

const Movies& TheMovies() {
  static const Movies movies;
  return movies;
}

const std::vector<u8>* Pick(benchmark::State& state) {
  const Movies& movies = TheMovies();
  if (state.range(0) == 0) {
    state.SetLabel("generated shapes");
    return &movies.generated;
  }
  if (movies.reference.empty()) {
    state.SkipWithError("the reference movies are absent");
    return nullptr;
  }
  state.SetLabel("reference-movie shapes");
  return &movies.reference;
}

void Report(benchmark::State& state, const std::vector<u8>& movie, size_t tags) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(movie.size()));
  state.counters["movie_MB"] = double(movie.size()) / 1e6;
  state.counters["tags"] = double(tags);
}

void LoadShapes(benchmark::State& state) {
  const std::vector<u8>* movie = Pick(state);
  if (!movie) return;
  size_t tags = 0;
  for (auto _ : state) {
    CSwfReader reader;
    if (!reader.LoadFromMemory(movie->data(), u32(movie->size()), true, 0, true)) {
      state.SkipWithError("the movie does not load");
      break;
    }
    tags = reader.GetTags().size();
    reader.DeleteTags(true);
  }
  Report(state, *movie, tags);
}

void LoadRaw(benchmark::State& state) {
  const std::vector<u8>* movie = Pick(state);
  if (!movie) return;
  size_t tags = 0;
  for (auto _ : state) {
    CRawReader reader;
    if (!reader.LoadRaw(*movie)) {
      state.SkipWithError("the movie does not load");
      break;
    }
    tags = reader.GetTags().size();
    reader.DeleteTags(true);
  }
  Report(state, *movie, tags);
}

template <typename Reader, bool kRaw>
void Write(benchmark::State& state) {
  const std::vector<u8>* movie = Pick(state);
  if (!movie) return;
  Reader reader;
  bool loaded = false;
  if constexpr (kRaw) {
    loaded = reader.LoadRaw(*movie);
  } else {
    loaded = reader.LoadFromMemory(movie->data(), u32(movie->size()), true, 0, true);
  }
  if (!loaded) state.SkipWithError("the movie does not load");
  for (auto _ : state) {
    CSwfBitWriter writer(reader.GetVersion());
    benchmark::DoNotOptimize(reader.WriteMovie(writer));
    benchmark::DoNotOptimize(writer.GetBytes().data());
  }
  Report(state, *movie, reader.GetTags().size());
  reader.DeleteTags(true);
}

void WriteShapes(benchmark::State& state) { Write<CSwfReader, false>(state); }
void WriteRaw(benchmark::State& state) { Write<CRawReader, true>(state); }

void LoadAndWriteShapes(benchmark::State& state) {
  const std::vector<u8>* movie = Pick(state);
  if (!movie) return;
  for (auto _ : state) {
    CSwfReader reader;
    if (!reader.LoadFromMemory(movie->data(), u32(movie->size()), true, 0, true)) {
      state.SkipWithError("the movie does not load");
      break;
    }
    CSwfBitWriter writer(reader.GetVersion());
    benchmark::DoNotOptimize(reader.WriteMovie(writer));
    benchmark::DoNotOptimize(writer.GetBytes().data());
    reader.DeleteTags(true);
  }
  Report(state, *movie, 0);
}

}  // namespace

// Argument 0: the generated movie; 1: the reference-movie shapes.
BENCHMARK(LoadShapes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRaw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteShapes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteRaw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndWriteShapes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
