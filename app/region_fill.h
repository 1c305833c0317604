#pragma once

#include <vector>

#include "dictionary/word_index.h"
#include "puzzle/grid_layout.h"
#include "puzzle/puzzle_grid.h"
#include "search/fast_fill.h"
#include "search/fill_host.h"
#include "search/word_slot.h"

namespace vexilo {

class BannedWords;

// The slots with a cell in the region, by table index.
std::vector<int> slotsInRegion(const SlotTable& table, const CellRectangle& region);

// Empties the search letters (of Open and Star cells) inside the region, each cell drawn
// through the host.
void clearRegionLetters(PuzzleGrid& grid, const CellRectangle& region, FillHost& host);

// Fills the slots with a cell in the region with the fast engine, keeping every letter outside
// the region as if it were given, also in those slots; the words standing outside count as used.
// The grid must be prepared (region letters cleared, given letters spread) and the table
// extracted from it. Ends as the engine's run does; with no slot in the region, Filled at once.
SearchEnd fillRegion(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FastFill& engine,
                     FillHost& host, const CellRectangle& region,
                     const BannedWords* banned = nullptr);

}  // namespace vexilo
