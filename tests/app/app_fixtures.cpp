#include "tests/app/app_fixtures.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/app_preferences.h"
#include "app/application.h"
#include "app/app_version.h"
#include "app/session.h"
#include "app/undo_stack.h"
#include "foundation/cf_string_holder.h"
#include "platform/roots.h"
#include "platform/text_encoding.h"
#include "tests/support/test_support.h"
#include "ui/file_dialog.h"

extern char** environ;

namespace apptest {

std::string CopyDemo(const std::string& name) {
  // A folder of the test's own: a run of several tests in one process must
  // not find the outputs an earlier test left behind.
  std::string unique = name;
  if (const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info()) {
    unique += std::string("-") + test->test_suite_name() + "." + test->name();
    std::replace(unique.begin(), unique.end(), '/', '_');
  }
  std::string folder = gbtest::MakeTempFolder(unique);
  const std::string demo = gbtest::SourceFolder() + "examples/demo/";
  for (const char* file : {"Demo.gmx", "Demo.swf", "Credits.txt", "ReadMe.txt", "License.txt", "Picture.png"})
    gbtest::WriteFile(folder + file, gbtest::ReadFile(demo + file));
  mkdir((folder + "output").c_str(), 0755);
  return folder;
}

CPathName PathOf(const std::string& hostPath) {
  std::string text;
  EXPECT_TRUE(plat::FromHostPath(hostPath, text));
  return CPathName(text);
}

void MainWindowTest::SetUp() {
  HeadlessUiTest::SetUp();
  CFileDialog::ClearAnswers();
  ResetSession();
  AppPreferences().SetDefaults();
  ASSERT_TRUE(CPathName::CreateWorkFolder(kAppWorkFolderName));
  ASSERT_NE(GetApplicationNib(), nullptr);
  CCFString menuBar("MenuBar");
  ASSERT_EQ(SetMenuBarFromNib(GetApplicationNib(), menuBar.GetRef()), noErr);
  window_ = std::make_unique<CMainWindow>();
  ASSERT_TRUE(window_->CreateFromNib(GetApplicationNib(), "IDD_MAIN", nullptr, 0));
  window_->Show();
  if (GetApplication()) GetApplication()->SetMainWindow(window_.get());
}

void MainWindowTest::TearDown() {
  if (GetApplication()) GetApplication()->SetMainWindow(nullptr);
  window_.reset();
  CFileDialog::ClearAnswers();
  ResetSession();
  AppPreferences().SetDefaults();
  DeleteUndoFiles();
  HeadlessUiTest::TearDown();
}

std::vector<std::string> MainWindowTest::AlertTexts() const {
  std::vector<std::string> texts;
  for (const plat::ShownRecord& record : plat::UiDriver::Get().Shown())
    if (record.kind != plat::ShownRecord::Kind::kWindow) texts.push_back(record.title + ": " + record.text);
  return texts;
}

std::vector<std::string> MainWindowTest::WindowsShown() const {
  std::vector<std::string> names;
  for (const plat::ShownRecord& record : plat::UiDriver::Get().Shown())
    if (record.kind == plat::ShownRecord::Kind::kWindow) names.push_back(record.text);
  return names;
}

namespace {

ProgramRun RunProgramFile(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& root, const std::map<std::string, std::string>& extra) {
  ProgramRun run;
  for (const char* sub : {"home", "tmp", "config", "data"}) mkdir((root + sub).c_str(), 0700);
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text(*entry);
    const size_t equals = text.find('=');
    if (equals != std::string::npos && text.compare(0, 11, "GLIMMERBOX_") != 0)
      variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  variables["HOME"] = root + "home";
  variables["TMPDIR"] = root + "tmp";
  variables["XDG_CONFIG_HOME"] = root + "config";
  variables["XDG_DATA_HOME"] = root + "data";
  for (const auto& variable : extra) variables[variable.first] = variable.second;
  std::vector<std::string> environment;
  environment.reserve(variables.size());
  for (const auto& variable : variables) environment.push_back(variable.first + "=" + variable.second);

  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> args, envp;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  const std::string outPath = root + "stdout.txt", errPath = root + "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      status = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (status != -1 && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = gbtest::ReadTextFile(outPath);
  run.err = gbtest::ReadTextFile(errPath);
  return run;
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::string& root,
                      const std::map<std::string, std::string>& extra) {
  return RunProgramFile(plat::ApplicationBundle() + "Contents/MacOS/glimmerbox", arguments, root, extra);
}

ProgramRun RunTool(const std::string& tool, const std::vector<std::string>& arguments, const std::string& root) {
  // The tools are built beside the test programs.
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return ProgramRun();
  std::string path(self, size_t(length));
  path = path.substr(0, path.rfind('/')) + "/../tools/" + tool;
  return RunProgramFile(path, arguments, root, {});
}

}  // namespace apptest
