#include "swf/swf_records.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// The widest signed field a 5-bit width can announce.
constexpr u32 kMaxFieldBits = 31;
// The widest field of a colour transform (its width field has 4 bits).
constexpr u32 kMaxCxformBits = 15;

u32 Magnitude(s32 value) { return value < 0 ? 0u - u32(value) : u32(value); }

// The width of signed fields sharing one width field, at most maxBits.
// CountBitsNeeded gives a negative power of two one bit more than it needs,
// so a value that fits maxBits exactly (such as -2^30 in 31 bits) still fits.
u32 SharedWidth(std::initializer_list<s32> values, u32 maxBits) {
  u32 largest = 0;
  for (s32 value : values) largest = std::max(largest, Magnitude(value));
  return std::min(CountBitsNeeded(largest, true), maxBits);
}

// The value limited to what a signed field of `bits` bits holds.
s32 FitSigned(s32 value, u32 bits) {
  if (bits >= 32) return value;
  const s32 high = s32((u32(1) << (bits - 1)) - 1);
  return std::clamp(value, -high - 1, high);
}

void WriteSigned(CSwfBitWriter& writer, s32 value, u32 bits) {
  writer.WriteBits(u32(FitSigned(value, bits)), bits);
}

// Bytes read since `start`, a partly read last byte counted.
u32 ConsumedSince(const CSwfReader& reader, u32 start) {
  return reader.GetPosition() - start + (reader.GetBitPosition() ? 1 : 0);
}

// A fixed-point term from a real value, limited to the 32-bit range.
s32 ToFixed(double value) {
  const double rounded = std::trunc(value);
  if (!(rounded == rounded)) return 0;
  return s32(std::clamp(rounded, -2147483648.0, 2147483647.0));
}

s32 ChannelTerm(u32 color, int shift) {
  return ToFixed(double((color >> shift) & 0xFF) / 255.0 * 256.0 + 0.5);
}

}  // namespace

u32 CountBitsNeeded(u32 value, bool isSigned) {
  u32 bits = 0;
  while (value) {
    ++bits;
    value >>= 1;
  }
  return bits + (isSigned ? 1 : 0);
}

// Colours

u32 CSwfRgb::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  red = reader.ReadU8();
  green = reader.ReadU8();
  blue = reader.ReadU8();
  return reader.GetPosition() - start;
}

u32 CSwfRgb::Write(CSwfBitWriter& writer) {
  writer.WriteU8(red);
  writer.WriteU8(green);
  writer.WriteU8(blue);
  return 3;
}

void CSwfRgb::CopyFrom(const CSwfRgb& other) { Set(other.red, other.green, other.blue); }

void CSwfRgb::Set(u8 r, u8 g, u8 b) {
  red = r;
  green = g;
  blue = b;
}

u32 CSwfRgba::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  CSwfRgb::Read(reader);
  alpha = reader.ReadU8();
  return reader.GetPosition() - start;
}

u32 CSwfRgba::Write(CSwfBitWriter& writer) {
  CSwfRgb::Write(writer);
  writer.WriteU8(alpha);
  return 4;
}

void CSwfRgba::Set(u8 r, u8 g, u8 b, u8 a) {
  CSwfRgb::Set(r, g, b);
  alpha = a;
}

// Rectangle

void CSwfRect::Set(s32 xMinimum, s32 yMinimum, s32 xMaximum, s32 yMaximum, bool inPixels) {
  const s64 factor = inPixels ? 20 : 1;
  auto scaled = [factor](s32 value) {
    return s32(std::clamp<s64>(value * factor, INT32_MIN, INT32_MAX));
  };
  xMin = scaled(xMinimum);
  yMin = scaled(yMinimum);
  xMax = scaled(xMaximum);
  yMax = scaled(yMaximum);
}

u32 CSwfRect::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  const u16 bits = u16(reader.ReadBits(5, false));
  xMin = s32(reader.ReadBits(bits, true));
  xMax = s32(reader.ReadBits(bits, true));
  yMin = s32(reader.ReadBits(bits, true));
  yMax = s32(reader.ReadBits(bits, true));
  reader.AlignByte();
  return reader.GetPosition() - start;
}

u32 CSwfRect::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  const u32 bits = SharedWidth({xMin, xMax, yMin, yMax}, kMaxFieldBits);
  writer.WriteBits(bits, 5);
  for (s32 value : {xMin, xMax, yMin, yMax}) WriteSigned(writer, value, bits);
  writer.FlushBits();
  return writer.GetByteCount() - before;
}

// Matrix

u32 CSwfMatrix::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  hasScale = u8(reader.ReadBits(1, false));
  if (hasScale) {
    const u16 bits = u16(reader.ReadBits(5, false));
    scaleX = s32(reader.ReadBits(bits, true));
    scaleY = s32(reader.ReadBits(bits, true));
  }
  hasRotate = u8(reader.ReadBits(1, false));
  if (hasRotate) {
    const u16 bits = u16(reader.ReadBits(5, false));
    rotateSkew0 = s32(reader.ReadBits(bits, true));
    rotateSkew1 = s32(reader.ReadBits(bits, true));
  }
  const u16 bits = u16(reader.ReadBits(5, false));
  translateX = s32(reader.ReadBits(bits, true));
  translateY = s32(reader.ReadBits(bits, true));
  return ConsumedSince(reader, start);
}

u32 CSwfMatrix::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  auto writePair = [&writer](s32 first, s32 second) {
    const u32 bits = SharedWidth({first, second}, kMaxFieldBits);
    writer.WriteBits(bits, 5);
    WriteSigned(writer, first, bits);
    WriteSigned(writer, second, bits);
  };
  writer.WriteBits(hasScale ? 1 : 0, 1);
  if (hasScale) writePair(scaleX, scaleY);
  writer.WriteBits(hasRotate ? 1 : 0, 1);
  if (hasRotate) writePair(rotateSkew0, rotateSkew1);
  if (translateX == 0 && translateY == 0) {
    writer.WriteBits(0, 5);
  } else {
    writePair(translateX, translateY);
  }
  return writer.GetByteCount() - before;
}

CSwfMatrix* CreateSwfMatrix(s32 translateX, s32 translateY, double scaleX, double scaleY,
                            double rotateX, double rotateY) {
  auto matrix = std::make_unique<CSwfMatrix>();
  double sx = scaleX;
  double sy = scaleY;
  if (rotateX != 0.0 || rotateY != 0.0) {
    const float radiansX = float(rotateX * 0.017453292519943295);
    const float radiansY = float(rotateY * 0.017453292519943295);
    matrix->rotateSkew0 = ToFixed(double(std::sin(radiansX)) * scaleX * 65536.0 + 0.5);
    matrix->rotateSkew1 = ToFixed(double(-std::sin(radiansY)) * scaleY * 65536.0 + 0.5);
    matrix->hasRotate = 1;
    sx = double(std::cos(radiansX)) * scaleX;
    sy = double(std::cos(radiansY)) * scaleY;
  }
  if (sx != 1.0 || sy != 1.0) {
    matrix->scaleX = ToFixed(sx * 65536.0 + 0.5);
    matrix->scaleY = ToFixed(sy * 65536.0 + 0.5);
    matrix->hasScale = 1;
  }
  matrix->translateX = translateX;
  matrix->translateY = translateY;
  return matrix.release();
}

// Colour transforms

u32 CSwfCxform::ReadTerms(CSwfReader& reader, s32* alphaMult, s32* alphaAdd) {
  const u32 start = reader.GetPosition();
  hasAddTerms = u8(reader.ReadBits(1, false));
  hasMultTerms = u8(reader.ReadBits(1, false));
  const u16 bits = u16(reader.ReadBits(4, false));
  auto readFour = [&](s32& r, s32& g, s32& b, s32* a, bool present, s32 absent) {
    for (s32* term : {&r, &g, &b, a}) {
      if (term) *term = present ? s32(reader.ReadBits(bits, true)) : absent;
    }
  };
  readFour(redMultTerm, greenMultTerm, blueMultTerm, alphaMult, hasMultTerms, 256);
  if (hasAddTerms) readFour(redAddTerm, greenAddTerm, blueAddTerm, alphaAdd, true, 0);
  return ConsumedSince(reader, start);
}

u32 CSwfCxform::WriteTerms(CSwfBitWriter& writer, const s32* alphaMult,
                           const s32* alphaAdd) const {
  const u32 before = writer.GetByteCount();
  const u32 bits =
      SharedWidth({redMultTerm, greenMultTerm, blueMultTerm, alphaMult ? *alphaMult : 0,
                   redAddTerm, greenAddTerm, blueAddTerm, alphaAdd ? *alphaAdd : 0},
                  kMaxCxformBits);
  writer.WriteBits(hasAddTerms ? 1 : 0, 1);
  writer.WriteBits(hasMultTerms ? 1 : 0, 1);
  writer.WriteBits(bits, 4);
  auto writeFour = [&](s32 r, s32 g, s32 b, const s32* a) {
    for (s32 term : {r, g, b}) WriteSigned(writer, term, bits);
    if (a) WriteSigned(writer, *a, bits);
  };
  if (hasMultTerms) writeFour(redMultTerm, greenMultTerm, blueMultTerm, alphaMult);
  if (hasAddTerms) writeFour(redAddTerm, greenAddTerm, blueAddTerm, alphaAdd);
  return writer.GetByteCount() - before;
}

u32 CSwfCxform::Read(CSwfReader& reader) {
  Reset();
  return ReadTerms(reader, nullptr, nullptr);
}

u32 CSwfCxform::Write(CSwfBitWriter& writer) { return WriteTerms(writer, nullptr, nullptr); }

void CSwfCxform::Reset() {
  redMultTerm = greenMultTerm = blueMultTerm = 0;
  redAddTerm = greenAddTerm = blueAddTerm = 0;
  hasAddTerms = hasMultTerms = 0;
}

void CSwfCxform::SetMultiplyTerms(s32 r, s32 g, s32 b) {
  redMultTerm = r;
  greenMultTerm = g;
  blueMultTerm = b;
}

void CSwfCxform::SetSolidColor(u32 color) {
  redMultTerm = greenMultTerm = blueMultTerm = 0;
  redAddTerm = ChannelTerm(color, 0);
  greenAddTerm = ChannelTerm(color, 8);
  blueAddTerm = ChannelTerm(color, 16);
  hasAddTerms = hasMultTerms = 1;
}

void CSwfCxform::SetColorScale(double value) {
  const double limited = value > 1.0 ? 1.0 : (value > 0.0 ? value : 0.0);
  redMultTerm = greenMultTerm = blueMultTerm = ToFixed(limited * 256.0 + 0.5);
  redAddTerm = greenAddTerm = blueAddTerm = 0;
  hasMultTerms = 1;
  hasAddTerms = 0;
}

void CSwfCxform::SetMultiplyColor(u32 color) {
  redMultTerm = ChannelTerm(color, 0);
  greenMultTerm = ChannelTerm(color, 8);
  blueMultTerm = ChannelTerm(color, 16);
  hasAddTerms = 0;
  hasMultTerms = 1;
}

u32 CSwfCxformWithAlpha::Read(CSwfReader& reader) {
  Reset();
  const u32 consumed = ReadTerms(reader, &alphaMultTerm, &alphaAddTerm);
  SetAlphaMultiply(alphaMultTerm, false);
  return consumed;
}

u32 CSwfCxformWithAlpha::Write(CSwfBitWriter& writer) {
  return WriteTerms(writer, &alphaMultTerm, &alphaAddTerm);
}

void CSwfCxformWithAlpha::Reset() {
  CSwfCxform::Reset();
  alphaMultTerm = alphaAddTerm = 0;
}

void CSwfCxformWithAlpha::SetSolidColor(u32 color) {
  alphaMultTerm = 256;
  alphaAddTerm = 0;
  CSwfCxform::SetSolidColor(color);
}

void CSwfCxformWithAlpha::SetColorScale(double value) {
  alphaMultTerm = 256;
  alphaAddTerm = 0;
  CSwfCxform::SetColorScale(value);
}

void CSwfCxformWithAlpha::SetMultiplyColor(u32 color) {
  alphaMultTerm = 256;
  alphaAddTerm = 0;
  CSwfCxform::SetMultiplyColor(color);
}

void CSwfCxformWithAlpha::SetAlphaMultiply(s32 alpha, bool setColorTermsTo256) {
  alphaMultTerm = alpha;
  if (setColorTermsTo256) redMultTerm = greenMultTerm = blueMultTerm = 256;
  hasMultTerms = 1;
}
