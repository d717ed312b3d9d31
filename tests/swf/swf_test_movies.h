// Small movies for the SWF engine's tests, made byte by byte.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/mac_types.h"

class CSwfTag;

namespace swftest {

struct RawTag {
  u16 code;
  std::vector<u8> body;
  bool longHeader = false;
  bool cut = false;  // the body ran past the end of the data
};

// A plain movie: header (stage 550 x 400 pixels, 12 fps, the given version)
// and the tags as given; the length field holds the real length.
std::vector<u8> BuildMovie(const std::vector<RawTag>& tags, u8 version = 6);

// The tags of a movie as (code, body) pairs, read straight from its bytes
// without the engine; the walk stops after End or at a tag cut short by the
// end of the data, whose body is what there is.
std::vector<RawTag> SplitTags(const std::vector<u8>& movie);
// The same for a tag list that starts at `start` (a sprite's inner tags);
// `end`, when given, receives where the walk stopped.
std::vector<RawTag> SplitTagList(const std::vector<u8>& bytes, size_t start, size_t* end = nullptr);

// The tag the engine reads from a movie of the given version that holds
// only this tag and an End; null when the movie does not load.
std::unique_ptr<CSwfTag> ReadTag(const RawTag& tag, u8 version = 6);

// The body a tag writes of itself (its header cut off), into a writer of
// the given version.
std::vector<u8> WrittenBody(CSwfTag* tag, u8 version = 6);

// What a tag holds, as text: every field of a placement or a button
// (matrices and colour transforms by value, scripts as written) and of a
// button's colour transform; the written body of any other tag.
std::string DescribeTag(CSwfTag* tag, u8 version = 6);

// Bytes from a list of small integers.
std::vector<u8> Bytes(std::initializer_list<int> values);

// The folder of the shared reference movies (ends in "/"); "" when absent.
std::string CorpusFolder();

}  // namespace swftest
