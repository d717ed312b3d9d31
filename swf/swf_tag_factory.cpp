// The tag factory: from a tag code to a new, empty tag object.
//
// Every code without a class of its own becomes a raw tag that keeps its
// body as bytes and writes it back unchanged. A tag class joins the engine
// with one case in CreateTag (and, when the shallow load inspects it, in
// CreateShallowTag).
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"

namespace {

constexpr u16 kShowFrameCode = 1;

}  // namespace

CSwfTag* CSwfReader::CreateTag(u16 code, u32 length) {
  if (code == kShowFrameCode) ++m_frameCounter;
  switch (code) {
    default:
      return new CSwfUnknownTag(code, length);
  }
}

CSwfTag* CSwfReader::CreateShallowTag(u16 code, u32 length) {
  switch (code) {
    default:
      return new CSwfUnknownTag(code, length);
  }
}
