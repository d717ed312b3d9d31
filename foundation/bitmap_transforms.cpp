// Bitmap transforms, transfers between bitmaps and offscreen worlds, and the
// filtered resampler of CBitmapImage.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/bitmap_image.h"

namespace {

// The world's 32-bit pixel map, or null.
PixMapPtr PixelsOf32BitWorld(GWorldPtr world) {
  PixMapPtr map = GetGWorldPixMap(world);
  return map && map->pixelSize == 32 ? map : nullptr;
}

// How one output position of the resampler draws on the inputs.
struct Contribution {
  std::vector<double> weights;
  int first = 0;
  int last = -1;
};

// Triangle-filter weights for `outputs` positions from `inputs` positions.
std::vector<Contribution> ResamplingWeights(int outputs, int inputs) {
  double scale = double(outputs) / double(inputs);
  double support = 1.0, filterScale = 1.0;
  if (scale < 1.0) {
    support = 1.0 / scale;
    filterScale = scale;
  }
  int window = 2 * int(std::ceil(support)) + 1;
  std::vector<Contribution> table(static_cast<size_t>(outputs));
  for (int i = 0; i < outputs; ++i) {
    double centre = i / scale;
    int first = std::max(0, int(std::floor(centre - support)));
    int last = std::min(inputs - 1, int(std::ceil(centre + support)));
    if (last - first + 1 > window) {
      if (first < (inputs - 1) / 2)
        ++first;
      else
        --last;
    }
    Contribution& entry = table[size_t(i)];
    entry.first = first;
    entry.last = last;
    double sum = 0;
    for (int j = first; j <= last; ++j) {
      double u = std::fabs(centre - j) * filterScale;
      double weight = (u < 1.0 ? 1.0 - u : 0.0) * filterScale;
      entry.weights.push_back(weight);
      sum += weight;
    }
    if (sum > 0)
      for (double& weight : entry.weights) weight /= sum;
  }
  return table;
}

u8 ToByte(double value) {
  value += 0.5;
  if (value <= 0) return 0;
  if (value >= 255) return 255;
  return u8(value);
}

// One resampling pass: `lines` lines of `inputs` pixels become lines of
// `outputs` pixels. Pixels of a line are `pixelStep` bytes apart, lines
// `lineStep` bytes apart (in source and destination alike, in pixels of
// their own buffers).
void ResamplePass(const u8* source, u8* destination, int lines, int inputs, int outputs,
                  int channels, size_t sourcePixelStep, size_t sourceLineStep,
                  size_t destinationPixelStep, size_t destinationLineStep) {
  if (inputs == outputs) {
    for (int line = 0; line < lines; ++line)
      for (int i = 0; i < outputs; ++i)
        std::memcpy(destination + line * destinationLineStep + i * destinationPixelStep,
                    source + line * sourceLineStep + i * sourcePixelStep, size_t(channels));
    return;
  }
  std::vector<Contribution> table = ResamplingWeights(outputs, inputs);
  for (int line = 0; line < lines; ++line) {
    const u8* in = source + line * sourceLineStep;
    u8* out = destination + line * destinationLineStep;
    for (int i = 0; i < outputs; ++i) {
      const Contribution& entry = table[size_t(i)];
      for (int c = 0; c < channels; ++c) {
        double sum = 0;
        for (int j = entry.first; j <= entry.last; ++j)
          sum += entry.weights[size_t(j - entry.first)] * in[size_t(j) * sourcePixelStep + c];
        out[size_t(i) * destinationPixelStep + c] = ToByte(sum);
      }
    }
  }
}

}  // namespace

bool CBitmapImage::CopyFromGWorld(GWorldPtr world) {
  PixMapPtr map = PixelsOf32BitWorld(world);
  if (!map) return false;
  Rect bounds;
  GetPortBounds(world, &bounds);
  u32 newWidth = u32(bounds.right - bounds.left), newHeight = u32(bounds.bottom - bounds.top);
  size_t size = BitmapBufferSize(newWidth, newHeight, 3);
  if (size == 0) return false;
  u8* buffer = pixels;
  if (!pixels || byteSize != size) {
    buffer = new (std::nothrow) u8[size];
    if (!buffer) return false;
  }
  LockPixels(map);
  const u8* base = GetPixBaseAddr(map);
  size_t rowBytes = size_t(GetPixRowBytes(map));
  for (u32 y = 0; y < newHeight; ++y)
    ArgbRowToBitmap(base + y * rowBytes, buffer + size_t(y) * newWidth * 3, newWidth, 3);
  UnlockPixels(map);
  Adopt(buffer, u32(size), newWidth, newHeight, 24);
  return true;
}

bool CBitmapImage::DrawToGWorld(GWorldPtr world, int x, int y) const {
  PixMapPtr map = PixelsOf32BitWorld(world);
  if (!map || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;
  if (!pixels) return true;
  Rect bounds;
  GetPortBounds(world, &bounds);
  long portWidth = bounds.right - bounds.left, portHeight = bounds.bottom - bounds.top;
  // The part of the bitmap that lands inside the port.
  long firstColumn = std::max(0L, -long(x)), firstRow = std::max(0L, -long(y));
  long endColumn = std::min(long(width), portWidth - x);
  long endRow = std::min(long(height), portHeight - y);
  if (firstColumn >= endColumn || firstRow >= endRow) return true;
  const u32 bytes = GetBytesPerPixel();
  LockPixels(map);
  u8* base = GetPixBaseAddr(map);
  size_t rowBytes = size_t(GetPixRowBytes(map));
  for (long row = firstRow; row < endRow; ++row)
    BitmapRowToArgb(pixels + (size_t(row) * width + size_t(firstColumn)) * bytes,
                    base + size_t(row + y) * rowBytes + size_t(firstColumn + x) * 4,
                    size_t(endColumn - firstColumn), bytes);
  UnlockPixels(map);
  return true;
}

OSErr CBitmapImage::CopyPortBits(CGrafPtr sourcePort, const Rect& sourceRect,
                                 CGrafPtr destinationPort, const Rect& destinationRect) {
  return CopyBits(GetPortBitMapForCopyBits(sourcePort), GetPortBitMapForCopyBits(destinationPort),
                  &sourceRect, &destinationRect, srcCopy, nullptr);
}

bool CBitmapImage::Reserve(u32 newWidth, u32 newHeight) {
  size_t size = BitmapBufferSize(newWidth, newHeight, GetBytesPerPixel());
  if (size == 0) return false;
  if (size > byteSize || !pixels) {
    u8* buffer = new (std::nothrow) u8[size];
    if (!buffer) return false;
    Adopt(buffer, u32(size), newWidth, newHeight, bitsPerPixel);
  } else {
    width = newWidth;
    height = newHeight;
  }
  return true;
}

void CBitmapImage::FlipTopToBottom() {
  if (!pixels || bitsPerPixel % 8 != 0) return;
  size_t rowSize = size_t(width) * GetBytesPerPixel();
  for (u32 top = 0, bottom = height ? height - 1 : 0; top < bottom; ++top, --bottom)
    std::swap_ranges(pixels + top * rowSize, pixels + (top + 1) * rowSize, pixels + bottom * rowSize);
}

void CBitmapImage::MirrorLeftToRight() {
  if (!pixels || bitsPerPixel % 8 != 0) return;
  const u32 bytes = GetBytesPerPixel();
  for (u32 y = 0; y < height; ++y) {
    u8* row = pixels + size_t(y) * width * bytes;
    for (u32 left = 0, right = width ? width - 1 : 0; left < right; ++left, --right)
      std::swap_ranges(row + size_t(left) * bytes, row + size_t(left + 1) * bytes,
                       row + size_t(right) * bytes);
  }
}

bool CBitmapImage::RotateQuarterTurns(int degrees) {
  if (degrees == 0) return true;
  int turns;
  if (degrees == 90 || degrees == -270)
    turns = 1;
  else if (degrees == 180 || degrees == -180)
    turns = 2;
  else if (degrees == 270 || degrees == -90)
    turns = 3;
  else
    return false;
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return false;
  if (!pixels) return true;
  const u32 bytes = GetBytesPerPixel();
  size_t size = size_t(width) * height * bytes;
  u8* buffer = new (std::nothrow) u8[size]();
  if (!buffer) return false;
  u32 newWidth = turns == 2 ? width : height, newHeight = turns == 2 ? height : width;
  for (u32 y = 0; y < height; ++y) {
    for (u32 x = 0; x < width; ++x) {
      u32 nx, ny;
      if (turns == 1) {
        nx = newWidth - 1 - y;
        ny = x;
      } else if (turns == 2) {
        nx = width - 1 - x;
        ny = height - 1 - y;
      } else {
        nx = y;
        ny = newHeight - 1 - x;
      }
      std::memcpy(buffer + (size_t(ny) * newWidth + nx) * bytes,
                  pixels + (size_t(y) * width + x) * bytes, bytes);
    }
  }
  Adopt(buffer, u32(size), newWidth, newHeight, bitsPerPixel);
  return true;
}

bool CBitmapImage::Rotate(double degrees) {
  if (bitsPerPixel % 8 != 0 || bitsPerPixel == 0) return false;
  if (!pixels) return true;
  const u32 bytes = GetBytesPerPixel();
  bool swap = degrees == 90 || degrees == 270 || degrees == -90 || degrees == -270;
  long newWidth = swap ? height : width, newHeight = swap ? width : height;
  size_t size = size_t(width) * height * bytes;
  u8* buffer = new (std::nothrow) u8[size]();
  if (!buffer) return false;
  double radians = degrees * 0.017453292519943295;
  float c = float(std::cos(radians)), s = float(std::sin(radians));
  long halfWidth = long(width / 2), halfHeight = long(height / 2);
  for (u32 y = 0; y < height; ++y) {
    bool shiftLeft = false, shiftUp = false;
    float dy = float(long(y) - halfHeight);
    for (u32 x = 0; x < width; ++x) {
      float dx = float(long(x) - halfWidth);
      // Rounded to the nearest pixel (halves up, also left of and above the centre).
      long nx = long(std::floor(c * dx - s * dy + 0.5f)) + newWidth / 2;
      long ny = long(std::floor(s * dx + c * dy + 0.5f)) + newHeight / 2;
      // Rounding pushes one edge of the turned picture just outside it.
      if (nx == newWidth) shiftLeft = true;
      if (ny == newHeight) shiftUp = true;
      if (shiftLeft) --nx;
      if (shiftUp) --ny;
      if (nx < 0 || ny < 0 || nx >= newWidth || ny >= newHeight) continue;
      std::memcpy(buffer + (size_t(ny) * size_t(newWidth) + size_t(nx)) * bytes,
                  pixels + (size_t(y) * width + x) * bytes, bytes);
    }
  }
  Adopt(buffer, u32(size), u32(newWidth), u32(newHeight), bitsPerPixel);
  return true;
}

bool CBitmapImage::Scale(u32 newWidth, u32 newHeight) {
  if (!pixels || bitsPerPixel % 8 != 0 || bitsPerPixel == 0) return false;
  if (newWidth == width && newHeight == height) return true;
  const u32 bytes = GetBytesPerPixel();
  size_t middleSize = BitmapBufferSize(newWidth, height, bytes);
  size_t finalSize = BitmapBufferSize(newWidth, newHeight, bytes);
  if (middleSize == 0 || finalSize == 0) return false;
  u8* middle = new (std::nothrow) u8[middleSize];
  u8* result = new (std::nothrow) u8[finalSize];
  if (!middle || !result) {
    delete[] middle;
    delete[] result;
    return false;
  }
  // Along the rows, then along the columns.
  ResamplePass(pixels, middle, int(height), int(width), int(newWidth), int(bytes), bytes,
               size_t(width) * bytes, bytes, size_t(newWidth) * bytes);
  ResamplePass(middle, result, int(newWidth), int(height), int(newHeight), int(bytes),
               size_t(newWidth) * bytes, bytes, size_t(newWidth) * bytes, bytes);
  delete[] middle;
  Adopt(result, u32(finalSize), newWidth, newHeight, bitsPerPixel);
  return true;
}
