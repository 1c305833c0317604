#include "support/random_puzzles.h"

#include <algorithm>

#include "dictionary/word_index.h"
#include "support/sjis.h"

namespace vexilo::test {

namespace {

bool isOpen(const PuzzleGrid& grid, int row, int column) {
  return row >= 0 && column >= 0 && row < GridSize && column < GridSize &&
         grid.cellAt(PuzzleGrid::indexOf(row, column)).flag != Block;
}

bool inRun(const PuzzleGrid& grid, int cell) {
  const int r = PuzzleGrid::rowOf(cell);
  const int c = PuzzleGrid::columnOf(cell);
  return isOpen(grid, r, c - 1) || isOpen(grid, r, c + 1) || isOpen(grid, r - 1, c) ||
         isOpen(grid, r + 1, c);
}

}  // namespace

RandomPuzzle randomPuzzle(std::mt19937& random, bool marksOnStars) {
  auto chance = [&random](int percent) {
    return std::uniform_int_distribution<int>(0, 99)(random) < percent;
  };
  const std::vector<std::string> letters = {sj("ア"), sj("イ")};
  const std::vector<std::string> small = {sj("ァ"), sj("ィ")};
  RandomPuzzle c;
  const int rows = std::uniform_int_distribution<int>(2, 4)(random);
  const int columns = std::uniform_int_distribution<int>(2, 4)(random);
  std::vector<int> open;
  std::vector<int> unstarred;
  for (int r = 0; r < rows; ++r) {
    for (int col = 0; col < columns; ++col) {
      if (chance(22)) continue;
      const int i = PuzzleGrid::indexOf(r, col);
      c.grid.makeOpen(i);
      open.push_back(i);
      if (chance(12)) c.grid.cellAt(i).flag = Star;
      if (chance(10)) {
        c.grid.cellAt(i).flag = Fixed;
        c.grid.cellAt(i).str = chance(90) ? letters[random() % 2] : sj("ウ");
      }
      if (c.grid.cellAt(i).flag != Star) unstarred.push_back(i);
    }
  }
  const std::vector<int>& linkable = marksOnStars ? open : unstarred;
  for (int link = 0; link < 2 && linkable.size() >= 2; ++link) {
    if (chance(40)) {
      c.grid.linkCells(linkable[random() % linkable.size()], linkable[random() % linkable.size()]);
    }
  }
  for (int length = 2; length <= 4; ++length) {
    for (int code = 0; code < (1 << length); ++code) {
      if (!chance(length == 4 ? 25 : 45)) continue;
      std::string word;
      for (int p = 0; p < length; ++p) {
        const int bit = (code >> p) & 1;
        word += chance(10) ? small[static_cast<std::size_t>(bit)]
                           : letters[static_cast<std::size_t>(bit)];
      }
      c.words.push_back(word);
      if (chance(10)) c.words.push_back(word);
    }
  }
  std::shuffle(c.words.begin(), c.words.end(), random);
  c.words.push_back("ab");  // single-byte words take no slot
  return c;
}

void mirrorDiagonal(PuzzleGrid& grid) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < r; ++c) {
      grid.cellAt(PuzzleGrid::indexOf(r, c)) = grid.cellAt(PuzzleGrid::indexOf(c, r));
    }
  }
}

PuzzleGrid preparedGrid(const PuzzleGrid& grid) {
  PuzzleGrid prepared = grid;
  for (int i = 0; i < CellCount; ++i) {
    NodeBox& cell = prepared.cellAt(i);
    if (cell.flag == Open || cell.flag == Star) cell.str.clear();
  }
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox given = prepared.cellAt(i);
    if (given.flag != Fixed || given.mark == -1) continue;
    for (int j = 0; j < CellCount; ++j) {
      if (j != i && prepared.cellAt(j).mark == given.mark) prepared.cellAt(j).str = given.str;
    }
  }
  return prepared;
}

std::vector<PuzzleGrid> enumerateFills(const PuzzleGrid& prepared,
                                       const std::vector<std::string>& words,
                                       const std::vector<RunStart>& order) {
  std::vector<int> free;
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = prepared.cellAt(i);
    if (cell.flag == Block || !cell.str.empty()) continue;
    bool wanted = inRun(prepared, i);
    for (int d = 0; d < CellCount && !wanted && cell.mark != -1; ++d) {
      wanted = prepared.cellAt(d).flag != Block && prepared.cellAt(d).mark == cell.mark &&
               inRun(prepared, d);
    }
    if (wanted) free.push_back(i);
  }
  std::vector<PuzzleGrid> fills;
  const std::string letters[] = {sj("ア"), sj("イ")};
  PuzzleGrid grid = prepared;
  for (std::uint32_t code = 0; code < (1U << free.size()); ++code) {
    for (std::size_t k = 0; k < free.size(); ++k) {
      grid.cellAt(free[k]).str = letters[(code >> k) & 1];
    }
    if (!checkFill(prepared, grid, words, order)) fills.push_back(grid);
  }
  return fills;
}

std::map<std::string, std::uint32_t> ranksOf(const std::vector<std::string>& words) {
  std::map<std::string, std::uint32_t> ranks;
  for (const std::string& word : words) {
    const auto next = static_cast<std::uint32_t>(ranks.size() + 1);
    ranks.emplace(foldSmallKana(word), next);
  }
  return ranks;
}

std::vector<std::string> runWords(const PuzzleGrid& grid) {
  std::vector<std::string> words;
  for (int direction = 0; direction < 2; ++direction) {
    for (int line = 0; line < GridSize; ++line) {
      int k = 0;
      while (k < GridSize) {
        auto cellAt = [&](int step) {
          return direction == 0 ? line * GridSize + step : step * GridSize + line;
        };
        std::string word;
        int length = 0;
        bool filled = true;
        while (k < GridSize && grid.cellAt(cellAt(k)).flag != Block) {
          filled = filled && !grid.cellAt(cellAt(k)).str.empty();
          word += grid.cellAt(cellAt(k++)).str;
          ++length;
        }
        ++k;
        if (length >= 2) words.push_back(filled ? word : std::string());
      }
    }
  }
  return words;
}

std::uint32_t worstRank(const PuzzleGrid& fill, const std::map<std::string, std::uint32_t>& ranks) {
  std::uint32_t worst = 0;
  for (const std::string& word : runWords(fill)) {
    const auto found = ranks.find(word);
    worst = std::max(worst, found == ranks.end() ? ~std::uint32_t{0} : found->second);
  }
  return worst;
}

std::uint64_t rankSum(const PuzzleGrid& fill, const std::map<std::string, std::uint32_t>& ranks) {
  std::uint64_t sum = 0;
  for (const std::string& word : runWords(fill)) sum += ranks.at(word);
  return sum;
}

}  // namespace vexilo::test
