#include "platform/launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

bool Launch(const std::vector<std::string>& arguments) { return Launch(arguments, nullptr); }

bool Launch(const std::vector<std::string>& arguments, pid_t* launched) {
  if (launched) *launched = 0;
  if (arguments.empty() || arguments[0].empty()) return false;
  if (Hook()) return Hook()(arguments);
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  if (launched) *launched = pid;
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

namespace {

[[nodiscard]] bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0;
}

// The folder holding an item and the item's name ("" for the root).
std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool FindApplicationExecutable(const std::string& hostPath, std::string* executable) {
  std::string path = hostPath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode)) {
    if (!IsExecutableFile(path)) return false;
    *executable = path;
    return true;
  }
  std::string name = NameOf(path);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  std::string program = path + "/Contents/MacOS/" + name;
  if (name.empty() || !IsExecutableFile(program)) return false;
  *executable = program;
  return true;
}

bool GetProcessApplication(pid_t pid, std::string* hostPath) {
  if (pid <= 0) return false;
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::string program(4096, '\0');
  ssize_t length = readlink(link.c_str(), program.data(), program.size());
  if (length <= 0 || size_t(length) >= program.size()) return false;
  program.resize(size_t(length));
  std::string macos = FolderOf(program), contents = FolderOf(macos), bundle = FolderOf(contents);
  struct stat info;
  bool bundled = NameOf(macos) == "MacOS" && NameOf(contents) == "Contents" && !bundle.empty() &&
                 stat(bundle.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  *hostPath = bundled ? bundle : program;
  return true;
}

bool TerminateProcess(pid_t pid) {
  if (pid <= 1) return false;
  return kill(pid, SIGTERM) == 0;
}

}  // namespace plat
