#include "fuzz/fill_rules.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "fuzz/targets.h"

namespace vexilo::fuzz {

namespace {

using Run = std::tuple<int, int, int, int>;  // row, column, length, direction

bool isOpenCell(const PuzzleGrid& grid, int row, int column) {
  return grid.cellAt(PuzzleGrid::indexOf(row, column)).flag != Block;
}

// Every run of two or more cells that are not black, across and down.
std::vector<Run> gridRuns(const PuzzleGrid& grid) {
  std::vector<Run> runs;
  for (int direction : {0, 1}) {
    for (int line = 0; line < GridSize; ++line) {
      int start = 0;
      while (start < GridSize) {
        auto open = [&](int k) {
          return direction == 0 ? isOpenCell(grid, line, k) : isOpenCell(grid, k, line);
        };
        int end = start;
        while (end < GridSize && open(end)) ++end;
        if (end - start >= 2) {
          runs.emplace_back(direction == 0 ? line : start, direction == 0 ? start : line,
                            end - start, direction);
        }
        start = end + 1;
      }
    }
  }
  std::sort(runs.begin(), runs.end());
  return runs;
}

// A letter copied from a given letter of the cell's numbered group.
bool hasGivenMate(const PuzzleGrid& grid, int index) {
  const int mark = grid.cellAt(index).mark;
  if (mark == -1) return false;
  for (int j = 0; j < CellCount; ++j) {
    if (grid.cellAt(j).mark == mark && grid.cellAt(j).flag == Fixed) return true;
  }
  return false;
}

bool isFullWidthWord(const std::string& word, int length) {
  if (word.size() != static_cast<std::size_t>(length) * 2) return false;
  for (std::size_t i = 0; i < word.size(); i += 2) {
    const auto a = static_cast<unsigned char>(word[i]);
    if (!((a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC))) return false;
  }
  return true;
}

int cellOf(const WordSlot& slot, int position) {
  return slot.direction == Across ? PuzzleGrid::indexOf(slot.row, slot.column + position)
                                  : PuzzleGrid::indexOf(slot.row + position, slot.column);
}

void checkSlot(const PuzzleGrid& before, const PuzzleGrid& after, const WordSlot& slot,
               const WordSets& words) {
  const auto wordClass = static_cast<std::size_t>(std::min(slot.length, 31));
  for (const std::string& candidate : slot.candidates) {
    require(isFullWidthWord(candidate, slot.length), "a listed word has not the slot's length");
    require(words[wordClass].count(candidate) == 1, "a listed word is not in the dictionary");
  }
  const std::string& word = slot.candidates.front();
  std::string starLetter;
  for (int p = 0; p < slot.length; ++p) {
    const int cell = cellOf(slot, p);
    const std::string letter = word.substr(static_cast<std::size_t>(p) * 2, 2);
    require(after.cellAt(cell).str == letter, "a filled slot does not show its first word");
    if (before.cellAt(cell).flag == Star && before.cellAt(cell).str.empty()) {
      if (starLetter.empty()) starLetter = letter;
      require(letter == starLetter, "the star cells of a word hold different letters");
    }
  }
}

}  // namespace

void checkDictionaryOrderFill(const PuzzleGrid& before, const PuzzleGrid& after,
                              const SlotTable& table, const WordSets& words) {
  std::vector<Run> slotRuns;
  for (int i = 0; i < table.slotCount; ++i) {
    const WordSlot& s = table.slots[static_cast<std::size_t>(i)];
    slotRuns.emplace_back(s.row, s.column, s.length, s.direction);
  }
  std::sort(slotRuns.begin(), slotRuns.end());
  require(slotRuns == gridRuns(before), "the slots are not the grid's runs");

  std::array<bool, CellCount> covered{};
  std::array<std::set<std::string>, MaxSlotLength + 1> used;
  for (int i = 0; i < table.slotCount; ++i) {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(i)];
    if (slot.candidates.empty()) continue;
    checkSlot(before, after, slot, words);
    require(used[static_cast<std::size_t>(slot.length)].insert(slot.candidates.front()).second,
            "one word fills two slots of one length");
    for (int p = 0; p < slot.length; ++p) covered[static_cast<std::size_t>(cellOf(slot, p))] = true;
  }

  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& was = before.cellAt(i);
    const NodeBox& now = after.cellAt(i);
    require(now.flag == was.flag && now.mark == was.mark, "the search changed a flag or a mark");
    if (was.flag == Fixed) require(now.str == was.str, "the search changed a given letter");
    if ((was.flag == Open || was.flag == Star) && !now.str.empty()) {
      require(covered[static_cast<std::size_t>(i)] || hasGivenMate(before, i),
              "a letter stands outside every filled slot");
    }
    if (now.mark == -1 || now.str.empty() || now.flag == Block) continue;
    for (int j = i + 1; j < CellCount; ++j) {
      const NodeBox& mate = after.cellAt(j);
      if (mate.mark == now.mark && mate.flag != Block && !mate.str.empty()) {
        require(mate.str == now.str, "two cells of one numbered group hold different letters");
      }
    }
  }
}

}  // namespace vexilo::fuzz
