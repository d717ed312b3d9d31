#include "app/main_window.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_preferences.h"
#include "app/application.h"
#include "app/project_file.h"
#include "app/session.h"
#include "platform/apple_events.h"
#include "platform/launcher.h"
#include "platform/menus.h"
#include "platform/text_encoding.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"
#include "ui/file_dialog.h"
#include "ui/help.h"

namespace {

using apptest::PathOf;

class MainWindow : public apptest::MainWindowTest {
 protected:
  void TearDown() override {
    plat::SetLaunchHook({});
    MainWindowTest::TearDown();
  }
  void Script(const std::string& text) {
    std::string error;
    ASSERT_TRUE(Driver().LoadScript(text, &error)) << error;
  }
  ControlRef Find(UInt32 signature, SInt32 id) {
    ControlID cid{signature, id};
    ControlRef control = nullptr;
    EXPECT_EQ(GetControlByID(Window().GetWindowRef(), &cid, &control), noErr);
    return control;
  }
  void Type(UInt32 signature, SInt32 pane, const std::string& text) {
    ASSERT_EQ(SetControlData(Find(signature, pane), 0, FourCC("text"), text.size(), text.data()), noErr);
  }
  std::string Title() { return plat::WindowTitleText(Window().GetWindowRef()); }
  bool MenuEnabled(UInt32 command) { return IsMenuCommandEnabled(GetMenuHandle(1001), command); }
  // Opens a copy of the demo project; returns its folder.
  std::string OpenDemo(const std::string& name) {
    std::string folder = apptest::CopyDemo(name);
    EXPECT_TRUE(Window().OpenFile(PathOf(folder + "Demo.gmx")));
    return folder;
  }
  // One edit that changes the project.
  void Change(int n = 1) {
    ASSERT_TRUE(Edit([n](CSaverDataList& list) { list.SetWinFileName(("n" + std::to_string(n) + ".scr").c_str()); }));
  }
};

// ---------------------------------------------------------------------------
// Commands

TEST_F(MainWindow, EveryCommandReachesItsAction) {
  std::vector<std::string> launched;
  plat::SetLaunchHook([&](const std::vector<std::string>& arguments) {
    launched.insert(launched.end(), arguments.begin(), arguments.end());
    return true;
  });
  ASSERT_TRUE(RegisterHelpDocument("Glimmerbox 2 Help.pdf"));
  const auto windowShown = [this](const char* name) {
    const std::vector<std::string> shown = WindowsShown();
    return std::find(shown.begin(), shown.end(), name) != shown.end();
  };
  const auto lastDialog = [] {
    return CFileDialog::History().empty() ? CFileDialog::Record{CFileDialog::kChooseFolder, "<none>", {}}
                                          : CFileDialog::History().back();
  };
  const struct {
    UInt32 command;
    std::function<void()> check;
  } cases[] = {
      {FourCC("mSet"), [&] { EXPECT_EQ(Window().GetTabs().GetSelectedTab(), 0); }},
      {FourCC("mPrp"),
       [&] {
         EXPECT_EQ(Window().GetTabs().GetSelectedTab(), 1);
         EXPECT_TRUE(IsControlVisible(Find(0, 1001)));
         EXPECT_FALSE(IsControlVisible(Find(0, 1000)));
       }},
      {FourCC("mIns"), [&] { EXPECT_EQ(Window().GetTabs().GetSelectedTab(), 2); }},
      {FourCC("mOut"), [&] { EXPECT_EQ(Window().GetTabs().GetSelectedTab(), 3); }},
      {800, [&] { EXPECT_EQ(launched, (std::vector<std::string>{"xdg-open", "http://www.orrinvale.com/glimmerbox/"})); }},
      {FourCC("help"),
       [&] {
         ASSERT_EQ(launched.size(), 2u);
         EXPECT_EQ(launched[1].substr(launched[1].rfind('/') + 1), "Glimmerbox 2 Help.pdf");
       }},
      {FourCC("abou"), [&] { EXPECT_TRUE(windowShown("IDD_ABOUT")); }},
      {FourCC("pref"), [&] { EXPECT_TRUE(windowShown("IDD_PREFS")); }},
      {FourCC("new "),
       [&] {
         EXPECT_TRUE(windowShown("IDD_PROJECT_SELECTOR"));
         EXPECT_EQ(Title(), "Glimmerbox: Untitled");
         EXPECT_TRUE(Window().IsVisible());
       }},
      {FourCC("open"),
       [&] {
         EXPECT_EQ(lastDialog().mode, CFileDialog::kOpenFile);
         EXPECT_EQ(lastDialog().typeFilters, (std::vector<OSType>{FourCC("pGmx"), 0}));
       }},
      {FourCC("save"),
       [&] {
         EXPECT_EQ(lastDialog().mode, CFileDialog::kSaveFile);
         EXPECT_EQ(lastDialog().defaultName, "Untitled.gmx");
       }},
      {FourCC("svas"), [&] { EXPECT_EQ(lastDialog().mode, CFileDialog::kSaveFile); }},
      {FourCC("mExs"),
       [&] {
         ASSERT_FALSE(AlertTexts().empty());
         EXPECT_EQ(AlertTexts().back(), "Error: No output is selected. Choose the outputs to build on the Output page.");
       }},
      {FourCC("undV"), [&] { EXPECT_FALSE(List().GetOutputWin()); }},
      {FourCC("redV"), [&] { EXPECT_TRUE(List().GetOutputWin()); }},
      {FourCC("quit"),
       [&] {
         EXPECT_EQ(AppPreferences().left, 210);
         EXPECT_EQ(AppPreferences().top, 160);
       }},
  };
  for (const auto& c : cases) {
    launched.clear();
    Driver().ClearShown();
    CFileDialog::ClearAnswers();
    if (c.command == FourCC("mExs") || c.command == FourCC("undV")) {
      // A movie and a name, so that the build gets as far as its outputs,
      // and an output, so that undo has something to take back.
      Type(FourCC("eSwf"), 1000, gbtest::SourceFolder() + "examples/demo/Demo.swf");
      Type(FourCC("eNam"), 1001, "Demo");
      ASSERT_TRUE(Window().ValidateAndStore(true));
      if (c.command == FourCC("undV")) {
        ASSERT_TRUE(Edit([](CSaverDataList& list) { list.SetOutputWin(true); }));
      }
      Driver().ClearShown();
    }
    if (c.command == FourCC("quit")) {
      Window().Move(210, 160);
      Script("answer other");  // the changes are not saved
    }
    EXPECT_TRUE(Command(c.command)) << c.command;
    c.check();
    if (c.command == FourCC("undV")) {
      EXPECT_TRUE(MenuEnabled(FourCC("redV")));
    }
  }
  // Commands of no menu are left to the standard handling.
  for (UInt32 command : {FourCC("zzzz"), UInt32(0), UInt32(801), UInt32(4999), UInt32(5000), UInt32(5499),
                         UInt32(5501), UInt32(6000), FourCC("shfp"), FourCC("ok  ")})
    EXPECT_FALSE(Command(command)) << command;
}

TEST_F(MainWindow, MenuAndToolBarItemsReachTheWindow) {
  Driver().ClearShown();
  // From the menu bar, as a user chooses it.
  EXPECT_TRUE(plat::ChooseMenuCommand(FourCC("mOut")));
  EXPECT_EQ(Window().GetTabs().GetSelectedTab(), 3);
  // The tool bar's items carry the commands.
  CToolBar& bar = Window().GetToolBar();
  ASSERT_EQ(bar.GetItemCount(), 5);
  const UInt32 expected[] = {FourCC("new "), FourCC("open"), FourCC("save"), FourCC("mExs"), FourCC("help")};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(bar.GetItemCommand(i), expected[i]);
  ASSERT_TRUE(plat::ClickControl(bar.GetItemControl(3)));
  ASSERT_FALSE(AlertTexts().empty());
  EXPECT_EQ(AlertTexts().back(), "Error: Choose the movie on the Settings page first.");
  // Choosing a tab shows its pane.
  ASSERT_TRUE(plat::ClickControl(Window().GetTabs().GetControlRef(), 3));
  EXPECT_TRUE(IsControlVisible(Find(0, 1002)));
  EXPECT_FALSE(IsControlVisible(Find(0, 1003)));
}

TEST_F(MainWindow, RecentItemsOpenTheirProjectAndTakeTheirMovie) {
  const std::string first = apptest::CopyDemo("recent-first");
  const std::string second = apptest::CopyDemo("recent-second");
  ASSERT_TRUE(Window().OpenFile(PathOf(first + "Demo.gmx")));
  ASSERT_TRUE(Window().OpenFile(PathOf(second + "Demo.gmx")));
  CRecentFilesMenu& projects = Window().GetRecentProjects();
  ASSERT_EQ(projects.GetMenu().GetItemCount(), 2);
  // The newest is the first item.
  EXPECT_EQ(projects.GetPathForCommand(5000)->GetString(), second + "Demo.gmx");
  EXPECT_TRUE(Command(5001));
  EXPECT_EQ(Window().GetProjectPath().GetString(), first + "Demo.gmx");
  EXPECT_EQ(projects.GetPathForCommand(5000)->GetString(), first + "Demo.gmx");
  EXPECT_FALSE(Command(5002));

  // A movie taken once is offered again.
  ASSERT_TRUE(Window().GetSettingsPage().SetMovie(PathOf(second + "Demo.swf"), false));
  Window().NewDocument();
  EXPECT_TRUE(List().GetRootItem()->GetSwfFile().IsEmpty());
  EXPECT_TRUE(Command(5500));
  EXPECT_EQ(List().GetRootItem()->GetSwfFile().GetString(), second + "Demo.swf");
  EXPECT_TRUE(Window().GetUndoStack().CanUndo());
}

// ---------------------------------------------------------------------------
// The save prompt

TEST_F(MainWindow, TheSavePromptSavesCancelsOrDiscards) {
  const std::string folder = OpenDemo("save-prompt");
  const std::string project = folder + "Demo.gmx";
  const std::string original = gbtest::ReadTextFile(project);
  // Nothing changed: no question.
  Driver().ClearShown();
  EXPECT_TRUE(Window().SavePrompt());
  EXPECT_TRUE(AlertTexts().empty());

  const struct {
    const char* answer;
    bool result;
    bool saved;
  } cases[] = {
      {"answer cancel", false, false},
      {"answer other", true, false},  // don't save
      {"answer ok", true, true},
  };
  for (const auto& c : cases) {
    Change();
    gbtest::WriteFile(project, original);
    Driver().ClearShown();
    Script(c.answer);
    EXPECT_EQ(Window().SavePrompt(), c.result) << c.answer;
    ASSERT_EQ(AlertTexts().size(), 1u) << c.answer;
    EXPECT_EQ(AlertTexts()[0], "Save Changes: Do you want to save the changes to this project?");
    EXPECT_EQ(gbtest::ReadTextFile(project) != original, c.saved) << c.answer;
    EXPECT_EQ(Window().GetUndoStack().IsSaved(), c.saved) << c.answer;
    ASSERT_TRUE(Window().OpenFile(PathOf(project)));
  }
}

TEST_F(MainWindow, WithoutAUserThePromptKeepsTheFileAndSaysSo) {
  const std::string folder = OpenDemo("headless-prompt");
  const std::string original = gbtest::ReadTextFile(folder + "Demo.gmx");
  Change();
  SetHeadless(true);
  Driver().ClearShown();
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Window().SavePrompt());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_EQ(said, "The changes to \"" + folder + "Demo.gmx\" were not saved; the file on disk is kept as it is.\n");
  EXPECT_EQ(gbtest::ReadTextFile(folder + "Demo.gmx"), original);
  // An untitled project is named as such.
  Window().NewDocument();
  Change();
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Window().SavePrompt());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "The new project was not saved.\n");
}

// A project with names and paths that Mac Roman cannot hold, relative
// paths and a real '?' (tests/app/projects/Unheld.gmx) keeps them through
// edits, undo and redo: undone back to where it was opened and saved, it is
// saved to the bytes it was opened from.
TEST_F(MainWindow, UndoAndRedoKeepTheTextsTheFileWrote) {
  const std::string folder = apptest::CopyDemo("undo-unheld");
  const std::string original = gbtest::ReadTextFile(gbtest::SourceFolder() + "tests/app/projects/Unheld.gmx");
  ASSERT_TRUE(gbtest::WriteFile(folder + "Unheld.gmx", original));
  ASSERT_TRUE(Window().OpenFile(PathOf(folder + "Unheld.gmx")));
  const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
  EXPECT_EQ(List().GetName(), "??");
  Change(1);
  Change(2);
  ASSERT_TRUE(Command(kCommandSave));
  const std::string changed = gbtest::ReadTextFile(folder + "Unheld.gmx");
  EXPECT_NE(changed.find("screen_saver_name=\"" + nihon + "\""), std::string::npos) << changed;
  EXPECT_NE(changed.find("output_win_filename=\"n2.scr\""), std::string::npos) << changed;
  ASSERT_TRUE(Command(kCommandUndo));
  ASSERT_TRUE(Command(kCommandUndo));
  ASSERT_TRUE(Command(kCommandSave));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "Unheld.gmx"), original);
  ASSERT_TRUE(Command(kCommandRedo));
  ASSERT_TRUE(Command(kCommandRedo));
  ASSERT_TRUE(Command(kCommandSave));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "Unheld.gmx"), changed);
}

// The pages read every text whole, whatever its length: a path cut short
// would name another item (a folder above the output folder, a ReadMe that
// is not there).
TEST_F(MainWindow, ThePagesReadTheirTextsWhole) {
  const std::string folder = apptest::CopyDemo("long-texts");
  std::string deep = folder;
  for (int i = 0; i < 6; ++i) deep += std::string(200, char('a' + i)) + "/";
  gbtest::MakeTempFolder(deep.substr(gbtest::TestRoot().size()));
  ASSERT_GT(deep.size(), 1200u);
  ASSERT_TRUE(gbtest::WriteFile(deep + "ReadMe.txt", "read me"));
  const std::string name(2000, 'N');
  Type(FourCC("eSwf"), 1000, folder + "Demo.swf");
  Type(FourCC("eNam"), 1001, name);
  Type(FourCC("eRdm"), 1002, deep + "ReadMe.txt");
  Type(FourCC("eOut"), 1003, deep);
  ASSERT_TRUE(Window().ValidateAndStore(false));
  EXPECT_EQ(List().GetName(), name);
  EXPECT_EQ(List().GetInstallerReadMe().GetString(), deep + "ReadMe.txt");
  EXPECT_TRUE(List().GetInstallerHasReadMe());
  EXPECT_EQ(List().GetOutputFolder().GetString(), deep);
  // Stored again from the same texts: no change.
  const int steps = Window().GetUndoStack().GetCount();
  ASSERT_TRUE(Window().ValidateAndStore(false));
  EXPECT_EQ(Window().GetUndoStack().GetCount(), steps);
}

// A movie that does not open stays in the project as the file named it: the
// page shows it, a save keeps it, a build is refused naming it.
TEST_F(MainWindow, AMovieThatDoesNotOpenIsShownKeptAndRefused) {
  const std::string folder = apptest::CopyDemo("unopened-movie");
  std::string text = gbtest::ReadTextFile(folder + "Demo.gmx");
  text.replace(text.find("swf=\"Demo.swf\""), 14, "swf=\"/Volumes/Show/intro.swf\"");
  ASSERT_TRUE(gbtest::WriteFile(folder + "Demo.gmx", text));
  ASSERT_TRUE(Window().OpenFile(PathOf(folder + "Demo.gmx")));
  EXPECT_EQ(plat::ControlText(Find(FourCC("eSwf"), 1000)), "/Volumes/Show/intro.swf");
  AppPreferences().alwaysOverwrite = true;
  Driver().ClearShown();
  ASSERT_TRUE(Command(kCommandBuild));
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Error: The build failed: The file \"/Volumes/Show/intro.swf\" cannot be found.");
  EXPECT_TRUE(std::filesystem::is_empty(folder + "output"));
  Change(1);
  ASSERT_TRUE(Command(kCommandSave));
  EXPECT_NE(gbtest::ReadTextFile(folder + "Demo.gmx").find("swf=\"/Volumes/Show/intro.swf\""), std::string::npos);
}

TEST_F(MainWindow, AfterSaveUndoAndCloseThePromptAppears) {
  const std::string folder = OpenDemo("save-undo-close");
  Change(1);
  ASSERT_TRUE(Command(kCommandSave));
  EXPECT_TRUE(Window().GetUndoStack().IsSaved());
  Driver().ClearShown();
  Window().OnClose();  // quits without a question: the file holds the project
  EXPECT_TRUE(AlertTexts().empty());
  ASSERT_TRUE(Command(kCommandUndo));
  Script("answer cancel");
  Window().OnClose();
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0].rfind("Save Changes", 0), 0u);
  // Redo returns to what the file holds.
  ASSERT_TRUE(Command(kCommandRedo));
  Driver().ClearShown();
  Window().OnClose();
  EXPECT_TRUE(AlertTexts().empty());
}

// ---------------------------------------------------------------------------
// Opening

TEST_F(MainWindow, OpenFailuresSayWhyAndChangeNothing) {
  const std::string folder = OpenDemo("open-failures");
  Change(7);
  const std::string project = Window().GetProjectPath().GetString();
  const std::string title = Title();
  gbtest::WriteFile(folder + "text.gmx", "no project");
  gbtest::WriteFile(folder + "other.gmx", "<?xml version=\"1.0\" ?>\n<windows />\n");
  gbtest::WriteFile(folder + "sjis.gmx", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<glimmerbox />\n");
  const struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"missing.gmx", "cannot be found"},
      {"text.gmx", "cannot be opened"},
      {"other.gmx", "is not a Glimmerbox project"},
      {"sjis.gmx", "cannot be opened: it is written in the encoding \"Shift_JIS\", which cannot be read"},
  };
  for (const auto& c : cases) {
    Driver().ClearShown();
    EXPECT_FALSE(Window().OpenFile(PathOf(folder + c.file))) << c.file;
    ASSERT_EQ(AlertTexts().size(), 1u) << c.file;
    EXPECT_EQ(AlertTexts()[0].rfind("Error: The file \"" + folder + c.file + "\"", 0), 0u) << AlertTexts()[0];
    EXPECT_NE(AlertTexts()[0].find(c.message), std::string::npos) << AlertTexts()[0];
    EXPECT_EQ(List().GetWinFileName(), "n7.scr") << c.file;
    EXPECT_EQ(Window().GetProjectPath().GetString(), project) << c.file;
    EXPECT_EQ(Title(), title) << c.file;
    EXPECT_TRUE(Window().GetUndoStack().CanUndo()) << c.file;
  }
}

TEST_F(MainWindow, ASuccessfulOpenStartsCleanAndNamesTheProject) {
  Change(1);
  Change(2);
  const std::string folder = apptest::CopyDemo("open-clean");
  ASSERT_TRUE(Window().OpenFile(PathOf(folder + "Demo.gmx")));
  EXPECT_FALSE(Window().GetUndoStack().CanUndo());
  EXPECT_TRUE(Window().GetUndoStack().IsSaved());
  EXPECT_FALSE(MenuEnabled(kCommandUndo));
  EXPECT_FALSE(MenuEnabled(kCommandRedo));
  EXPECT_EQ(Title(), "Glimmerbox: Demo.gmx");
  EXPECT_EQ(Window().GetProjectPath().GetString(), folder + "Demo.gmx");
  EXPECT_EQ(List().GetName(), "Demo");
  // The pages show the project.
  EXPECT_EQ(plat::ControlText(Find(FourCC("eNam"), 1001)), "Demo");
  EXPECT_EQ(plat::ControlText(Find(FourCC("eSwf"), 1000)), folder + "Demo.swf");
  EXPECT_EQ(GetControl32BitValue(Find(FourCC("cWni"), 1003)), 1);
  // The full path, when the preferences ask for it.
  AppPreferences().displayFullSettingsPath = true;
  ASSERT_TRUE(Window().OpenFile(PathOf(folder + "Demo.gmx")));
  EXPECT_EQ(Title(), "Glimmerbox: " + folder + "Demo.gmx");
}

TEST_F(MainWindow, AnOpenedDocumentIsOpenedLikeTheOpenCommand) {
  ASSERT_NE(GetApplication(), nullptr);
  ASSERT_TRUE(GetApplication()->Init());
  const std::string folder = apptest::CopyDemo("open-documents");
  // The save prompt comes first; cancelled, the file is not opened.
  Change();
  ASSERT_TRUE(plat::PostOpenDocuments({folder + "Demo.gmx"}));
  Script("answer cancel\nclose IDD_MAIN\nanswer other\n");
  RunApplicationEventLoop();
  EXPECT_TRUE(Window().GetProjectPath().IsEmpty());
  ASSERT_FALSE(CommandOutcomes().empty());
  EXPECT_FALSE(CommandOutcomes().back().succeeded);

  Driver().ClearShown();
  ASSERT_TRUE(plat::PostOpenDocuments({folder + "Demo.gmx"}));
  Script("answer other\n");
  RunApplicationEventLoop();
  EXPECT_EQ(Window().GetProjectPath().GetString(), folder + "Demo.gmx");
  EXPECT_EQ(CommandOutcomes().back().command, kCommandOpen);
  EXPECT_TRUE(CommandOutcomes().back().succeeded);
}

// ---------------------------------------------------------------------------
// Editing

TEST_F(MainWindow, EditsMakeStepsOnlyWhenTheyChangeTheProject) {
  EXPECT_FALSE(Edit([](CSaverDataList& list) { list.SetOutputWin(list.GetOutputWin()); }));
  // The saver's name alone is stored without counting: no step.
  EXPECT_FALSE(Edit([](CSaverDataList& list) { list.SetName("Renamed"); }));
  EXPECT_EQ(List().GetName(), "Renamed");
  EXPECT_FALSE(Window().GetUndoStack().CanUndo());
  EXPECT_FALSE(MenuEnabled(kCommandUndo));
  EXPECT_TRUE(Edit([](CSaverDataList& list) { list.SetOutputWin(true); }));
  EXPECT_TRUE(MenuEnabled(kCommandUndo));
  EXPECT_FALSE(MenuEnabled(kCommandRedo));
  ASSERT_TRUE(Command(kCommandUndo));
  EXPECT_FALSE(List().GetOutputWin());
  EXPECT_EQ(GetControl32BitValue(Find(FourCC("cWin"), 1003)), 0);
  EXPECT_FALSE(MenuEnabled(kCommandUndo));
  EXPECT_TRUE(MenuEnabled(kCommandRedo));
}

TEST_F(MainWindow, SixEditsUndoFiveTimesToTheStateBeforeTheSecond) {
  for (int i = 1; i <= 6; ++i) Change(i);
  for (int i = 0; i < 6; ++i) Command(kCommandUndo);
  EXPECT_EQ(List().GetWinFileName(), "n1.scr");
  for (int i = 0; i < 6; ++i) Command(kCommandRedo);
  EXPECT_EQ(List().GetWinFileName(), "n6.scr");
}

TEST_F(MainWindow, AnEditWhoseSnapshotCannotBeWrittenStaysButCannotBeUndone) {
  ASSERT_TRUE(CPathName::DeleteWorkFolder());
  EXPECT_TRUE(Edit([](CSaverDataList& list) { list.SetOutputWin(true); }));
  EXPECT_TRUE(List().GetOutputWin());
  EXPECT_EQ(Window().GetUndoStack().GetCount(), 0);
  EXPECT_FALSE(MenuEnabled(kCommandUndo));
  // The change is not lost silently: closing asks.
  Driver().ClearShown();
  Script("answer cancel");
  EXPECT_FALSE(Window().SavePrompt());
  EXPECT_EQ(AlertTexts().size(), 1u);
}

TEST_F(MainWindow, PagesStoreWhatTheirControlsHold) {
  const std::string folder = apptest::CopyDemo("pages");
  // A build needs a movie; a save does not.
  EXPECT_TRUE(Window().ValidateAndStore(true));
  Driver().ClearShown();
  EXPECT_FALSE(Window().ValidateAndStore(false));
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Error: Choose the movie on the Settings page first.");

  Type(FourCC("eSwf"), 1000, folder + "ReadMe.txt");
  Driver().ClearShown();
  EXPECT_FALSE(Window().ValidateAndStore(true));
  EXPECT_EQ(AlertTexts()[0], "Error: \"" + folder + "ReadMe.txt\" is not a movie that can be opened.");
  EXPECT_TRUE(List().GetRootItem()->GetSwfFile().IsEmpty());

  Type(FourCC("eSwf"), 1000, folder + "Demo.swf");
  Type(FourCC("eNam"), 1001, "");
  Driver().ClearShown();
  EXPECT_FALSE(Window().ValidateAndStore(true));
  EXPECT_EQ(AlertTexts()[0], "Error: Give the screen saver a name on the Properties page.");

  Type(FourCC("eNam"), 1001, "Nightfall");
  Type(FourCC("eRdm"), 1002, folder + "ReadMe.txt");
  Type(FourCC("eOut"), 1003, folder + "output");
  ASSERT_TRUE(Window().ValidateAndStore(false));
  EXPECT_EQ(List().GetRootItem()->GetSwfFile().GetString(), folder + "Demo.swf");
  EXPECT_EQ(List().GetName(), "Nightfall");
  EXPECT_EQ(List().GetWinFileName(), "Nightfall.scr");
  EXPECT_TRUE(List().GetInstallerHasReadMe());
  EXPECT_EQ(List().GetInstallerReadMe().GetString(), folder + "ReadMe.txt");
  EXPECT_FALSE(List().GetInstallerHasLicense());
  EXPECT_EQ(List().GetOutputFolder().GetString(), folder + "output/");
  const int steps = Window().GetUndoStack().GetCount();
  // Storing again changes nothing and makes no step.
  ASSERT_TRUE(Window().ValidateAndStore(false));
  EXPECT_EQ(Window().GetUndoStack().GetCount(), steps);

  // Check boxes change the project at once, one step each.
  ASSERT_TRUE(plat::ClickControl(Window().GetTabs().GetControlRef(), 4));
  ASSERT_TRUE(plat::ClickControl(Find(FourCC("cMin"), 1003)));
  EXPECT_TRUE(List().GetOutputMacUniversalInstaller());
  EXPECT_EQ(Window().GetUndoStack().GetCount(), steps + 1);
  // The extra files are added with the file dialog.
  ASSERT_TRUE(plat::ClickControl(Window().GetTabs().GetControlRef(), 2));
  CFileDialog::QueueAnswer(PathOf(folder + "Credits.txt"));
  ASSERT_TRUE(plat::ClickControl(Find(FourCC("bAdd"), 1001)));
  ASSERT_EQ(List().GetRootItem()->GetMoreFiles().GetCount(), 1);
  EXPECT_EQ(Window().GetPropertiesPage().GetFileList().GetRowCount(), 1);
  ASSERT_TRUE(Window().GetPropertiesPage().GetFileList().SetRowSelected(0, true));
  ASSERT_TRUE(plat::ClickControl(Find(FourCC("bDel"), 1001)));
  EXPECT_EQ(List().GetRootItem()->GetMoreFiles().GetCount(), 0);
}

TEST_F(MainWindow, TheProjectSelectorStartsTheChosenWay) {
  const std::string folder = apptest::CopyDemo("selector");
  // From a movie: the chooser runs and the project takes the movie's name.
  CFileDialog::QueueAnswer(PathOf(folder + "Demo.swf"));
  Script("hit rSwf 2005\nhit 'ok  ' 2005\n");
  Window().RunProjectSelector();
  EXPECT_TRUE(Window().IsVisible());
  EXPECT_EQ(List().GetRootItem()->GetSwfFile().GetString(), folder + "Demo.swf");
  EXPECT_EQ(List().GetName(), "Demo");
  EXPECT_EQ(plat::ControlText(Find(FourCC("eNam"), 1001)), "Demo");
  EXPECT_EQ(AppPreferences().projectCommand, kProjectCommandNewFromMovie);

  // Open a project: the open dialog runs; the choice is remembered.
  CFileDialog::QueueAnswer(PathOf(folder + "Demo.gmx"));
  Script("hit rOpn 2005\nhit 'ok  ' 2005\n");
  Window().RunProjectSelector();
  EXPECT_EQ(Window().GetProjectPath().GetString(), folder + "Demo.gmx");
  EXPECT_EQ(AppPreferences().projectCommand, kProjectCommandOpen);

  // Cancelled (or unanswered): nothing happens, the choice stays.
  Window().NewDocument();
  CFileDialog::ClearAnswers();
  Script("hit rNew 2005\nhit 'not!' 2005\n");
  Window().RunProjectSelector();
  EXPECT_EQ(AppPreferences().projectCommand, kProjectCommandOpen);
  EXPECT_TRUE(CFileDialog::History().empty());
  EXPECT_TRUE(Window().IsVisible());
}

// ---------------------------------------------------------------------------
// The Build command's questions

class BuildPrompts : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    folder_ = OpenDemo("build-prompts");
  }
  // Makes the outputs that exist already: 'm' the Mac saver, 'i' the Mac
  // installer, 'w' the Windows saver, 'x' the Windows installer.
  void Existing(const std::string& which) {
    const std::string output = folder_ + "output/";
    if (which.find('m') != std::string::npos) gbtest::MakeTempFolder(output.substr(gbtest::TestRoot().size()) + "Demo.saver");
    if (which.find('i') != std::string::npos) gbtest::MakeTempFolder(output.substr(gbtest::TestRoot().size()) + "Install_Demo.app");
    if (which.find('w') != std::string::npos) gbtest::WriteFile(output + "Demo.scr", "old");
    if (which.find('x') != std::string::npos) gbtest::WriteFile(output + "Install_Demo.exe", "old");
  }
  // The overwrite flags of the four outputs, "1" or "0" each.
  std::string Flags() {
    const CSaverDataList& list = List();
    std::string flags;
    for (bool flag : {list.GetOverwriteMacUniversal(), list.GetOverwriteMacUniversalInstaller(),
                      list.GetOverwriteWin(), list.GetOverwriteWinInstaller()})
      flags += flag ? '1' : '0';
    return flags;
  }
  int Questions() { return int(WindowsShown().size()); }
  std::string folder_;
};

TEST_F(BuildPrompts, EachExistingOutputIsAskedAboutInBuildOrder) {
  const struct {
    const char* existing;
    const char* script;
    bool goesOn;
    const char* flags;
    int questions;
  } cases[] = {
      {"", "", true, "1111", 0},
      {"miwx", "hit 'ok  '\nhit skip\nhit 'ok  '\nhit skip\n", true, "1010", 4},
      {"miwx", "hit rpAl\n", true, "1111", 1},
      {"miwx", "hit skip\nhit skAl\n", true, "0000", 2},
      {"miwx", "hit 'ok  '\nhit 'not!'\n", false, "", 2},
      {"miwx", "", false, "", 1},  // nobody answers: cancelled
      // Outputs that do not exist are not asked about and keep the flag.
      {"wx", "hit skAl\n", true, "1100", 1},
      {"mx", "hit rpAl\n", true, "1111", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.existing) + " / " + c.script);
    const std::string output = folder_ + "output/";
    for (const char* name : {"Demo.scr", "Install_Demo.exe"}) std::remove((output + name).c_str());
    for (const char* name : {"Demo.saver", "Install_Demo.app"}) rmdir((output + name).c_str());
    Existing(c.existing);
    // The installers' flags start off, as a previous answer may have left them.
    List().SetOverwriteMacUniversalInstaller(false);
    List().SetOverwriteWinInstaller(false);
    Driver().ClearShown();
    Script(c.script);
    EXPECT_EQ(Window().PrepareBuild(), c.goesOn);
    EXPECT_EQ(Questions(), c.questions);
    if (c.goesOn) {
      EXPECT_EQ(Flags(), c.flags);
    }
  }
}

TEST_F(BuildPrompts, AlwaysOverwriteAsksNothing) {
  Existing("miwx");
  AppPreferences().alwaysOverwrite = true;
  Driver().ClearShown();
  EXPECT_TRUE(Window().PrepareBuild());
  EXPECT_EQ(Questions(), 0);
  EXPECT_EQ(Flags(), "1111");
  EXPECT_TRUE(List().GetOverwriteMacPpc() && List().GetOverwriteMacIntel() && List().GetOverwriteLinux());
}

TEST_F(BuildPrompts, OnlyTheFourOutputsOfThisApplicationCount) {
  // A project that selects only outputs this application does not build.
  const std::string path = folder_ + "Other.gmx";
  gbtest::WriteFile(path,
                    "<?xml version=\"1.0\" ?>\n<glimmerbox version_major=\"2\" version_minor=\"6\">\n"
                    "<flash_saver_datalist output_macppc=\"true\" output_linux=\"true\" "
                    "output_macintel_installer=\"true\" screen_saver_name=\"Other\" >\n"
                    "<flash_projector swf=\"Demo.swf\" />\n</flash_saver_datalist>\n</glimmerbox>\n");
  ASSERT_TRUE(Window().OpenFile(PathOf(path)));
  Driver().ClearShown();
  EXPECT_FALSE(Window().PrepareBuild());
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_NE(AlertTexts()[0].find("No output is selected"), std::string::npos);
}

TEST_F(BuildPrompts, ABuildSaysHowItEnded) {
  // The savers alone.
  ASSERT_TRUE(Edit([](CSaverDataList& list) {
    list.SetOutputMacUniversalInstaller(false);
    list.SetOutputWinInstaller(false);
  }));
  Driver().ClearShown();
  ASSERT_TRUE(Command(kCommandBuild));
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"Build: All the selected outputs were built."}));
  EXPECT_TRUE(gbtest::FileExists(folder_ + "output/Demo.saver/Contents/Info.plist"));
  EXPECT_TRUE(gbtest::FileExists(folder_ + "output/Demo.scr"));
  EXPECT_EQ(plat::ControlText(Window().GetStatusText().GetControlRef()), "");
  ASSERT_FALSE(CommandOutcomes().empty());
  EXPECT_TRUE(CommandOutcomes().back().succeeded);

  // A movie that went missing fails the build, which says why.
  std::remove((folder_ + "Demo.swf").c_str());
  Driver().ClearShown();
  Script("hit rpAl\n");
  ASSERT_TRUE(Command(kCommandBuild));
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "Error: The build failed: The file \"" + folder_ + "Demo.swf\" cannot be found.");
  EXPECT_FALSE(CommandOutcomes().back().succeeded);
  // The outputs that were there are kept.
  EXPECT_TRUE(gbtest::FileExists(folder_ + "output/Demo.scr"));
}

}  // namespace
