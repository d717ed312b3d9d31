// CStagingFolder: a fresh folder of one build step's own in the work folder,
// for what the step assembles before it is put in place (a bundle, the
// temporary files of an archive). It is deleted with everything in it when
// the step ends, however it ends, so nothing is left in the work folder.
#pragma once

#include "foundation/path_name.h"

class CStagingFolder {
 public:
  CStagingFolder() = default;
  ~CStagingFolder() { Remove(); }
  CStagingFolder(const CStagingFolder&) = delete;
  CStagingFolder& operator=(const CStagingFolder&) = delete;

  // Makes a new folder of a free name in the application's subfolder of the
  // work folder (the work folder itself when no subfolder is named); false
  // when none can be made.
  bool Create();
  // The folder (ends in "/"); empty before Create.
  const CPathName& GetPath() const { return path_; }
  // `name` inside the folder; false when the folder was not made or the
  // name is not one item's name.
  bool PathOf(const char* name, CPathName& path) const;
  // Deletes the folder with its contents; true when it is gone.
  bool Remove();

 private:
  CPathName path_{nullptr};
};
