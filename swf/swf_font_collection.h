// The fonts of a generated movie: every (font, characters) pair the movie's
// texts need, merged into one SWF font per face, each written once.
//
// Calling order for one movie: ClearWrittenFlags (DeleteAllFonts first when
// the collection starts over), AddFont once per text, PrepareFontTags once
// before any text is laid out, then the text blocks (CSwfTextBlock), which
// ask EmitFontTag for their font's id and GetCharIndex for glyph indices.
//
// Fonts that differ only in size or colour become one SWF font with one id
// and one sorted character set, while lookups by style still find each
// font as it was added. The collection keeps the DefineFont2 tags it
// prepares: EmitFontTag writes a copy of the bytes and the tag stays, so
// that after ClearWrittenFlags the next movie gets its fonts written again.
// A merged font is written once per movie whichever of its styles asks.
//
// Characters are single bytes of the application's encoding (Mac Roman),
// ordered as unsigned bytes.
//
// The letter-sprite builders turn single characters into small sprites (one
// per character and size); nothing in the application calls them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/font.h"

class CSwfDefineFont2;
class CSwfFileWriter;

// A font with a colour and three effect fields.
class CFontStyle : public CFont {
 public:
  // The system font at 32 points, white, no effect.
  CFontStyle();

  // Colour white, effects 0, size 32; family and face stay.
  void Reset();
  using CFont::Assign;
  // The font (family, size, face, name), the colour and the effects.
  void Assign(const CFontStyle& other);
  // Same family and face bits and equal effects; equal colours too when
  // compareColor, equal sizes when compareSize.
  bool IsSameFont(const CFontStyle& other, bool compareSize, bool compareColor) const;

  u32 color = 0xFFFFFF;  // 0x00BBGGRR
  s32 effectKind = 0;
  s32 effectAmount = 0;
  s32 effectExtra = 0;
};

// The key of a letter sprite: one character at one size.
struct CLetterKey {
  u8 character = 0;
  s32 size = 0;
  bool operator<(const CLetterKey& other) const {
    return character != other.character ? character < other.character : size < other.size;
  }
};

// One collected font with the characters wanted in it.
class CFontRecord : public CFontStyle {
 public:
  CFontRecord() = default;

  std::string chars;
  u16 fontId = 0;    // the id of its DefineFont2 once prepared
  s32 glyphBase = 0;  // never changed here
  u16 auxId = 0;      // never changed here
  std::map<s32, u16> sizeSprites;         // size in points -> sprite id
  std::map<CLetterKey, u16> letterSprites;  // character and size -> sprite id
};

class CFontCollection {
 public:
  CFontCollection();
  ~CFontCollection();
  CFontCollection(const CFontCollection&) = delete;
  CFontCollection& operator=(const CFontCollection&) = delete;

  // Adds the characters to the font that matches the style (size compared
  // unless bit 0 of options is set; the last call's options rule every
  // later lookup), or adds a new font. A null chars adds no characters.
  // Always true.
  bool AddFont(const CFontStyle& style, const char* chars, u32 options);
  // Merges the fonts that differ only in size or colour, sorts and
  // de-duplicates their characters, gives each merged font the next id
  // from *nextId and builds its DefineFont2. Tags prepared before are
  // discarded. False when the ids run out (past 65535) or a font tag
  // cannot be built; `writer` is not used.
  [[nodiscard]] bool PrepareFontTags(CSwfFileWriter* writer, u16* nextId);
  // The id of the style's font, writing its DefineFont2 first when this
  // movie does not have it yet; 0 when no font matches the style, its tags
  // are not prepared or the write failed.
  [[nodiscard]] u16 EmitFontTag(const CFontStyle& style, CSwfFileWriter& writer);
  // The glyph index of c in the style's font (the position of c in its
  // characters), or -1. The font is the one that matches the style; when
  // none does, the first with the style's family name (ignoring case) and
  // face bits.
  int GetCharIndex(char c, const CFontStyle& style) const;
  // The matching font's id, 0 when none matches.
  u16 GetFontId(const CFontStyle& style) const;
  // The matching font's auxiliary id, 0xFFFF when none matches.
  u16 GetAuxId(const CFontStyle& style) const;
  // 0xFFFF when no font matches or c is not among its characters; else the
  // glyph base plus the index when the base is set, or 0.
  u16 GetGlyphCode(char c, const CFontStyle& style) const;
  // Starts a new movie with the same fonts: none is written yet.
  void ClearWrittenFlags();
  // Starts over: deletes every font with its written flag and prepared tag.
  void DeleteAllFonts();

  // Letter sprites. Each writes its tags through the writer and takes ids
  // from *nextId; they fail (0, 0xFFFF or false as given) when the ids run
  // out, a character has no glyph or a size is not above 0.
  // For every character of the record, a one-glyph DefineText2 and a sprite
  // placing it.
  [[nodiscard]] bool BuildLetterSprites(CFontRecord& record, s32 size, u32 color, CSwfFileWriter& writer,
                                        u16* nextId);
  // The sprite of c at the style's size, built once; 0xFFFF when no font
  // matches the style or it cannot be built.
  [[nodiscard]] u16 GetLetterSprite(char c, const CFontStyle& style, CSwfFileWriter& writer,
                                    u16* nextId);
  // The sprite id; 0 for a record with an effect, or on failure.
  [[nodiscard]] u16 BuildLetterSprite(char c, s32 size, CFontRecord& record, CSwfFileWriter& writer,
                                      u16* nextId);
  // A sprite holding an edit text of "W" at the style's size, built once per
  // size; 0 when no font matches the style or it cannot be built.
  [[nodiscard]] u16 GetSizeSprite(const CFontStyle& style, CSwfFileWriter& writer, u16* nextId);

  const std::vector<std::unique_ptr<CFontRecord>>& GetFonts() const { return fonts; }
  u32 GetOptions() const { return options; }
  // The tags PrepareFontTags built, in the order of their ids.
  const std::vector<std::unique_ptr<CSwfDefineFont2>>& GetPreparedTags() const { return preparedTags; }
  bool IsWritten(const CFontRecord* record) const;

 private:
  [[nodiscard]] CFontRecord* FindFont(const CFontStyle& style) const;
  [[nodiscard]] CFontRecord* FindFontByNameAndFace(const CFontStyle& style) const;
  // Steps of EmitFontTag after the lookup: writes the record's font when
  // this movie does not have it yet; false when the write failed.
  [[nodiscard]] bool EnsureFontWritten(CFontRecord& record, CSwfFileWriter& writer);

  std::vector<std::unique_ptr<CFontRecord>> fonts;
  std::map<const CFontRecord*, bool> written;
  std::vector<std::unique_ptr<CSwfDefineFont2>> preparedTags;
  u32 options = 0;
  bool uniqueFontNames = false;
};
