// Push buttons, check boxes and edit texts, as far as the application's
// dialogs use them.
#pragma once

#include <string>

#include "ui/control.h"

class CPushButton : public CControl {
 public:
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override;
  int GetClassConstant1() override;
};

class CCheckBox : public CPushButton {
 public:
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override;
  [[nodiscard]] bool SetCheck(bool checked, bool redraw);
  [[nodiscard]] bool GetCheck();
};

class CEditText : public CControl {
 public:
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* text) override;
  int GetClassConstant1() override;

  [[nodiscard]] bool SetText(const char* text, bool redraw);
  // The whole text, whatever its length; false (and `text` emptied) when the
  // control holds none to give.
  [[nodiscard]] bool GetText(std::string& text);
};
