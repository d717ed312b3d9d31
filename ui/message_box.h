// Message boxes: every message, question and error of the system, as a
// standard alert, or as a sheet when a parent window is given.
//
// The caller picks one button set and at most one icon by flag bits, gives a
// title and a printf-style text (or their numbers in the localized string
// table) and gets one of three answers: kAnswerOk (the default button),
// kAnswerCancel (the cancel button, or any failure) and kAnswerNo (the third
// button; the No button of the Yes/No set).
#pragma once

#include "platform/carbon_events.h"

enum : UInt32 {
  kBoxOk = 1,
  kBoxOkCancel = 2,
  kBoxRetryCancel = 4,
  kBoxYesNo = 8,
  kBoxYesCancelNo = 16,
  kBoxSaveCancelDontSave = 32,
  kBoxRetryIgnoreAbort = 64,
  kBoxIconStop = 256,
  kBoxIconCaution = 512,
  kBoxIconNote = 1024,
};

constexpr UInt32 kAnswerOk = FourCC("ok  ");
constexpr UInt32 kAnswerCancel = FourCC("not!");
constexpr UInt32 kAnswerNo = FourCC("No!!");

// Formats the text once (the result is shown as it stands, '%' included).
UInt32 ShowMessageBox(WindowRef parent, UInt32 flags, const char* title, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
UInt32 ShowNoteBox(WindowRef parent, const char* title, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
UInt32 ShowCautionBox(WindowRef parent, const char* title, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
UInt32 ShowStopBox(WindowRef parent, const char* title, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
UInt32 ShowErrorCodeBox(WindowRef parent, int code);
// The loaded text is the format of the arguments.
UInt32 ShowMessageBoxById(WindowRef parent, UInt32 flags, UInt32 titleNumber, UInt32 textNumber, ...);
UInt32 ShowStopBoxById(WindowRef parent, UInt32 titleNumber, UInt32 textNumber, ...);
UInt32 ShowCautionBoxById(WindowRef parent, UInt32 titleNumber, UInt32 textNumber, ...);
UInt32 ShowNoteBoxById(WindowRef parent, UInt32 titleNumber, UInt32 textNumber, ...);
// A sheet on the parent (the front window when null); the call returns once
// a button was pressed.
UInt32 ShowMessageSheet(WindowRef parent, UInt32 flags, const char* title, const char* text);
[[nodiscard]] bool InitToolbox();
