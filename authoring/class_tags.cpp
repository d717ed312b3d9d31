#include "authoring/class_tags.h"

#include <cstring>

namespace {

void WriteLittleEndianWord(CDataWriter& writer, u16 value) {
  writer.WriteUInt8(u8(value));
  writer.WriteUInt8(u8(value >> 8));
}

// The 16-bit length, then that many bytes of the name.
void WriteClassName(CDataWriter& writer, const char* className) {
  size_t length = className ? std::strlen(className) : 0;
  if (length > 0xFFFF) length = 0xFFFF;
  WriteLittleEndianWord(writer, u16(length));
  writer.WriteBytes(className, length);
}

constexpr u16 kFullTagMark = 0xFFFF;
constexpr u16 kSchema = 1;
constexpr u16 kObjectVersion = 1;
constexpr u16 kShortTagFlag = 0x8000;

}  // namespace

const char* PicClassName(EPicClass picClass) {
  switch (picClass) {
    case EPicClass::kButton: return "CPicButton";
    case EPicClass::kFrame: return "CPicFrame";
    case EPicClass::kShape: return "CPicShape";
    case EPicClass::kSprite: return "CPicSprite";
    case EPicClass::kSymbol: return "CPicSymbol";
    case EPicClass::kText: return "CPicText";
    case EPicClass::kVideoStream: return "CPicVideoStream";
  }
  return "";
}

u32 PicClassIndexOffset(EPicClass picClass) { return picClass == EPicClass::kFrame ? 5 : 7; }

u32 WriteFullClassTag(CDataWriter& writer, const char* className) {
  const u32 before = writer.GetSize();
  WriteLittleEndianWord(writer, kFullTagMark);
  WriteLittleEndianWord(writer, kSchema);
  WriteClassName(writer, className);
  WriteLittleEndianWord(writer, kObjectVersion);
  return writer.GetSize() - before;
}

u32 WriteShortClassTag(CDataWriter& writer, u32 classIndex) {
  if (classIndex > kShortClassTagLimit) return 0;
  const u32 before = writer.GetSize();
  WriteLittleEndianWord(writer, u16(kShortTagFlag | classIndex));
  WriteLittleEndianWord(writer, kObjectVersion);
  return writer.GetSize() - before;
}

u32 CClassTagWriter::WriteTag(CDataWriter& writer, EPicClass picClass, u32 indexBase) {
  u64& counter = counters_[int(picClass)];
  u32 written = 0;
  if (counter == 0) {
    written = WriteFullClassTag(writer, PicClassName(picClass));
  } else {
    const u64 index = u64(indexBase) + PicClassIndexOffset(picClass);
    if (index > kShortClassTagLimit) return 0;
    written = WriteShortClassTag(writer, u32(index));
  }
  ++counter;
  return written;
}

u32 CClassTagWriter::WritePageTag(CDataWriter& writer) {
  const u32 before = writer.GetSize();
  writer.WriteUInt8(0x01);
  WriteFullClassTag(writer, "CPicPage");
  return writer.GetSize() - before;
}

u32 CClassTagWriter::WriteColorDefTag(CDataWriter& writer) {
  const u32 before = writer.GetSize();
  WriteClassName(writer, "CColorDef");
  return writer.GetSize() - before;
}

void CClassTagWriter::ResetAll() {
  for (u64& counter : counters_) counter = 0;
}
