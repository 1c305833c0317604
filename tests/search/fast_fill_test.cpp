#include "search/fast_fill.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "files/crossword_file.h"
#include "files/text_file.h"
#include "support/fill_checker.h"
#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;
using Picture = std::vector<std::string>;

class Host : public FillHost {
 public:
  void cellChanged(int cellIndex) override { drawn.insert(cellIndex); }
  bool pumpMessages() override {
    if (++pumps == stopAtPump) state = SearchCancelled;
    if (pumps == throwAtPump) throw std::runtime_error("no memory");
    return false;
  }
  SearchState searchState() const override { return state; }

  std::set<int> drawn;
  int pumps = 0;
  int stopAtPump = 0;  // 0: never
  int throwAtPump = 0;
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

  FastOutcome run() {
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

  std::optional<std::string> check() const { return test::checkFill(prepared, grid, words); }
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
      bool fits = !test::checkFill(stage.prepared, changed, stage.words);
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

std::vector<std::string> fileWords(const std::string& path) {
  std::vector<std::string> words;
  const std::optional<std::string> text = readTextFile(path);
  if (!text) return words;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    words.push_back(line);
    start = end + 1;
  }
  return words;
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
      ASSERT_EQ(stage.run(), FastOutcome::Filled) << name;
      EXPECT_EQ(stage.check(), std::nullopt) << name;
      if (words.size() == own.size()) expectListsExact(stage);
    }
  }
}

// Random grids of up to 4 by 4 cells with star cells, given letters and mark groups, and
// random dictionaries over two letters: every fill the engine shows, run after run, is valid,
// and together they are exactly the fills an enumeration of every letter of every cell finds.
struct RandomCase {
  PuzzleGrid grid;
  std::vector<std::string> words;
};

RandomCase randomCase(std::mt19937& random) {
  auto chance = [&random](int percent) {
    return std::uniform_int_distribution<int>(0, 99)(random) < percent;
  };
  const std::vector<std::string> letters = {sj("ア"), sj("イ")};
  const std::vector<std::string> small = {sj("ァ"), sj("ィ")};
  RandomCase c;
  const int rows = std::uniform_int_distribution<int>(2, 4)(random);
  const int columns = std::uniform_int_distribution<int>(2, 4)(random);
  std::vector<int> open;
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
    }
  }
  for (int link = 0; link < 2 && open.size() >= 2; ++link) {
    if (chance(40)) c.grid.linkCells(open[random() % open.size()], open[random() % open.size()]);
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
  c.words.push_back("ab");  // single-byte words take no slot
  return c;
}

bool inRun(const PuzzleGrid& grid, int cell) {
  const int r = PuzzleGrid::rowOf(cell);
  const int c = PuzzleGrid::columnOf(cell);
  auto open = [&grid](int row, int column) {
    return row >= 0 && column >= 0 && row < GridSize && column < GridSize &&
           grid.cellAt(PuzzleGrid::indexOf(row, column)).flag != Block;
  };
  return open(r, c - 1) || open(r, c + 1) || open(r - 1, c) || open(r + 1, c);
}

std::set<Picture> enumerateFills(const PuzzleGrid& prepared,
                                 const std::vector<std::string>& words) {
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
  std::set<Picture> fills;
  const std::string letters[] = {sj("ア"), sj("イ")};
  PuzzleGrid grid = prepared;
  for (std::uint32_t code = 0; code < (1U << free.size()); ++code) {
    for (std::size_t k = 0; k < free.size(); ++k)
      grid.cellAt(free[k]).str = letters[(code >> k) & 1];
    if (!test::checkFill(prepared, grid, words)) fills.insert(test::pictureOf(grid, 4, 4));
  }
  return fills;
}

TEST(FastFill, RandomGridsShowEveryFillOnceAndOnlyValidOnes) {
  std::mt19937 random(20261208);
  int cases = 0, fillable = 0, blocked = 0;
  while (cases < 250) {
    RandomCase c = randomCase(random);
    Stage stage(c.grid, c.words);
    std::size_t free = 0;
    for (int i = 0; i < CellCount; ++i) free += stage.grid.cellAt(i).flag != Block ? 1 : 0;
    if (free > 11) continue;
    ++cases;
    std::set<Picture> shown;
    FastOutcome outcome = stage.run();
    const std::set<Picture> expected = enumerateFills(stage.prepared, c.words);
    if (outcome == FastOutcome::NoFill) {
      ++blocked;
      EXPECT_TRUE(expected.empty()) << "missed a fill in case " << cases;
      EXPECT_FALSE(stage.engine.blocking().empty());
      EXPECT_EQ(stage.picture(4, 4), test::pictureOf(stage.prepared, 4, 4));
      continue;
    }
    ++fillable;
    ASSERT_EQ(outcome, FastOutcome::Filled);
    const Picture first = stage.picture(4, 4);
    expectListsExact(stage);
    while (outcome == FastOutcome::Filled) {
      ASSERT_EQ(stage.check(), std::nullopt) << "case " << cases;
      EXPECT_TRUE(shown.insert(stage.picture(4, 4)).second) << "a fill shown twice";
      ASSERT_LE(shown.size(), expected.size());
      outcome = stage.run();
    }
    EXPECT_EQ(outcome, FastOutcome::NoFurtherFill);
    EXPECT_EQ(shown, expected) << "case " << cases;
    EXPECT_EQ(stage.run(), FastOutcome::Filled);  // afresh
    EXPECT_EQ(stage.picture(4, 4), first);
  }
  EXPECT_GT(fillable, 40);
  EXPECT_GT(blocked, 40);
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
  std::set<std::string> shown;
  FastOutcome outcome = stage.run();
  ASSERT_EQ(outcome, FastOutcome::Filled);
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
  while (outcome == FastOutcome::Filled) {
    ASSERT_EQ(stage.check(), std::nullopt);
    EXPECT_TRUE(shown.insert(fillOf(stage.grid)).second) << "a fill shown twice";
    ASSERT_LE(shown.size(), expected.size());
    outcome = stage.run();
  }
  EXPECT_EQ(outcome, FastOutcome::NoFurtherFill);
  EXPECT_EQ(shown, expected);

  // A given rare letter: the words with it there, in file order.
  Stage given(test::gridFromPicture({"..."}), words);
  given.grid.cellAt(1).flag = Fixed;
  given.grid.cellAt(1).str = kanji[2];
  ASSERT_EQ(given.run(), FastOutcome::Filled);
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

TEST(FastFill, WordsGoInPriorityOrderEachOnceInTheGrid) {
  Stage stage({"...", ".#.", "..."}, {"サクラ", "アイウ", "アカサ", "サシス", "ウメオ", "ウドラ",
                                      "ウミラ", "ラクダ", "アイウ"});
  ASSERT_EQ(stage.run(), FastOutcome::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  // Slot 0 (row 0) takes アイウ: サクラ, first in the file, leaves no word for column 0.
  EXPECT_EQ(stage.picture(3, 3), (Picture{"アイウ", "カ#ド", "サクラ"}));
  EXPECT_EQ(stage.list(3), (std::vector<std::string>{"ウドラ", "ウミラ"}));
  std::set<int> written;
  for (const int cell : {0, 1, 2, 32, 34, 64, 65, 66}) written.insert(cell);
  EXPECT_EQ(stage.host.drawn, written);
  ASSERT_EQ(stage.run(), FastOutcome::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  EXPECT_EQ(stage.picture(3, 3), (Picture{"アイウ", "カ#ミ", "サクラ"}));
}

TEST(FastFill, NamesTheSlotsThatBlockTheFill) {
  Stage empty({"キ.*", "#.#", "#.#", "###", "*.*"}, {"アイウ", "イイイ", "カキカ"});
  ASSERT_EQ(empty.run(), FastOutcome::NoFill);
  EXPECT_TRUE(empty.engine.blockedByEmptySlot());
  ASSERT_EQ(empty.engine.blocking().size(), 1U);
  const BlockingSlot& b = empty.engine.blocking()[0];
  EXPECT_EQ(test::u8(blockingSlotLine(empty.grid, empty.table.slots[b.slot], b.candidates)),
            "横 1行1列 3文字 キ・＊: 0語");
  EXPECT_EQ(empty.picture(5, 3), (Picture{"キ.*", "#.#", "#.#", "###", "*.*"}));

  // Each slot has words of its own, but no two crossing ones agree.
  Stage crossing({"..", ".."}, {"アイ", "ウエ", "オカ", "キク"});
  ASSERT_EQ(crossing.run(), FastOutcome::NoFill);
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
  EXPECT_EQ(stage.run(), FastOutcome::Stopped);
  EXPECT_EQ(stage.host.pumps, 2);
  EXPECT_EQ(stage.picture(4, 4), (Picture{"....", ".#..", "....", "..#."}));
  for (const WordSlot& slot : stage.table.slots) EXPECT_TRUE(slot.candidates.empty());
  stage.host.stopAtPump = 0;
  const FastOutcome again = stage.run();
  ASSERT_EQ(again, FastOutcome::Filled);
  EXPECT_EQ(stage.check(), std::nullopt);
  const Picture first = stage.picture(4, 4);

  // A run left by an exception is not continued either.
  stage.engine.forget();
  stage.host.throwAtPump = stage.host.pumps + 2;
  EXPECT_THROW(stage.run(), std::runtime_error);
  EXPECT_EQ(stage.run(), FastOutcome::Filled);
  EXPECT_EQ(stage.picture(4, 4), first);
}

}  // namespace
}  // namespace vexilo
