// The tag factory: from a tag code to a new, empty tag object.
//
// Every code without a class of its own becomes a raw tag that keeps its
// body as bytes and writes it back unchanged. A tag class joins the engine
// with one case in CreateTag (and, when the shallow load inspects it, in
// CreateShallowTag).
#include "swf/swf_action_list.h"
#include "swf/swf_button_tags.h"
#include "swf/swf_bitmap_tags.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_morph_shape.h"
#include "swf/swf_reader.h"
#include "swf/swf_sound_tags.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_shape_tags.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_unknown_tag.h"
#include "swf/swf_video_tags.h"

CSwfTag* CSwfReader::CreateTag(u16 code, u32 length) {
  if (code == kSwfShowFrameCode) ++m_frameCounter;
  switch (code) {
    case kSwfEndCode:
      return new CSwfEnd;
    case kSwfShowFrameCode:
      return new CSwfShowFrame;
    case kSwfFreeCharacterCode:
      return new CSwfFreeCharacter(1);
    case kSwfPlaceObjectCode:
      return new CSwfPlaceObject;
    case kSwfRemoveObjectCode:
      return new CSwfRemoveObject(1, 1);
    case kSwfSetBackgroundColorCode:
      return new CSwfSetBackgroundColor(0, 0, 0);
    case kSwfDoActionCode:
      return new CSwfDoAction;
    case kSwfProtectCode:
      return new CSwfProtect;
    case kSwfPlaceObject2Code:
      return new CSwfPlaceObject2;
    case kSwfRemoveObject2Code:
      return new CSwfRemoveObject2(1);
    case kSwfFrameLabelCode:
      return new CSwfFrameLabel(nullptr);
    case kSwfExportAssetsCode:
      return new CSwfExportAssets;
    case kSwfImportAssetsCode:
      return new CSwfImportAssets;
    case kSwfEnableDebuggerCode:
      return new CSwfEnableDebugger;
    case kSwfDoInitActionCode:
      return new CSwfDoInitAction;
    case kSwfEnableDebugger2Code:
      return new CSwfEnableDebugger2;
    case kSwfDefineButtonCode:
      return new CSwfDefineButton;
    case kSwfDefineSoundCode:
      return new CSwfDefineSound;
    case kSwfStartSoundCode:
      return new CSwfStartSound;
    case kSwfDefineButtonSoundCode:
      return new CSwfDefineButtonSound;
    case kSwfSoundStreamHeadCode:
      return new CSwfSoundStreamHead;
    case kSwfSoundStreamBlockCode:
      return new CSwfSoundStreamBlock;
    case kSwfDefineButtonCxformCode:
      return new CSwfDefineButtonCxform;
    case kSwfDefineButton2Code:
      return new CSwfDefineButton2;
    case kSwfDefineSpriteCode:
      return new CSwfDefineSprite(1, 0);
    case kSwfSoundStreamHead2Code:
      return new CSwfSoundStreamHead2;
    case kSwfDefineVideoStreamCode:
      return new CSwfDefineVideoStream;
    case kSwfVideoFrameCode:
      return new CSwfVideoFrame(length);
    case kSwfDefineShapeCode:
      return new CSwfDefineShape;
    case kSwfDefineShape2Code:
      return new CSwfDefineShape2;
    case kSwfDefineShape3Code:
      return new CSwfDefineShape3;
    case kSwfDefineMorphShapeCode:
      return new CSwfDefineMorphShape;
    case kSwfDefineBitsCode:
      return new CSwfDefineBits(length);
    case kSwfJPEGTablesCode:
      return new CSwfJPEGTables(length);
    case kSwfDefineBitsLosslessCode:
      return new CSwfDefineBitsLossless(5);
    case kSwfDefineBitsJPEG2Code: {
      auto* jpeg = new CSwfDefineBitsJPEG2;
      jpeg->SetTagLength(length);
      return jpeg;
    }
    case kSwfDefineBitsJPEG3Code:
      return new CSwfDefineBitsJPEG3;
    case kSwfDefineBitsLossless2Code:
      return new CSwfDefineBitsLossless2(5);
    case kSwfDefineTextCode:
      return new CSwfDefineText;
    case kSwfDefineText2Code:
      return new CSwfDefineText2;
    case kSwfDefineEditTextCode:
      return new CSwfDefineEditText;
    case kSwfDefineFontCode:
      return new CSwfDefineFont;
    case kSwfDefineFont2Code:
      return new CSwfDefineFont2;
    case kSwfDefineFontInfoCode:
      return new CSwfDefineFontInfo;
    case kSwfDefineFontInfo2Code:
      return new CSwfDefineFontInfo2;
    default:
      return new CSwfUnknownTag(code, length);
  }
}

CSwfTag* CSwfReader::CreateShallowTag(u16 code, u32 length) {
  switch (code) {
    case kSwfSetBackgroundColorCode:
      return new CSwfSetBackgroundColor(0, 0, 0);
    case kSwfFrameLabelCode:
      return new CSwfFrameLabel(nullptr);
    default:
      return new CSwfUnknownTag(code, length);
  }
}
