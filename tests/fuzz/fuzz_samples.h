// Sample data for the seeds of the fuzz targets, made by our own code.
#pragma once

#include <string>
#include <vector>

#include "builders/saver_data_list.h"
#include "foundation/path_name.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_movie_builder.h"
#include "tests/fuzz/fuzz_support.h"

namespace gbfuzz {

// A small movie file (550 x 400 pixels, one frame) at the host path.
inline void WriteSampleMovie(const std::string& hostPath) {
  CSwfMovieBuilder builder;
  builder.SetParams(11000, 8000, 12, 6);
  builder.AddTag(new CSwfSetBackgroundColor(u8(0x20), u8(0x40), u8(0x80)));
  builder.AddTag(new CSwfShowFrame);
  std::vector<u8> movie;
  Check(builder.BuildMovie(movie, nullptr) != 0, "a sample movie cannot be built");
  Check(WriteHostFile(hostPath, movie.data(), movie.size()), "a sample movie cannot be written");
}

// A project with every kind of value set: outputs, names, installer texts,
// the movie "clip.swf" of the folder (written here), extra files and a
// sub-item.
inline void FillSampleProject(CSaverDataList& list, const std::string& folder) {
  WriteSampleMovie(folder + "clip.swf");
  WriteHostFile(folder + "ReadMe.txt", std::string("Read me\r\nfirst\n"));
  list.Reset();
  list.SetName("Aquarium <&> \"fish\" \xA9");
  list.SetOutputFolder(CPathName(folder + "out/"));
  list.SetOutputMacUniversal(true);
  list.SetOutputWin(true);
  list.SetOutputMacUniversalInstaller(true);
  list.SetOutputWinInstaller(true);
  list.SetInstallerHasReadMe(true);
  list.SetInstallerReadMe(CPathName(folder + "ReadMe.txt"));
  list.SetExitOnMouseMove(true);
  list.SetExitOnKeyPress(true);
  list.SetInstallerType(kInstallerTypeQuiet);
  list.SetDoAfterInstall(kDoAfterInstallOpenSaverPanel);
  list.SetHideMouseCursor(true);
  CSwfItem* root = list.GetRootItem();
  Check(root->SetSwfFile(CPathName(folder + "clip.swf")), "the sample movie is refused");
  root->SetWindowTitle("Fish & chips");
  root->SetFlashQuality(2);
  root->SetUseFlashBgColor(true);
  root->SetFlashBgColor(0x00336699);
  root->AddMoreFile(CPathName(folder + "ReadMe.txt"));
  CSwfItem* sub = root->AddSubItem();
  Check(sub->SetSwfFile(CPathName(folder + "clip.swf")), "the sample movie is refused");
  sub->SetWindowName("second");
}

}  // namespace gbfuzz
