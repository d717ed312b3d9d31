#include "platform/forks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/finder_info.h"
#include "platform/folder_iteration.h"
#include "tests/support/test_support.h"

namespace {

// Reads a whole fork through the layer.
std::string ReadWholeFork(const std::string& path, plat::ForkKind kind) {
  SInt16 ref = 0;
  if (plat::OpenFork(path, kind, fsRdPerm, &ref) != noErr) return "<open failed>";
  std::string text(4096, '\0');
  UInt64 got = 0;
  // A fork shorter than the buffer ends the read at its end (eofErr).
  const OSErr read = plat::ReadFork(ref, text.size(), text.data(), &got);
  EXPECT_TRUE(read == noErr || read == eofErr) << read;
  EXPECT_EQ(plat::CloseFork(ref), noErr);
  text.resize(got);
  return text;
}

OSErr WriteWholeFork(const std::string& path, plat::ForkKind kind, const std::string& text) {
  SInt16 ref = 0;
  if (OSErr result = plat::OpenFork(path, kind, fsRdWrPerm, &ref); result != noErr) return result;
  OSErr result = plat::WriteFork(ref, text.size(), text.data(), nullptr);
  EXPECT_EQ(plat::CloseFork(ref), noErr);
  return result;
}

void PutLong(std::vector<UInt8>& bytes, size_t at, UInt32 value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = UInt8(value >> (24 - 8 * i));
}

// An AppleDouble file with the given {id, bytes} entries laid out in order.
std::vector<UInt8> AppleDouble(const std::vector<std::pair<UInt32, std::string>>& entries) {
  std::vector<UInt8> file(26 + 12 * entries.size(), 0);
  PutLong(file, 0, 0x00051607);
  PutLong(file, 4, 0x00020000);
  file[25] = UInt8(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    PutLong(file, 26 + 12 * i, entries[i].first);
    PutLong(file, 30 + 12 * i, UInt32(file.size()));
    PutLong(file, 34 + 12 * i, UInt32(entries[i].second.size()));
    file.insert(file.end(), entries[i].second.begin(), entries[i].second.end());
  }
  return file;
}

TEST(Forks, DataForkReadsWritesAndPositions) {
  std::string file = gbtest::MakeTempFolder("data_fork") + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, ""));
  SInt16 ref = 0;
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::data, fsRdWrPerm, &ref), noErr);
  UInt64 moved = 0;
  ASSERT_EQ(plat::WriteFork(ref, 11, "hello world", &moved), noErr);
  EXPECT_EQ(moved, 11u);
  SInt64 value = 0;
  ASSERT_EQ(plat::GetForkPosition(ref, &value), noErr);
  EXPECT_EQ(value, 11);

  char buffer[16] = {};
  ASSERT_EQ(plat::SetForkPosition(ref, fsFromLEOF, -5), noErr);
  ASSERT_EQ(plat::ReadFork(ref, 5, buffer, &moved), noErr);
  EXPECT_EQ(std::string(buffer, moved), "world");
  ASSERT_EQ(plat::SetForkPosition(ref, fsFromStart, 4), noErr);
  ASSERT_EQ(plat::SetForkPosition(ref, fsFromMark, -4), noErr);
  // Reading past the end moves what there is and says so.
  EXPECT_EQ(plat::ReadFork(ref, 16, buffer, &moved), eofErr);
  EXPECT_EQ(moved, 11u);
  EXPECT_EQ(plat::SetForkPosition(ref, fsFromStart, -1), posErr);
  EXPECT_EQ(plat::SetForkPosition(ref, fsFromStart, 99), eofErr);
  ASSERT_EQ(plat::GetForkPosition(ref, &value), noErr);
  EXPECT_EQ(value, 11);

  ASSERT_EQ(plat::SetForkSize(ref, 5), noErr);
  ASSERT_EQ(plat::GetForkSize(ref, &value), noErr);
  EXPECT_EQ(value, 5);
  ASSERT_EQ(plat::GetForkPosition(ref, &value), noErr);
  EXPECT_EQ(value, 5);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_FALSE(plat::IsForkOpen(ref));
  EXPECT_EQ(plat::CloseFork(ref), rfNumErr);
  EXPECT_EQ(plat::ReadFork(ref, 1, buffer, &moved), rfNumErr);
  EXPECT_EQ(gbtest::ReadTextFile(file), "hello");
}

TEST(Forks, PermissionsAndItemsThatAreNoFiles) {
  std::string folder = gbtest::MakeTempFolder("fork_open");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "abc"));
  SInt16 ref = 0;
  char buffer[4];
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::data, fsRdPerm, &ref), noErr);
  EXPECT_EQ(plat::WriteFork(ref, 1, "x", nullptr), wrPermErr);
  EXPECT_EQ(plat::SetForkSize(ref, 0), wrPermErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::data, fsWrPerm, &ref), noErr);
  EXPECT_EQ(plat::ReadFork(ref, 1, buffer, nullptr), permErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_EQ(plat::OpenFork(file, plat::ForkKind::data, 9, &ref), paramErr);

  ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink("f", (folder + "link").c_str()), 0);
  struct Case {
    std::string path;
    plat::ForkKind kind;
    OSErr expected;
  } cases[] = {
      {folder, plat::ForkKind::data, notAFileErr},
      {folder, plat::ForkKind::resource, notAFileErr},
      {folder + "fifo", plat::ForkKind::data, notAFileErr},  // refused, never waited for
      {folder + "fifo", plat::ForkKind::resource, notAFileErr},
      {folder + "missing", plat::ForkKind::data, fnfErr},
      {folder + "missing", plat::ForkKind::resource, fnfErr},
      {file + "/inside", plat::ForkKind::data, dirNFErr},
      {folder + "link", plat::ForkKind::data, noErr},  // a link's data is its target's
  };
  for (const Case& c : cases) {
    for (SInt8 permission : {fsRdPerm, fsRdWrPerm}) {
      SInt16 opened = 0;
      EXPECT_EQ(plat::OpenFork(c.path, c.kind, permission, &opened), c.expected) << c.path;
      if (opened) {
        EXPECT_EQ(plat::CloseFork(opened), noErr);
      }
    }
  }
  EXPECT_EQ(gbtest::ReadTextFile(file), "abc");
}

TEST(Forks, ResourceForkLivesInAnAppleDoubleSidecar) {
  std::string folder = gbtest::MakeTempFolder("rsrc");
  std::string file = folder + "saver";
  ASSERT_TRUE(gbtest::WriteFile(file, "data fork"));
  EXPECT_EQ(plat::SidecarPath(file), folder + "._saver");

  // Without a sidecar the resource fork is empty.
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "");
  EXPECT_EQ(plat::ResourceForkSize(file), 0u);
  EXPECT_FALSE(gbtest::FileExists(folder + "._saver"));

  ASSERT_EQ(WriteWholeFork(file, plat::ForkKind::resource, "resource map"), noErr);
  std::vector<UInt8> sidecar = gbtest::ReadFile(folder + "._saver");
  ASSERT_GE(sidecar.size(), 38u);
  EXPECT_EQ(std::vector<UInt8>(sidecar.begin(), sidecar.begin() + 4),
            (std::vector<UInt8>{0x00, 0x05, 0x16, 0x07}));
  EXPECT_EQ(sidecar[29], 2);  // the entry is the resource fork
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "resource map");
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::data), "data fork");
  EXPECT_EQ(plat::ResourceForkSize(file), 12u);

  // Positioned writes and truncation keep the entry's length.
  SInt16 ref = 0;
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::resource, fsRdWrPerm, &ref), noErr);
  ASSERT_EQ(plat::SetForkPosition(ref, fsFromStart, 9), noErr);
  ASSERT_EQ(plat::WriteFork(ref, 7, "MAP!!!!", nullptr), noErr);
  ASSERT_EQ(plat::SetForkSize(ref, 13), noErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "resource MAP!");

  // Cut to nothing, the resource fork takes its sidecar with it.
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::resource, fsWrPerm, &ref), noErr);
  ASSERT_EQ(plat::SetForkSize(ref, 0), noErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_FALSE(gbtest::FileExists(folder + "._saver"));
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::data), "data fork");
}

TEST(Forks, ForeignSidecarsKeepTheirOtherEntries) {
  std::string folder = gbtest::MakeTempFolder("foreign");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, ""));
  std::string finderEntry(32, 'F');
  // The resource fork comes first, so it must move to the end to grow.
  ASSERT_TRUE(gbtest::WriteFile(folder + "._f", AppleDouble({{2, "abcd"}, {9, finderEntry}})));
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "abcd");

  SInt16 ref = 0;
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::resource, fsRdWrPerm, &ref), noErr);
  ASSERT_EQ(plat::SetForkPosition(ref, fsFromLEOF, 0), noErr);
  ASSERT_EQ(plat::WriteFork(ref, 4, "efgh", nullptr), noErr);
  ASSERT_EQ(plat::SetForkSize(ref, 0), noErr);
  ASSERT_EQ(plat::WriteFork(ref, 3, "xyz", nullptr), noErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "xyz");
  std::string sidecar = gbtest::ReadTextFile(folder + "._f");
  EXPECT_NE(sidecar.find(finderEntry), std::string::npos);

  // With other entries present an empty resource fork keeps the sidecar.
  ASSERT_EQ(plat::OpenFork(file, plat::ForkKind::resource, fsRdWrPerm, &ref), noErr);
  ASSERT_EQ(plat::SetForkSize(ref, 0), noErr);
  ASSERT_EQ(plat::CloseFork(ref), noErr);
  EXPECT_TRUE(gbtest::FileExists(folder + "._f"));
  EXPECT_EQ(plat::ResourceForkSize(file), 0u);
}

// Found by the sidecar fuzz target: a foreign sidecar whose Finder
// information overlapped the bytes after the resource fork lost it (and
// became unreadable) when the fork was written, since the fork was grown
// and cut in place over them.
TEST(Forks, WritingTheResourceForkKeepsEntriesThatOverlapIt) {
  std::string folder = gbtest::MakeTempFolder("overlap");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, ""));
  std::string finderEntry(32, 'F');
  // The Finder information runs over the resource fork, which comes last.
  std::vector<UInt8> sidecar = AppleDouble({{9, finderEntry}, {2, "ab"}});
  PutLong(sidecar, 30, 26 + 2 * 12 + 16);
  PutLong(sidecar, 34, 32);
  sidecar.resize(26 + 2 * 12 + 16 + 32, 'F');
  ASSERT_TRUE(gbtest::WriteFile(folder + "._f", sidecar));
  UInt8 before[32];
  ASSERT_TRUE(plat::ReadSidecarFinderInfo(file, before));
  const std::string fork = ReadWholeFork(file, plat::ForkKind::resource);

  ASSERT_EQ(WriteWholeFork(file, plat::ForkKind::resource, fork + "more"), noErr);
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), fork + "more");
  UInt8 after[32];
  ASSERT_TRUE(plat::ReadSidecarFinderInfo(file, after));
  EXPECT_EQ(std::string(after, after + 32), std::string(before, before + 32));

  // A second resource entry never takes the first one's place.
  ASSERT_TRUE(gbtest::WriteFile(folder + "._f", AppleDouble({{2, "first"}, {9, finderEntry}, {2, "second"}})));
  ASSERT_EQ(WriteWholeFork(file, plat::ForkKind::resource, ""), noErr);
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "first");

  // Found by the sidecar fuzz target: the size the catalog gives (and the
  // copy engine copies by) is that of the same first entry, so a copy made
  // with the file holds the whole fork, not as much of it as the last entry
  // is long.
  ASSERT_TRUE(gbtest::WriteFile(folder + "._f", AppleDouble({{2, "first entry"}, {2, "second"}})));
  EXPECT_EQ(plat::ResourceForkSize(file), 11u);
  EXPECT_EQ(ReadWholeFork(file, plat::ForkKind::resource), "first entry");
}

TEST(Forks, CorruptSidecarsFailCleanly) {
  std::string folder = gbtest::MakeTempFolder("corrupt");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "keep"));
  std::vector<UInt8> good = AppleDouble({{2, "abcd"}});
  std::vector<UInt8> badMagic = good, pastEnd = good, manyEntries = good, version = good;
  badMagic[0] = 0x99;
  PutLong(pastEnd, 34, 0xFFFFFFF0);       // length reaches past the file
  manyEntries[24] = 0xFF;                  // more entries than the file holds
  PutLong(version, 4, 0x00030000);
  std::vector<std::vector<UInt8>> cases = {
      {}, {0x00, 0x05, 0x16}, badMagic, pastEnd, manyEntries, version};
  for (const auto& sidecar : cases) {
    ASSERT_TRUE(gbtest::WriteFile(folder + "._f", sidecar));
    for (SInt8 permission : {fsRdPerm, fsRdWrPerm}) {
      SInt16 ref = 0;
      OSErr result = plat::OpenFork(file, plat::ForkKind::resource, permission, &ref);
      if (sidecar.empty() && permission == fsRdWrPerm) {
        EXPECT_EQ(result, noErr);  // an empty sidecar is made anew
      } else {
        EXPECT_EQ(result, ioErr) << sidecar.size();
      }
      if (result == noErr) {
        EXPECT_EQ(plat::CloseFork(ref), noErr);
      }
    }
    EXPECT_EQ(plat::ResourceForkSize(file), 0u);
  }
  EXPECT_EQ(gbtest::ReadTextFile(file), "keep");
}

TEST(Forks, SidecarTravelsWithItsFileAndHidesFromListings) {
  std::string folder = gbtest::MakeTempFolder("travel");
  std::string other = gbtest::MakeTempFolder("travel/other");
  std::string file = folder + "a";
  ASSERT_TRUE(gbtest::WriteFile(file, "data"));
  ASSERT_EQ(WriteWholeFork(file, plat::ForkKind::resource, "rsrc"), noErr);

  plat::FolderListing listing;
  std::vector<std::string> names;
  auto list = [&](const std::string& where) {
    names.clear();
    std::string name;
    EXPECT_EQ(listing.Open(where), noErr);
    while (listing.Next(&name) == noErr) names.push_back(name);
    return names;
  };
  EXPECT_EQ(list(folder), (std::vector<std::string>{"a", "other"}));

  ASSERT_EQ(plat::RenameItem(file, "b"), noErr);
  EXPECT_EQ(ReadWholeFork(folder + "b", plat::ForkKind::resource), "rsrc");
  EXPECT_FALSE(gbtest::FileExists(folder + "._a"));

  ASSERT_EQ(plat::MoveItemToFolder(folder + "b", other), noErr);
  EXPECT_EQ(ReadWholeFork(other + "b", plat::ForkKind::resource), "rsrc");
  EXPECT_EQ(list(other), (std::vector<std::string>{"b"}));

  ASSERT_TRUE(gbtest::WriteFile(folder + "copy", "data"));
  ASSERT_EQ(plat::CopySidecar(other + "b", folder + "copy"), noErr);
  EXPECT_EQ(ReadWholeFork(folder + "copy", plat::ForkKind::resource), "rsrc");

  ASSERT_EQ(plat::DeleteItem(other + "b"), noErr);
  EXPECT_FALSE(gbtest::FileExists(other + "._b"));
  EXPECT_EQ(list(other), std::vector<std::string>{});

  // A sidecar whose file is gone is an ordinary item; one left at a
  // destination never becomes the resource fork of a file without one.
  ASSERT_TRUE(gbtest::WriteFile(folder + "._stale", AppleDouble({{2, "old"}})));
  ASSERT_TRUE(gbtest::WriteFile(folder + "plain", "p"));
  EXPECT_EQ(list(folder), (std::vector<std::string>{"._stale", "copy", "other", "plain"}));
  ASSERT_EQ(plat::RenameItem(folder + "plain", "stale"), noErr);
  EXPECT_EQ(ReadWholeFork(folder + "stale", plat::ForkKind::resource), "");
  ASSERT_EQ(plat::CopySidecar(folder + "stale", folder + "copy"), noErr);
  EXPECT_EQ(plat::ResourceForkSize(folder + "copy"), 0u);
}

TEST(Forks, ItemOperationsReportWhatStopsThem) {
  std::string folder = gbtest::MakeTempFolder("ops");
  std::string sub = gbtest::MakeTempFolder("ops/sub");
  std::string inner = gbtest::MakeTempFolder("ops/sub/inner");
  ASSERT_TRUE(gbtest::WriteFile(folder + "a", "a"));
  ASSERT_TRUE(gbtest::WriteFile(folder + "b", "b"));
  ASSERT_TRUE(gbtest::WriteFile(sub + "a", "sub a"));

  for (const char* bad : {"", ".", "..", "x/y"})
    EXPECT_EQ(plat::RenameItem(folder + "a", bad), bdNamErr) << bad;
  EXPECT_EQ(plat::RenameItem(folder + "a", "b"), dupFNErr);
  EXPECT_EQ(plat::RenameItem(folder + "a", "a"), noErr);
  EXPECT_EQ(plat::RenameItem(folder + "missing", "c"), fnfErr);

  EXPECT_EQ(plat::MoveItemToFolder(folder + "a", sub), dupFNErr);
  EXPECT_EQ(gbtest::ReadTextFile(sub + "a"), "sub a");
  EXPECT_EQ(plat::MoveItemToFolder(folder + "a", folder + "b"), dirNFErr);  // a file
  EXPECT_EQ(plat::MoveItemToFolder(folder + "a", folder + "none/"), dirNFErr);
  EXPECT_EQ(plat::MoveItemToFolder(folder + "a", folder), noErr);  // already there
  EXPECT_EQ(plat::MoveItemToFolder(sub, inner), badMovErr);
  EXPECT_EQ(plat::MoveItemToFolder(folder + "missing", sub), fnfErr);
  EXPECT_TRUE(gbtest::FileExists(folder + "a"));

  EXPECT_EQ(plat::DeleteItem(sub), fBsyErr);
  EXPECT_EQ(plat::DeleteItem(folder + "missing"), fnfErr);
  EXPECT_EQ(plat::DeleteItem(inner), noErr);
  EXPECT_FALSE(gbtest::FileExists(inner));
}

TEST(Forks, LockedItemsRefuseChanges) {
  std::string folder = gbtest::MakeTempFolder("locked");
  std::string other = gbtest::MakeTempFolder("locked/other");
  std::string file = folder + "f";
  ASSERT_TRUE(gbtest::WriteFile(file, "safe"));
  ASSERT_EQ(plat::SetLocked(file, true), noErr);

  SInt16 ref = 0;
  for (plat::ForkKind kind : {plat::ForkKind::data, plat::ForkKind::resource}) {
    EXPECT_EQ(plat::OpenFork(file, kind, fsWrPerm, &ref), fLckdErr);
    EXPECT_EQ(plat::OpenFork(file, kind, fsRdWrPerm, &ref), fLckdErr);
    ASSERT_EQ(plat::OpenFork(file, kind, fsRdPerm, &ref), noErr);  // reading is fine
    ASSERT_EQ(plat::CloseFork(ref), noErr);
  }
  EXPECT_EQ(plat::DeleteItem(file), fLckdErr);
  EXPECT_EQ(plat::RenameItem(file, "g"), fLckdErr);
  EXPECT_EQ(plat::MoveItemToFolder(file, other), fLckdErr);
  EXPECT_EQ(gbtest::ReadTextFile(file), "safe");
  EXPECT_FALSE(gbtest::FileExists(folder + "._f"));

  ASSERT_EQ(plat::SetLocked(file, false), noErr);
  EXPECT_EQ(plat::RenameItem(file, "g"), noErr);
  EXPECT_EQ(plat::DeleteItem(folder + "g"), noErr);
}

TEST(Forks, TreeDeletionUnlocksAndNeverFollowsLinks) {
  std::string outside = gbtest::MakeTempFolder("tree_outside");
  ASSERT_TRUE(gbtest::WriteFile(outside + "keep", "keep"));
  std::string tree = gbtest::MakeTempFolder("tree");
  std::string deep = gbtest::MakeTempFolder("tree/a/b/c");
  ASSERT_TRUE(gbtest::WriteFile(deep + "locked", "x"));
  ASSERT_EQ(plat::SetLocked(deep + "locked", true), noErr);
  ASSERT_EQ(WriteWholeFork(deep + "locked", plat::ForkKind::resource, "r"), fLckdErr);
  ASSERT_TRUE(gbtest::WriteFile(tree + "a/f", "f"));
  ASSERT_EQ(WriteWholeFork(tree + "a/f", plat::ForkKind::resource, "rsrc"), noErr);
  ASSERT_TRUE(gbtest::WriteFile(tree + "a/._orphan", "o"));
  ASSERT_EQ(plat::SetLocked(tree + "a/b", true), noErr);
  ASSERT_EQ(symlink(outside.c_str(), (tree + "a/link").c_str()), 0);

  EXPECT_EQ(plat::DeleteItem(tree + "a/b"), fLckdErr);
  ASSERT_EQ(plat::DeleteTree(tree), noErr);
  EXPECT_FALSE(gbtest::FileExists(tree));
  EXPECT_EQ(gbtest::ReadTextFile(outside + "keep"), "keep");
  EXPECT_EQ(plat::DeleteTree(tree), fnfErr);

  std::string file = outside + "single";
  ASSERT_TRUE(gbtest::WriteFile(file, "s"));
  ASSERT_EQ(plat::SetLocked(file, true), noErr);
  ASSERT_EQ(plat::DeleteTree(file), noErr);
  EXPECT_FALSE(gbtest::FileExists(file));
}

}  // namespace
