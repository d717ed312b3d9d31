// Fuzz target of the movie reader: any bytes, plain or compressed, load
// without a crash, a hang or unbounded memory, and a movie that loads
// rewrites to a movie that reads back and rewrites to itself (but for tags
// the reader's bound kept as bytes the first time only). Every tag
// class the factory knows takes part.
//
// Seeds: movies of every tag and action class our builder makes, large
// movies of texts, shapes, scripts and sprites, each plain and compressed,
// and the reference movies. Inputs go up to 1 MiB, so that the check sees
// an engine that builds a few hundred times a movie's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_movie_builder.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "swf/swf_records.h"
#include "swf/swf_unknown_tag.h"
#include "tests/fuzz/fuzz_movies.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The movie written back; nothing when a tag refuses to write itself (a
// value read that no field can hold again, such as a button's records past
// what its offsets reach).
std::vector<u8> Rewrite(CSwfReader& reader) {
  CSwfBitWriter writer(reader.GetVersion());
  const bool written = reader.WriteMovie(writer) != 0;
  reader.DeleteTags(true);
  return written ? writer.GetBytes() : std::vector<u8>();
}

// For each tag read, whether it was kept as its bytes.
std::vector<bool> KeptAsBytes(CSwfReader& reader) {
  std::vector<bool> raw;
  for (CSwfTag* tag : reader.GetTags()) raw.push_back(dynamic_cast<CSwfUnknownTag*>(tag) != nullptr);
  return raw;
}

// Where each tag of a movie the engine wrote lies: from its header to the
// end of its body.
std::vector<std::pair<size_t, size_t>> TagSpans(const std::vector<u8>& movie) {
  std::vector<std::pair<size_t, size_t>> spans;
  if (movie.size() < 9) return spans;
  size_t at = 8 + (5 + 4 * size_t(movie[8] >> 3) + 7) / 8 + 4;
  while (at + 2 <= movie.size()) {
    const size_t start = at;
    size_t length = (movie[at] | (movie[at + 1] << 8)) & 63;
    at += 2;
    if (length == 63) {
      if (at + 4 > movie.size()) break;
      length = size_t(movie[at]) | size_t(movie[at + 1]) << 8 | size_t(movie[at + 2]) << 16 | size_t(movie[at + 3]) << 24;
      at += 4;
    }
    at += std::min(length, movie.size() - at);
    spans.emplace_back(start, at);
  }
  return spans;
}

// A script with an action of every class.
CSwfDoAction* MakeScript() {
  auto* script = new CSwfDoAction;
  auto* pool = new CSwfActionConstantPool("_root");
  pool->InsertString("/clip/a");
  script->AddAction(pool);
  auto* push = new CSwfActionPush("/target");
  push->AddFloat(0x3F800000);
  push->AddNull();
  push->AddUndefined();
  push->AddRegister(1);
  push->AddBoolean(1);
  push->AddDouble(2.5);
  push->AddInteger(42);
  push->AddConstant8(0);
  push->AddConstant16(1);
  script->AddAction(push);
  script->AddAction(new CSwfActionIf(0));
  script->AddAction(new CSwfActionGotoFrame(3));
  script->AddAction(new CSwfActionGetURL("http://example.com/", "_blank"));
  script->AddAction(new CSwfActionJump(0));
  script->AddAction(new CSwfActionGoToLabel("start"));
  script->CloseBranch();
  script->CloseBranch();
  script->AddAction(new CSwfActionStoreRegister(2));
  script->AddAction(new CSwfActionWaitForFrame(4, 1));
  script->AddAction(new CSwfActionSetTarget("/clip"));
  script->AddAction(new CSwfActionWaitForFrame2(2));
  auto* with = new CSwfActionWith("object");
  with->blockSize = 1;
  script->AddAction(with);
  script->AddAction(new CSwfActionSetVariable);
  script->AddAction(new CSwfActionGetURL2(0x40));
  auto* go = new CSwfActionGotoFrame2(3);
  go->sceneBias = 2;
  script->AddAction(go);
  auto* function = new CSwfActionDefineFunction("f");
  function->params = {"a", "b"};
  script->AddAction(function);
  script->AddAction(new CSwfGenericAction(kActionStop));
  script->AddAction(new CSwfGenericAction(0xC4, {1, 2, 3}));
  return script;
}

std::vector<u8> MakeMovie(u8 version) {
  CSwfMovieBuilder builder;
  builder.SetParams(11000, 8000, 12.5f, version);
  builder.AddTag(new CSwfSetBackgroundColor(u8(0x33), u8(0x66), u8(0x99)));
  builder.AddTag(new CSwfProtect);
  builder.AddTag(new CSwfEnableDebugger2("secret"));
  auto* exports = new CSwfExportAssets;
  exports->Insert(new CSwfAssetRecord(1, "shape"), 0);
  builder.AddTag(exports);
  auto* imports = new CSwfImportAssets("library.swf");
  imports->Insert(new CSwfAssetRecord(2, "font"), 0);
  builder.AddTag(imports);
  const u8 shape[] = {1, 0, 0, 0, 0, 0, 0};
  auto* raw = new CSwfUnknownTag(2, 0);
  raw->SetData(shape, sizeof shape);
  builder.AddTag(raw);
  auto* place = new CSwfPlaceObject2;
  place->SetCharacterId(1);
  place->SetDepth(1);
  auto* matrix = new CSwfMatrix;
  matrix->hasScale = 1;
  matrix->scaleX = matrix->scaleY = 0x18000;
  matrix->translateX = 200;
  place->SetMatrix(matrix);
  auto* cxform = new CSwfCxformWithAlpha;
  cxform->SetColorScale(0.5);
  place->SetColorTransform(cxform);
  place->SetName("clip");
  place->SetRatio(3);
  place->SetClipDepth(4);
  auto* clip = new CSwfClipActionRecord(version >= 6 ? 0x20000 : 0x0001);
  clip->keyCode = 13;
  clip->SetActions(MakeScript());
  place->AddClipAction(clip);
  builder.AddTag(place);
  builder.AddTag(new CSwfFrameLabel("start"));
  builder.AddTag(MakeScript());
  auto* init = new CSwfDoInitAction;
  init->SetSpriteId(1);
  init->AddAction(new CSwfActionPush(s32(7)));
  init->AddAction(new CSwfGenericAction(kActionPlay));
  builder.AddTag(init);
  builder.AddTag(new CSwfShowFrame);
  builder.AddTag(new CSwfRemoveObject2(1));
  builder.AddTag(new CSwfFreeCharacter(1));
  builder.AddTag(new CSwfShowFrame);
  std::vector<u8> movie;
  gbfuzz::Check(builder.BuildMovie(movie, nullptr) != 0, "a seed movie cannot be built");
  return movie;
}

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  // Hostile movies go in plain only: they are slow to read.
  for (const std::vector<u8>& hostile : gbfuzz::HostileMovies()) seeds.Add(hostile);
  std::vector<std::vector<u8>> movies = gbfuzz::LargeMovies();
  for (u8 version : {4, 6, 8}) movies.push_back(MakeMovie(version));
  for (const std::vector<u8>& movie : movies) {
    seeds.Add(movie);
    std::vector<u8> compressed;
    gbfuzz::Check(CompressSwfBytes(movie.data(), movie.size(), compressed), "a seed movie cannot be compressed");
    seeds.Add(compressed);
  }
  const std::string corpus = gbfuzz::SharedFolder();
  if (!corpus.empty()) seeds.AddFolder(corpus + "corpus/swf/");
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);
FUZZ_MAX_LEN(gbfuzz::kLargestMovieInput);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  gbfuzz::StateMovieSize(data, size);
  std::vector<u8> expanded;
  if (size >= 1 && data[0] == 'C') {
    if (!DecompressSwfBytes(data, size, expanded)) return 0;
    data = expanded.data();
    size = expanded.size();
  }

  CSwfReader reader;
  if (!reader.LoadFromMemory(data, u32(size), true, 0, true)) return 0;
  const std::vector<bool> firstRaw = KeptAsBytes(reader);
  const std::vector<u8> first = Rewrite(reader);
  if (first.empty()) return 0;

  CSwfReader again;
  gbfuzz::Check(again.LoadFromMemory(first.data(), u32(first.size()), true, 0, true),
                "a rewritten movie does not load");
  const std::vector<bool> secondRaw = KeptAsBytes(again);
  const std::vector<u8> second = Rewrite(again);
  if (second != first) {
    // The reader's bound depends on where each tag lies, and a rewrite may
    // move tags: a tag kept as its bytes the first time may be read with
    // its class the second time, and come back in the engine's encoding.
    // Any other tag comes back as it was.
    const std::vector<std::pair<size_t, size_t>> firstTags = TagSpans(first);
    const std::vector<std::pair<size_t, size_t>> secondTags = TagSpans(second);
    gbfuzz::Check(firstTags.size() == secondTags.size() && firstTags.size() == firstRaw.size() &&
                      secondTags.size() == secondRaw.size(),
                  "a rewritten movie does not rewrite to its tags");
    for (size_t i = 0; i < firstTags.size(); ++i) {
      const auto [a, b] = firstTags[i];
      const auto [c, d] = secondTags[i];
      if (b - a == d - c && std::equal(first.begin() + long(a), first.begin() + long(b), second.begin() + long(c)))
        continue;
      gbfuzz::Check(firstRaw[i] && !secondRaw[i], "a rewritten movie does not rewrite to itself");
    }
  }

  // A load cut short by a byte limit and the frame limit of the tag loop.
  CSwfReader limited;
  if (limited.LoadFromMemory(data, u32(size), true, u32(size / 2), false)) {
    limited.ReadAllTags(nullptr, 1);
    Rewrite(limited);
  }
  return 0;
}
