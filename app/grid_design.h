#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "puzzle/block_rules.h"
#include "puzzle/grid_layout.h"

namespace vexilo {

// The window's aids to laying out a grid: symmetry, the block rules and the keyboard cursor.
struct GridDesign {
  Symmetry symmetry = Symmetry::Point;
  unsigned rules = AllBlockRules;  // ruleBit of each rule checked
  RuleCheck check;                 // of checkedLayout under checkedRules
  Layout checkedLayout;
  unsigned checkedRules = 0;
  bool checked = false;              // check holds a result
  int cursor = 0;                    // the cell typing goes into
  SlotDirection direction = Across;  // where the cursor goes after a letter
  bool focused = false;     // the grid has the keyboard focus; only then is the cursor shown
  CellRectangle selection;  // selected by a Shift drag; empty: none
};

// What the status line says after a check, Shift_JIS; empty when no cell is open or no rule
// is checked.
std::string ruleStatusText(const RuleCheck& check, unsigned rules, bool anyOpen);

inline constexpr int DefaultPuzzleSide = 15;

// A side typed into the new-puzzle box, in ASCII or full-width digits, from MinPuzzleSide to
// MaxPuzzleSide; nothing for anything else.
std::optional<int> puzzleSide(std::string_view text);

}  // namespace vexilo
