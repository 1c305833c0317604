#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/atomic_file.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

// The crossword file: 1,024 lines "text TAB flag TAB mark CR LF", one per cell in index order.
// Every line reads back as written: a text is cut, at a character boundary, before a TAB, LF, NUL
// or 0x1A byte and where its line would grow past the reader's 511 bytes. The cells whose text
// was cut are added to cut, in index order.
std::string formatCrosswordFile(const PuzzleGrid& grid, std::vector<int>* cut = nullptr);

// Reads file bytes into the grid as a text-mode line reader does: at most 1,024 pieces of at
// most 511 bytes each, one per cell; a piece with fewer than two TABs leaves its cell as it was.
// nextMark becomes one more than the highest mark read (0 when none). Never fails.
void parseCrosswordFile(std::string_view raw, PuzzleGrid& grid);

// The same from text already read in text mode (readTextFile). False, with the grid unchanged,
// when no line holds a cell (two TABs): a dictionary or an empty file is no puzzle.
bool readCrosswordText(std::string_view text, PuzzleGrid& grid);

// Not written when the file cannot be written in full; an existing file then stays as it was.
// The note names the first cell whose text was cut. The grid keeps its texts.
FileWrite saveCrosswordFile(const std::string& path, const PuzzleGrid& grid);
// False, with the grid unchanged, when the path cannot be opened, is not a regular file or
// holds no cell line (a line with two TABs): a dictionary or an empty file is no puzzle.
bool loadCrosswordFile(const std::string& path, PuzzleGrid& grid);

}  // namespace vexilo
