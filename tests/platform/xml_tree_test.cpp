#include "platform/xml_tree.h"

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
      "\xFF\xFE<\0a\0/\0>\0",
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
