#include "swf/swf_unknown_tag.h"

#include "platform/byte_order.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

CSwfUnknownTag::CSwfUnknownTag(u16 code, u32 length) : m_code(code), m_length(length) {}

u32 CSwfUnknownTag::Read(CSwfReader& reader) {
  m_data.clear();
  m_length = reader.ReadBytes(m_data, m_length);
  return m_length;
}

u32 CSwfUnknownTag::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  writer.WriteTagHeader(*this, u32(m_data.size()), false);
  writer.AppendBytes(m_data);
  return writer.GetByteCount() - before;
}

void CSwfUnknownTag::Reset() {
  m_data.clear();
  m_length = 0;
}

void CSwfUnknownTag::SetData(const u8* bytes, u32 count) {
  m_data.assign(bytes, bytes + (bytes ? count : 0));
  m_length = u32(m_data.size());
}

bool WriteWithNewId(const u8* bytes, u32 length, u16 id, CSwfBitWriter& writer) {
  if (!bytes || length < 2) return false;
  u64 header = 2;
  u64 body = bytes[0] & 63;
  if (body == 63) {
    if (length < 6) return false;
    header = 6;
    body = plat::GetLittle32(bytes + 2);
  }
  if (body < 2 || header + body != length) return false;
  std::vector<u8> copy(bytes, bytes + length);
  copy[header] = u8(id);
  copy[header + 1] = u8(id >> 8);
  writer.AppendBytes(copy);
  return true;
}

void EncodeTagHeader(std::vector<u8>& out, const CSwfTag& tag, u32 length, bool forceLong) {
  EncodeTagHeader(out, tag.GetCode(), length, forceLong);
}

void EncodeTagHeader(std::vector<u8>& out, u16 code, u32 length, bool forceLong) {
  u8 header[6];
  out.insert(out.end(), header, header + EncodeTagHeader(header, code, length, forceLong));
}

u32 EncodeTagHeader(u8* out, u16 code, u32 length, bool forceLong) {
  const bool longForm = forceLong || length > 62;
  const u16 word = u16((code << 6) | (longForm ? 63 : length));
  out[0] = u8(word);
  out[1] = u8(word >> 8);
  if (!longForm) return 2;
  for (int i = 0; i < 4; ++i) out[2 + i] = u8(length >> (8 * i));
  return 6;
}
