#include "foundation/file_layer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/file_ops.h"
#include "platform/finder_info.h"
#include "platform/forks.h"
#include "tests/support/test_support.h"

namespace {

FSRef RefOf(const std::string& path) {
  FSRef ref;
  EXPECT_EQ(plat::MakeFsRef(path, &ref), noErr) << path;
  return ref;
}

plat::FinderInfoBytes FinderOf(const std::string& path) {
  plat::FinderInfoBytes info;
  EXPECT_EQ(plat::ReadFinderInfo(path, &info), noErr);
  return info;
}

TEST(FileLayer, CreatesFilesWithTypeCreatorAndFlags) {
  std::string folder = gbtest::MakeTempFolder("create");
  CFileTypeCreator tc(FourCC("SWF2"), FourCC("SWFL"));
  tc.invisible = 1;
  ASSERT_TRUE(CreateFileWithTypeCreator(CPathName(folder + "movie.swf"), &tc, false));
  plat::FinderInfoBytes info = FinderOf(folder + "movie.swf");
  EXPECT_EQ(info.FileType(), FourCC("SWFL"));
  EXPECT_EQ(info.FileCreator(), FourCC("SWF2"));
  EXPECT_EQ(info.FileFlags(), kFinderInvisible);
  OSType creator = 0, type = 0;
  FSRef ref = RefOf(folder + "movie.swf");
  ASSERT_TRUE(GetFsRefTypeCreator(&ref, &creator, &type));
  EXPECT_EQ(creator, FourCC("SWF2"));
  EXPECT_EQ(type, FourCC("SWFL"));

  // Existing items: kept without replace, replaced with it.
  ASSERT_TRUE(gbtest::WriteFile(folder + "movie.swf", "old"));
  EXPECT_FALSE(CreateFileWithTypeCreator(CPathName(folder + "movie.swf"), nullptr, false));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "movie.swf"), "old");
  ASSERT_TRUE(CreateFileWithTypeCreator(CPathName(folder + "movie.swf"), nullptr, true));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "movie.swf"), "");
  EXPECT_EQ(FinderOf(folder + "movie.swf").FileType(), FourCC("????"));

  // A locked file cannot be replaced; a new one can be made locked.
  tc.invisible = 0;
  tc.locked = 1;
  ASSERT_TRUE(CreateFileWithTypeCreator(CPathName(folder + "locked"), &tc, false));
  EXPECT_TRUE(plat::IsLocked(folder + "locked"));
  EXPECT_FALSE(CreateFileWithTypeCreator(CPathName(folder + "locked"), nullptr, true));
  EXPECT_TRUE(plat::IsLocked(folder + "locked"));

  EXPECT_FALSE(CreateFileWithTypeCreator(CPathName(folder + "dir/"), nullptr, true));
  EXPECT_FALSE(gbtest::FileExists(folder + "dir"));

  // A folder is never replaced by a file, however its path is written and
  // whether or not it holds anything.
  gbtest::MakeTempFolder("create/empty");
  gbtest::MakeTempFolder("create/full");
  ASSERT_TRUE(gbtest::WriteFile(folder + "full/keep", "kept"));
  for (const char* name : {"empty", "full", "empty/", "full/"}) {
    EXPECT_FALSE(CreateFileWithTypeCreator(CPathName(folder + name), nullptr, true)) << name;
    EXPECT_FALSE(CreateFileWithTypeCreator(CPathName(folder + name), nullptr, false)) << name;
  }
  EXPECT_TRUE(plat::IsEmptyFolder(folder + "empty"));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "full/keep"), "kept");

  CPathName made(nullptr);
  FSRef folderRef = RefOf(folder);
  ASSERT_TRUE(CreateFileInFolder("inside.txt", &folderRef, &made, nullptr, false));
  EXPECT_EQ(made.GetString(), folder + "inside.txt");
  EXPECT_FALSE(CreateFileInFolder("../escape", &folderRef, &made, nullptr, false));
  EXPECT_FALSE(gbtest::FileExists(gbtest::TestRoot() + "escape"));
}

TEST(FileLayer, CreateFileAtUrlReportsWhatStopsIt) {
  std::string folder = gbtest::MakeTempFolder("at_url");
  ASSERT_TRUE(gbtest::WriteFile(folder + "plain", ""));
  struct Case {
    std::string path;
    OSErr expected;
  } cases[] = {
      {folder + "new", noErr},
      {folder + "new", dupFNErr},
      {folder + "plain/inside", dirNFErr},  // a file where a folder is expected
      {folder + "missing/inside", dirNFErr},
  };
  for (const Case& c : cases) {
    CFURLRef url = plat::CreateUrlFromHostPath(c.path, false);
    OSErr status = 1;
    FSRef ref;
    EXPECT_EQ(CreateFileAtUrl(&ref, url, kFSCatInfoNone, nullptr, &status), c.expected == noErr);
    EXPECT_EQ(status, c.expected) << c.path;
    CFRelease(url);
  }
  OSErr status = 1;
  EXPECT_FALSE(CreateFileAtUrl(nullptr, nullptr, kFSCatInfoNone, nullptr, &status));
  EXPECT_EQ(status, kUrlPartMissingErr);
}

TEST(FileLayer, CreatesFoldersOnlyWhereAFolderCanBe) {
  std::string folder = gbtest::MakeTempFolder("folders");
  FSRef parent = RefOf(folder);
  FSRef made, again;
  ASSERT_TRUE(CreateFolderInFsRef("Build", &parent, &made));
  ASSERT_TRUE(gbtest::WriteFile(folder + "Build/inside", "kept"));
  ASSERT_TRUE(CreateFolderInFsRef("Build", &parent, &again));  // exists: fine, the same folder
  EXPECT_TRUE(plat::SameFsRef(made, again));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "Build/inside"), "kept");

  ASSERT_TRUE(gbtest::WriteFile(folder + "file", ""));
  EXPECT_FALSE(CreateFolderInFsRef("file", &parent, &again));  // a file of that name is no folder
  FSRef file = RefOf(folder + "file");
  EXPECT_FALSE(CreateFolderInFsRef("sub", &file, &again));
  for (const char* bad : {"", ".", "..", "a/b"}) EXPECT_FALSE(CreateFolderInFsRef(bad, &parent, &again));

  ASSERT_TRUE(CreateFolderAtPath("Other", CPathName(folder), nullptr));
  ASSERT_TRUE(CreateFolderInParent(CPathName(folder + "Third/"), &made));
  EXPECT_EQ(made.path, folder + "Third");
  EXPECT_FALSE(CreateFolderInParent(CPathName(folder + "missing/Fourth"), &made));
}

TEST(FileLayer, TreeSizesCountDataForksWithoutFollowingLinks) {
  std::string tree = gbtest::MakeTempFolder("sizes");
  FSRef ref = RefOf(tree);
  EXPECT_EQ(GetFolderTreeSize(&ref), 0u);

  std::string outside = gbtest::MakeTempFolder("sizes_outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "big", std::string(5000, 'x')));
  ASSERT_TRUE(gbtest::WriteFile(tree + "a", "12345"));
  ASSERT_EQ(plat::SetLocked(tree + "a", false), noErr);
  SInt16 fork = 0;
  ASSERT_EQ(plat::OpenFork(tree + "a", plat::ForkKind::resource, fsWrPerm, &fork), noErr);
  ASSERT_EQ(plat::WriteFork(fork, 100, std::string(100, 'r').data(), nullptr), noErr);
  ASSERT_EQ(plat::CloseFork(fork), noErr);
  std::string link = tree + "link";
  ASSERT_EQ(symlink(outside.c_str(), link.c_str()), 0);
  u64 linkSize = outside.size();

  // A chain a hundred folders deep with a file at every level.
  std::string level = tree;
  for (int i = 0; i < 100; ++i) {
    level += "d/";
    ASSERT_EQ(mkdir(level.c_str(), 0755), 0);
    ASSERT_TRUE(gbtest::WriteFile(level + "f", "xy"));
  }
  EXPECT_EQ(GetFolderTreeSize(&ref), 5 + linkSize + 200);
  FSRef file = RefOf(tree + "a");
  EXPECT_EQ(GetFolderTreeSize(&file), 0u);
  EXPECT_EQ(GetFolderTreeSize(nullptr), 0u);
}

TEST(FileLayer, ExtensionsChangeOnlyTheName) {
  struct Case {
    const char* path;
    const char* extension;
    const char* expected;
  } cases[] = {
      {"readme", "txt", "readme.txt"},   {"x.swf", "", "x"},
      {"x.swf", "gif", "x.gif"},         {"/a.b/readme", "txt", "/a.b/readme.txt"},
      {"/a.b/readme", "", "/a.b/readme"}, {"Disk:a.b:readme", "txt", "Disk:a.b:readme.txt"},
      {"/x/archive.tar.gz", "zip", "/x/archive.tar.zip"}, {"/x/dir.app/", "saver", "/x/dir.saver/"},
      // A POSIX name's own ':' belongs to it.
      {"/x/a.tx:", "swf", "/x/a.swf"},    {"/x/b.d:c", "txt", "/x/b.txt"}, {"Disk:x:a.tx:", "swf", "Disk:x:a.swf:"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    SetPathStringExtension(path, c.extension);
    EXPECT_EQ(path, c.expected) << c.path;
  }

  unsigned char name[256] = {5, 'x', '.', 's', 'w', 'f'};
  ASSERT_TRUE(SetPascalNameExtension(name, "gif"));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "x.gif");
  name[0] = 254;
  std::memset(name + 1, 'a', 254);
  EXPECT_FALSE(SetPascalNameExtension(name, "txt"));  // 258 bytes do not fit
  EXPECT_EQ(name[0], 254);
}

TEST(FileLayer, MissingItemsAreNeverStoodInForByTheirFolder) {
  std::string folder = gbtest::MakeTempFolder("missing/inner");
  std::string target = gbtest::MakeTempFolder("missing_target");
  FSRef destination = RefOf(target);
  EXPECT_FALSE(MovePathToFolder(CPathName(folder + "ghost.swf"), &destination));
  EXPECT_FALSE(MovePathToFolderRef(CPathName(folder + "ghost.swf"), &destination));
  EXPECT_TRUE(gbtest::FileExists(folder));
  EXPECT_FALSE(gbtest::FileExists(target + "inner"));
  EXPECT_FALSE(DeletePath(CPathName(folder + "ghost.swf")));
  EXPECT_TRUE(gbtest::FileExists(folder));
  EXPECT_FALSE(RenameFileAtPath(CPathName(folder + "ghost.swf"), "x"));

  ASSERT_TRUE(gbtest::WriteFile(folder + "real.swf", "r"));
  ASSERT_TRUE(MovePathToFolder(CPathName(folder + "real.swf"), &destination));
  EXPECT_EQ(gbtest::ReadTextFile(target + "real.swf"), "r");
  ASSERT_TRUE(RenameFileAtPath(CPathName(target + "real.swf"), "renamed.swf"));
  ASSERT_TRUE(DeletePath(CPathName(target + "renamed.swf")));
  EXPECT_FALSE(gbtest::FileExists(target + "renamed.swf"));
}

TEST(FileLayer, ReferencesOfReplacedItemsAndLockedItemsRefuse) {
  std::string folder = gbtest::MakeTempFolder("refs");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "one"));
  FSRef stale = RefOf(file);
  ASSERT_TRUE(gbtest::WriteFile(folder + "g", "two"));
  ASSERT_EQ(rename((folder + "g").c_str(), file.c_str()), 0);
  EXPECT_FALSE(DeleteFsRef(&stale));
  EXPECT_FALSE(SetFsRefTypeCreator(&stale, FourCC("ABCD"), FourCC("EFGH")));
  EXPECT_EQ(OpenStdioFileForFsRef(&stale, "r"), nullptr);
  EXPECT_EQ(gbtest::ReadTextFile(file), "two");

  FSRef ref = RefOf(file);
  ASSERT_TRUE(SetFsRefLocked(&ref, true));
  EXPECT_EQ(OpenStdioFileForFsRef(&ref, "w"), nullptr);
  EXPECT_EQ(OpenStdioFileForFsRef(&ref, "r+"), nullptr);
  std::ofstream out;
  EXPECT_FALSE(OpenOutputFileStream(&ref, out, std::ios::binary));
  EXPECT_FALSE(DeleteFsRef(&ref));
  EXPECT_FALSE(RenameFsRef(&ref, "h"));
  EXPECT_EQ(gbtest::ReadTextFile(file), "two");
  FILE* in = OpenStdioFileForFsRef(&ref, "rb");
  ASSERT_NE(in, nullptr);
  std::fclose(in);
  std::ifstream input;
  EXPECT_TRUE(OpenInputFileStream(&ref, input, std::ios::binary));

  FSRef folderRef = RefOf(folder);
  EXPECT_EQ(OpenStdioFileForFsRef(&folderRef, "r"), nullptr);  // a folder is no file
  ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0600), 0);
  FSRef fifo = RefOf(folder + "fifo");
  EXPECT_EQ(OpenStdioFileForFsRef(&fifo, "r"), nullptr);  // and never waited on

  ASSERT_TRUE(SetFsRefLocked(&ref, false));
  ASSERT_TRUE(SetFsRefInvisible(&ref, true));
  CFinderFileInfo info;
  ASSERT_TRUE(GetFsRefFinderInfo(&ref, &info));
  EXPECT_EQ(info.finderFlags, kFinderInvisible);
  ASSERT_TRUE(SetFsRefInvisible(&ref, false));
  ASSERT_TRUE(GetFsRefFinderInfo(&ref, &info));
  EXPECT_EQ(info.finderFlags, 0);
}

TEST(FileLayer, PathsOfReferences) {
  std::string folder = gbtest::MakeTempFolder("names");
  FSRef ref = RefOf(folder);
  std::string plain = folder.substr(0, folder.size() - 1);
  EXPECT_EQ(GetFsRefPathString(&ref, true), folder);
  SetOutputPathStyle(kCFURLHFSPathStyle);
  EXPECT_EQ(GetFsRefPathString(&ref, true), "Macintosh HD" + ToHfsSeparators(plain.c_str()) + ":");
  SetOutputPathStyle(kCFURLPOSIXPathStyle);

  FSRef root = RefOf("/");
  FSSpec spec;
  ASSERT_TRUE(GetFsSpecForFsRef(&root, &spec));
  EXPECT_TRUE(spec.parent.empty() && spec.name.empty());
  ASSERT_TRUE(GetFsSpecForFsRef(&ref, &spec));
  EXPECT_EQ(spec.name, "names");
  u32 nodeId = 0;
  GetFsRefNodeId(&root, &nodeId, nullptr);
  EXPECT_EQ(nodeId, plat::kRootFolderNodeId);

  CPathName resolved("unchanged");
  std::string hfs = "Macintosh HD" + ToHfsSeparators(plain.c_str());
  ASSERT_TRUE(GetPathFromFullHfsPath(hfs.c_str(), &resolved));
  EXPECT_EQ(resolved.GetString(), folder);
  resolved.SetPath("unchanged");
  EXPECT_FALSE(GetPathFromFullHfsPath("No Such Disk:x", &resolved));
  EXPECT_FALSE(GetPathFromFullHfsPath((hfs + ":missing").c_str(), &resolved));
  EXPECT_FALSE(GetPathFromFullHfsPath("/posix/path", &resolved));
  EXPECT_EQ(resolved.GetString(), "unchanged");
}

}  // namespace
