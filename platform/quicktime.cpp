#include "platform/quicktime.h"

#include <cstring>
#include <new>

struct MovieRecord {
  GWorldPtr frame = nullptr;
  Rect box;
  CGrafPtr port = nullptr;
  bool active = false;
  bool updatePending = false;
  TimeValue time = 0;
  OSType codec = 0;
  std::string codecName;
  bool hasAlpha = false;
};

namespace {

int& Clients() {
  static int clients = 0;
  return clients;
}

}  // namespace

OSErr EnterMovies() {
  ++Clients();
  return noErr;
}

void ExitMovies() {
  if (Clients() > 0) --Clients();
}

int MoviesClientCount() { return Clients(); }

Movie NewStillPictureMovie(const UInt8* argb, int width, int height, SInt32 rowBytes, OSType codec,
                           const std::string& codecName) {
  if (!argb || width <= 0 || height <= 0 || width > 32767 || height > 32767 ||
      rowBytes < SInt32(width) * 4)
    return nullptr;
  auto* movie = new (std::nothrow) MovieRecord;
  if (!movie) return nullptr;
  Rect bounds = MakeRect(0, 0, SInt16(width), SInt16(height));
  if (NewGWorld(&movie->frame, 32, &bounds) != noErr) {
    delete movie;
    return nullptr;
  }
  PixMapPtr map = GetGWorldPixMap(movie->frame);
  for (int y = 0; y < height; ++y) {
    const UInt8* in = argb + size_t(y) * size_t(rowBytes);
    UInt8* out = GetPixBaseAddr(map) + size_t(y) * size_t(GetPixRowBytes(map));
    std::memcpy(out, in, size_t(width) * 4);
    for (int x = 0; x < width && !movie->hasAlpha; ++x) movie->hasAlpha = in[size_t(x) * 4] != 0xFF;
  }
  movie->box = bounds;
  movie->codec = codec;
  movie->codecName = codecName;
  return movie;
}

void DisposeMovie(Movie movie) {
  if (!movie) return;
  DisposeGWorld(movie->frame);
  delete movie;
}

void GetMovieBox(Movie movie, Rect* box) {
  if (box) *box = movie ? movie->box : Rect();
}

void SetMovieBox(Movie movie, const Rect* box) {
  if (movie && box) movie->box = *box;
}

void GetMovieGWorld(Movie movie, CGrafPtr* port) {
  if (port) *port = movie ? movie->port : nullptr;
}

void SetMovieGWorld(Movie movie, CGrafPtr port) {
  if (movie) movie->port = port;
}

void SetMovieActive(Movie movie, Boolean active) {
  if (movie) movie->active = active;
}

Boolean GetMovieActive(Movie movie) { return movie && movie->active; }

void SetMovieTimeValue(Movie movie, TimeValue) {
  // A still picture has one moment.
  if (movie) movie->time = 0;
}

TimeValue GetMovieTime(Movie movie) { return movie ? movie->time : 0; }
TimeValue GetMovieDuration(Movie) { return 0; }
TimeScale GetMovieTimeScale(Movie movie) { return movie ? kStillMovieTimeScale : 0; }

void GoToBeginningOfMovie(Movie movie) {
  if (movie) movie->time = 0;
}

void StartMovie(Movie movie) {
  if (movie) movie->updatePending = true;
}

Boolean IsMovieDone(Movie movie) { return movie != nullptr; }

void UpdateMovie(Movie movie) {
  if (movie) movie->updatePending = true;
}

void MoviesTask(Movie movie, long) {
  if (!movie || !movie->active || !movie->updatePending) return;
  movie->updatePending = false;
  CGrafPtr port = movie->port;
  if (!port) GetGWorld(&port);
  PixMapPtr target = GetGWorldPixMap(port);
  if (!target || target->pixelSize != 32) return;
  PixMapPtr frame = GetGWorldPixMap(movie->frame);
  // A frame that could not be drawn stays due.
  if (CopyBits(frame, target, &frame->bounds, &movie->box, srcCopy, nullptr) != noErr) movie->updatePending = true;
}

OSType GetStillPictureCodec(Movie movie) { return movie ? movie->codec : 0; }

std::string GetStillPictureCodecName(Movie movie) { return movie ? movie->codecName : std::string(); }

void GetStillPictureSize(Movie movie, int* width, int* height) {
  PixMapPtr frame = movie ? GetGWorldPixMap(movie->frame) : nullptr;
  if (width) *width = frame ? frame->bounds.right : 0;
  if (height) *height = frame ? frame->bounds.bottom : 0;
}

bool StillPictureHasAlpha(Movie movie) { return movie && movie->hasAlpha; }
