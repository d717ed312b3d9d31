#include "foundation/copy_engine.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/path_name.h"
#include "platform/finder_info.h"
#include "platform/forks.h"
#include "tests/support/test_support.h"

namespace {

constexpr u16 kInited = 0x0100;

std::vector<uint8_t> RandomBytes(size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::vector<uint8_t> bytes(count);
  for (uint8_t& byte : bytes) byte = uint8_t(generator());
  return bytes;
}

std::vector<uint8_t> ReadFork(const std::string& path, plat::ForkKind kind) {
  SInt16 fork = 0;
  std::vector<uint8_t> bytes;
  if (plat::OpenFork(path, kind, fsRdPerm, &fork) != noErr) return bytes;
  SInt64 size = 0;
  EXPECT_EQ(plat::GetForkSize(fork, &size), noErr);
  bytes.resize(size_t(size));
  EXPECT_EQ(plat::ReadFork(fork, bytes.size(), bytes.data(), nullptr), noErr);
  EXPECT_EQ(plat::CloseFork(fork), noErr);
  return bytes;
}

void WriteResourceFork(const std::string& path, const std::vector<uint8_t>& bytes) {
  SInt16 fork = 0;
  ASSERT_EQ(plat::OpenFork(path, plat::ForkKind::resource, fsWrPerm, &fork), noErr);
  ASSERT_EQ(plat::WriteFork(fork, bytes.size(), bytes.data(), nullptr), noErr);
  ASSERT_EQ(plat::CloseFork(fork), noErr);
}

void SetFinder(const std::string& path, OSType type, OSType creator, u16 flags) {
  plat::FinderInfoBytes info;
  info.SetFileType(type);
  info.SetFileCreator(creator);
  info.SetFileFlags(flags);
  info.bytes[20] = 0x42;  // extended information travels too
  ASSERT_EQ(plat::WriteFinderInfo(path, info), noErr) << path;
}

void SetModificationTime(const std::string& path, time_t seconds) {
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Every name in a folder, sidecars included, in byte order.
std::vector<std::string> RawNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.c_str());
  if (!listing) return names;
  while (const dirent* entry = readdir(listing)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

std::string LinkText(const std::string& path) {
  char text[512] = {};
  ssize_t length = readlink(path.c_str(), text, sizeof text - 1);
  return length < 0 ? std::string() : std::string(text, size_t(length));
}

// Compares a copied tree with its source: names, kinds, contents and both
// forks, link texts, modes, owners, modification times, Finder information
// (with the has-been-inited flag cleared) and locks.
void ExpectSameTree(const std::string& source, const std::string& copy) {
  std::vector<std::string> names = RawNames(source);
  ASSERT_EQ(names, RawNames(copy)) << copy;
  for (const std::string& name : names) {
    std::string from = source + "/", to = copy + "/";
    from += name;
    to += name;
    struct stat a, b;
    ASSERT_EQ(lstat(from.c_str(), &a), 0);
    ASSERT_EQ(lstat(to.c_str(), &b), 0);
    EXPECT_EQ(a.st_mode & S_IFMT, b.st_mode & S_IFMT) << to;
    bool sidecar = name.compare(0, 2, "._") == 0 &&
                   std::find(names.begin(), names.end(), name.substr(2)) != names.end();
    if (sidecar) continue;  // rewritten with its item's fork or information, compared through them
    if (!S_ISLNK(a.st_mode)) {
      EXPECT_EQ(a.st_mode & 07777, b.st_mode & 07777) << to;
    }
    EXPECT_EQ(a.st_uid, b.st_uid) << to;
    EXPECT_EQ(a.st_gid, b.st_gid) << to;
    EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec) << to;
    plat::FinderInfoBytes expected, got;
    ASSERT_EQ(plat::ReadFinderInfo(from, &expected), noErr);
    ASSERT_EQ(plat::ReadFinderInfo(to, &got), noErr);
    expected.SetFileFlags(u16(expected.FileFlags() & ~kInited));
    EXPECT_EQ(std::vector<uint8_t>(expected.bytes, expected.bytes + 32), std::vector<uint8_t>(got.bytes, got.bytes + 32))
        << to;
    EXPECT_EQ(plat::IsLocked(from), plat::IsLocked(to)) << to;
    if (S_ISREG(a.st_mode)) {
      EXPECT_TRUE(gbtest::ReadFile(from) == gbtest::ReadFile(to)) << to;
      EXPECT_TRUE(ReadFork(from, plat::ForkKind::resource) == ReadFork(to, plat::ForkKind::resource)) << to;
    } else if (S_ISLNK(a.st_mode)) {
      EXPECT_EQ(LinkText(from), LinkText(to));
    } else if (S_ISDIR(a.st_mode)) {
      ExpectSameTree(from, to);
    }
  }
}

OSErr Copy(const std::string& source, const std::string& folder, const char* name = nullptr, bool replace = false,
           CPathName* copy = nullptr) {
  OSErr error = 1;
  bool copied = CPathName(source).CopyTo(CPathName(folder), name, replace, copy, &error);
  EXPECT_EQ(copied, error == noErr);
  return error;
}

bool NothingSetAside(const std::string& folder) {
  for (const std::string& name : RawNames(folder))
    if (name.find(".DeleteMe") != std::string::npos) return false;
  return true;
}

TEST(CopyEngine, BufferSizesFollowTheVolumeGrades) {
  struct Case {
    CopyVolumeGrade source;
    bool twoVolumes;
    CopyVolumeGrade destination;
    u32 expected;
  } cases[] = {
      {{32, -4000000}, false, {}, 999936},
      {{32, -1000}, false, {}, 1024},
      {{32, -100000000}, false, {}, 2097152},
      {{32, INT32_MIN}, false, {}, 2097152},  // the largest grade does not overflow
      {{32, 0}, false, {}, 262144},
      {{32, 5000}, false, {}, 262144},
      {{17, -4000000}, false, {}, 262144},  // too few parameters for a grade
      {{0, 0}, false, {}, 262144},          // the host's volumes
      {{32, -4000000}, true, {32, -100000000}, 999936},
      {{32, -100000000}, true, {32, -4000000}, 999936},
      {{32, -100000000}, true, {0, 0}, 262144},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CopyBufferSize(c.source, c.twoVolumes ? &c.destination : nullptr), c.expected) << c.source.grade;

  struct ModeCase {
    mode_t mode;
    bool drop;
  } modes[] = {{0733, true}, {01733, true}, {0703, true}, {0777, false}, {0755, false}, {0731, false}, {0702, false}};
  for (const ModeCase& m : modes) EXPECT_EQ(IsDropFolderMode(m.mode), m.drop) << std::oct << m.mode;
}

TEST(CopyEngine, ForkContentsAreCopiedWithTheirExactLength) {
  std::string folder = gbtest::MakeTempFolder("fork_contents");
  struct Case {
    size_t length, bufferSize, before;  // `before`: bytes the destination held
  } cases[] = {{1000, 1024, 0}, {2500, 1024, 0}, {2048, 1024, 0}, {0, 1024, 0}, {700, 1024, 5000}, {3000, 512, 100}};
  for (const Case& c : cases) {
    std::vector<uint8_t> data = RandomBytes(c.length, unsigned(c.length));
    ASSERT_TRUE(gbtest::WriteFile(folder + "source", data));
    ASSERT_TRUE(gbtest::WriteFile(folder + "target", std::vector<uint8_t>(c.before, 0x77)));
    CopyParameters parameters;
    parameters.bufferSize = u32(c.bufferSize);
    parameters.buffer.reset(new u8[c.bufferSize]);
    std::fill(parameters.buffer.get(), parameters.buffer.get() + c.bufferSize, 0xEE);  // stale bytes
    SInt16 from = 0, to = 0;
    ASSERT_EQ(plat::OpenFork(folder + "source", plat::ForkKind::data, fsRdPerm, &from), noErr);
    ASSERT_EQ(plat::OpenFork(folder + "target", plat::ForkKind::data, fsRdWrPerm, &to), noErr);
    EXPECT_EQ(CopyForkContents(from, to, parameters, c.length), noErr);
    ASSERT_EQ(plat::CloseFork(from), noErr);
    ASSERT_EQ(plat::CloseFork(to), noErr);
    EXPECT_TRUE(gbtest::ReadFile(folder + "target") == data) << c.length << " " << c.bufferSize;
  }

  // A source that ends early, and a call without a buffer.
  ASSERT_TRUE(gbtest::WriteFile(folder + "source", std::vector<uint8_t>(100, 1)));
  CopyParameters parameters;
  SInt16 from = 0, to = 0;
  ASSERT_EQ(plat::OpenFork(folder + "source", plat::ForkKind::data, fsRdPerm, &from), noErr);
  ASSERT_EQ(plat::OpenFork(folder + "target", plat::ForkKind::data, fsWrPerm, &to), noErr);
  EXPECT_EQ(CopyForkContents(from, to, parameters, 100), paramErr);
  parameters.bufferSize = 64;
  parameters.buffer.reset(new u8[64]);
  EXPECT_EQ(CopyForkContents(from, to, parameters, 200), eofErr);
  ASSERT_EQ(plat::CloseFork(from), noErr);
  ASSERT_EQ(plat::CloseFork(to), noErr);
}

TEST(CopyEngine, DeepTreesAreCopiedWithEverythingTheyCarry) {
  std::string root = gbtest::MakeTempFolder("deep");
  std::string outside = gbtest::MakeTempFolder("deep_outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "secret", "not copied"));
  std::string tree = gbtest::MakeTempFolder("deep/tree");
  std::string out = gbtest::MakeTempFolder("deep/out");

  // Files: several buffers long with a resource fork, empty, locked, executable.
  ASSERT_TRUE(gbtest::WriteFile(tree + "big.bin", RandomBytes(2 * 262144 + 17, 1)));
  WriteResourceFork(tree + "big.bin", RandomBytes(70001, 2));
  SetFinder(tree + "big.bin", FourCC("BINA"), FourCC("????"), kInited | 0x4000);
  ASSERT_TRUE(gbtest::WriteFile(tree + "empty", ""));
  ASSERT_TRUE(gbtest::WriteFile(tree + "locked.txt", "locked"));
  SetFinder(tree + "locked.txt", FourCC("TEXT"), FourCC("ttxt"), 0);
  ASSERT_EQ(plat::SetLocked(tree + "locked.txt", true), noErr);
  ASSERT_TRUE(gbtest::WriteFile(tree + "tool", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((tree + "tool").c_str(), 0751), 0);
  ASSERT_TRUE(gbtest::WriteFile(tree + "private", "p"));
  ASSERT_EQ(chmod((tree + "private").c_str(), 0400), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(lchown((tree + "private").c_str(), 1234, 5678), 0);
  }
  // An orphaned sidecar is an ordinary file.
  ASSERT_TRUE(gbtest::WriteFile(tree + "._gone", "orphan"));

  // Links stay links, with their own information; what they reach is not copied.
  ASSERT_EQ(symlink("big.bin", (tree + "alias").c_str()), 0);
  SetFinder(tree + "alias", FourCC("BINA"), FourCC("????"), plat::kIsAliasFlag);
  ASSERT_EQ(symlink(outside.c_str(), (tree + "outside").c_str()), 0);
  ASSERT_EQ(symlink("no such item", (tree + "dangling").c_str()), 0);

  // Folders: a read-only one with contents, one with Finder information, a deep chain.
  gbtest::MakeTempFolder("deep/tree/readonly");
  ASSERT_TRUE(gbtest::WriteFile(tree + "readonly/inner.txt", "inner"));
  SetFinder(tree + "readonly", 0, 0, kInited | 0x4000);
  std::string deep = tree;
  for (int level = 0; level < 40; ++level) {
    deep += "level" + std::to_string(level) + "/";
    ASSERT_EQ(mkdir(deep.c_str(), 0750), 0);
    ASSERT_TRUE(gbtest::WriteFile(deep + "leaf", "leaf " + std::to_string(level)));
  }
  // Times last, deepest first, so that nothing changes them afterwards.
  for (std::string at = deep; at.size() > tree.size(); at = at.substr(0, at.rfind('/', at.size() - 2) + 1)) {
    SetModificationTime(at + "leaf", 1000000000);
    SetModificationTime(at, 1100000000);
  }
  for (const char* name : {"big.bin", "empty", "tool", "private", "locked.txt", "alias", "readonly/inner.txt"})
    SetModificationTime(tree + name, 1200000000);
  ASSERT_EQ(chmod((tree + "readonly").c_str(), 0555), 0);
  SetModificationTime(tree + "readonly", 1300000000);
  SetModificationTime(tree, 1400000000);

  CPathName copy(nullptr);
  ASSERT_EQ(Copy(tree, out, nullptr, false, &copy), noErr);
  EXPECT_EQ(copy.GetString(), out + "tree/");
  ExpectSameTree(root + "tree", out + "tree");
  struct stat top;
  ASSERT_EQ(stat((out + "tree").c_str(), &top), 0);
  EXPECT_EQ(top.st_mtim.tv_sec, 1400000000);
  EXPECT_FALSE(gbtest::FileExists(out + "tree/._empty"));  // an empty fork makes no sidecar
  EXPECT_EQ(LinkText(out + "tree/outside"), outside);
  plat::FinderInfoBytes info;
  ASSERT_EQ(plat::ReadFinderInfo(out + "tree/big.bin", &info), noErr);
  EXPECT_EQ(info.FileFlags(), 0x4000);  // no longer marked as seen by the Finder
  EXPECT_EQ(info.FileType(), FourCC("BINA"));  // the busy type is gone again
  EXPECT_TRUE(NothingSetAside(out));

  // A single file, under a new name.
  ASSERT_EQ(Copy(tree + "big.bin", out, "renamed.bin", false, &copy), noErr);
  EXPECT_EQ(copy.GetString(), out + "renamed.bin");
  EXPECT_TRUE(gbtest::ReadFile(out + "renamed.bin") == gbtest::ReadFile(tree + "big.bin"));
  EXPECT_TRUE(ReadFork(out + "renamed.bin", plat::ForkKind::resource) ==
              ReadFork(tree + "big.bin", plat::ForkKind::resource));
  ASSERT_EQ(chmod((tree + "readonly").c_str(), 0755), 0);
  ASSERT_EQ(chmod((out + "tree/readonly").c_str(), 0755), 0);
}

TEST(CopyEngine, ReplacingSetsTheOldItemAsideUntilTheCopyIsDone) {
  std::string source = gbtest::MakeTempFolder("replace/source");
  std::string out = gbtest::MakeTempFolder("replace/out");
  ASSERT_TRUE(gbtest::WriteFile(source + "file", "new contents"));
  ASSERT_TRUE(gbtest::WriteFile(out + "source", "an old file"));

  // Without replace the existing item stays as it is.
  EXPECT_EQ(Copy(source, out), dupFNErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "source"), "an old file");
  EXPECT_EQ(Copy(source + "file", out, "source"), dupFNErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "source"), "an old file");

  // With replace: a file gives way to a folder, and a folder to a file.
  EXPECT_EQ(Copy(source, out, nullptr, true), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "source/file"), "new contents");
  ASSERT_TRUE(gbtest::WriteFile(out + "source/stale", "from before"));
  EXPECT_EQ(Copy(source, out, nullptr, true), noErr);
  EXPECT_FALSE(gbtest::FileExists(out + "source/stale"));
  EXPECT_EQ(Copy(source + "file", out, "source", true), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "source"), "new contents");
  EXPECT_TRUE(NothingSetAside(out));

  // A copy that fails puts the old item back, whole, and leaves nothing of itself.
  ASSERT_EQ(Copy(source, out, "kept", false), noErr);
  ASSERT_TRUE(gbtest::WriteFile(out + "kept/mine", "keep me"));
  ASSERT_TRUE(gbtest::WriteFile(out + ".DeleteMe", "someone else's"));
  ASSERT_EQ(mkfifo((source + "pipe").c_str(), 0600), 0);
  EXPECT_EQ(Copy(source, out, "kept", true), notAFileErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "kept/mine"), "keep me");
  EXPECT_EQ(gbtest::ReadTextFile(out + "kept/file"), "new contents");
  EXPECT_EQ(gbtest::ReadTextFile(out + ".DeleteMe"), "someone else's");
  EXPECT_EQ(RawNames(out), (std::vector<std::string>{".DeleteMe", "kept", "source"}));

  // A locked item is not replaced.
  ASSERT_EQ(unlink((source + "pipe").c_str()), 0);
  ASSERT_EQ(plat::SetLocked(out + "source", true), noErr);
  EXPECT_EQ(Copy(source + "file", out, "source", true), fLckdErr);
  EXPECT_TRUE(plat::IsLocked(out + "source"));
}

TEST(CopyEngine, CopiesIntoOrOntoThemselvesAreRefused) {
  std::string tree = gbtest::MakeTempFolder("loop/tree");
  gbtest::MakeTempFolder("loop/tree/sub/deeper");
  ASSERT_TRUE(gbtest::WriteFile(tree + "file", "f"));
  std::string outside = gbtest::MakeTempFolder("loop/outside");
  ASSERT_EQ(symlink((tree + "sub").c_str(), (outside + "into").c_str()), 0);
  std::vector<std::string> before = RawNames(tree), beforeSub = RawNames(tree + "sub");

  struct Case {
    std::string source, folder;
    const char* name;
    bool replace;
    OSErr expected;
  } cases[] = {
      {tree, tree, nullptr, false, copyLoopErr},
      {tree, tree + "sub", nullptr, false, copyLoopErr},
      {tree, tree + "sub/deeper/", "other", true, copyLoopErr},
      {tree, outside + "into", nullptr, false, copyLoopErr},  // the same folder through a link
      {tree + "file", tree, nullptr, true, dupFNErr},          // the item itself is in the way
      {tree, gbtest::TestRoot() + "loop", nullptr, true, dupFNErr},
      {tree + "sub/deeper", tree, "sub", true, copyLoopErr},   // replacing what holds the source
  };
  for (const Case& c : cases) EXPECT_EQ(Copy(c.source, c.folder, c.name, c.replace), c.expected) << c.folder;
  EXPECT_EQ(RawNames(tree), before);
  EXPECT_EQ(RawNames(tree + "sub"), beforeSub);
  EXPECT_TRUE(RawNames(tree + "sub/deeper").empty());
  EXPECT_EQ(gbtest::ReadTextFile(tree + "file"), "f");
  EXPECT_TRUE(NothingSetAside(gbtest::TestRoot() + "loop"));
}

TEST(CopyEngine, WrongSourcesDestinationsAndNamesAreReported) {
  std::string folder = gbtest::MakeTempFolder("wrong");
  std::string out = gbtest::MakeTempFolder("wrong/out");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file", "f"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "plain", "p"));
  ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("out", (folder + "link to out").c_str()), 0);
  const std::string longName(300, 'n');

  struct Case {
    std::string source, destination;
    const char* name;
    OSErr expected;
  } cases[] = {
      {folder + "file", folder + "plain", nullptr, errFSNotAFolder},
      {folder + "file", folder + "missing/", nullptr, errFSNotAFolder},
      {folder + "file", folder + "no/such/folder", nullptr, errFSNotAFolder},
      {folder + "missing", out, nullptr, fnfErr},
      {folder + "fifo", out, nullptr, notAFileErr},
      {folder + "file", out, "../escaped", bdNamErr},
      {folder + "file", out, "a/b", bdNamErr},
      {folder + "file", out, "..", bdNamErr},
      {folder + "file", out, longName.c_str(), errFSNameTooLong},
  };
  for (const Case& c : cases) EXPECT_EQ(Copy(c.source, c.destination, c.name), c.expected) << c.destination;
  EXPECT_TRUE(RawNames(out).empty());
  EXPECT_FALSE(gbtest::FileExists(folder + "escaped"));
  EXPECT_EQ(gbtest::ReadTextFile(folder + "plain"), "p");

  // A folder reached through a link takes the copy; an empty name keeps the source's.
  ASSERT_EQ(Copy(folder + "file", folder + "link to out", ""), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "file"), "f");
  EXPECT_EQ(CopyObject(nullptr, nullptr, false, nullptr, nullptr), paramErr);

  // Sockets and FIFOs inside a folder stop the copy, which leaves nothing behind.
  std::string tree = gbtest::MakeTempFolder("wrong/tree");
  ASSERT_TRUE(gbtest::WriteFile(tree + "a", "a"));
  int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = tree + "socket";
  if (socketPath.size() >= sizeof address.sun_path) GTEST_SKIP() << "socket path too long";
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(Copy(tree, out), notAFileErr);
  close(listener);
  EXPECT_FALSE(gbtest::FileExists(out + "tree"));
}

TEST(CopyEngine, DropFoldersTakeCopiesAsTheyAre) {
  std::string source = gbtest::MakeTempFolder("drop/source");
  std::string drop = gbtest::MakeTempFolder("drop/box");
  ASSERT_EQ(chmod(drop.c_str(), 0733), 0);
  ASSERT_TRUE(gbtest::WriteFile(source + "doc", "document"));
  WriteResourceFork(source + "doc", {1, 2, 3});
  SetFinder(source + "doc", FourCC("TEXT"), FourCC("ttxt"), kInited);
  ASSERT_EQ(chmod((source + "doc").c_str(), 0444), 0);
  ASSERT_EQ(plat::SetLocked(source + "doc", true), noErr);

  ASSERT_EQ(Copy(source + "doc", drop), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(drop + "doc"), "document");
  EXPECT_TRUE(ReadFork(drop + "doc", plat::ForkKind::resource) == (std::vector<uint8_t>{1, 2, 3}));
  plat::FinderInfoBytes info;
  ASSERT_EQ(plat::ReadFinderInfo(drop + "doc", &info), noErr);
  EXPECT_EQ(info.FileType(), FourCC("TEXT"));
  EXPECT_EQ(info.FileFlags(), 0);
  EXPECT_FALSE(plat::IsLocked(drop + "doc"));
  struct stat made;
  ASSERT_EQ(stat((drop + "doc").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 07777, 0644u);  // the owner may still write it

  // Folders copied into a drop folder keep the owner's access too.
  gbtest::MakeTempFolder("drop/source/inner");
  ASSERT_TRUE(gbtest::WriteFile(source + "inner/x", "x"));
  ASSERT_EQ(chmod((source + "inner").c_str(), 0500), 0);
  ASSERT_EQ(Copy(source + "inner", drop), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(drop + "inner/x"), "x");
  ASSERT_EQ(stat((drop + "inner").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 07777, 0700u);
  ASSERT_EQ(chmod((source + "inner").c_str(), 0700), 0);
}

TEST(CopyEngine, AnotherUsersCopiesKeepTheirOwnOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  // The other user must reach the test folders.
  ASSERT_EQ(chmod(gbtest::TestRoot().c_str(), 0755), 0);
  std::string source = gbtest::MakeTempFolder("owner/source");
  std::string out = gbtest::MakeTempFolder("owner/out");
  ASSERT_EQ(chmod(out.c_str(), 0777), 0);
  ASSERT_TRUE(gbtest::WriteFile(source + "tool", "#!/bin/sh\n"));
  ASSERT_EQ(chmod((source + "tool").c_str(), 04755), 0);
  gbtest::MakeTempFolder("owner/source/readonly");
  ASSERT_TRUE(gbtest::WriteFile(source + "readonly/inside", "inside"));
  ASSERT_EQ(chmod((source + "readonly").c_str(), 0555), 0);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    if (access(source.c_str(), R_OK | X_OK) != 0) _exit(3);
    OSErr error = noErr;
    bool copied = CPathName(source).CopyTo(CPathName(out), nullptr, false, nullptr, &error);
    _exit(copied ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "the test folders are out of the other user's reach";
  ASSERT_EQ(WEXITSTATUS(status), 0);

  struct stat made;
  ASSERT_EQ(stat((out + "source/tool").c_str(), &made), 0);
  EXPECT_EQ(made.st_uid, 65534u);
  EXPECT_EQ(made.st_mode & 07777, 0755u);  // set-user-id dropped: not the original owner
  EXPECT_EQ(gbtest::ReadTextFile(out + "source/readonly/inside"), "inside");
  ASSERT_EQ(stat((out + "source/readonly").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 07777, 0555u);
  chmod((out + "source/readonly").c_str(), 0755);
}

}  // namespace

// Every path below `folder` (host path, ending in "/") that is a link.
std::vector<std::string> LinksIn(const std::string& folder) {
  std::vector<std::string> links;
  for (const std::string& name : RawNames(folder)) {
    const std::string path = folder + name;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) continue;
    if (S_ISLNK(info.st_mode)) links.push_back(path);
    if (S_ISDIR(info.st_mode)) {
      std::vector<std::string> inner = LinksIn(path + "/");
      links.insert(links.end(), inner.begin(), inner.end());
    }
  }
  return links;
}

OSErr CopyFollowing(const std::string& source, const std::string& folder, const char* name = nullptr) {
  OSErr error = 1;
  bool copied = CPathName(source).CopyFollowingLinks(CPathName(folder), name, false, nullptr, &error);
  EXPECT_EQ(copied, error == noErr);
  return error;
}

OSErr CheckLinks(const std::string& source, std::string* failed = nullptr) {
  FSRef ref;
  if (!CPathName(source).GetFsRef(&ref)) return fnfErr;
  return CheckLinksToFollow(&ref, failed);
}

// A copy that follows links holds what they lead to, under the links' own
// names: a file with its own forks and Finder information (never those the
// link carries in its sidecar), a folder with its tree, also a folder that
// two links lead to. The copy that keeps links is unchanged.
TEST(CopyEngine, AFollowingCopyHoldsWhatLinksLeadToUnderTheirNames) {
  std::string tree = gbtest::MakeTempFolder("follow/tree");
  std::string outside = gbtest::MakeTempFolder("follow/outside");
  std::string out = gbtest::MakeTempFolder("follow/out");
  ASSERT_TRUE(gbtest::WriteFile(tree + "real.bin", RandomBytes(3000, 7)));
  WriteResourceFork(tree + "real.bin", {9, 8, 7});
  SetFinder(tree + "real.bin", FourCC("BINA"), FourCC("ttxt"), 0);
  ASSERT_TRUE(gbtest::WriteFile(outside + "far.txt", "far away"));
  gbtest::MakeTempFolder("follow/outside/library");
  ASSERT_TRUE(gbtest::WriteFile(outside + "library/book.txt", "book"));
  ASSERT_EQ(symlink("../far.txt", (outside + "library/near.txt").c_str()), 0);
  gbtest::MakeTempFolder("follow/tree/v2");
  ASSERT_TRUE(gbtest::WriteFile(tree + "v2/data", "version 2"));

  ASSERT_EQ(symlink("real.bin", (tree + "relative.bin").c_str()), 0);
  SetFinder(tree + "relative.bin", FourCC("slnk"), FourCC("rhap"), plat::kIsAliasFlag);
  ASSERT_EQ(symlink((outside + "far.txt").c_str(), (tree + "absolute.txt").c_str()), 0);
  ASSERT_EQ(symlink("relative.bin", (tree + "chain.bin").c_str()), 0);
  ASSERT_EQ(symlink((outside + "library").c_str(), (tree + "library").c_str()), 0);
  ASSERT_EQ(symlink("v2", (tree + "latest").c_str()), 0);  // a second way to a folder inside

  ASSERT_EQ(CheckLinks(tree), noErr);
  ASSERT_EQ(CopyFollowing(tree, out), noErr);
  EXPECT_EQ(LinksIn(out), std::vector<std::string>{});
  // Each copy of a file with a resource fork has its sidecar, written afresh.
  EXPECT_EQ(RawNames(out + "tree"),
            (std::vector<std::string>{"._chain.bin", "._real.bin", "._relative.bin", "absolute.txt", "chain.bin",
                                      "latest", "library", "real.bin", "relative.bin", "v2"}));
  for (const char* name : {"relative.bin", "chain.bin"}) {
    EXPECT_TRUE(gbtest::ReadFile(out + "tree/" + name) == gbtest::ReadFile(tree + "real.bin")) << name;
    EXPECT_TRUE(ReadFork(out + "tree/" + name, plat::ForkKind::resource) == (std::vector<uint8_t>{9, 8, 7})) << name;
    plat::FinderInfoBytes info;
    ASSERT_EQ(plat::ReadFinderInfo(out + "tree/" + name, &info), noErr);
    EXPECT_EQ(info.FileType(), FourCC("BINA")) << name;
    EXPECT_EQ(info.FileFlags(), 0) << name;
  }
  EXPECT_EQ(gbtest::ReadTextFile(out + "tree/absolute.txt"), "far away");
  EXPECT_EQ(gbtest::ReadTextFile(out + "tree/library/book.txt"), "book");
  EXPECT_EQ(gbtest::ReadTextFile(out + "tree/library/near.txt"), "far away");
  EXPECT_EQ(gbtest::ReadTextFile(out + "tree/latest/data"), "version 2");
  EXPECT_EQ(gbtest::ReadTextFile(out + "tree/v2/data"), "version 2");

  // A link itself: what it leads to, under the link's name or a new one.
  ASSERT_EQ(CopyFollowing(tree + "library", out), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "library/near.txt"), "far away");
  ASSERT_EQ(CopyFollowing(tree + "chain.bin", out, "movie.bin"), noErr);
  EXPECT_TRUE(ReadFork(out + "movie.bin", plat::ForkKind::resource) == (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(LinksIn(out), std::vector<std::string>{});

  // The copy that keeps links still keeps them.
  ASSERT_EQ(Copy(tree, out, "kept"), noErr);
  EXPECT_EQ(LinkText(out + "kept/library"), outside + "library");
  EXPECT_EQ(LinkText(out + "kept/relative.bin"), "real.bin");
}

// A link that leads nowhere or round a loop ends a copy that follows it,
// which leaves nothing of itself; the check without copying finds the same
// error at the same link. Links that lead from folder to folder are
// followed at most kMaxFolderCopies times into one folder, so that a small
// tree cannot make a copy without bound.
TEST(CopyEngine, LinksThatLeadNowhereOrRoundALoopEndAFollowingCopy) {
  const std::string root = gbtest::MakeTempFolder("follow-bad");
  const std::string out = gbtest::MakeTempFolder("follow-bad-out");
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // path in the tree, link text
    std::string failed;                                      // the link the check names
    OSErr expected;
  } cases[] = {
      {"a link to nothing", {{"dangling", "no such item"}}, "dangling", fnfErr},
      {"a link through a file", {{"through", "file/inside"}}, "through", fnfErr},
      {"a link to itself", {{"self", "self"}}, "self", copyLoopErr},
      {"two links to each other", {{"ping", "pong"}, {"pong", "ping"}}, "ping", copyLoopErr},
      {"a link to its own folder", {{"sub/here", "."}}, "sub/here", copyLoopErr},
      {"a link to the top", {{"sub/top", ".."}}, "sub/top", copyLoopErr},
      {"a link above the top", {{"up", "../.."}}, "up", copyLoopErr},
      {"folders linked to each other", {{"a/to-b", "../b"}, {"b/to-a", "../a"}}, "b/to-a", copyLoopErr},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string tree = gbtest::MakeTempFolder("follow-bad/tree" + std::to_string(n++));
    ASSERT_TRUE(gbtest::WriteFile(tree + "file", "f"));
    for (const char* folder : {"sub", "a", "b"}) ASSERT_EQ(mkdir((tree + folder).c_str(), 0755), 0);
    for (const auto& [path, text] : c.links) ASSERT_EQ(symlink(text.c_str(), (tree + path).c_str()), 0) << c.what;
    std::string failed;
    EXPECT_EQ(CheckLinks(tree, &failed), c.expected) << c.what;
    char* canonical = realpath(tree.c_str(), nullptr);
    ASSERT_NE(canonical, nullptr);
    EXPECT_EQ(failed, std::string(canonical) + "/" + c.failed) << c.what;
    std::free(canonical);
    EXPECT_EQ(CopyFollowing(tree, out), c.expected) << c.what;
    EXPECT_TRUE(RawNames(out).empty()) << c.what;
    // The link itself as the source.
    const std::string first = tree + c.links.front().first;
    if (c.expected == fnfErr || c.links.front().second == "self") {
      EXPECT_EQ(CheckLinks(first), c.expected) << c.what;
      EXPECT_EQ(CopyFollowing(first, out), c.expected) << c.what;
      EXPECT_TRUE(RawNames(out).empty()) << c.what;
    }
  }

  // A folder that holds the copy being made.
  const std::string holder = gbtest::MakeTempFolder("follow-bad/holder");
  ASSERT_EQ(symlink(out.c_str(), (holder + "out").c_str()), 0);
  EXPECT_EQ(CheckLinks(holder), noErr);  // nothing loops in the tree itself
  EXPECT_EQ(CopyFollowing(holder, out), copyLoopErr);
  EXPECT_TRUE(RawNames(out).empty());

  // Levels of folders, each holding two links to the next: level 0 is
  // entered once, level k 2^k times. Four levels stay within the bound and
  // are copied, twice as many at each level; the fifth is entered 16 times.
  const std::string levels = gbtest::MakeTempFolder("follow-bad/levels");
  for (int level = 0; level <= 4; ++level) {
    const std::string folder = levels + "level" + std::to_string(level);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(gbtest::WriteFile(folder + "/leaf", std::to_string(level)));
    if (level == 0) continue;
    for (const char* name : {"/x", "/y"})
      ASSERT_EQ(symlink(folder.c_str(), (levels + "level" + std::to_string(level - 1) + name).c_str()), 0);
  }
  EXPECT_EQ(CheckLinks(levels + "level1"), noErr);
  ASSERT_EQ(CopyFollowing(levels + "level1", out), noErr);
  EXPECT_EQ(gbtest::ReadTextFile(out + "level1/y/x/y/leaf"), "4");
  std::string failed;
  EXPECT_EQ(CheckLinks(levels + "level0", &failed), copyLoopErr);
  EXPECT_EQ(CopyFollowing(levels + "level0", out), copyLoopErr);
  EXPECT_EQ(RawNames(out), std::vector<std::string>{"level1"});
}
