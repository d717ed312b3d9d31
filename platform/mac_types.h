// Basic types, result codes and four-character codes of the host layer.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef bool Boolean;
typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef uint32_t FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef uint16_t UniChar;
typedef uint32_t UniCharCount;
typedef unsigned char Str255[256];
typedef unsigned char Str63[64];
typedef unsigned char Str31[32];
typedef const unsigned char* ConstStr255Param;
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;
typedef char* Ptr;
typedef Ptr* Handle;
typedef SInt16 ResID;

// A file name of up to 255 UTF-16 units.
struct HFSUniStr255 {
  UInt16 length;
  UniChar unicode[255];
};

typedef uint8_t u8;
typedef int8_t s8;
typedef uint16_t u16;
typedef int16_t s16;
typedef uint32_t u32;
typedef int32_t s32;
typedef uint64_t u64;
typedef int64_t s64;
typedef float f32;
typedef double f64;

// A four-character code from its text, first character in the high byte:
// FourCC("TEXT") == 0x54455854.
constexpr FourCharCode FourCC(const char (&code)[5]) {
  return (FourCharCode(UInt8(code[0])) << 24) | (FourCharCode(UInt8(code[1])) << 16) |
         (FourCharCode(UInt8(code[2])) << 8) | FourCharCode(UInt8(code[3]));
}

// Result codes. Names follow the classic Mac OS values that callers test for.
enum : OSErr {
  noErr = 0,
  ioErr = -36,
  eofErr = -39,
  tmfoErr = -42,
  fnfErr = -43,
  wPrErr = -44,
  fLckdErr = -45,
  vLckdErr = -46,
  fBsyErr = -47,
  dupFNErr = -48,
  opWrErr = -49,
  paramErr = -50,
  rfNumErr = -51,
  permErr = -54,
  wrPermErr = -61,
  nsvErr = -35,
  dskFulErr = -34,
  bdNamErr = -37,
  fnOpnErr = -38,
  posErr = -40,
  memFullErr = -108,
  nilHandleErr = -109,
  dirNFErr = -120,
  badMovErr = -122,
  cDepthErr = -157,
  resNotFound = -192,
  resFNotFound = -193,
  addResFailed = -194,
  rmvResFailed = -196,
  mapReadErr = -199,
  notAFileErr = -1302,
  diffVolErr = -1303,
  copyLoopErr = -1234,  // a folder copied into itself or into a folder inside it
  errFSBadFSRef = -1401,
  errFSBadForkName = -1402,
  errFSBadBuffer = -1403,
  errFSBadForkRef = -1404,
  errFSNotAFolder = -1407,
  errFSForkNotFound = -1409,
  errFSNameTooLong = -1410,
  errFSNoMoreItems = -1417,
  errFSForkExists = -1421,
  invalidIconRefErr = -2580,
  noSuchIconErr = -2582,
  unimpErr = -4,
  gestaltUndefSelectorErr = -5551,
  eventNotHandledErr = -9874,
  // Window system: events, windows, controls, menus, drags, Apple events.
  errAECoercionFail = -1700,
  errAEDescNotFound = -1701,
  errAENotAEDesc = -1704,
  errAEBadListItem = -1705,
  errAEEventNotHandled = -1708,
  errAEHandlerNotFound = -1717,
  badDragFlavorErr = -1852,
  badDragItemErr = -1853,
  badDragRefErr = -1850,
  dragNotAcceptedErr = -1857,
  errDataBrowserNotConfigured = -4970,
  errDataBrowserItemNotFound = -4971,
  errDataBrowserItemNotAdded = -4975,
  errDataBrowserPropertyNotFound = -4972,
  errDataBrowserPropertyNotSupported = -4979,
  errInvalidWindowRef = -5600,
  errWindowPropertyNotFound = -5604,
  errUnrecognizedWindowClass = -5605,
  errMenuItemNotFound = -5620,
  errInvalidMenuRef = -5623,
  eventParameterNotFoundErr = -9870,
  eventLoopTimedOutErr = -9875,
  eventLoopQuitErr = -9876,
  errControlDoesntSupportFocus = -30582,
  errDataNotSupported = -30583,
  errControlPropertyNotFound = -5603,
  errUnknownControl = -30584,
  errDataSizeMismatch = -30591,
  errControlIsNotEmbedder = -30590,
  errInvalidPartCode = -30588,
};
