#include "platform/launcher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>
#include <utility>

extern char** environ;

namespace plat {
namespace {

LaunchHook& Hook() {
  static LaunchHook hook;
  return hook;
}

}  // namespace

bool Launch(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments[0].empty()) return false;
  if (Hook()) return Hook()(arguments);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  // The program runs on its own; a waiting thread collects its exit status
  // so that it leaves no zombie behind.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

bool OpenUrl(const std::string& url) {
  if (url.empty()) return false;
  return Launch({"xdg-open", url});
}

void SetLaunchHook(LaunchHook hook) { Hook() = std::move(hook); }

}  // namespace plat
