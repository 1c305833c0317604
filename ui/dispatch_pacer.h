#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>

namespace vexilo {

struct SteadyNow {
  std::chrono::nanoseconds operator()() const {
    return std::chrono::steady_clock::now().time_since_epoch();
  }
};

// When the window's pump, called after every candidate (some 25 ns apart), dispatches events:
// once Interval has passed since the last dispatch ended. The clock is read only every stride
// calls; the stride doubles while reads come quicker than Interval / 32 apart and falls back
// to 1 when they come slower than Interval / 8, so a dispatch is late by at most an eighth of
// the interval while the calls keep their pace, and a call mostly costs a decrement.
template <class Now = SteadyNow>
class DispatchPacer {
 public:
  static constexpr std::chrono::nanoseconds Interval = std::chrono::milliseconds(5);
  static constexpr std::uint32_t MaxStride = 256;

  explicit DispatchPacer(Now now = Now())
      : now_(std::move(now)), lastRead_(now_()), lastDispatch_(lastRead_) {}

  // True when the events are to be dispatched now.
  bool due() {
    if (--countdown_ != 0) return false;
    return readClock();
  }
  // Called once the dispatch returned: the handlers' own time does not count.
  void dispatched() { lastDispatch_ = lastRead_ = now_(); }

  std::uint32_t stride() const { return stride_; }

 private:
  bool readClock() {
    const std::chrono::nanoseconds now = now_();
    const std::chrono::nanoseconds sinceRead = now - lastRead_;
    lastRead_ = now;
    if (sinceRead < Interval / 32) {
      stride_ = std::min(stride_ * 2, MaxStride);
    } else if (sinceRead > Interval / 8) {
      stride_ = 1;
    }
    countdown_ = stride_;
    return now - lastDispatch_ >= Interval;
  }

  Now now_;
  std::chrono::nanoseconds lastRead_;
  std::chrono::nanoseconds lastDispatch_;
  std::uint32_t stride_ = 1;
  std::uint32_t countdown_ = 1;
};

}  // namespace vexilo
