#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/data_archive.h"
#include "builders/saver_builder.h"
#include "foundation/path_name.h"
#include "foundation/xml_reader.h"
#include "tests/builders/archive_test_support.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::ArchiveRecord;
using gbtest::Bytes;
using savertest::FolderEntries;

class WindowsSaver : public savertest::SaverProjectTest {
 protected:
  void SetUp() override {
    SaverProjectTest::SetUp();
    SelectOutputs(false, true);
  }
  // The records of the built file, first to last, and the bytes before them.
  std::vector<ArchiveRecord> Records(Bytes* file = nullptr) {
    Bytes bytes = gbtest::ReadFile(WinOutput());
    std::vector<ArchiveRecord> records;
    EXPECT_TRUE(gbtest::WalkArchive(bytes, records));
    std::reverse(records.begin(), records.end());
    if (file) *file = bytes;
    return records;
  }
};

// A named-file record's fields: the blob, then the name.
void SplitNamedFile(const Bytes& file, const ArchiveRecord& record, Bytes& blob, std::string& name) {
  const size_t end = record.fieldsStart + record.size;
  const u32 nameLength = gbtest::WordAt(file, end - 4);
  name.assign(file.begin() + ptrdiff_t(end - 4 - nameLength), file.begin() + ptrdiff_t(end - 4));
  const size_t blobEnd = end - 4 - nameLength;
  const u32 blobLength = gbtest::WordAt(file, blobEnd - 4);
  blob.assign(file.begin() + ptrdiff_t(blobEnd - 4 - blobLength), file.begin() + ptrdiff_t(blobEnd - 4));
  EXPECT_EQ(blobEnd - 4 - blobLength, record.fieldsStart) << "the size word covers the fields exactly";
}

TEST_F(WindowsSaver, TheEngineThenTheRecordsInOrderThenTheTrailer) {
  const std::string first = AddFile("one.txt", "first extra");
  const std::string second = AddFile("two.bin", std::string("\0\1\2", 3));
  AddExtra(first);
  AddExtra(second);
  // Sub-items are not packed into the Windows screen saver.
  list.GetRootItem()->AddSubItem()->AddMoreFile(CPathName(AddFile("sub.txt", "sub")));
  ASSERT_TRUE(Build()) << LastStatus();

  Bytes file;
  const std::vector<ArchiveRecord> records = Records(&file);
  const Bytes engine = savertest::WinEngineBytes();
  ASSERT_GT(file.size(), engine.size());
  EXPECT_TRUE(std::equal(engine.begin(), engine.end(), file.begin()));
  EXPECT_EQ(Bytes(file.end() - 4, file.end()), (Bytes{0xFF, 0xEE, 'O', 'x'}));

  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0].type, 0u);
  EXPECT_EQ(records[0].size, 0u);
  EXPECT_EQ(records[0].fieldsStart, engine.size());
  struct Expected {
    std::string name;
    Bytes contents;
  } named[] = {{"fish.swf", gbtest::ReadFile(moviePath)},
               {"one.txt", gbtest::ReadFile(first)},
               {"two.bin", gbtest::ReadFile(second)},
               {"__saver.swf", {}}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(records[i + 1].type, 5u);
    Bytes blob;
    std::string name;
    SplitNamedFile(file, records[i + 1], blob, name);
    EXPECT_EQ(name, named[i].name);
    if (i == 3) {
      EXPECT_EQ(blob.size(), 29u);
    } else {
      EXPECT_EQ(blob, named[i].contents) << name;
    }
  }
  // The settings record: one blob, the settings document.
  const ArchiveRecord& settings = records[5];
  EXPECT_EQ(settings.type, 1u);
  const size_t end = settings.fieldsStart + settings.size;
  EXPECT_EQ(gbtest::WordAt(file, end - 4) + 4, settings.size);
  const std::string document(file.begin() + ptrdiff_t(settings.fieldsStart), file.begin() + ptrdiff_t(end - 4));
  EXPECT_NE(document.find("<windows "), std::string::npos);
  EXPECT_NE(document.find("swf=\"fish.swf\""), std::string::npos);

  // No temporary file is left in the work folder or beside the output.
  EXPECT_TRUE(FolderEntries(workFolder).empty());
  EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.scr"});
}

TEST_F(WindowsSaver, OurReaderUnpacksWhatWasPacked) {
  const std::string extra = AddFile("notes.txt", "notes");
  AddExtra(extra);
  ASSERT_TRUE(Build()) << LastStatus();

  CDataArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(WinOutput())));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  std::vector<std::string> names;
  for (const auto& entry : reader.GetNamedFiles()) {
    names.push_back(entry.item->GetName());
    const std::string unpacked = entry.item->GetPath().GetAbsolutePath(0);
    if (entry.item->GetName() == "notes.txt") {
      EXPECT_EQ(gbtest::ReadTextFile(unpacked), "notes");
    } else if (entry.item->GetName() == "fish.swf") {
      EXPECT_EQ(gbtest::ReadFile(unpacked), gbtest::ReadFile(moviePath));
    }
  }
  // Read from the end backwards.
  EXPECT_EQ(names, (std::vector<std::string>{"__saver.swf", "notes.txt", "fish.swf"}));
  CPathName settings(nullptr);
  ASSERT_TRUE(reader.GetSettingsPath(settings));
  CSaverDataList readBack;
  EXPECT_TRUE(readBack.ReadSettingsFile(settings));
  reader.DeleteUnpackedFiles();
  reader.Close();
}

TEST_F(WindowsSaver, AFailedBuildKeepsThePreviousFileAndLeavesNothingBehind) {
  struct Case {
    const char* what;
    std::vector<std::string> extras;
    bool removeEngine;
    bool removeMovie;
    std::string mentioned;
  } cases[] = {
      {"missing engine", {}, true, false, "ssdt.dat"},
      {"missing movie", {}, false, true, "fish.swf"},
      {"extra named as the blank movie", {"x/__saver.swf"}, false, false, "x/__saver.swf"},
      {"extra named as the unpacked settings", {"x/fp.dat"}, false, false, "x/fp.dat"},
      {"two extras of one name", {"x/a.txt", "y/A.txt"}, false, false, "y/A.txt"},
  };
  for (const Case& c : cases) {
    Fresh();
    SelectOutputs(false, true);
    ASSERT_TRUE(gbtest::WriteFile(WinOutput(), "previous"));
    for (const std::string& extra : c.extras) AddExtra(AddFile(extra, extra));
    if (c.removeEngine) unlink((templatesBase + "ss/w/ssdt.dat").c_str());
    if (c.removeMovie) unlink(moviePath.c_str());
    EXPECT_FALSE(Build()) << c.what;
    EXPECT_NE(LastStatus().find(c.mentioned), std::string::npos) << c.what << ": " << LastStatus();
    EXPECT_EQ(gbtest::ReadTextFile(WinOutput()), "previous") << c.what;
    EXPECT_EQ(FolderEntries(outputFolder), std::vector<std::string>{"Aquarium.scr"}) << c.what;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << c.what;
  }
}

TEST_F(WindowsSaver, AnExistingOutputIsKeptWhenAskedAndAFolderNeverReplaced) {
  struct Case {
    bool folder;
    bool overwrite;
    bool built;
  } cases[] = {{false, false, true}, {true, false, true}, {true, true, false}};
  for (const Case& c : cases) {
    Fresh();
    SelectOutputs(false, true, c.overwrite);
    if (c.folder) {
      ASSERT_EQ(mkdir(WinOutput().c_str(), 0755), 0);
    } else {
      ASSERT_TRUE(gbtest::WriteFile(WinOutput(), "kept"));
    }
    EXPECT_EQ(Build(), c.built) << c.folder << c.overwrite;
    if (c.folder) {
      EXPECT_TRUE(FolderEntries(WinOutput()).empty());
    } else {
      EXPECT_EQ(gbtest::ReadTextFile(WinOutput()), "kept");
    }
    EXPECT_EQ(FolderEntries(outputFolder).size(), 1u);
    EXPECT_TRUE(FolderEntries(workFolder).empty());
  }
}

TEST_F(WindowsSaver, FoldersNamedAsItsTemporaryFilesAreLeftAlone) {
  // Empty folders where a careless build would write its temporary files.
  for (const char* name : {"__saver.swf", "ssc0.dat"}) ASSERT_EQ(mkdir((workFolder + name).c_str(), 0755), 0);
  ASSERT_TRUE(Build()) << LastStatus();
  EXPECT_EQ(FolderEntries(workFolder), (std::vector<std::string>{"__saver.swf/", "ssc0.dat/"}));
  EXPECT_EQ(Records().size(), 4u);
}

TEST_F(WindowsSaver, DamagedCopiesFailToLoadCleanly) {
  AddExtra(AddFile("notes.txt", "notes"));
  ASSERT_TRUE(Build()) << LastStatus();
  Bytes good;
  const std::vector<ArchiveRecord> records = Records(&good);
  ASSERT_EQ(records.size(), 5u);
  const size_t settingsEnd = records[4].fieldsStart + records[4].size;

  struct Case {
    const char* what;
    Bytes bytes;
    u32 error;
  };
  std::vector<Case> cases;
  cases.push_back({"no trailer", Bytes(good.begin(), good.end() - 1), kArchiveNoTrailer});
  // The front cut off, into the settings document: its blob no longer fits.
  cases.push_back(
      {"front cut off", Bytes(good.begin() + ptrdiff_t(records[4].fieldsStart + 10), good.end()), kArchiveDamaged});
  Bytes huge = good;
  PutArchiveWord(&huge[settingsEnd], 0xFFFFFFF0u);  // the settings record's size word
  cases.push_back({"size beyond the file", huge, kArchiveDamaged});
  Bytes climbing = savertest::WinEngineBytes();
  gbtest::AppendRecord(climbing, 0, {});
  Bytes fields;
  gbtest::AppendBlob(fields, gbtest::ToBytes("evil"));
  gbtest::AppendString(fields, "..");
  gbtest::AppendRecord(climbing, 5, fields);
  gbtest::AppendTrailer(climbing);
  cases.push_back({"name climbing out", climbing, kArchiveDamaged});

  for (const Case& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(WinOutput(), c.bytes));
    CDataArchiveReader reader;
    ASSERT_TRUE(reader.Open(CPathName(WinOutput())));
    EXPECT_FALSE(reader.Load()) << c.what;
    EXPECT_EQ(reader.GetError(), c.error) << c.what;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << c.what;
    reader.Close();
  }
}

}  // namespace
