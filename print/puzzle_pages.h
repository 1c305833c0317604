#pragma once

#include <string>

#include "files/print_layout.h"
#include "puzzle/clues.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

// Writes the printed pages as a PDF through Qt's PDF writer: IPA Gothic embedded, the texts
// as text, the grid as lines. A program without a Qt application (vexilo-cli) gets one on
// the offscreen platform. False, with any existing file as it was, when it cannot be written.
bool writePuzzlePdf(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                    PaperSize paper);

}  // namespace vexilo
