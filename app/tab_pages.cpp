#include "app/tab_pages.h"

#include <string>

#include "app/main_window.h"
#include "builders/saver_data_list.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

namespace {

enum {
  kErrorTitle = 10000,
  kNotAMovieText = 7030,
  kNoMovieText = 7031,
  kNoNameText = 7032,
};

constexpr OSType kMovieFileType = FourCC("SWFL");

// Controls of the pages.
constexpr UInt32 kMovieEdit = FourCC("eSwf");
constexpr UInt32 kMovieButton = FourCC("bSwf");
constexpr UInt32 kQualityPopup = FourCC("mQul");
constexpr UInt32 kExitOnMoveBox = FourCC("cMov");
constexpr UInt32 kExitOnClickBox = FourCC("cClk");
constexpr UInt32 kExitOnKeyBox = FourCC("cKey");
constexpr UInt32 kHideCursorBox = FourCC("cCur");
constexpr UInt32 kNameEdit = FourCC("eNam");
constexpr UInt32 kFileList = FourCC("lFil");
constexpr UInt32 kAddFileButton = FourCC("bAdd");
constexpr UInt32 kRemoveFileButton = FourCC("bDel");
constexpr UInt32 kReadMeEdit = FourCC("eRdm");
constexpr UInt32 kReadMeButton = FourCC("bRdm");
constexpr UInt32 kLicenceEdit = FourCC("eLic");
constexpr UInt32 kLicenceButton = FourCC("bLic");
constexpr UInt32 kPictureEdit = FourCC("eSpl");
constexpr UInt32 kPictureButton = FourCC("bSpl");
constexpr UInt32 kFolderEdit = FourCC("eOut");
constexpr UInt32 kFolderButton = FourCC("bOut");
constexpr UInt32 kMacSaverBox = FourCC("cMac");
constexpr UInt32 kMacInstallerBox = FourCC("cMin");
constexpr UInt32 kWinSaverBox = FourCC("cWin");
constexpr UInt32 kWinInstallerBox = FourCC("cWni");

// The quality pop-up's items (Low, Medium, High, Best) and the player's
// qualities; the automatic qualities show as their nearest item.
constexpr s32 kQualityOfItem[] = {kFlashQualityLow, kFlashQualityMedium, kFlashQualityHigh, kFlashQualityBest};

int ItemOfQuality(s32 quality) {
  switch (quality) {
    case kFlashQualityLow:
    case kFlashQualityAutoLow:
      return 0;
    case kFlashQualityMedium:
      return 1;
    case kFlashQualityBest:
      return 3;
    default:
      return 2;
  }
}

// A control refuses a value only when it is not there, and then nothing is
// read back from it either: the project keeps its own values.
void ShowPath(CEditText& edit, const CPathName& path) { static_cast<void>(edit.SetText(path.GetText(), true)); }

// The file the installer page shows: none while the file is switched off.
CPathName ShownFile(bool has, const CPathName& path) { return has ? path : CPathName(nullptr); }

}  // namespace

// ---------------------------------------------------------------------------
// The page base

CTabPage::CTabPage(CMainWindow& main, SInt32 pane) : main_(main), pane_(pane) {}

bool CTabPage::Embed() { return EmbedInControl(nullptr, pane_, main_.GetWindowRef(), pane_); }

CSaverDataList& CTabPage::List() { return main_.GetDataList(); }

bool CTabPage::Edit(const std::function<void(CSaverDataList&)>& change) { return main_.ApplyEdit(change); }

std::string CTabPage::TextOf(CEditText& edit) {
  // Whole, whatever its length: a path cut short would name another item.
  std::string text;
  return edit.GetText(text) ? text : std::string();
}

CPathName CTabPage::PathOf(CEditText& edit) {
  const std::string text = TextOf(edit);
  return text.empty() ? CPathName(nullptr) : CPathName(text);
}

bool CTabPage::AttachSwitches() {
  bool attached = true;
  for (CSwitch& entry : switches_) attached = AttachControl(entry.signature, &entry.box) && attached;
  return attached;
}

void CTabPage::ReloadSwitches() {
  // A box refuses its state only when it is not there (see ShowPath).
  for (CSwitch& entry : switches_) static_cast<void>(entry.box.SetCheck((List().*entry.get)(), true));
}

bool CTabPage::OnSwitch(UInt32 command) {
  for (CSwitch& entry : switches_) {
    if (entry.signature != command) continue;
    const bool on = entry.box.GetCheck();
    Edit([&](CSaverDataList& list) { (list.*entry.set)(on); });
    return true;
  }
  return false;
}

bool CTabPage::ChooseFile(OSType type, CPathName& chosen) {
  CFileDialog dialog(CFileDialog::kOpenFile);
  if (type) dialog.AddTypeFilter(type, "");
  dialog.AddAllFilesFilter();
  return dialog.Run(main_.GetWindowRef(), chosen);
}

// ---------------------------------------------------------------------------
// Settings

CSettingsPage::CSettingsPage(CMainWindow& main) : CTabPage(main, 1000) {
  switches_ = {
      {kExitOnMoveBox, &CSaverDataList::GetExitOnMouseMove, &CSaverDataList::SetExitOnMouseMove, {}},
      {kExitOnClickBox, &CSaverDataList::GetExitOnMouseClick, &CSaverDataList::SetExitOnMouseClick, {}},
      {kExitOnKeyBox, &CSaverDataList::GetExitOnKeyPress, &CSaverDataList::SetExitOnKeyPress, {}},
      {kHideCursorBox, &CSaverDataList::GetHideMouseCursor, &CSaverDataList::SetHideMouseCursor, {}},
  };
}

bool CSettingsPage::OnInit() {
  bool attached = AttachControl(kMovieEdit, &movie_);
  attached = AttachControl(kMovieButton, &chooseMovie_) && attached;
  attached = AttachControl(kQualityPopup, &quality_) && attached;
  return AttachSwitches() && attached;
}

bool CSettingsPage::OnCommand(UInt32 command, EventRef*) {
  if (OnSwitch(command)) return true;
  switch (command) {
    case kMovieButton:
      ChooseMovie(false);
      return true;
    case kQualityPopup: {
      const int item = quality_.GetSelection(nullptr, false);
      if (item >= 0 && item < 4 && item != ItemOfQuality(List().GetRootItem()->GetFlashQuality()))
        Edit([&](CSaverDataList& list) { list.GetRootItem()->SetFlashQuality(kQualityOfItem[item]); });
      return true;
    }
    default:
      return false;
  }
}

bool CSettingsPage::ValidateAndStore(bool saving) {
  const CPathName path = PathOf(movie_);
  if (path.IsEmpty()) {
    // A project can be saved before it has a movie; it cannot be built.
    if (saving) return true;
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kNoMovieText);
    return false;
  }
  if (path.IsSamePath(List().GetRootItem()->GetSwfFile())) return true;
  return SetMovie(path, false);
}

void CSettingsPage::Reload() {
  CSaverSwfItem* item = static_cast<CSaverSwfItem*>(List().GetRootItem());
  ShowPath(movie_, item->GetSwfFile());
  // A pop-up refuses its choice only when it is not there (see ShowPath).
  static_cast<void>(quality_.SetSelection(ItemOfQuality(item->GetFlashQuality())));
  ReloadSwitches();
}

bool CSettingsPage::ChooseMovie(bool nameProject) {
  CPathName chosen(nullptr);
  if (!ChooseFile(kMovieFileType, chosen)) return false;
  return SetMovie(chosen, nameProject);
}

bool CSettingsPage::SetMovie(const CPathName& path, bool nameProject) {
  bool taken = false;
  Edit([&](CSaverDataList& list) {
    taken = list.GetRootItem()->SetSwfFile(path);
    if (taken && nameProject) list.SetName(path.GetName(true).c_str());
  });
  if (!taken) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kNotAMovieText, path.GetText());
    ShowPath(movie_, List().GetRootItem()->GetSwfFile());
    return false;
  }
  main_.GetRecentMovies().AddFile(path, true);
  Reload();
  return true;
}

// ---------------------------------------------------------------------------
// Properties

CPropertiesPage::CPropertiesPage(CMainWindow& main) : CTabPage(main, 1001) {}

bool CPropertiesPage::OnInit() {
  bool attached = AttachControl(kNameEdit, &name_);
  if (AttachControl(kFileList, &files_)) {
    CListColumn column;
    column.flags = CListColumn::kHasWidth;
    column.width = 370;
    attached = files_.AddColumn(column, true) >= 0 && files_.SetSelectionMode(true) && attached;
  } else {
    attached = false;
  }
  attached = AttachControl(kAddFileButton, &add_) && attached;
  return AttachControl(kRemoveFileButton, &remove_) && attached;
}

bool CPropertiesPage::OnCommand(UInt32 command, EventRef*) {
  if (command == kAddFileButton) {
    CPathName chosen(nullptr);
    if (ChooseFile(0, chosen)) {
      Edit([&](CSaverDataList& list) { list.GetRootItem()->AddMoreFile(chosen); });
      Reload();
    }
    return true;
  }
  if (command == kRemoveFileButton) {
    const int row = files_.GetSelectedRow();
    if (row >= 0) {
      // A row the list no longer has removes nothing, and the edit makes no step.
      Edit([&](CSaverDataList& list) { static_cast<void>(list.GetRootItem()->RemoveMoreFile(row)); });
      Reload();
    }
    return true;
  }
  return false;
}

bool CPropertiesPage::ValidateAndStore(bool) {
  const std::string name = TextOf(name_);
  if (name.empty()) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kNoNameText);
    return false;
  }
  if (name != List().GetName()) Edit([&](CSaverDataList& list) { list.SetName(name.c_str()); });
  return true;
}

void CPropertiesPage::Reload() {
  // Controls refuse values only when they are not there (see ShowPath); a
  // list that cannot be emptied is not filled again.
  static_cast<void>(name_.SetText(List().GetName().c_str(), true));
  if (!files_.DeleteAllRows()) return;
  const CPathList& more = List().GetRootItem()->GetMoreFiles();
  for (int i = 0; i < more.GetCount(); ++i) {
    std::string text = more.GetAt(i)->GetString();
    CListItem item;
    item.flags = CListItem::kText;
    item.row = i;
    item.text = text.data();
    files_.InsertRow(item);
  }
}

// ---------------------------------------------------------------------------
// Installer

CInstallerPage::CInstallerPage(CMainWindow& main) : CTabPage(main, 1002) {}

bool CInstallerPage::OnInit() {
  bool attached = AttachControl(kReadMeEdit, &readMe_);
  attached = AttachControl(kReadMeButton, &chooseReadMe_) && attached;
  attached = AttachControl(kLicenceEdit, &licence_) && attached;
  attached = AttachControl(kLicenceButton, &chooseLicence_) && attached;
  attached = AttachControl(kPictureEdit, &picture_) && attached;
  return AttachControl(kPictureButton, &choosePicture_) && attached;
}

bool CInstallerPage::OnCommand(UInt32 command, EventRef*) {
  CEditText* edit = command == kReadMeButton    ? &readMe_
                    : command == kLicenceButton ? &licence_
                    : command == kPictureButton ? &picture_
                                                : nullptr;
  if (!edit) return false;
  CPathName chosen(nullptr);
  if (ChooseFile(0, chosen)) {
    ShowPath(*edit, chosen);
    // Stored at once; what the page refuses is refused again, with its
    // reason, when the project is saved or built.
    static_cast<void>(ValidateAndStore(false));
  }
  return true;
}

bool CInstallerPage::ValidateAndStore(bool) {
  const CPathName readMe = PathOf(readMe_);
  const CPathName licence = PathOf(licence_);
  const CPathName picture = PathOf(picture_);
  const CSaverDataList& current = List();
  // Only what the page shows differently is stored: a file kept in the
  // project while it is switched off stays as it is.
  const bool newReadMe = !readMe.IsSamePath(ShownFile(current.GetInstallerHasReadMe(), current.GetInstallerReadMe()));
  const bool newLicence =
      !licence.IsSamePath(ShownFile(current.GetInstallerHasLicense(), current.GetInstallerLicense()));
  const bool newPicture =
      !picture.IsSamePath(ShownFile(current.GetInstallerHasCustomPic(), current.GetInstallerCustomPic()));
  if (!newReadMe && !newLicence && !newPicture) return true;
  Edit([&](CSaverDataList& list) {
    if (newReadMe) {
      list.SetInstallerReadMe(readMe);
      list.SetInstallerHasReadMe(!readMe.IsEmpty());
    }
    if (newLicence) {
      list.SetInstallerLicense(licence);
      list.SetInstallerHasLicense(!licence.IsEmpty());
    }
    if (newPicture) {
      list.SetInstallerCustomPic(picture);
      list.SetInstallerHasCustomPic(!picture.IsEmpty());
    }
  });
  return true;
}

void CInstallerPage::Reload() {
  const CSaverDataList& list = List();
  ShowPath(readMe_, ShownFile(list.GetInstallerHasReadMe(), list.GetInstallerReadMe()));
  ShowPath(licence_, ShownFile(list.GetInstallerHasLicense(), list.GetInstallerLicense()));
  ShowPath(picture_, ShownFile(list.GetInstallerHasCustomPic(), list.GetInstallerCustomPic()));
}

// ---------------------------------------------------------------------------
// Output

COutputPage::COutputPage(CMainWindow& main) : CTabPage(main, 1003) {
  switches_ = {
      {kMacSaverBox, &CSaverDataList::GetOutputMacUniversal, &CSaverDataList::SetOutputMacUniversal, {}},
      {kMacInstallerBox, &CSaverDataList::GetOutputMacUniversalInstaller,
       &CSaverDataList::SetOutputMacUniversalInstaller, {}},
      {kWinSaverBox, &CSaverDataList::GetOutputWin, &CSaverDataList::SetOutputWin, {}},
      {kWinInstallerBox, &CSaverDataList::GetOutputWinInstaller, &CSaverDataList::SetOutputWinInstaller, {}},
  };
}

bool COutputPage::OnInit() {
  bool attached = AttachControl(kFolderEdit, &folder_);
  attached = AttachControl(kFolderButton, &chooseFolder_) && attached;
  return AttachSwitches() && attached;
}

bool COutputPage::OnCommand(UInt32 command, EventRef*) {
  if (OnSwitch(command)) return true;
  if (command != kFolderButton) return false;
  CFileDialog dialog(CFileDialog::kChooseFolder);
  CPathName chosen(nullptr);
  if (dialog.Run(main_.GetWindowRef(), chosen)) {
    ShowPath(folder_, chosen);
    // Stored at once; the page takes every folder.
    static_cast<void>(ValidateAndStore(false));
  }
  return true;
}

bool COutputPage::ValidateAndStore(bool) {
  CPathName folder = PathOf(folder_);
  if (!folder.IsEmpty()) folder.AddTrailingSlash();
  if (!folder.IsSamePath(List().GetOutputFolder()))
    Edit([&](CSaverDataList& list) { list.SetOutputFolder(folder); });
  return true;
}

void COutputPage::Reload() {
  const CSaverDataList& list = List();
  ShowPath(folder_, list.GetOutputFolder());
  ReloadSwitches();
}
