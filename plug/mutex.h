// The plug-in's re-entrant lock and its scope guard.
#pragma once

#include <mutex>

// Re-entrant: the thread that holds it may lock it again and must unlock it as often.
class IMutex {
 public:
  IMutex() = default;
  IMutex(const IMutex&) = delete;
  IMutex& operator=(const IMutex&) = delete;

  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }
  // Takes the lock only if no other thread holds it.
  bool TryLock() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

// Locks for its lifetime; a null mutex makes it do nothing.
class ScopedLock {
 public:
  explicit ScopedLock(IMutex* mutex) : mutex_(mutex) {
    if (mutex_) mutex_->Lock();
  }
  ~ScopedLock() {
    if (mutex_) mutex_->Unlock();
  }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  IMutex* mutex_;
};
