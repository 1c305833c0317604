#include "puzzle/block_rules.h"

#include <algorithm>

namespace vexilo {

namespace {

// The layout inside the used rectangle, with a black border one cell wide around it, so that
// neighbours need no bounds checks.
class Board {
 public:
  static constexpr int Stride = GridSize + 2;

  Board(const Layout& layout, const CellRectangle& area) : area_(area) {
    open_.fill(false);
    for (int row = area.top; row < area.bottom; ++row) {
      for (int column = area.left; column < area.right; ++column) {
        open_[at(row, column)] =
            layout.test(static_cast<std::size_t>(PuzzleGrid::indexOf(row, column)));
      }
    }
  }

  int at(int row, int column) const {
    return (row - area_.top + 1) * Stride + column - area_.left + 1;
  }
  int cellOf(int place) const {
    return PuzzleGrid::indexOf(place / Stride - 1 + area_.top, place % Stride - 1 + area_.left);
  }
  bool open(int place) const { return open_[static_cast<std::size_t>(place)]; }
  bool inside(int place) const {
    const int row = place / Stride - 1;
    const int column = place % Stride - 1;
    return 0 <= row && row < area_.height() && 0 <= column && column < area_.width();
  }
  // A black cell of the puzzle, not the border.
  bool black(int place) const { return inside(place) && !open(place); }

 private:
  CellRectangle area_;
  std::array<bool, Stride * Stride> open_{};
};

constexpr int Steps[4] = {-1, 1, -Board::Stride, Board::Stride};

}  // namespace

int RuleCheck::count(BlockRule rule) const {
  return static_cast<int>(std::ranges::count(violations, rule, &RuleViolation::rule));
}

RuleCheck checkBlockRules(const Layout& layout, unsigned rules) {
  RuleCheck check;
  const CellRectangle area = usedRectangle(layout);
  if (area.empty()) return check;
  const Board board(layout, area);
  const auto report = [&check](BlockRule rule, int cell) {
    check.violations.push_back({rule, cell});
    check.offending[static_cast<std::size_t>(cell)] |= ruleBit(rule);
  };
  const auto mark = [&check](BlockRule rule, int cell) {
    check.offending[static_cast<std::size_t>(cell)] |= ruleBit(rule);
  };

  if (rules & ruleBit(BlockRule::AdjacentBlack)) {
    for (int row = area.top; row < area.bottom; ++row) {
      for (int column = area.left; column < area.right; ++column) {
        const int place = board.at(row, column);
        if (!board.black(place)) continue;
        for (const int step : {1, Board::Stride}) {
          if (!board.black(place + step)) continue;
          report(BlockRule::AdjacentBlack, board.cellOf(place));
          mark(BlockRule::AdjacentBlack, board.cellOf(place + step));
        }
      }
    }
  }

  if (rules & ruleBit(BlockRule::BlackCorner)) {
    std::vector<int> corners;
    for (const int row : {area.top, area.bottom - 1}) {
      for (const int column : {area.left, area.right - 1}) {
        const int cell = PuzzleGrid::indexOf(row, column);
        if (!layout.test(static_cast<std::size_t>(cell)) &&
            std::ranges::find(corners, cell) == corners.end()) {
          corners.push_back(cell);
        }
      }
    }
    std::ranges::sort(corners);
    for (const int cell : corners) report(BlockRule::BlackCorner, cell);
  }

  if (rules & ruleBit(BlockRule::SplitWhite)) {
    // Parts numbered in reading order of their first cell; the largest (the first of equals)
    // is the grid, the others are cut off.
    std::array<int, Board::Stride * Board::Stride> part;
    part.fill(-1);
    std::vector<int> sizes;
    std::vector<int> firsts;
    std::vector<int> queue;
    for (int row = area.top; row < area.bottom; ++row) {
      for (int column = area.left; column < area.right; ++column) {
        const int start = board.at(row, column);
        if (!board.open(start) || part[static_cast<std::size_t>(start)] != -1) continue;
        const int id = static_cast<int>(sizes.size());
        queue.assign(1, start);
        part[static_cast<std::size_t>(start)] = id;
        for (std::size_t next = 0; next < queue.size(); ++next) {
          for (const int step : Steps) {
            const int place = queue[next] + step;
            if (!board.open(place) || part[static_cast<std::size_t>(place)] != -1) continue;
            part[static_cast<std::size_t>(place)] = id;
            queue.push_back(place);
          }
        }
        sizes.push_back(static_cast<int>(queue.size()));
        firsts.push_back(board.cellOf(start));
      }
    }
    const int main = static_cast<int>(std::ranges::max_element(sizes) - sizes.begin());
    for (int id = 0; id < static_cast<int>(sizes.size()); ++id) {
      if (id != main) report(BlockRule::SplitWhite, firsts[static_cast<std::size_t>(id)]);
    }
    for (int row = area.top; row < area.bottom; ++row) {
      for (int column = area.left; column < area.right; ++column) {
        const int place = board.at(row, column);
        const int id = part[static_cast<std::size_t>(place)];
        if (id != -1 && id != main) mark(BlockRule::SplitWhite, board.cellOf(place));
      }
    }
  }

  for (const BlockRule rule : {BlockRule::ClosedWhite, BlockRule::SingleWhite}) {
    if (!(rules & ruleBit(rule))) continue;
    for (int row = area.top; row < area.bottom; ++row) {
      for (int column = area.left; column < area.right; ++column) {
        const int place = board.at(row, column);
        if (!board.open(place)) continue;
        bool breaks = false;
        if (rule == BlockRule::ClosedWhite) {
          int blacks = 0;
          for (const int step : Steps) blacks += board.black(place + step) ? 1 : 0;
          breaks = blacks >= 3;
        } else {
          // The edge ends a run as a black cell does.
          breaks = true;
          for (const int step : Steps) breaks = breaks && !board.open(place + step);
        }
        if (breaks) report(rule, board.cellOf(place));
      }
    }
  }
  return check;
}

}  // namespace vexilo
