#include "platform/volumes.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/test_support.h"

namespace {

TEST(Volumes, RootVolumeComesFirstWithItsSizes) {
  gbtest::SetEnvironment("GLIMMERBOX_ROOT_VOLUME", "");
  plat::VolumeInfo root;
  ASSERT_EQ(plat::GetVolumeByIndex(1, &root), noErr);
  EXPECT_EQ(root.index, 1u);
  EXPECT_EQ(root.refNum, -100);
  EXPECT_EQ(root.name, "Macintosh HD");
  EXPECT_EQ(root.mountPoint, "/");
  UInt64 total = 0, free = 0;
  ASSERT_EQ(plat::GetVolumeSizes(root, &total, &free), noErr);
  EXPECT_GT(total, 0u);
  EXPECT_LE(free, total);
  ASSERT_EQ(plat::GetVolumeSizes(root, nullptr, nullptr), noErr);

  size_t count = plat::ListVolumes().size();
  EXPECT_EQ(plat::GetVolumeByIndex(UInt32(count + 1), &root), nsvErr);
  EXPECT_EQ(plat::GetVolumeByIndex(0, &root), nsvErr);
  EXPECT_EQ(plat::GetVolumeByRefNum(-100, &root), noErr);
  EXPECT_EQ(plat::GetVolumeByRefNum(-1, &root), nsvErr);

  plat::VolumeInfo holder;
  ASSERT_EQ(plat::GetVolumeOfItem(gbtest::TestRoot(), &holder), noErr);
  EXPECT_GE(holder.index, 1u);
  EXPECT_EQ(plat::GetVolumeOfItem(gbtest::TestRoot() + "missing", &holder), fnfErr);

  gbtest::SetEnvironment("GLIMMERBOX_ROOT_VOLUME", "Boot Disk");
  ASSERT_EQ(plat::GetVolumeByIndex(1, &root), noErr);
  EXPECT_EQ(root.name, "Boot Disk");
}

TEST(Volumes, DisksAndSharesOfTheMountTableAreVolumes) {
  struct stat rootInfo, shm, proc;
  if (stat("/", &rootInfo) != 0 || stat("/dev/shm", &shm) != 0 || stat("/proc", &proc) != 0 ||
      shm.st_dev == rootInfo.st_dev || proc.st_dev == rootInfo.st_dev || proc.st_dev == shm.st_dev)
    GTEST_SKIP() << "needs /dev/shm and /proc on their own devices";
  std::string table = gbtest::TestRoot() + "mounts";
  ASSERT_TRUE(gbtest::WriteFile(table,
                                "proc /proc proc rw 0 0\n"
                                "/dev/vda / ext4 rw 0 0\n"
                                "/dev/vdb1 /dev/shm ext4 rw 0 0\n"
                                "tmpfs /run tmpfs rw 0 0\n"
                                "devtmpfs /dev devtmpfs rw 0 0\n"
                                "server:/share /proc nfs4 rw 0 0\n"
                                "/dev/vdb2 /dev/shm ext4 rw 0 0\n"
                                "/dev/sdz9 /no/such/folder ext4 rw 0 0\n"
                                "garbage\n"));
  plat::SetMountTable(table);
  std::vector<plat::VolumeInfo> volumes = plat::ListVolumes();
  ASSERT_EQ(volumes.size(), 3u);
  EXPECT_EQ(volumes[0].mountPoint, "/");
  EXPECT_EQ(volumes[0].fileSystem, "ext4");
  EXPECT_EQ(volumes[1].name, "shm");
  EXPECT_EQ(volumes[1].mountPoint, "/dev/shm/");
  EXPECT_EQ(volumes[1].refNum, -101);
  EXPECT_EQ(volumes[2].name, "proc");
  EXPECT_EQ(volumes[2].fileSystem, "nfs4");
  plat::VolumeInfo holder;
  ASSERT_EQ(plat::GetVolumeOfItem("/dev/shm", &holder), noErr);
  EXPECT_EQ(holder.index, 2u);

  plat::SetMountTable(gbtest::TestRoot() + "no-table");
  EXPECT_EQ(plat::ListVolumes().size(), 1u);
}

}  // namespace
