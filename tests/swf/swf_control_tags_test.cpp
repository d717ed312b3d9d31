#include "swf/swf_control_tags.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/path_name.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::As;
using swftest::Bytes;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

std::vector<u8> Written(CSwfTag& tag, u8 version = 6) {
  CSwfBitWriter writer(version);
  tag.Write(writer);
  return writer.GetBytes();
}

}  // namespace

TEST(SwfControlTags, BackgroundColourKeepsRedInTheLowByte) {
  CSwfSetBackgroundColor color(0x99, 0x66, 0x33);
  EXPECT_EQ(color.GetColor(), 0x336699u);
  EXPECT_EQ(Written(color), Bytes({0x43, 0x02, 0x99, 0x66, 0x33}));
  CSwfSetBackgroundColor fromValue(0x00336699u);
  EXPECT_EQ(Written(fromValue), Written(color));

  auto read = ReadTag({9, Bytes({1, 2, 3})});
  EXPECT_EQ(As<CSwfSetBackgroundColor>(read)->GetColor(), 0x030201u);
  // A body cut short is kept as its bytes.
  swftest::ExpectKeptAsBytes({9, Bytes({0xAA})});
}

TEST(SwfControlTags, FrameLabelsCarryTheAnchorFlagFromVersionSix) {
  CSwfFrameLabel label("intro");
  EXPECT_EQ(WrittenBody(&label, 6), Bytes({'i', 'n', 't', 'r', 'o', 0, 0}));
  EXPECT_EQ(WrittenBody(&label, 5), Bytes({'i', 'n', 't', 'r', 'o', 0}));
  label.SetAnchor(1);
  EXPECT_EQ(Written(label, 6), Bytes({0xC7, 0x0A, 'i', 'n', 't', 'r', 'o', 0, 1}));

  struct Case {
    const char* name;
    u8 version;
    std::vector<u8> body;
    const char* label;
    u8 anchor;
  };
  const Case cases[] = {
      {"version 6 with its anchor byte", 6, Bytes({'a', 0, 1}), "a", 1},
      {"version 6 without it", 6, Bytes({'a', 0}), "a", 0},
      {"version 5 leaves a following byte alone", 5, Bytes({'a', 0, 1}), "a", 0},
      {"a label that runs to the end of the body", 7, Bytes({'a', 'b'}), "ab", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto read = ReadTag({43, c.body}, c.version);
    auto* frame = As<CSwfFrameLabel>(read);
    EXPECT_EQ(frame->GetLabel(), c.label);
    EXPECT_EQ(frame->GetAnchor(), c.anchor);
  }

  CSwfFrameLabel copy;
  copy = label;
  EXPECT_EQ(copy.GetLabel(), "intro");
  EXPECT_EQ(copy.GetAnchor(), 1);
  copy.ClearLabel();
  EXPECT_EQ(WrittenBody(&copy, 5), Bytes({0}));
  EXPECT_EQ(CSwfFrameLabel(nullptr).GetLabel(), "");
}

TEST(SwfControlTags, MarkersAndDebuggerPasswords) {
  auto protect = ReadTag({24, std::vector<u8>(32, 'p')});
  EXPECT_EQ(protect->GetCode(), 24);
  EXPECT_EQ(Written(*protect), Bytes({0x00, 0x06})) << "the password body is dropped";
  CSwfEnd end;
  EXPECT_EQ(Written(end), Bytes({0x00, 0x00}));

  struct Case {
    u16 code;
    std::vector<u8> body;
    const char* password;
  };
  const Case cases[] = {
      {58, Bytes({'p', 'w', 0}), "pw"},
      {58, Bytes({0}), ""},
      {64, Bytes({0x34, 0x12, 'p', 'w', 0}), "pw"},
  };
  for (const Case& c : cases) {
    auto read = ReadTag({c.code, c.body});
    auto* debugger = As<CSwfEnableDebugger>(read);
    EXPECT_EQ(read->GetCode(), c.code);
    EXPECT_EQ(debugger->GetPassword(), c.password);
    EXPECT_EQ(WrittenBody(read.get()), c.body);
  }
  CSwfEnableDebugger2 fresh("x");
  EXPECT_EQ(WrittenBody(&fresh), Bytes({0, 0, 'x', 0}));
}

TEST(SwfControlTags, ExportAndImportRecords) {
  const std::vector<u8> exports = Bytes({2, 0, 5, 0, 'a', 0, 0x10, 0, 'b', 'c', 0});
  auto read = ReadTag({56, exports});
  auto* list = As<CSwfExportAssets>(read);
  ASSERT_EQ(list->GetAssets().size(), 2u);
  EXPECT_EQ(list->GetAssets()[1].characterId, 0x10);
  EXPECT_EQ(list->GetAssets()[1].name, "bc");
  EXPECT_EQ(WrittenBody(list), exports);

  list->Insert(new CSwfAssetRecord(7, "first"), 0);
  list->Insert(new CSwfAssetRecord(8, "last"), 99);
  list->Insert(nullptr, 0);
  ASSERT_EQ(list->GetAssets().size(), 4u);
  EXPECT_EQ(list->GetAssets()[0].name, "first");
  EXPECT_EQ(list->GetAssets()[3].name, "last");
  list->OffsetIds(0xFFFF, 3);
  EXPECT_EQ(list->GetAssets()[0].characterId, 6) << "16-bit arithmetic";
  EXPECT_EQ(list->GetAssets()[1].characterId, 4);
  list->Insert(new CSwfAssetRecord(9, nullptr), 1);
  EXPECT_FALSE(list->Remove(5)) << "a list of 5 has no index 5";
  EXPECT_EQ(list->GetAssets().size(), 5u);
  EXPECT_TRUE(list->Remove(1));
  EXPECT_EQ(list->GetAssets()[1].name, "a");
  list->Reset();
  EXPECT_TRUE(list->GetAssets().empty());

  const std::vector<u8> imports = Bytes({'l', 'i', 'b', '.', 's', 'w', 'f', 0, 1, 0, 3, 0, 'x', 0});
  auto imported = ReadTag({57, imports});
  auto* importList = As<CSwfImportAssets>(imported);
  EXPECT_EQ(importList->GetUrl(), "lib.swf");
  ASSERT_EQ(importList->GetAssets().size(), 1u);
  EXPECT_EQ(WrittenBody(importList), imports);
  importList->Clear();
  EXPECT_EQ(importList->GetUrl(), "");
  EXPECT_EQ(WrittenBody(importList), Bytes({0, 0, 0}));

  // A count far beyond what the body holds disagrees with it.
  swftest::ExpectKeptAsBytes({56, Bytes({0xFF, 0xFF, 1, 0, 'a', 0})});

  CSwfAssetRecord record(1, "abc");
  CSwfBitWriter writer(6);
  EXPECT_EQ(record.Write(writer), 6u);
  EXPECT_EQ(writer.GetBytes(), Bytes({1, 0, 'a', 'b', 'c', 0}));
}

TEST(SwfControlTags, AssetListsPastACountWordAreWrittenAsSeveralTags) {
  CSwfImportAssets imports("lib.swf");
  for (u32 i = 0; i < 0xFFFF + 10; ++i) imports.Insert(new CSwfAssetRecord(u16(i), "n"), 0xFFFFFFFF);
  CSwfBitWriter writer(6);
  const u32 written = imports.Write(writer);
  EXPECT_EQ(written, writer.GetByteCount());
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromWriter(writer));
  std::vector<size_t> counts;
  std::unique_ptr<CSwfTag> first(reader.ReadNextTag());
  std::unique_ptr<CSwfTag> second(reader.ReadNextTag());
  for (CSwfTag* tag : {first.get(), second.get()}) {
    auto* list = dynamic_cast<CSwfImportAssets*>(tag);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetUrl(), "lib.swf");
    counts.push_back(list->GetAssets().size());
  }
  EXPECT_EQ(static_cast<CSwfImportAssets*>(second.get())->GetAssets()[9].characterId, 0xFFFF + 9 - 0x10000);
  EXPECT_EQ(counts, (std::vector<size_t>{0xFFFF, 10}));
  EXPECT_EQ(reader.GetRemaining(), 0u);
}

TEST(SwfControlTags, TheShallowLoadGivesClassesToColourAndLabelsOnly) {
  const std::vector<u8> movie = swftest::BuildMovie(
      {{9, Bytes({1, 2, 3})}, {43, Bytes({'f', 0})}, {12, Bytes({7, 0})}, {1, {}}, {0, {}}});
  const std::string path = gbtest::MakeTempFolder("shallow") + "m.swf";
  ASSERT_TRUE(gbtest::WriteFile(path, movie));
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFileShallow(CPathName(path)));
  const std::vector<CSwfTag*>& tags = reader.GetTags();
  ASSERT_EQ(tags.size(), 5u);
  EXPECT_NE(dynamic_cast<CSwfSetBackgroundColor*>(tags[0]), nullptr);
  EXPECT_NE(dynamic_cast<CSwfFrameLabel*>(tags[1]), nullptr);
  for (size_t i = 2; i < tags.size(); ++i)
    EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(tags[i]), nullptr) << "tag " << i;
  reader.DeleteTags(true);
}
