// The button tags: DefineButton and DefineButton2 with the button record
// they share, the colour transform of a DefineButton (DefineButtonCxform)
// and the sounds of a button's transitions (DefineButtonSound).
//
// A button's scripts are action lists; every list read is kept, whatever
// its length, with the bytes behind its end byte. Records of a
// DefineButton2 in movies of version 8 and later may carry filters and a
// blend mode; they are kept as read.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "swf/swf_object_pool.h"
#include "swf/swf_records.h"
#include "swf/swf_sound_tags.h"

class CSwfDoAction;

enum : u16 {
  kSwfDefineButtonCode = 7,
  kSwfDefineButtonSoundCode = 17,
  kSwfDefineButtonCxformCode = 23,
  kSwfDefineButton2Code = 34,
};

// One character shown in some of a button's states.
class CSwfButtonRecord : public CSwfPooledObject {
 public:
  enum : u8 {
    kStateUp = 0x01,
    kStateOver = 0x02,
    kStateDown = 0x04,
    kStateHitTest = 0x08,
    kHasFilterList = 0x10,  // DefineButton2, version 8 and later
    kHasBlendMode = 0x20,   // DefineButton2, version 8 and later
  };

  CSwfButtonRecord() = default;
  // A deep copy.
  CSwfButtonRecord(const CSwfButtonRecord& other);
  CSwfButtonRecord& operator=(const CSwfButtonRecord&) = delete;

  u8 flags = 0;  // the state bits and the high bits, as read
  u16 characterId = 0;
  u16 depth = 1;
  std::unique_ptr<CSwfMatrix> matrix;
  // DefineButton2 only; a record without one is written with the identity.
  std::unique_ptr<CSwfCxformWithAlpha> colorTransform;
  // The filter list (its count byte and filters) and the blend mode as
  // stored; empty and absent unless the flags announce them.
  std::vector<u8> filterList;
  std::optional<u8> blendMode;
};

// Reads a record whose flags byte has been read: id, depth and matrix; with
// withColorTransform (DefineButton2) the colour transform, and in movies of
// version 8 and later the filter list and blend mode the flags announce.
// The caller owns the record.
[[nodiscard]] CSwfButtonRecord* ReadButtonRecord(CSwfReader& reader, u8 flags, bool withColorTransform);

class CSwfDefineButton : public CSwfCharacterTag {
 public:
  CSwfDefineButton();
  ~CSwfDefineButton() override;
  CSwfDefineButton(const CSwfDefineButton&) = delete;
  CSwfDefineButton& operator=(const CSwfDefineButton&) = delete;

  // Id, the records up to their end byte, then one action list over the
  // rest of the body (kept when the body holds any of it).
  u32 Read(CSwfReader& reader) override;
  // Id, records, end byte, then every action list's body.
  u32 Write(CSwfBitWriter& writer) override;
  // Deletes records and action lists.
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineButtonCode; }
  // The button's id and its records' ids grow by idDelta, the records'
  // depths by depthDelta; with a frameDelta the scripts' frame numbers too.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  // Deletes the action lists and the records.
  virtual void Clear();

  // Each takes ownership and appends (null is ignored).
  void AddRecord(CSwfButtonRecord* record);
  void AddActionList(CSwfDoAction* actions);
  // Relocates the absolute target paths of every script.
  void ApplyPathPrefix(const char* prefix);

  const std::vector<std::unique_ptr<CSwfButtonRecord>>& GetRecords() const { return m_records; }
  const std::vector<std::unique_ptr<CSwfDoAction>>& GetActionLists() const { return m_actionLists; }

 protected:
  // The records and their end byte.
  void WriteRecords(CSwfBitWriter& body, bool withColorTransform) const;

  std::vector<std::unique_ptr<CSwfButtonRecord>> m_records;
  std::vector<std::unique_ptr<CSwfDoAction>> m_actionLists;
};

class CSwfDefineButton2 : public CSwfDefineButton {
 public:
  CSwfDefineButton2() = default;
  // Id, flags byte, condition words and copies of the records; the action
  // lists are not copied.
  CSwfDefineButton2(const CSwfDefineButton2& other);
  CSwfDefineButton2& operator=(const CSwfDefineButton2&) = delete;

  // Id, flags byte, action offset, records (with colour transforms), then
  // the condition actions from where the action offset points, each list
  // bounded by its record's size, which says where the next one starts. An
  // offset into the records or past the body, or a size too small for its
  // record or past the body, disagrees with the body (the tag loop keeps
  // the tag as its raw bytes).
  u32 Read(CSwfReader& reader) override;
  // The offsets are counted from what is written; the last condition
  // action has size 0, and a list without a condition word gets 0. A
  // button whose records or a condition action outgrow the 16-bit offsets
  // cannot be stored: nothing is written and the result is 0.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineButton2Code; }
  // Deletes the action lists and condition words and clears the flags
  // byte; the records stay.
  void Clear() override;

  void AddCondition(u16 conditions) { m_conditions.push_back(conditions); }
  // Appends both (the list's ownership taken); true.
  bool AddConditionAction(u16 conditions, CSwfDoAction* actions);

  const std::vector<u16>& GetConditions() const { return m_conditions; }
  u8 GetFlags() const { return m_flags; }
  void SetFlags(u8 flags) { m_flags = flags; }

 private:
  std::vector<u16> m_conditions;
  u8 m_flags = 0;  // track as menu, as read
};

class CSwfDefineButtonCxform : public CSwfCharacterTag {
 public:
  CSwfDefineButtonCxform();

  // The button's id and the colour transform.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfDefineButtonCxformCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Takes ownership, deleting the present transform (null: the identity).
  void SetColorTransform(CSwfCxform* cxform);
  CSwfCxform* GetColorTransform() const { return m_cxform.get(); }

 private:
  std::unique_ptr<CSwfCxform> m_cxform;
};

class CSwfDefineButtonSound : public CSwfCharacterTag {
 public:
  // The transitions in the order the tag stores them.
  enum { kOverUpToIdle, kIdleToOverUp, kOverUpToOverDown, kOverDownToOverUp, kTransitions };

  // The button's id, then for each transition a sound id and, when it is
  // not 0, its sound info.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineButtonSoundCode; }
  // The button's id and every sound id that is not 0 grow by idDelta.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  u16 soundIds[kTransitions] = {};
  CSwfSoundInfo soundInfos[kTransitions];
};
