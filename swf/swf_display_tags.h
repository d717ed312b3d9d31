// The tags that change the display list: placing a character at a depth,
// removing it, freeing a character and ending a frame. PlaceObject2 also
// carries clip actions, per-event scripts of a placed sprite.
//
// OffsetIds shifts character ids and depths when one movie's tags are merged
// into another. PlaceObject2 and RemoveObject2 shift depths alike and stop
// at 65535, so that a removal still names the depth of its placement.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/swf_object_pool.h"
#include "swf/swf_records.h"

class CSwfAction;
class CSwfDoAction;

enum : u16 {
  kSwfShowFrameCode = 1,
  kSwfFreeCharacterCode = 3,
  kSwfPlaceObjectCode = 4,
  kSwfRemoveObjectCode = 5,
  kSwfPlaceObject2Code = 26,
  kSwfRemoveObject2Code = 28,
};

// Clip event flags as held in memory (32 bits; movies before version 6
// store the low 16 only).
enum : u32 { kClipEventKeyPress = 0x00020000 };

class CSwfShowFrame : public CSwfTag {
 public:
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfShowFrameCode; }
};

class CSwfFreeCharacter : public CSwfTag {
 public:
  explicit CSwfFreeCharacter(u16 id = 1) : m_characterId(id) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfFreeCharacterCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  u16 GetCharacterId() const override { return m_characterId; }
  void SetCharacterId(u16 id) override { m_characterId = id; }

 private:
  u16 m_characterId;
};

class CSwfRemoveObject : public CSwfTag {
 public:
  CSwfRemoveObject(u16 id = 1, u16 depth = 1) : m_characterId(id), m_depth(depth) {}
  // The u16 id and the u16 depth.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfRemoveObjectCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  u16 GetCharacterId() const override { return m_characterId; }
  void SetCharacterId(u16 id) override { m_characterId = id; }

  u16 GetDepth() const { return m_depth; }
  void SetDepth(u16 depth) { m_depth = depth; }

 protected:
  u16 m_characterId;
  u16 m_depth;
};

// Uses only the depth.
class CSwfRemoveObject2 : public CSwfRemoveObject {
 public:
  explicit CSwfRemoveObject2(u16 depth = 1) : CSwfRemoveObject(0, depth) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfRemoveObject2Code; }
  // The depth grows by depthDelta, at most to 65535.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
};

class CSwfPlaceObject : public CSwfTag {
 public:
  CSwfPlaceObject() = default;
  ~CSwfPlaceObject() override;
  CSwfPlaceObject(const CSwfPlaceObject&) = delete;
  CSwfPlaceObject& operator=(const CSwfPlaceObject&) = delete;

  // Id, depth, matrix, and a colour transform when the body holds more.
  u32 Read(CSwfReader& reader) override;
  // A missing matrix is written as the identity, which the layout requires.
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfPlaceObjectCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  u16 GetCharacterId() const override { return m_characterId; }
  void SetCharacterId(u16 id) override { m_characterId = id; }
  // Deletes the matrix and the colour transform.
  virtual void Clear();

  // Each takes ownership, deleting the previous object.
  void SetMatrix(CSwfMatrix* matrix);
  void SetColorTransform(CSwfCxform* cxform);
  CSwfMatrix* GetMatrix() const { return m_matrix.get(); }
  CSwfCxform* GetColorTransform() const { return m_cxform.get(); }
  u16 GetDepth() const { return m_depth; }
  void SetDepth(u16 depth) { m_depth = depth; }

 protected:
  u16 m_characterId = 0;
  u16 m_depth = 0;
  std::unique_ptr<CSwfMatrix> m_matrix;
  std::unique_ptr<CSwfCxform> m_cxform;
};

// One clip action: the events it answers, the key of a key-press event and
// its script.
class CSwfClipActionRecord : public CSwfPooledObject {
 public:
  explicit CSwfClipActionRecord(u32 flags);
  ~CSwfClipActionRecord();
  CSwfClipActionRecord(const CSwfClipActionRecord&) = delete;
  CSwfClipActionRecord& operator=(const CSwfClipActionRecord&) = delete;

  // Takes ownership, deleting the previous list.
  void SetActions(CSwfDoAction* list);
  // Creates the list when missing, then appends.
  void AddAction(CSwfAction* action);
  void SetBranchTracking(bool on);
  CSwfDoAction* GetActions() const { return actions.get(); }

  u32 eventFlags;
  u32 recordSize = 0;  // as read
  u8 keyCode = 0;
  std::unique_ptr<CSwfDoAction> actions;
  // The script was read without a byte, not even its end byte; as long as
  // it holds no actions it is written back so. A script made in code is
  // closed by its end byte even when empty.
  bool scriptWithoutBytes = false;
};

class CSwfPlaceObject2 : public CSwfPlaceObject {
 public:
  CSwfPlaceObject2() = default;
  ~CSwfPlaceObject2() override;
  // Copies everything but the clip actions.
  CSwfPlaceObject2(const CSwfPlaceObject2& other) : CSwfPlaceObject() { CopyFrom(other); }
  CSwfPlaceObject2& operator=(const CSwfPlaceObject2&) = delete;

  u32 Read(CSwfReader& reader) override;
  // Clip actions are written for the later of the version they were read for
  // and the target writer's version: 32-bit event flags from version 6 on.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfPlaceObject2Code; }
  // Character id when placed; depth and clip depth grow at most to 65535.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  // Also sets has-character.
  void SetCharacterId(u16 id) override;
  // Also deletes the name and the clip actions.
  void Clear() override;

  // Where the clip depth field lies in the written body.
  u32 GetClipDepthOffset();

  // Character id, depth, name, ratio, clip depth, copies of matrix and
  // colour transform, and the six flags; clip actions are not copied.
  void CopyFrom(const CSwfPlaceObject2& other);

  void SetColorTransform(CSwfCxformWithAlpha* cxform);
  CSwfCxformWithAlpha* GetColorTransform() const { return m_cxformAlpha.get(); }
  // Takes ownership and sets has-clip-actions (a null record is ignored).
  void AddClipAction(CSwfClipActionRecord* record);
  void SetName(const std::string& name);
  void SetRatio(u16 ratio);
  void SetClipDepth(u16 clipDepth);
  void SetMove(bool move) { m_move = move ? 1 : 0; }

  const std::string& GetName() const { return m_name; }
  u16 GetRatio() const { return m_ratio; }
  u16 GetClipDepth() const { return m_clipDepth; }
  bool HasName() const { return m_hasName != 0; }
  bool HasRatio() const { return m_hasRatio != 0; }
  bool HasClipDepth() const { return m_hasClipDepth != 0; }
  bool HasCharacter() const { return m_hasCharacter != 0; }
  bool HasClipActions() const { return m_hasClipActions != 0; }
  bool IsMove() const { return m_move != 0; }
  u32 GetAllEventFlags() const { return m_allEventFlags; }
  u8 GetClipActionVersion() const { return m_clipActionVersion; }
  const std::vector<std::unique_ptr<CSwfClipActionRecord>>& GetClipActions() const { return m_clipActions; }

 private:
  bool WritesCharacter() const { return m_hasCharacter || m_characterId != 0; }
  void ReadClipActions(CSwfReader& reader);
  // False when a record's script refused to write itself.
  [[nodiscard]] bool WriteClipActions(CSwfBitWriter& body, u8 version) const;

  u16 m_ratio = 0;
  std::string m_name;
  u16 m_clipDepth = 0;
  std::unique_ptr<CSwfCxformWithAlpha> m_cxformAlpha;
  u8 m_hasClipActions = 0, m_hasClipDepth = 0, m_hasName = 0, m_hasRatio = 0;
  u8 m_hasCharacter = 0, m_move = 0;
  u32 m_allEventFlags = 0;
  std::vector<std::unique_ptr<CSwfClipActionRecord>> m_clipActions;
  u8 m_clipActionVersion = 4;
};
