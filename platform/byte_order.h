// Whole numbers in a fixed byte order at a byte pointer or at the end of a
// byte vector: big-endian for the Mac formats (resource forks, AppleDouble
// files, Finder information, icon families, four-character codes) and
// little-endian for the RIFF and SWF formats.
#pragma once

#include <vector>

#include "platform/mac_types.h"

namespace plat {

inline UInt32 GetBig16(const void* at) {
  const UInt8* p = static_cast<const UInt8*>(at);
  return UInt32(p[0]) << 8 | p[1];
}
inline UInt32 GetBig24(const void* at) {
  const UInt8* p = static_cast<const UInt8*>(at);
  return UInt32(p[0]) << 16 | UInt32(p[1]) << 8 | p[2];
}
inline UInt32 GetBig32(const void* at) {
  const UInt8* p = static_cast<const UInt8*>(at);
  return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
}
inline void PutBig16(UInt8* p, UInt32 value) {
  p[0] = UInt8(value >> 8);
  p[1] = UInt8(value);
}
inline void PutBig32(UInt8* p, UInt32 value) {
  PutBig16(p, value >> 16);
  PutBig16(p + 2, value);
}
inline void AppendBig16(std::vector<UInt8>& out, UInt32 value) {
  out.push_back(UInt8(value >> 8));
  out.push_back(UInt8(value));
}
inline void AppendBig24(std::vector<UInt8>& out, UInt32 value) {
  out.push_back(UInt8(value >> 16));
  AppendBig16(out, value);
}
inline void AppendBig32(std::vector<UInt8>& out, UInt32 value) {
  AppendBig16(out, value >> 16);
  AppendBig16(out, value);
}

inline UInt32 GetLittle16(const void* at) {
  const UInt8* p = static_cast<const UInt8*>(at);
  return UInt32(p[0]) | UInt32(p[1]) << 8;
}
inline UInt32 GetLittle32(const void* at) {
  const UInt8* p = static_cast<const UInt8*>(at);
  return GetLittle16(p) | GetLittle16(p + 2) << 16;
}
inline void PutLittle16(UInt8* p, UInt32 value) {
  p[0] = UInt8(value);
  p[1] = UInt8(value >> 8);
}
inline void PutLittle32(UInt8* p, UInt32 value) {
  PutLittle16(p, value);
  PutLittle16(p + 2, value >> 16);
}
inline void AppendLittle16(std::vector<UInt8>& out, UInt32 value) {
  out.push_back(UInt8(value));
  out.push_back(UInt8(value >> 8));
}
inline void AppendLittle32(std::vector<UInt8>& out, UInt32 value) {
  AppendLittle16(out, value);
  AppendLittle16(out, value >> 16);
}

}  // namespace plat
