#include "swf/swf_text_block.h"

#include <algorithm>
#include <array>
#include <memory>

#include "swf/swf_font_collection.h"
#include "swf/swf_records.h"
#include "swf/swf_text_tags.h"

namespace {

bool IsLineBreak(char c) { return c == 13 || c == 10; }

// White space of the C locale other than the line breaks. Bytes of 0x80 and
// above are characters of the text (Mac Roman), never blanks.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Halves rounded down (toward minus infinity).
s64 FloorHalf(s64 value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

bool FitsS16(s64 value) { return value >= -32768 && value <= 32767; }

// Sums kept within 32 bits, so that a huge text cannot overflow a width.
s32 Saturated(s64 value) {
  return s32(std::clamp<s64>(value, -s64(0x7FFFFFFF), s64(0x7FFFFFFF)));
}

// Positions and advances a text tag can take: twips within 30 bits.
bool FitsTwips(s64 value) { return value >= -(s64(1) << 30) && value <= (s64(1) << 30); }

// The font's character advances, asked once per byte.
class AdvanceCache {
 public:
  explicit AdvanceCache(const CFont& font) : m_font(font) {}

  // In pixels.
  s32 Pixels(char c) {
    const u8 byte = u8(c);
    if (!m_havePixels[byte]) {
      m_pixels[byte] = m_font.GetCharAdvance(c);
      m_havePixels[byte] = true;
    }
    return m_pixels[byte];
  }

  // In twips of a font sizeTw twips high, from the advance in em units,
  // truncated toward zero.
  s64 Twips(char c, s32 sizeTw) {
    const u8 byte = u8(c);
    if (!m_haveEm[byte]) {
      m_em[byte] = m_font.GetCharAdvanceEm(c);
      m_haveEm[byte] = true;
    }
    return s64(m_em[byte]) * sizeTw / 1024;
  }

 private:
  const CFont& m_font;
  std::array<s32, 256> m_pixels{};
  std::array<s32, 256> m_em{};
  std::array<bool, 256> m_havePixels{};
  std::array<bool, 256> m_haveEm{};
};

// The style a block's font and colour are collected under.
CFontStyle StyleOf(const CFont& font, u32 color) {
  CFontStyle style;
  style.CFont::Assign(font);
  style.color = color;
  return style;
}

// The font size in twips as a text height; 0 when it is not one.
s32 HeightInTwips(const CFont& font) {
  const s64 size = font.GetSize();
  return size > 0 && size * 20 <= 0xFFFF ? s32(size * 20) : 0;
}

std::unique_ptr<CSwfRgba> OpaqueColor(u32 color) {
  return std::make_unique<CSwfRgba>(u8(color), u8(color >> 8), u8(color >> 16), 255);
}

}  // namespace

CSwfTextBlock::CSwfTextBlock() = default;

CSwfTextBlock::~CSwfTextBlock() = default;

void CSwfTextBlock::SetBounds(const Rect& r) {
  bounds = r;
  originX = r.left;
  originY = r.top;
}

void CSwfTextBlock::SetMargins(s32 left, s32 right, s32 top, s32 bottom) {
  marginLeft = left;
  marginRight = right;
  marginTop = top;
  marginBottom = bottom;
}

int CSwfTextBlock::LayoutLines() {
  AdvanceCache advances(font);
  lines.assign(1, CTextLine());
  const s64 avail = s64(bounds.right) - bounds.left - marginLeft - marginRight;
  s32 maxWidth = 0;
  s32 lastRunWidth = 0, lastRunChars = 0;
  bool lastRunBlank = false;

  // Ends the current line (a wrapped one gives back its trailing blanks).
  auto newLine = [&](bool wrapped) {
    CTextLine& line = lines.back();
    if (wrapped && lastRunBlank) {
      line.width = Saturated(s64(line.width) - lastRunWidth);
      line.blankCount -= lastRunChars;
    }
    maxWidth = std::max(maxWidth, line.width);
    lines.emplace_back();
  };
  auto addRun = [&](s64 width, s32 count, bool blank) {
    CTextLine& line = lines.back();
    line.charCount = Saturated(s64(line.charCount) + count);
    if (blank) line.blankCount = Saturated(s64(line.blankCount) + count);
    line.runWidths.push_back(Saturated(width));
    line.width = Saturated(s64(line.width) + width);
    lastRunWidth = Saturated(width);
    lastRunChars = count;
    lastRunBlank = blank;
  };

  const size_t length = text.size();
  size_t i = 0;
  while (i < length) {
    const char c = text[i];
    if (IsLineBreak(c)) {
      lines.back().charCount += 1;
      newLine(false);
      ++i;
      lastRunWidth = lastRunChars = 0;
      lastRunBlank = false;
      continue;
    }
    s64 width = 0;
    s32 count = 0;
    if (IsBlank(c)) {
      // Blank runs are never wrapped.
      for (; i < length && IsBlank(text[i]); ++i, ++count) width += advances.Pixels(text[i]) + letterSpacing;
      addRun(width, count, true);
      continue;
    }
    // A word: a line that blanks made too wide wraps before it, and so
    // does one that the word would make too wide; a word wider than the
    // block stays alone on its line.
    if (wordWrap && !lines.back().runWidths.empty() && lines.back().width > avail) newLine(true);
    for (; i < length && !IsBlank(text[i]) && !IsLineBreak(text[i]); ++i, ++count)
      width += advances.Pixels(text[i]) + letterSpacing;
    if (wordWrap && !lines.back().runWidths.empty() && lines.back().width + width > avail) newLine(true);
    addRun(width, count, false);
  }
  return std::max(maxWidth, lines.back().width);
}

CSwfDefineText2* CSwfTextBlock::BuildTextTags(CFontCollection& fonts, CSwfFileWriter& writer, u16* nextId) {
  LayoutLines();
  const CFontStyle style = StyleOf(font, color);
  const u16 fontId = fonts.GetFontId(style);
  const s32 sizeTw = HeightInTwips(font);
  if (fontId == 0 || sizeTw == 0 || !nextId || *nextId == 0xFFFF) return nullptr;
  const u16 id = u16(*nextId + 1);
  const s64 size = font.GetSize();
  const s64 width = s64(bounds.right) - bounds.left;
  const s64 height = s64(bounds.bottom) - bounds.top;
  const s64 lineAdvance = size + lineSpacing;

  auto bounds20 = std::make_unique<CSwfRect>();
  bounds20->Set(0, 0, s32(width * 20), s32(height * 20), false);
  auto identity = std::make_unique<CSwfMatrix>();
  auto tag = std::make_unique<CSwfDefineText2>(id, bounds20.release(), identity.release(), 0, 0);

  // The first baseline.
  s64 y = size;
  const s64 lineCount = s64(lines.size());
  if (topBottomAlignment == kAlignMiddle)
    y += FloorHalf(height) - (lineCount * size) / 2;
  else if (topBottomAlignment == kAlignBottom)
    y += height - lineCount * size;

  // Line breaks at the start each skip their (empty) line.
  size_t position = 0;
  size_t lineIndex = 0;
  while (position < text.size() && IsLineBreak(text[position])) {
    ++position;
    ++lineIndex;
    y += lineAdvance;
  }

  AdvanceCache advances(font);
  s64 x = marginLeft;
  u16 currentFont = 0;
  for (; lineIndex < lines.size(); ++lineIndex) {
    const CTextLine& line = lines[lineIndex];
    if (line.charCount == 0) {
      y += lineAdvance;
      continue;
    }
    auto record = std::make_unique<CSwfTextStyleRecord>();
    if (currentFont != fontId) {
      // Only the first record carries the font, colour and height.
      record->SetFontId(fontId);
      record->SetColor(OpaqueColor(color).release());
      record->SetTextHeight(u16(sizeTw));
      currentFont = fontId;
    }

    s64 extra = 0;
    switch (alignment) {
      case kAlignLeft:
        x = marginLeft;
        break;
      case kAlignCenter:
        x = FloorHalf(width) - FloorHalf(line.width);
        break;
      case kAlignRight:
        x = width - line.width;
        break;
      case kAlignJustify:
        x = marginLeft;
        extra = line.blankCount > 0 ? (width - line.width) / line.blankCount : width;
        break;
      default:
        break;  // x stays where the previous line had it
    }
    if (!FitsS16(x * 20) || !FitsS16(y * 20)) return nullptr;
    record->SetXOffset(s16(x * 20));
    record->SetYOffset(s16(y * 20));
    tag->AddRecord(std::move(record));

    // One glyph record a line; a line of more glyphs than one record counts
    // goes on in further records behind style records that change nothing.
    auto glyphs = std::make_unique<CSwfTextGlyphRecord>();
    for (s32 k = 0; k < line.charCount && position < text.size(); ++k) {
      const char c = text[position++];
      if (IsLineBreak(c)) continue;
      s64 advance = advances.Twips(c, sizeTw) + s64(letterSpacing) * 20;
      if (IsBlank(c)) advance += extra * 20;
      const int index = fonts.GetCharIndex(c, style);
      if (index < 0 || !FitsTwips(advance)) return nullptr;
      if (glyphs->GetEntries().size() == CSwfTextGlyphRecord::kMaxEntries) {
        tag->AddRecord(std::move(glyphs));
        tag->AddRecord(std::make_unique<CSwfTextStyleRecord>());
        glyphs = std::make_unique<CSwfTextGlyphRecord>();
      }
      glyphs->AddEntry(u32(index), s32(advance));
    }
    tag->AddRecord(std::move(glyphs));

    // The line's own break moved to the next line; each further break
    // skips an empty one.
    s64 breaks = 1;
    while (position < text.size() && IsLineBreak(text[position])) {
      ++position;
      ++breaks;
      ++lineIndex;
    }
    y += breaks * lineAdvance;
    if (!FitsTwips(y)) return nullptr;
  }

  // The font goes into the movie before the text that uses it.
  if (fonts.EmitFontTag(style, writer) != fontId) return nullptr;
  *nextId = id;
  return tag.release();
}

int CSwfTextBlock::MeasureLines(int* x, int* y, std::vector<int>& widths) const {
  widths.clear();
  AdvanceCache advances(font);
  const s32 sizeTw = HeightInTwips(font);
  s64 running = 0;
  for (char c : text) {
    if (IsLineBreak(c)) {
      widths.push_back(Saturated(running));
      running = 0;
      continue;
    }
    running += advances.Twips(c, sizeTw) + s64(letterSpacing) * 20;
  }
  widths.push_back(Saturated(running));
  s64 left = s64(originX) * 20;
  if (alignment == kAlignRight)
    left -= widths[0];
  else if (alignment == kAlignCenter)
    left -= widths[0] / 2;
  if (x) *x = Saturated(left);
  if (y) *y = Saturated(s64(originY) * 20);
  return int(widths.size());
}

int CSwfTextBlock::GetTextWidth() const {
  std::vector<int> widths;
  int x = 0, y = 0;
  MeasureLines(&x, &y, widths);
  return *std::max_element(widths.begin(), widths.end()) / 20;
}

CSwfDefineEditText* CSwfTextBlock::BuildEditTextTag(CFontCollection& fonts, CSwfFileWriter& writer) {
  const CFontStyle style = StyleOf(font, color);
  const u16 fontId = fonts.GetFontId(style);
  const s32 sizeTw = HeightInTwips(font);
  const s64 leading = s64(lineSpacing) * 20;
  if (fontId == 0 || sizeTw == 0 || leading < 0 || leading > 0xFFFF) return nullptr;

  AdvanceCache advances(font);
  s64 maxWidth = 0, running = 0, breaks = 0;
  for (char c : text) {
    if (IsLineBreak(c)) {
      running = 0;
      ++breaks;
      continue;
    }
    running += advances.Twips(c, sizeTw) + s64(letterSpacing) * 20;
    maxWidth = std::max(maxWidth, running);
  }
  const s64 totalHeight = (leading + sizeTw) * (1 + breaks);
  if (!FitsTwips(maxWidth) || !FitsTwips(sizeTw + totalHeight)) return nullptr;
  if (fonts.EmitFontTag(style, writer) != fontId) return nullptr;

  auto tag = std::make_unique<CSwfDefineEditText>();
  tag->Set(0, OpaqueColor(color).release(), "");
  tag->SetInitialText(text);
  tag->SetFont(fontId, u16(sizeTw));
  tag->SetReadOnly(true);
  tag->SetNoSelect(true);
  tag->SetUseOutlines(true);
  const s32 w = s32(maxWidth), top = -sizeTw, bottom = s32(sizeTw + totalHeight);
  auto box = std::make_unique<CSwfRect>();
  u8 align = 0;
  switch (alignment) {
    case kAlignLeft:
      box->Set(0, top, w, bottom, false);
      break;
    case kAlignCenter:
      align = 2;
      box->Set(-w / 2, top, w / 2, bottom, false);
      break;
    case kAlignRight:
      align = 1;
      box->Set(-w, top, 0, bottom, false);
      break;
    default:
      break;  // left, bounds 0
  }
  tag->SetLayout(align, 0, 0, 0, u16(leading));
  tag->SetBounds(box.release());
  return tag.release();
}
