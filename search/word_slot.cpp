#include "search/word_slot.h"

#include <algorithm>
#include <utility>

namespace vexilo {

namespace {

struct SlotKey {
  std::int32_t column;
  std::int32_t row;
  std::int32_t length;
  SlotDirection direction;
  bool constrained;
};

bool constrainsRun(const NodeBox& cell) { return cell.flag >= Star || !cell.str.empty(); }

// Runs of one line; cellOf(line, step) gives the cell index of the step-th cell along it.
template <typename CellOf>
void scanLine(const PuzzleGrid& grid, int line, SlotDirection direction, CellOf cellOf,
              std::vector<SlotKey>& keys) {
  int x = 0;
  while (x < GridSize) {
    int run = 0;
    bool constrained = false;
    while (x + run < GridSize && grid.cellAt(cellOf(line, x + run)).flag != Block) {
      constrained = constrained || constrainsRun(grid.cellAt(cellOf(line, x + run)));
      ++run;
    }
    if (run >= MinSlotLength) {
      const bool across = direction == Across;
      keys.push_back({across ? x : line, across ? line : x, run, direction, constrained});
      x += run;
    }
    ++x;
  }
}

bool sortsBefore(const SlotKey& a, const SlotKey& b) {
  if (a.constrained != b.constrained) return a.constrained > b.constrained;
  return a.length > b.length;
}

// The exchange sort: its treatment of equal keys decides the fill order, so it stays as is.
void sortSlots(std::vector<SlotKey>& keys) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = i + 1; j < keys.size(); ++j) {
      if (sortsBefore(keys[j], keys[i])) std::swap(keys[i], keys[j]);
    }
  }
}

class GroupBuilder {
 public:
  GroupBuilder(const PuzzleGrid& grid, std::vector<WordSlot>& slots, int count)
      : slots_(slots), count_(count), marks_(static_cast<std::size_t>(count)) {
    for (int s = 0; s < count; ++s) {
      std::vector<std::int32_t>& marks = marks_[static_cast<std::size_t>(s)];
      for (int i = 0; i < slots[static_cast<std::size_t>(s)].length; ++i) {
        const int mark = grid.cellAt(slotCell(slots[static_cast<std::size_t>(s)], i)).mark;
        if (mark != -1) marks.push_back(mark);
      }
      std::sort(marks.begin(), marks.end());
      marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
    }
  }

  void buildGroup(int a) {
    slot(a).groupState |= Visited;
    int lastChild = -1;
    for (int i = 0; i < count_; ++i) {
      if (slot(i).groupState != 0 || !related(a, i)) continue;
      if (lastChild == -1) {
        slot(a).firstChild = i;
      } else {
        slot(lastChild).nextSibling = i;
      }
      lastChild = i;
      buildGroup(i);
    }
  }

 private:
  WordSlot& slot(int s) { return slots_[static_cast<std::size_t>(s)]; }

  // Same answer as slotsCross || slotsShareMark, with each slot's marks gathered once.
  bool related(int a, int b) {
    if (slotsCross(slot(a), slot(b))) return true;
    const auto& x = marks_[static_cast<std::size_t>(a)];
    const auto& y = marks_[static_cast<std::size_t>(b)];
    auto p = x.begin();
    auto q = y.begin();
    while (p != x.end() && q != y.end()) {
      if (*p == *q) return true;
      if (*p < *q) {
        ++p;
      } else {
        ++q;
      }
    }
    return false;
  }

  std::vector<WordSlot>& slots_;
  int count_;
  std::vector<std::vector<std::int32_t>> marks_;
};

}  // namespace

int positionInSlot(const WordSlot& slot, int cellIndex) {
  const int row = PuzzleGrid::rowOf(cellIndex);
  const int column = PuzzleGrid::columnOf(cellIndex);
  if (slot.direction == Across) {
    if (row == slot.row && slot.column <= column && column < slot.column + slot.length) {
      return column - slot.column;
    }
    return -1;
  }
  if (column == slot.column && slot.row <= row && row < slot.row + slot.length) {
    return row - slot.row;
  }
  return -1;
}

bool slotsCross(const WordSlot& a, const WordSlot& b) {
  if (a.direction == b.direction) return false;
  const WordSlot& across = a.direction == Across ? a : b;
  const WordSlot& down = a.direction == Across ? b : a;
  return across.column <= down.column && down.column < across.column + across.length &&
         down.row <= across.row && across.row < down.row + down.length;
}

bool slotsShareMark(const PuzzleGrid& grid, const WordSlot& a, const WordSlot& b) {
  for (int i = 0; i < a.length; ++i) {
    const int mark = grid.cellAt(slotCell(a, i)).mark;
    if (mark == -1) continue;
    for (int k = 0; k < b.length; ++k) {
      if (grid.cellAt(slotCell(b, k)).mark == mark) return true;
    }
  }
  return false;
}

void extractSlots(const PuzzleGrid& grid, SlotTable& table) {
  std::vector<SlotKey> keys;
  for (int row = 0; row < GridSize; ++row) {
    scanLine(
        grid, row, Across, [](int r, int c) { return PuzzleGrid::indexOf(r, c); }, keys);
  }
  for (int column = 0; column < GridSize; ++column) {
    scanLine(
        grid, column, Down, [](int c, int r) { return PuzzleGrid::indexOf(r, c); }, keys);
  }
  sortSlots(keys);

  table.slots.assign(keys.size(), WordSlot{});
  for (std::size_t s = 0; s < keys.size(); ++s) {
    WordSlot& slot = table.slots[s];
    slot.column = keys[s].column;
    slot.row = keys[s].row;
    slot.length = keys[s].length;
    slot.direction = keys[s].direction;
    slot.constrained = keys[s].constrained;
  }
  table.slotCount = static_cast<std::int32_t>(keys.size());

  GroupBuilder builder(grid, table.slots, table.slotCount);
  for (int i = 0; i < table.slotCount; ++i) {
    if (table.slots[static_cast<std::size_t>(i)].groupState != 0) continue;
    builder.buildGroup(i);
    table.slots[static_cast<std::size_t>(i)].groupState |= GroupRoot;
  }
}

}  // namespace vexilo
