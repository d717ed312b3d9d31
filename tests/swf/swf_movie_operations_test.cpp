#include "swf/swf_movie_operations.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "foundation/path_name.h"
#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_button_tags.h"
#include "swf/swf_compression.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_sound_tags.h"
#include "swf/swf_sprite_tags.h"
#include "swf/swf_text_tags.h"
#include "swf/swf_unknown_tag.h"
#include "swf/swf_video_tags.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::BuildMovie;
using swftest::Bytes;
using swftest::Codes;
using swftest::RawTag;
using swftest::SplitTags;

namespace {

std::string WriteMovie(const std::string& name, const std::vector<u8>& bytes) {
  std::string path = gbtest::MakeTempFolder("operations_" + name) + name;
  EXPECT_TRUE(gbtest::WriteFile(path, bytes));
  return path;
}

// A movie of version 6 with a protection password, a label used twice,
// two frames and a background colour that comes after a script.
std::vector<u8> ProtectedMovie() {
  return BuildMovie({{24, Bytes({'p', 'w', 0})},
                     {12, Bytes({0x07, 0x00}), true},
                     {9, Bytes({0x11, 0x22, 0x33})},
                     {43, Bytes({'a', 0, 0})},
                     {1, {}},
                     {43, Bytes({'a', 0, 0})},
                     {1, {}},
                     {0, {}}},
                    6);
}

struct TagList {
  ~TagList() {
    for (CSwfTag* tag : tags) delete tag;
  }
  std::vector<CSwfTag*> tags;
};

// The files of a folder, sorted.
std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A DefineButton2 body whose first condition action fills the largest size
// its 16-bit field holds with an action and no end byte, followed by one
// more (Play): it reads, but written with its end byte the first script
// outgrows the size field.
std::vector<u8> ButtonScriptBeyondItsSize() {
  // Id 1, flags, the action offset; one record: up state, character 2,
  // depth 1, an empty matrix and colour transform; the records' end.
  std::vector<u8> body = Bytes({1, 0, 0, 10, 0, 0x01, 2, 0, 1, 0, 0x00, 0x00, 0});
  body.insert(body.end(), {0xFF, 0xFF, 0x08, 0x00});  // size 65535, on release
  // An action of 65531 bytes: its opcode, its length and 65528 bytes.
  body.insert(body.end(), {0xC4, 0xF8, 0xFF});
  body.resize(body.size() + 0xFFF8, 0xAB);
  body.insert(body.end(), {0, 0, 0x08, 0x00});  // the last condition: release
  body.insert(body.end(), {0x06, 0x00});        // Play, end of the actions
  return body;
}

CSwfPlaceObject2* Placement(u16 id, u16 depth, const char* name) {
  auto* place = new CSwfPlaceObject2;
  if (id) place->SetCharacterId(id);
  place->SetDepth(depth);
  if (name) place->SetName(name);
  return place;
}

}  // namespace

TEST(SwfMovieOperations, HeaderInformationAndBackgroundColour) {
  const std::vector<u8> movie = ProtectedMovie();
  std::vector<u8> compressed;
  ASSERT_TRUE(CompressSwfBytes(movie.data(), movie.size(), compressed));
  const std::vector<u8>* forms[] = {&movie, &compressed};
  for (const std::vector<u8>* bytes : forms) {
    const bool isCompressed = bytes == &compressed;
    SCOPED_TRACE(isCompressed ? "compressed" : "plain");
    const CPathName path(WriteMovie(isCompressed ? "c.swf" : "p.swf", *bytes).c_str());
    u32 width = 0, height = 0, version = 0, frames = 0;
    f32 rate = 0;
    u8 packed = 9;
    ASSERT_TRUE(GetSwfHeaderInfo(path, &width, &height, &rate, &version, &frames, &packed));
    EXPECT_EQ(width, 11000u);
    EXPECT_EQ(height, 8000u);
    EXPECT_EQ(rate, 12.0f);
    EXPECT_EQ(version, 6u);
    EXPECT_EQ(frames, 0u) << "as the header says";
    EXPECT_EQ(packed, isCompressed ? 1 : 0);
    EXPECT_TRUE(GetSwfHeaderInfo(path, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetMovieBackgroundColor(path), 0x332211u);
  }
  const CPathName none(WriteMovie("none.swf", BuildMovie({{1, {}}, {0, {}}, {9, Bytes({1, 2, 3})}})).c_str());
  EXPECT_EQ(GetMovieBackgroundColor(none), 0u) << "the search ends at the End tag";
  const CPathName text(WriteMovie("text.swf", Bytes({'t', 'e', 'x', 't', 0, 0, 0, 0, 0})).c_str());
  EXPECT_FALSE(GetSwfHeaderInfo(text, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetMovieBackgroundColor(text), 0u);
  const CPathName missing((gbtest::MakeTempFolder("operations_missing") + "m.swf").c_str());
  EXPECT_FALSE(GetSwfHeaderInfo(missing, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(SwfMovieOperations, ProtectionIsRemovedAddedAndMoviesRewritten) {
  const std::string source = WriteMovie("source.swf", ProtectedMovie());
  const std::string folder = gbtest::MakeTempFolder("operations_out");
  const CPathName from(source.c_str());

  ASSERT_TRUE(RemoveProtect(from, CPathName((folder + "removed.swf").c_str())));
  const std::vector<RawTag> removed = SplitTags(gbtest::ReadFile(folder + "removed.swf"));
  EXPECT_EQ(Codes(removed), (std::vector<u16>{12, 9, 43, 1, 1, 0})) << "a repeated label goes too";

  ASSERT_TRUE(AddProtect(CPathName((folder + "removed.swf").c_str()),
                         CPathName((folder + "added.swf").c_str())));
  const std::vector<RawTag> added = SplitTags(gbtest::ReadFile(folder + "added.swf"));
  ASSERT_EQ(Codes(added), (std::vector<u16>{24, 12, 9, 43, 1, 1, 0}));
  EXPECT_TRUE(added[0].body.empty());
  for (size_t i = 1; i < added.size(); ++i) EXPECT_EQ(added[i].body, removed[i - 1].body);

  ASSERT_TRUE(RewriteMovie(from, CPathName((folder + "same.swf").c_str())));
  const std::vector<u8> rewritten = gbtest::ReadFile(folder + "same.swf");
  EXPECT_EQ(Codes(SplitTags(rewritten)), (std::vector<u16>{24, 12, 9, 43, 1, 1, 0}));
  u32 frames = 0;
  ASSERT_TRUE(GetSwfHeaderInfo(CPathName((folder + "same.swf").c_str()), nullptr, nullptr, nullptr,
                               nullptr, &frames, nullptr));
  EXPECT_EQ(frames, 2u) << "the frames the file holds";

  // No target is replaced, and a failed operation leaves none.
  EXPECT_FALSE(RewriteMovie(from, CPathName((folder + "same.swf").c_str())));
  EXPECT_EQ(gbtest::ReadFile(folder + "same.swf"), rewritten);
  const std::string text = WriteMovie("text.swf", Bytes({'n', 'o', 't', ' ', 'a', ' ', 'm'}));
  EXPECT_FALSE(AddProtect(CPathName(text.c_str()), CPathName((folder + "never.swf").c_str())));
  EXPECT_FALSE(gbtest::FileExists(folder + "never.swf"));
  EXPECT_FALSE(RemoveProtect(from, CPathName((folder + "missing/x.swf").c_str())));
}

TEST(SwfMovieOperations, ProtectFollowsTheFileAttributesTagThatOpensAMovie) {
  const RawTag attributes{kSwfFileAttributesCode, Bytes({0x08, 0, 0, 0})};
  const RawTag background{9, Bytes({1, 2, 3})};
  const RawTag frame{1, {}}, end{0, {}};
  struct Case {
    const char* what;
    u8 version;
    std::vector<RawTag> tags;
    std::vector<u16> protectedCodes;
  } cases[] = {
      {"version 8, attributes first", 8, {attributes, background, frame, end}, {69, 24, 9, 1, 0}},
      {"version 6, attributes first", 6, {attributes, background, frame, end}, {69, 24, 9, 1, 0}},
      {"attributes later", 8, {background, attributes, frame, end}, {24, 9, 69, 1, 0}},
      {"no attributes", 8, {background, frame, end}, {24, 9, 1, 0}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = gbtest::MakeTempFolder("operations_attributes" + std::to_string(++n));
    const std::vector<u8> movie = BuildMovie(c.tags, c.version);
    const std::string source = folder + "source.swf";
    ASSERT_TRUE(gbtest::WriteFile(source, movie));
    ASSERT_TRUE(AddProtect(CPathName(source.c_str()), CPathName((folder + "added.swf").c_str())));
    const std::vector<u8> added = gbtest::ReadFile(folder + "added.swf");
    std::vector<RawTag> tags = SplitTags(added);
    ASSERT_EQ(Codes(tags), c.protectedCodes);
    const auto isProtect = [](const RawTag& tag) { return tag.code == kSwfProtectCode; };
    tags.erase(std::find_if(tags.begin(), tags.end(), isProtect));
    for (size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(tags[i].body, c.tags[i].body) << i;

    // The in-place forms write the same movie.
    for (bool keepBackup : {false, true}) {
      const std::string path = folder + (keepBackup ? "kept.swf" : "alone.swf");
      ASSERT_TRUE(gbtest::WriteFile(path, movie));
      EXPECT_TRUE(AddProtectInPlace(CPathName(path.c_str()), keepBackup));
      EXPECT_EQ(gbtest::ReadFile(path), added) << keepBackup;
    }
    // Taking the Protect tag out again gives back the movie's own tags.
    ASSERT_TRUE(RemoveProtect(CPathName((folder + "added.swf").c_str()),
                              CPathName((folder + "removed.swf").c_str())));
    const std::vector<RawTag> removed = SplitTags(gbtest::ReadFile(folder + "removed.swf"));
    EXPECT_EQ(Codes(removed), Codes(c.tags));
  }
}

TEST(SwfMovieOperations, AMovieIsNeverWrittenWithoutATagThatCannotBeWritten) {
  const std::vector<u8> movie = BuildMovie({{9, Bytes({1, 2, 3})},
                                            {kSwfDefineButton2Code, ButtonScriptBeyondItsSize(), true},
                                            {12, Bytes({0x00})},  // a script without actions
                                            {1, {}},
                                            {0, {}}});
  // The button reads whole but cannot be written.
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  ASSERT_EQ(Codes(reader.GetTags()), (std::vector<u16>{9, 34, 12, 1, 0}));
  auto* button = dynamic_cast<CSwfDefineButton2*>(reader.GetTags()[1]);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetConditions(), (std::vector<u16>{0x0008, 0x0008}));
  ASSERT_EQ(button->GetActionLists().size(), 2u);
  ASSERT_EQ(button->GetActionLists()[0]->GetActions().size(), 1u);
  CSwfBitWriter refused(6);
  EXPECT_EQ(button->Write(refused), 0u);
  reader.DeleteTags(true);

  const std::string folder = gbtest::MakeTempFolder("operations_refused");
  const std::string path = folder + "movie.swf";
  ASSERT_TRUE(gbtest::WriteFile(path, movie));
  const CPathName source(path.c_str());
  const CPathName target((folder + "target.swf").c_str());
  EXPECT_FALSE(RewriteMovie(source, target));
  EXPECT_FALSE(AddProtect(source, target));
  EXPECT_FALSE(RemoveProtect(source, target));
  EXPECT_FALSE(RemoveProtectInPlace(source, false));
  EXPECT_FALSE(AddProtectInPlace(source, false));
  EXPECT_FALSE(RemoveProtectInPlace(source, true));
  EXPECT_FALSE(AddProtectInPlace(source, true));
  EXPECT_EQ(gbtest::ReadFile(path), movie) << "the movie stays as it was";
  EXPECT_EQ(FolderFiles(folder), std::vector<std::string>{"movie.swf"}) << "no target, backup or temporary file";

  // Without the button the movie is written; the empty script is left out
  // as it always is.
  const std::string fine = folder + "fine.swf";
  ASSERT_TRUE(gbtest::WriteFile(fine, BuildMovie({{9, Bytes({1, 2, 3})}, {12, Bytes({0x00})}, {1, {}}, {0, {}}})));
  ASSERT_TRUE(RewriteMovie(CPathName(fine.c_str()), target));
  EXPECT_EQ(Codes(SplitTags(gbtest::ReadFile(folder + "target.swf"))), (std::vector<u16>{9, 1, 0}));
}

TEST(SwfMovieOperations, InPlaceOperationsKeepABackupWhenAsked) {
  const std::string path = WriteMovie("movie.swf", ProtectedMovie());
  const CPathName movie(path.c_str());
  EXPECT_TRUE(RemoveProtectInPlace(movie, true));
  EXPECT_EQ(Codes(SplitTags(gbtest::ReadFile(path)))[0], 12);
  EXPECT_EQ(gbtest::ReadFile(path + "~"), ProtectedMovie()) << "the former movie is the backup";

  EXPECT_TRUE(AddProtectInPlace(movie, false));
  EXPECT_EQ(Codes(SplitTags(gbtest::ReadFile(path)))[0], 24);
  EXPECT_EQ(gbtest::ReadFile(path + "~"), ProtectedMovie()) << "no new backup";
  EXPECT_FALSE(gbtest::FileExists(path.substr(0, path.size() - 4) + "__.swf"))
      << "the temporary file took the movie's name";

  // A file that is no movie stays as it was, under its own name.
  const std::string text = WriteMovie("text.swf", Bytes({'n', 'o', 't'}));
  EXPECT_FALSE(RemoveProtectInPlace(CPathName(text.c_str()), true));
  EXPECT_EQ(gbtest::ReadFile(text), Bytes({'n', 'o', 't'}));
  EXPECT_FALSE(gbtest::FileExists(text + "~"));
  EXPECT_FALSE(AddProtectInPlace(CPathName(text.c_str()), false));
  EXPECT_EQ(gbtest::ReadFile(text), Bytes({'n', 'o', 't'}));
}

TEST(SwfMovieOperations, QueriesFindCharactersPlacementsAndTheHighestIds) {
  TagList list;
  std::vector<CSwfTag*>& tags = list.tags;
  tags.push_back(new CSwfSetBackgroundColor(1, 2, 3));
  auto* sound = new CSwfDefineSound;
  sound->SetCharacterId(3);
  tags.push_back(sound);
  tags.push_back(Placement(5, 1, "early"));  // before the button it places
  auto* button = new CSwfDefineButton2;
  button->SetCharacterId(5);
  tags.push_back(button);
  auto* sprite = new CSwfDefineSprite(7, 0);
  auto* video = new CSwfDefineVideoStream;
  video->SetCharacterId(9);
  ASSERT_TRUE(sprite->AddTag(video));
  ASSERT_TRUE(sprite->AddTag(Placement(5, 40000, "btn_ok")));
  ASSERT_TRUE(sprite->AddTag(new CSwfShowFrame));
  tags.push_back(sprite);
  tags.push_back(new CSwfUnknownTag(2, 0));  // a shape kept raw
  tags.push_back(Placement(7, 0xFFFF, "clip"));
  tags.push_back(Placement(5, 3, "button"));
  auto* place = new CSwfPlaceObject;
  place->SetCharacterId(3);
  place->SetDepth(900);
  tags.push_back(place);
  auto* init = new CSwfDoInitAction;
  init->SetSpriteId(12);
  tags.push_back(init);

  EXPECT_EQ(FindCharacterTag(3, tags), sound);
  EXPECT_EQ(FindCharacterTag(5, tags), button);
  EXPECT_EQ(FindCharacterTag(7, tags), sprite);
  EXPECT_EQ(FindCharacterTag(9, tags), video) << "inside the sprite";
  EXPECT_EQ(FindCharacterTag(12, tags), nullptr) << "an init action defines nothing";

  EXPECT_EQ(FindPlacementByNamePrefix("btn", tags, true), sprite->GetTags()[1]);
  EXPECT_EQ(FindPlacementByNamePrefix("btn", tags, false), nullptr);
  EXPECT_EQ(FindPlacementByNamePrefix("cl", tags, false), tags[6]);
  EXPECT_EQ(FindPlacementByName("btn", tags), nullptr);
  EXPECT_EQ(FindPlacementByName("btn_ok", tags), sprite->GetTags()[1]);
  EXPECT_EQ(FindPlaceObject2ByName("btn_ok", tags), nullptr);
  EXPECT_EQ(FindPlaceObject2ByName("button", tags), tags[7]);
  EXPECT_EQ(FindSpriteById(7, tags), sprite);
  EXPECT_EQ(FindSpriteById(5, tags), nullptr);
  EXPECT_EQ(FindBackgroundColorTag(tags), tags[0]);
  EXPECT_EQ(FindFirstPlacement(button, tags), tags[7]) << "not the one before the button";
  CSwfDefineSound outside;
  EXPECT_EQ(FindFirstPlacement(&outside, tags), nullptr);

  u16 maxId = 99, maxDepth = 99;
  GetMaxIds(tags, maxId, maxDepth);
  EXPECT_EQ(maxId, 12) << "the sprite of the init action";
  EXPECT_EQ(maxDepth, 3) << "65535 and the sprite's and PlaceObject's depths aside";

  OffsetTagIds(tags, 100, 10);
  EXPECT_EQ(sound->GetCharacterId(), 103);
  EXPECT_EQ(button->GetCharacterId(), 105);
  EXPECT_EQ(sprite->GetCharacterId(), 107);
  EXPECT_EQ(video->GetCharacterId(), 109);
  auto* inner = dynamic_cast<CSwfPlaceObject2*>(sprite->GetTags()[1]);
  EXPECT_EQ(inner->GetCharacterId(), 105);
  EXPECT_EQ(inner->GetDepth(), 40000) << "a sprite's depths are its own";
  EXPECT_EQ(dynamic_cast<CSwfPlaceObject2*>(tags[6])->GetDepth(), 0xFFFF);
  EXPECT_EQ(dynamic_cast<CSwfPlaceObject2*>(tags[7])->GetDepth(), 13);
  EXPECT_EQ(init->GetSpriteId(), 112);
}

TEST(SwfMovieOperations, TextTagsDefineTheirCharacters) {
  // A text block's DefineText2 is found by its id and counted among the
  // ids, so that tags merged into its movie take ids above it.
  for (bool second : {false, true}) {
    SCOPED_TRACE(second ? "DefineText2" : "DefineText");
    TagList list;
    std::vector<CSwfTag*>& tags = list.tags;
    CSwfDefineText* text = second ? new CSwfDefineText2(30, new CSwfRect, new CSwfMatrix, 0, 0)
                                  : new CSwfDefineText(30, new CSwfRect, new CSwfMatrix, 0, 0);
    tags.push_back(Placement(4, 2, nullptr));
    tags.push_back(text);
    EXPECT_EQ(FindCharacterTag(30, tags), text);
    u16 maxId = 0, maxDepth = 0;
    GetMaxIds(tags, maxId, maxDepth);
    EXPECT_EQ(maxId, 30);
    EXPECT_EQ(maxDepth, 2);
  }
}

TEST(SwfMovieOperations, TheAlertMovieOfTheBundle) {
  std::vector<CSwfTag*> tags;
  tags.push_back(new CSwfDefineSprite(40, 0));  // the caller's own tags stay first
  CSwfDoAction* alert = nullptr;
  u16 maxId = 0;
  ASSERT_TRUE(LoadAlertMovie(tags, &alert, &maxId));
  EXPECT_EQ(Codes(tags), (std::vector<u16>{39, 39, 26, 12}));
  EXPECT_EQ(alert, tags[3]);
  ASSERT_EQ(alert->GetActions().size(), 2u);
  EXPECT_EQ(alert->GetActions()[1]->GetOpcode(), 0x26) << "Trace";
  EXPECT_EQ(maxId, 40);
  auto* place = dynamic_cast<CSwfPlaceObject2*>(tags[2]);
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->GetName(), "alert");
  for (CSwfTag* tag : tags) delete tag;

  // Without the resource the load fails and adds nothing.
  gbtest::UseTestBundle("operations/empty.app", {});
  std::vector<CSwfTag*> none;
  EXPECT_FALSE(LoadAlertMovie(none, nullptr, nullptr));
  EXPECT_TRUE(none.empty());
  gbtest::UseBuildBundle();
}

TEST(SwfMovieOperations, CorpusMoviesKeepEveryOtherTag) {
  const std::vector<std::string> movies = swftest::CorpusMovies();
  if (movies.empty()) GTEST_SKIP() << "the reference movies are absent";
  const std::string folder = gbtest::MakeTempFolder("operations_corpus");
  std::vector<std::pair<std::string, std::string>> pairs;
  int checked = 0, withAttributes = 0;
  for (size_t n = 0; n < movies.size(); ++n) {
    const std::string& path = movies[n];
    SCOPED_TRACE(path);
    const std::vector<u8> file = gbtest::ReadFile(path);
    std::vector<u8> plain = file;
    if (file.size() >= 8 && file[0] == 'C') {
      ASSERT_TRUE(DecompressSwfBytes(file.data(), file.size(), plain));
    } else if (file.size() < 8 || file[0] != 'F') {
      continue;  // a form the engine does not read
    }
    if (plain[3] > 8) continue;

    // The movie as the engine writes it in memory: what the corpus test
    // compares with the original.
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
    CSwfBitWriter writer(reader.GetVersion());
    EXPECT_GT(reader.WriteMovie(writer), 0u);
    reader.DeleteTags(true);
    std::vector<RawTag> expected;
    std::vector<std::vector<u8>> labels;
    for (const RawTag& tag : SplitTags(writer.GetBytes())) {
      if (tag.code == kSwfFrameLabelCode) {
        if (std::find(labels.begin(), labels.end(), tag.body) != labels.end()) continue;
        labels.push_back(tag.body);
      }
      expected.push_back(tag);
    }

    const std::string base = folder + std::to_string(n);
    const CPathName source(path.c_str());
    ASSERT_TRUE(RewriteMovie(source, CPathName((base + "r.swf").c_str())));
    ASSERT_TRUE(AddProtect(source, CPathName((base + "a.swf").c_str())));
    ASSERT_TRUE(RemoveProtect(CPathName((base + "a.swf").c_str()), CPathName((base + "p.swf").c_str())));
    const std::vector<RawTag> rewritten = SplitTags(gbtest::ReadFile(base + "r.swf"));
    std::vector<RawTag> added = SplitTags(gbtest::ReadFile(base + "a.swf"));
    const std::vector<RawTag> removed = SplitTags(gbtest::ReadFile(base + "p.swf"));
    ASSERT_EQ(rewritten.size(), expected.size());
    ASSERT_EQ(added.size(), expected.size() + 1);
    // The Protect tag opens the movie, or follows the FileAttributes tag
    // that has to stay first.
    const size_t protectAt = !expected.empty() && expected[0].code == kSwfFileAttributesCode ? 1 : 0;
    ASSERT_EQ(added[protectAt].code, kSwfProtectCode);
    added.erase(added.begin() + long(protectAt));
    withAttributes += int(protectAt);
    // The originals hold no Protect tag; the one added is the one removed.
    ASSERT_EQ(removed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(rewritten[i].code, expected[i].code) << i;
      EXPECT_EQ(rewritten[i].body, expected[i].body) << i;
      EXPECT_EQ(added[i].code, expected[i].code) << i;
      EXPECT_EQ(added[i].body, expected[i].body) << i;
      EXPECT_EQ(removed[i].body, expected[i].body) << i;
    }
    pairs.emplace_back(base + "r.swf", base + "p.swf");
    ++checked;
  }
  EXPECT_GT(checked, 200);
  EXPECT_GT(withAttributes, 0);

  // A reader that is not ours decodes the same values from both.
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::vector<std::string> verdicts = swftest::CompareWithIndependentReader(pairs);
  ASSERT_EQ(verdicts.size(), pairs.size());
  for (size_t i = 0; i < pairs.size(); ++i) {
    const std::string word = verdicts[i].substr(0, verdicts[i].find(' '));
    EXPECT_TRUE(word == "same" || verdicts[i].rfind("unreadable original", 0) == 0)
        << pairs[i].first << ": " << verdicts[i];
  }
}
