// CSaverInstallerBuilder: the installer of a screen saver, in either form of
// CInstallerBuilder. It installs one item, the screen saver, into the
// current user's screen-saver folder, and supplies what is particular to a
// screen-saver installer: the installer executable, the bundle's
// "Info.plist" and "PkgInfo", and its resources.
//
// The bundle's Resources hold the template's localisation folders and
// "installer.icns", "splash.png" (the project's picture scaled to 300 x 200,
// else the template's default), "ReadMe.txt" and "License.txt" when the
// project has them, the settings file "icd0.dat", the install script
// "installer.dat" and its data files.
#pragma once

#include "builders/installer_builder.h"

class CSaverDataList;

class CSaverInstallerBuilder : public CInstallerBuilder {
 public:
  // The installer settings of the project: a quiet installer (any type but
  // standard) shows no steps and no picture, ReadMe or licence; a standard
  // one shows the two standard steps and those of the ReadMe and licence it
  // has, with its picture. The closing step runs when the project opens the
  // screen-saver panel after installing.
  void SetFromProject(const CSaverDataList& list);

  // Copies the template's "Installer" into the folder; false when it is
  // missing (fnfErr) or cannot be copied.
  [[nodiscard]] bool PutExecutable(const CPathName& macos, int arch) override;
  // The resources above, in that order; false at the first that cannot be
  // written (what is missing from the template or the project is left out).
  [[nodiscard]] bool FillResources(const CPathName& resources, int arch) override;
  [[nodiscard]] bool WriteInfoPlist(const CPathName& contents) override;
  // The eight bytes "APPLOxmk", no line end (type 'TEXT', creator four blanks).
  [[nodiscard]] bool WritePkgInfo(const CPathName& contents) override;
};
