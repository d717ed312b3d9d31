#include "foundation/xml_reader.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "foundation/xml_writer.h"
#include "tests/support/test_support.h"

namespace {

std::string Folder() { return gbtest::MakeTempFolder("xml_reader"); }

// A document loaded from the given text; its root element in `root`.
class Loaded {
 public:
  explicit Loaded(const std::string& text, const std::string& name = "doc.xml") {
    path_ = Folder() + name;
    EXPECT_TRUE(gbtest::WriteFile(path_, text));
    ok_ = document_.Open(CPathName(path_)) && document_.GetRootNode(root);
  }
  bool ok() const { return ok_; }
  // The first child element of the root with that name.
  CXmlNode Child(const char* name) const {
    CXmlNodeList list;
    root.GetChildren(list);
    for (int i = 0; i < list.GetCount(); ++i) {
      CXmlNode node;
      EXPECT_TRUE(list.GetAt(i, node));
      if (node.GetNameString() == name) return node;
    }
    return CXmlNode();
  }
  CXmlNode Attribute(const CXmlNode& element, const char* name) const {
    CXmlElementInfo info;
    CXmlNode value;
    if (element.GetElementInfo(info)) info.FindAttribute(name, value);
    return value;
  }
  CXmlNode root;

 private:
  std::string path_;
  CXmlDocument document_;
  bool ok_ = false;
};

TEST(XmlReader, EveryByteSurvivesAWriteAndReadInAttributesAndText) {
  std::string all;
  for (int i = 1; i < 256; ++i) all += char(i);
  std::string path = Folder() + "bytes.xml";
  {
    CXmlWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(path), CXmlWriteOptions(), true));
    writer.WriteText("<e v=\"");
    writer.WriteEscaped(all.c_str());
    writer.WriteText("\">");
    writer.WriteEscaped(all.c_str());
    writer.WriteText("</e>");
    ASSERT_TRUE(writer.Close());
  }
  CXmlDocument document;
  ASSERT_TRUE(document.Open(CPathName(path)));
  CXmlNode root, element, value;
  ASSERT_TRUE(document.GetRootNode(root));
  EXPECT_EQ(root.GetNameString(), "xml");
  ASSERT_TRUE(root.GetFirstChild(element));
  EXPECT_EQ(element.GetNameString(), "e");
  EXPECT_EQ(element.GetTextString(), all);
  CXmlElementInfo info;
  ASSERT_TRUE(element.GetElementInfo(info));
  ASSERT_TRUE(info.FindAttribute("v", value));
  EXPECT_EQ(value.GetTextString(), all);
}

TEST(XmlReader, UnescapesOncePerPass) {
  struct Case {
    const char* text;
    std::string unescaped;
  } cases[] = {
      {"&quot;&apos;&amp;&lt;&gt;", "\"'&<>"},
      {"&amp;lt;", "&lt;"},
      {"&#x41;&#xe9;&#xC4;", "A\xE9\xC4"},
      {"&foo; & &am", "&foo; & &am"},
      {"a&#x;b", "a"},
      {"a&#x00;b", "a"},
      {"&#x41zz;", "A"},
      {"&#x2022;", "\xA5"},   // bullet: in Mac Roman
      {"&#x20AC;", "\xDB"},   // euro sign
      {"&#x4E00;", "?"},      // no Mac Roman form
      {"&#x100;", "?"},       // never a 0 byte
      {"&#xFFFFFFFFFFFF;", "?"},
      {"&#x41", "&#x41"},     // no ';' at all
      {"&#x000000000000000000000000000041;", "&#x000000000000000000000000000041;"},
      {"&#x00000000000000000000000000041;", "A"},  // 29 characters before the ';'
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnescapeXmlEntities(std::string(c.text)), c.unescaped) << c.text;
    CStringBuffer buffer(c.text);
    UnescapeXmlEntities(buffer);
    EXPECT_EQ(std::string(buffer.GetText()), c.unescaped) << c.text;
  }
}

TEST(XmlReader, TextOfElementsAndAttributes) {
  Loaded doc(
      "<r>"
      "<a v=\"a&#x0a;b\" w=\"x\ny\" t=\"&amp;lt;\"/>"
      "<text>a&#x0a;b</text>"
      "<mixed><c/>after &amp; <![CDATA[<raw&amp;>]]> end</mixed>"
      "<empty/>"
      "<utf8 v=\"caf\xC3\xA9 \xE2\x98\xBA\">\xC3\x84</utf8>"
      "</r>");
  ASSERT_TRUE(doc.ok());
  CXmlNode a = doc.Child("a");
  // A line feed written as a reference is kept; a literal one is dropped.
  EXPECT_EQ(doc.Attribute(a, "v").GetTextString(), "a\nb");
  EXPECT_EQ(doc.Attribute(a, "w").GetTextString(), "xy");
  EXPECT_EQ(doc.Child("text").GetTextString(), "a\nb");
  // Only text and CDATA count; CDATA is taken as it stands.
  EXPECT_EQ(doc.Child("mixed").GetTextString(), "after & <raw&amp;> end");

  CStringBuffer buffer("unchanged");
  EXPECT_FALSE(doc.Child("empty").GetText(buffer, "default"));
  EXPECT_STREQ(buffer.GetText(), "unchanged");
  EXPECT_EQ(doc.Child("empty").GetTextString(), "");
  CXmlNode none;
  EXPECT_FALSE(none.GetText(buffer, "default"));
  EXPECT_STREQ(buffer.GetText(), "default");

  CXmlNode t = doc.Attribute(a, "t");
  EXPECT_TRUE(t.GetText(buffer));
  EXPECT_STREQ(buffer.GetText(), "&lt;");
  EXPECT_TRUE(t.GetTextUnescapedTwice(buffer));
  EXPECT_STREQ(buffer.GetText(), "<");

  // A hand-written UTF-8 file reads as Mac Roman.
  CXmlNode utf8 = doc.Child("utf8");
  EXPECT_EQ(doc.Attribute(utf8, "v").GetTextString(), "caf\x8E ?");
  EXPECT_EQ(utf8.GetTextString(), "\x80");
}

// A character that Mac Roman cannot hold reads as '?', and the node says
// so and gives the text as the file wrote it, whether the file holds the
// character itself or a reference to it; what Mac Roman holds loses nothing.
TEST(XmlReader, TextsTellWhatTheyLostAndGiveTheirCharacters) {
  const struct {
    const char* what;
    const char* written;  // between the quotes of an attribute, and as an element's text
    const char* held;
    bool lost;
    const char* host;
  } cases[] = {
      {"CJK in UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC", "??", true, "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"CJK as references", "&#x65E5;&#x672C;", "??", true, "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"an emoji", "a\xF0\x9F\x98\x80.swf", "a?.swf", true, "a\xF0\x9F\x98\x80.swf"},
      {"Mac Roman letters in UTF-8", "caf\xC3\xA9", "caf\x8E", false, "caf\xC3\xA9"},
      {"a Mac Roman byte as a reference", "caf&#x8E;", "caf\x8E", false, "caf\xC3\xA9"},
      {"a Mac Roman byte and a sign Mac Roman holds", "&#xC4;&#x20AC;", "\xC4\xDB", false, "\xC6\x92\xE2\x82\xAC"},
      {"Mac Roman bytes that are no UTF-8", "caf\x8E", "caf\x8E", false, "caf\xC3\xA9"},
      {"a question mark of its own", "why?&amp;", "why?&", false, "why?&"},
  };
  for (const auto& c : cases) {
    Loaded doc(std::string("<r><e v=\"") + c.written + "\">" + c.written + "</e></r>");
    ASSERT_TRUE(doc.ok()) << c.what;
    const CXmlNode element = doc.Child("e");
    for (const CXmlNode& node : {doc.Attribute(element, "v"), element}) {
      EXPECT_EQ(node.GetTextString(), c.held) << c.what;
      EXPECT_EQ(node.LosesCharacters(), c.lost) << c.what;
      EXPECT_EQ(node.GetHostText(), c.host) << c.what;
    }
  }
  // CDATA is taken as it stands in both forms; a handle without text has neither.
  Loaded doc("<r><e>a <![CDATA[&#x65E5;\xE6\x97\xA5]]></e></r>");
  ASSERT_TRUE(doc.ok());
  EXPECT_EQ(doc.Child("e").GetTextString(), "a &#x65E5;?");
  EXPECT_TRUE(doc.Child("e").LosesCharacters());
  EXPECT_EQ(doc.Child("e").GetHostText(), "a &#x65E5;\xE6\x97\xA5");
  EXPECT_FALSE(CXmlNode().LosesCharacters());
  EXPECT_EQ(CXmlNode().GetHostText(), "");
}

// A file that names its encoding gives the application the same texts as
// the same file in UTF-8: "é" is Mac Roman 0x8E whatever the file's bytes.
// What a reference means is the same in every file.
TEST(XmlReader, FilesInOtherEncodingsGiveTheSameTexts) {
  auto utf16 = [](const std::string& latin1, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : latin1) {
      const char units[2] = {bigEndian ? '\0' : c, bigEndian ? c : '\0'};
      out.append(units, 2);
    }
    return out;
  };
  const std::string latin1 = "<r><e v=\"\xE9.txt\" r=\"&#x8e;&#x20AC;\">\xE9t\xE9</e></r>";
  const std::string utf8 = "<r><e v=\"\xC3\xA9.txt\" r=\"&#x8e;&#x20AC;\">\xC3\xA9t\xC3\xA9</e></r>";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"UTF-8", utf8},
      {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + utf8},
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + latin1},
      {"latin1", "<?xml version=\"1.0\" encoding=\"latin1\"?>\n" + latin1},
      {"UTF-16LE", utf16(latin1, false)},
      {"UTF-16BE", utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + latin1, true)},
  };
  for (const auto& c : cases) {
    Loaded doc(c.bytes);
    ASSERT_TRUE(doc.ok()) << c.what;
    const CXmlNode element = doc.Child("e");
    const CXmlNode value = doc.Attribute(element, "v");
    EXPECT_EQ(value.GetTextString(), "\x8E.txt") << c.what;
    EXPECT_FALSE(value.LosesCharacters()) << c.what;
    EXPECT_EQ(value.GetHostText(), "\xC3\xA9.txt") << c.what;
    EXPECT_EQ(element.GetTextString(), "\x8Et\x8E") << c.what;
    EXPECT_EQ(doc.Attribute(element, "r").GetTextString(), "\x8E\xDB") << c.what;
  }
  // Without a declaration, bytes that are no UTF-8 are Mac Roman, as before.
  Loaded undeclared("<r v=\"\xE9.txt\"/>");
  ASSERT_TRUE(undeclared.ok());
  EXPECT_EQ(undeclared.Attribute(undeclared.root, "v").GetTextString(), "\xE9.txt");
}

// A document that cannot be read says why, and names an encoding the
// reader does not read.
TEST(XmlReader, ARefusedDocumentSaysWhy) {
  const std::string folder = Folder();
  ASSERT_TRUE(gbtest::WriteFile(folder + "sjis.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r/>"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "bad.xml", "<r>\n<e></r>"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "good.xml", "<r/>"));
  CXmlDocument document;
  EXPECT_FALSE(document.Open(CPathName(folder + "sjis.xml")));
  EXPECT_EQ(document.GetUnreadEncoding(), "Shift_JIS");
  EXPECT_NE(document.GetError().find("Shift_JIS"), std::string::npos) << document.GetError();
  EXPECT_FALSE(document.Open(CPathName(folder + "bad.xml")));
  EXPECT_EQ(document.GetUnreadEncoding(), "");
  EXPECT_EQ(document.GetError().rfind("line 2:", 0), 0u) << document.GetError();
  EXPECT_FALSE(document.Open(CPathName(folder + "missing.xml")));
  EXPECT_NE(document.GetError(), "");
  EXPECT_TRUE(document.Open(CPathName(folder + "good.xml")));
  EXPECT_EQ(document.GetError(), "");
  EXPECT_EQ(document.GetUnreadEncoding(), "");
}

// A reference to a character XML does not allow would end a text, or stand
// for no character: the document is refused, not read short.
TEST(XmlReader, DocumentsWithReferencesToNoCharacterAreRefused) {
  for (const char* written : {"&#x65E5;&#x0;&#x672C;", "a&#x;b", "a&#xD800;", "a&#x110000;", "a&#x1;", "a&#xFFFF;",
                              "a&#x41zz;b", "/x/&#x0;/y.swf"}) {
    for (const std::string& text : {"<r><e v=\"" + std::string(written) + "\"/></r>",
                                     "<r><e>" + std::string(written) + "</e></r>"}) {
      Loaded doc(text);
      EXPECT_FALSE(doc.ok()) << text;
    }
  }
  // A tab, a line feed and a carriage return may be referred to; the
  // writer's own references read as they always did.
  Loaded doc("<r><e v=\"&#x09;&#x0a;&#x0d;&#xc4;&#x8e;\"/></r>");
  ASSERT_TRUE(doc.ok());
  EXPECT_EQ(doc.Attribute(doc.Child("e"), "v").GetTextString(), "\t\n\r\xC4\x8E");
}

// Unescaping takes time in proportion to the text, also a text of many
// "&#x" that end nowhere.
TEST(XmlReader, UnescapingTakesTimeInProportion) {
  std::string small;
  for (int i = 0; i < 80000; ++i) small += "&#x&#x41";
  const std::string large = small + small + small + small;
  const double smallTime = gbtest::FastestOfRuns([&] { EXPECT_EQ(UnescapeXmlEntities(small), small); });
  const double largeTime = gbtest::FastestOfRuns([&] { EXPECT_EQ(UnescapeXmlEntities(large), large); });
  EXPECT_LT(largeTime, 8 * smallTime + 0.5) << smallTime << " s, then " << largeTime << " s";
}

TEST(XmlReader, TypedGetters) {
  Loaded doc("<r l=\"12abc\" h=\"0x1F\" o=\"010\" u=\"0xFFFFFFFF\" d=\"2.5e1\" t=\"TRUE\" one=\"1\" "
             "neg=\"-3\"/>");
  ASSERT_TRUE(doc.ok());
  auto at = [&](const char* name) { return doc.Attribute(doc.root, name); };
  EXPECT_EQ(at("l").GetLong(-1), 12);
  EXPECT_EQ(at("h").GetInteger(-1), 31);
  EXPECT_EQ(at("h").GetLong(-1), 0);
  EXPECT_EQ(at("o").GetInteger(-1), 8);
  EXPECT_EQ(at("o").GetLong(-1), 10);
  EXPECT_EQ(at("u").GetUnsigned(1), 0xFFFFFFFFul);
  EXPECT_EQ(at("neg").GetLong(0), -3);
  EXPECT_DOUBLE_EQ(at("d").GetDouble(0), 25.0);
  EXPECT_TRUE(at("t").GetBool());
  EXPECT_FALSE(at("one").GetBool(true));
  CXmlNode missing = at("missing");
  EXPECT_TRUE(missing.IsEmpty());
  EXPECT_EQ(missing.GetLong(-1), -1);
  EXPECT_EQ(missing.GetInteger(-2), -2);
  EXPECT_EQ(missing.GetUnsigned(3), 3u);
  EXPECT_EQ(missing.GetDouble(4.5), 4.5);
  EXPECT_TRUE(missing.GetBool(true));
  EXPECT_FALSE(missing.GetBool());
}

TEST(XmlReader, PathsResolveAgainstTheDocument) {
  std::string folder = Folder();
  gbtest::MakeTempFolder("xml_reader/sub");
  const std::string& up = gbtest::TestRoot();
  Loaded doc("<r a=\"./m.swf\" b=\"../xml_reader/sub/c.swf\" c=\"sub\" d=\"" + up +
             "abs.swf\" e=\"m.swf\"/>");
  ASSERT_TRUE(doc.ok());
  struct Case {
    const char* attribute;
    std::string path;
  } cases[] = {
      {"a", folder + "m.swf"},
      {"b", folder + "sub/c.swf"},
      {"c", folder + "sub/"},
      {"d", up + "abs.swf"},
      {"e", folder + "m.swf"},
  };
  for (const Case& c : cases) {
    CPathName path;
    ASSERT_TRUE(doc.Attribute(doc.root, c.attribute).GetPath(path)) << c.attribute;
    EXPECT_EQ(path.GetString(), c.path) << c.attribute;
  }
  CPathName untouched("/keep");
  EXPECT_FALSE(doc.Attribute(doc.root, "missing").GetPath(untouched));
  EXPECT_EQ(untouched.GetString(), "/keep");
}

TEST(XmlReader, BinaryValues) {
  Loaded doc("<r b=\"TWFu\" z=\"YQBi\" e=\"\"/>");
  ASSERT_TRUE(doc.ok());
  CXmlNode b = doc.Attribute(doc.root, "b");
  char out[3] = {};
  size_t length = 0;
  EXPECT_TRUE(b.GetBinary(out, sizeof out, &length));
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(std::string(out, 3), "Man");
  char small[2] = {'x', 'x'};
  EXPECT_FALSE(b.GetBinary(small, sizeof small, &length));
  EXPECT_EQ(small[0], 'x');
  std::string text;
  EXPECT_TRUE(doc.Attribute(doc.root, "z").GetBinaryAsText(text, "d"));
  EXPECT_EQ(text, "a");  // the 0 byte ends the text
  CStringBuffer buffer;
  EXPECT_FALSE(doc.Attribute(doc.root, "missing").GetBinaryAsText(buffer, "d"));
  EXPECT_STREQ(buffer.GetText(), "d");
  EXPECT_TRUE(doc.Attribute(doc.root, "e").GetBinaryAsText(buffer, "d"));
  EXPECT_STREQ(buffer.GetText(), "");
}

TEST(XmlReader, HandlesAndLists) {
  Loaded doc("<r k=\"v\">text<a/><b/></r>");
  ASSERT_TRUE(doc.ok());
  CXmlNodeList list;
  ASSERT_TRUE(doc.root.GetChildren(list));
  ASSERT_EQ(list.GetCount(), 3);
  CXmlNode node;
  ASSERT_TRUE(list.GetAt(1, node));
  EXPECT_EQ(node.GetNameString(), "a");
  // GetAt fills the node it is given, also one that is already filled.
  ASSERT_TRUE(list.GetAt(2, node));
  EXPECT_EQ(node.GetNameString(), "b");
  EXPECT_FALSE(list.GetAt(3, node));
  EXPECT_FALSE(list.GetAt(-1, node));
  EXPECT_EQ(node.GetNameString(), "b");
  // A text child is no element.
  CXmlNode text;
  ASSERT_TRUE(list.GetAt(0, text));
  CStringBuffer name("x");
  EXPECT_FALSE(text.GetName(name));
  EXPECT_EQ(text.GetTextString(), "text");

  // First-child lookups want an empty node.
  CXmlNode filled = node;
  EXPECT_FALSE(doc.root.GetFirstChild(filled));
  EXPECT_EQ(filled.GetNameString(), "b");
  // An empty handle gives an unchanged list, an attribute value has no name.
  CXmlNode empty;
  CXmlNodeList unchanged;
  EXPECT_TRUE(empty.GetChildren(unchanged));
  EXPECT_EQ(unchanged.GetCount(), 0);
  EXPECT_TRUE(empty.GetChildren(list));
  EXPECT_EQ(list.GetCount(), 3);
  CXmlNode value = doc.Attribute(doc.root, "k");
  EXPECT_FALSE(value.GetName(name));
  CXmlElementInfo info;
  EXPECT_FALSE(value.GetElementInfo(info));
  EXPECT_FALSE(value.GetFirstChild(node));
  EXPECT_TRUE(doc.root.GetElementInfo(info));
  EXPECT_EQ(info.GetAttributeCount(), 1u);
  EXPECT_FALSE(node.SetFromTree(nullptr, CPathName("/x")));
  EXPECT_FALSE(node.SetFromAttributeValue(nullptr, CPathName("/x")));
  EXPECT_FALSE(node.SetFromNode(empty));
}

TEST(XmlReader, BadDocumentsFailCleanly) {
  std::string folder = Folder();
  std::string good;
  {
    CXmlWriter writer;
    ASSERT_TRUE(writer.Open(CPathName(folder + "good.xml"), CXmlWriteOptions(), true));
    writer.WriteText("<list a=\"1\">\n<item name=\"x\"/>\n</list>");
    ASSERT_TRUE(writer.Close());
    good = gbtest::ReadTextFile(folder + "good.xml");
  }
  // Every truncation of a written document fails, up to the last line feed.
  for (size_t length = 0; length + 1 < good.size(); ++length) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "cut.xml", good.substr(0, length)));
    CXmlDocument document;
    EXPECT_FALSE(document.Open(CPathName(folder + "cut.xml"))) << length;
    CXmlNode root;
    EXPECT_FALSE(document.GetRootNode(root));
  }
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<d>";
  for (int i = 0; i < 5000; ++i) deep += "</d>";
  for (const std::string& text : {std::string("<a><b></a></b>"), std::string("not xml"), deep}) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "bad.xml", text));
    CXmlDocument document;
    EXPECT_FALSE(document.Open(CPathName(folder + "bad.xml")));
    document.Release();
  }
  CXmlDocument document;
  EXPECT_FALSE(document.Open(CPathName(folder + "missing.xml")));
  EXPECT_FALSE(document.Open(CPathName(folder)));
  EXPECT_FALSE(document.Open(CPathName("")));
  // A document can be loaded again after a failure.
  EXPECT_TRUE(document.Open(CPathName(folder + "good.xml")));
}

}  // namespace
