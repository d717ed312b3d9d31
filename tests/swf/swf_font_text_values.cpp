#include "tests/swf/swf_font_text_values.h"

#include <memory>

#include "swf/swf_bit_writer.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_shape.h"
#include "swf/swf_text_tags.h"
#include "tests/swf/swf_test_movies.h"

namespace swftest {

namespace {

std::string DescribeRect(const CSwfRect* r) {
  return r ? Join("rect", r->xMin, r->xMax, r->yMin, r->yMax) : "no rect;";
}

std::string DescribeMatrix(const CSwfMatrix* m) {
  if (!m) return "no matrix;";
  return Join("matrix", m->hasScale ? m->scaleX : 65536, m->hasScale ? m->scaleY : 65536,
              m->hasRotate ? m->rotateSkew0 : 0, m->hasRotate ? m->rotateSkew1 : 0, m->translateX,
              m->translateY);
}

std::string DescribeColor(const CSwfRgb* color) {
  if (!color) return "no colour;";
  const auto* rgba = dynamic_cast<const CSwfRgba*>(color);
  return Join("colour", color->red, color->green, color->blue, rgba ? rgba->alpha : 255);
}

std::string DescribeText(const CSwfDefineText& text) {
  std::string out = Join("text", text.GetCode(), text.GetCharacterId());
  out += DescribeRect(text.GetBounds()) + DescribeMatrix(text.GetMatrix());
  for (const auto& record : text.GetRecords()) {
    if (const auto* style = dynamic_cast<const CSwfTextStyleRecord*>(record.get())) {
      const u8 flags = style->GetFlags();
      out += Join("style", flags & 0x7C, style->GetFontId(), style->GetTextHeight(),
                  (flags & kTextStyleHasXOffset) || style->GetXOffset(), style->GetXOffset(),
                  (flags & kTextStyleHasYOffset) || style->GetYOffset(), style->GetYOffset());
      out += DescribeColor(style->GetColor());
    } else {
      const auto& glyphs = static_cast<const CSwfTextGlyphRecord&>(*record);
      out += Join("glyphs", glyphs.GetEntries().size());
      for (const CSwfGlyphEntry& entry : glyphs.GetEntries()) out += Join("", entry.glyphIndex, entry.advance);
    }
  }
  return out;
}

std::string DescribeEditText(const CSwfDefineEditText& edit) {
  std::string out = Join("edit text", edit.GetCharacterId(), edit.GetFlags(), edit.GetFontId(),
                         edit.GetFontHeight(), edit.GetMaxLength(), edit.GetAlign(),
                         edit.GetLeftMargin(), edit.GetRightMargin(), edit.GetIndent(), edit.GetLeading());
  out += DescribeRect(edit.GetBounds()) + DescribeColor(edit.GetColor());
  return out + "class " + edit.GetFontClass() + ";variable " + edit.GetVariableName() + ";text " +
         edit.GetInitialText() + ';';
}

std::string DescribeFont2(const CSwfDefineFont2& font, u8 version) {
  const u8 flags = u8(font.GetWrittenFlags(version) & ~kFont2WideOffsets);
  const bool wide = flags & kFont2WideCodes;
  auto written = [wide](u16 code, bool readWide) -> u16 {
    if (!wide) return u8(code);
    return readWide ? code : FontCodeToUnicode(u8(code));
  };
  std::string out = Join("font2", font.GetCharacterId(), flags, font.GetLanguageCode());
  out += "name " + font.GetName() + ';';
  for (const auto& glyph : font.GetGlyphs()) {
    CSwfBitWriter bytes(version);
    glyph->Write(bytes);
    out += Join("glyph", bytes.GetBytes().size());
    for (u8 byte : bytes.GetBytes()) out += std::to_string(byte) + ',';
  }
  for (u16 code : font.GetCodeTable()) out += Join("code", written(code, font.HasWideCodeTable()));
  if (!(flags & kFont2HasLayout)) return out;
  out += Join("layout", font.GetAscent(), font.GetDescent(), font.GetLeading());
  for (s16 advance : font.GetAdvances()) out += Join("advance", advance);
  for (const auto& bounds : font.GetGlyphBounds()) out += DescribeRect(bounds.get());
  for (const auto& pair : font.GetKerning()) {
    out += Join("kerning", written(pair->code1, pair->wideCodes), written(pair->code2, pair->wideCodes),
                pair->adjustment);
  }
  return out;
}

}  // namespace

std::string DescribeFontOrText(CSwfTag* tag, u8 version) {
  if (auto* font = dynamic_cast<CSwfDefineFont2*>(tag)) return DescribeFont2(*font, version);
  if (auto* text = dynamic_cast<CSwfDefineText*>(tag)) return DescribeText(*text);
  if (auto* edit = dynamic_cast<CSwfDefineEditText*>(tag)) return DescribeEditText(*edit);
  return "";
}

std::string DecodedFontOrText(u16 code, const std::vector<u8>& body, u8 version) {
  const std::unique_ptr<CSwfTag> tag = ReadTag({code, body}, version);
  return tag ? DescribeFontOrText(tag.get(), version) : "";
}

}  // namespace swftest
