// Fuzz target of PNG decoding (the installer's custom picture, pictures
// opened as movies): any bytes decode or fail without a crash, a hang or
// memory beyond the bitmap limit, and a decoded picture saved by our writer
// loads back with the same size and pixels.
//
// Seeds: pictures our writer saves in every form it writes (RGB, RGBA,
// palette), and real pictures that carry text and other ancillary chunks,
// from Debian's packages when they are installed (libpng-dev's test
// picture, icons of adwaita-icon-theme). Inputs stay at libFuzzer's default
// size (or the largest seed's); the check measures a picture against the
// pixels its image data can fill.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

u32 Big32(const uint8_t* bytes) { return u32(bytes[0]) << 24 | u32(bytes[1]) << 16 | u32(bytes[2]) << 8 | bytes[3]; }

// A picture expands to its pixels: as much of the bitmap as its image data
// can fill (each inflated byte is at most 8 pixels of 4 bytes), stated for
// the amplification check. The image data is every IDAT chunk's, inflated
// and counted, no further than the frame's bitmap.
void StatePictureSize(const uint8_t* data, size_t size) {
  if (size < 33 || std::memcmp(data + 12, "IHDR", 4) != 0) return;
  const u64 bitmap = u64(Big32(data + 16)) * Big32(data + 20) * 4;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return;
  uint8_t scratch[16384];
  u64 inflated = 0;
  int result = Z_OK;
  for (size_t at = 8; result == Z_OK && inflated * 8 < bitmap && size - at >= 12;) {
    const size_t length = std::min<size_t>(Big32(data + at), size - at - 12);
    if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
      stream.next_in = const_cast<Bytef*>(data + at + 8);
      stream.avail_in = uInt(length);
      do {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        result = inflate(&stream, Z_NO_FLUSH);
        inflated += sizeof scratch - stream.avail_out;
      } while (result == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0));
      if (result == Z_BUF_ERROR) result = Z_OK;
    }
    at += 12 + length;
  }
  inflateEnd(&stream);
  gbfuzz::SetExpandedSize(size_t(std::min(bitmap, inflated * 32)));
}

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  std::vector<u8> pixels(size_t(7) * 5 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = u8(i * 37);
  const u32 palette[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  std::vector<u8> indexes(size_t(7) * 5);
  for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = u8(i % 4);
  const CPathName path(folder + "picture.png");
  gbfuzz::Check(SaveRgbAsPngFile(7, 5, 24, pixels.data(), path, nullptr, 0), "a sample picture cannot be saved");
  seeds.AddFile(folder + "picture.png");
  gbfuzz::Check(SaveRgbAsPngFile(7, 5, 32, pixels.data(), path, nullptr, 0), "a sample picture cannot be saved");
  seeds.AddFile(folder + "picture.png");
  gbfuzz::Check(SaveRgbAsPngFile(7, 5, 8, indexes.data(), path, palette, 4), "a sample picture cannot be saved");
  seeds.AddFile(folder + "picture.png");
  // Real pictures with text chunks, before and behind the image data.
  const char* const realPictures[] = {
      "/usr/share/doc/libpng-dev/examples/pngtest.png",              // RGBA, interlaced, most chunk kinds
      "/usr/share/icons/Adwaita/16x16/devices/computer.png",         // RGBA
      "/usr/share/icons/Adwaita/48x48/devices/computer.png",         // RGBA
      "/usr/share/icons/Adwaita/22x22/places/network-workgroup.png",  // RGBA
      "/usr/share/icons/Adwaita/24x24/status/image-loading.png",     // palette with sBIT and tRNS
  };
  for (const char* picture : realPictures)
    if (gbfuzz::FileExists(picture)) seeds.AddFile(picture);
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  StatePictureSize(data, size);
  CPngImage image;
  if (!image.DecodeFromMemory(data, size)) {
    gbfuzz::Check(image.GetPixels() == nullptr, "a picture that failed to decode keeps pixels");
    return 0;
  }
  static const std::string folder = gbfuzz::SandboxFolder("work");
  const CPathName path(folder + "saved.png");
  gbfuzz::Check(image.SaveFile(path), "a decoded picture cannot be saved");
  CPngImage again;
  gbfuzz::Check(again.LoadFile(path), "a saved picture does not load");
  gbfuzz::Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight() &&
                    again.GetBitsPerPixel() == image.GetBitsPerPixel() &&
                    again.GetByteSize() == image.GetByteSize(),
                "a saved picture loads with another size");
  gbfuzz::Check(std::equal(image.GetPixels(), image.GetPixels() + image.GetByteSize(), again.GetPixels()),
                "a saved picture loads with other pixels");
  return 0;
}
