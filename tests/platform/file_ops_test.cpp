#include "platform/file_ops.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/finder_info.h"
#include "platform/folder_iteration.h"
#include "platform/forks.h"
#include "tests/support/test_support.h"

namespace {

std::string LinkText(const std::string& path) {
  char text[512] = {};
  ssize_t length = readlink(path.c_str(), text, sizeof text - 1);
  return length < 0 ? std::string() : std::string(text, size_t(length));
}

std::string ReadResourceFork(const std::string& path) {
  SInt16 fork = 0;
  if (plat::OpenFork(path, plat::ForkKind::resource, fsRdPerm, &fork) != noErr) return "<none>";
  std::string bytes(64, '\0');
  UInt64 got = 0;
  // A fork shorter than the buffer ends the read at its end (eofErr).
  const OSErr read = plat::ReadFork(fork, bytes.size(), bytes.data(), &got);
  EXPECT_TRUE(read == noErr || read == eofErr) << read;
  EXPECT_EQ(plat::CloseFork(fork), noErr);
  bytes.resize(got);
  return bytes;
}

void WriteResourceFork(const std::string& path, const std::string& bytes, bool append) {
  SInt16 fork = 0;
  ASSERT_EQ(plat::OpenFork(path, plat::ForkKind::resource, fsRdWrPerm, &fork), noErr);
  if (append) {
    ASSERT_EQ(plat::SetForkPosition(fork, fsFromLEOF, 0), noErr);
  }
  EXPECT_EQ(plat::WriteFork(fork, bytes.size(), bytes.data(), nullptr), noErr);
  ASSERT_EQ(plat::CloseFork(fork), noErr);
}

TEST(FileOps, RelativePathsBetweenFolders) {
  struct Case {
    const char* from;
    const char* to;
    const char* expected;
  } cases[] = {
      {"/x/y", "/x/y/a.swf", "a.swf"},
      {"/x/y", "/x/y/sub/a.swf", "sub/a.swf"},
      {"/x/y", "/x/a.swf", "../a.swf"},
      {"/x/y/z", "/x/b/c", "../../b/c"},
      {"/x/y", "/x/y", "."},
      {"/", "/a", "a"},
      {"/x/y", "/", "../.."},
      {"/x/yy", "/x/y/a", "../y/a"},  // a shared prefix of a name is no shared folder
  };
  for (const Case& c : cases) EXPECT_EQ(plat::RelativeHostPath(c.from, c.to), c.expected) << c.from << " " << c.to;
}

TEST(FileOps, LinksAreMadeRelativeAndCopiedAsTheirText) {
  std::string folder = gbtest::MakeTempFolder("links");
  gbtest::MakeTempFolder("links/deep/er");
  ASSERT_TRUE(gbtest::WriteFile(folder + "target.txt", "t"));
  ASSERT_EQ(plat::CreateRelativeLink(folder + "deep/er/alias", folder + "target.txt"), noErr);
  EXPECT_EQ(LinkText(folder + "deep/er/alias"), "../../target.txt");
  EXPECT_EQ(gbtest::ReadTextFile(folder + "deep/er/alias"), "t");
  EXPECT_EQ(plat::CreateRelativeLink(folder + "deep/er/alias", folder + "target.txt"), dupFNErr);

  ASSERT_EQ(plat::CopyLinkItem(folder + "deep/er/alias", folder + "copy"), noErr);
  EXPECT_EQ(LinkText(folder + "copy"), "../../target.txt");  // the text, not the item it reaches
  EXPECT_EQ(plat::CopyLinkItem(folder + "target.txt", folder + "other"), paramErr);
  EXPECT_EQ(plat::CopyLinkItem(folder + "missing", folder + "other"), fnfErr);
  EXPECT_EQ(plat::CopyLinkItem(folder + "deep/er/alias", folder + "copy"), dupFNErr);
  EXPECT_EQ(plat::GetItemKind(folder + "copy"), plat::ItemKind::link);
}

TEST(FileOps, ItemKindsAndEmptyFolders) {
  std::string folder = gbtest::MakeTempFolder("kinds");
  gbtest::MakeTempFolder("kinds/empty");
  gbtest::MakeTempFolder("kinds/full");
  ASSERT_TRUE(gbtest::WriteFile(folder + "full/._orphan", "x"));  // a sidecar is content too
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", ""));
  ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("empty", (folder + "link").c_str()), 0);
  EXPECT_EQ(plat::GetItemKind(folder + "file"), plat::ItemKind::file);
  EXPECT_EQ(plat::GetItemKind(folder + "empty"), plat::ItemKind::folder);
  EXPECT_EQ(plat::GetItemKind(folder + "link"), plat::ItemKind::link);
  EXPECT_EQ(plat::GetItemKind(folder + "fifo"), plat::ItemKind::special);
  EXPECT_EQ(plat::GetItemKind(folder + "missing"), plat::ItemKind::missing);
  EXPECT_TRUE(plat::IsEmptyFolder(folder + "empty"));
  EXPECT_FALSE(plat::IsEmptyFolder(folder + "full"));
  EXPECT_FALSE(plat::IsEmptyFolder(folder + "link"));  // never through a link
  EXPECT_FALSE(plat::IsEmptyFolder(folder + "file"));
}

TEST(FileOps, ReadsWholeRegularFilesOnly) {
  const std::string folder = gbtest::MakeTempFolder("whole-files");
  ASSERT_TRUE(gbtest::WriteFile(folder + "five", "abcde"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "empty", ""));
  ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("five", (folder + "link").c_str()), 0);
  struct Case {
    const char* name;
    size_t limit;
    int error;
    const char* bytes;
  };
  const Case cases[] = {
      {"five", 5, 0, "abcde"},   {"link", 5, 0, "abcde"},  {"empty", 0, 0, ""},
      {"five", 4, EFBIG, "old"}, {"fifo", 5, EINVAL, "old"}, {"", 5, EISDIR, "old"},
      {"missing", 5, ENOENT, "old"},
  };
  for (const Case& c : cases) {
    std::string text = "old";
    std::vector<UInt8> bytes = {'o', 'l', 'd'};
    int error = -1;
    EXPECT_EQ(plat::ReadRegularFile(folder + c.name, c.limit, &text, &error), c.error == 0) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(text, c.bytes) << c.name;
    EXPECT_EQ(plat::ReadRegularFile(folder + c.name, c.limit, &bytes, nullptr), c.error == 0) << c.name;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes) << c.name;
  }
}

TEST(FileOps, ItemsSetAsideTakeTheNextFreeNameWithTheirSidecar) {
  std::string folder = gbtest::MakeTempFolder("aside");
  const char* expected[] = {".DeleteMe", ".DeleteMe__", ".DeleteMe__0", ".DeleteMe__1"};
  for (const char* name : expected) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "item", name));
    WriteResourceFork(folder + "item", std::string("rsrc ") + name, false);
    std::string aside;
    ASSERT_EQ(plat::SetItemAside(folder + "item", &aside), noErr);
    EXPECT_EQ(aside, folder + name);
    EXPECT_EQ(gbtest::ReadTextFile(aside), name);
    EXPECT_EQ(ReadResourceFork(aside), std::string("rsrc ") + name);
    EXPECT_FALSE(gbtest::FileExists(folder + "item"));
    EXPECT_FALSE(gbtest::FileExists(folder + "._item"));
  }
  std::string aside;
  EXPECT_EQ(plat::SetItemAside(folder + "missing", &aside), fnfErr);
  ASSERT_TRUE(gbtest::WriteFile(folder + "locked", "keep"));
  ASSERT_EQ(plat::SetLocked(folder + "locked", true), noErr);
  EXPECT_EQ(plat::SetItemAside(folder + "locked", &aside), fLckdErr);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "locked"), "keep");
}

TEST(FileOps, OwnersAndModesAreSet) {
  std::string folder = gbtest::MakeTempFolder("owners");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", "x"));
  ASSERT_EQ(plat::SetOwnerAndMode(folder + "file", 1234, 5678, 0100640), noErr);
  struct stat info;
  ASSERT_EQ(stat((folder + "file").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (geteuid() == 0) {
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 5678u);
  }
  // A link gets its owner; its target's mode is left alone.
  ASSERT_EQ(symlink("file", (folder + "link").c_str()), 0);
  ASSERT_EQ(plat::SetOwnerAndMode(folder + "link", 1234, 5678, 0777), noErr);
  ASSERT_EQ(stat((folder + "file").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(plat::SetOwnerAndMode(folder + "missing", 0, 0, 0644), fnfErr);
}

TEST(FileOps, LinksKeepTheirFinderInformationInTheirSidecar) {
  std::string folder = gbtest::MakeTempFolder("link_info");
  ASSERT_TRUE(gbtest::WriteFile(folder + "target", "x"));
  ASSERT_EQ(symlink("target", (folder + "link").c_str()), 0);

  // Zeros for a link without a sidecar, and writing zeros makes none.
  plat::FinderInfoBytes info;
  ASSERT_EQ(plat::ReadFinderInfo(folder + "link", &info), noErr);
  EXPECT_EQ(info.FileType(), 0u);
  ASSERT_EQ(plat::WriteFinderInfo(folder + "link", info), noErr);
  EXPECT_FALSE(gbtest::FileExists(folder + "._link"));

  // A sidecar that holds a resource fork keeps it beside the information,
  // and the fork can still grow afterwards.
  WriteResourceFork(folder + "link", "fork", false);
  info.SetFileType(FourCC("adrp"));
  info.SetFileFlags(plat::kIsAliasFlag);
  info.bytes[31] = 0x5A;
  ASSERT_EQ(plat::WriteFinderInfo(folder + "link", info), noErr);
  WriteResourceFork(folder + "link", " grows", true);
  EXPECT_EQ(ReadResourceFork(folder + "link"), "fork grows");
  plat::FinderInfoBytes back;
  ASSERT_EQ(plat::ReadFinderInfo(folder + "link", &back), noErr);
  EXPECT_EQ(back.FileType(), FourCC("adrp"));
  EXPECT_EQ(back.FileFlags(), plat::kIsAliasFlag);
  EXPECT_EQ(back.bytes[31], 0x5A);
  plat::FinderInfoBytes target;
  ASSERT_EQ(plat::ReadFinderInfo(folder + "target", &target), noErr);
  EXPECT_EQ(target.FileType(), 0u);

  // The sidecar is hidden, travels with the link and goes with it.
  plat::FolderListing listing;
  ASSERT_EQ(listing.Open(folder), noErr);
  std::vector<std::string> names;
  for (std::string name; listing.Next(&name) == noErr;) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"link", "target"}));
  ASSERT_EQ(plat::RenameItem(folder + "link", "renamed"), noErr);
  ASSERT_EQ(plat::ReadFinderInfo(folder + "renamed", &back), noErr);
  EXPECT_EQ(back.FileType(), FourCC("adrp"));
  ASSERT_EQ(plat::DeleteItem(folder + "renamed"), noErr);
  EXPECT_FALSE(gbtest::FileExists(folder + "._renamed"));
  EXPECT_TRUE(gbtest::FileExists(folder + "target"));

  // A corrupt sidecar reads as no information and refuses to be written.
  ASSERT_EQ(symlink("target", (folder + "bad").c_str()), 0);
  ASSERT_TRUE(gbtest::WriteFile(folder + "._bad", "not a sidecar at all, too short?"));
  ASSERT_EQ(plat::ReadFinderInfo(folder + "bad", &back), noErr);
  EXPECT_EQ(back.FileType(), 0u);
  EXPECT_NE(plat::WriteFinderInfo(folder + "bad", info), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(folder + "._bad"), "not a sidecar at all, too short?");
}

TEST(FileOps, FolderContentsAreDeletedKeepingTheFolder) {
  std::string folder = gbtest::MakeTempFolder("contents/top");
  std::string outside = gbtest::MakeTempFolder("contents/outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "keep", "k"));
  gbtest::MakeTempFolder("contents/top/sub/deeper");
  ASSERT_TRUE(gbtest::WriteFile(folder + "sub/deeper/locked", "l"));
  ASSERT_EQ(plat::SetLocked(folder + "sub/deeper/locked", true), noErr);
  ASSERT_EQ(plat::SetLocked(folder + "sub", true), noErr);
  ASSERT_TRUE(gbtest::WriteFile(folder + "._orphan", "o"));
  ASSERT_EQ(symlink(outside.c_str(), (folder + "out").c_str()), 0);
  ASSERT_EQ(plat::SetLocked(folder, true), noErr);

  ASSERT_EQ(plat::DeleteFolderContents(folder), noErr);
  EXPECT_TRUE(plat::IsEmptyFolder(folder));
  EXPECT_TRUE(plat::IsLocked(folder));  // the folder itself is kept as it was
  EXPECT_EQ(gbtest::ReadTextFile(outside + "keep"), "k");
  EXPECT_EQ(plat::DeleteFolderContents(outside + "keep"), dirNFErr);
  EXPECT_EQ(plat::DeleteFolderContents(folder + "missing"), fnfErr);
  EXPECT_EQ(gbtest::ReadTextFile(outside + "keep"), "k");
}

}  // namespace
