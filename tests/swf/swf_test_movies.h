// Small movies for the SWF engine's tests, made byte by byte.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/mac_types.h"
#include "swf/swf_record.h"

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

// Expects the engine to keep the tag, read as ReadTag reads it, as its raw
// bytes: a raw tag of its code, counted among the tags the load kept raw,
// whose movie writes back with the tag's body unchanged.
void ExpectKeptAsBytes(const RawTag& tag, u8 version = 6);

// The body a tag writes of itself (its header cut off), into a writer of
// the given version.
std::vector<u8> WrittenBody(CSwfTag* tag, u8 version = 6);

// What a tag holds, as text: every field of a placement or a button
// (matrices and colour transforms by value, scripts as written) and of a
// button's colour transform; the written body of any other tag.
std::string DescribeTag(CSwfTag* tag, u8 version = 6);

// The codes of the tags, in order.
std::vector<u16> Codes(const std::vector<RawTag>& tags);
std::vector<u16> Codes(const std::vector<CSwfTag*>& tags);

// Bytes from a list of small integers.
std::vector<u8> Bytes(std::initializer_list<int> values);

// The bytes of the parts, one after another.
std::vector<u8> Concat(std::initializer_list<std::vector<u8>> parts);
inline std::vector<u8> Concat(std::vector<u8> a, const std::vector<u8>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The tag as its class; a failed expectation (and null) when it is not one.
template <typename Tag>
Tag* As(const std::unique_ptr<CSwfTag>& tag) {
  Tag* typed = dynamic_cast<Tag*>(tag.get());
  EXPECT_NE(typed, nullptr);
  return typed;
}

// The folder of the shared reference movies (ends in "/"); "" when absent.
std::string CorpusFolder();
// Every reference movie, sorted by path; none when the folder is absent.
std::vector<std::string> CorpusMovies();

// "name v1 v2 ...;": a record's fields as text, for comparing values.
template <typename... Values>
std::string Join(const char* name, Values... values) {
  std::string text = name;
  ((text += ' ' + std::to_string(values)), ...);
  return text + ';';
}

}  // namespace swftest
