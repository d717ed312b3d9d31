// Dropping files on a window, for the headless window system.
//
// A window may carry a drag-tracking and a drag-receive handler. The driver's
// DropFiles builds a drag of files ('hfs ' flavour per item), runs the
// window's tracking handler (enter handler, enter window, in window, leave
// window, leave handler) and then its receive handler.
#pragma once

#include <string>
#include <vector>

#include "platform/carbon_events.h"
#include "platform/file_refs.h"

namespace plat {
class Drag;
}
typedef plat::Drag* DragRef;
typedef UInt32 DragItemRef;
typedef OSType FlavorType;
typedef UInt32 FlavorFlags;
typedef UInt32 DragAttributes;
typedef SInt16 DragTrackingMessage;

constexpr FlavorType kDragFlavorTypeHFS = FourCC("hfs ");

enum : DragTrackingMessage {
  kDragTrackingEnterHandler = 1,
  kDragTrackingEnterWindow = 2,
  kDragTrackingInWindow = 3,
  kDragTrackingLeaveWindow = 4,
  kDragTrackingLeaveHandler = 5,
};

// The file flavour of a dragged item.
struct HFSFlavor {
  OSType fileType = 0;
  OSType fileCreator = 0;
  UInt16 fdFlags = 0;
  FSSpec fileSpec;
};

typedef OSErr (*DragTrackingHandlerProcPtr)(DragTrackingMessage message, WindowRef window, void* refCon,
                                            DragRef drag);
typedef OSErr (*DragReceiveHandlerProcPtr)(WindowRef window, void* refCon, DragRef drag);
typedef DragTrackingHandlerProcPtr DragTrackingHandlerUPP;
typedef DragReceiveHandlerProcPtr DragReceiveHandlerUPP;

inline DragTrackingHandlerUPP NewDragTrackingHandlerUPP(DragTrackingHandlerProcPtr p) { return p; }
inline DragReceiveHandlerUPP NewDragReceiveHandlerUPP(DragReceiveHandlerProcPtr p) { return p; }
inline void DisposeDragTrackingHandlerUPP(DragTrackingHandlerUPP) {}
inline void DisposeDragReceiveHandlerUPP(DragReceiveHandlerUPP) {}

[[nodiscard]] OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon);
[[nodiscard]] OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon);
[[nodiscard]] OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window);
[[nodiscard]] OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window);
[[nodiscard]] OSStatus SetAutomaticControlDragTrackingEnabledForWindow(WindowRef window, Boolean enabled);

[[nodiscard]] OSErr CountDragItems(DragRef drag, UInt16* outCount);
[[nodiscard]] OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* outItem);
[[nodiscard]] OSErr GetFlavorFlags(DragRef drag, DragItemRef item, FlavorType type, FlavorFlags* outFlags);
[[nodiscard]] OSErr GetDragMouse(DragRef drag, Point* outMouse, Point* outGlobalPinnedMouse);
[[nodiscard]] OSErr GetDragAttributes(DragRef drag, DragAttributes* outAttributes);
[[nodiscard]] OSErr GetDragModifiers(DragRef drag, SInt16* outModifiers, SInt16* outMouseDownModifiers,
                       SInt16* outMouseUpModifiers);

namespace plat {

// The 'hfs ' flavour of an item (badDragFlavorErr when it has none).
[[nodiscard]] OSErr GetDragItemHfsFlavor(DragRef drag, DragItemRef item, HFSFlavor* out);

[[nodiscard]] bool AutomaticDragTrackingEnabled(WindowRef window);
[[nodiscard]] bool HasDragHandlers(WindowRef window, bool* tracking, bool* receive);

// Drops the files (host paths, in the order given) on the window at the
// global point. dragNotAcceptedErr when the window has no receive handler;
// else the receive handler's result.
[[nodiscard]] OSErr DropFiles(WindowRef window, const std::vector<std::string>& hostPaths, Point mouse,
                SInt16 modifiers = 0);

}  // namespace plat
