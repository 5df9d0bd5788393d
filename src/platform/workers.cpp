#include "platform/workers.h"

#include <algorithm>
#include <exception>
#include <vector>

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace quenwick {

namespace {

#ifdef _WIN32
/// A lock and a condition of the Windows API (the toolchain's threads model has
/// none of the standard library's).
class Monitor {
 public:
  Monitor() {
    InitializeSRWLock(&lock_);
    InitializeConditionVariable(&changed_);
  }
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  void wait() { SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0); }
  void notifyAll() { WakeAllConditionVariable(&changed_); }

 private:
  SRWLOCK lock_;
  CONDITION_VARIABLE changed_;
};
#else
/// A lock and a condition.
class Monitor {
 public:
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  void wait() {
    std::unique_lock<std::mutex> held(mutex_, std::adopt_lock);
    changed_.wait(held);
    held.release();
  }
  void notifyAll() { changed_.notify_all(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};
#endif

/// Holds a monitor's lock for a scope.
class Held {
 public:
  explicit Held(Monitor& monitor) : monitor_(monitor) { monitor_.lock(); }
  ~Held() { monitor_.unlock(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

 private:
  Monitor& monitor_;
};

/// What the threads share.
struct Shared {
  Monitor monitor;                 // guards everything below
  std::size_t count = 0;           // items in all
  std::size_t window = 1;          // results that may wait
  std::size_t next = 0;            // the next item to start
  std::size_t taken = 0;           // items taken so far
  std::vector<char> done;          // by item: its work is done
  bool stop = false;               // something failed: start nothing more
  std::exception_ptr failure;      // the first failure of a worker
  const std::function<void(std::size_t)>* work = nullptr;
};

void workLoop(Shared& shared) {
  for (;;) {
    std::size_t item;
    {
      Held held(shared.monitor);
      while (!shared.stop && shared.next < shared.count && shared.next >= shared.taken + shared.window) {
        shared.monitor.wait();
      }
      if (shared.stop || shared.next >= shared.count) return;
      item = shared.next++;
    }
    try {
      (*shared.work)(item);
    } catch (...) {
      Held held(shared.monitor);
      if (!shared.failure) shared.failure = std::current_exception();
      shared.stop = true;
      shared.monitor.notifyAll();
      return;
    }
    Held held(shared.monitor);
    shared.done[item] = 1;
    shared.monitor.notifyAll();
  }
}

#ifdef _WIN32
DWORD WINAPI threadEntry(LPVOID argument) {
  workLoop(*static_cast<Shared*>(argument));
  return 0;
}
#endif

}  // namespace

unsigned workerCount() {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const unsigned count = info.dwNumberOfProcessors;
#else
  const unsigned count = std::thread::hardware_concurrency();
#endif
  return std::clamp(count, 1u, 16u);
}

void runInOrder(std::size_t count, unsigned threads, std::size_t window,
                const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& take) {
  if (threads <= 1 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      work(i);
      take(i);
    }
    return;
  }
  Shared shared;
  shared.count = count;
  shared.window = std::max<std::size_t>(window, threads);
  shared.done.assign(count, 0);
  shared.work = &work;
  const unsigned started = static_cast<unsigned>(std::min<std::size_t>(threads, count));
#ifdef _WIN32
  std::vector<HANDLE> handles;
  for (unsigned t = 0; t < started; ++t) {
    HANDLE handle = CreateThread(nullptr, 0, threadEntry, &shared, 0, nullptr);
    if (handle != nullptr) handles.push_back(handle);
  }
  if (handles.empty()) {
    // No thread could start: do the work here.
    shared.work = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
      work(i);
      take(i);
    }
    return;
  }
#else
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < started; ++t) pool.emplace_back(workLoop, std::ref(shared));
#endif
  std::exception_ptr failure;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      {
        Held held(shared.monitor);
        while (!shared.done[i] && !shared.stop) shared.monitor.wait();
        if (shared.stop) break;
      }
      take(i);
      Held held(shared.monitor);
      shared.taken = i + 1;
      shared.monitor.notifyAll();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  {
    Held held(shared.monitor);
    shared.stop = true;
    shared.monitor.notifyAll();
  }
#ifdef _WIN32
  for (HANDLE handle : handles) {
    WaitForSingleObject(handle, INFINITE);
    CloseHandle(handle);
  }
#else
  for (std::thread& thread : pool) thread.join();
#endif
  if (failure) std::rethrow_exception(failure);
  if (shared.failure) std::rethrow_exception(shared.failure);
}

}  // namespace quenwick
