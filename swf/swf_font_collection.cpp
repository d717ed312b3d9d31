#include "swf/swf_font_collection.h"

#include <strings.h>

#include <algorithm>
#include <cmath>

#include "swf/swf_display_tags.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_glyph_outline.h"
#include "swf/swf_records.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_text_tags.h"

namespace {

// Takes `count` ids from *nextId, the first into *first; false, nothing
// taken, when they would pass 65535.
[[nodiscard]] bool TakeIds(u16* nextId, u16 count, u16* first) {
  if (!nextId || u32(*nextId) + count > 0xFFFF) return false;
  *first = u16(*nextId + 1);
  *nextId = u16(*nextId + count);
  return true;
}

bool FitsS16(s64 value) { return value >= -32768 && value <= 32767; }

std::unique_ptr<CSwfRgba> OpaqueColor(u32 color) {
  return std::make_unique<CSwfRgba>(u8(color), u8(color >> 8), u8(color >> 16), 255);
}

std::unique_ptr<CSwfMatrix> Translation(s32 x, s32 y) {
  auto matrix = std::make_unique<CSwfMatrix>();
  matrix->translateX = x;
  matrix->translateY = y;
  return matrix;
}

std::unique_ptr<CSwfRect> Bounds(s32 xMin, s32 yMin, s32 xMax, s32 yMax) {
  auto rect = std::make_unique<CSwfRect>();
  rect->Set(xMin, yMin, xMax, yMax, false);
  return rect;
}

// A static text of one glyph: one style record and one glyph record.
std::unique_ptr<CSwfDefineText2> OneGlyphText(u16 id, std::unique_ptr<CSwfRect> bounds, u16 fontId,
                                              u32 color, s16 yOffset, u16 height, int glyphIndex) {
  auto identity = std::make_unique<CSwfMatrix>();
  auto text = std::make_unique<CSwfDefineText2>(id, bounds.release(), identity.release(), 0, 0);
  auto style = std::make_unique<CSwfTextStyleRecord>();
  style->SetFontId(fontId);
  style->SetColor(OpaqueColor(color).release());
  style->SetXOffset(0);
  style->SetYOffset(yOffset);
  style->SetTextHeight(height);
  text->AddRecord(std::move(style));
  auto glyphs = std::make_unique<CSwfTextGlyphRecord>();
  glyphs->AddEntry(u32(glyphIndex), 0);
  text->AddRecord(std::move(glyphs));
  return text;
}

// A sprite of one frame placing the character at depth 1.
std::unique_ptr<CSwfDefineSprite> PlacingSprite(u16 id, u16 character, s32 x, s32 y, bool showFrame) {
  auto sprite = std::make_unique<CSwfDefineSprite>(id, 1);
  auto place = std::make_unique<CSwfPlaceObject2>();
  place->SetCharacterId(character);
  place->SetDepth(1);
  place->SetMatrix(Translation(x, y).release());
  // A tag the sprite takes is the sprite's; one it refuses stays here.
  if (!sprite->AddTag(place.get())) return nullptr;
  static_cast<void>(place.release());
  if (showFrame) {
    auto frame = std::make_unique<CSwfShowFrame>();
    if (!sprite->AddTag(frame.get())) return nullptr;
    static_cast<void>(frame.release());
  }
  return sprite;
}

}  // namespace

// ---- style ----

CFontStyle::CFontStyle() { SetSize(32); }

void CFontStyle::Reset() {
  color = 0xFFFFFF;
  effectKind = effectAmount = effectExtra = 0;
  SetSize(32);
}

void CFontStyle::Assign(const CFontStyle& other) {
  if (&other == this) return;
  CFont::Assign(other);
  color = other.color;
  effectKind = other.effectKind;
  effectAmount = other.effectAmount;
  effectExtra = other.effectExtra;
}

bool CFontStyle::IsSameFont(const CFontStyle& other, bool compareSize, bool compareColor) const {
  if (!IsSameFace(other) || effectKind != other.effectKind || effectAmount != other.effectAmount ||
      effectExtra != other.effectExtra)
    return false;
  if (compareColor && color != other.color) return false;
  if (compareSize && GetSize() != other.GetSize()) return false;
  return true;
}

// ---- collection ----

CFontCollection::CFontCollection() = default;

CFontCollection::~CFontCollection() = default;

CFontRecord* CFontCollection::FindFont(const CFontStyle& style) const {
  for (const auto& record : fonts)
    if (style.IsSameFont(*record, (options & 1) == 0, true)) return record.get();
  return nullptr;
}

CFontRecord* CFontCollection::FindFontByNameAndFace(const CFontStyle& style) const {
  for (const auto& record : fonts)
    if (strcasecmp(record->GetName(), style.GetName()) == 0 && record->GetFace() == style.GetFace())
      return record.get();
  return nullptr;
}

bool CFontCollection::AddFont(const CFontStyle& style, const char* chars, u32 newOptions) {
  options = newOptions;
  if (CFontRecord* record = FindFont(style)) {
    if (chars) record->chars += chars;
    return true;
  }
  auto record = std::make_unique<CFontRecord>();
  record->Assign(style);
  if (chars) record->chars = chars;
  fonts.push_back(std::move(record));
  return true;
}

bool CFontCollection::PrepareFontTags(CSwfFileWriter*, u16* nextId) {
  if (!nextId) return false;
  preparedTags.clear();
  // Fonts get new ids: the movie has none of them yet.
  written.clear();
  std::vector<bool> processed(fonts.size(), false);
  for (size_t i = 0; i < fonts.size(); ++i) {
    if (processed[i]) continue;
    CFontRecord& record = *fonts[i];
    record.letterSprites.clear();
    std::string merged = record.chars;
    std::vector<CFontRecord*> group;
    for (size_t j = i + 1; j < fonts.size(); ++j) {
      if (processed[j] || !record.IsSameFont(*fonts[j], false, false)) continue;
      merged += fonts[j]->chars;
      processed[j] = true;
      group.push_back(fonts[j].get());
    }
    std::sort(merged.begin(), merged.end(), [](char a, char b) { return u8(a) < u8(b); });
    merged.erase(std::unique(merged.begin(), merged.end()), merged.end());

    u16 id = 0;
    if (!TakeIds(nextId, 1, &id)) return false;
    record.fontId = id;
    record.chars = merged;
    for (CFontRecord* member : group) {
      member->fontId = id;
      member->chars = merged;
    }
    CSwfShapeRecordList scratch;
    std::unique_ptr<CSwfDefineFont2> tag(BuildDefineFont2(scratch, record, merged.c_str(), id, uniqueFontNames));
    if (!tag) return false;
    preparedTags.push_back(std::move(tag));
    processed[i] = true;
  }
  return true;
}

bool CFontCollection::IsWritten(const CFontRecord* record) const {
  auto found = written.find(record);
  return found != written.end() && found->second;
}

bool CFontCollection::EnsureFontWritten(CFontRecord& record, CSwfFileWriter& writer) {
  if (record.fontId == 0) return false;
  if (IsWritten(&record)) return true;
  auto tag = std::find_if(preparedTags.begin(), preparedTags.end(),
                          [&record](const auto& t) { return t->GetCharacterId() == record.fontId; });
  if (tag == preparedTags.end()) return false;
  if (writer.WriteTag(tag->get(), true) == 0) return false;
  // Every style merged into this font has it now.
  for (const auto& other : fonts)
    if (other->fontId == record.fontId) written[other.get()] = true;
  return true;
}

u16 CFontCollection::EmitFontTag(const CFontStyle& style, CSwfFileWriter& writer) {
  CFontRecord* record = FindFont(style);
  if (!record || !EnsureFontWritten(*record, writer)) return 0;
  return record->fontId;
}

int CFontCollection::GetCharIndex(char c, const CFontStyle& style) const {
  const CFontRecord* record = FindFont(style);
  if (!record) record = FindFontByNameAndFace(style);
  if (!record) return -1;
  const size_t position = record->chars.find(c);
  return position == std::string::npos ? -1 : int(position);
}

u16 CFontCollection::GetFontId(const CFontStyle& style) const {
  const CFontRecord* record = FindFont(style);
  return record ? record->fontId : 0;
}

u16 CFontCollection::GetAuxId(const CFontStyle& style) const {
  const CFontRecord* record = FindFont(style);
  return record ? record->auxId : 0xFFFF;
}

u16 CFontCollection::GetGlyphCode(char c, const CFontStyle& style) const {
  const CFontRecord* record = FindFont(style);
  if (!record) return 0xFFFF;
  const size_t position = record->chars.find(c);
  if (position == std::string::npos) return 0xFFFF;
  return record->glyphBase != 0 ? u16(record->glyphBase + s32(position)) : 0;
}

void CFontCollection::ClearWrittenFlags() {
  for (const auto& record : fonts) written[record.get()] = false;
}

void CFontCollection::DeleteAllFonts() {
  fonts.clear();
  written.clear();
  preparedTags.clear();
}

// ---- letter sprites ----

bool CFontCollection::BuildLetterSprites(CFontRecord& record, s32 size, u32 color,
                                         CSwfFileWriter& writer, u16* nextId) {
  const s64 height = s64(size) * 20;
  if (size <= 0 || !FitsS16(height)) return false;
  for (char c : record.chars) {
    const int index = GetCharIndex(c, record);
    u16 textId = 0;
    if (index < 0 || !TakeIds(nextId, 2, &textId)) return false;
    const u16 spriteId = u16(textId + 1);
    const s32 h = s32(height);
    std::unique_ptr<CSwfDefineText2> text =
        OneGlyphText(textId, Bounds(0, -h, 0, h), record.fontId, color, 4300, u16(h), index);
    std::unique_ptr<CSwfDefineSprite> sprite = PlacingSprite(spriteId, textId, 0, -(h / 2), false);
    if (!sprite || writer.WriteTag(text.release(), false) == 0 ||
        writer.WriteTag(sprite.release(), false) == 0)
      return false;
  }
  return true;
}

u16 CFontCollection::BuildLetterSprite(char c, s32 size, CFontRecord& record, CSwfFileWriter& writer,
                                       u16* nextId) {
  if ((record.effectKind >= 2 && record.effectKind <= 5) || record.effectAmount >= 1) return 0;
  const s64 height = s64(size) * 20;
  const int index = GetCharIndex(c, record);
  if (size <= 0 || !FitsS16(height) || index < 0) return 0;
  const s32 h = s32(height);
  CFont font(record);
  font.SetSize(size);
  const double advance = std::trunc(font.GetCharAdvanceEm(c) / (1024.0 / h));
  const s64 yOffset = s64(font.GetAscent()) * 20;
  if (!FitsS16(s64(advance * 2)) || !FitsS16(yOffset)) return 0;
  const s32 adv = s32(advance);

  u16 textId = 0;
  if (!TakeIds(nextId, 2, &textId)) return 0;
  const u16 spriteId = u16(textId + 1);
  std::unique_ptr<CSwfDefineText2> text = OneGlyphText(
      textId, Bounds(-2 * adv, -2 * h, 2 * adv, 2 * h), record.fontId, record.color, s16(yOffset), u16(h), index);
  std::unique_ptr<CSwfDefineSprite> sprite = PlacingSprite(spriteId, textId, -(adv / 2), -(h / 2), true);
  if (!sprite || writer.WriteTag(text.release(), false) == 0 ||
      writer.WriteTag(sprite.release(), false) == 0)
    return 0;
  return spriteId;
}

u16 CFontCollection::GetLetterSprite(char c, const CFontStyle& style, CSwfFileWriter& writer,
                                     u16* nextId) {
  CFontRecord* record = FindFont(style);
  if (!record || !EnsureFontWritten(*record, writer)) return 0xFFFF;
  const CLetterKey key{u8(c), style.GetSize()};
  auto found = record->letterSprites.find(key);
  if (found != record->letterSprites.end()) return found->second;
  const u16 sprite = BuildLetterSprite(c, style.GetSize(), *record, writer, nextId);
  if (sprite != 0) record->letterSprites[key] = sprite;
  return sprite;
}

u16 CFontCollection::GetSizeSprite(const CFontStyle& style, CSwfFileWriter& writer, u16* nextId) {
  CFontRecord* record = FindFont(style);
  if (!record || !EnsureFontWritten(*record, writer)) return 0;
  const s32 size = style.GetSize();
  auto found = record->sizeSprites.find(size);
  if (found != record->sizeSprites.end()) return found->second;

  const s64 height = s64(size) * 20;
  if (size <= 0 || !FitsS16(height)) return 0;
  const s32 h = s32(height);
  CFont font(*record);
  font.SetSize(size);
  const double width = std::trunc(font.GetCharAdvanceEm('W') / (1024.0 / h));
  if (!FitsS16(s64(width * 2))) return 0;
  const s32 w = s32(width);

  u16 textId = 0;
  if (!TakeIds(nextId, 2, &textId)) return 0;
  const u16 spriteId = u16(textId + 1);
  auto text = std::make_unique<CSwfDefineEditText>();
  text->Set(textId, OpaqueColor(record->color).release(), "dummyletter");
  text->SetBounds(Bounds(-2 * w, -h, 2 * w, h).release());
  text->SetFont(record->fontId, u16(h));
  text->SetInitialText("W");
  text->SetLayout(2, 0, 0, 0, 0);
  text->SetReadOnly(true);
  text->SetNoSelect(true);
  text->SetUseOutlines(true);
  std::unique_ptr<CSwfDefineSprite> sprite = PlacingSprite(spriteId, textId, 0, 0, true);
  if (!sprite || writer.WriteTag(text.release(), false) == 0 ||
      writer.WriteTag(sprite.release(), false) == 0)
    return 0;
  record->sizeSprites[size] = spriteId;
  return spriteId;
}
