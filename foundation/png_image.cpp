#include "foundation/png_image.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "foundation/file_layer.h"
#include "foundation/path_name.h"

namespace {

// The most libpng inflates a compressed chunk to. The one the decoder
// keeps, iCCP, has its profile's size checked against it before room is
// made for the profile. A chunk whose declared length passes it draws only
// a warning from libpng, which reads the chunk all the same: hence the walk
// of the chunks (ChunksFitTheData) and the chunks passed over unread
// (kUnusedChunks).
constexpr png_alloc_size_t kMaxPngChunk = 8 << 20;

// The ancillary chunks the decoder has no use for, which libpng passes over
// unread as it does chunks it does not know. Handled, the text chunks,
// pCAL, sCAL, sPLT and eXIf are each read into room of their declared size,
// and every zTXt and compressed iTXt before the image data is kept inflated
// (up to kMaxPngChunk each, a thousand times its own size). What changes
// the pixels is still handled: PLTE, tRNS, bKGD, gAMA, sBIT, and sRGB, cHRM
// and iCCP, which decide the file's gamma.
constexpr png_byte kUnusedChunks[] =
    "tEXt\0zTXt\0iTXt\0pCAL\0sCAL\0sPLT\0eXIf\0tIME\0pHYs\0oFFs\0hIST";
constexpr int kUnusedChunkCount = int(sizeof kUnusedChunks / 5);

[[noreturn]] void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void PngWarning(png_structp, png_const_charp) {}

// One decoding run from a memory block. The buffers are new[] and belong to
// the caller afterwards, whatever the result.
struct PngReadJob {
  const u8* data = nullptr;
  size_t length = 0;
  size_t position = 0;
  u8* pixels = nullptr;
  png_bytep* rows = nullptr;
  u32 width = 0;
  u32 height = 0;
  int colorType = 0;
  int interlace = 0;
  int compression = 0;
  int filter = 0;
  int channels = 0;
  bool hasBackground = false;
  u8 background[3] = {0, 0, 0};
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* job = static_cast<PngReadJob*>(png_get_io_ptr(png));
  if (count > job->length - job->position) png_error(png, "truncated data");
  std::memcpy(out, job->data + job->position, count);
  job->position += count;
}

u64 Big32(const u8* bytes) {
  return u64(bytes[0]) << 24 | u64(bytes[1]) << 16 | u64(bytes[2]) << 8 | bytes[3];
}

// Whether every chunk of a picture in memory, from the first to IEND, lies
// whole (length, type, data and CRC) within the data. libpng reads every
// chunk up to IEND before a picture decodes, so one that runs past the end
// fails it anyway; refused here, no chunk's declared length can make libpng
// ask for more memory than the picture's own size.
bool ChunksFitTheData(const u8* data, size_t length) {
  for (size_t at = 8; length - at >= 12;) {
    const u64 declared = Big32(data + at);
    if (declared > length - at - 12) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    at += 12 + size_t(declared);
  }
  return false;
}

// The bytes a picture's image data inflates to: every row of every pass
// behind its filter byte, in the file's own bit depth and colour type.
u64 ImageDataSize(u32 width, u32 height, int bitDepth, int colorType, int interlace) {
  const int samples = colorType == PNG_COLOR_TYPE_RGB         ? 3
                      : colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                      : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                               : 1;
  const u64 bits = u64(bitDepth) * u64(samples);
  auto rowBytes = [bits](u64 columns) { return (columns * bits + 7) / 8 + 1; };
  if (interlace == PNG_INTERLACE_NONE) return u64(height) * rowBytes(width);
  u64 total = 0;
  for (int pass = 0; pass < 7; ++pass) {
    const u64 columns = PNG_PASS_COLS(u64(width), pass);
    const u64 rows = PNG_PASS_ROWS(u64(height), pass);
    if (columns && rows) total += rows * rowBytes(columns);
  }
  return total;
}

// Whether the image data of a picture in memory (its first run of IDAT
// chunks, as the decoder reads them, a chunk cut short by the end of the
// data as far as it goes) inflates to `needed` bytes at least. Inflated
// into a scratch buffer, no further than needed: a frame whose data cannot
// fill it is refused before its bitmap is made, however large it claims to
// be (the decoder would fail at its first missing row).
bool ImageDataFills(const u8* data, size_t length, u64 needed) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  u8 scratch[16384];
  u64 produced = 0;
  bool inData = false;
  bool ended = false;
  for (size_t at = 8; !ended && produced < needed && length - at >= 8;) {
    const u64 declared = Big32(data + at);
    const bool isData = std::memcmp(data + at + 4, "IDAT", 4) == 0;
    const size_t size = size_t(std::min<u64>(declared, length - at - 8));
    if (!isData && inData) break;
    if (isData) {
      inData = true;
      stream.next_in = const_cast<Bytef*>(data + at + 8);
      stream.avail_in = uInt(size);
      while (produced < needed) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        const int result = inflate(&stream, Z_NO_FLUSH);
        produced += sizeof scratch - stream.avail_out;
        if (result == Z_BUF_ERROR) break;  // this chunk is used up
        if (result != Z_OK) {
          ended = true;
          break;
        }
      }
    }
    if (declared > length - at - 8 || length - at - 8 - size < 4) break;
    at += 8 + size + 4;
  }
  inflateEnd(&stream);
  return produced >= needed;
}

// A file's background value as an 8-bit channel.
u8 BackgroundChannel(png_uint_16 value, int bitDepth) {
  if (bitDepth == 16) return u8(value >> 8);
  if (bitDepth < 8) return u8(value * 255 / ((1u << bitDepth) - 1));
  return u8(value);
}

void KeepBackground(PngReadJob* job, const png_color_16& color, int bitDepth, int colorType) {
  job->hasBackground = true;
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    // The palette's colour, 8 bits per channel already.
    job->background[0] = u8(color.red);
    job->background[1] = u8(color.green);
    job->background[2] = u8(color.blue);
  } else if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
    job->background[0] = job->background[1] = job->background[2] =
        BackgroundChannel(color.gray, bitDepth);
  } else {
    job->background[0] = BackgroundChannel(color.red, bitDepth);
    job->background[1] = BackgroundChannel(color.green, bitDepth);
    job->background[2] = BackgroundChannel(color.blue, bitDepth);
  }
}

[[nodiscard]] bool DecodePng(PngReadJob* job) {
  if (!job->data || job->length < 8 || png_sig_cmp(job->data, 0, 8) != 0) return false;
  if (!ChunksFitTheData(job->data, job->length)) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, PngError, PngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_user_limits(png, kMaxBitmapSide, kMaxBitmapSide);
  png_set_chunk_malloc_max(png, kMaxPngChunk);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnusedChunks, kUnusedChunkCount);
  job->position = 8;
  png_set_read_fn(png, job, ReadFromMemory);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &job->interlace,
               &job->compression, &job->filter);
  if (!ImageDataFills(job->data, job->length, ImageDataSize(width, height, bitDepth, colorType, job->interlace)))
    png_error(png, "not enough image data");
  if (bitDepth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
  if (bitDepth < 8) png_set_expand(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_color_16p background = nullptr;
  if (png_get_bKGD(png, info, &background) && background) {
    png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    KeepBackground(job, *background, bitDepth, colorType);
  }
  double fileGamma = 0;
  if (png_get_gAMA(png, info, &fileGamma) && fileGamma > 0) png_set_gamma(png, 2.2, fileGamma);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  size_t rowBytes = png_get_rowbytes(png, info);
  int channels = png_get_channels(png, info);
  size_t size = BitmapBufferSize(width, height, u64(channels));
  if (bitDepth != 8 || (channels != 3 && channels != 4) || size == 0 ||
      rowBytes != size_t(width) * size_t(channels))
    png_error(png, "unsupported picture");
  job->width = width;
  job->height = height;
  job->colorType = colorType;
  job->channels = channels;
  // The transformed rows are exactly the bitmap's rows: read them in place.
  job->pixels = new (std::nothrow) u8[size];
  job->rows = new (std::nothrow) png_bytep[height];
  if (!job->pixels || !job->rows) png_error(png, "out of memory");
  for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->pixels + size_t(y) * rowBytes;
  png_read_image(png, job->rows);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}


// One writing run: `height` rows of `width` pixels of the colour type, each
// produced by `row` into a buffer of the file's row size.
struct PngWriteJob {
  std::FILE* file = nullptr;
  u32 width = 0;
  u32 height = 0;
  int colorType = PNG_COLOR_TYPE_RGB;
  png_color palette[256];
  int paletteCount = 0;
  const u8* pixels = nullptr;
  size_t sourceRowBytes = 0;
  int sourceBytes = 3;    // bytes per source pixel
  bool argb = false;      // source pixels are A, R, G, B (an offscreen world)
  u8* rowBuffer = nullptr;  // new[], the caller's
};

void FillRow(const PngWriteJob* job, u32 y, u8* out) {
  const u8* in = job->pixels + size_t(y) * job->sourceRowBytes;
  if (job->argb)
    ArgbRowToBitmap(in, out, job->width, 3);
  else
    std::memcpy(out, in, size_t(job->width) * size_t(job->sourceBytes));
}

[[nodiscard]] bool WritePng(const PngWriteJob* job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, job->file);
  png_set_compression_level(png, 9);
  if (job->paletteCount > 0)
    png_set_PLTE(png, info, job->palette, job->paletteCount);
  else
    png_set_compression_mem_level(png, 9);
  png_set_IHDR(png, info, job->width, job->height, 8, job->colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (u32 y = 0; y < job->height; ++y) {
    FillRow(job, y, job->rowBuffer);
    png_write_row(png, job->rowBuffer);
    if (job->paletteCount > 0) png_write_flush(png);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Creates the file and runs the job; the file is closed in every case.
[[nodiscard]] bool WritePngFile(PngWriteJob* job, const CPathName& path) {
  size_t rowSize = BitmapBufferSize(job->width, 1, job->colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                                                   : job->colorType == PNG_COLOR_TYPE_PALETTE ? 1
                                                                                              : 3);
  if (rowSize == 0 || job->height == 0 || job->height > kMaxBitmapSide) return false;
  job->rowBuffer = new (std::nothrow) u8[rowSize];
  if (!job->rowBuffer) return false;
  // Made afresh (no type or creator), replacing an existing file but never a folder.
  if (CreateFileWithTypeCreator(path, nullptr, true))
    job->file = path.OpenStdioFile("wb");
  bool ok = job->file && WritePng(job);
  if (job->file) ok = std::fclose(job->file) == 0 && ok;
  delete[] job->rowBuffer;
  job->rowBuffer = nullptr;
  return ok;
}

}  // namespace

bool SaveRgbAsPngFile(u32 width, u32 height, u16 bitsPerPixel, const u8* pixels,
                      const CPathName& path, const u32* palette, int paletteCount) {
  if (!pixels) return false;
  PngWriteJob job;
  job.width = width;
  job.height = height;
  job.pixels = pixels;
  if (palette) {
    if (bitsPerPixel != 8 || paletteCount < 1 || paletteCount > 256) return false;
    job.colorType = PNG_COLOR_TYPE_PALETTE;
    job.paletteCount = paletteCount;
    for (int i = 0; i < paletteCount; ++i) {
      job.palette[i].red = png_byte(palette[i] >> 16);
      job.palette[i].green = png_byte(palette[i] >> 8);
      job.palette[i].blue = png_byte(palette[i]);
    }
    job.sourceBytes = 1;
  } else if (bitsPerPixel == 24 || bitsPerPixel == 32) {
    job.colorType = bitsPerPixel == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    job.sourceBytes = bitsPerPixel / 8;
  } else {
    return false;
  }
  job.sourceRowBytes = size_t(width) * size_t(job.sourceBytes);
  return WritePngFile(&job, path);
}

bool SaveGWorldAsPng(GWorldPtr world, const CPathName& path) {
  PixMapPtr map = GetGWorldPixMap(world);
  if (!map || map->pixelSize != 32) return false;
  Rect bounds;
  GetPortBounds(world, &bounds);
  PngWriteJob job;
  job.width = u32(bounds.right - bounds.left);
  job.height = u32(bounds.bottom - bounds.top);
  job.argb = true;
  LockPixels(map);
  job.pixels = GetPixBaseAddr(map);
  job.sourceRowBytes = size_t(GetPixRowBytes(map));
  bool ok = WritePngFile(&job, path);
  UnlockPixels(map);
  return ok;
}

CPngImage::CPngImage()
    : colorType(0),
      interlaceMethod(0),
      compressionMethod(0),
      filterMethod(0),
      channels(0),
      backgroundColor(nullptr),
      alpha(nullptr) {}

CPngImage::~CPngImage() { FreeExtras(); }

void CPngImage::FreeExtras() {
  delete[] backgroundColor;
  backgroundColor = nullptr;
  delete[] alpha;
  alpha = nullptr;
}

void CPngImage::Free() {
  FreeExtras();
  CBitmapImage::Free();
}

bool CPngImage::DecodeFromMemory(const u8* data, size_t length) {
  PngReadJob job;
  job.data = data;
  job.length = length;
  bool decoded = DecodePng(&job);
  delete[] job.rows;
  u8* newAlpha = nullptr;
  u8* newBackground = nullptr;
  if (decoded && job.channels == 4) {
    size_t count = size_t(job.width) * job.height;
    newAlpha = new (std::nothrow) u8[count];
    if (newAlpha)
      for (size_t i = 0; i < count; ++i) newAlpha[i] = job.pixels[i * 4 + 3];
    decoded = newAlpha != nullptr;
  }
  if (decoded && job.hasBackground) {
    newBackground = new (std::nothrow) u8[3];
    if (newBackground) std::memcpy(newBackground, job.background, 3);
    decoded = newBackground != nullptr;
  }
  if (!decoded) {
    delete[] job.pixels;
    delete[] newAlpha;
    return false;
  }
  FreeExtras();
  Adopt(job.pixels, u32(size_t(job.width) * job.height * u32(job.channels)), job.width,
        job.height, u16(job.channels * 8));
  alpha = newAlpha;
  backgroundColor = newBackground;
  colorType = u32(job.colorType);
  interlaceMethod = u32(job.interlace);
  compressionMethod = u32(job.compression);
  filterMethod = u32(job.filter);
  channels = u32(job.channels);
  return true;
}

bool CPngImage::LoadFile(const CPathName& path) {
  std::vector<u8> bytes;
  return ReadImageFile(path, &bytes) && DecodeFromMemory(bytes.data(), bytes.size());
}

bool CPngImage::SaveFile(const CPathName& path) const {
  return SaveRgbAsPngFile(width, height, bitsPerPixel, pixels, path, nullptr, 0);
}
