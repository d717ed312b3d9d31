// Numbers of the status texts the builders write (Localizable.strings).
#pragma once

enum : int {
  kBuildingMacSaverMessage = 3020,
  kBuildingWinSaverMessage = 3021,
  kOutputKeptMessage = 3022,
  kBuildDoneMessage = 3023,
  kNoMovieMessage = 3024,
  kFileMissingMessage = 3025,
  kNameTakenMessage = 3026,
  kTemplateMissingMessage = 3027,
  kCannotWriteMessage = 3028,
  kCannotReadMessage = 3029,
  kCannotCopyMessage = 3030,
  kFolderNotReplacedMessage = 3031,
  kNoOutputFolderMessage = 3032,
  kPluginMissingMessage = 3033,
  kNoLanguagesMessage = 3034,
  kBadNameMessage = 3035,
  kNoWorkFolderMessage = 3036,
  kCannotPlaceMessage = 3037,
  kInstallerNotBuiltMessage = 3038,
  kNoProjectMessage = 3039,
};
