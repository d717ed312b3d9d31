// Draws the bundle's pictures: the splash picture "splash.png" (420 x 260),
// the application icon "app.icns" (one 128 x 128 PNG member) and the
// installers' default picture "installer_splash.png" (300 x 200), into a
// folder.
//
//   gb_draw_pictures <output folder>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Color {
  float r, g, b, a;
};

struct Canvas {
  int width, height;
  std::vector<Color> pixels;
  Canvas(int w, int h, Color fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  Color& At(int x, int y) { return pixels[size_t(y) * width + x]; }
};

Color Mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// Adds light of a colour with a strength 0..1 (alpha grows with it).
void AddLight(Color& pixel, Color light, float strength) {
  strength = std::clamp(strength, 0.0f, 1.0f);
  pixel.r = std::min(1.0f, pixel.r + light.r * strength);
  pixel.g = std::min(1.0f, pixel.g + light.g * strength);
  pixel.b = std::min(1.0f, pixel.b + light.b * strength);
  pixel.a = std::max(pixel.a, strength);
}

// A four-pointed sparkle: a bright core with two thin rays.
void Sparkle(Canvas& canvas, float cx, float cy, float size, Color light) {
  const int reach = int(size * 3) + 1;
  for (int y = std::max(0, int(cy) - reach); y < std::min(canvas.height, int(cy) + reach); ++y) {
    for (int x = std::max(0, int(cx) - reach); x < std::min(canvas.width, int(cx) + reach); ++x) {
      const float dx = std::fabs(float(x) + 0.5f - cx), dy = std::fabs(float(y) + 0.5f - cy);
      const float core = std::exp(-(dx * dx + dy * dy) / (size * size * 0.5f));
      const float rays = std::exp(-dx / (size * 0.9f)) * std::exp(-dy * dy / 0.8f) +
                         std::exp(-dy / (size * 0.9f)) * std::exp(-dx * dx / 0.8f);
      AddLight(canvas.At(x, y), light, core + 0.8f * rays);
    }
  }
}

// A small fixed generator so that every build draws the same pictures.
struct Random {
  uint32_t state;
  float Next() {
    state = state * 1664525u + 1013904223u;
    return float(state >> 8) / float(1u << 24);
  }
};

// The night sky of the splash pictures, laid out for 420 x 260 and scaled
// to the canvas.
Canvas DrawSplash(int width, int height) {
  const Color top{0.05f, 0.07f, 0.20f, 1}, bottom{0.27f, 0.14f, 0.43f, 1};
  const float sx = float(width) / 420.0f, sy = float(height) / 260.0f;
  Canvas canvas(width, height, top);
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      Color& pixel = canvas.At(x, y);
      pixel = Mix(top, bottom, float(y) / float(canvas.height - 1));
      const float dx = (float(x) - 300.0f * sx) / (160.0f * sx), dy = (float(y) - 70.0f * sy) / (110.0f * sy);
      AddLight(pixel, {0.30f, 0.25f, 0.45f, 1}, 0.6f * std::exp(-(dx * dx + dy * dy)));
    }
  Random random{20061};
  for (int i = 0; i < 60; ++i) {
    const float x = random.Next() * float(canvas.width), y = random.Next() * 170.0f * sy;
    const float size = 0.6f + random.Next() * random.Next() * 3.2f;
    Sparkle(canvas, x, y, size, {0.9f, 0.85f, 1.0f, 1});
  }
  Sparkle(canvas, 300 * sx, 70 * sy, 7, {1.0f, 0.95f, 0.8f, 1});
  // A calm band at the foot for the version and notice lines.
  for (int y = int(190 * sy); y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) canvas.At(x, y) = Mix(canvas.At(x, y), {0.03f, 0.03f, 0.08f, 1}, 0.55f);
  return canvas;
}

Canvas DrawIcon() {
  const int size = 128;
  Canvas canvas(size, size, {0, 0, 0, 0});
  const float radius = 24, inset = 6;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      // Signed distance to a rounded square, for a soft edge.
      const float qx = std::fabs(float(x) + 0.5f - size / 2.0f) - (size / 2.0f - inset - radius);
      const float qy = std::fabs(float(y) + 0.5f - size / 2.0f) - (size / 2.0f - inset - radius);
      const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) - radius;
      const float coverage = std::clamp(0.5f - outside, 0.0f, 1.0f);
      Color pixel = Mix({0.10f, 0.12f, 0.35f, 1}, {0.40f, 0.18f, 0.55f, 1}, float(y) / size);
      pixel.a = coverage;
      canvas.At(x, y) = pixel;
    }
  Canvas glow(size, size, {0, 0, 0, 0});
  Sparkle(glow, 64, 62, 9, {1.0f, 0.95f, 0.8f, 1});
  Sparkle(glow, 36, 34, 2.5f, {0.9f, 0.9f, 1.0f, 1});
  Sparkle(glow, 92, 96, 3, {0.9f, 0.9f, 1.0f, 1});
  for (size_t i = 0; i < canvas.pixels.size(); ++i) {
    Color& pixel = canvas.pixels[i];
    const float alpha = pixel.a;
    AddLight(pixel, glow.pixels[i], glow.pixels[i].a);
    pixel.a = alpha;  // the light stays inside the tile
  }
  return canvas;
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

bool EncodePng(const Canvas& canvas, bool alpha, std::vector<uint8_t>& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  const int channels = alpha ? 4 : 3;
  std::vector<uint8_t> row(size_t(canvas.width) * channels);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_set_write_fn(png, &out, AppendBytes, nullptr);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, canvas.width, canvas.height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      const Color& c = canvas.pixels[size_t(y) * canvas.width + x];
      uint8_t* p = &row[size_t(x) * channels];
      p[0] = uint8_t(std::lround(std::clamp(c.r, 0.0f, 1.0f) * 255));
      p[1] = uint8_t(std::lround(std::clamp(c.g, 0.0f, 1.0f) * 255));
      p[2] = uint8_t(std::lround(std::clamp(c.b, 0.0f, 1.0f) * 255));
      if (alpha) p[3] = uint8_t(std::lround(std::clamp(c.a, 0.0f, 1.0f) * 255));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  std::vector<uint8_t> splash, icon, installerSplash;
  if (!EncodePng(DrawSplash(420, 260), false, splash) || !EncodePng(DrawIcon(), true, icon) ||
      !EncodePng(DrawSplash(300, 200), false, installerSplash)) {
    std::fprintf(stderr, "%s: could not encode the pictures\n", argv[0]);
    return 1;
  }
  // An icon family: "icns", its length, then one member "ic07" (128 x 128 PNG).
  std::vector<uint8_t> family = {'i', 'c', 'n', 's'};
  PutBig32(family, uint32_t(8 + 8 + icon.size()));
  family.insert(family.end(), {'i', 'c', '0', '7'});
  PutBig32(family, uint32_t(8 + icon.size()));
  family.insert(family.end(), icon.begin(), icon.end());
  if (!WriteFile(folder + "splash.png", splash) || !WriteFile(folder + "app.icns", family) ||
      !WriteFile(folder + "installer_splash.png", installerSplash)) {
    std::fprintf(stderr, "%s: could not write into %s\n", argv[0], folder.c_str());
    return 1;
  }
  return 0;
}
