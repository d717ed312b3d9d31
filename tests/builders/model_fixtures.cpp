#include "tests/builders/model_fixtures.h"

#include <gtest/gtest.h>

#include "builders/data_list.h"
#include "foundation/path_name.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_header.h"
#include "tests/support/test_support.h"

namespace modeltest {

std::vector<u8> MovieBytes(const MovieSpec& spec) {
  CSwfBitWriter writer(6);
  CSwfHeader header;
  header.SetParams(spec.xMin, spec.yMin, spec.xMax, spec.yMax, 12.0f, 6);
  header.SetFrameCount(1);
  header.Write(writer);
  if (spec.padding > 0) {
    // An unknown tag (code 1000) in the long form.
    writer.WriteU16(u16((1000 << 6) | 0x3F));
    writer.WriteU32(spec.padding);
    for (u32 i = 0; i < spec.padding; ++i) writer.WriteU8(u8(i * 7 + 1));
  }
  writer.WriteU16(0);
  EXPECT_TRUE(writer.PatchU32(4, writer.GetByteCount()));
  std::vector<u8> bytes = writer.GetBytes();
  if (!spec.compressed) return bytes;
  std::vector<u8> compressed;
  EXPECT_TRUE(CompressSwfBytes(bytes.data(), bytes.size(), compressed));
  return compressed;
}

std::string WriteMovie(const std::string& path, const MovieSpec& spec) {
  EXPECT_TRUE(gbtest::WriteFile(path, MovieBytes(spec)));
  return path;
}

std::string ListXml(CDataList& list) {
  const std::string path = gbtest::MakeTempFolder("list_xml") + "list.xml";
  CXmlWriteOptions options;
  options.writeHeader = 0;
  CXmlWriter writer;
  EXPECT_TRUE(writer.Open(CPathName(path), options, true));
  EXPECT_TRUE(list.WriteXml(writer));
  EXPECT_TRUE(writer.Close());
  std::string text = gbtest::ReadTextFile(path);
  // The writer's closing line feed.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

bool ReadListXml(CDataList& list, const std::string& text, const std::string& folder) {
  const std::string path = folder + "project.gmx";
  EXPECT_TRUE(gbtest::WriteFile(path, text));
  CXmlDocument document;
  CXmlNode root;
  if (!document.Open(CPathName(path)) || !document.GetRootNode(root)) {
    ADD_FAILURE() << "the test document does not parse";
    return false;
  }
  return list.ReadXml(root);
}

std::string SettingsText(CDataList& list, const std::string& path) {
  EXPECT_TRUE(list.WriteSettingsFile(CPathName(path)));
  return gbtest::ReadTextFile(path);
}

}  // namespace modeltest
