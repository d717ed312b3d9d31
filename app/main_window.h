// CMainWindow: the one document window ("IDD_MAIN"). It owns the current
// project's data list, the four tab pages, the tool bar, the two recent-item
// menus, the undo stack and the project's path, and it carries out every
// command of the application.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/tab_pages.h"
#include "app/undo_stack.h"
#include "builders/saver_data_list.h"
#include "foundation/path_name.h"
#include "ui/dialog_window.h"
#include "ui/menu.h"
#include "ui/recent_files.h"
#include "ui/static_text.h"
#include "ui/tab_control.h"
#include "ui/tool_bar.h"

// Commands of the application.
constexpr UInt32 kCommandNew = FourCC("new ");
constexpr UInt32 kCommandOpen = FourCC("open");
constexpr UInt32 kCommandSave = FourCC("save");
constexpr UInt32 kCommandSaveAs = FourCC("svas");
constexpr UInt32 kCommandPreferences = FourCC("pref");
constexpr UInt32 kCommandQuit = FourCC("quit");
constexpr UInt32 kCommandUndo = FourCC("undV");
constexpr UInt32 kCommandRedo = FourCC("redV");
constexpr UInt32 kCommandBuild = FourCC("mExs");
constexpr UInt32 kCommandAbout = FourCC("abou");
constexpr UInt32 kCommandHelp = FourCC("help");
constexpr UInt32 kCommandSettingsTab = FourCC("mSet");
constexpr UInt32 kCommandPropertiesTab = FourCC("mPrp");
constexpr UInt32 kCommandInstallerTab = FourCC("mIns");
constexpr UInt32 kCommandOutputTab = FourCC("mOut");
constexpr UInt32 kCommandWebPage = 800;
constexpr UInt32 kFirstRecentProjectCommand = 5000;
constexpr UInt32 kFirstRecentMovieCommand = 5500;

class CMainWindow : public CDialogWindow {
 public:
  CMainWindow();
  ~CMainWindow() override;

  bool OnInit() override;
  // The close box quits.
  bool OnClose() override;
  bool OnCommand(UInt32 command, EventRef* event) override;
  bool OnReserved16() override;
  // A file handed to the application (an open-documents event): opened as
  // the open command opens a file.
  bool OnReserved29(const CPathName* path) override;

  // The pages' stores, in page order; the first refusal ends it.
  [[nodiscard]] bool ValidateAndStore(bool saving);
  void ReloadPages();
  // The title "Glimmerbox: <name>", "Untitled" when there is no name.
  void SetDocumentTitle(const char* name);
  // The project's file: into the recent projects, and its name (or its full
  // path, as the preferences ask) into the title.
  void SetCurrentProject(const CPathName& path);

  // Asks whether to save a project that differs from its file; false when
  // the user cancels or the save fails. Without a user (the command line)
  // nothing is saved and the user is told so.
  [[nodiscard]] bool SavePrompt();
  void NewDocument();
  [[nodiscard]] bool OpenFile(const CPathName& path);
  [[nodiscard]] bool OpenDialog();
  [[nodiscard]] bool Save();
  [[nodiscard]] bool SaveAs();
  // Writes the project file and makes it the project's file.
  [[nodiscard]] bool WriteProject(const CPathName& path);
  bool Quit();
  void Undo();
  void Redo();
  void UpdateUndoMenu();
  // Brings the tab page forward (0 to 3).
  void ShowTab(int index);
  // The project selector: how to start a project.
  void RunProjectSelector();
  // A new project from a movie chosen with the movie chooser; false when no
  // movie was taken.
  [[nodiscard]] bool StartFromMovie();

  // The Build command: the pages stored, the outputs checked and asked
  // about, then built. True when the outputs were built.
  [[nodiscard]] bool Build();
  // Steps before the builder runs: false when the command ends there.
  [[nodiscard]] bool PrepareBuild();

  // One undoable edit: `change` applied to the list between a snapshot
  // before and one after; a change that changes nothing makes no step.
  bool ApplyEdit(const std::function<void(CSaverDataList&)>& change);

  CSaverDataList& GetDataList() { return *list_; }
  CUndoStack& GetUndoStack() { return undo_; }
  const CPathName& GetProjectPath() const { return projectPath_; }
  CStaticText& GetStatusText() { return status_; }
  CTabControl& GetTabs() { return tabs_; }
  CSettingsPage& GetSettingsPage() { return settings_; }
  CPropertiesPage& GetPropertiesPage() { return properties_; }
  CInstallerPage& GetInstallerPage() { return installer_; }
  COutputPage& GetOutputPage() { return output_; }
  CRecentFilesMenu& GetRecentProjects() { return recentProjects_; }
  CRecentFilesMenu& GetRecentMovies() { return recentMovies_; }
  CToolBar& GetToolBar() { return toolBar_; }

 private:
  [[nodiscard]] bool RunCommand(UInt32 command);
  [[nodiscard]] bool OpenRecentProject(UInt32 command);
  bool TakeRecentMovie(UInt32 command);
  // Runs the dialog of the layout modally; its result.
  SInt32 RunModalDialog(CDialogWindow& dialog, const char* layout, SInt32 userValue);
  [[nodiscard]] bool ShowWebPage();
  bool ShowAbout();
  bool RunPreferences();
  [[nodiscard]] bool SaveWithDialog(const char* defaultName);
  // The builder over the list; false with the builder's last word in *reason.
  [[nodiscard]] bool RunBuilder(std::string* reason);
  CTabPage* Page(int index);

  CToolBar toolBar_;
  CTabControl tabs_;
  CStaticText status_;
  CSettingsPage settings_;
  CPropertiesPage properties_;
  CInstallerPage installer_;
  COutputPage output_;
  CMenu editMenu_;
  CRecentFilesMenu recentProjects_;
  CRecentFilesMenu recentMovies_;
  std::unique_ptr<CSaverDataList> list_;
  CPathName projectPath_;
  CUndoStack undo_;
  CPathName saverWorkPath_;
  CPathName installerWorkPath_;
};
