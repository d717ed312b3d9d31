#include "foundation/xml_reader.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "foundation/base64.h"
#include "platform/text_encoding.h"
#include "platform/xml_tree.h"

namespace {

// The longest run between "&#x" and ';' that is read as a number.
constexpr size_t kMaxReferenceDigits = 29;

// Text of the tree in the application's encoding. The system writes only
// ASCII (higher bytes as references) and, for texts Mac Roman cannot hold,
// UTF-8; a hand-written file is UTF-8 as XML says, and a file that declares
// another encoding comes from the tree as UTF-8 too: their characters become
// Mac Roman. A character that Mac Roman cannot hold becomes '?' and sets
// `lost`.
std::string ToApplicationText(const std::string& bytes, bool* lost = nullptr) {
  return plat::Utf8ToMacRomanLossy(bytes, lost);
}

// The same text as UTF-8: bytes that are no UTF-8 are Mac Roman, as above.
std::string ToHostText(const std::string& bytes) {
  return plat::IsValidUtf8(bytes) ? bytes : plat::MacRomanToUtf8(bytes);
}

void AppendCodePoint(std::string& out, u32 codePoint) {
  u8 buffer[4];
  const size_t length = plat::EncodeCodePoint(codePoint, kCFStringEncodingUTF8, buffer);
  out.append(reinterpret_cast<const char*>(buffer), length);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A text unescaped either into the application's encoding or into UTF-8.
enum class Form { kApplication, kHost };

// One hexadecimal character reference at text[at] ("&#x...;"): what it
// stands for in `form`, appended to `out`, and the length it spans; false
// when it is not one. A reference to 0 appends nothing and sets `ended`.
[[nodiscard]] bool ReadHexReference(const std::string& text, size_t at, Form form, std::string& out, size_t* length,
                                    bool* ended, bool* lost) {
  if (text.compare(at, 3, "&#x") != 0) return false;
  // The ';' is looked for only as far as it may be, so that a text of many
  // "&#x" without one takes no longer than its length.
  const size_t found = std::string_view(text).substr(at + 3, kMaxReferenceDigits + 1).find(';');
  if (found == std::string_view::npos) return false;
  const size_t semicolon = at + 3 + found;
  // The number is the run of hex digits at the start; what follows up to the
  // ';' is passed over.
  // Values beyond Unicode are held at 0x110000, which maps to nothing.
  u32 value = 0;
  for (size_t i = at + 3; i < semicolon && HexValue(text[i]) >= 0; ++i)
    value = value > 0x10FFFF ? 0x110000 : value * 16 + u32(HexValue(text[i]));
  *length = semicolon + 1 - at;
  if (value == 0) {  // the text ends here, as a C string would
    *ended = true;
    return true;
  }
  // Up to 0xFF the number is a byte of the application's encoding; above it
  // a Unicode character.
  const bool character = value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
  if (form == Form::kHost) {
    if (value <= 0xFF)
      AppendCodePoint(out, plat::MacRomanToUnicode(u8(value)));
    else if (character)
      AppendCodePoint(out, value);
    else
      out += '?';
    return true;
  }
  if (value <= 0xFF) {
    out += char(value);
    return true;
  }
  u8 macRoman = '?';
  if (!plat::UnicodeToMacRoman(value, &macRoman) || macRoman == 0) {
    macRoman = '?';
    // A character the file names that has no form here is lost; a number
    // that names no character is a '?' in both forms.
    if (character && lost) *lost = true;
  }
  out += char(macRoman);
  return true;
}

// One pass of unescaping into `form`; `*ended` tells whether a reference to
// 0 ended the text early, `*lost` (when given) whether a reference names a
// character the application's encoding cannot hold.
std::string Unescape(const std::string& text, bool* ended, Form form = Form::kApplication, bool* lost = nullptr) {
  static const struct {
    const char* form;
    char value;
  } kNamed[] = {{"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == 0) {
      *ended = true;
      break;
    }
    if (c != '&') {
      out += c;
      continue;
    }
    bool matched = false;
    for (const auto& named : kNamed) {
      size_t length = std::strlen(named.form);
      if (text.compare(i, length, named.form) == 0) {
        out += named.value;
        i += length - 1;
        matched = true;
        break;
      }
    }
    if (matched) continue;
    size_t length = 0;
    if (ReadHexReference(text, i, form, out, &length, ended, lost)) {
      if (*ended) break;
      i += length - 1;
      continue;
    }
    out += '&';
  }
  return out;
}

}  // namespace

std::string UnescapeXmlEntities(const std::string& text) {
  bool ended = false;
  return Unescape(text, &ended);
}

void UnescapeXmlEntities(CStringBuffer& text) {
  std::string result = UnescapeXmlEntities(std::string(text.GetText()));
  text.SetText(result.c_str());
}

// ---------------------------------------------------------------------------

CXmlDocument::CXmlDocument() : path_("") {}

CXmlDocument::~CXmlDocument() { Release(); }

bool CXmlDocument::Open(const CPathName& path) { return LoadFile(path); }

bool CXmlDocument::LoadFile(const CPathName& path) {
  Release();
  path_ = path;
  error_.clear();
  unreadEncoding_.clear();
  std::string absolute = path.GetAbsolutePath(0);
  if (absolute.empty()) {
    error_ = "the file has no path";
    return false;
  }
  plat::XmlParseError error;
  tree_ = plat::ParseXmlFile(plat::ToHostPath(absolute), &error);
  if (!tree_) {
    error_ = error.message;
    unreadEncoding_ = error.encoding;
  }
  return tree_ != nullptr;
}

void CXmlDocument::Release() { tree_.reset(); }

bool CXmlDocument::GetRootNode(CXmlNode& node) const { return GetFirstChild(node); }

bool CXmlDocument::GetFirstChild(CXmlNode& node) const {
  if (!tree_ || tree_->children.empty() || !node.IsEmpty()) return false;
  return node.SetFromTree(tree_->children.front().get(), path_);
}

// ---------------------------------------------------------------------------

CXmlElementInfo::CXmlElementInfo() : path_("") {}

bool CXmlElementInfo::FindAttribute(const char* name, CXmlNode& value) const {
  if (!element_ || !name) return false;
  const plat::XmlAttribute* attribute = element_->FindAttribute(name);
  return attribute && value.SetFromAttributeValue(&attribute->value, path_);
}

size_t CXmlElementInfo::GetAttributeCount() const {
  return element_ ? element_->attributes.size() : 0;
}

// ---------------------------------------------------------------------------

CXmlNodeList::CXmlNodeList() : path_("") {}

int CXmlNodeList::GetCount() const { return parent_ ? int(parent_->children.size()) : 0; }

bool CXmlNodeList::GetAt(int index, CXmlNode& node) const {
  if (!parent_ || index < 0 || size_t(index) >= parent_->children.size()) return false;
  return node.SetFromTree(parent_->children[size_t(index)].get(), path_);
}

// ---------------------------------------------------------------------------

CXmlNode::CXmlNode() : path_("") {}

CXmlNode::~CXmlNode() = default;

CXmlNode::CXmlNode(const CXmlNode& other)
    : tree_(other.tree_), value_(other.value_), path_(other.path_) {}

CXmlNode& CXmlNode::operator=(const CXmlNode& other) {
  if (this != &other) {
    tree_ = other.tree_;
    value_ = other.value_;
    path_ = other.path_;
  }
  return *this;
}

void CXmlNode::Clear() {
  tree_ = nullptr;
  value_ = nullptr;
}

bool CXmlNode::SetFromTree(const plat::XmlTreeNode* tree, const CPathName& documentPath) {
  if (!tree) return false;
  tree_ = tree;
  value_ = nullptr;
  path_ = documentPath;
  return true;
}

bool CXmlNode::SetFromAttributeValue(const std::string* value, const CPathName& documentPath) {
  if (!value) return false;
  tree_ = nullptr;
  value_ = value;
  path_ = documentPath;
  return true;
}

bool CXmlNode::SetFromNode(const CXmlNode& other) {
  if (other.IsEmpty()) return false;
  *this = other;
  return true;
}

bool CXmlNode::GetName(CStringBuffer& name) const {
  if (!tree_ || !tree_->IsElement()) return false;
  return name.SetText(ToApplicationText(tree_->name).c_str());
}

std::string CXmlNode::GetNameString() const {
  CStringBuffer name;
  return GetName(name) ? std::string(name.GetText()) : std::string();
}

bool CXmlNode::GetElementInfo(CXmlElementInfo& info) const {
  if (!tree_ || !tree_->IsElement()) return false;
  info.element_ = tree_;
  info.path_ = path_;
  return true;
}

bool CXmlNode::GetChildren(CXmlNodeList& list) const {
  if (tree_) {
    list.parent_ = tree_;
    list.path_ = path_;
  }
  return true;
}

bool CXmlNode::GetFirstChild(CXmlNode& node) const {
  if (!tree_ || !tree_->IsElement() || tree_->children.empty() || !node.IsEmpty()) return false;
  return node.SetFromTree(tree_->children.front().get(), path_);
}

// The unescaped text of the handle; false when it holds none. `host`, when
// given, receives the text as UTF-8; `lost`, when given, is set when a
// character of it has no form in the application's encoding.
bool CXmlNode::GetRawText(std::string& text, std::string* host, bool* lost) const {
  // The pieces of the text, each with whether it is unescaped.
  std::vector<std::pair<const std::string*, bool>> pieces;
  std::string value;
  if (value_) {
    // Line feeds written into the value literally are dropped (XML would
    // have turned them into spaces); a line feed written as a character
    // reference is part of the value.
    for (char c : *value_)
      if (c != '\n') value += c;
    pieces.emplace_back(&value, true);
  } else if (!tree_) {
    return false;
  } else if (tree_->kind == plat::XmlNodeKind::kText || tree_->kind == plat::XmlNodeKind::kCData) {
    pieces.emplace_back(&tree_->text, tree_->kind == plat::XmlNodeKind::kText);
  } else {
    // An element: its text and CDATA children in order; element children do
    // not count. CDATA is literal and is not unescaped.
    for (const auto& child : tree_->children)
      if (child->kind == plat::XmlNodeKind::kText || child->kind == plat::XmlNodeKind::kCData)
        pieces.emplace_back(&child->text, child->kind == plat::XmlNodeKind::kText);
    if (pieces.empty()) return false;
  }
  std::string held, hosted;
  bool ended = false, hostEnded = false, missing = false;
  for (const auto& [raw, unescaped] : pieces) {
    if (ended) break;
    const std::string application = ToApplicationText(*raw, &missing);
    held += unescaped ? Unescape(application, &ended, Form::kApplication, &missing) : application;
    if (!host) continue;
    const std::string utf8 = ToHostText(*raw);
    hosted += unescaped ? Unescape(utf8, &hostEnded, Form::kHost) : utf8;
  }
  text = std::move(held);
  if (host) *host = std::move(hosted);
  if (lost) *lost = missing;
  return true;
}

bool CXmlNode::GetText(CStringBuffer& text, const char* defaultText) const {
  if (IsEmpty()) {
    text.SetText(defaultText ? defaultText : "");
    return false;
  }
  std::string raw;
  if (!GetRawText(raw)) return false;
  return text.SetText(raw.c_str());
}

std::string CXmlNode::GetTextString() const {
  std::string raw;
  return GetRawText(raw) ? std::string(raw.c_str()) : std::string();
}

bool CXmlNode::LosesCharacters() const {
  std::string raw;
  bool lost = false;
  return GetRawText(raw, nullptr, &lost) && lost;
}

std::string CXmlNode::GetHostText() const {
  std::string raw, host;
  return GetRawText(raw, &host) ? std::string(host.c_str()) : std::string();
}

bool CXmlNode::GetTextUnescapedTwice(CStringBuffer& text, const char* defaultText) const {
  if (!GetText(text, defaultText)) return false;
  UnescapeXmlEntities(text);
  return true;
}

long CXmlNode::GetLong(long defaultValue) const {
  std::string text;
  return GetRawText(text) ? std::atol(text.c_str()) : defaultValue;
}

long CXmlNode::GetInteger(long defaultValue) const {
  std::string text;
  return GetRawText(text) ? std::strtol(text.c_str(), nullptr, 0) : defaultValue;
}

unsigned long CXmlNode::GetUnsigned(unsigned long defaultValue) const {
  std::string text;
  return GetRawText(text) ? std::strtoul(text.c_str(), nullptr, 0) : defaultValue;
}

double CXmlNode::GetDouble(double defaultValue) const {
  std::string text;
  return GetRawText(text) ? std::strtod(text.c_str(), nullptr) : defaultValue;
}

bool CXmlNode::GetBool(bool defaultValue) const {
  std::string text;
  if (!GetRawText(text)) return defaultValue;
  return strcasecmp(text.c_str(), "true") == 0;
}

bool CXmlNode::GetPath(CPathName& path) const {
  std::string text;
  if (!GetRawText(text)) return false;
  CPathName stored(text.c_str());
  if (stored.IsRelative()) {
    CPathName resolved(ResolveRelativePath(stored, path_).c_str());
    path.SetFullPath(resolved);
  } else {
    path = stored;
  }
  return true;
}

std::string CXmlNode::GetHostPath() const {
  std::string raw, host;
  if (!GetRawText(raw, &host)) return std::string();
  host = host.c_str();
  if (!CPathName(raw.c_str()).IsRelative()) return host;
  // Resolved as GetPath resolves it, and a folder where that found one.
  std::string resolved = ResolveRelativeText(plat::MacRomanToUtf8(RelativePathFolder(path_)), host);
  CPathName held(nullptr);
  if (resolved.back() != '/' && GetPath(held) && held.IsFolderPath()) resolved += '/';
  return resolved;
}

bool CXmlNode::GetBinary(void* out, size_t capacity, size_t* length) const {
  std::string text;
  std::vector<u8> decoded;
  if (!GetRawText(text) || !DecodeBase64(decoded, text.data(), text.size()) ||
      decoded.size() > capacity)
    return false;
  if (!decoded.empty()) std::memcpy(out, decoded.data(), decoded.size());
  if (length) *length = decoded.size();
  return true;
}

bool CXmlNode::GetBinaryAsText(std::string& text, const char* defaultText) const {
  std::string encoded;
  std::vector<u8> decoded;
  if (!GetRawText(encoded) || !DecodeBase64(decoded, encoded.data(), encoded.size())) {
    text = defaultText ? defaultText : "";
    return false;
  }
  std::string result(decoded.begin(), decoded.end());
  text = result.c_str();  // a 0 byte ends the text
  return true;
}

bool CXmlNode::GetBinaryAsText(CStringBuffer& text, const char* defaultText) const {
  std::string result;
  bool ok = GetBinaryAsText(result, defaultText);
  text.SetText(result.c_str());
  return ok;
}
