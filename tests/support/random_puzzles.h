#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"
#include "support/fill_checker.h"

namespace vexilo::test {

// A small random puzzle: up to 4 by 4 open cells with star cells, given letters (ア, イ, now
// and then ウ, which no word has) and mark groups, and a dictionary of words of 2 to 4 letters
// over ア and イ, with small kana, repeats and a word that takes no slot.
struct RandomPuzzle {
  PuzzleGrid grid;
  std::vector<std::string> words;
};
RandomPuzzle randomPuzzle(std::mt19937& random, bool marksOnStars = true);
// Every cell of the first four rows and columns below the diagonal a copy of its transpose, so
// that swapping rows and columns maps the grid onto itself (cells, given letters, mark groups).
void mirrorDiagonal(PuzzleGrid& grid);

// The grid as the Search command prepares it: search letters cleared, given letters spread.
PuzzleGrid preparedGrid(const PuzzleGrid& grid);

// Every valid fill of a prepared grid, found by trying ア and イ in every open cell that a run
// or a run's mark group holds, each checked by checkFill. Only for a dozen cells or so.
std::vector<PuzzleGrid> enumerateFills(const PuzzleGrid& prepared,
                                       const std::vector<std::string>& words,
                                       const std::vector<RunStart>& order);

// Ranks as the priority order gives them: the first word 1, each word not seen before (after
// folding) one more.
std::map<std::string, std::uint32_t> ranksOf(const std::vector<std::string>& words);
// The rank of the rarest word across and down in the fill.
std::uint32_t worstRank(const PuzzleGrid& fill, const std::map<std::string, std::uint32_t>& ranks);
// The sum of the ranks of the fill's words.
std::uint64_t rankSum(const PuzzleGrid& fill, const std::map<std::string, std::uint32_t>& ranks);
// The words of the runs, across first, each run from its first cell; "" for a run not filled.
std::vector<std::string> runWords(const PuzzleGrid& grid);

}  // namespace vexilo::test
