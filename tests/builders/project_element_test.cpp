// The project file's elements: flash_saver_datalist with its flash_projector.
#include <sys/stat.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "builders/saver_data_list.h"
#include "foundation/string_buffer.h"
#include "tests/builders/model_fixtures.h"
#include "tests/support/test_support.h"

namespace {

using modeltest::ListXml;
using modeltest::MovieSpec;
using modeltest::ReadListXml;

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// A list element holding `projector` attributes and children.
std::string ListWith(const std::string& listAttributes, const std::string& projector) {
  return "<flash_saver_datalist" + listAttributes + " >\n" + projector + "</flash_saver_datalist>";
}

const char kDefaultList[] =
    "<flash_saver_datalist current_data=\"-1\" output_folder=\"FOLDER\" output_macppc=\"false\" "
    "output_macppc_filename=\"UntitledPPC.saver\" output_macintel=\"false\" "
    "output_macintel_filename=\"UntitledIntel.saver\" output_macuniversal=\"false\" "
    "output_macuniversal_filename=\"Untitled.saver\" output_mac_appicon=\"false\" "
    "output_mac_appicon_path=\"\" output_win=\"false\" output_win_filename=\"Untitled.scr\" "
    "output_win_appicon=\"false\" output_win_appicon_path=\"\" output_linux=\"false\" "
    "output_linux_filename=\"Untitledrh\" output_linux_appicon=\"false\" output_linux_appicon_path=\"\" "
    "output_default_filenames=\"true\" screen_saver_name=\"Untitled\" output_macppc_installer=\"false\" "
    "output_macppc_installer_filename=\"Install_UntitledPPC.app\" output_macintel_installer=\"false\" "
    "output_macintel_installer_filename=\"Install_UntitledIntel.app\" "
    "output_macuniversal_installer=\"false\" output_macuniversal_installer_filename=\"Install_Untitled.app\" "
    "output_win_installer=\"false\" output_win_installer_filename=\"Install_Untitled.exe\" "
    "output_linux_installer=\"false\" output_linux_installer_filename=\"Install_Untitledrh\" "
    "exit_on_mouse_move=\"true\" exit_on_mouse_click=\"true\" exit_on_key_press=\"true\" "
    "hide_mouse_cursor=\"true\" installer_has_readme=\"false\" installer_has_license=\"false\" "
    "installer_has_custom_pic=\"false\" installer_readme=\"\" installer_license=\"\" "
    "installer_custom_pic=\"\" installer_type=\"standard\" do_after_install=\"do_nothing\" >\n"
    "<flash_projector swf=\"\" window_name=\"MainWindow\" window_title=\"Window\" window_mask=\"\" "
    "window_type=\"standard\" window_style=\"normal\" window_has_maximize=\"true\" "
    "window_has_minimize=\"true\" window_has_close=\"true\" window_is_resizable=\"false\" "
    "window_is_visible=\"true\" window_has_menu=\"false\" window_size=\"swf_size\" "
    "window_position=\"custom\" window_x=\"20\" window_y=\"60\" window_width=\"320\" "
    "window_height=\"240\" window_width_percent=\"100\" window_height_percent=\"100\" "
    "window_fullscreen=\"false\" left_mouse_action=\"flash\" right_mouse_action=\"flash\" "
    "exit_on_escape=\"true\" use_flash_bgcolor=\"false\" flash_bgcolor=\"0\" flash_quality=\"high\" "
    "flash_scale=\"show_all\" flash_show_menu=\"true\" flash_loop_movie=\"false\">\n"
    "<more_files>\n</more_files>\n<sub_data>\n</sub_data>\n</flash_projector>\n"
    "</flash_saver_datalist>\n";

// Every field away from its default, in the order and form the list writes.
const char kFullList[] =
    "<flash_saver_datalist current_data=\"1\" output_folder=\"FOLDERout/\" output_macppc=\"true\" "
    "output_macppc_filename=\"a1\" output_macintel=\"true\" output_macintel_filename=\"a2\" "
    "output_macuniversal=\"true\" output_macuniversal_filename=\"a3 &amp; b\" output_mac_appicon=\"true\" "
    "output_mac_appicon_path=\"FOLDERmac.icns\" output_win=\"true\" output_win_filename=\"a4\" "
    "output_win_appicon=\"true\" output_win_appicon_path=\"FOLDERwin.ico\" output_linux=\"true\" "
    "output_linux_filename=\"a5\" output_linux_appicon=\"true\" output_linux_appicon_path=\"FOLDERlinux.png\" "
    "output_default_filenames=\"false\" screen_saver_name=\"Caf&#x8e; &lt;1&gt;\" "
    "output_macppc_installer=\"true\" output_macppc_installer_filename=\"i1\" "
    "output_macintel_installer=\"true\" output_macintel_installer_filename=\"i2\" "
    "output_macuniversal_installer=\"true\" output_macuniversal_installer_filename=\"i3\" "
    "output_win_installer=\"true\" output_win_installer_filename=\"i4\" output_linux_installer=\"true\" "
    "output_linux_installer_filename=\"i5\" exit_on_mouse_move=\"false\" exit_on_mouse_click=\"false\" "
    "exit_on_key_press=\"false\" hide_mouse_cursor=\"false\" installer_has_readme=\"true\" "
    "installer_has_license=\"true\" installer_has_custom_pic=\"true\" installer_readme=\"FOLDERReadMe.txt\" "
    "installer_license=\"FOLDERLicense.txt\" installer_custom_pic=\"FOLDERsplash.png\" "
    "installer_type=\"quiet\" do_after_install=\"open_saver_panel\" >\n"
    "<flash_projector swf=\"FOLDERmovie.swf\" window_name=\"Main &quot;1&quot;\" window_title=\"T&#x0a;2\" "
    "window_mask=\"FOLDERmask.png\" window_type=\"mask\" window_style=\"noborder\" "
    "window_has_maximize=\"false\" window_has_minimize=\"false\" window_has_close=\"false\" "
    "window_is_resizable=\"true\" window_is_visible=\"false\" window_has_menu=\"true\" "
    "window_size=\"screen_percent\" window_position=\"center\" window_x=\"-5\" window_y=\"7\" "
    "window_width=\"640\" window_height=\"480\" window_width_percent=\"50\" window_height_percent=\"75\" "
    "window_fullscreen=\"true\" left_mouse_action=\"drag\" right_mouse_action=\"custom_menu\" "
    "exit_on_escape=\"false\" use_flash_bgcolor=\"true\" flash_bgcolor=\"4294967295\" "
    "flash_quality=\"best\" flash_scale=\"exact_fit\" flash_show_menu=\"false\" flash_loop_movie=\"true\">\n"
    "<more_files>\n<path src=\"FOLDERa.txt\" />\n<path src=\"FOLDERb c.txt\" />\n</more_files>\n"
    "<sub_data>\n"
    "<flash_projector swf=\"\" window_name=\"Sub\" window_title=\"Window\" window_mask=\"\" "
    "window_type=\"transparent\" window_style=\"tool\" window_has_maximize=\"true\" "
    "window_has_minimize=\"true\" window_has_close=\"true\" window_is_resizable=\"false\" "
    "window_is_visible=\"false\" window_has_menu=\"false\" window_size=\"custom\" "
    "window_position=\"custom\" window_x=\"20\" window_y=\"60\" window_width=\"320\" "
    "window_height=\"240\" window_width_percent=\"100\" window_height_percent=\"100\" "
    "window_fullscreen=\"false\" left_mouse_action=\"ignore\" right_mouse_action=\"flash\" "
    "exit_on_escape=\"true\" use_flash_bgcolor=\"false\" flash_bgcolor=\"0\" flash_quality=\"auto_low\" "
    "flash_scale=\"no_border\" flash_show_menu=\"true\" flash_loop_movie=\"false\">\n"
    "<more_files>\n<path src=\"FOLDERsub.txt\" />\n</more_files>\n"
    "<sub_data>\n</sub_data>\n</flash_projector>\n"
    "</sub_data>\n</flash_projector>\n"
    "</flash_saver_datalist>\n";

TEST(ProjectElement, WritesEveryAttributeInItsPlace) {
  const std::string folder = gbtest::MakeTempFolder("write_list");
  CSaverDataList list;
  list.SetOutputFolder(CPathName(folder));
  EXPECT_EQ(ListXml(list), Replace(kDefaultList, "FOLDER", folder));
}

TEST(ProjectElement, EveryFieldSurvivesAWriteAndARead) {
  const std::string folder = gbtest::MakeTempFolder("round_trip");
  modeltest::WriteMovie(folder + "movie.swf");
  const std::string text = Replace(kFullList, "FOLDER", folder);
  CSaverDataList list;
  ASSERT_TRUE(ReadListXml(list, text, folder));
  EXPECT_EQ(ListXml(list), text);

  // A few fields seen through the getters, the decoded texts among them.
  EXPECT_EQ(list.GetName(), "Caf\x8E <1>");
  EXPECT_EQ(list.GetMacUniversalFileName(), "a3 & b");
  CSwfItem* root = list.GetRootItem();
  EXPECT_EQ(root->GetWindowTitle(), "T\n2");
  EXPECT_EQ(root->GetFlashBgColor(), 0xFFFFFFFFu);
  EXPECT_EQ(root->GetMovieWidth(), 550);
  ASSERT_EQ(root->GetSubItemCount(), 1);
  EXPECT_EQ(list.GetCurrentData(), root->GetSubItem(0));
  EXPECT_EQ(root->GetSubItem(0)->GetParent(), root);
  EXPECT_EQ(list.GetInstallerType(), kInstallerTypeQuiet);

  // The overwrite flags are not part of the file.
  list.SetOverwriteMacUniversal(true);
  list.SetOverwriteWinInstaller(true);
  EXPECT_EQ(ListXml(list), text);
}

TEST(ProjectElement, AnElementWithoutAttributesReadsAsTheResetState) {
  const std::string folder = gbtest::MakeTempFolder("empty_list");
  modeltest::WriteMovie(folder + "movie.swf");
  CSaverDataList fresh;
  const std::string reset = ListXml(fresh);
  for (const char* text : {"<flash_saver_datalist />", "<flash_saver_datalist></flash_saver_datalist>",
                           "<flash_saver_datalist><flash_projector /></flash_saver_datalist>"}) {
    CSaverDataList list;
    ASSERT_TRUE(ReadListXml(list, Replace(kFullList, "FOLDER", folder), folder));
    ASSERT_TRUE(ReadListXml(list, text, folder));
    EXPECT_EQ(ListXml(list), reset) << text;
    EXPECT_TRUE(list.GetOutputFolder().IsSameAs(CPathName::GetDesktopFolder()));
  }
}

TEST(ProjectElement, CurrentDataSelectsByIndex) {
  const std::string folder = gbtest::MakeTempFolder("current_data");
  const std::string subs =
      "<flash_projector><sub_data><flash_projector /><flash_projector /></sub_data></flash_projector>";
  struct Case {
    const char* attribute;
    int selected;  // -1: nothing
  } cases[] = {{"", -1}, {" current_data=\"0\"", 0}, {" current_data=\"2\"", 2},
               {" current_data=\"3\"", -1}, {" current_data=\"-1\"", -1}};
  for (const Case& c : cases) {
    CSaverDataList list;
    ASSERT_TRUE(ReadListXml(list, ListWith(c.attribute, subs), folder));
    EXPECT_EQ(list.GetCurrentDataIndex(list.GetCurrentData()), c.selected) << c.attribute;
  }
}

TEST(ProjectElement, EnumerationsReadOnlyTheirOwnWords) {
  const std::string folder = gbtest::MakeTempFolder("words");
  struct Case {
    const char* list;
    const char* projector;
    std::function<s32(const CSaverDataList&)> value;
    s32 expected;
  } cases[] = {
      {"", "window_type=\"mask\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowType(); }, 1},
      {"", "window_type=\"Mask\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowType(); }, 0},
      {"", "window_type=\"\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowType(); }, 0},
      {"", "window_style=\"noborder\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowStyle(); }, 3},
      {"", "window_style=\"no_border\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowStyle(); }, 0},
      {"", "window_size=\"custom\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowSizeMode(); }, 0},
      {"", "window_size=\"1\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowSizeMode(); }, 1},
      {"", "window_position=\"center\"",
       [](const CSaverDataList& l) { return l.GetRootItem()->GetWindowPosition(); }, 1},
      {"", "right_mouse_action=\"custom_menu\"",
       [](const CSaverDataList& l) { return l.GetRootItem()->GetRightMouseAction(); }, 3},
      {"", "left_mouse_action=\" drag\"",
       [](const CSaverDataList& l) { return l.GetRootItem()->GetLeftMouseAction(); }, 1},
      {"", "flash_quality=\"auto_high\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetFlashQuality(); }, 2},
      {"", "flash_quality=\"HIGH\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetFlashQuality(); }, 4},
      {"", "flash_scale=\"no_border\"", [](const CSaverDataList& l) { return l.GetRootItem()->GetFlashScale(); }, 1},
      {" installer_type=\"quiet\"", "", [](const CSaverDataList& l) { return l.GetInstallerType(); }, 1},
      {" installer_type=\"Quiet\"", "", [](const CSaverDataList& l) { return l.GetInstallerType(); }, 0},
      {" do_after_install=\"open_saver_panel\"", "", [](const CSaverDataList& l) { return l.GetDoAfterInstall(); }, 1},
      {" do_after_install=\"open\"", "", [](const CSaverDataList& l) { return l.GetDoAfterInstall(); }, 0},
  };
  for (const Case& c : cases) {
    CSaverDataList list;
    ASSERT_TRUE(ReadListXml(list, ListWith(c.list, std::string("<flash_projector ") + c.projector + " />"),
                            folder));
    EXPECT_EQ(c.value(list), c.expected) << c.list << c.projector;
  }

  // Values outside their tables are written empty.
  CSaverDataList list;
  list.GetRootItem()->SetFlashQuality(9);
  list.GetRootItem()->SetLeftMouseAction(-1);
  list.SetInstallerType(7);
  list.SetDoAfterInstall(2);
  const std::string text = ListXml(list);
  for (const char* written : {" flash_quality=\"\"", " left_mouse_action=\"\"", " installer_type=\"\"",
                              " do_after_install=\"\""})
    EXPECT_NE(text.find(written), std::string::npos) << written;
}

TEST(ProjectElement, NumbersAndFlagsOfTheWrongKindReadSafely) {
  const std::string folder = gbtest::MakeTempFolder("wrong_types");
  struct Case {
    const char* projector;
    std::function<s64(const CSwfItem&)> value;
    s64 expected;
  } cases[] = {
      {"window_x=\"abc\"", [](const CSwfItem& i) { return i.GetWindowX(); }, 0},
      {"window_x=\"12px\"", [](const CSwfItem& i) { return i.GetWindowX(); }, 12},
      {"window_x=\"99999999999\"", [](const CSwfItem& i) { return i.GetWindowX(); },
       std::numeric_limits<s32>::max()},
      {"window_y=\"-99999999999999999999999\"", [](const CSwfItem& i) { return i.GetWindowY(); },
       std::numeric_limits<s32>::min()},
      {"window_width=\"\"", [](const CSwfItem& i) { return i.GetWindowWidth(); }, 0},
      {"flash_bgcolor=\"-5\"", [](const CSwfItem& i) { return i.GetFlashBgColor(); }, 0},
      {"flash_bgcolor=\"99999999999\"", [](const CSwfItem& i) { return i.GetFlashBgColor(); }, 0xFFFFFFFF},
      {"flash_bgcolor=\"0x10\"", [](const CSwfItem& i) { return i.GetFlashBgColor(); }, 0},
      {"window_fullscreen=\"TRUE\"", [](const CSwfItem& i) { return i.GetWindowFullscreen(); }, 1},
      {"window_has_close=\"yes\"", [](const CSwfItem& i) { return i.GetWindowHasClose(); }, 0},
      {"window_has_close=\"1\"", [](const CSwfItem& i) { return i.GetWindowHasClose(); }, 0},
  };
  for (const Case& c : cases) {
    CSaverDataList list;
    ASSERT_TRUE(ReadListXml(list, ListWith("", std::string("<flash_projector ") + c.projector + " />"), folder));
    EXPECT_EQ(c.value(*list.GetRootItem()), c.expected) << c.projector;
  }
}

// A project whose root item holds `levels` nested sub-items.
std::string NestedProject(int levels) {
  std::string open, close;
  for (int i = 0; i < levels; ++i) {
    open += "<sub_data><flash_projector window_name=\"level\">";
    close.insert(0, "</flash_projector></sub_data>");
  }
  return ListWith(" screen_saver_name=\"Nested\"", "<flash_projector>" + open + close + "</flash_projector>");
}

TEST(ProjectElement, DeepNestingIsRefusedAndLeavesTheListReset) {
  const std::string folder = gbtest::MakeTempFolder("nesting");
  CSaverDataList list;
  ASSERT_TRUE(ReadListXml(list, NestedProject(kMaxSubItemNesting), folder));
  EXPECT_EQ(list.GetName(), "Nested");
  int depth = 0;
  for (CSwfItem* item = list.GetRootItem(); item->GetSubItemCount() == 1; item = item->GetSubItem(0)) ++depth;
  EXPECT_EQ(depth, kMaxSubItemNesting);

  for (int levels : {kMaxSubItemNesting + 1, 100}) {
    EXPECT_FALSE(ReadListXml(list, NestedProject(levels), folder)) << levels;
    EXPECT_EQ(list.GetRootItem()->GetSubItemCount(), 0) << levels;
    EXPECT_EQ(list.GetName(), "Untitled") << levels;
  }
}

TEST(ProjectElement, HugeTextsAreHeldAndRefusedAsOutputNames) {
  const std::string folder = gbtest::MakeTempFolder("huge");
  const std::string huge(4 << 20, 'x');
  CSaverDataList list;
  ASSERT_TRUE(ReadListXml(list,
                          ListWith(" output_win=\"true\" output_win_filename=\"" + huge + "\"",
                                   "<flash_projector window_title=\"" + huge + "\" />"),
                          folder));
  EXPECT_EQ(list.GetWinFileName().size(), huge.size());
  EXPECT_EQ(list.GetRootItem()->GetWindowTitle().size(), huge.size());
  CStringBuffer message;
  EXPECT_FALSE(list.ValidateOutputNames(&message));
}

TEST(ProjectElement, StrayContentIsPassedOver) {
  const std::string folder = gbtest::MakeTempFolder("stray");
  ASSERT_EQ(mkfifo((folder + "pipe.swf").c_str(), 0600), 0);
  mkdir((folder + "folder.swf").c_str(), 0700);
  const std::string text = ListWith(
      " unknown=\"1\"",
      "<flash_projector swf=\"" + folder + "pipe.swf\" window_name=\"kept\">some text<![CDATA[x]]>\n"
      "<more_files>text<path /><path src=\"\" /><file src=\"/tmp/no\" /><path src=\"/tmp/yes\" /></more_files>\n"
      "<sub_data>text<window /><flash_projector swf=\"" + folder + "folder.swf\" /></sub_data>\n"
      "<other><flash_projector /></other></flash_projector>\n<flash_projector_x />");
  CSaverDataList list;
  ASSERT_TRUE(ReadListXml(list, text, folder));
  CSwfItem* root = list.GetRootItem();
  // Movies that are no movie files are kept as named (and refused by a build).
  EXPECT_EQ(root->GetSwfFile().GetString(), folder + "pipe.swf");
  EXPECT_EQ(root->GetWindowName(), "kept");
  ASSERT_EQ(root->GetMoreFiles().GetCount(), 1);
  EXPECT_EQ(root->GetMoreFiles().GetAt(0)->GetString(), "/tmp/yes");
  ASSERT_EQ(root->GetSubItemCount(), 1);
  EXPECT_EQ(root->GetSubItem(0)->GetSwfFile().GetString(), folder + "folder.swf");
}

// A movie that does not open is kept as the file named it, with the rest of
// the element: the project does not lose it (a volume that is not mounted
// now may be tomorrow), and the check before a build refuses it, naming it.
TEST(ProjectElement, AMovieThatDoesNotOpenIsKeptAsTheFileNamedIt) {
  const std::string folder = gbtest::MakeTempFolder("unopened_movie");
  std::vector<u8> lzma = modeltest::MovieBytes(MovieSpec());
  lzma[0] = 'Z';
  ASSERT_TRUE(gbtest::WriteFile(folder + "lzma.swf", lzma));
  ASSERT_TRUE(gbtest::WriteFile(folder + "text.swf", std::string("no movie")));
  modeltest::WriteMovie(folder + "good.swf");
  const struct {
    std::string movie;  // as the file names it
    std::string kept;
    const char* refusal;
  } cases[] = {
      {folder + "gone.swf", folder + "gone.swf", "cannot be found"},
      {"/Volumes/Show/intro.swf", "/Volumes/Show/intro.swf", "cannot be found"},
      {"lzma.swf", folder + "lzma.swf", "is not a Flash movie"},
      {"./text.swf", folder + "text.swf", "is not a Flash movie"},
  };
  for (const auto& c : cases) {
    CSaverDataList list;
    ASSERT_TRUE(ReadListXml(list,
                            ListWith(" screen_saver_name=\"Kept\" output_win=\"true\"",
                                     "<flash_projector swf=\"" + c.movie +
                                         "\" window_size=\"custom\" window_width=\"123\" />"),
                            folder));
    EXPECT_EQ(list.GetRootItem()->GetSwfFile().GetString(), c.kept);
    EXPECT_EQ(list.GetRootItem()->GetWindowWidth(), 123);
    EXPECT_EQ(list.GetName(), "Kept");
    std::string refusal;
    EXPECT_FALSE(list.ValidateOutputNames(nullptr, &refusal)) << c.movie;
    EXPECT_NE(refusal.find(c.kept + "\" " + c.refusal), std::string::npos) << refusal;
    // The same in a sub-item, and in a projector's list.
    CDataList projector;
    ASSERT_TRUE(ReadListXml(projector,
                            "<flash_projector_datalist output_win=\"true\">\n<flash_projector swf=\"" + folder +
                                "good.swf\">\n<sub_data>\n<flash_projector swf=\"" + c.movie +
                                "\" />\n</sub_data>\n</flash_projector>\n</flash_projector_datalist>\n",
                            folder));
    ASSERT_EQ(projector.GetRootItem()->GetSubItemCount(), 1);
    EXPECT_EQ(projector.GetRootItem()->GetSubItem(0)->GetSwfFile().GetString(), c.kept);
    refusal.clear();
    EXPECT_FALSE(projector.ValidateOutputNames(nullptr, &refusal)) << c.movie;
    EXPECT_NE(refusal.find(c.kept + "\" " + c.refusal), std::string::npos) << refusal;
  }
}

TEST(ProjectElement, RelativePathsAreTakenFromTheProjectFilesFolder) {
  const std::string folder = gbtest::MakeTempFolder("relative");
  mkdir((folder + "movies").c_str(), 0700);
  modeltest::WriteMovie(folder + "movies/m.swf");
  CSaverDataList list;
  ASSERT_TRUE(ReadListXml(list,
                          ListWith(" output_folder=\"out/\" installer_readme=\"docs/ReadMe.txt\"",
                                   "<flash_projector swf=\"movies/m.swf\" window_mask=\"mask.png\">"
                                   "<more_files><path src=\"./extra.txt\" /></more_files></flash_projector>"),
                          folder));
  EXPECT_EQ(list.GetOutputFolder().GetString(), folder + "out/");
  EXPECT_EQ(list.GetInstallerReadMe().GetString(), folder + "docs/ReadMe.txt");
  CSwfItem* root = list.GetRootItem();
  EXPECT_EQ(root->GetSwfFile().GetString(), folder + "movies/m.swf");
  EXPECT_EQ(root->GetWindowMask().GetString(), folder + "mask.png");
  ASSERT_EQ(root->GetMoreFiles().GetCount(), 1);
  EXPECT_EQ(root->GetMoreFiles().GetAt(0)->GetString(), folder + "extra.txt");
}

TEST(ProjectElement, TextsAreMacRomanInAndOut) {
  const std::string folder = gbtest::MakeTempFolder("encoding");
  CSaverDataList list;
  // A hand-written file in UTF-8.
  ASSERT_TRUE(ReadListXml(list, ListWith(" screen_saver_name=\"Caf\xC3\xA9\"", ""), folder));
  EXPECT_EQ(list.GetName(), "Caf\x8E");
  list.GetRootItem()->SetWindowTitle("\xA5 Bullet");
  const std::string text = ListXml(list);
  EXPECT_NE(text.find("screen_saver_name=\"Caf&#x8e;\""), std::string::npos);
  EXPECT_NE(text.find("window_title=\"&#xa5; Bullet\""), std::string::npos);
}

}  // namespace
