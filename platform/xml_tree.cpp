#include "platform/xml_tree.h"

#include <cstring>

#include "platform/file_ops.h"

namespace plat {

const XmlAttribute* XmlTreeNode::FindAttribute(std::string_view attributeName) const {
  for (const XmlAttribute& attribute : attributes)
    if (attribute.name == attributeName) return &attribute;
  return nullptr;
}

namespace {

[[nodiscard]] bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

[[nodiscard]] bool IsNameStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

[[nodiscard]] bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

[[nodiscard]] bool IsAllSpace(const std::string& text) {
  for (char c : text)
    if (!IsSpace(c)) return false;
  return true;
}

// CR LF and a lone CR become LF.
std::string NormaliseLineEnds(std::string_view data) {
  std::string out;
  out.reserve(data.size());
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\r') {
      out += '\n';
      if (i + 1 < data.size() && data[i + 1] == '\n') ++i;
    } else {
      out += data[i];
    }
  }
  return out;
}

class Parser {
 public:
  Parser(const std::string& text, const XmlParseLimits& limits) : text_(text), limits_(limits) {}

  [[nodiscard]] std::unique_ptr<XmlTreeNode> Run(std::string* message);

 private:
  bool Fail(const std::string& what) {
    size_t line = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i)
      if (text_[i] == '\n') ++line;
    message_ = "line " + std::to_string(line) + ": " + what;
    return false;
  }
  [[nodiscard]] bool StartsWith(const char* literal) const {
    return text_.compare(pos_, std::strlen(literal), literal) == 0;
  }
  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }
  [[nodiscard]] bool ReadName(std::string* name) {
    size_t start = pos_;
    if (pos_ >= text_.size() || !IsNameStart(text_[pos_])) return false;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    name->assign(text_, start, pos_ - start);
    return true;
  }
  // Moves past the next `terminator`; false when there is none.
  [[nodiscard]] bool SkipPast(const char* terminator) {
    size_t at = text_.find(terminator, pos_);
    if (at == std::string::npos) return false;
    pos_ = at + std::strlen(terminator);
    return true;
  }
  XmlTreeNode* Current() { return stack_.back(); }
  [[nodiscard]] XmlTreeNode* AddChild(XmlNodeKind kind) {
    if (++nodes_ > limits_.maxNodes) {
      Fail("too many nodes");
      return nullptr;
    }
    auto child = std::make_unique<XmlTreeNode>();
    child->kind = kind;
    XmlTreeNode* raw = child.get();
    Current()->children.push_back(std::move(child));
    return raw;
  }
  [[nodiscard]] bool FlushText();
  [[nodiscard]] bool ParseDoctype();
  [[nodiscard]] bool ParseStartTag();
  [[nodiscard]] bool ParseEndTag();
  [[nodiscard]] bool ParseCData();

  const std::string& text_;
  const XmlParseLimits& limits_;
  size_t pos_ = 0;
  size_t nodes_ = 0;
  bool sawRoot_ = false;
  std::string pendingText_;
  std::string message_;
  std::vector<XmlTreeNode*> stack_;
};

// Text between markup collects across comments and processing instructions
// and becomes one node when the next element, end tag or CDATA section comes.
bool Parser::FlushText() {
  if (pendingText_.empty()) return true;
  std::string text;
  text.swap(pendingText_);
  if (IsAllSpace(text)) return true;
  if (stack_.size() == 1) return Fail("text outside the root element");
  XmlTreeNode* node = AddChild(XmlNodeKind::kText);
  if (!node) return false;
  node->text = std::move(text);
  return true;
}

bool Parser::ParseDoctype() {
  if (sawRoot_ || stack_.size() > 1) return Fail("DOCTYPE inside the document");
  pos_ += 9;  // "<!DOCTYPE"
  int brackets = 0;
  char quote = 0;
  for (; pos_ < text_.size(); ++pos_) {
    char c = text_[pos_];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      ++pos_;
      return true;
    }
  }
  return Fail("unterminated DOCTYPE");
}

bool Parser::ParseStartTag() {
  ++pos_;  // '<'
  std::string name;
  if (!ReadName(&name)) return Fail("bad element name");
  if (stack_.size() > limits_.maxDepth) return Fail("elements nested too deeply");
  if (stack_.size() == 1) {
    if (sawRoot_) return Fail("more than one root element");
    sawRoot_ = true;
  }
  XmlTreeNode* element = AddChild(XmlNodeKind::kElement);
  if (!element) return false;
  element->name = std::move(name);
  for (;;) {
    size_t before = pos_;
    SkipSpace();
    if (pos_ >= text_.size()) return Fail("unterminated start tag <" + element->name + ">");
    if (text_[pos_] == '>') {
      ++pos_;
      stack_.push_back(element);
      return true;
    }
    if (StartsWith("/>")) {
      pos_ += 2;
      return true;
    }
    if (pos_ == before) return Fail("attributes must be separated by white space");
    XmlAttribute attribute;
    if (!ReadName(&attribute.name)) return Fail("bad attribute name in <" + element->name + ">");
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != '=')
      return Fail("attribute " + attribute.name + " has no value");
    ++pos_;
    SkipSpace();
    if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\''))
      return Fail("attribute " + attribute.name + " is not quoted");
    char quote = text_[pos_++];
    size_t end = text_.find(quote, pos_);
    if (end == std::string::npos) return Fail("unterminated attribute " + attribute.name);
    attribute.value.assign(text_, pos_, end - pos_);
    if (attribute.value.find('<') != std::string::npos)
      return Fail("'<' inside attribute " + attribute.name);
    pos_ = end + 1;
    if (element->FindAttribute(attribute.name))
      return Fail("attribute " + attribute.name + " given twice");
    element->attributes.push_back(std::move(attribute));
  }
}

bool Parser::ParseEndTag() {
  pos_ += 2;  // "</"
  std::string name;
  if (!ReadName(&name)) return Fail("bad end tag");
  SkipSpace();
  if (pos_ >= text_.size() || text_[pos_] != '>') return Fail("unterminated end tag </" + name + ">");
  ++pos_;
  if (stack_.size() == 1) return Fail("end tag </" + name + "> without a start tag");
  if (Current()->name != name)
    return Fail("end tag </" + name + "> does not match <" + Current()->name + ">");
  stack_.pop_back();
  return true;
}

bool Parser::ParseCData() {
  if (stack_.size() == 1) return Fail("CDATA outside the root element");
  pos_ += 9;  // "<![CDATA["
  size_t end = text_.find("]]>", pos_);
  if (end == std::string::npos) return Fail("unterminated CDATA section");
  if (end > pos_) {
    XmlTreeNode* node = AddChild(XmlNodeKind::kCData);
    if (!node) return false;
    node->text.assign(text_, pos_, end - pos_);
  }
  pos_ = end + 3;
  return true;
}

std::unique_ptr<XmlTreeNode> Parser::Run(std::string* message) {
  auto document = std::make_unique<XmlTreeNode>();
  stack_.push_back(document.get());
  bool ok = true;
  while (ok && pos_ < text_.size()) {
    if (text_[pos_] != '<') {
      size_t next = text_.find('<', pos_);
      if (next == std::string::npos) next = text_.size();
      pendingText_.append(text_, pos_, next - pos_);
      pos_ = next;
      continue;
    }
    if (StartsWith("<!--")) {
      pos_ += 4;
      ok = SkipPast("-->") || Fail("unterminated comment");
    } else if (StartsWith("<?")) {
      ok = SkipPast("?>") || Fail("unterminated processing instruction");
    } else if (StartsWith("<![CDATA[")) {
      ok = FlushText() && ParseCData();
    } else if (StartsWith("<!DOCTYPE")) {
      ok = FlushText() && ParseDoctype();
    } else if (StartsWith("</")) {
      ok = FlushText() && ParseEndTag();
    } else {
      ok = FlushText() && ParseStartTag();
    }
  }
  if (ok) ok = FlushText();
  if (ok && stack_.size() > 1) ok = Fail("document ends inside <" + Current()->name + ">");
  if (ok && !sawRoot_) ok = Fail("no root element");
  if (!ok) {
    *message = message_;
    return nullptr;
  }
  return document;
}

}  // namespace

std::unique_ptr<XmlTreeNode> ParseXmlTree(std::string_view data, XmlParseError* error,
                                          const XmlParseLimits& limits) {
  XmlParseError local;
  XmlParseError& result = error ? *error : local;
  result = XmlParseError();
  if (data.size() > limits.maxBytes) {
    result.message = "document too large";
    return nullptr;
  }
  if (data.size() >= 2 && ((data[0] == '\xFE' && data[1] == '\xFF') ||
                           (data[0] == '\xFF' && data[1] == '\xFE'))) {
    result.message = "UTF-16 documents are not supported";
    return nullptr;
  }
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  if (data.find('\0') != std::string_view::npos) {
    result.message = "document holds a 0 byte";
    return nullptr;
  }
  std::string text = NormaliseLineEnds(data);
  Parser parser(text, limits);
  return parser.Run(&result.message);
}

std::unique_ptr<XmlTreeNode> ParseXmlFile(const std::string& hostPath, XmlParseError* error,
                                          const XmlParseLimits& limits) {
  std::string bytes;
  int fileError = 0;
  if (!ReadRegularFile(hostPath, limits.maxBytes, &bytes, &fileError)) {
    if (error) {
      error->fileError = fileError;
      error->message = std::string("cannot read the file: ") + std::strerror(fileError);
    }
    return nullptr;
  }
  return ParseXmlTree(bytes, error, limits);
}

}  // namespace plat
