#include "app/region_fill.h"

#include "search/fill_search.h"

namespace vexilo {

namespace {

bool holdsLetter(const NodeBox& cell) {
  return (cell.flag == Open || cell.flag == Star) && !cell.str.empty();
}

bool sameCell(const NodeBox& a, const NodeBox& b) {
  return a.flag == b.flag && a.mark == b.mark && a.str == b.str;
}

// The engine works on a copy of the grid in which every letter outside the region is given;
// what it writes there goes on into the grid, and a command that changes the grid meanwhile
// is passed on to the copy, so that the engine sees the change and stops as it would.
class RegionHost : public FillHost {
 public:
  RegionHost(PuzzleGrid& grid, PuzzleGrid& work, FillHost& host, std::vector<char> given)
      : grid_(grid), work_(work), host_(host), given_(std::move(given)) {}

  void cellChanged(int cellIndex) override {
    grid_.cellAt(cellIndex).str = work_.cellAt(cellIndex).str;
    host_.cellChanged(cellIndex);
  }
  bool pumpMessages() override {
    if (!host_.pumpMessages()) return false;
    for (int c = 0; c < CellCount; ++c) {
      NodeBox expected = work_.cellAt(c);
      if (given_[static_cast<std::size_t>(c)] != 0) expected.flag = grid_.cellAt(c).flag;
      if (!sameCell(expected, grid_.cellAt(c)) ||
          (given_[static_cast<std::size_t>(c)] != 0 && !holdsLetter(grid_.cellAt(c)))) {
        work_.cellAt(c) = grid_.cellAt(c);
        given_[static_cast<std::size_t>(c)] = 0;
      }
    }
    return true;
  }
  SearchState searchState() const override { return host_.searchState(); }

 private:
  PuzzleGrid& grid_;
  PuzzleGrid& work_;
  FillHost& host_;
  std::vector<char> given_;  // letters kept as given in the copy
};

}  // namespace

std::vector<int> slotsInRegion(const SlotTable& table, const CellRectangle& region) {
  std::vector<int> inside;
  for (int s = 0; s < table.slotCount; ++s) {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    for (int p = 0; p < slot.length; ++p) {
      const int cell = slotCell(slot, p);
      if (region.contains(PuzzleGrid::rowOf(cell), PuzzleGrid::columnOf(cell))) {
        inside.push_back(s);
        break;
      }
    }
  }
  return inside;
}

void clearRegionLetters(PuzzleGrid& grid, const CellRectangle& region, FillHost& host) {
  for (int c = 0; c < CellCount; ++c) {
    NodeBox& cell = grid.cellAt(c);
    if (!holdsLetter(cell) || !region.contains(PuzzleGrid::rowOf(c), PuzzleGrid::columnOf(c))) {
      continue;
    }
    cell.str.clear();
    host.cellChanged(c);
  }
}

SearchEnd fillRegion(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FastFill& engine,
                     FillHost& host, const CellRectangle& region, const BannedWords* banned) {
  PuzzleGrid work = grid;
  work.setListener(nullptr);
  std::vector<char> given(CellCount, 0);
  for (int c = 0; c < CellCount; ++c) {
    NodeBox& cell = work.cellAt(c);
    if (!holdsLetter(cell) || region.contains(PuzzleGrid::rowOf(c), PuzzleGrid::columnOf(c))) {
      continue;
    }
    cell.flag = Fixed;
    given[static_cast<std::size_t>(c)] = 1;
  }
  RegionHost regionHost(grid, work, host, std::move(given));
  spreadFixedLetters(work, regionHost);  // a kept letter is its group's, inside the region too
  engine.settings.slots = slotsInRegion(table, region);
  if (engine.settings.slots.empty()) return SearchEnd::Filled;  // empty would mean every slot
  const SearchEnd end = engine.run(work, index, table, regionHost, banned);
  engine.settings.slots.clear();
  return end;
}

}  // namespace vexilo
