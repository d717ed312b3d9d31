// Project files (".gmx", type 'pGmx', creator 'Gmxv'): an XML document whose
// root element `glimmerbox` carries the version and holds the project's
// `flash_saver_datalist` element.
#pragma once

#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CSaverDataList;

constexpr OSType kProjectFileType = FourCC("pGmx");
constexpr OSType kProjectFileCreator = FourCC("Gmxv");
constexpr const char* kProjectExtension = "gmx";

// Outcomes of reading and writing; the failures are the numbers of the
// messages that tell the user.
enum : int {
  kProjectFileDone = 0,
  kProjectFileNotFound = 100,
  kProjectFileCannotOpen = 101,
  kProjectFileNotAProject = 102,
  kProjectFileCannotCreate = 103,
  kProjectFileWriteFailed = 104,
  kProjectFileUnreadEncoding = 108,
};

// Writes the project into a temporary file beside `path` and then puts it
// in the place of `path`, so that a failed save leaves the file that was
// there untouched (CFileReplacement: a link at `path` saves the file it
// leads to, which keeps its mode). kProjectFileCannotCreate when no file
// can be made there (`path` is a folder, or a link that leads nowhere),
// kProjectFileWriteFailed when the writing or the final rename failed.
// Names and paths read from a project file are written as that file wrote
// them (unheld_texts.h): a project opened and saved unchanged is saved to
// the same bytes.
[[nodiscard]] int WriteProjectFile(CSaverDataList& list, const CPathName& path);

// Reads a project into `list` (a list of its own, so that a refused file
// changes nothing of the project in use). kProjectFileCannotOpen when the
// file cannot be read or parsed, kProjectFileUnreadEncoding when it is in an
// encoding the reader does not read (`encoding`, when given, is set to that
// encoding's name), kProjectFileNotAProject when it holds no `glimmerbox`
// root with a `flash_saver_datalist` element, or that element is refused;
// the last list element of the file wins.
[[nodiscard]] int ReadProjectFile(const CPathName& path, CSaverDataList& list, std::string* encoding = nullptr);
