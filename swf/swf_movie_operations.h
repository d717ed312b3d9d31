// Operations on whole movie files (header information, background colour,
// adding or removing the Protect tag, rewriting) and queries over a list
// of tags (finding a character's defining tag, a placement by name, the
// highest character id and depth, shifting ids when lists are merged),
// with the loader of the built-in alert movie.
//
// A tag list is held by a reader, by a sprite (its own tags) or by a
// caller that collects tags; the queries never take ownership.
#pragma once

#include <vector>

#include "platform/mac_types.h"

class CPathName;
class CSwfCharacterTag;
class CSwfDoAction;
class CSwfPlaceObject;
class CSwfPlaceObject2;
class CSwfSetBackgroundColor;
class CSwfTag;

// The alert movie in the bundle's "main.rsrc", and the text of the Push
// that LoadAlertMovie finds in it.
constexpr ResType kSwfAlertMovieType = FourCC("MxAl");
constexpr ResID kSwfAlertMovieId = 1000;
extern const char* const kSwfAlertText;

// FileAttributes, which sets a movie's permissions and has to be its first
// tag where it is present. The engine keeps it raw.
constexpr u16 kSwfFileAttributesCode = 69;

// ---- movie files ----

// Fills every output given: the frame size in twips, frame rate, version,
// frame count and whether the file is compressed. False when the file
// cannot be opened or is not a movie.
[[nodiscard]] bool GetSwfHeaderInfo(const CPathName& path, u32* width, u32* height,
                                    f32* frameRate, u32* version, u32* frameCount,
                                    u8* compressed);
// The colour (0x00BBGGRR) of the movie's first SetBackgroundColor tag; 0
// when the movie cannot be opened or has none before its End tag.
u32 GetMovieBackgroundColor(const CPathName& path);

// Each writes `target` (which must not exist yet) as `source` passed
// through the reader and the file writer: without its Protect tags, with
// a Protect tag as its first tag (behind the FileAttributes tag of a movie
// that opens with one, which has to stay first), or unchanged. A frame
// label equal to one written before is left out. False, and no target
// left behind, when the source does not load, the target cannot be created
// or written, or a tag of the movie cannot be written (it holds a value
// that no field can hold).
[[nodiscard]] bool RemoveProtect(const CPathName& source, const CPathName& target);
[[nodiscard]] bool AddProtect(const CPathName& source, const CPathName& target);
[[nodiscard]] bool RewriteMovie(const CPathName& source, const CPathName& target);
// The same under the movie's own name. With keepBackup the former movie
// stays beside it as "<name>~" (an older backup is replaced); without it
// the new movie is written beside the file and then takes its name. A
// failure leaves the movie as it was.
[[nodiscard]] bool RemoveProtectInPlace(const CPathName& path, bool keepBackup);
[[nodiscard]] bool AddProtectInPlace(const CPathName& path, bool keepBackup);

// ---- tag lists ----

// Calls OffsetIds(idDelta, depthDelta) on every tag in order.
void OffsetTagIds(const std::vector<CSwfTag*>& tags, u16 idDelta, u16 depthDelta);
// The first tag of a character-defining code whose character id is `id`;
// a sprite is checked itself and then searched. Null when none.
[[nodiscard]] CSwfTag* FindCharacterTag(u16 id, const std::vector<CSwfTag*>& tags);
// The first PlaceObject2 whose name begins with `name`; with searchSprites
// the tags of sprites are searched too. Null when none.
[[nodiscard]] CSwfPlaceObject2* FindPlacementByNamePrefix(const char* name,
                                                          const std::vector<CSwfTag*>& tags,
                                                          bool searchSprites);
// The first PlaceObject2 named `name`, searching sprites too.
[[nodiscard]] CSwfPlaceObject2* FindPlacementByName(const char* name, const std::vector<CSwfTag*>& tags);
// The same without searching sprites.
[[nodiscard]] CSwfPlaceObject2* FindPlaceObject2ByName(const char* name, const std::vector<CSwfTag*>& tags);
// The first DefineSprite of the list with the id (sprites not searched).
[[nodiscard]] CSwfTag* FindSpriteById(u16 id, const std::vector<CSwfTag*>& tags);
// The first SetBackgroundColor tag, or null.
[[nodiscard]] CSwfSetBackgroundColor* FindBackgroundColorTag(const std::vector<CSwfTag*>& tags);
// From the character's own place in the list on, the first PlaceObject or
// PlaceObject2 that places it; null when none, and when the character is
// not in the list.
[[nodiscard]] CSwfPlaceObject* FindFirstPlacement(CSwfCharacterTag* character,
                                                  const std::vector<CSwfTag*>& tags);
// The highest character id (of defining tags, sprites, placements and the
// sprites of init actions) and the highest depth of a PlaceObject2 (65535
// aside); both start from 0. Sprites are not searched.
void GetMaxIds(const std::vector<CSwfTag*>& tags, u16& maxCharacterId, u16& maxDepth);

// Appends the tags of the alert movie of "main.rsrc" to `tags` (its End,
// ShowFrame and SetBackgroundColor tags left out); they belong to the
// caller. The DoAction that shows the alert text (two actions, the first a
// Push of kSwfAlertText alone) goes to *alertAction when asked, and the
// highest character id of `tags` to *maxCharacterId. False when the
// resource is missing or does not load.
[[nodiscard]] bool LoadAlertMovie(std::vector<CSwfTag*>& tags, CSwfDoAction** alertAction,
                                  u16* maxCharacterId);
