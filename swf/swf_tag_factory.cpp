// The tag factory: from a tag code to a new, empty tag object.
//
// Every code without a class of its own becomes a raw tag that keeps its
// body as bytes and writes it back unchanged. A tag class joins the engine
// with one case in CreateTag (and, when the shallow load inspects it, in
// CreateShallowTag).
#include "swf/swf_action_list.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_unknown_tag.h"

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
