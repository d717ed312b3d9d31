// Class tags: the head of every record of the authoring document, which
// tells a reader the class of the object that follows.
//
// The first object of a class in a stream opens with the full tag, FF FF,
// the schema word 01 00, the class name (16-bit length, then its bytes) and
// the object's version word 01 00. Every later object of that class opens
// with the short tag: the 16-bit word 0x8000 | class index, then 01 00. The
// words of a tag are always little-endian, whatever the writer's byte order.
//
// The class index is the caller's index base plus a fixed offset of the
// class (5 for "CPicFrame", 7 for the other element classes). A short tag
// can hold indexes up to 0x7FFE; a larger one is refused (nothing written,
// 0 returned), as 0xFFFF is the mark of a full tag.
//
// `CClassTagWriter` keeps one object counter per class for one document: a
// class's first tag is full, the following ones short. ResetAll() clears
// them before each stream, so that a stream never refers to a class it did
// not introduce itself.
#pragma once

#include "foundation/data_writer.h"
#include "platform/mac_types.h"

enum class EPicClass { kButton, kFrame, kShape, kSprite, kSymbol, kText, kVideoStream };

constexpr int kPicClassCount = 7;
constexpr u32 kShortClassTagLimit = 0x7FFE;

// The serialised class name ("CPicShape"...).
const char* PicClassName(EPicClass picClass);
// The class's offset added to the caller's index base.
u32 PicClassIndexOffset(EPicClass picClass);

// FF FF 01 00, the name (at most its first 65535 bytes), 01 00.
u32 WriteFullClassTag(CDataWriter& writer, const char* className);
// The word 0x8000 | index, then 01 00; 0 and nothing written when the index
// is past kShortClassTagLimit.
[[nodiscard]] u32 WriteShortClassTag(CDataWriter& writer, u32 classIndex);

class CClassTagWriter {
 public:
  // The full or the short tag of the class by its counter; the counter then
  // moves on. 0 when the short tag's index is refused (the counter stays).
  [[nodiscard]] u32 WriteTag(CDataWriter& writer, EPicClass picClass, u32 indexBase);
  [[nodiscard]] u32 WriteFrameTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kFrame, indexBase);
  }
  [[nodiscard]] u32 WriteButtonTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kButton, indexBase);
  }
  [[nodiscard]] u32 WriteShapeTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kShape, indexBase);
  }
  [[nodiscard]] u32 WriteSpriteTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kSprite, indexBase);
  }
  [[nodiscard]] u32 WriteSymbolTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kSymbol, indexBase);
  }
  [[nodiscard]] u32 WriteTextTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kText, indexBase);
  }
  [[nodiscard]] u32 WriteVideoStreamTag(CDataWriter& writer, u32 indexBase) {
    return WriteTag(writer, EPicClass::kVideoStream, indexBase);
  }
  // "CPicPage": always the full tag, after one byte 01.
  u32 WritePageTag(CDataWriter& writer);
  // "CColorDef": only the class name with its 16-bit length; the swatch
  // table writes the rest itself.
  u32 WriteColorDefTag(CDataWriter& writer);

  void ResetCounter(EPicClass picClass) { counters_[int(picClass)] = 0; }
  void ResetAll();
  u64 GetCounter(EPicClass picClass) const { return counters_[int(picClass)]; }

 private:
  u64 counters_[kPicClassCount] = {};
};
