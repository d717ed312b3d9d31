#include "foundation/xml_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/base64.h"
#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "platform/text_encoding.h"

CXmlWriteOptions::CXmlWriteOptions()
    : type(FourCC("????")),
      creator(FourCC("????")),
      scale(1.0f),
      relativePaths(0),
      fullDeclaration(0),
      writeHeader(1) {}

CXmlWriter::CXmlWriter() = default;

CXmlWriter::~CXmlWriter() {
  // A writer its owner did not close: a failure has nobody to go to here.
  static_cast<void>(Close());
}

bool CXmlWriter::Open(const CPathName& path, const CXmlWriteOptions& options, bool replace) {
  // A writer opened anew gives up its previous file; whether that one was
  // written whole was its owner's to ask with Close.
  static_cast<void>(Close());
  path_ = path;
  relativePaths_ = options.relativePaths;
  fullDeclaration_ = options.fullDeclaration;
  writeHeader_ = options.writeHeader;
  CFileTypeCreator typeCreator;
  typeCreator.type = options.type;
  typeCreator.creator = options.creator;
  if (!CreateFileWithTypeCreator(path, &typeCreator, replace)) return false;
  stream_.clear();
  if (!path.OpenFileStream(stream_, std::ios::out)) {
    stream_.clear();
    return false;
  }
  if (writeHeader_)
    stream_ << (fullDeclaration_ ? "<?xml version=\"1.0\" ?>\n" : "<xml version=\"1.0\">\n");
  return true;
}

bool CXmlWriter::Close() {
  if (!stream_.is_open()) return true;
  stream_ << (writeHeader_ && !fullDeclaration_ ? "\n</xml>\n" : "\n");
  stream_.flush();
  bool written = !stream_.fail();
  stream_.close();
  if (stream_.fail()) written = false;
  // A closed writer's stream stays failed, so later writes write nothing.
  stream_.setstate(std::ios::failbit);
  return written;
}

void CXmlWriter::BeginElement(const char* name, bool empty) {
  stream_ << "<" << (name ? name : "") << " ";
  if (empty) stream_ << "/>\n";
}

void CXmlWriter::WriteText(const char* text) {
  if (text) stream_ << text;
}

namespace {

// The text with the XML escapes; bytes from 0x80 up as character references
// of the application's encoding, or, with `keepHighBytes`, as they stand.
std::string EscapeText(const char* text, bool keepHighBytes) {
  std::string out;
  if (!text) return out;
  for (const char* p = text; *p; ++p) {
    unsigned char byte = static_cast<unsigned char>(*p);
    switch (byte) {
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\n': out += "&#x0a;"; break;
      case '\r': out += "&#x0d;"; break;
      default:
        if (byte >= 0x80 && !keepHighBytes) {
          char reference[8];
          std::snprintf(reference, sizeof reference, "&#x%02x;", byte);
          out += reference;
        } else {
          out += char(byte);
        }
    }
  }
  return out;
}

}  // namespace

std::string CXmlWriter::Escape(const char* text) { return EscapeText(text, false); }

void CXmlWriter::WriteHostEscaped(const std::string& text) { stream_ << EscapeText(text.c_str(), true); }

void CXmlWriter::WriteEscaped(const char* text) { stream_ << Escape(text); }

void CXmlWriter::WriteBool(bool value) { stream_ << (value ? "true" : "false"); }

CXmlWriter& CXmlWriter::WriteUnsigned(unsigned long value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(unsigned long value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(unsigned int value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(unsigned short value) { return Put(static_cast<unsigned long>(value)); }
CXmlWriter& CXmlWriter::operator<<(long value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(int value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(short value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(long long value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(float value) { return Put(static_cast<double>(value)); }
CXmlWriter& CXmlWriter::operator<<(double value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(const void* pointer) { return Put(pointer); }
CXmlWriter& CXmlWriter::operator<<(char value) { return Put(value); }
CXmlWriter& CXmlWriter::operator<<(unsigned char value) { return Put(static_cast<char>(value)); }

CXmlWriter& CXmlWriter::operator<<(const char* text) {
  WriteText(text);
  return *this;
}

void CXmlWriter::WriteWrittenText(const std::string& text) {
  std::string held;
  if (plat::Utf8ToMacRoman(text, held))
    WriteEscaped(held.c_str());
  else
    WriteHostEscaped(text);
}

void CXmlWriter::WritePath(const CPathName& path) {
  const CWrittenForm* form = snapshot_ ? nullptr : path.GetWrittenForm();
  if (form) {
    // A relative text stays as it is while it is taken from the same
    // folder; a text that lost characters goes back as it was written,
    // made absolute when it was relative to another folder.
    const CPathName& document = document_.IsEmpty() ? path_ : document_;
    if (!form->folder.empty() && form->folder == RelativePathFolder(document)) return WriteWrittenText(form->text);
    if (form->losesCharacters) return WriteWrittenText(WrittenAbsoluteText(path));
  }
  std::string text = relativePaths_ ? MakeRelativePath(document_.IsEmpty() ? path_ : document_, path)
                                    : path.GetAbsolutePath(GetOutputPathStyle());
  // A path without an absolute form (a colon path of a volume that is not
  // there) is written as it stands, not as an empty path.
  if (text.empty()) text = path.GetString();
  WriteEscaped(text.c_str());
}

CXmlWriter& CXmlWriter::AppendPath(const CPathName& path) {
  WritePath(path);
  return *this;
}

size_t CXmlWriter::WriteBase64(const void* data, size_t n) {
  std::vector<u8> encoded;
  if (!EncodeBase64(encoded, data, n)) return 0;
  for (u8 c : encoded) stream_.put(char(c));
  return encoded.size();
}

size_t CXmlWriter::WriteBase64(const char* text) {
  return text ? WriteBase64(text, std::strlen(text)) : 0;
}

size_t DecodeBase64Into(const char* text, size_t n, void* out, size_t capacity) {
  std::vector<u8> decoded;
  if (!DecodeBase64(decoded, text, n) || decoded.size() > capacity) return 0;
  if (!decoded.empty()) std::memcpy(out, decoded.data(), decoded.size());
  return decoded.size();
}
