#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/fill_checker.h"
#include "support/grid_picture.h"
#include "support/random_puzzles.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;
using Lines = std::vector<std::string>;

const std::vector<std::string> Ring = {"...", ".#.", "..."};
const std::vector<std::string> RingWords = {"アイウ", "アカサ", "サシス", "ウメオ",
                                            "サクラ", "ウドラ", "ウミラ", "ラクダ"};

class WordsOfASlot : public ::testing::Test {
 protected:
  WordsOfASlot() {
    settings.folderPath = folder.path("config");
    dialog->OnInitDialog();
  }

  // Each list under a name of its own: a path used before is not read again.
  void useWords(const std::vector<std::string>& utf8) {
    std::string bytes;
    words.clear();
    for (const std::string& word : utf8) {
      words.push_back(sj(word));
      bytes += words.back() + "\r\n";
    }
    const std::string path = folder.path("words" + std::to_string(++lists) + ".dic");
    test::writeBytes(path, bytes);
    platform.texts[IdDicPath1] = path;
    platform.checks[IdEnabled1] = true;
  }
  void press(int id) { dialog->OnCommand(id); }
  // The result box in UTF-8, one entry a line.
  Lines box() {
    Lines lines;
    const std::string text = test::u8(platform.texts[IdResult]);
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }
  // Turns of the checking timer until it stops; how many it took.
  int checkAll() {
    int turns = 0;
    while (platform.timers.contains(IdWordChecks)) {
      dialog->OnTimer(IdWordChecks);
      ++turns;
    }
    return turns;
  }
  std::string status() { return test::u8(platform.statuses.back().text); }
  std::string bansFile() { return test::readBytes(dialog->bannedWordsPath()); }

  test::TempFolder folder;
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
  std::vector<std::string> words;
  int lists = 0;
};

// Of every fill of the ring, by trying every word in each side, the words of its top row.
std::set<std::string> topRowWords(const std::vector<std::string>& words = RingWords) {
  std::set<std::string> top;
  const auto letter = [](const std::string& word, int i) { return word.substr(3 * i, 3); };
  for (const std::string& t : words) {
    for (const std::string& b : words) {
      for (const std::string& l : words) {
        for (const std::string& r : words) {
          const bool crossing = letter(l, 0) == letter(t, 0) && letter(r, 0) == letter(t, 2) &&
                                letter(l, 2) == letter(b, 0) && letter(r, 2) == letter(b, 2);
          if (crossing && std::set<std::string>{t, b, l, r}.size() == 4) top.insert(t);
        }
      }
    }
  }
  return top;
}

TEST_F(WordsOfASlot, AfterAFastFillTheFramedSlotListsWhatSomeFillTakesCheckedAtDispatches) {
  test::drawPicture(dialog->grid, Ring);
  useWords(RingWords);
  press(IdSearchFast);
  press(IdSearch);
  ASSERT_EQ(dialog->slots.currentSlot, 0);
  // Before any check: the placed word first, each with its rank; what the fill around it does
  // not show yet is marked.
  const Lines first = box();
  ASSERT_EQ(first.size(), RingWords.size());
  EXPECT_EQ(first[0], "アイウ 1位");
  EXPECT_EQ(first[1], "アカサ 2位 未確認");
  EXPECT_TRUE(platform.timers.contains(IdWordChecks));

  EXPECT_GE(checkAll(), 1);
  std::set<std::string> listed;
  for (const std::string& line : box()) {
    EXPECT_EQ(line.find("未確認"), std::string::npos) << line;
    listed.insert(line.substr(0, line.find(' ')));
  }
  EXPECT_EQ(listed, topRowWords());
  EXPECT_EQ(box()[0], "アイウ 1位");
  EXPECT_GT(platform.refreshes, 0);

  // A locked word not yet checked is taken, with a warning.
  press(IdShowResult);
  const Lines second = box();
  const auto unchecked = std::find_if(second.begin(), second.end(), [](const std::string& line) {
    return line.find("未確認") != std::string::npos;
  });
  ASSERT_NE(unchecked, second.end());
  dialog->OnResultDoubleClick(static_cast<int>(unchecked - second.begin()));
  EXPECT_EQ(status(), "未確認の語を固定しました。次の検索で埋まらないことがあります");
  EXPECT_FALSE(platform.timers.contains(IdWordChecks));  // the grid changed
}

TEST_F(WordsOfASlot, ASearchAnEditOrAnotherSlotStopsOrRestartsTheChecking) {
  test::drawPicture(dialog->grid, Ring);
  useWords(RingWords);
  press(IdSearchFast);
  press(IdSearch);
  bool checkingDuringSearch = true;
  platform.atPump(platform.pumps + 1, [&] {
    checkingDuringSearch = platform.timers.contains(IdWordChecks);
    dialog->OnTimer(IdWordChecks);  // a turn due before the search began does nothing
  });
  press(IdSearch);
  EXPECT_FALSE(checkingDuringSearch);
  const Lines afterSearch = box();
  EXPECT_TRUE(platform.timers.contains(IdWordChecks));

  press(IdShowResult);  // another slot: its own list, checked afresh
  const WordSlot& slot = dialog->slots.slots[1];
  std::string placed;
  for (int p = 0; p < slot.length; ++p) placed += dialog->grid.cellAt(slotCell(slot, p)).str;
  EXPECT_EQ(box()[0].substr(0, box()[0].find(' ')), test::u8(placed));
  EXPECT_TRUE(platform.timers.contains(IdWordChecks));

  const Lines shown = box();
  dialog->OnGridRightPress({20, 20});  // cell 0 blocked:  // an edit
  EXPECT_FALSE(platform.timers.contains(IdWordChecks));
  EXPECT_EQ(box(), shown);  // left as it was, like the list of any search
  press(IdUndo);            // the fill again: checked again
  EXPECT_TRUE(platform.timers.contains(IdWordChecks));

  press(IdSearchInOrder);  // the dictionary-order search lists its candidates as ever
  press(IdSearch);
  EXPECT_FALSE(platform.timers.contains(IdWordChecks));
  EXPECT_EQ(box(), (Lines{"アイウ"}));
}

// Never "no fill" after taking a checked word: on random grids, each word the list shows as
// checked, locked by a double click, leaves a grid the next search fills, by the checker.
TEST_F(WordsOfASlot, ACheckedWordTakenFromTheListLeavesAGridThatFills) {
  std::mt19937 random(2024);
  press(IdSearchFast);
  int taken = 0;
  for (int cases = 0; taken < 40 && cases < 400; ++cases) {
    const test::RandomPuzzle c = test::randomPuzzle(random);
    std::vector<std::string> utf8;
    for (const std::string& word : c.words) utf8.push_back(test::u8(word));
    useWords(utf8);
    dialog->grid = c.grid;
    dialog->slots.markStale();
    platform.messages.clear();
    press(IdSearch);
    if (!platform.messages.empty() || dialog->slots.slotCount == 0) continue;
    const int framed = static_cast<int>(random() % static_cast<unsigned>(dialog->slots.slotCount));
    for (int k = 0; k < framed; ++k) press(IdShowResult);
    checkAll();
    const Lines lines = box();
    const std::size_t line = random() % lines.size();
    ASSERT_EQ(lines[line].find("未確認"), std::string::npos);
    dialog->OnResultDoubleClick(static_cast<int>(line));
    ASSERT_TRUE(platform.messages.empty()) << lines[line];
    const PuzzleGrid locked = test::preparedGrid(dialog->grid);
    press(IdSearch);
    const std::string where = "case " + std::to_string(cases) + ", " + lines[line];
    EXPECT_TRUE(platform.messages.empty()) << where;
    EXPECT_EQ(test::checkFill(locked, dialog->grid, c.words, test::fillOrderOf(dialog->slots)),
              std::nullopt)
        << where;
    ++taken;
  }
  EXPECT_EQ(taken, 40);
}

// Only the words of the region were the engine's: the others' lists are the plain ones.
TEST_F(WordsOfASlot, ARegionSearchListsCandidatesWithoutChecks) {
  test::drawPicture(dialog->grid, {"アイウ", "カ#ド", "..."});
  for (int i = 0; i < CellCount; ++i) {
    if (dialog->grid.cellAt(i).flag == Fixed) dialog->grid.cellAt(i).flag = Open;
  }
  useWords(RingWords);
  dialog->selectCells({2, 1, 3, 3});
  press(IdSearchRegion);
  ASSERT_EQ(test::u8(dialog->grid.cellAt(PuzzleGrid::indexOf(2, 1)).str), "ク");
  for (int k = 0; k < 3; ++k) press(IdShowResult);  // the bottom row
  EXPECT_EQ(box(), (Lines{"サクラ", "ウミラ"}));
  EXPECT_FALSE(platform.timers.contains(IdWordChecks));
}

TEST_F(WordsOfASlot, ABannedWordLeavesListsAndFillsIsKeptInTheFileAndIsUndone) {
  test::drawPicture(dialog->grid, Ring);
  std::vector<std::string> more = RingWords;
  more.insert(more.end(), {"カモメ", "カラス", "メダカ", "スイカ"});  // a fill without アイウ
  useWords(more);
  press(IdSearchFast);
  press(IdSearch);
  checkAll();
  dialog->markSaved(folder.path("ring.crs"));
  platform.currentLines[IdResult] = 0;
  press(IdBanWord);  // the placed word, as Delete in the box or the menu item bans it
  EXPECT_EQ(status(), "使わない語にしました: アイウ  盤面にある語です。検索で埋め直せます");
  EXPECT_EQ(bansFile(), "アイウ\n");
  EXPECT_FALSE(dialog->gridUnsaved());  // the puzzle is as it was saved
  EXPECT_EQ(box()[0].find("アイウ"), std::string::npos);
  EXPECT_EQ(box().size(), topRowWords(more).size() - 1);

  const auto noneBanned = [this] {
    const std::vector<std::string> runs = test::runWords(dialog->grid);
    return std::find(runs.begin(), runs.end(), sj("アイウ")) == runs.end() &&
           std::find(runs.begin(), runs.end(), "") == runs.end();
  };
  press(IdSearch);  // both engines leave it out
  EXPECT_TRUE(noneBanned());
  press(IdSearchInOrder);
  press(IdSearch);
  EXPECT_TRUE(noneBanned());

  while (!dialog->bannedWords.empty() && dialog->history.canUndo()) press(IdUndo);
  EXPECT_EQ(bansFile(), "");
  EXPECT_EQ(box()[0], "アイウ 1位");
  press(IdRedo);
  EXPECT_EQ(bansFile(), "アイウ\n");

  platform.currentLines[IdResult] = 99;  // no such line: nothing is banned
  press(IdBanWord);
  EXPECT_EQ(dialog->bannedWords.words(), Lines{sj("アイウ")});
  platform.atPump(platform.pumps + 1, [this] { press(IdBanWord); });
  press(IdSearch);  // during a search the list is the last one's: no ban
  EXPECT_EQ(dialog->bannedWords.words(), Lines{sj("アイウ")});

  test::ScriptedPlatform next;
  MainDialog again(next, settings);
  again.OnInitDialog();
  EXPECT_EQ(again.bannedWords.words(), Lines{sj("アイウ")});
}

TEST_F(WordsOfASlot, TheBannedWordsBoxAllowsTheChosenOnesAgainAsOneStep) {
  const std::string path = dialog->bannedWordsPath();
  std::filesystem::create_directories(settings.folderPath);
  const std::string written = "アイウ\r\nサクラ\n\xF0\x9F\x98\x80\nウミラ\n";  // an emoji
  test::writeBytes(path, written);
  test::ScriptedPlatform startPlatform;
  MainDialog started(startPlatform, settings);
  started.OnInitDialog();
  EXPECT_EQ(started.bannedWords.words(), (Lines{sj("アイウ"), sj("サクラ"), sj("ウミラ")}));
  EXPECT_EQ(test::u8(startPlatform.statuses.back().text),
            "使わない語のファイル: 読めない 1 行を飛ばしました: ");
  EXPECT_EQ(startPlatform.statuses.back().path, path);
  EXPECT_EQ(test::readBytes(path + ".bak"), written);  // the author's lines, kept as written

  startPlatform.allowAnswers.push_back({sj("サクラ"), sj("ウミラ")});
  started.OnCommand(IdBannedWords);
  EXPECT_EQ(startPlatform.bannedListsShown,
            (std::vector<Lines>{{sj("アイウ"), sj("サクラ"), sj("ウミラ")}}));
  EXPECT_EQ(startPlatform.bannedPathsShown, Lines{path});
  EXPECT_EQ(started.bannedWords.words(), Lines{sj("アイウ")});
  EXPECT_EQ(test::readBytes(path), "アイウ\n");
  EXPECT_EQ(test::u8(startPlatform.statuses.back().text), "使えるようにしました: サクラ、ウミラ");
  started.OnCommand(IdBannedWords);  // closed without a choice: nothing changes
  EXPECT_EQ(test::readBytes(path), "アイウ\n");
  started.OnCommand(IdUndo);
  EXPECT_EQ(started.bannedWords.words(), (Lines{sj("アイウ"), sj("サクラ"), sj("ウミラ")}));

  // A folder that cannot be made: the ban holds for this run, and the author is told.
  test::writeBytes(folder.path("file"), "");
  settings.folderPath = folder.path("file") + "/config";
  test::ScriptedPlatform failing;
  MainDialog unsaved(failing, settings);
  unsaved.OnInitDialog();
  unsaved.resultText = sj("サクラ\r\n");
  unsaved.pushControls();
  unsaved.OnCommand(IdBanWord);
  EXPECT_EQ(unsaved.bannedWords.words(), Lines{sj("サクラ")});
  EXPECT_EQ(failing.messages, Lines{sj("使わない語を保存できませんでした")});
}

}  // namespace
}  // namespace vexilo
