// The engine against real movies made by authoring tools and other libraries.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "swf/swf_action_list.h"
#include "swf/swf_bitmap_tags.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_button_tags.h"
#include "swf/swf_compression.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "swf/swf_sprite_tags.h"
#include "tests/support/test_support.h"
#include "swf/swf_morph_shape.h"
#include "swf/swf_object_pool.h"
#include "swf/swf_shape_tags.h"
#include "tests/swf/swf_graphics_test_support.h"
#include "tests/swf/swf_font_text_values.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::RawTag;
using swftest::SplitTags;

namespace {

// The plain form of a movie file: as it is, or expanded from "CWS".
bool PlainBytes(const std::vector<u8>& file, std::vector<u8>& plain) {
  if (file.size() >= 3 && file[0] == 'C') return DecompressSwfBytes(file.data(), file.size(), plain);
  plain = file;
  return true;
}

struct Header {
  u8 version = 0;
  u32 length = 0;
  CSwfRect frame;
  std::vector<u8> rateAndCount;
};

Header ParseHeader(const std::vector<u8>& movie) {
  Header header;
  CSwfReader reader;
  CSwfBitWriter writer(4);
  writer.AppendBytes(movie);
  EXPECT_TRUE(reader.LoadFromWriter(writer));
  reader.Skip(3);
  header.version = reader.ReadU8();
  header.length = reader.ReadU32();
  header.frame.Read(reader);
  for (int i = 0; i < 4; ++i) header.rateAndCount.push_back(reader.ReadU8());
  return header;
}


bool IsActionTag(u16 code) { return code == kSwfDoActionCode || code == kSwfDoInitActionCode; }

// A DoAction without actions and without bytes behind its end byte.
bool IsEmptyActionList(const RawTag& tag) {
  return tag.code == kSwfDoActionCode &&
         (tag.body.empty() || (tag.body[0] == 0 && tag.body.size() == 1));
}

// The placement (or button) a body decodes to, as text, so that two
// encodings of the same values compare equal.
std::string DecodedPlacement(const RawTag& tag, u8 version) {
  const std::unique_ptr<CSwfTag> decoded = swftest::ReadTag(tag, version);
  return decoded ? swftest::DescribeTag(decoded.get(), version) : "";
}

// Whether two bodies of a shape or morph-shape tag decode to the same values.
bool SameGraphicsValues(const RawTag& was, const RawTag& now, u8 version) {
  const std::unique_ptr<CSwfTag> before = swftest::ReadTag(was, version);
  const std::unique_ptr<CSwfTag> after = swftest::ReadTag(now, version);
  if (!before || !after) return false;
  const std::string described = swftest::DescribeGraphicsTag(before.get());
  return !described.empty() && described == swftest::DescribeGraphicsTag(after.get());
}

// Both bodies read to the same font or text.
bool SameFontOrText(const RawTag& was, const RawTag& now, u8 version) {
  const std::string decoded = swftest::DecodedFontOrText(was.code, was.body, version);
  return !decoded.empty() && decoded == swftest::DecodedFontOrText(now.code, now.body, version);
}

// An edit text whose flags name a font but no layout block.
bool EditTextLacksLayout(const std::vector<u8>& body) {
  if (body.size() < 3) return false;
  const size_t flags = 2 + (5 + 4 * (body[2] >> 3) + 7) / 8;
  return flags + 1 < body.size() && (body[flags] & 0x01) && !(body[flags + 1] & 0x20);
}

// The named rule that explains why a tag was written back with other body
// bytes than it was read with; null when none does.
const char* ExplainChange(const RawTag& was, const RawTag& now, u8 version) {
  std::vector<u8> closed = was.body;
  closed.push_back(0);
  switch (was.code) {
    case kSwfDoActionCode:
    case kSwfDoInitActionCode:
      if (now.body == closed) return "an action list without its end byte gains one";
      return nullptr;
    case kSwfProtectCode:
      return now.body.empty() ? "a Protect body is dropped" : nullptr;
    case kSwfFrameLabelCode:
      return version >= 6 && now.body == closed ? "a frame label of version 6 gains its anchor byte"
                                                : nullptr;
    case kSwfPlaceObjectCode:
    case kSwfPlaceObject2Code: {
      const std::string decoded = DecodedPlacement(was, version);
      if (decoded.empty() || decoded != DecodedPlacement(now, version)) return nullptr;
      return "a placement's matrix and colour transform take their narrowest widths and "
             "explicit multiply terms";
    }
    case kSwfDefineButtonCode:
    case kSwfDefineButton2Code: {
      const std::string decoded = DecodedPlacement(was, version);
      if (decoded.empty() || decoded != DecodedPlacement(now, version)) return nullptr;
      return "a button record's matrix and colour transform take their narrowest widths and "
             "explicit multiply terms";
    }
    case kSwfDefineButtonCxformCode: {
      const std::string decoded = DecodedPlacement(was, version);
      if (decoded.empty() || decoded != DecodedPlacement(now, version)) return nullptr;
      if (now.body.size() < was.body.size() &&
          std::equal(now.body.begin(), now.body.end(), was.body.begin()))
        return "bytes behind a button's colour transform are dropped";
      return "a button's colour transform takes its narrowest width";
    }
    case kSwfDefineShapeCode:
    case kSwfDefineShape2Code:
    case kSwfDefineShape3Code:
      return SameGraphicsValues(was, now, version)
                 ? "a shape's bit fields take the widths of the bit-count rule"
                 : nullptr;
    case kSwfDefineMorphShapeCode:
      return SameGraphicsValues(was, now, version)
                 ? "a morph shape's bit fields take the widths of the bit-count rule"
                 : nullptr;
    case kSwfDefineTextCode:
    case kSwfDefineText2Code:
      return SameFontOrText(was, now, version)
                 ? "a static text's rectangle, matrix and glyph widths follow the bit-count rule"
                 : nullptr;
    case kSwfDefineFont2Code:
      if (!SameFontOrText(was, now, version)) return nullptr;
      return version >= 6 && was.body.size() > 2 && !(was.body[2] & kFont2WideCodes)
                 ? "a font of version 6 or later with 8-bit codes gets 16-bit codes, converted from Mac Roman"
                 : nullptr;
    case kSwfDefineEditTextCode:
      if (!SameFontOrText(was, now, version)) return nullptr;
      return EditTextLacksLayout(was.body) ? "an edit text with a font gains its layout block, holding the defaults"
                                           : "an edit text's rectangle follows the bit-count rule";
    default:
      return nullptr;
  }
}

// Compares the tags of a list (a movie's, or a sprite's at any depth) with
// their rewrite one by one: each comes back with its body bytes, or with a
// change a named rule explains, counted in `rules`. A sprite's inner tags
// are compared the same way. `where` names the list in failure messages.
void CompareTagLists(const std::vector<RawTag>& before, const std::vector<RawTag>& after,
                     u8 version, std::map<std::string, int>& rules, const std::string& where) {
  size_t j = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    const RawTag& was = before[i];
    const std::string tag = where + "tag " + std::to_string(i);
    if (IsEmptyActionList(was)) {
      ++rules["a DoAction without actions is left out"];
      continue;
    }
    ASSERT_LT(j, after.size()) << tag;
    const RawTag& now = after[j++];
    ASSERT_EQ(now.code, was.code) << tag;
    if (was.code == kSwfDefineSpriteCode && now.body != was.body) {
      ASSERT_GE(was.body.size(), 4u) << tag;
      ASSERT_GE(now.body.size(), 4u) << tag;
      EXPECT_TRUE(std::equal(was.body.begin(), was.body.begin() + 4, now.body.begin()))
          << tag << ": the sprite's id and frame count";
      size_t end = 0;
      const std::vector<RawTag> inner = swftest::SplitTagList(was.body, 4, &end);
      const std::vector<RawTag> innerNow = swftest::SplitTagList(now.body, 4);
      if (inner.empty() || inner.back().code != 0) {
        ++rules[inner.empty() || !inner.back().cut
                    ? "a sprite without an End tag gains one"
                    : "a tag cut short by the end of its sprite keeps what there is; an End follows"];
      } else if (end < was.body.size()) {
        ++rules["bytes behind a sprite's End tag are dropped"];
      }
      CompareTagLists(inner, innerNow, version, rules, tag + " (sprite): ");
      if (::testing::Test::HasFatalFailure()) return;
    } else if (now.body != was.body) {
      const char* rule = ExplainChange(was, now, version);
      ASSERT_NE(rule, nullptr) << tag << " (code " << was.code << ") changed";
      ++rules[rule];
      continue;
    }
    if (was.longHeader == now.longHeader) continue;
    if (IsActionTag(was.code)) {
      EXPECT_TRUE(now.longHeader) << tag;
      ++rules["an action tag takes the long header"];
      continue;
    }
    if (was.code == kSwfDefineBitsLosslessCode || was.code == kSwfDefineBitsLossless2Code) {
      EXPECT_TRUE(now.longHeader) << tag;
      ++rules["a lossless bitmap tag takes the long header"];
      continue;
    }
    if (!was.longHeader) {
      EXPECT_GT(now.body.size(), 62u) << tag;
      ++rules["a sprite grown past 62 bytes takes the long header"];
      continue;
    }
    EXPECT_LE(now.body.size(), 62u) << tag;
    ++rules["a long header on a body of at most 62 bytes is shortened"];
  }
  const bool hadEnd = !before.empty() && before.back().code == 0;
  EXPECT_EQ(j + (hadEnd ? 0 : 1), after.size()) << where;
}

// Rules that change what a movie holds, not only how it is encoded; the
// independent reader sees a difference in the movies they touch.
bool ChangesValues(const std::string& rule) {
  static const char* const kRules[] = {
      "a DoAction without actions is left out",
      "an action list without its end byte gains one",
      "a Protect body is dropped",
      "a frame label of version 6 gains its anchor byte",
      "a movie without an End tag gains one",
      "a font of version 6 or later with 8-bit codes gets 16-bit codes, converted from Mac Roman",
      "a tag cut short by the end of the data keeps what there is; an End follows",
  };
  for (const char* known : kRules)
    if (rule == known) return true;
  return false;
}

}  // namespace

TEST(SwfCorpus, EveryMovieLoadsAndWritesBackTheSameTags) {
  const std::vector<std::string> movies = swftest::CorpusMovies();
  if (movies.empty()) GTEST_SKIP() << "the reference movies are absent";

  // How often each intended difference between a movie and its rewrite occurs.
  std::map<std::string, int> rules;
  int roundTripped = 0;
  // Each movie of version 8 or lower beside its rewrite, for the independent
  // reader, and whether a named rule changed a value in it (not only an encoding).
  std::vector<std::pair<std::string, std::string>> pairs;
  std::vector<bool> valuesChanged;
  const std::string rewrites = gbtest::MakeTempFolder("corpus_rewrites");
  for (const std::string& path : movies) {
    SCOPED_TRACE(path);
    const std::vector<u8> file = gbtest::ReadFile(path);
    ASSERT_GE(file.size(), 3u);
    const std::string signature(file.begin(), file.begin() + 3);
    std::vector<u8> plain;
    CSwfReader reader;
    if (signature == "ZWS") {
      EXPECT_FALSE(reader.LoadFromMemory(file.data(), u32(file.size()), true, 0, true));
      continue;
    }
    ASSERT_TRUE(PlainBytes(file, plain)) << "the compressed body expands";
    if (signature == "CWS") {
      EXPECT_FALSE(reader.LoadFromMemory(file.data(), u32(file.size()), true, 0, true));
      EXPECT_TRUE(reader.IsCompressed());
    }
    ASSERT_TRUE(reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
    ASSERT_FALSE(reader.GetTags().empty());
    EXPECT_EQ(reader.GetTags().back()->GetCode(), 0) << "the tag loop ends in an End tag";
    EXPECT_EQ(reader.GetTagsKeptRaw(), 0u) << "no real movie comes near the bound on what its bytes make";

    CSwfBitWriter writer(reader.GetVersion());
    EXPECT_GT(reader.WriteMovie(writer), 0u);
    const std::vector<u8> written = writer.GetBytes();
    reader.DeleteTags(true);

    // The rewrite reads back to the same movie.
    CSwfReader again;
    ASSERT_TRUE(again.LoadFromMemory(written.data(), u32(written.size()), true, 0, true));
    CSwfBitWriter secondWriter(again.GetVersion());
    EXPECT_GT(again.WriteMovie(secondWriter), 0u);
    EXPECT_EQ(secondWriter.GetBytes(), written);
    again.DeleteTags(true);

    if (plain[3] > 8) continue;
    ++roundTripped;
    pairs.emplace_back(path, rewrites + std::to_string(pairs.size()) + ".swf");
    ASSERT_TRUE(gbtest::WriteFile(pairs.back().second, written));
    const std::map<std::string, int> rulesBefore = rules;
    const std::vector<RawTag> before = SplitTags(plain);
    const std::vector<RawTag> after = SplitTags(written);
    if (before.empty() || before.back().code != 0) {
      ++rules[before.empty() || !before.back().cut
                  ? "a movie without an End tag gains one"
                  : "a tag cut short by the end of the data keeps what there is; an End follows"];
    }
    CompareTagLists(before, after, plain[3], rules, "");
    if (HasFatalFailure()) return;

    const Header original = ParseHeader(plain);
    const Header rewritten = ParseHeader(written);
    EXPECT_EQ(rewritten.version, original.version);
    EXPECT_EQ(rewritten.frame.xMin, original.frame.xMin);
    EXPECT_EQ(rewritten.frame.xMax, original.frame.xMax);
    EXPECT_EQ(rewritten.frame.yMin, original.frame.yMin);
    EXPECT_EQ(rewritten.frame.yMax, original.frame.yMax);
    EXPECT_EQ(rewritten.rateAndCount, original.rateAndCount);
    EXPECT_EQ(rewritten.length, written.size());
    if (plain[8] != written[8]) ++rules["the frame size takes its narrowest bit width"];
    if (rewritten.length != original.length) ++rules["the length field holds the new length"];

    size_t tagBytes = 0;
    for (const RawTag& tag : before) tagBytes += tag.body.size() + (tag.longHeader ? 6 : 2);
    const size_t headerSize = 8 + (5 + 4 * (plain[8] >> 3) + 7) / 8 + 4;
    if (plain.size() > headerSize + tagBytes) ++rules["bytes behind the End tag are dropped"];

    bool changed = false;
    for (const auto& [rule, count] : rules) {
      const auto earlier = rulesBefore.find(rule);
      if (ChangesValues(rule) && (earlier == rulesBefore.end() || earlier->second != count))
        changed = true;
    }
    valuesChanged.push_back(changed);
  }
  EXPECT_GT(roundTripped, 200);
  for (const auto& [rule, count] : rules) std::printf("  %4d x %s\n", count, rule.c_str());

  // A reader that is not ours decodes every rewrite to the values of its original.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::vector<std::string> verdicts = swftest::CompareWithIndependentReader(pairs);
  ASSERT_EQ(verdicts.size(), pairs.size());
  std::map<std::string, int> outcomes;
  int rawTags = 0;
  for (size_t i = 0; i < pairs.size(); ++i) {
    SCOPED_TRACE(pairs[i].first + ": " + verdicts[i]);
    std::istringstream verdict(verdicts[i]);
    std::string word;
    verdict >> word;
    if (word == "same") {
      int tags = 0;
      int raw = 0;
      verdict >> tags >> raw;
      rawTags += raw;
      ++outcomes["the independent reader decodes the same values"];
    } else if (word == "differ") {
      EXPECT_TRUE(valuesChanged[i]) << "a value changed that no named rule explains";
      ++outcomes["the independent reader sees a value a named rule changed"];
    } else {
      verdict >> word;
      EXPECT_EQ(word, "original") << "the independent reader refuses only what it refuses unwritten";
      ++outcomes["the independent reader refuses the original too"];
    }
  }
  for (const auto& [outcome, count] : outcomes) std::printf("  %4d x %s\n", count, outcome.c_str());
  std::printf("  (the independent reader kept %d tags of the originals as bytes)\n", rawTags);
  EXPECT_GT(outcomes["the independent reader decodes the same values"], 200);
}

// What real movies make of their bytes stays well below the reader's bound
// (kObjectBytesPerByte for each byte read, beyond an allowance that covers
// any small movie): the densest whole movie and the densest tag of a KB or
// more make no more than four fifths of it, so no real movie of any size
// has a tag kept as its bytes.
TEST(SwfCorpus, NoMovieComesNearTheBoundOnWhatItsBytesMake) {
  const std::vector<std::string> movies = swftest::CorpusMovies();
  if (movies.empty()) GTEST_SKIP() << "the reference movies are absent";
  double densestMovie = 0;
  double densestTag = 0;
  std::string movieName, tagName;
  for (const std::string& path : movies) {
    const std::vector<u8> file = gbtest::ReadFile(path);
    std::vector<u8> plain;
    if (file.size() < 8 || file[0] == 'Z' || !PlainBytes(file, plain)) continue;
    SCOPED_TRACE(path);
    const size_t before = CountSwfObjectBytesTaken();
    CSwfReader whole;
    ASSERT_TRUE(whole.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
    const double made = double(CountSwfObjectBytesTaken() - before) / double(plain.size());
    whole.DeleteTags(true);
    if (plain.size() >= 4096 && made > densestMovie) {
      densestMovie = made;
      movieName = path;
    }
    CSwfReader tags;
    ASSERT_TRUE(tags.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, false));
    for (;;) {
      const u32 start = tags.GetPosition();
      const size_t taken = CountSwfObjectBytesTaken();
      const std::unique_ptr<CSwfTag> tag(tags.ReadNextTag());
      const u32 length = tags.GetPosition() - start;
      const double density = double(CountSwfObjectBytesTaken() - taken) / double(std::max<u32>(length, 1));
      if (length >= 1024 && density > densestTag) {
        densestTag = density;
        tagName = path + " (tag " + std::to_string(tag->GetCode()) + ")";
      }
      if (tag->GetCode() == 0) break;
    }
  }
  std::printf("  densest movie: %.1f bytes of objects a byte, %s\n", densestMovie, movieName.c_str());
  std::printf("  densest tag: %.1f bytes of objects a byte, %s\n", densestTag, tagName.c_str());
  const double margin = 0.8 * double(CSwfReader::kObjectBytesPerByte);
  EXPECT_LE(densestMovie, margin);
  EXPECT_LE(densestTag, margin);
}
