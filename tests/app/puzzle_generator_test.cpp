#include "app/puzzle_generator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "puzzle/block_rules.h"
#include "support/fill_checker.h"
#include "support/rule_checker.h"
#include "support/word_file.h"

namespace vexilo {
namespace {

// The commonest 30,000 nouns of the dictionary the build makes: enough for grids of these sizes,
// quicker to index than all of them.
const std::vector<std::string>& dictionaryWords() {
  static const std::vector<std::string> words = test::fileWords(VEXILO_TEST_DICTIONARY, 30000);
  return words;
}

const WordIndex& dictionary() {
  static const std::unique_ptr<WordIndex> index = [] {
    auto made = std::make_unique<WordIndex>();
    for (const std::string& word : dictionaryWords()) made->addWord(word);
    return made;
  }();
  return *index;
}

class QuietHost : public FillHost {
 public:
  explicit QuietHost(int pumpsToStop = -1) : pumpsToStop_(pumpsToStop) {}
  void cellChanged(int) override {}
  bool pumpMessages() override {
    ++pumps_;
    return false;
  }
  SearchState searchState() const override {
    return pumpsToStop_ >= 0 && pumps_ >= pumpsToStop_ ? SearchCancelled : SearchRunning;
  }

 private:
  int pumpsToStop_;
  int pumps_ = 0;
};

GenerateRequest request(int width, int height, Symmetry symmetry, std::uint64_t seed) {
  GenerateRequest made;
  made.width = width;
  made.height = height;
  made.symmetry = symmetry;
  made.seed = seed;
  made.decisions = 4000;  // a fill soon, seldom the best: the rules are what these tests check
  return made;
}

// Grids of several sizes, both symmetries: every block rule holds (checked without the
// program's code), at most a fifth of the cells are black, nothing outside the size is open,
// and the letters are a valid fill from the dictionary (checked without the engine).
TEST(PuzzleGenerator, MakesGridsThatKeepEveryRuleAndFillValidly) {
  ASSERT_EQ(dictionaryWords().size(), 30000u) << VEXILO_TEST_DICTIONARY;
  const GenerateRequest cases[] = {
      request(5, 5, Symmetry::Point, 1),   request(7, 7, Symmetry::Point, 2),
      request(9, 9, Symmetry::None, 3),    request(11, 8, Symmetry::Point, 4),
      request(13, 13, Symmetry::Point, 5), request(6, 10, Symmetry::None, 6),
  };
  FastFill engine;
  for (const GenerateRequest& c : cases) {
    const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height);
    PuzzleGrid grid;
    SlotTable table;
    QuietHost host;
    const GenerateOutcome outcome = generatePuzzle(grid, table, dictionary(), engine, host, c);
    ASSERT_TRUE(outcome.filled) << where;
    EXPECT_GE(outcome.layoutsTried, 1) << where;
    EXPECT_EQ(test::checkRulesIndependently(grid, AllBlockRules), std::vector<std::string>{})
        << where;
    int blacks = 0;
    PuzzleGrid empty = grid;
    for (int cell = 0; cell < CellCount; ++cell) {
      const bool inside =
          PuzzleGrid::rowOf(cell) < c.height && PuzzleGrid::columnOf(cell) < c.width;
      const bool black = grid.cellAt(cell).flag == Block;
      if (!inside) {
        ASSERT_TRUE(black) << where << ", cell " << cell;
      }
      blacks += inside && black ? 1 : 0;
      if (!black) {
        EXPECT_EQ(grid.cellAt(cell).flag, Open) << where;  // search letters, none given
        empty.cellAt(cell).str.clear();
      }
    }
    EXPECT_LE(blacks * 5, c.width * c.height) << where;
    EXPECT_EQ(test::checkFill(empty, grid, dictionaryWords(), test::fillOrderOf(table)),
              std::nullopt)
        << where;
  }
}

// Also with an engine set to several threads, as the window's may be.
TEST(PuzzleGenerator, TheSameSeedMakesTheSameGrid) {
  const auto make = [](std::uint64_t seed, int threads = 1) {
    PuzzleGrid grid;
    SlotTable table;
    FastFill engine;
    engine.settings.threads = threads;
    QuietHost host;
    EXPECT_TRUE(generatePuzzle(grid, table, dictionary(), engine, host,
                               request(13, 13, Symmetry::Point, seed))
                    .filled);
    std::vector<std::string> cells;
    for (int cell = 0; cell < CellCount; ++cell) {
      cells.push_back(grid.cellAt(cell).flag == Block ? "#" : grid.cellAt(cell).str);
    }
    return cells;
  };
  EXPECT_EQ(make(7), make(7, 2));
  EXPECT_NE(make(7), make(8));
}

TEST(PuzzleGenerator, StopsWhenAsked) {
  PuzzleGrid grid;
  SlotTable table;
  FastFill engine;
  QuietHost host(3);
  const GenerateOutcome outcome =
      generatePuzzle(grid, table, dictionary(), engine, host, request(21, 21, Symmetry::Point, 1));
  EXPECT_TRUE(outcome.stopped);
  EXPECT_FALSE(outcome.filled);

  // Also while no layout comes: top-bottom symmetry cannot lay out an even height.
  const GenerateOutcome laying = generatePuzzle(grid, table, dictionary(), engine, host,
                                                request(16, 16, Symmetry::TopBottom, 1));
  EXPECT_TRUE(laying.stopped);
  EXPECT_EQ(laying.layoutsTried, 0);
}

}  // namespace
}  // namespace vexilo
