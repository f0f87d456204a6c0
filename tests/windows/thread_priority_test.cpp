// The mixing thread's priority on Windows: the player's thread raises itself
// through the back end when it starts, and must end up time-critical.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "player/output/output_thread.h"

namespace {

TEST(MixingThreadPriority, RaisedToTimeCritical) {
  int before = THREAD_PRIORITY_ERROR_RETURN, after = THREAD_PRIORITY_ERROR_RETURN;
  std::thread thread([&] {
    before = GetThreadPriority(GetCurrentThread());
    FSOUND_RaiseThreadPriority();
    after = GetThreadPriority(GetCurrentThread());
  });
  thread.join();
  EXPECT_EQ(before, THREAD_PRIORITY_NORMAL);
  EXPECT_EQ(after, THREAD_PRIORITY_TIME_CRITICAL);
}

TEST(MixingThreadPriority, LeavesOtherThreadsAlone) {
  std::thread thread([] { FSOUND_RaiseThreadPriority(); });
  thread.join();
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

}  // namespace
