#include "swf/swf_file_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <optional>
#include <sstream>

#include "foundation/finder_info.h"
#include "platform/memory_handles.h"
#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_button_tags.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_font_tags.h"
#include "swf/swf_maker_stamps.h"
#include "swf/swf_movie_builder.h"
#include "swf/swf_reader.h"
#include "swf/swf_shape.h"
#include "swf/swf_shape_tags.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_unknown_tag.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::Codes;
using swftest::RawTag;
using swftest::SplitTags;

namespace {

std::string NewPath(const std::string& name) {
  static int folders = 0;
  return gbtest::MakeTempFolder("writer" + std::to_string(++folders)) + name;
}

u32 LengthField(const std::vector<u8>& movie) {
  return u32(movie[4]) | (u32(movie[5]) << 8) | (u32(movie[6]) << 16) | (u32(movie[7]) << 24);
}

CSwfHeader HeaderOf(const std::vector<u8>& movie) {
  CSwfReader reader;
  EXPECT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, false));
  return reader.GetHeader();
}

// Tags built in code that hold a value no field of theirs can hold, so
// that they refuse to write themselves.
struct RefusedTag {
  const char* what;
  std::function<CSwfTag*()> make;
};

CSwfTag* ShapeWith(CSwfShapeRecord* record) {
  auto* shape = new CSwfDefineShape;
  shape->SetCharacterId(1);
  auto* figure = new CSwfShapeWithStyle;
  figure->AddRecord(record);
  shape->SetShape(figure);
  return shape;
}

// A script whose branch spans more bytes than its 16-bit offset reaches.
CSwfDoAction* LongBranchScript() {
  auto* script = new CSwfDoAction;
  script->AddAction(new CSwfActionJump(0));
  for (int i = 0; i < 400; ++i) script->AddAction(new CSwfActionPush(std::string(100, 'x').c_str()));
  script->CloseBranch();
  return script;
}

std::vector<RefusedTag> RefusedTags() {
  return {
      {"a script whose branch reaches past 32767 bytes", [] { return LongBranchScript(); }},
      {"a button whose script's branch reaches past 32767 bytes",
       [] {
         auto* button = new CSwfDefineButton2;
         button->SetCharacterId(1);
         EXPECT_TRUE(button->AddConditionAction(1, LongBranchScript()));
         return button;
       }},
      {"a clip action whose script's branch reaches past 32767 bytes",
       [] {
         auto* place = new CSwfPlaceObject2;
         place->SetCharacterId(1);
         place->SetDepth(1);
         auto* clip = new CSwfClipActionRecord(0x0001);
         clip->SetActions(LongBranchScript());
         place->AddClipAction(clip);
         return place;
       }},
      {"an edge of more than 17 bits", [] { return ShapeWith(new CSwfStraightEdgeRecord(70000, 0)); }},
      {"a style index above 32767",
       [] {
         auto* change = new CSwfStyleChangeRecord;
         change->SetFillStyle(40000, 0);
         change->UpdateFlags();
         return ShapeWith(change);
       }},
      {"a font whose glyphs start beyond what its 16-bit offsets reach",
       [] {
         auto* font = new CSwfDefineFont;
         std::vector<std::unique_ptr<CSwfShape>> glyphs;
         for (int i = 0; i < 3; ++i) {
           glyphs.push_back(std::make_unique<CSwfShape>(1));
           glyphs.back()->SetBits(1, 0);
         }
         EXPECT_TRUE(font->Set({}, std::move(glyphs), 1, false));
         // The first outline grows past what the offsets of the others reach.
         for (int i = 0; i < 33000; ++i) font->GetGlyphs()[0]->AddLineX(i % 2 ? 100 : -100);
         return font;
       }},
      {"a maker stamp's name over 255 bytes",
       [] {
         auto* stamp = new CSwfMakerStamp(1, 2);
         stamp->SetProductName(std::string(256, 'x'));
         return stamp;
       }},
  };
}

std::vector<u32> g_frames;
void RecordFrame(u32 frame) { g_frames.push_back(frame); }

}  // namespace

TEST(SwfFileWriter, TheSaversBlankMovie) {
  const std::string path = NewPath("__saver.swf");
  CSwfFileWriter writer(false);
  writer.SetParams(6400, 4800, 12.0f, 6);
  ASSERT_TRUE(writer.Open(CPathName(path), true));
  EXPECT_EQ(writer.WriteTag(new CSwfSetBackgroundColor(0, 0, 0), false), 5u);
  EXPECT_EQ(writer.WriteTag(new CSwfShowFrame, false), 2u);
  EXPECT_EQ(writer.WriteTag(new CSwfEnd, false), 2u);
  EXPECT_EQ(writer.Close(), 29u);
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(gbtest::ReadFile(path),
            Bytes({'F', 'W', 'S', 6, 29, 0, 0, 0,                   // signature, version, length
                   0x70, 0x00, 0x0C, 0x80, 0x00, 0x00, 0x96, 0x00,  // 0..6400, 0..4800 in 14 bits
                   0x00, 0x0C, 0x01, 0x00,                          // 12 fps, one frame
                   0x43, 0x02, 0, 0, 0,                             // black background
                   0x40, 0x00, 0x00, 0x00}));                       // ShowFrame, End

  FSRef ref;
  ASSERT_TRUE(CPathName(path).GetFsRef(&ref));
  OSType creator = 0, type = 0;
  ASSERT_TRUE(GetFsRefTypeCreator(&ref, &creator, &type));
  EXPECT_EQ(type, FourCC("SWFL"));
  EXPECT_EQ(creator, FourCC("SWF2"));
}

TEST(SwfFileWriter, RepeatedLabelsAreLeftOutAndTheHeaderIsPatchedOnClose) {
  const std::string path = NewPath("labels.swf");
  CSwfFileWriter writer(false);
  writer.SetParams(11000, 8000, 24.0f, 6);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  CSwfFrameLabel kept("a");
  EXPECT_EQ(writer.WriteTag(new CSwfFrameLabel("a"), false), 5u);
  writer.WriteTag(new CSwfShowFrame, false);
  EXPECT_EQ(writer.WriteTag(&kept, true), 0u) << "the same label again";
  EXPECT_EQ(kept.GetLabel(), "a") << "a kept tag stays the caller's";
  EXPECT_EQ(writer.WriteTag(new CSwfFrameLabel("A"), false), 5u) << "labels compare byte for byte";
  writer.WriteTag(new CSwfShowFrame, false);
  writer.WriteTag(new CSwfEnd, false);
  EXPECT_EQ(writer.GetFramesWritten(), 2);
  EXPECT_EQ(writer.WriteTag(nullptr, false), 0u);
  const u32 length = writer.Close();

  const std::vector<u8> movie = gbtest::ReadFile(path);
  EXPECT_EQ(length, movie.size());
  EXPECT_EQ(LengthField(movie), movie.size());
  const CSwfHeader header = HeaderOf(movie);
  EXPECT_EQ(header.GetFrameCount(), 2);
  EXPECT_EQ(header.GetFrameRate(), 24.0f);
  EXPECT_EQ(header.GetWidth(), 11000u);
  EXPECT_EQ(Codes(SplitTags(movie)), (std::vector<u16>{43, 1, 43, 1, 0}));

  // A new file starts with no labels seen.
  ASSERT_TRUE(writer.Open(CPathName(path), true));
  EXPECT_EQ(writer.WriteTag(&kept, true), 5u);
  EXPECT_NE(writer.Close(), 0u);
}

TEST(SwfFileWriter, AnEmptyMovieHoldsOnlyItsHeader) {
  const std::string path = NewPath("empty.swf");
  CSwfFileWriter writer(false);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  const u32 length = writer.Close();
  const std::vector<u8> movie = gbtest::ReadFile(path);
  ASSERT_EQ(movie.size(), length);
  EXPECT_EQ(LengthField(movie), movie.size());
  EXPECT_EQ(HeaderOf(movie).GetFrameCount(), 0);
  EXPECT_EQ(HeaderOf(movie).GetWidth(), 20u) << "the default stage";
  EXPECT_EQ(writer.Close(), 0u) << "nothing left to close";
}

TEST(SwfFileWriter, TheForcedMinimumStage) {
  struct Case {
    bool force;
    u32 width, height;  // pixels
    u32 wantWidth, wantHeight;
  };
  const Case cases[] = {
      {true, 320, 1000, 1280, 960},
      {true, 1280, 960, 1280, 960},
      {true, 1400, 959, 1280, 960},
      {true, 1400, 1000, 1400, 1000},
      {false, 320, 240, 320, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const std::string path = NewPath("stage.swf");
    CSwfFileWriter writer(c.force);
    writer.SetParams(c.width * 20, c.height * 20, 12.0f, 6);
    ASSERT_TRUE(writer.Open(CPathName(path), false));
    EXPECT_NE(writer.Close(), 0u);
    const CSwfHeader header = HeaderOf(gbtest::ReadFile(path));
    EXPECT_EQ(header.GetWidth(), c.wantWidth * 20);
    EXPECT_EQ(header.GetHeight(), c.wantHeight * 20);
  }

  // A stage taken from a header keeps its origin.
  CSwfHeader source;
  source.SetParams(-200, 100, 800, 600, 30.0f, 8);
  const std::string path = NewPath("origin.swf");
  CSwfFileWriter writer(false);
  writer.SetParamsFromHeader(source);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  EXPECT_NE(writer.Close(), 0u);
  const CSwfHeader header = HeaderOf(gbtest::ReadFile(path));
  EXPECT_EQ(header.GetFrameSize().xMin, -200);
  EXPECT_EQ(header.GetFrameSize().yMax, 600);
  EXPECT_EQ(header.GetVersion(), 8);
  EXPECT_EQ(header.GetFrameRate(), 30.0f);
}

TEST(SwfFileWriter, EachFrameIsAnnouncedWithItsIndex) {
  g_frames.clear();
  CSwfFileWriter writer(false);
  CSignalSlot<u32> slot = CSignalSlot<u32>::Plain(RecordFrame);
  writer.Connect(&slot);
  ASSERT_TRUE(writer.Open(CPathName(NewPath("frames.swf")), false));
  for (int i = 0; i < 3; ++i) {
    writer.WriteTag(new CSwfSetBackgroundColor(u8(i), 0, 0), false);
    writer.WriteTag(new CSwfShowFrame, false);
  }
  EXPECT_NE(writer.Close(), 0u);
  EXPECT_EQ(g_frames, (std::vector<u32>{0, 1, 2}));
}

TEST(SwfFileWriter, FilesAreCreatedOnlyWhereAllowed) {
  const std::string folder = gbtest::MakeTempFolder("refusals");
  const std::string existing = folder + "old.swf";
  ASSERT_TRUE(gbtest::WriteFile(existing, Bytes({1, 2, 3})));
  CSwfFileWriter writer(false);
  EXPECT_FALSE(writer.Open(CPathName(existing), false));
  EXPECT_EQ(gbtest::ReadFile(existing), Bytes({1, 2, 3})) << "nothing stored is lost";
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.WriteTag(new CSwfShowFrame, false), 0u) << "no file: nothing written";

  ASSERT_EQ(mkdir((folder + "sub").c_str(), 0755), 0);
  EXPECT_FALSE(writer.Open(CPathName(folder + "sub"), true)) << "a folder is never replaced";
  EXPECT_FALSE(writer.Open(CPathName(folder + "sub/"), true));
  EXPECT_FALSE(writer.Open(CPathName(folder + "missing/m.swf"), true));

  ASSERT_TRUE(writer.Open(CPathName(existing), true));
  writer.WriteTag(new CSwfEnd, false);
  EXPECT_GT(writer.Close(), 3u);
  EXPECT_EQ(HeaderOf(gbtest::ReadFile(existing)).GetFrameCount(), 0);
}

TEST(SwfFileWriter, MoviesCopiedFromAReaderReadBackTheSame) {
  const std::vector<u8> source = swftest::BuildMovie(
      {{9, Bytes({1, 2, 3})}, {43, Bytes({'x', 0, 1})}, {26, Bytes({0x06, 1, 0, 5, 0, 0})},
       {12, Bytes({0x07, 0})}, {1, {}}, {28, Bytes({1, 0})}, {1, {}}, {0, {}}},
      6);
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(source.data(), u32(source.size()), true, 0, true));
  const std::string path = NewPath("copy.swf");
  {
    // The destructor closes the file, patching it.
    CSwfFileWriter writer(false);
    writer.SetParamsFromHeader(reader.GetHeader());
    ASSERT_TRUE(writer.Open(CPathName(path), false));
    for (CSwfTag* tag : reader.GetTags()) writer.WriteTag(tag, true);
  }
  const std::vector<u8> copy = gbtest::ReadFile(path);
  EXPECT_EQ(LengthField(copy), copy.size());
  EXPECT_EQ(HeaderOf(copy).GetFrameCount(), 2);
  CSwfBitWriter rewritten(6);
  EXPECT_GT(reader.WriteMovie(rewritten), 0u);
  const std::vector<RawTag> copied = SplitTags(copy);
  const std::vector<RawTag> expected = SplitTags(rewritten.GetBytes());
  ASSERT_EQ(Codes(copied), Codes(expected));
  for (size_t i = 0; i < copied.size(); ++i) EXPECT_EQ(copied[i].body, expected[i].body) << i;
  reader.DeleteTags(true);
}

TEST(SwfFileWriter, OptionsStripSoundAndRenumberDepths) {
  const std::string path = NewPath("options.swf");
  CSwfFileWriter writer(false);
  writer.SetStripSound(true);
  writer.SetRecordDepths(true);
  writer.SetRecordClipDepths(true);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  for (u16 code : {14, 15, 17, 18, 19, 45}) {
    auto* sound = new CSwfUnknownTag(code, 0);
    EXPECT_EQ(writer.WriteTag(sound, false), 0u) << "code " << code;
  }
  auto place = [](u16 depth, u16 clipDepth) {
    auto* tag = new CSwfPlaceObject2;
    tag->SetDepth(depth);
    tag->SetCharacterId(1);
    tag->SetMatrix(new CSwfMatrix);
    tag->SetName("n");
    if (clipDepth) tag->SetClipDepth(clipDepth);
    return tag;
  };
  writer.WriteTag(place(300, 500), false);
  writer.WriteTag(place(40, 0), false);
  writer.WriteTag(new CSwfRemoveObject2(300), false);
  writer.WriteTag(new CSwfShowFrame, false);
  writer.RenumberDepths(10);
  writer.WriteTag(new CSwfEnd, false);
  EXPECT_NE(writer.Close(), 0u);

  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFile(CPathName(path), true, 0, true));
  const std::vector<CSwfTag*>& tags = reader.GetTags();
  ASSERT_EQ(tags.size(), 5u) << "no sound tag is left";
  auto* first = dynamic_cast<CSwfPlaceObject2*>(tags[0]);
  auto* second = dynamic_cast<CSwfPlaceObject2*>(tags[1]);
  auto* removal = dynamic_cast<CSwfRemoveObject2*>(tags[2]);
  ASSERT_TRUE(first && second && removal);
  EXPECT_EQ(first->GetDepth(), 12);
  EXPECT_EQ(first->GetClipDepth(), 13);
  EXPECT_EQ(first->GetName(), "n");
  EXPECT_EQ(second->GetDepth(), 11);
  EXPECT_EQ(removal->GetDepth(), 12);
  reader.DeleteTags(true);
}

TEST(SwfFileWriter, RawTagsUnderTheCodesOfClassesPassAsTheyAre) {
  const std::string path = NewPath("rawcodes.swf");
  CSwfFileWriter writer(false);
  writer.SetRecordDepths(true);
  writer.SetRecordClipDepths(true);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  CSwfUnknownTag label(43, 0), place(26, 0), removal(28, 0);
  label.SetData(Bytes({'a', 0}).data(), 2);
  place.SetData(Bytes({0x06, 1, 0, 5, 0, 0}).data(), 6);
  removal.SetData(Bytes({1, 0}).data(), 2);
  for (CSwfUnknownTag* tag : {&label, &label, &place, &removal}) EXPECT_GT(writer.WriteTag(tag, true), 0u);
  writer.RenumberDepths(0);
  EXPECT_NE(writer.Close(), 0u);
  EXPECT_EQ(Codes(SplitTags(gbtest::ReadFile(path))), (std::vector<u16>{43, 43, 26, 28}));
}

TEST(SwfFileWriter, RawBytesFromWritersAndHandles) {
  const std::string path = NewPath("raw.swf");
  CSwfFileWriter writer(false);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  CSwfBitWriter bits(6);
  bits.WriteU16(0x0040);  // a ShowFrame
  bits.WriteBits(0, 3);
  EXPECT_EQ(writer.WriteBitWriter(bits), 3u);
  Handle handle = plat::NewHandleFromBytes("\x00\x00", 2);
  EXPECT_EQ(writer.WriteHandle(handle), 2u);
  EXPECT_EQ(writer.WriteHandle(nullptr), 0u);
  Handle empty = NewHandle(0);
  EXPECT_EQ(writer.WriteHandle(empty), 0u);
  EXPECT_EQ(GetHandleSize(empty), 0) << "an empty handle is left alone";
  DisposeHandle(empty);
  EXPECT_NE(writer.Close(), 0u);
  const std::vector<u8> movie = gbtest::ReadFile(path);
  EXPECT_EQ(std::vector<u8>(movie.end() - 5, movie.end()), Bytes({0x40, 0x00, 0x00, 0x00, 0x00}));
}

TEST(SwfFileWriter, AMovieThatCannotBeFinishedIsNotLeftBehind) {
  // Writes beyond 4096 bytes fail, as on a full disk, until `full` goes.
  std::optional<gbtest::FullDisk> full(std::in_place, 4096);
  ASSERT_TRUE(full->IsSet());
  auto tooLong = [] {
    auto tag = std::make_unique<CSwfUnknownTag>(999, 8000);
    tag->SetData(std::vector<u8>(8000, 0x55).data(), 8000);
    return tag;
  };
  const std::string closed = NewPath("closed.swf");
  const std::string dropped = NewPath("dropped.swf");
  const std::string reopened = NewPath("reopened.swf");
  const std::string next = NewPath("next.swf");
  u32 closedLength = 1, written = 1;
  bool opened = true;
  {
    CSwfFileWriter writer(false);
    opened = writer.Open(CPathName(closed), false) && opened;
    written = writer.WriteTag(tooLong().release(), false);
    closedLength = writer.Close();  // the caller decides what becomes of it

    opened = writer.Open(CPathName(dropped), false) && opened;
    writer.WriteTag(tooLong().release(), false);
  }  // destroyed open
  {
    CSwfFileWriter writer(false);
    opened = writer.Open(CPathName(reopened), false) && opened;
    writer.WriteTag(tooLong().release(), false);
    opened = writer.Open(CPathName(next), false) && opened;
    EXPECT_NE(writer.Close(), 0u);
  }
  full.reset();
  EXPECT_TRUE(opened);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(closedLength, 0u);
  EXPECT_TRUE(CPathName(closed).Exists());
  EXPECT_FALSE(CPathName(dropped).Exists()) << "closed by the destructor";
  EXPECT_FALSE(CPathName(reopened).Exists()) << "closed by the next Open";
  EXPECT_TRUE(CPathName(next).Exists());
}

TEST(SwfFileWriter, ATagThatCannotBeWrittenFailsTheMovie) {
  for (const RefusedTag& refused : RefusedTags()) {
    SCOPED_TRACE(refused.what);
    const std::string closed = NewPath("refused.swf");
    const std::string left = NewPath("left.swf");
    const std::unique_ptr<CSwfTag> kept(refused.make());
    {
      CSwfFileWriter writer(false);
      ASSERT_TRUE(writer.Open(CPathName(closed), false));
      EXPECT_EQ(writer.WriteTag(new CSwfSetBackgroundColor(0, 0, 0), false), 5u);
      EXPECT_FALSE(writer.HasFailed());
      EXPECT_EQ(writer.WriteTag(kept.get(), true), 0u);
      EXPECT_TRUE(writer.HasFailed());
      EXPECT_EQ(writer.WriteTag(new CSwfShowFrame, false), 0u) << "nothing more is written";
      EXPECT_EQ(writer.Close(), 0u);

      // Left open, a failed movie is removed by the writer.
      ASSERT_TRUE(writer.Open(CPathName(left), false));
      EXPECT_FALSE(writer.HasFailed()) << "a new file starts afresh";
      EXPECT_EQ(writer.WriteTag(refused.make(), false), 0u);
    }
    EXPECT_TRUE(CPathName(closed).Exists()) << "after Close the caller decides";
    EXPECT_FALSE(CPathName(left).Exists());
  }
}

TEST(SwfFileWriter, AScriptWithoutActionsIsLeftOutWithoutFailing) {
  const std::string path = NewPath("script.swf");
  CSwfFileWriter writer(false);
  ASSERT_TRUE(writer.Open(CPathName(path), false));
  EXPECT_EQ(writer.WriteTag(new CSwfDoAction, false), 0u);
  EXPECT_FALSE(writer.HasFailed());
  writer.WriteTag(new CSwfShowFrame, false);
  EXPECT_NE(writer.Close(), 0u);
  EXPECT_EQ(Codes(SplitTags(gbtest::ReadFile(path))), std::vector<u16>{1});
}

// A movie written back from a reader fails on a tag that refuses, held at
// the top or inside a sprite; a sprite holding a script without actions
// writes as before.
TEST(SwfReader, ATagThatCannotBeWrittenFailsTheMovieItBelongsIn) {
  const std::vector<u8> movie = swftest::BuildMovie({{1, {}}, {0, {}}});
  auto writesBackWith = [&movie](CSwfTag* tag) {
    CSwfReader reader;
    EXPECT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
    reader.GetTags().insert(reader.GetTags().begin(), tag);
    CSwfBitWriter writer(reader.GetVersion());
    const bool written = reader.WriteMovie(writer) != 0;
    reader.DeleteTags(true);
    return written;
  };
  for (const RefusedTag& refused : RefusedTags()) {
    SCOPED_TRACE(refused.what);
    EXPECT_FALSE(writesBackWith(refused.make()));
  }

  // None of the tags a sprite takes refuses today; one that does (a
  // placement standing in for it) makes the sprite refuse.
  struct CRefusingPlacement : CSwfPlaceObject2 {
    u32 Write(CSwfBitWriter&) override { return 0; }
  };
  auto spriteWith = [](CSwfTag* tag) {
    auto* sprite = new CSwfDefineSprite;
    EXPECT_TRUE(sprite->AddTag(tag));
    return sprite;
  };
  EXPECT_FALSE(writesBackWith(spriteWith(new CRefusingPlacement)));
  const std::unique_ptr<CSwfTag> sprite(spriteWith(new CRefusingPlacement));
  CSwfFileWriter file(false);
  ASSERT_TRUE(file.Open(CPathName(NewPath("sprite.swf")), false));
  EXPECT_EQ(file.WriteTag(sprite.get(), true), 0u);
  EXPECT_TRUE(file.HasFailed());
  EXPECT_TRUE(writesBackWith(spriteWith(new CSwfDoAction))) << "a script without actions is left out";
}

TEST(SwfMovieBuilder, ATagThatCannotBeWrittenBuildsNoMovie) {
  for (const RefusedTag& refused : RefusedTags()) {
    SCOPED_TRACE(refused.what);
    CSwfMovieBuilder builder;
    builder.AddTag(new CSwfFrameLabel("go"));
    builder.AddTag(refused.make());
    builder.AddTag(new CSwfShowFrame);
    std::vector<u8> movie = Bytes({0xAA});
    CSwfHeader header;
    header.SetFrameCount(7);
    EXPECT_EQ(builder.BuildMovie(movie, &header), 0u);
    EXPECT_EQ(movie, Bytes({0xAA})) << "nothing appended";
    EXPECT_EQ(header.GetFrameCount(), 7) << "the header untouched";
    std::ostringstream stream;
    EXPECT_EQ(builder.WriteMovie(stream, nullptr), 0u);
    EXPECT_TRUE(stream.str().empty());
  }

  // A script without actions writes nothing and is no failure.
  CSwfMovieBuilder builder;
  builder.AddTag(new CSwfDoAction);
  builder.AddTag(new CSwfShowFrame);
  std::vector<u8> movie;
  ASSERT_NE(builder.BuildMovie(movie, nullptr), 0u);
  EXPECT_EQ(Codes(SplitTags(movie)), (std::vector<u16>{1, 0}));
}

TEST(SwfMovieBuilder, BuildsTheMovieForTheHeadersVersion) {
  CSwfMovieBuilder builder;
  builder.SetParams(6400, 4800, 12.0f, 6);
  builder.AddTag(new CSwfFrameLabel("go"));
  builder.AddTag(new CSwfShowFrame);
  builder.AddTag(nullptr);
  EXPECT_EQ(builder.GetFrameCount(), 1);

  std::vector<u8> movie = Bytes({0xAA});
  const u32 size = builder.BuildMovie(movie, nullptr);
  ASSERT_EQ(movie.size(), size + 1) << "appended";
  movie.erase(movie.begin());
  EXPECT_EQ(LengthField(movie), movie.size());
  const std::vector<RawTag> tags = SplitTags(movie);
  EXPECT_EQ(Codes(tags), (std::vector<u16>{43, 1, 0})) << "an End tag is added";
  EXPECT_EQ(tags[0].body, Bytes({'g', 'o', 0, 0})) << "a version 6 label has its anchor byte";
  EXPECT_EQ(HeaderOf(movie).GetFrameCount(), 1);
  EXPECT_EQ(movie.size(), 30u) << "header 20, label 6, ShowFrame and End";

  // A given header takes the frame count and length; its version decides.
  builder.AddTag(new CSwfShowFrame);
  builder.AddTag(new CSwfEnd);
  CSwfHeader header;
  header.SetParams(0, 0, 2000, 2000, 25.0f, 5);
  std::ostringstream stream;
  const u32 written = builder.WriteMovie(stream, &header);
  const std::string text = stream.str();
  const std::vector<u8> fromStream(text.begin(), text.end());
  EXPECT_EQ(written, fromStream.size());
  EXPECT_EQ(header.GetFrameCount(), 2);
  EXPECT_EQ(header.GetFileLength(), fromStream.size());
  const std::vector<RawTag> five = SplitTags(fromStream);
  EXPECT_EQ(Codes(five), (std::vector<u16>{43, 1, 1, 0})) << "no second End";
  EXPECT_EQ(five[0].body, Bytes({'g', 'o', 0}));

  builder.DeleteTags();
  EXPECT_TRUE(builder.GetTags().empty());
  EXPECT_EQ(builder.GetFrameCount(), 0);
}
