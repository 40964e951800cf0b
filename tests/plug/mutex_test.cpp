// IMutex and ScopedLock: re-entrancy on one thread, exclusion of others, the null guard.
#include "plug/mutex.h"

#include <gtest/gtest.h>

#include <future>

namespace {

bool OtherThreadCanLock(IMutex& mutex) {
  return std::async(std::launch::async,
                    [&mutex] {
                      const bool taken = mutex.TryLock();
                      if (taken) mutex.Unlock();
                      return taken;
                    })
      .get();
}

TEST(MutexLocking, TheHoldingThreadMayLockAgainAndMustUnlockAsOften) {
  IMutex mutex;
  {
    ScopedLock outer(&mutex);
    {
      ScopedLock inner(&mutex);
      EXPECT_FALSE(OtherThreadCanLock(mutex));
    }
    EXPECT_FALSE(OtherThreadCanLock(mutex)) << "one unlock of two must not release it";
  }
  EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(MutexLocking, AScopedLockOnNoMutexDoesNothing) {
  IMutex held;
  ScopedLock outer(&held);
  // Without its null checks the guard would lock and unlock through a null pointer here.
  { ScopedLock nothing(nullptr); }
  EXPECT_FALSE(OtherThreadCanLock(held)) << "a null guard must not touch another lock";
}

}  // namespace
