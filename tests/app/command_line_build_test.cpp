// The whole job from the command line: the application's program builds the
// demo project's four outputs in a home of its own.
#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

const char* const kOutputs[] = {"Demo.saver/Contents/Info.plist", "Install_Demo.app", "Demo.scr", "Install_Demo.exe"};

// The names in a folder (host path).
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing))
      if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
    closedir(listing);
  }
  return names;
}

int SnapshotFiles(const std::string& root) {
  int count = 0;
  const std::string folder = root + "tmp/TemporaryItems-" + std::to_string(getuid()) + "/" + kAppWorkFolderName;
  if (DIR* listing = opendir(folder.c_str())) {
    while (dirent* entry = readdir(listing)) {
      const std::string name = entry->d_name;
      if (name.rfind("_undo", 0) == 0 || name.rfind("_redo", 0) == 0) ++count;
    }
    closedir(listing);
  }
  return count;
}

TEST(CommandLineBuild, TheDemoProjectBuildsItsFourOutputs) {
  const std::string demo = apptest::CopyDemo("cli-demo");
  const std::string project = gbtest::ReadTextFile(demo + "Demo.gmx");
  const std::string root = gbtest::MakeTempFolder("cli-demo-home");
  apptest::ProgramRun run = apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  for (const char* output : kOutputs) EXPECT_TRUE(gbtest::FileExists(demo + "output/" + output)) << output;
  // The builder's status texts and the closing message are printed.
  EXPECT_NE(run.out.find("Building the Mac screen saver \"Demo.saver\"..."), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("Build\nAll the selected outputs were built."), std::string::npos) << run.err;
  // The project is as it was, no snapshot is left, the project is remembered.
  EXPECT_EQ(gbtest::ReadTextFile(demo + "Demo.gmx"), project);
  EXPECT_EQ(SnapshotFiles(root), 0);
  const std::string preferences =
      gbtest::ReadTextFile(root + "config/" + std::string(kAppPreferencesDomain) + ".plist");
  EXPECT_NE(preferences.find(demo + "Demo.gmx"), std::string::npos);

  // Again: nobody can say whether the outputs may be replaced, so nothing is.
  const std::string scr = gbtest::ReadTextFile(demo + "output/Demo.scr");
  gbtest::WriteFile(demo + "output/Demo.scr", "kept");
  run = apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("replace: \"Demo.saver\" already exists. Do you want to replace it?\n[Cancel]"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(gbtest::ReadTextFile(demo + "output/Demo.scr"), "kept");

  // With "always overwrite" in the preferences every output is replaced.
  const std::string always = "<key>always_overwrite</key>";
  ASSERT_NE(preferences.find(always), std::string::npos);
  std::string changed = preferences;
  const size_t at = changed.find("<false/>", changed.find(always));
  ASSERT_NE(at, std::string::npos);
  changed.replace(at, 8, "<true/>");
  gbtest::WriteFile(root + "config/" + std::string(kAppPreferencesDomain) + ".plist", changed);
  run = apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("replace:"), std::string::npos) << run.err;
  // A new screen saver (its settings carry fresh check words, so it is no copy of the first).
  EXPECT_NE(gbtest::ReadTextFile(demo + "output/Demo.scr"), "kept");
  EXPECT_EQ(gbtest::ReadTextFile(demo + "output/Demo.scr").substr(0, 2), scr.substr(0, 2));
}

// The demo project under another name (as the application writes it: the
// output file names follow the name).
std::string Renamed(std::string project, const std::string& name) {
  for (const std::string& attribute : {std::string("screen_saver_name=\""), std::string("filename=\"Install_"),
                                        std::string("filename=\"")}) {
    for (size_t at = project.find(attribute + "Demo"); at != std::string::npos;
         at = project.find(attribute + "Demo", at + 1))
      project.replace(at + attribute.size(), 4, name);
  }
  return project;
}

// A project whose saver name Mac Roman cannot hold is refused by every
// program that builds one, with the name as the file wrote it, and nothing
// is built; so is a saver without a name (its outputs would be hidden files
// named by their extensions alone). A name that Mac Roman holds builds under
// that name.
TEST(CommandLineBuild, ANameThatMacRomanCannotHoldOrNoNameIsRefusedByEveryProgram) {
  const struct {
    const char* what;
    const char* name;   // as the project file holds it
    const char* shown;  // as the user knows it (UTF-8)
    bool builds;
  } names[] = {
      {"CJK", "\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC", false},
      {"CJK as references", "&#x65E5;&#x672C;", "\xE6\x97\xA5\xE6\x9C\xAC", false},
      {"an emoji", "Reef \xF0\x9F\x90\xA0", "Reef \xF0\x9F\x90\xA0", false},
      {"no name", "", "", false},
      {"a letter of Mac Roman", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", true},
  };
  const struct {
    const char* what;
    bool legacy;  // the first-generation element, built by gb_build_legacy
    const char* tool;
  } programs[] = {{"glimmerbox --build", false, ""}, {"gb_build_project", false, "gb_build_project"},
                  {"gb_build_legacy", true, "gb_build_legacy"}};
  for (const auto& program : programs) {
    for (const auto& n : names) {
      const std::string trace = std::string(program.what) + ", " + n.what;
      const std::string demo = apptest::CopyDemo(std::string("names-") + program.tool + "-" + n.what);
      const std::string root = gbtest::MakeTempFolder(std::string("names-home-") + program.tool + "-" + n.what);
      const std::string output = demo + "output/";
      apptest::ProgramRun run;
      if (program.legacy) {
        const std::string project = demo + "legacy.xml";
        ASSERT_TRUE(gbtest::WriteFile(project, std::string("<screen_saver swf=\"Demo.swf\" name=\"") + n.name +
                                                   "\" installer_prefix=\"Install\" installer_suffix=\"\" />\n"));
        run = apptest::RunTool(program.tool, {project, output}, root);
      } else {
        ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", Renamed(gbtest::ReadTextFile(demo + "Demo.gmx"), n.name)));
        run = program.tool[0] ? apptest::RunTool(program.tool, {demo + "Demo.gmx"}, root)
                              : apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
      }
      const std::string saver = output + n.shown + ".saver";
      if (n.builds) {
        EXPECT_EQ(run.status, 0) << trace << "\n" << run.out << run.err;
        EXPECT_TRUE(gbtest::FileExists(saver + "/Contents/Info.plist")) << trace;
        EXPECT_TRUE(gbtest::FileExists(output + n.shown + ".scr")) << trace;
        continue;
      }
      EXPECT_EQ(run.status, 1) << trace << "\n" << run.out << run.err;
      // The application asks for a name on its page; the tools say there is none.
      const std::string refusal = n.name[0]     ? std::string("\"") + n.shown + "\" holds characters that cannot be used"
                                  : program.tool[0] ? "The screen saver has no name."
                                                    : "Give the screen saver a name";
      EXPECT_NE((run.out + run.err).find(refusal), std::string::npos) << trace << "\n" << run.out << run.err;
      EXPECT_TRUE(FolderEntries(output).empty()) << trace;
    }
  }
}

// The demo project with its attributes changed.
std::string Changed(std::string project, const std::vector<std::pair<std::string, std::string>>& changes) {
  for (const auto& [from, to] : changes) {
    const size_t at = project.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) project.replace(at, from.size(), to);
  }
  return project;
}

// An output folder and a ReadMe whose paths are longer than 1,023 bytes are
// used whole by the application, as by gb_build_project: the outputs go
// into that folder, none into the folder above it (where a path cut at 1,023
// bytes would end), and the ReadMe goes into the installer. A folder whose
// path the system cannot take is refused with a message naming it whole.
TEST(CommandLineBuild, LongPathsAreUsedWhole) {
  const struct {
    const char* what;
    const char* tool;
  } programs[] = {{"glimmerbox --build", ""}, {"gb_build_project", "gb_build_project"}};
  for (const auto& program : programs) {
    const std::string demo = apptest::CopyDemo(std::string("long-paths-") + program.tool);
    const std::string root = gbtest::MakeTempFolder(std::string("long-paths-home-") + program.tool);
    // A folder whose first 1,023 bytes end in a separator, and one below it.
    std::string above = demo;
    while (above.size() < 1023) {
      const size_t room = 1023 - above.size() - 1;
      above += std::string(room > 250 ? 200 : room, 'f') + "/";
    }
    ASSERT_EQ(above.size(), 1023u);
    const std::string folder = above + std::string(200, 'g') + "/" + std::string(72, 'g') + "/";
    gbtest::MakeTempFolder(folder.substr(gbtest::TestRoot().size()));
    ASSERT_TRUE(gbtest::WriteFile(folder + "ReadMe.txt", "the long way round"));
    const std::string project =
        Changed(gbtest::ReadTextFile(demo + "Demo.gmx"),
                {{"output_folder=\"output/\"", "output_folder=\"" + folder + "\""},
                 {"installer_readme=\"ReadMe.txt\"", "installer_readme=\"" + folder + "ReadMe.txt\""}});
    ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", project));
    apptest::ProgramRun run = program.tool[0] ? apptest::RunTool(program.tool, {demo + "Demo.gmx"}, root)
                                              : apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
    EXPECT_EQ(run.status, 0) << program.what << "\n" << run.out << run.err;
    for (const char* output : kOutputs)
      EXPECT_TRUE(gbtest::FileExists(folder + output)) << program.what << ", " << output;
    EXPECT_EQ(FolderEntries(above), std::vector<std::string>{std::string(200, 'g')}) << program.what;
    EXPECT_EQ(gbtest::ReadTextFile(folder + "Install_Demo.app/Contents/Resources/ReadMe.txt"), "the long way round")
        << program.what;
    EXPECT_EQ(run.out.find("cannot be found: the installer is built without it"), std::string::npos) << run.out;

    // Longer than the system takes.
    std::string tooLong = demo;
    while (tooLong.size() < 4200) tooLong += std::string(200, 'h') + "/";
    ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", Changed(project, {{"output_folder=\"" + folder + "\"",
                                                                        "output_folder=\"" + tooLong + "\""}})));
    run = program.tool[0] ? apptest::RunTool(program.tool, {demo + "Demo.gmx"}, root)
                          : apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
    EXPECT_EQ(run.status, 1) << program.what << "\n" << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(tooLong), std::string::npos) << program.what << "\n" << run.out << run.err;
    EXPECT_EQ(FolderEntries(demo + std::string(200, 'h')), std::vector<std::string>{}) << program.what;
  }
}

// A movie that does not open (on a volume that is not mounted, an LZMA
// movie) is kept in the project as its file named it, and every program
// refuses to build it, naming it, and builds nothing.
TEST(CommandLineBuild, AMovieThatDoesNotOpenIsRefusedByEveryProgram) {
  const struct {
    const char* what;
    const char* movie;
    const char* refusal;
  } movies[] = {{"a volume that is not mounted", "/Volumes/Show/intro.swf",
                 "The file \"/Volumes/Show/intro.swf\" cannot be found."},
                {"an LZMA movie", "lzma.swf", "lzma.swf\" is not a Flash movie."}};
  const struct {
    const char* what;
    bool legacy;  // a projector project, built by gb_build_legacy
    const char* tool;
  } programs[] = {{"glimmerbox --build", false, ""}, {"gb_build_project", false, "gb_build_project"},
                  {"gb_build_legacy", true, "gb_build_legacy"}};
  for (const auto& program : programs) {
    for (const auto& m : movies) {
      const std::string trace = std::string(program.what) + ", " + m.what;
      const std::string demo = apptest::CopyDemo(std::string("movies-") + program.tool + "-" + m.what);
      const std::string root = gbtest::MakeTempFolder(std::string("movies-home-") + program.tool + "-" + m.what);
      std::vector<uint8_t> lzma = {'Z', 'W', 'S', 13, 0x40, 0, 0, 0};
      lzma.resize(96, 0);
      ASSERT_TRUE(gbtest::WriteFile(demo + "lzma.swf", lzma));
      std::string project = Changed(gbtest::ReadTextFile(demo + "Demo.gmx"),
                                    {{"swf=\"Demo.swf\"", std::string("swf=\"") + m.movie + "\""}});
      if (program.legacy)
        project = Changed(project, {{"<flash_saver_datalist", "<flash_projector_datalist"},
                                    {"</flash_saver_datalist>", "</flash_projector_datalist>"}});
      ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", project));
      const apptest::ProgramRun run = program.tool[0] ? apptest::RunTool(program.tool, {demo + "Demo.gmx"}, root)
                                                      : apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
      EXPECT_EQ(run.status, 1) << trace << "\n" << run.out << run.err;
      EXPECT_NE((run.out + run.err).find(m.refusal), std::string::npos) << trace << "\n" << run.out << run.err;
      EXPECT_TRUE(FolderEntries(demo + "output/").empty()) << trace;
      EXPECT_EQ(gbtest::ReadTextFile(demo + "Demo.gmx"), project) << trace;
    }
  }
}

// A project that names its encoding is built with the files it names: "é"
// in ISO-8859-1 is "é", not the Mac Roman letter of that byte ("È"), even
// when a file of that name is there. A project in an encoding no reader
// reads is refused, the encoding named, and nothing is built.
TEST(CommandLineBuild, EveryProgramReadsAProjectInTheEncodingItNames) {
  const struct {
    const char* what;
    const char* tool;
  } programs[] = {{"glimmerbox --build", ""}, {"gb_build_project", "gb_build_project"}};
  for (const auto& program : programs) {
    const std::string demo = apptest::CopyDemo(std::string("encoding-") + program.tool);
    const std::string root = gbtest::MakeTempFolder(std::string("encoding-home-") + program.tool);
    ASSERT_TRUE(gbtest::WriteFile(demo + "\xC3\xA9.txt", "e acute"));
    ASSERT_TRUE(gbtest::WriteFile(demo + "\xC3\x88.txt", "E grave"));
    std::string project = gbtest::ReadTextFile(demo + "Demo.gmx");
    const std::string declaration = "<?xml version=\"1.0\" ?>", credits = "src=\"Credits.txt\"";
    ASSERT_EQ(project.rfind(declaration, 0), 0u);
    ASSERT_NE(project.find(credits), std::string::npos);
    project.replace(project.find(credits), credits.size(), "src=\"\xE9.txt\"");
    project.replace(0, declaration.size(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", project));
    auto run = [&] {
      return program.tool[0] ? apptest::RunTool(program.tool, {demo + "Demo.gmx"}, root)
                             : apptest::RunProgram({"--build", demo + "Demo.gmx"}, root);
    };
    apptest::ProgramRun built = run();
    EXPECT_EQ(built.status, 0) << program.what << "\n" << built.out << built.err;
    const std::string resources = demo + "output/Demo.saver/Contents/Resources/";
    EXPECT_EQ(gbtest::ReadTextFile(resources + "\xC3\xA9.txt"), "e acute") << program.what;
    EXPECT_FALSE(gbtest::FileExists(resources + "\xC3\x88.txt")) << program.what;

    ASSERT_TRUE(gbtest::WriteFile(demo + "Demo.gmx", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" +
                                                         project.substr(project.find("?>") + 2)));
    ASSERT_TRUE(std::filesystem::remove_all(demo + "output") > 0);
    ASSERT_TRUE(std::filesystem::create_directory(demo + "output"));
    apptest::ProgramRun refused = run();
    EXPECT_NE(refused.status, 0) << program.what;
    EXPECT_NE((refused.out + refused.err).find("\"Shift_JIS\""), std::string::npos)
        << program.what << "\n" << refused.out << refused.err;
    EXPECT_TRUE(FolderEntries(demo + "output").empty()) << program.what;
  }
  // The first-generation builder says the same of its project.
  const std::string demo = apptest::CopyDemo("encoding-legacy");
  const std::string root = gbtest::MakeTempFolder("encoding-home-legacy");
  static_cast<void>(std::filesystem::create_directory(demo + "output"));
  ASSERT_TRUE(gbtest::WriteFile(demo + "legacy.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
                                                     "<screen_saver swf=\"Demo.swf\" name=\"Demo\" />\n"));
  const apptest::ProgramRun refused = apptest::RunTool("gb_build_legacy", {demo + "legacy.xml", demo + "output/"}, root);
  EXPECT_EQ(refused.status, 2) << refused.out << refused.err;
  EXPECT_NE(refused.err.find("\"Shift_JIS\""), std::string::npos) << refused.err;
  EXPECT_TRUE(FolderEntries(demo + "output").empty());
}

}  // namespace
