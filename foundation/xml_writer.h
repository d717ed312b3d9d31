// The XML file writer.
//
// `CXmlWriter` writes an XML text file as a stream of fragments: callers
// write the markup themselves and use the writer for the file, the
// declaration, escaping, numbers, booleans, paths and base64 data. It builds
// no tree and does not track open elements. Texts are written as the
// application's 8-bit (Mac Roman) bytes; bytes from 0x80 up are written as
// character references, so the file itself is plain ASCII.
#pragma once

#include <cstddef>
#include <fstream>
#include <map>
#include <string>
#include <vector>

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

// A text of a document that the application's encoding could not hold
// whole when it was read (CXmlNode::LosesCharacters).
struct CXmlUnheldText {
  // The attribute it was read from.
  std::string attribute;
  // What the application holds of it: a '?' for each character it lost.
  std::string held;
  // The text as the document wrote it (UTF-8).
  std::string host;
  bool isPath = false;
  // What a writer writes in its place (UTF-8): the text as the document
  // wrote it; a relative path placed in the document's folder.
  std::string saved;
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
  // otherwise absolute in the process-wide output path style; escaped.
  void WritePath(const CPathName& path);
  CXmlWriter& AppendPath(const CPathName& path);

  // Texts of the document this writer writes that lost characters when it
  // was read (null for none; the list must outlive the writing). An
  // attribute written with what the application holds of one is written as
  // the document had it (FindSavedForm), so that characters the
  // application's encoding cannot hold survive a save.
  void SetUnheldTexts(const std::vector<CXmlUnheldText>* texts);
  // The saved form of an unheld text read from the attribute `name` that
  // the application holds as `held` (a path: as a path naming the same
  // absolute path); null when there is none. Texts held alike under one
  // attribute are taken in the order they were read: the k-th attribute
  // written so takes the k-th text.
  [[nodiscard]] const std::string* FindSavedForm(const char* name, const std::string& held);
  [[nodiscard]] const std::string* FindSavedForm(const char* name, const CPathName& held);
  // Whether every unheld text went back where it came from. Texts that one
  // attribute held alike but the document wrote apart (two names of other
  // scripts, of one length) are told apart only by their order: unless as
  // many attributes were written with their held text as were read so (or
  // none), one may have gone to another's place. False then, with `held`
  // set to the held text of one of them.
  [[nodiscard]] bool WroteUnheldTextsInPlace(std::string* held) const;
  // A UTF-8 text with the escapes of WriteEscaped, its characters beyond
  // ASCII written as they stand.
  void WriteHostEscaped(const std::string& text);

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
  // The unheld texts by attribute, kind and held text (a path's absolute
  // form), each group in the order of reading, with how many of each group
  // were written.
  struct UnheldGroup {
    std::vector<const CXmlUnheldText*> texts;
    size_t written = 0;
  };
  const std::string* TakeSavedForm(const char* name, bool isPath, const std::string& key);
  std::map<std::string, UnheldGroup> unheldGroups_;
};

// Decodes n base64 characters into `out` when the result fits in `capacity`
// bytes; returns the decoded length, 0 when it does not fit.
size_t DecodeBase64Into(const char* text, size_t n, void* out, size_t capacity);
