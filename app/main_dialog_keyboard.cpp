#include <algorithm>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "dictionary/full_width.h"

namespace vexilo {

namespace {

// The cell one step from index, or -1 past the edge of the grid.
int stepped(int index, int rows, int columns) {
  const int row = PuzzleGrid::rowOf(index) + rows;
  const int column = PuzzleGrid::columnOf(index) + columns;
  if (row < 0 || row >= GridSize || column < 0 || column >= GridSize) return -1;
  return PuzzleGrid::indexOf(row, column);
}

int stepped(int index, SlotDirection direction, int by) {
  return direction == Down ? stepped(index, by, 0) : stepped(index, 0, by);
}

// The cursor stays at the edge of the grid.
int orStay(int next, int cursor) { return next == -1 ? cursor : next; }

// Control characters typed with the text have no letter.
std::string printable(std::string_view text) {
  std::string kept;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) kept += c;
  }
  return kept;
}

}  // namespace

void MainDialog::OnGridKey(GridKey key) {
  if (key == GridKey::Enter) {
    OnCommand(IdSearch);
    return;
  }
  ++commandsRun;
  const int cursor = design.cursor;
  switch (key) {
    case GridKey::Left: moveCursor(orStay(stepped(cursor, 0, -1), cursor)); break;
    case GridKey::Right: moveCursor(orStay(stepped(cursor, 0, 1), cursor)); break;
    case GridKey::Up: moveCursor(orStay(stepped(cursor, -1, 0), cursor)); break;
    case GridKey::Down: moveCursor(orStay(stepped(cursor, 1, 0), cursor)); break;
    case GridKey::Tab:
      design.direction = design.direction == Across ? Down : Across;
      invalidateCell(cursor);
      break;
    case GridKey::Enter: break;
    case GridKey::Space: {
      const Layout before = layoutOf(grid);
      if (grid.cellAt(cursor).flag == Block) {
        grid.makeOpen(cursor);
      } else {
        grid.makeBlock(cursor);
      }
      invalidateCell(cursor);
      slots.markStale();
      mirrorEdits(before);
      break;
    }
    case GridKey::Delete: clearLetter(cursor); break;
    case GridKey::Backspace: {
      const NodeBox& cell = grid.cellAt(cursor);
      const int back = stepped(cursor, design.direction, -1);
      if ((cell.flag == Block || cell.str.empty()) && back != -1) {
        moveCursor(back);  // an empty cell: the letter before it goes
      }
      clearLetter(design.cursor);
      break;
    }
  }
  recordStep();
}

void MainDialog::clearLetter(int index) {
  NodeBox& cell = grid.cellAt(index);
  if (cell.flag == Block || (cell.str.empty() && cell.flag != Fixed)) return;
  cell.str.clear();
  if (cell.flag == Fixed) cell.flag = Open;
  invalidateCell(index);
  slots.markStale();
}

void MainDialog::OnGridText(std::string_view text) {
  ++commandsRun;
  const Layout before = layoutOf(grid);
  const std::vector<int> written =
      grid.typeText(design.cursor, toFullWidth(printable(text)), design.direction);
  if (written.empty()) return;
  for (const int j : written) invalidateCell(j);
  slots.markStale();
  mirrorEdits(before);
  const int next = stepped(written.back(), design.direction, 1);
  moveCursor(next != -1 ? next : written.back());
  recordStep();
}

void MainDialog::OnGridFocus(bool focused) {
  design.focused = focused;
  invalidateCell(design.cursor);
}

void MainDialog::moveCursor(int cell) {
  if (cell == design.cursor) return;
  if (design.focused) invalidateCell(design.cursor);
  design.cursor = cell;
  const int row = PuzzleGrid::rowOf(cell);
  const int column = PuzzleGrid::columnOf(cell);
  const int rows = std::clamp(rowOffset, row - VisibleCells + 1, row);
  const int columns = std::clamp(colOffset, column - VisibleCells + 1, column);
  if (rows == rowOffset && columns == colOffset) {
    if (design.focused) invalidateCell(cell);
    return;
  }
  rowOffset = rows;
  colOffset = columns;
  platform.setScrollPosition(IdVerticalBar, rowOffset);
  platform.setScrollPosition(IdHorizontalBar, colOffset);
  invalidateCell(-1);
}

}  // namespace vexilo
