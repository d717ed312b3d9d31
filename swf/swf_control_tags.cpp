#include "swf/swf_control_tags.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

u32 CSwfEnd::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  return writer.EndTag(*this, mark);
}

CSwfSetBackgroundColor::CSwfSetBackgroundColor(u32 color)
    : m_color(u8(color), u8(color >> 8), u8(color >> 16)) {}

u32 CSwfSetBackgroundColor::Read(CSwfReader& reader) { return m_color.Read(reader); }

u32 CSwfSetBackgroundColor::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  m_color.Write(writer);
  return writer.EndTag(*this, mark);
}

u32 CSwfSetBackgroundColor::GetColor() const {
  return u32(m_color.red) | (u32(m_color.green) << 8) | (u32(m_color.blue) << 16);
}

u32 CSwfFrameLabel::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadString(m_label, 0);
  m_anchor = 0;
  if (reader.GetVersion() >= 6 && reader.GetRemaining() > 0) m_anchor = reader.ReadU8();
  return reader.GetPosition() - start;
}

u32 CSwfFrameLabel::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.AppendTerminatedString(m_label);
  if (writer.GetVersion() >= 6) writer.WriteU8(m_anchor);
  return writer.EndTag(*this, mark);
}

u32 CSwfProtect::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  return writer.EndTag(*this, mark);
}

u32 CSwfEnableDebugger::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadString(m_password, 0);
  return reader.GetPosition() - start;
}

u32 CSwfEnableDebugger::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.AppendTerminatedString(m_password);
  return writer.EndTag(*this, mark);
}

u32 CSwfEnableDebugger2::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_reserved = reader.ReadU16();
  reader.ReadString(m_password, 0);
  return reader.GetPosition() - start;
}

u32 CSwfEnableDebugger2::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.WriteU16(m_reserved);
  writer.AppendTerminatedString(m_password);
  return writer.EndTag(*this, mark);
}

// ---- assets ----

u32 CSwfAssetRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  characterId = reader.ReadU16();
  reader.ReadString(name, 0);
  return reader.GetPosition() - start;
}

u32 CSwfAssetRecord::Write(CSwfBitWriter& writer) const {
  writer.WriteU16(characterId);
  writer.AppendTerminatedString(name);
  return u32(name.size() + 3);
}

void CSwfAssetList::OffsetIds(u16 idDelta, u16, u16) {
  for (CSwfAssetRecord& record : m_assets) record.characterId = u16(record.characterId + idDelta);
}

void CSwfAssetList::Insert(CSwfAssetRecord* record, u32 index) {
  if (!record) return;
  const std::unique_ptr<CSwfAssetRecord> owned(record);
  Insert(std::move(*owned), index);
}

void CSwfAssetList::Insert(CSwfAssetRecord record, u32 index) {
  m_assets.insert(index < m_assets.size() ? m_assets.begin() + index : m_assets.end(), std::move(record));
}

bool CSwfAssetList::Remove(u32 index) {
  if (index >= m_assets.size()) return false;
  m_assets.erase(m_assets.begin() + index);
  return true;
}

void CSwfAssetList::Clear() { m_assets.clear(); }

void CSwfAssetList::ReadAssets(CSwfReader& reader) {
  const u16 count = reader.ReadU16();
  for (u16 i = 0; i < count && reader.HoldsMoreRecords(); ++i) EmplaceCharged(m_assets).Read(reader);
}

u32 CSwfAssetList::WriteAssetTags(CSwfBitWriter& writer, const std::string* url) const {
  constexpr size_t kMaxRecords = 0xFFFF;
  u32 written = 0;
  size_t next = 0;
  do {
    CSwfBitWriter body(writer.GetVersion());
    if (url) body.AppendTerminatedString(*url);
    const size_t count = std::min(m_assets.size() - next, kMaxRecords);
    body.WriteU16(u16(count));
    for (size_t i = next; i < next + count; ++i) m_assets[i].Write(body);
    next += count;
    written += writer.WriteTag(*this, body);
  } while (next < m_assets.size());
  return written;
}

u32 CSwfExportAssets::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  ReadAssets(reader);
  return reader.GetPosition() - start;
}

u32 CSwfExportAssets::Write(CSwfBitWriter& writer) { return WriteAssetTags(writer, nullptr); }

u32 CSwfImportAssets::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  reader.ReadString(m_url, 0);
  ReadAssets(reader);
  return reader.GetPosition() - start;
}

u32 CSwfImportAssets::Write(CSwfBitWriter& writer) { return WriteAssetTags(writer, &m_url); }

void CSwfImportAssets::Clear() {
  CSwfAssetList::Clear();
  m_url.clear();
}
