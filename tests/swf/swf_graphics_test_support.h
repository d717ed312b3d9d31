// Helpers of the tests of gradients, styles, shapes, morph shapes and bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/mac_types.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

class CSwfFillStyle;
class CSwfLineStyle;
class CSwfShape;
class CSwfTag;

namespace swftest {

// The bytes a record writes of itself, its last byte closed.
template <typename Record>
std::vector<u8> Written(Record& record, u8 version = 8) {
  CSwfBitWriter writer(version);
  record.Write(writer);
  writer.FlushBits();
  return writer.GetBytes();
}

// Reads a record from bytes; gives the bytes consumed (a partly read last
// byte counted) and whether a read asked for more than the bytes held.
template <typename Record>
u32 ReadFrom(const std::vector<u8>& bytes, Record& record, bool* overran = nullptr) {
  CSwfBitWriter writer(8);
  writer.AppendBytes(bytes);
  CSwfReader reader;
  EXPECT_TRUE(reader.LoadFromWriter(writer));
  record.Read(reader);
  if (overran) *overran = reader.HasOverrun();
  return reader.GetPosition() + (reader.GetBitPosition() ? 1 : 0);
}

// What a shape holds, as text, without the bit widths of its encoding:
// its styles (when it has them) and its records by value.
std::string DescribeShape(const CSwfShape& shape);
std::string DescribeFillStyle(const CSwfFillStyle& style);
std::string DescribeLineStyle(const CSwfLineStyle& style);

// What a shape or morph-shape tag holds, by value (id, bounds, styles,
// records), without the bit widths of its encoding; "" for other tags.
std::string DescribeGraphicsTag(CSwfTag* tag);

// The points a shape's edges and moves reach, from the origin, as "x,y"
// texts (curves give their control point and then their anchor).
std::vector<std::string> ShapePoints(const CSwfShape& shape);

// A movie of the given version holding the tags as they write themselves
// and an End tag.
std::vector<u8> MovieOfTags(const std::vector<CSwfTag*>& tags, u8 version = 8);

// Makes a test bundle (see gbtest::UseTestBundle) whose "main.rsrc" holds
// each (id, bytes) pair as a resource of type 'xDAS'.
void UseBundleWithMovieResources(const std::string& name,
                                 const std::vector<std::pair<s16, std::vector<u8>>>& resources);

}  // namespace swftest
