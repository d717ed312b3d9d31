// The tags that carry bitmaps: JPEG streams (DefineBits with the movie's
// JPEGTables, DefineBitsJPEG2, DefineBitsJPEG3 with its compressed alpha
// channel) and zlib-compressed pixels (DefineBitsLossless and
// DefineBitsLossless2). Image data is never decoded here: it is kept as the
// bytes it was read as and written back unchanged.
//
// Every read stays inside the tag body. A JPEG tag of known length takes
// its body; one read with length 0 (built in memory, then read from a
// stream) takes bytes up to its end-of-image marker, never past the data.
// DefineBitsJPEG3 writes as its alpha offset the number of JPEG bytes it
// writes. A tag whose body would not fit the 32-bit length writes nothing.
#pragma once

#include <vector>

#include "swf/swf_record.h"

enum : u16 {
  kSwfDefineBitsCode = 6,
  kSwfJPEGTablesCode = 8,
  kSwfDefineBitsLosslessCode = 20,
  kSwfDefineBitsJPEG2Code = 21,
  kSwfDefineBitsJPEG3Code = 35,
  kSwfDefineBitsLossless2Code = 36,
};

class CSwfDefineBits : public CSwfCharacterTag {
 public:
  // The factory passes the body length from the tag header.
  explicit CSwfDefineBits(u32 tagLength = 0) : m_tagLength(tagLength) {}

  // The id and the JPEG bytes: the rest of a body of known length, else up
  // to the first end-of-image marker.
  u32 Read(CSwfReader& reader) override;
  // The id and the JPEG bytes (short header up to 62 bytes of body).
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineBitsCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  // The id and the data.
  virtual void CopyFrom(const CSwfDefineBits& other);
  virtual void SetData(u16 id, const std::vector<u8>& data);
  virtual void ClearData() { m_jpegData.clear(); }

  const std::vector<u8>& GetJpegData() const { return m_jpegData; }
  u32 GetTagLength() const { return m_tagLength; }

 private:
  std::vector<u8> m_jpegData;
  u32 m_tagLength;
};

class CSwfJPEGTables : public CSwfTag {
 public:
  explicit CSwfJPEGTables(u32 tagLength = 0) : m_tagLength(tagLength) {}

  // The whole body.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfJPEGTablesCode; }

  const std::vector<u8>& GetData() const { return m_data; }
  void SetData(const std::vector<u8>& data) { m_data = data; }

 private:
  std::vector<u8> m_data;
  u32 m_tagLength;
};

class CSwfDefineBitsJPEG2 : public CSwfCharacterTag {
 public:
  CSwfDefineBitsJPEG2() = default;
  CSwfDefineBitsJPEG2(u16 id, const u8* bytes, u32 count);
  CSwfDefineBitsJPEG2(u16 id, const std::vector<u8>& bytes);
  // The id and the data of the other tag.
  CSwfDefineBitsJPEG2(const CSwfDefineBitsJPEG2& other);
  CSwfDefineBitsJPEG2& operator=(const CSwfDefineBitsJPEG2&) = delete;

  // The id and the JPEG bytes: the rest of a body of known length, else up
  // to the second end-of-image marker (the tables and the image).
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineBitsJPEG2Code; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  virtual void SetTagLength(u32 length) { m_tagLength = length; }
  // The id, then the JPEG bytes replaced.
  virtual void SetData(u16 id, const std::vector<u8>& data);

  const std::vector<u8>& GetJpegData() const { return m_jpegData; }
  u32 GetTagLength() const { return m_tagLength; }

 protected:
  std::vector<u8> m_jpegData;
  u32 m_tagLength = 0;
};

class CSwfDefineBitsJPEG3 : public CSwfDefineBitsJPEG2 {
 public:
  CSwfDefineBitsJPEG3() = default;
  CSwfDefineBitsJPEG3(u16 id, const u8* jpeg, u32 jpegCount, const u8* alpha, u32 alphaCount);

  // The id, the alpha offset, that many JPEG bytes (as far as the body
  // holds them) and the rest of the body as the alpha data.
  u32 Read(CSwfReader& reader) override;
  // The alpha offset written is the number of JPEG bytes written.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineBitsJPEG3Code; }
  // Also sets the alpha offset to the new JPEG byte count.
  void SetData(u16 id, const std::vector<u8>& data) override;

  u32 GetAlphaDataOffset() const { return m_alphaDataOffset; }
  const std::vector<u8>& GetAlphaData() const { return m_alphaData; }

 private:
  u32 m_alphaDataOffset = 0;
  std::vector<u8> m_alphaData;
};

class CSwfDefineBitsLossless : public CSwfCharacterTag {
 public:
  // The factory passes format 5.
  explicit CSwfDefineBitsLossless(u8 format = 5) : m_format(format) {}

  // Id, format, width, height, the colour-table size of format 3, and the
  // rest of the body as the compressed data.
  u32 Read(CSwfReader& reader) override;
  // Always with the long header.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineBitsLosslessCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;
  virtual u16 GetWidth() const { return m_width; }
  virtual void SetWidth(u16 width) { m_width = width; }
  virtual u16 GetHeight() const { return m_height; }
  virtual void SetHeight(u16 height) { m_height = height; }
  virtual u8 GetFormat() const { return m_format; }
  // The data emptied and the colour-table size 0.
  virtual void ClearData();

  void SetData(const u8* bytes, u32 count);
  u8 GetColorTableSize() const { return m_colorTableSize; }
  const std::vector<u8>& GetZlibData() const { return m_zlibData; }

 private:
  u8 m_colorTableSize = 0;
  u16 m_width = 0;
  u16 m_height = 0;
  u8 m_format;
  std::vector<u8> m_zlibData;
};

class CSwfDefineBitsLossless2 : public CSwfDefineBitsLossless {
 public:
  using CSwfDefineBitsLossless::CSwfDefineBitsLossless;
  u16 GetCode() const override { return kSwfDefineBitsLossless2Code; }
};

// The first DefineBitsLossless or DefineBitsLossless2 tag, and the first
// DefineBitsJPEG3 tag, of the movie held by the bundle resource 'xDAS'
// `id` (the caller owns it); null when there is none.
[[nodiscard]] CSwfDefineBitsLossless* LoadLosslessBitmapResource(ResID id);
[[nodiscard]] CSwfDefineBitsJPEG3* LoadJpeg3BitmapResource(ResID id);
