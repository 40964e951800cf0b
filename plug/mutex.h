// The plug-in's re-entrant lock and its scope guard.
#pragma once

#include <mutex>

// Re-entrant: the thread that holds it may lock it again and must unlock it as often.
class IMutex {
 public:
  IMutex() = default;
  IMutex(const IMutex&) = delete;
  IMutex& operator=(const IMutex&) = delete;

  void Lock() {
    mutex_.lock();
    NoteHolds(1);
  }
  void Unlock() {
    NoteHolds(-1);
    mutex_.unlock();
  }
  // Takes the lock only if no other thread holds it.
  bool TryLock() {
    if (!mutex_.try_lock()) return false;
    NoteHolds(1);
    return true;
  }

  // How many holds of plug-in locks the calling thread has: debug builds count them, so that
  // code which must never run under the lock (a call to the display server) can check it.
  // Always 0 in release builds.
  static int HeldByThisThread() noexcept {
#ifndef NDEBUG
    return holds_;
#else
    return 0;
#endif
  }

 private:
  static void NoteHolds([[maybe_unused]] int change) noexcept {
#ifndef NDEBUG
    holds_ += change;
#endif
  }

#ifndef NDEBUG
  static inline thread_local int holds_ = 0;
#endif
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
