// The packed data archive of a Windows screen saver (data_archive.h), as
// both Windows builds write it: the current one behind the Windows engine
// (CSaverBuilder::BuildScr), the first-generation one into a file of its
// own (CSaverProjectBuilder::BuildWindowsSaver). The records, in order:
//   an end marker;
//   the root item's movie, then each of its extra files, as named-file
//     records under their own names (sub-items are not packed);
//   the blank movie "__saver.swf" as a named-file record;
//   the players' settings document of the list as a settings record.
// The blank movie and the settings document are written into a staging
// folder of the application's work subfolder and deleted once packed.
//
// The output is written under a temporary name beside it and renamed over
// it only once complete, so a build that fails keeps the file that was
// there; a folder in its place is never replaced. Every failure leaves a
// problem (a status message with its texts) for the builder to report.
#pragma once

#include <string>
#include <vector>

#include "builders/output_files.h"
#include "builders/staging_folder.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CDataArchiveWriter;
class CSaverDataList;

// The name of the blank movie in the screen savers.
extern const char kSaverBlankMovieName[];

class CSaverArchive {
 public:
  // `settingsName`: the file the settings document is written into before
  // it is packed; no movie file may take that name either.
  CSaverArchive(CSaverDataList& list, const char* settingsName);
  CSaverArchive(const CSaverArchive&) = delete;
  CSaverArchive& operator=(const CSaverArchive&) = delete;

  // The whole output: `hostBytes` (none for an archive of its own), then
  // the archive. False with the problem when a file is missing or is a
  // folder (the archive holds files only), two files (or a file and the
  // blank movie, the settings document or the name the readers unpack the
  // settings under) would share one name, a name cannot be stored or is one
  // that Windows cannot hold, or the output cannot be written or put in
  // place.
  [[nodiscard]] bool Write(const CPathName& output, const std::vector<u8>& hostBytes);

  // The parts of Write. CheckFiles checks what the archive would hold
  // before anything is written: the files (CheckSources, which needs no
  // output folder yet), then the output's folder. Begin writes the host bytes under the
  // temporary name and opens `writer` on them with the end marker added;
  // Finish closes the writer and puts the file in place when `added` says
  // that every record went in. Each reports through the problem.
  [[nodiscard]] bool CheckFiles(const CPathName& output);
  [[nodiscard]] bool CheckSources(const CPathName& output);
  [[nodiscard]] bool Begin(const CPathName& output, const std::vector<u8>& hostBytes, CDataArchiveWriter& writer);
  [[nodiscard]] bool Finish(CDataArchiveWriter& writer, bool added);

  // The records after the end marker. Each returns false when it or the
  // writer failed; the problem is set for a failure of its own, a failure
  // of the writer is Finish's to tell.
  [[nodiscard]] bool AddMovieFiles(CDataArchiveWriter& writer);
  [[nodiscard]] bool AddSaverMovie(CDataArchiveWriter& writer);
  [[nodiscard]] bool AddSettings(CDataArchiveWriter& writer);

  // Why the last step failed (message 0: it has nothing to say).
  const COutputFileProblem& GetProblem() const { return problem; }

 private:
  [[nodiscard]] bool Fail(int message, const std::string& a = std::string(), const std::string& b = std::string(),
                          const std::string& c = std::string());

  CSaverDataList& list;
  std::string settingsName;
  CPathName output{nullptr};
  // The output under its temporary name, from Begin until Finish.
  CPendingFile pending;
  COutputFileProblem problem;
};

// Writes the blank movie of the screen savers at `path`: 320 x 240 pixels,
// 12 frames per second, version 6, a black background, one frame and an End
// tag. False, and no file left, when it cannot be written whole.
[[nodiscard]] bool WriteBlankSaverMovie(const CPathName& path);

// The problem that the failure of an archive or installer build stands
// for: `error` a result code of CArchiveWriteFailure or
// CInstallerBuilder::GetFailure, `path` and `otherPath` the files it
// concerns, `output` what was being built; `nameTakenMessage` is the text
// for two files of one name.
COutputFileProblem WriteFailureProblem(OSErr error, const CPathName& path, const CPathName& otherPath,
                                       const CPathName& output, int nameTakenMessage);
