#include "app/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "app/application.h"
#include "app/main_window.h"
#include "app/session.h"
#include "platform/apple_events.h"
#include "platform/menus.h"
#include "platform/text_encoding.h"
#include "platform/ui_driver.h"
#include "ui/file_dialog.h"
#include "ui/static_text.h"

namespace {

// The outcome of starting a project from a movie of the command line.
constexpr UInt32 kStartFromMovie = FourCC("mSwf");

constexpr const char* kUsage =
    "usage: glimmerbox [--build] [FILE]\n"
    "  FILE     a project (.gmx) to open, or a movie (.swf) to start a new project from\n"
    "  --build  build the project's outputs\n";

std::string Lowercase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

[[nodiscard]] bool IsMovieName(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
         Lowercase(path.substr(dot + 1)) == "swf";
}

std::string AbsoluteHostPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char* folder = getcwd(nullptr, 0);
  std::string absolute = folder ? std::string(folder) + "/" + path : path;
  std::free(folder);
  return absolute;
}

// The build's status texts, as the main window's status line shows them.
void PrintStatusText(ControlRef control, const char* hostText) {
  CApplication* application = GetApplication();
  CMainWindow* window = application ? application->GetMainWindow() : nullptr;
  if (!window || control != window->GetStatusText().GetControlRef() || !hostText || !*hostText) return;
  std::printf("%s\n", hostText);
  std::fflush(stdout);
}

// Ends the modal dialog that is up with its cancel command.
void CancelModalDialog() {
  WindowRef window = plat::CurrentModalWindow();
  if (!window) return;
  HICommand cancel;
  cancel.commandID = kHICommandCancel;
  EventRef event = plat::NewEvent(kEventClassCommand, kEventCommandProcess);
  plat::SetParam(event, kEventParamDirectObject, typeHICommand, cancel);
  plat::SendNotification(event, GetWindowEventTarget(window));
  ReleaseEvent(event);
}

// Whether the step with this outcome code ran and succeeded.
[[nodiscard]] bool Succeeded(UInt32 command) {
  bool ran = false;
  for (const CCommandOutcome& outcome : CommandOutcomes()) {
    if (outcome.command != command) continue;
    if (!outcome.succeeded) return false;
    ran = true;
  }
  return ran;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CCommandLine* out, std::string* error) {
  CCommandLine line;
  bool options = true;
  for (const std::string& argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (options && argument == "--build") {
      line.build = true;
    } else if (options && (argument == "--help" || argument == "-h")) {
      line.help = true;
    } else if (options && argument.size() > 1 && argument[0] == '-') {
      if (error) *error = "unknown option " + argument;
      return false;
    } else if (line.file.empty() && !argument.empty()) {
      line.file = argument;
    } else {
      if (error) *error = argument.empty() ? "an empty file name" : "more than one file: " + argument;
      return false;
    }
  }
  *out = line;
  return true;
}

int RunCommandLine(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
  CCommandLine line;
  std::string error;
  if (!ParseCommandLine(arguments, &line, &error)) {
    std::fprintf(stderr, "glimmerbox: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (line.help) {
    std::printf("%s", kUsage);
    return 0;
  }

  std::string host, macRoman;
  bool movie = false;
  if (!line.file.empty()) {
    host = AbsoluteHostPath(line.file);
    struct stat info;
    if (stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      std::fprintf(stderr, "glimmerbox: %s: no such file\n", line.file.c_str());
      return 1;
    }
    if (!plat::FromHostPath(host, macRoman)) {
      std::fprintf(stderr, "glimmerbox: %s: the name cannot be used\n", line.file.c_str());
      return 1;
    }
    movie = IsMovieName(host);
  }

  ResetSession();
  SetHeadless(true);
  plat::UiDriver& driver = plat::UiDriver::Get();
  // The project selector of start-up is the first dialog that waits.
  driver.Do(&CancelModalDialog);
  if (movie) {
    driver.Do([macRoman] {
      CFileDialog::QueueAnswer(CPathName(macRoman));
      CApplication* application = GetApplication();
      CMainWindow* window = application ? application->GetMainWindow() : nullptr;
      NoteCommandOutcome(kStartFromMovie, window && window->StartFromMovie());
    });
  } else if (!host.empty()) {
    driver.Do([host] {
      if (!plat::PostOpenDocuments({host})) NoteCommandOutcome(kCommandOpen, false);
    });
  }
  // The build runs on the project that was opened; without one it is not run.
  const UInt32 opened = host.empty() ? 0 : movie ? kStartFromMovie : kCommandOpen;
  if (line.build) {
    driver.Do([opened] {
      if (opened && !Succeeded(opened)) return;
      if (!plat::ChooseMenuCommand(kCommandBuild)) {
        HICommand build;
        build.commandID = kCommandBuild;
        // A build command that nothing takes leaves no outcome: the run then
        // ends as a failed build.
        static_cast<void>(ProcessHICommand(&build));
      }
    });
  }

  SetStaticTextListener(&PrintStatusText);
  ApplicationMain();
  SetStaticTextListener(nullptr);

  if (StartupStopped()) return 1;
  if (opened && !Succeeded(opened)) {
    std::fprintf(stderr, "glimmerbox: %s: the project was not opened%s\n", line.file.c_str(),
                 line.build ? ", so nothing was built" : "");
    return 1;
  }
  if (line.build && !Succeeded(kCommandBuild)) {
    std::fprintf(stderr, "glimmerbox: the build did not complete\n");
    return 1;
  }
  return 0;
}
