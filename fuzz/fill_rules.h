#pragma once

#include <array>
#include <set>
#include <string>

#include "puzzle/puzzle_grid.h"
#include "search/word_slot.h"

namespace vexilo::fuzz {

// The dictionary's words as the search may use them (small kana folded), by length class.
using WordSets = std::array<std::set<std::string>, 32>;

// Checks what the dictionary-order search left against the rules of a fill, written from the
// rules rather than from the engine: the slots are the grid's runs; a slot that lists candidates
// is filled with the first, a word of its length from the dictionary; given letters, star cells
// and mark groups agree; no word stands twice among the filled slots of one length; no letter
// is left outside a filled slot. Throws PropertyViolation on the first rule broken.
void checkDictionaryOrderFill(const PuzzleGrid& before, const PuzzleGrid& after,
                              const SlotTable& table, const WordSets& words);

}  // namespace vexilo::fuzz
