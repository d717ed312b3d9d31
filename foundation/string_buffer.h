// CStringBuffer: a heap C string that is never null (one 0 byte when empty),
// in which texts from CFStrings, the XML reader and the localized strings
// are delivered; and the small functions that parse and format numbers and
// texts.
//
// Every user-visible message is a number: its text is the main bundle's
// localized string whose key is the decimal number.
#pragma once

#include <cstddef>
#include <string>

#include "platform/cf_string.h"

class CStringBuffer {
 public:
  CStringBuffer();
  CStringBuffer(const char* text);
  // Localized string `stringNumber` (its number as text when the table lacks it).
  explicit CStringBuffer(int stringNumber);
  ~CStringBuffer();

  CStringBuffer(const CStringBuffer&) = delete;
  CStringBuffer& operator=(const CStringBuffer&) = delete;

  const char* GetText() const { return text; }
  char* GetBuffer() { return text; }
  size_t GetLength() const;
  u32 GetSize() const { return size; }

  // Makes room for n bytes. A larger block replaces the old one and starts
  // empty; a smaller or equal n changes nothing (the buffer never shrinks).
  void Reserve(u32 n);

  // False for null (buffer unchanged). The text may lie inside this buffer.
  bool SetText(const char* newText);
  void Clear();
  [[nodiscard]] bool Equals(const char* other, bool caseSensitive) const;
  [[nodiscard]] bool Equals(const CStringBuffer& other, bool caseSensitive) const;

  // The string in the application-wide encoding; false (buffer unchanged)
  // for null or when a character has no form in it.
  [[nodiscard]] bool SetFromCFString(CFStringRef string);
  // Localized string n; an entry missing from the table gives its number as text.
  [[nodiscard]] bool LoadLocalizedString(int n);
  [[nodiscard]] bool SetFromPascalString(const unsigned char* pascalText);

  // printf-style formatting of a result of any length.
  [[nodiscard]] bool Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // A double with a field width and a precision (0 means not given).
  [[nodiscard]] bool FormatDouble(double value, int width, int precision);
  [[nodiscard]] bool SetInteger(int value);

  [[nodiscard]] bool IsTrue() const;
  long ToLong() const;
  unsigned long ToUnsigned() const;
  int ToInteger() const;
  double ToDouble() const;

 private:
  char* text;
  u32 size;
};

// Localized string n in the application-wide encoding, cut to capacity - 1
// bytes; false (out empty) when the table lacks it or the conversion fails.
[[nodiscard]] bool GetLocalizedCString(int n, char* out, size_t capacity);

// Formats into the caller's buffer of `capacity` bytes; false when the
// result had to be cut to fit (it is always terminated).
[[nodiscard]] bool FormatString(char* out, size_t capacity, const char* format, ...) __attribute__((format(printf, 3, 4)));
[[nodiscard]] bool FormatDouble(const double* value, char* out, size_t capacity, int width, int precision);
// The decimal text of an int (at most 12 bytes with the terminator).
void FormatInteger(int value, char* out);
// "mm:ss.hh" of a duration in milliseconds, cut to n bytes.
void FormatMilliseconds(unsigned ms, char* out, size_t n);

[[nodiscard]] bool ParseTrueString(const char* text);
long ParseLong(const char* text, long* out);
void ParseDouble(const char* text, double* out);
std::string TrimWhitespace(const char* text);

// Conversions through a CFString: the narrow side is in the application-wide
// encoding, the wide side holds one UTF-16 unit per character.
std::wstring ToWideString(const std::string& text);
std::string ToNarrowString(const std::wstring& text);
std::wstring ToWideStringVia(const std::string& text);
std::wstring ToWideStringVia(const wchar_t* text);
