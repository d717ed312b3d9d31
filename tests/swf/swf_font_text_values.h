// Font and text tags described by value, so that two encodings of the same
// font or text compare equal (the corpus test names the rules that re-encode
// them).
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"

class CSwfTag;

namespace swftest {

// Every value of a font or text tag as text; "" for another tag.
std::string DescribeFontOrText(CSwfTag* tag);

// The same for a tag body, read by the engine at the given version; "" when
// it does not read as a font or text tag.
std::string DecodedFontOrText(u16 code, const std::vector<u8>& body, u8 version);

}  // namespace swftest
