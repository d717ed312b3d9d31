#include "builders/installer_builder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/install_items.h"
#include "builders/installer_archive.h"
#include "foundation/png_image.h"
#include "platform/forks.h"
#include "platform/text_encoding.h"
#include "tests/builders/archive_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::ToBytes;

typedef std::vector<std::pair<std::string, Bytes>> Tree;

std::string WorkFolder() { return plat::ToHostPath(CPathName::GetWorkFolder().GetAbsolutePath(0)); }

Bytes FieldsOf(const Bytes& archive, const gbtest::ArchiveRecord& record) {
  return Bytes(archive.begin() + ptrdiff_t(record.fieldsStart),
               archive.begin() + ptrdiff_t(record.fieldsStart + record.size));
}

std::vector<u32> TypesOf(const std::vector<gbtest::ArchiveRecord>& records) {
  std::vector<u32> types;
  for (const auto& record : records) types.insert(types.begin(), record.type);
  return types;
}

// A picture of four coloured quadrants: red, green above; blue, white below.
bool WriteQuadrants(const std::string& path, u32 width, u32 height) {
  Bytes pixels(size_t(width) * height * 3);
  for (u32 y = 0; y < height; ++y)
    for (u32 x = 0; x < width; ++x) {
      u8* p = &pixels[(size_t(y) * width + x) * 3];
      const bool right = x >= width / 2, low = y >= height / 2;
      p[0] = u8(!low && !right ? 255 : low && right ? 255 : 0);
      p[1] = u8(!low && right ? 255 : low && right ? 255 : 0);
      p[2] = u8(low ? 255 : 0);
    }
  return SaveRgbAsPngFile(width, height, 24, pixels.data(), CPathName(path), nullptr, 0);
}

// The colour of pixel (x, y) of 24-bit rows.
std::vector<int> ColourAt(const u8* pixels, u32 width, u32 x, u32 y) {
  const u8* p = pixels + (size_t(y) * width + x) * 3;
  return {p[0], p[1], p[2]};
}

// The four quadrants of a 300 x 200 picture hold the four colours, so the
// whole picture was scaled into the box (a crop would lose the lower or
// right ones).
void ExpectQuadrants(const u8* pixels, u32 width, u32 height) {
  ASSERT_EQ(width, 300u);
  ASSERT_EQ(height, 200u);
  EXPECT_EQ(ColourAt(pixels, width, 10, 10), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(ColourAt(pixels, width, 290, 10), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(ColourAt(pixels, width, 10, 190), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(ColourAt(pixels, width, 290, 190), (std::vector<int>{255, 255, 255}));
}

// Installer templates on disk, a saver to install and an output folder.
class InstallerBuild : public testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    base_ = gbtest::MakeTempFolder("installer_build/" + std::to_string(++runs));
    const std::string mac = gbtest::MakeTempFolder("installer_build/" + std::to_string(runs) + "/ssin/u");
    const std::string win = gbtest::MakeTempFolder("installer_build/" + std::to_string(runs) + "/ssin/w");
    gbtest::MakeTempFolder("installer_build/" + std::to_string(runs) + "/ssin/u/English.lproj");
    gbtest::MakeTempFolder("installer_build/" + std::to_string(runs) + "/ssin/u/German.lproj");
    ASSERT_TRUE(gbtest::WriteFile(mac + "Installer", "installer program"));
    ASSERT_TRUE(gbtest::WriteFile(mac + "installer.icns", "icon"));
    ASSERT_TRUE(gbtest::WriteFile(mac + "splash.png", "default splash"));
    ASSERT_TRUE(gbtest::WriteFile(mac + "notes.txt", "not a localisation"));
    ASSERT_TRUE(gbtest::WriteFile(mac + "English.lproj/InfoPlist.strings", "english"));
    ASSERT_TRUE(gbtest::WriteFile(mac + "German.lproj/InfoPlist.strings", "deutsch"));
    ASSERT_TRUE(gbtest::WriteFile(win + "ssin.dat", stub_));
    template_.macFolder = CPathName(mac);
    template_.windowsFolder = CPathName(win);
    output_ = gbtest::MakeTempFolder("installer_build/" + std::to_string(runs) + "/out");
    saver_ = base_ + "Aquarium.scr";
    ASSERT_TRUE(gbtest::WriteFile(saver_, std::string(5000, 's')));
    // The application's work subfolder, as the application makes it at start.
    unpack_ = gbtest::FreshWorkSubfolder();
    workBefore_ = gbtest::TreeContents(WorkFolder());
  }

  // Nothing of a build is left in the work folder, whatever its outcome.
  void TearDown() override { EXPECT_EQ(gbtest::TreeContents(WorkFolder()), workBefore_); }

  std::string Source(const std::string& name, const std::string& contents) {
    EXPECT_TRUE(gbtest::WriteFile(base_ + name, contents));
    return base_ + name;
  }

  const Bytes stub_ = ToBytes("MZ installer stub");
  std::string base_;
  std::string output_;
  std::string saver_;
  std::string unpack_;
  CInstallerTemplate template_;
  Tree workBefore_;
};

TEST_F(InstallerBuild, ASingleFileInstallerWithNothingInItHoldsScriptAndSettings) {
  CInstallerBuilder builder;
  const std::string setup = output_ + "Setup.exe";
  ASSERT_TRUE(builder.Build(CPathName(setup), &template_, CInstallerBuilder::kSingleFileForm));
  const Bytes file = gbtest::ReadFile(setup);
  ASSERT_GT(file.size(), stub_.size());
  EXPECT_EQ(Bytes(file.begin(), file.begin() + stub_.size()), stub_);
  std::vector<gbtest::ArchiveRecord> records;
  ASSERT_TRUE(gbtest::WalkArchive(file, records));
  EXPECT_EQ(TypesOf(records), (std::vector<u32>{0, 1, 6}));
  // The end marker follows the stub's bytes directly.
  EXPECT_EQ(records.back().fieldsStart, stub_.size());
  Bytes script;
  gbtest::AppendBlob(script,
                     ToBytes("<xml version=\"1.0\">\n<installer steps=\"0\" min_os_version=\"0\" silent=\"0\" "
                             "run_end_script=\"0\" >\n</installer>\n\n</xml>\n"));
  EXPECT_EQ(FieldsOf(file, records[1]), script);
  // The settings file was written after the standard steps were set.
  Bytes settings;
  gbtest::AppendBlob(settings, Bytes{0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(FieldsOf(file, records[0]), settings);
  EXPECT_EQ(builder.GetSettings().steps, 0x60u);
}

TEST_F(InstallerBuild, ASingleFileInstallerCarriesFilesPictureAndTextsInOrder) {
  WriteQuadrants(base_ + "picture.png", 600, 600);
  const std::string readMe = Source("Read me first.txt", "one\ntwo\r\n");
  const std::string licence = Source("terms.txt", "you may\r");
  struct Case {
    const char* what;
    u32 steps;
    bool textsExist;
    std::vector<u32> types;
  } cases[] = {
      {"ReadMe and licence", 0x06, true, {0, 2, 1, 7, 4, 5, 6}},
      {"texts asked for but missing", 0x06, false, {0, 2, 1, 7, 6}},
      {"texts there but not asked for", 0x00, true, {0, 2, 1, 7, 6}},
  };
  for (const Case& c : cases) {
    CInstallerBuilder builder;
    builder.GetSettings().steps = c.steps;
    builder.GetSettings().run_end_script = 1;
    builder.GetSettings().picturePath = CPathName(base_ + "picture.png");
    builder.GetSettings().readMePath = CPathName(c.textsExist ? readMe : base_ + "none.txt");
    builder.GetSettings().licensePath = CPathName(c.textsExist ? licence : base_ + "none2.txt");
    CInstallItem* item = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
    AddInstallTree(builder, CPathName(saver_), item);
    const std::string setup = output_ + "Setup.exe";
    ASSERT_TRUE(builder.Build(CPathName(setup), &template_, CInstallerBuilder::kSingleFileForm)) << c.what;

    const Bytes file = gbtest::ReadFile(setup);
    std::vector<gbtest::ArchiveRecord> records;
    ASSERT_TRUE(gbtest::WalkArchive(file, records)) << c.what;
    EXPECT_EQ(TypesOf(records), c.types) << c.what;
    // The settings: steps with the standard ones, then the other words.
    const Bytes settings = FieldsOf(file, records[0]);
    ASSERT_EQ(settings.size(), 20u);
    EXPECT_EQ(gbtest::WordAt(settings, 0), c.steps | 0x60) << c.what;
    EXPECT_EQ(gbtest::WordAt(settings, 12), 1u) << c.what;

    // Read back: the saver, the texts with CR LF line ends and the picture.
    const std::string& unpack = unpack_;
    CInstallerArchiveReader reader;
    ASSERT_TRUE(reader.Open(CPathName(setup)));
    ASSERT_TRUE(reader.Load()) << reader.GetError();
    ASSERT_EQ(reader.GetFiles().size(), 1u);
    EXPECT_EQ(gbtest::ReadFile(unpack + "Aquarium.scr"), gbtest::ReadFile(saver_));
    CPathName script(nullptr);
    ASSERT_TRUE(reader.GetScriptPath(script));
    // The script went in before the standard steps were added.
    EXPECT_EQ(gbtest::ReadTextFile(script.GetString()),
              "<xml version=\"1.0\">\n<installer steps=\"" + std::to_string(c.steps) +
                  "\" min_os_version=\"0\" silent=\"0\" run_end_script=\"1\" >\n"
                  "<install_item location=\"screensaver\" domain=\"current_user\" replace=\"always\">\n"
                  "<install_file name=\"Aquarium.scr\" file_type=\"0\" creator_type=\"0\" fdflags=\"0\" "
                  "dname=\"data1.dat\" cmp=\"true\" />\n</install_item>\n</installer>\n\n</xml>\n")
        << c.what;
    if (c.textsExist && c.steps) {
      EXPECT_EQ(gbtest::ReadTextFile(unpack + "ReadMe.txt"), "one\r\ntwo\r\n");
      EXPECT_EQ(gbtest::ReadTextFile(unpack + "License.txt"), "you may\r\n");
    }
    ASSERT_NE(reader.GetPicture(), nullptr);
    const CBitmapImage& picture = reader.GetPicture()->GetImage();
    EXPECT_EQ(picture.GetBitsPerPixel(), 24);
    ExpectQuadrants(picture.GetPixels(), picture.GetWidth(), picture.GetHeight());
    reader.Close();
    ASSERT_EQ(plat::DeleteFolderContents(unpack), noErr);
  }
}

TEST_F(InstallerBuild, TheSplashIsThePictureScaledIntoItsBox) {
  struct Case {
    u32 width, height;
  } cases[] = {{600, 600}, {150, 100}, {31, 977}};
  for (const Case& c : cases) {
    WriteQuadrants(base_ + "picture.png", c.width, c.height);
    CInstallerBuilder builder;
    builder.GetSettings().picturePath = CPathName(base_ + "picture.png");
    ASSERT_TRUE(builder.WriteSplash(CPathName(output_)));
    CPngImage splash;
    ASSERT_TRUE(splash.LoadFile(CPathName(output_ + "splash.png")));
    EXPECT_EQ(splash.GetBitsPerPixel(), 24);
    ExpectQuadrants(splash.GetPixels(), splash.GetWidth(), splash.GetHeight());
  }
  // No picture, or one that does not open: nothing is written.
  ASSERT_EQ(unlink((output_ + "splash.png").c_str()), 0);
  CInstallerBuilder builder;
  EXPECT_FALSE(builder.WriteSplash(CPathName(output_)));
  builder.GetSettings().picturePath = CPathName(Source("bad.png", "\x89PNG not really"));
  EXPECT_FALSE(builder.WriteSplash(CPathName(output_)));
  EXPECT_FALSE(gbtest::FileExists(output_ + "splash.png"));
}

TEST_F(InstallerBuild, TheSettingsFileIsFourLittleEndianWords) {
  CInstallerBuilder builder;
  CInstallerSettings values;
  values.steps = 0x66;
  values.run_end_script = 1;
  ASSERT_TRUE(builder.WriteSettingsFile(values, CPathName(output_ + "icd0.dat")));
  EXPECT_EQ(gbtest::ReadFile(output_ + "icd0.dat"),
            (Bytes{0x66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  values.steps = 0;
  values.min_os_version = -2;
  values.silent = 1;
  values.run_end_script = 0x01020304;
  ASSERT_TRUE(builder.WriteSettingsFile(values, CPathName(output_ + "icd0.dat")));
  EXPECT_EQ(gbtest::ReadFile(output_ + "icd0.dat"),
            (Bytes{0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 4, 3, 2, 1}));
  EXPECT_FALSE(builder.WriteSettingsFile(values, CPathName(output_ + "missing/icd0.dat")));
}

// The steps of the bundle form, recorded, with one of them made to fail.
class RecordingBuilder : public CInstallerBuilder {
 public:
  bool PutExecutable(const CPathName& macos, int arch) override {
    return Step("executable", arch) && gbtest::WriteFile(macos.GetString() + "Installer", "program");
  }
  bool FillResources(const CPathName& resources, int arch) override {
    return Step("resources", arch) && CInstallerBuilder::FillResources(resources, arch) &&
           WriteInstallFiles(resources);
  }
  bool WriteInfoPlist(const CPathName& contents) override {
    return Step("plist", 0) && gbtest::WriteFile(contents.GetString() + "Info.plist", "plist");
  }
  bool WritePkgInfo(const CPathName& contents) override {
    return Step("pkginfo", 0) && gbtest::WriteFile(contents.GetString() + "PkgInfo", "APPL????");
  }

  std::vector<std::string> steps;
  std::string failing;

 private:
  bool Step(const std::string& name, int arch) {
    steps.push_back(arch ? name + " " + std::to_string(arch) : name);
    return name != failing;
  }
};

TEST_F(InstallerBuild, ABundleIsAssembledAsideAndReplacesTheOldOneWhenComplete) {
  const std::string app = output_ + "Aquarium Installer.app";
  ASSERT_EQ(mkdir(app.c_str(), 0755), 0);
  ASSERT_TRUE(gbtest::WriteFile(app + "/old.txt", "older installer"));

  RecordingBuilder builder;
  CInstallItem* item = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
  AddInstallTree(builder, CPathName(saver_), item);
  ASSERT_TRUE(builder.Build(CPathName(app), &template_, CInstallerBuilder::kBundleForm));
  EXPECT_EQ(builder.steps, (std::vector<std::string>{"plist", "pkginfo", "executable 2", "resources 2"}));
  Tree expected = {
      {"Contents/", {}},
      {"Contents/Info.plist", ToBytes("plist")},
      {"Contents/MacOS/", {}},
      {"Contents/MacOS/Installer", ToBytes("program")},
      {"Contents/PkgInfo", ToBytes("APPL????")},
      {"Contents/Resources/", {}},
      {"Contents/Resources/English.lproj/", {}},
      {"Contents/Resources/English.lproj/InfoPlist.strings", ToBytes("english")},
      {"Contents/Resources/German.lproj/", {}},
      {"Contents/Resources/German.lproj/InfoPlist.strings", ToBytes("deutsch")},
      {"Contents/Resources/data1.dat", gbtest::ZlibCompress(ToBytes(std::string(5000, 's')))},
      {"Contents/Resources/installer.dat", gbtest::ReadFile(app + "/Contents/Resources/installer.dat")},
      {"Contents/Resources/installer.icns", ToBytes("icon")},
  };
  EXPECT_EQ(gbtest::TreeContents(app + "/"), expected);

  // A step that fails leaves the installer there as it was.
  const Tree built = gbtest::TreeContents(app + "/");
  struct Case {
    const char* step;
    size_t stepsRun;
  } cases[] = {{"plist", 1}, {"pkginfo", 2}, {"executable", 3}, {"resources", 4}};
  for (const Case& c : cases) {
    RecordingBuilder failing;
    failing.failing = c.step;
    EXPECT_FALSE(failing.Build(CPathName(app), &template_, CInstallerBuilder::kBundleForm)) << c.step;
    EXPECT_EQ(failing.steps.size(), c.stepsRun) << c.step;
    EXPECT_EQ(gbtest::TreeContents(app + "/"), built) << c.step;
  }
  // So does a saver that cannot be read any more.
  ASSERT_EQ(unlink(saver_.c_str()), 0);
  EXPECT_FALSE(builder.Build(CPathName(app), &template_, CInstallerBuilder::kBundleForm));
  EXPECT_EQ(builder.GetFailedPath().GetString(), saver_);
  EXPECT_EQ(gbtest::TreeContents(app + "/"), built);
}

TEST_F(InstallerBuild, APictureGivenAsABitmapIsRecordedUntilCleared) {
  Bytes pixels(size_t(4) * 2 * 3, 0x7F);
  CBitmapImage bitmap;
  ASSERT_TRUE(bitmap.Create(4, 2, 24, pixels.data(), true));
  CInstallerBuilder builder;
  const std::string archive = output_ + "pictures.bin";
  CInstallerArchiveWriter writer;
  ASSERT_TRUE(writer.Open(CPathName(archive)));
  writer.Add(new CInstallerArchiveItem(), true);
  EXPECT_FALSE(builder.AddPictureBitmapRecord(writer));
  builder.SetPictureBitmap(bitmap, true);
  EXPECT_TRUE(builder.AddPictureBitmapRecord(writer));
  builder.Clear();
  EXPECT_FALSE(builder.AddPictureBitmapRecord(writer));
  ASSERT_TRUE(writer.Close());
  std::vector<gbtest::ArchiveRecord> records;
  const Bytes file = gbtest::ReadFile(archive);
  ASSERT_TRUE(gbtest::WalkArchive(file, records));
  EXPECT_EQ(TypesOf(records), (std::vector<u32>{0, 7}));
  EXPECT_EQ(records[0].size, 4u * 2 * 3 + 4 + 12);
}

TEST_F(InstallerBuild, ABuildThatCannotBeMadeLeavesTheDestinationAlone) {
  const std::string setup = output_ + "Setup.exe";
  ASSERT_TRUE(gbtest::WriteFile(setup, "the installer of yesterday"));
  const std::string twin = gbtest::MakeTempFolder("installer_build/twin") + "Aquarium.scr";
  ASSERT_TRUE(gbtest::WriteFile(twin, "another saver of the same name"));
  struct Case {
    const char* what;
    int kind;
    bool noStub;
    std::vector<std::string> files;
    std::string failed;
  } cases[] = {
      {"a form that does not exist", 1, false, {}, ""},
      {"another form that does not exist", 4, false, {}, ""},
      {"no installer stub", CInstallerBuilder::kSingleFileForm, true, {}, "ssin.dat"},
      {"a file that is gone", CInstallerBuilder::kSingleFileForm, false, {base_ + "gone.scr"}, "gone.scr"},
      {"two files of one name", CInstallerBuilder::kSingleFileForm, false, {saver_, twin}, "Aquarium.scr"},
  };
  for (const Case& c : cases) {
    if (c.noStub) {
      ASSERT_EQ(rename((base_ + "ssin/w/ssin.dat").c_str(), (base_ + "stub").c_str()), 0);
    }
    CInstallerBuilder builder;
    CInstallItem* item = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
    for (const std::string& file : c.files) {
      ASSERT_TRUE(gbtest::WriteFile(file, "x"));
      AddInstallTree(builder, CPathName(file), item);
      if (file == base_ + "gone.scr") {
        ASSERT_EQ(unlink(file.c_str()), 0);
      }
    }
    EXPECT_FALSE(builder.Build(CPathName(setup), &template_, c.kind)) << c.what;
    EXPECT_EQ(gbtest::ReadTextFile(setup), "the installer of yesterday") << c.what;
    EXPECT_EQ(builder.GetFailedPath().GetName(false), c.failed) << c.what;
    if (c.noStub) {
      ASSERT_EQ(rename((base_ + "stub").c_str(), (base_ + "ssin/w/ssin.dat").c_str()), 0);
    }
  }
  EXPECT_EQ(gbtest::TreeContents(output_), (Tree{{"Setup.exe", ToBytes("the installer of yesterday")}}));

  // No template, or a destination whose folder is missing.
  CInstallerBuilder builder;
  EXPECT_FALSE(builder.Build(CPathName(setup), nullptr, CInstallerBuilder::kSingleFileForm));
  EXPECT_FALSE(builder.Build(CPathName(output_ + "missing/Setup.exe"), &template_, CInstallerBuilder::kSingleFileForm));
  EXPECT_FALSE(builder.Build(CPathName(output_ + "missing/Setup.app"), &template_, CInstallerBuilder::kBundleForm));
  EXPECT_FALSE(gbtest::FileExists(output_ + "missing"));
}

// An installer holds every item of the folders it installs: an item whose
// name has no Mac Roman form (which no path can name) is not left out of
// either form, the build is refused naming it, and nothing is made.
TEST_F(InstallerBuild, AFolderHoldingANameWithoutAMacRomanFormIsRefused) {
  const std::string saver = gbtest::MakeTempFolder("installer_build/unnamed/Aquarium.saver/Contents/Resources");
  ASSERT_TRUE(gbtest::WriteFile(saver + "fish.swf", "movie"));
  for (const std::string name : {"\xE6\x97\xA5.txt", "e\xCC\x81.txt", "\xFF.txt"}) {
    ASSERT_TRUE(gbtest::WriteFile(saver + name, "left out"));
    for (int kind : {CInstallerBuilder::kBundleForm, CInstallerBuilder::kSingleFileForm}) {
      CInstallerBuilder builder;
      CInstallItem* item = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
      AddInstallTree(builder, CPathName(saver.substr(0, saver.size() - std::string("Contents/Resources/").size())),
                     item);
      const std::string destination = output_ + (kind == CInstallerBuilder::kBundleForm ? "Setup.app" : "Setup.exe");
      EXPECT_FALSE(builder.Build(CPathName(destination), &template_, kind)) << name;
      EXPECT_EQ(builder.GetFailure(), bdNamErr) << name;
      EXPECT_EQ(builder.GetFailedPath().GetString(), plat::Utf8ToMacRomanLossy(saver + name)) << name;
      EXPECT_TRUE(gbtest::TreeContents(output_).empty()) << name;
    }
    ASSERT_EQ(unlink((saver + name).c_str()), 0);
  }
}

}  // namespace
