// A bitmap with PNG forms: decoding with transparency and a background
// colour, and writing bitmaps and offscreen worlds as PNG files.
//
// Decoded pictures are 24-bit RGB, or 32-bit RGBA when the file has alpha
// or a transparent colour (the alpha bytes are also kept as an array of their
// own). A file with a background colour keeps it, and pictures with alpha
// are composited onto it. Corrupt, truncated or oversized data fails with
// false; the codec never ends the process and the bitmap keeps its old
// pixels.
#pragma once

#include <cstddef>

#include "foundation/bitmap_image.h"

class CPngImage : public CBitmapImage {
 public:
  CPngImage();
  ~CPngImage() override;

  // Frees the pixels, the background colour and the alpha array.
  void Free() override;
  [[nodiscard]] bool Load(const CPathName& path) override { return LoadFile(path); }

  [[nodiscard]] bool LoadFile(const CPathName& path);
  // `length` bytes of a complete PNG file.
  [[nodiscard]] bool DecodeFromMemory(const u8* data, size_t length);
  // Writes this bitmap with SaveRgbAsPngFile, without a palette.
  [[nodiscard]] bool SaveFile(const CPathName& path) const;

  // The picture's values after decoding: colour type (2 RGB, 6 RGBA),
  // interlace, compression and filter methods, channels (3 or 4).
  u32 GetColorType() const { return colorType; }
  u32 GetInterlaceMethod() const { return interlaceMethod; }
  u32 GetCompressionMethod() const { return compressionMethod; }
  u32 GetFilterMethod() const { return filterMethod; }
  u32 GetChannels() const { return channels; }
  // R, G, B of the file's background colour, or null.
  const u8* GetBackgroundColor() const { return backgroundColor; }
  // width x height alpha bytes of a 32-bit picture, or null.
  const u8* GetAlpha() const { return alpha; }

 private:
  void FreeExtras();

  u32 colorType;
  u32 interlaceMethod;
  u32 compressionMethod;
  u32 filterMethod;
  u32 channels;
  u8* backgroundColor;
  u8* alpha;
};

// Writes a PNG file, replacing an existing one: 24-bit pixels as RGB, 32-bit
// pixels as RGBA, or with a palette (entries 0x00RRGGBB, 1 to 256 of them)
// 8-bit pixels as palette indices. Compression level 9. False for other
// input (no file is touched then) or when the file cannot be written.
[[nodiscard]] bool SaveRgbAsPngFile(u32 width, u32 height, u16 bitsPerPixel, const u8* pixels,
                      const CPathName& path, const u32* palette, int paletteCount);

// Writes the port of a 32-bit offscreen world as an RGB PNG file.
[[nodiscard]] bool SaveGWorldAsPng(GWorldPtr world, const CPathName& path);
