// A bitmap with JPEG forms: decoding from files and memory blocks to 24-bit
// RGB, encoding RGB rows into memory or to a file.
//
// Decoding turns grey, YCbCr, RGB, CMYK and YCCK pictures into RGB. Corrupt,
// truncated or oversized data fails with false; the codec never ends the
// process and the bitmap keeps its old pixels.
#pragma once

#include <cstddef>

#include "foundation/bitmap_image.h"

class CJpegImage : public CBitmapImage {
 public:
  CJpegImage();

  // Frees the buffer (pixels or compressed bytes).
  void Free() override;
  [[nodiscard]] bool Load(const CPathName& path) override { return LoadFile(path); }

  // Clamps to 0..100 and also makes it the process-wide default quality.
  void SetQuality(int quality);
  u32 GetQuality() const { return quality; }
  // The process-wide default quality, used by SaveRgbAsJpegFile (initially 80).
  static u32 GetDefaultQuality();

  [[nodiscard]] bool LoadFile(const CPathName& path);
  [[nodiscard]] bool DecodeFromMemory(const u8* data, size_t length);

  // Compresses rows of 24-bit RGB or 32-bit RGBA pixels (alpha dropped) with
  // this object's quality. Afterwards the buffer holds the JPEG bytes:
  // GetPixels() and GetCompressedLength() of them; the byte size is the
  // buffer's, which starts at width x height x 3 + 1024 and grows as needed.
  [[nodiscard]] bool EncodeRgbToMemory(u32 width, u32 height, u16 bitsPerPixel, const u8* rgb);
  u32 GetCompressedLength() const { return compressedLength; }

  // Writes 24-bit RGB or 32-bit RGBA rows (alpha dropped) as a JPEG file
  // with the default quality, replacing an existing file; false when the
  // input is bad (no file is touched then) or the file cannot be written.
  [[nodiscard]] static bool SaveRgbAsJpegFile(u32 width, u32 height, u16 bitsPerPixel, const u8* rgb,
                                const CPathName& path);

 private:
  u32 compressedLength;
  u32 quality;
};
