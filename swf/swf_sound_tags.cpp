#include "swf/swf_sound_tags.h"


#include "platform/byte_order.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// Id, format byte and sample count of a DefineSound.
constexpr u32 kDefineSoundFields = 7;

}  // namespace

// ---- sound info ----

CSwfSoundInfo& CSwfSoundInfo::operator=(const CSwfSoundInfo& other) {
  if (&other == this) return *this;
  flags = other.flags;
  inPoint = other.inPoint;
  outPoint = other.outPoint;
  loopCount = other.loopCount;
  envelopeCount = other.envelopeCount;
  m_envelope.clear();
  for (const auto& point : other.m_envelope)
    m_envelope.push_back(std::make_unique<CSwfSoundEnvelope>(*point));
  return *this;
}

u32 CSwfSoundInfo::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_envelope.clear();
  flags = reader.ReadU8();
  inPoint = (flags & kHasInPoint) ? reader.ReadU32() : 0;
  outPoint = (flags & kHasOutPoint) ? reader.ReadU32() : 0;
  loopCount = (flags & kHasLoops) ? reader.ReadU16() : 0;
  envelopeCount = 0;
  if (flags & kHasEnvelope) {
    envelopeCount = reader.ReadU8();
    for (u32 i = 0; i < envelopeCount && reader.HoldsMoreRecords(); ++i) {
      auto point = std::make_unique<CSwfSoundEnvelope>();
      point->pos44 = reader.ReadU32();
      point->leftLevel = reader.ReadU16();
      point->rightLevel = reader.ReadU16();
      EmplaceCharged(m_envelope, std::move(point));
    }
  }
  return reader.GetPosition() - start;
}

u32 CSwfSoundInfo::Write(CSwfBitWriter& writer) const {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU8(flags);
  if (flags & kHasInPoint) writer.WriteU32(inPoint);
  if (flags & kHasOutPoint) writer.WriteU32(outPoint);
  if (flags & kHasLoops) writer.WriteU16(loopCount);
  if (flags & kHasEnvelope) {
    writer.WriteU8(u8(m_envelope.size()));
    for (const auto& point : m_envelope) {
      writer.WriteU32(point->pos44);
      writer.WriteU16(point->leftLevel);
      writer.WriteU16(point->rightLevel);
    }
  }
  return writer.GetByteCount() - before;
}

CSwfSoundEnvelope* CSwfSoundInfo::AddEnvelopePoint() {
  if (m_envelope.size() >= kMaxEnvelopePoints) return nullptr;
  m_envelope.push_back(std::make_unique<CSwfSoundEnvelope>());
  flags |= kHasEnvelope;
  return m_envelope.back().get();
}

// ---- DefineSound ----

u32 CSwfDefineSound::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  const u32 length = reader.GetTagLength();
  m_data.clear();
  m_characterId = reader.ReadU16();
  m_format = reader.ReadU8();
  m_sampleCount = reader.ReadU32();
  if (length > kDefineSoundFields) reader.ReadBytes(m_data, length - kDefineSoundFields);
  return reader.GetPosition() - start;
}

u32 CSwfDefineSound::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  body.WriteU8(m_format);
  body.WriteU32(m_sampleCount);
  body.AppendBytes(m_data);
  return writer.WriteTag(*this, body);
}

void CSwfDefineSound::Reset() {
  m_characterId = 0;
  m_format = 0;
  m_sampleCount = 0;
  m_data.clear();
}

void CSwfDefineSound::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

void CSwfDefineSound::SetData(const u8* bytes, u32 length, bool append) {
  if (!append) m_data.clear();
  if (bytes) m_data.insert(m_data.end(), bytes, bytes + length);
}

bool CSwfDefineSound::SetFromTagBytes(const u8* bytes, u32 size) {
  if (!bytes || size < 2) return false;
  const u16 word = u16(bytes[0] | (bytes[1] << 8));
  u32 headerSize = 2;
  u32 length = word & 63;
  if (length == 63) {
    if (size < 6) return false;
    length = plat::GetLittle32(bytes + 2);
    headerSize = 6;
  }
  if ((word >> 6) != kSwfDefineSoundCode || length < kDefineSoundFields ||
      length > size - headerSize)
    return false;
  const u8* body = bytes + headerSize;
  m_characterId = u16(body[0] | (body[1] << 8));
  m_format = body[2];
  m_sampleCount = plat::GetLittle32(body + 3);
  m_data.assign(body + kDefineSoundFields, body + length);
  return true;
}

// ---- StartSound ----

u32 CSwfStartSound::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_characterId = reader.ReadU16();
  info.Read(reader);
  return reader.GetPosition() - start;
}

u32 CSwfStartSound::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  info.Write(body);
  return writer.WriteTag(*this, body);
}

void CSwfStartSound::Reset() {
  m_characterId = 0;
  info = CSwfSoundInfo();
}

void CSwfStartSound::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

// ---- stream heads ----

u32 CSwfSoundStreamHead::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_playbackFormat = reader.ReadU8();
  m_streamFormat = reader.ReadU8();
  m_sampleCount = reader.ReadU16();
  m_latencySeek = 0;
  if (GetCompression() == kSwfSoundMp3 && reader.GetRemaining() >= 2)
    m_latencySeek = s16(reader.ReadU16());
  return reader.GetPosition() - start;
}

u32 CSwfSoundStreamHead::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU8(m_playbackFormat & 0x0F);
  body.WriteU8(m_streamFormat);
  body.WriteU16(m_sampleCount);
  if (GetCompression() == kSwfSoundMp3) body.WriteS16(m_latencySeek);
  return writer.WriteTag(*this, body);
}

void CSwfSoundStreamHead::Reset() {
  m_playbackFormat = 0;
  m_streamFormat = 0;
  m_sampleCount = 0;
  m_latencySeek = 0;
}

void CSwfSoundStreamHead::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

// ---- stream blocks ----

u32 CSwfSoundStreamBlock::Read(CSwfReader& reader) {
  m_data.clear();
  return reader.ReadBytes(m_data, reader.GetTagLength());
}

u32 CSwfSoundStreamBlock::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.AppendBytes(m_data);
  return writer.WriteTag(*this, body);
}

void CSwfSoundStreamBlock::ExtractSoundData(std::vector<u8>& out,
                                            const CSwfSoundStreamHead* head) const {
  if (!head) return;
  // An MP3 block begins with its sample count and seek (u16 each).
  const size_t skip = head->GetCompression() == kSwfSoundMp3 ? 4 : 0;
  if (m_data.size() <= skip) return;
  out.insert(out.end(), m_data.begin() + long(skip), m_data.end());
}
