// Font tags: DefineFont (glyph outlines and their offset table), DefineFont2
// (outlines, code table, metrics and kerning in one tag) and the font
// information tags DefineFontInfo and DefineFontInfo2, which give a
// DefineFont its name and character codes.
//
// Glyph outlines are plain shapes, read where the offset table points:
// in order, each ending where the next one starts or before (bytes between
// them are padding), and DefineFont2's code table where its offset points,
// behind the last outline. A font whose offsets disagree with that (glyphs
// that share or overlap bytes, lie out of order or outside the body, a
// glyph count the body cannot hold), or whose parts the body cuts short, is
// kept by the tag loop as its raw bytes. Both fonts recompute their offsets
// when written, DefineFont2's 4 bytes wide when any offset (the code-table
// offset included) would not fit 2 bytes. DefineFont's offsets are 2 bytes
// wide: a DefineFont read from a movie whose outlines, written with the
// widths of the bit-count rule, would start a glyph beyond what they reach
// is kept as its raw bytes, and one built by code that cannot hold its
// glyphs refuses to write itself; no glyph is ever left out. Movies of
// version 6 and later carry 16-bit codes:
// a font written for them gets wide codes, and codes that are single bytes
// (built by code, or read from an 8-bit table) are converted from Mac Roman
// to Unicode on the way out; codes read wide are written as they are. The
// kerning codes follow the code table.
//
// Names have a one-byte length: a name longer than 255 bytes (with the id
// appended, when asked) is refused by the setters, never cut or wrapped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/swf_records.h"

class CSwfShape;

enum : u16 {
  kSwfDefineFontCode = 10,
  kSwfDefineFontInfoCode = 13,
  kSwfDefineFont2Code = 48,
  kSwfDefineFontInfo2Code = 62,
};

// The flag byte of DefineFont2.
enum : u8 {
  kFont2HasLayout = 0x80,
  kFont2ShiftJis = 0x40,
  kFont2SmallText = 0x20,
  kFont2Ansi = 0x10,
  kFont2WideOffsets = 0x08,
  kFont2WideCodes = 0x04,
  kFont2Italic = 0x02,
  kFont2Bold = 0x01,
};

// The flag byte of DefineFontInfo and DefineFontInfo2.
enum : u8 {
  kFontInfoWideCodes = 0x01,
  kFontInfoBold = 0x02,
  kFontInfoItalic = 0x04,
  kFontInfoAnsi = 0x08,
  kFontInfoShiftJis = 0x10,
  kFontInfoSmallText = 0x20,
};

// The longest name a font tag holds (its length is one byte).
constexpr size_t kMaxFontNameLength = 255;

// The Unicode character of a single-byte code in the application's text
// encoding (Mac Roman); 0 stays 0.
u16 FontCodeToUnicode(u8 code);

class CSwfKerningRecord : public CSwfRecord {
 public:
  CSwfKerningRecord(u16 first = 0, u16 second = 0, s16 adjust = 0, u8 wide = 0)
      : code1(first), code2(second), adjustment(adjust), wideCodes(wide) {}

  // Both codes as UI16 with wideCodes, else as UI8; then the SI16 adjustment.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;

  u16 code1, code2;
  s16 adjustment;
  // 1 when the codes were read (or are meant) as 16-bit codes.
  u8 wideCodes;
};

class CSwfDefineFont : public CSwfCharacterTag {
 public:
  CSwfDefineFont();
  ~CSwfDefineFont() override;
  CSwfDefineFont(const CSwfDefineFont&) = delete;
  CSwfDefineFont& operator=(const CSwfDefineFont&) = delete;

  // The id, the offset table (its first entry gives the glyph count) and
  // the glyphs where the offsets point.
  u32 Read(CSwfReader& reader) override;
  // The id, the offsets recomputed from the glyphs, the glyphs. A font
  // without glyphs is the id alone. Writes nothing and returns 0 when a
  // glyph would start beyond what a 16-bit offset reaches.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override { Clear(); }
  u16 GetCode() const override { return kSwfDefineFontCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  virtual void Clear();
  // Replaces offsets and glyphs and sets the id. Offsets counted from the
  // first glyph grow by the table's size when offsetsAreGlyphRelative.
  // False, and nothing changed, when a glyph would start beyond what a
  // 16-bit offset reaches.
  [[nodiscard]] virtual bool Set(const std::vector<u32>& offsets,
                                 std::vector<std::unique_ptr<CSwfShape>> glyphs, u16 id,
                                 bool offsetsAreGlyphRelative);
  virtual void SetId(u16 id) { SetCharacterId(id); }

  const std::vector<u32>& GetOffsets() const { return m_offsets; }
  const std::vector<std::unique_ptr<CSwfShape>>& GetGlyphs() const { return m_glyphs; }

 private:
  std::vector<u32> m_offsets;
  std::vector<std::unique_ptr<CSwfShape>> m_glyphs;
};

class CSwfDefineFont2 : public CSwfCharacterTag {
 public:
  // The most glyphs and kerning pairs the tag counts (16-bit counts).
  static constexpr size_t kMaxGlyphs = 65535;
  static constexpr size_t kMaxKerningPairs = 65535;

  // Id 1, ANSI flags, no name, empty tables.
  CSwfDefineFont2();
  // A name longer than 255 bytes is refused: the font then has no name.
  CSwfDefineFont2(const std::string& name, u16 id, u8 flags);
  ~CSwfDefineFont2() override;
  CSwfDefineFont2(const CSwfDefineFont2&) = delete;
  CSwfDefineFont2& operator=(const CSwfDefineFont2&) = delete;

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  // Id 1, flags ANSI, language 0, no name, zero metrics, empty tables.
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineFont2Code; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Empties the tables (glyphs, codes, advances, bounds, kerning).
  virtual void Clear();

  // Adds one glyph with its single-byte code, advance and bounds (taking
  // ownership of both); false, the objects deleted, when the font already
  // holds kMaxGlyphs glyphs.
  [[nodiscard]] bool AddGlyph(CSwfShape* glyph, u8 code, s16 advance, CSwfRect* bounds);
  // Takes ownership; false, the record deleted, past kMaxKerningPairs.
  [[nodiscard]] bool AddKerning(CSwfKerningRecord* record);

  // False, the name unchanged, for a name that would not fit its length byte.
  [[nodiscard]] bool SetName(const std::string& name);
  // False when the name with the id appended could be longer than 255 bytes.
  [[nodiscard]] bool SetAppendIdToName(bool on);
  void SetFlags(u8 flags) { m_flags = flags; }
  void SetLanguageCode(u8 code) { m_languageCode = code; }
  void SetMetrics(s16 ascent, s16 descent, s16 leading);

  const std::string& GetName() const { return m_name; }
  u8 GetFlags() const { return m_flags; }
  u8 GetLanguageCode() const { return m_languageCode; }
  bool GetAppendIdToName() const { return m_appendIdToName != 0; }
  s16 GetAscent() const { return m_ascent; }
  s16 GetDescent() const { return m_descent; }
  s16 GetLeading() const { return m_leading; }
  const std::vector<u32>& GetOffsets() const { return m_offsets; }
  const std::vector<u16>& GetCodes() const { return m_codes; }
  const std::vector<u16>& GetCodeTable() const { return m_codeTable; }
  // True when the code table holds 16-bit codes as read.
  bool HasWideCodeTable() const { return m_wideCodeTable != 0; }
  const std::vector<std::unique_ptr<CSwfShape>>& GetGlyphs() const { return m_glyphs; }
  const std::vector<s16>& GetAdvances() const { return m_advances; }
  const std::vector<std::unique_ptr<CSwfRect>>& GetGlyphBounds() const { return m_glyphBounds; }
  const std::vector<std::unique_ptr<CSwfKerningRecord>>& GetKerning() const { return m_kerning; }

  // The flag byte a writer of this version writes (wide offsets aside).
  u8 GetWrittenFlags(u8 version) const;

 private:
  // A code of the table as written with wide codes.
  u16 WideCode(u16 code, bool readWide) const;
  void WriteName(CSwfBitWriter& body) const;

  u8 m_flags = kFont2Ansi;
  u8 m_languageCode = 0;
  std::string m_name;
  std::vector<u32> m_offsets;
  std::vector<u16> m_codes;
  std::vector<std::unique_ptr<CSwfShape>> m_glyphs;
  std::vector<std::unique_ptr<CSwfRect>> m_glyphBounds;
  std::vector<std::unique_ptr<CSwfKerningRecord>> m_kerning;
  std::vector<s16> m_advances;
  std::vector<u16> m_codeTable;
  s16 m_ascent = 0, m_descent = 0, m_leading = 0;
  u8 m_appendIdToName = 0;
  // 1 when the code table was read with 16-bit codes (written as it is).
  u8 m_wideCodeTable = 0;
  // 1 for a font without glyphs whose body ended after the glyph count: it
  // is written back the same way.
  u8 m_endsAfterGlyphCount = 0;
};

class CSwfDefineFontInfo : public CSwfTag {
 public:
  // Font 1, "Times New Roman", no codes, flags 0.
  CSwfDefineFontInfo();
  // Each byte of codeBytes is one code. A name longer than 255 bytes is
  // refused: the tag then has no name.
  CSwfDefineFontInfo(u16 fontId, const std::string& name, const std::string& codeBytes, u8 flags);

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfDefineFontInfoCode; }
  // The font id grows by idDelta.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Empties the name.
  virtual void ClearName() { m_name.clear(); }
  // As the constructor; false, nothing changed, for a name that does not fit.
  [[nodiscard]] virtual bool Set(u16 fontId, const std::string& name, const std::string& codeBytes,
                                 u8 flags);
  // Replaces the codes when codeBytes is not empty.
  void SetCodes(const std::string& codeBytes);
  [[nodiscard]] bool SetName(const std::string& name);
  [[nodiscard]] bool SetAppendIdToName(bool on);
  void SetFlags(u8 flags) { m_flags = flags; }

  u16 GetFontId() const { return m_fontId; }
  const std::string& GetName() const { return m_name; }
  u8 GetFlags() const { return m_flags; }
  const std::vector<u16>& GetCodes() const { return m_codes; }
  bool GetAppendIdToName() const { return m_appendIdToName != 0; }

 protected:
  // The fields between the flags and the codes (DefineFontInfo2's language).
  virtual void ReadLanguage(CSwfReader&) {}
  virtual void WriteLanguage(CSwfBitWriter&) const {}

  u16 m_fontId = 1;
  std::string m_name;
  u8 m_flags = 0;
  std::vector<u16> m_codes;
  u8 m_appendIdToName = 0;
};

class CSwfDefineFontInfo2 : public CSwfDefineFontInfo {
 public:
  using CSwfDefineFontInfo::CSwfDefineFontInfo;
  u16 GetCode() const override { return kSwfDefineFontInfo2Code; }

  u8 GetLanguageCode() const { return m_languageCode; }
  void SetLanguageCode(u8 code) { m_languageCode = code; }

 protected:
  void ReadLanguage(CSwfReader& reader) override;
  void WriteLanguage(CSwfBitWriter& body) const override;

 private:
  u8 m_languageCode = 0;
};
