// The installer steps of CSaverBuilder. Installers are not built yet: a
// build that selects one fails there with a status text that says so,
// rather than reporting an output it did not make.
#include "builders/build_messages.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"

bool CSaverBuilder::BuildMacInstaller(CSaverDataList* list, bool) {
  if (!list) return Report(kNoProjectMessage);
  return Report(kInstallerNotBuiltMessage, list->GetMacUniversalInstallerFileName());
}

bool CSaverBuilder::BuildWinInstaller(CSaverDataList* list, bool) {
  if (!list) return Report(kNoProjectMessage);
  return Report(kInstallerNotBuiltMessage, list->GetWinInstallerFileName());
}
