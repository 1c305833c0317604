#pragma once

#include <array>
#include <string>
#include <string_view>

#include "files/atomic_file.h"
#include "puzzle/clues.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

// The smallest cell index from start (below 1,024) whose cell is not blocked and has this mark;
// -1 when there is none.
int FindMarkedCell(const PuzzleGrid& grid, int start, int mark);

// Rows top..bottom-1 and columns left..right-1: the smallest rectangle holding every cell that
// is not blocked. With no such cell, top and left are 32 and bottom and right 0.
struct ExportRectangle {
  int top = GridSize;
  int bottom = 0;
  int left = GridSize;
  int right = 0;
};
ExportRectangle exportedRectangle(const PuzzleGrid& grid);

// True when an open cell of the rectangle belongs to a group (a mark from 0 to 1,023).
bool hasNumbers(const PuzzleGrid& grid, const ExportRectangle& area);

// Per group, the cell that stands for it in the key table of the PHP form: the group's last
// Fixed cell in reading order, else its first cell; -1 for a group no open cell carries.
std::array<int, CellCount> representatives(const PuzzleGrid& grid, const ExportRectangle& area);

enum class PageForm { Html, Php };

// The text after the last '.' of the file name (not of a folder name); empty when none.
std::string fileExtension(std::string_view path);
// "php" in any case gives the PHP form; every other extension, or none, the HTML form.
PageForm pageFormFor(std::string_view extension);

// The whole page, lines ended by CR LF, texts in the grid's own Shift_JIS bytes.
// With clue texts the page adds the clue labels in the grid and タテのカギ and ヨコのカギ under
// it; without, it is the page as ever, byte for byte.
std::string formatPage(const PuzzleGrid& grid, PageForm form, const PuzzleClues& clues = {});

// Writes the page in the form the path's extension asks for. Not written, with any existing file
// as it was, when the file cannot be written in full. The PHP form grades an empty cell of a
// group that lies in no word by its group's letter, and the note names such a cell.
FileWrite exportPuzzlePage(const std::string& path, const PuzzleGrid& grid,
                           const PuzzleClues& clues = {});

}  // namespace vexilo
