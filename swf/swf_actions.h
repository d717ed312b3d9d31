// The action classes of the opcodes the engine understands beyond raw bytes.
//
// Each reads its payload after the list has consumed the opcode byte and
// writes opcode, u16 payload length and payload; GetEncodedSize always equals
// the bytes Write emits. Strings are held without their terminating zero and
// written followed by one.
//
// Absolute target paths can be relocated under a clip: with the prefix
// "/clip", SetTarget, Push and ConstantPool write "/a" as "/clip/a" and
// "_root" as "_root.clip".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/swf_action.h"
#include "swf/swf_object_pool.h"

enum : u8 {
  kActionEnd = 0x00,
  kActionNextFrame = 0x04,
  kActionPreviousFrame = 0x05,
  kActionPlay = 0x06,
  kActionStop = 0x07,
  kActionSetVariable = 0x1D,
  kActionGotoFrame = 0x81,
  kActionGetURL = 0x83,
  kActionStoreRegister = 0x87,
  kActionConstantPool = 0x88,
  kActionWaitForFrame = 0x8A,
  kActionSetTarget = 0x8B,
  kActionGoToLabel = 0x8C,
  kActionWaitForFrame2 = 0x8D,
  kActionWith = 0x94,
  kActionPush = 0x96,
  kActionJump = 0x99,
  kActionGetURL2 = 0x9A,
  kActionDefineFunction = 0x9B,
  kActionIf = 0x9D,
  kActionGotoFrame2 = 0x9F,
};

class CSwfActionSetVariable : public CSwfAction {
 public:
  u8 GetOpcode() const override { return kActionSetVariable; }
};

class CSwfActionGotoFrame : public CSwfAction {
 public:
  explicit CSwfActionGotoFrame(u16 frameNumber = 0) : frame(frameNumber) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionGotoFrame; }
  void ShiftFrames(u16 idDelta, u16 depthDelta, u16 frameDelta) override;
  u32 GetEncodedSize() const override { return 5; }

  u16 frame;
};

class CSwfActionGetURL : public CSwfAction {
 public:
  CSwfActionGetURL() = default;
  CSwfActionGetURL(const std::string& urlText, const std::string& targetText)
      : url(urlText), target(targetText) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionGetURL; }
  u32 GetEncodedSize() const override { return EncodedSizeFor(u32(url.size() + target.size() + 2)); }

  std::string url;
  std::string target;
};

class CSwfActionStoreRegister : public CSwfAction {
 public:
  explicit CSwfActionStoreRegister(u8 registerNumber = 0) : reg(registerNumber) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionStoreRegister; }
  u32 GetEncodedSize() const override { return 4; }

  u8 reg;
};

class CSwfActionConstantPool : public CSwfAction {
 public:
  CSwfActionConstantPool() = default;
  explicit CSwfActionConstantPool(const std::string& text) { AddUniqueString(text); }
  CSwfActionConstantPool(const CSwfActionConstantPool&) = default;
  CSwfActionConstantPool& operator=(const CSwfActionConstantPool&) = default;

  // The u16 length, the u16 count (not trusted), then strings while the
  // declared length holds bytes.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionConstantPool; }
  u32 GetEncodedSize() const override;

  static constexpr u32 kAppend = 0xFFFFFFFF;
  // Inserts before `position`, or appends when it is at or past the end.
  void InsertString(const std::string& text, u32 position = kAppend);
  // The same, only when the text is not in the pool yet.
  void AddUniqueString(const std::string& text, u32 position = kAppend);
  // The index of the first equal string, -1 when there is none.
  int IndexOf(const char* text) const;
  // The string at index; past the end (or negative) the last one; "" for an
  // empty pool.
  std::string GetString(int index) const;
  [[nodiscard]] bool RemoveString(int index);
  u32 GetCount() const { return u32(strings.size()); }
  // Empties the pool and the prefix.
  void Clear();
  void SetPathPrefix(const char* prefix);

  std::vector<std::string> strings;
  std::string pathPrefix;
};

class CSwfActionWaitForFrame : public CSwfAction {
 public:
  explicit CSwfActionWaitForFrame(u16 frameNumber = 0, u8 skip = 0)
      : frame(frameNumber), skipCount(skip) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionWaitForFrame; }
  void ShiftFrames(u16 idDelta, u16 depthDelta, u16 frameDelta) override;
  u32 GetEncodedSize() const override { return 6; }

  u16 frame;
  u8 skipCount;
};

class CSwfActionSetTarget : public CSwfAction {
 public:
  CSwfActionSetTarget() = default;
  explicit CSwfActionSetTarget(const std::string& text) : target(text) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionSetTarget; }
  u32 GetEncodedSize() const override {
    return EncodedSizeFor(u32(pathPrefix.size() + target.size() + 1));
  }
  // Kept only for an absolute target (one beginning with "/"); otherwise
  // the stored prefix is emptied.
  void SetPathPrefix(const char* prefix);

  std::string target;
  std::string pathPrefix;
};

class CSwfActionGoToLabel : public CSwfAction {
 public:
  CSwfActionGoToLabel() = default;
  explicit CSwfActionGoToLabel(const std::string& text) : label(text) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionGoToLabel; }
  u32 GetEncodedSize() const override { return EncodedSizeFor(u32(label.size() + 1)); }

  std::string label;
};

class CSwfActionWaitForFrame2 : public CSwfAction {
 public:
  explicit CSwfActionWaitForFrame2(u8 skip = 0) : skipCount(skip) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionWaitForFrame2; }
  u32 GetEncodedSize() const override { return 4; }

  u8 skipCount;
};

class CSwfActionWith : public CSwfAction {
 public:
  CSwfActionWith() = default;
  explicit CSwfActionWith(const std::string& text) : name(text) {}
  // The name follows only when the declared length is 3 or more.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionWith; }
  u32 GetEncodedSize() const override { return name.empty() ? 5 : EncodedSizeFor(u32(name.size() + 3)); }

  u16 blockSize = 0;
  std::string name;
};

// One value of a Push: a type byte and its data.
struct CSwfPushValue {
  enum : u8 {
    kString = 0,
    kFloat = 1,
    kNull = 2,
    kUndefined = 3,
    kRegister = 4,
    kBoolean = 5,
    kDouble = 6,
    kInteger = 7,
    kConstant8 = 8,
    kConstant16 = 9,
  };
  u8 type = kNull;
  std::string text;  // kString
  u64 bits = 0;      // every other type: the value, a float's or double's raw bits

  // Bytes on the wire, the type byte included.
  u32 GetSize() const;
};

// The values of a Push, in the engine's object pool.
using CSwfPushValueList = std::vector<CSwfPushValue, CSwfPoolAllocator<CSwfPushValue>>;

class CSwfActionPush : public CSwfAction {
 public:
  static constexpr u32 kAppend = 0xFFFFFFFF;

  CSwfActionPush() = default;
  explicit CSwfActionPush(s32 value) { AddInteger(u32(value)); }
  explicit CSwfActionPush(double value) { AddDouble(value); }
  explicit CSwfActionPush(bool value) { AddBoolean(value ? 1 : 0); }
  explicit CSwfActionPush(const char* text) { AddString(text); }
  explicit CSwfActionPush(const std::string& text) { AddString(text); }
  // A register (type 4), an 8-bit (8) or a 16-bit constant index (9);
  // nothing for any other type.
  CSwfActionPush(u16 value, u8 type);
  // A float given by its raw bits.
  [[nodiscard]] static std::unique_ptr<CSwfActionPush> FromFloatBits(u32 bits);
  CSwfActionPush(const CSwfActionPush& other) { *this = other; }
  CSwfActionPush& operator=(const CSwfActionPush& other);

  // Values while the declared length lasts, every read inside it. A value
  // that the declared length cuts short is kept as its raw bytes (the tail)
  // and written back as it was, so the Push keeps its length. Types 2 and
  // above 9 are held as null without data.
  u32 Read(CSwfReader& reader) override;
  // One Push; or, when the values take more than a length word can announce,
  // several in a row, each holding as many values as fit (pushing them one
  // Push after the other is the same). A value that no Push can hold (a
  // string grown by the path prefix) is left out.
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionPush; }
  u32 GetEncodedSize() const override;

  // Each inserts before `position` (or appends) and returns the value's
  // size; a string too long for any Push is refused (0, nothing added).
  u32 AddString(const std::string& text, u32 position = kAppend);
  u32 AddString(const char* text, u32 position = kAppend);
  u32 AddFloat(u32 bits, u32 position = kAppend);
  u32 AddNull(u32 position = kAppend);
  u32 AddUndefined(u32 position = kAppend);
  u32 AddRegister(u8 reg, u32 position = kAppend);
  u32 AddBoolean(u8 value, u32 position = kAppend);
  u32 AddDouble(double value, u32 position = kAppend);
  u32 AddInteger(u32 value, u32 position = kAppend);
  u32 AddConstant8(u8 index, u32 position = kAppend);
  u32 AddConstant16(u16 index, u32 position = kAppend);
  void Clear();

  // A null prefix removes it.
  void SetPathPrefix(const char* prefix);
  // The same from a wide string; false (and nothing changed) when a
  // character has no form in the application's encoding.
  [[nodiscard]] bool SetPathPrefix(const wchar_t* prefix);
  const std::string& GetPathPrefix() const { return m_pathPrefix; }
  // The bytes the prefix adds: its length for each string value that begins
  // with "/" or equals "_root".
  u32 GetPrefixBytes() const;

  const CSwfPushValueList& GetValues() const { return m_values; }
  // The bytes of a value cut short by the declared length of a Push that
  // was read, after the whole values.
  const std::vector<u8>& GetTail() const { return m_tail; }
  // The values' sizes and the tail's, without the prefix.
  u32 GetPayloadLength() const { return m_payloadLength; }

 private:
  u32 AddValue(CSwfPushValue value, u32 position);
  // Reads the values of a payload held whole in memory; false, leaving a
  // part read, when a value runs past the payload's end.
  [[nodiscard]] bool ReadPayload(const u8* payload, u32 length);
  // Reads one value; false, with nothing added, when the declared length
  // ends before it does.
  [[nodiscard]] bool ReadValue(CSwfReader& reader);
  // The bytes a value takes as written, the prefix included.
  u32 GetWrittenSize(const CSwfPushValue& value) const;
  // The payload lengths of the Pushes this one is written as (see Write).
  std::vector<u32> GetPayloadRuns() const;

  CSwfPushValueList m_values;
  std::vector<u8> m_tail;
  u32 m_payloadLength = 0;
  std::string m_pathPrefix;
};

// Jump and If: a signed byte offset from the end of the action. Once
// resolved against its list, a branch knows the run of actions it spans, and
// the list brings the offset up to date from their present sizes when it
// resolves or writes, so that edits which change the size of spanned actions
// (a relocated path) keep the branch on its target.
class CSwfActionJump : public CSwfAction {
 public:
  explicit CSwfActionJump(s16 offsetBytes = 0) : m_offset(offsetBytes) {}
  // The offset is copied; the span is the copy's own to resolve.
  CSwfActionJump(const CSwfActionJump& other)
      : CSwfAction(other), m_offset(other.m_offset), m_outOfReach(other.m_outOfReach) {}
  CSwfActionJump& operator=(const CSwfActionJump&) = delete;

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionJump; }
  u32 GetEncodedSize() const override { return 5; }

  s16 GetOffset() const { return m_offset; }
  // Sets the offset; the span is dropped until resolved again.
  void SetOffset(s16 offsetBytes);
  // Adds to the offset (an open branch growing over a new action).
  void GrowOffset(u32 bytes);
  // Whether the branch spans more bytes than its 16-bit offset reaches
  // (grown or synced past it); such a list cannot be written.
  bool IsOutOfReach() const { return m_outOfReach; }
  // `starts` holds the byte position of each action of the list and, last,
  // the position of its end. Finds the actions the offset spans: forward
  // from the action after the branch at `position`, or backward from the
  // branch itself towards the start of the list. Only an offset that lands
  // on an action boundary inside the list has a span.
  void ResolveSpan(const std::vector<u64>& starts, u32 position);
  // The offset from the present sizes of the spanned actions.
  void SyncOffset(const std::vector<u64>& starts);
  bool IsSpanExact() const { return m_spanExact; }
  // The number of actions spanned (0 without a span).
  u32 GetSpanLength() const { return m_spanExact ? m_spanEnd - m_spanBegin : 0; }

 private:
  // The span: the list's actions [m_spanBegin, m_spanEnd).
  u32 m_spanBegin = 0, m_spanEnd = 0;
  s16 m_offset;
  bool m_spanExact = false;
  bool m_outOfReach = false;
};

class CSwfActionIf : public CSwfActionJump {
 public:
  explicit CSwfActionIf(s16 offsetBytes = 0) : CSwfActionJump(offsetBytes) {}
  u8 GetOpcode() const override { return kActionIf; }
};

class CSwfActionGetURL2 : public CSwfAction {
 public:
  explicit CSwfActionGetURL2(u8 flags = 0) : method(flags) {}
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionGetURL2; }
  u32 GetEncodedSize() const override { return 4; }

  u8 method;
};

class CSwfActionDefineFunction : public CSwfAction {
 public:
  CSwfActionDefineFunction() = default;
  explicit CSwfActionDefineFunction(const std::string& text) : name(text) {}
  CSwfActionDefineFunction(const CSwfActionDefineFunction&) = default;
  CSwfActionDefineFunction& operator=(const CSwfActionDefineFunction&) = default;

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionDefineFunction; }
  u32 GetEncodedSize() const override;

  void SetName(const std::string& text) { name = text; }
  [[nodiscard]] bool SetParam(u32 index, const std::string& text);
  [[nodiscard]] bool RemoveParam(u32 index);
  void Clear();

  std::string name;
  std::vector<std::string> params;
  u16 codeSize = 0;
};

class CSwfActionGotoFrame2 : public CSwfAction {
 public:
  explicit CSwfActionGotoFrame2(u8 flagBits = 0) : flags(flagBits) {}
  // Flags, the scene bias when flag 2 is set, and a pad byte: one that the
  // declared length holds, or a 0 that follows and is not the last byte of
  // the enclosing body.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return kActionGotoFrame2; }
  u32 GetEncodedSize() const override { return GetLength() + 3u; }
  // Where the enclosing body ends (0: unknown).
  void SetBodyEnd(u32 position) { bodyEnd = position; }

  u8 flags;
  u16 sceneBias = 0;
  u32 bodyEnd = 0;
  u8 padded = 0;

 private:
  u16 GetLength() const { return u16(1 + ((flags & 2) ? 2 : 0) + (padded ? 1 : 0)); }
};
