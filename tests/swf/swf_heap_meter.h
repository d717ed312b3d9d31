// The heap a piece of the swf tests holds at its peak.
//
// The suite's program replaces the global operator new and delete (the
// forms without an alignment) with ones that count, while a meter runs,
// the bytes taken and not yet given back. The engine's object pool keeps
// what it carves for the next movie, so objects taken from memory that an
// earlier test left in it would not show: measure in a process of its own
// (RunInFreshProcess), where every block the pool carves is new heap.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace swftest {

class CHeapMeter {
 public:
  // Starts counting from zero; one meter runs at a time.
  CHeapMeter();
  ~CHeapMeter();
  CHeapMeter(const CHeapMeter&) = delete;
  CHeapMeter& operator=(const CHeapMeter&) = delete;

  // The most that was held at once since the meter started.
  std::size_t GetPeak() const;
  // What is held now of what was taken since the meter started.
  std::size_t GetHeld() const;
};

// Runs `work` in a fresh copy of the test program (a death test in its
// threadsafe style, which starts the program anew for this test alone) and
// expects it to return "" there; otherwise the test fails with what it
// returned.
void RunInFreshProcess(const std::function<std::string()>& work);

}  // namespace swftest
