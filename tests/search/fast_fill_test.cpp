#include "search/fast_fill.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "files/crossword_file.h"
#include "search/banned_words.h"
#include "search/fill_search.h"
#include "support/fill_checker.h"
#include "support/grid_picture.h"
#include "support/random_puzzles.h"
#include "support/sjis.h"
#include "support/word_file.h"

namespace vexilo {
namespace {

using test::fileWords;

using test::sj;
using Picture = std::vector<std::string>;

class Host : public FillHost {
 public:
  void cellChanged(int cellIndex) override { drawn.insert(cellIndex); }
  bool pumpMessages() override {
    if (++pumps == stopAtPump) state = SearchCancelled;
    if (pumps == throwAtPump) throw std::runtime_error("no memory");
    return onPump && onPump(pumps);
  }
  SearchState searchState() const override { return state; }

  std::set<int> drawn;
  int pumps = 0;
  int stopAtPump = 0;  // 0: never
  int throwAtPump = 0;
  std::function<bool(int)> onPump;  // a command at this pump; true when it ran
  SearchState state = SearchRunning;
};

// A grid and its words, searched the way the Search command prepares a run.
struct Stage {
  Stage(const PuzzleGrid& puzzle, std::vector<std::string> dictionary)
      : grid(puzzle), words(std::move(dictionary)) {
    for (const std::string& word : words) index.addWord(word);
  }
  Stage(const Picture& picture, const std::vector<std::string>& utf8)
      : Stage(test::gridFromPicture(picture), sjWords(utf8)) {}

  static std::vector<std::string> sjWords(const std::vector<std::string>& utf8) {
    std::vector<std::string> bytes;
    for (const std::string& word : utf8) bytes.push_back(sj(word));
    return bytes;
  }

  SearchEnd run() {
    host.state = SearchRunning;
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    prepared = grid;
    if (!table.slotsCurrent) {
      extractSlots(grid, table);
      table.slotsCurrent = true;
      engine.forget();
    }
    return engine.run(grid, index, table, host);
  }

  std::vector<test::RunStart> order() const { return test::fillOrderOf(table); }
  std::optional<std::string> check() const {
    return test::checkFill(prepared, grid, words, order());
  }
  Picture picture(int rows, int columns) const { return test::pictureOf(grid, rows, columns); }
  std::vector<std::string> list(int slot) const {
    std::vector<std::string> utf8;
    for (const std::string& word : table.slots[static_cast<std::size_t>(slot)].candidates) {
      utf8.push_back(test::u8(word));
    }
    return utf8;
  }

  PuzzleGrid grid;
  PuzzleGrid prepared;
  std::vector<std::string> words;
  WordIndex index;
  SlotTable table;
  FastFill engine;
  Host host;
};

// Each listed word written into its slot must give a valid fill in which every other slot keeps
// its word; each other word of the dictionary must not.
void expectListsExact(const Stage& stage) {
  for (int s = 0; s < stage.table.slotCount; ++s) {
    const WordSlot& slot = stage.table.slots[static_cast<std::size_t>(s)];
    const std::vector<std::string>& listed = slot.candidates;
    ASSERT_FALSE(listed.empty());
    std::string placed;
    for (int p = 0; p < slot.length; ++p) placed += stage.grid.cellAt(slotCell(slot, p)).str;
    EXPECT_EQ(listed.front(), placed);
    std::set<std::string> tried;
    for (const std::string& raw : stage.words) {
      const std::string word = foldSmallKana(raw);
      if (!isSlotWord(word, slot.length) || !tried.insert(word).second) continue;
      PuzzleGrid changed = stage.grid;
      for (int p = 0; p < slot.length; ++p) {
        changed.cellAt(slotCell(slot, p)).str = word.substr(static_cast<std::size_t>(p) * 2, 2);
      }
      bool fits = !test::checkFill(stage.prepared, changed, stage.words, stage.order());
      for (int t = 0; t < stage.table.slotCount && fits; ++t) {
        const WordSlot& other = stage.table.slots[static_cast<std::size_t>(t)];
        for (int p = 0; p < other.length && t != s; ++p) {
          const int cell = slotCell(other, p);
          fits = fits && changed.cellAt(cell).str == stage.grid.cellAt(cell).str;
        }
      }
      const bool isListed = std::find(listed.begin(), listed.end(), word) != listed.end();
      EXPECT_EQ(fits, isListed) << "slot " << s << ": " << test::u8(word);
    }
  }
}

std::string sourcePath(const std::string& relative) {
  const char* root = std::getenv("VEXILO_SOURCE_DIR");
  return std::string(root ? root : "../..") + "/" + relative;
}

// Two threads prove the same best as one; with either, the fill is the same on every run.
TEST(FastFill, TwoThreadsProveTheSameBestAsOneAndEachRepeatsItself) {
  std::vector<std::string> words = fileWords(sourcePath("data/ipadic-nouns-2000.dic"));
  const std::vector<std::string> own = fileWords(sourcePath("data/sample.dic"));
  words.insert(words.end(), own.begin(), own.end());
  for (const char* name : {"sample-9x9.crs", "sample-13x13.crs"}) {
    PuzzleGrid puzzle;
    ASSERT_TRUE(loadCrosswordFile(sourcePath(std::string("data/") + name), puzzle));
    std::vector<Picture> pictures;
    std::vector<std::uint32_t> worst;
    for (const int threads : {1, 1, 2, 2}) {
      Stage stage(puzzle, words);
      stage.engine.settings.threads = threads;
      ASSERT_EQ(stage.run(), SearchEnd::Filled) << name;
      EXPECT_EQ(stage.check(), std::nullopt) << name;
      EXPECT_TRUE(stage.engine.progress().proven) << name;
      pictures.push_back(stage.picture(13, 13));
      worst.push_back(stage.engine.progress().worstRank);
    }
    EXPECT_EQ(pictures[0], pictures[1]) << name;
    EXPECT_EQ(pictures[2], pictures[3]) << name;
    EXPECT_EQ(worst[0], worst[1]) << name;
    EXPECT_EQ(worst[0], worst[2]) << name;
  }
}

// count words of the length over 20 letters, drawn by the seed.
void addRandomWords(WordIndex& index, int count, int length, unsigned seed) {
  std::mt19937 random(seed);
  for (int w = 0; w < count; ++w) {
    std::string word;
    for (int p = 0; p < length; ++p)
      word += sj("アイウエオカキクケコサシスセソタチツテト").substr(2 * (random() % 20), 2);
    index.addWord(word);
  }
}

// On two threads, the share of the search closed grows with the letters refuted and reaches the
// whole once no fill is proven: an open 5x5 of random words that has none.
TEST(FastFill, TheShareClosedGrowsToTheWholeOfAProof) {
  Stage stage({".....", ".....", ".....", ".....", "....."}, {});
  addRandomWords(stage.index, 800, 5, 3);
  stage.engine.settings.threads = 2;
  stage.engine.settings.firstOnly = true;
  std::vector<double> shares;
  stage.host.onPump = [&](int) {
    shares.push_back(stage.engine.progress().closedShare);
    return false;
  };
  EXPECT_EQ(stage.run(), SearchEnd::NoFill);
  shares.push_back(stage.engine.progress().closedShare);
  EXPECT_EQ(shares.back(), 1.0);
  for (std::size_t k = 1; k < shares.size(); ++k) {
    EXPECT_GE(shares[k], shares[k - 1]) << k;
    EXPECT_LE(shares[k], 1.0);
  }
}

// The threads of this process, as Linux lists them.
std::size_t threadsRunning() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

// The threads listed once the count is `expected`, or after a second: a thread just joined may
// stay listed for a moment, until the kernel has reaped it.
std::size_t threadsAfterReaping(std::size_t expected) {
  for (int k = 0; k < 200 && threadsRunning() != expected; ++k) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return threadsRunning();
}

// A stop asked for at a pump of a two-thread search ends every thread before the run returns.
TEST(FastFill, AStopEndsEveryThreadOfTheSearch) {
  Stage stage({".......", ".......", ".......", ".......", ".......", ".......", "......."}, {});
  addRandomWords(stage.index, 20000, 7, 11);
  stage.engine.settings.threads = 2;
  // A sanitizer's run-time starts a thread of its own at the process's first thread: not ours.
  std::thread([] {}).join();
  const std::size_t before = threadsRunning();
  std::size_t during = 0;
  stage.host.onPump = [&](int pump) {
    if (pump == 20) {
      during = threadsRunning();
      stage.host.state = SearchCancelled;
    }
    return false;
  };
  EXPECT_EQ(stage.run(), SearchEnd::Stopped);
  EXPECT_EQ(during, before + 2);
  EXPECT_EQ(threadsAfterReaping(before), before);
}

TEST(FastFill, FillsTheSamplesWithTheirWordsAndWithMoreBehindThem) {
  const std::vector<std::string> own = fileWords(sourcePath("data/sample.dic"));
  std::vector<std::string> more = fileWords(sourcePath("data/ipadic-nouns-2000.dic"));
  more.insert(more.begin(), own.begin(), own.end());
  ASSERT_EQ(own.size(), 110U);
  for (const char* name : {"sample-5x5.crs", "sample-9x9.crs", "sample-13x13.crs"}) {
    PuzzleGrid puzzle;
    ASSERT_TRUE(loadCrosswordFile(sourcePath(std::string("data/") + name), puzzle));
    for (const auto& words : {own, more}) {
      Stage stage(puzzle, words);
      ASSERT_EQ(stage.run(), SearchEnd::Filled) << name;
      EXPECT_EQ(stage.check(), std::nullopt) << name;
      if (words.size() == own.size()) expectListsExact(stage);
    }
  }
}

// Switches of the solver's techniques: all on, then each off in turn, and restarts after every
// failure, which makes the most nogoods.
struct Techniques {
  const char* name;
  SolverSwitches switches;
  int threads = 1;
};
std::vector<Techniques> techniqueTable() {
  std::vector<Techniques> table(12);
  table[0].name = "all";
  table[1].name = "no dom/wdeg";
  table[1].switches.weightedDegree = false;
  table[2].name = "no restarts";
  table[2].switches.restarts = false;
  table[3].name = "no nogoods";
  table[3].switches.nogoods = false;
  table[4].name = "restart at every failure";
  table[4].switches.restartBase = 1;
  table[5].name = "words";
  table[5].switches.letters = false;
  table[6].name = "words, no look-ahead";
  table[6].switches.letters = false;
  table[6].switches.lookAhead = 0;
  table[7].name = "words, no look-ahead, no perturbation";
  table[7].switches.letters = false;
  table[7].switches.lookAhead = 0;
  table[7].switches.perturb = false;
  table[8].name = "words, restart at every failure";
  table[8].switches.letters = false;
  table[8].switches.restartBase = 1;
  table[9].name = "two threads";
  table[9].threads = 2;
  table[10].name = "no symmetry";
  table[10].switches.symmetry = false;
  // Restarts often enough that the threads pass each other nogoods, between a thread that keeps
  // one of each pair of transposed fills and one that keeps both.
  table[11].name = "two threads, restart at every failure";
  table[11].threads = 2;
  table[11].switches.restartBase = 1;
  for (Techniques& t : table) t.switches.checkInvariants = true;
  return table;
}

// Random grids of up to 4 by 4 cells with star cells, given letters and mark groups, every other
// one mirrored about its diagonal, over random dictionaries of two letters, against an
// enumeration of every letter in every cell: a fill exactly when there is one, and then one with
// the smallest worst rank; the first fill alone with --first.
TEST(FastFill, RandomGridsGetTheBestFillWithEachTechniqueOnOrOff) {
  for (const Techniques& techniques : techniqueTable()) {
    std::mt19937 random(20261208);
    int cases = 0, fillable = 0, blocked = 0, drawn = 0, leastSums = 0;
    while (cases < 200) {
      test::RandomPuzzle c = test::randomPuzzle(random);
      if (++drawn % 2 == 0) test::mirrorDiagonal(c.grid);
      Stage stage(c.grid, c.words);
      stage.engine.settings.switches = techniques.switches;
      stage.engine.settings.threads = techniques.threads;
      stage.engine.settings.firstOnly = cases % 5 == 4;
      std::size_t free = 0;
      for (int i = 0; i < CellCount; ++i) free += stage.grid.cellAt(i).flag != Block ? 1 : 0;
      if (free > 11) continue;
      ++cases;
      const SearchEnd outcome = stage.run();
      const std::vector<PuzzleGrid> fills =
          test::enumerateFills(stage.prepared, c.words, stage.order());
      const std::string where = std::string(techniques.name) + ", case " + std::to_string(cases);
      if (outcome == SearchEnd::NoFill) {
        ++blocked;
        EXPECT_TRUE(fills.empty()) << "missed a fill: " << where;
        EXPECT_FALSE(stage.engine.blocking().empty()) << where;
        continue;
      }
      ++fillable;
      ASSERT_EQ(outcome, SearchEnd::Filled) << where;
      ASSERT_EQ(stage.check(), std::nullopt) << where;
      if (stage.engine.settings.firstOnly) continue;
      const auto ranks = test::ranksOf(c.words);
      std::uint32_t best = ~std::uint32_t{0};
      for (const PuzzleGrid& fill : fills) best = std::min(best, test::worstRank(fill, ranks));
      EXPECT_EQ(test::worstRank(stage.grid, ranks), best) << where;
      EXPECT_EQ(stage.engine.progress().worstRank, best) << where;
      EXPECT_TRUE(stage.engine.progress().proven) << where;
      // Of one part, within the work allowed here: the least sum of ranks of that worst rank.
      int parts = 0;
      for (int t = 0; t < stage.table.slotCount; ++t) {
        parts += stage.table.slots[static_cast<std::size_t>(t)].groupState & GroupRoot ? 1 : 0;
      }
      if (parts != 1) continue;
      std::uint64_t least = ~std::uint64_t{0};
      for (const PuzzleGrid& fill : fills) {
        if (test::worstRank(fill, ranks) == best)
          least = std::min(least, test::rankSum(fill, ranks));
      }
      EXPECT_EQ(test::rankSum(stage.grid, ranks), least) << where;
      ++leastSums;
    }
    EXPECT_GT(fillable, 40) << techniques.name;
    EXPECT_GT(blocked, 40) << techniques.name;
    EXPECT_GT(leastSums, 20) << techniques.name;
  }
}

// Slots in which two fills differ.
int differingSlots(const PuzzleGrid& a, const PuzzleGrid& b) {
  const std::vector<std::string> wordsA = test::runWords(a);
  const std::vector<std::string> wordsB = test::runWords(b);
  int differing = 0;
  for (std::size_t r = 0; r < wordsA.size(); ++r) differing += wordsA[r] != wordsB[r] ? 1 : 0;
  return differing;
}

// Search pressed again: a fill unlike every fill shown since in a third of its slots, valid, until
// the enumeration has none left; then the next run starts afresh.
TEST(FastFill, FurtherFillsDifferFromEveryFillShownInAThirdOfTheSlots) {
  std::mt19937 random(3);
  int cases = 0, longRuns = 0;
  while (cases < 150) {
    test::RandomPuzzle c = test::randomPuzzle(random);
    Stage stage(c.grid, c.words);
    stage.engine.settings.switches.checkInvariants = true;
    std::size_t free = 0;
    for (int i = 0; i < CellCount; ++i) free += stage.grid.cellAt(i).flag != Block ? 1 : 0;
    if (free > 11 || stage.run() != SearchEnd::Filled) continue;
    ++cases;
    const std::vector<PuzzleGrid> fills =
        test::enumerateFills(stage.prepared, c.words, stage.order());
    const int needed = std::max(1, (stage.table.slotCount + 2) / 3);
    std::vector<PuzzleGrid> shown = {stage.grid};
    SearchEnd outcome = SearchEnd::Filled;
    while ((outcome = stage.run()) == SearchEnd::Filled) {
      ASSERT_EQ(stage.check(), std::nullopt) << "case " << cases;
      for (const PuzzleGrid& before : shown) {
        EXPECT_GE(differingSlots(stage.grid, before), needed) << "case " << cases;
      }
      shown.push_back(stage.grid);
      ASSERT_LE(shown.size(), fills.size());
    }
    ASSERT_EQ(outcome, SearchEnd::NoFurtherFill) << "case " << cases;
    for (const PuzzleGrid& fill : fills) {
      const bool differsFromAll = std::all_of(shown.begin(), shown.end(), [&](const PuzzleGrid& g) {
        return differingSlots(fill, g) >= needed;
      });
      EXPECT_FALSE(differsFromAll) << "case " << cases << ": a further fill was missed";
    }
    longRuns += shown.size() > 2 ? 1 : 0;
    EXPECT_EQ(stage.picture(4, 4), test::pictureOf(stage.prepared, 4, 4));
    EXPECT_EQ(stage.run(), SearchEnd::Filled);  // afresh
    EXPECT_EQ(stage.picture(4, 4), test::pictureOf(shown.front(), 4, 4));
  }
  EXPECT_GT(longRuns, 10);
}

// Kanji words: hundreds of letters at each end of a word, most in a handful of words each, and
// one letter in the middle of every tenth word. Every fill of a ring of four three-letter slots,
// run after run, and the candidate lists of the first, against those found by trying each word
// in each slot.
TEST(FastFill, ManyRareLettersFillLikeFew) {
  std::vector<std::string> kanji;
  for (int code = 0x889F; kanji.size() < 400; ++code) {
    const int second = code & 0xFF;
    if (second == 0x7F || second < 0x40 || second > 0xFC) continue;
    kanji.push_back({static_cast<char>(code >> 8), static_cast<char>(second)});
  }
  std::mt19937 random(932);
  std::vector<std::string> words = {kanji[1] + kanji[2] + kanji[3], kanji[4] + kanji[5] + kanji[6],
                                    kanji[1] + kanji[7] + kanji[4], kanji[3] + kanji[8] + kanji[6]};
  while (words.size() < 1800) {
    const std::string middle = words.size() % 10 == 0 ? kanji[0] : kanji[random() % 400];
    words.push_back(kanji[random() % 400] + middle + kanji[random() % 400]);
  }
  Stage stage(test::gridFromPicture({"...", ".#.", "..."}), words);

  const std::set<std::string> distinct(words.begin(), words.end());
  std::map<std::string, std::vector<std::string>> byFirst;
  for (const std::string& word : distinct) byFirst[word.substr(0, 2)].push_back(word);
  auto startingWith = [&byFirst](const std::string& letter) -> const std::vector<std::string>& {
    static const std::vector<std::string> none;
    const auto found = byFirst.find(letter);
    return found == byFirst.end() ? none : found->second;
  };
  std::set<std::string> expected;
  for (const std::string& a : distinct) {                            // row 1
    for (const std::string& c : startingWith(a.substr(0, 2))) {      // column 1
      for (const std::string& d : startingWith(a.substr(4, 2))) {    // column 3
        for (const std::string& b : startingWith(c.substr(4, 2))) {  // row 3
          const bool distinctWords = a != c && a != d && a != b && c != d && c != b && d != b;
          if (distinctWords && b.substr(4, 2) == d.substr(4, 2)) expected.insert(a + b + c + d);
        }
      }
    }
  }
  ASSERT_FALSE(expected.empty());

  auto fillOf = [](const PuzzleGrid& grid) {
    std::string fill;
    for (const int cell : {0, 1, 2, 64, 65, 66, 0, 32, 64, 2, 34, 66})
      fill += grid.cellAt(cell).str;
    return fill;
  };
  ASSERT_EQ(stage.run(), SearchEnd::Filled);
  for (int s = 0; s < stage.table.slotCount; ++s) {
    const WordSlot& slot = stage.table.slots[static_cast<std::size_t>(s)];
    std::set<std::string> fitting;
    for (const std::string& word : distinct) {
      PuzzleGrid changed = stage.grid;
      for (int p = 0; p < slot.length; ++p) {
        changed.cellAt(slotCell(slot, p)).str = word.substr(static_cast<std::size_t>(p) * 2, 2);
      }
      if (expected.contains(fillOf(changed))) fitting.insert(word);
    }
    EXPECT_EQ(std::set<std::string>(slot.candidates.begin(), slot.candidates.end()), fitting);
  }
  // The best of those fills: the rarest of its four words as common as can be.
  const auto ranks = test::ranksOf(words);
  auto worstOf = [&ranks](const std::string& fill) {
    std::uint32_t worst = 0;
    for (std::size_t at = 0; at < fill.size(); at += 6) {
      worst = std::max(worst, ranks.at(fill.substr(at, 6)));
    }
    return worst;
  };
  std::uint32_t best = ~std::uint32_t{0};
  for (const std::string& fill : expected) best = std::min(best, worstOf(fill));
  ASSERT_EQ(stage.check(), std::nullopt);
  EXPECT_TRUE(expected.contains(fillOf(stage.grid)));
  EXPECT_EQ(worstOf(fillOf(stage.grid)), best);

  // A given rare letter: the words with it there, in file order.
  Stage given(test::gridFromPicture({"..."}), words);
  given.grid.cellAt(1).flag = Fixed;
  given.grid.cellAt(1).str = kanji[2];
  ASSERT_EQ(given.run(), SearchEnd::Filled);
  std::vector<std::string> withGiven;
  for (const std::string& word : words) {
    if (word.substr(2, 2) == kanji[2] &&
        std::find(withGiven.begin(), withGiven.end(), word) == withGiven.end()) {
      withGiven.push_back(word);
    }
  }
  EXPECT_EQ(given.table.slots[0].candidates, withGiven);

  // The rare letters take far less than a bit per word each would.
  std::size_t letters = 0;
  for (std::size_t p = 0; p < 6; p += 2) {
    std::set<std::string> at;
    for (const std::string& word : distinct) at.insert(word.substr(p, 2));
    letters += at.size();
  }
  EXPECT_LT(stage.engine.wordSetBytes() * 4, letters * (distinct.size() + 63) / 64 * 8);
}

// Ranks: サクラ 1, アイウ 2, アカサ 3, サシス 4, ウメオ 5, ウドラ 6, ウミラ 7, ラクダ 8. Two fills
// have the smallest worst rank, 6, and the same sum; a further one differs in two slots of four.
TEST(FastFill, TheBestFillComesFirstEachWordOnceInTheGrid) {
  Stage stage({"...", ".#.", "..."}, {"サクラ", "アイウ", "アカサ", "サシス", "ウメオ", "ウドラ",
                                      "ウミラ", "ラクダ", "アイウ"});
  ASSERT_EQ(stage.run(), SearchEnd::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"アイウ", "カ#ド", "サクラ"}));
  EXPECT_EQ(stage.engine.progress().worstRank, 6U);
  EXPECT_EQ(stage.engine.progress().rankSum, 12U);
  EXPECT_TRUE(stage.engine.progress().proven);
  EXPECT_EQ(stage.list(3), (std::vector<std::string>{"ウドラ", "ウミラ"}));
  std::set<int> written;
  for (const int cell : {0, 1, 2, 32, 34, 64, 65, 66}) written.insert(cell);
  EXPECT_EQ(stage.host.drawn, written);
  const std::shared_ptr<WordTables> tables = stage.engine.tables();
  ASSERT_EQ(stage.run(), SearchEnd::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"アカサ", "イ#ク", "ウドラ"}));
  EXPECT_EQ(stage.run(), SearchEnd::NoFurtherFill);  // ウミラ alone differs in one slot only
  EXPECT_EQ(stage.engine.tables(), tables);          // kept while the words stay as they are
  stage.index.addWord(sj("ネコ"));
  stage.run();
  EXPECT_NE(stage.engine.tables(), tables);
}

TEST(FastFill, NamesTheSlotsThatBlockTheFill) {
  Stage empty({"キ.*", "#.#", "#.#", "###", "*.*"}, {"アイウ", "イイイ", "カキカ"});
  ASSERT_EQ(empty.run(), SearchEnd::NoFill);
  EXPECT_TRUE(empty.engine.blockedByEmptySlot());
  ASSERT_EQ(empty.engine.blocking().size(), 1U);
  const BlockingSlot& b = empty.engine.blocking()[0];
  EXPECT_EQ(test::u8(blockingSlotLine(empty.grid, empty.table.slots[b.slot], b.candidates)),
            "横 1行1列 3文字 キ・＊: 0語");
  // The part of the grid that has a fill gets it.
  EXPECT_EQ(empty.picture(5, 3), (Picture{"キ.*", "#.#", "#.#", "###", "イイイ"}));

  // Each slot has words of its own, but no two crossing ones agree.
  Stage crossing({"..", ".."}, {"アイ", "ウエ", "オカ", "キク"});
  ASSERT_EQ(crossing.run(), SearchEnd::NoFill);
  EXPECT_FALSE(crossing.engine.blockedByEmptySlot());
  ASSERT_FALSE(crossing.engine.blocking().empty());
  EXPECT_LE(crossing.engine.blocking().size(), 5U);
  EXPECT_EQ(crossing.engine.blocking()[0].candidates, 4U);
  EXPECT_EQ(test::u8(blockingSlotLine(crossing.grid, crossing.table.slots[1], 4)),
            "横 2行1列 2文字 ・・: 4語");
  EXPECT_EQ(test::u8(blockingSlotLine(crossing.grid, crossing.table.slots[3], 4)),
            "縦 1行2列 2文字 ・・: 4語");
}

TEST(FastFill, AStopEndsTheRunWithNoLetterAndTheNextRunStartsAfresh) {
  Stage stage({"....", ".#..", "....", "..#."}, {});
  std::mt19937 random(7);
  const std::string kana[] = {sj("ア"), sj("イ"), sj("ウ"), sj("エ")};
  for (int w = 0; w < 400; ++w) {
    std::string word;
    const int length = 2 + w % 3;
    for (int p = 0; p < length; ++p) word += kana[random() % 4];
    stage.words.push_back(word);
    stage.index.addWord(word);
  }
  stage.host.stopAtPump = 2;
  EXPECT_EQ(stage.run(), SearchEnd::Stopped);
  EXPECT_EQ(stage.host.pumps, 2);
  EXPECT_EQ(stage.picture(4, 4), (Picture{"....", ".#..", "....", "..#."}));
  for (const WordSlot& slot : stage.table.slots) EXPECT_TRUE(slot.candidates.empty());
  stage.host.stopAtPump = 0;
  const SearchEnd again = stage.run();
  ASSERT_EQ(again, SearchEnd::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  const Picture first = stage.picture(4, 4);

  // A run left by an exception is not continued either.
  stage.engine.forget();
  stage.host.throwAtPump = stage.host.pumps + 2;
  EXPECT_THROW(stage.run(), std::runtime_error);
  EXPECT_EQ(stage.run(), SearchEnd::Filled);
  EXPECT_EQ(stage.picture(4, 4), first);
}

// A command run by the pump that changes the grid ends the run: the author's cell keeps what the
// author gave it, and nothing more is written. A pump that ran nothing changes nothing.
TEST(FastFill, ACommandThatChangesTheGridEndsTheRunAndKeepsTheChange) {
  Stage stage({"...", ".#.", "..."},
              {"サクラ", "アイウ", "アカサ", "サシス", "ウメオ", "ウドラ", "ウミラ", "ラクダ"});
  stage.host.onPump = [&stage](int pump) {
    if (pump != 2) return pump == 1;
    stage.grid.cellAt(66) = NodeBox{sj("ン"), Fixed, -1};
    return true;
  };
  EXPECT_EQ(stage.run(), SearchEnd::Stopped);
  EXPECT_TRUE(stage.engine.gridChanged());
  EXPECT_EQ(test::u8(stage.grid.cellAt(66).str), "ン");
  EXPECT_EQ(stage.grid.cellAt(66).flag, Fixed);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"...", ".#.", "..ン"}));
}

// Only the slots asked for are filled: the letters of the others are kept as given, and their
// words are used. A deadline already past ends the run before any fill.
TEST(FastFill, FillsTheSlotsAskedForAroundTheRestAndStopsAtTheDeadline) {
  Stage stage({"アイウ", ".#.", "..."}, {"サクラ", "アイウ", "アカサ", "サシス", "ウメオ", "ウドラ",
                                         "ウミラ", "ラクダ", "カクラ"});
  for (const int cell : {0, 1, 2}) stage.grid.cellAt(cell).flag = Open;  // a fill of before
  extractSlots(stage.grid, stage.table);
  stage.table.slotsCurrent = true;
  std::vector<int> below;  // every slot but row 1
  for (int s = 0; s < stage.table.slotCount; ++s) {
    if (stage.table.slots[static_cast<std::size_t>(s)].row != 0 ||
        stage.table.slots[static_cast<std::size_t>(s)].direction != Across) {
      below.push_back(s);
    }
  }
  stage.engine.settings.slots = below;
  ASSERT_EQ(stage.engine.run(stage.grid, stage.index, stage.table, stage.host), SearchEnd::Filled);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"アイウ", "カ#ド", "サクラ"}));

  stage.engine.forget();
  stage.engine.settings.slots.clear();
  stage.engine.settings.deadline = std::chrono::steady_clock::now();
  stage.grid = test::gridFromPicture({"...", ".#.", "..."});
  EXPECT_EQ(stage.engine.run(stage.grid, stage.index, stage.table, stage.host), SearchEnd::Stopped);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"...", ".#.", "..."}));
  EXPECT_FALSE(stage.engine.progress().proven);
}

TEST(FastFill, BannedWordsAreNeitherPlacedNorListed) {
  // The given イ rules out the fill's transpose, which has the same ranks.
  Stage stage({".イ.", ".#.", "..."},
              {"サクラ", "アイウ", "アカサ", "サシス", "ウメオ", "ウドラ", "ウミラ", "ラクダ"});
  BannedWords banned;
  banned.add(sj("ウドラ"));
  stage.host.state = SearchRunning;
  clearSearchLetters(stage.grid, stage.host);
  extractSlots(stage.grid, stage.table);
  stage.prepared = stage.grid;
  ASSERT_EQ(stage.engine.run(stage.grid, stage.index, stage.table, stage.host, &banned),
            SearchEnd::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"アイウ", "カ#ミ", "サクラ"}));
  EXPECT_EQ(stage.list(3), (std::vector<std::string>{"ウミラ"}));
}

}  // namespace
}  // namespace vexilo
