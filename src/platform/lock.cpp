#include "platform/lock.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <mutex>
#endif

namespace quenwick {

#ifdef _WIN32
struct Lock::State {
  SRWLOCK lock = SRWLOCK_INIT;
};

void Lock::lock() {
  AcquireSRWLockExclusive(&state_->lock);
}

void Lock::unlock() {
  ReleaseSRWLockExclusive(&state_->lock);
}
#else
struct Lock::State {
  std::mutex mutex;
};

void Lock::lock() {
  // The sections held are short (a lookup in a map): trying a few times costs
  // less than sleeping in the kernel and being woken.
  for (int tries = 0; tries < 100; ++tries) {
    if (state_->mutex.try_lock()) return;
  }
  state_->mutex.lock();
}

void Lock::unlock() {
  state_->mutex.unlock();
}
#endif

Lock::Lock() : state_(std::make_unique<State>()) {}

Lock::~Lock() = default;

}  // namespace quenwick
