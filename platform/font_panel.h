// The font panel and ATSUI styles, as far as windows pass font selections on.
#pragma once

#include <map>
#include <vector>

#include "platform/carbon_events.h"

namespace plat {
class AtsuStyle;
}
typedef plat::AtsuStyle* ATSUStyle;
typedef UInt32 ATSUAttributeTag;
typedef UInt32 ByteCount;
typedef void* ATSUAttributeValuePtr;
typedef UInt32 ATSUFontID;
typedef SInt32 Fixed;

enum : ATSUAttributeTag {
  kATSUFontTag = 261,
  kATSUSizeTag = 262,
};
constexpr OSType kFontSelectionATSUIType = FourCC("astl");

[[nodiscard]] OSStatus FPShowHideFontPanel();
[[nodiscard]] Boolean FPIsFontPanelVisible();
[[nodiscard]] OSStatus ATSUCreateStyle(ATSUStyle* outStyle);
[[nodiscard]] OSStatus ATSUSetAttributes(ATSUStyle style, UInt32 count, const ATSUAttributeTag* tags, const ByteCount* sizes,
                           const ATSUAttributeValuePtr* values);
OSStatus ATSUDisposeStyle(ATSUStyle style);
// Tells the font panel what the selection of `target` uses.
[[nodiscard]] OSStatus SetFontInfoForSelection(OSType selectionType, UInt32 styleCount, void* styles, EventTargetRef target);

namespace plat {

class AtsuStyle {
 public:
  std::map<ATSUAttributeTag, std::vector<UInt8>> attributes;
};

// What the last SetFontInfoForSelection told the panel.
struct FontSelection {
  OSType selectionType = 0;
  UInt32 styleCount = 0;
  EventTargetRef target = nullptr;
  bool hasFont = false;
  ATSUFontID font = 0;
  bool hasSize = false;
  Fixed size = 0;
};
const FontSelection& LastFontSelection();
void ResetFontPanel();

}  // namespace plat
