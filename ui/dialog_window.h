// CDialogWindow: the base of every window and dialog of the application.
//
// One object owns one window (made by Create, loaded from the nib by name, or
// borrowed from a host control when embedded in another window), installs
// exactly one event handler on it and turns each event into a call of one of
// its virtual handlers. A handler that returns false lets the event go on to
// the standard handling. The same object runs an application-modal loop or a
// sheet and carries the dialog's result out of it.
#pragma once

#include "foundation/path_name.h"
#include "platform/carbon_events.h"
#include "platform/controls.h"
#include "platform/drag_and_drop.h"
#include "platform/windows.h"
#include "ui/nib_file.h"

class CControl;

// Creation flags of CDialogWindow::Create.
enum : UInt32 {
  kDialogMovableModal = 0x1,
  kDialogShowAtOnce = 0x2,
  kDialogCloseBox = 0x4,
  kDialogResizable = 0x10,
  kDialogSheet = 0x200000,
  kDialogUtility = 0x400000,
  kDialogFloating = 0x800000,
};

// The property by which a window (or a host control) names its object.
constexpr OSType kDialogPropertyCreator = FourCC("Oxon");
constexpr OSType kDialogPropertyTag = FourCC("DlgV");

class CDialogWindow {
 public:
  static constexpr int kMaxEventTypes = 16;

  CDialogWindow();
  virtual ~CDialogWindow();

  virtual SInt32 DoModal(IBNibRef nib, const char* windowName, WindowRef parent, SInt32 userValue);
  virtual bool PreTranslateEvent(EventRef* event);
  virtual bool OnInit();
  virtual bool OnClose();
  virtual bool OnPaint();
  virtual bool OnCommand(UInt32 command, EventRef* event);
  virtual bool OnReserved8();
  virtual bool OnReserved9();
  virtual bool OnSize(int width, int height);
  virtual bool OnSizing(Rect* bounds, int reserved);
  virtual bool OnMove(int left, int top);
  virtual bool OnReserved13();
  virtual bool OnReserved14();
  virtual bool OnReserved15();
  virtual bool OnReserved16();
  virtual bool OnLButtonDown(int h, int v, UInt32 modifiers);
  virtual bool OnLButtonUp(int h, int v, UInt32 modifiers);
  virtual bool OnRButtonDown(int h, int v, UInt32 modifiers);
  virtual bool OnRButtonUp(int h, int v, UInt32 modifiers);
  virtual bool OnMouseMove(int h, int v, UInt32 modifiers);
  virtual bool OnReserved22();
  virtual void OnDropFile(const CPathName& path, Point* point);
  [[nodiscard]] virtual OSErr OnDragReceive(DragRef drag);
  virtual bool OnDragEnter(DragRef drag);
  virtual bool OnDragInWindow(DragRef drag);
  virtual bool OnKeyDown(EventRef* event);
  virtual bool OnKeyUp(EventRef* event);
  // No event of this class reaches slots 29 and 30; the application routes
  // opened documents and hot keys to them.
  virtual bool OnReserved29(const CPathName* path);
  virtual bool OnReserved30(const EventHotKeyID* hotKey);
  virtual bool OnEvent(UInt32 eventClass, UInt32 kind, EventRef* event);
  virtual bool OnHitControlChanged(ControlRef current, ControlRef previous);
  // Fills `types` (room for kMaxEventTypes) and returns the count.
  virtual int GetEventTypes(EventTypeSpec* types);

  [[nodiscard]] bool Create(short left, short top, short width, short height, UInt32 flags, WindowRef parent);
  // A window made from the nib answers what its OnInit answers; an embedded
  // page is made whatever OnInit answers.
  [[nodiscard]] bool CreateFromNib(IBNibRef nib, const char* windowName, WindowRef parent, SInt32 userValue);
  [[nodiscard]] bool EmbedInControl(IBNibRef nib, SInt32 controlId, WindowRef hostWindow, SInt32 userValue);
  SInt32 RunModal();
  bool EndDialog(SInt32 result);
  [[nodiscard]] bool AttachControl(UInt32 signature, CControl* control);
  bool Destroy();
  void SetLastHitControl(ControlRef control);
  [[nodiscard]] bool EnableDragAndDrop(bool enable);

  [[nodiscard]] bool SetTitle(const char* text);
  [[nodiscard]] bool SetTitleById(UInt32 stringNumber);

  bool Show(bool show = true);
  bool Hide();
  [[nodiscard]] bool IsVisible() const;
  [[nodiscard]] bool IsZoomedOut() const;
  [[nodiscard]] bool IsCollapsed() const;
  bool ZoomIn();
  bool ZoomOut();
  [[nodiscard]] bool Collapse();
  [[nodiscard]] bool Activate();
  [[nodiscard]] bool SetActive(bool active);
  [[nodiscard]] bool Deactivate();
  bool BringToFront();
  bool SendBehind(WindowRef window);
  [[nodiscard]] OSStatus GetBounds(Rect* bounds) const;
  [[nodiscard]] OSStatus SetBounds(const Rect* bounds);
  [[nodiscard]] bool GetPosition(int* left, int* top) const;
  int GetLeft() const;
  int GetTop() const;
  [[nodiscard]] bool GetSize(int* width, int* height) const;
  int GetWidth() const;
  int GetHeight() const;
  int GetFrameWidth() const;
  int GetFrameHeight() const;
  bool Move(short left, short top);
  bool SetLeft(short left);
  bool SetTop(short top);
  bool SetSize(short width, short height);
  bool SetWidth(short width);
  bool SetHeight(short height);
  [[nodiscard]] bool CenterOnMainScreen(WindowRef parent);
  [[nodiscard]] bool ConstrainToScreen();
  [[nodiscard]] bool SetContentColor(UInt32 colour);

  // The object published on a window or host control, null when none.
  static CDialogWindow* FromWindow(WindowRef window);
  static CDialogWindow* FromControl(ControlRef control);

  WindowRef GetWindowRef() const { return window_; }
  WindowRef* GetWindowRefPtr() { return &window_; }
  WindowRef GetParentWindow() const { return parent_; }
  ControlRef GetHostControl() const { return hostControl_; }
  ControlRef GetLastHitControl() const { return lastHit_; }
  SInt32 GetUserValue() const { return userValue_; }
  void SetUserValue(SInt32 value) { userValue_ = value; }
  SInt32 GetModalResult() const { return modalResult_; }
  UInt32 GetCreateFlags() const { return flags_; }
  [[nodiscard]] bool IsInModalLoop() const { return inModalLoop_; }
  [[nodiscard]] bool IsEmbedded() const { return embedded_; }

 private:
  [[nodiscard]] static OSStatus HandleEvent(EventHandlerCallRef call, EventRef event, void* object);
  [[nodiscard]] static OSErr HandleDragTracking(DragTrackingMessage message, WindowRef window, void* object, DragRef drag);
  [[nodiscard]] static OSErr HandleDragReceive(WindowRef window, void* object, DragRef drag);
  [[nodiscard]] OSStatus Dispatch(EventRef event);
  [[nodiscard]] bool InstallHandler(EventTargetRef target);
  void RemoveDragHandlers();
  [[nodiscard]] bool Publish();
  [[nodiscard]] bool IsSheet() const;

  UInt32 flags_ = 0;
  WindowRef window_ = nullptr;
  bool inModalLoop_ = false;
  bool embedded_ = false;
  WindowRef parent_ = nullptr;
  EventHandlerRef handler_ = nullptr;
  EventHandlerUPP handlerUpp_ = nullptr;
  SInt32 modalResult_ = 0;
  ControlRef hostControl_ = nullptr;
  DragTrackingHandlerUPP dragTrackingUpp_ = nullptr;
  DragReceiveHandlerUPP dragReceiveUpp_ = nullptr;
  SInt32 userValue_ = 0;
  ControlRef lastHit_ = nullptr;
};
