// The movie header: signature, version, file length, frame size, frame rate
// and frame count.
#pragma once

#include "swf/swf_records.h"

class CSwfHeader : public CSwfRecord {
 public:
  CSwfHeader() = default;
  CSwfHeader(const CSwfHeader&) = default;
  CSwfHeader& operator=(const CSwfHeader&) = default;

  // Reads "FWS" and the version first; without checkSignature the data is
  // taken to begin at the file-length field. Returns the bytes consumed, 0
  // for a wrong signature.
  u32 Read(CSwfReader& reader) override;
  u32 Read(CSwfReader& reader, bool checkSignature);
  // Always with the plain signature "FWS".
  u32 Write(CSwfBitWriter& writer) override;

  void SetFrameRate(f32 rate) { m_frameRate = rate; }
  void SetFrameCount(u16 count) { m_frameCount = count; }
  void SetFileLength(u32 length) { m_fileLength = length; }
  void SetVersion(u8 version) { m_version = version; }
  void SetFrameSize(const CSwfRect& size) { m_frameSize = size; }
  // Frame size in twips.
  void SetParams(s32 xMin, s32 yMin, s32 xMax, s32 yMax, f32 rate, u8 version);
  void SetParams(u32 width, u32 height, f32 rate, u16 frameCount, u8 version);

  f32 GetFrameRate() const { return m_frameRate; }
  u16 GetFrameCount() const { return m_frameCount; }
  u32 GetFileLength() const { return m_fileLength; }
  u8 GetVersion() const { return m_version; }
  const CSwfRect& GetFrameSize() const { return m_frameSize; }
  // xMax - xMin and yMax - yMin, in twips.
  u32 GetWidth() const;
  u32 GetHeight() const;

 private:
  f32 m_frameRate = 12.0f;
  u16 m_frameCount = 0;
  u32 m_fileLength = 0;
  CSwfRect m_frameSize;
  u8 m_version = 4;
};
