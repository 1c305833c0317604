#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
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
using Picture = std::vector<std::string>;

const Picture Ring = {"...", ".#.", "..."};

class FastSearchCommand : public ::testing::Test {
 protected:
  FastSearchCommand() { dialog->OnInitDialog(); }

  void useWords(const std::vector<std::string>& utf8) {
    std::string bytes;
    words.clear();
    for (const std::string& word : utf8) {
      words.push_back(sj(word));
      bytes += words.back() + "\r\n";
    }
    test::writeBytes(folder.path("words.dic"), bytes);
    platform.texts[IdDicPath1] = folder.path("words.dic");
    platform.checks[IdEnabled1] = true;
  }
  void press(int id) { dialog->OnCommand(id); }
  std::string box() { return test::u8(platform.texts[IdResult]); }
  Picture picture(int rows, int columns) { return test::pictureOf(dialog->grid, rows, columns); }
  std::vector<test::DrawOp> paint() {
    std::vector<test::DrawOp> ops;
    test::RecordingContext dc(ops);
    dialog->OnPaint(dc, dialog->gridFrameRect());
    return ops;
  }
  std::vector<Rect> framesIn(const std::vector<test::DrawOp>& ops, Color color) {
    std::vector<Rect> frames;
    for (const test::DrawOp& op : ops) {
      if (op.kind == test::DrawOp::Frame && op.color == color) frames.push_back(op.rect);
    }
    return frames;
  }
  void expectIdle() {
    EXPECT_EQ(dialog->searchState, SearchIdle);
    EXPECT_EQ(platform.waitCursor, 0);
  }

  test::TempFolder folder;
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
  std::vector<std::string> words;
};

const std::vector<std::string> RingWords = {"アイウ", "アカサ", "サシス", "ウメオ",
                                            "サクラ", "ウドラ", "ウミラ", "ラクダ"};

TEST_F(FastSearchCommand, TheMenuChoiceIsShownKeptAtExitAndReadAtStart) {
  EXPECT_TRUE(platform.checks[IdSearchInOrder]);
  EXPECT_FALSE(platform.checks[IdSearchFast]);
  platform.texts[IdDicPath1] = "typed.dic";  // not yet pulled: choosing leaves it alone
  press(IdSearchFast);
  EXPECT_EQ(dialog->searchEngine, SearchEngine::Fast);
  EXPECT_FALSE(platform.checks[IdSearchInOrder]);
  EXPECT_TRUE(platform.checks[IdSearchFast]);
  EXPECT_EQ(platform.texts[IdDicPath1], "typed.dic");
  press(IdOk);
  EXPECT_EQ(settings.readInt("Search", "Engine", -1), 1);

  test::ScriptedPlatform next;
  MainDialog again(next, settings);
  again.OnInitDialog();
  EXPECT_EQ(again.searchEngine, SearchEngine::Fast);
  EXPECT_TRUE(next.checks[IdSearchFast]);
  again.OnCommand(IdSearchInOrder);
  again.OnCommand(IdOk);
  EXPECT_EQ(settings.readInt("Search", "Engine", -1), 0);

  settings.writeInt("Search", "Engine", 7);  // no such engine: the default
  MainDialog third(next, settings);
  third.OnInitDialog();
  EXPECT_EQ(third.searchEngine, SearchEngine::DictionaryOrder);
}

// The threads of the fast search: the stored count, one per core for 0 or none stored.
TEST_F(FastSearchCommand, TheStoredThreadCountLimitsTheFastSearchAndIsKeptAtExit) {
  const int cores = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
  const struct {
    int stored;
    int used;
    int kept;
  } cases[] = {{3, 3, 3}, {0, cores, 0}, {-4, cores, 0}, {-1000, cores, 0}};
  EXPECT_EQ(dialog->fastFill.threadCount(), cores);  // nothing stored
  for (const auto& c : cases) {
    settings.writeInt("Search", "Threads", c.stored);
    test::ScriptedPlatform next;
    MainDialog again(next, settings);
    again.OnInitDialog();
    EXPECT_EQ(again.fastFill.threadCount(), c.used) << c.stored;
    again.OnCommand(IdOk);
    EXPECT_EQ(settings.readInt("Search", "Threads", 99), c.kept) << c.stored;
  }
}

TEST_F(FastSearchCommand, EachSearchShowsAFillNotShownBeforeUntilNoneIsLeft) {
  test::drawPicture(dialog->grid, Ring);
  const PuzzleGrid start = dialog->grid;
  useWords(RingWords);
  press(IdSearchFast);
  press(IdSearch);
  expectIdle();
  EXPECT_EQ(test::checkFill(start, dialog->grid, words, test::fillOrderOf(dialog->slots)),
            std::nullopt);
  EXPECT_EQ(dialog->slots.currentSlot, 0);
  const WordSlot& first = dialog->slots.slots[0];
  std::string placed;
  for (int p = 0; p < first.length; ++p) placed += dialog->grid.cellAt(slotCell(first, p)).str;
  EXPECT_EQ(platform.texts[IdResult].substr(0, placed.size() + 1), placed + " ");
  EXPECT_GT(dialog->decisions, 0U);
  EXPECT_EQ(framesIn(paint(), SlotFrame), std::vector<Rect>{dialog->slotRect(0)});
  press(IdShowResult);
  EXPECT_EQ(dialog->slots.currentSlot, 1);

  std::set<Picture> shown = {picture(3, 3)};
  const Picture firstFill = picture(3, 3);
  while (platform.messages.empty()) {
    press(IdSearch);
    if (!platform.messages.empty()) break;
    EXPECT_EQ(test::checkFill(start, dialog->grid, words, test::fillOrderOf(dialog->slots)),
              std::nullopt);
    EXPECT_TRUE(shown.insert(picture(3, 3)).second);
  }
  EXPECT_GE(shown.size(), 2U);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{sj("ほかに埋められる組み合わせはありません")});
  EXPECT_EQ(picture(3, 3), Ring);
  EXPECT_EQ(box(), "");
  press(IdSearch);  // afresh
  EXPECT_EQ(picture(3, 3), firstFill);
}

TEST_F(FastSearchCommand, NoFillFramesAndListsTheSlotsThatBlockIt) {
  test::drawPicture(dialog->grid, {"キ.*", "#.#", "#.#"});
  useWords({"アイウ", "イイイ"});
  press(IdSearchFast);
  press(IdSearch);
  expectIdle();
  EXPECT_EQ(platform.messages, std::vector<std::string>{sj("埋められる組み合わせがありません")});
  EXPECT_EQ(box(), "横 1行1列 3文字 キ・＊: 0語\r\n");
  EXPECT_EQ(picture(3, 3), (Picture{"キ.*", "#.#", "#.#"}));
  EXPECT_EQ(framesIn(paint(), BlockingFrame), std::vector<Rect>{dialog->slotRect(0)});
  EXPECT_TRUE(framesIn(paint(), SlotFrame).empty());

  test::drawPicture(dialog->grid, {"ア"});
  dialog->slots.markStale();
  press(IdSearch);
  EXPECT_EQ(picture(3, 3), (Picture{"アイウ", "#イ#", "#イ#"}));
  const std::vector<test::DrawOp> ops = paint();
  EXPECT_TRUE(framesIn(ops, BlockingFrame).empty());
  EXPECT_EQ(framesIn(ops, test::RecordingContext::ButtonFace).front(), dialog->slotRect(0));
}

TEST_F(FastSearchCommand, SearchPressedDuringTheRunStopsItWithNoLetterLeft) {
  test::drawPicture(dialog->grid, Ring);
  useWords(RingWords);
  press(IdSearchFast);
  platform.atPump(platform.pumps + 1, [this] { press(IdSearch); });
  press(IdSearch);
  expectIdle();
  EXPECT_EQ(picture(3, 3), Ring);
  EXPECT_EQ(box(), "");
  EXPECT_TRUE(platform.messages.empty());
  press(IdSearch);
  EXPECT_NE(picture(3, 3), Ring);
}

// The grid shows each better fill as it comes, the progress its rarest word's rank; a stop
// keeps the best one found, told as not proven.
TEST_F(FastSearchCommand, EachBetterFillIsShownAndAStopKeepsTheBestFound) {
  test::drawPicture(dialog->grid, {".....", ".#.#.", ".....", ".#.#.", "....."});
  const PuzzleGrid start = dialog->grid;
  std::vector<std::string> utf8;
  const char* kana[] = {"ア", "イ", "ウ", "エ"};
  std::mt19937 random(5);
  for (int i = 0; i < 400; ++i) {
    std::string word;
    for (int j = 0; j < 5; ++j) word += kana[random() % 4];
    utf8.push_back(word);
  }
  useWords(utf8);
  const auto ranks = test::ranksOf(words);
  press(IdSearchFast);
  dialog->fastFill.settings.threads = 1;  // several show only the best at each pump
  std::vector<Picture> fills;             // as shown, each better than the one before
  std::function<void()> watch = [&] {
    const std::vector<std::string> runs = test::runWords(dialog->grid);
    if (std::find(runs.begin(), runs.end(), "") == runs.end() &&
        (fills.empty() || picture(5, 5) != fills.back())) {
      EXPECT_EQ(test::worstRank(dialog->grid, ranks), dialog->progress.worstRank);
      if (!fills.empty()) {
        EXPECT_LT(dialog->progress.worstRank,
                  test::worstRank(test::gridFromPicture(fills.back()), ranks));
      }
      fills.push_back(picture(5, 5));
      if (fills.size() == 2) press(IdSearch);  // stop
    }
    platform.atPump(platform.pumps + 1, watch);
  };
  platform.atPump(1, watch);
  press(IdSearch);
  expectIdle();
  ASSERT_EQ(fills.size(), 2U);
  EXPECT_EQ(picture(5, 5), fills.back());
  EXPECT_EQ(test::checkFill(start, dialog->grid, words, test::fillOrderOf(dialog->slots)),
            std::nullopt);
  EXPECT_EQ(test::u8(platform.statuses.back().text),
            "高速検索: 中止しました  最も珍しい語 " +
                std::to_string(test::worstRank(dialog->grid, ranks)) +
                " 位 (最善かは未証明)  0.0 秒");
}

// Letters as a search left them: Open cells holding letters.
void writeSearchLetters(PuzzleGrid& grid, const Picture& rows) {
  test::drawPicture(grid, rows);
  for (int i = 0; i < CellCount; ++i) {
    if (grid.cellAt(i).flag == Fixed) grid.cellAt(i).flag = Open;
  }
}

TEST_F(FastSearchCommand, ARegionSearchFillsTheSelectedWordsAroundTheLettersOutside) {
  writeSearchLetters(dialog->grid, {"アイウ", "カ#ド", "..."});
  dialog->recordStep();
  useWords(RingWords);
  EXPECT_FALSE(platform.commandsEnabled[IdSearchRegion]);
  dialog->selectCells({2, 1, 3, 3});  // row 3, columns 2 and 3
  EXPECT_TRUE(platform.commandsEnabled[IdSearchRegion]);
  press(IdSearchRegion);
  expectIdle();
  EXPECT_EQ(picture(3, 3), (Picture{"アイウ", "カ#ド", "サクラ"}));
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Open);
  EXPECT_EQ(platform.statuses.back().text.substr(0, 10), sj("高速検索: "));

  press(IdUndo);  // the search was one step
  EXPECT_EQ(picture(3, 3), (Picture{"アイウ", "カ#ド", "..."}));

  dialog->grid.cellAt(PuzzleGrid::indexOf(1, 2)).str = sj("オ");  // no word starts ウオ
  press(IdSearchRegion);
  EXPECT_EQ(platform.messages, std::vector<std::string>{sj("埋められる組み合わせがありません")});
  EXPECT_EQ(picture(3, 3), (Picture{"アイウ", "カ#オ", "..."}));
  EXPECT_EQ(framesIn(paint(), BlockingFrame).size(), 1U);

  dialog->selectCells({1, 1, 2, 2});  // the black cell alone
  press(IdSearchRegion);
  EXPECT_EQ(platform.messages.back(), "The selected cells hold no word to fill");
  EXPECT_EQ(picture(3, 3), (Picture{"アイウ", "カ#オ", "..."}));
}

}  // namespace
}  // namespace vexilo
