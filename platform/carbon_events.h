// Events, event targets and event loops of the headless window system.
//
// An event has a class, a kind and typed parameters. Every target (the
// application, each window, each control) keeps a chain of installed
// handlers, newest first. Sending an event to a target calls the matching
// handlers in turn until one returns something other than
// eventNotHandledErr; a handler may pass the event on explicitly with
// CallNextEventHandler. When the whole chain declines, the target's standard
// handling runs, and then the event propagates: control -> enclosing
// control -> window -> application.
//
// Posted events wait in one queue; the application loop and the modal loops
// take them out one at a time. When a loop finds the queue empty it asks the
// user-interface driver (platform/ui_driver.h) for the next step; a loop that
// nobody answers ends instead of waiting for ever.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mac_types.h"
#include "platform/qd_types.h"

inline bool operator==(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
inline bool operator==(const Point& a, const Point& b) { return a.v == b.v && a.h == b.h; }

namespace plat {
class Window;
class Control;
class Menu;
class Event;
class EventTarget;
struct HandlerRecord;
struct HandlerCall;
}  // namespace plat

typedef plat::Window* WindowRef;
typedef plat::Control* ControlRef;
typedef plat::Menu* MenuRef;
typedef plat::Event* EventRef;
typedef plat::EventTarget* EventTargetRef;
typedef plat::HandlerRecord* EventHandlerRef;
typedef plat::HandlerCall* EventHandlerCallRef;
typedef void* EventQueueRef;
typedef OSType EventParamName;
typedef OSType EventParamType;
typedef double EventTimeout;
typedef SInt16 EventPriority;
typedef UInt32 MenuCommand;
typedef UInt16 MenuItemIndex;
typedef UInt32 WindowClass;
typedef UInt32 WindowAttributes;
typedef UInt16 WindowRegionCode;
typedef void* SRefCon;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef call, EventRef event, void* userData);
typedef EventHandlerProcPtr EventHandlerUPP;

struct EventTypeSpec {
  OSType eventClass;
  UInt32 eventKind;
};

struct HICommand {
  UInt32 attributes = 0;
  UInt32 commandID = 0;
  struct {
    MenuRef menuRef = nullptr;
    MenuItemIndex menuItemIndex = 0;
  } menu;
};

struct ControlID {
  OSType signature = 0;
  SInt32 id = 0;
};

struct EventHotKeyID {
  OSType signature = 0;
  UInt32 id = 0;
};

// Event classes and kinds.
constexpr OSType kEventClassMouse = FourCC("mous");
constexpr OSType kEventClassKeyboard = FourCC("keyb");
constexpr OSType kEventClassTextInput = FourCC("text");
constexpr OSType kEventClassApplication = FourCC("appl");
constexpr OSType kEventClassAppleEvent = FourCC("eppc");
constexpr OSType kEventClassMenu = FourCC("menu");
constexpr OSType kEventClassWindow = FourCC("wind");
constexpr OSType kEventClassControl = FourCC("cntl");
constexpr OSType kEventClassCommand = FourCC("cmds");
constexpr OSType kEventClassFont = FourCC("font");

enum : UInt32 {
  kEventMouseDown = 1,
  kEventMouseUp = 2,
  kEventMouseMoved = 5,
  kEventRawKeyDown = 1,
  kEventRawKeyRepeat = 2,
  kEventRawKeyUp = 3,
  kEventHotKeyPressed = 5,
  kEventTextInputUnicodeForKeyEvent = 2,
  kEventAppQuit = 3,
  kEventAppleEvent = 1,
  kEventWindowUpdate = 1,
  kEventWindowDrawContent = 2,
  kEventWindowActivated = 5,
  kEventWindowDeactivated = 6,
  kEventWindowBoundsChanging = 26,
  kEventWindowBoundsChanged = 27,
  kEventWindowClose = 72,
  kEventWindowInit = 1004,
  kEventControlHit = 1,
  kEventCommandProcess = 1,
  kEventFontPanelClosed = 1,
  kEventFontSelection = 2,
};

// Parameter names and types.
constexpr EventParamName kEventParamDirectObject = FourCC("----");
constexpr EventParamName kEventParamPostTarget = FourCC("ptrg");
constexpr EventParamName kEventParamMouseLocation = FourCC("mloc");
constexpr EventParamName kEventParamKeyModifiers = FourCC("kmod");
constexpr EventParamName kEventParamMouseButton = FourCC("mbtn");
constexpr EventParamName kEventParamKeyCode = FourCC("kcod");
constexpr EventParamName kEventParamKeyMacCharCodes = FourCC("kchr");
constexpr EventParamName kEventParamOriginalBounds = FourCC("obnd");
constexpr EventParamName kEventParamCurrentBounds = FourCC("crct");
constexpr EventParamName kEventParamAttributes = FourCC("attr");
constexpr EventParamName kEventParamControlPart = FourCC("cprt");

constexpr EventParamType typeWildCard = FourCC("****");
constexpr EventParamType typeControlRef = FourCC("ctrl");
constexpr EventParamType typeWindowRef = FourCC("wind");
constexpr EventParamType typeMenuRef = FourCC("menu");
constexpr EventParamType typeHICommand = FourCC("hcmd");
constexpr EventParamType typeQDPoint = FourCC("QDpt");
constexpr EventParamType typeQDRectangle = FourCC("qdrt");
constexpr EventParamType typeUInt32 = FourCC("magn");
constexpr EventParamType typeSInt16 = FourCC("shor");
constexpr EventParamType typeMouseButton = FourCC("mbtn");
constexpr EventParamType typeChar = FourCC("TEXT");
constexpr EventParamType typeEventTargetRef = FourCC("etrg");
constexpr EventParamType typeEventHotKeyID = FourCC("hkid");
constexpr EventParamType typeControlPartCode = FourCC("cprt");
constexpr EventParamType typeAppleEventPtr = FourCC("aevt");

// Standard command ids.
constexpr UInt32 kHICommandOK = FourCC("ok  ");
constexpr UInt32 kHICommandCancel = FourCC("not!");
constexpr UInt32 kHICommandOther = FourCC("othr");
constexpr UInt32 kHICommandQuit = FourCC("quit");
constexpr UInt32 kHICommandClose = FourCC("clos");
enum : UInt32 {
  kHICommandFromMenu = 1,
  kHICommandFromControl = 2,
  kHICommandFromWindow = 4,
};

// Modifier bits.
enum : UInt32 {
  cmdKey = 0x0100,
  shiftKey = 0x0200,
  alphaLock = 0x0400,
  optionKey = 0x0800,
  controlKey = 0x1000,
};

enum : UInt16 {
  kEventMouseButtonPrimary = 1,
  kEventMouseButtonSecondary = 2,
  kEventMouseButtonTertiary = 3,
};

constexpr EventTimeout kEventDurationNoWait = 0.0;
constexpr EventTimeout kEventDurationForever = -1.0;
enum : EventPriority { kEventPriorityLow = 0, kEventPriorityStandard = 1, kEventPriorityHigh = 2 };

// Events.
[[nodiscard]] OSStatus CreateEvent(void* allocator, OSType eventClass, UInt32 kind, double when, UInt32 flags,
                     EventRef* outEvent);
EventRef RetainEvent(EventRef event);
void ReleaseEvent(EventRef event);
OSType GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
[[nodiscard]] OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, UInt32 size,
                           const void* data);
// Copies at most bufferSize bytes; eventParameterNotFoundErr when absent, and
// errAECoercionFail when the stored type differs from desiredType (typeWildCard
// takes any type).
[[nodiscard]] OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, UInt32 bufferSize, UInt32* outActualSize,
                           void* outData);

// Handlers.
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc);
void DisposeEventHandlerUPP(EventHandlerUPP upp);
[[nodiscard]] OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 typeCount,
                             const EventTypeSpec* types, void* userData, EventHandlerRef* outRef);
[[nodiscard]] OSStatus AddEventTypesToHandler(EventHandlerRef handler, UInt32 typeCount, const EventTypeSpec* types);
[[nodiscard]] OSStatus RemoveEventHandler(EventHandlerRef handler);
[[nodiscard]] OSStatus CallNextEventHandler(EventHandlerCallRef call, EventRef event);
[[nodiscard]] OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);

EventTargetRef GetApplicationEventTarget();
EventTargetRef GetWindowEventTarget(WindowRef window);
EventTargetRef GetControlEventTarget(ControlRef control);
EventTargetRef GetEventDispatcherTarget();

// The queue and the loops.
EventQueueRef GetMainEventQueue();
[[nodiscard]] OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority);
// Takes the next queued event (pull = true removes it). With an empty queue the
// driver may supply one; eventLoopTimedOutErr when there is still none, and
// eventLoopQuitErr when the innermost loop has been asked to quit.
[[nodiscard]] OSStatus ReceiveNextEvent(UInt32 typeCount, const EventTypeSpec* types, EventTimeout timeout,
                          Boolean pull, EventRef* outEvent);
void RunApplicationEventLoop();
void QuitApplicationEventLoop();
[[nodiscard]] OSStatus RunAppModalLoopForWindow(WindowRef window);
[[nodiscard]] OSStatus QuitAppModalLoopForWindow(WindowRef window);
// Sends a process-command event to the user focus (the window of the innermost
// modal loop, else the front window, else the application).
[[nodiscard]] OSStatus ProcessHICommand(const HICommand* command);

namespace plat {

// One event; reference counted through RetainEvent/ReleaseEvent.
class Event {
 public:
  Event(OSType eventClass, UInt32 kind) : eventClass_(eventClass), kind_(kind) {}
  OSType eventClass() const { return eventClass_; }
  UInt32 kind() const { return kind_; }

  struct Parameter {
    EventParamName name;
    EventParamType type;
    std::vector<UInt8> data;
  };
  void Set(EventParamName name, EventParamType type, const void* data, size_t size);
  [[nodiscard]] const Parameter* Find(EventParamName name) const;

  int references = 1;

 private:
  OSType eventClass_;
  UInt32 kind_;
  std::vector<Parameter> parameters_;
};

// Typed helpers over the raw parameter calls.
template <typename T>
void SetParam(EventRef event, EventParamName name, EventParamType type, const T& value) {
  if (event) event->Set(name, type, &value, sizeof(T));  // NOLINT(bugprone-sizeof-expression): T may be a reference such as WindowRef, stored as the pointer itself
}
template <typename T>
[[nodiscard]] bool GetParam(EventRef event, EventParamName name, EventParamType type, T* value) {
  return GetEventParameter(event, name, type, nullptr, UInt32(sizeof(T)), nullptr, value) == noErr;  // NOLINT(bugprone-sizeof-expression): T may be a reference such as WindowRef, stored as the pointer itself
}

// A new event of the class and kind (release it with ReleaseEvent).
[[nodiscard]] EventRef NewEvent(OSType eventClass, UInt32 kind);
// Sends an event whose answer the sender does not need: a notification, or
// a step that the sender follows up whatever the target made of it.
void SendNotification(EventRef event, EventTargetRef target);

struct HandlerRecord {
  EventTarget* target = nullptr;
  EventHandlerUPP proc = nullptr;
  void* userData = nullptr;
  std::vector<EventTypeSpec> types;
  bool removed = false;
  [[nodiscard]] bool Matches(OSType eventClass, UInt32 kind) const;
};

typedef std::vector<std::shared_ptr<HandlerRecord>> HandlerChain;

// The position reached in a target's handler chain during one dispatch.
struct HandlerCall {
  std::shared_ptr<EventTarget> target;
  std::shared_ptr<HandlerChain> chain;
  size_t next = 0;
  bool passedOn = false;  // the handler called CallNextEventHandler
};

// A target: the application, a window or a control. Windows and controls own
// theirs through a shared pointer, so that a dispatch in progress keeps the
// target alive when its owner is disposed by a handler.
class EventTarget {
 public:
  enum class Kind { kApplication, kWindow, kControl, kDispatcher };
  EventTarget(Kind kind, void* owner);
  ~EventTarget();
  EventTarget(const EventTarget&) = delete;
  EventTarget& operator=(const EventTarget&) = delete;
  Kind kind() const { return kind_; }
  // The window or control, null for the application or once the owner is gone.
  void* owner() const { return owner_; }
  void Detach();

  HandlerChain handlers;  // newest first

 private:
  Kind kind_;
  void* owner_;
};

// True while the target exists.
[[nodiscard]] bool IsLiveTarget(const EventTarget* target);
std::shared_ptr<EventTarget> MakeTarget(EventTarget::Kind kind, void* owner);

// The application's standard handling of Apple-event carrier events
// ('eppc' kind 1) is delegated to the Apple-event layer.
typedef OSStatus (*AppleEventDispatcher)(EventRef event);
void SetAppleEventDispatcher(AppleEventDispatcher dispatcher);

// Number of handlers currently installed on a target (for tests and the driver).
size_t CountInstalledHandlers(EventTargetRef target);

// True while a loop with that window runs.
[[nodiscard]] bool IsInModalLoop(WindowRef window);
// The window of the innermost running modal loop, null when none.
WindowRef CurrentModalWindow();
// Depth of running loops (application and modal).
int LoopDepth();

// The target that receives commands and keys now.
EventTargetRef UserFocusTarget();

// Removes every queued event and ends no loop (tests).
void FlushEventQueue();
size_t QueuedEventCount();

}  // namespace plat
