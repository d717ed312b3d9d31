#include "authoring/doc_records.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

// v clamped to 0..1; not a number gives 0.
double UnitFraction(double v) {
  if (!(v >= 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

// The integer part of a fraction of 256 plus a half: 0..256 (the value is
// never negative, so this rounds halves up).
u16 FractionTo256(double fraction) { return u16(std::floor(UnitFraction(fraction) * 256.0 + 0.5)); }

void WriteRaw(CDataWriter& writer, std::initializer_list<u8> bytes) {
  for (u8 byte : bytes) writer.WriteUInt8(byte);
}

}  // namespace

u32 CDocMatrix::Write(CDataWriter& writer) const {
  const u32 before = writer.GetSize();
  for (s32 word : {scaleX, rotateSkew0, rotateSkew1, scaleY, translateX, translateY}) writer.WriteUInt32(u32(word));
  return writer.GetSize() - before;
}

void CDocColorTransform::SetAlpha(double alpha) {
  redMultiplier = greenMultiplier = blueMultiplier = 256;
  alphaMultiplier = FractionTo256(alpha);
}

void CDocColorTransform::SetTint(u32 color) {
  redMultiplier = greenMultiplier = blueMultiplier = 0;
  alphaMultiplier = 256;
  alphaAdd = 0;
  redAdd = s16(FractionTo256(double(color & 0xFF) / 255.0));
  greenAdd = s16(FractionTo256(double(color >> 8 & 0xFF) / 255.0));
  blueAdd = s16(FractionTo256(double(color >> 16 & 0xFF) / 255.0));
}

void CDocColorTransform::SetBrightness(double brightness) {
  redMultiplier = greenMultiplier = blueMultiplier = FractionTo256(brightness);
  alphaMultiplier = 256;
  redAdd = greenAdd = blueAdd = alphaAdd = 0;
}

u32 CDocColorTransform::Write(CDataWriter& writer) const {
  const u32 before = writer.GetSize();
  writer.WriteUInt16(alphaMultiplier);
  writer.WriteInt16(alphaAdd);
  writer.WriteUInt16(redMultiplier);
  writer.WriteInt16(redAdd);
  writer.WriteUInt16(greenMultiplier);
  writer.WriteInt16(greenAdd);
  writer.WriteUInt16(blueMultiplier);
  writer.WriteInt16(blueAdd);
  return writer.GetSize() - before;
}

CDocGradientStop::CDocGradientStop(u8 stopRatio, u32 color)
    : ratio(stopRatio), rgba(PackRgba(u8(color), u8(color >> 8), u8(color >> 16), 0xFF)) {}

u32 CDocGradientStop::Write(CDataWriter& writer) const {
  const u32 before = writer.GetSize();
  writer.WriteUInt8(ratio);
  writer.WriteUInt32(rgba);
  return writer.GetSize() - before;
}

bool CDocGradient::AddStop(const CDocGradientStop& stop) {
  if (stops_.size() >= kMaxStops) return false;
  stops_.push_back(stop);
  return true;
}

u32 CDocGradient::Write(CDataWriter& writer) const {
  const u32 before = writer.GetSize();
  writer.WriteUInt8(u8(stops_.size()));
  for (const CDocGradientStop& stop : stops_) stop.Write(writer);
  return writer.GetSize() - before;
}

bool CStringToPascal(const char* text, Str255 out) {
  out[0] = 0;
  const size_t length = text ? std::strlen(text) : 0;
  if (length > 255) return false;
  out[0] = u8(length);
  if (length > 0) std::memcpy(out + 1, text, length);
  return true;
}

std::string PascalToCString(ConstStr255Param pascal) {
  if (!pascal) return std::string();
  return std::string(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
}

void NumberToPascal(s32 value, Str255 out) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", int(value));
  if (!CStringToPascal(text, out)) out[0] = 0;  // never: at most 11 characters
}

u32 WriteInstanceRecord(CDataWriter& writer, const CDocInstance& instance) {
  const u32 before = writer.GetSize();
  WriteRaw(writer, {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x80, 0x08});
  instance.matrix.Write(writer);
  WriteRaw(writer, {0x00, 0x00, 0x00, 0x00, 0x01});
  instance.colorTransform.Write(writer);
  WriteRaw(writer, {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
  writer.WriteUInt16(instance.instanceKind);
  WriteRaw(writer, {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
                    0x00, 0x00});
  // An element whose action writer puts nothing down (an empty list) is
  // written as one without actions, or the record could not be read.
  const u32 beforeActions = writer.GetSize();
  if (instance.writeActions) instance.writeActions(writer);
  if (writer.GetSize() == beforeActions) WriteRaw(writer, {0x02, 0x00, 0x00, 0x00});
  writer.WriteUInt8(0x00);
  return writer.GetSize() - before;
}
