#include "builders/finder_refresh.h"

#include <vector>

#include "foundation/file_bytes.h"

const char kRefreshFinderScript[] =
    "tell application \"Finder\"\n"
    "set c_ounter to 0\n"
    "set counter to count (Finder windows)\n"
    "repeat counter times\n"
    "set c_ounter to c_ounter + 1\n"
    "try\n"
    "tell application \"Finder\" to update items of window c_ounter\n"
    "end try\n"
    "end repeat\n"
    "end tell\n";

bool CAppleScript::Compile(const char* text) {
  Dispose();
  (void)text;
  error = unimpErr;
  return false;
}

bool CAppleScript::CompileFile(const CPathName& path) {
  std::vector<u8> bytes;
  if (!ReadWholeFile(path, bytes)) {
    Dispose();
    error = fnfErr;
    return false;
  }
  bytes.push_back(0);
  return Compile(reinterpret_cast<const char*>(bytes.data()));
}

bool CAppleScript::Execute() {
  if (!compiled) {
    error = unimpErr;
    return false;
  }
  error = noErr;
  return true;
}

bool CAppleScript::Dispose() {
  compiled = false;
  return true;
}

bool RefreshFinderWindows(const CPathName& item, bool flush) {
  (void)item;
  (void)flush;
  return true;
}
