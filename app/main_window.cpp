#include "app/main_window.h"

#include <cstdio>

#include "app/app_preferences.h"
#include "app/application.h"
#include "app/project_file.h"
#include "app/project_selector.h"
#include "app/session.h"
#include "app/splash_dialog.h"
#include "builders/project_change_count.h"
#include "foundation/string_buffer.h"
#include "foundation/system_queries.h"
#include "platform/launcher.h"
#include "platform/text_encoding.h"
#include "ui/file_dialog.h"
#include "ui/help.h"
#include "ui/message_box.h"
#include "ui/wait_cursor.h"

namespace {

enum {
  kErrorTitle = 10000,
  kWebPageAddress = 106,
  kWebPageFailedText = 107,
  kSettingsTabTitle = 150,
  kPropertiesTabTitle = 151,
  kInstallerTabTitle = 152,
  kOutputTabTitle = 195,
  kSavePromptTitle = 182,
  kSavePromptText = 183,
  kNotSavedText = 7010,
  kNewProjectNotSavedText = 7011,
};

// The save prompt: Yes, Cancel, No with the caution icon.
constexpr UInt32 kSavePromptFlags = kBoxYesCancelNo | kBoxIconCaution;

constexpr MenuID kFileMenu = 1000;
constexpr MenuID kEditMenu = 1001;
constexpr MenuID kRecentProjectsMenu = 3000;
constexpr MenuID kRecentMoviesMenu = 3001;

constexpr UInt32 kToolBarSignature = FourCC("tBar");
constexpr UInt32 kTabsSignature = FourCC("tbSv");
constexpr UInt32 kStatusSignature = FourCC("sSta");

constexpr const char* kUntitledName = "Untitled";
constexpr const char* kUntitledFileName = "Untitled.gmx";

CPathName Absolute(const CPathName& path) {
  CPathName absolute(nullptr);
  absolute.SetFullPath(path);
  return absolute;
}

void PrintNotice(const std::string& text) { std::fprintf(stderr, "%s\n", plat::MacRomanToUtf8(text).c_str()); }

}  // namespace

CMainWindow::CMainWindow()
    : settings_(*this),
      properties_(*this),
      installer_(*this),
      output_(*this),
      list_(std::make_unique<CSaverDataList>()),
      projectPath_(nullptr),
      saverWorkPath_(nullptr),
      installerWorkPath_(nullptr) {}

CMainWindow::~CMainWindow() = default;

CTabPage* CMainWindow::Page(int index) {
  switch (index) {
    case 0:
      return &settings_;
    case 1:
      return &properties_;
    case 2:
      return &installer_;
    case 3:
      return &output_;
    default:
      return nullptr;
  }
}

bool CMainWindow::OnInit() {
  // A window in the standard background still works.
  if (GetSystemVersion() < 0x1000)
    static_cast<void>(SetThemeWindowBackground(GetWindowRef(), kThemeBrushDocumentWindowBackground, false));
  SetDocumentTitle(nullptr);

  if (toolBar_.Init(this, kToolBarSignature)) {
    toolBar_.SetItemMetrics(11, 100);
    toolBar_.AddIcon(1000, FourCC("iNew"));
    toolBar_.AddIcon(1001, FourCC("iOpn"));
    toolBar_.AddIcon(1002, FourCC("iSav"));
    toolBar_.AddIcon(1003, FourCC("iExs"));
    toolBar_.AddIcon(1005, FourCC("iHlp"));
    // Every command of the tool bar is in the menus too: a button that
    // cannot be made is left out, as the whole bar is when it cannot be.
    auto add = [this](UInt32 command, int icon) { static_cast<void>(toolBar_.AddItem(command, icon, "")); };
    add(kCommandNew, 0);
    add(kCommandOpen, 1);
    add(kCommandSave, 2);
    toolBar_.AddSeparator();
    add(kCommandBuild, 3);
    toolBar_.AddSeparator();
    add(kCommandHelp, 4);
  }
  // The tab pages, the status text and the menus are the window: without
  // any of them the window is not made.
  bool ready = AttachControl(kTabsSignature, &tabs_);
  for (int i = 0; i < 4; ++i) ready = Page(i)->Embed() && ready;
  const UInt32 titles[4] = {kSettingsTabTitle, kPropertiesTabTitle, kInstallerTabTitle, kOutputTabTitle};
  for (int i = 0; i < 4; ++i) ready = tabs_.SetPane(i, Page(i)->GetPane(), titles[i]) && ready;
  ready = tabs_.SelectTab(0) && ready;
  ready = AttachControl(kStatusSignature, &status_) && status_.Clear(true) && ready;
  ReloadPages();

  ready = editMenu_.Attach(kEditMenu) && ready;
  CAppPreferences& preferences = AppPreferences();
  MenuRef fileMenu = GetMenuHandle(kFileMenu);
  ready = recentProjects_.AttachSubmenu(fileMenu, 6, kRecentProjectsMenu, kFirstRecentProjectCommand) &&
          recentMovies_.AttachSubmenu(fileMenu, 7, kRecentMoviesMenu, kFirstRecentMovieCommand) && ready;
  recentProjects_.SetList(preferences.recentProjects);
  recentProjects_.RebuildMenu();
  recentMovies_.SetList(preferences.recentMovies);
  recentMovies_.RebuildMenu();

  // Without a work folder (start-up has said so) these name nothing.
  if (!saverWorkPath_.SetInWorkFolder("ssu_tmp", true)) saverWorkPath_ = CPathName(nullptr);
  if (!installerWorkPath_.SetInWorkFolder("ssin_tmp", true)) installerWorkPath_ = CPathName(nullptr);

  NewDocument();
  Move(short(preferences.left), short(preferences.top));
  return ready;
}

bool CMainWindow::OnClose() {
  Quit();
  return true;
}

bool CMainWindow::OnReserved16() { return false; }

bool CMainWindow::OnReserved29(const CPathName* path) {
  if (!path) return false;
  const CPathName file = *path;
  const bool opened = SavePrompt() && OpenFile(file);
  NoteCommandOutcome(kCommandOpen, opened);
  return true;
}

// ---------------------------------------------------------------------------
// Pages and title

bool CMainWindow::ValidateAndStore(bool saving) {
  if (!settings_.ValidateAndStore(saving)) return false;
  for (int i = 1; i < 4; ++i)
    if (!Page(i)->ValidateAndStore(false)) return false;
  return true;
}

void CMainWindow::ReloadPages() {
  for (int i = 0; i < 4; ++i) Page(i)->Reload();
}

void CMainWindow::SetDocumentTitle(const char* name) {
  const std::string title = std::string("Glimmerbox: ") + (name && *name ? name : kUntitledName);
  // A title the window does not take leaves the one it shows.
  static_cast<void>(SetTitle(title.c_str()));
}

void CMainWindow::SetCurrentProject(const CPathName& path) {
  recentProjects_.AddFile(path, true);
  if (AppPreferences().displayFullSettingsPath)
    SetDocumentTitle(path.GetAbsolutePath(GetOutputPathStyle()).c_str());
  else
    SetDocumentTitle(path.GetName(false).c_str());
}

// ---------------------------------------------------------------------------
// Documents

bool CMainWindow::SavePrompt() {
  if (undo_.IsSaved()) return true;
  if (IsHeadless()) {
    // Nobody can be asked: the project file stays as it is, and the user
    // hears of the changes that were not kept.
    if (projectPath_.IsEmpty()) {
      PrintNotice(CStringBuffer(kNewProjectNotSavedText).GetText());
    } else {
      std::string text = CStringBuffer(kNotSavedText).GetText();
      const size_t at = text.find("%s");
      if (at != std::string::npos) text.replace(at, 2, projectPath_.GetAbsolutePath(GetOutputPathStyle()));
      PrintNotice(text);
    }
    return true;
  }
  BringToFront();
  // An inactive window still gets its prompt.
  static_cast<void>(Activate());
  const UInt32 answer = ShowMessageBoxById(GetWindowRef(), kSavePromptFlags, kSavePromptTitle, kSavePromptText);
  if (answer == kAnswerOk) return Save();
  if (answer == kAnswerCancel) return false;
  return true;
}

void CMainWindow::NewDocument() {
  list_->Reset();
  projectPath_ = CPathName(nullptr);
  SetDocumentTitle(nullptr);
  undo_.Clear();
  UpdateUndoMenu();
  ShowTab(0);
  // The pages must show the new project, or the next store would put the
  // old project's values into it.
  ReloadPages();
}

bool CMainWindow::OpenFile(const CPathName& path) {
  if (path.IsEmpty() || !path.Exists()) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kProjectFileNotFound, path.GetText());
    return false;
  }
  CWaitCursor wait;
  const CPathName absolute = Absolute(path);
  // The file is read into a list of its own: a file that is refused leaves
  // the project in use as it was.
  auto read = std::make_unique<CSaverDataList>();
  std::string encoding;
  const int result = ReadProjectFile(absolute, *read, &encoding);
  if (result != kProjectFileDone) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, UInt32(result), absolute.GetText(), encoding.c_str());
    return false;
  }
  list_ = std::move(read);
  undo_.Clear();
  undo_.MarkSaved();
  UpdateUndoMenu();
  projectPath_ = absolute;
  SetCurrentProject(absolute);
  ReloadPages();
  return true;
}

bool CMainWindow::OpenDialog() {
  CFileDialog dialog(CFileDialog::kOpenFile);
  dialog.AddTypeFilter(kProjectFileType, "");
  dialog.AddAllFilesFilter();
  CPathName chosen(nullptr);
  if (!dialog.Run(GetWindowRef(), chosen)) return false;
  return OpenFile(chosen);
}

bool CMainWindow::Save() {
  if (!ValidateAndStore(true)) return false;
  if (projectPath_.IsEmpty()) return SaveWithDialog(kUntitledFileName);
  if (!WriteProject(projectPath_)) return false;
  recentProjects_.GetList(AppPreferences().recentProjects);
  return true;
}

bool CMainWindow::SaveAs() {
  if (!ValidateAndStore(true)) return false;
  const std::string name = projectPath_.Exists() ? projectPath_.GetName(false) : std::string(kUntitledFileName);
  return SaveWithDialog(name.c_str());
}

bool CMainWindow::SaveWithDialog(const char* defaultName) {
  CFileDialog dialog(CFileDialog::kSaveFile);
  dialog.SetDefaultName(defaultName);
  dialog.SetExtension(kProjectExtension);
  dialog.AddTypeFilter(kProjectFileType, "");
  dialog.AddAllFilesFilter();
  CPathName chosen(nullptr);
  if (!dialog.Run(GetWindowRef(), chosen)) return false;
  if (!WriteProject(chosen)) return false;
  recentProjects_.GetList(AppPreferences().recentProjects);
  return true;
}

bool CMainWindow::WriteProject(const CPathName& path) {
  CWaitCursor wait;
  const CPathName absolute = Absolute(path);
  const int result = WriteProjectFile(*list_, absolute);
  if (result != kProjectFileDone) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, UInt32(result), absolute.GetText());
    return false;
  }
  undo_.MarkSaved();
  projectPath_ = absolute;
  SetCurrentProject(absolute);
  return true;
}

bool CMainWindow::Quit() {
  if (!SavePrompt()) return false;
  CAppPreferences& preferences = AppPreferences();
  // A window whose bounds cannot be read leaves the stored ones as they are.
  int left = 0, top = 0, width = 0, height = 0;
  if (GetPosition(&left, &top)) {
    preferences.left = left;
    preferences.top = top;
  }
  if (GetSize(&width, &height)) {
    preferences.width = width;
    preferences.height = height;
  }
  recentProjects_.GetList(preferences.recentProjects);
  recentMovies_.GetList(preferences.recentMovies);
  QuitApplicationEventLoop();
  return true;
}

// ---------------------------------------------------------------------------
// Undo and redo

bool CMainWindow::ApplyEdit(const std::function<void(CSaverDataList&)>& change) {
  ResetProjectChangeCount();
  auto snapshot = std::make_unique<CUndoSnapshot>(list_.get());
  const bool before = snapshot->SaveBefore();
  change(*list_);
  if (TakeProjectChangeCount(true) == 0) return false;
  if (before && snapshot->SaveAfter()) {
    undo_.Add(std::move(snapshot));
  } else {
    // The change stays, but nothing could lead back from it.
    undo_.MarkModified();
  }
  UpdateUndoMenu();
  return true;
}

void CMainWindow::Undo() {
  undo_.Undo();
  ReloadPages();
  UpdateUndoMenu();
}

void CMainWindow::Redo() {
  undo_.Redo();
  ReloadPages();
  UpdateUndoMenu();
}

void CMainWindow::UpdateUndoMenu() {
  // Without the Edit menu (the window is not made then) there is nothing to update.
  if (!editMenu_.EnableCommand(kCommandUndo, undo_.CanUndo())) return;
  static_cast<void>(editMenu_.EnableCommand(kCommandRedo, undo_.CanRedo()));
}

void CMainWindow::ShowTab(int index) {
  // A tab that cannot be shown leaves the page that is up.
  static_cast<void>(tabs_.SelectTab(index));
}

// ---------------------------------------------------------------------------
// Starting a project

void CMainWindow::RunProjectSelector() {
  Hide();
  CAppPreferences& preferences = AppPreferences();
  CProjectSelectorDialog selector(preferences);
  if (RunModalDialog(selector, "IDD_PROJECT_SELECTOR", CProjectSelectorDialog::kUserValue) ==
      SInt32(kHICommandOK)) {
    switch (preferences.projectCommand) {
      case kProjectCommandNewFromMovie:
        // No movie taken: the user cancelled, or was told why it was refused.
        static_cast<void>(StartFromMovie());
        break;
      case kProjectCommandNew:
        ReloadPages();
        break;
      case kProjectCommandOpen:
        Show();
        // Nothing opened: the user cancelled, or was told why it did not open.
        static_cast<void>(OpenDialog());
        break;
      default:
        break;
    }
  }
  Show();
}

bool CMainWindow::StartFromMovie() {
  const bool taken = settings_.ChooseMovie(true);
  ReloadPages();
  return taken;
}

// ---------------------------------------------------------------------------
// Commands

bool CMainWindow::OnCommand(UInt32 command, EventRef*) {
  if (recentProjects_.GetPathForCommand(command)) {
    NoteCommandOutcome(kCommandOpen, OpenRecentProject(command));
    return true;
  }
  if (recentMovies_.GetPathForCommand(command)) {
    TakeRecentMovie(command);
    return true;
  }
  return RunCommand(command);
}

bool CMainWindow::OpenRecentProject(UInt32 command) {
  // A copy: opening reorders the list the path lives in.
  const CPathName path = *recentProjects_.GetPathForCommand(command);
  return SavePrompt() && OpenFile(path);
}

bool CMainWindow::TakeRecentMovie(UInt32 command) {
  const CPathName path = *recentMovies_.GetPathForCommand(command);
  return settings_.SetMovie(path, false);
}

bool CMainWindow::RunCommand(UInt32 command) {
  switch (command) {
    case kCommandWebPage:
      // A page that does not open has been reported to the user.
      static_cast<void>(ShowWebPage());
      return true;
    case kCommandAbout:
      ShowAbout();
      return true;
    case kCommandHelp:
      // A missing document was reported at start-up; one that does not open
      // (no viewer) leaves the window as it is.
      static_cast<void>(ShowHelp(nullptr, nullptr));
      return true;
    case kCommandBuild:
      NoteCommandOutcome(kCommandBuild, Build());
      return true;
    case kCommandSettingsTab:
      ShowTab(0);
      return true;
    case kCommandPropertiesTab:
      ShowTab(1);
      return true;
    case kCommandInstallerTab:
      ShowTab(2);
      return true;
    case kCommandOutputTab:
      ShowTab(3);
      return true;
    case kCommandNew:
      if (SavePrompt()) {
        NewDocument();
        RunProjectSelector();
      }
      return true;
    case kCommandOpen:
      NoteCommandOutcome(kCommandOpen, SavePrompt() && OpenDialog());
      return true;
    case kCommandSave:
      NoteCommandOutcome(kCommandSave, Save());
      return true;
    case kCommandSaveAs:
      NoteCommandOutcome(kCommandSaveAs, SaveAs());
      return true;
    case kCommandPreferences:
      RunPreferences();
      return true;
    case kCommandQuit:
      Quit();
      return true;
    case kCommandUndo:
      Undo();
      return true;
    case kCommandRedo:
      Redo();
      return true;
    default:
      return false;
  }
}

SInt32 CMainWindow::RunModalDialog(CDialogWindow& dialog, const char* layout, SInt32 userValue) {
  // While it is up the dialog receives the commands of the menus.
  CApplication* application = GetApplication();
  if (application) application->SetModalDialog(&dialog);
  const SInt32 result = dialog.DoModal(GetApplicationNib(), layout, GetWindowRef(), userValue);
  if (application) application->SetModalDialog(nullptr);
  return result;
}

bool CMainWindow::ShowWebPage() {
  char address[256];
  if (!GetLocalizedCString(kWebPageAddress, address, sizeof(address)) || !plat::OpenUrl(address)) {
    ShowStopBoxById(GetWindowRef(), kErrorTitle, kWebPageFailedText);
    return false;
  }
  return true;
}

bool CMainWindow::ShowAbout() {
  CAboutDialog about;
  about.GetParameters().textTop = 20;
  RunModalDialog(about, "IDD_ABOUT", 0);
  return true;
}

bool CMainWindow::RunPreferences() {
  CAppPreferences& preferences = AppPreferences();
  CPreferencesDialog dialog(preferences);
  if (RunModalDialog(dialog, "IDD_PREFS", CPreferencesDialog::kUserValue) != SInt32(kHICommandOK)) return false;
  recentProjects_.SetMaxCount(preferences.recentProjects.GetMaximum(), true);
  recentMovies_.SetMaxCount(preferences.recentMovies.GetMaximum(), true);
  // The title follows the full-path switch at once.
  if (!projectPath_.IsEmpty()) SetCurrentProject(projectPath_);
  return true;
}
