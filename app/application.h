// CApplication: the application object, one for the whole run.
//
// It installs the application's event handler (commands, quit, hot keys)
// and the handler of the open-documents Apple event, and routes every
// command that no window took to the modal dialog that is up or, failing
// that, to the main window. Its constructor records the three start-up
// call-backs: initialise, run and exit.
#pragma once

#include "platform/apple_events.h"
#include "platform/carbon_events.h"
#include "ui/dialog_window.h"
#include "ui/nib_file.h"

class CMainWindow;

class CApplication {
 public:
  CApplication();
  virtual ~CApplication();
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  [[nodiscard]] virtual bool InstallHandlers();
  virtual void RemoveHandlers();
  virtual bool OnCommand(UInt32 command, EventRef* event);
  virtual bool OnQuit();

  // The toolbox set-up of start-up; installs the handlers on the first call.
  // False when they could not be installed: the application then hears no
  // command and does not run.
  [[nodiscard]] bool Init();
  // Stores the main window and clears the modal dialog.
  void SetMainWindow(CMainWindow* window);
  CMainWindow* GetMainWindow() const { return mainWindow_; }
  // The modal dialog that receives the commands while it is up (null: none).
  void SetModalDialog(CDialogWindow* dialog) { modalDialog_ = dialog; }
  CDialogWindow* GetModalDialog() const { return modalDialog_; }
  [[nodiscard]] bool HandlersInstalled() const { return handlersInstalled_; }

 private:
  [[nodiscard]] static OSStatus HandleEvent(EventHandlerCallRef call, EventRef event, void* self);
  [[nodiscard]] static OSErr HandleOpenDocuments(const AppleEvent* event, AppleEvent* reply, SRefCon self);

  bool handlersInstalled_ = false;
  bool initialised_ = false;
  bool handlersReady_ = false;  // InstallHandlers succeeded
  CDialogWindow* modalDialog_ = nullptr;
  CMainWindow* mainWindow_ = nullptr;
  EventHandlerUPP upp_ = nullptr;
  EventHandlerRef handler_ = nullptr;
  AEEventHandlerUPP openDocumentsUpp_ = nullptr;
};

// The application object; null once it was destroyed.
CApplication* GetApplication();

// The call-backs recorded by the application object.
struct CAppCallbacks {
  bool (*initialise)() = nullptr;
  bool (*run)() = nullptr;
  void (*exit)() = nullptr;
};
const CAppCallbacks& GetAppCallbacks();

// The three start-up steps.
[[nodiscard]] bool InitialiseApplication();
[[nodiscard]] bool RunApplication();
void ExitApplication();

// The whole run: toolbox set-up, initialise, run, exit; the application
// object is destroyed at the end (and made again by a later call). When
// start-up stopped the application, exit does not run, as the process would
// have ended there. Returns 0.
int ApplicationMain();

// The nib "main" of the run, read on first use; null when it cannot be read.
IBNibRef GetApplicationNib();
