#include "swf/swf_file_reader.h"

#include <sys/types.h>

#include <algorithm>

CSwfFileReader::CSwfFileReader() = default;

CSwfFileReader::~CSwfFileReader() { CSwfFileReader::Close(); }

void CSwfFileReader::Close() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
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

bool CSwfFileReader::OpenStream(std::FILE* file, bool checkSignature) {
  if (!file) return false;
  m_file = file;
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t size = ftello(file);
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
  if (fseeko(m_file, off_t(position), SEEK_SET) != 0) return false;
  m_buffer.resize(kFetchChunk);
  const size_t got = std::fread(m_buffer.data(), 1, want, m_file);
  m_data = m_buffer.data();
  m_dataStart = position;
  m_dataEnd = position + u32(got);
  return got >= count;
}
