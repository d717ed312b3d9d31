#include "swf/swf_action.h"

#include <algorithm>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

u32 CSwfAction::Read(CSwfReader&) { return 0; }

u32 CSwfAction::Write(CSwfBitWriter& writer) {
  writer.WriteU8(GetOpcode());
  return 1;
}

void CSwfAction::ShiftFrames(u16, u16, u16) {}

void CSwfAction::WriteHeader(CSwfBitWriter& writer, u32 payloadLength) const {
  writer.WriteU8(GetOpcode());
  writer.WriteU16(u16(payloadLength));
}

u32 CSwfAction::WriteBytePayload(CSwfBitWriter& writer, u8 value) const {
  WriteHeader(writer, 1);
  writer.WriteU8(value);
  return 4;
}

CSwfGenericAction::CSwfGenericAction(u8 opcode, const std::vector<u8>& payload)
    : m_payload(opcode >= 0x80 ? payload : std::vector<u8>()),
      m_opcode(opcode),
      m_length(u16(std::min<size_t>(m_payload.size(), kMaxPayloadLength))) {}

u32 CSwfGenericAction::Read(CSwfReader& reader) {
  m_payload.clear();
  m_length = 0;
  if (m_opcode < 0x80) return 0;
  const u32 start = reader.GetPosition();
  m_length = reader.ReadU16();
  reader.ReadBytes(m_payload, m_length);
  return reader.GetPosition() - start;
}

u32 CSwfGenericAction::Write(CSwfBitWriter& writer) {
  if (m_opcode < 0x80) return CSwfAction::Write(writer);
  if (m_payload.size() > kMaxPayloadLength) return 0;
  WriteHeader(writer, u32(m_payload.size()));
  writer.AppendBytes(m_payload);
  return GetEncodedSize();
}

// From what Write emits, so that branch offsets over a generic action hold
// even when the payload was cut short by the end of its body.
u32 CSwfGenericAction::GetEncodedSize() const {
  if (m_opcode < 0x80) return 1;
  return m_payload.size() > kMaxPayloadLength ? 0 : u32(m_payload.size()) + 3;
}
