#include "swf/swf_movie_operations.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "foundation/path_name.h"
#include "foundation/resource_file.h"
#include "platform/memory_handles.h"
#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_file_reader.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_sprite_tags.h"

const char* const kSwfAlertText = "A Simple Alert";

namespace {

// ---- movie files ----

// Writes every tag of the loaded movie (those `keep` accepts) into a new
// movie file; `first`, when given, goes before them, behind the movie's
// FileAttributes tag when the movie opens with one.
using TagFilter = std::function<bool(const CSwfTag&)>;

[[nodiscard]] bool WriteMovieFile(const CPathName& source, const CPathName& target, CSwfTag* first,
                                  const TagFilter& keep) {
  CSwfReader reader;
  if (!reader.LoadFile(source, true, 0, true)) return false;
  const std::vector<std::unique_ptr<CSwfTag>> tags = reader.TakeTags();
  CSwfFileWriter writer(false);
  writer.SetParamsFromHeader(reader.GetHeader());
  reader.Close();
  if (!writer.Open(target, false)) return false;
  size_t next = 0;
  if (first) {
    if (!tags.empty() && tags[0]->GetCode() == kSwfFileAttributesCode && keep(*tags[0]))
      writer.WriteTag(tags[next++].get(), true);
    writer.WriteTag(first, true);
  }
  for (; next < tags.size() && !writer.HasFailed(); ++next) {
    if (keep(*tags[next])) writer.WriteTag(tags[next].get(), true);
  }
  // A tag that refused to write itself fails the whole movie, as a failed
  // write does.
  if (writer.Close() != 0) return true;
  // A movie that could not be written whole is not left behind.
  target.Delete();
  return false;
}

bool IsNotProtect(const CSwfTag& tag) { return tag.GetCode() != kSwfProtectCode; }
bool AnyTag(const CSwfTag&) { return true; }

using MovieOperation = bool (*)(const CPathName& source, const CPathName& target);

// Runs an operation from a movie onto its own name (see the header).
[[nodiscard]] bool RunInPlace(const CPathName& path, bool keepBackup, MovieOperation operation) {
  if (!path.Exists() || path.IsFolder()) return false;
  const std::string name = path.GetLastComponent();
  if (keepBackup) {
    CPathName backup(nullptr);
    if (!backup.RenameToBackup(path, true)) return false;
    if (operation(backup, path)) return true;
    backup.Rename(name.c_str());
    return false;
  }
  CPathName written(nullptr);
  if (!written.MakeUniqueName(path) || !operation(path, written)) return false;
  if (written.Rename(name.c_str())) return true;
  written.Delete();
  return false;
}

// ---- tag lists ----

bool DefinesCharacter(u16 code) {
  switch (code) {
    case 2: case 6: case 7: case 10: case 11: case 14: case 18: case 20: case 21: case 22:
    case 32: case 33: case 34: case 35: case 36: case 37: case 45: case 46: case 48: case 60:
      return true;
    default:
      return false;
  }
}

CSwfDefineSprite* AsSprite(CSwfTag* tag) {
  return tag->GetCode() == kSwfDefineSpriteCode ? dynamic_cast<CSwfDefineSprite*>(tag) : nullptr;
}

// The first PlaceObject2 with a name that `matches`, searching sprites
// when asked.
CSwfPlaceObject2* FindPlacement(const std::vector<CSwfTag*>& tags, bool searchSprites,
                                const std::function<bool(const std::string&)>& matches) {
  for (CSwfTag* tag : tags) {
    if (tag->GetCode() == kSwfPlaceObject2Code) {
      auto* place = dynamic_cast<CSwfPlaceObject2*>(tag);
      if (place && place->HasName() && matches(place->GetName())) return place;
    } else if (searchSprites) {
      if (CSwfDefineSprite* sprite = AsSprite(tag)) {
        if (CSwfPlaceObject2* found = FindPlacement(sprite->GetTags(), true, matches)) return found;
      }
    }
  }
  return nullptr;
}

}  // namespace

bool GetSwfHeaderInfo(const CPathName& path, u32* width, u32* height, f32* frameRate,
                      u32* version, u32* frameCount, u8* compressed) {
  CSwfFileReader reader;
  if (!reader.Open(path, true)) return false;
  u32 frameWidth = 0, frameHeight = 0;
  reader.GetMovieSize(frameWidth, frameHeight);
  if (width) *width = frameWidth;
  if (height) *height = frameHeight;
  if (frameRate) *frameRate = reader.GetFrameRate();
  if (version) *version = reader.GetFileVersion();
  if (frameCount) *frameCount = reader.GetFrameCounter();
  if (compressed) *compressed = reader.IsCompressed() ? 1 : 0;
  reader.Close();
  return true;
}

u32 GetMovieBackgroundColor(const CPathName& path) {
  CSwfFileReader reader;
  if (!reader.Open(path, true)) return 0;
  u32 color = 0;
  for (;;) {
    std::unique_ptr<CSwfTag> tag(reader.ReadNextTag());
    const u16 code = tag->GetCode();
    if (code == kSwfSetBackgroundColorCode) {
      if (auto* background = dynamic_cast<CSwfSetBackgroundColor*>(tag.get()))
        color = background->GetColor();
      break;
    }
    if (code == kSwfEndCode) break;
  }
  reader.Close();
  return color;
}

bool RemoveProtect(const CPathName& source, const CPathName& target) {
  return WriteMovieFile(source, target, nullptr, IsNotProtect);
}

bool AddProtect(const CPathName& source, const CPathName& target) {
  CSwfProtect protect;
  return WriteMovieFile(source, target, &protect, AnyTag);
}

bool RewriteMovie(const CPathName& source, const CPathName& target) {
  return WriteMovieFile(source, target, nullptr, AnyTag);
}

bool RemoveProtectInPlace(const CPathName& path, bool keepBackup) {
  return RunInPlace(path, keepBackup, RemoveProtect);
}

bool AddProtectInPlace(const CPathName& path, bool keepBackup) {
  return RunInPlace(path, keepBackup, AddProtect);
}

void OffsetTagIds(const std::vector<CSwfTag*>& tags, u16 idDelta, u16 depthDelta) {
  for (CSwfTag* tag : tags) tag->OffsetIds(idDelta, depthDelta);
}

CSwfTag* FindCharacterTag(u16 id, const std::vector<CSwfTag*>& tags) {
  for (CSwfTag* tag : tags) {
    if (DefinesCharacter(tag->GetCode()) && tag->GetCharacterId() == id) return tag;
    if (CSwfDefineSprite* sprite = AsSprite(tag)) {
      if (sprite->GetCharacterId() == id) return sprite;
      if (CSwfTag* found = FindCharacterTag(id, sprite->GetTags())) return found;
    }
  }
  return nullptr;
}

CSwfPlaceObject2* FindPlacementByNamePrefix(const char* name, const std::vector<CSwfTag*>& tags,
                                            bool searchSprites) {
  if (!name) return nullptr;
  const std::string prefix = name;
  return FindPlacement(tags, searchSprites, [&](const std::string& placed) {
    return placed.compare(0, prefix.size(), prefix) == 0;
  });
}

CSwfPlaceObject2* FindPlacementByName(const char* name, const std::vector<CSwfTag*>& tags) {
  if (!name) return nullptr;
  return FindPlacement(tags, true, [&](const std::string& placed) { return placed == name; });
}

CSwfPlaceObject2* FindPlaceObject2ByName(const char* name, const std::vector<CSwfTag*>& tags) {
  if (!name) return nullptr;
  return FindPlacement(tags, false, [&](const std::string& placed) { return placed == name; });
}

CSwfTag* FindSpriteById(u16 id, const std::vector<CSwfTag*>& tags) {
  for (CSwfTag* tag : tags) {
    if (CSwfDefineSprite* sprite = AsSprite(tag); sprite && sprite->GetCharacterId() == id)
      return sprite;
  }
  return nullptr;
}

CSwfSetBackgroundColor* FindBackgroundColorTag(const std::vector<CSwfTag*>& tags) {
  for (CSwfTag* tag : tags) {
    if (tag->GetCode() == kSwfSetBackgroundColorCode)
      return dynamic_cast<CSwfSetBackgroundColor*>(tag);
  }
  return nullptr;
}

CSwfPlaceObject* FindFirstPlacement(CSwfCharacterTag* character, const std::vector<CSwfTag*>& tags) {
  if (!character) return nullptr;
  const u16 id = character->GetCharacterId();
  bool found = false;
  for (CSwfTag* tag : tags) {
    found = found || tag == character;
    if (!found) continue;
    const u16 code = tag->GetCode();
    if (code != kSwfPlaceObjectCode && code != kSwfPlaceObject2Code) continue;
    auto* place = dynamic_cast<CSwfPlaceObject*>(tag);
    // A PlaceObject2 without a character moves what is at its depth.
    auto* place2 = dynamic_cast<CSwfPlaceObject2*>(tag);
    if (place && (!place2 || place2->HasCharacter()) && place->GetCharacterId() == id) return place;
  }
  return nullptr;
}

void GetMaxIds(const std::vector<CSwfTag*>& tags, u16& maxCharacterId, u16& maxDepth) {
  maxCharacterId = 0;
  maxDepth = 0;
  for (CSwfTag* tag : tags) {
    const u16 code = tag->GetCode();
    u16 id = 0;
    if (DefinesCharacter(code) || code == kSwfDefineSpriteCode) {
      id = tag->GetCharacterId();
    } else if (code == kSwfPlaceObject2Code) {
      if (auto* place = dynamic_cast<CSwfPlaceObject2*>(tag)) {
        id = place->GetCharacterId();
        if (place->GetDepth() != 0xFFFF) maxDepth = std::max(maxDepth, place->GetDepth());
      }
    } else if (code == kSwfDoInitActionCode) {
      if (auto* init = dynamic_cast<CSwfDoInitAction*>(tag)) id = init->GetSpriteId();
    }
    maxCharacterId = std::max(maxCharacterId, id);
  }
}

bool LoadAlertMovie(std::vector<CSwfTag*>& tags, CSwfDoAction** alertAction, u16* maxCharacterId) {
  Handle resource = nullptr;
  long size = 0;
  if (!LoadMainResource(kSwfAlertMovieType, kSwfAlertMovieId, &resource, &size)) return false;
  CSwfReader reader;
  HLock(resource);
  const bool loaded = resource && *resource && size > 0 &&
                      reader.LoadFromMemory(reinterpret_cast<const u8*>(*resource), u32(size), true,
                                            0, true);
  HUnlock(resource);
  ReleaseMainResource(&resource);
  if (!loaded) return false;
  for (std::unique_ptr<CSwfTag>& owned : reader.TakeTags()) {
    const u16 code = owned->GetCode();
    // These go with the movie's own timeline; the rest belong to the caller.
    if (code == kSwfEndCode || code == kSwfShowFrameCode || code == kSwfSetBackgroundColorCode) continue;
    CSwfTag* tag = owned.release();
    tags.push_back(tag);
    if (code != kSwfDoActionCode || !alertAction) continue;
    auto* actions = dynamic_cast<CSwfDoAction*>(tag);
    if (!actions || actions->GetActions().size() != 2) continue;
    auto* push = dynamic_cast<CSwfActionPush*>(actions->GetActions()[0].get());
    if (push && push->GetValues().size() == 1 &&
        push->GetValues()[0].type == CSwfPushValue::kString &&
        push->GetValues()[0].text == kSwfAlertText)
      *alertAction = actions;
  }
  if (maxCharacterId) {
    u16 depth = 0;
    GetMaxIds(tags, *maxCharacterId, depth);
  }
  return true;
}
