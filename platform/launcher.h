// Launching other programs of the host.
//
// Programs are started with posix_spawn, never through a shell, so no text
// handed over is ever interpreted as a command. Tests replace the launching
// with a hook that records what would have been started.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace plat {

// Starts the program named by arguments[0] (searched in PATH) with the
// arguments and does not wait for it. True when it could be started.
[[nodiscard]] bool Launch(const std::vector<std::string>& arguments);

// Opens a URL (or a document) with the user's preferred application through
// xdg-open.
[[nodiscard]] bool OpenUrl(const std::string& url);

// Replaces Launch: the hook gets the arguments and gives the result. An
// empty hook restores real launching.
using LaunchHook = std::function<bool(const std::vector<std::string>& arguments)>;
void SetLaunchHook(LaunchHook hook);

// As Launch, and hands back the new process's id (0 when a hook stood in and
// no process was started).
[[nodiscard]] bool Launch(const std::vector<std::string>& arguments, pid_t* pid);

// The program that launching an application item runs: the item itself when
// it is an executable file; for a bundle folder "Name.app" its
// "Contents/MacOS/Name". False for anything else.
[[nodiscard]] bool FindApplicationExecutable(const std::string& hostPath, std::string* executable);

// The application item a running process was started from: the bundle
// folder whose "Contents/MacOS" holds its program, else the program file
// itself. False when the process is gone or cannot be inspected.
[[nodiscard]] bool GetProcessApplication(pid_t pid, std::string* hostPath);

// Asks a process to quit (SIGTERM). False for ids that name no single other
// program (0, negative ids, 1) and when the signal cannot be sent.
[[nodiscard]] bool TerminateProcess(pid_t pid);

}  // namespace plat
