// Makes the alert movie of the bundle's "main.rsrc" ('MxAl' 1000) with the
// project's own SWF writer:
//
//   gb_make_alert_movie <output file>
//
// The movie holds an empty clip (sprite 1) placed at depth 1 under the name
// "alert" and a script that shows the alert text: a Push of "A Simple
// Alert" and a Trace. A movie that uses it takes these tags over and puts
// its own text into the Push.
#include <cstdio>
#include <string>
#include <vector>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_movie_builder.h"
#include "swf/swf_movie_operations.h"
#include "swf/swf_records.h"
#include "swf/swf_sprite_tags.h"

namespace {

constexpr u8 kVersion = 6;
constexpr u32 kStageWidth = 320 * 20, kStageHeight = 240 * 20;  // twips
constexpr u16 kClipId = 1;
constexpr u8 kActionTrace = 0x26;

bool WriteFile(const std::string& path, const std::vector<u8>& bytes) {
  // Written beside the output and renamed, so that a failed run leaves no half file.
  const std::string partial = path + ".partial";
  std::FILE* out = std::fopen(partial.c_str(), "wb");
  bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (out && std::fclose(out) != 0) written = false;
  if (written && std::rename(partial.c_str(), path.c_str()) == 0) return true;
  std::remove(partial.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  CSwfMovieBuilder movie;
  movie.SetParams(kStageWidth, kStageHeight, 12.0f, kVersion);
  movie.AddTag(new CSwfSetBackgroundColor(0xFF, 0xFF, 0xFF));

  auto* clip = new CSwfDefineSprite(kClipId, 0);
  clip->AddFrames(1);
  movie.AddTag(clip);

  auto* place = new CSwfPlaceObject2;
  place->SetCharacterId(kClipId);
  place->SetDepth(1);
  place->SetMatrix(new CSwfMatrix);
  place->SetName("alert");
  movie.AddTag(place);

  auto* script = new CSwfDoAction;
  script->AddAction(new CSwfActionPush(kSwfAlertText));
  script->AddAction(new CSwfGenericAction(kActionTrace));
  movie.AddTag(script);

  movie.AddTag(new CSwfShowFrame);
  movie.AddTag(new CSwfEnd);

  std::vector<u8> bytes;
  if (movie.BuildMovie(bytes, nullptr) == 0 || !WriteFile(argv[1], bytes)) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
