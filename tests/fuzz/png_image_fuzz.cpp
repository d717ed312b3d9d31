// Fuzz target of PNG decoding (the installer's custom picture, pictures
// opened as movies): any bytes decode or fail without a crash, a hang or
// memory beyond the bitmap limit, and a decoded picture saved by our writer
// loads back with the same size and pixels.
//
// Seeds: pictures our writer saves in every form it writes (RGB, RGBA,
// palette).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  std::vector<u8> pixels(7 * 5 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = u8(i * 37);
  const u32 palette[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  std::vector<u8> indexes(7 * 5);
  for (size_t i = 0; i < indexes.size(); ++i) indexes[i] = u8(i % 4);
  const CPathName path(folder + "picture.png");
  gbfuzz::Check(SaveRgbAsPngFile(7, 5, 24, pixels.data(), path, nullptr, 0), "a sample picture cannot be saved");
  seeds.AddFile(folder + "picture.png");
  gbfuzz::Check(SaveRgbAsPngFile(7, 5, 32, pixels.data(), path, nullptr, 0), "a sample picture cannot be saved");
  seeds.AddFile(folder + "picture.png");
  gbfuzz::Check(SaveRgbAsPngFile(7, 5, 8, indexes.data(), path, palette, 4), "a sample picture cannot be saved");
  seeds.AddFile(folder + "picture.png");
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
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
