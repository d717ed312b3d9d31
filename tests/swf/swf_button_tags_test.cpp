#include "swf/swf_button_tags.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::BuildMovie;
using swftest::Bytes;
using swftest::Concat;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

CSwfButtonRecord* Record(u8 flags, u16 id, u16 depth) {
  auto* record = new CSwfButtonRecord;
  record->flags = flags;
  record->characterId = id;
  record->depth = depth;
  return record;
}

CSwfDoAction* Script(std::initializer_list<CSwfAction*> actions) {
  auto* list = new CSwfDoAction;
  for (CSwfAction* action : actions) list->AddAction(action);
  return list;
}

// Up state, character 1 at depth 1, an empty matrix.
const std::vector<u8> kRecord = Bytes({0x01, 1, 0, 1, 0, 0x00});

}  // namespace

TEST(SwfButtonTags, DefineButtonKeepsItsScriptWhateverItsLength) {
  // A script of exactly 256 bytes (an action of 255 and the end byte).
  std::vector<u8> script = Bytes({0xC0, 252, 0});
  script.resize(255, 0xAB);
  script.push_back(0);
  ASSERT_EQ(script.size(), 256u);
  const std::vector<u8> body = Concat(Concat(Bytes({3, 0}), kRecord), Concat(Bytes({0}), script));
  auto read = ReadTag({7, body});
  auto* button = As<CSwfDefineButton>(read);
  ASSERT_EQ(button->GetRecords().size(), 1u);
  ASSERT_EQ(button->GetActionLists().size(), 1u);
  EXPECT_EQ(WrittenBody(button), body);

  // A body that ends with the records has no script; one with only the
  // end byte has an empty one; both come back as they were.
  for (const std::vector<u8>& tail : {std::vector<u8>{}, Bytes({0})}) {
    const std::vector<u8> shortBody = Concat(Concat(Bytes({3, 0}), kRecord), Concat(Bytes({0}), tail));
    auto plain = ReadTag({7, shortBody});
    EXPECT_EQ(As<CSwfDefineButton>(plain)->GetActionLists().size(), tail.size());
    EXPECT_EQ(WrittenBody(plain.get()), shortBody);
  }
}

TEST(SwfButtonTags, DefineButton2CountsItsOffsetsFromWhatItWrites) {
  CSwfDefineButton2 button;
  button.SetCharacterId(5);
  button.AddRecord(Record(CSwfButtonRecord::kStateUp | CSwfButtonRecord::kStateOver, 2, 1));
  // Without scripts the action offset is 0; a record built without a
  // colour transform gets the identity one, which the layout requires.
  const std::vector<u8> records = WrittenBody(&button);
  ASSERT_GE(records.size(), 5u);
  EXPECT_EQ(records[3], 0);
  EXPECT_EQ(records[4], 0);
  auto back = ReadTag({34, records});
  ASSERT_NE(As<CSwfDefineButton2>(back)->GetRecords()[0]->colorTransform, nullptr);

  // Three scripts and two condition words: the last script's size is 0,
  // the others count themselves and their 4 header bytes, and the script
  // without a word gets 0.
  button.AddConditionAction(0x0008, Script({new CSwfActionGotoFrame(2)}));
  button.AddConditionAction(0x0100, Script({new CSwfGenericAction(0x07)}));
  button.AddActionList(Script({new CSwfGenericAction(0x06)}));
  const std::vector<u8> body = WrittenBody(&button);
  const u16 offset = u16(body[3] | (body[4] << 8));
  EXPECT_EQ(offset, records.size() - 3) << "from the offset field to the first script";
  const std::vector<u8> scripts(body.begin() + 3 + offset, body.end());
  EXPECT_EQ(scripts, Bytes({10, 0, 0x08, 0x00, 0x81, 2, 0, 2, 0, 0,
                            6, 0, 0x00, 0x01, 0x07, 0,
                            0, 0, 0, 0, 0x06, 0}));

  // A reader that is not ours reads the same button.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const auto values = swftest::IndependentValues(BuildMovie({{34, body}, {0, {}}}, 6));
  EXPECT_EQ(values.at("tags.0.records.0.stateOver"), "true");
  EXPECT_EQ(values.at("tags.0.records.0.colorTransform.redMult.epsilons"), "256");
  EXPECT_EQ(values.at("tags.0.actions.length"), "3");
  EXPECT_EQ(values.at("tags.0.actions.0.conditions.overDownToOverUp"), "true");
  EXPECT_EQ(values.at("tags.0.actions.1.actions"), "0700");
  EXPECT_EQ(values.at("tags.0.actions.2.actions"), "0600");

  auto read = ReadTag({34, body});
  auto* again = As<CSwfDefineButton2>(read);
  EXPECT_EQ(again->GetConditions(), (std::vector<u16>{0x0008, 0x0100, 0}));
  const std::vector<u8> rewritten = WrittenBody(again);
  EXPECT_EQ(std::vector<u8>(rewritten.end() - long(scripts.size()), rewritten.end()), scripts);
  EXPECT_EQ(WrittenBody(ReadTag({34, rewritten}).get()), rewritten);

  // A copy takes the records and condition words, not the scripts.
  CSwfDefineButton2 copy(*again);
  EXPECT_EQ(copy.GetRecords().size(), 1u);
  EXPECT_NE(copy.GetRecords()[0].get(), again->GetRecords()[0].get());
  EXPECT_TRUE(copy.GetActionLists().empty());
  EXPECT_EQ(copy.GetConditions().size(), 3u);
  copy.Clear();
  EXPECT_EQ(copy.GetRecords().size(), 1u) << "clearing keeps the records";
  EXPECT_TRUE(copy.GetConditions().empty());
}

TEST(SwfButtonTags, ScriptsAreBoundedByTheirSizeAndKeepTheirTails) {
  // The first script's size says 8: its action, its end byte and two bytes
  // behind it that only a branch reaches. The record's colour transform is
  // the identity as the writer stores it.
  const std::vector<u8> head = Concat(
      Bytes({6, 0, 0, 0, 0}), Bytes({0x0F, 1, 0, 1, 0, 0x00, 0x69, 0x00, 0x40, 0x10, 0x04, 0x00, 0}));
  const std::vector<u8> scripts = Bytes({8, 0, 0x08, 0, 0x07, 0x00, 0x06, 0x00,
                                         0, 0, 0x08, 0, 0x07, 0x00});
  std::vector<u8> fixed = Concat(head, scripts);
  fixed[3] = u8(head.size() - 3);  // from the offset field to the first script
  auto read = ReadTag({34, fixed});
  auto* button = As<CSwfDefineButton2>(read);
  ASSERT_EQ(button->GetActionLists().size(), 2u);
  EXPECT_EQ(button->GetActionLists()[0]->GetTail(), Bytes({0x06, 0x00}));
  EXPECT_EQ(WrittenBody(button), fixed);

  // Sizes that point nowhere sensible never move the reader backwards.
  for (u8 size : {1, 3, 200}) {
    std::vector<u8> odd = fixed;
    odd[head.size()] = size;
    auto oddly = ReadTag({34, odd});
    const std::vector<u8> written = WrittenBody(oddly.get());
    EXPECT_EQ(WrittenBody(ReadTag({34, written}).get()), written) << int(size);
  }
}

TEST(SwfButtonTags, FiltersAndBlendModesOfVersion8AreKept) {
  // A blur filter and the blend mode 6, as an authoring tool writes them.
  const std::vector<u8> record = Bytes({0x33, 2, 0, 1, 0, 0x00, 0xA5, 0x90, 0, 0, 0, 0,
                                        1, 1, 0, 0, 5, 0, 0, 0, 5, 0, 0x08, 6});
  const std::vector<u8> body = Concat(Concat(Bytes({4, 0, 1, 0, 0}), record), Bytes({0}));
  auto read = ReadTag({34, body}, 8);
  auto* button = As<CSwfDefineButton2>(read);
  ASSERT_EQ(button->GetRecords().size(), 1u);
  const CSwfButtonRecord& kept = *button->GetRecords()[0];
  EXPECT_EQ(kept.filterList, Bytes({1, 1, 0, 0, 5, 0, 0, 0, 5, 0, 0x08}));
  ASSERT_TRUE(kept.blendMode.has_value());
  EXPECT_EQ(*kept.blendMode, 6);
  // A reader that is not ours reads the same record from what we write.
  const std::vector<u8> written = WrittenBody(button, 8);
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const auto values = swftest::IndependentValues(BuildMovie({{34, written}, {0, {}}}, 8));
  EXPECT_EQ(values.at("tags.0.records.0.filters.0.blurX.epsilons"), "327680");
  EXPECT_EQ(values.at("tags.0.records.0.colorTransform.redAdd"), "200");
  EXPECT_EQ(values, swftest::IndependentValues(BuildMovie({{34, body}, {0, {}}}, 8)));

  // Before version 8 the high flag bits announce nothing and are kept.
  const std::vector<u8> older =
      Concat(Concat(Bytes({4, 0, 1, 0, 0}), Bytes({0x33, 2, 0, 1, 0, 0x00, 0x04})), Bytes({0}));
  auto seven = ReadTag({34, older}, 7);
  EXPECT_TRUE(As<CSwfDefineButton2>(seven)->GetRecords()[0]->filterList.empty());
  EXPECT_EQ(As<CSwfDefineButton2>(seven)->GetRecords()[0]->flags, 0x33);
}

TEST(SwfButtonTags, AButtonWithAFilterItCannotReadWholeIsKeptAsItsBytes) {
  // A record with a filter list (flag 0x10) and a blend mode (0x20), then
  // the records' end byte. A filter of no known kind has no known length:
  // its bytes, and what follows them, cannot be told apart; nor can a
  // filter the body cuts short, or filters announced and not there, be
  // written back as they were.
  const std::vector<u8> blur = Bytes({1, 0, 0, 5, 0, 0, 0, 5, 0, 0x01});
  const std::vector<u8> head = Bytes({1, 0, 0, 0, 0, 0x30, 1, 0, 1, 0, 0x00, 0x00});
  struct Case {
    const char* name;
    std::vector<u8> filters;
  } cases[] = {
      // Read before as an empty list, a blend mode of 1 and a record made up
      // of the filter's bytes (flags 2, character 3).
      {"a filter of an unknown kind", Bytes({1, 9, 1, 2, 3, 0, 0, 0, 0})},
      {"a filter cut short", Concat(Concat(Bytes({2}), blur), Bytes({2, 0xFF, 0, 0}))},
      {"more filters announced than held", Concat(Bytes({200}), blur)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    swftest::ExpectKeptAsBytes({34, Concat(head, c.filters)}, 8);
  }
  // The same record with a whole blur is read, and written back with it.
  const std::vector<u8> whole = Concat(Concat(Concat(head, Bytes({1})), blur), Bytes({6, 0}));
  auto read = ReadTag({34, whole}, 8);
  auto* button = As<CSwfDefineButton2>(read);
  ASSERT_EQ(button->GetRecords().size(), 1u);
  EXPECT_EQ(button->GetRecords()[0]->filterList, Concat(Bytes({1}), blur));
  EXPECT_EQ(button->GetRecords()[0]->blendMode, 6);
  const std::vector<u8> written = WrittenBody(button, 8);
  auto again = ReadTag({34, written}, 8);
  EXPECT_EQ(As<CSwfDefineButton2>(again)->GetRecords()[0]->filterList, Concat(Bytes({1}), blur));
  EXPECT_EQ(WrittenBody(again.get(), 8), written);
}

TEST(SwfButtonTags, RenumberingAndTheCompanionTags) {
  CSwfDefineButton button;
  button.SetCharacterId(3);
  button.AddRecord(Record(1, 4, 2));
  button.AddActionList(Script({new CSwfActionGotoFrame(7), new CSwfActionSetTarget("/a")}));
  button.OffsetIds(10, 5, 0);
  EXPECT_EQ(button.GetCharacterId(), 13);
  EXPECT_EQ(button.GetRecords()[0]->characterId, 14);
  EXPECT_EQ(button.GetRecords()[0]->depth, 7);
  auto* gotoFrame = dynamic_cast<CSwfActionGotoFrame*>(button.GetActionLists()[0]->GetActions()[0].get());
  ASSERT_NE(gotoFrame, nullptr);
  EXPECT_EQ(gotoFrame->frame, 7) << "frames stay without a frame delta";
  button.OffsetIds(0, 0, 3);
  EXPECT_EQ(gotoFrame->frame, 10);
  button.ApplyPathPrefix("/clip");
  // Id, the record, its end byte, GotoFrame, the relocated SetTarget, end byte.
  EXPECT_EQ(WrittenBody(&button).size(), 2u + 6 + 1 + 5 + 11 + 1);

  // The colour transform of a DefineButton.
  const std::vector<u8> cxform = Bytes({3, 0, 0x8D, 0x00});  // add terms of 3 bits: 2, 0, 0
  auto read = ReadTag({23, cxform});
  auto* transform = As<CSwfDefineButtonCxform>(read);
  ASSERT_NE(transform->GetColorTransform(), nullptr);
  EXPECT_EQ(transform->GetColorTransform()->redAddTerm, 2);
  // Written with the width of the largest term (the multiply terms of 256
  // count), padded to a byte.
  EXPECT_EQ(WrittenBody(transform), Bytes({3, 0, 0xA8, 0x02, 0, 0, 0}));
  transform->OffsetIds(1, 0);
  EXPECT_EQ(transform->GetCharacterId(), 4);
  transform->SetColorTransform(nullptr);
  EXPECT_EQ(WrittenBody(transform), Bytes({4, 0, 0x04})) << "no transform writes the identity";

  // Button sounds: a transition without a sound is its two zero bytes.
  CSwfDefineButtonSound sounds;
  sounds.SetCharacterId(3);
  sounds.soundIds[CSwfDefineButtonSound::kIdleToOverUp] = 9;
  sounds.soundInfos[CSwfDefineButtonSound::kIdleToOverUp].flags = CSwfSoundInfo::kHasLoops;
  sounds.soundInfos[CSwfDefineButtonSound::kIdleToOverUp].loopCount = 2;
  sounds.soundInfos[CSwfDefineButtonSound::kOverUpToIdle].loopCount = 8;  // no sound: not written
  const std::vector<u8> soundBody = Bytes({3, 0, 0, 0, 9, 0, 0x04, 2, 0, 0, 0, 0, 0});
  EXPECT_EQ(WrittenBody(&sounds), soundBody);
  auto soundsBack = ReadTag({17, soundBody});
  EXPECT_EQ(WrittenBody(soundsBack.get()), soundBody);
  sounds.OffsetIds(10, 0);
  EXPECT_EQ(sounds.GetCharacterId(), 13);
  EXPECT_EQ(sounds.soundIds[CSwfDefineButtonSound::kIdleToOverUp], 19);
  EXPECT_EQ(sounds.soundIds[CSwfDefineButtonSound::kOverUpToIdle], 0) << "no sound stays none";
}

TEST(SwfButtonTags, AButtonTooLargeForItsOffsetsIsNotWritten) {
  CSwfDefineButton2 button;
  CSwfMatrix wide;
  wide.hasScale = 1;
  wide.scaleX = wide.scaleY = 0x7FFFFFF;
  for (int i = 0; i < 5000; ++i) {
    CSwfButtonRecord* record = Record(1, u16(i), u16(i));
    record->matrix = std::make_unique<CSwfMatrix>(wide);
    button.AddRecord(record);
  }
  EXPECT_GT(WrittenBody(&button).size(), 0xFFFFu) << "without scripts no offset is stored";
  button.AddActionList(Script({new CSwfGenericAction(0x07)}));
  CSwfBitWriter writer(6);
  EXPECT_EQ(button.Write(writer), 0u);
  EXPECT_EQ(writer.GetByteCount(), 0u);
}

namespace {

// Where a DefineButton2's condition actions lie: `gap` zero bytes between
// the records and the first one, `padding` bytes behind the first script
// (which its size counts); `change` alters the action offset and the first
// size as stored.
struct ConditionLayout {
  size_t gap = 0;
  size_t padding = 0;
  std::function<void(u32& offset, u32& size)> change;
};

// A DefineButton2 (id 6) of one record and two condition actions: Stop on
// release (condition word 0x0008), then Play (0x0100).
std::vector<u8> Button2Body(const ConditionLayout& layout) {
  const std::vector<u8> records = Bytes({0x0F, 1, 0, 1, 0, 0x00, 0x69, 0x00, 0x40, 0x10, 0x04, 0x00, 0});
  u32 offset = u32(2 + records.size() + layout.gap);
  u32 size = u32(4 + 2 + layout.padding);
  if (layout.change) layout.change(offset, size);
  std::vector<u8> body = Concat(Bytes({6, 0, 0, int(offset & 0xFF), int(offset >> 8)}), records);
  body.resize(body.size() + layout.gap, 0);
  body = Concat(body, Bytes({int(size & 0xFF), int(size >> 8), 0x08, 0x00, 0x07, 0x00}));
  body.resize(body.size() + layout.padding, 0x17);
  return Concat(body, Bytes({0, 0, 0x00, 0x01, 0x06, 0x00}));
}

}  // namespace

// The condition actions are read where the action offset and the sizes
// point: a gap before the first one is skipped; bytes behind a script that
// its size counts stay its tail. Offsets that disagree with the body (into
// the records or past the body, a size too small for its record or past
// the body) keep the tag as its bytes: never a button of other scripts.
TEST(SwfButtonTags, ConditionActionsAreReadWhereTheirOffsetsPoint) {
  enum Expect { kAsPlain, kAsRead, kKept };
  struct Case {
    const char* name;
    ConditionLayout layout;
    Expect expect;
  };
  const Case cases[] = {
      {"the action offset skips 3 bytes before the condition actions", {3, 0, {}}, kAsPlain},
      {"a size that counts 2 bytes behind its script", {0, 2, {}}, kAsRead},
      {"an action offset into the records", {0, 0, [](u32& offset, u32&) { offset = 2; }}, kKept},
      {"an action offset past the body", {0, 0, [](u32& offset, u32&) { offset = 0xFFF0; }}, kKept},
      {"a size too small for its record", {0, 0, [](u32&, u32& size) { size = 3; }}, kKept},
      {"a size past the body", {0, 0, [](u32&, u32& size) { size = 200; }}, kKept},
      {"a size that leaves a record cut short", {0, 0, [](u32&, u32& size) { size += 4; }}, kKept},
  };
  const std::vector<u8> plain = Button2Body({});
  auto expected = ReadTag({34, plain});
  ASSERT_EQ(As<CSwfDefineButton2>(expected)->GetConditions(), (std::vector<u16>{0x0008, 0x0100}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<u8> body = Button2Body(c.layout);
    if (c.expect == kKept) {
      swftest::ExpectKeptAsBytes({34, body});
      continue;
    }
    auto read = ReadTag({34, body});
    auto* button = As<CSwfDefineButton2>(read);
    if (!button) continue;
    EXPECT_EQ(button->GetConditions(), (std::vector<u16>{0x0008, 0x0100}));
    EXPECT_EQ(button->GetActionLists().size(), 2u);
    if (!button->GetActionLists().empty()) {
      EXPECT_EQ(button->GetActionLists()[0]->GetTail(), std::vector<u8>(c.layout.padding, 0x17));
    }
    if (c.expect == kAsPlain) {
      EXPECT_EQ(swftest::DescribeTag(button), swftest::DescribeTag(expected.get()));
    }
    EXPECT_EQ(WrittenBody(button), c.expect == kAsPlain ? plain : body);
  }
}

TEST(SwfButtonTags, AConditionSizeThatCutsAnActionShortKeepsTheButtonAsItsBytes) {
  // A DefineButton2 (id 6) of one record and two condition actions:
  // GotoFrame 3 on release, then Play.
  const std::vector<u8> records = Bytes({0x0F, 1, 0, 1, 0, 0x00, 0x69, 0x00, 0x40, 0x10, 0x04, 0x00, 0});
  auto bodyOf = [&records](u8 size) {
    std::vector<u8> body = Concat(Bytes({6, 0, 0, int(2 + records.size()), 0}), records);
    body = Concat(body, Bytes({size, 0, 0x08, 0x00, 0x81, 2, 0, 3, 0, 0x00}));
    return Concat(body, Bytes({0, 0, 0x00, 0x01, 0x06, 0x00}));
  };
  const std::vector<u8> whole = bodyOf(10);
  auto read = ReadTag({34, whole});
  auto* button = As<CSwfDefineButton2>(read);
  EXPECT_EQ(button->GetConditions(), (std::vector<u16>{0x0008, 0x0100}));
  ASSERT_EQ(button->GetActionLists().size(), 2u);
  EXPECT_EQ(static_cast<const CSwfActionGotoFrame&>(*button->GetActionLists()[0]->GetActions()[0]).frame, 3);
  EXPECT_EQ(WrittenBody(button), whole);

  // Sizes that end inside the GotoFrame: read before as GotoFrame 0 (or of a
  // frame of one byte), with the next condition read from inside the script.
  for (const u8 size : {u8(6), u8(7), u8(8)}) {
    SCOPED_TRACE(int(size));
    swftest::ExpectKeptAsBytes({34, bodyOf(size)});
  }
}
