#include "swf/swf_text_tags.h"

#include <algorithm>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

u32 Magnitude(s32 value) { return value < 0 ? 0u - u32(value) : u32(value); }

// A colour as the record kind wants it: three bytes, or four with alpha
// (opaque when the colour held has none).
void WriteColor(CSwfBitWriter& writer, const CSwfRgb* color, bool rgbOnly) {
  const CSwfRgb black;
  const CSwfRgb& rgb = color ? *color : black;
  writer.WriteU8(rgb.red);
  writer.WriteU8(rgb.green);
  writer.WriteU8(rgb.blue);
  if (rgbOnly) return;
  const CSwfRgba* rgba = dynamic_cast<const CSwfRgba*>(color);
  writer.WriteU8(rgba ? rgba->alpha : 255);
}

// The text up to its first zero byte: what a zero-terminated field can hold.
std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

// ---- style record ----

CSwfTextStyleRecord::CSwfTextStyleRecord(u8 head, u8 rgbOnly) {
  m_head = u8(head | kTextStyleRecord);
  m_rgbOnly = rgbOnly ? 1 : 0;
}

CSwfTextStyleRecord::CSwfTextStyleRecord(const CSwfTextStyleRecord& other)
    : CSwfTextRecord(other),
      m_fontId(other.m_fontId),
      m_xOffset(other.m_xOffset),
      m_yOffset(other.m_yOffset),
      m_textHeight(other.m_textHeight) {
  if (const auto* rgba = dynamic_cast<const CSwfRgba*>(other.m_color.get()))
    m_color = std::make_unique<CSwfRgba>(*rgba);
  else if (other.m_color)
    m_color = std::make_unique<CSwfRgb>(*other.m_color);
}

void CSwfTextStyleRecord::Clear() {
  m_fontId = 0;
  m_color.reset();
  m_xOffset = m_yOffset = 0;
  m_textHeight = 0;
}

u32 CSwfTextStyleRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  if (m_head & kTextStyleHasFont) m_fontId = reader.ReadU16();
  if (m_head & kTextStyleHasColor) {
    m_color = m_rgbOnly ? std::make_unique<CSwfRgb>() : std::make_unique<CSwfRgba>();
    m_color->Read(reader);
  }
  if (m_head & kTextStyleHasXOffset) m_xOffset = s16(reader.ReadU16());
  if (m_head & kTextStyleHasYOffset) m_yOffset = s16(reader.ReadU16());
  if (m_head & kTextStyleHasFont) m_textHeight = reader.ReadU16();
  return reader.GetPosition() - start;
}

u32 CSwfTextStyleRecord::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  const bool hasX = (m_head & kTextStyleHasXOffset) || m_xOffset != 0;
  const bool hasY = (m_head & kTextStyleHasYOffset) || m_yOffset != 0;
  const u8 head = u8(kTextStyleRecord | (m_head & (kTextStyleReserved | kTextStyleHasFont | kTextStyleHasColor)) |
                     (hasY ? kTextStyleHasYOffset : 0) | (hasX ? kTextStyleHasXOffset : 0));
  writer.WriteU8(head);
  if (head & kTextStyleHasFont) writer.WriteU16(m_fontId);
  if (head & kTextStyleHasColor) WriteColor(writer, m_color.get(), m_rgbOnly != 0);
  if (hasX) writer.WriteS16(m_xOffset);
  if (hasY) writer.WriteS16(m_yOffset);
  if (head & kTextStyleHasFont) writer.WriteU16(m_textHeight);
  return writer.GetByteCount() - before;
}

void CSwfTextStyleRecord::SetFontId(u16 id) {
  m_fontId = id;
  m_head |= kTextStyleHasFont;
}

void CSwfTextStyleRecord::SetTextHeight(u16 height) {
  m_textHeight = height;
  m_head |= kTextStyleHasFont;
}

void CSwfTextStyleRecord::SetColor(CSwfRgb* color) {
  m_color.reset(color);
  m_head |= kTextStyleHasColor;
}

void CSwfTextStyleRecord::SetXOffset(s16 x) {
  m_xOffset = x;
  m_head |= kTextStyleHasXOffset;
}

void CSwfTextStyleRecord::SetYOffset(s16 y) {
  m_yOffset = y;
  m_head |= kTextStyleHasYOffset;
}

void CSwfTextStyleRecord::OffsetFontId(u16 delta) {
  if (m_fontId != 0) SetFontId(u16(m_fontId + delta));
}

// ---- glyph record ----

CSwfTextGlyphRecord::CSwfTextGlyphRecord(u8 count, u8 rgbOnly) {
  m_head = count;
  m_rgbOnly = rgbOnly ? 1 : 0;
}

void CSwfTextGlyphRecord::SetBits(u8 glyphBits, u8 advanceBits) {
  m_glyphBits = glyphBits;
  m_advanceBits = advanceBits;
}

u32 CSwfTextGlyphRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_entries.clear();
  m_entries.reserve(m_head);
  for (u32 i = 0; i < m_head; ++i) {
    CSwfGlyphEntry entry;
    entry.glyphIndex = reader.ReadBits(m_glyphBits, false);
    entry.advance = s32(reader.ReadBits(m_advanceBits, true));
    m_entries.push_back(entry);
  }
  reader.AlignByte();
  return reader.GetPosition() - start;
}

u32 CSwfTextGlyphRecord::Write(CSwfBitWriter& writer) {
  return WriteRange(writer, 0, std::min<size_t>(m_entries.size(), kMaxEntries));
}

u32 CSwfTextGlyphRecord::WriteRange(CSwfBitWriter& writer, size_t first, size_t count) const {
  const u32 before = writer.GetByteCount();
  writer.WriteU8(u8(count));
  for (size_t i = first; i < first + count && i < m_entries.size(); ++i) {
    writer.WriteBits(m_entries[i].glyphIndex, m_glyphBits);
    writer.WriteSignedBits(m_entries[i].advance, m_advanceBits);
  }
  writer.FlushBits();
  return writer.GetByteCount() - before;
}

// ---- DefineText ----

CSwfDefineText::CSwfDefineText() = default;

CSwfDefineText::CSwfDefineText(u16 id, CSwfRect* bounds, CSwfMatrix* matrix, u8 glyphBits,
                               u8 advanceBits) {
  CSwfDefineText::Set(id, bounds, matrix, glyphBits, advanceBits);
}

CSwfDefineText::~CSwfDefineText() = default;

void CSwfDefineText::Clear() {
  m_bounds.reset();
  m_matrix.reset();
  m_records.clear();
}

void CSwfDefineText::Set(u16 id, CSwfRect* bounds, CSwfMatrix* matrix, u8 glyphBits, u8 advanceBits) {
  SetCharacterId(id);
  m_bounds.reset(bounds);
  m_matrix.reset(matrix);
  m_glyphBits = glyphBits;
  m_advanceBits = advanceBits;
}

void CSwfDefineText::SetMinimumBits(u8 glyphBits, u8 advanceBits) {
  m_minGlyphBits = glyphBits;
  m_minAdvanceBits = advanceBits;
}

void CSwfDefineText::AddRecord(CSwfTextRecord* record) { AddRecord(std::unique_ptr<CSwfTextRecord>(record)); }

void CSwfDefineText::AddRecord(std::unique_ptr<CSwfTextRecord> record) {
  if (record) m_records.push_back(std::move(record));
}

void CSwfDefineText::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
  for (const auto& record : m_records)
    if (auto* style = dynamic_cast<CSwfTextStyleRecord*>(record.get())) style->OffsetFontId(idDelta);
}

u32 CSwfDefineText::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  const u8 rgbOnly = IsRgbOnly() ? 1 : 0;
  SetCharacterId(reader.ReadU16());
  m_bounds = std::make_unique<CSwfRect>();
  m_bounds->Read(reader);
  reader.AlignByte();
  m_matrix = std::make_unique<CSwfMatrix>();
  m_matrix->Read(reader);
  reader.AlignByte();
  m_glyphBits = m_minGlyphBits = reader.ReadU8();
  m_advanceBits = m_minAdvanceBits = reader.ReadU8();

  auto readGlyphs = [&](u8 count) {
    auto glyphs = std::make_unique<CSwfTextGlyphRecord>(count, rgbOnly);
    glyphs->SetBits(m_glyphBits, m_advanceBits);
    glyphs->Read(reader);
    EmplaceCharged(m_records, std::move(glyphs));
  };
  // Each pass takes at least one byte, and an exhausted body reads as the end.
  for (;;) {
    const u8 head = reader.ReadU8();
    if (head == 0) break;
    if (!(head & kTextStyleRecord)) {
      readGlyphs(head);
      continue;
    }
    auto style = std::make_unique<CSwfTextStyleRecord>(head, rgbOnly);
    style->Read(reader);
    EmplaceCharged(m_records, std::move(style));
    if (reader.PeekByte() != 0) {
      readGlyphs(reader.ReadU8());
      continue;
    }
    // A zero after a style record ends the list, unless more records follow
    // it: then it was a glyph count of 0.
    reader.ReadU8();
    if (reader.GetRemaining() == 0) break;
    readGlyphs(0);
  }
  return reader.GetPosition() - start;
}

void CSwfDefineText::ComputeBits() {
  u32 largestIndex = 0;
  u32 largestAdvance = 0;
  for (const auto& record : m_records) {
    const auto* glyphs = dynamic_cast<const CSwfTextGlyphRecord*>(record.get());
    if (!glyphs) continue;
    for (const CSwfGlyphEntry& entry : glyphs->GetEntries()) {
      largestIndex = std::max(largestIndex, entry.glyphIndex);
      largestAdvance = std::max(largestAdvance, Magnitude(entry.advance));
    }
  }
  m_glyphBits = u8(std::max<u32>(CountBitsNeeded(largestIndex, false), m_minGlyphBits));
  m_advanceBits = u8(std::max<u32>(CountBitsNeeded(largestAdvance, true), m_minAdvanceBits));
  for (const auto& record : m_records)
    if (auto* glyphs = dynamic_cast<CSwfTextGlyphRecord*>(record.get()))
      glyphs->SetBits(m_glyphBits, m_advanceBits);
}

u32 CSwfDefineText::Write(CSwfBitWriter& writer) {
  ComputeBits();
  const u8 rgbOnly = IsRgbOnly() ? 1 : 0;
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  CSwfRect noBounds;
  (m_bounds ? m_bounds.get() : &noBounds)->Write(body);
  body.FlushBits();
  CSwfMatrix identity;
  (m_matrix ? m_matrix.get() : &identity)->Write(body);
  body.FlushBits();
  body.WriteU8(m_glyphBits);
  body.WriteU8(m_advanceBits);

  constexpr size_t kAfterStyle = CSwfTextGlyphRecord::kMaxEntries;
  constexpr size_t kStandalone = CSwfTextGlyphRecord::kMaxStandaloneEntries;
  for (size_t i = 0; i < m_records.size(); ++i) {
    CSwfTextRecord* record = m_records[i].get();
    record->SetRgbOnly(rgbOnly);
    if (!record->IsStyleRecord()) {
      // A glyph record on its own: its count keeps the top bit clear, and an
      // empty one would read as the end of the list.
      const auto& glyphs = static_cast<const CSwfTextGlyphRecord&>(*record);
      const size_t count = glyphs.GetEntries().size();
      for (size_t first = 0; first < count; first += kStandalone)
        glyphs.WriteRange(body, first, std::min(kStandalone, count - first));
      continue;
    }
    record->Write(body);
    CSwfTextRecord* next = i + 1 < m_records.size() ? m_records[i + 1].get() : nullptr;
    if (!next) break;
    if (next->IsStyleRecord()) {
      // No glyphs: the count 0 keeps the next style record from reading as one.
      body.WriteU8(0);
      continue;
    }
    ++i;
    next->SetRgbOnly(rgbOnly);
    const auto& glyphs = static_cast<const CSwfTextGlyphRecord&>(*next);
    const size_t count = glyphs.GetEntries().size();
    glyphs.WriteRange(body, 0, std::min(kAfterStyle, count));
    // The rest of a long run, each part behind a style record that changes nothing.
    for (size_t first = kAfterStyle; first < count; first += kAfterStyle) {
      body.WriteU8(kTextStyleRecord);
      glyphs.WriteRange(body, first, std::min(kAfterStyle, count - first));
    }
  }
  body.WriteU8(0);
  return writer.WriteTag(*this, body);
}

// ---- DefineEditText ----

CSwfDefineEditText::CSwfDefineEditText() { CSwfDefineEditText::Reset(); }

CSwfDefineEditText::~CSwfDefineEditText() = default;

void CSwfDefineEditText::Clear() {
  m_bounds.reset();
  m_color.reset();
  m_fontClass.clear();
  m_variableName.clear();
  m_initialText.clear();
}

void CSwfDefineEditText::Reset() {
  Clear();
  m_characterId = 1;
  m_flags = 0;
  m_fontId = 0;
  m_fontHeight = 100;
  m_maxLength = 0;
  m_align = 0;
  m_leftMargin = m_rightMargin = m_indent = m_leading = 0;
}

void CSwfDefineEditText::Set(u16 id, CSwfRgba* color, const std::string& variableName) {
  Reset();
  m_characterId = id;
  m_color.reset(color);
  m_flags |= kEditTextHasTextColor;
  SetVariableName(variableName);
}

void CSwfDefineEditText::SetFont(u16 fontId, u16 fontHeight) {
  m_fontId = fontId;
  m_fontHeight = fontHeight;
  m_flags |= kEditTextHasFont;
}

void CSwfDefineEditText::SetInitialText(const std::string& text) {
  m_initialText = UpToZero(text);
  m_flags |= kEditTextHasText;
}

void CSwfDefineEditText::SetVariableName(const std::string& name) { m_variableName = UpToZero(name); }

void CSwfDefineEditText::SetLayout(u8 align, u16 leftMargin, u16 rightMargin, u16 indent, u16 leading) {
  m_align = align;
  m_leftMargin = leftMargin;
  m_rightMargin = rightMargin;
  m_indent = indent;
  m_leading = leading;
  m_flags |= kEditTextHasLayout;
}

void CSwfDefineEditText::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
  if (m_fontId != 0) m_fontId = u16(m_fontId + idDelta);
}

u32 CSwfDefineEditText::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Reset();
  m_characterId = reader.ReadU16();
  m_bounds = std::make_unique<CSwfRect>();
  m_bounds->Read(reader);
  reader.AlignByte();
  m_flags = u16(reader.ReadU8() << 8);
  m_flags = u16(m_flags | reader.ReadU8());
  // The font class exists from version 9 on; earlier movies leave its bit alone.
  const bool hasFontClass = (m_flags & kEditTextHasFontClass) && reader.GetVersion() >= 9;
  if (m_flags & kEditTextHasFont) m_fontId = reader.ReadU16();
  if (hasFontClass) reader.ReadString(m_fontClass, 0);
  if ((m_flags & kEditTextHasFont) || hasFontClass) m_fontHeight = reader.ReadU16();
  const bool hadLayout = (m_flags & kEditTextHasLayout) != 0;
  if (m_flags & kEditTextHasFont) m_flags |= kEditTextHasLayout;
  if (m_flags & kEditTextHasTextColor) {
    m_color = std::make_unique<CSwfRgba>();
    m_color->Read(reader);
  }
  if (m_flags & kEditTextHasMaxLength) m_maxLength = reader.ReadU16();
  if (hadLayout) {
    m_align = reader.ReadU8();
    m_leftMargin = reader.ReadU16();
    m_rightMargin = reader.ReadU16();
    m_indent = reader.ReadU16();
    m_leading = reader.ReadU16();
  }
  reader.ReadString(m_variableName, 0);
  if (m_flags & kEditTextHasText) reader.ReadString(m_initialText, 0);
  return reader.GetPosition() - start;
}

u32 CSwfDefineEditText::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  CSwfRect noBounds;
  (m_bounds ? m_bounds.get() : &noBounds)->Write(body);
  body.FlushBits();
  // The flag bits in their file order are the two bytes, the first one high.
  body.WriteU8(u8(m_flags >> 8));
  body.WriteU8(u8(m_flags));
  const bool hasFontClass = (m_flags & kEditTextHasFontClass) && writer.GetVersion() >= 9;
  if (m_flags & kEditTextHasFont) body.WriteU16(m_fontId);
  if (hasFontClass) body.AppendTerminatedString(m_fontClass);
  if ((m_flags & kEditTextHasFont) || hasFontClass) body.WriteU16(m_fontHeight);
  if (m_flags & kEditTextHasTextColor) {
    CSwfRgba black;
    (m_color ? m_color.get() : &black)->Write(body);
  }
  if (m_flags & kEditTextHasMaxLength) body.WriteU16(m_maxLength);
  if (m_flags & kEditTextHasLayout) {
    body.WriteU8(m_align);
    body.WriteU16(m_leftMargin);
    body.WriteU16(m_rightMargin);
    body.WriteU16(m_indent);
    body.WriteU16(m_leading);
  }
  body.AppendTerminatedString(m_variableName);
  if (m_flags & kEditTextHasText) body.AppendTerminatedString(m_initialText);
  return writer.WriteTag(*this, body);
}
