// CCFString holds one CFString and converts it to and from C strings,
// Pascal strings, wide strings, UTF-16 names and std::string, and loads the
// application's localized strings by number.
//
// Every conversion of a C or Pascal string uses the application-wide text
// encoding (GetTextEncoding: Mac Roman for the whole run) unless an encoding
// is passed. A text that the encoding cannot hold fails; it is never
// mangled. Wide strings are 32-bit characters read as UTF-32 little-endian.
#pragma once

#include <cstddef>
#include <string>

#include "platform/cf_string.h"

class CCFString {
 public:
  CCFString() = default;
  CCFString(std::nullptr_t) {}
  // Adopts the reference (null allowed); the holder releases it.
  CCFString(CFStringRef adopted) : held(adopted) {}
  CCFString(const char* text);
  CCFString(const wchar_t* text);
  CCFString(ConstStr255Param pascalText);
  // Localized string `id` of the main bundle; empty when it is missing.
  CCFString(UInt32 id);
  ~CCFString();

  CCFString(const CCFString&) = delete;
  CCFString& operator=(const CCFString&) = delete;

  CFStringRef GetRef() const { return held; }

  void Release();
  [[nodiscard]] bool SetCString(const char* text);
  [[nodiscard]] bool SetWString(const wchar_t* text);
  [[nodiscard]] bool SetHfsUniStr255(const HFSUniStr255& name);

  // Number of UTF-16 units.
  CFIndex GetLength() const;
  [[nodiscard]] bool IsEmpty() const;

  [[nodiscard]] bool GetCString(char* buffer, size_t size) const;
  [[nodiscard]] bool GetCString(char* buffer, size_t size, CFStringEncoding encoding) const;
  [[nodiscard]] bool GetPascalString(Str255 out) const;
  // At most 255 units; true when at least one unit was copied.
  [[nodiscard]] bool GetHfsUniStr255(HFSUniStr255* name) const;

  // The text as bytes in the application-wide or the given encoding; "" when
  // the holder is empty or a character has no form in the encoding.
  std::string ToStdString() const;
  std::string ToStdString(CFStringEncoding encoding) const;
  // The text as UTF-8; a lone half of a surrogate pair becomes "?".
  std::string ToUtf8StdString() const;
  // Each UTF-16 unit widened to one wide character.
  std::wstring ToWString() const;
  // length + 1 units ending in 0, freed by the caller with delete[]; null for an empty holder.
  [[nodiscard]] UniChar* CopyUniChars() const;
  // At most size - 1 units and a 0 unit; true when the whole text fit.
  [[nodiscard]] bool GetCharacters(UniChar* buffer, size_t size) const;

  // Holds localized string `id`; false (holder empty) when the table lacks it.
  [[nodiscard]] bool LoadLocalizedString(UInt32 id);

 private:
  CFStringRef held = nullptr;
};

// The application-wide text encoding of C-string conversions.
CFStringEncoding GetTextEncoding();

// Localized string `id` of the main bundle, or its number as text when the
// table lacks it; the caller releases it.
[[nodiscard]] CFStringRef CopyLocalizedStringOrKey(UInt32 id);

// New CFStrings the caller releases; null on failure or for a null text.
[[nodiscard]] CFStringRef CreateCFStringFromCString(const char* text);
[[nodiscard]] CFStringRef CreateCFStringFromWString(const wchar_t* text);

// False for a null string or when the text does not fit `size` bytes.
[[nodiscard]] bool CopyCFStringToCString(CFStringRef string, char* buffer, size_t size);
// Copies min(max, length) units widened, then a 0 (the buffer holds max + 1).
[[nodiscard]] bool CopyCFStringToWString(CFStringRef string, wchar_t* buffer, size_t max);
