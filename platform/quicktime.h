// The host layer's stand-in for QuickTime movies.
//
// Only still pictures are media here: a picture opened as a movie is a
// one-frame movie (duration 0, time scale 600) whose frame is drawn, scaled
// to the nearest pixel, into the movie's port at the movie box. Decoding the
// picture files is the caller's business (the foundation's codecs); this
// layer keeps the frame as 32-bit A, R, G, B pixels. Sound, other movies and
// export do not exist here. Main thread only.
#pragma once

#include <string>

#include "platform/gworld.h"
#include "platform/mac_types.h"
#include "platform/qd_types.h"

struct MovieRecord;
typedef MovieRecord* Movie;
typedef SInt32 TimeValue;
typedef SInt32 TimeScale;

constexpr TimeScale kStillMovieTimeScale = 600;

// Counts the clients of the movie layer; always succeeds.
OSErr EnterMovies();
void ExitMovies();
// The number of EnterMovies calls not yet matched by ExitMovies.
int MoviesClientCount();

// A one-frame movie of `width` x `height` pixels A, R, G, B, rows `rowBytes`
// apart (copied). `codec` and `codecName` describe the picture's form
// ("png " and "PNG", "jpeg" and "Photo - JPEG"). The movie box is
// (0, 0, width, height); until a port is set the movie draws into the port
// that is current when it draws. Null for a bad size or a failed allocation.
[[nodiscard]] Movie NewStillPictureMovie(const UInt8* argb, int width, int height, SInt32 rowBytes, OSType codec,
                           const std::string& codecName);
void DisposeMovie(Movie movie);

void GetMovieBox(Movie movie, Rect* box);
void SetMovieBox(Movie movie, const Rect* box);
void GetMovieGWorld(Movie movie, CGrafPtr* port);
void SetMovieGWorld(Movie movie, CGrafPtr port);
void SetMovieActive(Movie movie, Boolean active);
[[nodiscard]] Boolean GetMovieActive(Movie movie);
void SetMovieTimeValue(Movie movie, TimeValue time);
TimeValue GetMovieTime(Movie movie);
TimeValue GetMovieDuration(Movie movie);
TimeScale GetMovieTimeScale(Movie movie);
void GoToBeginningOfMovie(Movie movie);
void StartMovie(Movie movie);
[[nodiscard]] Boolean IsMovieDone(Movie movie);

// Draws the frame into the movie's port (an active movie with a 32-bit port
// only); UpdateMovie asks for the drawing, MoviesTask does it.
void UpdateMovie(Movie movie);
void MoviesTask(Movie movie, long maxMilliseconds);

// The picture's form, as given when the movie was made.
OSType GetStillPictureCodec(Movie movie);
std::string GetStillPictureCodecName(Movie movie);
// The frame's own size and whether any of its pixels is not opaque.
void GetStillPictureSize(Movie movie, int* width, int* height);
[[nodiscard]] bool StillPictureHasAlpha(Movie movie);
