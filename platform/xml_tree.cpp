#include "platform/xml_tree.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/file_ops.h"
#include "platform/text_encoding.h"

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
void NormaliseLineEnds(std::string& text) {
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      text[out++] = '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      text[out++] = text[i];
    }
  }
  text.resize(out);
}

// The line (from 1) of `offset` in a text whose line ends are not yet
// normalised: CR LF, a lone CR and LF each end one line.
size_t LineOf(std::string_view text, size_t offset) {
  size_t line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  return line;
}

[[nodiscard]] bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

[[nodiscard]] bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[nodiscard]] bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The characters XML 1.0 allows in a document.
[[nodiscard]] bool IsXmlCharacter(u32 c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(u32 codePoint, std::string& out) {
  u8 bytes[4];
  const size_t length = EncodeCodePoint(codePoint, kCFStringEncodingUTF8, bytes);
  out.append(reinterpret_cast<const char*>(bytes), length);
}

enum class Encoding { kUnnamed, kUtf8, kAscii, kLatin1, kMacRoman, kUtf16, kUtf16Le, kUtf16Be };

// The names a declaration may give the encodings the parser reads (compared
// without regard to case).
constexpr struct {
  const char* name;
  Encoding encoding;
} kEncodingNames[] = {
    {"UTF-8", Encoding::kUtf8},          {"UTF8", Encoding::kUtf8},
    {"US-ASCII", Encoding::kAscii},      {"ASCII", Encoding::kAscii},
    {"ANSI_X3.4-1968", Encoding::kAscii}, {"ANSI_X3.4-1986", Encoding::kAscii},
    {"ISO646-US", Encoding::kAscii},     {"us", Encoding::kAscii},
    {"IBM367", Encoding::kAscii},        {"cp367", Encoding::kAscii},
    {"csASCII", Encoding::kAscii},       {"iso-ir-6", Encoding::kAscii},
    {"ISO-8859-1", Encoding::kLatin1},   {"ISO_8859-1", Encoding::kLatin1},
    {"ISO8859-1", Encoding::kLatin1},    {"ISO8859_1", Encoding::kLatin1},
    {"latin1", Encoding::kLatin1},       {"latin-1", Encoding::kLatin1},
    {"l1", Encoding::kLatin1},           {"iso-ir-100", Encoding::kLatin1},
    {"IBM819", Encoding::kLatin1},       {"CP819", Encoding::kLatin1},
    {"csISOLatin1", Encoding::kLatin1},  {"macintosh", Encoding::kMacRoman},
    {"mac", Encoding::kMacRoman},        {"csMacintosh", Encoding::kMacRoman},
    {"x-mac-roman", Encoding::kMacRoman}, {"MacRoman", Encoding::kMacRoman},
    {"UTF-16", Encoding::kUtf16},        {"UTF-16LE", Encoding::kUtf16Le},
    {"UTF-16BE", Encoding::kUtf16Be},
};

[[nodiscard]] bool EncodingOfName(std::string_view name, Encoding* encoding) {
  for (const auto& known : kEncodingNames) {
    if (name.size() == std::strlen(known.name) &&
        std::equal(name.begin(), name.end(), known.name, [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        })) {
      *encoding = known.encoding;
      return true;
    }
  }
  return false;
}

// The longest encoding name that is shown as it stands.
constexpr size_t kMaxEncodingName = 64;

// What the XML declaration at the start of `text` (after white space) says
// of the encoding: false when there is a declaration whose encoding cannot
// be made out; `name` is left empty when there is no declaration or it names
// no encoding. Only the encoding is looked at: the parser skips the
// declaration as it skips any processing instruction.
[[nodiscard]] bool ReadDeclaredEncoding(std::string_view text, std::string* name, std::string* message) {
  name->clear();
  size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos || text.compare(start, 5, "<?xml") != 0) return true;
  start += 5;
  if (start < text.size() && !IsSpace(text[start]) && text[start] != '?') return true;  // "<?xml-stylesheet"
  const size_t end = text.find("?>", start);
  if (end == std::string_view::npos) return true;  // the parser refuses it
  const std::string_view declaration = text.substr(start, end - start);
  for (size_t at = declaration.find("encoding"); at != std::string_view::npos;
       at = declaration.find("encoding", at + 1)) {
    if (at == 0 || !IsSpace(declaration[at - 1])) continue;
    size_t i = at + 8;
    while (i < declaration.size() && IsSpace(declaration[i])) ++i;
    if (i >= declaration.size() || declaration[i] != '=') continue;
    ++i;
    while (i < declaration.size() && IsSpace(declaration[i])) ++i;
    const size_t close = i < declaration.size() && (declaration[i] == '"' || declaration[i] == '\'')
                             ? declaration.find(declaration[i], i + 1)
                             : std::string_view::npos;
    if (close == std::string_view::npos) {
      *message = "line " + std::to_string(LineOf(text, start + at)) + ": the encoding of the XML declaration is not quoted";
      return false;
    }
    const std::string_view value = declaration.substr(i + 1, close - i - 1);
    bool wellFormed = !value.empty() && value.size() <= kMaxEncodingName && IsAsciiLetter(value[0]);
    for (char c : value)
      wellFormed = wellFormed && (IsAsciiLetter(c) || IsDigit(c) || c == '.' || c == '_' || c == '-');
    if (!wellFormed) {
      *message = "line " + std::to_string(LineOf(text, start + at)) + ": the XML declaration names no encoding";
      return false;
    }
    name->assign(value);
    return true;
  }
  return true;
}

// Where the first byte that is no part of a UTF-8 character is; npos when
// every byte is.
size_t FindBadUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    u32 c = 0;
    const size_t length = DecodeUtf8Character(reinterpret_cast<const u8*>(text.data()) + i, text.size() - i, &c);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

// UTF-16 in the given byte order as UTF-8; false, with the message, for an
// odd length or a surrogate without its other half.
[[nodiscard]] bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string* out, std::string* message) {
  auto unit = [&](size_t i) {
    const u32 first = u8(bytes[i]), second = u8(bytes[i + 1]);
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  out->clear();
  out->reserve(bytes.size() / 2 * 3);
  if (bytes.size() % 2 != 0) {
    *message = "the document ends in the middle of a UTF-16 character";
    return false;
  }
  for (size_t i = 0; i < bytes.size(); i += 2) {
    u32 c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      *message = "line " + std::to_string(LineOf(*out, out->size())) + ": the document is not valid UTF-16";
      return false;
    }
    AppendUtf8(c, *out);
  }
  return true;
}

// The document's bytes as the parser reads them: as they stand when the
// document names no encoding, else as UTF-8. False, with the error filled,
// when the document is not in an encoding the parser reads, or not in the
// one it names.
[[nodiscard]] bool DecodeDocument(std::string_view data, std::string* text, XmlParseError* error) {
  auto starts = [&](std::string_view prefix) { return data.substr(0, prefix.size()) == prefix; };
  // What the first bytes tell: a byte-order mark, or a first character
  // "<" (or the declaration's "<?") in a form of more than one byte.
  Encoding marked = Encoding::kUnnamed;
  size_t mark = 0;
  if (starts("\xEF\xBB\xBF")) {
    marked = Encoding::kUtf8, mark = 3;
  } else if (starts(std::string_view("\x00\x00\xFE\xFF", 4)) || starts(std::string_view("\xFF\xFE\x00\x00", 4)) ||
             starts(std::string_view("\x00\x00\x00<", 4)) || starts(std::string_view("<\x00\x00\x00", 4))) {
    error->encoding = "UTF-32";
    error->message = "the document is in UTF-32, an encoding the reader does not read";
    return false;
  } else if (starts("\xFE\xFF")) {
    marked = Encoding::kUtf16Be, mark = 2;
  } else if (starts("\xFF\xFE")) {
    marked = Encoding::kUtf16Le, mark = 2;
  } else if (data.size() >= 2 && data[0] != 0 && data[1] == 0) {
    marked = Encoding::kUtf16Le;
  } else if (data.size() >= 2 && data[0] == 0 && data[1] != 0) {
    marked = Encoding::kUtf16Be;
  }
  data.remove_prefix(mark);
  const bool utf16 = marked == Encoding::kUtf16Le || marked == Encoding::kUtf16Be;
  if (utf16) {
    if (!Utf16ToUtf8(data, marked == Encoding::kUtf16Be, text, &error->message)) return false;
  } else {
    text->assign(data);
  }

  std::string name;
  if (!ReadDeclaredEncoding(*text, &name, &error->message)) return false;
  // A mark of UTF-8 alone is skipped: the texts read as those of a document
  // that names no encoding, as they always have.
  Encoding declared = marked == Encoding::kUtf8 && name.empty() ? Encoding::kUnnamed : marked;
  if (!name.empty() && !EncodingOfName(name, &declared)) {
    error->encoding = name;
    error->message = "the document is in the encoding \"" + name + "\", which the reader does not read";
    return false;
  }
  // A byte-order mark and a declaration must agree; a document in UTF-16
  // may call itself "UTF-16" or name its own byte order.
  bool agrees = true;
  if (!name.empty()) {
    if (utf16)
      agrees = declared == Encoding::kUtf16 || declared == marked;
    else if (marked == Encoding::kUtf8)
      agrees = declared == Encoding::kUtf8;
    else
      agrees = declared != Encoding::kUtf16 && declared != Encoding::kUtf16Le && declared != Encoding::kUtf16Be;
  }
  if (!agrees) {
    error->message = marked == Encoding::kUnnamed
                         ? "the document declares the encoding \"" + name + "\" but is not written in it"
                         : std::string("the document is written in ") + (utf16 ? "UTF-16" : "UTF-8") +
                               " (as its first bytes show) but declares the encoding \"" + name + "\"";
    return false;
  }
  switch (declared) {
    case Encoding::kUnnamed:
    case Encoding::kUtf16:
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      return true;
    case Encoding::kUtf8: {
      const size_t bad = FindBadUtf8(*text);
      if (bad == std::string::npos) return true;
      error->message = "line " + std::to_string(LineOf(*text, bad)) + ": the document is not valid UTF-8, as it declares";
      return false;
    }
    case Encoding::kAscii: {
      const auto bad = std::find_if(text->begin(), text->end(), [](char c) { return u8(c) >= 0x80; });
      if (bad == text->end()) return true;
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X", unsigned(u8(*bad)));
      error->message = "line " + std::to_string(LineOf(*text, size_t(bad - text->begin()))) + ": the byte " + byte +
                       " is not " + name + ", as the document declares";
      return false;
    }
    case Encoding::kLatin1:
    case Encoding::kMacRoman: {
      std::string utf8;
      utf8.reserve(text->size());
      for (char c : *text) {
        if (u8(c) < 0x80)
          utf8 += c;
        else
          AppendUtf8(declared == Encoding::kLatin1 ? u32(u8(c)) : u32(MacRomanToUnicode(u8(c))), utf8);
      }
      text->swap(utf8);
      return true;
    }
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& text, const XmlParseLimits& limits)
      : text_(text), limits_(limits), start_(text.find_first_not_of(" \t\n")) {}

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
  [[nodiscard]] bool CheckReferences(size_t begin, size_t end);
  [[nodiscard]] bool SkipProcessingInstruction();
  [[nodiscard]] bool ParseDoctype();
  [[nodiscard]] bool ParseStartTag();
  [[nodiscard]] bool CheckAttributeNames(const XmlTreeNode& element, const std::vector<size_t>& namesAt);
  [[nodiscard]] bool ParseEndTag();
  [[nodiscard]] bool ParseCData();

  const std::string& text_;
  const XmlParseLimits& limits_;
  const size_t start_;  // where the first markup is: the place of the XML declaration
  size_t pos_ = 0;
  size_t nodes_ = 0;
  bool sawRoot_ = false;
  std::string pendingText_;
  std::string message_;
  std::vector<XmlTreeNode*> stack_;
};

// The character references in text_[begin, end) (a text or an attribute
// value): each "&#" must begin one, "&#x" hex digits ";" or "&#" decimal
// digits ";", that names a character XML allows.
bool Parser::CheckReferences(size_t begin, size_t end) {
  const std::string_view span(text_.data() + begin, end - begin);
  for (size_t at = span.find("&#"); at != std::string_view::npos; at = span.find("&#", at + 2)) {
    const bool hex = at + 2 < span.size() && span[at + 2] == 'x';
    size_t i = at + (hex ? 3 : 2);
    const size_t digits = i;
    u32 value = 0;
    // Values beyond Unicode are held at 0x110000.
    for (; i < span.size() && (hex ? IsHexDigit(span[i]) : IsDigit(span[i])); ++i) {
      const char c = span[i];
      const u32 digit = IsDigit(c) ? u32(c - '0') : u32(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
      value = value > 0x10FFFF ? 0x110000 : value * (hex ? 16 : 10) + digit;
    }
    // What a message quotes: up to the ';', within reason.
    auto quoted = [&] {
      const size_t semicolon = span.find(';', at);
      const size_t stop = std::min(semicolon == std::string_view::npos ? span.size() : semicolon + 1, at + 16);
      pos_ = begin + at;
      return "\"" + std::string(span.substr(at, stop - at)) + "\"";
    };
    if (i == digits || i >= span.size() || span[i] != ';') return Fail(quoted() + " is no character reference");
    const bool control = value >= 1 && value < 0x20;
    if (!IsXmlCharacter(value) && !(control && limits_.controlReferences))
      return Fail("the character reference " + quoted() + " names a character XML does not allow");
  }
  return true;
}

// A processing instruction is skipped. One that is an XML declaration with
// an encoding must be the declaration at the start, which told how the
// document was read.
bool Parser::SkipProcessingInstruction() {
  const size_t start = pos_;
  if (!SkipPast("?>")) return Fail("unterminated processing instruction");
  if (start != start_) {
    std::string name, message;
    if (!ReadDeclaredEncoding(std::string_view(text_).substr(start, pos_ - start), &name, &message) ||
        !name.empty()) {
      pos_ = start;
      return Fail("an XML declaration that names an encoding must begin the document");
    }
  }
  return true;
}

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
  // Where each attribute's name begins, for the check for one given twice.
  std::vector<size_t> namesAt;
  for (;;) {
    size_t before = pos_;
    SkipSpace();
    if (pos_ >= text_.size()) return Fail("unterminated start tag <" + element->name + ">");
    const bool empty = StartsWith("/>");
    if (text_[pos_] == '>' || empty) {
      const size_t end = pos_;
      if (!CheckAttributeNames(*element, namesAt)) return false;
      pos_ = end + (empty ? 2 : 1);
      if (!empty) stack_.push_back(element);
      return true;
    }
    if (pos_ == before) return Fail("attributes must be separated by white space");
    XmlAttribute attribute;
    namesAt.push_back(pos_);
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
    if (!CheckReferences(pos_, end)) return false;
    pos_ = end + 1;
    element->attributes.push_back(std::move(attribute));
  }
}

// No name is given to two attributes of the element. Names are compared in
// sorted order, so that an element of many attributes takes no longer than
// its names' sort.
bool Parser::CheckAttributeNames(const XmlTreeNode& element, const std::vector<size_t>& namesAt) {
  const std::vector<XmlAttribute>& attributes = element.attributes;
  if (attributes.size() < 2) return true;
  std::vector<size_t> order(attributes.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return attributes[a].name != attributes[b].name ? attributes[a].name < attributes[b].name : a < b;
  });
  // The first attribute that repeats an earlier name, in document order.
  size_t repeated = order.size();
  for (size_t i = 1; i < order.size(); ++i)
    if (attributes[order[i]].name == attributes[order[i - 1]].name) repeated = std::min(repeated, order[i]);
  if (repeated == order.size()) return true;
  pos_ = namesAt[repeated];
  return Fail("attribute " + attributes[repeated].name + " given twice");
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
      ok = CheckReferences(pos_, next);
      if (!ok) break;
      pendingText_.append(text_, pos_, next - pos_);
      pos_ = next;
      continue;
    }
    if (StartsWith("<!--")) {
      pos_ += 4;
      ok = SkipPast("-->") || Fail("unterminated comment");
    } else if (StartsWith("<?")) {
      ok = SkipProcessingInstruction();
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
  std::string text;
  if (!DecodeDocument(data, &text, &result)) return nullptr;
  if (text.find('\0') != std::string::npos) {
    result.message = "document holds a 0 byte";
    return nullptr;
  }
  NormaliseLineEnds(text);
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
