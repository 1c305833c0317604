#include "support/rule_checker.h"

#include <array>
#include <functional>
#include <map>
#include <numeric>

namespace vexilo::test {

namespace {

bool white(const PuzzleGrid& grid, int row, int column) {
  return 0 <= row && row < GridSize && 0 <= column && column < GridSize &&
         grid.cellAt(PuzzleGrid::indexOf(row, column)).flag != Block;
}

}  // namespace

std::vector<std::string> checkRulesIndependently(const PuzzleGrid& grid, unsigned rules) {
  int top = GridSize, left = GridSize, bottom = -1, right = -1;  // inclusive
  for (int r = 0; r < GridSize; ++r) {
    for (int c = 0; c < GridSize; ++c) {
      if (!white(grid, r, c)) continue;
      top = std::min(top, r);
      left = std::min(left, c);
      bottom = std::max(bottom, r);
      right = std::max(right, c);
    }
  }
  std::vector<std::string> lines;
  if (bottom < 0) return lines;
  const auto inside = [&](int r, int c) {
    return top <= r && r <= bottom && left <= c && c <= right;
  };
  const auto black = [&](int r, int c) { return inside(r, c) && !white(grid, r, c); };
  std::map<int, unsigned> marked;
  const auto add = [&](int rule, int r, int c) {
    lines.push_back(std::to_string(rule) + " " + std::to_string(r) + " " + std::to_string(c));
    marked[PuzzleGrid::indexOf(r, c)] |= 1u << rule;
  };

  if (rules & 1u) {
    for (int r = top; r <= bottom; ++r) {
      for (int c = left; c <= right; ++c) {
        if (!black(r, c)) continue;
        if (black(r, c + 1)) add(0, r, c), marked[PuzzleGrid::indexOf(r, c + 1)] |= 1u;
        if (black(r + 1, c)) add(0, r, c), marked[PuzzleGrid::indexOf(r + 1, c)] |= 1u;
      }
    }
  }
  if (rules & 2u) {
    for (int r = top; r <= bottom; ++r) {
      for (int c = left; c <= right; ++c) {
        if ((r == top || r == bottom) && (c == left || c == right) && black(r, c)) add(1, r, c);
      }
    }
  }
  if (rules & 4u) {
    // Union-find over the white cells; the largest set (the earliest of equals) is kept.
    std::array<int, CellCount> parent;
    std::iota(parent.begin(), parent.end(), 0);
    const std::function<int(int)> find = [&](int x) {
      return parent[x] == x ? x : parent[x] = find(parent[x]);
    };
    for (int r = 0; r < GridSize; ++r) {
      for (int c = 0; c < GridSize; ++c) {
        if (!white(grid, r, c)) continue;
        if (white(grid, r, c + 1))
          parent[find(PuzzleGrid::indexOf(r, c + 1))] = find(PuzzleGrid::indexOf(r, c));
        if (white(grid, r + 1, c))
          parent[find(PuzzleGrid::indexOf(r + 1, c))] = find(PuzzleGrid::indexOf(r, c));
      }
    }
    std::map<int, int> size, first;
    for (int i = CellCount - 1; i >= 0; --i) {
      if (grid.cellAt(i).flag == Block) continue;
      ++size[find(i)];
      first[find(i)] = i;
    }
    int kept = -1;
    for (int i = 0; i < CellCount; ++i) {
      if (grid.cellAt(i).flag == Block || first[find(i)] != i) continue;
      if (kept == -1 || size[find(i)] > size[kept]) kept = find(i);
    }
    for (int i = 0; i < CellCount; ++i) {
      if (grid.cellAt(i).flag == Block || find(i) == kept) continue;
      if (first[find(i)] == i) {
        add(2, PuzzleGrid::rowOf(i), PuzzleGrid::columnOf(i));
      } else {
        marked[i] |= 4u;
      }
    }
  }
  if (rules & 8u) {
    for (int r = top; r <= bottom; ++r) {
      for (int c = left; c <= right; ++c) {
        const int blacks = black(r - 1, c) + black(r + 1, c) + black(r, c - 1) + black(r, c + 1);
        if (white(grid, r, c) && blacks >= 3) add(3, r, c);
      }
    }
  }
  if (rules & 16u) {
    for (int r = top; r <= bottom; ++r) {
      for (int c = left; c <= right; ++c) {
        const int across = 1 + white(grid, r, c - 1) + white(grid, r, c + 1);
        const int down = 1 + white(grid, r - 1, c) + white(grid, r + 1, c);
        if (white(grid, r, c) && across == 1 && down == 1) add(4, r, c);
      }
    }
  }
  for (const auto& [cell, bits] : marked) {
    lines.push_back("marked " + std::to_string(cell) + " " + std::to_string(bits));
  }
  return lines;
}

}  // namespace vexilo::test
