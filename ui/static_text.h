// CStaticText: a line of text (status texts, labels, numbers); its plain
// setter is the progress sink the output builders write into.
// CProgressBar: a determinate bar.
#pragma once

#include <cstddef>

#include "ui/control.h"

class CStaticText : public CControl {
 public:
  bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* text) override;
  bool CreateByStringID(CDialogWindow* owner, UInt32 id, const Rect* bounds, UInt32 stringNumber) override;
  int GetClassConstant1() override;

  // The text's bytes (no terminator) become the control's text; false, the
  // control unchanged, when the control refuses the data.
  bool SetText(const char* text, bool redraw);
  bool Clear(bool redraw);
  bool SetPascalText(const unsigned char* text, bool redraw);
  bool SetTextByStringID(UInt32 stringNumber, bool redraw);
  bool SetInt(int value, bool redraw);
  bool SetFloat(double value, int width, int precision, bool redraw);
  bool SetFormatted(bool redraw, const char* format, ...) __attribute__((format(printf, 3, 4)));
  // Copies at most *size - 1 bytes of the text and a terminator into the
  // buffer; *size becomes the number of text bytes copied. False when there
  // is no room at all or the control has no text data.
  bool GetText(char* buffer, size_t* size);
};

// Called with every text that SetText gives a static text control (null:
// nobody listens). The command line prints the status texts of a build
// this way.
typedef void (*StaticTextListener)(ControlRef control, const char* text);
void SetStaticTextListener(StaticTextListener listener);

// A static text made from left, top, width and height, with no wrapper.
OSStatus CreateStaticTextControlAt(WindowRef window, short left, short top, short width, short height,
                                   const char* text, ControlRef* outControl);

class CProgressBar : public CControl {
 public:
  bool Create(CDialogWindow* owner, UInt32 id, const Rect* bounds, const char* title) override;

  bool SetValue(SInt32 value, bool redraw);
  SInt32 GetValue();
  bool SetRange(SInt16 minimum, SInt16 maximum, bool redraw);
  SInt16 GetMinimum();
  SInt16 GetMaximum();
  bool GetRange(SInt16* minimum, SInt16* maximum);
  bool SetToMaximum();
  bool Increment();
  bool Decrement();
};
