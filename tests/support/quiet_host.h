#pragma once

#include "search/fill_host.h"

namespace vexilo::test {

// A host for searches run without a window: draws nothing, lets nothing interrupt.
class QuietHost : public FillHost {
 public:
  void cellChanged(int) override {}
  bool pumpMessages() override { return false; }
  SearchState searchState() const override { return SearchRunning; }
};

}  // namespace vexilo::test
