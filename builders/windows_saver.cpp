// The Windows screen-saver step of CSaverBuilder: the Windows engine with
// a packed data archive behind it.
#include "builders/build_messages.h"
#include "builders/data_archive.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "builders/staging_folder.h"
#include "foundation/file_bytes.h"

namespace {

const char kEngineFolderName[] = "w";
const char kEngineName[] = "ssdt.dat";
const char kBlankMovieName[] = "__saver.swf";
const char kSettingsName[] = "ssc0.dat";
// The name under which readers of the archive unpack the settings.
const char kUnpackedSettingsName[] = "fp.dat";

}  // namespace

bool CSaverBuilder::BuildScr(const CPathName& output, CSaverDataList* list, bool overwrite) {
  dataList = list;
  if (!list) return Report(kNoProjectMessage);
  Report(kBuildingWinSaverMessage, OutputItemName(output));
  if (output.Exists()) {
    if (!overwrite) {
      Note(kOutputKeptMessage, Shown(output));
      return true;
    }
    // A single-file output never takes the place of a folder.
    if (output.IsFolder()) return Report(kFolderNotReplacedMessage, Shown(output));
  }
  const CPathName engineFolder = ChildPath(folders.GetFolder(CBuildFolders::kWinEngineFolder), kEngineFolderName);
  const CPathName engine = ChildPath(engineFolder, kEngineName);
  if (!IsRegularFile(engine)) return Report(kTemplateMissingMessage, Shown(engine));

  // What the archive would hold is checked before anything is written.
  std::vector<CNamedSource> files;
  std::vector<CNamedSource> reserved;
  for (const char* name : {kBlankMovieName, kSettingsName, kUnpackedSettingsName})
    reserved.push_back({name, CPathName(Shown(output) + "/" + name)});
  if (!CollectMovieFiles(list->GetRootItem(), false, reserved, files)) return false;

  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(output, outputFolder)) return Report(kNoOutputFolderMessage, Shown(output));
  CPendingFile pending;
  if (!pending.Begin(output)) return Report(kCannotWriteMessage, Shown(output));
  std::vector<u8> engineBytes;
  if (!ReadWholeFile(engine, engineBytes)) return Report(kCannotReadMessage, Shown(engine));
  if (!OverwriteFileContents(pending.GetPath(), engineBytes.data(), engineBytes.size())) return Report(kCannotWriteMessage, Shown(output));

  CDataArchiveWriter writer;
  if (!writer.Open(pending.GetPath())) return Report(kCannotWriteMessage, Shown(output));
  writer.Add(new CDataArchiveItem(), true);
  const bool added = !writer.HasFailed() && AddMovieFilesToArchive(writer) && AddSaverMovieToArchive(writer) &&
                     AddSettingsToArchive(writer);
  const bool closed = writer.Close();
  if (!added || !closed) {
    if (!writer.HasFailed()) return false;  // the step that failed has said why
    const CArchiveWriteFailure& failure = writer.GetFailure();
    // A failure of the archive file itself is the output's.
    const bool ownFile = failure.path.IsEmpty() || failure.path.IsSameAs(pending.GetPath());
    OSErr error = failure.error;
    if (ownFile && error != dupFNErr && error != bdNamErr && error != fnfErr) error = wrPermErr;
    return ReportWriteFailure(error, ownFile ? output : failure.path, failure.otherPath, output, kNameTakenMessage);
  }
  OSErr error = noErr;
  if (!pending.Commit(&error))
    return Report(error == fBsyErr ? kFolderNotReplacedMessage : kCannotPlaceMessage, Shown(output));
  return true;
}

bool CSaverBuilder::AddMovieFilesToArchive(CDataArchiveWriter& writer) {
  if (!dataList) return Report(kNoProjectMessage);
  std::vector<CNamedSource> files;
  if (!CollectMovieFiles(dataList->GetRootItem(), false, {}, files)) return false;
  for (const CNamedSource& file : files) {
    auto* item = new CDataArchiveNamedFileItem;
    item->SetPath(file.path);
    writer.Add(item, true);
    if (writer.HasFailed()) return false;
  }
  return true;
}

bool CSaverBuilder::AddSaverMovieToArchive(CDataArchiveWriter& writer) {
  // The blank movie is written in a staging folder of its own, deleted once packed.
  CStagingFolder staging;
  CPathName movie(nullptr);
  if (!staging.Create() || !staging.GetItem(kBlankMovieName, movie)) return Report(kNoWorkFolderMessage);
  if (!WriteSaverMovie(movie)) return Report(kCannotWriteMessage, Shown(movie));
  auto* item = new CDataArchiveNamedFileItem;
  item->SetPath(movie);
  writer.Add(item, true);
  return !writer.HasFailed();
}

bool CSaverBuilder::AddSettingsToArchive(CDataArchiveWriter& writer) {
  if (!dataList) return Report(kNoProjectMessage);
  CStagingFolder staging;
  CPathName settings(nullptr);
  if (!staging.Create() || !staging.GetItem(kSettingsName, settings)) return Report(kNoWorkFolderMessage);
  if (!dataList->WriteSettingsFile(settings)) return Report(kCannotWriteMessage, Shown(settings));
  auto* item = new CDataArchiveSettingsItem;
  item->SetPath(settings);
  writer.Add(item, true);
  return !writer.HasFailed();
}
