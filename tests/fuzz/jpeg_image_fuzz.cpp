// Fuzz target of JPEG decoding (pictures opened as movies and for the
// installer's picture): any bytes decode or fail without a crash, a hang or
// memory beyond the bitmap limit, and a decoded picture encoded by our
// writer decodes again at the same size.
//
// Seeds: pictures our encoder makes at several qualities. Inputs stay at
// libFuzzer's default size, so the amplification check measures a picture
// against its bytes: the pixels a few KB of data can fill (at most some
// hundred times its size) lie within the check's 16 MiB allowance.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/jpeg_image.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  std::vector<u8> pixels(17 * 9 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = u8(i * 11);
  for (int quality : {10, 80, 100}) {
    CJpegImage image;
    image.SetQuality(quality);
    gbfuzz::Check(image.EncodeRgbToMemory(17, 9, 24, pixels.data()), "a sample picture cannot be encoded");
    seeds.Add(image.GetPixels(), image.GetCompressedLength());
  }
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  CJpegImage image;
  if (!image.DecodeFromMemory(data, size)) {
    gbfuzz::Check(image.GetPixels() == nullptr, "a picture that failed to decode keeps pixels");
    return 0;
  }
  gbfuzz::Check(image.GetBitsPerPixel() == 24 && image.GetByteSize() == image.GetWidth() * image.GetHeight() * 3,
                "a decoded picture is not whole RGB rows");
  CJpegImage encoded;
  gbfuzz::Check(encoded.EncodeRgbToMemory(image.GetWidth(), image.GetHeight(), 24, image.GetPixels()),
                "a decoded picture cannot be encoded");
  CJpegImage again;
  gbfuzz::Check(again.DecodeFromMemory(encoded.GetPixels(), encoded.GetCompressedLength()),
                "an encoded picture does not decode");
  gbfuzz::Check(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight(),
                "an encoded picture decodes at another size");
  return 0;
}
