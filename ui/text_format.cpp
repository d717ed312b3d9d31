#include "ui/text_format.h"

#include <cstdio>
#include <vector>

bool FormatGrowing(std::string* out, const char* format, va_list arguments, size_t initial) {
  out->clear();
  if (!format) return false;
  size_t size = initial ? initial : 1;
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::vector<char> buffer(size);
    va_list copy;
    va_copy(copy, arguments);
    const int n = std::vsnprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n >= 0 && size_t(n) < buffer.size()) {
      out->assign(buffer.data(), size_t(n));
      return true;
    }
    // A negative result is a formatting error, which more room rarely cures;
    // the number of tries is bounded either way.
    size = n >= 0 ? size_t(n) + 1 > size * 2 ? size_t(n) + 1 : size * 2 : size * 2;
  }
  return false;
}

void BuildDoubleFormat(int width, int precision, char* out, size_t size) {
  if (width && precision)
    std::snprintf(out, size, "%%%d.%df", width, precision);
  else if (width)
    std::snprintf(out, size, "%%%d.f", width);
  else if (precision)
    std::snprintf(out, size, "%%.%df", precision);
  else
    std::snprintf(out, size, "%%f");
}
