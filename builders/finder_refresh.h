// Telling the Finder that a new item is there.
//
// On the Mac a small compiled AppleScript asks the Finder to update the
// items of every open window. This host has neither the Finder nor
// AppleScript: CAppleScript compiles and runs nothing and reports that,
// and RefreshFinderWindows does nothing and returns true, since nothing
// depends on its effect.
#pragma once

#include "foundation/path_name.h"
#include "platform/mac_types.h"

// The refresh script: ten lines, each ended by a line feed.
extern const char kRefreshFinderScript[];

// The holder of one compiled script.
class CAppleScript {
 public:
  CAppleScript() = default;
  ~CAppleScript() { Dispose(); }
  CAppleScript(const CAppleScript&) = delete;
  CAppleScript& operator=(const CAppleScript&) = delete;

  // False: there is no scripting component to compile with (the error is
  // then unimpErr).
  [[nodiscard]] bool Compile(const char* text);
  // Reads the file whole and compiles it; false when it cannot be read
  // (fnfErr) or compiled.
  [[nodiscard]] bool CompileFile(const CPathName& path);
  // False without a compiled script.
  [[nodiscard]] bool Execute();
  // Releases what is held; true.
  bool Dispose();

  // Why the last call failed (noErr after a success).
  [[nodiscard]] OSErr GetError() const { return error; }

 private:
  bool compiled = false;
  OSErr error = noErr;
};

// Asks the Finder to show `item` afresh (with `flush`, after flushing its
// volume). True: here nothing needs doing.
bool RefreshFinderWindows(const CPathName& item, bool flush);
