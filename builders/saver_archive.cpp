#include "builders/saver_archive.h"

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/data_archive.h"
#include "builders/saver_data_list.h"
#include "builders/swf_item.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_file_writer.h"

const char kSaverBlankMovieName[] = "__saver.swf";

namespace {

// The name under which readers of the archive unpack the settings.
const char kUnpackedSettingsName[] = "fp.dat";

// The archive is read on Windows, and its named-file records hold files.
const COutputRules kArchiveRules{true, false};

COutputFileProblem Problem(int message, const std::string& a, const std::string& b = std::string(),
                           const std::string& c = std::string()) {
  return {message, a, b, c};
}

}  // namespace

CSaverArchive::CSaverArchive(CSaverDataList& saverList, const char* settingsFileName)
    : list(saverList), settingsName(settingsFileName ? settingsFileName : "") {}

bool CSaverArchive::Fail(int message, const std::string& a, const std::string& b, const std::string& c) {
  problem = {message, a, b, c};
  return false;
}

bool CSaverArchive::Write(const CPathName& outputPath, const std::vector<u8>& hostBytes) {
  CDataArchiveWriter writer;
  if (!CheckFiles(outputPath) || !Begin(outputPath, hostBytes, writer)) return false;
  const bool added = AddMovieFiles(writer) && AddSaverMovie(writer) && AddSettings(writer);
  return Finish(writer, added);
}

bool CSaverArchive::CheckSources(const CPathName& outputPath) {
  problem = COutputFileProblem();
  // Names that the archive's other records take, or that a reader makes of them.
  std::vector<CNamedSource> reserved;
  for (const std::string& name : {std::string(kSaverBlankMovieName), settingsName, std::string(kUnpackedSettingsName)})
    reserved.push_back({name, CPathName(ShownPath(outputPath) + "/" + name)});
  std::vector<CNamedSource> files;
  return CollectItemFiles(list.GetRootItem(), false, false, reserved, kNameTakenMessage, files, problem,
                          kArchiveRules);
}

bool CSaverArchive::CheckFiles(const CPathName& outputPath) {
  if (!CheckSources(outputPath)) return false;
  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(outputPath, outputFolder)) return Fail(kNoOutputFolderMessage, ShownPath(outputPath));
  return true;
}

bool CSaverArchive::Begin(const CPathName& outputPath, const std::vector<u8>& hostBytes, CDataArchiveWriter& writer) {
  problem = COutputFileProblem();
  output = outputPath;
  if (!pending.Begin(output)) return Fail(kCannotWriteMessage, ShownPath(output));
  if (!hostBytes.empty() && !OverwriteFileContents(pending.GetPath(), hostBytes.data(), hostBytes.size()))
    return Fail(kCannotWriteMessage, ShownPath(output));
  if (!writer.Open(pending.GetPath())) return Fail(kCannotWriteMessage, ShownPath(output));
  writer.Add(new CDataArchiveItem(), true);
  if (writer.HasFailed()) return Finish(writer, false);
  return true;
}

bool CSaverArchive::Finish(CDataArchiveWriter& writer, bool added) {
  const bool closed = writer.Close();
  if (!added || !closed) {
    // A step that failed on its own has said why.
    if (writer.HasFailed()) {
      const CArchiveWriteFailure& failure = writer.GetFailure();
      // A failure of the archive file itself is the output's.
      const bool ownFile = failure.path.IsEmpty() || failure.path.IsSameAs(pending.GetPath());
      OSErr error = failure.error;
      if (ownFile && error != dupFNErr && error != bdNamErr && error != fnfErr) error = wrPermErr;
      problem = WriteFailureProblem(error, ownFile ? output : failure.path, failure.otherPath, output,
                                    kNameTakenMessage);
    }
    pending.Discard();
    return false;
  }
  OSErr error = noErr;
  if (!pending.Commit(&error))
    return Fail(error == fBsyErr ? kFolderNotReplacedMessage : kCannotPlaceMessage, ShownPath(output));
  return true;
}

bool CSaverArchive::AddMovieFiles(CDataArchiveWriter& writer) {
  std::vector<CNamedSource> files;
  if (!CollectItemFiles(list.GetRootItem(), false, false, {}, kNameTakenMessage, files, problem, kArchiveRules))
    return false;
  for (const CNamedSource& file : files) {
    auto* item = new CDataArchiveNamedFileItem;
    item->SetPath(file.path);
    writer.Add(item, true);
    if (writer.HasFailed()) return false;
  }
  return true;
}

bool CSaverArchive::AddSaverMovie(CDataArchiveWriter& writer) {
  // Written in a staging folder of its own, deleted once packed.
  CStagingFolder staging;
  CPathName movie(nullptr);
  if (!staging.Create() || !staging.GetItem(kSaverBlankMovieName, movie)) return Fail(kNoWorkFolderMessage);
  if (!WriteBlankSaverMovie(movie)) return Fail(kCannotWriteMessage, ShownPath(movie));
  auto* item = new CDataArchiveNamedFileItem;
  item->SetPath(movie);
  writer.Add(item, true);
  return !writer.HasFailed();
}

bool CSaverArchive::AddSettings(CDataArchiveWriter& writer) {
  CStagingFolder staging;
  CPathName settings(nullptr);
  if (!staging.Create() || !staging.GetItem(settingsName.c_str(), settings)) return Fail(kNoWorkFolderMessage);
  if (!list.WriteSettingsFile(settings)) return Fail(kCannotWriteMessage, ShownPath(settings));
  auto* item = new CDataArchiveSettingsItem;
  item->SetPath(settings);
  writer.Add(item, true);
  return !writer.HasFailed();
}

bool WriteBlankSaverMovie(const CPathName& path) {
  CSwfFileWriter writer(false);
  writer.SetParams(6400, 4800, 12.0f, 6);
  if (!writer.Open(path, true)) return false;
  bool written = writer.WriteTag(new CSwfSetBackgroundColor(0, 0, 0), false) != 0;
  written = writer.WriteTag(new CSwfShowFrame, false) != 0 && written;
  written = writer.WriteTag(new CSwfEnd, false) != 0 && written;
  if (writer.Close() != 0 && written) return true;
  // A movie that could not be written whole is not left behind.
  static_cast<void>(path.Delete());
  return false;
}

COutputFileProblem WriteFailureProblem(OSErr error, const CPathName& path, const CPathName& otherPath,
                                       const CPathName& output, int nameTakenMessage) {
  switch (error) {
    case dupFNErr:
      return Problem(nameTakenMessage, path.GetName(false), ShownPath(otherPath), ShownPath(path));
    case bdNamErr:
      return Problem(kBadNameMessage, ShownPath(path.IsEmpty() ? output : path));
    case fnfErr:
      return Problem(kFileMissingMessage, ShownPath(path));
    case fBsyErr:
      return Problem(kFolderNotReplacedMessage, ShownPath(output));
    case dirNFErr:
      return Problem(kNoOutputFolderMessage, ShownPath(output));
    case ioErr:
    case memFullErr:
      return Problem(kCannotReadMessage, ShownPath(path));
    case wrPermErr:
      return Problem(kCannotWriteMessage, ShownPath(output));
    default:
      // A copy that failed: of the finished output into place, or of a file into the output.
      if (path.IsSameAs(output)) return Problem(kCannotPlaceMessage, ShownPath(output));
      return Problem(kCannotCopyIntoMessage, ShownPath(path), OutputItemName(output));
  }
}
