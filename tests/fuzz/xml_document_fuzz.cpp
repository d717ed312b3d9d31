// Fuzz target of the XML reader under every XML document of the system:
// any bytes parse or are refused within the parser's limits, every typed
// getter answers for every attribute and text, and a document written back
// through the XML writer reads back with the same elements, attribute
// values and texts.
//
// Seeds: documents our writer makes, in the forms the system's documents
// take (declaration or short root, escapes, paths, base64, numbers), and
// documents in the other encodings the reader reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "platform/xml_tree.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// An element as the system's readers see it: its name, its attributes'
// texts and its text, and its element children.
struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;
  std::vector<Element> children;
  bool operator==(const Element&) const = default;
};

// White space alone is no text to the parser, whichever way it was written.
std::string Significant(const std::string& text) {
  return text.find_first_not_of(" \t\n\r") == std::string::npos ? "" : text;
}

// Every getter of a value handle, for their own sake: none may fail hard.
void Probe(const CXmlNode& value) {
  CStringBuffer buffer;
  (void)value.GetText(buffer, "default");
  (void)value.GetTextUnescapedTwice(buffer, "default");
  (void)value.GetLong(-1);
  (void)value.GetInteger(-1);
  (void)value.GetUnsigned(1);
  (void)value.GetDouble(0.5);
  (void)value.GetBool(true);
  CPathName path(nullptr);
  (void)value.GetPath(path);
  u8 bytes[64];
  size_t length = 0;
  (void)value.GetBinary(bytes, sizeof bytes, &length);
  std::string text;
  (void)value.GetBinaryAsText(text, "default");
}

Element Describe(const plat::XmlTreeNode& tree, const CPathName& documentPath) {
  CXmlNode node;
  (void)node.SetFromTree(&tree, documentPath);  // a node that does not take the tree is probed empty
  Probe(node);
  Element element;
  node.GetNameString();
  element.name = tree.name;
  element.text = Significant(node.GetTextString());
  CXmlElementInfo info;
  (void)node.GetElementInfo(info);  // a node that is no element has no attributes
  for (const plat::XmlAttribute& attribute : tree.attributes) {
    CXmlNode value;
    if (!info.FindAttribute(attribute.name.c_str(), value)) gbfuzz::Fail("an attribute cannot be found by its name");
    Probe(value);
    // Only the first attribute of a name is ever found.
    bool repeated = false;
    for (const auto& seen : element.attributes) repeated = repeated || seen.first == attribute.name;
    if (!repeated) element.attributes.emplace_back(attribute.name, value.GetTextString());
  }
  CXmlNodeList children;
  node.GetChildren(children);
  for (int i = 0; i < children.GetCount(); ++i) {
    CXmlNode child;
    if (!children.GetAt(i, child)) gbfuzz::Fail("a child in the list cannot be had");
  }
  for (const auto& child : tree.children)
    if (child->IsElement()) element.children.push_back(Describe(*child, documentPath));
  return element;
}

void Write(CXmlWriter& writer, const Element& element) {
  writer.BeginElement(element.name.c_str(), false);
  for (const auto& attribute : element.attributes) {
    writer.WriteText(attribute.first.c_str());
    writer.WriteText("=\"");
    writer.WriteEscaped(attribute.second.c_str());
    writer.WriteText("\" ");
  }
  writer.WriteText(">");
  writer.WriteEscaped(element.text.c_str());
  for (const Element& child : element.children) Write(writer, child);
  writer.WriteText("</");
  writer.WriteText(element.name.c_str());
  writer.WriteText(">\n");
}

std::vector<Element> DescribeDocument(const plat::XmlTreeNode& document, const CPathName& path) {
  std::vector<Element> roots;
  for (const auto& child : document.children)
    if (child->IsElement()) roots.push_back(Describe(*child, path));
  return roots;
}

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  for (int form = 0; form < 2; ++form) {
    const CPathName path(folder + "document.xml");
    CXmlWriteOptions options;
    options.fullDeclaration = form;
    options.relativePaths = 1;
    CXmlWriter writer;
    if (!writer.Open(path, options, true)) gbfuzz::Fail("the XML writer cannot make a seed");
    writer.BeginElement("project", false);
    writer.WriteText("name=\"");
    writer.WriteEscaped("A \"saver\" <&> 'quoted'\r\n\xA9 \xE9t\xE9");
    writer.WriteText("\" count=\"");
    writer << -12345L;
    writer.WriteText("\" hex=\"0x1F\" real=\"");
    writer << 2.75;
    writer.WriteText("\" on=\"");
    writer.WriteBool(true);
    writer.WriteText("\" movie=\"");
    writer.WritePath(CPathName(folder + "movies/clip.swf"));
    writer.WriteText("\" data=\"");
    writer.WriteBase64("binary\x01\x02");
    writer.WriteText("\">\n");
    writer.BeginElement("item", true);
    writer.WriteText("<text>Some &amp; text<![CDATA[ and <raw> ]]></text>\n");
    writer.WriteText("<!-- a comment --><list><entry a=\"1\"/><entry a=\"2\"/></list>\n");
    writer.WriteText("</project>\n");
    if (!writer.Close()) gbfuzz::Fail("the XML writer cannot make a seed");
    seeds.AddFile(folder + "document.xml");
  }
  // Documents that name their encoding, as other programs write them.
  const std::string body = "<project name=\"caf\xE9 &#x8e; &#233;\" n=\"1\"><item a=\"&#x9;&#xA;\"/>\xE9t\xE9</project>\n";
  seeds.Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + body);
  seeds.Add("<?xml version='1.0' encoding='macintosh' standalone='yes'?>\r\n" + body);
  seeds.Add("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<p v=\"caf\xC3\xA9 \xF0\x9F\x98\x80\"/>");
  for (const bool bigEndian : {false, true}) {
    std::string utf16 = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + body) {
      const char units[2] = {bigEndian ? '\0' : c, bigEndian ? c : '\0'};
      utf16.append(units, 2);
    }
    seeds.Add(utf16);
  }
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = gbfuzz::SandboxFolder("work");
  const CPathName documentPath(folder + "document.xml");
  const auto tree = plat::ParseXmlTree(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!tree) return 0;
  const std::vector<Element> read = DescribeDocument(*tree, documentPath);

  // The document as a file, read through the document object.
  gbfuzz::WriteHostFile(folder + "document.xml", data, size);
  CXmlDocument document;
  gbfuzz::Check(document.Open(documentPath), "a document that parses in memory does not open as a file");
  CXmlNode root;
  if (!read.empty()) gbfuzz::Check(document.GetRootNode(root), "a document with a root element has no root node");

  // Written back, read back.
  CXmlWriteOptions options;
  options.fullDeclaration = 1;
  const CPathName writtenPath(folder + "written.xml");
  CXmlWriter writer;
  gbfuzz::Check(writer.Open(writtenPath, options, true), "the XML writer cannot open its file");
  for (const Element& element : read) Write(writer, element);
  gbfuzz::Check(writer.Close(), "the XML writer cannot write its file");
  const auto again = plat::ParseXmlFile(folder + "written.xml");
  if (!again) gbfuzz::Fail("a document written back does not parse");
  if (DescribeDocument(*again, writtenPath) != read) gbfuzz::Fail("a document written back reads back differently");
  return 0;
}
