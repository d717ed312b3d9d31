#include "app/splash_dialog.h"

#include <cstdio>
#include <cstring>

#include "foundation/drawing.h"
#include "foundation/file_bytes.h"
#include "foundation/png_image.h"
#include "foundation/resource_file.h"

namespace {

constexpr ResType kPictureType = FourCC("GfXX");
// A splash picture file is read whole; a larger one is no picture of ours.
constexpr u64 kMaxPictureBytes = 16u << 20;
constexpr const char* kNoticeLines[2] = {"Made by Orrinvale.", "All rights reserved."};

void DrawLine(const char* text, int left, int top) { DrawTextAt(text, std::strlen(text), left, top); }

// Copies the picture into the window's port.
void PaintPicture(WindowRef window, GWorldPtr world) {
  if (!world || !plat::IsLiveWindow(window)) return;
  Rect source, destination;
  GetPortBounds(world, &source);
  CGrafPtr port = GetWindowPort(window);
  GetPortBounds(port, &destination);
  destination.right = short(destination.left + (source.right - source.left));
  destination.bottom = short(destination.top + (source.bottom - source.top));
  // A picture that cannot be copied leaves the window as it was.
  static_cast<void>(CopyBits(GetPortBitMapForCopyBits(world), GetPortBitMapForCopyBits(port), &source,
                             &destination, srcCopy, nullptr));
}

}  // namespace

std::vector<u8> LoadBundlePicture(SInt16 number) {
  std::vector<u8> bytes;
  Handle resource = nullptr;
  long size = 0;
  if (!LoadMainResource(kPictureType, number, &resource, &size)) return bytes;
  if (resource && *resource && size > 0) bytes.assign(reinterpret_cast<u8*>(*resource), reinterpret_cast<u8*>(*resource) + size);
  ReleaseMainResource(&resource);
  return bytes;
}

bool DrawVersionPicture(const std::vector<u8>& png, int major, int minor, int left, int top, GWorldPtr* world) {
  *world = nullptr;
  CPngImage picture;
  if (png.empty() || !picture.DecodeFromMemory(png.data(), png.size())) return false;
  if (!NewOffscreenGWorld(world, int(picture.GetWidth()), int(picture.GetHeight()), 32)) return false;
  if (!picture.DrawToGWorld(*world, 0, 0)) {
    DisposeOffscreenGWorld(world);
    return false;
  }
  CGrafPtr saved = nullptr;
  GetGWorld(&saved);
  SetGWorld(*world);
  TextFont(0);
  TextSize(10);
  char version[64];
  std::snprintf(version, sizeof(version), "Version %d.%03d", major, minor);
  DrawLine(version, left, top);
  DrawLine(kNoticeLines[0], left, top + 14);
  DrawLine(kNoticeLines[1], left, top + 28);
  SetGWorld(saved);
  return true;
}

// ---------------------------------------------------------------------------
// The picture windows

CPictureDialog::~CPictureDialog() {
  Destroy();
  DisposeOffscreenGWorld(&world_);
}

bool CPictureDialog::OnPaint() {
  PaintPicture(GetWindowRef(), world_);
  return true;
}

bool CPictureDialog::DrawPicture(const std::vector<u8>& png, int major, int minor, int left, int top) {
  DisposeOffscreenGWorld(&world_);
  return DrawVersionPicture(png, major, minor, left, top, &world_);
}

bool CSplashDialog::OnInit() {
  // A window that cannot be centred opens where its layout puts it.
  static_cast<void>(CenterOnMainScreen(nullptr));
  std::vector<u8> png;
  // A picture that cannot be read draws nothing, and the result says so.
  if (!parameters_.picturePath.empty()) {
    if (!ReadWholeFile(CPathName(parameters_.picturePath), png, kMaxPictureBytes)) png.clear();
  } else
    png = LoadBundlePicture(128);
  return DrawPicture(png, parameters_.versionMajor, parameters_.versionMinor, parameters_.textLeft,
                     parameters_.textTop);
}

void CSplashDialog::SetStatus(const char* text) {
  OnPaint();
  CGrafPtr port = GetWindowPort(GetWindowRef());
  if (!port || !text) return;
  CGrafPtr saved = nullptr;
  GetGWorld(&saved);
  SetGWorld(port);
  TextFont(0);
  TextSize(10);
  DrawLine(text, parameters_.textLeft, parameters_.textTop);
  SetGWorld(saved);
}

bool CAboutDialog::OnInit() {
  // A box that cannot be centred opens where its layout puts it, and one
  // without its picture still has its buttons.
  static_cast<void>(CenterOnMainScreen(nullptr));
  static_cast<void>(DrawPicture(LoadBundlePicture(parameters_.pictureResource), parameters_.versionMajor,
                                parameters_.versionMinor, parameters_.textLeft, parameters_.textTop));
  OnPaint();
  return true;
}

bool CAboutDialog::OnCommand(UInt32 command, EventRef*) {
  if (command != kHICommandOK && command != kHICommandCancel) return false;
  EndDialog(SInt32(command));
  return true;
}
