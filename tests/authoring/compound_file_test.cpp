// The compound-file writer: where every part goes, the tables that describe
// them, the directory tree and the commit to disk.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "authoring/compound_document.h"
#include "authoring/compound_sectors.h"
#include "foundation/path_name.h"
#include "tests/authoring/compound_file_reader.h"
#include "tests/authoring/compound_test_support.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<u8>;

constexpr u32 kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatMark = 0xFFFFFFFD, kDifatMark = 0xFFFFFFFC;

Bytes WriteToMemory(CCompoundDocument& document) {
  CByteArrayOutputStream out;
  EXPECT_TRUE(document.WriteTo(out));
  return out.ToByteArray();
}

cfbtest::CompoundContents ReadBack(const Bytes& file) {
  cfbtest::CompoundContents contents;
  std::string error;
  EXPECT_TRUE(cfbtest::ReadCompoundFile(file, contents, error)) << error;
  return contents;
}

u32 Word(const Bytes& bytes, size_t at) {
  return u32(bytes[at]) | u32(bytes[at + 1]) << 8 | u32(bytes[at + 2]) << 16 | u32(bytes[at + 3]) << 24;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing))
      if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
    closedir(listing);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Entries are made by their document alone, which numbers each one and
// links it under its parent: no entry can join a storage's children behind
// the document's back (it would stand in the directory without a number of
// its own).
template <class Storage>
concept ChildrenCanBeAddedFromOutside = requires(Storage& storage, CCompoundEntry* entry) { storage.AddChild(entry); };
static_assert(!ChildrenCanBeAddedFromOutside<CCompoundStorage>);
static_assert(!std::is_default_constructible_v<CCompoundEntryKey>);
static_assert(!std::is_constructible_v<CCompoundStream, std::u16string, CCompoundStorage*, const CCompoundDocument*>);
static_assert(!std::is_constructible_v<CCompoundStorage, ECompoundEntryType, std::u16string, CCompoundStorage*,
                                       const CCompoundDocument*>);

TEST(CompoundFile, EveryCaseReadsBackWhole) {
  for (const cfbtest::DocumentCase& documentCase : cfbtest::DocumentCases()) {
    SCOPED_TRACE(documentCase.name);
    CCompoundDocument document;
    documentCase.fill(document);
    const cfbtest::CompoundContents contents = ReadBack(WriteToMemory(document));
    EXPECT_EQ(contents.minorVersion, 59);
    EXPECT_EQ(contents.streams, cfbtest::ExpectedStreams(document));
    const std::vector<std::string> storages = cfbtest::ExpectedStorages(document);
    EXPECT_EQ(contents.storages, std::set<std::string>(storages.begin(), storages.end()));
    EXPECT_EQ(contents.directoryEntries, document.GetEntries().size());
  }
}

TEST(CompoundFile, TheDirectoryFieldsAreSetByTheWriterAlone) {
  // Whatever a caller leaves in the directory fields of the entries (a
  // root that points at itself, a storage with a start and a size), the
  // written tree is the document's.
  CCompoundDocument document;
  CCompoundStorage* storage = document.CreateStorage(nullptr, "Storage");
  ASSERT_NE(storage, nullptr);
  CCompoundStream* stream = cfbtest::AddStream(document, storage, "Stream", 100, 1);
  ASSERT_NE(stream, nullptr);
  for (CCompoundEntry* entry : document.GetEntries()) {
    entry->index = 0;
    entry->child = entry->leftSibling = entry->rightSibling = 0;
    entry->color = 0;
    entry->startSector = 7;
    entry->size = 5;
  }
  const cfbtest::CompoundContents contents = ReadBack(WriteToMemory(document));
  EXPECT_EQ(contents.streams, cfbtest::ExpectedStreams(document));
  EXPECT_EQ(contents.storages, std::set<std::string>{"Storage"});
}

TEST(CompoundFile, AllSmallStreamsLiveInTheMiniStream) {
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "One", 100, 1);   // 2 mini sectors
  cfbtest::AddStream(document, nullptr, "Two", 4095, 2);  // 64 mini sectors
  cfbtest::AddStream(document, nullptr, "Empty", 0, 3);
  const Bytes file = WriteToMemory(document);
  // Header, one directory sector, the mini stream (66 mini sectors padded
  // to 72: 9 sectors), one mini FAT sector and one FAT sector.
  ASSERT_EQ(file.size(), 512u * (1 + 1 + 9 + 1 + 1));
  const cfbtest::CompoundContents contents = ReadBack(file);
  EXPECT_EQ(contents.directoryStart, 0u);
  EXPECT_EQ(contents.rootStart, 1u);
  EXPECT_EQ(contents.rootSize, 72u * 64);
  EXPECT_EQ(contents.miniFatStart, 10u);
  EXPECT_EQ(contents.miniFatSectors, 1u);
  EXPECT_EQ(contents.fatSectorNumbers, (std::vector<uint32_t>{11}));
  EXPECT_EQ(contents.starts.at("One"), 0u);
  EXPECT_EQ(contents.starts.at("Two"), 2u);
  EXPECT_EQ(contents.starts.at("Empty"), kEnd);
  std::vector<u32> fat = {kEnd, 2, 3, 4, 5, 6, 7, 8, 9, kEnd, kEnd, kFatMark};
  fat.resize(128, kFree);
  EXPECT_EQ(contents.fat, fat);
  // The last mini sector of a stream is padded with zeros.
  EXPECT_EQ(Word(file, 512 * 2 + 100), 0u);
}

TEST(CompoundFile, WithoutSmallStreamsThereIsNoMiniStream) {
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "Big", 4096, 1);
  cfbtest::AddStream(document, nullptr, "Empty", 0, 2);
  const Bytes file = WriteToMemory(document);
  ASSERT_EQ(file.size(), 512u * (1 + 8 + 1 + 1));
  const cfbtest::CompoundContents contents = ReadBack(file);
  EXPECT_EQ(contents.miniFatStart, kEnd);
  EXPECT_EQ(contents.miniFatSectors, 0u);
  EXPECT_EQ(contents.rootStart, kEnd);
  EXPECT_EQ(contents.rootSize, 0u);
  EXPECT_EQ(contents.starts.at("Big"), 0u);
  EXPECT_EQ(contents.directoryStart, 8u);
  EXPECT_EQ(contents.fatSectorNumbers, (std::vector<uint32_t>{9}));

  // A document of nothing but its root.
  CCompoundDocument empty;
  const Bytes bare = WriteToMemory(empty);
  ASSERT_EQ(bare.size(), 512u * 3);
  const cfbtest::CompoundContents nothing = ReadBack(bare);
  EXPECT_TRUE(nothing.streams.empty());
  EXPECT_EQ(nothing.directoryEntries, 1u);
}

TEST(CompoundFile, LargeStreamsComeFirstInStreamOrder) {
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "Small", 10, 1);
  cfbtest::AddStream(document, nullptr, "First", 5000, 2);  // 10 sectors, the last padded
  cfbtest::AddStream(document, nullptr, "Second", 4096, 3);
  const Bytes file = WriteToMemory(document);
  const cfbtest::CompoundContents contents = ReadBack(file);
  EXPECT_EQ(contents.starts.at("First"), 0u);
  EXPECT_EQ(contents.starts.at("Second"), 10u);
  EXPECT_EQ(contents.directoryStart, 18u);
  EXPECT_EQ(contents.rootStart, 19u);
  EXPECT_EQ(contents.miniFatStart, 20u);
  EXPECT_EQ(contents.fatSectorNumbers, (std::vector<uint32_t>{21}));
  EXPECT_EQ(contents.starts.at("Small"), 0u);
  EXPECT_EQ(Word(file, 512 + 5000), 0u);
}

TEST(CompoundFile, MoreThan109FatSectorsNeedTheDifat) {
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "Big", 110 * 128 * 512 + 3, 1);
  const Bytes file = WriteToMemory(document);
  const cfbtest::CompoundContents contents = ReadBack(file);
  // 14081 data sectors and 1 directory sector need 111 FAT sectors and 1 DIFAT sector.
  EXPECT_EQ(contents.fatSectors, 111u);
  EXPECT_EQ(contents.directoryStart, 14081u);
  ASSERT_EQ(contents.fatSectorNumbers.size(), 111u);
  for (u32 i = 0; i < 111; ++i) {
    EXPECT_EQ(contents.fatSectorNumbers[i], 14082u + i);
    EXPECT_EQ(contents.fat[14082 + i], kFatMark);
  }
  EXPECT_EQ(contents.difatStart, 14082u + 111);
  EXPECT_EQ(contents.difatSectors, 1u);
  EXPECT_EQ(contents.fat[14082 + 111], kDifatMark);
  EXPECT_EQ(file.size(), 512u * (1 + 14082 + 111 + 1));
  // The DIFAT sector: the two FAT sectors beyond the header's 109, then free
  // slots, and the end of its chain.
  const size_t difat = 512 * size_t(14082 + 111 + 1);
  EXPECT_EQ(Word(file, difat), 14082u + 109);
  EXPECT_EQ(Word(file, difat + 4), 14082u + 110);
  EXPECT_EQ(Word(file, difat + 8), kFree);
  EXPECT_EQ(Word(file, difat + 508), kEnd);
}

TEST(CompoundFile, TheDifatStartsPast109FatSectors) {
  struct Case {
    u64 dataSectors;
    u32 fat, difat;
  } cases[] = {
      {13842, 109, 0},  // 13842 + 1 directory + 109 = 13952 = 109 x 128 entries
      {13843, 110, 1},
      {8, 1, 0},         // the smallest stream outside the mini stream
      {126, 1, 0},       // 126 + 1 + 1 = 128
      {127, 2, 0},
      {29970, 236, 1},   // 29970 + 1 + 236 + 1 = 30208 = 236 x 128; 236 = 109 + 127
      {29971, 237, 2},
  };
  for (const Case& c : cases) {
    cfb::CSectorPlan plan;
    ASSERT_TRUE(cfb::PlanSectors({c.dataSectors * 512}, 1, plan)) << c.dataSectors;
    EXPECT_EQ(plan.fatSectors, c.fat) << c.dataSectors;
    EXPECT_EQ(plan.difatSectors, c.difat) << c.dataSectors;
    // The FAT covers every sector, itself and the DIFAT included.
    EXPECT_LE(plan.GetSectorCount(), u64(plan.fatSectors) * 128) << c.dataSectors;
    EXPECT_GT(plan.GetSectorCount(), u64(plan.fatSectors - 1) * 128) << c.dataSectors;
    EXPECT_EQ(plan.GetSectorCount(), c.dataSectors + 1 + c.fat + c.difat) << c.dataSectors;
    const std::vector<u8> header = cfb::BuildHeader(plan);
    EXPECT_EQ(Word(header, 68), c.difat ? plan.fatStart + plan.fatSectors : kEnd) << c.dataSectors;
    EXPECT_EQ(Word(header, 72), c.difat) << c.dataSectors;
    EXPECT_EQ(Word(header, 76 + 4 * 108), c.fat >= 109 ? plan.fatStart + 108 : kFree) << c.dataSectors;
    if (c.difat >= 2) {
      const std::vector<u8> difat = cfb::BuildDifatSectors(plan);
      EXPECT_EQ(Word(difat, 508), plan.difatStart + 1);
      EXPECT_EQ(Word(difat, 512 + 508), kEnd);
    }
  }
}

TEST(CompoundFile, HeaderAsWritten) {
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "s", 5, 1);
  const Bytes file = WriteToMemory(document);
  const Bytes expected = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0, 0, 0, 0, 0, 0,    0,    0, 0, 0, 0, 0, 0,
                          0,    0,    0x3B, 0x00, 0x03, 0x00, 0xFE, 0xFF, 0x09, 0x00, 0x06, 0x00, 0x00, 0x00,
                          0,    0,    0,    0,    0,    0,    0,    0};
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 44), expected);
  EXPECT_EQ(Word(file, 44), 1u);    // FAT sectors
  EXPECT_EQ(Word(file, 48), 0u);    // directory
  EXPECT_EQ(Word(file, 52), 0u);
  EXPECT_EQ(Word(file, 56), 4096u);
  EXPECT_EQ(Word(file, 60), 2u);    // mini FAT after the directory and the mini stream
  EXPECT_EQ(Word(file, 64), 1u);
  EXPECT_EQ(Word(file, 68), kEnd);
  EXPECT_EQ(Word(file, 72), 0u);
  EXPECT_EQ(Word(file, 76), 3u);
  for (size_t slot = 1; slot < 109; ++slot) EXPECT_EQ(Word(file, 76 + 4 * slot), kFree);

  // The root entry and the stream's entry.
  const size_t root = 512;
  EXPECT_EQ(std::string(file.begin() + root, file.begin() + root + 20),
            std::string("R\0o\0o\0t\0 \0E\0n\0t\0r\0y\0", 20));
  EXPECT_EQ(file[root + 64], 22);
  EXPECT_EQ(file[root + 66], 5);
  EXPECT_EQ(file[root + 67], 1);
  EXPECT_EQ(Word(file, root + 68), kFree);
  EXPECT_EQ(Word(file, root + 72), kFree);
  EXPECT_EQ(Word(file, root + 76), 1u);
  EXPECT_EQ(Word(file, root + 116), 1u);    // the mini stream
  EXPECT_EQ(Word(file, root + 120), 512u);  // 8 mini sectors
  const size_t stream = root + 128;
  EXPECT_EQ(file[stream + 64], 4);
  EXPECT_EQ(file[stream + 66], 2);
  EXPECT_EQ(file[stream + 67], 1);
  EXPECT_EQ(Word(file, stream + 116), 0u);
  EXPECT_EQ(Word(file, stream + 120), 5u);
  EXPECT_EQ(Word(file, stream + 124), 0u);
  // Unused entries: all zero but the three links.
  const size_t unused = root + 256;
  EXPECT_EQ(Word(file, unused + 64), 0u);
  EXPECT_EQ(Word(file, unused + 68), kFree);
  EXPECT_EQ(Word(file, unused + 76), kFree);
  EXPECT_EQ(Word(file, unused + 116), 0u);
}

TEST(CompoundFile, SiblingsFormARedBlackTreeInTheDirectoryOrder) {
  // The reader checks the order and the colours; the names here differ in
  // length and case, and collide only case-insensitively.
  for (int count : {1, 2, 3, 4, 7, 8, 15, 16, 100}) {
    SCOPED_TRACE(count);
    CCompoundDocument document;
    for (int i = 0; i < count; ++i) {
      std::string name = (i % 2 ? "item" : "ITEM") + std::to_string(i * 37 % 101);
      if (i % 5 == 0) name = std::string(size_t(1 + i % 31), char('a' + i % 26));
      ASSERT_NE(document.CreateStream(nullptr, name.c_str()), nullptr) << name;
    }
    ReadBack(WriteToMemory(document));
  }
  EXPECT_LT(CompareEntryNames(u"zz", u"aaa"), 0);  // the shorter first
  EXPECT_EQ(CompareEntryNames(u"Data", u"DATA"), 0);
  EXPECT_LT(CompareEntryNames(u"abc", u"ABD"), 0);
  EXPECT_GT(CompareEntryNames(u"_", u"a"), 0);  // 'a' compares as 'A' (0x41), before '_' (0x5F)
}

TEST(CompoundFile, SiblingsStandInThePublishedNameOrder) {
  const std::vector<cfbtest::OrderedName>& names = cfbtest::NamesInDirectoryOrder();
  const size_t n = names.size();
  std::vector<std::string> expected;
  std::vector<std::u16string> unicode(n);
  for (size_t i = 0; i < n; ++i) {
    expected.emplace_back(names[i].utf8);
    ASSERT_TRUE(MakeEntryName(names[i].macRoman, unicode[i])) << names[i].utf8;
  }
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j)
      EXPECT_EQ(CompareEntryNames(unicode[i], unicode[j]), i < j ? -1 : i > j ? 1 : 0)
          << names[i].utf8 << " and " << names[j].utf8;

  // Made in another order (7 is prime to 16), as streams of the root and as
  // storages of a storage.
  ASSERT_EQ(n, 16u);
  CCompoundDocument document;
  CCompoundStorage* storages = document.CreateStorage(nullptr, "Storages");
  ASSERT_NE(storages, nullptr);
  for (size_t i = 0; i < n; ++i) {
    const char* name = names[i * 7 % n].macRoman;
    EXPECT_NE(document.CreateStream(nullptr, name), nullptr) << i;
    EXPECT_NE(document.CreateStorage(storages, name), nullptr) << i;
  }
  // Names that are the same once upper-cased are one name: E acute, small
  // oe, capital y diaeresis and the others upper-case to names made above.
  for (const char* same : {"\x83", "\xCF", "\xD9", "B", "ZZ", "\x83\x83", "\xCF" "A", "\x8E" "B"})
    EXPECT_EQ(document.CreateStream(nullptr, same), nullptr) << same;

  const cfbtest::CompoundContents contents = ReadBack(WriteToMemory(document));
  EXPECT_EQ(contents.childNames.at("Storages"), expected);
  expected.emplace_back("Storages");  // the longest name
  EXPECT_EQ(contents.childNames.at(""), expected);
}

TEST(CompoundFile, NamesAreCheckedWhenEntriesAreMade) {
  CCompoundDocument document;
  const std::string longest(31, 'n');
  EXPECT_NE(document.CreateStream(nullptr, longest.c_str()), nullptr);
  EXPECT_EQ(document.CreateStream(nullptr, (longest + "n").c_str()), nullptr);
  for (const char* bad : {"", "a/b", "a\\b", "a:b", "Hello!"}) {
    EXPECT_EQ(document.CreateStream(nullptr, bad), nullptr) << bad;
    EXPECT_EQ(document.CreateStorage(nullptr, bad), nullptr) << bad;
  }
  EXPECT_EQ(document.CreateStream(nullptr, nullptr), nullptr);

  // One name once per storage, compared without case; the same name may
  // stand in another storage.
  CCompoundStorage* storage = document.CreateStorage(nullptr, "Data");
  ASSERT_NE(storage, nullptr);
  EXPECT_EQ(document.CreateStream(nullptr, "DATA"), nullptr);
  EXPECT_EQ(document.CreateStorage(nullptr, "data"), nullptr);
  EXPECT_NE(document.CreateStream(storage, "data"), nullptr);
  EXPECT_EQ(document.CreateStream(storage, "Data"), nullptr);
  // Mac Roman names are stored in UTF-16: "Caf\x8E" is "Café".
  CCompoundStream* accented = document.CreateStream(nullptr, "Caf\x8E");
  ASSERT_NE(accented, nullptr);
  EXPECT_EQ(accented->GetName(), u"Caf\u00E9");
  EXPECT_EQ(document.CreateStream(nullptr, "CAF\x83"), nullptr);  // "CAFÉ"

  // A storage of another document is no parent here.
  CCompoundDocument other;
  EXPECT_EQ(document.CreateStream(other.GetRoot(), "x"), nullptr);
  EXPECT_EQ(document.GetEntries().size(), 5u);

  const cfbtest::CompoundContents contents = ReadBack(WriteToMemory(document));
  EXPECT_EQ(contents.streams.count("Caf\xC3\xA9"), 1u);
  EXPECT_EQ(contents.streams.count("Data/data"), 1u);
}

TEST(CompoundFile, StreamsOf4GiBOrMoreAreRefused) {
  cfb::CSectorPlan plan;
  EXPECT_FALSE(cfb::PlanSectors({u64(1) << 32}, 2, plan));
  EXPECT_FALSE(cfb::PlanSectors({10, (u64(1) << 32) + 5}, 3, plan));
  EXPECT_FALSE(cfb::PlanSectors({}, 0, plan));
  ASSERT_TRUE(cfb::PlanSectors({0xFFFFFFFFu}, 2, plan));
  EXPECT_EQ(plan.streamStarts, (std::vector<u32>{0}));
  EXPECT_EQ(plan.GetSectorCount(), 8388608u + 1 + plan.fatSectors + plan.difatSectors);
}

TEST(CompoundFile, CommitReplacesTheTargetWhole) {
  const std::string folder = gbtest::MakeTempFolder("commit");
  const CPathName target(folder + "Movie.fla");
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "Contents", 700, 1);
  ASSERT_TRUE(document.Commit(target));
  EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"Movie.fla"}));
  const Bytes first = gbtest::ReadFile(folder + "Movie.fla");
  EXPECT_EQ(ReadBack(first).streams, cfbtest::ExpectedStreams(document));

  // A second commit replaces the file, leaving nothing beside it.
  cfbtest::AddStream(document, nullptr, "Page 1", 9000, 2);
  ASSERT_TRUE(document.Commit(target));
  EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"Movie.fla"}));
  EXPECT_EQ(ReadBack(gbtest::ReadFile(folder + "Movie.fla")).streams, cfbtest::ExpectedStreams(document));

  // Closing deletes every entry; the document is empty again.
  document.Close();
  EXPECT_EQ(document.GetEntries().size(), 1u);
  EXPECT_TRUE(document.GetStreams().empty());
  ASSERT_NE(document.CreateStream(nullptr, "Contents"), nullptr);
  EXPECT_EQ(ReadBack(WriteToMemory(document)).streams.size(), 1u);
}

TEST(CompoundFile, AFailedCommitKeepsThePreviousFile) {
  const std::string folder = gbtest::MakeTempFolder("commit-failures");
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "Contents", 10, 1);

  // No folder to write into; a folder as the target.
  EXPECT_FALSE(document.Commit(CPathName(folder + "missing/Movie.fla")));
  EXPECT_FALSE(document.Commit(CPathName(folder)));
  EXPECT_FALSE(document.Commit(CPathName("")));
  gbtest::MakeTempFolder("commit-failures/Folder.fla");
  gbtest::WriteFile(folder + "Folder.fla/kept", "kept");
  EXPECT_FALSE(document.Commit(CPathName(folder + "Folder.fla")));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "Folder.fla/kept"), "kept");

  // A name so long that no temporary file can be made beside it: the
  // existing file stays as it was and nothing is left behind.
  const std::string name = std::string(251, 'l') + ".fla";
  ASSERT_TRUE(gbtest::WriteFile(folder + name, "previous"));
  EXPECT_FALSE(document.Commit(CPathName(folder + name)));
  EXPECT_EQ(gbtest::ReadTextFile(folder + name), "previous");
  EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"Folder.fla", name}));
}

// A target that is a symbolic link is committed into the file the link
// leads to (the link stays), and the file keeps its mode; a link that leads
// nowhere is refused and stays as it is.
TEST(CompoundFile, ACommitThroughALinkWritesTheFileItLeadsTo) {
  const std::string folder = gbtest::MakeTempFolder("commit-link");
  const std::string real = gbtest::MakeTempFolder("commit-link-real");
  ASSERT_TRUE(gbtest::WriteFile(real + "Movie.fla", "previous"));
  ASSERT_EQ(chmod((real + "Movie.fla").c_str(), 0600), 0);
  ASSERT_EQ(symlink((real + "Movie.fla").c_str(), (folder + "Link.fla").c_str()), 0);
  CCompoundDocument document;
  cfbtest::AddStream(document, nullptr, "Contents", 700, 1);
  ASSERT_TRUE(document.Commit(CPathName(folder + "Link.fla")));
  struct stat info;
  ASSERT_EQ(lstat((folder + "Link.fla").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat((real + "Movie.fla").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadBack(gbtest::ReadFile(real + "Movie.fla")).streams, cfbtest::ExpectedStreams(document));
  EXPECT_EQ(FolderNames(real), (std::vector<std::string>{"Movie.fla"}));

  ASSERT_EQ(symlink((real + "Gone.fla").c_str(), (folder + "Dangling.fla").c_str()), 0);
  EXPECT_FALSE(document.Commit(CPathName(folder + "Dangling.fla")));
  ASSERT_EQ(lstat((folder + "Dangling.fla").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(FolderNames(real), (std::vector<std::string>{"Movie.fla"}));
}

}  // namespace
