#include "swf/swf_gradient.h"

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

std::unique_ptr<CSwfRgb> NewSwfColor(bool alpha) {
  if (alpha) return std::make_unique<CSwfRgba>(0, 0, 0, 255);
  return std::make_unique<CSwfRgb>(0, 0, 0);
}

std::unique_ptr<CSwfRgb> CopySwfColor(const CSwfRgb* color, bool alpha) {
  std::unique_ptr<CSwfRgb> copy = NewSwfColor(alpha);
  if (!color) return copy;
  copy->CopyFrom(*color);
  if (alpha) {
    const auto* source = dynamic_cast<const CSwfRgba*>(color);
    static_cast<CSwfRgba*>(copy.get())->alpha = source ? source->alpha : 255;
  }
  return copy;
}

void WriteSwfColor(CSwfBitWriter& writer, const CSwfRgb* color, bool alpha) {
  const CSwfRgb black;
  const CSwfRgb& rgb = color ? *color : black;
  writer.WriteU8(rgb.red);
  writer.WriteU8(rgb.green);
  writer.WriteU8(rgb.blue);
  if (!alpha) return;
  const auto* rgba = dynamic_cast<const CSwfRgba*>(color);
  writer.WriteU8(rgba ? rgba->alpha : 255);
}

// ---- gradient record ----

CSwfGradRecord::CSwfGradRecord(u8 r, CSwfRgb* c, u8 alpha) : color(c), ratio(r), withAlpha(alpha) {}

CSwfGradRecord::CSwfGradRecord(u8 r, u32 packed, u8 alpha) : ratio(r), withAlpha(alpha) {
  color = NewSwfColor(alpha != 0);
  color->Set(u8(packed), u8(packed >> 8), u8(packed >> 16));
}

CSwfGradRecord::CSwfGradRecord(const CSwfGradRecord& other) : CSwfRecord() { *this = other; }

CSwfGradRecord& CSwfGradRecord::operator=(const CSwfGradRecord& other) {
  if (&other == this) return *this;
  ratio = other.ratio;
  withAlpha = other.withAlpha;
  color = other.color ? CopySwfColor(other.color.get(), withAlpha != 0) : nullptr;
  return *this;
}

u32 CSwfGradRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  ratio = reader.ReadU8();
  color = NewSwfColor(withAlpha != 0);
  color->Read(reader);
  return reader.GetPosition() - start;
}

u32 CSwfGradRecord::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  if (!color) color = NewSwfColor(withAlpha != 0);
  writer.WriteU8(ratio);
  WriteSwfColor(writer, color.get(), withAlpha != 0);
  return writer.GetByteCount() - before;
}

// ---- gradient ----

CSwfGradient::CSwfGradient(const CSwfGradient& other) : CSwfRecord() { *this = other; }

CSwfGradient& CSwfGradient::operator=(const CSwfGradient& other) {
  if (&other == this) return *this;
  Clear();
  withAlpha = other.withAlpha;
  for (const auto& record : other.m_records)
    m_records.push_back(std::make_unique<CSwfGradRecord>(*record));
  return *this;
}

u32 CSwfGradient::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  const u8 count = reader.ReadU8();
  for (u32 i = 0; i < count && reader.HoldsMoreRecords(); ++i) {
    auto record = std::make_unique<CSwfGradRecord>();
    record->withAlpha = withAlpha;
    record->Read(reader);
    EmplaceCharged(m_records, std::move(record));
  }
  return reader.GetPosition() - start;
}

u32 CSwfGradient::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU8(u8(m_records.size()));
  for (const auto& record : m_records) {
    record->withAlpha = withAlpha;
    record->Write(writer);
  }
  return writer.GetByteCount() - before;
}

void CSwfGradient::Clear() { m_records.clear(); }

bool CSwfGradient::AddRecord(CSwfGradRecord* record) {
  std::unique_ptr<CSwfGradRecord> owned(record);
  if (!owned || m_records.size() >= kMaxRecords) return false;
  m_records.push_back(std::move(owned));
  return true;
}

void CSwfGradient::SetBlackToWhite() {
  Clear();
  m_records.push_back(std::make_unique<CSwfGradRecord>(0, u32(0x000000), 0));
  m_records.push_back(std::make_unique<CSwfGradRecord>(255, u32(0xFFFFFF), 0));
}
