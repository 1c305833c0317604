#pragma once

#include <cstdint>
#include <optional>

#include "puzzle/grid_layout.h"

namespace vexilo {

// The generator's own random numbers (splitmix64), the same with every compiler and standard
// library, so that a seed makes the same layouts everywhere; the standard distributions differ.
class LayoutRandom {
 public:
  explicit LayoutRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  int below(int bound);  // 0..bound-1; bound > 0
  double unit();         // [0, 1)

 private:
  std::uint64_t state_;
};

struct BlockLayoutRequest {
  int width = 15;
  int height = 15;
  Symmetry symmetry = Symmetry::Point;
  int maxBlack = 0;          // at most this many black cells; 0: a fifth of the cells
  int longestWord = 7;       // no run of open cells is longer
  double blackShare = 0.17;  // of the cells, aimed at once every run is short enough
};

// Black cells for a puzzle of the request's size at the top left of the grid (every cell
// outside it black) that keep every block rule, with each run of open cells at most
// longestWord long and at most maxBlack black cells, placed at random by the symmetry, most
// words three to five letters long. Nothing when this attempt ran into a dead end; the next
// one, with the same random numbers going on, may not.
std::optional<Layout> makeBlockLayout(const BlockLayoutRequest& request, LayoutRandom& random);

// The length of the longest run of open cells across or down.
int longestRun(const Layout& layout);

}  // namespace vexilo
