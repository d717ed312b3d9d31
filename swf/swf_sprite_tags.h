// The sprite (DefineSprite): a character with a timeline of its own, held
// as its own list of control tags.
//
// A sprite's tags are read by a nested tag loop over the sprite's body:
// they never reach past it, however much an inner tag announces, and a
// sprite without an inner End tag ends with the End that its exhausted
// body yields, leaving the tags behind the sprite to the movie. Sprites
// nested deeper than the reader allows read as an End tag alone.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_record.h"

enum : u16 { kSwfDefineSpriteCode = 39 };

class CSwfDefineSprite : public CSwfCharacterTag {
 public:
  explicit CSwfDefineSprite(u16 id = 1, u16 frameCount = 0);
  ~CSwfDefineSprite() override;
  CSwfDefineSprite(const CSwfDefineSprite&) = delete;
  CSwfDefineSprite& operator=(const CSwfDefineSprite&) = delete;

  // Id, frame count, then the inner tags up to and including their End.
  u32 Read(CSwfReader& reader) override;
  // The tag: header, id, the frame count as stored, the inner tags (sound
  // tags left out when the writer strips sound) and an End tag when the
  // list does not end with one.
  u32 Write(CSwfBitWriter& writer) override;
  // The same; withHeader false leaves the tag header out (for copying).
  u32 WriteBody(CSwfBitWriter& writer, bool withHeader);
  // Deletes the inner tags; frame count 0.
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineSpriteCode; }
  // The sprite's id grows by idDelta, and so do the ids of the inner tags
  // that refer to characters (FreeCharacter, the placement and removal
  // tags, StartSound and the video tags); depths and frames inside a
  // sprite are its own and stay.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Takes the tag when it may live in a sprite (a control tag: End,
  // ShowFrame, FreeCharacter, placement and removal, DoAction, StartSound,
  // the sound stream tags, FrameLabel and the video tags); a ShowFrame adds
  // a frame. False, the tag left to the caller, for any other tag.
  [[nodiscard]] bool AddTag(CSwfTag* tag);
  // Appends n ShowFrame tags (no more than the frame count can hold).
  void AddFrames(u16 n);
  // Inserts the tag before the ShowFrame that closes `frame` (from 0).
  // When the sprite has fewer frames, a trailing End tag is removed and
  // ShowFrame tags are appended until it has frame + 1. False, the tag left
  // to the caller, when the list has fewer ShowFrame tags than that (its
  // stored frame count said more than it holds) or frame + 1 frames cannot
  // be counted. A null tag only adds the frames.
  [[nodiscard]] bool InsertTagAtFrame(CSwfTag* tag, u16 frame);
  // Before the last ShowFrame; without one, into frame 0.
  [[nodiscard]] bool AddTagToLastFrame(CSwfTag* tag);
  // At the start of the list with atStart, else into the frame.
  [[nodiscard]] bool InsertTag(CSwfTag* tag, u16 frame, bool atStart);
  // Empties the list (deleting the tags only when asked: otherwise they
  // belong to whoever holds them); frame count 0.
  void DeleteTags(bool deleteObjects);
  // Relocates the absolute target paths of every DoAction of the sprite
  // under `text` (see CSwfDoAction::ApplyPathPrefix).
  void RetargetActions(const char* text);
  // Becomes a copy of the other sprite: its id, frame count and copies of
  // its tags (written and read back).
  void Assign(const CSwfDefineSprite& other);

  // The inner tags in file order; they belong to the sprite.
  std::vector<CSwfTag*> GetTags() const;
  size_t GetTagCount() const { return m_tags.size(); }
  u16 GetFrameCount() const { return m_frameCount; }
  void SetFrameCount(u16 count) { m_frameCount = count; }
  // The smallest and largest depth of the placements read, -1 without any.
  s32 GetMinDepth() const { return m_minDepth; }
  s32 GetMaxDepth() const { return m_maxDepth; }

 private:
  // Where the ShowFrame that closes `frame` stands; the list's size when
  // there is none.
  size_t FindFrameEnd(u32 frame) const;
  void NoteDepths();

  u16 m_frameCount;
  std::vector<std::unique_ptr<CSwfTag>> m_tags;
  s32 m_minDepth = -1;
  s32 m_maxDepth = -1;
  // The version the tags were read for; copies are written and read back
  // for it, so that version-dependent layouts come back the same.
  u8 m_version = 4;
  // What its tags were read from (0 for tags not read): about what
  // writing them takes.
  u64 m_tagBytesRead = 0;
};
