#include "search/fill_solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dictionary/word_index.h"
#include "search/split_search.h"
#include "search/word_slot.h"
#include "search/word_tables.h"
#include "support/grid_picture.h"
#include "support/random_puzzles.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

// Tightens the bound once, before the given decision of the search, as another thread's better
// fill does.
class LateBound : public SolverWatch {
 public:
  LateBound(FillSolver& solver, std::uint32_t bound, std::uint64_t at)
      : solver_(solver), bound_(bound), at_(at) {}
  bool stopNow(const FillSolver&, bool atDecision) override {
    if (atDecision && solver_.decisions() == at_ && !once_) {
      once_ = true;
      given = given || solver_.depth() > 0;
      solver_.tightenBound(bound_);
    }
    return false;
  }
  bool given = false;  // inside a branch

 private:
  FillSolver& solver_;
  std::uint32_t bound_;
  std::uint64_t at_;
  bool once_ = false;
};

// The next random grid of at most 11 open cells, its model, and the best worst rank of its
// fills as enumeration finds them (0: no fill).
struct SmallCase {
  explicit SmallCase(std::mt19937& random) {
    while (true) {
      c = test::randomPuzzle(random);
      prepared = test::preparedGrid(c.grid);
      int free = 0;
      for (int i = 0; i < CellCount; ++i) free += prepared.cellAt(i).flag != Block ? 1 : 0;
      if (free <= 11) break;
    }
    extractSlots(prepared, table);
    const auto ranks = test::ranksOf(c.words);
    for (const PuzzleGrid& fill :
         test::enumerateFills(prepared, c.words, test::fillOrderOf(table))) {
      const std::uint32_t worst = test::worstRank(fill, ranks);
      best = best == 0 ? worst : std::min(best, worst);
    }
    for (const std::string& word : c.words) index.addWord(word);
    tables = std::make_unique<WordTables>(index);
    model = std::make_unique<FillModel>(prepared, table, *tables);
  }

  test::RandomPuzzle c;
  PuzzleGrid prepared;
  SlotTable table;
  std::uint32_t best = 0;
  WordIndex index;
  std::unique_ptr<WordTables> tables;
  std::unique_ptr<FillModel> model;
};

// A bound given inside a branch holds from that decision on (the invariant check, which
// finds any word at or above the bound, runs at every decision) and the search still proves
// the best fill; given at the root of a search under way, the same.
TEST(FillSolver, ABoundGivenInsideABranchHoldsFromThere) {
  std::mt19937 random(77);
  int cases = 0, inside = 0;
  while (cases < 150) {
    const SmallCase small(random);
    if (small.best == 0) continue;
    ++cases;
    const std::uint32_t best = small.best;
    const FillModel& model = *small.model;
    SolverSwitches switches;
    switches.checkInvariants = true;
    for (const std::uint64_t at : {0, 2}) {
      FillSolver solver(model, model.freeSlots(), switches);
      LateBound watch(solver, best + 1, at);
      std::uint32_t found = 0;
      while (solver.solve(&watch) == FillSolver::Status::Solution) {
        EXPECT_TRUE(solver.decisions() < at || solver.worstRank() <= best) << "case " << cases;
        found = solver.worstRank();
        solver.tightenBound(found);
      }
      EXPECT_EQ(found, best) << "case " << cases << ", bound at decision " << at;
      inside += watch.given ? 1 : 0;
    }
  }
  EXPECT_GT(inside, 10);
}

// A search split by assuming its first choices one after another, as the threads of a split
// search take them, finds the best fill (or none) that enumeration finds, restarting often or
// not; every fill found under an assumption has the assumed letter.
TEST(FillSolver, AssumedChoicesSplitTheSearchWithoutLosingAFill) {
  std::mt19937 random(31);
  int cases = 0, refuted = 0;
  while (cases < 150) {
    const SmallCase small(random);
    ++cases;
    const FillModel& model = *small.model;
    SolverSwitches switches;
    switches.checkInvariants = true;
    switches.restartBase = 1 + cases % 2;
    FillSolver solver(model, model.freeSlots(), switches);
    solver.firstBranch();
    const std::vector<FillSolver::Literal> choices = solver.firstChoices();
    std::uint32_t found = 0;
    std::size_t next = 0;
    while (true) {
      if (!solver.assuming() && next < choices.size()) solver.assume(choices[next++]);
      const bool assuming = solver.assuming();
      const FillSolver::Status status = solver.solve();
      if (status == FillSolver::Status::Exhausted) {
        if (solver.failed()) break;
        ++refuted;
        continue;
      }
      ASSERT_EQ(status, FillSolver::Status::Solution);
      if (assuming) {
        const FillSolver::Literal& assumed = choices[next - 1];
        EXPECT_EQ(solver.settledLetter(-1 - assumed.slot), assumed.word) << "case " << cases;
      }
      found = solver.worstRank();
      solver.tightenBound(found);
    }
    EXPECT_EQ(found, small.best) << "case " << cases;
  }
  EXPECT_GT(refuted, 20);
}

// Swapping rows and columns is a symmetry of the model only when it maps every cell, given
// letter, mark group and slot onto its like; then one of each fill and its transpose is kept.
TEST(FillModel, TheTransposeIsASymmetryOnlyWhenEverythingMapsOntoItsLike) {
  struct Case {
    std::vector<std::string> picture;
    bool symmetric;
  };
  const std::vector<Case> cases = {
      {{"...", ".#.", "..."}, true},   {{"...", "...", "..."}, true},
      {{"..#", "...", "..."}, false},   // the black cell has no black transpose
      {{".ア.", "...", "..."}, false},  // nor the given letter
      {{".ア.", "ア..", "..."}, true}, {{".ア.", "イ..", "..."}, false},
      {{"....", "...."}, false},  // not square
  };
  WordIndex index;
  for (const char* word : {"アイウ", "アカサ", "サクラ", "ウミラ", "イイイ", "アアア"}) {
    index.addWord(test::sj(word));
  }
  WordTables tables(index);
  for (const Case& c : cases) {
    const PuzzleGrid grid = test::gridFromPicture(c.picture);
    SlotTable table;
    extractSlots(grid, table);
    const FillModel model(grid, table, tables);
    const auto [a, b] = model.transposedPair(model.freeSlots());
    EXPECT_EQ(a >= 0, c.symmetric) << c.picture[0];
    if (a < 0) continue;
    EXPECT_NE(a, b);
    const int cell = model.var(a).cells.front();
    EXPECT_EQ(model.var(b).cells.front(),
              PuzzleGrid::indexOf(PuzzleGrid::columnOf(cell), PuzzleGrid::rowOf(cell)));
  }
}

// Gives and takes nogoods at every decision, as a thread of a split search does.
class Exchanging : public SolverWatch {
 public:
  Exchanging(SplitSearch::NogoodPool& pool, std::size_t from) : pool_(pool), from_(from) {}
  bool stopNow(const FillSolver& solver, bool atDecision) override {
    if (atDecision) pool_.exchange(const_cast<FillSolver&>(solver), from_, seen_);
    return false;
  }

 private:
  SplitSearch::NogoodPool& pool_;
  std::size_t from_;
  std::size_t seen_ = 0;
};

// The nogoods one solver learns at its restarts and its refuted assumptions, given to another
// that keeps transposed fills the other way, leave the second the answer of a third that takes
// none: the same best worst rank, or no fill. Open square grids, some with a black cell and its
// transpose, over random words of three letters, hard enough to restart often.
TEST(FillSolver, NogoodsFromAnotherSolverKeepTheBestFill) {
  std::mt19937 random(5);
  const std::vector<std::string> letters = {test::sj("ア"), test::sj("イ"), test::sj("ウ")};
  int given = 0, refuted = 0;
  for (int k = 0; k < 40; ++k) {
    const int side = 4 + k % 2;
    PuzzleGrid grid;
    for (int r = 0; r < side; ++r) {
      for (int c = 0; c < side; ++c) grid.makeOpen(PuzzleGrid::indexOf(r, c));
    }
    if (k % 4 >= 2) {
      grid.makeBlock(PuzzleGrid::indexOf(0, side - 1));
      grid.makeBlock(PuzzleGrid::indexOf(side - 1, 0));
    }
    WordIndex index;
    for (int length = 2, count = 9; length <= side; ++length, count *= 3) {
      for (int n = 0; n < count; ++n) {
        std::string word;
        for (int p = 0, m = n; p < length; ++p, m /= 3) {
          word += letters[static_cast<std::size_t>(m % 3)];
        }
        if (random() % 100 < 45) index.addWord(word);
      }
    }
    SlotTable table;
    extractSlots(grid, table);
    WordTables tables(index);
    const FillModel model(grid, table, tables);
    // Split: assuming its first choices in turn, as a thread of a split search.
    auto bestOf = [&refuted](FillSolver& solver, SolverWatch* watch, bool split) {
      std::vector<FillSolver::Literal> choices;
      if (split) {
        solver.firstBranch(watch);
        choices = solver.firstChoices();
      }
      std::uint32_t found = 0;
      for (std::size_t next = 0;;) {
        if (!solver.assuming() && next < choices.size()) solver.assume(choices[next++]);
        const FillSolver::Status status = solver.solve(watch);
        if (status == FillSolver::Status::Exhausted && !solver.failed()) {
          ++refuted;
          continue;
        }
        if (status != FillSolver::Status::Solution) return found;
        found = solver.worstRank();
        solver.tightenBound(found);
      }
    };
    SolverSwitches switches;
    switches.restartBase = 1;
    switches.checkInvariants = true;
    switches.symmetry = false;
    FillSolver reference(model, model.freeSlots(), switches);
    const std::uint32_t best = bestOf(reference, nullptr, false);
    for (const bool symmetryFirst : {true, false}) {
      SplitSearch::NogoodPool pool;
      switches.symmetry = symmetryFirst;
      FillSolver first(model, model.freeSlots(), switches);
      Exchanging firstWatch(pool, 0);
      EXPECT_EQ(bestOf(first, &firstWatch, true), best) << "grid " << k;
      firstWatch.stopNow(first, true);  // what it learnt at its last restart
      switches.symmetry = !symmetryFirst;
      FillSolver second(model, model.freeSlots(), switches);
      // Under the bound of the first's last fill but one, as a thread's bound lags another's.
      if (best != 0) second.tightenBound(best + 1);
      Exchanging secondWatch(pool, 1);
      secondWatch.stopNow(second, true);  // the first's nogoods, added at the root
      EXPECT_EQ(bestOf(second, &secondWatch, false), best) << "grid " << k;
      given += first.restarts() > 0 ? 1 : 0;
    }
  }
  EXPECT_GT(given, 40);
  EXPECT_GT(refuted, 100);
}

}  // namespace
}  // namespace vexilo
