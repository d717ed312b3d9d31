#include "builders/data_archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "tests/builders/archive_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::ToBytes;

const char* CurrentTest() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }

// A host file followed by an archive written by the writer under test.
class ArchiveFixture : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = gbtest::MakeTempFolder("data_archive/" + std::string(CurrentTest()));
    gbtest::MakeTempFolder("data_archive/" + std::string(CurrentTest()) + "/src");
    unpack_ = gbtest::FreshWorkSubfolder();
    ASSERT_FALSE(unpack_.empty());
    archive_ = folder_ + "out.scr";
    ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
  }

  std::string Source(const std::string& name, const std::string& contents) {
    std::string path = folder_ + "src/" + name;
    EXPECT_TRUE(gbtest::WriteFile(path, contents));
    return path;
  }

  CDataArchiveNamedFileItem* NamedFile(const std::string& path) {
    auto* item = new CDataArchiveNamedFileItem();
    item->SetPath(CPathName(path));
    return item;
  }

  Bytes Archive() const { return gbtest::ReadFile(archive_); }

  const Bytes host_ = ToBytes("MZ engine bytes");
  std::string folder_;
  std::string unpack_;
  std::string archive_;
};

TEST_F(ArchiveFixture, RecordsAreLaidOutFieldByField) {
  std::string movie = Source("movie", "0123456789");  // 10 bytes, a five-character name
  std::string settings = Source("ssc0.dat", "<settings/>");
  CDataArchiveWriter writer;
  ASSERT_TRUE(writer.Open(CPathName(archive_)));
  EXPECT_EQ(writer.Add(new CDataArchiveItem(), true), 0u);
  EXPECT_EQ(writer.Add(NamedFile(movie), true), 31u);
  auto* buffer = new CDataArchiveBufferItem();
  buffer->SetData("abc", 3);
  buffer->SetName("buf.bin");
  buffer->SetTag(0x01020304);
  EXPECT_EQ(writer.Add(buffer, true), 3u + 4 + 7 + 4 + 4 + 8);
  auto* settingsItem = new CDataArchiveSettingsItem();
  settingsItem->SetPath(CPathName(settings));
  EXPECT_EQ(writer.Add(settingsItem, true), 11u + 4 + 8);
  EXPECT_EQ(writer.Add(nullptr, true), 0u);
  ASSERT_TRUE(writer.Close());

  Bytes expected = host_;
  gbtest::AppendRecord(expected, 0, {});
  Bytes fields;
  gbtest::AppendBlob(fields, ToBytes("0123456789"));
  gbtest::AppendString(fields, "movie");
  gbtest::AppendRecord(expected, 5, fields);
  fields.clear();
  gbtest::AppendBlob(fields, ToBytes("abc"));
  gbtest::AppendString(fields, "buf.bin");
  gbtest::AppendWord(fields, 0x01020304);
  gbtest::AppendRecord(expected, 7, fields);
  fields.clear();
  gbtest::AppendBlob(fields, ToBytes("<settings/>"));
  gbtest::AppendRecord(expected, 1, fields);
  gbtest::AppendTrailer(expected);
  EXPECT_EQ(Archive(), expected);
  // The named-file record of the 10-byte file: 31 bytes, size word 23.
  EXPECT_EQ(gbtest::WordAt(expected, host_.size() + 8 + 23), 23u);
}

TEST_F(ArchiveFixture, AnArchiveOfTheEndMarkerAloneLoadsEmpty) {
  CDataArchiveWriter never;
  EXPECT_TRUE(never.Close());  // never opened: nothing written
  {
    CDataArchiveWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(archive_)));
    writer.Add(new CDataArchiveItem(), true);
  }  // the destructor closes, writing the trailer once
  Bytes expected = host_;
  expected.insert(expected.end(), 8, 0);
  gbtest::AppendTrailer(expected);
  EXPECT_EQ(Archive(), expected);

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(archive_)));
  EXPECT_TRUE(reader.Load());
  EXPECT_TRUE(reader.GetNamedFiles().empty());
  CPathName settings(nullptr);
  EXPECT_FALSE(reader.GetSettingsPath(settings));
  EXPECT_EQ(reader.GetPosition(), host_.size());
}

TEST_F(ArchiveFixture, FilesBuffersSettingsAndFoldersComeBack) {
  std::string movie = Source("Aquarium.swf", std::string(5000, 'm'));
  std::string extra = Source("fish.png", "png bytes");
  std::string settings = Source("ssc0.dat", "settings");
  // A folder with a nested subfolder, an empty one and files at each level.
  std::string tree = gbtest::MakeTempFolder("data_archive/FilesBuffersSettingsAndFoldersComeBack/Stage");
  gbtest::MakeTempFolder("data_archive/FilesBuffersSettingsAndFoldersComeBack/Stage/Props/Deep");
  gbtest::MakeTempFolder("data_archive/FilesBuffersSettingsAndFoldersComeBack/Stage/Empty");
  ASSERT_TRUE(gbtest::WriteFile(tree + "top.txt", "top"));
  ASSERT_TRUE(gbtest::WriteFile(tree + "Props/chair.bin", "chair"));
  ASSERT_TRUE(gbtest::WriteFile(tree + "Props/Deep/leaf", ""));

  CDataArchiveWriter writer;
  ASSERT_TRUE(writer.Open(CPathName(archive_)));
  writer.Add(new CDataArchiveItem(), true);
  writer.Add(NamedFile(movie), true);
  writer.Add(NamedFile(extra), true);
  auto* folder = new CDataArchiveFolderItem();
  folder->SetPath(CPathName(tree));
  EXPECT_GT(writer.Add(folder, true), 0u);
  auto* buffer = new CDataArchiveBufferItem();
  buffer->SetData(ToBytes("buffered"));
  buffer->SetName("mask.rgn");
  buffer->SetTag(7);
  writer.Add(buffer, true);
  auto* settingsItem = new CDataArchiveSettingsItem();
  settingsItem->SetPath(CPathName(settings));
  writer.Add(settingsItem, true);
  ASSERT_TRUE(writer.Close());

  // Every record's size word covers exactly its fields.
  std::vector<gbtest::ArchiveRecord> records;
  ASSERT_TRUE(gbtest::WalkArchive(Archive(), records));
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records.back().fieldsStart, host_.size());
  const uint32_t types[] = {1, 7, 8, 5, 5, 0};
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].type, types[i]) << i;

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(archive_)));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  EXPECT_EQ(reader.GetError(), 0u);
  ASSERT_EQ(reader.GetNamedFiles().size(), 2u);
  EXPECT_EQ(reader.GetNamedFiles()[0].item->GetName(), "fish.png");  // read from the end
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "fish.png"), "png bytes");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "Aquarium.swf"), std::string(5000, 'm'));
  ASSERT_EQ(reader.GetBuffers().size(), 1u);
  EXPECT_EQ(reader.GetBuffers()[0].item->GetTag(), 7u);
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "mask.rgn"), "buffered");
  CPathName settingsPath(nullptr);
  ASSERT_TRUE(reader.GetSettingsPath(settingsPath));
  EXPECT_EQ(settingsPath.GetName(false), "fp.dat");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "fp.dat"), "settings");

  // The folder comes back with its subfolders inside it.
  std::vector<std::pair<std::string, Bytes>> expected = {
      {"Empty/", {}}, {"Props/", {}}, {"Props/Deep/", {}}, {"Props/Deep/leaf", {}},
      {"Props/chair.bin", ToBytes("chair")}, {"top.txt", ToBytes("top")}};
  EXPECT_EQ(gbtest::TreeContents(unpack_ + "Stage/"), expected);

  reader.DeleteUnpackedFiles();
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "fish.png"));
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "mask.rgn"));
  EXPECT_TRUE(reader.Close());
}

// A host name may end in ':'; the record keeps the whole name, alone or in
// a folder (only a folder path's own '/' is not part of its name).
// A name that ends in ':' is the name of its item, never the name without
// the ':'. Windows, where the archives are read, cannot hold it: the writer
// refuses it, naming the item, and packs nothing under the shorter name. A
// reader unpacks such a record under its whole name.
TEST_F(ArchiveFixture, NamesEndingInAColonAreRefusedNotShortened) {
  const std::string file = Source("notes:", "n");
  ASSERT_TRUE(gbtest::WriteFile(folder_ + "src/notes", "another file"));
  const std::string colonFolder = gbtest::MakeTempFolder("data_archive/NamesEndingInAColon/Box:");
  const std::string plainFolder = gbtest::MakeTempFolder("data_archive/NamesEndingInAColon/Box");
  ASSERT_TRUE(gbtest::WriteFile(plainFolder + "a.tx:", "a"));
  auto folder = [](const std::string& path) {
    auto* item = new CDataArchiveFolderItem();
    item->SetPath(CPathName(path));
    return static_cast<CDataArchiveItem*>(item);
  };
  const struct {
    CDataArchiveItem* item;
    std::string named;
  } cases[] = {{NamedFile(file), file},
               {folder(colonFolder), colonFolder},
               {folder(plainFolder), plainFolder + "a.tx:"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
    CDataArchiveWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(archive_)));
    writer.Add(new CDataArchiveItem(), true);
    EXPECT_EQ(writer.Add(c.item, true), 0u) << c.named;
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(writer.GetFailure().error, bdNamErr) << c.named;
    EXPECT_EQ(writer.GetFailure().path.GetString(), c.named);
    // Nothing but the end marker went in, and no trailer closes it.
    const Bytes written = Archive();
    EXPECT_EQ(std::string(written.begin(), written.end()).find("notes"), std::string::npos) << c.named;
    EXPECT_NE(written.back(), 'x') << c.named;
  }

  Bytes archive = host_;
  gbtest::AppendRecord(archive, 0, {});
  Bytes fields;
  gbtest::AppendBlob(fields, ToBytes("n"));
  gbtest::AppendString(fields, "notes:");
  gbtest::AppendRecord(archive, 5, fields);
  gbtest::AppendTrailer(archive);
  ASSERT_TRUE(gbtest::WriteFile(archive_, archive));
  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(archive_)));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "notes:"), "n");
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "notes"));
  EXPECT_TRUE(reader.Close());
}

// A folder record holds every item of its folder: an item whose name has no
// Mac Roman form (which no path can name), at any depth, is not left out;
// the writer refuses the folder, naming the item. So are two items whose
// names fold into one.
TEST_F(ArchiveFixture, AFolderRecordHoldsEveryItemOrIsRefused) {
  const std::string tree = gbtest::MakeTempFolder("data_archive/AFolderRecordHoldsEveryItem/Box");
  gbtest::MakeTempFolder("data_archive/AFolderRecordHoldsEveryItem/Box/sub");
  ASSERT_TRUE(gbtest::WriteFile(tree + "a.txt", "a"));
  const struct {
    std::string file;
    OSErr error;
    std::string named;  // the path the failure names
  } cases[] = {
      {"sub/\xE6\x97\xA5.txt", bdNamErr, tree + "sub/?.txt"},
      {"e\xCC\x81.txt", bdNamErr, tree + "e?.txt"},
      {"sub/\xFF", bdNamErr, plat::Utf8ToMacRomanLossy(tree + "sub/\xFF")},
      {"\xC3\x81.txt", noErr, ""},  // A acute: Mac Roman holds it
      {"sub/X.txt", noErr, ""},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(tree + c.file, "x"));
    ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
    CDataArchiveWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(archive_)));
    writer.Add(new CDataArchiveItem(), true);
    auto* folder = new CDataArchiveFolderItem();
    folder->SetPath(CPathName(tree));
    writer.Add(folder, true);
    EXPECT_EQ(writer.Close(), c.error == noErr) << c.file;
    EXPECT_EQ(writer.GetFailure().error, c.error) << c.file;
    EXPECT_EQ(writer.GetFailure().path.GetString(), c.named) << c.file;
    if (c.error != noErr) {
      ASSERT_EQ(unlink((tree + c.file).c_str()), 0);
    }
  }
  // "sub/x.txt" beside "sub/X.txt": one name on the systems that read the archive.
  ASSERT_TRUE(gbtest::WriteFile(tree + "sub/x.txt", "x"));
  ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
  CDataArchiveWriter writer;
  ASSERT_TRUE(writer.Open(CPathName(archive_)));
  writer.Add(new CDataArchiveItem(), true);
  auto* folder = new CDataArchiveFolderItem();
  folder->SetPath(CPathName(tree));
  writer.Add(folder, true);
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(writer.GetFailure().error, dupFNErr);
}

TEST_F(ArchiveFixture, ABufferFileAlreadyThereIsKeptAndEarlierRecordsStillRead) {
  std::string movie = Source("movie.swf", "movie");
  ASSERT_TRUE(gbtest::WriteFile(unpack_ + "mask.rgn", "kept"));
  CDataArchiveWriter writer;
  ASSERT_TRUE(writer.Open(CPathName(archive_)));
  writer.Add(new CDataArchiveItem(), true);
  writer.Add(NamedFile(movie), true);
  auto buffer = [](const char* name, const char* bytes, const char* source) {
    auto* item = new CDataArchiveBufferItem();
    item->SetData(ToBytes(bytes));
    item->SetName(name);
    item->SetPath(CPathName(source));
    return item;
  };
  // One picture may give two records of its name: the second read finds
  // the file that the first wrote.
  writer.Add(buffer("shape.rgn", "shape", "/pictures/shape.png"), true);
  writer.Add(buffer("shape.rgn", "shape", "/pictures/shape.png"), true);
  writer.Add(buffer("mask.rgn", "new bytes", "/pictures/mask.png"), true);
  ASSERT_TRUE(writer.Close());

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(archive_)));
  ASSERT_TRUE(reader.Load());
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "mask.rgn"), "kept");
  ASSERT_EQ(reader.GetBuffers().size(), 3u);
  EXPECT_EQ(reader.GetBuffers()[0].item->GetData(), ToBytes("new bytes"));
  EXPECT_FALSE(reader.GetBuffers()[0].item->WroteFile());
  EXPECT_TRUE(reader.GetBuffers()[1].item->WroteFile());
  EXPECT_FALSE(reader.GetBuffers()[2].item->WroteFile());
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "shape.rgn"), "shape");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "movie.swf"), "movie");

  // Only what the reader wrote goes again: the file that was there stays.
  reader.DeleteUnpackedFiles();
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "mask.rgn"), "kept");
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "shape.rgn"));
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "movie.swf"));
  EXPECT_TRUE(reader.Close());
}

// What the writer refuses leaves an archive without a trailer, and the
// failure names the sources.
TEST_F(ArchiveFixture, TheWriterRefusesWhatNoReaderCouldTakeBack) {
  const std::string longName(256, 'n');
  std::string a = Source("Movie.swf", "a");
  std::string elsewhere = gbtest::MakeTempFolder("data_archive/elsewhere") + "movie.SWF";
  ASSERT_TRUE(gbtest::WriteFile(elsewhere, "b"));
  std::string missing = folder_ + "src/gone.swf";
  std::string saverMovie = Source("__saver.swf", "blank");
  std::string otherSaverMovie = gbtest::MakeTempFolder("data_archive/extra") + "__saver.swf";
  ASSERT_TRUE(gbtest::WriteFile(otherSaverMovie, "extra"));

  struct Case {
    const char* what;
    std::vector<CDataArchiveItem*> items;
    OSErr error;
    std::string path;
    std::string otherPath;
  };
  auto buffer = [](const std::string& name) {
    auto* item = new CDataArchiveBufferItem();
    item->SetName(name.c_str());
    item->SetData(ToBytes("x"));
    return item;
  };
  Case cases[] = {
      {"two files of one name, ignoring case", {NamedFile(a), NamedFile(elsewhere)}, dupFNErr, elsewhere, a},
      {"two names that differ in the case of E acute", {buffer("\x83.rgn"), buffer("\x8E.rgn")}, dupFNErr, "", ""},
      {"two names that differ in the case of OE", {buffer("\xCE"), buffer("\xCF")}, dupFNErr, "", ""},
      {"a name and the same with a dot after it", {buffer("x.txt"), buffer("x.txt.")}, bdNamErr, "", ""},
      {"a name ending in a blank", {buffer("x.txt ")}, bdNamErr, "", ""},
      {"a name with a colon", {buffer("a:b.txt")}, bdNamErr, "", ""},
      {"a name with a question mark", {buffer("why?.txt")}, bdNamErr, "", ""},
      {"a name with a tab", {buffer("a\tb")}, bdNamErr, "", ""},
      {"a device name", {buffer("Con.txt")}, bdNamErr, "", ""},
      {"an extra file named like the blank movie", {NamedFile(saverMovie), NamedFile(otherSaverMovie)}, dupFNErr,
       otherSaverMovie, saverMovie},
      {"a source that cannot be read", {NamedFile(missing)}, fnfErr, missing, ""},
      {"a name of 256 bytes", {buffer(longName)}, bdNamErr, "", ""},
      {"a name that climbs", {buffer("..")}, bdNamErr, "", ""},
      {"a name with a separator", {buffer("a\\b")}, bdNamErr, "", ""},
      {"an empty name", {buffer("")}, bdNamErr, "", ""},
  };
  for (Case& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
    CDataArchiveWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(archive_)));
    writer.Add(new CDataArchiveItem(), true);
    for (CDataArchiveItem* item : c.items) writer.Add(item, true);
    EXPECT_FALSE(writer.Close()) << c.what;
    EXPECT_EQ(writer.GetFailure().error, c.error) << c.what;
    if (!c.path.empty()) {
      EXPECT_EQ(writer.GetFailure().path.GetString(), c.path) << c.what;
    }
    if (!c.otherPath.empty()) {
      EXPECT_EQ(writer.GetFailure().otherPath.GetString(), c.otherPath) << c.what;
    }
    Bytes written = Archive();
    ASSERT_GE(written.size(), 4u);
    EXPECT_NE(written.back(), 'x') << c.what << ": no trailer";
    CDataArchiveReader reader;
    ASSERT_TRUE(reader.Open(CPathName(archive_)));
    EXPECT_FALSE(reader.Load()) << c.what;
  }
  // A name of 255 bytes is still taken whole.
  ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
  CDataArchiveWriter writer;
  ASSERT_TRUE(writer.Open(CPathName(archive_)));
  writer.Add(new CDataArchiveItem(), true);
  writer.Add(buffer(std::string(255, 'n')), true);
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(gbtest::WordAt(Archive(), Archive().size() - 4 - 8 - 4 - 4), 255u);
}

TEST(DataArchiveReader, FilesThatAreNoArchiveAreRefusedWithTheirNumber) {
  std::string folder = gbtest::MakeTempFolder("data_archive/refused");
  ASSERT_TRUE(gbtest::WriteFile(folder + "plain.bin", "plain text, no trailer"));
  Bytes almost = ToBytes("host");
  gbtest::AppendRecord(almost, 0, {});
  gbtest::AppendTrailer(almost);
  almost.back() = 'y';
  ASSERT_TRUE(gbtest::WriteFile(folder + "almost.bin", almost));

  CDataArchiveReader reader;
  EXPECT_FALSE(reader.Open(CPathName(folder + "missing.bin")));
  EXPECT_EQ(reader.GetError(), u32(kArchiveMissing));
  EXPECT_FALSE(reader.Open(CPathName(folder)));
  EXPECT_EQ(reader.GetError(), u32(kArchiveCannotOpen));
  for (const char* name : {"plain.bin", "almost.bin"}) {
    ASSERT_TRUE(reader.Open(CPathName(folder + name)));
    EXPECT_FALSE(reader.Load()) << name;
    EXPECT_EQ(reader.GetError(), u32(kArchiveNoTrailer)) << name;
  }
}

// Damaged archives of every kind fail with 103, write nothing outside the
// work subfolder and leave nothing of themselves behind in it.
TEST(DataArchiveReader, DamagedArchivesFailCleanly) {
  const std::string unpack = gbtest::FreshWorkSubfolder();
  const std::string folder = gbtest::MakeTempFolder("data_archive/damaged");
  auto named = [](const std::string& name, const std::string& contents) {
    Bytes fields;
    gbtest::AppendBlob(fields, ToBytes(contents));
    gbtest::AppendString(fields, name);
    return fields;
  };
  auto archive = [](const std::vector<std::pair<uint32_t, Bytes>>& records) {
    Bytes out = ToBytes("host");
    for (auto& [type, fields] : records) gbtest::AppendRecord(out, type, fields);
    gbtest::AppendTrailer(out);
    return out;
  };
  const std::pair<uint32_t, Bytes> good = {5, named("good.txt", "good")};
  const std::pair<uint32_t, Bytes> end = {0, {}};

  Bytes hugeBlob;
  gbtest::AppendWord(hugeBlob, 0xFFFFFFF0u);
  gbtest::AppendString(hugeBlob, "x");
  Bytes hugeName;
  gbtest::AppendBlob(hugeName, ToBytes("x"));
  gbtest::AppendWord(hugeName, 0x7FFFFFFFu);
  Bytes longName;
  gbtest::AppendBlob(longName, ToBytes("x"));
  gbtest::AppendString(longName, std::string(300, 'a'));
  Bytes wrongSize = archive({end, good});
  wrongSize[wrongSize.size() - 4 - 8] += 1;  // the size word of the last record
  Bytes truncated = archive({end, good});
  truncated.erase(truncated.begin(), truncated.begin() + 4 + 8 + 5);
  Bytes hugeCount = archive({end});
  hugeCount.insert(hugeCount.end() - 4, {0xFF, 0xFF, 0xFF, 0xFF, 5, 0, 0, 0});
  // A folder nested far deeper than any real tree.
  Bytes deep = ToBytes("host");
  gbtest::AppendRecord(deep, 0, {});
  for (int i = 0; i < 200; ++i) gbtest::AppendRecord(deep, 0, {});
  for (int i = 0; i < 200; ++i) {
    gbtest::AppendString(deep, "d");
    gbtest::AppendWord(deep, 0);
    gbtest::AppendWord(deep, 8);
  }
  gbtest::AppendTrailer(deep);
  // A folder whose entries hold a record of a type folders never hold.
  Bytes odd = ToBytes("host");
  gbtest::AppendRecord(odd, 0, {});
  gbtest::AppendRecord(odd, 0, {});
  gbtest::AppendRecord(odd, 7, named("b", "x"));
  gbtest::AppendString(odd, "Folder");
  gbtest::AppendWord(odd, 0);
  gbtest::AppendWord(odd, 8);
  gbtest::AppendTrailer(odd);

  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"a blob longer than the file", archive({end, good, {5, hugeBlob}})},
      {"a name count beyond the file", archive({end, good, {5, hugeName}})},
      {"a name of 300 bytes", archive({end, good, {5, longName}})},
      {"a name that climbs out", archive({end, good, {5, named("..", "evil")}})},
      {"an absolute name", archive({end, good, {5, named("/tmp/evil", "evil")}})},
      {"a name with a backslash", archive({end, good, {5, named("..\\evil", "evil")}})},
      {"a name with NUL", archive({end, good, {5, named(std::string("a\0b", 3), "evil")}})},
      {"an empty name", archive({end, good, {5, named("", "evil")}})},
      {"a folder named ..", archive({end, good, {8, named("..", "")}})},
      {"a size word that does not match", wrongSize},
      {"a record cut off at the front", truncated},
      {"a size beyond the file", hugeCount},
      {"folders nested 200 deep", deep},
      {"a folder holding a buffer record", odd},
  };
  for (Case& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "bad.scr", c.bytes));
    CDataArchiveReader reader;
    ASSERT_TRUE(reader.Open(CPathName(folder + "bad.scr")));
    EXPECT_FALSE(reader.Load()) << c.what;
    EXPECT_EQ(reader.GetError(), u32(kArchiveDamaged)) << c.what;
    EXPECT_TRUE(gbtest::TreeContents(unpack).empty()) << c.what;
  }
  EXPECT_FALSE(gbtest::FileExists("/tmp/evil"));
  EXPECT_FALSE(gbtest::FileExists(unpack + "../evil"));
}

TEST(DataArchiveReader, UnpackingNeverWritesThroughALinkOrOverAFolder) {
  const std::string unpack = gbtest::FreshWorkSubfolder();
  const std::string outside = gbtest::MakeTempFolder("data_archive/outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "target.txt", "outside"));
  ASSERT_EQ(symlink((outside + "target.txt").c_str(), (unpack + "linked.txt").c_str()), 0);
  ASSERT_EQ(symlink(outside.c_str(), (unpack + "Linked").c_str()), 0);

  auto archiveOf = [](uint32_t type, const std::string& name) {
    Bytes out = ToBytes("host");
    gbtest::AppendRecord(out, 0, {});
    Bytes fields;
    if (type == 5) {
      gbtest::AppendBlob(fields, ToBytes("inside"));
      gbtest::AppendString(fields, name);
      gbtest::AppendRecord(out, 5, fields);
    } else {
      // A folder of that name holding one file.
      Bytes entry;
      gbtest::AppendBlob(entry, ToBytes("inside"));
      gbtest::AppendString(entry, "target.txt");
      gbtest::AppendRecord(out, 0, {});
      gbtest::AppendRecord(out, 5, entry);
      gbtest::AppendString(out, name);
      gbtest::AppendWord(out, uint32_t(entry.size() + 8 + 4 + name.size()));
      gbtest::AppendWord(out, 8);
    }
    gbtest::AppendTrailer(out);
    return out;
  };
  const std::string path = gbtest::MakeTempFolder("data_archive/links") + "archive.scr";

  // A file where a link was: the link goes, the file it led to stays.
  ASSERT_TRUE(gbtest::WriteFile(path, archiveOf(5, "linked.txt")));
  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(path)));
  EXPECT_TRUE(reader.Load());
  EXPECT_EQ(gbtest::ReadTextFile(unpack + "linked.txt"), "inside");
  struct stat info;
  ASSERT_EQ(lstat((unpack + "linked.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(gbtest::ReadTextFile(outside + "target.txt"), "outside");

  // A folder record where a link to a folder is: refused, nothing written there.
  ASSERT_TRUE(gbtest::WriteFile(path, archiveOf(8, "Linked")));
  ASSERT_TRUE(reader.Open(CPathName(path)));
  EXPECT_FALSE(reader.Load());
  EXPECT_EQ(reader.GetError(), u32(kArchiveCannotUnpack));
  EXPECT_EQ(gbtest::ReadTextFile(outside + "target.txt"), "outside");

  // A file record where a folder is: refused, the folder kept.
  ASSERT_EQ(mkdir((unpack + "busy").c_str(), 0755), 0);
  ASSERT_TRUE(gbtest::WriteFile(unpack + "busy/inner", "kept"));
  ASSERT_TRUE(gbtest::WriteFile(path, archiveOf(5, "busy")));
  ASSERT_TRUE(reader.Open(CPathName(path)));
  EXPECT_FALSE(reader.Load());
  EXPECT_EQ(reader.GetError(), u32(kArchiveCannotUnpack));
  EXPECT_EQ(gbtest::ReadTextFile(unpack + "busy/inner"), "kept");
}

}  // namespace
