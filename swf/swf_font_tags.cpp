#include "swf/swf_font_tags.h"

#include <algorithm>

#include "foundation/cf_string_holder.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_shape.h"

namespace {

// A name as its length byte and its bytes; the setters keep names within
// what the byte counts.
void WriteFontName(CSwfBitWriter& body, const std::string& name) {
  const size_t length = std::min(name.size(), kMaxFontNameLength);
  body.WriteU8(u8(length));
  body.AppendBytes(reinterpret_cast<const u8*>(name.data()), u32(length));
}

// The name as written: with the font id appended in decimal when asked.
std::string WrittenName(const std::string& name, bool appendId, u16 id) {
  return appendId ? name + std::to_string(id) : name;
}

// The longest name that still takes any id ("65535" at most).
constexpr size_t kMaxNameWithId = kMaxFontNameLength - 5;

bool NameFits(const std::string& name, bool appendId) {
  return name.size() <= (appendId ? kMaxNameWithId : kMaxFontNameLength);
}

// The name bytes as the body holds them (a trailing zero byte included).
std::string ReadFontName(CSwfReader& reader) {
  const u8 length = reader.ReadU8();
  std::vector<u8> bytes;
  reader.ReadBytes(bytes, length);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

u16 FontCodeToUnicode(u8 code) {
  if (code == 0) return 0;
  const char text[2] = {char(code), 0};
  const std::wstring wide = CCFString(text).ToWString();
  return wide.empty() ? code : u16(wide[0]);
}

// ---- kerning ----

u32 CSwfKerningRecord::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  code1 = wideCodes ? reader.ReadU16() : reader.ReadU8();
  code2 = wideCodes ? reader.ReadU16() : reader.ReadU8();
  adjustment = s16(reader.ReadU16());
  return reader.GetPosition() - start;
}

u32 CSwfKerningRecord::Write(CSwfBitWriter& writer) {
  const u32 before = writer.GetByteCount();
  if (wideCodes) {
    writer.WriteU16(code1);
    writer.WriteU16(code2);
  } else {
    writer.WriteU8(u8(code1));
    writer.WriteU8(u8(code2));
  }
  writer.WriteS16(adjustment);
  return writer.GetByteCount() - before;
}

// ---- DefineFontInfo and DefineFontInfo2 ----

CSwfDefineFontInfo::CSwfDefineFontInfo() : m_name("Times New Roman") {}

CSwfDefineFontInfo::CSwfDefineFontInfo(u16 fontId, const std::string& name, const std::string& codeBytes,
                                       u8 flags) {
  if (!CSwfDefineFontInfo::Set(fontId, name, codeBytes, flags))
    (void)CSwfDefineFontInfo::Set(fontId, "", codeBytes, flags);
}

bool CSwfDefineFontInfo::Set(u16 fontId, const std::string& name, const std::string& codeBytes, u8 flags) {
  if (!NameFits(name, false)) return false;
  m_fontId = fontId;
  m_name = name;
  m_flags = flags;
  m_codes.assign(codeBytes.begin(), codeBytes.end());
  for (u16& code : m_codes) code = u8(code);
  m_appendIdToName = 0;
  return true;
}

void CSwfDefineFontInfo::SetCodes(const std::string& codeBytes) {
  if (codeBytes.empty()) return;
  m_codes.clear();
  for (char byte : codeBytes) m_codes.push_back(u8(byte));
}

bool CSwfDefineFontInfo::SetName(const std::string& name) {
  if (!NameFits(name, m_appendIdToName != 0)) return false;
  m_name = name;
  return true;
}

bool CSwfDefineFontInfo::SetAppendIdToName(bool on) {
  if (!NameFits(m_name, on)) return false;
  m_appendIdToName = on ? 1 : 0;
  return true;
}

void CSwfDefineFontInfo::OffsetIds(u16 idDelta, u16, u16) { m_fontId = u16(m_fontId + idDelta); }

u32 CSwfDefineFontInfo::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_fontId = reader.ReadU16();
  m_name = ReadFontName(reader);
  m_flags = reader.ReadU8();
  ReadLanguage(reader);
  m_codes.clear();
  if (m_flags & kFontInfoWideCodes) {
    const u32 count = reader.GetRemaining() / 2;
    ReserveCharged(m_codes, count);
    for (u32 i = 0; i < count; ++i) EmplaceCharged(m_codes, reader.ReadU16());
  } else {
    std::vector<u8> bytes;
    reader.ReadBytes(bytes, reader.GetRemaining());
    ReserveCharged(m_codes, bytes.size());
    m_codes.assign(bytes.begin(), bytes.end());
  }
  return reader.GetPosition() - start;
}

u32 CSwfDefineFontInfo::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_fontId);
  WriteFontName(body, WrittenName(m_name, m_appendIdToName != 0, m_fontId));
  body.WriteU8(m_flags);
  WriteLanguage(body);
  for (u16 code : m_codes) {
    if (m_flags & kFontInfoWideCodes)
      body.WriteU16(code);
    else
      body.WriteU8(u8(code));
  }
  return writer.WriteTag(*this, body);
}

void CSwfDefineFontInfo2::ReadLanguage(CSwfReader& reader) { m_languageCode = reader.ReadU8(); }

void CSwfDefineFontInfo2::WriteLanguage(CSwfBitWriter& body) const { body.WriteU8(m_languageCode); }
// ---- glyph tables ----

namespace {

// A glyph outline read from the reader's position: a plain shape whose
// styles (it has none of its own) would be RGBA.
std::unique_ptr<CSwfShape> ReadGlyph(CSwfReader& reader) {
  auto glyph = std::make_unique<CSwfShape>(1);
  glyph->Read(reader);
  reader.AlignByte();
  return glyph;
}

// Each glyph written into `glyphs`, padded to a byte; returns where each
// one starts, and its end last. An outline that cannot be written (a value
// beyond its bit field) is written empty, so that the table stays whole.
std::vector<u32> WriteGlyphs(CSwfBitWriter& glyphs, const std::vector<std::unique_ptr<CSwfShape>>& shapes,
                             size_t count) {
  std::vector<u32> starts;
  starts.reserve(count + 1);
  for (size_t i = 0; i < count; ++i) {
    starts.push_back(glyphs.GetByteCount());
    if (shapes[i] && shapes[i]->CanWrite()) {
      shapes[i]->Write(glyphs);
    } else {
      CSwfShape empty(1);
      empty.Write(glyphs);
    }
    glyphs.FlushBits();
  }
  starts.push_back(glyphs.GetByteCount());
  return starts;
}

}  // namespace

// ---- DefineFont ----

CSwfDefineFont::CSwfDefineFont() = default;

CSwfDefineFont::~CSwfDefineFont() = default;

void CSwfDefineFont::Clear() {
  m_offsets.clear();
  m_glyphs.clear();
}

void CSwfDefineFont::OffsetIds(u16 idDelta, u16, u16) { m_characterId = u16(m_characterId + idDelta); }

bool CSwfDefineFont::Set(const std::vector<u32>& offsets, std::vector<std::unique_ptr<CSwfShape>> glyphs,
                         u16 id, bool offsetsAreGlyphRelative) {
  // Every glyph must be writable and start where a 16-bit offset reaches.
  for (const auto& glyph : glyphs)
    if (!glyph || !glyph->CanWrite()) return false;
  CSwfBitWriter scratch(6);
  const std::vector<u32> starts = WriteGlyphs(scratch, glyphs, glyphs.size());
  const u64 table = 2 * u64(glyphs.size());
  if (!glyphs.empty() && table + starts[starts.size() - 2] > 0xFFFF) return false;
  m_offsets = offsets;
  if (offsetsAreGlyphRelative)
    for (u32& offset : m_offsets) offset += u32(2 * m_offsets.size());
  m_glyphs = std::move(glyphs);
  SetCharacterId(id);
  return true;
}

u32 CSwfDefineFont::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  SetCharacterId(reader.ReadU16());
  if (reader.GetRemaining() < 2) return reader.GetPosition() - start;
  // Offsets count from the table's start; the glyphs lie between the table
  // and the end of the body.
  const u32 table = reader.GetPosition();
  const u32 end = reader.GetWindowEnd();
  const u32 area = end - table;
  const u16 first = reader.ReadU16();
  // The first offset is the table's size: one offset a glyph. Each glyph
  // takes its offset and at least a byte of outline, so a count the body
  // cannot hold, like an odd or empty table, disagrees with the body.
  const u32 count = first / 2;
  if (first % 2 != 0 || count == 0 || count > area / 3) {
    reader.SetBodyDisagrees();
    return reader.GetPosition() - start;
  }
  ReserveCharged(m_offsets, count);
  ReserveCharged(m_glyphs, count);
  EmplaceCharged(m_offsets, first);
  // Offsets in order and inside the glyph area (which the first one opens).
  for (u32 i = 1; i < count; ++i) {
    const u16 offset = reader.ReadU16();
    if (offset < m_offsets.back() || offset >= area) {
      reader.SetBodyDisagrees();
      return reader.GetPosition() - start;
    }
    EmplaceCharged(m_offsets, offset);
  }
  // Each glyph is read where its offset points and must end where the next
  // one starts, or before (bytes between them are padding); the last one
  // within the body. Glyphs that share or overlap bytes disagree.
  for (u32 i = 0; i < count && !IsSwfObjectLimitPassed(); ++i) {
    reader.Seek(table + m_offsets[i]);
    EmplaceCharged(m_glyphs, ReadGlyph(reader));
    if (reader.GetPosition() > (i + 1 < count ? table + m_offsets[i + 1] : end)) {
      reader.SetBodyDisagrees();
      return reader.GetPosition() - start;
    }
  }
  // Written back, the outlines take the widths of the bit-count rule, which
  // may be more bits than the movie used: a font whose last glyph would
  // then start beyond what a 16-bit offset reaches cannot be written as it
  // was read.
  if (m_glyphs.size() == count) {
    CSwfBitWriter glyphs(reader.GetVersion());
    const std::vector<u32> starts = WriteGlyphs(glyphs, m_glyphs, count);
    if (2 * u64(count) + starts[count - 1] > 0xFFFF) reader.SetBodyDisagrees();
  }
  return reader.GetPosition() - start;
}

u32 CSwfDefineFont::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  if (!m_glyphs.empty()) {
    // Every glyph must start where a 16-bit offset reaches: a font that
    // cannot hold its glyphs refuses to be written (never loses one).
    const size_t count = m_glyphs.size();
    if (count > 0xFFFF / 2) return 0;
    CSwfBitWriter glyphs(writer.GetVersion());
    const std::vector<u32> starts = WriteGlyphs(glyphs, m_glyphs, count);
    if (2 * u64(count) + starts[count - 1] > 0xFFFF) return 0;
    for (size_t i = 0; i < count; ++i) body.WriteU16(u16(2 * count + starts[i]));
    body.AppendBytes(glyphs.GetBytes().data(), starts[count]);
  }
  return writer.WriteTag(*this, body);
}

// ---- DefineFont2 ----

CSwfDefineFont2::CSwfDefineFont2() { CSwfDefineFont2::Reset(); }

CSwfDefineFont2::CSwfDefineFont2(const std::string& name, u16 id, u8 flags) {
  SetCharacterId(id);
  m_flags = flags;
  if (NameFits(name, false)) m_name = name;
}

CSwfDefineFont2::~CSwfDefineFont2() = default;

void CSwfDefineFont2::Clear() {
  m_offsets.clear();
  m_codes.clear();
  m_glyphs.clear();
  m_glyphBounds.clear();
  m_kerning.clear();
  m_advances.clear();
  m_codeTable.clear();
  m_wideCodeTable = 0;
  m_endsAfterGlyphCount = 0;
}

void CSwfDefineFont2::Reset() {
  Clear();
  SetCharacterId(1);
  m_flags = kFont2Ansi;
  m_languageCode = 0;
  m_name.clear();
  m_ascent = m_descent = m_leading = 0;
  m_appendIdToName = 0;
}

void CSwfDefineFont2::OffsetIds(u16 idDelta, u16, u16) { m_characterId = u16(m_characterId + idDelta); }

bool CSwfDefineFont2::SetName(const std::string& name) {
  if (!NameFits(name, m_appendIdToName != 0)) return false;
  m_name = name;
  return true;
}

bool CSwfDefineFont2::SetAppendIdToName(bool on) {
  if (!NameFits(m_name, on)) return false;
  m_appendIdToName = on ? 1 : 0;
  return true;
}

void CSwfDefineFont2::SetMetrics(s16 ascent, s16 descent, s16 leading) {
  m_ascent = ascent;
  m_descent = descent;
  m_leading = leading;
}

bool CSwfDefineFont2::AddGlyph(CSwfShape* glyph, u8 code, s16 advance, CSwfRect* bounds) {
  std::unique_ptr<CSwfShape> shape(glyph);
  std::unique_ptr<CSwfRect> box(bounds);
  if (m_glyphs.size() >= kMaxGlyphs || !shape || !shape->CanWrite()) return false;
  if (!box) box = std::make_unique<CSwfRect>();
  // Tables kept in step: a table read short is filled up first.
  m_codeTable.resize(m_glyphs.size(), 0);
  m_advances.resize(m_glyphs.size(), 0);
  while (m_glyphBounds.size() < m_glyphs.size()) m_glyphBounds.push_back(std::make_unique<CSwfRect>());
  m_glyphBounds.resize(m_glyphs.size());
  m_glyphs.push_back(std::move(shape));
  // A table read wide holds Unicode already; so does the new code.
  m_codeTable.push_back(m_wideCodeTable ? FontCodeToUnicode(code) : code);
  m_advances.push_back(advance);
  m_glyphBounds.push_back(std::move(box));
  m_endsAfterGlyphCount = 0;
  return true;
}

bool CSwfDefineFont2::AddKerning(CSwfKerningRecord* record) {
  std::unique_ptr<CSwfKerningRecord> owned(record);
  if (!owned || m_kerning.size() >= kMaxKerningPairs) return false;
  m_kerning.push_back(std::move(owned));
  return true;
}

u8 CSwfDefineFont2::GetWrittenFlags(u8 version) const {
  u8 flags = m_flags;
  if (version > 5) flags = u8((flags | kFont2WideCodes) & ~(kFont2ShiftJis | kFont2Ansi));
  return flags;
}

u16 CSwfDefineFont2::WideCode(u16 code, bool readWide) const {
  return readWide ? code : FontCodeToUnicode(u8(code));
}

u32 CSwfDefineFont2::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  SetCharacterId(reader.ReadU16());
  m_flags = reader.ReadU8();
  m_languageCode = reader.ReadU8();
  m_name = ReadFontName(reader);
  const u16 declared = reader.ReadU16();
  if (declared == 0 && reader.GetRemaining() == 0) {
    m_endsAfterGlyphCount = 1;
    return reader.GetPosition() - start;
  }
  const bool wideOffsets = (m_flags & kFont2WideOffsets) != 0;
  const u32 width = wideOffsets ? 4 : 2;
  // No more glyphs than the body holds: each takes its offset, at least a
  // byte of outline and its code (and with a layout its advance and at
  // least a byte of bounds), behind the code table's offset.
  const u32 codeWidth = (m_flags & kFont2WideCodes) ? 2 : 1;
  const u32 perGlyph = width + 1 + codeWidth + ((m_flags & kFont2HasLayout) ? 3 : 0);
  // A count the body cannot hold disagrees with it.
  const u32 remaining = reader.GetRemaining();
  const u32 count = std::min<u32>(declared, remaining > width ? (remaining - width) / perGlyph : 0);
  if (count < declared) {
    reader.SetBodyDisagrees();
    return reader.GetPosition() - start;
  }
  // Offsets count from the table's start. The glyphs lie between the table
  // and the code table, in order, each where its offset points and ending
  // where the next one starts or before (bytes between them are padding);
  // the code table lies where its offset points, behind the last glyph and
  // within the body. Anything else disagrees with the body.
  const u32 table = reader.GetPosition();
  const u64 area = reader.GetWindowEnd() - table;
  ReserveCharged(m_offsets, count);
  ReserveCharged(m_glyphs, count);
  ReserveCharged(m_codes, count);
  ReserveCharged(m_codeTable, count);
  u64 previous = u64(count + 1) * width;
  for (u32 i = 0; i < count; ++i) {
    const u32 offset = wideOffsets ? reader.ReadU32() : reader.ReadU16();
    if (offset < previous || offset >= area) {
      reader.SetBodyDisagrees();
      return reader.GetPosition() - start;
    }
    EmplaceCharged(m_offsets, offset);
    previous = offset;
  }
  const u32 codeTable = wideOffsets ? reader.ReadU32() : reader.ReadU16();
  if (codeTable < previous || codeTable > area) {
    reader.SetBodyDisagrees();
    return reader.GetPosition() - start;
  }
  for (u32 i = 0; i < count && !IsSwfObjectLimitPassed(); ++i) {
    reader.Seek(table + m_offsets[i]);
    EmplaceCharged(m_glyphs, ReadGlyph(reader));
    if (reader.GetPosition() > table + (i + 1 < count ? m_offsets[i + 1] : codeTable)) {
      reader.SetBodyDisagrees();
      return reader.GetPosition() - start;
    }
  }
  reader.Seek(table + codeTable);

  m_wideCodeTable = (m_flags & kFont2WideCodes) ? 1 : 0;
  for (u32 i = 0; i < count; ++i) {
    const u16 code = m_wideCodeTable ? reader.ReadU16() : reader.ReadU8();
    EmplaceCharged(m_codes, code);
    EmplaceCharged(m_codeTable, code);
  }
  if (m_flags & kFont2HasLayout) {
    m_ascent = s16(reader.ReadU16());
    m_descent = s16(reader.ReadU16());
    m_leading = s16(reader.ReadU16());
    ReserveCharged(m_advances, count);
    ReserveCharged(m_glyphBounds, count);
    for (u32 i = 0; i < count; ++i) EmplaceCharged(m_advances, s16(reader.ReadU16()));
    for (u32 i = 0; i < count && !IsSwfObjectLimitPassed(); ++i) {
      auto bounds = std::make_unique<CSwfRect>();
      bounds->Read(reader);
      reader.AlignByte();
      EmplaceCharged(m_glyphBounds, std::move(bounds));
    }
    // A count of more records than the body holds disagrees with it.
    const u32 recordSize = m_wideCodeTable ? 6 : 4;
    const u32 kerning = reader.ReadU16();
    if (kerning > reader.GetRemaining() / recordSize) {
      reader.SetBodyDisagrees();
      return reader.GetPosition() - start;
    }
    for (u32 i = 0; i < kerning; ++i) {
      auto record = std::make_unique<CSwfKerningRecord>(0, 0, 0, m_wideCodeTable);
      record->Read(reader);
      EmplaceCharged(m_kerning, std::move(record));
    }
  }
  return reader.GetPosition() - start;
}

void CSwfDefineFont2::WriteName(CSwfBitWriter& body) const {
  WriteFontName(body, WrittenName(m_name, m_appendIdToName != 0, m_characterId));
}

u32 CSwfDefineFont2::Write(CSwfBitWriter& writer) {
  const u8 version = writer.GetVersion();
  const size_t count = std::min(m_glyphs.size(), kMaxGlyphs);
  CSwfBitWriter glyphs(version);
  const std::vector<u32> starts = WriteGlyphs(glyphs, m_glyphs, count);
  // Offsets count from the table's start; the code-table offset is the largest.
  const bool wideOffsets = 2 * (u64(count) + 1) + starts.back() > 0xFFFF;
  const u32 width = wideOffsets ? 4 : 2;
  u8 flags = GetWrittenFlags(version);
  flags = wideOffsets ? u8(flags | kFont2WideOffsets) : u8(flags & ~kFont2WideOffsets);
  const bool wideCodes = (flags & kFont2WideCodes) != 0;

  CSwfBitWriter body(version);
  body.WriteU16(m_characterId);
  body.WriteU8(flags);
  body.WriteU8(m_languageCode);
  WriteName(body);
  body.WriteU16(u16(count));
  if (count == 0 && m_endsAfterGlyphCount) return writer.WriteTag(*this, body);

  auto writeOffset = [&body, wideOffsets](u32 offset) {
    if (wideOffsets)
      body.WriteU32(offset);
    else
      body.WriteU16(u16(offset));
  };
  const u32 table = u32(count + 1) * width;
  for (size_t i = 0; i <= count; ++i) writeOffset(table + starts[i]);
  body.AppendBytes(glyphs.GetBytes().data(), starts.back());

  for (size_t i = 0; i < count; ++i) {
    const u16 code = i < m_codeTable.size() ? m_codeTable[i] : 0;
    if (wideCodes)
      body.WriteU16(WideCode(code, m_wideCodeTable != 0));
    else
      body.WriteU8(u8(code));
  }
  if (flags & kFont2HasLayout) {
    body.WriteS16(m_ascent);
    body.WriteS16(m_descent);
    body.WriteS16(m_leading);
    for (size_t i = 0; i < count; ++i) body.WriteS16(i < m_advances.size() ? m_advances[i] : s16(0));
    for (size_t i = 0; i < count; ++i) {
      CSwfRect empty;
      CSwfRect* bounds = i < m_glyphBounds.size() && m_glyphBounds[i] ? m_glyphBounds[i].get() : &empty;
      bounds->Write(body);
      body.FlushBits();
    }
    const size_t pairs = std::min(m_kerning.size(), kMaxKerningPairs);
    body.WriteU16(u16(pairs));
    for (size_t i = 0; i < pairs; ++i) {
      const CSwfKerningRecord& record = *m_kerning[i];
      CSwfKerningRecord written(record.code1, record.code2, record.adjustment, wideCodes ? 1 : 0);
      if (wideCodes) {
        written.code1 = WideCode(record.code1, record.wideCodes != 0);
        written.code2 = WideCode(record.code2, record.wideCodes != 0);
      }
      written.Write(body);
    }
  }
  return writer.WriteTag(*this, body);
}
