// Apple events of the headless window system, as far as the application
// receives them: the "odoc" open-documents event with its list of files.
//
// An event reaches the application through the event queue: the loop takes
// the carrier event ('eppc', kind 1) and the application's standard handling
// calls the handler installed for the event's class and id.
#pragma once

#include <string>
#include <vector>

#include "platform/carbon_events.h"
#include "platform/file_refs.h"

typedef OSType DescType;
typedef OSType AEKeyword;
typedef OSType AEEventClass;
typedef OSType AEEventID;
typedef long Size;

namespace plat {
struct AEData;
}

struct AEDesc {
  DescType descriptorType = FourCC("null");
  plat::AEData* dataHandle = nullptr;
};
typedef AEDesc AEDescList;
typedef AEDesc AppleEvent;

constexpr AEEventClass kCoreEventClass = FourCC("aevt");
constexpr AEEventID kAEOpenDocuments = FourCC("odoc");
constexpr AEKeyword keyDirectObject = FourCC("----");
constexpr DescType typeAEList = FourCC("list");
constexpr DescType typeFSRef = FourCC("fsrf");
constexpr DescType typeNull = FourCC("null");
constexpr DescType typeAppleEvent = FourCC("aevt");

typedef OSErr (*AEEventHandlerProcPtr)(const AppleEvent* event, AppleEvent* reply, SRefCon refCon);
typedef AEEventHandlerProcPtr AEEventHandlerUPP;
inline AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr p) { return p; }
inline void DisposeAEEventHandlerUPP(AEEventHandlerUPP) {}

[[nodiscard]] OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventId, AEEventHandlerUPP handler, SRefCon refCon,
                            Boolean isSystemHandler);
[[nodiscard]] OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventId, AEEventHandlerUPP handler,
                           Boolean isSystemHandler);
// A copy of the parameter (the caller disposes it); errAEDescNotFound when absent.
[[nodiscard]] OSErr AEGetParamDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType, AEDesc* result);
[[nodiscard]] OSErr AECountItems(const AEDescList* list, long* count);
// Item `index` (1-based) of a list. An 'fsrf' item is copied into the FSRef
// that dataPtr points at (maximumSize must be at least sizeof(FSRef)).
[[nodiscard]] OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword, DescType* typeCode,
                  void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEDisposeDesc(AEDesc* desc);

namespace plat {

// Queues an "odoc" event for the files (host paths) that exist, in order;
// false when none exists.
[[nodiscard]] bool PostOpenDocuments(const std::vector<std::string>& hostPaths);
// Sends the hot-key event to the application now; the result of its handling.
[[nodiscard]] OSStatus PressHotKey(const EventHotKeyID& id);

}  // namespace plat
