#include "platform/apple_events.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/ui_test_support.h"

namespace {

class AppleEvents : public gbtest::HeadlessUiTest {
 protected:
  void TearDown() override {
    // A test may have removed the handler already, or never installed it.
    static_cast<void>(AERemoveEventHandler(kCoreEventClass, kAEOpenDocuments, nullptr, false));
    HeadlessUiTest::TearDown();
  }
};

struct Opened {
  std::vector<std::string> paths;
  long count = 0;
};

OSErr OpenDocuments(const AppleEvent* event, AppleEvent*, SRefCon refCon) {
  auto opened = static_cast<Opened*>(refCon);
  AEDescList list;
  OSErr err = AEGetParamDesc(event, keyDirectObject, typeAEList, &list);
  if (err != noErr) return err;
  EXPECT_EQ(AECountItems(&list, &opened->count), noErr);
  for (long i = 1; i <= opened->count; ++i) {
    FSRef ref;
    AEKeyword keyword;
    DescType type;
    Size size = 0;
    if (AEGetNthPtr(&list, i, typeFSRef, &keyword, &type, &ref, sizeof(ref), &size) == noErr)
      opened->paths.push_back(ref.path);
  }
  FSRef tooSmall;
  EXPECT_EQ(AEGetNthPtr(&list, 1, typeFSRef, nullptr, nullptr, &tooSmall, 8, nullptr), paramErr);
  EXPECT_EQ(AEGetNthPtr(&list, opened->count + 1, typeFSRef, nullptr, nullptr, &tooSmall, sizeof(FSRef), nullptr),
            errAEBadListItem);
  AEDisposeDesc(&list);
  return noErr;
}

TEST_F(AppleEvents, OpenDocumentsReachTheInstalledHandlerThroughTheLoop) {
  Opened opened;
  ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, OpenDocuments, &opened, false), noErr);
  const std::string folder = gbtest::MakeTempFolder("odoc");
  gbtest::WriteFile(folder + "a.gmx", "x");
  gbtest::WriteFile(folder + "b.gmx", "y");
  EXPECT_FALSE(plat::PostOpenDocuments({folder + "missing.gmx"}));
  Driver().OpenDocuments({folder + "missing.gmx", folder + "b.gmx", folder + "a.gmx"});
  RunApplicationEventLoop();
  EXPECT_EQ(opened.count, 2);
  ASSERT_EQ(opened.paths.size(), 2u);
  EXPECT_NE(opened.paths[0].find("b.gmx"), std::string::npos);

  // Without a handler the event is refused, and a queued one that is dropped
  // loses nothing.
  ASSERT_EQ(AERemoveEventHandler(kCoreEventClass, kAEOpenDocuments, nullptr, false), noErr);
  EXPECT_TRUE(plat::PostOpenDocuments({folder + "a.gmx"}));
  plat::FlushEventQueue();
}

TEST_F(AppleEvents, HotKeysGoToTheApplication) {
  EventHotKeyID seen;
  const EventTypeSpec type = {kEventClassKeyboard, kEventHotKeyPressed};
  auto handler = [](EventHandlerCallRef, EventRef event, void* data) -> OSStatus {
    EXPECT_TRUE(plat::GetParam(event, kEventParamDirectObject, typeEventHotKeyID, static_cast<EventHotKeyID*>(data)));
    return noErr;
  };
  EventHandlerRef ref;
  ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), handler, 1, &type, &seen, &ref), noErr);
  EXPECT_EQ(plat::PressHotKey(EventHotKeyID{FourCC("GmxK"), 3}), noErr);
  EXPECT_EQ(seen.signature, FourCC("GmxK"));
  EXPECT_EQ(seen.id, 3u);
  ASSERT_EQ(RemoveEventHandler(ref), noErr);
}

}  // namespace
