#include "platform/font_panel.h"

#include <cstring>

namespace plat {

namespace {

bool gPanelVisible = false;
FontSelection gLastSelection;

template <typename T>
[[nodiscard]] bool Read(const AtsuStyle* style, ATSUAttributeTag tag, T* out) {
  auto it = style->attributes.find(tag);
  if (it == style->attributes.end() || it->second.size() != sizeof(T)) return false;
  std::memcpy(out, it->second.data(), sizeof(T));
  return true;
}

}  // namespace

const FontSelection& LastFontSelection() { return gLastSelection; }

void ResetFontPanel() {
  gPanelVisible = false;
  gLastSelection = FontSelection();
}

}  // namespace plat

OSStatus FPShowHideFontPanel() {
  plat::gPanelVisible = !plat::gPanelVisible;
  return noErr;
}

Boolean FPIsFontPanelVisible() { return plat::gPanelVisible; }

OSStatus ATSUCreateStyle(ATSUStyle* outStyle) {
  if (!outStyle) return paramErr;
  *outStyle = new plat::AtsuStyle;
  return noErr;
}

OSStatus ATSUSetAttributes(ATSUStyle style, UInt32 count, const ATSUAttributeTag* tags, const ByteCount* sizes,
                           const ATSUAttributeValuePtr* values) {
  if (!style || (count && (!tags || !sizes || !values))) return paramErr;
  for (UInt32 i = 0; i < count; ++i) {
    auto bytes = static_cast<const UInt8*>(values[i]);
    style->attributes[tags[i]] = std::vector<UInt8>(bytes, bytes + sizes[i]);
  }
  return noErr;
}

OSStatus ATSUDisposeStyle(ATSUStyle style) {
  if (!style) return paramErr;
  delete style;
  return noErr;
}

OSStatus SetFontInfoForSelection(OSType selectionType, UInt32 styleCount, void* styles, EventTargetRef target) {
  plat::FontSelection selection;
  selection.selectionType = selectionType;
  selection.styleCount = styleCount;
  selection.target = target;
  if (selectionType == kFontSelectionATSUIType && styleCount >= 1 && styles) {
    const plat::AtsuStyle* style = static_cast<ATSUStyle*>(styles)[0];
    selection.hasFont = plat::Read(style, kATSUFontTag, &selection.font);
    selection.hasSize = plat::Read(style, kATSUSizeTag, &selection.size);
  }
  plat::gLastSelection = selection;
  return noErr;
}
