// Pop-up buttons over a menu reached through the control's 'mhan' data:
// CPopupButton (creates its control and menu, or attaches to a nib control),
// CNibPopupButton (nib controls only, Pascal item texts) and CComboBox (an
// edit field with a 32-pixel pop-up at its right). Item indexes are 0-based;
// the control value is the 1-based item number (0 or less: nothing chosen).
#pragma once

#include <cstddef>

#include "ui/buttons.h"
#include "ui/control.h"

class CPopupButton : public CControl {
 public:
  ~CPopupButton() override;
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override;
  [[nodiscard]] bool OnAttach() override;
  bool Destroy() override;

  int AppendItem(const char* text);
  int AppendItemByStringID(UInt32 stringNumber);
  int AppendSeparator();
  int InsertItem(const char* text, int index);
  int InsertItemByStringID(UInt32 stringNumber, int index);
  int DeleteItem(int index);
  [[nodiscard]] bool DeleteLastItem();
  [[nodiscard]] bool RemoveAllItems();
  int GetItemCount();
  int FindItem(const char* text);
  // The chosen item's index, -1 when none. With a buffer and wantText the
  // item's text is copied there, cut to size - 1 bytes (at most 255).
  int GetSelection(char* textOut, bool wantText, size_t size = 256);
  [[nodiscard]] bool SetSelection(int index);
  [[nodiscard]] bool SetCheckCurrent(bool check);

 private:
  MenuRef ownedMenu_ = nullptr;
  EventHandlerUPP handlerUpp_ = nullptr;
  EventHandlerRef handler_ = nullptr;
};

class CNibPopupButton : public CControl {
 public:
  [[nodiscard]] bool AppendItem(const char* text);
  [[nodiscard]] bool InsertItem(const char* text, int index);
  [[nodiscard]] bool DeleteItem(int index);
  [[nodiscard]] bool RemoveAllItems();
  int GetItemCount();
  int GetSelection(char* textOut, bool wantText, size_t size = 256);
  [[nodiscard]] bool SetSelection(int index);
};

class CComboBox : public CControl {
 public:
  ~CComboBox() override;
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override;
  [[nodiscard]] bool OnAttach() override;
  bool Destroy() override;
  [[nodiscard]] bool AttachEdit(UInt32 signature);

  int AppendItem(const char* text);
  int AppendSeparator();
  int InsertItem(const char* text, int index);
  int InsertItemByStringID(UInt32 stringNumber, int index);
  int DeleteItem(int index);
  [[nodiscard]] bool RemoveAllItems();
  int GetItemCount();
  int GetSelection();
  [[nodiscard]] bool SetSelection(int index);
  [[nodiscard]] bool SetCheckCurrent(bool check);

  [[nodiscard]] bool SetText(const char* text, bool redraw);
  [[nodiscard]] bool SetNumber(int value, bool redraw);
  [[nodiscard]] bool SetTextF(bool redraw, const char* format, ...) __attribute__((format(printf, 3, 4)));
  [[nodiscard]] bool SetDouble(double value, int width, int precision, bool redraw);
  [[nodiscard]] bool Clear(bool redraw);
  int GetNumber();
  double GetDouble();

  bool Redraw() override;
  [[nodiscard]] bool Enable(bool enable) override;
  [[nodiscard]] bool Disable() override;
  bool Show(bool show) override;
  bool Hide() override;
  bool GetBounds(Rect* out) override;
  bool GetPosition(int* left, int* top) override;
  bool Move(short left, short top) override;
  int GetLeft() override;
  bool SetLeft(short left) override;
  int GetTop() override;
  bool SetTop(short top) override;
  bool GetSize(int* width, int* height) override;
  bool SetSize(short width, short height) override;
  int GetWidth() override;
  bool SetWidth(short width) override;
  int GetHeight() override;
  bool SetHeight(short height) override;

  CEditText& GetEdit() { return edit_; }
  // The signature of the member edit: the ID with 'e' as its first byte.
  static UInt32 EditSignature(UInt32 id) { return (id & 0x00FFFFFF) | 0x65000000; }

 private:
  [[nodiscard]] static OSStatus HandleHit(EventHandlerCallRef call, EventRef event, void* object);
  [[nodiscard]] bool InstallHitHandler();
  void TakeChosenText();

  CEditText edit_;
  MenuRef menu_ = nullptr;
  MenuRef ownedMenu_ = nullptr;
  EventHandlerUPP handlerUpp_ = nullptr;
  EventHandlerRef handler_ = nullptr;
};
