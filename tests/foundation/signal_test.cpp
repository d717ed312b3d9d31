#include "foundation/signal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
  std::vector<std::string> calls;
  CSignal<int>* signal = nullptr;
  CSignalSlot<int>* toDrop = nullptr;
  bool reentryResult = true;

  void First(int value) { calls.push_back("first " + std::to_string(value)); }
  void Second(int value) { calls.push_back("second " + std::to_string(value)); }
  void Reenter(int value) {
    calls.push_back("reenter " + std::to_string(value));
    reentryResult = signal->Emit(value + 1);
  }
  void Drop(int) {
    calls.push_back("drop");
    signal->Disconnect(toDrop);
  }
};

int gPlainTotal = 0;
void AddToTotal(int value) { gPlainTotal += value; }

TEST(Signal, CallsSlotsInTheOrderTheyWereConnected) {
  Recorder recorder;
  CSignal<int> signal;
  // Allocated so that their addresses are not in connection order.
  std::vector<CSignalSlot<int>> slots = {CSignalSlot<int>::Bound<Recorder, &Recorder::Second>(&recorder),
                                         CSignalSlot<int>::Bound<Recorder, &Recorder::First>(&recorder),
                                         CSignalSlot<int>::Plain(&AddToTotal)};
  signal.Connect(&slots[2]);
  signal.Connect(&slots[1]);
  signal.Connect(&slots[0]);
  signal.Connect(&slots[0]);  // connected once only
  gPlainTotal = 0;
  EXPECT_TRUE(signal.Emit(4));
  EXPECT_EQ(gPlainTotal, 4);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"first 4", "second 4"}));
}

TEST(Signal, RefusesReentryAndDisabledOrEmptyLists) {
  Recorder recorder;
  CSignal<int> signal;
  recorder.signal = &signal;
  EXPECT_FALSE(signal.Emit(1));  // no listeners

  CSignalSlot<int> reenter = CSignalSlot<int>::Bound<Recorder, &Recorder::Reenter>(&recorder);
  signal.Connect(&reenter);
  EXPECT_TRUE(signal.Emit(1));
  EXPECT_FALSE(recorder.reentryResult);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"reenter 1"}));
  EXPECT_FALSE(signal.IsFiring());

  signal.SetEnabled(false);
  EXPECT_FALSE(signal.Emit(2));
  signal.SetEnabled(true);
  EXPECT_TRUE(signal.Emit(3));
  EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST(Signal, SlotsMayDisconnectDuringACall) {
  Recorder recorder;
  CSignal<int> signal;
  recorder.signal = &signal;
  CSignalSlot<int> drop = CSignalSlot<int>::Bound<Recorder, &Recorder::Drop>(&recorder);
  CSignalSlot<int> second = CSignalSlot<int>::Bound<Recorder, &Recorder::Second>(&recorder);
  recorder.toDrop = &second;
  signal.Connect(&drop);
  signal.Connect(&second);
  EXPECT_TRUE(signal.Emit(1));
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"drop"}));
  EXPECT_EQ(signal.ConnectedCount(), 1u);
  signal.Disconnect(&drop);
  EXPECT_FALSE(signal.Emit(2));
}

}  // namespace
