#include "swf/swf_object_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "swf/swf_actions.h"
#include "swf/swf_display_tags.h"
#include "tests/support/test_support.h"

TEST(SwfObjectPool, GivesAlignedMemoryAndTakesItBackForTheNextObjectOfItsSize) {
  // Objects of every size, written over whole, kept apart from each other.
  std::vector<std::pair<u8*, size_t>> objects;
  for (size_t size = 1; size <= kLargestPooledObject + 40; size += 7) {
    for (int copy = 0; copy < 50; ++copy) {
      auto* object = static_cast<u8*>(AllocateSwfObject(size));
      ASSERT_EQ(reinterpret_cast<std::uintptr_t>(object) % alignof(std::max_align_t), 0u);
      std::memset(object, int(size & 0xFF), size);
      objects.emplace_back(object, size);
    }
  }
  for (const auto& [object, size] : objects) {
    for (size_t i = 0; i < size; ++i) ASSERT_EQ(object[i], u8(size & 0xFF)) << "size " << size;
  }
  for (const auto& [object, size] : objects) FreeSwfObject(object, size);

  // The same again takes no new block: what was given back serves it.
  const size_t blocks = CountSwfObjectBlocks();
  for (auto& [object, size] : objects) object = static_cast<u8*>(AllocateSwfObject(size));
  EXPECT_EQ(CountSwfObjectBlocks(), blocks);
  for (const auto& [object, size] : objects) FreeSwfObject(object, size);
  FreeSwfObject(nullptr, 8);
}

TEST(SwfObjectPool, RecordsTagsAndActionsComeFromThePool) {
  // Deleting through the base finds each class's own size.
  std::vector<std::unique_ptr<CSwfRecord>> records;
  for (int i = 0; i < 1000; ++i) {
    records.emplace_back(new CSwfActionPush("value"));
    records.emplace_back(new CSwfPlaceObject2);
    records.emplace_back(new CSwfMatrix);
    records.emplace_back(new CSwfActionGotoFrame(u16(i)));
  }
  const size_t blocks = CountSwfObjectBlocks();
  records.clear();
  for (int i = 0; i < 1000; ++i) {
    records.emplace_back(new CSwfActionGotoFrame(u16(i)));
    records.emplace_back(new CSwfMatrix);
    records.emplace_back(new CSwfPlaceObject2);
    records.emplace_back(new CSwfActionPush("value"));
  }
  EXPECT_EQ(CountSwfObjectBlocks(), blocks);
  EXPECT_EQ(static_cast<CSwfActionPush*>(records.back().get())->GetValues()[0].text, "value");
}

// A free object links to the next one of its size: the pool holds its
// blocks and nothing beside them, however many objects come and go.
TEST(SwfObjectPool, HoldsNoMoreThanItsBlocks) {
  constexpr size_t kObjects = 200000;
  std::vector<void*> objects(kObjects);
  const size_t before = CountSwfObjectBlocks();
  for (void*& object : objects) object = AllocateSwfObject(16);
  for (void* object : objects) FreeSwfObject(object, 16);
  const size_t blocks = CountSwfObjectBlocks() - before;
  // 200000 objects of 16 bytes take about 49 blocks of 64 KB.
  EXPECT_LE(blocks, kObjects * 16 / kSwfObjectBlockSize + 2);
  for (void*& object : objects) object = AllocateSwfObject(16);
  EXPECT_EQ(CountSwfObjectBlocks() - before, blocks);
  for (void* object : objects) FreeSwfObject(object, 16);
}

// In builds with AddressSanitizer the pool is the one users get: the heap
// the sanitizer counts (the measure of the fuzz targets' amplification
// check) holds its blocks, and a deleted object cannot be used.
TEST(SwfObjectPool, TheSanitizerSeesThePoolAndItsFreeObjects) {
  if (!gbtest::HeapPeak::IsAvailable()) GTEST_SKIP() << "only builds with AddressSanitizer count their heap";
  std::vector<void*> objects(100000);
  {
    gbtest::HeapPeak peak;
    for (void*& object : objects) object = AllocateSwfObject(100);
    EXPECT_GE(peak.GetPeak(), objects.size() * 112);
  }
  for (void* object : objects) FreeSwfObject(object, 100);
  auto* object = static_cast<volatile u8*>(AllocateSwfObject(40));
  object[39] = 1;
  EXPECT_DEATH(object[40] = 1, "use-after-poison");
  FreeSwfObject(const_cast<u8*>(object), 40);
  EXPECT_DEATH(object[0] = 1, "use-after-poison");
}
