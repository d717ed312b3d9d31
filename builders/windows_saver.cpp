// The Windows screen-saver step of CSaverBuilder: the Windows engine with
// a packed data archive behind it (saver_archive.h).
#include "builders/build_messages.h"
#include "builders/data_archive.h"
#include "builders/saver_archive.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "foundation/file_bytes.h"

namespace {

const char kEngineFolderName[] = "w";
const char kEngineName[] = "ssdt.dat";
const char kSettingsName[] = "ssc0.dat";

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
  CSaverArchive archive(*list, kSettingsName);
  if (!archive.CheckFiles(output)) return ReportProblem(archive.GetProblem());
  std::vector<u8> engineBytes;
  if (!ReadWholeFile(engine, engineBytes)) return Report(kCannotReadMessage, Shown(engine));
  CDataArchiveWriter writer;
  if (!archive.Begin(output, engineBytes, writer)) return ReportProblem(archive.GetProblem());
  const bool added = AddMovieFilesToArchive(writer) && AddSaverMovieToArchive(writer) && AddSettingsToArchive(writer);
  if (!archive.Finish(writer, added)) return ReportProblem(archive.GetProblem());
  return true;
}

bool CSaverBuilder::CheckWindowsFiles(CSaverDataList& list) {
  // The output's path names the reserved records in messages.
  CPathName output(nullptr);
  if (!list.GetWinOutputPath(output)) output = CPathName(list.GetWinFileName());
  CSaverArchive archive(list, kSettingsName);
  return archive.CheckSources(output) || ReportProblem(archive.GetProblem());
}

bool CSaverBuilder::AddMovieFilesToArchive(CDataArchiveWriter& writer) {
  if (!dataList) return Report(kNoProjectMessage);
  CSaverArchive archive(*dataList, kSettingsName);
  return archive.AddMovieFiles(writer) || ReportProblem(archive.GetProblem());
}

bool CSaverBuilder::AddSaverMovieToArchive(CDataArchiveWriter& writer) {
  if (!dataList) return Report(kNoProjectMessage);
  CSaverArchive archive(*dataList, kSettingsName);
  return archive.AddSaverMovie(writer) || ReportProblem(archive.GetProblem());
}

bool CSaverBuilder::AddSettingsToArchive(CDataArchiveWriter& writer) {
  if (!dataList) return Report(kNoProjectMessage);
  CSaverArchive archive(*dataList, kSettingsName);
  return archive.AddSettings(writer) || ReportProblem(archive.GetProblem());
}
