// The raw tag, which keeps any tag without a class of its own as bytes, the
// copier of a stored tag under a new id, and the encoder of SWF tag record
// headers.
#pragma once

#include <vector>

#include "swf/swf_record.h"

class CSwfUnknownTag : public CSwfTag {
 public:
  CSwfUnknownTag(u16 code, u32 length);

  // Takes the announced length's bytes (as many as the body holds).
  u32 Read(CSwfReader& reader) override;
  // The header with the stored code, then the bytes unchanged.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return m_code; }

  u32 GetLength() const { return m_length; }
  const std::vector<u8>& GetData() const { return m_data; }
  void SetData(const u8* bytes, u32 count);

 private:
  u16 m_code;
  u32 m_length;
  std::vector<u8> m_data;
};

// Copies a whole stored tag (header and body, `length` bytes) into the
// writer, with the u16 at the start of its body (a defining tag's character
// id) replaced by `id`. False, nothing written, when the bytes do not hold
// a tag of that length with such a u16.
[[nodiscard]] bool WriteWithNewId(const u8* bytes, u32 length, u16 id, CSwfBitWriter& writer);

// Appends the record header of a tag with a body of `length` bytes: one
// little-endian u16 of code * 64 + length for lengths up to 62, otherwise (or
// with forceLong) code * 64 + 63 followed by the u32 length.
void EncodeTagHeader(std::vector<u8>& out, const CSwfTag& tag, u32 length, bool forceLong);
void EncodeTagHeader(std::vector<u8>& out, u16 code, u32 length, bool forceLong);
// The same into `out`, which has room for 6 bytes; returns 2 or 6.
u32 EncodeTagHeader(u8* out, u16 code, u32 length, bool forceLong);
