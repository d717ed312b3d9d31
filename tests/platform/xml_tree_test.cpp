#include "platform/xml_tree.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

using plat::ParseXmlTree;
using plat::XmlNodeKind;
using plat::XmlParseError;
using plat::XmlParseLimits;
using plat::XmlTreeNode;

const XmlTreeNode& Root(const std::unique_ptr<XmlTreeNode>& document) {
  return *document->children.front();
}

TEST(XmlTree, ReadsElementsAttributesTextAndCData) {
  auto document = ParseXmlTree(
      "<?xml version=\"1.0\" ?>\n"
      "<!DOCTYPE doc [ <!ENTITY x \"y>\"> ]>\n"
      "<!-- leading comment -->\n"
      "<doc a=\"1\" b='two \"q\"' c = \"it's\">\n"
      "  <item name=\"x\"/>\n"
      "  <note>hello <?pi skipped?>world</note>\n"
      "  <raw><![CDATA[<b>&amp;</b>]]></raw>\n"
      "</doc>\n");
  ASSERT_TRUE(document);
  ASSERT_EQ(document->children.size(), 1u);
  const XmlTreeNode& root = Root(document);
  EXPECT_EQ(root.name, "doc");
  ASSERT_EQ(root.attributes.size(), 3u);
  EXPECT_EQ(root.attributes[0].name, "a");
  EXPECT_EQ(root.attributes[1].value, "two \"q\"");
  EXPECT_EQ(root.FindAttribute("c")->value, "it's");
  EXPECT_EQ(root.FindAttribute("missing"), nullptr);
  // White-space-only text between the elements is dropped.
  ASSERT_EQ(root.children.size(), 3u);
  EXPECT_EQ(root.children[0]->name, "item");
  EXPECT_TRUE(root.children[0]->children.empty());
  const XmlTreeNode& note = *root.children[1];
  ASSERT_EQ(note.children.size(), 1u);
  EXPECT_EQ(note.children[0]->kind, XmlNodeKind::kText);
  EXPECT_EQ(note.children[0]->text, "hello world");
  const XmlTreeNode& raw = *root.children[2];
  ASSERT_EQ(raw.children.size(), 1u);
  EXPECT_EQ(raw.children[0]->kind, XmlNodeKind::kCData);
  EXPECT_EQ(raw.children[0]->text, "<b>&amp;</b>");
}

TEST(XmlTree, HandsReferencesOnAsWrittenAndNormalisesLineEnds) {
  auto document = ParseXmlTree(
      "<xml version=\"1.0\">\r\n<e v=\"a&#x0a;b&amp;lt;\">x&lt;y&#xe9;\r\nz\rw</e>\r\n</xml>\r\n");
  ASSERT_TRUE(document);
  const XmlTreeNode& root = Root(document);
  // The system's own short root is an ordinary element.
  EXPECT_EQ(root.name, "xml");
  EXPECT_EQ(root.FindAttribute("version")->value, "1.0");
  const XmlTreeNode& e = *root.children.front();
  EXPECT_EQ(e.FindAttribute("v")->value, "a&#x0a;b&amp;lt;");
  EXPECT_EQ(e.children.front()->text, "x&lt;y&#xe9;\nz\nw");
}

TEST(XmlTree, SkipsByteOrderMarkAndKeepsHighBytes) {
  auto document = ParseXmlTree("\xEF\xBB\xBF<r\xC3\xA9 k=\"\xC3\xA9\">\x8E</r\xC3\xA9>");
  ASSERT_TRUE(document);
  EXPECT_EQ(Root(document).name, "r\xC3\xA9");
  EXPECT_EQ(Root(document).attributes[0].value, "\xC3\xA9");
  EXPECT_EQ(Root(document).children[0]->text, "\x8E");
}

TEST(XmlTree, RefusesMalformedAndTruncatedDocuments) {
  const char* cases[] = {
      "",
      "   \n",
      "<!-- only a comment -->",
      "<a>",
      "<a><b></a>",
      "<a></b>",
      "</a>",
      "<a x=\"1></a>",
      "<a x=1></a>",
      "<a x></a>",
      "<a x=\"1\"y=\"2\"></a>",
      "<a x=\"1\" x=\"2\"></a>",
      "<a x=\"<\"></a>",
      "<a><!-- never closed </a>",
      "<a><![CDATA[ never closed </a>",
      "<a><?pi never closed </a>",
      "<a/><b/>",
      "text<a/>",
      "<a/>text",
      "<1a/>",
      "<a",
      "<a b=\"c\"",
      "<!DOCTYPE a [ <!ENTITY x \"y\"> <a/>",
      "<a></a><!DOCTYPE a>",
      "<![CDATA[x]]><a/>",
  };
  for (const char* text : cases) {
    XmlParseError error;
    EXPECT_FALSE(ParseXmlTree(text, &error)) << text;
    EXPECT_FALSE(error.message.empty()) << text;
  }
  XmlParseError error;
  EXPECT_FALSE(ParseXmlTree(std::string("<a>\0</a>", 8), &error));
  EXPECT_FALSE(ParseXmlTree("<a>\n\n<b></c></a>", &error));
  EXPECT_EQ(error.message.rfind("line 3:", 0), 0u) << error.message;
}

// UTF-16 of an ASCII or Latin-1 text, in either byte order.
std::string Utf16(const std::string& latin1, bool bigEndian) {
  std::string out;
  for (char c : latin1) {
    const char units[2] = {bigEndian ? '\0' : c, bigEndian ? c : '\0'};
    out.append(units, 2);
  }
  return out;
}

// A document that names its encoding is read in it and handed on as UTF-8;
// one that names none is handed on byte for byte, as before.
TEST(XmlTree, ReadsTheEncodingADocumentNames) {
  const std::string body = "<r\xE9 v=\"caf\xE9\">\xE9t\xE9\r\n</r\xE9>";
  const std::string utf8Body = "<r\xC3\xA9 v=\"caf\xC3\xA9\">\xC3\xA9t\xC3\xA9\r\n</r\xC3\xA9>";
  const std::string utf16Declaration = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
  const struct {
    const char* what;
    std::string bytes;
    bool converted;  // else handed on as it stands
  } cases[] = {
      {"no declaration", body, false},
      {"a declaration without an encoding", "<?xml version=\"1.0\" ?>" + body, false},
      {"the short root of the system's own documents", "<xml version=\"1.0\" encoding=\"ISO-8859-1\">" + body + "</xml>",
       false},
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + body, true},
      {"latin1 in single quotes, after white space", "\n <?xml version='1.0' encoding='latin1' standalone='yes'?>" + body,
       true},
      {"another alias, another case", "<?xml version=\"1.0\" encoding = \"iso_8859-1\" ?>" + body, true},
      {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + utf8Body, true},
      {"utf-8 by its byte-order mark", "\xEF\xBB\xBF" + utf8Body, true},
      {"both", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>" + utf8Body, true},
      {"Mac Roman", "<?xml version=\"1.0\" encoding=\"macintosh\"?><r\x8E v=\"caf\x8E\">\x8Et\x8E\r</r\x8E>", true},
      {"UTF-16LE by its mark", "\xFF\xFE" + Utf16(body, false), true},
      {"UTF-16BE by its mark", "\xFE\xFF" + Utf16(body, true), true},
      {"UTF-16 declared, with its mark", "\xFE\xFF" + Utf16(utf16Declaration + body, true), true},
      {"UTF-16LE declared, without a mark",
       Utf16("<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>" + body, false), true},
      {"UTF-16BE declared, without a mark",
       Utf16("<?xml version=\"1.0\" encoding=\"UTF-16BE\"?>" + body, true), true},
  };
  for (const auto& c : cases) {
    XmlParseError error;
    auto document = ParseXmlTree(c.bytes, &error);
    ASSERT_TRUE(document) << c.what << ": " << error.message;
    const XmlTreeNode* root = &Root(document);
    if (root->name == "xml") root = root->children.front().get();
    const std::string e = c.converted ? "\xC3\xA9" : "\xE9";
    EXPECT_EQ(root->name, "r" + e) << c.what;
    EXPECT_EQ(root->FindAttribute("v")->value, "caf" + e) << c.what;
    std::string text = e;
    text += "t" + e + "\n";
    EXPECT_EQ(root->children.front()->text, text) << c.what;
  }
  // Characters beyond the first plane come through UTF-16 whole.
  auto emoji = ParseXmlTree(std::string("\xFF\xFE<\0r\0>\0\x3D\xD8\x00\xDE<\0/\0r\0>\0", 20));
  ASSERT_TRUE(emoji);
  EXPECT_EQ(Root(emoji).children.front()->text, "\xF0\x9F\x98\x80");
}

// A document in an encoding the parser does not read is refused, and the
// error names the encoding; so is one whose bytes are not what it says.
TEST(XmlTree, RefusesEncodingsItDoesNotReadAndBytesThatAreNotWhatTheDocumentSays) {
  const std::string root = "<r v=\"x\"/>";
  const struct {
    const char* what;
    std::string bytes;
    const char* encoding;  // named in the error as unread
    const char* message;   // part of the message
  } cases[] = {
      {"Shift_JIS", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" + root, "Shift_JIS", "\"Shift_JIS\""},
      {"windows-1252", "<?xml version='1.0' encoding='windows-1252'?>" + root, "windows-1252", "windows-1252"},
      {"UTF-32 by its mark", std::string("\xFF\xFE\0\0<\0\0\0r\0\0\0/\0\0\0>\0\0\0", 20), "UTF-32", "UTF-32"},
      {"UTF-32 without a mark", std::string("<\0\0\0r\0\0\0/\0\0\0>\0\0\0", 16), "UTF-32", "UTF-32"},
      {"a UTF-8 document that is not", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r v=\"caf\xE9\"/>", "",
       "line 2: the document is not valid UTF-8"},
      {"a mark of UTF-8 on other bytes, declared", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n\xE9",
       "", "line 3: the document is not valid UTF-8"},
      {"a US-ASCII document that is not", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r v=\"\xE9\"/>", "",
       "the byte 0xE9 is not US-ASCII"},
      {"a mark of UTF-8 and another encoding", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + root,
       "", "declares the encoding \"ISO-8859-1\""},
      {"a mark of UTF-16 and another encoding",
       "\xFF\xFE" + Utf16("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + root, false), "",
       "declares the encoding \"ISO-8859-1\""},
      {"UTF-16LE declared in big-endian", "\xFE\xFF" + Utf16("<?xml version=\"1.0\" encoding=\"UTF-16LE\"?>" + root, true),
       "", "UTF-16LE"},
      {"UTF-16 declared in single bytes", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + root, "",
       "is not written in it"},
      {"UTF-16 cut in a character", "\xFF\xFE" + Utf16(root, false) + "x", "", "UTF-16"},
      {"half a surrogate pair", std::string("\xFF\xFE<\0r\0>\0\x3D\xD8<\0/\0r\0>\0", 18), "", "not valid UTF-16"},
      {"an encoding that is no name", "<?xml version=\"1.0\" encoding=\"caf\xC3\xA9\"?>" + root, "",
       "names no encoding"},
      {"an encoding not quoted", "<?xml version=\"1.0\" encoding=latin1?>" + root, "", "not quoted"},
      {"a declaration with an encoding after the start", "<r/><?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "",
       "must begin the document"},
  };
  for (const auto& c : cases) {
    XmlParseError error;
    EXPECT_FALSE(ParseXmlTree(c.bytes, &error)) << c.what;
    EXPECT_EQ(error.encoding, c.encoding) << c.what;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << c.what << ": " << error.message;
  }
  // A later declaration that names no encoding is skipped, as any processing
  // instruction.
  EXPECT_TRUE(ParseXmlTree("<r><?xml version=\"1.0\"?></r>"));
}

// Every "&#" of a text or attribute value begins a character reference to a
// character XML allows: nothing else can end or garble a text further up.
TEST(XmlTree, RefusesCharacterReferencesXmlDoesNotAllow) {
  const char* refused[] = {
      "&#x0;", "&#0;", "&#x00000;", "&#x1;", "&#8;", "&#xB;", "&#x0c;", "&#x1F;", "&#xD800;", "&#xDFFF;",
      "&#xFFFE;", "&#xFFFF;", "&#x110000;", "&#1114112;", "&#xFFFFFFFFFFFFFFFF;", "&#99999999999999999999;",
      "&#x;", "&#;", "&#x41zz;", "&#12a;", "&#x41", "&#65", "&#xzz and then;", "&#-1;", "&# 65;",
  };
  for (const char* reference : refused) {
    for (const std::string& text :
         {"<r>\n<e v=\"a" + std::string(reference) + "b\"/></r>", "<r>\n<e>a" + std::string(reference) + "b</e></r>",
          "<r>\n<e>a<!-- --> " + std::string(reference) + "</e></r>"}) {
      XmlParseError error;
      EXPECT_FALSE(ParseXmlTree(text, &error)) << text;
      EXPECT_EQ(error.message.rfind("line 2:", 0), 0u) << error.message;
      EXPECT_NE(error.message.find(std::string(reference).substr(0, 4)), std::string::npos) << error.message;
    }
  }
  const char* allowed[] = {
      "&#x9;",   "&#xA;",    "&#x0d;",   "&#32;",     "&#x7F;",     "&#xe9;",  "&#xD7FF;",
      "&#xE000;", "&#xFFFD;", "&#x10000;", "&#x10FFFF;", "&#1114111;", "&#65;",  "&#x000000000000000000000000000041;",
  };
  for (const char* reference : allowed) {
    const std::string text = "<r v=\"" + std::string(reference) + "\">" + reference + "</r>";
    auto document = ParseXmlTree(text);
    ASSERT_TRUE(document) << text;
    // Handed on as written.
    EXPECT_EQ(Root(document).FindAttribute("v")->value, reference);
  }
  // CDATA holds no references; the other "&" forms are the reader's.
  EXPECT_TRUE(ParseXmlTree("<r a=\"&amp;&foo; & &\"><![CDATA[&#x0;&#]]>&#x26;#x0;</r>"));
  // The property-list store writes control characters as references: they
  // pass when asked, references to 0 and to no character never do.
  XmlParseLimits controls;
  controls.controlReferences = true;
  EXPECT_TRUE(ParseXmlTree("<r>&#1;&#x1F;&#9;</r>", nullptr, controls));
  for (const char* text : {"<r>&#0;</r>", "<r>&#xD800;</r>", "<r>&#xFFFF;</r>", "<r>&#x;</r>"})
    EXPECT_FALSE(ParseXmlTree(text, nullptr, controls)) << text;
}

// An element of many attributes is checked for a name given twice in time
// that grows with the document, not with its square.
TEST(XmlTree, ManyAttributesTakeTimeInProportion) {
  auto element = [](size_t count, const char* last) {
    std::string text = "<r";
    for (size_t i = 0; i < count; ++i) text += " attribute" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    return text + last + "/>";
  };
  const size_t count = 32000;
  const std::string small = element(count, ""), large = element(4 * count, "");
  const double smallTime = gbtest::FastestOfRuns([&] { EXPECT_TRUE(ParseXmlTree(small)); });
  const double largeTime = gbtest::FastestOfRuns([&] { EXPECT_TRUE(ParseXmlTree(large)); });
  // Four times the attributes: about four times the time, sixteen if it
  // grew with the square (seconds, then). The allowance keeps the noise of
  // short times out of it.
  EXPECT_LT(largeTime, 8 * smallTime + 0.5) << smallTime << " s, then " << largeTime << " s";
  // The name given twice is still found, last or first.
  XmlParseError error;
  EXPECT_FALSE(ParseXmlTree(element(4 * count, "\n attribute7=\"again\""), &error));
  EXPECT_EQ(error.message, "line 2: attribute attribute7 given twice");
  EXPECT_FALSE(ParseXmlTree("<r a=\"1\" b=\"2\" a=\"3\" b=\"4\"/>", &error));
  EXPECT_EQ(error.message, "line 1: attribute a given twice");
}

TEST(XmlTree, RefusesDocumentsOverTheLimits) {
  XmlParseLimits limits;
  limits.maxDepth = 8;
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<e>";
    text += "<leaf/>";
    for (int i = 0; i < depth; ++i) text += "</e>";
    return text;
  };
  EXPECT_TRUE(ParseXmlTree(nested(7), nullptr, limits));   // leaf at depth 8
  EXPECT_FALSE(ParseXmlTree(nested(8), nullptr, limits));  // leaf at depth 9
  // The default depth limit holds against a very deep document without
  // exhausting the stack.
  XmlParseError error;
  EXPECT_FALSE(ParseXmlTree(nested(100000), &error));
  EXPECT_NE(error.message.find("deep"), std::string::npos);

  limits = XmlParseLimits();
  limits.maxNodes = 10;
  std::string many = "<r>";
  for (int i = 0; i < 9; ++i) many += "<i/>";
  EXPECT_TRUE(ParseXmlTree(many + "</r>", nullptr, limits));  // ten nodes
  EXPECT_FALSE(ParseXmlTree(many + "<i/></r>", nullptr, limits));

  limits = XmlParseLimits();
  limits.maxBytes = 16;
  EXPECT_FALSE(ParseXmlTree("<r>0123456789abcdef</r>", nullptr, limits));
}

TEST(XmlTree, ReadsFilesAndRefusesWhatIsNoRegularFile) {
  std::string folder = gbtest::MakeTempFolder("xml_tree");
  ASSERT_TRUE(gbtest::WriteFile(folder + "doc.xml", "<a><b/></a>"));
  auto document = plat::ParseXmlFile(folder + "doc.xml");
  ASSERT_TRUE(document);
  EXPECT_EQ(Root(document).children.front()->name, "b");

  XmlParseError error;
  EXPECT_FALSE(plat::ParseXmlFile(folder + "missing.xml", &error));
  EXPECT_EQ(error.fileError, ENOENT);
  EXPECT_FALSE(plat::ParseXmlFile(folder, &error));
  EXPECT_EQ(error.fileError, EISDIR);
  XmlParseLimits small;
  small.maxBytes = 4;
  EXPECT_FALSE(plat::ParseXmlFile(folder + "doc.xml", &error, small));
  EXPECT_EQ(error.fileError, EFBIG);
  EXPECT_FALSE(plat::ParseXmlFile("/dev/null", &error));
  EXPECT_EQ(error.fileError, EINVAL);
}

}  // namespace
