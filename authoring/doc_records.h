// The small value records that the authoring document's records embed:
// matrix, colour transform, gradient stop and gradient, the packing helpers
// for colours and Pascal strings, and the instance record that places an
// element in a frame.
//
// Each record writes itself through a `CDataWriter` in the writer's byte
// order and returns the bytes it added (the writer's size after minus its
// size before).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/data_writer.h"
#include "platform/mac_types.h"

// r | g << 8 | b << 16 | a << 24: the colour form of the document's records.
constexpr u32 PackRgba(u8 r, u8 g, u8 b, u8 a) {
  return u32(r) | u32(g) << 8 | u32(b) << 16 | u32(a) << 24;
}

// Scales in 16.16 fixed point, translations in twips; the identity at first.
struct CDocMatrix {
  s32 scaleX = 0x00010000;
  s32 scaleY = 0x00010000;
  s32 rotateSkew0 = 0;
  s32 rotateSkew1 = 0;
  s32 translateX = 0;
  s32 translateY = 0;

  // Six 32-bit words: scale x, rotate-skew 0, rotate-skew 1, scale y,
  // translate x, translate y (24 bytes).
  u32 Write(CDataWriter& writer) const;
};

// Multipliers in 1/256 (256 is 1.0) and additive terms; the identity at first.
struct CDocColorTransform {
  u16 redMultiplier = 256;
  u16 greenMultiplier = 256;
  u16 blueMultiplier = 256;
  u16 alphaMultiplier = 256;
  s16 redAdd = 0;
  s16 greenAdd = 0;
  s16 blueAdd = 0;
  s16 alphaAdd = 0;

  // The alpha multiplier from a fraction, clamped to 0..1 first (not a
  // number counts as 0); the colour multipliers 256.
  void SetAlpha(double alpha);
  // A tint of a 0x00BBGGRR colour: the colour multipliers 0, each channel
  // added as channel / 255 x 256, rounded; alpha as it comes.
  void SetTint(u32 color);
  // The colour multipliers from a brightness clamped to 0..1; alpha as it
  // comes, no additive terms.
  void SetBrightness(double brightness);

  // Four pairs, alpha first: multiplier and additive term of alpha, red,
  // green, blue (16 bytes).
  u32 Write(CDataWriter& writer) const;
};

struct CDocGradientStop {
  CDocGradientStop() = default;
  // From a 0x00BBGGRR colour, fully opaque.
  CDocGradientStop(u8 stopRatio, u32 color);
  CDocGradientStop(u8 stopRatio, u8 r, u8 g, u8 b, u8 a) : ratio(stopRatio), rgba(PackRgba(r, g, b, a)) {}

  u8 ratio = 0;
  u32 rgba = 0;  // PackRgba

  // The ratio byte, then the colour word (5 bytes).
  u32 Write(CDataWriter& writer) const;
};

class CDocGradient {
 public:
  static constexpr size_t kMaxStops = 255;

  // False, and nothing added, once the gradient holds kMaxStops stops: the
  // count is written in one byte.
  [[nodiscard]] bool AddStop(const CDocGradientStop& stop);
  const std::vector<CDocGradientStop>& GetStops() const { return stops_; }

  // The stop count in one byte, then each stop in order.
  u32 Write(CDataWriter& writer) const;

 private:
  std::vector<CDocGradientStop> stops_;
};

// A C string as a Pascal string: a length byte, then the bytes. False, and
// `out` the empty string, when the text is longer than 255 bytes. Null is the
// empty string.
[[nodiscard]] bool CStringToPascal(const char* text, Str255 out);
// The counted bytes of a Pascal string (null gives "").
std::string PascalToCString(ConstStr255Param pascal);
// The decimal text of a number as a Pascal string.
void NumberToPascal(s32 value, Str255 out);

// Where an element stands in a frame, and how it looks there.
struct CDocInstance {
  CDocMatrix matrix;
  CDocColorTransform colorTransform;
  u16 instanceKind = 1;
  // Writes the element's action records with its event flags and returns
  // their bytes; empty for an element without actions. A writer that adds
  // no bytes (an empty list) counts as no actions.
  std::function<u32(CDataWriter&)> writeActions;
};

// The instance record the frame writer puts down for each element: fixed
// bytes around the matrix, the colour transform and the instance kind, then
// the actions (or 02 00 00 00 whenever no action bytes follow) and a
// closing 00.
u32 WriteInstanceRecord(CDataWriter& writer, const CDocInstance& instance);
