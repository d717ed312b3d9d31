#include "swf/swf_file_reader.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <memory>

#include "foundation/path_name.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_record.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::BuildMovie;
using swftest::Bytes;

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string WriteMovieFile(const std::string& name, const std::vector<u8>& bytes) {
  std::string path = gbtest::MakeTempFolder("movies_" + name) + name;
  EXPECT_TRUE(gbtest::WriteFile(path, bytes));
  return path;
}

std::vector<u8> Compressed(const std::vector<u8>& plain) {
  std::vector<u8> packed;
  EXPECT_TRUE(CompressSwfBytes(plain.data(), plain.size(), packed));
  return packed;
}

// A movie of several frames with tag bodies of every header form, larger
// than the file reader's buffer.
std::vector<u8> SampleMovie() {
  std::vector<swftest::RawTag> tags = {{9, Bytes({0x99, 0x66, 0x33})}};
  for (int frame = 0; frame < 5; ++frame) {
    tags.push_back({25, std::vector<u8>(size_t(40000 + frame), u8(frame))});
    tags.push_back({43, Bytes({'f', u8('0' + frame), 0})});
    tags.push_back({1, {}});
  }
  tags.push_back({0, {}});
  return BuildMovie(tags, 8);
}

std::vector<std::pair<u16, std::vector<u8>>> TagsOf(std::vector<CSwfTag*>& tags) {
  std::vector<std::pair<u16, std::vector<u8>>> result;
  result.reserve(tags.size());
  for (CSwfTag* tag : tags)
    result.emplace_back(tag->GetCode(), swftest::WrittenBody(tag, 8));
  return result;
}

// The temporary expansions in the work folder and its subfolders.
std::vector<std::string> Expansions() {
  std::vector<std::string> found;
  const std::string work = CPathName::GetWorkFolder().GetString();
  std::vector<std::string> folders = {work};
  for (size_t i = 0; i < folders.size(); ++i) {
    DIR* dir = opendir(folders[i].c_str());
    if (!dir) continue;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (entry->d_type == DT_DIR) folders.push_back(folders[i] + name + "/");
      if (name.rfind("_xxswfxx", 0) == 0) found.push_back(folders[i] + name);
    }
    closedir(dir);
  }
  return found;
}

}  // namespace

TEST(SwfFileLoad, PlainAndCompressedFilesLoadTheSameTags) {
  const std::vector<u8> plain = SampleMovie();
  CSwfReader memory;
  ASSERT_TRUE(memory.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
  const auto expected = TagsOf(memory.GetTags());
  memory.DeleteTags(true);

  for (bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "compressed" : "plain");
    const CPathName path =
        WriteMovieFile(compress ? "c.swf" : "p.swf", compress ? Compressed(plain) : plain);
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFile(path, true, 0, true));
    EXPECT_EQ(reader.IsCompressed(), compress);
    EXPECT_EQ(reader.GetMovieBytes(), plain);
    EXPECT_EQ(TagsOf(reader.GetTags()), expected);
    reader.DeleteTags(true);

    // A byte limit cuts the expanded movie as it cuts a plain one.
    ASSERT_TRUE(reader.LoadFile(path, true, 100, true));
    EXPECT_EQ(reader.GetMovieBytes(), std::vector<u8>(plain.begin(), plain.begin() + 100));
    EXPECT_EQ(reader.GetTags().back()->GetCode(), 0);
    reader.DeleteTags(true);

    // The shallow load reads every tag, up to the End tag.
    ASSERT_TRUE(reader.LoadFileShallow(path));
    EXPECT_EQ(reader.IsCompressed(), compress);
    EXPECT_EQ(TagsOf(reader.GetTags()), expected);
    reader.DeleteTags(true);

    // Without the signature check the data begins at the length field.
    if (!compress) {
      const std::vector<u8> tail(plain.begin() + 4, plain.end());
      ASSERT_TRUE(reader.LoadFile(WriteMovieFile("tail.bin", tail), false, 0, true));
      EXPECT_EQ(reader.GetMovieBytes(), tail);
      EXPECT_EQ(TagsOf(reader.GetTags()), expected);
      reader.DeleteTags(true);
    }
  }
}

TEST(SwfFileLoad, BadFilesFailCleanly) {
  const std::vector<u8> plain = SampleMovie();
  std::vector<u8> corrupt = Compressed(plain);
  for (size_t i = 30; i < corrupt.size(); i += 11) corrupt[i] ^= 0xA5;
  std::vector<u8> cut = Compressed(plain);
  cut.resize(cut.size() / 2);
  std::vector<u8> lzma = Compressed(plain);
  lzma[0] = 'Z';
  std::vector<u8> wrongSecond = Compressed(plain);
  wrongSecond[1] = 'X';
  struct Case {
    const char* name;
    std::vector<u8> bytes;
    bool compressed;
  };
  const Case cases[] = {
      {"corrupt stream", corrupt, true},
      {"stream cut short", cut, true},
      {"LZMA", lzma, false},
      {"C X S", wrongSecond, true},
      {"empty", {}, false},
      {"plain header cut short", std::vector<u8>(plain.begin(), plain.begin() + 15), false},
  };
  for (const Case& c : cases) {
    const CPathName path = WriteMovieFile("bad.swf", c.bytes);
    CSwfReader reader;
    EXPECT_FALSE(reader.LoadFile(path, true, 0, true)) << c.name;
    EXPECT_EQ(reader.IsCompressed(), c.compressed) << c.name;
    EXPECT_TRUE(reader.GetTags().empty()) << c.name;
    EXPECT_TRUE(reader.GetMovieBytes().empty()) << c.name;
    EXPECT_FALSE(reader.LoadFileShallow(path)) << c.name;
  }
  CSwfReader reader;
  const std::string folder = gbtest::MakeTempFolder("not_movies");
  EXPECT_FALSE(reader.LoadFile(CPathName(folder + "missing.swf"), true, 0, true));
  EXPECT_FALSE(reader.LoadFile(CPathName(folder), true, 0, true)) << "a folder";
  EXPECT_FALSE(reader.LoadFile(CPathName(""), true, 0, true));

  // A file shorter than its announced length loads what it holds.
  std::vector<u8> shorter(plain.begin(), plain.begin() + 5000);
  ASSERT_TRUE(reader.LoadFile(WriteMovieFile("short.swf", shorter), true, 0, true));
  EXPECT_EQ(reader.GetMovieBytes(), shorter);
  EXPECT_EQ(reader.GetTags().back()->GetCode(), 0);
  reader.DeleteTags(true);
}

TEST(SwfFileReader, ParsesOnlyTheHeaderAndReadsTagsFromTheStream) {
  const std::vector<u8> plain = SampleMovie();
  const CPathName path = WriteMovieFile("movie.swf", plain);
  CSwfFileReader reader;
  ASSERT_TRUE(reader.Open(path, true));
  EXPECT_TRUE(reader.GetMovieBytes().empty());
  u32 width = 0, height = 0;
  reader.GetMovieSize(width, height);
  EXPECT_EQ(width, 11000u);
  EXPECT_EQ(height, 8000u);
  EXPECT_EQ(reader.GetFrameRate(), 12.0f);
  EXPECT_EQ(reader.GetFileVersion(), 8);
  EXPECT_EQ(reader.GetFileLength(), plain.size());
  EXPECT_EQ(reader.GetReadLimit(), plain.size());
  EXPECT_EQ(reader.GetFrameCounter(), 0) << "the header's frame count";

  CSwfReader memory;
  ASSERT_TRUE(memory.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true));
  const auto expected = TagsOf(memory.GetTags());
  memory.DeleteTags(true);

  std::vector<CSwfTag*> tags;
  do {
    tags.push_back(reader.ReadNextTag());
  } while (tags.back()->GetCode() != 0);
  EXPECT_EQ(TagsOf(tags), expected);
  for (CSwfTag* tag : tags) delete tag;

  // Reads go back and forth across the buffer; past the end they give 0.
  reader.Seek(u32(plain.size() - 2));
  EXPECT_EQ(reader.PeekByte(), 0);
  EXPECT_EQ(reader.ReadU16(), 0);
  EXPECT_FALSE(reader.HasOverrun());
  EXPECT_EQ(reader.ReadU8(), 0);
  EXPECT_TRUE(reader.HasOverrun());
  reader.Seek(3);
  EXPECT_EQ(reader.PeekByte(), 8);
  EXPECT_EQ(reader.ReadU8(), 8);
  EXPECT_EQ(reader.ReadU32(), plain.size());
  reader.Seek(30);
  std::vector<u8> bytes;
  EXPECT_EQ(reader.ReadBytes(bytes, 100000), 100000u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), plain.begin() + 30));
  std::string label;
  reader.Seek(u32(plain.size() - 7));  // the last FrameLabel's body
  reader.ReadString(label, 0);
  EXPECT_EQ(label, "f4");

  reader.Close();
  EXPECT_EQ(reader.ReadU8(), 0) << "a closed reader reads nothing";
}

TEST(SwfFileReader, ExpandsACompressedMovieIntoATemporaryFileOfItsOwn) {
  const std::vector<u8> plain = SampleMovie();
  const CPathName plainPath = WriteMovieFile("plain.swf", plain);
  const CPathName packedPath = WriteMovieFile("packed.swf", Compressed(plain));
  ASSERT_TRUE(CPathName::CreateWorkFolder("swf_tests"));
  ASSERT_TRUE(Expansions().empty());

  CSwfFileReader original;
  ASSERT_TRUE(original.Open(plainPath, true));
  EXPECT_FALSE(original.IsCompressed());
  EXPECT_TRUE(Expansions().empty());

  auto first = std::make_unique<CSwfFileReader>();
  ASSERT_TRUE(first->Open(packedPath, true));
  EXPECT_TRUE(first->IsCompressed());
  u32 width = 0, height = 0, plainWidth = 0, plainHeight = 0;
  first->GetMovieSize(width, height);
  original.GetMovieSize(plainWidth, plainHeight);
  EXPECT_EQ(width, plainWidth);
  EXPECT_EQ(height, plainHeight);
  EXPECT_EQ(first->GetFrameRate(), original.GetFrameRate());
  EXPECT_EQ(first->GetFrameCounter(), original.GetFrameCounter());
  EXPECT_EQ(first->GetFileLength(), plain.size());
  EXPECT_EQ(first->GetHeader().GetFrameCount(), original.GetHeader().GetFrameCount());
  ASSERT_EQ(Expansions().size(), 1u);
  EXPECT_NE(Expansions()[0].find("/swf_tests/_xxswfxx__.bin"), std::string::npos);

  // A second reader at the same time expands into a file of its own.
  CSwfFileReader second;
  ASSERT_TRUE(second.Open(packedPath, true));
  EXPECT_EQ(Expansions().size(), 2u);
  CSwfTag* tag = second.ReadNextTag();
  EXPECT_EQ(tag->GetCode(), 9);
  EXPECT_EQ(swftest::WrittenBody(tag), Bytes({0x99, 0x66, 0x33}));
  delete tag;

  first.reset();
  EXPECT_EQ(Expansions().size(), 1u) << "destroying a reader deletes its expansion";
  second.Close();
  EXPECT_TRUE(Expansions().empty()) << "closing a reader deletes its expansion";
  ASSERT_TRUE(second.Open(packedPath, true));
  ASSERT_TRUE(second.Open(plainPath, true));
  EXPECT_TRUE(Expansions().empty()) << "opening another movie deletes the expansion";

  // Without the application's subfolder the work folder itself takes it.
  ASSERT_TRUE(CPathName::DeleteWorkFolder());
  ASSERT_TRUE(second.Open(packedPath, true));
  EXPECT_EQ(Expansions().size(), 1u);
  second.Close();
  EXPECT_TRUE(Expansions().empty());
}

TEST(SwfFileReader, RefusesWhatIsNotAMovie) {
  const std::vector<u8> plain = SampleMovie();
  std::vector<u8> corrupt = Compressed(plain);
  for (size_t i = 30; i < corrupt.size(); i += 11) corrupt[i] ^= 0xA5;
  std::vector<u8> cut = Compressed(plain);
  cut.resize(60);
  for (const std::vector<u8>& bytes :
       {std::vector<u8>(plain.begin(), plain.begin() + 12), corrupt, cut, Bytes({'F'}),
        Bytes({'Z', 'W', 'S', 13, 0, 0, 0, 0, 0}), std::vector<u8>{}}) {
    CSwfFileReader reader;
    EXPECT_FALSE(reader.Open(WriteMovieFile("bad.swf", bytes), true)) << bytes.size();
    EXPECT_TRUE(Expansions().empty()) << "a failed expansion leaves no file behind";
  }
  CSwfFileReader reader;
  EXPECT_FALSE(reader.Open(CPathName(gbtest::MakeTempFolder("none") + "missing.swf"), true));

  // Without the signature check the data begins at the length field.
  const std::vector<u8> tail(plain.begin() + 4, plain.end());
  ASSERT_TRUE(reader.Open(WriteMovieFile("tail.bin", tail), false));
  EXPECT_EQ(reader.GetFileLength(), plain.size());
  EXPECT_EQ(reader.GetFileVersion(), 4) << "the default version";
  CSwfTag* tag = reader.ReadNextTag();
  EXPECT_EQ(tag->GetCode(), 9);
  delete tag;
}

TEST(SwfCompression, RecognisesMovieFiles) {
  const std::string folder = gbtest::MakeTempFolder("kinds");
  struct Case {
    const char* name;
    std::vector<u8> bytes;
    bool movie, compressed;
  };
  const Case cases[] = {
      {"FWS", Bytes({'F', 'W', 'S', 6}), true, false},
      {"CWS", Bytes({'C', 'W', 'S'}), true, true},
      {"FWZ", Bytes({'F', 'W', 'Z', 6}), false, false},
      {"ZWS", Bytes({'Z', 'W', 'S', 13}), false, false},
      {"FW", Bytes({'F', 'W'}), false, false},
      {"empty", {}, false, false},
  };
  for (const Case& c : cases) {
    const std::string path = folder + c.name;
    ASSERT_TRUE(gbtest::WriteFile(path, c.bytes));
    EXPECT_EQ(IsSwfFile(CPathName(path)), c.movie) << c.name;
    EXPECT_EQ(IsCompressedSwfFile(CPathName(path)), c.compressed) << c.name;
  }
  EXPECT_FALSE(IsSwfFile(CPathName(folder + "missing")));
  EXPECT_FALSE(IsCompressedSwfFile(CPathName(folder + "missing")));
  EXPECT_FALSE(IsSwfFile(CPathName(folder)));
}

TEST(SwfCompression, ConvertsBetweenOpenFiles) {
  const std::vector<u8> plain = SampleMovie();
  const std::string folder = gbtest::MakeTempFolder("convert");
  ASSERT_TRUE(gbtest::WriteFile(folder + "plain.swf", plain));
  {
    File source(std::fopen((folder + "plain.swf").c_str(), "rb"));
    File target(std::fopen((folder + "packed.swf").c_str(), "wb"));
    ASSERT_TRUE(CompressSwfStream(source.get(), target.get()));
  }
  EXPECT_EQ(gbtest::ReadFile(folder + "packed.swf"), Compressed(plain));
  {
    File source(std::fopen((folder + "packed.swf").c_str(), "rb"));
    File target(std::fopen((folder + "back.swf").c_str(), "wb"));
    ASSERT_TRUE(DecompressSwfStream(source.get(), target.get()));
    File wrong(std::fopen((folder + "plain.swf").c_str(), "rb"));
    File unused(std::fopen((folder + "unused.swf").c_str(), "wb"));
    EXPECT_FALSE(DecompressSwfStream(wrong.get(), unused.get()));
    EXPECT_FALSE(CompressSwfStream(nullptr, unused.get()));
  }
  EXPECT_EQ(gbtest::ReadFile(folder + "back.swf"), plain);
  EXPECT_TRUE(gbtest::ReadFile(folder + "unused.swf").empty());

  // A target that refuses writes fails the conversion.
  File source(std::fopen((folder + "plain.swf").c_str(), "rb"));
  File readOnly(std::fopen((folder + "plain.swf").c_str(), "rb"));
  EXPECT_FALSE(CompressSwfStream(source.get(), readOnly.get()));
}
