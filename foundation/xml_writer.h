// The XML file writer.
//
// `CXmlWriter` writes an XML text file as a stream of fragments: callers
// write the markup themselves and use the writer for the file, the
// declaration, escaping, numbers, booleans, paths and base64 data. It builds
// no tree and does not track open elements. Texts are written as the
// application's 8-bit (Mac Roman) bytes; bytes from 0x80 up are written as
// character references, so the file itself is plain ASCII, but for texts
// read from a document with characters Mac Roman cannot hold, which are
// written back in UTF-8 as that document had them.
#pragma once

#include <cstddef>
#include <fstream>
#include <string>

#include "foundation/path_name.h"
#include "platform/mac_types.h"

struct CXmlWriteOptions {
  CXmlWriteOptions();

  OSType type;            // Finder file type of the created file ('????')
  OSType creator;         // Finder creator of the created file ('????')
  float scale;            // carried along for callers; the writer does not use it
  UInt8 relativePaths;    // paths are written relative to the document
  UInt8 fullDeclaration;  // "<?xml version=\"1.0\" ?>" instead of the short root element
  UInt8 writeHeader;      // a declaration is written at open
};

class CXmlWriter {
 public:
  CXmlWriter();
  ~CXmlWriter();

  CXmlWriter(const CXmlWriter&) = delete;
  CXmlWriter& operator=(const CXmlWriter&) = delete;

  // Creates the file with the options' type and creator (an existing file is
  // replaced only when `replace` is set) and writes the declaration. False
  // when the file cannot be created or opened; nothing is written then.
  [[nodiscard]] bool Open(const CPathName& path, const CXmlWriteOptions& options, bool replace);
  // Ends the short root element when it was opened, and closes the file.
  // False when any write to the file failed (also a failure to flush it
  // now); true for a writer that was not open.
  [[nodiscard]] bool Close();
  [[nodiscard]] bool IsOpen() const { return stream_.is_open(); }

  // "<" + name + " "; with `empty` also "/>" and a line feed.
  void BeginElement(const char* name, bool empty);
  // The text as it stands (markup).
  void WriteText(const char* text);
  // The text with XML escapes (see the .cpp for the table).
  void WriteEscaped(const char* text);
  void WriteBool(bool value);

  // Number writers in the stream's default decimal format; each returns the
  // writer so that calls chain. A char is written as the character itself.
  CXmlWriter& WriteUnsigned(unsigned long value);
  CXmlWriter& operator<<(unsigned long value);
  CXmlWriter& operator<<(unsigned int value);
  CXmlWriter& operator<<(unsigned short value);
  CXmlWriter& operator<<(long value);
  CXmlWriter& operator<<(int value);
  CXmlWriter& operator<<(short value);
  CXmlWriter& operator<<(long long value);
  CXmlWriter& operator<<(float value);
  CXmlWriter& operator<<(double value);
  CXmlWriter& operator<<(const void* pointer);
  CXmlWriter& operator<<(char value);
  CXmlWriter& operator<<(unsigned char value);
  CXmlWriter& operator<<(const char* text);  // as WriteText

  // The path, relative to the document when the options asked for it,
  // otherwise absolute in the process-wide output path style; escaped. A
  // path read from a document is written as that document wrote it
  // (CPathName::GetWrittenForm): a relative text as it stands while the
  // document written is in the folder it was taken from, else made
  // absolute; a text with characters the application's encoding cannot
  // hold in UTF-8, as the document had it. A snapshot (SetWritesSnapshot)
  // writes what the application holds instead.
  void WritePath(const CPathName& path);
  CXmlWriter& AppendPath(const CPathName& path);

  // The document this writer writes, when that is not the file it writes
  // into (a file written beside it and put in its place afterwards): paths
  // are written for the document's folder.
  void SetDocumentPath(const CPathName& path) { document_ = path; }
  // A snapshot of values that the application reads back as they are
  // (undo steps): each value is written as the application holds it, and
  // the text its document wrote for it beside it (model_attributes.h).
  void SetWritesSnapshot(bool snapshot) { snapshot_ = snapshot; }
  [[nodiscard]] bool WritesSnapshot() const { return snapshot_; }
  // A UTF-8 text with the escapes of WriteEscaped, its characters beyond
  // ASCII written as they stand.
  void WriteHostEscaped(const std::string& text);
  // A text as its document wrote it (UTF-8): through WriteEscaped when the
  // application's encoding holds it, so that it reads as it is written;
  // else as it stands (WriteHostEscaped).
  void WriteWrittenText(const std::string& text);

  // Base64 of the bytes (no line breaks); returns the encoded length, 0 when
  // encoding fails. The second form encodes the bytes of a C string.
  size_t WriteBase64(const void* data, size_t n);
  size_t WriteBase64(const char* text);

  // The escaped form of a text, as WriteEscaped writes it.
  static std::string Escape(const char* text);

 private:
  template <typename T>
  CXmlWriter& Put(const T& value) {
    stream_ << value;
    return *this;
  }

  std::fstream stream_;
  CPathName path_;
  UInt8 relativePaths_ = 0;
  UInt8 fullDeclaration_ = 0;
  UInt8 writeHeader_ = 0;
  CPathName document_{nullptr};
  bool snapshot_ = false;
};

// Decodes n base64 characters into `out` when the result fits in `capacity`
// bytes; returns the decoded length, 0 when it does not fit.
size_t DecodeBase64Into(const char* text, size_t n, void* out, size_t capacity);
