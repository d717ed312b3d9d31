#include "foundation/cf_string_holder.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "platform/bundle.h"

namespace {

[[nodiscard]] CFStringRef CreateFromPascal(ConstStr255Param text) {
  return text ? CFStringCreateWithPascalString(kCFAllocatorDefault, text, GetTextEncoding()) : nullptr;
}

// The bytes of a string in an encoding; false when a character has no form in it.
[[nodiscard]] bool EncodeWhole(CFStringRef string, CFStringEncoding encoding, std::string& out) {
  CFIndex length = CFStringGetLength(string);
  CFIndex needed = 0;
  if (CFStringGetBytes(string, CFRangeMake(0, length), encoding, 0, false, nullptr, 0, &needed) != length)
    return false;
  std::string bytes(size_t(needed), '\0');
  CFStringGetBytes(string, CFRangeMake(0, length), encoding, 0, false, reinterpret_cast<UInt8*>(bytes.data()),
                   needed, nullptr);
  out = std::move(bytes);
  return true;
}

// The key of localized string `id`: its decimal number.
[[nodiscard]] CFStringRef CreateNumberKey(UInt32 id) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", int(id));
  return CFStringCreateWithCString(kCFAllocatorDefault, number, kCFStringEncodingMacRoman);
}

}  // namespace

CFStringRef CopyLocalizedStringOrKey(UInt32 id) {
  CCFString key(CreateNumberKey(id));
  return CFBundleCopyLocalizedString(CFBundleGetMainBundle(), key.GetRef(), key.GetRef(), nullptr);
}

CFStringEncoding GetTextEncoding() { return kCFStringEncodingMacRoman; }

CFStringRef CreateCFStringFromCString(const char* text) {
  return text ? CFStringCreateWithCString(kCFAllocatorDefault, text, GetTextEncoding()) : nullptr;
}

CFStringRef CreateCFStringFromWString(const wchar_t* text) {
  if (!text) return nullptr;
  size_t count = std::wcslen(text);
  std::vector<UInt8> bytes(count * 4);
  for (size_t i = 0; i < count; ++i) {
    // A code point (wchar_t holds UTF-32 here), taken as its unsigned value.
    u32 c = u32(char32_t(text[i]));
    for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = UInt8(c >> (8 * k));
  }
  return CFStringCreateWithBytes(kCFAllocatorDefault, bytes.data(), CFIndex(bytes.size()),
                                 kCFStringEncodingUTF32LE, false);
}

bool CopyCFStringToCString(CFStringRef string, char* buffer, size_t size) {
  if (!string) return false;
  return CFStringGetCString(string, buffer, CFIndex(size), GetTextEncoding());
}

bool CopyCFStringToWString(CFStringRef string, wchar_t* buffer, size_t max) {
  if (!string || !buffer) return false;
  const std::u16string& units = plat::StringUnits(string);
  size_t count = std::min(max, units.size());
  for (size_t i = 0; i < count; ++i) buffer[i] = wchar_t(units[i]);
  buffer[count] = 0;
  return true;
}

CCFString::CCFString(const char* text) : held(CreateCFStringFromCString(text)) {}

CCFString::CCFString(const wchar_t* text) : held(CreateCFStringFromWString(text)) {}

CCFString::CCFString(ConstStr255Param pascalText) : held(CreateFromPascal(pascalText)) {}

CCFString::CCFString(UInt32 id) {
  // A number the table does not hold leaves the holder empty.
  if (!LoadLocalizedString(id)) Release();
}

CCFString::~CCFString() { Release(); }

void CCFString::Release() {
  CFRelease(held);
  held = nullptr;
}

bool CCFString::SetCString(const char* text) {
  Release();
  held = CreateCFStringFromCString(text);
  return held != nullptr;
}

bool CCFString::SetWString(const wchar_t* text) {
  Release();
  held = CreateCFStringFromWString(text);
  return held != nullptr;
}

bool CCFString::SetHfsUniStr255(const HFSUniStr255& name) {
  Release();
  held = CFStringCreateWithCharacters(kCFAllocatorDefault, name.unicode, std::min<CFIndex>(name.length, 255));
  return held != nullptr;
}

CFIndex CCFString::GetLength() const { return CFStringGetLength(held); }

bool CCFString::IsEmpty() const { return GetLength() == 0; }

bool CCFString::GetCString(char* buffer, size_t size) const { return GetCString(buffer, size, GetTextEncoding()); }

bool CCFString::GetCString(char* buffer, size_t size, CFStringEncoding encoding) const {
  if (!held) {
    if (buffer && size > 0) buffer[0] = 0;
    return false;
  }
  return CFStringGetCString(held, buffer, CFIndex(size), encoding);
}

bool CCFString::GetPascalString(Str255 out) const {
  if (!held) {
    if (out) out[0] = 0;
    return false;
  }
  return CFStringGetPascalString(held, out, 256, GetTextEncoding());
}

bool CCFString::GetHfsUniStr255(HFSUniStr255* name) const {
  if (!name) return false;
  name->length = 0;
  if (!held) return false;
  CFIndex count = std::min<CFIndex>(GetLength(), 255);
  CFStringGetCharacters(held, CFRangeMake(0, count), name->unicode);
  name->length = UInt16(count);
  return count > 0;
}

std::string CCFString::ToStdString() const { return ToStdString(GetTextEncoding()); }

std::string CCFString::ToStdString(CFStringEncoding encoding) const {
  std::string bytes;
  if (!held || !EncodeWhole(held, encoding, bytes)) return std::string();
  return bytes;
}

std::string CCFString::ToUtf8StdString() const {
  const std::u16string& units = plat::StringUnits(held);
  std::string out;
  for (size_t i = 0; i < units.size();) {
    UInt8 bytes[8];
    CFIndex used = 0;
    // A surrogate pair converts together; the range covers at most two units.
    CFIndex width = (units[i] >= 0xD800 && units[i] < 0xDC00 && i + 1 < units.size()) ? 2 : 1;
    CFIndex converted = CFStringGetBytes(held, CFRangeMake(CFIndex(i), width), kCFStringEncodingUTF8, '?', false,
                                         bytes, sizeof bytes, &used);
    out.append(reinterpret_cast<const char*>(bytes), size_t(used));
    i += size_t(std::max<CFIndex>(converted, 1));
  }
  return out;
}

std::wstring CCFString::ToWString() const {
  const std::u16string& units = plat::StringUnits(held);
  return std::wstring(units.begin(), units.end());
}

UniChar* CCFString::CopyUniChars() const {
  if (!held) return nullptr;
  CFIndex length = GetLength();
  UniChar* units = new UniChar[size_t(length) + 1];
  CFStringGetCharacters(held, CFRangeMake(0, length), units);
  units[length] = 0;
  return units;
}

bool CCFString::GetCharacters(UniChar* buffer, size_t size) const {
  if (!buffer || size == 0) return false;
  CFIndex length = GetLength();
  CFIndex count = std::min<CFIndex>(length, CFIndex(size - 1));
  CFStringGetCharacters(held, CFRangeMake(0, count), buffer);
  buffer[count] = 0;
  return held && count == length;
}

bool CCFString::LoadLocalizedString(UInt32 id) {
  Release();
  CCFString key(CreateNumberKey(id));
  CFStringRef text = CopyLocalizedStringOrKey(id);
  if (!text) return false;
  if (CFStringCompare(text, key.GetRef(), kCFCompareNumerically) == kCFCompareEqualTo) {
    CFRelease(text);
    return false;
  }
  held = text;
  return true;
}
