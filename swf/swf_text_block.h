// A block of plain text set in one font and colour inside a rectangle,
// turned into SWF static text.
//
// The text is broken into lines at each line break (CR or LF, each one a
// line of its own, so CR LF leaves an empty line) and, with word wrap, at
// word boundaries so that lines fit the rectangle's width; a word wider than
// the block stays alone on its line. Lines are aligned left, centre, right
// or justified (blanks widened to fill the width), and the block of lines
// top, middle or bottom. Blanks are the other white-space bytes of the C
// locale (space, tab, vertical tab, form feed); bytes of 0x80 and above are
// never blanks.
//
// Layout is in whole pixels of the font at its own point size (one pixel is
// 20 twips in the tags). BuildTextTags makes one DefineText2 whose records
// place every glyph of the font that a CFontCollection prepared; it fails
// (null) rather than build a text that points at no font or no glyph, or
// whose positions do not fit the tag's signed 16-bit twips.
#pragma once

#include <string>
#include <vector>

#include "foundation/font.h"
#include "platform/qd_types.h"

class CFontCollection;
class CSwfDefineEditText;
class CSwfDefineText2;
class CSwfFileWriter;

// One laid-out line.
struct CTextLine {
  std::vector<s32> runWidths;  // pixels, one per word or run of blanks
  s32 width = 0;               // pixels; a trailing blank run that wrapped is not counted
  s32 charCount = 0;           // bytes of the text in the line, its closing line break included
  s32 blankCount = 0;          // blanks that justification widens
};

class CSwfTextBlock {
 public:
  enum : int { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2, kAlignJustify = 3 };
  enum : int { kAlignTop = 0, kAlignMiddle = 1, kAlignBottom = 2 };

  // The system font, black, bounds (0, 0, 10, 10), left and top aligned,
  // word wrap on, no text.
  CSwfTextBlock();
  ~CSwfTextBlock();
  CSwfTextBlock(const CSwfTextBlock&) = delete;
  CSwfTextBlock& operator=(const CSwfTextBlock&) = delete;

  void SetFont(const CFont& newFont) { font.Assign(newFont); }
  void SetColor(u32 newColor) { color = newColor; }  // 0x00BBGGRR
  // Also sets the origin to the rectangle's left and top.
  void SetBounds(const Rect& r);
  void SetAlignment(int value) { alignment = value; }
  void SetTopBottomAlignment(int value) { topBottomAlignment = value; }
  void SetWordWrap(bool on) { wordWrap = on; }
  // A null text is empty.
  void SetText(const char* newText) { text = newText ? newText : ""; }
  // Pixels added to every line advance and to every character advance.
  void SetLineSpacing(s32 pixels) { lineSpacing = pixels; }
  void SetLetterSpacing(s32 pixels) { letterSpacing = pixels; }
  // Pixels kept free at the sides (top and bottom are not used by the layout).
  void SetMargins(s32 left, s32 right, s32 top, s32 bottom);

  // Lays the text out again; returns the widest line's width in pixels.
  int LayoutLines();
  // The lines' widths in twips without wrapping (line breaks only) into
  // `widths`, and the position of the first line in twips after the
  // alignment; returns the number of lines.
  int MeasureLines(int* x, int* y, std::vector<int>& widths) const;
  // The widest measured line in pixels.
  int GetTextWidth() const;

  // Lays the text out and builds its DefineText2 with the next id from
  // *nextId, writing the font's DefineFont2 through the collection first
  // when the movie does not have it yet. The caller owns the tag and writes
  // it. Null, and nothing written or taken, when the collection does not
  // know the block's font and colour or a character of the text, the size
  // is not a usable height, an id is not left, or a position falls outside
  // the signed 16-bit twips range.
  [[nodiscard]] CSwfDefineText2* BuildTextTags(CFontCollection& fonts, CSwfFileWriter& writer, u16* nextId);
  // An edit text of the block's text (id 0: the caller gives it one); the
  // caller owns it. Null, and nothing written, when the collection does not
  // know the font and colour or the size is not a usable height.
  [[nodiscard]] CSwfDefineEditText* BuildEditTextTag(CFontCollection& fonts, CSwfFileWriter& writer);

  const std::vector<CTextLine>& GetLines() const { return lines; }
  const std::string& GetText() const { return text; }
  const CFont& GetFont() const { return font; }
  u32 GetColor() const { return color; }
  const Rect& GetBounds() const { return bounds; }

 private:
  std::vector<CTextLine> lines;
  std::string text;
  CFont font;
  u32 color = 0;
  s32 originX = 0, originY = 0;
  s32 lineSpacing = 0;
  s32 letterSpacing = 0;
  s32 alignment = kAlignLeft;
  s32 topBottomAlignment = kAlignTop;
  Rect bounds{0, 0, 10, 10};
  s32 marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
  bool wordWrap = true;
};
