#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "puzzle/grid_layout.h"

namespace vexilo {

// The rules that Japanese puzzles keep for their black cells, checked inside the used
// rectangle (cells outside it are no part of the puzzle, and its edge is no black cell).
enum class BlockRule : int {
  AdjacentBlack = 0,  // two black cells side by side, across or down
  BlackCorner = 1,    // a black cell in a corner of the used rectangle
  SplitWhite = 2,     // white cells cut off from the largest part of them
  ClosedWhite = 3,    // a white cell with black cells on three or four sides
  SingleWhite = 4,    // a white cell whose runs across and down are both one cell long
};
inline constexpr int BlockRuleCount = 5;
inline constexpr unsigned AllBlockRules = (1u << BlockRuleCount) - 1;

constexpr unsigned ruleBit(BlockRule rule) { return 1u << static_cast<int>(rule); }

struct RuleViolation {
  BlockRule rule;
  int cell;  // adjacent blacks: the first of the pair; a split: the first cell of the part
  friend bool operator==(const RuleViolation&, const RuleViolation&) = default;
};

struct RuleCheck {
  std::vector<RuleViolation> violations;            // by rule, then in reading order
  std::array<std::uint8_t, CellCount> offending{};  // ruleBit of each rule a cell breaks

  bool holds() const { return violations.empty(); }
  int count(BlockRule rule) const;
};

// Checks the rules whose ruleBit is set in rules.
RuleCheck checkBlockRules(const Layout& layout, unsigned rules = AllBlockRules);
inline RuleCheck checkBlockRules(const PuzzleGrid& grid, unsigned rules = AllBlockRules) {
  return checkBlockRules(layoutOf(grid), rules);
}

}  // namespace vexilo
