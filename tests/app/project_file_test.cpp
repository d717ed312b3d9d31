#include "app/project_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "app/undo_stack.h"
#include "builders/project_change_count.h"
#include "builders/saver_data_list.h"
#include "foundation/finder_info.h"
#include "tests/app/app_fixtures.h"
#include "tests/support/test_support.h"

namespace {

// The list element as the list writes it.
std::string ListElement(CSaverDataList& list, const std::string& folder) {
  const std::string path = folder + "element.xml";
  EXPECT_TRUE(WriteDataListSnapshot(list, apptest::PathOf(path)));
  const std::string text = gbtest::ReadTextFile(path);
  const std::string declaration = "<?xml version=\"1.0\" ?>\n";
  EXPECT_EQ(text.rfind(declaration, 0), 0u);
  // Without the declaration and the writer's closing line feed.
  return text.substr(declaration.size(), text.size() - declaration.size() - 1);
}

void FillList(CSaverDataList& list, const std::string& demo) {
  list.SetName("Aurora");
  ASSERT_TRUE(list.GetRootItem()->SetSwfFile(apptest::PathOf(demo + "Demo.swf")));
  list.GetRootItem()->AddMoreFile(apptest::PathOf(demo + "Credits.txt"));
  list.SetOutputFolder(apptest::PathOf(demo + "output/"));
  list.SetOutputMacUniversal(true);
  list.SetOutputWinInstaller(true);
  list.SetInstallerReadMe(apptest::PathOf(demo + "ReadMe.txt"));
  list.SetInstallerHasReadMe(true);
  list.SetExitOnKeyPress(false);
}

TEST(ProjectFile, TheFileIsTheRootElementAroundTheList) {
  const std::string folder = apptest::CopyDemo("project-bytes");
  CSaverDataList list;
  FillList(list, folder);
  const std::string path = folder + "Aurora.gmx";
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(path)), kProjectFileDone);
  const std::string expected = "<?xml version=\"1.0\" ?>\n<glimmerbox version_major=\"2\" version_minor=\"6\">\n" +
                               ListElement(list, folder) + "</glimmerbox>\n\n";
  EXPECT_EQ(gbtest::ReadTextFile(path), expected);
  FSRef ref;
  ASSERT_TRUE(apptest::PathOf(path).GetFsRef(&ref));
  OSType type = 0, creator = 0;
  ASSERT_TRUE(GetFsRefTypeCreator(&ref, &creator, &type));
  EXPECT_EQ(type, FourCC("pGmx"));
  EXPECT_EQ(creator, FourCC("Gmxv"));
}

TEST(ProjectFile, WhatIsWrittenReadsBackTheSame) {
  const std::string folder = apptest::CopyDemo("project-round-trip");
  CSaverDataList list;
  FillList(list, folder);
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "a.gmx")), kProjectFileDone);
  CSaverDataList read;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "a.gmx"), read), kProjectFileDone);
  EXPECT_EQ(read.GetName(), "Aurora");
  EXPECT_EQ(read.GetRootItem()->GetMoreFiles().GetCount(), 1);
  EXPECT_TRUE(read.GetOutputWinInstaller());
  EXPECT_FALSE(read.GetExitOnKeyPress());
  ASSERT_EQ(WriteProjectFile(read, apptest::PathOf(folder + "b.gmx")), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx"), gbtest::ReadTextFile(folder + "b.gmx"));
  // The demo project, with its paths relative to its folder, reads too.
  CSaverDataList demo;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Demo.gmx"), demo), kProjectFileDone);
  EXPECT_EQ(demo.GetRootItem()->GetSwfFile().GetString(), folder + "Demo.swf");
  EXPECT_EQ(demo.GetOutputFolder().GetString(), folder + "output/");
  EXPECT_TRUE(demo.GetOutputMacUniversal() && demo.GetOutputMacUniversalInstaller() && demo.GetOutputWin() &&
              demo.GetOutputWinInstaller());
}

// A colon path of a volume that is not there names nothing here, and has no
// absolute form: a save writes it as it stands rather than as an empty path
// (which a reading passes over, so that the next save would drop the file).
TEST(ProjectFile, APathWithoutAnAbsoluteFormIsSavedAsItStands) {
  const std::string folder = apptest::CopyDemo("project-other-volume");
  std::string text = gbtest::ReadTextFile(folder + "Demo.gmx");
  const std::string credits = "src=\"Credits.txt\"";
  text.replace(text.find(credits), credits.size(), "src=\"Other Disk:Credits.txt\"");
  ASSERT_TRUE(gbtest::WriteFile(folder + "Other.gmx", text));
  CSaverDataList list;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Other.gmx"), list), kProjectFileDone);
  ASSERT_EQ(list.GetRootItem()->GetMoreFiles().GetCount(), 1);
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "a.gmx")), kProjectFileDone);
  EXPECT_NE(gbtest::ReadTextFile(folder + "a.gmx").find("src=\"Other Disk:Credits.txt\""), std::string::npos);
  CSaverDataList again;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "a.gmx"), again), kProjectFileDone);
  EXPECT_EQ(again.GetRootItem()->GetMoreFiles().GetCount(), 1);
  ASSERT_EQ(WriteProjectFile(again, apptest::PathOf(folder + "b.gmx")), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx"), gbtest::ReadTextFile(folder + "b.gmx"));
}

// Names and paths that Mac Roman cannot hold: the project holds a '?' for
// each such character, and does not open a movie by that text (a file named
// with '?' may well be there). A save writes each of them back as the file
// wrote it: a relative path stays relative in the project file's own
// folder and is made absolute elsewhere. The saved file opens with the same
// values and saves to the same bytes, and the project is still refused
// before a build.
TEST(ProjectFile, TextsMacRomanCannotHoldAreSavedAsTheFileWroteThem) {
  const std::string folder = apptest::CopyDemo("project-unheld");
  const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";  // two CJK characters, UTF-8
  const std::string hi = "\xE6\x97\xA5";                  // the first of them
  ASSERT_TRUE(gbtest::WriteFile(folder + nihon + ".swf", gbtest::ReadFile(folder + "Demo.swf")));
  ASSERT_TRUE(gbtest::WriteFile(folder + hi + ".txt", "the extra file"));
  // What the '?' would name: no movie, and another file.
  ASSERT_TRUE(gbtest::WriteFile(folder + "??.swf", "not a movie"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "?.txt", "another file"));
  std::string text = gbtest::ReadTextFile(folder + "Demo.gmx");
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"screen_saver_name=\"Demo\"",
                                                                     "screen_saver_name=\"" + nihon + "\""},
                                 {"swf=\"Demo.swf\"", "swf=\"" + nihon + ".swf\""},
                                 {"window_title=\"Window\"", "window_title=\"&#x65E5;\""},
                                 {"src=\"Credits.txt\"", "src=\"" + hi + ".txt\""}}) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }
  ASSERT_TRUE(gbtest::WriteFile(folder + "Unheld.gmx", text));

  CSaverDataList read;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Unheld.gmx"), read), kProjectFileDone);
  EXPECT_EQ(read.GetName(), "??");
  EXPECT_EQ(read.GetRootItem()->GetSwfFile().GetString(), folder + "??.swf") << "kept, and not opened";
  EXPECT_EQ(read.GetRootItem()->GetMoreFiles().GetAt(0)->GetString(), folder + "?.txt");

  // Saved under another name, and into another folder.
  mkdir((folder + "elsewhere").c_str(), 0755);
  const struct {
    std::string path;
    std::string movie, extra;  // as the saved file names them
  } saves[] = {{folder + "Saved.gmx", nihon + ".swf", hi + ".txt"},
               {folder + "elsewhere/Saved.gmx", folder + nihon + ".swf", folder + hi + ".txt"}};
  for (const auto& save : saves) {
    ASSERT_EQ(WriteProjectFile(read, apptest::PathOf(save.path)), kProjectFileDone) << save.path;
    const std::string written = gbtest::ReadTextFile(save.path);
    EXPECT_EQ(written.find('?', written.find('>')), std::string::npos) << written;
    for (const std::string& kept : {"screen_saver_name=\"" + nihon + "\"", "swf=\"" + save.movie + "\"",
                                    "window_title=\"" + hi + "\"", "src=\"" + save.extra + "\""})
      EXPECT_NE(written.find(kept), std::string::npos) << kept;

    CSaverDataList again;
    ASSERT_EQ(ReadProjectFile(apptest::PathOf(save.path), again), kProjectFileDone);
    EXPECT_EQ(again.GetName(), read.GetName());
    EXPECT_EQ(again.GetRootItem()->GetSwfFile().GetString(), read.GetRootItem()->GetSwfFile().GetString());
    EXPECT_EQ(again.GetRootItem()->GetWindowWidth(), read.GetRootItem()->GetWindowWidth());
    ASSERT_EQ(WriteProjectFile(again, apptest::PathOf(save.path)), kProjectFileDone);
    EXPECT_EQ(gbtest::ReadTextFile(save.path), written);
    // Still refused before a build, naming the text as the file wrote it.
    std::string refusal;
    EXPECT_FALSE(again.ValidateOutputNames(nullptr, &refusal));
    EXPECT_NE(refusal.find(nihon), std::string::npos) << refusal;
  }

  // A text the user changed is saved as it now stands.
  read.SetName("Tokyo");
  ASSERT_EQ(WriteProjectFile(read, apptest::PathOf(folder + "Renamed.gmx")), kProjectFileDone);
  EXPECT_NE(gbtest::ReadTextFile(folder + "Renamed.gmx").find("screen_saver_name=\"Tokyo\""), std::string::npos);
}

// A real '?' in a name is a character of its own, not one that was lost: a
// text read with a lost character keeps the text its file wrote, and a value
// set anew holds none. Extra files "?.txt", "日.txt" and "月.txt" are saved
// each as it was, also once one of them is removed; choosing the movie
// "?.swf" (or typing "?.scr") in place of "日.swf" ("日.scr") is a change and
// is saved as chosen.
TEST(ProjectFile, ARealQuestionMarkIsNoLostCharacter) {
  const std::string folder = apptest::CopyDemo("project-question-mark");
  const std::string sun = "\xE6\x97\xA5", moon = "\xE6\x9C\x88";  // one CJK character each, UTF-8
  ASSERT_TRUE(gbtest::WriteFile(folder + "?.swf", gbtest::ReadFile(folder + "Demo.swf")));
  std::string text = gbtest::ReadTextFile(folder + "Demo.gmx");
  const std::string files =
      "<path src=\"?.txt\" />\n<path src=\"" + sun + ".txt\" />\n<path src=\"" + moon + ".txt\" />";
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{"<path src=\"Credits.txt\" />", files},
        {"swf=\"Demo.swf\"", "swf=\"" + sun + ".swf\""},
        {"output_win_filename=\"Demo.scr\"", "output_win_filename=\"" + sun + ".scr\""}}) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }
  ASSERT_TRUE(gbtest::WriteFile(folder + "Marks.gmx", text));
  CSaverDataList list;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Marks.gmx"), list), kProjectFileDone);
  CSwfItem* root = list.GetRootItem();
  ASSERT_EQ(root->GetMoreFiles().GetCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(root->GetMoreFiles().GetAt(i)->GetString(), folder + "?.txt") << i;

  // Unchanged, the file is saved as it was; with one of the files removed
  // the others stay as they were.
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Marks.gmx")), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "Marks.gmx"), text);
  ASSERT_TRUE(root->RemoveMoreFile(1));
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Marks.gmx")), kProjectFileDone);
  const std::string removed = gbtest::ReadTextFile(folder + "Marks.gmx");
  EXPECT_NE(removed.find("<path src=\"?.txt\" />\n<path src=\"" + moon + ".txt\" />"), std::string::npos) << removed;

  // The movie "?.swf" and the name "?.scr", set anew, are changes.
  ResetProjectChangeCount();
  EXPECT_TRUE(root->SetSwfFile(apptest::PathOf(folder + "?.swf")));
  EXPECT_GT(TakeProjectChangeCount(true), 0u);
  list.SetWinFileName("?.scr");
  EXPECT_EQ(TakeProjectChangeCount(true), 1u);
  // The same again changes nothing.
  EXPECT_TRUE(root->SetSwfFile(apptest::PathOf(folder + "?.swf")));
  list.SetWinFileName("?.scr");
  EXPECT_EQ(TakeProjectChangeCount(true), 0u);
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Marks.gmx")), kProjectFileDone);
  const std::string chosen = gbtest::ReadTextFile(folder + "Marks.gmx");
  EXPECT_NE(chosen.find("swf=\"" + folder + "?.swf\""), std::string::npos) << chosen;
  EXPECT_NE(chosen.find("output_win_filename=\"?.scr\""), std::string::npos) << chosen;
  EXPECT_EQ(chosen.find(sun + ".s"), std::string::npos) << chosen;
}

// Every project file that the demo and these tests hold, opened and saved
// unchanged, is saved to the same bytes: relative paths stay relative,
// texts that Mac Roman cannot hold stay as they were written, and files that
// are missing or on a volume that is not there stay named.
TEST(ProjectFile, AProjectOpenedAndSavedUnchangedKeepsItsBytes) {
  std::vector<std::string> projects;
  for (const std::string& source :
       {gbtest::SourceFolder() + "examples/demo/", gbtest::SourceFolder() + "tests/app/projects/"})
    for (const auto& entry : std::filesystem::directory_iterator(source))
      if (entry.path().extension() == ".gmx") projects.push_back(entry.path().string());
  ASSERT_GE(projects.size(), 2u);
  for (const std::string& project : projects) {
    const std::string folder = apptest::CopyDemo("project-bytes-" + std::filesystem::path(project).stem().string());
    const std::string path = folder + std::filesystem::path(project).filename().string();
    const std::string text = gbtest::ReadTextFile(project);
    ASSERT_TRUE(gbtest::WriteFile(path, text));
    CSaverDataList list;
    ASSERT_EQ(ReadProjectFile(apptest::PathOf(path), list), kProjectFileDone) << project;
    ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(path)), kProjectFileDone) << project;
    EXPECT_EQ(gbtest::ReadTextFile(path), text) << project;
  }
}

// A movie that does not open (on a volume that is not mounted, missing, or
// of a kind the engine does not read) stays in the project as its file
// named it: shown, saved back after other changes, and refused by the
// check before a build, until the user chooses another.
TEST(ProjectFile, AMovieThatDoesNotOpenIsKeptAndSavedBack) {
  const std::string folder = apptest::CopyDemo("project-unopened-movie");
  std::vector<u8> lzma = {'Z', 'W', 'S', 13};
  lzma.resize(64, 0);
  ASSERT_TRUE(gbtest::WriteFile(folder + "lzma.swf", lzma));
  const struct {
    const char* movie;
    const char* refusal;
  } cases[] = {{"/Volumes/Show/intro.swf", "The file \"/Volumes/Show/intro.swf\" cannot be found."},
               {"gone.swf", "cannot be found."},
               {"lzma.swf", "lzma.swf\" is not a Flash movie."}};
  for (const auto& c : cases) {
    std::string text = gbtest::ReadTextFile(folder + "Demo.gmx");
    text.replace(text.find("swf=\"Demo.swf\""), 14, std::string("swf=\"") + c.movie + "\"");
    ASSERT_TRUE(gbtest::WriteFile(folder + "Movie.gmx", text));
    CSaverDataList list;
    ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Movie.gmx"), list), kProjectFileDone) << c.movie;
    const std::string movie = c.movie[0] == '/' ? c.movie : folder + c.movie;
    EXPECT_EQ(list.GetRootItem()->GetSwfFile().GetString(), movie);
    EXPECT_EQ(list.GetRootItem()->GetWindowWidth(), 550) << "as the file holds it";
    list.SetName("Changed");
    ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Movie.gmx")), kProjectFileDone);
    EXPECT_NE(gbtest::ReadTextFile(folder + "Movie.gmx").find(std::string("swf=\"") + c.movie + "\""),
              std::string::npos)
        << c.movie;
    std::string refusal;
    EXPECT_FALSE(list.ValidateOutputNames(nullptr, &refusal)) << c.movie;
    EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
  }
}

// A project file that is a symbolic link (or a chain of them) is saved into
// the file the link leads to, and the link stays; the saved file keeps the
// mode of the file it replaces. A link that leads nowhere is not saved
// through, and stays as it is.
TEST(ProjectFile, SavingThroughALinkSavesTheFileItLeadsToWithItsMode) {
  const std::string folder = apptest::CopyDemo("project-link");
  const std::string real = gbtest::MakeTempFolder("project-link-real");
  ASSERT_TRUE(gbtest::WriteFile(real + "Real.gmx", gbtest::ReadTextFile(folder + "Demo.gmx")));
  ASSERT_EQ(chmod((real + "Real.gmx").c_str(), 0600), 0);
  ASSERT_EQ(symlink((real + "Real.gmx").c_str(), (folder + "Middle.gmx").c_str()), 0);
  ASSERT_EQ(symlink("Middle.gmx", (folder + "Link.gmx").c_str()), 0);
  CSaverDataList list;
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "Link.gmx"), list), kProjectFileDone);
  list.SetName("Through");
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Link.gmx")), kProjectFileDone);
  struct stat info;
  ASSERT_EQ(lstat((folder + "Link.gmx").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat((folder + "Middle.gmx").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat((real + "Real.gmx").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  const std::string saved = gbtest::ReadTextFile(real + "Real.gmx");
  EXPECT_NE(saved.find("screen_saver_name=\"Through\""), std::string::npos);
  // Paths relative to the folder the project was opened from stay so.
  EXPECT_NE(saved.find("swf=\"Demo.swf\""), std::string::npos) << saved;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(real), std::filesystem::directory_iterator()), 1);

  // A plain file keeps its mode too.
  ASSERT_EQ(chmod((folder + "Demo.gmx").c_str(), 0640), 0);
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Demo.gmx")), kProjectFileDone);
  ASSERT_EQ(stat((folder + "Demo.gmx").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A link that leads nowhere, or round in a circle.
  ASSERT_EQ(symlink((real + "Gone.gmx").c_str(), (folder + "Dangling.gmx").c_str()), 0);
  ASSERT_EQ(symlink("Round.gmx", (folder + "Round.gmx").c_str()), 0);
  for (const char* name : {"Dangling.gmx", "Round.gmx"}) {
    EXPECT_EQ(WriteProjectFile(list, apptest::PathOf(folder + name)), kProjectFileCannotCreate) << name;
    ASSERT_EQ(lstat((folder + name).c_str(), &info), 0) << name;
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << name;
  }
  EXPECT_FALSE(gbtest::FileExists(real + "Gone.gmx"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(real), std::filesystem::directory_iterator()), 1);
}

// A project that names its encoding reaches the model as the same project
// in UTF-8 does; one in an encoding the reader does not read is refused and
// the encoding named.
TEST(ProjectFile, AProjectIsReadInTheEncodingItNames) {
  const std::string folder = gbtest::MakeTempFolder("project-encodings");
  auto project = [&](const std::string& declaration, const std::string& name) {
    return declaration + "<glimmerbox version_major=\"2\" version_minor=\"6\">\n<flash_saver_datalist screen_saver_name=\"" +
           name + "\">\n<flash_projector swf=\"\">\n<more_files>\n<path src=\"" + folder + name +
           ".txt\" />\n</more_files>\n</flash_projector>\n</flash_saver_datalist>\n</glimmerbox>\n";
  };
  for (const std::string& text : {project("", "\xC3\xA9"),
                                   project("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", "\xE9"),
                                   project("<?xml version=\"1.0\" encoding=\"macintosh\"?>\n", "\x8E")}) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "p.gmx", text));
    CSaverDataList read;
    ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "p.gmx"), read), kProjectFileDone) << text;
    EXPECT_EQ(read.GetName(), "\x8E") << text;
    ASSERT_EQ(read.GetRootItem()->GetMoreFiles().GetCount(), 1) << text;
    EXPECT_EQ(read.GetRootItem()->GetMoreFiles().GetAt(0)->GetString(), folder + "\x8E.txt") << text;
  }
  ASSERT_TRUE(gbtest::WriteFile(folder + "p.gmx", project("<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n", "x")));
  CSaverDataList read;
  read.SetName("Before");
  std::string encoding;
  EXPECT_EQ(ReadProjectFile(apptest::PathOf(folder + "p.gmx"), read, &encoding), kProjectFileUnreadEncoding);
  EXPECT_EQ(encoding, "EUC-JP");
  EXPECT_EQ(read.GetName(), "Before");
  // A reference to 0 no longer cuts a path short: the file is refused.
  ASSERT_TRUE(gbtest::WriteFile(folder + "p.gmx", project("", "x&#x0;y")));
  EXPECT_EQ(ReadProjectFile(apptest::PathOf(folder + "p.gmx"), read), kProjectFileCannotOpen);
  EXPECT_EQ(read.GetName(), "Before");
}

TEST(ProjectFile, FilesThatAreNoProjectAreRefused) {
  const std::string folder = gbtest::MakeTempFolder("project-refused");
  const std::string list = "<flash_saver_datalist screen_saver_name=\"Read\" >\n</flash_saver_datalist>\n";
  std::string deep = "<glimmerbox><flash_saver_datalist><flash_projector>";
  for (int i = 0; i < 40; ++i) deep += "<sub_data><flash_projector>";
  for (int i = 0; i < 40; ++i) deep += "</flash_projector></sub_data>";
  deep += "</flash_projector></flash_saver_datalist></glimmerbox>";
  const struct {
    const char* what;
    std::string text;
    int result;
  } cases[] = {
      {"not XML", "this is not a project", kProjectFileCannotOpen},
      {"cut short", "<?xml version=\"1.0\" ?>\n<glimmerbox><flash_saver_datalist", kProjectFileCannotOpen},
      {"another root", "<?xml version=\"1.0\" ?>\n<windows>" + list + "</windows>", kProjectFileNotAProject},
      {"the list alone", "<?xml version=\"1.0\" ?>\n" + list, kProjectFileNotAProject},
      {"no list", "<?xml version=\"1.0\" ?>\n<glimmerbox version_major=\"2\" version_minor=\"6\">\n</glimmerbox>",
       kProjectFileNotAProject},
      {"nested too deeply", deep, kProjectFileNotAProject},
      {"a later version", "<glimmerbox version_major=\"9\" version_minor=\"1\">" + list + "</glimmerbox>",
       kProjectFileDone},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "p.gmx", c.text));
    CSaverDataList read;
    read.SetName("Before");
    EXPECT_EQ(ReadProjectFile(apptest::PathOf(folder + "p.gmx"), read), c.result) << c.what;
    if (c.result == kProjectFileDone) {
      EXPECT_EQ(read.GetName(), "Read") << c.what;
    }
  }
  CSaverDataList read;
  EXPECT_EQ(ReadProjectFile(apptest::PathOf(folder + "missing.gmx"), read), kProjectFileCannotOpen);
  // Of two lists the last wins.
  ASSERT_TRUE(gbtest::WriteFile(folder + "two.gmx",
                                "<glimmerbox><flash_saver_datalist screen_saver_name=\"One\" />"
                                "<flash_saver_datalist screen_saver_name=\"Two\" /></glimmerbox>"));
  ASSERT_EQ(ReadProjectFile(apptest::PathOf(folder + "two.gmx"), read), kProjectFileDone);
  EXPECT_EQ(read.GetName(), "Two");
}

TEST(ProjectFile, AFailedSaveLeavesTheFileThatWasThere) {
  const std::string folder = gbtest::MakeTempFolder("project-failed-save");
  const std::string path = folder + "Kept.gmx";
  ASSERT_TRUE(gbtest::WriteFile(path, "the project as it was"));
  CSaverDataList list;
  // Writes beyond 64 bytes fail, as on a full disk.
  int result = 0;
  {
    gbtest::FullDisk full(64);
    ASSERT_TRUE(full.IsSet());
    result = WriteProjectFile(list, apptest::PathOf(path));
  }
  EXPECT_EQ(result, kProjectFileWriteFailed);
  EXPECT_EQ(gbtest::ReadTextFile(path), "the project as it was");
  EXPECT_FALSE(gbtest::FileExists(folder + "Kept__.gmx"));

  // No file can be made: a folder of the name, or no folder to hold it.
  gbtest::MakeTempFolder("project-failed-save/Folder.gmx");
  EXPECT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "Folder.gmx")), kProjectFileCannotCreate);
  EXPECT_EQ(WriteProjectFile(list, apptest::PathOf(folder + "missing/New.gmx")), kProjectFileCannotCreate);
  // A save that succeeds replaces the file whole.
  ASSERT_EQ(WriteProjectFile(list, apptest::PathOf(path)), kProjectFileDone);
  EXPECT_EQ(gbtest::ReadTextFile(path).rfind("<?xml", 0), 0u);
  EXPECT_FALSE(gbtest::FileExists(folder + "Kept__.gmx"));
}

}  // namespace
