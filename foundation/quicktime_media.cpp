#include "foundation/quicktime_media.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "foundation/jpeg_image.h"
#include "foundation/path_name.h"
#include "foundation/png_image.h"
#include "platform/gestalt.h"

namespace {

int Width(const Rect& r) { return int(r.right) - int(r.left); }
int Height(const Rect& r) { return int(r.bottom) - int(r.top); }

Rect AtOrigin(const Rect& r) { return MakeRect(0, 0, SInt16(Width(r)), SInt16(Height(r))); }

[[nodiscard]] bool CopyName(const char* name, char* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  std::snprintf(out, capacity, "%s", name);
  return std::strlen(name) < capacity;
}

// A decoded picture as A, R, G, B rows.
std::vector<u8> ArgbOf(const CBitmapImage& image) {
  const size_t count = size_t(image.GetWidth()) * image.GetHeight();
  std::vector<u8> argb(count * 4);
  BitmapRowToArgb(image.GetPixels(), argb.data(), count, image.GetBytesPerPixel());
  return argb;
}

// Restores the current port and the movie's port and box when it goes.
class MovieStateSaver {
 public:
  explicit MovieStateSaver(Movie movie) : movie_(movie) {
    GetGWorld(&port_);
    GetMovieGWorld(movie, &moviePort_);
    GetMovieBox(movie, &box_);
  }
  ~MovieStateSaver() {
    SetMovieBox(movie_, &box_);
    SetMovieGWorld(movie_, moviePort_);
    SetGWorld(port_);
  }

 private:
  Movie movie_;
  CGrafPtr port_ = nullptr;
  CGrafPtr moviePort_ = nullptr;
  Rect box_;
};

void DrawMovieInto(Movie movie, GWorldPtr world) {
  SetGWorld(world);
  SetMovieActive(movie, true);
  SetMovieGWorld(movie, world);
  UpdateMovie(movie);
  MoviesTask(movie, 0);
}

}  // namespace

bool IsQuickTimeInstalled() {
  SInt32 response = 0;
  return plat::Gestalt(FourCC("qtim"), &response) == noErr;
}

u32 GetQuickTimeVersion() {
  SInt32 response = 0;
  if (plat::Gestalt(FourCC("qtim"), &response) != noErr) return 0;
  return u32(response) >> 16;
}

bool HasQuickTimeFeatures() {
  SInt32 response = 0;
  return plat::Gestalt(FourCC("qtrs"), &response) == noErr;
}

bool GetFsSpecForPath(const CPathName& path, FSSpec* spec) { return spec && path.GetFsSpec(spec); }

std::unique_ptr<CBitmapImage> DecodePicture(const u8* data, size_t length, OSType* codec,
                                            const char** codecName) {
  static const u8 pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!data) return nullptr;
  if (length >= 8 && std::memcmp(data, pngSignature, 8) == 0) {
    auto png = std::make_unique<CPngImage>();
    if (!png->DecodeFromMemory(data, length)) return nullptr;
    if (codec) *codec = FourCC("png ");
    if (codecName) *codecName = "PNG";
    return png;
  }
  if (length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    auto jpeg = std::make_unique<CJpegImage>();
    if (!jpeg->DecodeFromMemory(data, length)) return nullptr;
    if (codec) *codec = FourCC("jpeg");
    if (codecName) *codecName = "Photo - JPEG";
    return jpeg;
  }
  return nullptr;
}

bool FormatMovieDuration(s64 duration, s32 timeScale, char* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  double seconds = timeScale > 0 ? double(duration) / double(timeScale) : 0;
  double clamped = std::clamp(seconds * 1000.0, 0.0, 4294967295.0);
  u64 milliseconds = u64(clamped);
  // Rounding to hundredths may carry into the seconds and beyond.
  u64 hundredths = (milliseconds + 5) / 10;
  u64 hours = hundredths / 360000, minutes = hundredths / 6000 % 60, secs = hundredths / 100 % 60;
  int written = std::snprintf(out, capacity, "%02" PRIu64 ":%02" PRIu64 ":%02" PRIu64 ".%02" PRIu64,
                              hours, minutes, secs, hundredths % 100);
  return written > 0 && size_t(written) < capacity;
}

CQuickTimeMedia::CQuickTimeMedia() : movie(nullptr), currentTime(0), progressTarget(nullptr) {
  EnterMovies();
}

CQuickTimeMedia::~CQuickTimeMedia() {
  Dispose();
  ExitMovies();
}

void CQuickTimeMedia::Dispose() {
  DisposeMovie(movie);
  movie = nullptr;
  currentTime = 0;
  progressTarget = nullptr;
}

bool CQuickTimeMedia::OpenFile(const CPathName& path) {
  Dispose();
  std::vector<u8> bytes;
  OSType codec = 0;
  const char* codecName = "";
  std::unique_ptr<CBitmapImage> image;
  if (ReadImageFile(path, &bytes)) image = DecodePicture(bytes.data(), bytes.size(), &codec, &codecName);
  if (!image) return false;
  std::vector<u8> argb = ArgbOf(*image);
  movie = NewStillPictureMovie(argb.data(), int(image->GetWidth()), int(image->GetHeight()),
                               SInt32(image->GetWidth() * 4), codec, codecName);
  return movie != nullptr;
}

bool CQuickTimeMedia::OpenFromResource(int, const char*) {
  Dispose();
  return false;
}

void CQuickTimeMedia::GetNaturalSize(int* width, int* height) const {
  Rect box;
  GetMovieBox(movie, &box);
  if (width) *width = Width(box);
  if (height) *height = Height(box);
}

void CQuickTimeMedia::SetSize(int width, int height) {
  if (!movie) return;
  Rect box;
  GetMovieBox(movie, &box);
  box.right = SInt16(std::clamp(box.left + width, -32768, 32767));
  box.bottom = SInt16(std::clamp(box.top + height, -32768, 32767));
  SetMovieBox(movie, &box);
}

GWorldPtr CQuickTimeMedia::RenderFrame(TimeValue time) {
  if (!movie) return nullptr;
  Rect box;
  GetMovieBox(movie, &box);
  Rect bounds = AtOrigin(box);
  GWorldPtr world = nullptr;
  if (NewGWorld(&world, 32, &bounds) != noErr) return nullptr;
  MovieStateSaver saver(movie);
  SetMovieBox(movie, &bounds);
  SetMovieTimeValue(movie, time);
  DrawMovieInto(movie, world);
  return world;
}

u32 CQuickTimeMedia::FrameBytes(const Rect* area, u32 bytesPerPixel, int* width, int* height) const {
  if (!movie) return 0;
  Rect box;
  GetMovieBox(movie, &box);
  const Rect& frame = area ? *area : box;
  *width = Width(frame);
  *height = Height(frame);
  if (*width <= 0 || *height <= 0) return 0;
  return u32(BitmapBufferSize(u32(*width), u32(*height), bytesPerPixel));
}

u32 CQuickTimeMedia::ReadFrame(TimeValue time, u8* buffer, const Rect* outputRect,
                               const Rect* sourceRect, PixelForm form) {
  const u32 bytes = form == PixelForm::kRgb ? 3 : form == PixelForm::kRgba ? 4 : 1;
  int width = 0, height = 0;
  u32 size = FrameBytes(outputRect, bytes, &width, &height);
  if (!buffer || size == 0) return size;
  Rect box;
  GetMovieBox(movie, &box);

  GWorldPtr frame = RenderFrame(time);
  if (!frame) return 0;
  GWorldPtr scaled = nullptr;
  if (outputRect || sourceRect) {
    Rect frameBounds = AtOrigin(box);
    Rect scaledBounds = outputRect ? *outputRect : frameBounds;
    if (NewGWorld(&scaled, 32, &scaledBounds) != noErr) {
      DisposeGWorld(frame);
      return 0;
    }
    if (CopyBits(GetPortBitMapForCopyBits(frame), GetPortBitMapForCopyBits(scaled),
                 sourceRect ? sourceRect : &frameBounds, &scaledBounds, srcCopy, nullptr) != noErr) {
      DisposeGWorld(scaled);
      DisposeGWorld(frame);
      return 0;
    }
  }
  PixMapPtr map = GetGWorldPixMap(scaled ? scaled : frame);
  LockPixels(map);
  for (int y = 0; y < height; ++y) {
    const u8* in = GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map));
    u8* out = buffer + size_t(y) * size_t(width) * bytes;
    if (form != PixelForm::kAlpha) {
      ArgbRowToBitmap(in, out, size_t(width), bytes);
      continue;
    }
    for (int x = 0; x < width; ++x, in += 4) out[x] = in[0];
  }
  UnlockPixels(map);
  DisposeGWorld(scaled);
  DisposeGWorld(frame);
  return size;
}

u32 CQuickTimeMedia::CopyFrameToBuffer(TimeValue time, u8* buffer, const Rect* outputRect,
                                       const Rect* sourceRect, int bitsPerPixel) {
  if (bitsPerPixel != 24 && bitsPerPixel != 32) return 0;
  return ReadFrame(time, buffer, outputRect, sourceRect,
                   bitsPerPixel == 24 ? PixelForm::kRgb : PixelForm::kRgba);
}

u32 CQuickTimeMedia::CopyFrameAlphaToBuffer(TimeValue time, u8* buffer, const Rect* outputRect,
                                            const Rect* sourceRect) {
  return ReadFrame(time, buffer, outputRect, sourceRect, PixelForm::kAlpha);
}

u32 CQuickTimeMedia::CopyFrameToArgbBuffer(TimeValue time, u8* buffer, const Rect* rect) {
  int width = 0, height = 0;
  u32 size = FrameBytes(rect, 4, &width, &height);
  if (!buffer || size == 0) return size;
  GWorldPtr frame = RenderFrame(time);
  if (!frame) return 0;
  // The frame's top-left part; what lies beyond the frame is transparent black.
  std::memset(buffer, 0, size);
  PixMapPtr map = GetGWorldPixMap(frame);
  int columns = std::min(width, Width(map->bounds)), rows = std::min(height, Height(map->bounds));
  for (int y = 0; y < rows; ++y) {
    const u8* in = GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map));
    ArgbRowToBitmap(in, buffer + size_t(y) * size_t(width) * 4, size_t(columns), 4);
  }
  DisposeGWorld(frame);
  return size;
}

bool CQuickTimeMedia::GetFrameImage(TimeValue time, CBitmapImage* bitmap, const Rect* cropRect,
                                    int bitsPerPixel) {
  if (!movie || !bitmap) return false;
  Rect box;
  GetMovieBox(movie, &box);
  box = AtOrigin(box);
  SetMovieBox(movie, &box);
  Rect crop = cropRect ? *cropRect : box;
  crop.left = std::max(crop.left, box.left);
  crop.top = std::max(crop.top, box.top);
  crop.right = std::min(crop.right, box.right);
  crop.bottom = std::min(crop.bottom, box.bottom);
  const u32 bytes = bitsPerPixel == 32 ? 4 : 3;
  size_t size = BitmapBufferSize(u32(std::max(0, Width(crop))), u32(std::max(0, Height(crop))), bytes);
  if (size == 0) return false;
  u8* pixels = new (std::nothrow) u8[size];
  GWorldPtr frame = pixels ? RenderFrame(time) : nullptr;
  if (!frame) {
    delete[] pixels;
    return false;
  }
  PixMapPtr map = GetGWorldPixMap(frame);
  for (int y = 0; y < Height(crop); ++y) {
    const u8* in = GetPixBaseAddr(map) + size_t(crop.top + y) * size_t(GetPixRowBytes(map)) +
                   size_t(crop.left) * 4;
    ArgbRowToBitmap(in, pixels + size_t(y) * size_t(Width(crop)) * bytes, size_t(Width(crop)), bytes);
  }
  DisposeGWorld(frame);
  if (bitmap->Create(u32(Width(crop)), u32(Height(crop)), u16(bytes * 8), pixels, false)) return true;
  delete[] pixels;
  return false;
}

bool CQuickTimeMedia::DrawToGWorld(GWorldPtr world, const Rect* box, GWorldPtr mask) {
  if (!movie || !GetGWorldPixMap(world)) return false;
  {
    MovieStateSaver saver(movie);
    if (box) SetMovieBox(movie, box);
    DrawMovieInto(movie, world);
  }
  PixMapPtr maskMap = GetGWorldPixMap(mask);
  PixMapPtr target = GetGWorldPixMap(world);
  if (!maskMap || maskMap->pixelSize != 8 || target->pixelSize != 32) return true;
  int columns = std::min(Width(target->bounds), Width(maskMap->bounds));
  int rows = std::min(Height(target->bounds), Height(maskMap->bounds));
  for (int y = 0; y < rows; ++y) {
    const u8* in = GetPixBaseAddr(target) + size_t(y) * size_t(GetPixRowBytes(target));
    u8* out = GetPixBaseAddr(maskMap) + size_t(y) * size_t(GetPixRowBytes(maskMap));
    for (int x = 0; x < columns; ++x, in += 4) {
      bool white = in[0] == 0xFF && in[1] == 0xFF && in[2] == 0xFF && in[3] == 0xFF;
      out[x] = white ? 0 : 255;
    }
  }
  return true;
}

bool CQuickTimeMedia::DrawToWindow(WindowRef window, const Rect* box) {
  CGrafPtr port = GetWindowPort(window);
  return port && DrawToGWorld(port, box, nullptr);
}

bool CQuickTimeMedia::Start(bool rewind) {
  if (!movie) return false;
  if (rewind) GoToBeginningOfMovie(movie);
  SetMovieActive(movie, true);
  StartMovie(movie);
  return true;
}

bool CQuickTimeMedia::IsDone() const { return movie && IsMovieDone(movie); }

TimeValue CQuickTimeMedia::GetTime() const { return GetMovieTime(movie); }

bool CQuickTimeMedia::GetImageDescription(ImageDescription* out) const {
  if (!movie || !out) return false;
  std::memset(out, 0, sizeof *out);
  int width = 0, height = 0;
  GetStillPictureSize(movie, &width, &height);
  out->idSize = s32(sizeof *out);
  out->cType = GetStillPictureCodec(movie);
  out->width = s16(width);
  out->height = s16(height);
  out->hRes = out->vRes = 72 << 16;
  out->frameCount = 1;
  std::string name = GetStillPictureCodecName(movie).substr(0, 31);
  out->name[0] = u8(name.size());
  std::memcpy(out->name + 1, name.data(), name.size());
  out->depth = StillPictureHasAlpha(movie) ? 32 : 24;
  out->clutID = -1;
  return true;
}

bool CQuickTimeMedia::GetSoundDescription(void*) const { return false; }

bool CQuickTimeMedia::GetVideoCodecName(char* out, size_t capacity) const {
  if (!movie) {
    // The stand-in text goes out as far as it fits; the result says there is no name.
    static_cast<void>(CopyName("N/A", out, capacity));
    return false;
  }
  return CopyName(GetStillPictureCodecName(movie).c_str(), out, capacity);
}

bool CQuickTimeMedia::GetSoundCompressionName(char* out, size_t capacity) const {
  // The stand-in text goes out as far as it fits; the result says there is no name.
  static_cast<void>(CopyName("N/A", out, capacity));
  return false;
}

bool CQuickTimeMedia::FormatDuration(char* out, size_t capacity) const {
  if (!movie) return false;
  return FormatMovieDuration(GetMovieDuration(movie), GetMovieTimeScale(movie), out, capacity);
}

bool CQuickTimeMedia::SetupSoundExporter(const CSoundFormatRequest&) { return false; }

bool CQuickTimeMedia::ExportSound(const CPathName&, OSType, u32, CProgressTarget*) { return false; }

u8* CQuickTimeMedia::ExportSoundChunk(TimeValue, TimeValue, u32* sizeOut, TimeValue*) {
  if (sizeOut) *sizeOut = 0;
  return nullptr;
}

u8* CQuickTimeMedia::ExportNextSoundChunk(TimeValue length, u32* sizeOut) {
  return ExportSoundChunk(currentTime, length, sizeOut, nullptr);
}
