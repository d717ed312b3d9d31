// Fixtures of the project-model tests: movie files made with the engine's
// own header writer and compression, and project elements written to and
// read from files.
#pragma once

#include <string>
#include <vector>

#include "platform/mac_types.h"

class CDataList;

namespace modeltest {

struct MovieSpec {
  s32 xMin = 0, yMin = 0, xMax = 11000, yMax = 8000;  // twips: 550 x 400 pixels
  bool compressed = false;
  u32 padding = 0;  // bytes of an extra tag, to make the file longer
};

// The bytes of a movie with that frame, and an End tag.
std::vector<u8> MovieBytes(const MovieSpec& spec);
// Writes the movie at a host path; returns the path.
std::string WriteMovie(const std::string& path, const MovieSpec& spec = MovieSpec());

// The text that WriteXml writes for the list.
std::string ListXml(CDataList& list);
// Writes `text` into a file in `folder` (host path, ends in "/") and reads
// the file's root element into the list; the result of ReadXml.
bool ReadListXml(CDataList& list, const std::string& text, const std::string& folder);

// The settings document the list writes (the file is left at `path`).
std::string SettingsText(CDataList& list, const std::string& path);

}  // namespace modeltest
