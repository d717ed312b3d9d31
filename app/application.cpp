#include "app/application.h"

#include <cstdlib>
#include <memory>

#include "app/app_preferences.h"
#include "app/app_version.h"
#include "app/main_window.h"
#include "app/session.h"
#include "app/splash_dialog.h"
#include "app/undo_stack.h"
#include "foundation/cf_string_holder.h"
#include "foundation/path_name.h"
#include "foundation/quicktime_media.h"
#include "foundation/system_queries.h"
#include "foundation/update_check.h"
#include "platform/menus.h"
#include "platform/quicktime.h"
#include "platform/toolbox.h"
#include "ui/help.h"
#include "ui/message_box.h"
#include "ui/wait_cursor.h"

namespace {

enum {
  kErrorTitle = 10000,
  kNoWorkFolderText = 184,
  kNoHelpText = 185,
  kSystemTooOldText = 10019,
  kCarbonTooOldText = 10018,
  kQuickTimeTooOldText = 10020,
  kUpdateTitle = 11007,
  kUpdateText = 11008,
  kNoLayoutsText = 7040,
};

constexpr s32 kMinimumSystem = 0x900;
constexpr s32 kFirstMacOsX = 0x1000;
constexpr s32 kMinimumCarbonExclusive = 0x105;
constexpr u32 kMinimumQuickTime = 0x400;
constexpr const char* kHelpDocumentName = "Glimmerbox 2 Help.pdf";
constexpr UInt32 kNewerVersionFlags = kBoxOk | kBoxIconNote;

CAppCallbacks gCallbacks;
IBNibRef gNib = nullptr;
// Made before main runs, as the application object of the run.
CApplication* gApplication = new CApplication();

// Start-up found the system unfit: the stop box, and the process would end here.
bool Stop(UInt32 text) {
  ShowStopBoxById(nullptr, kErrorTitle, text);
  NoteStartupStopped();
  return false;
}

void ReleaseNib() {
  if (gNib) DisposeNibReference(gNib);
  gNib = nullptr;
}

}  // namespace

CApplication* GetApplication() { return gApplication; }
const CAppCallbacks& GetAppCallbacks() { return gCallbacks; }
IBNibRef GetApplicationNib() {
  if (!gNib) {
    CCFString name("main");
    if (CreateNibReference(name.GetRef(), &gNib) != noErr) gNib = nullptr;
  }
  return gNib;
}

CApplication::CApplication() {
  gCallbacks.initialise = &InitialiseApplication;
  gCallbacks.run = &RunApplication;
  gCallbacks.exit = &ExitApplication;
}

CApplication::~CApplication() {
  if (handlersInstalled_) RemoveHandlers();
}

bool CApplication::Init() {
  MoreMasterPointers(100);
  // The appearance is the look of the controls alone; they work without it.
  static_cast<void>(RegisterAppearanceClient());
  InitCursor();
  std::srand(unsigned(TickCount()));
  if (!initialised_) {
    initialised_ = true;
    handlersReady_ = InstallHandlers();
  }
  return handlersReady_;
}

bool CApplication::InstallHandlers() {
  static const EventTypeSpec kTypes[] = {
      {kEventClassCommand, kEventCommandProcess},
      {kEventClassApplication, kEventAppQuit},
      {kEventClassKeyboard, kEventHotKeyPressed},
  };
  upp_ = NewEventHandlerUPP(&CApplication::HandleEvent);
  if (!upp_) return false;
  if (InstallEventHandler(GetApplicationEventTarget(), upp_, 3, kTypes, this, &handler_) != noErr) {
    DisposeEventHandlerUPP(upp_);
    upp_ = nullptr;
    handler_ = nullptr;
    return false;
  }
  openDocumentsUpp_ = NewAEEventHandlerUPP(&CApplication::HandleOpenDocuments);
  handlersInstalled_ = true;
  return openDocumentsUpp_ &&
         AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, openDocumentsUpp_, this, false) == noErr;
}

void CApplication::RemoveHandlers() {
  // What is let go here goes whatever the calls say: a handler that never
  // got installed has nothing left to remove.
  if (handler_) static_cast<void>(RemoveEventHandler(handler_));
  if (upp_) DisposeEventHandlerUPP(upp_);
  if (openDocumentsUpp_) {
    static_cast<void>(AERemoveEventHandler(kCoreEventClass, kAEOpenDocuments, openDocumentsUpp_, false));
    DisposeAEEventHandlerUPP(openDocumentsUpp_);
  }
  handler_ = nullptr;
  upp_ = nullptr;
  openDocumentsUpp_ = nullptr;
  handlersInstalled_ = false;
}

bool CApplication::OnCommand(UInt32 command, EventRef* event) {
  if (modalDialog_) return modalDialog_->OnCommand(command, event);
  if (mainWindow_) return mainWindow_->OnCommand(command, event);
  return false;
}

bool CApplication::OnQuit() { return false; }

void CApplication::SetMainWindow(CMainWindow* window) {
  mainWindow_ = window;
  modalDialog_ = nullptr;
}

OSStatus CApplication::HandleEvent(EventHandlerCallRef call, EventRef event, void* object) {
  auto self = static_cast<CApplication*>(object);
  const OSType eventClass = GetEventClass(event);
  if (eventClass == kEventClassCommand) {
    HICommand command;
    if (plat::GetParam(event, kEventParamDirectObject, typeHICommand, &command) &&
        self->OnCommand(command.commandID, &event))
      return noErr;
    return CallNextEventHandler(call, event);
  }
  if (eventClass == kEventClassApplication) {
    self->OnQuit();
    return CallNextEventHandler(call, event);
  }
  if (eventClass == kEventClassKeyboard && GetEventKind(event) == kEventHotKeyPressed) {
    EventHotKeyID hotKey;
    if (plat::GetParam(event, kEventParamDirectObject, typeEventHotKeyID, &hotKey) && !self->modalDialog_ &&
        self->mainWindow_)
      self->mainWindow_->OnReserved30(&hotKey);
  }
  return CallNextEventHandler(call, event);
}

OSErr CApplication::HandleOpenDocuments(const AppleEvent* event, AppleEvent*, SRefCon object) {
  auto self = static_cast<CApplication*>(object);
  AEDescList files;
  OSErr status = AEGetParamDesc(event, keyDirectObject, typeAEList, &files);
  if (status != noErr) return status;
  long count = 0;
  status = AECountItems(&files, &count);
  if (status == noErr && count >= 1) {
    FSRef ref;
    AEKeyword keyword = 0;
    DescType type = 0;
    Size size = 0;
    status = AEGetNthPtr(&files, 1, typeFSRef, &keyword, &type, &ref, sizeof(ref), &size);
    if (status == noErr && self && self->mainWindow_ && !self->modalDialog_) {
      const CPathName path(&ref);
      self->mainWindow_->OnReserved29(&path);
    }
  }
  AEDisposeDesc(&files);
  return status;
}

// ---------------------------------------------------------------------------
// Start-up, run and exit

bool InitialiseApplication() {
  CWaitCursor wait;
  if (!CPathName::CreateWorkFolder(kAppWorkFolderName))
    ShowStopBoxById(nullptr, kErrorTitle, kNoWorkFolderText, int(GetLastPathError()));
  const s32 system = GetSystemVersion();
  if (system < kMinimumSystem) return Stop(kSystemTooOldText);
  if (system < kFirstMacOsX && GetCarbonVersion() <= kMinimumCarbonExclusive) return Stop(kCarbonTooOldText);
  DeleteUndoFiles();
  // Preferences that cannot be read leave the defaults.
  static_cast<void>(AppPreferences().Load());
  return true;
}

bool RunApplication() {
  CWaitCursor wait;
  if (!GetApplicationNib()) return Stop(kNoLayoutsText);
  CSplashDialog splash;
  // A splash window without its picture, or without a window at all, is
  // only less to look at: start-up goes on.
  static_cast<void>(splash.CreateFromNib(gNib, "IDD_SPLASH", nullptr, 0));
  if (splash.GetWindowRef()) {
    splash.Show();
    splash.OnPaint();
  }

  EnterMovies();
  if (!IsQuickTimeInstalled() || GetQuickTimeVersion() < kMinimumQuickTime) {
    splash.Destroy();
    ExitMovies();
    ReleaseNib();
    return Stop(kQuickTimeTooOldText);
  }
  CCFString menuBar("MenuBar");
  if (SetMenuBarFromNib(gNib, menuBar.GetRef()) != noErr) {
    splash.Destroy();
    ExitMovies();
    ReleaseNib();
    return Stop(kNoLayoutsText);
  }
  if (!RegisterHelpDocument(kHelpDocumentName)) ShowStopBoxById(nullptr, kErrorTitle, kNoHelpText);
  if (AppPreferences().checkSoftwareUpdates) {
    CUpdateCheck check;
    if (check.Check(kAppProductCode, kAppVersionMajor, kAppVersionMinor) && check.IsNewerAvailable())
      ShowMessageBoxById(nullptr, kNewerVersionFlags, kUpdateTitle, kUpdateText);
  }

  auto mainWindow = std::make_unique<CMainWindow>();
  CApplication* application = GetApplication();
  if (!mainWindow->CreateFromNib(gNib, "IDD_MAIN", nullptr, 0)) {
    mainWindow.reset();
    splash.Destroy();
    ExitMovies();
    ReleaseNib();
    return Stop(kNoLayoutsText);
  }
  if (application) application->SetMainWindow(mainWindow.get());
  splash.Destroy();
  mainWindow->RunProjectSelector();
  RunApplicationEventLoop();

  if (application) application->SetMainWindow(nullptr);
  mainWindow.reset();
  // The menus of the run go with it: the menu bar's and those the layouts
  // made for their pop-up buttons.
  plat::DisposeAllMenus();
  ExitMovies();
  ReleaseNib();
  return true;
}

void ExitApplication() {
  CAppPreferences& preferences = AppPreferences();
  // Preferences that cannot be written are the run's last word, with
  // nobody left to hear it: the next run starts from those it can read.
  static_cast<void>(preferences.Save());
  preferences.recentProjects.Clear();
  preferences.recentMovies.Clear();
  DeleteUndoFiles();
}

int ApplicationMain() {
  if (!gApplication) gApplication = new CApplication();
  const bool ready = gApplication->Init();
  const CAppCallbacks& callbacks = GetAppCallbacks();
  if (ready && callbacks.initialise && callbacks.initialise() && callbacks.run) callbacks.run();
  // The look of the controls goes with the run, whatever the call says.
  static_cast<void>(UnregisterAppearanceClient());
  // A stopped start-up ends the process where it stops: nothing is saved.
  if (!StartupStopped() && callbacks.exit) callbacks.exit();
  delete gApplication;
  gApplication = nullptr;
  return 0;
}
