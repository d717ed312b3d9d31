// CStaticText: a line of text (status texts, labels, numbers); its plain
// setter is the progress sink the output builders write into.
// CProgressBar: a determinate bar.
#pragma once

#include <cstddef>
#include <string>

#include "ui/control.h"

class CStaticText : public CControl {
 public:
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* text) override;
  [[nodiscard]] bool CreateByStringID(CDialogWindow* owner, UInt32 id, const Rect* bounds, UInt32 stringNumber) override;
  int GetClassConstant1() override;

  // The text's bytes (no terminator) become the control's text; false, the
  // control unchanged, when the control refuses the data.
  [[nodiscard]] bool SetText(const char* text, bool redraw);
  // The same, with the text as the terminal shows it (UTF-8) for the
  // listener: it names what Mac Roman cannot hold, which `text` gives as '?'.
  [[nodiscard]] bool SetText(const char* text, const std::string& hostText, bool redraw);
  [[nodiscard]] bool Clear(bool redraw);
  [[nodiscard]] bool SetPascalText(const unsigned char* text, bool redraw);
  [[nodiscard]] bool SetTextByStringID(UInt32 stringNumber, bool redraw);
  [[nodiscard]] bool SetInt(int value, bool redraw);
  [[nodiscard]] bool SetFloat(double value, int width, int precision, bool redraw);
  [[nodiscard]] bool SetFormatted(bool redraw, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Copies at most *size - 1 bytes of the text and a terminator into the
  // buffer; *size becomes the number of text bytes copied. False when there
  // is no room at all or the control has no text data.
  [[nodiscard]] bool GetText(char* buffer, size_t* size);
};

// Called with every text that SetText gives a static text control, as the
// terminal shows it (UTF-8) (null: nobody listens). The command line prints
// the status texts of a build this way.
typedef void (*StaticTextListener)(ControlRef control, const char* hostText);
void SetStaticTextListener(StaticTextListener listener);

// A static text made from left, top, width and height, with no wrapper.
[[nodiscard]] OSStatus CreateStaticTextControlAt(WindowRef window, short left, short top, short width, short height,
                                   const char* text, ControlRef* outControl);

class CProgressBar : public CControl {
 public:
  [[nodiscard]] bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override;

  [[nodiscard]] bool SetValue(SInt32 value, bool redraw);
  SInt32 GetValue();
  [[nodiscard]] bool SetRange(SInt16 minimum, SInt16 maximum, bool redraw);
  SInt16 GetMinimum();
  SInt16 GetMaximum();
  [[nodiscard]] bool GetRange(SInt16* minimum, SInt16* maximum);
  [[nodiscard]] bool SetToMaximum();
  [[nodiscard]] bool Increment();
  [[nodiscard]] bool Decrement();
};
