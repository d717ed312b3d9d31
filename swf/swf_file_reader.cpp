#include "swf/swf_file_reader.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

#include "foundation/file_layer.h"
#include "swf/swf_compression.h"

namespace {

// Creates the temporary expansion of a compressed movie under a name no
// other reader holds: "_xxswfxx__.bin", else "_xxswfxx__0.bin" and on, in the
// application's subfolder of the work folder or, when that cannot take it,
// in the work folder itself. The file is open for writing and reading.
CSwfStdioFile CreateExpansionFile(CPathName& path) {
  for (bool inSubfolder : {true, false}) {
    for (int n = -1; n < 1000; ++n) {
      const std::string name = n < 0 ? "_xxswfxx__.bin" : "_xxswfxx__" + std::to_string(n) + ".bin";
      CPathName candidate(nullptr);
      if (!candidate.SetInWorkFolder(name.c_str(), inSubfolder)) break;
      if (CSwfStdioFile file{candidate.OpenStdioFile("w+bx")}) {
        path = candidate;
        return file;
      }
      if (errno != EEXIST) break;
    }
  }
  return nullptr;
}

}  // namespace

CSwfFileReader::CSwfFileReader() = default;

CSwfFileReader::~CSwfFileReader() { CSwfFileReader::Close(); }

bool CSwfFileReader::Open(const CPathName& path, bool checkSignature) {
  Reset();
  CSwfStdioFile file{path.OpenStdioFile("rb")};
  if (!file) return false;
  if (checkSignature && std::fgetc(file.get()) == 'C') {
    file.reset();
    return OpenExpanded(path);
  }
  std::rewind(file.get());
  if (OpenStream(std::move(file), checkSignature)) return true;
  Reset();
  return false;
}

bool CSwfFileReader::OpenExpanded(const CPathName& path) {
  CSwfStdioFile source{path.OpenStdioFile("rb")};
  if (!source) return false;
  CPathName temporary(nullptr);
  CSwfStdioFile target = CreateExpansionFile(temporary);
  const bool expanded = target && DecompressSwfStream(source.get(), target.get());
  source.reset();
  if (target) m_temporary = temporary;
  if (!expanded || std::fseek(target.get(), 0, SEEK_SET) != 0 || !OpenStream(std::move(target), true)) {
    // Closes the expansion, whoever holds it by now, and deletes it.
    target.reset();
    Reset();
    return false;
  }
  m_compressed = 1;
  return true;
}

void CSwfFileReader::Close() {
  m_file.reset();
  if (!m_temporary.IsEmpty()) DeletePath(m_temporary);
  m_temporary = CPathName(nullptr);
  m_buffer.clear();
  m_data = nullptr;
  m_dataStart = m_dataEnd = 0;
}

void CSwfFileReader::Reset() {
  Close();
  CSwfReader::Reset();
  m_fileLength = 0;
  m_frameRate = 0;
  m_xMin = m_xMax = m_yMin = m_yMax = 0;
  m_version = 0;
  m_readLimit = 0;
}

void CSwfFileReader::GetMovieSize(u32& width, u32& height) {
  width = u32(m_xMax) - u32(m_xMin);
  height = u32(m_yMax) - u32(m_yMin);
}

bool CSwfFileReader::OpenStream(CSwfStdioFile file, bool checkSignature) {
  if (!file) return false;
  m_file = std::move(file);
  if (fseeko(m_file.get(), 0, SEEK_END) != 0) return false;
  const off_t size = ftello(m_file.get());
  if (size < 0) return false;
  m_readLimit = u32(std::min<off_t>(size, 0xFFFFFFFF));
  m_limit = m_readLimit;
  m_position = 0;
  m_compressed = 0;
  if (m_header.Read(*this, checkSignature) == 0 || HasOverrun()) return false;
  m_version = m_header.GetVersion();
  m_fileLength = m_header.GetFileLength();
  m_frameRate = m_header.GetFrameRate();
  const CSwfRect& frame = m_header.GetFrameSize();
  m_xMin = frame.xMin;
  m_xMax = frame.xMax;
  m_yMin = frame.yMin;
  m_yMax = frame.yMax;
  m_frameCounter = m_header.GetFrameCount();
  return true;
}

bool CSwfFileReader::Refill(u32 position, u32 count) {
  if (!m_file || count > kFetchChunk || position >= m_readLimit) return false;
  const size_t want = std::min<size_t>(kFetchChunk, m_readLimit - position);
  if (fseeko(m_file.get(), off_t(position), SEEK_SET) != 0) return false;
  m_buffer.resize(kFetchChunk);
  const size_t got = std::fread(m_buffer.data(), 1, want, m_file.get());
  m_data = m_buffer.data();
  m_dataStart = position;
  m_dataEnd = position + u32(got);
  return got >= count;
}
