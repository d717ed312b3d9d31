// A thread object over std::thread, in the shape of a cooperative-thread
// wrapper: Create runs the virtual Run on a new thread, CreateWithFunction a
// plain function. Nothing in the application constructs one; all its work
// runs on the main thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/mac_types.h"

enum : u32 { kNewSuspend = 1 };  // the thread starts stopped

struct CThreadOptions {
  u32 stackSize = 0;  // kept for callers; std::thread takes the system's default
  u32 flags = 0;      // kNewSuspend
};

class CThread {
 public:
  typedef void* (*EntryFunction)(void* parameter);

  CThread() = default;
  // Waits for the thread. A subclass whose Run uses its own members must
  // call Dispose in its own destructor.
  virtual ~CThread();
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  // Starts a thread running Run(); false when one is already running or the
  // system refuses a new thread.
  [[nodiscard]] bool Create(const CThreadOptions& options);
  // Starts a thread running function(parameter).
  [[nodiscard]] bool CreateWithFunction(EntryFunction function, void* parameter, const CThreadOptions& options);
  // The thread's work; the base version does nothing.
  virtual void Run();
  // Waits for the thread to end and releases it; the destructor does the same.
  // From the thread itself it lets the thread go on its own.
  void Dispose();

  // A stopped thread waits in WaitWhileStopped until it is made ready again.
  void SetReady();
  void SetStopped();
  [[nodiscard]] bool IsRunning() const;
  [[nodiscard]] bool IsStopped() const;

  // A process-wide critical section (recursive) shared by all threads.
  static void BeginThreadCritical();
  static void EndThreadCritical();

 protected:
  // Called by the thread's work at points where it may pause.
  void WaitWhileStopped();

 private:
  [[nodiscard]] bool Start(EntryFunction function, void* parameter, const CThreadOptions& options);
  void EntryPoint(EntryFunction function, void* parameter);

  std::thread thread_;
  std::atomic<bool> running_{false};
  bool stopped_ = false;
  mutable std::mutex stateLock_;
  std::condition_variable stateChanged_;
};
