#include "platform/property_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/base64.h"
#include "platform/file_ops.h"
#include "platform/roots.h"
#include "platform/text_encoding.h"
#include "platform/xml_tree.h"

namespace plat {

PlistValue PlistValue::Boolean(bool value) {
  PlistValue v;
  v.type_ = Type::kBoolean;
  v.boolean_ = value;
  return v;
}

PlistValue PlistValue::Integer(int64_t value) {
  PlistValue v;
  v.type_ = Type::kInteger;
  v.integer_ = value;
  return v;
}

PlistValue PlistValue::Real(double value) {
  PlistValue v;
  v.type_ = Type::kReal;
  v.real_ = value;
  return v;
}

PlistValue PlistValue::String(const std::string& utf8) {
  PlistValue v;
  v.type_ = Type::kString;
  v.text_ = utf8;
  return v;
}

PlistValue PlistValue::Data(const std::vector<uint8_t>& bytes) {
  PlistValue v;
  v.type_ = Type::kData;
  v.data_ = bytes;
  return v;
}

PlistValue PlistValue::Date(const std::string& text) {
  PlistValue v;
  v.type_ = Type::kDate;
  v.text_ = text;
  return v;
}

PlistValue PlistValue::Array() {
  PlistValue v;
  v.type_ = Type::kArray;
  return v;
}

PlistValue PlistValue::Dictionary() { return PlistValue(); }

const PlistValue* PlistValue::Find(const std::string& key) const {
  if (type_ != Type::kDictionary) return nullptr;
  auto found = entries_.find(key);
  return found == entries_.end() ? nullptr : &found->second;
}

void PlistValue::Set(const std::string& key, const PlistValue& value) {
  if (type_ == Type::kDictionary) entries_[key] = value;
}

void PlistValue::Remove(const std::string& key) {
  if (type_ == Type::kDictionary) entries_.erase(key);
}

bool PlistValue::operator==(const PlistValue& other) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case Type::kBoolean: return boolean_ == other.boolean_;
    case Type::kInteger: return integer_ == other.integer_;
    case Type::kReal: return real_ == other.real_ || (std::isnan(real_) && std::isnan(other.real_));
    case Type::kString:
    case Type::kDate: return text_ == other.text_;
    case Type::kData: return data_ == other.data_;
    case Type::kArray: return items_ == other.items_;
    case Type::kDictionary: return entries_ == other.entries_;
  }
  return false;
}

namespace {

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    *out += char(code);
  } else if (code < 0x800) {
    *out += char(0xC0 | (code >> 6));
    *out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += char(0xE0 | (code >> 12));
    *out += char(0x80 | ((code >> 6) & 0x3F));
    *out += char(0x80 | (code & 0x3F));
  } else {
    *out += char(0xF0 | (code >> 18));
    *out += char(0x80 | ((code >> 12) & 0x3F));
    *out += char(0x80 | ((code >> 6) & 0x3F));
    *out += char(0x80 | (code & 0x3F));
  }
}

// Resolves the predefined entities and character references of XML text.
[[nodiscard]] bool ResolveReferences(const std::string& text, std::string* out) {
  static const struct {
    const char* name;
    char value;
  } kEntities[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      result += text[i];
      continue;
    }
    size_t end = text.find(';', i);
    if (end == std::string::npos || end - i > 12) return false;
    std::string name = text.substr(i + 1, end - i - 1);
    bool known = false;
    for (const auto& entity : kEntities) {
      if (name == entity.name) {
        result += entity.value;
        known = true;
      }
    }
    if (!known) {
      if (name.size() < 2 || name[0] != '#') return false;
      bool hex = name[1] == 'x';
      const char* digits = name.c_str() + (hex ? 2 : 1);
      char* stop = nullptr;
      unsigned long code = std::strtoul(digits, &stop, hex ? 16 : 10);
      if (!*digits || *stop || *digits == '-' || *digits == '+' || code == 0 || code > 0x10FFFF ||
          (code >= 0xD800 && code <= 0xDFFF))
        return false;
      AppendUtf8(uint32_t(code), &result);
    }
    i = end;
  }
  out->swap(result);
  return true;
}

// The text content of an element: its text (references resolved) and CDATA
// children; false when it has element children or bad references, or is no
// UTF-8 (the writer declares every list UTF-8, so such a text could not be
// read back).
[[nodiscard]] bool ContentOf(const XmlTreeNode& element, std::string* out) {
  std::string text;
  for (const auto& child : element.children) {
    std::string piece;
    if (child->kind == XmlNodeKind::kText) {
      if (!ResolveReferences(child->text, &piece)) return false;
    } else if (child->kind == XmlNodeKind::kCData) {
      piece = child->text;
    } else {
      return false;
    }
    text += piece;
  }
  if (!IsValidUtf8(text)) return false;
  out->swap(text);
  return true;
}

std::string Trimmed(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\n\r");
  if (start == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\n\r");
  return text.substr(start, end - start + 1);
}

[[nodiscard]] bool ParseValue(const XmlTreeNode& node, PlistValue* out, std::string* message);

[[nodiscard]] bool ParseDictionary(const XmlTreeNode& node, PlistValue* out, std::string* message) {
  PlistValue dictionary = PlistValue::Dictionary();
  const auto& children = node.children;
  for (size_t i = 0; i < children.size(); i += 2) {
    const XmlTreeNode& keyNode = *children[i];
    std::string key;
    if (!keyNode.IsElement() || keyNode.name != "key" || !ContentOf(keyNode, &key)) {
      *message = "a dictionary entry has no <key>";
      return false;
    }
    if (i + 1 >= children.size()) {
      *message = "the key \"" + key + "\" has no value";
      return false;
    }
    PlistValue value;
    if (!ParseValue(*children[i + 1], &value, message)) return false;
    dictionary.Set(key, value);
  }
  *out = std::move(dictionary);
  return true;
}

bool ParseValue(const XmlTreeNode& node, PlistValue* out, std::string* message) {
  if (!node.IsElement()) {
    *message = "text where a value should be";
    return false;
  }
  const std::string& name = node.name;
  if (name == "dict") return ParseDictionary(node, out, message);
  if (name == "array") {
    PlistValue array = PlistValue::Array();
    for (const auto& child : node.children) {
      PlistValue item;
      if (!ParseValue(*child, &item, message)) return false;
      array.items().push_back(std::move(item));
    }
    *out = std::move(array);
    return true;
  }
  if ((name == "true" || name == "false") && node.children.empty()) {
    *out = PlistValue::Boolean(name == "true");
    return true;
  }
  std::string content;
  if (!ContentOf(node, &content)) {
    *message = "bad content in <" + name + ">";
    return false;
  }
  if (name == "string") {
    *out = PlistValue::String(content);
    return true;
  }
  if (name == "date") {
    *out = PlistValue::Date(Trimmed(content));
    return true;
  }
  if (name == "data") {
    std::vector<uint8_t> bytes;
    if (!DecodeBase64(content.data(), content.size(), &bytes)) {
      *message = "bad base64 in <data>";
      return false;
    }
    *out = PlistValue::Data(bytes);
    return true;
  }
  std::string number = Trimmed(content);
  char* stop = nullptr;
  errno = 0;
  if (name == "integer") {
    long long value = number.empty() ? 0 : std::strtoll(number.c_str(), &stop, 10);
    if (number.empty() || *stop || errno == ERANGE) {
      *message = "bad <integer> \"" + number + "\"";
      return false;
    }
    *out = PlistValue::Integer(value);
    return true;
  }
  if (name == "real") {
    double value = number.empty() ? 0 : std::strtod(number.c_str(), &stop);
    if (number.empty() || *stop) {
      *message = "bad <real> \"" + number + "\"";
      return false;
    }
    *out = PlistValue::Real(value);
    return true;
  }
  *message = "unknown element <" + name + ">";
  return false;
}

std::string EscapeText(const std::string& text) {
  // A reader drops text that is only white space, so such a text is written
  // as character references.
  bool allSpace = text.find_first_not_of(" \t\n\r") == std::string::npos;
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    // Carriage returns would be lost to line-end normalisation; other
    // control characters have no literal form in XML.
    if (allSpace || (u < 0x20 && c != '\t' && c != '\n')) {
      out += "&#" + std::to_string(u) + ";";
    } else if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

void Indent(int depth, std::string* out) { out->append(size_t(depth), '\t'); }

void SerializeValue(const PlistValue& value, int depth, std::string* out) {
  Indent(depth, out);
  switch (value.type()) {
    case PlistValue::Type::kBoolean:
      *out += value.boolean() ? "<true/>\n" : "<false/>\n";
      break;
    case PlistValue::Type::kInteger:
      *out += "<integer>" + std::to_string(value.integer()) + "</integer>\n";
      break;
    case PlistValue::Type::kReal: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", value.real());
      *out += std::string("<real>") + buffer + "</real>\n";
      break;
    }
    case PlistValue::Type::kString:
      *out += "<string>" + EscapeText(value.text()) + "</string>\n";
      break;
    case PlistValue::Type::kDate:
      *out += "<date>" + EscapeText(value.text()) + "</date>\n";
      break;
    case PlistValue::Type::kData:
      *out += "<data>" + EncodeBase64(value.data().data(), value.data().size()) + "</data>\n";
      break;
    case PlistValue::Type::kArray:
      if (value.items().empty()) {
        *out += "<array/>\n";
        break;
      }
      *out += "<array>\n";
      for (const PlistValue& item : value.items()) SerializeValue(item, depth + 1, out);
      Indent(depth, out);
      *out += "</array>\n";
      break;
    case PlistValue::Type::kDictionary:
      if (value.entries().empty()) {
        *out += "<dict/>\n";
        break;
      }
      *out += "<dict>\n";
      for (const auto& [key, item] : value.entries()) {
        Indent(depth + 1, out);
        *out += "<key>" + EscapeText(key) + "</key>\n";
        SerializeValue(item, depth + 1, out);
      }
      Indent(depth, out);
      *out += "</dict>\n";
      break;
  }
}

}  // namespace

std::string SerializePropertyList(const PlistValue& value) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
  SerializeValue(value, 0, &out);
  out += "</plist>\n";
  return out;
}

bool ParsePropertyList(const std::string& text, PlistValue* out, std::string* message) {
  std::string local;
  std::string& why = message ? *message : local;
  XmlParseError error;
  // The writer above writes control characters as references.
  XmlParseLimits limits;
  limits.controlReferences = true;
  std::unique_ptr<XmlTreeNode> document = ParseXmlTree(text, &error, limits);
  if (!document) {
    why = error.message;
    return false;
  }
  const XmlTreeNode& root = *document->children.front();
  if (root.name != "plist" || root.children.size() != 1) {
    why = "not a property list";
    return false;
  }
  PlistValue value;
  if (!ParseValue(*root.children.front(), &value, &why)) return false;
  *out = std::move(value);
  return true;
}

bool ReadPropertyListFile(const std::string& hostPath, PlistValue* out, int* fileError) {
  std::string text;
  int error = 0;
  if (!ReadRegularFile(hostPath, XmlParseLimits().maxBytes, &text, &error)) {
    if (fileError) *fileError = error;
    return false;
  }
  if (fileError) *fileError = 0;
  return ParsePropertyList(text, out);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, int* fileError) {
  // Through a link to the file it leads to: replaced by a file, the link
  // would leave that file with the old content.
  std::string hostPath = path;
  if (GetItemKind(path) == ItemKind::link && FollowLinkChain(path, &hostPath) != noErr) {
    if (fileError) *fileError = ENOENT;
    return false;
  }
  struct stat replaced;
  const bool replacing = lstat(hostPath.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
  size_t slash = hostPath.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : hostPath.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
  std::string temporary = folder + "." + name + ".XXXXXX";
  int error = 0;
  int fd = mkstemp(temporary.data());
  if (fd < 0) {
    if (fileError) *fileError = errno;
    return false;
  }
  if (replacing && SetOwnerAndMode(temporary, replaced.st_uid, replaced.st_gid, replaced.st_mode) != noErr)
    error = EPERM;
  size_t done = 0;
  while (!error && done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    done += size_t(n);
  }
  if (!error && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && !error) error = errno;
  if (!error && rename(temporary.c_str(), hostPath.c_str()) != 0) error = errno;
  if (error) unlink(temporary.c_str());
  if (fileError) *fileError = error;
  return error == 0;
}

bool WritePropertyListFile(const std::string& hostPath, const PlistValue& value, int* fileError) {
  return WriteFileAtomically(hostPath, SerializePropertyList(value), fileError);
}

std::string BundleInfoString(const std::string& key) {
  PlistValue info;
  int fileError = 0;
  if (!ReadPropertyListFile(ApplicationBundle() + "Contents/Info.plist", &info, &fileError))
    return std::string();
  const PlistValue* value = info.Find(key);
  return value && value->type() == PlistValue::Type::kString ? value->text() : std::string();
}

}  // namespace plat
