#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/install_items.h"
#include "builders/installer_builder.h"
#include "tests/builders/archive_test_support.h"
#include "tests/support/test_support.h"

namespace {

using gbtest::Bytes;
using gbtest::ToBytes;

const u32 kText = FourCC("TEXT");
const u32 kBlank = FourCC("    ");
const u32 kPref = FourCC("pref");
const u32 kGlim = FourCC("Glim");

// A small saver tree on disk:
//   Aquarium.saver/            (has-bundle flag)
//     Contents/Info.plist      data fork only
//     Fish & Chips <1>.txt     both forks
//     empty                    neither fork
//     res only                 resource fork only
class SaverTree : public testing::Test {
 protected:
  void SetUp() override {
    static int runs = 0;
    base_ = gbtest::MakeTempFolder("install_script/" + std::to_string(++runs));
    saver_ = gbtest::MakeTempFolder("install_script/" + std::to_string(runs) + "/Aquarium.saver");
    gbtest::MakeTempFolder("install_script/" + std::to_string(runs) + "/Aquarium.saver/Contents");
    output_ = gbtest::MakeTempFolder("install_script/" + std::to_string(runs) + "/Resources");
    ASSERT_TRUE(gbtest::SetFolderFlags(saver_, 0x2000));
    Make("Contents/Info.plist", "<plist/>", kText, kBlank, 0);
    Make("Fish & Chips <1>.txt", "fish", kPref, kGlim, 0x0400);
    ASSERT_TRUE(gbtest::WriteResourceFork(saver_ + "Fish & Chips <1>.txt", ToBytes("fish resources")));
    Make("empty", "", kText, kGlim, 0);
    Make("res only", "", kPref, kGlim, 0);
    ASSERT_TRUE(gbtest::WriteResourceFork(saver_ + "res only", ToBytes(std::string(4000, 'r'))));
  }

  void Make(const std::string& name, const std::string& contents, u32 type, u32 creator, u16 flags) {
    ASSERT_TRUE(gbtest::WriteFile(saver_ + name, contents));
    ASSERT_TRUE(gbtest::SetFileInfo(saver_ + name, type, creator, flags));
  }

  // The builder of a saver installer: one install item for the user's screen savers.
  void Fill(CInstallerBuilder& builder) {
    builder.GetSettings().steps = 0x66;
    builder.GetSettings().min_os_version = -2;
    builder.GetSettings().run_end_script = 1;
    CInstallItem* item = AddInstallItem(builder, CInstallItem::kScreenSaver, CInstallItem::kCurrentUser);
    AddInstallTree(builder, CPathName(saver_), item);
  }

  std::string base_;
  std::string saver_;
  std::string output_;
};

const char kExpectedScript[] =
    "<xml version=\"1.0\">\n"
    "<installer steps=\"102\" min_os_version=\"-2\" silent=\"0\" run_end_script=\"1\" >\n"
    "<install_item location=\"screensaver\" domain=\"current_user\" replace=\"always\">\n"
    "<install_folder name=\"Aquarium.saver\" fdflags=\"8192\" >\n"
    "<install_folder name=\"Contents\" fdflags=\"0\" >\n"
    "<install_file name=\"Info.plist\" file_type=\"1413830740\" creator_type=\"538976288\" fdflags=\"0\" "
    "dname=\"data1.dat\" cmp=\"true\" />\n"
    "</install_folder>\n"
    "<install_file name=\"Fish &amp; Chips &lt;1&gt;.txt\" file_type=\"1886545254\" creator_type=\"1198287213\" "
    "fdflags=\"1024\" dname=\"data2.dat\" rname=\"data3.dat\" cmp=\"true\" />\n"
    "<install_file name=\"empty\" file_type=\"1413830740\" creator_type=\"1198287213\" fdflags=\"0\" cmp=\"true\" />\n"
    "<install_file name=\"res only\" file_type=\"1886545254\" creator_type=\"1198287213\" fdflags=\"0\" "
    "rname=\"data4.dat\" cmp=\"true\" />\n"
    "</install_folder>\n"
    "</install_item>\n"
    "</installer>\n"
    "\n</xml>\n";

TEST_F(SaverTree, TheScriptNamesEveryForksDataFileInTreeOrder) {
  CInstallerBuilder builder;
  Fill(builder);
  EXPECT_EQ(builder.CountItems(), 6);
  ASSERT_NE(builder.FindFileByName("Info.plist"), nullptr);
  EXPECT_EQ(builder.FindFileByName("Info.plist")->GetDataForkFileName(), "data1.dat");
  ASSERT_NE(builder.FindFolderByName("Contents"), nullptr);
  EXPECT_EQ(builder.FindFileByName("Contents"), nullptr);
  EXPECT_EQ(builder.FindFolderByName("missing"), nullptr);

  ASSERT_TRUE(builder.WriteInstallFiles(CPathName(output_)));
  EXPECT_EQ(gbtest::ReadTextFile(output_ + "installer.dat"), kExpectedScript);
  // Each data file is zlib's compress() of its fork; empty forks have none.
  EXPECT_EQ(gbtest::ReadFile(output_ + "data1.dat"), gbtest::ZlibCompress(ToBytes("<plist/>")));
  EXPECT_EQ(gbtest::ReadFile(output_ + "data2.dat"), gbtest::ZlibCompress(ToBytes("fish")));
  EXPECT_EQ(gbtest::ReadFile(output_ + "data3.dat"), gbtest::ZlibCompress(ToBytes("fish resources")));
  EXPECT_EQ(gbtest::ReadFile(output_ + "data4.dat"), gbtest::ZlibCompress(ToBytes(std::string(4000, 'r'))));
  EXPECT_FALSE(gbtest::FileExists(output_ + "data5.dat"));

  // Cleared, the builder names data files from data1.dat again.
  builder.Clear();
  EXPECT_EQ(builder.CountItems(), 0);
  CInstallItem* wrapper = AddInstallFile(builder, CPathName(saver_ + "Fish & Chips <1>.txt"), nullptr);
  ASSERT_EQ(wrapper->GetChildren().size(), 1u);
  auto* file = static_cast<CInstallFile*>(wrapper->GetChildren()[0].get());
  EXPECT_EQ(file->GetDataForkFileName(), "data1.dat");
  EXPECT_EQ(file->GetResourceForkFileName(), "data2.dat");
  // A file added without a parent sits in an install item with the defaults.
  ASSERT_TRUE(builder.WriteScript(CPathName(output_ + "single.dat")));
  std::string single = gbtest::ReadTextFile(output_ + "single.dat");
  EXPECT_NE(single.find("<install_item location=\"application\" domain=\"current_user\" replace=\"always\">\n"
                        "<install_file name=\"Fish &amp; Chips"),
            std::string::npos)
      << single;
}

TEST_F(SaverTree, AScriptReadBackWritesTheSameScript) {
  CInstallerBuilder builder;
  Fill(builder);
  ASSERT_TRUE(builder.WriteInstallFiles(CPathName(output_)));

  CInstallerBuilder reader;
  ASSERT_TRUE(reader.LoadScriptFile(CPathName(output_ + "installer.dat")));
  EXPECT_EQ(reader.GetSettings().steps, 0x66u);
  EXPECT_EQ(reader.GetSettings().min_os_version, -2);
  EXPECT_EQ(reader.GetSettings().run_end_script, 1u);
  EXPECT_EQ(reader.CountItems(), 6);
  const CInstallFile* fish = reader.FindFileByName("Fish & Chips <1>.txt");
  ASSERT_NE(fish, nullptr);
  EXPECT_EQ(fish->GetFileType(), kPref);
  EXPECT_EQ(fish->GetFinderFlags(), 0x0400);
  EXPECT_TRUE(fish->HasDataFork());
  EXPECT_EQ(fish->GetResourceForkFileName(), "data3.dat");
  EXPECT_TRUE(fish->IsCompressed());
  ASSERT_TRUE(reader.WriteScript(CPathName(output_ + "again.dat")));
  EXPECT_EQ(gbtest::ReadTextFile(output_ + "again.dat"), kExpectedScript);
}

TEST(InstallScript, TokensAndFlagsParseBack) {
  const std::string folder = gbtest::MakeTempFolder("install_script/tokens");
  struct Case {
    const char* attributes;
    u32 location, domain, replace;
  } cases[] = {
      {"location=\"custom\" domain=\"system\" replace=\"never\"", 0, 0, 0},
      {"location=\"desktop\" domain=\"all_users\" replace=\"if_newer\"", 2, 1, 2},
      {"location=\"startup\" domain=\"network\" replace=\"always\"", 4, 3, 1},
      {"location=\"shutdown\" domain=\"classic\"", 5, 4, 1},
      {"location=\"nowhere\" domain=\"everyone\" replace=\"sometimes\"", 1, 2, 1},  // unknown: defaults stay
      {"", 1, 2, 1},
  };
  for (const Case& c : cases) {
    std::string script = std::string("<xml version=\"1.0\">\n<installer steps=\"7\" >\n<install_item ") +
                         c.attributes + ">\n</install_item>\n</installer>\n</xml>\n";
    ASSERT_TRUE(gbtest::WriteFile(folder + "installer.dat", script));
    CInstallerBuilder builder;
    ASSERT_TRUE(builder.LoadScriptFile(CPathName(folder + "installer.dat"))) << c.attributes;
    ASSERT_EQ(builder.GetItems().size(), 1u);
    const CInstallItem& item = *builder.GetItems()[0];
    EXPECT_EQ(item.GetLocation(), c.location) << c.attributes;
    EXPECT_EQ(item.GetDomain(), c.domain) << c.attributes;
    EXPECT_EQ(item.GetReplace(), c.replace) << c.attributes;
    EXPECT_EQ(builder.GetSettings().steps, 7u);
  }

  // cmp="true" in any case says compressed; no cmp says the data is raw.
  struct File {
    const char* attributes;
    bool compressed;
  } files[] = {{"cmp=\"TRUE\"", true}, {"cmp=\"true\"", true}, {"cmp=\"no\"", false}, {"", false}};
  for (const File& f : files) {
    std::string script = std::string("<xml version=\"1.0\">\n<installer>\n<install_item>\n"
                                     "<install_file name=\"a\" dname=\"data1.dat\" ") +
                         f.attributes + " />\n</install_item>\n</installer>\n</xml>\n";
    ASSERT_TRUE(gbtest::WriteFile(folder + "installer.dat", script));
    CInstallerBuilder builder;
    ASSERT_TRUE(builder.LoadScriptFile(CPathName(folder + "installer.dat")));
    ASSERT_NE(builder.FindFileByName("a"), nullptr);
    EXPECT_EQ(builder.FindFileByName("a")->IsCompressed(), f.compressed) << f.attributes;
  }
}

TEST(InstallScript, HostileScriptsLoadNothing) {
  const std::string folder = gbtest::MakeTempFolder("install_script/hostile");
  const char* items[] = {
      "<install_file name=\"..\" dname=\"data1.dat\" />",
      "<install_file name=\".\" />",
      "<install_file name=\"\" />",
      "<install_file dname=\"data1.dat\" />",
      "<install_file name=\"../../evil\" />",
      "<install_file name=\"/etc/passwd\" />",
      "<install_file name=\"a\\b\" />",
      "<install_file name=\"ok\" dname=\"../data1.dat\" />",
      "<install_file name=\"ok\" dname=\"\" />",
      "<install_file name=\"ok\" rname=\"sub/data1.dat\" />",
      "<install_folder name=\"..\" ></install_folder>",
      "<install_folder name=\"fine\" ><install_file name=\"x/..\" /></install_folder>",
  };
  for (const char* item : items) {
    std::string script = std::string("<xml version=\"1.0\">\n<installer>\n<install_item>\n") + item +
                         "\n</install_item>\n</installer>\n</xml>\n";
    ASSERT_TRUE(gbtest::WriteFile(folder + "installer.dat", script));
    CInstallerBuilder builder;
    EXPECT_FALSE(builder.LoadScriptFile(CPathName(folder + "installer.dat"))) << item;
    EXPECT_TRUE(builder.GetItems().empty()) << item;
  }
  for (const char* text : {"not xml at all <", "<xml version=\"1.0\">\n<other/>\n</xml>\n"}) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "installer.dat", text));
    CInstallerBuilder builder;
    EXPECT_FALSE(builder.LoadScriptFile(CPathName(folder + "installer.dat"))) << text;
  }
  CInstallerBuilder builder;
  EXPECT_FALSE(builder.LoadScriptFile(CPathName(folder + "missing.dat")));
}

TEST_F(SaverTree, AForkThatCannotBeReadFailsAndNoScriptNamesIt) {
  CInstallerBuilder builder;
  Fill(builder);
  // Gone between adding and writing.
  ASSERT_TRUE(CPathName(saver_ + "Contents/Info.plist").Delete());
  EXPECT_FALSE(builder.WriteInstallFiles(CPathName(output_)));
  EXPECT_EQ(builder.GetFailedPath().GetString(), saver_ + "Contents/Info.plist");
  EXPECT_FALSE(gbtest::FileExists(output_ + "installer.dat"));

  // Something that is no file to read (a link to a folder) fails the same way.
  builder.Clear();
  const std::string linked = base_ + "linked";
  ASSERT_EQ(symlink(saver_.c_str(), linked.c_str()), 0);
  AddInstallFile(builder, CPathName(linked), nullptr);
  EXPECT_FALSE(builder.WriteInstallFiles(CPathName(output_)));
  EXPECT_EQ(builder.GetFailedPath().GetString(), linked);
  EXPECT_FALSE(gbtest::FileExists(output_ + "installer.dat"));
}

}  // namespace
