#include "swf/swf_object_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "swf/swf_actions.h"
#include "swf/swf_display_tags.h"

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
