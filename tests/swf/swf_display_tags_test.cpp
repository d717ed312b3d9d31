#include "swf/swf_display_tags.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::BuildMovie;
using swftest::Bytes;
using swftest::Concat;
using swftest::DescribeTag;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

CSwfClipActionRecord* Record(u32 flags, u8 opcode, u8 key = 0) {
  auto* record = new CSwfClipActionRecord(flags);
  record->keyCode = key;
  record->AddAction(new CSwfGenericAction(opcode));
  return record;
}

// Depth 1, character 5, an identity matrix.
std::unique_ptr<CSwfPlaceObject2> Placement() {
  auto place = std::make_unique<CSwfPlaceObject2>();
  place->SetDepth(1);
  place->SetCharacterId(5);
  place->SetMatrix(new CSwfMatrix);
  return place;
}

const std::vector<u8> kPlacementHead = Bytes({0x01, 0x00, 0x05, 0x00, 0x00});

}  // namespace

TEST(SwfDisplayTags, PlaceObject2WithOnlyDepthCharacterAndMatrix) {
  auto place = Placement();
  EXPECT_EQ(WrittenBody(place.get()), Concat(Bytes({0x06}), kPlacementHead));
  auto read = ReadTag({26, WrittenBody(place.get())});
  auto* back = As<CSwfPlaceObject2>(read);
  EXPECT_TRUE(back->HasCharacter());
  EXPECT_FALSE(back->IsMove());
  EXPECT_EQ(back->GetCharacterId(), 5);
  EXPECT_EQ(back->GetDepth(), 1);
  ASSERT_NE(back->GetMatrix(), nullptr);
  EXPECT_EQ(back->GetColorTransform(), nullptr);

  // A move without a character writes no id.
  CSwfPlaceObject2 move;
  move.SetDepth(3);
  move.SetMove(true);
  EXPECT_EQ(WrittenBody(&move), Bytes({0x01, 0x03, 0x00}));
}

TEST(SwfDisplayTags, PlaceObject2FieldsInTheirOrder) {
  auto place = Placement();
  place->SetMove(true);
  auto* cxform = new CSwfCxformWithAlpha;
  cxform->SetAlphaMultiply(128, true);
  place->SetColorTransform(cxform);
  place->SetRatio(0x0102);
  place->SetName("ab");
  place->SetClipDepth(0x0304);
  const std::vector<u8> body = WrittenBody(place.get());
  CSwfBitWriter cx(6);
  cxform->Write(cx);
  const std::vector<u8> expected =
      Concat(Concat(Bytes({0x7F}), kPlacementHead),
             Concat(cx.GetBytes(), Bytes({0x02, 0x01, 'a', 'b', 0, 0x04, 0x03})));
  EXPECT_EQ(body, expected);

  auto read = ReadTag({26, body});
  EXPECT_EQ(DescribeTag(read.get()), DescribeTag(place.get()));
  EXPECT_EQ(WrittenBody(read.get()), body);

  // A copy holds its own records and no clip actions.
  place->AddClipAction(Record(1, 0x07));
  CSwfPlaceObject2 copy(*place);
  EXPECT_NE(copy.GetMatrix(), place->GetMatrix());
  EXPECT_NE(copy.GetColorTransform(), place->GetColorTransform());
  EXPECT_TRUE(copy.GetClipActions().empty());
  std::vector<u8> copied = Concat(expected, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  copied[0] |= 0x80;
  EXPECT_EQ(WrittenBody(&copy), copied) << "has-clip-actions is copied with the other flags";
  place.reset();
  EXPECT_EQ(WrittenBody(&copy), copied) << "the copy outlives its source";
  copy.Reset();
  EXPECT_EQ(WrittenBody(&copy), Bytes({0, 0, 0}));
  EXPECT_EQ(copy.GetMatrix(), nullptr);
}

TEST(SwfDisplayTags, ClipActionsTakeTheLayoutOfTheirVersion) {
  auto place = Placement();
  place->AddClipAction(Record(0x00000001, 0x07));                     // load: stop
  place->AddClipAction(Record(kClipEventKeyPress, 0x06, 13));         // key 13: play
  place->AddClipAction(Record(kClipEventKeyPress | 0x0008, 0x04, 9));  // key or enter frame
  place->AddClipAction(nullptr);
  EXPECT_TRUE(place->HasClipActions());

  const std::vector<u8> six = Concat(Concat(Bytes({0x86}), kPlacementHead), Bytes({
      0, 0, 0x09, 0, 0x02, 0,             // reserved, all events (32 bits)
      0x01, 0, 0, 0, 2, 0, 0, 0, 0x07, 0,  // load, size, stop, end
      0, 0, 0x02, 0, 3, 0, 0, 0, 13, 0x06, 0,
      0x08, 0, 0x02, 0, 3, 0, 0, 0, 9, 0x04, 0,
      0, 0, 0, 0,                          // end marker
  }));
  const std::vector<u8> five = Concat(Concat(Bytes({0x86}), kPlacementHead), Bytes({
      0, 0, 0x09, 0,                 // reserved, all events (16 bits)
      0x01, 0, 2, 0, 0, 0, 0x07, 0,  // load
      // the key-press record has no 16-bit form and is left out
      0x08, 0, 2, 0, 0, 0, 0x04, 0,  // enter frame, without the key byte
      0, 0,
  }));
  EXPECT_EQ(WrittenBody(place.get(), 6), six);
  EXPECT_EQ(WrittenBody(place.get(), 5), five);

  struct Case {
    u8 readVersion;
    const std::vector<u8>& body;
    size_t records;
    std::vector<u8> inVersion6;  // what the read tag writes into a version 6 writer
  };
  const Case cases[] = {
      {6, six, 3, six},
      {5, five, 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readVersion);
    auto read = ReadTag({26, c.body}, c.readVersion);
    auto* back = As<CSwfPlaceObject2>(read);
    EXPECT_EQ(back->GetClipActionVersion(), c.readVersion);
    ASSERT_EQ(back->GetClipActions().size(), c.records);
    EXPECT_EQ(WrittenBody(back, c.readVersion), c.body);
    EXPECT_EQ(WrittenBody(back, 4), c.body) << "the version it was read for holds";
    if (!c.inVersion6.empty()) {
      EXPECT_EQ(WrittenBody(back, 6), c.inVersion6);
    }
  }
  // Read for version 5, written for version 6: 32-bit flags.
  auto fromFive = ReadTag({26, five}, 5);
  const std::vector<u8> widened = WrittenBody(fromFive.get(), 6);
  auto again = ReadTag({26, widened}, 6);
  EXPECT_EQ(As<CSwfPlaceObject2>(again)->GetClipActions().size(), 2u);
  EXPECT_EQ(As<CSwfPlaceObject2>(again)->GetAllEventFlags(), 0x09u);
  EXPECT_EQ(widened.size(), five.size() + 2 + size_t(2) * 2 + 2);
}

TEST(SwfDisplayTags, TheRecordSizeBoundsEachClipScript) {
  // Version 6: a script without its end byte inside a size of 1, then a
  // script with three bytes behind its end byte in a size of 5; the records
  // behind each are read whole.
  const std::vector<u8> body = Concat(Concat(Bytes({0x86}), kPlacementHead), Bytes({
      0, 0, 0x03, 0, 0, 0,
      0x01, 0, 0, 0, 1, 0, 0, 0, 0x07,
      0x02, 0, 0, 0, 5, 0, 0, 0, 0x06, 0, 0xEE, 0xEE, 0xEE,
      0, 0, 0, 0,
  }));
  auto read = ReadTag({26, body}, 6);
  auto* place = As<CSwfPlaceObject2>(read);
  ASSERT_EQ(place->GetClipActions().size(), 2u);
  const CSwfClipActionRecord* first = place->GetClipActions()[0].get();
  const CSwfClipActionRecord* second = place->GetClipActions()[1].get();
  EXPECT_EQ(first->recordSize, 1u);
  ASSERT_EQ(first->actions->GetActions().size(), 1u);
  EXPECT_EQ(second->eventFlags, 2u);
  ASSERT_EQ(second->actions->GetActions().size(), 1u);
  EXPECT_EQ(second->actions->GetActions()[0]->GetOpcode(), 0x06);

  EXPECT_EQ(second->actions->GetTail(), Bytes({0xEE, 0xEE, 0xEE}));

  // Written back, each script is closed, keeps the bytes behind its end
  // byte, and its size is what it holds.
  const std::vector<u8> written = WrittenBody(place, 6);
  EXPECT_EQ(written, Concat(Concat(Bytes({0x86}), kPlacementHead), Bytes({
      0, 0, 0x03, 0, 0, 0,
      0x01, 0, 0, 0, 2, 0, 0, 0, 0x07, 0,
      0x02, 0, 0, 0, 5, 0, 0, 0, 0x06, 0, 0xEE, 0xEE, 0xEE,
      0, 0, 0, 0,
  })));

  // A record list cut short by the end of the body (its end marker
  // missing) is kept as its bytes.
  swftest::ExpectKeptAsBytes({26, std::vector<u8>(body.begin(), body.begin() + 31)}, 6);

  // Scripts are closed even when empty, or missing.
  auto* missing = new CSwfClipActionRecord(4);
  missing->SetActions(nullptr);
  auto withEmpty = Placement();
  withEmpty->AddClipAction(new CSwfClipActionRecord(4));
  withEmpty->AddClipAction(missing);
  EXPECT_EQ(WrittenBody(withEmpty.get(), 6),
            Concat(Concat(Bytes({0x86}), kPlacementHead),
                   Bytes({0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0,
                          0, 0, 0, 0})));
}

TEST(SwfDisplayTags, ClipActionSizesThatDisagreeWithTheRecordsKeepThePlacementAsItsBytes) {
  // Version 6: one record (on enter frame) whose script is GotoFrame 3, an
  // action of opcode 0x02 and the end byte (7 bytes), then the end marker.
  const std::vector<u8> script = Bytes({0x81, 2, 0, 3, 0, 0x02, 0});
  auto bodyOf = [&script](u32 size, const std::vector<u8>& behind) {
    std::vector<u8> body = Concat(Bytes({0x86}), kPlacementHead);
    body = Concat(body, Bytes({0, 0, 0x02, 0, 0, 0, 0x02, 0, 0, 0}));
    body = Concat(body, Bytes({int(size & 0xFF), int(size >> 8), 0, 0}));
    body = Concat(Concat(body, script), Bytes({0, 0, 0, 0}));
    return Concat(body, behind);
  };
  const std::vector<u8> whole = bodyOf(7, {});
  auto read = ReadTag({26, whole}, 6);
  auto* place = As<CSwfPlaceObject2>(read);
  ASSERT_EQ(place->GetClipActions().size(), 1u);
  const auto& actions = place->GetClipActions()[0]->actions->GetActions();
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(static_cast<const CSwfActionGotoFrame&>(*actions[0]).frame, 3);
  EXPECT_EQ(WrittenBody(place, 6), whole);

  struct Case {
    const char* name;
    std::vector<u8> body;
  };
  const Case cases[] = {
      // Read before as GotoFrame 0, and a key-press record (events 0x20003)
      // made of the script's last bytes.
      {"a size smaller than its script", bodyOf(3, {})},
      {"a size past the body", bodyOf(200, {})},
      {"a size that takes the end marker into the script", bodyOf(11, {})},
      {"bytes behind the end marker", bodyOf(7, Bytes({0x04, 0, 0, 0}))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    swftest::ExpectKeptAsBytes({26, c.body}, 6);
  }
}

TEST(SwfDisplayTags, AnEmptyClipScriptIsWrittenBackAsItWasRead) {
  // A record whose script has no bytes, or only its end byte, then a record
  // that stops the clip on unload.
  struct Case {
    const char* what;
    u8 version;
    bool key;
    std::vector<u8> script;
  };
  const Case cases[] = {
      {"no bytes, version 5", 5, false, {}},
      {"a lone end byte, version 5", 5, false, {0}},
      {"no bytes, version 6", 6, false, {}},
      {"a lone end byte, version 6", 6, false, {0}},
      {"a key code and no bytes", 6, true, {}},
      {"a key code and a lone end byte", 6, true, {0}},
  };
  auto bodyOf = [](const Case& c, const std::vector<u8>& script) {
    const bool wide = c.version >= 6;
    std::vector<u8> body = Concat(Bytes({0x86}), kPlacementHead);
    auto word = [&](u32 value, int bytes) {
      for (int i = 0; i < bytes; ++i) body.push_back(u8(value >> (8 * i)));
    };
    const u32 events = c.key ? u32(kClipEventKeyPress) : 0x0001u;
    word(0, 2);
    word(events | 0x0004, wide ? 4 : 2);
    word(events, wide ? 4 : 2);
    word(u32(script.size() + (c.key ? 1 : 0)), 4);
    if (c.key) body.push_back(13);
    body.insert(body.end(), script.begin(), script.end());
    word(0x0004, wide ? 4 : 2);
    word(2, 4);
    word(0x0007, 2);  // stop, end
    word(0, wide ? 4 : 2);
    return body;
  };
  std::vector<std::pair<std::string, std::string>> pairs;
  const std::string folder = gbtest::MakeTempFolder("empty_clip_scripts");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<u8> body = bodyOf(c, c.script);
    auto read = ReadTag({26, body}, c.version);
    auto* place = As<CSwfPlaceObject2>(read);
    ASSERT_EQ(place->GetClipActions().size(), 2u);
    const CSwfClipActionRecord* empty = place->GetClipActions()[0].get();
    EXPECT_TRUE(empty->actions->GetActions().empty());
    EXPECT_EQ(empty->keyCode, c.key ? 13 : 0);
    ASSERT_EQ(place->GetClipActions()[1]->actions->GetActions().size(), 1u);
    const std::vector<u8> written = WrittenBody(place, c.version);
    EXPECT_EQ(written, body);
    auto again = ReadTag({26, written}, c.version);
    EXPECT_EQ(DescribeTag(again.get(), c.version), DescribeTag(place, c.version));
    EXPECT_EQ(WrittenBody(again.get(), c.version), body);

    const std::string name = folder + std::to_string(pairs.size());
    ASSERT_TRUE(gbtest::WriteFile(name + "a.swf", BuildMovie({{26, body}, {0, {}}}, c.version)));
    ASSERT_TRUE(gbtest::WriteFile(name + "b.swf", BuildMovie({{26, written}, {0, {}}}, c.version)));
    pairs.emplace_back(name + "a.swf", name + "b.swf");

    // Once it holds an action, the script is closed by its end byte.
    place->GetClipActions()[0]->AddAction(new CSwfGenericAction(0x06));
    EXPECT_EQ(WrittenBody(place, c.version), bodyOf(c, Bytes({0x06, 0})));
  }

  // The other reader, which keeps each script's bytes, finds them unchanged.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::vector<std::string> verdicts = swftest::CompareWithIndependentReader(pairs);
  ASSERT_EQ(verdicts.size(), pairs.size());
  for (const std::string& verdict : verdicts) EXPECT_EQ(verdict, "same 1 0") << "the placement, decoded";
}

TEST(SwfDisplayTags, PlaceObjectReadsAColourTransformOnlyWhenTheBodyHoldsOne) {
  auto bare = ReadTag({4, Bytes({5, 0, 1, 0, 0x00})});
  auto* place = As<CSwfPlaceObject>(bare);
  EXPECT_EQ(place->GetCharacterId(), 5);
  EXPECT_EQ(place->GetDepth(), 1);
  ASSERT_NE(place->GetMatrix(), nullptr);
  EXPECT_EQ(place->GetColorTransform(), nullptr);
  EXPECT_EQ(WrittenBody(place), Bytes({5, 0, 1, 0, 0x00}));

  // Matrix and colour transform each start on a byte.
  CSwfPlaceObject full;
  full.SetCharacterId(2);
  full.SetDepth(3);
  CSwfMatrix* matrix = new CSwfMatrix;
  matrix->translateX = 40;
  full.SetMatrix(matrix);
  CSwfCxform* cxform = new CSwfCxform;
  cxform->SetColorScale(0.5);
  full.SetColorTransform(cxform);
  const std::vector<u8> body = WrittenBody(&full);
  auto read = ReadTag({4, body});
  EXPECT_EQ(DescribeTag(read.get()), DescribeTag(&full));
  EXPECT_EQ(WrittenBody(read.get()), body);

  // No matrix: the identity that the layout requires.
  CSwfPlaceObject none;
  EXPECT_EQ(WrittenBody(&none), Bytes({0, 0, 0, 0, 0x00}));
  full.Clear();
  EXPECT_EQ(full.GetMatrix(), nullptr);
}

TEST(SwfDisplayTags, SmallTagsAndTheirIds) {
  CSwfRemoveObject remove(0x0102, 0x0304);
  EXPECT_EQ(WrittenBody(&remove), Bytes({2, 1, 4, 3}));
  CSwfRemoveObject2 remove2(0x0304);
  EXPECT_EQ(WrittenBody(&remove2), Bytes({4, 3}));
  CSwfFreeCharacter free(0x0102);
  EXPECT_EQ(WrittenBody(&free), Bytes({2, 1}));
  CSwfShowFrame show;
  CSwfBitWriter writer(6);
  show.Write(writer);
  EXPECT_EQ(writer.GetBytes(), Bytes({0x40, 0x00}));
  for (const auto& [code, body] :
       {std::pair<u16, std::vector<u8>>{5, Bytes({2, 1, 4, 3})}, {28, Bytes({4, 3})},
        {3, Bytes({2, 1})}}) {
    auto read = ReadTag({code, body});
    EXPECT_EQ(WrittenBody(read.get()), body) << "code " << code;
  }
}

TEST(SwfDisplayTags, OffsetIdsShiftIdsAndDepths) {
  struct Case {
    const char* name;
    std::function<CSwfTag*()> make;
    u16 idDelta, depthDelta;
    u16 id, depth;
  };
  auto place2 = [](u16 id, u16 depth, bool hasCharacter) {
    return [=]() -> CSwfTag* {
      auto* place = new CSwfPlaceObject2;
      if (hasCharacter) place->SetCharacterId(id);
      place->SetDepth(depth);
      return place;
    };
  };
  auto place = [](u16 id, u16 depth) {
    return [=]() -> CSwfTag* {
      auto* tag = new CSwfPlaceObject;
      tag->SetCharacterId(id);
      tag->SetDepth(depth);
      return tag;
    };
  };
  const Case cases[] = {
      {"PlaceObject2 stops at 65535", place2(5, 1000, true), 0, 65000, 5, 65535},
      {"PlaceObject2 moves its character", place2(5, 10, true), 3, 2, 8, 12},
      {"PlaceObject2 without a character", place2(0, 10, false), 3, 2, 0, 12},
      {"RemoveObject2 stops at 65535 as its placement does",
       [] { return new CSwfRemoveObject2(1000); }, 1, 65000, 1, 65535},
      {"PlaceObject wraps", place(65535, 65535), 2, 2, 1, 1},
      {"RemoveObject wraps", [] { return new CSwfRemoveObject(65535, 65535); }, 2, 2, 1, 1},
      {"FreeCharacter", [] { return new CSwfFreeCharacter(7); }, 3, 9, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CSwfTag> tag(c.make());
    tag->OffsetIds(c.idDelta, c.depthDelta);
    EXPECT_EQ(tag->GetCharacterId(), c.id);
    if (auto* p = dynamic_cast<CSwfPlaceObject*>(tag.get())) {
      EXPECT_EQ(p->GetDepth(), c.depth);
    }
    if (auto* r = dynamic_cast<CSwfRemoveObject*>(tag.get())) {
      EXPECT_EQ(r->GetDepth(), c.depth);
    }
  }
  CSwfPlaceObject2 masked;
  masked.SetClipDepth(60000);
  masked.OffsetIds(0, 6000);
  EXPECT_EQ(masked.GetClipDepth(), 65535);
}
