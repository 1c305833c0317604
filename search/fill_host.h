#pragma once

#include <cstdint>

namespace vexilo {

// Values of the main window's searchState.
enum SearchState : std::int32_t {
  SearchIdle = 0,
  SearchRunning = 1,
  SearchCancelled = 999,  // a stop requested while running
};

// How a run of either engine ended, as the status line and vexilo-cli tell it.
enum class SearchEnd {
  Filled,         // every slot has a word (the dictionary-order search: every group)
  NoFill,         // some group, or the grid, has no fill
  NoFurtherFill,  // the fast engine has shown every fill it may since the last fresh start
  Stopped,        // the search state left SearchRunning
};

// What the engines need of the window; neither ever draws or dispatches by itself.
class FillHost {
 public:
  virtual ~FillHost() = default;
  // The cell's text was written or restored; draw it at once.
  virtual void cellChanged(int cellIndex) = 0;
  // Dispatch every pending message; any command handler may run nested in here. True when a
  // command ran, which may have changed any cell, mark included.
  virtual bool pumpMessages() = 0;
  virtual SearchState searchState() const = 0;
};

}  // namespace vexilo
