#include "swf/swf_font_tags.h"

#include <algorithm>

#include "foundation/cf_string_holder.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

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
    m_codes.reserve(count);
    for (u32 i = 0; i < count; ++i) m_codes.push_back(reader.ReadU16());
  } else {
    std::vector<u8> bytes;
    reader.ReadBytes(bytes, reader.GetRemaining());
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
