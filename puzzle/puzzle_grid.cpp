#include "puzzle/puzzle_grid.h"

namespace vexilo {

namespace {

constexpr std::string_view StarLetter = "\x81\x96";  // ＊
constexpr std::string_view OpenLetter = "\x81\x45";  // ・
constexpr std::size_t LetterBytes = 2;

}  // namespace

void PuzzleGrid::makeOpen(int index) { cells_[index].flag = Open; }

void PuzzleGrid::makeBlock(int index) {
  releaseMark(index);
  cells_[index].flag = Block;
  cells_[index].mark = -1;
}

void PuzzleGrid::linkCells(int source, int target) {
  NodeBox& from = cells_[source];
  NodeBox& to = cells_[target];
  if (to.flag == Block) to.flag = Open;
  if (from.mark == -1) {
    if (to.mark == -1) {
      if (nextMark_ >= CellCount) return;  // marks stop at 1023; stored data may use them all
      from.mark = nextMark_;
      to.mark = nextMark_;
      ++nextMark_;
    } else {
      from.mark = to.mark;
    }
    return;
  }
  releaseMark(target);  // may lower the source's own number
  to.mark = from.mark;
}

void PuzzleGrid::releaseMark(int index) {
  const int m = cells_[index].mark;
  if (m == -1) return;
  int members = 0;
  for (const NodeBox& cell : cells_) {
    if (cell.flag != Block && cell.mark == m) ++members;
  }
  if (members == 1) {
    nextMark_ = 0;
    for (int i = 0; i < CellCount; ++i) {
      NodeBox& cell = cells_[i];
      if (cell.mark <= m) continue;
      --cell.mark;
      if (listener_) listener_->cellChanged(i);
      if (cell.mark >= nextMark_) nextMark_ = cell.mark + 1;
    }
    if (m >= nextMark_) nextMark_ = m;
  }
  cells_[index].mark = -1;
}

void PuzzleGrid::clearGrid() {
  cells_.fill(NodeBox{});
  nextMark_ = 0;
}

void PuzzleGrid::noteMark(int mark) {
  if (nextMark_ <= mark) nextMark_ = mark + 1;
}

std::vector<int> PuzzleGrid::typeText(int start, std::string_view text, SlotDirection direction) {
  std::vector<int> written;
  const int step = direction == Down ? GridSize : 1;
  int j = start;
  for (std::size_t at = 0; at + LetterBytes <= text.size(); at += LetterBytes, j += step) {
    if (j >= CellCount || (direction != Down && rowOf(j) != rowOf(start))) break;
    NodeBox& cell = cells_[j];
    const std::string_view letter = text.substr(at, LetterBytes);
    if (letter == StarLetter) {
      cell.flag = Star;
      cell.str.clear();
    } else if (letter == OpenLetter) {
      cell.flag = Open;
      cell.str.clear();
    } else {
      cell.flag = Fixed;
      cell.str = letter;
    }
    written.push_back(j);
  }
  return written;
}

}  // namespace vexilo
