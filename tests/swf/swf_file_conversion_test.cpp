#include <gtest/gtest.h>

#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "swf/swf_compression.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;

namespace {

std::vector<u8> PlainMovie() {
  std::vector<swftest::RawTag> tags;
  tags.reserve(301);
  for (int i = 0; i < 300; ++i) tags.push_back({2, std::vector<u8>(size_t(i % 97), u8(i))});
  tags.push_back({0, {}});
  return swftest::BuildMovie(tags, 7);
}

std::vector<u8> CompressedMovie() {
  const std::vector<u8> plain = PlainMovie();
  std::vector<u8> packed;
  EXPECT_TRUE(CompressSwfBytes(plain.data(), plain.size(), packed));
  return packed;
}

std::vector<u8> CorruptMovie() {
  std::vector<u8> corrupt = CompressedMovie();
  for (size_t i = 20; i < corrupt.size(); i += 9) corrupt[i] ^= 0x3C;
  return corrupt;
}

// A folder holding the named files and nothing else.
struct Folder {
  std::string path;
  explicit Folder(const std::string& name) : path(gbtest::MakeTempFolder(name)) {}
  CPathName Put(const std::string& name, const std::vector<u8>& bytes) const {
    EXPECT_TRUE(gbtest::WriteFile(path + name, bytes));
    return CPathName(path + name);
  }
  std::vector<u8> Get(const std::string& name) const { return gbtest::ReadFile(path + name); }
  bool Has(const std::string& name) const { return gbtest::FileExists(path + name); }
  CPathName operator[](const std::string& name) const { return CPathName(path + name); }
  // The names in the folder, in order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const char* name : {"movie.swf", "movie.swf~", "movie__.swf", "movie__0.swf", "out.swf",
                             "out__.swf", "other.swf"}) {
      if (Has(name)) names.push_back(name);
    }
    return names;
  }
};

bool HasMovieType(const CPathName& path) {
  FSRef ref;
  OSType creator = 0, type = 0;
  return path.GetFsRef(&ref) && GetFsRefTypeCreator(&ref, &creator, &type) &&
         creator == FourCC("SWF2") && type == FourCC("SWFL");
}

}  // namespace

TEST(SwfFileConversion, ConvertsIntoANewFileOfTheMovieType) {
  Folder folder("convert_new");
  const CPathName plain = folder.Put("movie.swf", PlainMovie());
  ASSERT_TRUE(CompressSwfFile(plain, folder["out.swf"], false));
  EXPECT_EQ(folder.Get("out.swf"), CompressedMovie());
  EXPECT_TRUE(HasMovieType(folder["out.swf"]));
  EXPECT_EQ(folder.Get("movie.swf"), PlainMovie());

  ASSERT_TRUE(DecompressSwfFile(folder["out.swf"], folder["other.swf"], false));
  EXPECT_EQ(folder.Get("other.swf"), PlainMovie());
  EXPECT_TRUE(HasMovieType(folder["other.swf"]));
}

TEST(SwfFileConversion, RefusesWithoutTouchingSourceOrTarget) {
  Folder folder("convert_refuse");
  const CPathName plain = folder.Put("movie.swf", PlainMovie());
  const CPathName packed = folder.Put("other.swf", CompressedMovie());
  struct Case {
    const char* name;
    bool (*convert)(const CPathName&, const CPathName&, bool);
    CPathName source;
  };
  const Case cases[] = {
      {"compressing a compressed movie", CompressSwfFile, packed},
      {"expanding a plain movie", DecompressSwfFile, plain},
      {"expanding a missing movie", DecompressSwfFile, folder["missing.swf"]},
      {"expanding a corrupt movie", DecompressSwfFile, folder.Put("corrupt.bin", CorruptMovie())},
  };
  for (const Case& c : cases) {
    for (bool replace : {false, true}) {
      EXPECT_FALSE(c.convert(c.source, folder["out.swf"], replace)) << c.name;
      EXPECT_FALSE(folder.Has("out.swf")) << c.name << ": nothing is left behind";
    }
  }

  // An existing target stays unless replacing is asked for.
  folder.Put("out.swf", Bytes({1, 2, 3}));
  EXPECT_FALSE(DecompressSwfFile(packed, folder["out.swf"], false));
  EXPECT_FALSE(CompressSwfFile(plain, folder["out.swf"], false));
  EXPECT_EQ(folder.Get("out.swf"), Bytes({1, 2, 3}));
  // A failed replacing conversion keeps the old target too.
  EXPECT_FALSE(DecompressSwfFile(folder["corrupt.bin"], folder["out.swf"], true));
  EXPECT_EQ(folder.Get("out.swf"), Bytes({1, 2, 3}));
  EXPECT_FALSE(folder.Has("out__.swf"));
  ASSERT_TRUE(DecompressSwfFile(packed, folder["out.swf"], true));
  EXPECT_EQ(folder.Get("out.swf"), PlainMovie());
  EXPECT_TRUE(HasMovieType(folder["out.swf"]));

  // Never onto itself, never onto a folder.
  EXPECT_FALSE(CompressSwfFile(plain, plain, true));
  EXPECT_EQ(folder.Get("movie.swf"), PlainMovie());
  const std::string sub = gbtest::MakeTempFolder("convert_refuse/sub");
  EXPECT_FALSE(CompressSwfFile(plain, CPathName(sub), true));
  EXPECT_TRUE(CPathName(sub).IsFolder());
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"movie.swf", "out.swf", "other.swf"}));
}

TEST(SwfFileConversion, ConvertsInPlaceWithAndWithoutBackup) {
  struct Case {
    const char* name;
    bool (*convert)(const CPathName&, bool);
    std::vector<u8> before, after;
    bool keepBackup;
    std::vector<std::string> names;
  };
  const std::vector<u8> plain = PlainMovie();
  const std::vector<u8> packed = CompressedMovie();
  const Case cases[] = {
      {"expand", DecompressSwfFileInPlace, packed, plain, false, {"movie.swf"}},
      {"expand, backup", DecompressSwfFileInPlace, packed, plain, true, {"movie.swf", "movie.swf~"}},
      {"compress", CompressSwfFileInPlace, plain, packed, false, {"movie.swf"}},
      {"compress, backup", CompressSwfFileInPlace, plain, packed, true, {"movie.swf", "movie.swf~"}},
      {"expand a plain movie", DecompressSwfFileInPlace, plain, plain, false, {"movie.swf"}},
      {"expand a plain movie, backup", DecompressSwfFileInPlace, plain, plain, true, {"movie.swf"}},
      {"compress a compressed movie", CompressSwfFileInPlace, packed, packed, true, {"movie.swf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder(std::string("in_place_") + (c.keepBackup ? "b" : "n") + std::to_string(&c - cases));
    const CPathName movie = folder.Put("movie.swf", c.before);
    EXPECT_TRUE(c.convert(movie, c.keepBackup));
    EXPECT_EQ(folder.Get("movie.swf"), c.after);
    EXPECT_EQ(folder.Names(), c.names);
    if (c.keepBackup && c.before != c.after) {
      EXPECT_EQ(folder.Get("movie.swf~"), c.before);
    }
  }

  // An older backup makes way for the new one.
  Folder folder("in_place_old_backup");
  folder.Put("movie.swf~", Bytes({9}));
  ASSERT_TRUE(DecompressSwfFileInPlace(folder.Put("movie.swf", packed), true));
  EXPECT_EQ(folder.Get("movie.swf~"), packed);
  EXPECT_EQ(folder.Get("movie.swf"), plain);
}

TEST(SwfFileConversion, AFailedConversionInPlaceLeavesTheMovieAsItWas) {
  for (bool keepBackup : {false, true}) {
    SCOPED_TRACE(keepBackup ? "with backup" : "without backup");
    Folder folder(keepBackup ? "in_place_fail_b" : "in_place_fail_n");
    const std::vector<u8> corrupt = CorruptMovie();
    EXPECT_FALSE(DecompressSwfFileInPlace(folder.Put("movie.swf", corrupt), keepBackup));
    EXPECT_EQ(folder.Get("movie.swf"), corrupt);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"movie.swf"});

    // Not a movie at all.
    const std::vector<u8> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    EXPECT_FALSE(DecompressSwfFileInPlace(folder.Put("movie.swf", text), keepBackup));
    EXPECT_FALSE(CompressSwfFileInPlace(folder["movie.swf"], keepBackup));
    EXPECT_EQ(folder.Get("movie.swf"), text);
    EXPECT_FALSE(CompressSwfFileInPlace(folder["missing.swf"], keepBackup));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"movie.swf"});
  }

  // With every temporary name taken the conversion does not start.
  Folder folder("in_place_no_names");
  const CPathName movie = folder.Put("movie.swf", CompressedMovie());
  folder.Put("movie__.swf", {});
  for (int n = 0; n < 1000; ++n) folder.Put("movie__" + std::to_string(n) + ".swf", {});
  EXPECT_FALSE(DecompressSwfFileInPlace(movie, false));
  EXPECT_EQ(folder.Get("movie.swf"), CompressedMovie());
}
