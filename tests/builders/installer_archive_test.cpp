#include "builders/installer_archive.h"

#include <zlib.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/builders/archive_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::ToBytes;

TEST(InstallerBuffers, CompressIsZlibsAndInflatesBack) {
  const Bytes samples[] = {Bytes(), ToBytes("a"), ToBytes(std::string(100000, 'q') + "tail"), [] {
                             Bytes noise(70000);
                             u32 seed = 12345;
                             for (auto& byte : noise) byte = u8((seed = seed * 1103515245u + 12345u) >> 24);
                             return noise;
                           }()};
  for (const Bytes& sample : samples) {
    Bytes packed;
    ASSERT_TRUE(CompressBuffer(sample.data(), sample.size(), packed)) << sample.size();
    EXPECT_EQ(packed, gbtest::ZlibCompress(sample)) << sample.size();
    EXPECT_EQ(GetLastCompressResult(), Z_OK);
    Bytes back;
    ASSERT_TRUE(UncompressBuffer(packed.data(), packed.size(), back)) << sample.size();
    EXPECT_EQ(back, sample);
  }
}

// The stream the installers' buffers held before they were sized for the
// worst case: zlib's compress() into size / 2 + 12 bytes, doubled when it
// does not fit, at most twice.
bool CompressIntoDoublingBuffer(const Bytes& data, Bytes& out) {
  static const u8 kNothing = 0;
  size_t capacity = data.size() / 2 + 12;
  for (int attempt = 0; attempt < 3; ++attempt, capacity *= 2) {
    out.resize(capacity);
    uLongf length = uLongf(capacity);
    const int result = compress(out.data(), &length, data.empty() ? &kNothing : data.data(), uLong(data.size()));
    if (result == Z_OK) {
      out.resize(length);
      return true;
    }
    if (result != Z_BUF_ERROR) break;
  }
  out.clear();
  return false;
}

TEST(InstallerBuffers, CompressInOneCallGivesTheStreamOfTheDoublingBuffers) {
  // Data that packs to less than half, to between half and all of it (the
  // second buffer), and to more than all of it (the third), at sizes around
  // zlib's own block and window sizes.
  u32 seed = 99;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (const size_t size : {size_t(0), size_t(1), size_t(11), size_t(100), size_t(4096), size_t(32768),
                            size_t(65537), size_t(300000)}) {
    for (const int incompressible : {0, 50, 80, 100}) {
      SCOPED_TRACE(testing::Message() << size << " bytes, " << incompressible << "% noise");
      Bytes data(size);
      for (size_t i = 0; i < size; ++i) data[i] = int(next() % 100) < incompressible ? u8(next()) : u8('a' + i % 5);
      Bytes before;
      ASSERT_TRUE(CompressIntoDoublingBuffer(data, before));
      Bytes now;
      ASSERT_TRUE(CompressBuffer(data.data(), data.size(), now));
      EXPECT_EQ(now, before);
    }
  }
}

TEST(InstallerBuffers, InflatingGrowsAsFarAsTheDataNeedsAndNoFurther) {
  // Ratios far above 64:1 are common for real files (blank pictures, padding).
  const Bytes zeros(16 << 20, 0);
  Bytes packed = gbtest::ZlibCompress(zeros);
  ASSERT_GT(zeros.size() / packed.size(), 64u);
  Bytes back;
  ASSERT_TRUE(UncompressBuffer(packed.data(), packed.size(), back));
  EXPECT_EQ(back.size(), zeros.size());

  // A bomb stops at the cap with nothing kept.
  EXPECT_FALSE(UncompressBuffer(packed.data(), packed.size(), back, 1 << 20));
  EXPECT_TRUE(back.empty());
  EXPECT_TRUE(UncompressBuffer(packed.data(), packed.size(), back, zeros.size()));

  Bytes text = gbtest::ZlibCompress(ToBytes("some text to pack"));
  Bytes cut(text.begin(), text.end() - 3);
  Bytes extra = text;
  extra.push_back('!');
  Bytes garbage = ToBytes("this is not a zlib stream");
  for (const Bytes& bad : {cut, extra, garbage, Bytes()}) {
    EXPECT_FALSE(UncompressBuffer(bad.data(), bad.size(), back)) << bad.size();
    EXPECT_TRUE(back.empty());
  }
}

TEST(InstallerBuffers, LineEndsBecomeCrLf) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a\nb", "a\r\nb"},         {"a\r\nb", "a\r\nb"},     {"a\rb", "a\r\nb"},
      {"a\r", "a\r\n"},           {"\n\n", "\r\n\r\n"},     {"\r\r\n\n", "\r\n\r\n\r\n"},
      {"", ""},                   {"plain", "plain"},
  };
  for (const Case& c : cases) {
    Bytes text = ToBytes(c.in);
    ConvertLineEndsToCrLf(text);
    EXPECT_EQ(text, ToBytes(c.out)) << c.in;
  }
}

class InstallerArchive : public testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    folder_ = gbtest::MakeTempFolder("installer_archive/" + std::to_string(++runs));
    unpack_ = gbtest::FreshWorkSubfolder();
    archive_ = folder_ + "Setup.exe";
    ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
  }

  std::string Source(const std::string& name, const std::string& contents) {
    EXPECT_TRUE(gbtest::WriteFile(folder_ + name, contents));
    return folder_ + name;
  }

  template <typename Item>
  Item* Record(const std::string& path) {
    auto* item = new Item();
    item->SetPath(CPathName(path));
    return item;
  }

  // An archive as the single-file installer lays it out: end marker, files,
  // script, picture, ReadMe, licence, settings.
  void WriteInstaller(const std::vector<std::string>& files) {
    CInstallerArchiveWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(archive_)));
    writer.Add(new CInstallerArchiveItem(), true);
    for (const std::string& file : files) writer.Add(Record<CInstallerFileItem>(file), true);
    writer.Add(Record<CInstallerScriptItem>(Source("script.xml", "<installer/>")), true);
    CBitmapImage bitmap;
    Bytes pixels(size_t(300) * 200 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = u8(i * 7);
    ASSERT_TRUE(bitmap.Create(300, 200, 24, pixels.data(), true));
    auto* picture = new CInstallerPictureItem();
    ASSERT_TRUE(picture->SetImage(bitmap));
    writer.Add(picture, true);
    writer.Add(Record<CInstallerReadMeItem>(Source("Notes.txt", "line one\nline two\r")), true);
    writer.Add(Record<CInstallerLicenseItem>(Source("Terms", "")), true);
    writer.Add(Record<CInstallerSettingsItem>(Source("settings.bin", std::string(16, '\1'))), true);
    ASSERT_TRUE(writer.Close());
  }

  const Bytes host_ = ToBytes("SSIN stub");
  std::string folder_;
  std::string unpack_;
  std::string archive_;
};

TEST_F(InstallerArchive, RecordsHoldCompressedBytesFlagAndName) {
  std::string saver = Source("Aquarium.scr", std::string(3000, 's'));
  WriteInstaller({saver});
  Bytes archive = gbtest::ReadFile(archive_);
  std::vector<gbtest::ArchiveRecord> records;
  ASSERT_TRUE(gbtest::WalkArchive(archive, records));
  const uint32_t types[] = {6, 5, 4, 7, 1, 2, 0};
  ASSERT_EQ(records.size(), 7u);
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].type, types[i]) << i;

  // The file record, field by field.
  Bytes fields;
  gbtest::AppendBlob(fields, gbtest::ZlibCompress(ToBytes(std::string(3000, 's'))));
  fields.push_back(1);
  gbtest::AppendString(fields, "Aquarium.scr");
  const gbtest::ArchiveRecord& file = records[5];
  EXPECT_EQ(file.size, fields.size());
  EXPECT_EQ(Bytes(archive.begin() + file.fieldsStart, archive.begin() + file.fieldsStart + file.size), fields);
  // The ReadMe holds its CR LF text compressed under its own name; an
  // empty licence the zlib stream of no bytes.
  fields.clear();
  gbtest::AppendBlob(fields, gbtest::ZlibCompress(ToBytes("line one\r\nline two\r\n")));
  fields.push_back(1);
  gbtest::AppendString(fields, "Notes.txt");
  EXPECT_EQ(Bytes(archive.begin() + records[2].fieldsStart, archive.begin() + records[2].fieldsStart + records[2].size),
            fields);
  fields.clear();
  gbtest::AppendBlob(fields, gbtest::ZlibCompress(Bytes()));
  fields.push_back(1);
  gbtest::AppendString(fields, "Terms");
  EXPECT_EQ(Bytes(archive.begin() + records[1].fieldsStart, archive.begin() + records[1].fieldsStart + records[1].size),
            fields);
  // The picture: 300 x 200 x 24 bits, then depth, height, width.
  const gbtest::ArchiveRecord& picture = records[3];
  EXPECT_EQ(picture.size, 300u * 200 * 3 + 4 + 12);
  const size_t end = picture.fieldsStart + picture.size;
  EXPECT_EQ(gbtest::WordAt(archive, end - 12), 24u);
  EXPECT_EQ(gbtest::WordAt(archive, end - 8), 200u);
  EXPECT_EQ(gbtest::WordAt(archive, end - 4), 300u);
}

TEST_F(InstallerArchive, TheWalksReadWhatTheyAreFor) {
  std::string a = Source("a.bin", "first file");
  std::string b = Source("b.bin", std::string(10000, 'b'));
  std::string c = Source("c.bin", "");
  WriteInstaller({a, b, c});

  CInstallerArchiveReader reader;
  ASSERT_TRUE(reader.Open(CPathName(archive_)));
  ASSERT_TRUE(reader.Load()) << reader.GetError();
  ASSERT_EQ(reader.GetFiles().size(), 3u);
  EXPECT_EQ(reader.GetFiles()[0].item->GetName(), "c.bin");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "a.bin"), "first file");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "b.bin"), std::string(10000, 'b'));
  EXPECT_TRUE(gbtest::FileExists(unpack_ + "c.bin"));
  // The texts unpack under their own names, whatever they were stored as.
  ASSERT_NE(reader.GetReadMe(), nullptr);
  EXPECT_EQ(reader.GetReadMe()->GetName(), "ReadMe.txt");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "ReadMe.txt"), "line one\r\nline two\r\n");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "License.txt"), "");
  EXPECT_EQ(gbtest::ReadTextFile(unpack_ + "icd0.dat"), std::string(16, '\1'));
  CPathName script(nullptr);
  ASSERT_TRUE(reader.GetScriptPath(script));
  EXPECT_EQ(gbtest::ReadTextFile(script.GetString()), "<installer/>");
  ASSERT_NE(reader.GetPicture(), nullptr);
  EXPECT_EQ(reader.GetPicture()->GetImage().GetWidth(), 300u);
  EXPECT_EQ(reader.GetPicture()->GetImage().GetPixels()[5], u8(35));
  reader.DeleteUnpackedFiles();
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "a.bin"));

  // Without the files: the file records are stepped over exactly, down to the end marker.
  ASSERT_TRUE(reader.LoadWithoutFiles());
  EXPECT_TRUE(reader.GetFiles().empty());
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "a.bin"));
  EXPECT_NE(reader.GetPicture(), nullptr);
  EXPECT_TRUE(reader.GetScriptPath(script));
  EXPECT_EQ(reader.GetPosition(), host_.size());

  // The texts alone: from the end down to the picture.
  for (const char* name : {"ReadMe.txt", "License.txt", "icd0.dat", "installer.dat"})
    CPathName(unpack_ + name).Delete();
  ASSERT_TRUE(reader.LoadTexts());
  EXPECT_TRUE(gbtest::FileExists(unpack_ + "ReadMe.txt"));
  EXPECT_TRUE(gbtest::FileExists(unpack_ + "icd0.dat"));
  EXPECT_FALSE(gbtest::FileExists(unpack_ + "installer.dat"));
  EXPECT_EQ(reader.GetPicture(), nullptr);
}

TEST_F(InstallerArchive, TheWriterFailsOnWhatItCannotStore) {
  std::string gone = folder_ + "gone.bin";
  std::string named = Source("installer.dat", "a file that would land on the script");
  struct Case {
    const char* what;
    std::vector<CInstallerArchiveItem*> items;
    OSErr error;
  } cases[] = {
      {"a file that cannot be read", {Record<CInstallerFileItem>(gone)}, fnfErr},
      {"a ReadMe that cannot be read", {Record<CInstallerReadMeItem>(gone)}, fnfErr},
      {"a file named like the script",
       {Record<CInstallerFileItem>(named), Record<CInstallerScriptItem>(Source("s", "x"))}, dupFNErr},
  };
  for (Case& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(archive_, host_));
    CInstallerArchiveWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(archive_)));
    writer.Add(new CInstallerArchiveItem(), true);
    for (CInstallerArchiveItem* item : c.items) writer.Add(item, true);
    EXPECT_FALSE(writer.Close()) << c.what;
    EXPECT_EQ(writer.GetFailure().error, c.error) << c.what;
    EXPECT_NE(gbtest::ReadFile(archive_).back(), 'x') << c.what;
  }
}

TEST_F(InstallerArchive, DamagedRecordsFailCleanly) {
  auto archive = [this](uint32_t type, const Bytes& fields) {
    Bytes out = host_;
    gbtest::AppendRecord(out, 0, {});
    Bytes good;
    gbtest::AppendBlob(good, gbtest::ZlibCompress(ToBytes("good")));
    good.push_back(1);
    gbtest::AppendString(good, "good.bin");
    gbtest::AppendRecord(out, 2, good);
    gbtest::AppendRecord(out, type, fields);
    gbtest::AppendTrailer(out);
    return out;
  };
  auto file = [](const Bytes& blob, uint8_t flag, const std::string& name) {
    Bytes fields;
    gbtest::AppendBlob(fields, blob);
    fields.push_back(flag);
    gbtest::AppendString(fields, name);
    return fields;
  };
  auto picture = [](size_t pixels, uint32_t depth, uint32_t height, uint32_t width) {
    Bytes fields;
    gbtest::AppendBlob(fields, Bytes(pixels, 0));
    gbtest::AppendWord(fields, depth);
    gbtest::AppendWord(fields, height);
    gbtest::AppendWord(fields, width);
    return fields;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"data that does not inflate", archive(2, file(ToBytes("not zlib"), 1, "x.bin"))},
      {"a name that climbs out", archive(2, file(ToBytes("raw"), 0, "../x.bin"))},
      {"a ReadMe with an absolute name", archive(4, file(ToBytes("raw"), 0, "/etc/x"))},
      {"a picture with fewer pixels than it claims", archive(7, picture(100, 24, 200, 300))},
      {"a picture of an impossible depth", archive(7, picture(6, 12, 1, 4))},
      {"a picture of a huge size", archive(7, picture(3, 24, 0x7FFFFFFF, 0x7FFFFFFF))},
  };
  const std::string bad = folder_ + "bad.exe";
  for (Case& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(bad, c.bytes));
    CInstallerArchiveReader reader;
    ASSERT_TRUE(reader.Open(CPathName(bad)));
    EXPECT_FALSE(reader.Load()) << c.what;
    EXPECT_EQ(reader.GetError(), u32(kArchiveDamaged)) << c.what;
    EXPECT_TRUE(gbtest::TreeContents(unpack_).empty()) << c.what;
  }
  EXPECT_FALSE(gbtest::FileExists(folder_ + "x.bin"));
}

}  // namespace
