// Names and paths of a project file that the application-wide encoding
// (Mac Roman) cannot hold. The XML reader gives a '?' for every character
// that has no Mac Roman form; the readers of the project elements note the
// names and paths that lost one, so that the check before a build refuses
// them rather than build outputs under other names or from other files,
// and names them as the file wrote them; a save writes each of them back as
// the file wrote it while the project still holds what was read of it.
#pragma once

#include <string>
#include <vector>

#include "foundation/xml_writer.h"

using CUnheldText = CXmlUnheldText;
using CUnheldTexts = std::vector<CUnheldText>;

class CPathName;

// The unheld text that the project still holds in a name or a path it uses:
// the names first, in their order, then the paths (a path compared with
// the held path as CPathName::IsSameAs compares them); null when none does.
// Takes time in proportion to the texts, however many there are.
[[nodiscard]] const CUnheldText* FindUnheldTextInUse(const CUnheldTexts& texts, const std::vector<std::string>& names,
                                                     const std::vector<CPathName>& paths);
