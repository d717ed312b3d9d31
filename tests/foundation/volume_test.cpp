#include "foundation/volume.h"

#include <gtest/gtest.h>

namespace {

TEST(Volume, RootVolumeByIndexNameAndNumber) {
  ASSERT_GE(CVolume::CountVolumes(), 1u);
  std::vector<u32> indexes = CVolume::ListVolumeIndexes();
  ASSERT_FALSE(indexes.empty());
  EXPECT_EQ(indexes.front(), 1u);

  CVolume volume;
  EXPECT_EQ(volume.GetName(), "");
  ASSERT_TRUE(volume.SetIndex(1));
  EXPECT_EQ(volume.GetName(), "Macintosh HD");
  EXPECT_FALSE(volume.SetIndex(CVolume::CountVolumes() + 1));
  EXPECT_EQ(volume.GetIndex(), 1u);

  CVolume byName, first, byNumber;
  ASSERT_TRUE(byName.SetFromName("Macintosh HD"));
  EXPECT_EQ(byName.GetIndex(), 1u);
  ASSERT_TRUE(first.SetFromName(""));
  EXPECT_EQ(first.GetIndex(), 1u);
  EXPECT_FALSE(byName.SetFromName("No Such Volume"));
  ASSERT_TRUE(byNumber.SetFromRefNum(-100));
  EXPECT_EQ(byNumber.GetIndex(), 1u);
  EXPECT_FALSE(byNumber.SetFromRefNum(-1));
}

TEST(Volume, SizesAgreeAcrossUnits) {
  CVolume volume;
  ASSERT_TRUE(volume.SetIndex(1));
  u64 total = 0, free = 0, totalKb = 0, freeKb = 0;
  double totalMb = 0, totalGb = 0;
  ASSERT_TRUE(volume.GetSizes(&total, &free));
  ASSERT_TRUE(volume.GetSizesKb(&totalKb, &freeKb));
  ASSERT_TRUE(volume.GetSizesMb(&totalMb, nullptr));
  ASSERT_TRUE(volume.GetSizesGb(&totalGb, nullptr));
  EXPECT_GT(total, 0u);
  EXPECT_LE(free, total);
  EXPECT_EQ(totalKb, total >> 10);
  EXPECT_DOUBLE_EQ(totalMb, double(totalKb) / 1024.0);
  EXPECT_DOUBLE_EQ(totalGb, double(totalKb) / 1048576.0);

  u64 byNumber = 0;
  ASSERT_TRUE(CVolume::GetSizesByRefNum(-100, &byNumber, nullptr));
  EXPECT_EQ(byNumber, total);
  EXPECT_TRUE(CVolume::GetSizesByRefNum(-100, nullptr, nullptr));
  EXPECT_FALSE(CVolume::GetSizesByRefNum(-1, &byNumber, nullptr));
  CVolume none;
  EXPECT_FALSE(none.GetSizes(&total, &free));
}

}  // namespace
