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
  kNoProjectMessage = 3039,
  kBuildingMacInstallerMessage = 3040,
  kBuildingWinInstallerMessage = 3041,
  kInstallerNameTakenMessage = 3042,
  kCannotCopyIntoMessage = 3043,
  kInstallerItemLeftOutMessage = 3044,
  kPictureLeftOutMessage = 3045,
  kTextLeftOutMessage = 3046,
  // The output file name messages of the project check.
  kBadOutputNameMessage = 3010,
  kOutputNameTooLongMessage = 3011,
  kSharedOutputPathMessage = 3012,
  kNoFolderForOutputMessage = 3013,
  // A name or path of the project file that Mac Roman cannot hold.
  kUnheldTextMessage = 3014,
  // A screen saver without a name.
  kNoSaverNameMessage = 3015,
  // A name that Windows cannot hold, of a Windows output or a file in one.
  kWindowsNameMessage = 3016,
  // A folder where an output holds files only.
  kFolderNotHeldMessage = 3017,
  // An output that would take the place of what the build reads, or be
  // written inside a folder it reads.
  kOutputReplacesInputMessage = 3018,
  kOutputInsideInputMessage = 3019,
  // The first-generation saver and the projector.
  kNotAMovieMessage = 3060,
  kOutputExistsMessage = 3061,
  kProjectorNameTakenMessage = 3062,
  kPictureNotOpenedMessage = 3063,
  kIconLeftOutMessage = 3064,
  kMaskLeftOutMessage = 3065,
  kMaskNotMadeMessage = 3066,
};
