// Launching other programs of the host.
//
// Programs are started with posix_spawn, never through a shell, so no text
// handed over is ever interpreted as a command. Tests replace the launching
// with a hook that records what would have been started.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plat {

// Starts the program named by arguments[0] (searched in PATH) with the
// arguments and does not wait for it. True when it could be started.
bool Launch(const std::vector<std::string>& arguments);

// Opens a URL (or a document) with the user's preferred application through
// xdg-open.
bool OpenUrl(const std::string& url);

// Replaces Launch: the hook gets the arguments and gives the result. An
// empty hook restores real launching.
using LaunchHook = std::function<bool(const std::vector<std::string>& arguments)>;
void SetLaunchHook(LaunchHook hook);

}  // namespace plat
