// A file stream that remembers the application-wide stream word with each open.
#pragma once

#include <fstream>

#include "platform/mac_types.h"

class CPathName;

class CFileStream : public std::fstream {
 public:
  CFileStream();
  // Flushes and closes the stream.
  ~CFileStream() override;

  // Opens the stream on the path and records the stream word; true when
  // open. An item that exists but is not a regular file is refused.
  [[nodiscard]] bool Open(const CPathName& path, std::ios::openmode mode);
  // The current put position.
  s64 GetSize();
  u32 GetStreamWord() const { return streamWord_; }

 private:
  u32 streamWord_;
};
