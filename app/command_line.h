// The command line of the application:
//
//   glimmerbox [--build] [FILE]
//
// The window system is headless, so the command line stands in for the
// user: a project file arrives as an open-documents event and opens in the
// main window, a movie (".swf") starts a new project from that movie, and
// --build then chooses the Build command. The project selector that start-up
// runs is cancelled, and once everything is done the application quits.
// Messages and the status texts of a build are printed; the exit status is
// 0 only when every step succeeded.
#pragma once

#include <string>
#include <vector>

struct CCommandLine {
  bool build = false;
  bool help = false;
  std::string file;  // as given (a host path)
};

// False, with a message, for arguments that are not understood.
[[nodiscard]] bool ParseCommandLine(const std::vector<std::string>& arguments, CCommandLine* out, std::string* error);

// The whole run; returns the exit status (2 for a command line that is not
// understood).
[[nodiscard]] int RunCommandLine(int argc, char** argv);
