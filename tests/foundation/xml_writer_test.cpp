#include "foundation/xml_writer.h"


#include <string>

#include <gtest/gtest.h>

#include "foundation/finder_info.h"
#include "tests/support/test_support.h"

namespace {

std::string Folder() { return gbtest::MakeTempFolder("xml_writer"); }

// Writes a document through `write` and returns the file's text.
template <typename Write>
std::string WriteDocument(const std::string& name, const CXmlWriteOptions& options, Write write) {
  std::string path = Folder() + name;
  CXmlWriter writer;
  EXPECT_TRUE(writer.Open(CPathName(path), options, true));
  write(writer);
  EXPECT_TRUE(writer.Close());
  return gbtest::ReadTextFile(path);
}

TEST(XmlWriter, WritesEitherDeclarationAndItsEnd) {
  struct Case {
    bool full, header;
    const char* expected;
  } cases[] = {
      {false, true, "<xml version=\"1.0\">\n<a />\n\n</xml>\n"},
      {true, true, "<?xml version=\"1.0\" ?>\n<a />\n\n"},
      {false, false, "<a />\n\n"},
      {true, false, "<a />\n\n"},
  };
  for (const Case& c : cases) {
    CXmlWriteOptions options;
    options.fullDeclaration = c.full;
    options.writeHeader = c.header;
    EXPECT_EQ(WriteDocument("decl.xml", options, [](CXmlWriter& w) { w.BeginElement("a", true); }),
              c.expected);
  }
}

TEST(XmlWriter, EscapesMarkupLineEndsAndHighBytes) {
  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"a<b & \"c\"", "a&lt;b &amp; &quot;c&quot;"},
      {"it's > x", "it&apos;s &gt; x"},
      {"\xE9", "&#xe9;"},
      {"\xC4\x80\xFF", "&#xc4;&#x80;&#xff;"},
      {"tab\there", "tab\there"},
      {"l\nf\rc", "l&#x0a;f&#x0d;c"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CXmlWriter::Escape(c.text), c.written) << c.text;
    std::string file = WriteDocument("esc.xml", CXmlWriteOptions(),
                                     [&](CXmlWriter& w) { w.WriteEscaped(c.text); });
    EXPECT_EQ(file, std::string("<xml version=\"1.0\">\n") + c.written + "\n</xml>\n");
  }
}

TEST(XmlWriter, WritesNumbersBooleansCharactersAndBase64) {
  CXmlWriteOptions options;
  options.writeHeader = 0;
  std::string file = WriteDocument("numbers.xml", options, [](CXmlWriter& w) {
    w.WriteBool(true);
    w.WriteText(" ");
    w.WriteBool(false);
    w << " " << 'A' << static_cast<unsigned char>('B') << " " << static_cast<unsigned short>(65535)
      << " " << -5L << " " << 4000000000UL << " " << static_cast<short>(-2) << " " << 1.5 << " "
      << 0.25f << " " << -9000000000LL << " ";
    w.WriteUnsigned(7).WriteUnsigned(8);
    w.WriteText(" ");
    EXPECT_EQ(w.WriteBase64("Man"), 4u);
    w.WriteText(" ");
    const unsigned char bytes[] = {0xFF, 0x00};
    EXPECT_EQ(w.WriteBase64(bytes, 2), 4u);
    w.WriteText(nullptr);
  });
  EXPECT_EQ(file, "true false AB 65535 -5 4000000000 -2 1.5 0.25 -9000000000 78 TWFu /wA=\n");
}

TEST(XmlWriter, WritesPathsRelativeOrAbsolute) {
  std::string folder = Folder();
  gbtest::MakeTempFolder("xml_writer/m");
  CXmlWriteOptions options;
  options.writeHeader = 0;
  options.relativePaths = 1;
  std::string relative = WriteDocument("doc.gmx", options, [&](CXmlWriter& w) {
    w.WritePath(CPathName(folder + "m.swf"));
    w.WriteText("|");
    w.AppendPath(CPathName(folder + "m/c&d.swf")).WriteText("|");
    w.WritePath(CPathName(gbtest::TestRoot() + "other.swf"));
  });
  EXPECT_EQ(relative, "./m.swf|./m/c&amp;d.swf|../other.swf\n");
  options.relativePaths = 0;
  std::string absolute = WriteDocument("doc.gmx", options, [&](CXmlWriter& w) {
    w.WritePath(CPathName(folder + "m.swf"));
  });
  EXPECT_EQ(absolute, folder + "m.swf\n");
}

TEST(XmlWriter, OpenRefusesExistingFilesUnlessReplacingAndFolders) {
  std::string folder = Folder();
  std::string path = folder + "exists.xml";
  ASSERT_TRUE(gbtest::WriteFile(path, "keep me"));
  CXmlWriter writer;
  EXPECT_FALSE(writer.Open(CPathName(path), CXmlWriteOptions(), false));
  EXPECT_EQ(gbtest::ReadTextFile(path), "keep me");
  EXPECT_FALSE(writer.Open(CPathName(folder), CXmlWriteOptions(), true));
  EXPECT_FALSE(writer.Open(CPathName(folder + "missing/x.xml"), CXmlWriteOptions(), true));
  // Writes to a writer that is not open go nowhere.
  writer.WriteText("lost");
  EXPECT_TRUE(writer.Close());

  CXmlWriteOptions options;
  options.type = FourCC("TEXT");
  options.creator = FourCC("GBox");
  ASSERT_TRUE(writer.Open(CPathName(path), options, true));
  writer.BeginElement("e", false);
  EXPECT_TRUE(writer.Close());
  writer.WriteText("after close");
  EXPECT_EQ(gbtest::ReadTextFile(path), "<xml version=\"1.0\">\n<e \n</xml>\n");
  // The file carries the options' type and creator.
  FSRef ref;
  ASSERT_TRUE(CPathName(path).GetFsRef(&ref));
  OSType creator = 0, type = 0;
  ASSERT_TRUE(GetFsRefTypeCreator(&ref, &creator, &type));
  EXPECT_EQ(type, FourCC("TEXT"));
  EXPECT_EQ(creator, FourCC("GBox"));
}

TEST(XmlWriter, CloseReportsAFailedWrite) {
  std::string path = Folder() + "full.xml";
  bool opened = false, closed = true;
  {
    gbtest::FullDisk full(4096);
    ASSERT_TRUE(full.IsSet());
    CXmlWriter writer;
    opened = writer.Open(CPathName(path), CXmlWriteOptions(), true);
    std::string chunk(1000, 'x');
    for (int i = 0; i < 20; ++i) writer.WriteText(chunk.c_str());
    closed = writer.Close();
  }
  ASSERT_TRUE(opened);
  EXPECT_FALSE(closed);
}

TEST(XmlWriter, DecodesBase64IntoABoundedBuffer) {
  unsigned char out[3] = {};
  EXPECT_EQ(DecodeBase64Into("TWFu", 4, out, sizeof out), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "Man");
  unsigned char small[2] = {7, 7};
  EXPECT_EQ(DecodeBase64Into("TWFu", 4, small, sizeof small), 0u);
  EXPECT_EQ(small[0], 7);
}

}  // namespace
