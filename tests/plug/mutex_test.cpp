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
    ScopedLock nothing(nullptr);  // a guard on no mutex locks nothing and must not crash
  }
  EXPECT_TRUE(OtherThreadCanLock(mutex));
}

}  // namespace
