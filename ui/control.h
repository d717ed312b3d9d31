// CControl: the base of every control wrapper.
//
// One object stands for one control of a window owned by a CDialogWindow. A
// wrapper either creates its control (it owns it and disposes it) or attaches
// to a control laid out in the nib, found by its ControlID (it never disposes
// that one). Controls are addressed by one integer ID, as a rule a
// four-character code: it is the control's command ID and the signature of
// its ControlID, so a hit reaches the owner's OnCommand with that code.
#pragma once

#include <cstddef>

#include "platform/controls.h"
#include "platform/windows.h"

class CDialogWindow;

class CControl {
 public:
  CControl();
  virtual ~CControl();

  [[nodiscard]] virtual bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title);
  [[nodiscard]] virtual bool CreateByStringID(CDialogWindow* owner, UInt32 id, const Rect* bounds, UInt32 stringNumber);
  [[nodiscard]] virtual bool Attach(UInt32 signature, WindowRef* window, SInt32 number);
  virtual bool Destroy();
  [[nodiscard]] virtual bool OnAttach();
  virtual bool GetBounds(Rect* out);
  virtual bool GetPosition(int* left, int* top);
  virtual bool Move(short left, short top);
  virtual int GetLeft();
  virtual bool SetLeft(short left);
  virtual int GetTop();
  virtual bool SetTop(short top);
  virtual bool GetSize(int* width, int* height);
  virtual bool SetSize(short width, short height);
  virtual int GetWidth();
  virtual bool SetWidth(short width);
  virtual int GetHeight();
  virtual bool SetHeight(short height);
  virtual bool Redraw();
  [[nodiscard]] virtual bool Enable(bool enable);
  [[nodiscard]] virtual bool Disable();
  virtual bool Show(bool show);
  virtual bool Hide();
  virtual int GetClassConstant1();
  virtual int GetClassConstant2();
  virtual int GetClassConstant3();

  UInt32 GetID() const { return id_; }
  ControlRef* GetControlRefPtr() { return &control_; }
  ControlRef GetControlRef() const { return control_; }
  WindowRef GetOwnerWindow() const { return window_; }
  SInt32 GetNumber() const { return number_; }
  [[nodiscard]] OSStatus GetStatus() const { return status_; }
  [[nodiscard]] bool IsOwned() const { return owned_; }
  [[nodiscard]] bool EmbedIn(ControlRef parent);
  [[nodiscard]] bool SetFocus();
  [[nodiscard]] bool SetSmallSystemFont();
  [[nodiscard]] bool FinishCreate(CDialogWindow* owner, UInt32 id);

 protected:
  // The text of localized string n, empty when the table lacks it.
  static void LoadString(UInt32 stringNumber, char* out, size_t capacity);

  OSStatus status_ = noErr;
  UInt32 id_ = 0;
  SInt32 number_ = 0;
  ControlRef control_ = nullptr;
  WindowRef window_ = nullptr;
  bool owned_ = false;
};

// "#rrggbb" of a colour 0x00BBGGRR through snprintf into `size` bytes; the
// snprintf result.
int FormatColorHex(UInt32 colour, char* out, size_t size);
// Each channel moved by floor(percent * 0.01 * 127), kept within 0..255.
void AdjustColorBrightness(UInt32* colour, int percent);
// Colour 0x00BBGGRR to and from 16-bit channels.
RGBColor ColorToRGB(UInt32 colour);
UInt32 RGBToColor(const RGBColor& rgb);

[[nodiscard]] bool FindControlByID(UInt32 signature, WindowRef* window, ControlRef* out);
[[nodiscard]] bool AttachControlByID(UInt32 signature, WindowRef* window, CControl* control);
[[nodiscard]] bool DisposeControlRef(ControlRef* control);
[[nodiscard]] bool MoveControlRef(short left, short top, ControlRef* control);
[[nodiscard]] bool SizeControlRef(short width, short height, ControlRef* control);
[[nodiscard]] bool GetControlRefBounds(ControlRef* control, Rect* out);
[[nodiscard]] bool EnableControlRef(ControlRef* control, bool enable);
