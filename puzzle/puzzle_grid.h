#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "puzzle/node_box.h"

namespace vexilo {

// Told about cells whose look an operation changed on its own (the renumbering of releaseMark),
// so that the window can repaint them.
class CellListener {
 public:
  virtual ~CellListener() = default;
  virtual void cellChanged(int index) = 0;
};

// The 32 by 32 cells and the mark counter. Callers pass only indexes 0..1023.
class PuzzleGrid {
 public:
  static constexpr int indexOf(int row, int column) { return row * GridSize + column; }
  static constexpr int rowOf(int index) { return index / GridSize; }
  static constexpr int columnOf(int index) { return index % GridSize; }

  NodeBox& cellAt(int index) { return cells_[index]; }
  const NodeBox& cellAt(int index) const { return cells_[index]; }

  int nextMark() const { return nextMark_; }
  void setNextMark(int value) { nextMark_ = value; }

  void makeOpen(int index);
  void makeBlock(int index);
  void linkCells(int source, int target);
  void releaseMark(int index);
  void clearGrid();
  void noteMark(int mark);
  // Writes full-width text from the start cell on, one two-byte letter per cell: ・ opens the
  // cell, ＊ makes it a star cell, any other letter is given. Marks stay. An across entry stops
  // at the end of its row, a down entry at the bottom. Returns the cells written, in order.
  std::vector<int> typeText(int start, std::string_view text, SlotDirection direction);

  void setListener(CellListener* listener) { listener_ = listener; }

 private:
  std::array<NodeBox, CellCount> cells_{};
  int nextMark_ = 0;  // the number the next new group receives
  CellListener* listener_ = nullptr;
};

}  // namespace vexilo
