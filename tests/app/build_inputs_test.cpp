// Every program that builds refuses an output that would take the place of
// what the build reads, with the output folder set to the project's own
// folder: the application's Build (even when it may replace outputs without
// asking), gb_build_project, and gb_build_legacy for the first generation.
// Nothing is built and the input keeps its bytes.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Everything below a folder (host path ending in "/"): path to contents
// ("/" ends a folder's path).
std::map<std::string, Bytes> Contents(const std::string& folder, const std::string& prefix = "") {
  std::map<std::string, Bytes> contents;
  DIR* listing = opendir(folder.c_str());
  if (!listing) return contents;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(listing))
    if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
  closedir(listing);
  for (const std::string& name : names) {
    struct stat info;
    if (lstat((folder + name).c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      contents[prefix + name + "/"] = {};
      for (auto& [path, bytes] : Contents(folder + name + "/", prefix + name + "/")) contents[path] = bytes;
    } else {
      contents[prefix + name] = gbtest::ReadFile(folder + name);
    }
  }
  return contents;
}

// The demo project with its outputs in its own folder, the Windows saver
// named `windowsSaver`.
std::string OutputsBesideTheProject(std::string project, const std::string& folder, const std::string& windowsSaver) {
  const auto replace = [&project](const std::string& from, const std::string& to) {
    const size_t at = project.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    project.replace(at, from.size(), to);
  };
  replace("output_folder=\"output/\"", "output_folder=\"" + folder + "\"");
  replace("output_win_filename=\"Demo.scr\"", "output_win_filename=\"" + windowsSaver + "\"");
  replace("output_default_filenames=\"true\"", "output_default_filenames=\"false\"");
  return project;
}

// The refusal of an output that would replace an input.
std::string ReplaceRefusal(const std::string& output, const std::string& input) {
  std::string text = "The output \"";
  text += output;
  text += "\" would replace \"";
  text += input;
  text += "\", which the build reads.";
  return text;
}

// Preferences under which the application replaces outputs without asking.
void ReplaceWithoutAsking(const std::string& root) {
  ASSERT_EQ(mkdir((root + "config").c_str(), 0755), 0);
  ASSERT_TRUE(gbtest::WriteFile(root + "config/" + std::string(kAppPreferencesDomain) + ".plist",
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<plist version=\"1.0\">\n<dict>\n"
                                "\t<key>always_overwrite</key>\n\t<true/>\n"
                                "\t<key>check_software_updates</key>\n\t<false/>\n"
                                "</dict>\n</plist>\n"));
}

TEST(BuildInputs, AnOutputInThePlaceOfAnInputIsRefusedByEveryProgram) {
  const struct {
    const char* what;
    const char* input;  // the file of the demo folder the Windows saver is named as
  } cases[] = {{"the movie", "Demo.swf"}, {"the project file", "Demo.gmx"}, {"an extra file", "Credits.txt"},
               {"the ReadMe", "ReadMe.txt"}};
  const struct {
    const char* what;
    const char* tool;  // "" for the application
  } programs[] = {{"glimmerbox --build", ""}, {"gb_build_project", "gb_build_project"}};
  for (const auto& program : programs) {
    for (const auto& c : cases) {
      const std::string trace = std::string(program.what) + ", " + c.what;
      const std::string demo = apptest::CopyDemo(std::string("inputs-") + program.tool + "-" + c.what);
      const std::string root = gbtest::MakeTempFolder(std::string("inputs-home-") + program.tool + "-" + c.what);
      ASSERT_NO_FATAL_FAILURE(ReplaceWithoutAsking(root));
      const std::string original = gbtest::ReadTextFile(demo + "Demo.gmx");
      std::string project;
      ASSERT_NO_FATAL_FAILURE(project = OutputsBesideTheProject(original, demo, c.input));
      ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", project));
      const Bytes input = gbtest::ReadFile(demo + c.input);
      const std::map<std::string, Bytes> before = Contents(demo);

      const apptest::ProgramRun run = program.tool[0] ? apptest::RunTool(program.tool, {demo + "Demo.gmx"}, root)
                                                      : apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
      EXPECT_EQ(run.status, 1) << trace << "\n" << run.out << run.err;
      const std::string refusal = ReplaceRefusal(demo + c.input, demo + c.input);
      EXPECT_NE((run.out + run.err).find(refusal), std::string::npos) << trace << "\n" << run.out << run.err;
      EXPECT_EQ(gbtest::ReadFile(demo + c.input), input) << trace;
      EXPECT_TRUE(Contents(demo) == before) << trace;
    }
  }
}

TEST(BuildInputs, AFirstGenerationOutputInThePlaceOfAnInputIsRefused) {
  const struct {
    const char* what;
    const char* movie;      // the movie's file name
    const char* extra;      // an extra file's name, "" for none
    const char* file;       // the project file's name
  } cases[] = {{"the movie", "Demo.scr", "", "legacy.xml"},
               {"an extra file", "Demo.swf", "Demo.scr", "legacy.xml"},
               {"the project file", "Demo.swf", "", "Demo.scr"}};
  for (const auto& c : cases) {
    const std::string demo = apptest::CopyDemo(std::string("legacy-inputs-") + c.what);
    const std::string root = gbtest::MakeTempFolder(std::string("legacy-inputs-home-") + c.what);
    ASSERT_TRUE(gbtest::WriteFile(demo + c.movie, gbtest::ReadFile(demo + "Demo.swf")));
    if (c.extra[0]) {
      ASSERT_TRUE(gbtest::WriteFile(demo + c.extra, "an extra file"));
    }
    std::string element = std::string("<screen_saver swf=\"") + demo + c.movie +
                          "\" name=\"Demo\" installer_prefix=\"Install\" installer_suffix=\"\" >\n<more_files>\n";
    if (c.extra[0]) element += std::string("<path src=\"") + demo + c.extra + "\" />\n";
    element += "</more_files>\n</screen_saver>\n";
    ASSERT_TRUE(gbtest::WriteFile(demo + c.file, element));
    const std::map<std::string, Bytes> before = Contents(demo);

    const apptest::ProgramRun run = apptest::RunTool("gb_build_legacy", {demo + c.file, demo}, root);
    EXPECT_EQ(run.status, 1) << c.what << "\n" << run.out << run.err;
    EXPECT_NE(run.err.find(ReplaceRefusal(demo + "Demo.scr", demo + "Demo.scr")), std::string::npos)
        << c.what << "\n" << run.err;
    EXPECT_TRUE(Contents(demo) == before) << c.what;
  }
}

}  // namespace
