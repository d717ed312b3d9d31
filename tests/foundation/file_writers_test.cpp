// Every writer that creates a file refuses to put it in place of a folder of
// the same name: the folder stays as it was, empty or not, and the writer
// reports failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "foundation/base64.h"
#include "foundation/data_writer.h"
#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "foundation/file_stream.h"
#include "foundation/jpeg_image.h"
#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "foundation/preferences.h"
#include "foundation/text_file_stream.h"
#include "foundation/wav_file.h"
#include "foundation/xml_writer.h"
#include "platform/file_ops.h"
#include "platform/gworld.h"
#include "platform/property_list.h"
#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

u8 kPixels[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

bool WriteXml(const CPathName& path) {
  CXmlWriter writer;
  if (!writer.Open(path, CXmlWriteOptions(), true)) return false;
  writer.WriteText("<a />");
  return writer.Close();
}

bool WriteText(const CPathName& path) {
  CTextFileStream stream;
  return stream.Open(path, nullptr, true);
}

bool WriteStream(const CPathName& path) {
  CFileStream stream;
  return stream.Open(path, std::ios::out | std::ios::trunc);
}

bool SaveData(const CPathName& path) {
  CDataWriter writer;
  writer.WriteUInt32(7);
  return writer.SaveToFile(path);
}

bool SavePngImage(const CPathName& path) {
  CPngImage image;
  return image.Create(2, 2, 24, kPixels, true) && image.SaveFile(path);
}

bool SaveWorldPng(const CPathName& path) {
  GWorldPtr world = nullptr;
  Rect bounds = MakeRect(0, 0, 2, 2);
  if (NewGWorld(&world, 32, &bounds) != noErr) return false;
  const bool saved = SaveGWorldAsPng(world, path);
  DisposeGWorld(world);
  return saved;
}

bool SaveWave(const CPathName& path) {
  const u8 samples[4] = {0, 1, 2, 3};
  CWaveFormat format;
  format.channels = 1;
  format.sampleRate = 8000;
  format.bitsPerSample = 8;
  format.sampleData = samples;
  format.dataSize = sizeof samples;
  CWaveWriter writer;
  return writer.Save(path, format, true);
}

bool EncodeBase64(const CPathName& path) {
  const std::string source = gbtest::MakeTempFolder("writer-sources") + "plain";
  return gbtest::WriteFile(source, "plain") && EncodeBase64File(CPathName(source), path, 76);
}

bool WritePropertyList(const CPathName& path) {
  // The names here are plain ASCII: the POSIX form is the host path.
  int error = 0;
  return plat::WritePropertyListFile(path.GetAbsolutePath(0), plat::PlistValue(), &error);
}

TEST(FileWriters, NoWriterReplacesAFolder) {
  struct Case {
    const char* name;
    std::function<bool(const CPathName&)> write;
  };
  const std::vector<Case> cases = {
      {"xml writer", WriteXml},
      {"text file stream", WriteText},
      {"file stream", WriteStream},
      {"data writer", SaveData},
      {"whole file", [](const CPathName& p) { return WriteWholeFile(p, "x", 1, true); }},
      {"typed file", [](const CPathName& p) { return CreateFileWithTypeCreator(p, nullptr, true); }},
      {"path create", [](const CPathName& p) { return CPathName(p).CreateFile(nullptr, true); }},
      {"resource file", [](const CPathName& p) { return CPathName(p).CreateResourceFile(nullptr, true); }},
      {"png rows", [](const CPathName& p) { return SaveRgbAsPngFile(2, 2, 24, kPixels, p, nullptr, 0); }},
      {"png image", SavePngImage},
      {"png world", SaveWorldPng},
      {"jpeg rows", [](const CPathName& p) { return CJpegImage::SaveRgbAsJpegFile(2, 2, 24, kPixels, p); }},
      {"wave", SaveWave},
      {"base64", EncodeBase64},
      {"property list", WritePropertyList},
  };
  const std::string root = gbtest::MakeTempFolder("writers");
  for (const Case& c : cases) {
    const std::string empty = gbtest::MakeTempFolder(std::string("writers/") + c.name + " empty");
    const std::string full = gbtest::MakeTempFolder(std::string("writers/") + c.name + " full");
    ASSERT_TRUE(gbtest::WriteFile(full + "keep", "kept"));
    for (const std::string& folder : {empty, full}) {
      // The folder named as a file and as a folder.
      for (const std::string& path : {folder.substr(0, folder.size() - 1), folder}) {
        EXPECT_FALSE(c.write(CPathName(path))) << c.name << ": " << path;
      }
    }
    EXPECT_TRUE(plat::IsEmptyFolder(empty.substr(0, empty.size() - 1))) << c.name;
    EXPECT_EQ(gbtest::ReadTextFile(full + "keep"), "kept") << c.name;

    // The same writer makes a plain file where nothing stood.
    const std::string made = root + c.name + ".out";
    EXPECT_TRUE(c.write(CPathName(made))) << c.name;
    EXPECT_TRUE(gbtest::FileExists(made)) << c.name;
  }
}

TEST(FileWriters, ThePreferencesStoreKeepsAFolderInItsPlace) {
  const std::string store = plat::PreferencesRoot() + "org.example.folder.plist";
  ASSERT_TRUE(std::filesystem::create_directories(store)) << store;
  CPreferences preferences;
  if (preferences.Open("org.example.folder", CPreferences::kScopeCurrentUserAnyHost)) {
    EXPECT_TRUE(preferences.SetInt("count", 3));
    EXPECT_FALSE(preferences.Close());
  }
  EXPECT_TRUE(plat::IsEmptyFolder(store));
}

}  // namespace
