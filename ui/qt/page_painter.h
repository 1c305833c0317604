#pragma once

#include <QPagedPaintDevice>

#include "files/print_layout.h"

namespace vexilo {

// Paints the laid-out pages on a printer or a PDF writer whose page is paper, edge to edge;
// false when the device would not start.
bool paintPuzzlePages(QPagedPaintDevice& device, const PuzzleGrid& grid, const PuzzleClues& clues,
                      PaperSize paper);

// The page size Qt knows the paper by, and back (A4 for any other).
QPageSize pageSizeOf(PaperSize paper);
PaperSize paperOf(const QPageSize& size);

}  // namespace vexilo
