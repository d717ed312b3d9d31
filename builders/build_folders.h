// CBuildFolders: the template folders of one build, laid out under the
// application bundle's resource folder "ss_data":
//
//   0  Mac engine folder       ss        (its sub-folders p, i, u by architecture)
//   1  Windows engine folder   ss        (w/ssdt.dat)
//   2  third engine folder     ss        (laid out, not read by the builders)
//   3  Mac installer stub      ssin/u
//   4  Windows installer stub  ssin/w
//   5  Linux installer stub    ssin/l    (not read by the builders)
#pragma once

#include "foundation/path_name.h"

// Architectures of the Mac outputs; the builds make the universal form.
enum : int {
  kArchitecturePpc = 0,
  kArchitectureIntel = 1,
  kArchitectureUniversal = 2,
};

class CBuildFolders {
 public:
  enum : int {
    kMacEngineFolder = 0,
    kWinEngineFolder = 1,
    kThirdEngineFolder = 2,
    kMacInstallerFolder = 3,
    kWinInstallerFolder = 4,
    kLinuxInstallerFolder = 5,
    kFolderCount = 6,
  };

  CBuildFolders();

  // Lays the six folders out under `base` as in the table above; each ends
  // in its separator.
  void SetBaseFolder(const CPathName& base);
  void Assign(const CBuildFolders& other);

  // An empty path for an index outside 0..5.
  const CPathName& GetFolder(int index) const;
  // The Mac engine folder of an architecture: folder 0 + "p", "i" or "u";
  // empty for any other architecture number.
  CPathName GetMacEngineFolder(int architecture) const;

 private:
  CPathName folders[kFolderCount];
};
