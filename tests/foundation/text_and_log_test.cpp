// The text file stream, the debug log and files saved next to the application.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/data_writer.h"
#include "foundation/debug_log.h"
#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "foundation/text_file_stream.h"
#include "platform/finder_info.h"
#include "platform/roots.h"
#include "platform/text_encoding.h"
#include "tests/support/test_support.h"

namespace {

// Runs with a bundle of its own in the test root, so that the files land there.
class NextToApplication : public testing::Test {
 protected:
  void SetUp() override {
    gbtest::MakeTempFolder("apps/Glimmerbox.app/Contents/Resources");
    plat::SetApplicationBundle(gbtest::TestRoot() + "apps/Glimmerbox.app");
  }
  void TearDown() override { plat::SetApplicationBundle(""); }

  static std::string HostPathOf(const char* name) {
    CPathName path(nullptr);
    EXPECT_TRUE(path.SetNextToApplication(name));
    return plat::ToHostPath(path.GetAbsolutePath(0));
  }
};

TEST_F(NextToApplication, DebugLogAppendsFormattedLinesCutTo255Bytes) {
  const std::string log = HostPathOf("debug.log");
  ASSERT_TRUE(gbtest::WriteFile(log, std::string("old contents\n")));
  ASSERT_TRUE(SetDebugLogFile("debug.log"));
  EXPECT_EQ(gbtest::ReadTextFile(log), "");  // made empty
  WriteDebugLog("main", 12, "x=%d", 5);
  const std::string longText(400, 'z');
  WriteDebugLog("src.cpp", 3, "%s", longText.c_str());
  EXPECT_EQ(gbtest::ReadTextFile(log), "main: line: 12; x=5\nsrc.cpp: line: 3; " + std::string(255, 'z') + "\n");
  EXPECT_FALSE(SetDebugLogFile("../outside.log"));

  testing::internal::CaptureStderr();
  DebugPrintf("value %d", 42);
  DebugPrintf("%s", longText.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "value 42\n" + std::string(255, 'z') + "\n");
}

TEST_F(NextToApplication, WriterSavesNextToTheApplication) {
  CDataWriter writer;
  writer.WriteUInt16(0x0102);
  ASSERT_TRUE(writer.SaveNextToApplication("dump.bin"));
  EXPECT_EQ(gbtest::ReadFile(HostPathOf("dump.bin")), (std::vector<u8>{0x02, 0x01}));
  EXPECT_FALSE(writer.SaveNextToApplication(""));
}

TEST(TextFileStream, WritesFormattedTextIntoATypedFile) {
  const std::string folder = gbtest::MakeTempFolder("text");
  CTextFileStream stream;
  ASSERT_TRUE(stream.Open(CPathName(folder + "notes.txt"), nullptr, false));
  stream << "n=" << s32(-7) << ' ' << u16(65535) << ' ' << 1.5 << ' ' << 'c' << (unsigned char)'u';
  EXPECT_TRUE(stream.Close());
  EXPECT_EQ(gbtest::ReadTextFile(folder + "notes.txt"), "n=-7 65535 1.5 cu");
  plat::FinderInfoBytes info;
  ASSERT_EQ(plat::ReadFinderInfo(folder + "notes.txt", &info), noErr);
  EXPECT_EQ(info.FileType(), FourCC("TEXT"));
  EXPECT_EQ(info.FileCreator(), FourCC("ttex"));

  // An existing file is kept unless replacing; the caller's type and creator are used.
  EXPECT_FALSE(stream.Open(CPathName(folder + "notes.txt"), nullptr, false));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "notes.txt"), "n=-7 65535 1.5 cu");
  const CFileTypeCreator xml(FourCC("GbTs"), FourCC("XML "));
  ASSERT_TRUE(stream.Open(CPathName(folder + "notes.txt"), &xml, true));
  stream << "<a/>";
  stream.Close();
  EXPECT_EQ(gbtest::ReadTextFile(folder + "notes.txt"), "<a/>");
  ASSERT_EQ(plat::ReadFinderInfo(folder + "notes.txt", &info), noErr);
  EXPECT_EQ(info.FileType(), FourCC("XML "));
  EXPECT_FALSE(stream.Open(CPathName(folder), nullptr, true));
}

}  // namespace
