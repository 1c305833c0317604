#include "search/fill_search.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "search/banned_words.h"
#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;
using Lists = std::vector<std::vector<std::string>>;

class CountingHost : public FillHost {
 public:
  void cellChanged(int cellIndex) override { drawn.push_back(cellIndex); }
  bool pumpMessages() override {
    ++pumps;
    if (pumps == stopAtPump) state = SearchCancelled;
    if (onPump) onPump(pumps);
    return static_cast<bool>(onPump);
  }
  SearchState searchState() const override {
    ++reads;
    return state;
  }

  std::vector<int> drawn;
  int pumps = 0;
  mutable int reads = 0;
  int stopAtPump = 0;  // 0: never
  std::function<void(int)> onPump;
  SearchState state = SearchRunning;
};

// A grid, a dictionary and a slot table run the way the Search command runs them.
struct Stage {
  Stage(const std::vector<std::string>& picture, const std::vector<std::string>& words)
      : grid(test::gridFromPicture(picture)) {
    for (const std::string& word : words) index.addWord(sj(word));
  }

  void run(const BannedWords* banned = nullptr) {
    host.state = SearchRunning;
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    if (!table.slotsCurrent) {
      extractSlots(grid, table);
      table.slotsCurrent = true;
    }
    FillSearch search(grid, index, table, host, banned);
    search.checkInvariants = true;
    search.fillGroups();
    search.placeFirstCandidates();
  }

  Lists lists() const {
    Lists all;
    for (int i = 0; i < table.slotCount; ++i) {
      all.emplace_back();
      for (const std::string& word : table.slots[i].candidates)
        all.back().push_back(test::u8(word));
    }
    return all;
  }
  std::vector<std::string> picture(int rows, int columns) const {
    return test::pictureOf(grid, rows, columns);
  }

  PuzzleGrid grid;
  WordIndex index;
  SlotTable table;
  CountingHost host;
};

WordSlot acrossRowZero(int length) {
  WordSlot slot;
  slot.length = length;
  return slot;
}

const std::vector<std::string> Ring = {"...", ".#.", "..."};
const std::vector<std::string> RingWords = {"アイウ", "アカサ", "サシス", "ウメオ",
                                            "サクラ", "ウドラ", "ウミラ", "ラクダ"};

TEST(FillSearch, WorkedExampleContinuesThenStartsAfresh) {
  Stage stage(Ring, RingWords);
  const Lists first = {{"アイウ"}, {"サクラ"}, {"アカサ"}, {"ウドラ", "ウミラ"}};
  stage.run();
  EXPECT_EQ(stage.lists(), first);
  EXPECT_EQ(stage.picture(3, 3), (std::vector<std::string>{"アイウ", "カ#ド", "サクラ"}));

  stage.run();
  EXPECT_EQ(stage.lists(), (Lists{{}, {}, {}, {}}));
  EXPECT_EQ(stage.picture(3, 3), Ring);

  stage.run();
  EXPECT_EQ(stage.lists(), first);
  for (const WordSlot& slot : stage.table.slots) EXPECT_FALSE(slot.placed);
}

TEST(FillSearch, BannedWordsArePassedOverAsIfTheyDidNotFit) {
  Stage stage(Ring, RingWords);
  BannedWords banned;
  banned.add(sj("ウドラ"));
  stage.run(&banned);
  EXPECT_EQ(stage.lists(), (Lists{{"アイウ"}, {"サクラ"}, {"アカサ"}, {"ウミラ"}}));
}

TEST(FillSearch, LeafListsEveryWordOfItsLengthAndClosesThemToLaterSlots) {
  Stage stage({"...", "###", "..."}, {"アイウ", "カキ", "カキク", "アイウ", "abcdef", "ｱｲｳｴｵｶ"});
  stage.run();
  EXPECT_EQ(stage.lists(), (Lists{{"アイウ", "カキク", "アイウ"}, {}}));
  EXPECT_EQ(stage.picture(3, 3), (std::vector<std::string>{"アイウ", "###", "..."}));
  EXPECT_EQ(stage.host.reads, 10);  // five entries of the class, walked by each slot
  EXPECT_EQ(stage.host.pumps, 10);
}

TEST(FillSearch, OnlyTheFirstKnownLetterChoosesTheBucket) {
  Stage stage({".ア.カ"}, {"アイウエ", "サアシス", "サアシカ"});
  const KnownLetter known = firstKnownLetter(stage.grid, acrossRowZero(4));
  EXPECT_EQ(known.position, 1);
  EXPECT_EQ(known.letter, sj("ア"));
  stage.run();
  EXPECT_EQ(stage.lists(), (Lists{{"サアシカ"}}));
  EXPECT_EQ(stage.host.reads, 2);  // アイウエ stands in another bucket
}

TEST(FillSearch, StarsAndMarksTieLetters) {
  const WordSlot slot = acrossRowZero(3);
  PuzzleGrid stars = test::gridFromPicture({"*.*"});
  EXPECT_TRUE(wordFits(stars, slot, sj("アイア")) && !wordFits(stars, slot, sj("アイウ")));
  stars.cellAt(0).str = sj("ア");  // a star cell with a letter takes no part in the rule
  EXPECT_TRUE(wordFits(stars, slot, sj("アイウ")) && !wordFits(stars, slot, sj("イイウ")));

  PuzzleGrid marks = test::gridFromPicture({"...", "###", "###", "###", "####キ"});
  marks.linkCells(0, 2);
  EXPECT_TRUE(wordFits(marks, slot, sj("アイア")) && !wordFits(marks, slot, sj("アイウ")));
  marks.linkCells(PuzzleGrid::indexOf(4, 4), 1);
  const KnownLetter known = firstKnownLetter(marks, slot);
  EXPECT_EQ(known.position, 1);
  EXPECT_EQ(known.letter, sj("キ"));
  EXPECT_TRUE(wordFits(marks, slot, sj("アキア")) && !wordFits(marks, slot, sj("アイア")));
}

TEST(FillSearch, RootWithoutFitLeavesItsGroupAsItWas) {
  Stage stage(Ring, {"アイ", "abcdef", "ｱｲｳｴｵｶ"});
  extractSlots(stage.grid, stage.table);
  stage.table.slots[2].candidates = {sj("ウミラ")};
  FillSearch search(stage.grid, stage.index, stage.table, stage.host);
  EXPECT_EQ(search.fillSlot(0), FillFailed);
  EXPECT_EQ(stage.lists(), (Lists{{}, {}, {"ウミラ"}, {}}));
  EXPECT_EQ(stage.host.reads, 2);
  EXPECT_TRUE(stage.host.drawn.empty());
}

TEST(FillSearch, LongSlotsTakeWordsOfExactlyTheirLength) {
  const std::string row(32, '.');
  std::string letters31;
  for (int i = 0; i < 31; ++i) letters31 += "ア";
  Stage stage({row, std::string(32, '#'), row.substr(1)},
              {letters31 + "イウ", letters31, letters31 + "イ"});
  stage.run();
  EXPECT_EQ(stage.lists(), (Lists{{letters31 + "イ"}, {letters31}}));
}

TEST(FillSearch, PlaceAndRemoveLeaveFixedCellsAlone) {
  Stage stage({".ア."}, {});
  stage.grid.cellAt(0).str = sj("ン");  // left in an Open cell
  extractSlots(stage.grid, stage.table);
  FillSearch search(stage.grid, stage.index, stage.table, stage.host);
  search.placeWord(0, sj("カキク"));
  EXPECT_EQ(stage.picture(1, 3), (std::vector<std::string>{"カアク"}));
  search.removeWord(0);
  EXPECT_EQ(stage.picture(1, 3), (std::vector<std::string>{"ンア."}));
  EXPECT_EQ(stage.host.drawn, (std::vector<int>{0, 2, 0, 2}));
}

TEST(FillSearch, CommandsRunDuringTheSearchAreSeenByIt) {
  Stage stage({"..."}, {"アイウ", "カキク", "サシス", "タキツ"});
  stage.host.onPump = [&stage](int pump) {
    if (pump == 1) stage.index.addWord(sj("ナキヌ"));
    if (pump != 2) return;
    stage.grid.linkCells(1, PuzzleGrid::indexOf(5, 5));
    stage.grid.cellAt(PuzzleGrid::indexOf(5, 5)).str = sj("キ");
  };
  stage.run();
  EXPECT_EQ(stage.lists(), (Lists{{"アイウ", "カキク", "タキツ", "ナキヌ"}}));
}

TEST(FillSearch, ACellJoiningASlotsGroupDuringTheSearchIsSeenByIt) {
  Stage stage({"..."}, {"アイウ", "カキク", "サシス", "タキツ"});
  const int partner = PuzzleGrid::indexOf(5, 5);  // alone in its row and column: no slot
  const int given = PuzzleGrid::indexOf(7, 7);
  stage.grid.makeOpen(1);
  stage.grid.linkCells(1, partner);
  stage.host.onPump = [&](int pump) {
    if (pump != 1) return;
    stage.grid.makeOpen(given);
    stage.grid.linkCells(given, partner);  // the slot's own cells keep their mark
    stage.grid.cellAt(given).flag = Fixed;
    stage.grid.cellAt(given).str = sj("キ");
  };
  stage.run();
  EXPECT_EQ(stage.lists(), (Lists{{"アイウ", "カキク", "タキツ"}}));
}

// The slots of each group, groups in the order of their roots.
std::vector<std::vector<int>> groupsOf(const SlotTable& table) {
  std::vector<std::vector<int>> groups;
  std::function<void(int)> collect = [&](int s) {
    groups.back().push_back(s);
    for (int c = table.slots[s].firstChild; c != -1; c = table.slots[c].nextSibling) collect(c);
  };
  for (int s = 0; s < table.slotCount; ++s) {
    if (table.slots[s].groupState != (Visited | GroupRoot)) continue;
    groups.emplace_back();
    collect(s);
  }
  return groups;
}

bool isPrefix(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

TEST(FillSearch, StopAtAnyPumpKeepsTheGroupsFinishedBeforeIt) {
  const std::vector<std::string> picture = {"...#..", ".#.###", "..."};
  std::vector<std::string> words = RingWords;
  words.insert(words.end(), {"アア", "イイ", "ウウ"});
  Stage full(picture, words);
  full.run();
  const Lists done = full.lists();
  const std::vector<std::vector<int>> groups = groupsOf(full.table);
  ASSERT_EQ(groups.size(), 2u);

  for (int k = 1; k < full.host.pumps; ++k) {
    Stage stopped(picture, words);
    stopped.host.stopAtPump = k;
    stopped.run();
    const Lists got = stopped.lists();
    bool stoppedBefore = false;  // every group after the interrupted one stays empty
    for (const std::vector<int>& group : groups) {
      bool same = true, empty = true, cut = true;
      for (int s : group) {
        same = same && got[s] == done[s];
        empty = empty && got[s].empty();
        cut = cut && !got[s].empty() && isPrefix(got[s], done[s]);  // a leaf keeps its gathering
      }
      EXPECT_TRUE(stoppedBefore ? empty : same || empty || cut) << "k=" << k;
      stoppedBefore = stoppedBefore || !same;
    }
    EXPECT_TRUE(stoppedBefore) << "k=" << k;
  }
}

}  // namespace
}  // namespace vexilo
