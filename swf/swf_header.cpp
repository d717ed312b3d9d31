#include "swf/swf_header.h"

#include <cmath>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

u32 CSwfHeader::Read(CSwfReader& reader) { return Read(reader, true); }

u32 CSwfHeader::Read(CSwfReader& reader, bool checkSignature) {
  const u32 start = reader.GetPosition();
  if (checkSignature) {
    if (reader.ReadU8() != 'F' || reader.ReadU8() != 'W' || reader.ReadU8() != 'S') return 0;
    m_version = reader.ReadU8();
  }
  m_fileLength = reader.ReadU32();
  m_frameSize.Read(reader);
  const u8 fraction = reader.ReadU8();
  const u8 integer = reader.ReadU8();
  m_frameRate = f32(integer) + f32(fraction) / 256.0f;
  m_frameCount = reader.ReadU16();
  return reader.GetPosition() - start;
}

u32 CSwfHeader::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  writer.WriteU8('F');
  writer.WriteU8('W');
  writer.WriteU8('S');
  writer.WriteU8(m_version);
  writer.WriteU32(m_fileLength);
  m_frameSize.Write(writer);
  // 8.8 fixed point, fraction byte first; the low 8 bits of each part.
  double rate = std::isfinite(m_frameRate) ? double(m_frameRate) : 0.0;
  if (rate > 2147483647.0 || rate < -2147483648.0) rate = 0.0;
  const double whole = std::trunc(rate);
  writer.WriteU8(u8(s64((rate - whole) * 256.0) & 0xFF));
  writer.WriteU8(u8(s64(whole) & 0xFF));
  writer.WriteU16(m_frameCount);
  return writer.GetByteCount() - before;
}

void CSwfHeader::SetParams(s32 xMin, s32 yMin, s32 xMax, s32 yMax, f32 rate, u8 version) {
  m_frameSize.Set(xMin, yMin, xMax, yMax, false);
  m_frameRate = rate;
  m_version = version;
}

void CSwfHeader::SetParams(u32 width, u32 height, f32 rate, u16 frameCount, u8 version) {
  m_frameSize.Set(0, 0, s32(width), s32(height), false);
  m_frameRate = rate;
  m_frameCount = frameCount;
  m_version = version;
}

u32 CSwfHeader::GetWidth() const { return u32(m_frameSize.xMax) - u32(m_frameSize.xMin); }

u32 CSwfHeader::GetHeight() const { return u32(m_frameSize.yMax) - u32(m_frameSize.yMin); }
