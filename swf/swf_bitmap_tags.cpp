#include "swf/swf_bitmap_tags.h"

#include <algorithm>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_resource_movies.h"

namespace {

// Room for `bytes` more in the writer, growing it geometrically so that a
// movie of many bitmaps is not copied again for each one.
void ReserveFor(CSwfBitWriter& writer, u64 bytes) {
  const u64 needed = u64(writer.GetByteCount()) + bytes + 1;
  if (needed <= writer.GetCapacity() || needed > 0xFFFFFFFFu) return;
  writer.Reserve(u32(std::min<u64>(std::max<u64>(needed, u64(writer.GetCapacity()) * 2), 0xFFFFFFFFu)));
}

// JPEG bytes of a tag: with a known body length, the body after the id;
// with length 0, bytes up to the given number of end-of-image markers
// (0xFF 0xD9; the byte after a 0xFF is taken with it, so 0xFF 0xFF 0xD9 is
// no marker), never past the data.
void ReadJpegBytes(CSwfReader& reader, u32 tagLength, int markers, std::vector<u8>& out) {
  out.clear();
  if (tagLength != 0) {
    reader.ReadBytes(out, tagLength >= 2 ? tagLength - 2 : 0);
    return;
  }
  int found = 0;
  while (found < markers && reader.GetRemaining() > 0) {
    const u8 byte = reader.ReadU8();
    out.push_back(byte);
    if (byte != 0xFF || reader.GetRemaining() == 0) continue;
    const u8 next = reader.ReadU8();
    out.push_back(next);
    if (next == 0xD9) ++found;
  }
}

// Writes a tag of a body of `bodySize` bytes whose fields `writeBody` puts
// into the writer after the header; nothing when the size does not fit the
// length field. Returns the bytes the writer grew by.
template <typename WriteBody>
u32 WriteBitmapTag(CSwfBitWriter& writer, const CSwfTag& tag, u64 bodySize, bool forceLong,
                   WriteBody writeBody) {
  if (bodySize > 0xFFFFFFFFu) return 0;
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  ReserveFor(writer, bodySize + 6);
  writer.WriteTagHeader(tag, u32(bodySize), forceLong);
  writeBody();
  return writer.GetByteCount() - before;
}

}  // namespace

// ---- DefineBits ----

u32 CSwfDefineBits::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  SetCharacterId(reader.ReadU16());
  ReadJpegBytes(reader, m_tagLength, 1, m_jpegData);
  return reader.GetPosition() - start;
}

u32 CSwfDefineBits::Write(CSwfBitWriter& writer) {
  return WriteBitmapTag(writer, *this, u64(m_jpegData.size()) + 2, false, [&] {
    writer.WriteU16(m_characterId);
    writer.AppendBytes(m_jpegData);
  });
}

void CSwfDefineBits::Reset() {
  m_characterId = 0;
  m_jpegData.clear();
}

void CSwfDefineBits::OffsetIds(u16 idDelta, u16, u16) { m_characterId = u16(m_characterId + idDelta); }

void CSwfDefineBits::CopyFrom(const CSwfDefineBits& other) {
  m_characterId = other.m_characterId;
  m_jpegData = other.m_jpegData;
}

void CSwfDefineBits::SetData(u16 id, const std::vector<u8>& data) {
  m_characterId = id;
  m_jpegData = data;
}

// ---- JPEGTables ----

u32 CSwfJPEGTables::Read(CSwfReader& reader) {
  m_data.clear();
  return reader.ReadBytes(m_data, m_tagLength);
}

u32 CSwfJPEGTables::Write(CSwfBitWriter& writer) {
  return WriteBitmapTag(writer, *this, m_data.size(), false, [&] { writer.AppendBytes(m_data); });
}

void CSwfJPEGTables::Reset() { m_data.clear(); }

// ---- DefineBitsJPEG2 ----

CSwfDefineBitsJPEG2::CSwfDefineBitsJPEG2(u16 id, const u8* bytes, u32 count) {
  m_characterId = id;
  if (bytes) m_jpegData.assign(bytes, bytes + count);
}

CSwfDefineBitsJPEG2::CSwfDefineBitsJPEG2(u16 id, const std::vector<u8>& bytes) {
  m_characterId = id;
  m_jpegData = bytes;
}

CSwfDefineBitsJPEG2::CSwfDefineBitsJPEG2(const CSwfDefineBitsJPEG2& other)
    : CSwfCharacterTag(other), m_jpegData(other.m_jpegData) {}

u32 CSwfDefineBitsJPEG2::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  SetCharacterId(reader.ReadU16());
  ReadJpegBytes(reader, m_tagLength, 2, m_jpegData);
  return reader.GetPosition() - start;
}

u32 CSwfDefineBitsJPEG2::Write(CSwfBitWriter& writer) {
  return WriteBitmapTag(writer, *this, u64(m_jpegData.size()) + 2, false, [&] {
    writer.WriteU16(m_characterId);
    writer.AppendBytes(m_jpegData);
  });
}

void CSwfDefineBitsJPEG2::Reset() {
  m_characterId = 0;
  m_jpegData.clear();
}

void CSwfDefineBitsJPEG2::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

void CSwfDefineBitsJPEG2::SetData(u16 id, const std::vector<u8>& data) {
  m_characterId = id;
  m_jpegData = data;
}

// ---- DefineBitsJPEG3 ----

CSwfDefineBitsJPEG3::CSwfDefineBitsJPEG3(u16 id, const u8* jpeg, u32 jpegCount, const u8* alpha,
                                         u32 alphaCount)
    : CSwfDefineBitsJPEG2(id, jpeg, jpegCount) {
  m_alphaDataOffset = u32(m_jpegData.size());
  if (alpha) m_alphaData.assign(alpha, alpha + alphaCount);
}

u32 CSwfDefineBitsJPEG3::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_jpegData.clear();
  m_alphaData.clear();
  SetCharacterId(reader.ReadU16());
  m_alphaDataOffset = reader.ReadU32();
  reader.ReadBytes(m_jpegData, m_alphaDataOffset);
  const u32 length = reader.GetTagLength();
  const u64 header = u64(m_alphaDataOffset) + 6;
  if (length > header) reader.ReadBytes(m_alphaData, u32(length - header));
  return reader.GetPosition() - start;
}

u32 CSwfDefineBitsJPEG3::Write(CSwfBitWriter& writer) {
  const u64 jpegCount = m_jpegData.size();
  if (jpegCount > 0xFFFFFFFFu) return 0;
  return WriteBitmapTag(writer, *this, jpegCount + m_alphaData.size() + 6, false, [&] {
    writer.WriteU16(m_characterId);
    writer.WriteU32(u32(jpegCount));
    writer.AppendBytes(m_jpegData);
    writer.AppendBytes(m_alphaData);
  });
}

void CSwfDefineBitsJPEG3::Reset() {
  CSwfDefineBitsJPEG2::Reset();
  m_alphaDataOffset = 0;
  m_alphaData.clear();
}

void CSwfDefineBitsJPEG3::SetData(u16 id, const std::vector<u8>& data) {
  CSwfDefineBitsJPEG2::SetData(id, data);
  m_alphaDataOffset = u32(m_jpegData.size());
}

// ---- DefineBitsLossless ----

u32 CSwfDefineBitsLossless::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_zlibData.clear();
  SetCharacterId(reader.ReadU16());
  m_format = reader.ReadU8();
  SetWidth(reader.ReadU16());
  SetHeight(reader.ReadU16());
  m_colorTableSize = m_format == 3 ? reader.ReadU8() : 0;
  const u32 consumed = reader.GetPosition() - start;
  const u32 length = reader.GetTagLength();
  if (length > consumed) reader.ReadBytes(m_zlibData, length - consumed);
  return reader.GetPosition() - start;
}

u32 CSwfDefineBitsLossless::Write(CSwfBitWriter& writer) {
  const u64 fields = m_format == 3 ? 8 : 7;
  return WriteBitmapTag(writer, *this, fields + m_zlibData.size(), true, [&] {
    writer.WriteU16(m_characterId);
    writer.WriteU8(m_format);
    writer.WriteU16(m_width);
    writer.WriteU16(m_height);
    if (m_format == 3) writer.WriteU8(m_colorTableSize);
    writer.AppendBytes(m_zlibData);
  });
}

void CSwfDefineBitsLossless::Reset() {
  m_characterId = 0;
  m_width = m_height = 0;
  ClearData();
}

void CSwfDefineBitsLossless::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

void CSwfDefineBitsLossless::ClearData() {
  m_zlibData.clear();
  m_colorTableSize = 0;
}

void CSwfDefineBitsLossless::SetData(const u8* bytes, u32 count) {
  m_zlibData.assign(bytes, bytes + (bytes ? count : 0));
}

// ---- resources ----

CSwfDefineBitsLossless* LoadLosslessBitmapResource(ResID id) {
  std::unique_ptr<CSwfTag> bitmap =
      TakeTagFromResourceMovie(FourCC("xDAS"), id, {kSwfDefineBitsLosslessCode, kSwfDefineBitsLossless2Code});
  return static_cast<CSwfDefineBitsLossless*>(bitmap.release());
}

CSwfDefineBitsJPEG3* LoadJpeg3BitmapResource(ResID id) {
  std::unique_ptr<CSwfTag> bitmap = TakeTagFromResourceMovie(FourCC("xDAS"), id, {kSwfDefineBitsJPEG3Code});
  return static_cast<CSwfDefineBitsJPEG3*>(bitmap.release());
}
