// A small XML tree parser of the host layer.
//
// It reads a whole document into a tree of elements, attributes, text and
// CDATA sections. Comments, processing instructions, the declaration and a
// DOCTYPE are skipped; text that is only white space is dropped. Entity and
// character references are NOT resolved: text and attribute values are handed
// on as they are written in the file, so that the reader above resolves them
// exactly once. A character reference must still be one (`&#x` hex digits
// `;` or `&#` decimal digits `;`) and name a character XML allows; anything
// else is refused, so that no reference can end or garble a text. Line ends
// are normalised (CR LF and a lone CR become LF), as XML itself does.
//
// Encodings: a document that names none, as every document the system
// writes, is handed on byte for byte (a UTF-8 byte-order mark is skipped). A
// document that names one, in its declaration or by a UTF-16 byte-order
// mark, is read in it and handed on as UTF-8: UTF-8, US-ASCII, ISO-8859-1,
// Mac Roman ("macintosh") and UTF-16 (little- or big-endian, with its mark
// or as declared).
// Bytes that are not what the document declares, a declaration that its
// byte-order mark contradicts, and any other encoding are refused; the error
// names an encoding the parser does not read.
//
// The short root `<xml version="1.0">` that the system's own documents begin
// with is an ordinary element here. Documents over a size, nesting depth or
// node count limit are refused, so a hostile file cannot exhaust memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

enum class XmlNodeKind { kDocument, kElement, kText, kCData };

struct XmlAttribute {
  std::string name;
  std::string value;  // as written between the quotes
};

struct XmlTreeNode {
  XmlNodeKind kind = XmlNodeKind::kDocument;
  std::string name;                     // element name ("" for other kinds)
  std::string text;                     // content of a text or CDATA node
  std::vector<XmlAttribute> attributes;  // in document order
  std::vector<std::unique_ptr<XmlTreeNode>> children;

  [[nodiscard]] bool IsElement() const { return kind == XmlNodeKind::kElement; }
  // The attribute of that name, or null.
  [[nodiscard]] const XmlAttribute* FindAttribute(std::string_view attributeName) const;
};

struct XmlParseLimits {
  size_t maxBytes = size_t(64) << 20;
  size_t maxDepth = 256;
  size_t maxNodes = 250000;
  // References to the control characters XML 1.0 does not allow (&#1; to
  // &#x1F;, all but tab, line feed and carriage return) are let through: the
  // property-list store writes them. References to 0, to surrogates, to
  // U+FFFE, U+FFFF and beyond U+10FFFF are refused all the same.
  bool controlReferences = false;
};

struct XmlParseError {
  int fileError = 0;     // errno of a file that could not be read, 0 otherwise
  std::string message;   // what went wrong, with the line number for bad markup
  std::string encoding;  // the encoding the document is in when the parser does not read it, "" otherwise
};

// Parses a document held in memory. The result is the document node: its one
// element child is the root element. Null on failure, with `error` filled
// when given.
[[nodiscard]] std::unique_ptr<XmlTreeNode> ParseXmlTree(std::string_view data, XmlParseError* error = nullptr,
                                          const XmlParseLimits& limits = XmlParseLimits());

// Reads a regular file (host path) and parses it. A missing file, a folder, a
// device or a file over the size limit is refused without reading it.
[[nodiscard]] std::unique_ptr<XmlTreeNode> ParseXmlFile(const std::string& hostPath,
                                          XmlParseError* error = nullptr,
                                          const XmlParseLimits& limits = XmlParseLimits());

}  // namespace plat
