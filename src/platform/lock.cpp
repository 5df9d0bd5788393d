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
  state_->mutex.lock();
}

void Lock::unlock() {
  state_->mutex.unlock();
}
#endif

Lock::Lock() : state_(std::make_unique<State>()) {}

Lock::~Lock() = default;

}  // namespace quenwick
