// Font and text tags described by value, so that two encodings of the same
// font or text compare equal (the corpus test names the rules that re-encode
// them).
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"

class CSwfTag;

namespace swftest {

// Every value of a font or text tag as text; "" for another tag. A font is
// described as a writer of the given version writes it: its flags, and its
// codes in the width written (single-byte codes written wide as Unicode).
std::string DescribeFontOrText(CSwfTag* tag, u8 version);

// The same for a tag body, read by the engine at the given version; "" when
// it does not read as a font or text tag.
std::string DecodedFontOrText(u16 code, const std::vector<u8>& body, u8 version);

}  // namespace swftest
