#include "search/alternatives.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/candidate_lock.h"
#include "search/fast_fill.h"
#include "search/fill_search.h"
#include "support/fill_checker.h"
#include "support/grid_picture.h"
#include "support/quiet_host.h"
#include "support/random_puzzles.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::QuietHost;

using test::sj;

// A grid searched as the Search command searches it.
struct Searched {
  Searched(const PuzzleGrid& puzzle, const std::vector<std::string>& dictionary)
      : grid(puzzle), words(dictionary) {
    for (const std::string& word : words) index.addWord(word);
  }
  SearchEnd run() {
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    prepared = grid;
    extractSlots(grid, table);
    return engine.run(grid, index, table, host);
  }
  std::string wordIn(const PuzzleGrid& fill, int s) const {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    std::string word;
    for (int p = 0; p < slot.length; ++p) word += fill.cellAt(slotCell(slot, p)).str;
    return word;
  }

  PuzzleGrid grid;
  PuzzleGrid prepared;
  std::vector<std::string> words;
  WordIndex index;
  SlotTable table;
  FastFill engine;
  QuietHost host;
};

// On random grids, every slot's list against an enumeration of every fill: a word fits exactly
// when some fill takes it there, with the smallest worst rank such a fill has (grids of one
// part), the placed word first; and each word that fits, locked into the grid as given letters,
// leaves a grid the fast engine fills, by the independent checker.
TEST(AlternativeList, EveryCheckedWordAdmitsAFillAndNoOtherDoes) {
  std::mt19937 random(77);
  int cases = 0, fits = 0, none = 0;
  while (cases < 120) {
    const test::RandomPuzzle c = test::randomPuzzle(random);
    Searched searched(c.grid, c.words);
    if (searched.run() != SearchEnd::Filled || searched.table.slotCount == 0) continue;
    std::size_t open = 0;
    for (int i = 0; i < CellCount; ++i) open += c.grid.cellAt(i).flag != Block ? 1 : 0;
    if (open > 11) continue;
    ++cases;
    const std::vector<PuzzleGrid> fills =
        test::enumerateFills(searched.prepared, c.words, test::fillOrderOf(searched.table));
    const auto ranks = test::ranksOf(c.words);
    const int s = static_cast<int>(random() % static_cast<unsigned>(searched.table.slotCount));
    // In a grid of one part the rest of the grid changes freely for each word.
    int roots = 0;
    for (int t = 0; t < searched.table.slotCount; ++t) {
      roots += searched.table.slots[static_cast<std::size_t>(t)].groupState & GroupRoot ? 1 : 0;
    }
    const bool oneOfAKind = roots == 1;
    AlternativeList list(searched.engine, searched.grid, searched.table, s);
    list.checkUntil(list.words().size());
    ASSERT_TRUE(list.done());
    ASSERT_FALSE(list.words().empty());
    // Checking only that a word fits gives the same words, each with a fill no better.
    AlternativeList anyFill(searched.engine, searched.grid, searched.table, s, nullptr,
                            AlternativeCheck::AnyFill);
    anyFill.checkUntil(anyFill.words().size());
    ASSERT_EQ(anyFill.words().size(), list.words().size());
    for (std::size_t k = 0; k < list.words().size(); ++k) {
      EXPECT_EQ(anyFill.words()[k].state, list.words()[k].state);
      EXPECT_GE(anyFill.words()[k].worstRank, list.words()[k].worstRank);
    }
    // Side by side on two threads, up to half the fitting words: one thread's list, and the
    // words past the count left unchecked.
    const std::size_t half = (list.fitting() + 1) / 2;
    AlternativeList oneThread(searched.engine, searched.grid, searched.table, s);
    oneThread.checkUntil(half);
    AlternativeList twoThreads(searched.engine, searched.grid, searched.table, s);
    twoThreads.checkUntil(half, 2);
    EXPECT_EQ(twoThreads.fitting(), oneThread.fitting());
    for (std::size_t k = 0; k < list.words().size(); ++k) {
      EXPECT_EQ(twoThreads.words()[k].state, oneThread.words()[k].state) << "case " << cases;
      EXPECT_EQ(twoThreads.words()[k].worstRank, oneThread.words()[k].worstRank);
    }
    EXPECT_EQ(list.words().front().word, searched.wordIn(searched.grid, s));
    for (const Alternative& entry : list.words()) {
      std::uint32_t best = 0;
      for (const PuzzleGrid& fill : fills) {
        if (searched.wordIn(fill, s) != entry.word) continue;
        const std::uint32_t worst = test::worstRank(fill, ranks);
        best = best == 0 ? worst : std::min(best, worst);
      }
      const std::string where = "case " + std::to_string(cases) + ", " + test::u8(entry.word);
      ASSERT_NE(entry.state, Alternative::State::Unchecked) << where;
      EXPECT_EQ(entry.state == Alternative::State::Fits, best != 0) << where;
      if (entry.state != Alternative::State::Fits) {
        ++none;
        continue;
      }
      ++fits;
      EXPECT_TRUE(entry.proven) << where;
      if (searched.engine.progress().proven && oneOfAKind) {
        EXPECT_EQ(entry.worstRank, best) << where;
      }

      Searched locked(c.grid, c.words);
      ASSERT_EQ(
          lockWord(locked.grid, searched.table.slots[static_cast<std::size_t>(s)], entry.word),
          LockResult::Locked)
          << where;
      ASSERT_EQ(locked.run(), SearchEnd::Filled) << where;
      EXPECT_EQ(
          test::checkFill(locked.prepared, locked.grid, c.words, test::fillOrderOf(locked.table)),
          std::nullopt)
          << where;
    }
  }
  EXPECT_GT(fits, 150);
  EXPECT_GT(none, 50);
}

// With the grid as the engine left it, a deadline already past checks nothing, and the next
// call goes on with the same word.
TEST(AlternativeList, ADeadlineLeavesTheRestForTheNextCall) {
  Searched searched(test::gridFromPicture({"...", ".#.", "..."}),
                    {sj("サクラ"), sj("アイウ"), sj("アカサ"), sj("サシス"), sj("ウメオ"),
                     sj("ウドラ"), sj("ウミラ"), sj("ラクダ")});
  ASSERT_EQ(searched.run(), SearchEnd::Filled);
  AlternativeList list(searched.engine, searched.grid, searched.table, 3);
  list.checkMore(std::chrono::steady_clock::now() - std::chrono::seconds(1));
  EXPECT_EQ(list.fitting(), 0U);
  EXPECT_EQ(list.words().front().state, Alternative::State::Unchecked);
  list.checkUntil(2);
  EXPECT_EQ(list.fitting(), 2U);
  EXPECT_FALSE(list.done());
  list.checkUntil(10);
  // Column 3 takes ウドラ (placed, worst rank 6), サクラ (6, with the ring turned) or ウミラ (7).
  std::vector<std::string> fitting;
  std::vector<std::uint32_t> worst;
  for (const Alternative& entry : list.words()) {
    if (entry.state != Alternative::State::Fits) continue;
    fitting.push_back(test::u8(entry.word));
    worst.push_back(entry.worstRank);
  }
  EXPECT_EQ(fitting, (std::vector<std::string>{"ウドラ", "サクラ", "ウミラ"}));
  EXPECT_EQ(worst, (std::vector<std::uint32_t>{6, 6, 7}));
  EXPECT_EQ(list.words().size(), 8U);
  EXPECT_TRUE(list.done());
}

// After a fill of some slots only, the others have no word to check against: no list.
TEST(AlternativeList, AFillOfSomeSlotsGivesNoList) {
  Searched searched(test::gridFromPicture({"...", ".#.", "..."}),
                    {sj("サクラ"), sj("アイウ"), sj("アカサ"), sj("サシス"), sj("ウメオ"),
                     sj("ウドラ"), sj("ウミラ"), sj("ラクダ")});
  searched.engine.settings.slots = {0};
  ASSERT_EQ(searched.run(), SearchEnd::Filled);
  for (int s = 0; s < searched.table.slotCount; ++s) {
    AlternativeList list(searched.engine, searched.grid, searched.table, s);
    EXPECT_TRUE(list.words().empty());
    EXPECT_TRUE(list.done());
  }
}

}  // namespace
}  // namespace vexilo
