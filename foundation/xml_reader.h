// The XML reader.
//
// `CXmlDocument` loads a whole XML file into a tree; small handle objects
// walk it: `CXmlNode` (an element or an attribute value), `CXmlElementInfo`
// (an element's attributes) and `CXmlNodeList` (an element's children). Every
// handle carries the document's path, so relative paths stored in the file
// are resolved against the document. Handles point into the document's tree
// and are valid while the document stays loaded.
//
// Texts come back in the application's 8-bit encoding (Mac Roman) with their
// entity and character references resolved once by `UnescapeXmlEntities`.
// A character that Mac Roman cannot hold comes back as '?': a node tells
// when its text lost one, and gives the text as the file wrote it (UTF-8)
// for the messages that name it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "foundation/path_name.h"
#include "foundation/string_buffer.h"

namespace plat {
struct XmlTreeNode;
}

class CXmlNode;
class CXmlNodeList;

class CXmlDocument {
 public:
  CXmlDocument();
  ~CXmlDocument();

  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;

  // Loads and parses the file; false when it cannot be read or is not
  // well-formed XML (the document then stays empty). A file that declares
  // its encoding is read in it (see platform/xml_tree.h).
  [[nodiscard]] bool Open(const CPathName& path);
  [[nodiscard]] bool LoadFile(const CPathName& path);
  void Release();

  // Why the last load failed, in English ("" after a load that succeeded).
  const std::string& GetError() const { return error_; }
  // The encoding of a file that the last load refused because the reader
  // does not read that encoding, as the file names it; "" otherwise.
  const std::string& GetUnreadEncoding() const { return unreadEncoding_; }

  // The root element (the first child of the document) into an empty node;
  // false when there is none or the node is already filled.
  [[nodiscard]] bool GetRootNode(CXmlNode& node) const;
  [[nodiscard]] bool GetFirstChild(CXmlNode& node) const;

  const CPathName& GetPath() const { return path_; }

 private:
  std::unique_ptr<plat::XmlTreeNode> tree_;
  CPathName path_;
  std::string error_;
  std::string unreadEncoding_;
};

class CXmlElementInfo {
 public:
  CXmlElementInfo();

  // The value of the named attribute into `value`; false when absent.
  bool FindAttribute(const char* name, CXmlNode& value) const;
  // Number of attributes of the element (0 for an empty info).
  size_t GetAttributeCount() const;

 private:
  friend class CXmlNode;
  const plat::XmlTreeNode* element_ = nullptr;
  CPathName path_;
};

class CXmlNodeList {
 public:
  CXmlNodeList();

  int GetCount() const;
  // The child at `index` into `node` (replacing what the node held); false
  // when the index has no child, and the node is then left as it was.
  [[nodiscard]] bool GetAt(int index, CXmlNode& node) const;

 private:
  friend class CXmlNode;
  const plat::XmlTreeNode* parent_ = nullptr;
  CPathName path_;
};

class CXmlNode {
 public:
  CXmlNode();
  ~CXmlNode();
  CXmlNode(const CXmlNode& other);
  CXmlNode& operator=(const CXmlNode& other);

  [[nodiscard]] bool IsEmpty() const { return !tree_ && !value_; }
  void Clear();

  // Handle setters; each refuses a null reference.
  [[nodiscard]] bool SetFromTree(const plat::XmlTreeNode* tree, const CPathName& documentPath);
  [[nodiscard]] bool SetFromAttributeValue(const std::string* value, const CPathName& documentPath);
  [[nodiscard]] bool SetFromNode(const CXmlNode& other);

  // The element's name; false for a handle that holds no element.
  [[nodiscard]] bool GetName(CStringBuffer& name) const;
  std::string GetNameString() const;
  [[nodiscard]] bool GetElementInfo(CXmlElementInfo& info) const;
  // The list of this element's children; true also for an empty handle,
  // whose list is left unchanged.
  bool GetChildren(CXmlNodeList& list) const;
  // Child 0 of this element into an empty node.
  [[nodiscard]] bool GetFirstChild(CXmlNode& node) const;

  // The text: of an element, its text and CDATA children; of an attribute,
  // its value. False (buffer unchanged) for an element without text; the
  // default text (and false) for an empty handle.
  [[nodiscard]] bool GetText(CStringBuffer& text, const char* defaultText = "") const;
  std::string GetTextString() const;
  // Whether the text holds a character that the application's encoding
  // cannot hold: GetText gives a '?' for each of them.
  [[nodiscard]] bool LosesCharacters() const;
  // The text as the document wrote it, in UTF-8, its references resolved
  // (as GetText resolves them, but into their characters); "" when the
  // handle holds no text.
  std::string GetHostText() const;
  [[nodiscard]] bool GetTextUnescapedTwice(CStringBuffer& text, const char* defaultText = "") const;

  // Typed getters; each returns the default when the text is missing.
  long GetLong(long defaultValue = 0) const;                    // decimal
  long GetInteger(long defaultValue = 0) const;                 // base 0: 0x.. hex, 0.. octal
  unsigned long GetUnsigned(unsigned long defaultValue = 0) const;  // base 0
  double GetDouble(double defaultValue = 0) const;
  [[nodiscard]] bool GetBool(bool defaultValue = false) const;  // true only for "true", any case

  // The text as a path; a relative one is resolved against the document.
  [[nodiscard]] bool GetPath(CPathName& path) const;
  // The path as the document wrote it, in UTF-8 (GetHostText); a relative
  // one placed in the folder GetPath resolves it from, so that it names the
  // same item wherever it is written again.
  std::string GetHostPath() const;
  // Base64-decodes the text into `out` when it fits in `capacity` bytes.
  [[nodiscard]] bool GetBinary(void* out, size_t capacity, size_t* length) const;
  // Base64-decodes the text as a 0-terminated text; the default on failure.
  [[nodiscard]] bool GetBinaryAsText(CStringBuffer& text, const char* defaultText = "") const;
  [[nodiscard]] bool GetBinaryAsText(std::string& text, const char* defaultText = "") const;

  const CPathName& GetDocumentPath() const { return path_; }

 private:
  [[nodiscard]] bool GetRawText(std::string& text, std::string* host = nullptr, bool* lost = nullptr) const;

  const plat::XmlTreeNode* tree_ = nullptr;
  const std::string* value_ = nullptr;
  CPathName path_;
};

// Resolves the five named entities and hexadecimal character references in
// one pass from left to right. References above 0xFF are Unicode characters
// and become their Mac Roman byte, or '?' when Mac Roman has none; anything
// else after a '&' is kept as it stands. A reference to 0 ends the text.
void UnescapeXmlEntities(CStringBuffer& text);
std::string UnescapeXmlEntities(const std::string& text);
