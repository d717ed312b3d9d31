// Static texts (DefineText, DefineText2) with their text records, and edit
// texts (DefineEditText).
//
// A static text holds a list of records: a style record (font, colour,
// offsets and height; its flag byte has the top bit set) usually followed by
// a glyph record (a count byte and that many glyph entries packed in the
// tag's glyph and advance widths). A glyph record of the oldest movies also
// stands alone, introduced by its count (1 to 127). A zero byte ends the
// list.
//
// Writing keeps every record: runs longer than one record can hold are
// split into further records, a style record that is not the last gets a
// glyph count even when it has no glyphs, and the widths come from the
// largest glyph index and the largest advance magnitude, or the widths
// read when those are wider. Fields wider than 32 bits (the widths are a
// byte each) are read whole and written with their values, advances with
// their sign; a text whose glyph index or advance does not fit the 32 bits
// the records keep is kept by the tag loop as its raw bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/swf_object_pool.h"
#include "swf/swf_records.h"

enum : u16 {
  kSwfDefineTextCode = 11,
  kSwfDefineText2Code = 33,
  kSwfDefineEditTextCode = 37,
};

class CSwfTextRecord : public CSwfRecord {
 public:
  virtual void SetRgbOnly(u8 flag) { m_rgbOnly = flag ? 1 : 0; }
  virtual bool IsRgbOnly() const { return m_rgbOnly != 0; }
  virtual void Clear() {}
  virtual bool IsStyleRecord() const = 0;

  u8 GetHead() const { return m_head; }

 protected:
  // 1 when colours are RGB (DefineText), 0 for RGBA (DefineText2).
  u8 m_rgbOnly = 0;
  // The record's first byte: the style flags, or the glyph count.
  u8 m_head = 0;
};

enum : u8 {
  kTextStyleRecord = 0x80,
  kTextStyleReserved = 0x70,
  kTextStyleHasFont = 0x08,
  kTextStyleHasColor = 0x04,
  kTextStyleHasYOffset = 0x02,
  kTextStyleHasXOffset = 0x01,
};

class CSwfTextStyleRecord : public CSwfTextRecord {
 public:
  explicit CSwfTextStyleRecord(u8 head = kTextStyleRecord, u8 rgbOnly = 0);
  CSwfTextStyleRecord(const CSwfTextStyleRecord& other);
  CSwfTextStyleRecord& operator=(const CSwfTextStyleRecord&) = delete;

  // The fields the head announces (the head itself has been read).
  u32 Read(CSwfReader& reader) override;
  // The head byte (an x or y offset set by value is written with its flag),
  // then the announced fields; colours are RGB or RGBA after rgbOnly.
  u32 Write(CSwfBitWriter& writer) override;
  void Clear() override;
  bool IsStyleRecord() const override { return true; }

  // Each setter also sets the flag of its field.
  void SetFontId(u16 id);
  void SetTextHeight(u16 height);
  // Takes ownership.
  void SetColor(CSwfRgb* color);
  void SetXOffset(s16 x);
  void SetYOffset(s16 y);

  u8 GetFlags() const { return m_head; }
  u16 GetFontId() const { return m_fontId; }
  u16 GetTextHeight() const { return m_textHeight; }
  const CSwfRgb* GetColor() const { return m_color.get(); }
  s16 GetXOffset() const { return m_xOffset; }
  s16 GetYOffset() const { return m_yOffset; }
  // The font id grows by delta when it is not 0.
  void OffsetFontId(u16 delta);

 private:
  u16 m_fontId = 0;
  std::unique_ptr<CSwfRgb> m_color;
  s16 m_xOffset = 0;
  s16 m_yOffset = 0;
  u16 m_textHeight = 0;
};

struct CSwfGlyphEntry {
  u32 glyphIndex = 0;
  s32 advance = 0;
};
// In the engine's pool, so that the movie reader's bound sees them.
using CSwfGlyphEntries = std::vector<CSwfGlyphEntry, CSwfPoolAllocator<CSwfGlyphEntry>>;

class CSwfTextGlyphRecord : public CSwfTextRecord {
 public:
  // The most entries one record holds: its count is one byte, and a count
  // that stands alone (not after a style record) must keep the top bit clear.
  static constexpr u32 kMaxEntries = 255;
  static constexpr u32 kMaxStandaloneEntries = 127;

  explicit CSwfTextGlyphRecord(u8 count = 0, u8 rgbOnly = 0);

  // `head` entries in the record's widths (advances sign-extended).
  u32 Read(CSwfReader& reader) override;
  // The count byte and every entry, padded to a byte; the caller keeps the
  // entries within kMaxEntries (DefineText splits longer runs).
  u32 Write(CSwfBitWriter& writer) override;
  // The count byte and entries [first, first + count).
  u32 WriteRange(CSwfBitWriter& writer, size_t first, size_t count) const;
  void Clear() override { m_entries.clear(); }
  bool IsStyleRecord() const override { return false; }

  void SetBits(u8 glyphBits, u8 advanceBits);
  void AddEntry(u32 glyphIndex, s32 advance) { m_entries.push_back({glyphIndex, advance}); }

  u8 GetGlyphBits() const { return m_glyphBits; }
  u8 GetAdvanceBits() const { return m_advanceBits; }
  CSwfGlyphEntries& GetEntries() { return m_entries; }
  const CSwfGlyphEntries& GetEntries() const { return m_entries; }

 private:
  CSwfGlyphEntries m_entries;
  u8 m_glyphBits = 0;
  u8 m_advanceBits = 0;
};

class CSwfDefineText : public CSwfCharacterTag {
 public:
  CSwfDefineText();
  // Takes ownership of bounds and matrix.
  CSwfDefineText(u16 id, CSwfRect* bounds, CSwfMatrix* matrix, u8 glyphBits, u8 advanceBits);
  ~CSwfDefineText() override;
  CSwfDefineText(const CSwfDefineText&) = delete;
  CSwfDefineText& operator=(const CSwfDefineText&) = delete;

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override { Clear(); }
  u16 GetCode() const override { return kSwfDefineTextCode; }
  // The id, and every non-zero font id of the style records.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Deletes bounds, matrix and records.
  virtual void Clear();
  // Replaces id, bounds, matrix (taking ownership) and widths.
  virtual void Set(u16 id, CSwfRect* bounds, CSwfMatrix* matrix, u8 glyphBits, u8 advanceBits);

  // Takes ownership; a null record is ignored.
  void AddRecord(CSwfTextRecord* record);
  void AddRecord(std::unique_ptr<CSwfTextRecord> record);
  const std::vector<std::unique_ptr<CSwfTextRecord>>& GetRecords() const { return m_records; }
  const CSwfRect* GetBounds() const { return m_bounds.get(); }
  const CSwfMatrix* GetMatrix() const { return m_matrix.get(); }
  u8 GetGlyphBits() const { return m_glyphBits; }
  u8 GetAdvanceBits() const { return m_advanceBits; }
  void SetMinimumBits(u8 glyphBits, u8 advanceBits);

  // The widths the next write uses: the widths of the largest glyph index
  // and of the largest advance magnitude (with a sign bit), at least the
  // minimum widths. Stores them in the tag and in every glyph record.
  void ComputeBits();

 protected:
  bool IsRgbOnly() const { return GetCode() == kSwfDefineTextCode; }

 private:
  std::unique_ptr<CSwfRect> m_bounds;
  std::unique_ptr<CSwfMatrix> m_matrix;
  u8 m_glyphBits = 0;
  u8 m_advanceBits = 0;
  u8 m_minGlyphBits = 0;
  u8 m_minAdvanceBits = 0;
  std::vector<std::unique_ptr<CSwfTextRecord>> m_records;
};

class CSwfDefineText2 : public CSwfDefineText {
 public:
  using CSwfDefineText::CSwfDefineText;
  u16 GetCode() const override { return kSwfDefineText2Code; }
};

// The flags of an edit text: the two flag bytes, the first one high.
enum : u16 {
  kEditTextHasText = 0x8000,
  kEditTextWordWrap = 0x4000,
  kEditTextMultiline = 0x2000,
  kEditTextPassword = 0x1000,
  kEditTextReadOnly = 0x0800,
  kEditTextHasTextColor = 0x0400,
  kEditTextHasMaxLength = 0x0200,
  kEditTextHasFont = 0x0100,
  kEditTextHasFontClass = 0x0080,
  kEditTextAutoSize = 0x0040,
  kEditTextHasLayout = 0x0020,
  kEditTextNoSelect = 0x0010,
  kEditTextBorder = 0x0008,
  kEditTextWasStatic = 0x0004,
  kEditTextHtml = 0x0002,
  kEditTextUseOutlines = 0x0001,
};

class CSwfDefineEditText : public CSwfCharacterTag {
 public:
  CSwfDefineEditText();
  ~CSwfDefineEditText() override;
  CSwfDefineEditText(const CSwfDefineEditText&) = delete;
  CSwfDefineEditText& operator=(const CSwfDefineEditText&) = delete;

  // A text with a font keeps the layout flag (its layout fields stay 0 when
  // the body has none). The font class of later movies is kept as read.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  // Id 1, font height 100, no bounds, no colour, everything else 0 or empty.
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineEditTextCode; }
  // The id, and the font id when it is not 0.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  virtual void Clear();
  // Resets, then sets the id, the text colour (taking ownership) and the
  // variable name.
  virtual void Set(u16 id, CSwfRgba* color, const std::string& variableName);

  void SetUseOutlines(bool on) { SetFlag(kEditTextUseOutlines, on); }
  void SetNoSelect(bool on) { SetFlag(kEditTextNoSelect, on); }
  void SetReadOnly(bool on) { SetFlag(kEditTextReadOnly, on); }
  // Takes ownership.
  void SetBounds(CSwfRect* bounds) { m_bounds.reset(bounds); }
  // Also sets has font.
  void SetFont(u16 fontId, u16 fontHeight);
  // Also sets has text; a text stops at its first zero byte.
  void SetInitialText(const std::string& text);
  void SetVariableName(const std::string& name);
  // The layout fields; also sets has layout.
  void SetLayout(u8 align, u16 leftMargin, u16 rightMargin, u16 indent, u16 leading);

  u16 GetFlags() const { return m_flags; }
  void SetFlags(u16 flags) { m_flags = flags; }
  const CSwfRect* GetBounds() const { return m_bounds.get(); }
  u16 GetFontId() const { return m_fontId; }
  u16 GetFontHeight() const { return m_fontHeight; }
  const std::string& GetFontClass() const { return m_fontClass; }
  const CSwfRgba* GetColor() const { return m_color.get(); }
  u16 GetMaxLength() const { return m_maxLength; }
  u8 GetAlign() const { return m_align; }
  u16 GetLeftMargin() const { return m_leftMargin; }
  u16 GetRightMargin() const { return m_rightMargin; }
  u16 GetIndent() const { return m_indent; }
  u16 GetLeading() const { return m_leading; }
  const std::string& GetVariableName() const { return m_variableName; }
  const std::string& GetInitialText() const { return m_initialText; }

 private:
  void SetFlag(u16 flag, bool on) { m_flags = on ? u16(m_flags | flag) : u16(m_flags & ~flag); }

  std::unique_ptr<CSwfRect> m_bounds;
  u16 m_flags = 0;
  u16 m_fontId = 0;
  u16 m_fontHeight = 100;
  std::string m_fontClass;
  std::unique_ptr<CSwfRgba> m_color;
  u16 m_maxLength = 0;
  u8 m_align = 0;
  u16 m_leftMargin = 0;
  u16 m_rightMargin = 0;
  u16 m_indent = 0;
  u16 m_leading = 0;
  std::string m_variableName;
  std::string m_initialText;
};
