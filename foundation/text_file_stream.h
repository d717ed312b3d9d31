// A text output file created with a Finder type and creator.
#pragma once

#include <fstream>

#include "platform/mac_types.h"

class CPathName;
struct CFileTypeCreator;

class CTextFileStream {
 public:
  CTextFileStream() = default;
  // Closes the stream when open.
  virtual ~CTextFileStream();
  CTextFileStream(const CTextFileStream&) = delete;
  CTextFileStream& operator=(const CTextFileStream&) = delete;

  // Creates the file with the record's type and creator (creator 'ttex' and
  // type 'TEXT' when null; an existing file is replaced only with `replace`)
  // and opens it for output; true when both succeed.
  [[nodiscard]] virtual bool Open(const CPathName& path, const CFileTypeCreator* typeCreator, bool replace);
  virtual bool Close();
  [[nodiscard]] bool IsOpen() const { return stream_.is_open(); }

  CTextFileStream& operator<<(const char* text);
  CTextFileStream& operator<<(char value);
  CTextFileStream& operator<<(signed char value);
  CTextFileStream& operator<<(unsigned char value);
  CTextFileStream& operator<<(s16 value);
  CTextFileStream& operator<<(u16 value);
  CTextFileStream& operator<<(s32 value);
  CTextFileStream& operator<<(u32 value);
  CTextFileStream& operator<<(float value);
  CTextFileStream& operator<<(double value);
  CTextFileStream& operator<<(const void* pointer);

 private:
  template <typename T>
  CTextFileStream& Put(const T& value) {
    if (stream_.is_open()) stream_ << value;
    return *this;
  }

  std::fstream stream_;
};
