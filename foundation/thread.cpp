#include "foundation/thread.h"

#include <system_error>

namespace {

std::recursive_mutex& CriticalSection() {
  static std::recursive_mutex section;
  return section;
}

}  // namespace

CThread::~CThread() { Dispose(); }

bool CThread::Create(const CThreadOptions& options) { return Start(nullptr, nullptr, options); }

bool CThread::CreateWithFunction(EntryFunction function, void* parameter,
                                 const CThreadOptions& options) {
  if (!function) return false;
  return Start(function, parameter, options);
}

bool CThread::Start(EntryFunction function, void* parameter, const CThreadOptions& options) {
  if (thread_.joinable()) return false;
  {
    std::lock_guard<std::mutex> lock(stateLock_);
    stopped_ = (options.flags & kNewSuspend) != 0;
  }
  running_ = true;
  try {
    thread_ = std::thread(&CThread::EntryPoint, this, function, parameter);
  } catch (const std::system_error&) {
    running_ = false;
    return false;
  }
  return true;
}

void CThread::EntryPoint(EntryFunction function, void* parameter) {
  if (function)
    function(parameter);
  else
    Run();
  running_ = false;
}

void CThread::Run() {}

void CThread::Dispose() {
  SetReady();
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id())
    thread_.detach();
  else
    thread_.join();
}

void CThread::SetReady() {
  {
    std::lock_guard<std::mutex> lock(stateLock_);
    stopped_ = false;
  }
  stateChanged_.notify_all();
}

void CThread::SetStopped() {
  std::lock_guard<std::mutex> lock(stateLock_);
  stopped_ = true;
}

bool CThread::IsRunning() const { return running_ && !IsStopped(); }

bool CThread::IsStopped() const {
  std::lock_guard<std::mutex> lock(stateLock_);
  return stopped_;
}

void CThread::WaitWhileStopped() {
  std::unique_lock<std::mutex> lock(stateLock_);
  stateChanged_.wait(lock, [this] { return !stopped_; });
}

void CThread::BeginThreadCritical() { CriticalSection().lock(); }
void CThread::EndThreadCritical() { CriticalSection().unlock(); }
