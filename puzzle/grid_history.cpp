#include "puzzle/grid_history.h"

#include <cstdint>
#include <cstring>

namespace vexilo {

namespace {

template <typename T>
void put(std::string& out, T value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

template <typename T>
T take(const char*& in) {
  T value;
  std::memcpy(&value, in, sizeof value);
  in += sizeof value;
  return value;
}

void pack(std::string& out, int index, const NodeBox& cell) {
  put(out, static_cast<std::uint16_t>(index));
  put(out, cell.flag);
  put(out, cell.mark);
  put(out, static_cast<std::uint32_t>(cell.str.size()));
  out += cell.str;
}

bool sameCell(const NodeBox& a, const NodeBox& b) {
  return a.flag == b.flag && a.mark == b.mark && a.str == b.str;
}

}  // namespace

void GridHistory::reset(const PuzzleGrid& grid) {
  steps_.clear();
  done_ = 0;
  bytes_ = 0;
  baseline_ = grid;
  baseId_ = nextId_++;
}

bool GridHistory::record(const PuzzleGrid& grid, ViewOffsets view) {
  Step step;
  for (int i = 0; i < CellCount; ++i) {
    if (sameCell(grid.cellAt(i), baseline_.cellAt(i))) continue;
    pack(step.before, i, baseline_.cellAt(i));
    pack(step.after, i, grid.cellAt(i));
  }
  step.nextMarkBefore = baseline_.nextMark();
  step.nextMarkAfter = grid.nextMark();
  if (step.before.empty() && step.nextMarkBefore == step.nextMarkAfter) return false;
  step.view = view;
  step.id = nextId_++;

  while (steps_.size() > done_) {
    bytes_ -= steps_.back().size();
    steps_.pop_back();
  }
  bytes_ += step.size();
  steps_.push_back(std::move(step));
  ++done_;
  while (bytes_ > budget_ && steps_.size() > 1) {
    bytes_ -= steps_.front().size();
    baseId_ = steps_.front().id;
    steps_.pop_front();
    --done_;
  }
  baseline_ = grid;
  return true;
}

void GridHistory::apply(const std::string& cells, int nextMark, PuzzleGrid& grid) {
  const char* in = cells.data();
  const char* const end = in + cells.size();
  while (in < end) {
    NodeBox& cell = grid.cellAt(take<std::uint16_t>(in));
    cell.flag = take<std::int32_t>(in);
    cell.mark = take<std::int32_t>(in);
    const std::uint32_t length = take<std::uint32_t>(in);
    cell.str.assign(in, length);
    in += length;
  }
  grid.setNextMark(nextMark);
  baseline_ = grid;
}

bool GridHistory::undo(PuzzleGrid& grid, ViewOffsets& view) {
  record(grid, view);
  if (!canUndo()) return false;
  const Step& step = steps_[--done_];
  apply(step.before, step.nextMarkBefore, grid);
  view = step.view;
  return true;
}

bool GridHistory::redo(PuzzleGrid& grid, ViewOffsets& view) {
  record(grid, view);  // a change since the last undo leaves nothing to redo
  if (!canRedo()) return false;
  const Step& step = steps_[done_++];
  apply(step.after, step.nextMarkAfter, grid);
  view = step.view;
  return true;
}

}  // namespace vexilo
