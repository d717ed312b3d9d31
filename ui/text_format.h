// printf-style formatting shared by the text-setting controls and the
// message boxes.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// Formats into a buffer that starts at `initial` bytes and doubles until the
// whole text fits (at most a few doublings: a format the C library cannot
// format gives false and an empty text).
[[nodiscard]] bool FormatGrowing(std::string* out, const char* format, va_list arguments, size_t initial = 256);

// The format of a double with a field width and a precision (0 = not given):
// "%<w>.<p>f", "%<w>.f", "%.<p>f" or "%f".
void BuildDoubleFormat(int width, int precision, char* out, size_t size);
