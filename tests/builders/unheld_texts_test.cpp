// Names and paths of a project file that Mac Roman cannot hold: the XML
// reader gives a '?' for each such character, so a name would build
// outputs under another name and a path would name another file (one named
// with '?' may well be there). The check before a build refuses them,
// naming them as the file wrote them, and nothing is built; texts that
// Mac Roman holds build as before.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/saver_project.h"
#include "builders/saver_project_builder.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "tests/builders/model_fixtures.h"
#include "tests/builders/saver_test_support.h"
#include "tests/support/test_support.h"

namespace {

using savertest::FolderEntries;

const std::string kNihon = "\xE6\x97\xA5\xE6\x9C\xAC";  // two CJK characters, UTF-8
// What the process holds of them.
const std::string kHeld(2, '?');

// The refusal of a text, as the terminal shows it.
std::string Refusal(const std::string& hostText) { return "\"" + hostText + "\" holds characters that cannot be used"; }

bool Mentions(const std::vector<std::string>& log, const std::string& text) {
  for (const std::string& line : log)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

class UnheldTexts : public savertest::SaverProjectTest {
 public:
  // A project file as the application writes it, for a saver named `name`
  // with its movie and the output folder of the test; `changed` replaces or
  // adds attributes of the list's element, `item` is added to the movie
  // item's element (which names the movie unless `item` does), `more` are
  // the extra files, `sub` the movie of a sub-item (none when empty).
  std::string ProjectXml(const std::string& name, const std::map<std::string, std::string>& changed,
                         const std::string& item = std::string(), const std::vector<std::string>& more = {},
                         const std::string& sub = std::string()) const {
    std::map<std::string, std::string> attributes = {
        {"output_folder", outputFolder},
        {"screen_saver_name", name},
        {"output_macuniversal", "true"},
        {"output_macuniversal_filename", name + ".saver"},
        {"output_macuniversal_installer_filename", "Install_" + name + ".app"},
        {"output_win", "true"},
        {"output_win_filename", name + ".scr"},
    };
    for (const auto& [attribute, value] : changed) attributes[attribute] = value;
    std::string text = "<flash_saver_datalist";
    for (const auto& [attribute, value] : attributes) text.append(" ").append(attribute).append("=\"").append(value) += '"';
    text += ">\n<flash_projector";
    if (item.find("swf=") == std::string::npos) text += " swf=\"fish.swf\"";
    text += item + ">\n<more_files>\n";
    for (const std::string& file : more) text += "<path src=\"" + file + "\" />\n";
    text += "</more_files>\n";
    if (!sub.empty())
      text += "<sub_data>\n<flash_projector swf=\"" + sub + "\">\n<more_files>\n</more_files>\n</flash_projector>\n</sub_data>\n";
    return text + "</flash_projector>\n</flash_saver_datalist>\n";
  }
};

TEST_F(UnheldTexts, TheCurrentBuildRefusesNamesAndPathsThatLostCharacters) {
  const std::string cafe = "caf\xC3\xA9";
  const struct {
    const char* what;
    std::string name;
    std::map<std::string, std::string> changed;
    std::string item;
    std::vector<std::string> more;
    std::string refused;  // as the refusal names it; "" when the project builds
    std::string sub;
  } cases[] = {
      {"the saver's name", kNihon, {}, "", {}, kNihon, ""},
      {"the saver's name, as references", "&#x65E5;&#x672C;", {}, "", {}, kNihon, ""},
      {"an emoji in the saver's name", "Reef \xF0\x9F\x90\xA0", {}, "", {}, "Reef \xF0\x9F\x90\xA0", ""},
      {"an output file name", "Aquarium", {{"output_win_filename", kNihon + ".scr"}}, "", {}, kNihon + ".scr", ""},
      {"the movie, beside a movie named with '?'", "Aquarium", {}, " swf=\"" + kNihon + ".swf\"", {}, kNihon + ".swf", ""},
      {"a sub-item's movie, beside a movie named with '?'", "Aquarium", {}, "", {}, kNihon + ".swf", kNihon + ".swf"},
      {"an extra file, beside one named with '?'", "Aquarium", {}, "", {kNihon + ".txt"}, kNihon + ".txt", ""},
      {"the output folder, beside one named with '?'", "Aquarium", {{"output_folder", "out" + kNihon + "/"}}, "", {},
       "out" + kNihon + "/", ""},
      {"the installer's ReadMe", "Aquarium",
       {{"output_macuniversal_installer", "true"}, {"installer_has_readme", "true"},
        {"installer_readme", kNihon + ".txt"}},
       "", {}, kNihon + ".txt", ""},
      // The players' settings document names the windows: a '?' there
      // would show in place of each lost character.
      {"a window title", "Aquarium", {}, " window_title=\"" + kNihon + "\"", {}, kNihon, ""},
      {"a window name", "Aquarium", {}, " window_name=\"&#x65E5;&#x672C;\"", {}, kNihon, ""},
      {"a name and a file that Mac Roman holds", cafe, {}, "", {cafe + ".txt"}, "", ""},
  };
  for (const auto& c : cases) {
    SetUp();  // every case starts afresh
    // Files named as the '?' would name them, and the file that Mac Roman holds.
    modeltest::WriteMovie(projectFolder + kHeld + ".swf");
    AddFile(kHeld + ".txt", "another file");
    AddFile(cafe + ".txt", cafe);
    ASSERT_TRUE(savertest::PutFile(projectFolder + "out" + kHeld + "/kept", "kept"));
    ASSERT_TRUE(modeltest::ReadListXml(list, ProjectXml(c.name, c.changed, c.item, c.more, c.sub), projectFolder))
        << c.what;

    const bool built = Build();
    if (c.refused.empty()) {
      EXPECT_TRUE(built) << c.what << ": " << LastStatus();
      continue;
    }
    EXPECT_FALSE(built) << c.what;
    EXPECT_TRUE(Mentions(builder.GetHostStatusLog(), Refusal(c.refused))) << c.what << ": " << LastStatus();
    // The process holds the text with '?', and its status text shows that.
    EXPECT_NE(LastStatus().find('?'), std::string::npos) << c.what;
    EXPECT_TRUE(FolderEntries(outputFolder).empty()) << c.what;
    EXPECT_EQ(FolderEntries(projectFolder + "out" + kHeld), std::vector<std::string>{"kept"}) << c.what;
    EXPECT_TRUE(FolderEntries(workFolder).empty()) << c.what;
  }
  // The name that Mac Roman holds built under its own name, with its file.
  EXPECT_EQ(gbtest::ReadTextFile(outputFolder + cafe + ".saver/Contents/Resources/" + cafe + ".txt"), cafe);

  // Renamed, the project builds under the new name.
  SetUp();
  ASSERT_TRUE(modeltest::ReadListXml(list, ProjectXml(kNihon, {}), projectFolder));
  EXPECT_FALSE(Build());
  list.SetName("Tokyo");
  list.SetMacUniversalFileName("Tokyo.saver");
  list.SetWinFileName("Tokyo.scr");
  EXPECT_TRUE(Build()) << LastStatus();
  EXPECT_EQ(FolderEntries(outputFolder), (std::vector<std::string>{"Tokyo.saver/", "Tokyo.scr"}));
}

TEST_F(UnheldTexts, TheFirstGenerationRefusesThemToo) {
  const struct {
    const char* what;
    std::string attributes;
    std::string more;
    std::string refused;
  } cases[] = {
      {"the name", " name=\"" + kNihon + "\"", "", kNihon},
      {"the installer's suffix", " name=\"Aquarium\" installer_suffix=\"&#x65E5;\"", "", "\xE6\x97\xA5"},
      {"the movie, beside a movie named with '?'", " swf=\"" + kNihon + ".swf\" name=\"Aquarium\"", "", kNihon + ".swf"},
      {"an extra file, beside one named with '?'", " name=\"Aquarium\"", kNihon + ".txt", kNihon + ".txt"},
      {"a name that Mac Roman holds", " name=\"caf\xC3\xA9\"", "caf\xC3\xA9.txt", ""},
  };
  for (const auto& c : cases) {
    SetUp();
    modeltest::WriteMovie(projectFolder + kHeld + ".swf");
    AddFile(kHeld + ".txt", "another file");
    AddFile("caf\xC3\xA9.txt", "caf\xC3\xA9");
    std::string element = "<screen_saver";
    if (c.attributes.find("swf=") == std::string::npos) element += " swf=\"fish.swf\"";
    element += c.attributes + " >\n<more_files>\n";
    if (!c.more.empty()) element += "<path src=\"" + c.more + "\" />\n";
    element += "</more_files>\n</screen_saver>\n";
    const std::string file = AddFile("legacy.xml", element);
    CXmlDocument document;
    CXmlNode root;
    ASSERT_TRUE(document.Open(CPathName(file)) && document.GetRootNode(root)) << c.what;
    CSaverProject project;
    ASSERT_TRUE(project.ReadXml(root)) << c.what;
    project.SetTemplateFolders(CPathName(templatesBase + "ss/u/"), CPathName(templatesBase + "ssin/u/"));
    project.SetOutputFolder(CPathName(outputFolder));

    CStringBuffer message;
    std::string hostMessage;
    EXPECT_EQ(project.ValidateOutputNames(&message, &hostMessage), c.refused.empty()) << c.what;
    // Each builder refuses on its own as well.
    CSaverProjectBuilder first(project);
    CSaverProjectBuilder::BuildRequest request;
    request.overwrite = true;
    CPathName saver(nullptr), installer(nullptr);
    ASSERT_TRUE(project.GetSaverPath(saver) && project.GetInstallerAppPath(installer)) << c.what;
    const struct {
      const char* output;
      bool built;
    } builds[] = {{"saver", first.BuildSaver(saver, request)},
                  {"Windows saver", first.BuildWindowsSaver(request)},
                  {"installer", first.BuildInstaller(installer, request)}};
    for (const auto& b : builds) EXPECT_EQ(b.built, c.refused.empty()) << c.what << ", " << b.output;
    if (c.refused.empty()) {
      EXPECT_EQ(FolderEntries(outputFolder),
                (std::vector<std::string>{"Installcaf\xC3\xA9.app/", "caf\xC3\xA9.saver/", "caf\xC3\xA9.scr"}));
      continue;
    }
    EXPECT_NE(hostMessage.find(Refusal(c.refused)), std::string::npos) << c.what << ": " << hostMessage;
    EXPECT_TRUE(Mentions(first.GetHostStatusLog(), Refusal(c.refused))) << c.what;
    EXPECT_TRUE(FolderEntries(outputFolder).empty()) << c.what;
  }
}

// The settings document of every saver and projector names each window,
// the sub-items' too: a window name or title that lost characters is
// refused before a build by the projector's list as by the saver's, and
// the document itself is never written with it.
TEST_F(UnheldTexts, WindowTextsOfSubItemsAndProjectorsAreRefusedToo) {
  modeltest::WriteMovie(projectFolder + "sub.swf");
  const std::string sub = "<sub_data>\n<flash_projector swf=\"sub.swf\" window_title=\"" + kNihon +
                          "\">\n<more_files>\n</more_files>\n</flash_projector>\n</sub_data>\n";
  std::string saver = ProjectXml("Aquarium", {});
  saver.replace(saver.find("</flash_projector>\n</flash_saver"), 0, sub);
  ASSERT_TRUE(modeltest::ReadListXml(list, saver, projectFolder));
  EXPECT_EQ(list.GetRootItem()->GetSubItem(0)->GetWindowTitle(), kHeld);
  EXPECT_FALSE(Build());
  EXPECT_TRUE(Mentions(builder.GetHostStatusLog(), Refusal(kNihon))) << LastStatus();
  EXPECT_TRUE(FolderEntries(outputFolder).empty());
  EXPECT_FALSE(list.WriteSettingsFile(CPathName(projectFolder + "ssc0.dat")));
  EXPECT_FALSE(gbtest::FileExists(projectFolder + "ssc0.dat"));

  CDataList projector;
  const std::string element = "<flash_projector_datalist output_win=\"true\">\n<flash_projector swf=\"fish.swf\" "
                              "window_name=\"" + kNihon + "\" />\n</flash_projector_datalist>\n";
  ASSERT_TRUE(modeltest::ReadListXml(projector, element, projectFolder));
  std::string refusal;
  EXPECT_FALSE(projector.ValidateOutputNames(nullptr, &refusal));
  EXPECT_NE(refusal.find(Refusal(kNihon)), std::string::npos) << refusal;
  // Renamed, the window is built again.
  projector.GetRootItem()->SetWindowName("Main");
  EXPECT_TRUE(projector.ValidateOutputNames(nullptr, &refusal)) << refusal;
}

}  // namespace
