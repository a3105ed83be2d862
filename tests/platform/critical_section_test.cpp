// Critical sections are re-entrant for their owner and exclusive for others.
#include <gtest/gtest.h>

#include <thread>

#include "platform/automation.h"

namespace {

BOOL enterableFromAnotherThread(CRITICAL_SECTION& section) {
  BOOL entered = FALSE;
  std::thread([&] {
    entered = TryEnterCriticalSection(&section);
    if (entered) LeaveCriticalSection(&section);
  }).join();
  return entered;
}

TEST(CriticalSection, OwnerMayEnterAgain) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  EXPECT_FALSE(enterableFromAnotherThread(section));
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_FALSE(enterableFromAnotherThread(section)) << "still entered once";
  LeaveCriticalSection(&section);
  EXPECT_TRUE(enterableFromAnotherThread(section));
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, SerialisesThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long counter = 0;
  std::thread threads[4];
  for (std::thread& thread : threads) {
    thread = std::thread([&] {
      for (int i = 0; i < 10000; ++i) {
        EnterCriticalSection(&section);
        const long seen = counter;
        counter = seen + 1;
        LeaveCriticalSection(&section);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
  DeleteCriticalSection(&section);
}

}  // namespace
