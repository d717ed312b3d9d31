#include "tests/swf/swf_independent_reader.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "tests/support/test_support.h"

extern char** environ;

namespace swftest {

namespace {

std::string ReaderFolder() { return gbtest::SourceFolder() + "tests/swf/independent/"; }

// The node program on the PATH; "" when there is none.
std::string FindNode() {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (folder.empty()) continue;
    std::string candidate = folder + "/node";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// Runs the reader's script with two arguments, its standard output into a
// file; gives that output, or "" with ok false when it did not exit with 0.
std::string RunScript(const std::string& mode, const std::string& argument, bool& ok) {
  ok = false;
  const std::string node = FindNode();
  if (node.empty()) return "";
  const std::string output = gbtest::MakeTempFolder("independent_reader") + "out.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string script = ReaderFolder() + "swf_values.mjs";
  std::vector<char*> args = {const_cast<char*>(node.c_str()), const_cast<char*>(script.c_str()),
                             const_cast<char*>(mode.c_str()), const_cast<char*>(argument.c_str()),
                             nullptr};
  pid_t child = 0;
  const int spawned = posix_spawn(&child, node.c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return "";
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return gbtest::ReadTextFile(output);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

}  // namespace

std::string IndependentReaderProblem() {
  if (FindNode().empty())
    return "node is missing: run scripts/setup (it installs Debian's nodejs and npm)";
  if (!gbtest::FileExists(ReaderFolder() + "node_modules/swf-parser/package.json"))
    return "the independent SWF reader is not installed: run scripts/setup (npm ci in "
           "tests/swf/independent/)";
  return "";
}

std::vector<std::string> CompareWithIndependentReader(
    const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string list;
  for (const auto& [original, rewritten] : pairs) list.append(original).append("\t").append(rewritten).append("\n");
  const std::string listPath = gbtest::MakeTempFolder("independent_list") + "pairs.txt";
  if (!gbtest::WriteFile(listPath, list)) return {};
  bool ok = false;
  std::vector<std::string> verdicts = Lines(RunScript("compare", listPath, ok));
  if (!ok || verdicts.size() != pairs.size()) return {};
  return verdicts;
}

std::map<std::string, std::string> IndependentValues(const std::string& path) {
  bool ok = false;
  const std::string text = RunScript("flatten", path, ok);
  std::map<std::string, std::string> values;
  if (!ok) return values;
  for (const std::string& line : Lines(text)) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::map<std::string, std::string> IndependentValues(const std::vector<unsigned char>& movie) {
  const std::string path = gbtest::MakeTempFolder("independent_movie") + "movie.swf";
  if (!gbtest::WriteFile(path, movie)) return {};
  return IndependentValues(path);
}

}  // namespace swftest
