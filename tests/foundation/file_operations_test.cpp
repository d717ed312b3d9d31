#include "foundation/file_operations.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "foundation/resource_file.h"
#include "platform/finder_info.h"
#include "platform/forks.h"
#include "platform/launcher.h"
#include "platform/resource_manager.h"
#include "platform/resource_map.h"
#include "platform/system_info.h"
#include "tests/support/test_support.h"

namespace {

plat::FinderInfoBytes FinderOf(const std::string& path) {
  plat::FinderInfoBytes info;
  EXPECT_EQ(plat::ReadFinderInfo(path, &info), noErr) << path;
  return info;
}

void SetFinder(const std::string& path, OSType type, OSType creator, u16 flags = 0) {
  plat::FinderInfoBytes info;
  info.SetFileType(type);
  info.SetFileCreator(creator);
  info.SetFileFlags(flags);
  ASSERT_EQ(plat::WriteFinderInfo(path, info), noErr) << path;
}

std::string LinkText(const std::string& path) {
  char text[512] = {};
  ssize_t length = readlink(path.c_str(), text, sizeof text - 1);
  return length < 0 ? std::string() : std::string(text, size_t(length));
}

bool IsLink(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string Canonical(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  std::string text = resolved ? resolved : "";
  std::free(resolved);
  return text;
}

// Records what would have been launched while it lives.
struct LaunchRecorder {
  std::vector<std::vector<std::string>> launched;
  LaunchRecorder() {
    plat::SetLaunchHook([this](const std::vector<std::string>& arguments) {
      launched.push_back(arguments);
      return true;
    });
  }
  ~LaunchRecorder() { plat::SetLaunchHook(nullptr); }
};

TEST(FileOperations, UniqueNamesPutTwoUnderscoresBeforeTheExtension) {
  std::string folder = gbtest::MakeTempFolder("unique");
  gbtest::MakeTempFolder("unique/Build");
  struct Case {
    std::string model;
    std::vector<std::string> sequence;  // each name is made after it is handed out
  } cases[] = {
      {folder + "movie.swf", {"movie__.swf", "movie__0.swf", "movie__1.swf"}},
      {folder + "Build", {"Build__", "Build__0", "Build__1"}},
      {folder + "Build/", {"Build__2", "Build__3"}},  // a folder path names the folder, not a place in it
      {folder + "archive.tar.gz", {"archive.tar__.gz", "archive.tar__0.gz"}},
      {folder + "missing.txt", {"missing__.txt"}},
  };
  for (const Case& c : cases) {
    for (const std::string& expected : c.sequence) {
      CPathName unique(nullptr);
      ASSERT_TRUE(unique.MakeUniqueName(CPathName(c.model))) << c.model;
      EXPECT_EQ(unique.GetString(), folder + expected);
      ASSERT_TRUE(gbtest::WriteFile(unique.GetString(), ""));
    }
  }

  // After the thousandth candidate there is no free name; the path is kept.
  std::string full = gbtest::MakeTempFolder("unique_full");
  ASSERT_TRUE(gbtest::WriteFile(full + "a__.b", ""));
  for (int n = 0; n < 1000; ++n) ASSERT_TRUE(gbtest::WriteFile(full + "a__" + std::to_string(n) + ".b", ""));
  CPathName unique("/kept");
  EXPECT_FALSE(unique.MakeUniqueName(CPathName(full + "a.b")));
  EXPECT_EQ(unique.GetString(), "/kept");
  EXPECT_FALSE(unique.MakeUniqueName(CPathName("")));
}

TEST(FileOperations, BackupsAreMadeOnlyWhereTheyMay) {
  std::string folder = gbtest::MakeTempFolder("backup");
  ASSERT_TRUE(gbtest::WriteFile(folder + "a.gmx", "new"));
  CPathName backup("/kept");
  ASSERT_TRUE(backup.RenameToBackup(CPathName(folder + "a.gmx"), false));
  EXPECT_EQ(backup.GetString(), folder + "a.gmx~");
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx~"), "new");
  EXPECT_FALSE(gbtest::FileExists(folder + "a.gmx"));

  // An old backup stops the rename unless it may be replaced.
  ASSERT_TRUE(gbtest::WriteFile(folder + "a.gmx", "newer"));
  backup.SetPath("/kept");
  EXPECT_FALSE(backup.RenameToBackup(CPathName(folder + "a.gmx"), false));
  EXPECT_EQ(backup.GetString(), "/kept");
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx"), "newer");
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx~"), "new");
  ASSERT_TRUE(backup.RenameToBackup(CPathName(folder + "a.gmx"), true));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx~"), "newer");
  EXPECT_FALSE(gbtest::FileExists(folder + "a.gmx"));

  // No source, or a backup folder with contents: nothing happens.
  EXPECT_FALSE(backup.RenameToBackup(CPathName(folder + "a.gmx"), true));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a.gmx~"), "newer");
  gbtest::MakeTempFolder("backup/dir~/inside");
  gbtest::MakeTempFolder("backup/dir");
  EXPECT_FALSE(backup.RenameToBackup(CPathName(folder + "dir/"), true));
  EXPECT_TRUE(gbtest::FileExists(folder + "dir~/inside"));
  EXPECT_TRUE(gbtest::FileExists(folder + "dir"));
}

TEST(FileOperations, FoldersAreMadeOneLevelAtATime) {
  std::string folder = gbtest::MakeTempFolder("folders");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", "x"));
  struct Case {
    std::string path;
    bool made;
    OSErr error;
    std::string after;  // the path afterwards
  } cases[] = {
      {folder + "new", true, noErr, folder + "new/"},
      {folder + "new", true, noErr, folder + "new"},   // exists already: left as it is
      {folder + "new/", true, noErr, folder + "new/"},
      {folder + "file", false, dupFNErr, folder + "file"},  // a file is no folder
      {folder + "a/b", false, dirNFErr, folder + "a/b"},
  };
  for (const Case& c : cases) {
    CPathName path(c.path);
    EXPECT_EQ(path.CreateFolder(), c.made) << c.path;
    EXPECT_EQ(GetLastPathError(), c.error) << c.path;
    EXPECT_EQ(path.GetString(), c.after);
  }
  EXPECT_FALSE(gbtest::FileExists(folder + "a"));
}

TEST(FileOperations, FilesAndResourceFilesCarryTheirCodes) {
  std::string folder = gbtest::MakeTempFolder("files");
  CFileTypeCreator tc(FourCC("SWF2"), FourCC("SWFL"));
  tc.invisible = 1;
  tc.locked = 1;
  CPathName file(folder + "movie.swf");
  ASSERT_TRUE(file.CreateFile(&tc, false));
  EXPECT_EQ(FinderOf(folder + "movie.swf").FileType(), FourCC("SWFL"));
  EXPECT_EQ(FinderOf(folder + "movie.swf").FileFlags(), kFinderInvisible);
  EXPECT_TRUE(plat::IsLocked(folder + "movie.swf"));

  // A resource file holds an empty resource map and uses no flags.
  CPathName resources(folder + "main.rsrc");
  ASSERT_TRUE(resources.CreateResourceFile(&tc, false));
  std::vector<uint8_t> map = gbtest::ReadFile(folder + "main.rsrc");
  ASSERT_EQ(map.size(), 286u);
  const uint8_t header[] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 30};
  EXPECT_EQ(std::vector<uint8_t>(map.begin(), map.begin() + 16), std::vector<uint8_t>(header, header + 16));
  EXPECT_EQ(std::vector<uint8_t>(map.begin() + 256, map.begin() + 272), std::vector<uint8_t>(header, header + 16));
  const uint8_t tail[] = {0, 28, 0, 30, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<uint8_t>(map.end() - 6, map.end()), std::vector<uint8_t>(tail, tail + 6));
  EXPECT_EQ(FinderOf(folder + "main.rsrc").FileCreator(), FourCC("SWF2"));
  EXPECT_EQ(FinderOf(folder + "main.rsrc").FileFlags(), 0);
  EXPECT_FALSE(plat::IsLocked(folder + "main.rsrc"));

  // Existing items: a file only with replace, a folder never.
  ASSERT_TRUE(gbtest::WriteFile(folder + "main.rsrc", "old"));
  EXPECT_FALSE(resources.CreateResourceFile(nullptr, false));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "main.rsrc"), "old");
  ASSERT_TRUE(resources.CreateResourceFile(nullptr, true));
  EXPECT_EQ(gbtest::ReadFile(folder + "main.rsrc").size(), 286u);
  EXPECT_EQ(FinderOf(folder + "main.rsrc").FileType(), FourCC("????"));
  gbtest::MakeTempFolder("files/empty");
  EXPECT_FALSE(CPathName(folder + "empty").CreateFile(nullptr, true));
  EXPECT_FALSE(CPathName(folder + "empty").CreateResourceFile(nullptr, true));
  EXPECT_TRUE(gbtest::FileExists(folder + "empty"));
  EXPECT_FALSE(CPathName(folder + "no/such").CreateFile(nullptr, false));

  // The map sits in the data fork, where the resource-file reader finds it;
  // the 'SIZE' call works on resource forks only and changes nothing here.
  CResourceFile reader;
  EXPECT_TRUE(reader.Open(resources));
  reader.Close();
  EXPECT_FALSE(resources.SetSizeResource(1024 * 1024, 512 * 1024));
  EXPECT_EQ(gbtest::ReadFile(folder + "main.rsrc").size(), 286u);
}

// The resource fork of `path` holding `entries`.
void WriteResourceFork(const std::string& path, const std::vector<plat::ResourceEntry>& entries) {
  plat::ResourceMap map;
  for (const plat::ResourceEntry& entry : entries) ASSERT_TRUE(map.Set(entry));
  std::vector<u8> image;
  ASSERT_TRUE(map.Serialize(image));
  ASSERT_EQ(plat::WriteForkImage(path, plat::ForkKind::resource, image), noErr);
}

std::vector<u8> ResourceForkImage(const std::string& path) {
  std::vector<u8> image;
  EXPECT_EQ(plat::ReadForkImage(path, plat::ForkKind::resource, image), noErr) << path;
  return image;
}

plat::ResourceEntry Resource(ResType type, ResID id, std::vector<u8> data) {
  plat::ResourceEntry entry;
  entry.type = type;
  entry.id = id;
  entry.data = std::move(data);
  return entry;
}

TEST(FileOperations, SizeResourceIsRewrittenInTheResourceFork) {
  std::string folder = gbtest::MakeTempFolder("size");
  const std::string app = folder + "Saver";
  ASSERT_TRUE(gbtest::WriteFile(app, "engine"));
  WriteResourceFork(app, {Resource(FourCC("SIZE"), -1, {0x58, 0x80, 1, 2, 3, 4, 5, 6, 7, 8, 0xAA, 0xBB}),
                          Resource(FourCC("SIZE"), 0, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9}),
                          Resource(FourCC("vers"), 1, {1, 2, 3})});
  ASSERT_TRUE(CPathName(app).SetSizeResource(0x00100000, 0x00080000));

  plat::ResourceMap map;
  ASSERT_TRUE(map.Parse(ResourceForkImage(app)));
  ASSERT_EQ(map.Entries().size(), 3u);
  // Flags and trailing bytes stay; both sizes are big-endian.
  EXPECT_EQ(map.Find(FourCC("SIZE"), -1)->data,
            std::vector<u8>({0x58, 0x80, 0, 0x10, 0, 0, 0, 8, 0, 0, 0xAA, 0xBB}));
  EXPECT_EQ(map.Find(FourCC("SIZE"), 0)->data, std::vector<u8>(10, 9));
  EXPECT_EQ(map.Find(FourCC("vers"), 1)->data, std::vector<u8>({1, 2, 3}));
  EXPECT_EQ(gbtest::ReadTextFile(app), "engine");
  EXPECT_EQ(plat::OpenResourceFileCount(), 0u);

  // Files that cannot take the sizes keep their forks as they were.
  struct Case {
    const char* name;
    std::vector<plat::ResourceEntry> resources;  // none: no resource fork
    bool locked;
  } cases[] = {
      {"no fork", {}, false},
      {"other ids", {Resource(FourCC("SIZE"), 0, std::vector<u8>(10, 1))}, false},
      {"short", {Resource(FourCC("SIZE"), -1, {0, 0, 0, 1, 0, 0, 0, 2, 0})}, false},
      {"locked", {Resource(FourCC("SIZE"), -1, std::vector<u8>(10, 1))}, true},
  };
  for (const Case& c : cases) {
    const std::string path = folder + c.name;
    ASSERT_TRUE(gbtest::WriteFile(path, "data"));
    if (!c.resources.empty()) WriteResourceFork(path, c.resources);
    const std::vector<u8> before = ResourceForkImage(path);
    if (c.locked) {
      ASSERT_EQ(plat::SetLocked(path, true), noErr);
    }
    EXPECT_FALSE(CPathName(path).SetSizeResource(100, 50)) << c.name;
    EXPECT_EQ(ResourceForkImage(path), before) << c.name;
    EXPECT_EQ(gbtest::ReadTextFile(path), "data") << c.name;
    if (c.locked) {
      ASSERT_EQ(plat::SetLocked(path, false), noErr);
    }
  }
  EXPECT_FALSE(CPathName(folder + "missing").SetSizeResource(100, 50));
  EXPECT_FALSE(gbtest::FileExists(folder + "missing"));
  EXPECT_FALSE(SetSizeResource(nullptr, 100, 50));
  EXPECT_EQ(plat::OpenResourceFileCount(), 0u);
}

TEST(FileOperations, AliasFilesAreRelativeLinksWithTheAliasFlag) {
  std::string folder = gbtest::MakeTempFolder("alias");
  gbtest::MakeTempFolder("alias/apps/Tool.app");
  gbtest::MakeTempFolder("alias/desk");
  ASSERT_TRUE(gbtest::WriteFile(folder + "apps/tool", "program"));
  SetFinder(folder + "apps/tool", FourCC("APPL"), FourCC("TOOL"), kFinderHasBundle);
  ASSERT_TRUE(gbtest::WriteFile(folder + "apps/notes.txt", "text"));
  SetFinder(folder + "apps/notes.txt", FourCC("TEXT"), FourCC("ttxt"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "desk/old", "an old file"));

  struct Case {
    std::string item, alias;
    OSType type, creator;
    std::string linkText;
  } cases[] = {
      {folder + "apps/tool", folder + "desk/tool alias", FourCC("adrp"), FourCC("TOOL"), "../apps/tool"},
      {folder + "apps/notes.txt", folder + "desk/old", FourCC("TEXT"), FourCC("ttxt"), "../apps/notes.txt"},
      {folder + "apps/Tool.app/", folder + "desk/app", FourCC("????"), FourCC("????"), "../apps/Tool.app"},
      {folder + "apps/notes.txt", folder + "apps/same", FourCC("TEXT"), FourCC("ttxt"), "notes.txt"},
      {folder + "apps/tool", folder + "desk/tool alias", FourCC("adrp"), FourCC("TOOL"), "../apps/tool"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(CPathName(c.item).CreateAliasFile(CPathName(c.alias))) << c.alias;
    ASSERT_TRUE(IsLink(c.alias));
    EXPECT_EQ(LinkText(c.alias), c.linkText);
    EXPECT_EQ(Canonical(c.alias), Canonical(c.item));
    plat::FinderInfoBytes info = FinderOf(c.alias);
    EXPECT_EQ(info.FileType(), c.type) << c.alias;
    EXPECT_EQ(info.FileCreator(), c.creator) << c.alias;
    EXPECT_EQ(info.FileFlags(), plat::kIsAliasFlag) << c.alias;
  }
  // The items themselves are left as they were.
  EXPECT_EQ(FinderOf(folder + "apps/tool").FileType(), FourCC("APPL"));
  EXPECT_EQ(FinderOf(folder + "apps/tool").FileFlags(), kFinderHasBundle);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "apps/tool"), "program");

  // Never onto the item itself, a folder or anything else that is there.
  gbtest::MakeTempFolder("alias/desk/folder");
  ASSERT_EQ(mkfifo((folder + "desk/fifo").c_str(), 0600), 0);
  for (const std::string& alias : {folder + "apps/tool", folder + "desk/folder", folder + "desk/fifo"})
    EXPECT_FALSE(CPathName(folder + "apps/tool").CreateAliasFile(CPathName(alias))) << alias;
  EXPECT_EQ(gbtest::ReadTextFile(folder + "apps/tool"), "program");
  EXPECT_FALSE(IsLink(folder + "desk/folder"));
  EXPECT_FALSE(CPathName(folder + "missing").CreateAliasFile(CPathName(folder + "desk/m")));
  EXPECT_FALSE(CPathName(folder + "apps/tool").CreateAliasFile(CPathName(folder + "no/such")));
  EXPECT_FALSE(gbtest::FileExists(folder + "desk/m"));
}

TEST(FileOperations, DeletingKeepsWhatItMayNotTouch) {
  std::string folder = gbtest::MakeTempFolder("delete");
  std::string outside = gbtest::MakeTempFolder("delete_outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "keep", "k"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", "x"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "locked", "x"));
  ASSERT_EQ(plat::SetLocked(folder + "locked", true), noErr);
  gbtest::MakeTempFolder("delete/empty");
  gbtest::MakeTempFolder("delete/full/sub");
  ASSERT_EQ(symlink(outside.c_str(), (folder + "link").c_str()), 0);

  struct Case {
    std::string path;
    bool unlinkFolder;
    bool deleted;
    OSErr error;
  } cases[] = {
      {folder + "file", false, true, noErr},
      {folder + "file", false, true, noErr},  // a missing item counts as deleted
      {folder + "no/such/thing", false, true, noErr},
      {folder + "locked", false, false, fLckdErr},
      {folder + "empty/", false, true, noErr},
      {folder + "full", false, false, fBsyErr},
      {folder + "full", true, false, notAFileErr},  // unlink(2) refuses folders too
      {folder + "link/", false, true, noErr},       // the link, not the folder it leads to
  };
  for (const Case& c : cases) {
    SetLastPathError(noErr);
    EXPECT_EQ(CPathName(c.path).Delete(c.unlinkFolder), c.deleted) << c.path;
    if (!c.deleted) {
      EXPECT_EQ(GetLastPathError(), c.error) << c.path;
    }
  }
  EXPECT_TRUE(gbtest::FileExists(folder + "locked"));
  EXPECT_TRUE(gbtest::FileExists(folder + "full/sub"));
  EXPECT_FALSE(gbtest::FileExists(folder + "empty"));
  EXPECT_EQ(gbtest::ReadTextFile(outside + "keep"), "k");

  // Recursive deletion takes a tree with locked items, never what a link reaches.
  ASSERT_TRUE(gbtest::WriteFile(folder + "full/sub/locked", "x"));
  ASSERT_EQ(plat::SetLocked(folder + "full/sub/locked", true), noErr);
  ASSERT_EQ(plat::SetLocked(folder + "full/sub", true), noErr);
  ASSERT_EQ(symlink(outside.c_str(), (folder + "full/out").c_str()), 0);
  EXPECT_FALSE(CPathName(folder + "full").DeleteRecursive(false));
  EXPECT_TRUE(gbtest::FileExists(folder + "full/sub/locked"));
  EXPECT_TRUE(CPathName(folder + "full").DeleteRecursive(true));
  EXPECT_FALSE(gbtest::FileExists(folder + "full"));
  EXPECT_FALSE(CPathName(folder + "full").DeleteRecursive(true));
  EXPECT_EQ(gbtest::ReadTextFile(outside + "keep"), "k");
}

TEST(FileOperations, TreeDeletionOnReferences) {
  std::string folder = gbtest::MakeTempFolder("tree");
  gbtest::MakeTempFolder("tree/a/b/c");
  for (const char* name : {"a/one", "a/b/two", "a/b/c/three"}) {
    ASSERT_TRUE(gbtest::WriteFile(folder + name, name));
    ASSERT_EQ(plat::SetLocked(folder + name, true), noErr);
  }
  ASSERT_EQ(plat::SetLocked(folder + "a/b", true), noErr);
  ASSERT_EQ(plat::SetLocked(folder + "a", true), noErr);
  FSRef file, tree;
  ASSERT_EQ(plat::MakeFsRef(folder + "a/one", &file), noErr);
  ASSERT_EQ(plat::MakeFsRef(folder + "a", &tree), noErr);

  EXPECT_EQ(DeleteFolderTree(&file), dirNFErr);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "a/one"), "a/one");
  EXPECT_EQ(DeleteObjectUnlocked(nullptr), paramErr);
  EXPECT_EQ(DeleteFolderTree(&tree), noErr);
  EXPECT_FALSE(gbtest::FileExists(folder + "a"));
  EXPECT_EQ(DeleteFolderTree(&tree), fnfErr);

  // A single locked file, and a reference that no longer names its item.
  ASSERT_TRUE(gbtest::WriteFile(folder + "single", "s"));
  ASSERT_EQ(plat::SetLocked(folder + "single", true), noErr);
  ASSERT_EQ(plat::MakeFsRef(folder + "single", &file), noErr);
  // Held open, the deleted file keeps its inode, so that the new file of its
  // name cannot reuse it (ext4 hands freed inodes out again at once).
  const int held = open((folder + "single").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  EXPECT_EQ(DeleteObjectUnlocked(&file), noErr);
  EXPECT_FALSE(gbtest::FileExists(folder + "single"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "single", "another"));
  close(held);
  EXPECT_EQ(DeleteObjectUnlocked(&file), fnfErr);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "single"), "another");
}

TEST(FileOperations, RenamesReplaceOnlyWhatMayGo) {
  std::string folder = gbtest::MakeTempFolder("rename");
  struct Case {
    const char* what;
    std::string existing;  // "" none, "file", "empty", "full", "locked"
    const char* newName;
    OSErr error;
  } cases[] = {
      {"plain", "", "b", noErr},
      {"over a file", "file", "b", noErr},
      {"over an empty folder", "empty", "b", noErr},
      {"over a folder with contents", "full", "b", fBsyErr},
      {"over a locked file", "locked", "b", fLckdErr},
      {"to its own name", "", "a", noErr},
      {"to a path", "", "../b", bdNamErr},
      {"to nothing", "", "", bdNamErr},
  };
  for (const Case& c : cases) {
    std::string dir = gbtest::MakeTempFolder(std::string("rename/") + c.what);
    ASSERT_TRUE(gbtest::WriteFile(dir + "a", "source"));
    SInt16 fork = 0;
    ASSERT_EQ(plat::OpenFork(dir + "a", plat::ForkKind::resource, fsWrPerm, &fork), noErr);
    ASSERT_EQ(plat::WriteFork(fork, 4, "rsrc", nullptr), noErr);
    ASSERT_EQ(plat::CloseFork(fork), noErr);
    if (c.existing == "file" || c.existing == "locked") {
      ASSERT_TRUE(gbtest::WriteFile(dir + "b", "existing"));
    }
    if (c.existing == "locked") {
      ASSERT_EQ(plat::SetLocked(dir + "b", true), noErr);
    }
    if (c.existing == "empty") gbtest::MakeTempFolder(std::string("rename/") + c.what + "/b");
    if (c.existing == "full") {
      gbtest::MakeTempFolder(std::string("rename/") + c.what + "/b");
      ASSERT_TRUE(gbtest::WriteFile(dir + "b/inside", "existing"));
    }

    CPathName path(dir + "a");
    OSErr error = 1;
    EXPECT_EQ(path.Rename(c.newName, &error), c.error == noErr) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    std::string name = c.error == noErr ? c.newName : "a";
    EXPECT_EQ(path.GetString(), dir + name) << c.what;
    EXPECT_EQ(gbtest::ReadTextFile(dir + name), "source") << c.what;
    std::string sidecar = dir + "._";
    sidecar += name;
    EXPECT_EQ(gbtest::ReadTextFile(sidecar).size(), 42u) << c.what;  // the sidecar went along
    if (c.existing == "full") {
      EXPECT_EQ(gbtest::ReadTextFile(dir + "b/inside"), "existing");
    }
    if (c.existing == "locked") {
      EXPECT_EQ(gbtest::ReadTextFile(dir + "b"), "existing");
    }
    for (const char* aside : {".DeleteMe", ".DeleteMe__"}) EXPECT_FALSE(gbtest::FileExists(dir + aside)) << c.what;
  }

  // A missing item renames nothing, least of all its folder.
  std::string dir = gbtest::MakeTempFolder("rename_missing");
  CPathName missing(dir + "gone");
  OSErr error = noErr;
  EXPECT_FALSE(missing.Rename("other", &error));
  EXPECT_EQ(error, fnfErr);
  EXPECT_TRUE(gbtest::FileExists(dir));
  EXPECT_FALSE(gbtest::FileExists(dir + "other"));
}

TEST(FileOperations, MovesGoIntoExistingFoldersOnly) {
  std::string folder = gbtest::MakeTempFolder("move");
  gbtest::MakeTempFolder("move/to");
  ASSERT_TRUE(gbtest::WriteFile(folder + "to/beside", "x"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "item", "item"));
  ASSERT_EQ(symlink("to", (folder + "link to folder").c_str()), 0);

  CPathName item(folder + "item");
  OSErr error = 1;
  ASSERT_TRUE(item.MoveTo(CPathName(folder + "to"), &error));
  EXPECT_EQ(error, noErr);
  EXPECT_EQ(item.GetString(), folder + "to/item");
  // Beside an existing file: into the folder holding it.
  ASSERT_TRUE(CPathName(folder + "to/item").MoveTo(CPathName(folder + "to/beside")));
  EXPECT_TRUE(gbtest::FileExists(folder + "to/item"));

  struct Case {
    std::string item, destination;
    OSErr error;
  } cases[] = {
      {folder + "to/item", folder + "nowhere", errFSNotAFolder},
      {folder + "to/item", folder + "nowhere/", errFSNotAFolder},
      {folder + "to/item", folder + "no/such/place", errFSNotAFolder},
      {folder + "to/gone", folder, fnfErr},  // the missing item's folder stays where it is
      {folder + "to/item", folder + "to", noErr},  // already there
  };
  for (const Case& c : cases) {
    CPathName path(c.item);
    EXPECT_EQ(path.MoveTo(CPathName(c.destination), &error), c.error == noErr) << c.destination;
    EXPECT_EQ(error, c.error) << c.destination;
    EXPECT_EQ(path.GetString(), c.error == noErr ? folder + "to/item" : c.item);
  }
  EXPECT_TRUE(gbtest::FileExists(folder + "to/item"));
  EXPECT_TRUE(gbtest::FileExists(folder + "to/beside"));

  // Through a link to a folder, and refused where the name is taken.
  CPathName back(folder + "to/item");
  ASSERT_TRUE(back.MoveTo(CPathName(folder)));
  ASSERT_TRUE(back.MoveTo(CPathName(folder + "link to folder/")));
  EXPECT_TRUE(gbtest::FileExists(folder + "to/item"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "item", "other"));
  EXPECT_FALSE(CPathName(folder + "to/item").MoveTo(CPathName(folder), &error));
  EXPECT_EQ(error, dupFNErr);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "item"), "other");
  EXPECT_EQ(gbtest::ReadTextFile(folder + "to/item"), "item");
}

TEST(FileOperations, OpeningAndLaunchingGoThroughTheLauncher) {
  std::string folder = gbtest::MakeTempFolder("launch");
  ASSERT_TRUE(gbtest::WriteFile(folder + "movie; rm -rf ~.swf", "m"));
  gbtest::MakeTempFolder("launch/Viewer.app/Contents/MacOS");
  ASSERT_TRUE(gbtest::WriteFile(folder + "Viewer.app/Contents/MacOS/Viewer", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((folder + "Viewer.app/Contents/MacOS/Viewer").c_str(), 0755), 0);
  std::string document = folder + "movie; rm -rf ~.swf";
  std::string program = folder + "Viewer.app/Contents/MacOS/Viewer";

  LaunchRecorder recorder;
  CPathName movie(document), viewer(folder + "Viewer.app/");
  EXPECT_TRUE(movie.OpenInFinder());
  EXPECT_TRUE(movie.OpenWithApplication(viewer));
  ProcessSerialNumber process{1, 2};
  EXPECT_TRUE(viewer.LaunchApplication(&process));
  EXPECT_EQ(process.lowLongOfPSN, 0u);  // the hook started no process
  EXPECT_TRUE(movie.LaunchOrOpen(&process));  // a document is opened instead

  EXPECT_FALSE(movie.LaunchApplication(&process));
  EXPECT_FALSE(movie.OpenWithApplication(movie));
  EXPECT_FALSE(CPathName(folder + "missing").OpenInFinder());
  EXPECT_FALSE(CPathName(folder + "missing").LaunchOrOpen(&process));
  EXPECT_FALSE(CPathName(folder + "missing").OpenWithApplication(viewer));

  std::vector<std::vector<std::string>> expected = {
      {"xdg-open", document},
      {program, document},
      {program},
      {"xdg-open", document},
  };
  EXPECT_EQ(recorder.launched, expected);
}

TEST(FileOperations, ApplicationsAreQuitOnlyByTheirOwnItem) {
  std::string bundle = gbtest::MakeTempFolder("Sleeper.app");
  std::string program = gbtest::MakeTempFolder("Sleeper.app/Contents/MacOS") + "Sleeper";
  std::vector<uint8_t> bytes = gbtest::ReadFile("/bin/sleep");
  if (bytes.empty()) bytes = gbtest::ReadFile("/usr/bin/sleep");
  if (bytes.empty()) GTEST_SKIP() << "no sleep program to copy";
  ASSERT_TRUE(gbtest::WriteFile(program, bytes));
  ASSERT_EQ(chmod(program.c_str(), 0755), 0);
  std::string other = gbtest::MakeTempFolder("Other.app");

  // Started for real (with an argument, so that it waits), then asked to
  // quit through items that are not its own and through its bundle.
  pid_t pid = 0;
  ASSERT_TRUE(plat::Launch({program, "30"}, &pid));
  ProcessSerialNumber process{0, u32(pid)};
  EXPECT_FALSE(CPathName(other).QuitApplicationProcess(&process));
  EXPECT_FALSE(CPathName(program + "x").QuitApplicationProcess(&process));
  ProcessSerialNumber high{1, u32(pid)};
  EXPECT_FALSE(CPathName(bundle).QuitApplicationProcess(&high));
  EXPECT_FALSE(CPathName(bundle).QuitApplicationProcess(nullptr));
  EXPECT_TRUE(kill(pid, 0) == 0);
  EXPECT_TRUE(CPathName(bundle).QuitApplicationProcess(&process));
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    gone = kill(pid, 0) != 0;
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(gone);

  // LaunchApplication hands back the new process (which, without an
  // argument, ends by itself).
  ProcessSerialNumber launched;
  ASSERT_TRUE(CPathName(bundle).LaunchApplication(&launched));
  EXPECT_NE(launched.lowLongOfPSN, 0u);
}

TEST(FileOperations, DataForksOpenForReadingOnly) {
  std::string folder = gbtest::MakeTempFolder("read_fork");
  ASSERT_TRUE(gbtest::WriteFile(folder + "data", "abc"));
  s16 fork = 0;
  ASSERT_TRUE(CPathName(folder + "data").OpenDataForkForReading(&fork));
  char buffer[4] = {};
  UInt64 got = 0;
  EXPECT_EQ(plat::ReadFork(fork, 3, buffer, &got), noErr);
  EXPECT_EQ(std::string(buffer, got), "abc");
  EXPECT_EQ(plat::WriteFork(fork, 1, "x", nullptr), wrPermErr);
  ASSERT_EQ(plat::CloseFork(fork), noErr);
  EXPECT_FALSE(CPathName(folder + "missing").OpenDataForkForReading(&fork));
  EXPECT_FALSE(CPathName(folder).OpenDataForkForReading(&fork));
  EXPECT_FALSE(CPathName(folder + "data").OpenDataForkForReading(nullptr));
}

}  // namespace
