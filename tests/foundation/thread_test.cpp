#include "foundation/thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

class CountingThread : public CThread {
 public:
  ~CountingThread() override { Dispose(); }
  void Run() override {
    WaitWhileStopped();
    count = 42;
    CThread::Run();
  }
  std::atomic<int> count{0};
};

void* SetFlag(void* parameter) {
  *static_cast<std::atomic<int>*>(parameter) = 7;
  return nullptr;
}

TEST(Thread, RunsItsWorkAndWaitsWhileStopped) {
  CountingThread thread;
  CThreadOptions suspended;
  suspended.flags = kNewSuspend;
  ASSERT_TRUE(thread.Create(suspended));
  EXPECT_FALSE(thread.Create(CThreadOptions()));  // one at a time
  EXPECT_TRUE(thread.IsStopped());
  EXPECT_EQ(thread.count, 0);
  thread.SetReady();
  thread.Dispose();
  EXPECT_EQ(thread.count, 42);
  EXPECT_FALSE(thread.IsRunning());

  std::atomic<int> flag{0};
  CThread plain;
  EXPECT_FALSE(plain.CreateWithFunction(nullptr, &flag, CThreadOptions()));
  ASSERT_TRUE(plain.CreateWithFunction(&SetFlag, &flag, CThreadOptions()));
  plain.Dispose();
  EXPECT_EQ(flag, 7);

  CThread::BeginThreadCritical();
  CThread::BeginThreadCritical();  // the section is recursive
  CThread::EndThreadCritical();
  CThread::EndThreadCritical();
}

}  // namespace
