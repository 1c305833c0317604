#include "ui/dispatch_pacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace vexilo {
namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

struct FakeNow {
  const nanoseconds* time;
  nanoseconds operator()() const { return *time; }
};

// Calls the pacer every step until end, dispatching (which takes handlerTime) whenever it
// says so; the times at which it said so.
std::vector<nanoseconds> dispatchTimes(DispatchPacer<FakeNow>& pacer, nanoseconds& time,
                                       nanoseconds step, nanoseconds end,
                                       nanoseconds handlerTime = 0ns) {
  std::vector<nanoseconds> times;
  while (time < end) {
    time += step;
    if (pacer.due()) {
      times.push_back(time);
      time += handlerTime;
      pacer.dispatched();
    }
  }
  return times;
}

TEST(DispatchPacer, DispatchesOnceTheIntervalHasPassedAndNotBefore) {
  nanoseconds time = 0ns;
  DispatchPacer<FakeNow> pacer(FakeNow{&time});
  // Calls as quick as candidates: the clock is read seldom, and the dispatch is barely late.
  const std::vector<nanoseconds> quick = dispatchTimes(pacer, time, 25ns, 12ms);
  ASSERT_EQ(quick.size(), 2u);
  EXPECT_GE(quick[0], 5ms);
  EXPECT_LE(quick[0], 5ms + 25ns * DispatchPacer<FakeNow>::MaxStride);
  EXPECT_GE(quick[1] - quick[0], 5ms);
  EXPECT_LE(quick[1] - quick[0], 5ms + 25ns * DispatchPacer<FakeNow>::MaxStride);
  EXPECT_EQ(pacer.stride(), DispatchPacer<FakeNow>::MaxStride);

  // Once calls turn slow, one late read brings the clock back to every call.
  const std::vector<nanoseconds> slow = dispatchTimes(pacer, time, 1ms, time + 300ms);
  EXPECT_EQ(pacer.stride(), 1u);
  ASSERT_GE(slow.size(), 3u);
  for (std::size_t i = 2; i < slow.size(); ++i) EXPECT_EQ(slow[i] - slow[i - 1], 5ms);
}

TEST(DispatchPacer, TheHandlersTimeIsNotSearchTime) {
  nanoseconds time = 0ns;
  DispatchPacer<FakeNow> pacer(FakeNow{&time});
  // A dispatch whose handler runs 30 ms: the next one comes 5 ms of calls after it returned.
  const std::vector<nanoseconds> times = dispatchTimes(pacer, time, 1ms, 50ms, 30ms);
  ASSERT_EQ(times.size(), 2u);
  EXPECT_EQ(times[0], 5ms);
  EXPECT_EQ(times[1], 5ms + 30ms + 5ms);
}

}  // namespace
}  // namespace vexilo
