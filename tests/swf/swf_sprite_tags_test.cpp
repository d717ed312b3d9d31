#include "swf/swf_sprite_tags.h"

#include <gtest/gtest.h>

#include <memory>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_sound_tags.h"
#include "swf/swf_unknown_tag.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::BuildMovie;
using swftest::Bytes;
using swftest::Codes;
using swftest::RawTag;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

// A sprite's body: id, frame count and the inner tags.
std::vector<u8> SpriteBody(u16 id, u16 frames, const std::vector<RawTag>& tags) {
  std::vector<u8> body = Bytes({id & 0xFF, id >> 8, frames & 0xFF, frames >> 8});
  for (const RawTag& tag : tags) {
    EncodeTagHeader(body, tag.code, u32(tag.body.size()), tag.longHeader);
    body.insert(body.end(), tag.body.begin(), tag.body.end());
  }
  return body;
}

CSwfDefineSprite* AsSprite(const std::unique_ptr<CSwfTag>& tag) {
  auto* sprite = dynamic_cast<CSwfDefineSprite*>(tag.get());
  EXPECT_NE(sprite, nullptr);
  return sprite;
}

// A placement of character `id` at `depth` (PlaceObject2, identity matrix).
RawTag Place(u16 id, u16 depth) {
  return {26, Bytes({0x06, depth & 0xFF, depth >> 8, id & 0xFF, id >> 8, 0x00})};
}

const RawTag kShowFrame{1, {}};
const RawTag kEnd{0, {}};

}  // namespace

TEST(SwfSprite, InnerTagsReadAndWriteBackAsTheyStand) {
  const RawTag script{12, Bytes({0x07, 0x00}), true};
  const RawTag label{43, Bytes({'g', 'o', 0, 1})};
  const std::vector<u8> body =
      SpriteBody(7, 2, {Place(3, 5), label, script, kShowFrame, Place(4, 2), kShowFrame, kEnd});
  auto read = ReadTag({39, body}, 6);
  CSwfDefineSprite* sprite = AsSprite(read);
  EXPECT_EQ(sprite->GetCharacterId(), 7);
  EXPECT_EQ(sprite->GetFrameCount(), 2);
  EXPECT_EQ(Codes(sprite->GetTags()), (std::vector<u16>{26, 43, 12, 1, 26, 1, 0}));
  EXPECT_EQ(sprite->GetMinDepth(), 2);
  EXPECT_EQ(sprite->GetMaxDepth(), 5);
  EXPECT_EQ(WrittenBody(sprite, 6), body) << "a sprite that ends in End gains no second one";

  // A reader that is not ours finds the sprite's frames and placements.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::vector<u8> movie = BuildMovie({{39, WrittenBody(sprite, 6)}, kShowFrame, kEnd}, 6);
  const auto values = swftest::IndependentValues(movie);
  EXPECT_EQ(values.at("tags.0.id"), "7");
  EXPECT_EQ(values.at("tags.0.frameCount"), "2");
  EXPECT_EQ(values.at("tags.0.tags.0.depth"), "5");
  EXPECT_EQ(values.at("tags.0.tags.0.characterId"), "3");
  EXPECT_EQ(values.at("tags.0.tags.1.name"), "go");
  EXPECT_EQ(values.at("tags.0.tags.4.depth"), "2");

  // Without placements the depths are -1.
  auto empty = ReadTag({39, SpriteBody(1, 0, {kEnd})});
  EXPECT_EQ(AsSprite(empty)->GetMinDepth(), -1);
  EXPECT_EQ(AsSprite(empty)->GetMaxDepth(), -1);
}

TEST(SwfSprite, ListsWithoutEndAndSoundStrippingAreWrittenWithOneEnd) {
  CSwfDefineSprite built(9, 0);
  EXPECT_EQ(WrittenBody(&built), Bytes({9, 0, 0, 0, 0, 0})) << "an empty sprite gains its End";
  ASSERT_TRUE(built.AddTag(new CSwfShowFrame));
  EXPECT_EQ(WrittenBody(&built), Bytes({9, 0, 1, 0, 0x40, 0x00, 0, 0}));

  // With the strip-sound flag a sprite of sound tags keeps only its End and
  // its stored frame count.
  CSwfDefineSprite sounds(3, 5);
  ASSERT_TRUE(sounds.AddTag(new CSwfStartSound));
  ASSERT_TRUE(sounds.AddTag(new CSwfSoundStreamHead));
  ASSERT_TRUE(sounds.AddTag(new CSwfSoundStreamBlock));
  ASSERT_TRUE(sounds.AddTag(new CSwfSoundStreamHead2));
  CSwfBitWriter stripped(6);
  stripped.SetStripSound(1);
  sounds.Write(stripped);
  EXPECT_EQ(stripped.GetBytes(), Bytes({0xC6, 0x09, 3, 0, 5, 0, 0, 0}));
  EXPECT_GT(WrittenBody(&sounds).size(), 6u) << "kept without the flag";
}

TEST(SwfSprite, FramesAndInsertion) {
  // One frame ending in End; a tag for frame 3 removes the End, adds three
  // frames and goes before the fourth ShowFrame.
  CSwfDefineSprite sprite(1, 0);
  ASSERT_TRUE(sprite.AddTag(new CSwfShowFrame));
  ASSERT_TRUE(sprite.AddTag(new CSwfEnd));
  EXPECT_EQ(sprite.GetFrameCount(), 1);
  ASSERT_TRUE(sprite.InsertTagAtFrame(new CSwfFrameLabel("four"), 3));
  EXPECT_EQ(sprite.GetFrameCount(), 4);
  EXPECT_EQ(Codes(sprite.GetTags()), (std::vector<u16>{1, 1, 1, 43, 1}));

  ASSERT_TRUE(sprite.InsertTagAtFrame(new CSwfFrameLabel("one"), 0));
  ASSERT_TRUE(sprite.AddTagToLastFrame(new CSwfRemoveObject2(3)));
  ASSERT_TRUE(sprite.InsertTag(new CSwfDoAction, 0, true));
  EXPECT_EQ(Codes(sprite.GetTags()), (std::vector<u16>{12, 43, 1, 1, 1, 43, 28, 1}));

  // Only control tags live in a sprite; what is refused stays the caller's.
  CSwfUnknownTag shape(2, 0);
  EXPECT_FALSE(sprite.AddTag(&shape));
  EXPECT_FALSE(sprite.AddTag(nullptr));

  // A stored frame count that says more than the list holds: nothing to
  // insert before.
  CSwfDefineSprite liar(2, 3);
  CSwfFrameLabel label("x");
  EXPECT_FALSE(liar.InsertTagAtFrame(&label, 1));
  EXPECT_EQ(liar.GetTagCount(), 0u);
  EXPECT_FALSE(liar.InsertTagAtFrame(&label, 0xFFFF)) << "65536 frames cannot be counted";

  // Without a ShowFrame, the last frame is frame 0.
  CSwfDefineSprite fresh(3, 0);
  ASSERT_TRUE(fresh.AddTagToLastFrame(new CSwfFrameLabel("a")));
  EXPECT_EQ(Codes(fresh.GetTags()), (std::vector<u16>{43, 1}));
  fresh.AddFrames(2);
  EXPECT_EQ(fresh.GetFrameCount(), 3);

  // Deleting without destroying hands the tags back.
  std::vector<CSwfTag*> held = fresh.GetTags();
  fresh.DeleteTags(false);
  EXPECT_EQ(fresh.GetTagCount(), 0u);
  EXPECT_EQ(fresh.GetFrameCount(), 0);
  for (CSwfTag* tag : held) std::unique_ptr<CSwfTag> owned(tag);
}

TEST(SwfSprite, IdsShiftInsideButDepthsStay) {
  auto read = ReadTag({39, SpriteBody(4, 1, {Place(2, 3), {5, Bytes({2, 0, 3, 0})}, {15, Bytes({6, 0, 0})}, {3, Bytes({2, 0})}, kShowFrame, kEnd})});
  CSwfDefineSprite* sprite = AsSprite(read);
  sprite->OffsetIds(10, 100, 7);
  EXPECT_EQ(sprite->GetCharacterId(), 14);
  const std::vector<CSwfTag*> tags = sprite->GetTags();
  auto* place = dynamic_cast<CSwfPlaceObject2*>(tags[0]);
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->GetCharacterId(), 12);
  EXPECT_EQ(place->GetDepth(), 3) << "a sprite's depths are its own";
  auto* remove = dynamic_cast<CSwfRemoveObject*>(tags[1]);
  ASSERT_NE(remove, nullptr);
  EXPECT_EQ(remove->GetCharacterId(), 12);
  EXPECT_EQ(remove->GetDepth(), 3);
  EXPECT_EQ(tags[2]->GetCharacterId(), 16) << "the sound a StartSound starts";
  EXPECT_EQ(tags[3]->GetCharacterId(), 12);
}

TEST(SwfSprite, CopiesAndRetargetedScripts) {
  // Version 6: clip actions with 32-bit event flags and a frame label with
  // its anchor byte come back the same in a copy.
  const std::vector<u8> clip = Bytes({0x86, 1, 0, 2, 0, 0x00, 0, 0, 0x01, 0, 0, 0,
                                      0x01, 0, 0, 0, 2, 0, 0, 0, 0x07, 0, 0, 0, 0, 0});
  const RawTag script{12, Bytes({0x8B, 3, 0, '/', 'a', 0, 0x00}), true};
  const std::vector<u8> body =
      SpriteBody(5, 1, {{26, clip}, {43, Bytes({'a', 0, 1})}, script, kShowFrame, kEnd});
  auto read = ReadTag({39, body}, 6);
  CSwfDefineSprite copy;
  copy.Assign(*AsSprite(read));
  EXPECT_EQ(WrittenBody(&copy, 6), body);
  EXPECT_EQ(copy.GetMaxDepth(), 1);
  read.reset();
  EXPECT_EQ(WrittenBody(&copy, 6), body) << "the copy stands alone";

  copy.RetargetActions("/clip");
  auto* actions = dynamic_cast<CSwfDoAction*>(copy.GetTags()[2]);
  ASSERT_NE(actions, nullptr);
  auto* target = dynamic_cast<CSwfActionSetTarget*>(actions->GetActions()[0].get());
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(WrittenBody(actions, 6), Bytes({0x8B, 8, 0, '/', 'c', 'l', 'i', 'p', '/', 'a', 0, 0x00}));
}

TEST(SwfTagFactory, EveryTimelineTagHasItsClass) {
  CSwfReader reader;
  for (u16 code : {7, 14, 15, 17, 18, 19, 23, 34, 39, 45, 60, 61}) {
    std::unique_ptr<CSwfTag> tag(reader.CreateTag(code, 0));
    EXPECT_EQ(tag->GetCode(), code);
    EXPECT_EQ(dynamic_cast<CSwfUnknownTag*>(tag.get()), nullptr) << code;
  }
  std::unique_ptr<CSwfTag> sprite(reader.CreateTag(39, 0));
  EXPECT_EQ(sprite->GetCharacterId(), 1);
  std::unique_ptr<CSwfTag> shallow(reader.CreateShallowTag(39, 0));
  EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(shallow.get()), nullptr) << "the shallow load keeps it raw";
}

// Sprites made to hurt the reader: each loads, keeps the tags behind it,
// and rewrites to a movie that reads back to itself. One whose body ends
// before its frame count is kept as its bytes.
TEST(SwfSprite, HostileSpritesStayInsideTheirBodies) {
  std::vector<u8> deep = SpriteBody(1, 0, {kEnd});
  for (int level = 0; level < CSwfReader::kMaxTagNesting + 8; ++level)
    deep = SpriteBody(1, 0, {{39, deep, true}, kEnd});
  std::vector<u8> manyFrames = SpriteBody(1, 0, {});
  for (int i = 0; i < 420000; ++i) manyFrames.insert(manyFrames.end(), {0x40, 0x00});
  // The sprite's tags as read; kRaw for a sprite kept as its bytes.
  const std::vector<u16> kRaw = {0xFFFF};
  struct Case {
    const char* name;
    std::vector<u8> body;
    std::vector<u16> inner;
  } cases[] = {
      {"no inner End", SpriteBody(1, 1, {kShowFrame}), {1, 0}},
      // A FrameLabel that announces 40 bytes where the sprite holds 2.
      {"an inner tag longer than the sprite", Bytes({1, 0, 1, 0, 0xE8, 0x0A, 'a', 0}), {43, 0}},
      {"nothing but the id", Bytes({1, 0}), kRaw},
      {"no body at all", {}, kRaw},
      {"a frame count far beyond its frames", SpriteBody(1, 0xFFFF, {kShowFrame, kEnd}), {1, 0}},
      {"nested past the reader's limit", deep, {39, 0}},
      {"more frames than any reserve should grow with", manyFrames, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<u8> movie = BuildMovie({{39, c.body, true}, {9, Bytes({1, 2, 3})}, kEnd});
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
    ASSERT_EQ(Codes(reader.GetTags()), (std::vector<u16>{39, 9, 0})) << "the tags behind the sprite";
    if (c.inner == kRaw) {
      EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(reader.GetTags()[0]), nullptr);
      EXPECT_EQ(reader.GetTagsKeptRaw(), 1u);
    } else {
      auto* sprite = dynamic_cast<CSwfDefineSprite*>(reader.GetTags()[0]);
      ASSERT_NE(sprite, nullptr);
      if (!c.inner.empty()) {
        EXPECT_EQ(Codes(sprite->GetTags()), c.inner);
      }
      EXPECT_EQ(sprite->GetTags().back()->GetCode(), 0) << "the list ends in an End";
    }
    CSwfBitWriter writer(6);
    EXPECT_GT(reader.WriteMovie(writer), 0u);
    const std::vector<u8> written = writer.GetBytes();
    reader.DeleteTags(true);
    CSwfReader again;
    ASSERT_TRUE(again.LoadFromMemory(written.data(), u32(written.size()), true, 0, true));
    CSwfBitWriter rewriter(6);
    EXPECT_GT(again.WriteMovie(rewriter), 0u);
    EXPECT_EQ(rewriter.GetBytes(), written);
    EXPECT_EQ(swftest::SplitTags(written)[1].body, Bytes({1, 2, 3}));
    if (c.inner == kRaw) {
      EXPECT_EQ(swftest::SplitTags(written)[0].body, c.body) << "written back as read";
    }
    again.DeleteTags(true);
  }
}
