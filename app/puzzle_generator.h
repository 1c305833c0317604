#pragma once

#include <cstdint>

#include "dictionary/word_index.h"
#include "puzzle/grid_layout.h"
#include "puzzle/puzzle_grid.h"
#include "search/fast_fill.h"
#include "search/fill_host.h"
#include "search/word_slot.h"

namespace vexilo {

class BannedWords;

struct GenerateRequest {
  int width = 15;
  int height = 15;
  Symmetry symmetry = Symmetry::Point;
  std::uint64_t seed = 1;
  // The fast engine's decisions over the whole run; 0: as many as the size is given.
  std::uint64_t decisions = 0;
};

struct GenerateOutcome {
  bool filled = false;
  bool stopped = false;  // the search state asked for the stop, or a command changed the grid
  int layoutsTried = 0;  // layouts that keep every rule, handed to the engine or turned down
  std::uint32_t worstRank = 0;   // of the fill
  std::uint32_t medianRank = 0;  // of its words
  bool proven = false;           // no fill of that layout has a smaller worst rank
  std::uint64_t decisions = 0;
  int longestWord = 0;  // the longest run the last layouts were given; 0: the index has no word
};

// The decisions a grid of this many cells is given: 60 a cell, at least 10,000, which small
// grids need to prove their best fill. About a second for 13 by 13 and a quarter of a minute
// for 32 by 32 with the shipped dictionary.
std::uint64_t generateBudget(int cells);

// The longest word a layout should ask for: the longest length whose words number at least
// half those of the commonest length (at least 3); 0 when the index has no word of 2 to 31
// two-byte letters.
int longestCommonLength(const WordIndex& index);

// Makes a puzzle of the request's size at the top left of the grid: lays out black cells that
// keep every block rule, at most a fifth of the cells black and no word longer than the
// dictionary holds plenty of, and fills it with the fast engine, layout after layout until one
// fills, the first fill then made better while the decisions last. The same request and words
// give the same puzzle: the engine's work is counted in decisions, never in time. Every cell
// written is drawn through the host, whose pump may stop the run; the table holds the slots of
// the last layout tried. Without a fill the grid holds the last layout tried, empty.
// The engine's settings are kept but for the slots to fill, the deadline, firstOnly and its
// threads: it runs on one.
GenerateOutcome generatePuzzle(PuzzleGrid& grid, SlotTable& table, const WordIndex& index,
                               FastFill& engine, FillHost& host, const GenerateRequest& request,
                               const BannedWords* banned = nullptr);

}  // namespace vexilo
