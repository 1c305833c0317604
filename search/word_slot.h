#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dictionary/word_index.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

inline constexpr int MaxSlots = 512;     // a fixed table would stop here; this one grows past it
inline constexpr int MinSlotLength = 2;  // a single open cell makes no slot
inline constexpr int MaxSlotLength = GridSize;

// Bits of WordSlot::groupState.
enum GroupStateBits : std::uint32_t {
  Visited = 1,    // taken into a group
  GroupRoot = 2,  // root of its group
};

struct WordSlot {
  std::int32_t column = 0;  // of the first cell: leftmost when Across, top when Down
  std::int32_t row = 0;
  std::int32_t length = 0;
  SlotDirection direction = Across;
  std::uint32_t groupState = 0;
  std::int32_t nextSibling = -1;  // -1: none
  std::int32_t firstChild = -1;   // -1: a leaf
  bool constrained = false;       // some cell was Star, Fixed or held a letter at extraction
  bool placed = false;            // placeWord wrote into the cells and nothing took it back
  BucketEntry cursor;             // where the next run continues; none to start afresh
  std::vector<std::string> candidates;
  std::array<std::string, MaxSlotLength> savedText;  // cell texts before the last placeWord
};

// Records 0..slotCount-1 of slots are the current slots in fill order; records beyond are
// stale and never read.
struct SlotTable {
  std::vector<WordSlot> slots;
  std::int32_t slotCount = 0;
  std::int32_t currentSlot = 0;  // listed and framed; meaningful only below slotCount
  bool slotsCurrent = false;     // the table matches the grid and the word index

  bool holds(int index) const { return 0 <= index && index < slotCount; }
  // The grid or the word index changed: the next search extracts the slots again.
  void markStale() { slotsCurrent = false; }
  // No slot, nothing listed, and extraction due.
  void clear() {
    slotCount = 0;
    currentSlot = 0;
    slotsCurrent = false;
  }
};

// Cell index of position i of the slot.
constexpr int slotCell(const WordSlot& slot, int i) {
  return slot.direction == Across ? slot.row * GridSize + slot.column + i
                                  : (slot.row + i) * GridSize + slot.column;
}

// Position of the cell within the slot, or -1 when it is none of its cells.
int positionInSlot(const WordSlot& slot, int cellIndex);

bool slotsCross(const WordSlot& a, const WordSlot& b);
bool slotsShareMark(const PuzzleGrid& grid, const WordSlot& a, const WordSlot& b);

// Rebuilds the table from the grid: every run, the exchange sort, then the group trees.
// Leaves currentSlot and slotsCurrent to the caller.
void extractSlots(const PuzzleGrid& grid, SlotTable& table);

}  // namespace vexilo
