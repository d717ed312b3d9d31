// The splash window shown while the application starts ("IDD_SPLASH") and
// the About box ("IDD_ABOUT"): the bundle's picture with the version and the
// maker's notice drawn on it.
#pragma once

#include <string>

#include "platform/gworld.h"
#include "ui/dialog_window.h"

struct CSplashParameters {
  int versionMajor = 2;
  int versionMinor = 6;
  int textLeft = 10;
  int textTop = 20;
  std::string picturePath;  // a PNG file; empty: the bundle's picture
};

struct CAboutParameters {
  SInt16 pictureResource = 128;
  int versionMajor = 2;
  int versionMinor = 6;
  int textLeft = 10;
  int textTop = 60;
};

// Draws the PNG picture into a new 32-bit offscreen world of its size with
// "Version <major>.<minor, three digits>" at (left, top) and the two notice
// lines below it. False, *world null, when the picture cannot be decoded.
[[nodiscard]] bool DrawVersionPicture(const std::vector<u8>& png, int major, int minor, int left, int top, GWorldPtr* world);
// The picture 'GfXX' `number` of the bundle's "main.rsrc"; empty when missing.
std::vector<u8> LoadBundlePicture(SInt16 number);

// A window that shows one drawn picture.
class CPictureDialog : public CDialogWindow {
 public:
  ~CPictureDialog() override;
  // Copies the picture into the window.
  bool OnPaint() override;
  GWorldPtr GetPicture() const { return world_; }

 protected:
  // Draws the picture anew (see DrawVersionPicture); false when it cannot be.
  [[nodiscard]] bool DrawPicture(const std::vector<u8>& png, int major, int minor, int left, int top);

  GWorldPtr world_ = nullptr;
};

class CSplashDialog : public CPictureDialog {
 public:
  CSplashParameters& GetParameters() { return parameters_; }
  // Centred, with the picture drawn; false when the picture is missing or
  // cannot be decoded (the window then stays blank).
  bool OnInit() override;
  // Draws a status text at the text position over the picture.
  void SetStatus(const char* text);

 private:
  CSplashParameters parameters_;
};

class CAboutDialog : public CPictureDialog {
 public:
  CAboutParameters& GetParameters() { return parameters_; }
  bool OnInit() override;
  bool OnCommand(UInt32 command, EventRef* event) override;

 private:
  CAboutParameters parameters_;
};
