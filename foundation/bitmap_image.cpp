#include "foundation/bitmap_image.h"

#include <cstring>
#include <new>

#include "foundation/file_bytes.h"
#include "foundation/path_name.h"

size_t BitmapBufferSize(u64 width, u64 height, u64 bytesPerPixel) {
  if (width == 0 || height == 0 || bytesPerPixel == 0 || bytesPerPixel > 4) return 0;
  if (width > kMaxBitmapSide || height > kMaxBitmapSide) return 0;
  u64 size = width * height * bytesPerPixel;  // below 2^33: no overflow
  return size <= kMaxBitmapBytes ? size_t(size) : 0;
}

void BitmapRowToArgb(const u8* in, u8* out, size_t count, u32 bytesPerPixel) {
  for (size_t i = 0; i < count; ++i, in += bytesPerPixel, out += 4) {
    out[0] = bytesPerPixel == 4 ? in[3] : 0xFF;
    out[1] = in[0];
    out[2] = in[1];
    out[3] = in[2];
  }
}

void ArgbRowToBitmap(const u8* in, u8* out, size_t count, u32 bytesPerPixel) {
  for (size_t i = 0; i < count; ++i, in += 4, out += bytesPerPixel) {
    out[0] = in[1];
    out[1] = in[2];
    out[2] = in[3];
    if (bytesPerPixel == 4) out[3] = in[0];
  }
}

bool ReadImageFile(const CPathName& path, std::vector<u8>* bytes) {
  return ReadWholeFile(path, *bytes, kMaxBitmapBytes);
}

CBitmapImage::CBitmapImage() : byteSize(0), width(0), height(0), bitsPerPixel(0), pixels(nullptr) {}

CBitmapImage::~CBitmapImage() {
  delete[] pixels;
  pixels = nullptr;
  byteSize = 0;
}

void CBitmapImage::Free() {
  delete[] pixels;
  pixels = nullptr;
  byteSize = 0;
}

bool CBitmapImage::Load(const CPathName&) { return false; }

void CBitmapImage::Adopt(u8* newPixels, u32 newByteSize, u32 newWidth, u32 newHeight,
                         u16 newBitsPerPixel) {
  if (newPixels != pixels) delete[] pixels;
  pixels = newPixels;
  byteSize = newByteSize;
  width = newWidth;
  height = newHeight;
  bitsPerPixel = newBitsPerPixel;
}

bool CBitmapImage::Create(u32 newWidth, u32 newHeight, u16 newBitsPerPixel, u8* newPixels,
                          bool copy) {
  Free();
  width = height = 0;
  bitsPerPixel = 0;
  if (newBitsPerPixel % 8 != 0) return false;
  size_t size = BitmapBufferSize(newWidth, newHeight, newBitsPerPixel / 8);
  if (size == 0) return false;
  u8* buffer = newPixels;
  if (!newPixels || copy) {
    buffer = new (std::nothrow) u8[size];
    if (!buffer) return false;
    if (newPixels) std::memcpy(buffer, newPixels, size);
  }
  Adopt(buffer, u32(size), newWidth, newHeight, newBitsPerPixel);
  return true;
}

bool CBitmapImage::CopyFrom(const CBitmapImage& other) {
  if (&other == this) return true;
  if (!other.pixels || !Create(other.width, other.height, other.bitsPerPixel, nullptr, false))
    return false;
  std::memcpy(pixels, other.pixels, other.byteSize < byteSize ? other.byteSize : byteSize);
  return true;
}
