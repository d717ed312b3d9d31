// The movie reader that reads straight from an open file: only the header is
// parsed on opening, so a movie's size, rate and frame count are known
// without loading it, and its tags can be read one by one.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "foundation/path_name.h"
#include "swf/swf_reader.h"

// An open stdio file, closed when it goes.
struct CSwfStdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using CSwfStdioFile = std::unique_ptr<std::FILE, CSwfStdioFileCloser>;

class CSwfFileReader : public CSwfReader {
 public:
  CSwfFileReader();
  // Closes the file and deletes the temporary expansion of a compressed movie.
  ~CSwfFileReader() override;

  // Opens a movie file and parses its header; the reader is then at the
  // first tag. A compressed movie is expanded into a temporary file of its
  // own in the work folder, which Close deletes.
  [[nodiscard]] bool Open(const CPathName& path, bool checkSignature);
  void Close() override;
  void Reset() override;
  void GetMovieSize(u32& width, u32& height) override;

  u32 GetFileLength() const { return m_fileLength; }
  f32 GetFrameRate() const { return m_frameRate; }
  u8 GetFileVersion() const { return m_version; }
  u32 GetReadLimit() const { return m_readLimit; }

 protected:
  // Takes over an open file (closed by Close) and parses the header at its
  // start; the reader is then at the first tag.
  [[nodiscard]] bool OpenStream(CSwfStdioFile file, bool checkSignature);
  [[nodiscard]] bool Refill(u32 position, u32 count) override;

 private:
  [[nodiscard]] bool OpenExpanded(const CPathName& path);

  CSwfStdioFile m_file;
  std::vector<u8> m_buffer;
  u32 m_fileLength = 0;
  f32 m_frameRate = 0;
  s32 m_xMin = 0, m_xMax = 0, m_yMin = 0, m_yMax = 0;
  u8 m_version = 0;
  u32 m_readLimit = 0;
  CPathName m_temporary{nullptr};  // the expansion of a compressed movie
};
