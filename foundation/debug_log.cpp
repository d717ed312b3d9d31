#include "foundation/debug_log.h"

#include <cstdarg>
#include <cstdio>

#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "foundation/path_name.h"

namespace {

CPathName& LogPath() {
  static CPathName path(nullptr);
  return path;
}

// Formats into 256 bytes (longer messages are cut); false when the format fails.
[[nodiscard]] bool Format(char (&buffer)[256], const char* format, va_list arguments) {
  return format && std::vsnprintf(buffer, sizeof buffer, format, arguments) >= 0;
}

}  // namespace

void DebugPrintf(const char* format, ...) {
  char buffer[256];
  va_list arguments;
  va_start(arguments, format);
  const bool formatted = Format(buffer, format, arguments);
  va_end(arguments);
  std::fprintf(stderr, "%s\n", formatted ? buffer : "ERROR PRINTING TO CONSOLE!!!!");
}

bool SetDebugLogFile(const char* name) {
  CPathName path(nullptr);
  if (!path.SetNextToApplication(name)) return false;
  LogPath() = path;
  return WriteWholeFile(path, nullptr, 0, true);
}

void WriteDebugLog(const char* sourceFile, int line, const char* format, ...) {
  const CPathName& path = LogPath();
  if (path.IsEmpty() || !IsRegularFile(path)) return;
  FILE* file = path.OpenStdioFile("a");
  if (!file) return;
  char buffer[256];
  va_list arguments;
  va_start(arguments, format);
  const bool formatted = Format(buffer, format, arguments);
  va_end(arguments);
  if (formatted) std::fprintf(file, "%s: line: %d; %s\n", sourceFile ? sourceFile : "", line, buffer);
  std::fclose(file);
}
