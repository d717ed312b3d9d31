#include "platform/carbon_events.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <set>

#include "platform/alerts.h"
#include "platform/controls.h"
#include "platform/ui_driver.h"
#include "platform/windows.h"

namespace plat {

void Event::Set(EventParamName name, EventParamType type, const void* data, size_t size) {
  std::vector<UInt8> bytes(static_cast<const UInt8*>(data), static_cast<const UInt8*>(data) + size);
  for (Parameter& p : parameters_) {
    if (p.name == name) {
      p.type = type;
      p.data = std::move(bytes);
      return;
    }
  }
  parameters_.push_back(Parameter{name, type, std::move(bytes)});
}

const Event::Parameter* Event::Find(EventParamName name) const {
  for (const Parameter& p : parameters_)
    if (p.name == name) return &p;
  return nullptr;
}

EventRef NewEvent(OSType eventClass, UInt32 kind) { return new Event(eventClass, kind); }

void SendNotification(EventRef event, EventTargetRef target) {
  // Handled, not handled or sent to a target that is gone: the sender goes
  // on the same way, so the answer is dropped here, in one place.
  static_cast<void>(SendEventToEventTarget(event, target));
}

bool HandlerRecord::Matches(OSType eventClass, UInt32 kind) const {
  for (const EventTypeSpec& spec : types)
    if (spec.eventClass == eventClass && spec.eventKind == kind) return true;
  return false;
}

namespace {

std::set<const EventTarget*>& LiveTargets() {
  static std::set<const EventTarget*> targets;
  return targets;
}

}  // namespace

EventTarget::EventTarget(Kind kind, void* owner) : kind_(kind), owner_(owner) { LiveTargets().insert(this); }
EventTarget::~EventTarget() { LiveTargets().erase(this); }

namespace {
AppleEventDispatcher gAppleEventDispatcher = nullptr;
}
void SetAppleEventDispatcher(AppleEventDispatcher dispatcher) { gAppleEventDispatcher = dispatcher; }

bool IsLiveTarget(const EventTarget* target) { return target && LiveTargets().count(target) != 0; }

namespace {

// Removed handler records keep their memory, so that a stale EventHandlerRef
// (of a window disposed before its object removed the handler) names nothing.
void Bury(const std::shared_ptr<HandlerRecord>& record) {
  static std::vector<std::shared_ptr<HandlerRecord>> graveyard;
  record->removed = true;
  graveyard.push_back(record);
}

}  // namespace

void EventTarget::Detach() {
  owner_ = nullptr;
  for (auto& handler : handlers) Bury(handler);
  handlers.clear();
}

size_t CountInstalledHandlers(EventTargetRef target) {
  return IsLiveTarget(target) ? target->handlers.size() : 0;
}

std::shared_ptr<EventTarget> MakeTarget(EventTarget::Kind kind, void* owner) {
  return std::make_shared<EventTarget>(kind, owner);
}

namespace {

std::shared_ptr<EventTarget>& ApplicationTarget() {
  static std::shared_ptr<EventTarget> target = MakeTarget(EventTarget::Kind::kApplication, nullptr);
  return target;
}

EventTarget& DispatcherTarget() {
  static EventTarget target(EventTarget::Kind::kDispatcher, nullptr);
  return target;
}

struct Loop {
  WindowRef window;  // null for the application loop
  bool quit;
};

std::vector<Loop*>& Loops() {
  static std::vector<Loop*> loops;
  return loops;
}

std::deque<EventRef>& Queue() {
  static std::deque<EventRef> queue;
  return queue;
}

std::shared_ptr<EventTarget> SharedTarget(EventTargetRef target) {
  if (!IsLiveTarget(target)) return nullptr;
  if (target == ApplicationTarget().get()) return ApplicationTarget();
  if (target->kind() == EventTarget::Kind::kWindow) {
    auto window = static_cast<WindowRef>(target->owner());
    return IsLiveWindow(window) ? window->target : nullptr;
  }
  if (target->kind() == EventTarget::Kind::kControl) {
    auto control = static_cast<ControlRef>(target->owner());
    return IsLiveControl(control) ? control->target : nullptr;
  }
  return nullptr;
}

// Where an unhandled event goes next.
std::shared_ptr<EventTarget> ParentTarget(const EventTarget* target) {
  switch (target->kind()) {
    case EventTarget::Kind::kControl: {
      auto control = static_cast<ControlRef>(target->owner());
      if (!IsLiveControl(control)) return nullptr;
      if (control->parent && IsLiveControl(control->parent)) return control->parent->target;
      return IsLiveWindow(control->window) ? control->window->target : nullptr;
    }
    case EventTarget::Kind::kWindow:
      return ApplicationTarget();
    default:
      return nullptr;
  }
}

[[nodiscard]] bool ReadCommand(EventRef event, HICommand* command) {
  return GetParam(event, kEventParamDirectObject, typeHICommand, command);
}

// What the system does with an event that no installed handler took.
[[nodiscard]] OSStatus StandardHandling(EventTarget* target, EventRef event) {
  const OSType eventClass = event->eventClass();
  const UInt32 kind = event->kind();
  if (target->kind() == EventTarget::Kind::kWindow) {
    auto window = static_cast<WindowRef>(target->owner());
    if (!IsLiveWindow(window)) return eventNotHandledErr;
    if (DialogRef dialog = DialogOfWindow(window); dialog && dialog->sheet && eventClass == kEventClassCommand &&
                                                   kind == kEventCommandProcess) {
      // A standard sheet closes on any of its buttons and tells its notify target.
      HICommand command;
      if (!ReadCommand(event, &command)) return eventNotHandledErr;
      // A sheet that hangs on no window (never shown as a sheet) is hidden all the same.
      if (HideSheetWindow(window) != noErr) HideWindow(window);
      if (dialog->notify && IsLiveTarget(dialog->notify)) {
        EventRef copy = NewEvent(kEventClassCommand, kEventCommandProcess);
        SetParam(copy, kEventParamDirectObject, typeHICommand, command);
        SendNotification(copy, dialog->notify);
        ReleaseEvent(copy);
      }
      return noErr;
    }
    if (!(window->attributes & kWindowStandardHandlerAttribute)) return eventNotHandledErr;
    if (eventClass == kEventClassWindow && kind == kEventWindowClose) {
      DisposeWindow(window);
      return noErr;
    }
    return eventNotHandledErr;
  }
  if (target->kind() == EventTarget::Kind::kApplication) {
    if (eventClass == kEventClassCommand && kind == kEventCommandProcess) {
      HICommand command;
      if (ReadCommand(event, &command) && command.commandID == kHICommandQuit) {
        EventRef quit = NewEvent(kEventClassApplication, kEventAppQuit);
        SendNotification(quit, GetApplicationEventTarget());
        ReleaseEvent(quit);
        return noErr;
      }
      return eventNotHandledErr;
    }
    if (eventClass == kEventClassApplication && kind == kEventAppQuit) {
      QuitApplicationEventLoop();
      return noErr;
    }
    if (eventClass == kEventClassAppleEvent && kind == kEventAppleEvent) return gAppleEventDispatcher ? gAppleEventDispatcher(event) : eventNotHandledErr;
  }
  return eventNotHandledErr;
}

[[nodiscard]] OSStatus DispatchFrom(const std::shared_ptr<EventTarget>& target, const std::shared_ptr<HandlerChain>& chain,
                                    size_t start, EventRef event) {
  for (size_t i = start; i < chain->size(); ++i) {
    const std::shared_ptr<HandlerRecord>& handler = (*chain)[i];
    if (handler->removed || !handler->Matches(event->eventClass(), event->kind())) continue;
    HandlerCall call{target, chain, i + 1};
    OSStatus status = handler->proc(&call, event, handler->userData);
    // A handler that passed the event on has already run the rest of the chain.
    if (status != eventNotHandledErr || call.passedOn) return status;
  }
  OSStatus status = StandardHandling(target.get(), event);
  if (status != eventNotHandledErr) return status;
  std::shared_ptr<EventTarget> parent = ParentTarget(target.get());
  if (!parent) return eventNotHandledErr;
  return DispatchFrom(parent, std::make_shared<HandlerChain>(parent->handlers), 0, event);
}

EventTargetRef RouteEvent(EventRef event) {
  EventTargetRef posted = nullptr;
  if (GetParam(event, kEventParamPostTarget, typeEventTargetRef, &posted)) return posted;
  const OSType eventClass = event->eventClass();
  if (eventClass == kEventClassWindow) {
    WindowRef window = nullptr;
    if (GetParam(event, kEventParamDirectObject, typeWindowRef, &window)) return GetWindowEventTarget(window);
  }
  if (eventClass == kEventClassControl) {
    ControlRef control = nullptr;
    if (GetParam(event, kEventParamDirectObject, typeControlRef, &control)) return GetControlEventTarget(control);
  }
  if (eventClass == kEventClassCommand || eventClass == kEventClassKeyboard || eventClass == kEventClassMouse ||
      eventClass == kEventClassTextInput || eventClass == kEventClassFont)
    return UserFocusTarget();
  return GetApplicationEventTarget();
}

[[nodiscard]] bool TakeQueued(UInt32 typeCount, const EventTypeSpec* types, bool pull, EventRef* out) {
  std::deque<EventRef>& queue = Queue();
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    bool wanted = typeCount == 0 || !types;
    for (UInt32 i = 0; !wanted && i < typeCount; ++i)
      wanted = types[i].eventClass == (*it)->eventClass() && types[i].eventKind == (*it)->kind();
    if (!wanted) continue;
    *out = *it;
    if (pull) queue.erase(it);
    return true;
  }
  return false;
}

void DispatchQueued(EventRef event) {
  SendNotification(event, GetEventDispatcherTarget());
  ReleaseEvent(event);
}

Loop* InnermostApplicationLoop() {
  for (auto it = Loops().rbegin(); it != Loops().rend(); ++it)
    if (!(*it)->window) return *it;
  return nullptr;
}

struct LoopScope {
  explicit LoopScope(Loop* loop) { Loops().push_back(loop); }
  ~LoopScope() { Loops().pop_back(); }
};

}  // namespace

bool IsInModalLoop(WindowRef window) {
  for (Loop* loop : Loops())
    if (loop->window && loop->window == window && !loop->quit) return true;
  return false;
}

WindowRef CurrentModalWindow() {
  for (auto it = Loops().rbegin(); it != Loops().rend(); ++it)
    if ((*it)->window && IsLiveWindow((*it)->window)) return (*it)->window;
  return nullptr;
}

int LoopDepth() { return int(Loops().size()); }

EventTargetRef UserFocusTarget() {
  if (WindowRef modal = CurrentModalWindow()) return modal->target.get();
  if (WindowRef front = FrontNonFloatingWindow()) return front->target.get();
  return GetApplicationEventTarget();
}

void FlushEventQueue() {
  for (EventRef event : Queue()) ReleaseEvent(event);
  Queue().clear();
}

size_t QueuedEventCount() { return Queue().size(); }

}  // namespace plat

using plat::Event;
using plat::EventTarget;

OSStatus CreateEvent(void*, OSType eventClass, UInt32 kind, double, UInt32, EventRef* outEvent) {
  if (!outEvent) return paramErr;
  *outEvent = plat::NewEvent(eventClass, kind);
  return noErr;
}

EventRef RetainEvent(EventRef event) {
  if (event) ++event->references;
  return event;
}

void ReleaseEvent(EventRef event) {
  if (event && --event->references == 0) delete event;
}

OSType GetEventClass(EventRef event) { return event ? event->eventClass() : 0; }
UInt32 GetEventKind(EventRef event) { return event ? event->kind() : 0; }

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, UInt32 size, const void* data) {
  if (!event || (size && !data)) return paramErr;
  event->Set(name, type, data, size);
  return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, UInt32 bufferSize, UInt32* outActualSize, void* outData) {
  if (!event) return paramErr;
  const Event::Parameter* p = event->Find(name);
  if (!p) return eventParameterNotFoundErr;
  if (desiredType != typeWildCard && desiredType != p->type) return errAECoercionFail;
  if (outActualType) *outActualType = p->type;
  if (outActualSize) *outActualSize = UInt32(p->data.size());
  if (outData && !p->data.empty()) std::memcpy(outData, p->data.data(), std::min<size_t>(bufferSize, p->data.size()));
  return noErr;
}

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) { return proc; }
void DisposeEventHandlerUPP(EventHandlerUPP) {}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 typeCount,
                             const EventTypeSpec* types, void* userData, EventHandlerRef* outRef) {
  if (!plat::IsLiveTarget(target) || !handler || (typeCount && !types)) return paramErr;
  OSStatus injected;
  if (plat::UiDriver::Get().TakeFailure(plat::UiFailure::kInstallHandler, &injected)) return injected;
  auto record = std::make_shared<plat::HandlerRecord>();
  record->target = target;
  record->proc = handler;
  record->userData = userData;
  record->types.assign(types, types + typeCount);
  target->handlers.insert(target->handlers.begin(), record);
  if (outRef) *outRef = record.get();
  return noErr;
}

namespace {

std::shared_ptr<plat::HandlerRecord> FindRecord(EventHandlerRef handler) {
  if (!handler || handler->removed || !plat::IsLiveTarget(handler->target)) return nullptr;
  for (auto& record : handler->target->handlers)
    if (record.get() == handler) return record;
  return nullptr;
}

}  // namespace

OSStatus AddEventTypesToHandler(EventHandlerRef handler, UInt32 typeCount, const EventTypeSpec* types) {
  auto record = FindRecord(handler);
  if (!record || (typeCount && !types)) return paramErr;
  record->types.insert(record->types.end(), types, types + typeCount);
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler) {
  auto record = FindRecord(handler);
  if (!record) return paramErr;
  plat::Bury(record);
  auto& list = record->target->handlers;
  list.erase(std::remove(list.begin(), list.end(), record), list.end());
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef call, EventRef event) {
  if (!call || !event) return paramErr;
  call->passedOn = true;
  return plat::DispatchFrom(call->target, call->chain, call->next, event);
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target) {
  if (!event) return paramErr;
  if (target == &plat::DispatcherTarget()) target = plat::RouteEvent(event);
  std::shared_ptr<EventTarget> shared = plat::SharedTarget(target);
  if (!shared) return paramErr;
  return plat::DispatchFrom(shared, std::make_shared<plat::HandlerChain>(shared->handlers), 0, event);
}

EventTargetRef GetApplicationEventTarget() { return plat::ApplicationTarget().get(); }
EventTargetRef GetEventDispatcherTarget() { return &plat::DispatcherTarget(); }

EventTargetRef GetWindowEventTarget(WindowRef window) {
  return plat::IsLiveWindow(window) ? window->target.get() : nullptr;
}

EventTargetRef GetControlEventTarget(ControlRef control) {
  return plat::IsLiveControl(control) ? control->target.get() : nullptr;
}

EventQueueRef GetMainEventQueue() { return &plat::Queue(); }

OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority) {
  if (queue != &plat::Queue() || !event) return paramErr;
  RetainEvent(event);
  if (priority == kEventPriorityHigh)
    plat::Queue().push_front(event);
  else
    plat::Queue().push_back(event);
  return noErr;
}

OSStatus ReceiveNextEvent(UInt32 typeCount, const EventTypeSpec* types, EventTimeout, Boolean pull,
                          EventRef* outEvent) {
  if (!outEvent) return paramErr;
  if (!plat::Loops().empty() && plat::Loops().back()->quit) return eventLoopQuitErr;
  if (plat::TakeQueued(typeCount, types, pull, outEvent)) return noErr;
  if (plat::UiDriver::Get().Idle(plat::CurrentModalWindow()) && plat::TakeQueued(typeCount, types, pull, outEvent))
    return noErr;
  return eventLoopTimedOutErr;
}

void RunApplicationEventLoop() {
  plat::Loop loop{nullptr, false};
  plat::LoopScope scope(&loop);
  bool quitAsked = false;
  while (!loop.quit) {
    EventRef event;
    if (plat::TakeQueued(0, nullptr, true, &event)) {
      plat::DispatchQueued(event);
      continue;
    }
    if (plat::UiDriver::Get().Idle(nullptr)) continue;
    // Nobody is there: ask the application to quit, then stop.
    if (quitAsked) break;
    quitAsked = true;
    HICommand quit;
    quit.commandID = kHICommandQuit;
    // A quit that nobody takes ends the loop on the next pass that finds
    // nothing to do.
    static_cast<void>(ProcessHICommand(&quit));
  }
}

void QuitApplicationEventLoop() {
  if (plat::Loop* loop = plat::InnermostApplicationLoop()) loop->quit = true;
}

OSStatus RunAppModalLoopForWindow(WindowRef window) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  plat::Loop loop{window, false};
  plat::LoopScope scope(&loop);
  int unanswered = 0;
  while (!loop.quit && plat::IsLiveWindow(window)) {
    EventRef event;
    if (plat::TakeQueued(0, nullptr, true, &event)) {
      plat::DispatchQueued(event);
      continue;
    }
    if (plat::UiDriver::Get().Idle(window)) continue;
    // Nobody answers: cancel, then close, then end the loop outright.
    if (unanswered == 0) plat::UiDriver::Get().CountUnansweredModal();
    switch (unanswered++) {
      case 0: {
        HICommand cancel;
        cancel.commandID = kHICommandCancel;
        EventRef e = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
        plat::SetParam(e, kEventParamDirectObject, typeHICommand, cancel);
        SendNotification(e, window->target.get());
        ReleaseEvent(e);
        break;
      }
      case 1: {
        EventRef e = plat::NewEvent(kEventClassWindow, kEventWindowClose);
        plat::SetParam(e, kEventParamDirectObject, typeWindowRef, window);
        SendNotification(e, window->target.get());
        ReleaseEvent(e);
        break;
      }
      default:
        loop.quit = true;
    }
  }
  return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
  if (!plat::IsLiveWindow(window)) return errInvalidWindowRef;
  for (auto it = plat::Loops().rbegin(); it != plat::Loops().rend(); ++it) {
    if ((*it)->window == window) {
      (*it)->quit = true;
      break;
    }
  }
  return noErr;
}

OSStatus ProcessHICommand(const HICommand* command) {
  if (!command) return paramErr;
  EventRef event = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
  plat::SetParam(event, kEventParamDirectObject, typeHICommand, *command);
  OSStatus status = SendEventToEventTarget(event, plat::UserFocusTarget());
  ReleaseEvent(event);
  return status;
}
