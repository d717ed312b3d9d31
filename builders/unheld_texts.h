// Names and paths of a project file that the application-wide encoding
// (Mac Roman) cannot hold. The XML reader gives a '?' for every character
// that has no Mac Roman form; the readers of the project elements note the
// names and paths that lost one, so that the check before a build refuses
// them rather than build outputs under other names or from other files,
// and names them as the file wrote them.
#pragma once

#include <string>
#include <vector>

struct CUnheldText {
  std::string attribute;
  // What the model holds of it: a '?' for each character it cannot hold.
  std::string held;
  // The text as the file wrote it (UTF-8).
  std::string host;
  bool isPath = false;
};

using CUnheldTexts = std::vector<CUnheldText>;
