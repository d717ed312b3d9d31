#include "foundation/string_buffer.h"

#include <strings.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/cf_string_holder.h"

namespace {

// The whole formatted text, however long.
[[nodiscard]] bool FormatToString(std::string& out, const char* format, va_list arguments) {
  if (!format) return false;
  va_list measure;
  va_copy(measure, arguments);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) return false;
  std::string text(size_t(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, arguments);
  text.resize(size_t(length));
  out = std::move(text);
  return true;
}

// The printf pattern of a double: "%<w>.<p>f", "%<w>.f", "%.<p>f" or "%f";
// a zero width or precision counts as not given.
std::string DoublePattern(int width, int precision) {
  char pattern[32];
  if (width && precision)
    std::snprintf(pattern, sizeof pattern, "%%%d.%df", width, precision);
  else if (width)
    std::snprintf(pattern, sizeof pattern, "%%%d.f", width);
  else if (precision)
    std::snprintf(pattern, sizeof pattern, "%%.%df", precision);
  else
    std::snprintf(pattern, sizeof pattern, "%%f");
  return pattern;
}

// Copies a text into a caller's buffer, cut to fit; false when it was cut.
[[nodiscard]] bool CopyCut(const std::string& text, char* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  size_t count = std::min(text.size(), capacity - 1);
  std::memcpy(out, text.data(), count);
  out[count] = 0;
  return count == text.size();
}

std::wstring Widen(CFStringRef string) {
  const std::u16string& units = plat::StringUnits(string);
  return std::wstring(units.begin(), units.end());
}

}  // namespace

CStringBuffer::CStringBuffer() : text(new char[1]), size(1) { text[0] = 0; }

CStringBuffer::CStringBuffer(const char* initial) : CStringBuffer() { SetText(initial); }

CStringBuffer::CStringBuffer(int stringNumber) : CStringBuffer() {
  // A string that cannot be had leaves the buffer empty.
  if (!LoadLocalizedString(stringNumber)) Clear();
}

CStringBuffer::~CStringBuffer() {
  delete[] text;
  text = nullptr;
}

size_t CStringBuffer::GetLength() const { return std::strlen(text); }

void CStringBuffer::Reserve(u32 n) {
  if (n <= size) return;
  char* block = new char[n];
  block[0] = 0;
  delete[] text;
  text = block;
  size = n;
}

bool CStringBuffer::SetText(const char* newText) {
  if (!newText) return false;
  size_t length = std::strlen(newText);
  if (length + 1 <= size) {
    std::memmove(text, newText, length + 1);  // the text may be part of this buffer
    return true;
  }
  char* block = new char[length + 1];
  std::memcpy(block, newText, length + 1);
  delete[] text;
  text = block;
  size = u32(length + 1);
  return true;
}

void CStringBuffer::Clear() { SetText(""); }

bool CStringBuffer::Equals(const char* other, bool caseSensitive) const {
  if (!other) return false;
  return (caseSensitive ? std::strcmp(text, other) : strcasecmp(text, other)) == 0;
}

bool CStringBuffer::Equals(const CStringBuffer& other, bool caseSensitive) const {
  return Equals(other.GetText(), caseSensitive);
}

bool CStringBuffer::SetFromCFString(CFStringRef string) {
  if (!string) return false;
  CFIndex length = CFStringGetLength(string);
  CFIndex needed = 0;
  if (CFStringGetBytes(string, CFRangeMake(0, length), GetTextEncoding(), 0, false, nullptr, 0, &needed) != length)
    return false;
  Reserve(u32(needed + 1));
  return CFStringGetCString(string, text, CFIndex(size), GetTextEncoding());
}

bool CStringBuffer::LoadLocalizedString(int n) {
  CCFString localized(CopyLocalizedStringOrKey(UInt32(n)));
  return SetFromCFString(localized.GetRef());
}

bool CStringBuffer::SetFromPascalString(const unsigned char* pascalText) {
  if (!pascalText) return false;
  std::string copy(reinterpret_cast<const char*>(pascalText + 1), pascalText[0]);
  return SetText(copy.c_str());
}

bool CStringBuffer::Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string result;
  bool ok = FormatToString(result, format, arguments);
  va_end(arguments);
  return ok && SetText(result.c_str());
}

bool CStringBuffer::FormatDouble(double value, int width, int precision) {
  return Format(DoublePattern(width, precision).c_str(), value);
}

bool CStringBuffer::SetInteger(int value) { return Format("%d", value); }

bool CStringBuffer::IsTrue() const { return strcasecmp(text, "true") == 0; }

long CStringBuffer::ToLong() const { return std::atol(text); }

unsigned long CStringBuffer::ToUnsigned() const { return std::strtoul(text, nullptr, 0); }

int CStringBuffer::ToInteger() const { return int(std::strtol(text, nullptr, 0)); }

double CStringBuffer::ToDouble() const { return std::strtod(text, nullptr); }

bool GetLocalizedCString(int n, char* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  out[0] = 0;
  CCFString localized;
  if (!localized.LoadLocalizedString(UInt32(n))) return false;
  std::string bytes = localized.ToStdString();
  if (bytes.empty() && !localized.IsEmpty()) return false;
  // A text cut to fit the caller's buffer is still the string.
  static_cast<void>(CopyCut(bytes, out, capacity));
  return true;
}

bool FormatString(char* out, size_t capacity, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string result;
  bool ok = FormatToString(result, format, arguments);
  va_end(arguments);
  if (!ok) {
    if (out && capacity) out[0] = 0;
    return false;
  }
  return CopyCut(result, out, capacity);
}

bool FormatDouble(const double* value, char* out, size_t capacity, int width, int precision) {
  if (!value) return false;
  return FormatString(out, capacity, DoublePattern(width, precision).c_str(), *value);
}

void FormatInteger(int value, char* out) {
  if (out) std::snprintf(out, 12, "%d", value);
}

void FormatMilliseconds(unsigned ms, char* out, size_t n) {
  if (!out || n == 0) return;
  std::memset(out, 0, std::min<size_t>(n, 32));
  unsigned hundredths = ms % 1000 / 10;
  if (ms == 0)
    std::snprintf(out, n, "00:00.00");
  else if (ms < 1000)
    std::snprintf(out, n, "00:00.%02u", ms / 10);
  else if (ms >= 60000)
    std::snprintf(out, n, "%02u:%02u.%02u", ms / 60000, ms / 1000 % 60, hundredths);
  else
    std::snprintf(out, n, "00:%02u.%02u", ms / 1000 % 60, hundredths);
}

bool ParseTrueString(const char* text) { return text && strcasecmp(text, "true") == 0; }

long ParseLong(const char* text, long* out) {
  long value = text ? std::atol(text) : 0;
  if (out) *out = value;
  return value;
}

void ParseDouble(const char* text, double* out) {
  double value = text ? std::strtod(text, nullptr) : 0.0;
  if (out) *out = value;
}

std::string TrimWhitespace(const char* text) {
  if (!text) return std::string();
  const char* begin = text;
  while (*begin && std::isspace(static_cast<unsigned char>(*begin))) ++begin;
  const char* end = begin + std::strlen(begin);
  while (end > begin && std::isspace(static_cast<unsigned char>(end[-1]))) --end;
  return std::string(begin, end);
}

std::wstring ToWideString(const std::string& text) {
  CCFString string(text.c_str());
  return Widen(string.GetRef());
}

std::string ToNarrowString(const std::wstring& text) {
  CCFString string(text.c_str());
  return string.ToStdString();
}

std::wstring ToWideStringVia(const std::string& text) { return ToWideString(text); }

std::wstring ToWideStringVia(const wchar_t* text) {
  CCFString string(text);
  return Widen(string.GetRef());
}
