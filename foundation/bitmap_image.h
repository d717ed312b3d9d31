// An in-memory bitmap: rows top to bottom without padding, 24-bit pixels
// R, G, B or 32-bit pixels R, G, B, A.
//
// The bitmap owns its pixel array (allocated with new[]). Sizes are bounded:
// each side at most kMaxBitmapSide pixels (the reach of QuickDraw's 16-bit
// coordinates) and the buffer at most kMaxBitmapBytes, so that a hostile
// picture cannot ask for unbounded memory.
//
// The transforms, the transfers to and from offscreen worlds and the
// resampler are in bitmap_transforms.cpp.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/gworld.h"
#include "platform/mac_types.h"

class CPathName;

constexpr u32 kMaxBitmapSide = 32767;
constexpr size_t kMaxBitmapBytes = size_t(512) << 20;

// width x height x bytes per pixel when every factor is in range and the
// product fits kMaxBitmapBytes; 0 otherwise.
size_t BitmapBufferSize(u64 width, u64 height, u64 bytesPerPixel);

// Row conversions between bitmap pixels (R, G, B or R, G, B, A) and the
// A, R, G, B pixels of offscreen worlds. `bytesPerPixel` is the bitmap
// side's: 3 or 4. A 24-bit pixel becomes opaque (A = 255).
void BitmapRowToArgb(const u8* in, u8* out, size_t count, u32 bytesPerPixel);
void ArgbRowToBitmap(const u8* in, u8* out, size_t count, u32 bytesPerPixel);

// Reads a whole picture file (at most kMaxBitmapBytes); false when it cannot
// be opened or read, or is larger.
[[nodiscard]] bool ReadImageFile(const CPathName& path, std::vector<u8>* bytes);

class CBitmapImage {
 public:
  CBitmapImage();
  virtual ~CBitmapImage();
  CBitmapImage(const CBitmapImage&) = delete;
  CBitmapImage& operator=(const CBitmapImage&) = delete;

  // Frees the pixels; the byte size becomes 0.
  virtual void Free();
  // Loads a picture file; a plain bitmap has no file form.
  [[nodiscard]] virtual bool Load(const CPathName& path);

  // Frees the old pixels and takes the new dimensions. With `pixels` and
  // `copy` the pixels are copied, with `pixels` alone the array (new[]) is
  // adopted, without `pixels` the buffer is allocated uninitialised. False
  // for a size out of range, bits per pixel that are not 8 to 32 in whole
  // bytes, or a failed allocation: the bitmap is then empty and an array
  // offered for adoption stays the caller's.
  [[nodiscard]] bool Create(u32 width, u32 height, u16 bitsPerPixel, u8* pixels, bool copy);
  [[nodiscard]] bool CopyFrom(const CBitmapImage& other);

  u32 GetByteSize() const { return byteSize; }
  u32 GetWidth() const { return width; }
  u32 GetHeight() const { return height; }
  u16 GetBitsPerPixel() const { return bitsPerPixel; }
  u32 GetBytesPerPixel() const { return bitsPerPixel / 8; }
  u8* GetPixels() { return pixels; }
  const u8* GetPixels() const { return pixels; }

  // Transfers between the bitmap and an offscreen world of 32-bit pixels.
  // CopyFromGWorld makes this a 24-bit copy of the world's port; false when
  // the world has no 32-bit pixel map.
  [[nodiscard]] bool CopyFromGWorld(GWorldPtr world);
  // Copies the bitmap into the world with its top-left pixel at (x, y), in
  // pixels from the port's top-left corner, clipped at every edge; 24-bit
  // pixels become opaque. False when the world has no 32-bit pixel map or the
  // bitmap is not 24 or 32 bits per pixel.
  [[nodiscard]] bool DrawToGWorld(GWorldPtr world, int x, int y) const;
  [[nodiscard]] static OSErr CopyPortBits(CGrafPtr sourcePort, const Rect& sourceRect, CGrafPtr destinationPort,
                            const Rect& destinationRect);

  // Sets the dimensions and grows the buffer when it is too small; the
  // contents are undefined afterwards. False when the size is out of range.
  [[nodiscard]] bool Reserve(u32 width, u32 height);
  void FlipTopToBottom();
  void MirrorLeftToRight();
  // 90 or -270 turns clockwise, 180 or -180 half a turn, 270 or -90
  // counter-clockwise, 0 does nothing. False, leaving the bitmap as it was,
  // for other angles or a bitmap that is not 24 or 32 bits per pixel.
  [[nodiscard]] bool RotateQuarterTurns(int degrees);
  // Rotation by any angle about the centre, nearest pixel; pixels that no
  // source pixel reaches are zero (transparent black).
  [[nodiscard]] bool Rotate(double degrees);
  // Filtered resampling to the new size. True when done or when the size is
  // unchanged; false for a size of 0 or out of range, or an empty bitmap.
  [[nodiscard]] bool Scale(u32 newWidth, u32 newHeight);

 protected:
  // Replaces the pixel array and its dimensions (the array is adopted).
  void Adopt(u8* newPixels, u32 newByteSize, u32 newWidth, u32 newHeight, u16 newBitsPerPixel);

  u32 byteSize;
  u32 width;
  u32 height;
  u16 bitsPerPixel;
  u8* pixels;
};
