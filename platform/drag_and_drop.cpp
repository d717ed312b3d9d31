#include "platform/drag_and_drop.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/windows.h"

namespace plat {

class Drag {
 public:
  std::vector<HFSFlavor> items;
  Point mouse;
  SInt16 modifiers = 0;
};

namespace {

// The file's parent folder and name; the parent is made canonical when it exists.
FSSpec SpecOf(const std::string& hostPath) {
  FSSpec spec;
  std::string path = hostPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  size_t slash = path.rfind('/');
  std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  spec.name = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  spec.parent = realpath(parent.c_str(), resolved) ? resolved : parent;
  return spec;
}

[[nodiscard]] bool ValidItem(DragRef drag, DragItemRef item) { return drag && item >= 1 && item <= drag->items.size(); }

[[nodiscard]] OSErr Install(std::vector<Window::DragHandler>* list, void* proc, void* refCon) {
  if (!proc) return paramErr;
  for (const Window::DragHandler& h : *list)
    if (h.proc == proc) return paramErr;
  list->push_back(Window::DragHandler{proc, refCon});
  return noErr;
}

[[nodiscard]] OSErr Remove(std::vector<Window::DragHandler>* list, void* proc) {
  auto it = std::find_if(list->begin(), list->end(), [&](const Window::DragHandler& h) { return h.proc == proc; });
  if (it == list->end()) return paramErr;
  list->erase(it);
  return noErr;
}

void Track(WindowRef window, DragTrackingMessage message, DragRef drag) {
  if (!IsLiveWindow(window)) return;
  for (const Window::DragHandler& h : std::vector<Window::DragHandler>(window->trackingHandlers)) {
    if (!IsLiveWindow(window)) return;
    reinterpret_cast<DragTrackingHandlerUPP>(h.proc)(message, window, h.refCon, drag);
  }
}

}  // namespace

OSErr GetDragItemHfsFlavor(DragRef drag, DragItemRef item, HFSFlavor* out) {
  if (!drag) return badDragRefErr;
  if (!ValidItem(drag, item)) return badDragItemErr;
  if (out) *out = drag->items[item - 1];
  return noErr;
}

bool AutomaticDragTrackingEnabled(WindowRef window) { return IsLiveWindow(window) && window->automaticDragTracking; }

bool HasDragHandlers(WindowRef window, bool* tracking, bool* receive) {
  if (!IsLiveWindow(window)) return false;
  if (tracking) *tracking = !window->trackingHandlers.empty();
  if (receive) *receive = !window->receiveHandlers.empty();
  return true;
}

OSErr DropFiles(WindowRef window, const std::vector<std::string>& hostPaths, Point mouse, SInt16 modifiers) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  Drag drag;
  drag.mouse = mouse;
  drag.modifiers = modifiers;
  for (const std::string& path : hostPaths) {
    HFSFlavor flavor;
    flavor.fileSpec = SpecOf(path);
    drag.items.push_back(flavor);
  }
  Track(window, kDragTrackingEnterHandler, &drag);
  Track(window, kDragTrackingEnterWindow, &drag);
  Track(window, kDragTrackingInWindow, &drag);
  Track(window, kDragTrackingLeaveWindow, &drag);
  Track(window, kDragTrackingLeaveHandler, &drag);
  if (!IsLiveWindow(window) || window->receiveHandlers.empty()) return dragNotAcceptedErr;
  OSErr result = dragNotAcceptedErr;
  for (const Window::DragHandler& h : std::vector<Window::DragHandler>(window->receiveHandlers)) {
    if (!IsLiveWindow(window)) break;
    result = reinterpret_cast<DragReceiveHandlerUPP>(h.proc)(window, h.refCon, &drag);
    if (result == noErr) break;
  }
  return result;
}

}  // namespace plat

using plat::IsLiveWindow;

OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  return plat::Install(&window->trackingHandlers, reinterpret_cast<void*>(handler), refCon);
}

OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  return plat::Install(&window->receiveHandlers, reinterpret_cast<void*>(handler), refCon);
}

OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  return plat::Remove(&window->trackingHandlers, reinterpret_cast<void*>(handler));
}

OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  return plat::Remove(&window->receiveHandlers, reinterpret_cast<void*>(handler));
}

OSStatus SetAutomaticControlDragTrackingEnabledForWindow(WindowRef window, Boolean enabled) {
  if (!IsLiveWindow(window)) return errInvalidWindowRef;
  window->automaticDragTracking = enabled;
  return noErr;
}

OSErr CountDragItems(DragRef drag, UInt16* outCount) {
  if (!drag) return badDragRefErr;
  if (outCount) *outCount = UInt16(drag->items.size());
  return noErr;
}

OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* outItem) {
  if (!drag) return badDragRefErr;
  if (index < 1 || index > drag->items.size()) return badDragItemErr;
  if (outItem) *outItem = index;
  return noErr;
}

OSErr GetFlavorFlags(DragRef drag, DragItemRef item, FlavorType type, FlavorFlags* outFlags) {
  if (!drag) return badDragRefErr;
  if (!plat::ValidItem(drag, item)) return badDragItemErr;
  if (type != kDragFlavorTypeHFS) return badDragFlavorErr;
  if (outFlags) *outFlags = 0;
  return noErr;
}

OSErr GetDragMouse(DragRef drag, Point* outMouse, Point* outGlobalPinnedMouse) {
  if (!drag) return badDragRefErr;
  if (outMouse) *outMouse = drag->mouse;
  if (outGlobalPinnedMouse) *outGlobalPinnedMouse = drag->mouse;
  return noErr;
}

OSErr GetDragAttributes(DragRef drag, DragAttributes* outAttributes) {
  if (!drag) return badDragRefErr;
  if (outAttributes) *outAttributes = 0;
  return noErr;
}

OSErr GetDragModifiers(DragRef drag, SInt16* outModifiers, SInt16* outMouseDownModifiers,
                       SInt16* outMouseUpModifiers) {
  if (!drag) return badDragRefErr;
  if (outModifiers) *outModifiers = drag->modifiers;
  if (outMouseDownModifiers) *outMouseDownModifiers = drag->modifiers;
  if (outMouseUpModifiers) *outMouseUpModifiers = drag->modifiers;
  return noErr;
}
