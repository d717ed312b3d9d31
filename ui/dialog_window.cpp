#include "ui/dialog_window.h"

#include "foundation/cf_string_holder.h"
#include "foundation/path_list.h"
#include "platform/carbon_strings.h"
#include "platform/font_panel.h"
#include "ui/control.h"

namespace {

// The dialog property holds the object's address itself.
constexpr UInt32 kSelfSize = sizeof(CDialogWindow*);  // NOLINT(bugprone-sizeof-expression): the pointer is the value

// The standard event types, in the order they are registered.
constexpr EventTypeSpec kEventTypes[CDialogWindow::kMaxEventTypes] = {
    {kEventClassControl, kEventControlHit},
    {kEventClassCommand, kEventCommandProcess},
    {kEventClassTextInput, 1},
    {kEventClassWindow, kEventWindowInit},
    {kEventClassWindow, kEventWindowClose},
    {kEventClassWindow, kEventWindowDrawContent},
    {kEventClassWindow, kEventWindowBoundsChanged},
    {kEventClassWindow, kEventWindowBoundsChanging},
    {kEventClassWindow, kEventWindowActivated},
    {kEventClassKeyboard, kEventRawKeyUp},
    {kEventClassKeyboard, kEventRawKeyDown},
    {kEventClassMouse, kEventMouseDown},
    {kEventClassMouse, kEventMouseUp},
    {kEventClassMouse, kEventMouseMoved},
    {kEventClassFont, kEventFontPanelClosed},
    {kEventClassFont, kEventFontSelection},
};

constexpr UInt32 kShowFontPanelCommand = FourCC("shfp");

int Width(const Rect& r) { return r.right - r.left; }
int Height(const Rect& r) { return r.bottom - r.top; }

// Shows or hides the font panel; a panel now shown is told the window's font.
[[nodiscard]] OSStatus ToggleFontPanel(WindowRef window) {
  OSStatus status = FPShowHideFontPanel();
  if (status != noErr || !FPIsFontPanelVisible()) return status;
  ATSUStyle style = nullptr;
  if (ATSUCreateStyle(&style) != noErr) return status;
  ATSUFontID font = 0;
  Fixed size = Fixed(12 << 16);
  const ATSUAttributeTag tags[] = {kATSUFontTag, kATSUSizeTag};
  const ByteCount sizes[] = {sizeof(font), sizeof(size)};
  const ATSUAttributeValuePtr values[] = {&font, &size};
  // The panel is up either way; one that cannot be told the font shows its own.
  if (ATSUSetAttributes(style, 2, tags, sizes, values) == noErr)
    static_cast<void>(SetFontInfoForSelection(kFontSelectionATSUIType, 1, &style, GetWindowEventTarget(window)));
  ATSUDisposeStyle(style);
  return status;
}

}  // namespace

CDialogWindow::CDialogWindow() = default;

CDialogWindow::~CDialogWindow() { Destroy(); }

SInt32 CDialogWindow::DoModal(IBNibRef nib, const char* windowName, WindowRef, SInt32 userValue) {
  userValue_ = userValue;
  modalResult_ = -1;
  CCFString name(windowName);
  WindowRef window = nullptr;
  if (CreateWindowFromNib(nib, name.GetRef(), &window) != noErr || !window) return -1;
  window_ = window;
  // A dialog whose events cannot reach it ends unanswered.
  if (!InstallHandler(GetWindowEventTarget(window_)) || !Publish()) {
    Destroy();
    return -1;
  }
  OnInit();
  ShowWindow(window_);
  inModalLoop_ = true;
  if (RunAppModalLoopForWindow(window_) != noErr) modalResult_ = -1;
  inModalLoop_ = false;
  if (plat::IsLiveWindow(window_)) HideWindow(window_);
  Destroy();
  return modalResult_;
}

bool CDialogWindow::PreTranslateEvent(EventRef*) { return false; }
bool CDialogWindow::OnInit() { return false; }

bool CDialogWindow::OnClose() {
  HideWindow(window_);
  // A loop that is gone already has nothing left to end.
  if (inModalLoop_) static_cast<void>(QuitAppModalLoopForWindow(window_));
  Destroy();
  return true;
}

bool CDialogWindow::OnPaint() { return false; }
bool CDialogWindow::OnCommand(UInt32, EventRef*) { return false; }
bool CDialogWindow::OnReserved8() { return false; }
bool CDialogWindow::OnReserved9() { return false; }
bool CDialogWindow::OnSize(int, int) { return false; }
bool CDialogWindow::OnSizing(Rect*, int) { return false; }
bool CDialogWindow::OnMove(int, int) { return false; }
bool CDialogWindow::OnReserved13() { return false; }
bool CDialogWindow::OnReserved14() { return false; }
bool CDialogWindow::OnReserved15() { return false; }
bool CDialogWindow::OnReserved16() { return false; }
bool CDialogWindow::OnLButtonDown(int, int, UInt32) { return false; }
bool CDialogWindow::OnLButtonUp(int, int, UInt32) { return false; }
bool CDialogWindow::OnRButtonDown(int, int, UInt32) { return false; }
bool CDialogWindow::OnRButtonUp(int, int, UInt32) { return false; }
bool CDialogWindow::OnMouseMove(int, int, UInt32) { return false; }
bool CDialogWindow::OnReserved22() { return false; }
void CDialogWindow::OnDropFile(const CPathName&, Point*) {}

OSErr CDialogWindow::OnDragReceive(DragRef drag) {
  Point mouse{};
  DragAttributes attributes = 0;
  SInt16 modifiers = 0;
  UInt16 count = 0;
  OSErr error = GetDragMouse(drag, &mouse, nullptr);
  if (error == noErr) error = GetDragAttributes(drag, &attributes);
  if (error == noErr) error = GetDragModifiers(drag, &modifiers, nullptr, nullptr);
  if (error == noErr) error = CountDragItems(drag, &count);
  if (error != noErr) return error;
  CPathList files;
  for (UInt16 index = 1; index <= count; ++index) {
    DragItemRef item = 0;
    FlavorFlags flags = 0;
    if (GetDragItemReferenceNumber(drag, index, &item) != noErr) continue;
    if (GetFlavorFlags(drag, item, kDragFlavorTypeHFS, &flags) != noErr) continue;
    HFSFlavor flavor;
    FSRef ref;
    if (plat::GetDragItemHfsFlavor(drag, item, &flavor) != noErr) continue;
    if (plat::FsRefFromSpec(flavor.fileSpec, &ref) != noErr) continue;
    files.AddCopy(CPathName(&ref));
  }
  files.SortByName();
  Point point = mouse;
  for (int i = 0; i < files.GetCount(); ++i) {
    OnDropFile(*files.GetAt(i), &point);
    point.h = 32767;
    point.v = 32767;
  }
  return noErr;
}

bool CDialogWindow::OnDragEnter(DragRef) { return false; }
bool CDialogWindow::OnDragInWindow(DragRef) { return false; }
bool CDialogWindow::OnKeyDown(EventRef*) { return false; }
bool CDialogWindow::OnKeyUp(EventRef*) { return false; }
bool CDialogWindow::OnReserved29(const CPathName*) { return false; }
bool CDialogWindow::OnReserved30(const EventHotKeyID*) { return false; }
bool CDialogWindow::OnEvent(UInt32, UInt32, EventRef*) { return false; }
bool CDialogWindow::OnHitControlChanged(ControlRef, ControlRef) { return false; }

int CDialogWindow::GetEventTypes(EventTypeSpec* types) {
  if (IsSheet()) {
    types[0] = kEventTypes[0];
    return 1;
  }
  for (int i = 0; i < kMaxEventTypes; ++i) types[i] = kEventTypes[i];
  return kMaxEventTypes;
}

bool CDialogWindow::IsSheet() const {
  WindowClass windowClass = 0;
  if (GetWindowClass(window_, &windowClass) == noErr) return windowClass == kSheetWindowClass;
  return (flags_ & kDialogSheet) != 0 && !(flags_ & kDialogMovableModal);
}

bool CDialogWindow::InstallHandler(EventTargetRef target) {
  if (!target) return false;
  handlerUpp_ = NewEventHandlerUPP(&CDialogWindow::HandleEvent);
  if (!handlerUpp_) return false;
  EventTypeSpec types[kMaxEventTypes];
  int count = GetEventTypes(types);
  if (count < 0) count = 0;
  if (count > kMaxEventTypes) count = kMaxEventTypes;
  if (InstallEventHandler(target, handlerUpp_, UInt32(count), types, this, &handler_) != noErr) {
    DisposeEventHandlerUPP(handlerUpp_);
    handlerUpp_ = nullptr;
    handler_ = nullptr;
    return false;
  }
  return true;
}

bool CDialogWindow::Publish() {
  CDialogWindow* self = this;
  if (embedded_ || hostControl_)
    return SetControlProperty(hostControl_, kDialogPropertyCreator, kDialogPropertyTag, kSelfSize, &self) == noErr;
  return SetWindowProperty(window_, kDialogPropertyCreator, kDialogPropertyTag, kSelfSize, &self) == noErr;
}

bool CDialogWindow::Create(short left, short top, short width, short height, UInt32 flags, WindowRef parent) {
  flags_ = flags;
  parent_ = parent;
  WindowClass windowClass = kDocumentWindowClass;
  if (flags & kDialogMovableModal)
    windowClass = kMovableModalWindowClass;
  else if (flags & kDialogSheet)
    windowClass = kSheetWindowClass;
  else if (flags & kDialogFloating)
    windowClass = kFloatingWindowClass;
  else if (flags & kDialogUtility)
    windowClass = kUtilityWindowClass;
  WindowAttributes attributes = kWindowStandardHandlerAttribute;
  if (flags & kDialogCloseBox) attributes |= kWindowCloseBoxAttribute;
  if (flags & kDialogResizable) attributes |= kWindowResizableAttribute;
  Rect bounds = MakeRect(left, top, SInt16(left + width), SInt16(top + height));
  WindowRef window = nullptr;
  if (CreateNewWindow(windowClass, attributes, &bounds, &window) != noErr || !window) return false;
  window_ = window;
  // A sheet that keeps the standard background still works.
  if (windowClass == kSheetWindowClass)
    static_cast<void>(SetThemeWindowBackground(window_, kThemeBrushSheetBackgroundOpaque, false));
  if (!InstallHandler(GetWindowEventTarget(window_)) || !Publish()) return false;
  OnInit();
  if (flags & kDialogShowAtOnce) ShowWindow(window_);
  return true;
}

bool CDialogWindow::CreateFromNib(IBNibRef nib, const char* windowName, WindowRef parent, SInt32 userValue) {
  parent_ = parent;
  userValue_ = userValue;
  CCFString name(windowName);
  WindowRef window = nullptr;
  if (CreateWindowFromNib(nib, name.GetRef(), &window) != noErr || !window) return false;
  window_ = window;
  if (!InstallHandler(GetWindowEventTarget(window_))) return false;
  if (!Publish()) return false;
  return OnInit();
}

bool CDialogWindow::EmbedInControl(IBNibRef, SInt32 controlId, WindowRef hostWindow, SInt32 userValue) {
  userValue_ = userValue;
  ControlID id{0, controlId};
  ControlRef host = nullptr;
  if (GetControlByID(hostWindow, &id, &host) != noErr || !host) return false;
  hostControl_ = host;
  if (!InstallHandler(GetControlEventTarget(host))) {
    hostControl_ = nullptr;
    return false;
  }
  window_ = hostWindow;
  embedded_ = true;
  if (!Publish()) return false;
  // A page is embedded whatever its OnInit answers.
  OnInit();
  return true;
}

SInt32 CDialogWindow::RunModal() {
  modalResult_ = -1;
  inModalLoop_ = true;
  const bool sheet = IsSheet();
  OSStatus status = noErr;
  if (sheet) {
    status = ShowSheetWindow(window_, parent_);
  } else {
    ShowWindow(window_);
    ::BringToFront(window_);
  }
  // A sheet that cannot be shown, or a loop that cannot run, ends the dialog unanswered.
  if (status == noErr) status = RunAppModalLoopForWindow(window_);
  if (status != noErr) modalResult_ = -1;
  if (!sheet && plat::IsLiveWindow(window_)) HideWindow(window_);
  Destroy();
  inModalLoop_ = false;
  return modalResult_;
}

bool CDialogWindow::EndDialog(SInt32 result) {
  modalResult_ = result;
  OSStatus status = noErr;
  if (window_) {
    if (IsSheet()) status = HideSheetWindow(window_);
    if (plat::IsLiveWindow(window_)) {
      OSStatus quit = QuitAppModalLoopForWindow(window_);
      if (quit != noErr) status = quit;
    } else {
      status = noErr;  // the window is gone: nothing is left to end
    }
  }
  OnClose();
  Destroy();
  if (status != noErr) {
    modalResult_ = -1;
    return false;
  }
  return true;
}

bool CDialogWindow::AttachControl(UInt32 signature, CControl* control) {
  return control && control->Attach(signature, &window_, userValue_);
}

bool CDialogWindow::Destroy() {
  // What is let go here goes whatever the calls say: a handler or property
  // already gone has nothing left to remove.
  if (handler_) {
    static_cast<void>(RemoveEventHandler(handler_));
    handler_ = nullptr;
  }
  if (handlerUpp_) {
    DisposeEventHandlerUPP(handlerUpp_);
    handlerUpp_ = nullptr;
  }
  RemoveDragHandlers();
  if (!window_) return false;
  if (embedded_) {
    // The window belongs to the host: only what this object put on it goes.
    static_cast<void>(RemoveControlProperty(hostControl_, kDialogPropertyCreator, kDialogPropertyTag));
    hostControl_ = nullptr;
    embedded_ = false;
  } else {
    DisposeWindow(window_);
  }
  window_ = nullptr;
  lastHit_ = nullptr;
  return true;
}

void CDialogWindow::SetLastHitControl(ControlRef control) {
  if (control != lastHit_) OnHitControlChanged(control, lastHit_);
  lastHit_ = control;
}

bool CDialogWindow::EnableDragAndDrop(bool enable) {
  const bool tracking = SetAutomaticControlDragTrackingEnabledForWindow(window_, enable) == noErr;
  if (!enable) {
    RemoveDragHandlers();
    return tracking;
  }
  bool installed = tracking;
  if (installed && !dragTrackingUpp_) {
    dragTrackingUpp_ = NewDragTrackingHandlerUPP(&CDialogWindow::HandleDragTracking);
    installed = InstallTrackingHandler(dragTrackingUpp_, window_, this) == noErr;
  }
  if (installed && !dragReceiveUpp_) {
    dragReceiveUpp_ = NewDragReceiveHandlerUPP(&CDialogWindow::HandleDragReceive);
    installed = InstallReceiveHandler(dragReceiveUpp_, window_, this) == noErr;
  }
  // Drops are taken completely or not at all.
  if (!installed) RemoveDragHandlers();
  return installed;
}

void CDialogWindow::RemoveDragHandlers() {
  // A handler that never got installed, or whose window is gone, has
  // nothing left to remove.
  if (dragTrackingUpp_) {
    static_cast<void>(RemoveTrackingHandler(dragTrackingUpp_, window_));
    DisposeDragTrackingHandlerUPP(dragTrackingUpp_);
    dragTrackingUpp_ = nullptr;
  }
  if (dragReceiveUpp_) {
    static_cast<void>(RemoveReceiveHandler(dragReceiveUpp_, window_));
    DisposeDragReceiveHandlerUPP(dragReceiveUpp_);
    dragReceiveUpp_ = nullptr;
  }
}

OSErr CDialogWindow::HandleDragTracking(DragTrackingMessage message, WindowRef, void* object, DragRef drag) {
  auto self = static_cast<CDialogWindow*>(object);
  if (message == kDragTrackingEnterHandler)
    self->OnDragEnter(drag);
  else if (message == kDragTrackingInWindow)
    self->OnDragInWindow(drag);
  return noErr;
}

OSErr CDialogWindow::HandleDragReceive(WindowRef, void* object, DragRef drag) {
  // The drop is taken either way: a window that could not read it has
  // nothing to give back to the dragging application.
  static_cast<void>(static_cast<CDialogWindow*>(object)->OnDragReceive(drag));
  return noErr;
}

bool CDialogWindow::SetTitle(const char* text) {
  CCFString title(text);
  return title.GetRef() && SetWindowTitleWithCFString(window_, title.GetRef()) == noErr;
}

bool CDialogWindow::SetTitleById(UInt32 stringNumber) {
  CCFString title;
  return title.LoadLocalizedString(stringNumber) && SetWindowTitleWithCFString(window_, title.GetRef()) == noErr;
}

bool CDialogWindow::Show(bool show) {
  if (show)
    ShowWindow(window_);
  else
    HideWindow(window_);
  return true;
}

bool CDialogWindow::Hide() {
  HideWindow(window_);
  return true;
}

bool CDialogWindow::IsVisible() const { return IsWindowVisible(window_); }
bool CDialogWindow::IsZoomedOut() const { return IsWindowInStandardState(window_, nullptr, nullptr); }
bool CDialogWindow::IsCollapsed() const { return IsWindowCollapsed(window_); }

bool CDialogWindow::ZoomIn() {
  ZoomWindow(window_, inZoomIn, false);
  return true;
}

bool CDialogWindow::ZoomOut() {
  ZoomWindow(window_, inZoomOut, false);
  return true;
}

bool CDialogWindow::Collapse() { return CollapseWindow(window_, true) == noErr; }

bool CDialogWindow::Activate() { return ActivateWindow(window_, true) == noErr; }
bool CDialogWindow::SetActive(bool active) { return ActivateWindow(window_, active) == noErr; }
bool CDialogWindow::Deactivate() { return ActivateWindow(window_, false) == noErr; }

bool CDialogWindow::BringToFront() {
  ::BringToFront(window_);
  return true;
}

bool CDialogWindow::SendBehind(WindowRef window) {
  ::SendBehind(window_, window);
  return true;
}

OSStatus CDialogWindow::GetBounds(Rect* bounds) const { return GetWindowBounds(window_, kWindowContentRgn, bounds); }

OSStatus CDialogWindow::SetBounds(const Rect* bounds) { return SetWindowBounds(window_, kWindowContentRgn, bounds); }

bool CDialogWindow::GetPosition(int* left, int* top) const {
  Rect r;
  if (GetWindowBounds(window_, kWindowContentRgn, &r) != noErr) return false;
  if (left) *left = r.left;
  if (top) *top = r.top;
  return true;
}

int CDialogWindow::GetLeft() const {
  int left = 0;
  return GetPosition(&left, nullptr) ? left : 0;
}

int CDialogWindow::GetTop() const {
  int top = 0;
  return GetPosition(nullptr, &top) ? top : 0;
}

bool CDialogWindow::GetSize(int* width, int* height) const {
  Rect r;
  if (GetWindowBounds(window_, kWindowContentRgn, &r) != noErr) return false;
  if (width) *width = Width(r);
  if (height) *height = Height(r);
  return true;
}

int CDialogWindow::GetWidth() const {
  int width = 0;
  return GetSize(&width, nullptr) ? width : 0;
}

int CDialogWindow::GetHeight() const {
  int height = 0;
  return GetSize(nullptr, &height) ? height : 0;
}

int CDialogWindow::GetFrameWidth() const {
  Rect r;
  return GetWindowBounds(window_, kWindowStructureRgn, &r) == noErr ? Width(r) : 0;
}

int CDialogWindow::GetFrameHeight() const {
  Rect r;
  return GetWindowBounds(window_, kWindowStructureRgn, &r) == noErr ? Height(r) : 0;
}

bool CDialogWindow::Move(short left, short top) {
  MoveWindow(window_, left, top, false);
  return true;
}

bool CDialogWindow::SetLeft(short left) { return Move(left, short(GetTop())); }
bool CDialogWindow::SetTop(short top) { return Move(short(GetLeft()), top); }

bool CDialogWindow::SetSize(short width, short height) {
  SizeWindow(window_, width, height, true);
  return true;
}

bool CDialogWindow::SetWidth(short width) { return SetSize(width, short(GetHeight())); }
bool CDialogWindow::SetHeight(short height) { return SetSize(short(GetWidth()), height); }

bool CDialogWindow::CenterOnMainScreen(WindowRef parent) {
  return RepositionWindow(window_, parent, kWindowCenterOnMainScreen) == noErr;
}

bool CDialogWindow::ConstrainToScreen() {
  return ConstrainWindowToScreen(window_, kWindowStructureRgn, kWindowConstrainMoveRegardlessOfFit, nullptr,
                                 nullptr) == noErr;
}

bool CDialogWindow::SetContentColor(UInt32 colour) {
  RGBColor rgb = ColorToRGB(colour);
  return SetWindowContentColor(window_, &rgb) == noErr;
}

CDialogWindow* CDialogWindow::FromWindow(WindowRef window) {
  CDialogWindow* object = nullptr;
  if (GetWindowProperty(window, kDialogPropertyCreator, kDialogPropertyTag, kSelfSize, nullptr, &object) != noErr)
    return nullptr;
  return object;
}

CDialogWindow* CDialogWindow::FromControl(ControlRef control) {
  CDialogWindow* object = nullptr;
  if (GetControlProperty(control, kDialogPropertyCreator, kDialogPropertyTag, kSelfSize, nullptr, &object) != noErr)
    return nullptr;
  return object;
}

OSStatus CDialogWindow::HandleEvent(EventHandlerCallRef, EventRef event, void* object) {
  auto self = static_cast<CDialogWindow*>(object);
  if (!self) return eventNotHandledErr;
  return self->Dispatch(event);
}

OSStatus CDialogWindow::Dispatch(EventRef event) {
  if (PreTranslateEvent(&event)) return noErr;
  const OSType eventClass = GetEventClass(event);
  const UInt32 kind = GetEventKind(event);
  auto handled = [](bool result) -> OSStatus { return result ? noErr : OSStatus(eventNotHandledErr); };

  if (eventClass == kEventClassCommand) {
    if (kind != kEventCommandProcess) return eventNotHandledErr;
    HICommand command;
    if (!plat::GetParam(event, kEventParamDirectObject, typeHICommand, &command)) return eventNotHandledErr;
    if (OnCommand(command.commandID, &event)) return 1;
    if (command.commandID == kShowFontPanelCommand) return ToggleFontPanel(window_);
    return eventNotHandledErr;
  }
  if (eventClass == kEventClassControl) {
    if (kind != kEventControlHit) return eventNotHandledErr;
    // A hit that names no control still reaches OnCommand, with no signature.
    ControlRef control = nullptr;
    if (!plat::GetParam(event, kEventParamDirectObject, typeControlRef, &control)) control = nullptr;
    ControlID id;
    if (GetControlID(control, &id) != noErr) id = ControlID();
    const bool result = OnCommand(id.signature, &event);
    SetLastHitControl(control);
    return handled(result);
  }
  if (eventClass == kEventClassFont) return eventNotHandledErr;
  if (eventClass == kEventClassKeyboard) {
    if (kind == kEventRawKeyDown || kind == kEventRawKeyRepeat) return handled(OnKeyDown(&event));
    if (kind == kEventRawKeyUp) return handled(OnKeyUp(&event));
    return eventNotHandledErr;
  }
  if (eventClass == kEventClassMouse) {
    // Without a location, modifiers or a button the event is a plain primary
    // click at the origin.
    Point where{};
    if (!plat::GetParam(event, kEventParamMouseLocation, typeQDPoint, &where)) where = Point{};
    UInt32 modifiers = 0;
    if (!plat::GetParam(event, kEventParamKeyModifiers, typeUInt32, &modifiers)) modifiers = 0;
    UInt16 button = kEventMouseButtonPrimary;
    if (!plat::GetParam(event, kEventParamMouseButton, typeMouseButton, &button)) button = kEventMouseButtonPrimary;
    if (modifiers & controlKey) button = kEventMouseButtonSecondary;
    if (kind == kEventMouseDown) {
      if (button == kEventMouseButtonPrimary) return handled(OnLButtonDown(where.h, where.v, modifiers));
      if (button == kEventMouseButtonSecondary) return handled(OnRButtonDown(where.h, where.v, modifiers));
    } else if (kind == kEventMouseUp) {
      if (button == kEventMouseButtonPrimary) return handled(OnLButtonUp(where.h, where.v, modifiers));
      if (button == kEventMouseButtonSecondary) return handled(OnRButtonUp(where.h, where.v, modifiers));
    } else if (kind == kEventMouseMoved) {
      return handled(OnMouseMove(where.h, where.v, modifiers));
    }
    return eventNotHandledErr;
  }
  if (eventClass == kEventClassWindow) {
    switch (kind) {
      case kEventWindowUpdate: {
        // Without its window the update still paints.
        WindowRef window = nullptr;
        if (!plat::GetParam(event, kEventParamDirectObject, typeWindowRef, &window)) window = nullptr;
        BeginUpdate(window);
        const bool result = OnPaint();
        EndUpdate(window);
        return handled(result);
      }
      case kEventWindowDrawContent:
        return handled(OnPaint());
      case kEventWindowBoundsChanging: {
        // An event without bounds still reaches the slot, with empty bounds.
        Rect bounds{};
        if (!plat::GetParam(event, kEventParamCurrentBounds, typeQDRectangle, &bounds)) bounds = Rect{};
        return handled(OnSizing(&bounds, 0));
      }
      case kEventWindowBoundsChanged: {
        // Bounds the event does not carry count as empty.
        Rect original{}, current{};
        if (!plat::GetParam(event, kEventParamOriginalBounds, typeQDRectangle, &original)) original = Rect{};
        if (!plat::GetParam(event, kEventParamCurrentBounds, typeQDRectangle, &current)) current = Rect{};
        if (Width(original) == Width(current) && Height(original) == Height(current))
          return handled(OnMove(current.left, current.top));
        return handled(OnSize(Width(current), Height(current)));
      }
      case kEventWindowClose:
        return handled(OnClose());
      default:
        return eventNotHandledErr;
    }
  }
  return handled(OnEvent(eventClass, kind, &event));
}
