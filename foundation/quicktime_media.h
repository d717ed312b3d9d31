// CQuickTimeMedia: a picture file opened as a movie, copied out as pixels or
// drawn into offscreen worlds.
//
// The host layer's movies are still pictures (platform/quicktime.h): PNG and
// JPEG files, recognised by their signature, open as one-frame movies whose
// pixels are A, R, G, B with A = 0xFF for opaque pixels (a PNG's alpha is
// kept). Other movies, sound and export are not supported: those operations
// report failure.
#pragma once

#include <cstddef>
#include <memory>

#include "foundation/bitmap_image.h"
#include "platform/file_refs.h"
#include "platform/gworld.h"
#include "platform/mac_types.h"
#include "platform/quicktime.h"
#include "platform/windows.h"

class CPathName;

// Whether QuickTime is present and its version, from Gestalt 'qtim' (the
// packed version in the high 16 bits, 0 when absent); 'qtrs' for the features.
[[nodiscard]] bool IsQuickTimeInstalled();
u32 GetQuickTimeVersion();
[[nodiscard]] bool HasQuickTimeFeatures();
[[nodiscard]] bool GetFsSpecForPath(const CPathName& path, FSSpec* spec);

// Decodes a PNG or JPEG picture, recognised by its signature, into a new
// bitmap; null for other data or a damaged picture. The codec and its name
// go to `codec` and `codecName` when asked.
[[nodiscard]] std::unique_ptr<CBitmapImage> DecodePicture(const u8* data, size_t length, OSType* codec = nullptr,
                                            const char** codecName = nullptr);

// The duration as "HH:MM:SS.hh" (hours grow past 99 when they must), the
// hundredths rounded and carried into the seconds; false when the text does
// not fit `capacity` bytes.
[[nodiscard]] bool FormatMovieDuration(s64 duration, s32 timeScale, char* out, size_t capacity);

// Told of the progress of a sound export; sets *cancel to stop it.
class CProgressTarget {
 public:
  virtual ~CProgressTarget() = default;
  virtual void SetProgress(int percent, bool* cancel) = 0;
};

// What a sound export should produce; 0 keeps the source's value.
struct CSoundFormatRequest {
  double sampleRate = 0;
  u32 sampleSize = 0;
  u32 channelCount = 0;
  OSType dataFormat = 0;  // 0 means 'sowt'
};

#pragma pack(push, 2)
// The 86-byte image description of a movie's video.
struct ImageDescription {
  s32 idSize;
  OSType cType;
  s32 reserved1;
  s16 reserved2;
  s16 dataRefIndex;
  s16 version;
  s16 revisionLevel;
  OSType vendor;
  u32 temporalQuality;
  u32 spatialQuality;
  s16 width;
  s16 height;
  s32 hRes;  // 16.16 fixed
  s32 vRes;
  s32 dataSize;
  s16 frameCount;
  u8 name[32];  // Pascal string
  s16 depth;
  s16 clutID;
};
#pragma pack(pop)
static_assert(sizeof(ImageDescription) == 86, "an image description is 86 bytes");

class CQuickTimeMedia {
 public:
  CQuickTimeMedia();
  ~CQuickTimeMedia();
  CQuickTimeMedia(const CQuickTimeMedia&) = delete;
  CQuickTimeMedia& operator=(const CQuickTimeMedia&) = delete;

  // Opens a PNG or JPEG file as a one-frame movie; false (and no movie) for
  // anything else, a damaged picture or a missing file.
  [[nodiscard]] bool OpenFile(const CPathName& path);
  // Movies from the bundle's resources are not supported.
  [[nodiscard]] bool OpenFromResource(int unused, const char* extension);
  [[nodiscard]] bool HasMovie() const { return movie != nullptr; }
  void Dispose();

  void GetNaturalSize(int* width, int* height) const;
  void SetSize(int width, int height);

  // The bytes of a frame of the output rectangle's size (else the movie
  // box's) at 24 bits (R, G, B) or 32 bits (R, G, B, A); with a buffer the
  // frame, or its source rectangle, is scaled into it. 0 for another depth or
  // without a movie.
  u32 CopyFrameToBuffer(TimeValue time, u8* buffer, const Rect* outputRect, const Rect* sourceRect,
                        int bitsPerPixel);
  // The same with one alpha byte per pixel.
  u32 CopyFrameAlphaToBuffer(TimeValue time, u8* buffer, const Rect* outputRect,
                             const Rect* sourceRect);
  // width x height x 4 bytes R, G, B, A of the frame's top-left part.
  u32 CopyFrameToArgbBuffer(TimeValue time, u8* buffer, const Rect* rect);
  // Moves the movie box to the origin (it stays there) and makes the bitmap
  // the crop rectangle of the frame (the whole frame without one), 32 bits
  // R, G, B, A or 24 bits R, G, B. False without a movie or for a crop
  // outside the frame.
  [[nodiscard]] bool GetFrameImage(TimeValue time, CBitmapImage* bitmap, const Rect* cropRect, int bitsPerPixel);
  // Draws the frame into the world at the box (the movie box without one);
  // with a mask world (8 bits) each mask byte becomes 0 where the world's
  // pixel is pure opaque white (0xFFFFFFFF) and 255 elsewhere.
  [[nodiscard]] bool DrawToGWorld(GWorldPtr world, const Rect* box, GWorldPtr mask);
  [[nodiscard]] bool DrawFrameToGWorld(GWorldPtr world, const Rect* box) { return DrawToGWorld(world, box, nullptr); }
  // Draws the frame into the window's port at the box (window-local; the
  // movie box without one), clipped to the port. The movie box, the movie's
  // port and the current port are as they were afterwards. False without a
  // movie or for a window that is gone.
  [[nodiscard]] bool DrawToWindow(WindowRef window, const Rect* box);

  [[nodiscard]] bool Start(bool rewind);
  [[nodiscard]] bool IsDone() const;
  TimeValue GetTime() const;

  [[nodiscard]] bool HasVideo() const { return movie != nullptr; }
  [[nodiscard]] bool HasSound() const { return false; }
  [[nodiscard]] bool GetImageDescription(ImageDescription* out) const;
  [[nodiscard]] bool GetSoundDescription(void* out) const;
  // The codec or compression name, "N/A" when unknown (then false).
  [[nodiscard]] bool GetVideoCodecName(char* out, size_t capacity) const;
  [[nodiscard]] bool GetSoundCompressionName(char* out, size_t capacity) const;
  double GetVideoFrameRate() const { return 0; }
  [[nodiscard]] bool FormatDuration(char* out, size_t capacity) const;

  // Sound export is not supported: false, or null, and nothing is written.
  [[nodiscard]] bool SetupSoundExporter(const CSoundFormatRequest& request);
  [[nodiscard]] bool ExportSound(const CPathName& path, OSType subType, u32 durationMs, CProgressTarget* target);
  [[nodiscard]] u8* ExportSoundChunk(TimeValue start, TimeValue length, u32* sizeOut, TimeValue* nextOut);
  [[nodiscard]] u8* ExportNextSoundChunk(TimeValue length, u32* sizeOut);

 private:
  // The frame rendered into a new 32-bit world over the movie box moved to
  // the origin (the caller disposes it); null without a movie.
  [[nodiscard]] GWorldPtr RenderFrame(TimeValue time);
  // The bytes of a frame of the area's size (the movie box's without one),
  // with its width and height; 0 without a movie or for a bad size.
  u32 FrameBytes(const Rect* area, u32 bytesPerPixel, int* width, int* height) const;
  enum class PixelForm { kRgb, kRgba, kAlpha };
  u32 ReadFrame(TimeValue time, u8* buffer, const Rect* outputRect, const Rect* sourceRect,
                PixelForm form);

  Movie movie;
  TimeValue currentTime;
  CProgressTarget* progressTarget;
};
