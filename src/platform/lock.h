// A lock for data that the threads of `runInOrder` share. The Windows build's
// thread model has no std::mutex, so each platform brings its own.
#pragma once

#include <memory>

namespace quenwick {

/// A lock that one thread holds at a time.
class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  /// Waits until the lock is free and takes it.
  void lock();
  /// Gives the lock back.
  void unlock();

 private:
  struct State;
  std::unique_ptr<State> state_;  // the platform's lock
};

/// Holds a lock for a scope.
class LockHeld {
 public:
  /// Takes `lock` until the end of the scope.
  explicit LockHeld(Lock& lock) : lock_(lock) { lock_.lock(); }
  ~LockHeld() { lock_.unlock(); }
  LockHeld(const LockHeld&) = delete;
  LockHeld& operator=(const LockHeld&) = delete;

 private:
  Lock& lock_;  // the lock held
};

}  // namespace quenwick
