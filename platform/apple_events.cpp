#include "platform/apple_events.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace plat {

struct AEData {
  AEEventClass eventClass = 0;
  AEEventID eventId = 0;
  std::vector<std::pair<AEKeyword, AEDesc>> parameters;  // of an event
  std::vector<AEDesc> items;                             // of a list
  FSRef ref;                                             // of an 'fsrf'
};

namespace {

struct Installed {
  AEEventHandlerUPP handler;
  SRefCon refCon;
};

std::map<std::pair<AEEventClass, AEEventID>, Installed>& Handlers() {
  static std::map<std::pair<AEEventClass, AEEventID>, Installed> handlers;
  return handlers;
}

AEDesc Copy(const AEDesc& desc) {
  AEDesc copy;
  copy.descriptorType = desc.descriptorType;
  if (!desc.dataHandle) return copy;
  copy.dataHandle = new AEData(*desc.dataHandle);
  for (auto& p : copy.dataHandle->parameters) p.second = Copy(p.second);
  for (AEDesc& item : copy.dataHandle->items) item = Copy(item);
  return copy;
}

constexpr EventParamName kParamAppleEvent = FourCC("aevt");

// Queued Apple events by number; the carrier event holds only the number, so
// that a carrier dropped from the queue loses nothing that must be freed.
struct PendingEvents : std::map<UInt32, AppleEvent> {
  ~PendingEvents() {
    for (auto& entry : *this) AEDisposeDesc(&entry.second);
  }
};

PendingEvents& Pending() {
  static PendingEvents pending;
  return pending;
}
UInt32 gNextPending = 1;

// The application's standard handling of a carrier event: the installed handler.
[[nodiscard]] OSStatus DispatchAppleEvent(EventRef event) {
  UInt32 number = 0;
  if (!GetParam(event, kParamAppleEvent, typeUInt32, &number)) return eventNotHandledErr;
  auto pending = Pending().find(number);
  if (pending == Pending().end()) return eventNotHandledErr;
  AppleEvent taken = pending->second;
  Pending().erase(pending);
  AppleEvent* appleEvent = &taken;
  const AEData& data = *appleEvent->dataHandle;
  auto it = Handlers().find({data.eventClass, data.eventId});
  OSStatus status = errAEEventNotHandled;
  if (it != Handlers().end()) {
    AppleEvent reply;
    status = it->second.handler(appleEvent, &reply, it->second.refCon);
    AEDisposeDesc(&reply);
  }
  AEDisposeDesc(appleEvent);
  return status;
}

struct Registration {
  Registration() { SetAppleEventDispatcher(DispatchAppleEvent); }
};

void Register() { static Registration registration; }

}  // namespace

bool PostOpenDocuments(const std::vector<std::string>& hostPaths) {
  Register();
  AEDesc list;
  list.descriptorType = typeAEList;
  list.dataHandle = new AEData;
  for (const std::string& path : hostPaths) {
    AEDesc item;
    item.descriptorType = typeFSRef;
    item.dataHandle = new AEData;
    if (MakeFsRef(path, &item.dataHandle->ref) != noErr) {
      AEDisposeDesc(&item);
      continue;
    }
    list.dataHandle->items.push_back(item);
  }
  if (list.dataHandle->items.empty()) {
    AEDisposeDesc(&list);
    return false;
  }
  AppleEvent appleEvent;
  appleEvent.descriptorType = typeAppleEvent;
  appleEvent.dataHandle = new AEData;
  appleEvent.dataHandle->eventClass = kCoreEventClass;
  appleEvent.dataHandle->eventId = kAEOpenDocuments;
  appleEvent.dataHandle->parameters.push_back({keyDirectObject, list});
  const UInt32 number = gNextPending++;
  Pending()[number] = appleEvent;
  EventRef carrier = NewEvent(kEventClassAppleEvent, kEventAppleEvent);
  SetParam(carrier, kParamAppleEvent, typeUInt32, number);
  SetParam(carrier, kEventParamPostTarget, typeEventTargetRef, GetApplicationEventTarget());
  const OSStatus posted = PostEventToQueue(GetMainEventQueue(), carrier, kEventPriorityStandard);
  ReleaseEvent(carrier);
  if (posted != noErr) {
    AEDisposeDesc(&Pending()[number]);
    Pending().erase(number);
    return false;
  }
  return true;
}

OSStatus PressHotKey(const EventHotKeyID& id) {
  EventRef event = NewEvent(kEventClassKeyboard, kEventHotKeyPressed);
  SetParam(event, kEventParamDirectObject, typeEventHotKeyID, id);
  OSStatus status = SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
  return status;
}

}  // namespace plat

OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventId, AEEventHandlerUPP handler, SRefCon refCon,
                            Boolean) {
  if (!handler) return paramErr;
  plat::Register();
  plat::Handlers()[{eventClass, eventId}] = plat::Installed{handler, refCon};
  return noErr;
}

OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventId, AEEventHandlerUPP handler, Boolean) {
  auto it = plat::Handlers().find({eventClass, eventId});
  if (it == plat::Handlers().end() || (handler && it->second.handler != handler)) return errAEHandlerNotFound;
  plat::Handlers().erase(it);
  return noErr;
}

OSErr AEGetParamDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType, AEDesc* result) {
  if (!event || !result) return paramErr;
  *result = AEDesc();
  if (!event->dataHandle) return errAENotAEDesc;
  for (const auto& p : event->dataHandle->parameters) {
    if (p.first != keyword) continue;
    if (desiredType != typeWildCard && desiredType != p.second.descriptorType) return errAECoercionFail;
    *result = plat::Copy(p.second);
    return noErr;
  }
  return errAEDescNotFound;
}

OSErr AECountItems(const AEDescList* list, long* count) {
  if (!list || !count) return paramErr;
  if (list->descriptorType != typeAEList || !list->dataHandle) return errAENotAEDesc;
  *count = long(list->dataHandle->items.size());
  return noErr;
}

OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword, DescType* typeCode,
                  void* dataPtr, Size maximumSize, Size* actualSize) {
  if (!list || list->descriptorType != typeAEList || !list->dataHandle) return errAENotAEDesc;
  if (index < 1 || size_t(index) > list->dataHandle->items.size()) return errAEBadListItem;
  const AEDesc& item = list->dataHandle->items[size_t(index - 1)];
  if (desiredType != typeWildCard && desiredType != item.descriptorType) return errAECoercionFail;
  if (keyword) *keyword = keyDirectObject;
  if (typeCode) *typeCode = item.descriptorType;
  if (actualSize) *actualSize = Size(sizeof(FSRef));
  if (item.descriptorType != typeFSRef || !item.dataHandle) return errAECoercionFail;
  if (!dataPtr || maximumSize < Size(sizeof(FSRef))) return paramErr;
  *static_cast<FSRef*>(dataPtr) = item.dataHandle->ref;
  return noErr;
}

OSErr AEDisposeDesc(AEDesc* desc) {
  if (!desc) return paramErr;
  if (desc->dataHandle) {
    for (auto& p : desc->dataHandle->parameters) AEDisposeDesc(&p.second);
    for (AEDesc& item : desc->dataHandle->items) AEDisposeDesc(&item);
    delete desc->dataHandle;
  }
  *desc = AEDesc();
  return noErr;
}
