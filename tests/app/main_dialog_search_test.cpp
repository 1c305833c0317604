#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;

const std::vector<std::string> Ring = {"...", ".#.", "..."};

class SearchCommand : public ::testing::Test {
 protected:
  // Row 1 of the dictionary panel, enabled, naming a file with these Shift_JIS words.
  void useWords(const std::vector<std::string>& words, const std::string& name = "words.dic") {
    std::string bytes;
    for (const std::string& word : words) bytes += word + "\r\n";
    const std::string path = folder.path(name);
    test::writeBytes(path, bytes);
    platform.texts[IdDicPath1] = path;
    platform.checks[IdEnabled1] = true;
  }
  void press(int id) { dialog->OnCommand(id); }
  // Two words apart, one word for both: the second group has no fill.
  void searchTwoWordsApartWithOneWord() {
    dialog->grid.clearGrid();
    test::drawPicture(dialog->grid, {"..#.."});
    dialog->slots.markStale();
    useWords({sj("アイ")}, "one.dic");
    press(IdSearch);
  }
  std::string box() { return platform.texts[IdResult]; }
  std::vector<std::string> picture(int rows, int columns) {
    return test::pictureOf(dialog->grid, rows, columns);
  }
  void expectIdleAndNothingPlaced() {
    EXPECT_EQ(dialog->searchState, SearchIdle);
    EXPECT_EQ(platform.waitCursor, 0);
    for (const WordSlot& slot : dialog->slots.slots) EXPECT_FALSE(slot.placed);
  }

  test::TempFolder folder;
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
};

std::vector<std::string> ringWords() {
  std::vector<std::string> words;
  for (const char* w :
       {"アイウ", "アカサ", "サシス", "ウメオ", "サクラ", "ウドラ", "ウミラ", "ラクダ"}) {
    words.push_back(sj(w));
  }
  return words;
}

TEST_F(SearchCommand, WorkedExampleListsEachSlotInTurnAndContinuesOnTheNextPress) {
  test::drawPicture(dialog->grid, Ring);
  useWords(ringWords());
  press(IdSearch);
  EXPECT_EQ(box(), sj("アイウ\r\n"));
  EXPECT_EQ(picture(3, 3), (std::vector<std::string>{"アイウ", "カ#ド", "サクラ"}));
  const std::string path = platform.texts[IdDicPath1];
  platform.texts[IdDicPath1] = "typed.dic";  // put back by every listing
  platform.invalidations.clear();
  std::vector<std::string> shown;
  for (int n = 0; n < 4; ++n) {
    press(IdShowResult);
    shown.push_back(box());
  }
  EXPECT_EQ(platform.texts[IdDicPath1], path);
  EXPECT_EQ(platform.invalidations[0].rect, dialog->slotRect(0));  // the old frame goes
  EXPECT_EQ(platform.invalidations[1].rect, dialog->slotRect(1));
  EXPECT_TRUE(platform.invalidations[0].erase && platform.invalidations[1].erase);
  EXPECT_EQ(shown, (std::vector<std::string>{sj("サクラ\r\n"), sj("アカサ\r\n"),
                                             sj("ウドラ\r\nウミラ\r\n"), sj("アイウ\r\n")}));
  EXPECT_EQ(dialog->slots.currentSlot, 0);  // wrapped round

  press(IdSearch);  // nothing changed: the slots are kept and the ring has no further fill
  EXPECT_EQ(box(), "");
  EXPECT_EQ(picture(3, 3), Ring);
  EXPECT_EQ(platform.waitCursorBegins, 2);
  expectIdleAndNothingPlaced();
}

TEST_F(SearchCommand, SearchClearAndExitDuringASearchOnlyStopIt) {
  test::drawPicture(dialog->grid, Ring);
  test::drawPicture(dialog->grid, {"ア."}, 0, 5);  // constrained: its group is filled first
  std::vector<std::string> words = ringWords();
  words.push_back(sj("アア"));
  words.push_back(sj("アイ"));
  useWords(words);
  for (int id : {IdSearch, IdClear, IdOk}) {
    dialog->slots.markStale();  // each run from the beginning
    SearchState afterPress = SearchIdle;
    platform.atPump(platform.pumps + 3, [&] {  // the ring's first candidate
      press(id);
      afterPress = dialog->searchState;
    });
    press(IdSearch);
    EXPECT_EQ(afterPress, SearchCancelled) << id;
    EXPECT_EQ(box(), sj("アア\r\nアイ\r\n")) << id;  // the group finished first keeps its words
    EXPECT_EQ(picture(3, 7), (std::vector<std::string>{"...##アア", ".#.####", "...####"})) << id;
    expectIdleAndNothingPlaced();
  }
  EXPECT_EQ(platform.waitCursorBegins, 3);
  EXPECT_EQ(settings.writes, 0);
  EXPECT_FALSE(platform.endedWith.has_value());

  press(IdSearch);  // nothing changed: the stopped ring starts afresh
  EXPECT_EQ(picture(3, 3), (std::vector<std::string>{"アイウ", "カ#ド", "サクラ"}));
}

TEST_F(SearchCommand, ClosingDuringASearchEndsTheDialogAfterIt) {
  test::drawPicture(dialog->grid, Ring);
  useWords(ringWords());
  platform.atPump(1, [this] { dialog->OnCancel(); });
  press(IdSearch);
  EXPECT_EQ(platform.endedWith, IdCancel);
  expectIdleAndNothingPlaced();
}

TEST_F(SearchCommand, FailureInsideARunLeavesTheWindowIdle) {
  test::drawPicture(dialog->grid, Ring);
  useWords(ringWords());
  platform.atPump(2, [] { throw std::runtime_error("no memory"); });
  EXPECT_THROW(press(IdSearch), std::runtime_error);
  expectIdleAndNothingPlaced();

  press(IdSearch);  // not taken for a stop request
  EXPECT_EQ(platform.waitCursorBegins, 2);
  EXPECT_EQ(platform.waitCursor, 0);
  EXPECT_FALSE(platform.endedWith.has_value());

  // A close asked for during a run that fails still goes ahead, and only then.
  platform.atPump(platform.pumps + 1, [this] {
    dialog->OnCancel();
    throw std::runtime_error("no memory");
  });
  EXPECT_THROW(press(IdSearch), std::runtime_error);
  EXPECT_EQ(platform.endedWith, std::optional<int>(IdCancel));
  EXPECT_FALSE(dialog->closeRequested);
}

TEST_F(SearchCommand, GridWithoutSlotKeepsTheResultText) {
  dialog->design.rules = 0;  // the cells it breaks a rule with are not repainted after the grid
  test::drawPicture(dialog->grid, {".#.", "#.#"});
  useWords(ringWords());
  platform.texts[IdResult] = "earlier";
  press(IdSearch);
  EXPECT_EQ(box(), "earlier");
  EXPECT_EQ(dialog->slots.slotCount, 0);
  press(IdShowResult);
  EXPECT_EQ(box(), "earlier");
  EXPECT_EQ(platform.invalidations.back().rect, platform.frame);
}

TEST_F(SearchCommand, LongListsStopAtTheThousandAndSecondWord) {
  test::drawPicture(dialog->grid, {".."});
  auto lines = [](std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += sj("アイ\r\n");
    return text;
  };
  for (std::size_t count : {1001u, 1002u, 1003u}) {
    useWords(std::vector<std::string>(count, sj("アイ")), std::to_string(count) + ".dic");
    press(IdSearch);  // a leaf lists a word as often as the dictionaries hold it
    EXPECT_EQ(dialog->slots.slots[0].candidates.size(), count);
    EXPECT_EQ(box(), count == 1001 ? lines(1001) : lines(1002) + "too Many...") << count;
  }
}

TEST_F(SearchCommand, StatusLineFollowsTheSearchAndTellsHowItEnded) {
  test::drawPicture(dialog->grid, Ring);
  useWords(ringWords());
  platform.clockMs = 1000;
  std::vector<int> periods;
  platform.atPump(3, [this, &periods] {
    periods.push_back(platform.timers[IdProgressTimer]);
    platform.clockMs = 1250;
    dialog->OnTimer(IdProgressTimer);  // as the platform's timer does from the pump
    platform.clockMs = 1730;
  });
  press(IdSearch);
  EXPECT_EQ(periods, std::vector<int>{250});
  EXPECT_TRUE(platform.timers.empty());
  std::vector<std::string> texts;
  for (const auto& status : platform.statuses) texts.push_back(status.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       sj("辞書順検索中  0.0 秒  候補 0  配置 0"),
                       sj("辞書順検索中  0.2 秒  候補 6  配置 3"),
                       sj("辞書順検索: すべて埋まりました  0.7 秒"),
                   }));
  dialog->OnTimer(IdProgressTimer);  // a tick that comes late changes nothing
  EXPECT_EQ(platform.statuses.size(), 3u);

  platform.atPump(platform.pumps + 2, [this] { press(IdSearch); });
  press(IdSearch);
  EXPECT_EQ(platform.statuses.back().text, sj("辞書順検索: 中止しました  0.0 秒"));

  searchTwoWordsApartWithOneWord();
  EXPECT_EQ(platform.statuses.back().text,
            sj("辞書順検索: 2 グループ中 1 グループは埋まりません  0.0 秒"));
  EXPECT_EQ(platform.statuses.back().path, "");
}

TEST_F(SearchCommand, EachChangeOfACellIsDrawnOnceAndRewritesAsShownAreNot) {
  test::drawPicture(dialog->grid, Ring);
  useWords(ringWords());
  press(IdSearch);
  // Each drawing of a cell starts with its sunken edge; its letter, if any, follows.
  std::map<int, std::vector<std::string>> draws;  // the letters drawn, by cell
  int cell = -1;
  for (const test::DrawOp& op : platform.drawn) {
    if (op.kind == test::DrawOp::SunkenEdge) {
      cell = dialog->hitTest({op.rect.left + 1, op.rect.top + 1});
      draws[cell].emplace_back();
    } else if (op.kind == test::DrawOp::Text && op.font == DrawingContext::Font::Letters) {
      draws[cell].back() = op.text;
    }
  }
  int rewritten = 0;
  for (const auto& [index, letters] : draws) {
    for (std::size_t i = 1; i < letters.size(); ++i) {
      EXPECT_NE(letters[i], letters[i - 1]) << "cell " << index << ", drawing " << i;
    }
    EXPECT_EQ(letters.back(), dialog->grid.cellAt(index).str) << index;
    rewritten += letters.size() > 2 ? 1 : 0;
  }
  EXPECT_EQ(draws.size(), 8u);
  EXPECT_GT(rewritten, 0);  // letters did change more than once: the check above had work
}

TEST_F(SearchCommand, StatusLineTellsHowTheFastEngineEnded) {
  test::drawPicture(dialog->grid, Ring);
  useWords(ringWords());
  dialog->ChooseSearchEngine(SearchEngine::Fast);
  press(IdSearch);
  EXPECT_EQ(platform.statuses.front().text,
            sj("高速検索中  0.0 秒  決定 0  後戻り 0  再開 0  学習 0  配置 0"));
  EXPECT_EQ(platform.statuses.back().text,
            sj("高速検索: すべて埋まりました  最も珍しい語 6 位 (最善)  0.0 秒"));

  // While it works, the line counts the words the grid shows as they are drawn, not the words
  // of a fill it has not found yet.
  dialog->grid.clearGrid();
  test::drawPicture(dialog->grid, {"...#...", "...#...", "...#..."});  // a decision each
  dialog->slots.markStale();
  useWords({sj("アイカ"), sj("アイウ"), sj("カキク"), sj("サシス"), sj("アカサ"), sj("イキシ"),
            sj("ウクス"), sj("イイイ"), sj("タチナ"), sj("タチツ"), sj("ナニヌ"), sj("ハヒフ"),
            sj("タナハ"), sj("チニヒ"), sj("ツヌフ"), sj("チチチ")},
           "squares.dic");
  std::vector<std::string> shown;
  for (int k = 1; k <= 20; ++k) {
    platform.atPump(platform.pumps + k, [this, &shown] {
      dialog->OnTimer(IdProgressTimer);
      shown.push_back(platform.statuses.back().text);
    });
  }
  press(IdSearch);
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                          [](const std::string& line) { return !line.ends_with(sj("配置 0")); }));

  searchTwoWordsApartWithOneWord();  // the first part takes the word, the second has none
  EXPECT_EQ(platform.statuses.back().text,
            sj("高速検索: 2 グループ中 1 グループは埋まりません  妨げている語 1  0.0 秒"));
}

// Two rings without a word of three letters and a pair that fills: groups count as groups, the
// blocking words as words, and the time leaves out the boxes that waited for the author.
TEST_F(SearchCommand, StatusLineCountsGroupsAndLeavesOutTheTimeOfBoxes) {
  struct Case {
    SearchEngine engine;
    std::string told;
  };
  // The fast engine names every word of the rings: none has a word at all.
  const Case cases[] = {
      {SearchEngine::DictionaryOrder,
       "辞書順検索: 3 グループ中 2 グループは埋まりません  0.3 秒  辞書を開けませんでした: "},
      {SearchEngine::Fast,
       "高速検索: 3 グループ中 2 グループは埋まりません  妨げている語 8  0.3 秒  "
       "辞書を開けませんでした: "},
  };
  for (const Case& c : cases) {
    dialog->grid.clearGrid();
    test::drawPicture(dialog->grid, {"...#...", ".#.#.#.", "...#...", "#######", "..#####"});
    dialog->slots.markStale();
    dialog->ChooseSearchEngine(c.engine);
    useWords({sj("アイ")}, std::to_string(static_cast<int>(c.engine)) + ".dic");  // read anew
    platform.texts[IdDicPath2] = folder.path("missing.dic");  // its box waits during the run
    platform.checks[IdEnabled2] = true;
    platform.boxWaitMs = 5000;
    platform.atPump(platform.pumps + 1, [this] { platform.clockMs += 300; });
    press(IdSearch);
    EXPECT_EQ(platform.statuses.back().text, sj(c.told)) << static_cast<int>(c.engine);
    EXPECT_EQ(platform.statuses.back().path, folder.path("missing.dic"));
  }
}

// After undo the list, the frame and the line no longer tell of the search undone; after redo
// they tell of it again.
TEST_F(SearchCommand, UndoAndRedoShowTheSearchOfTheGridAsItNowIs) {
  test::drawPicture(dialog->grid, Ring);
  dialog->recordStep();
  useWords(ringWords());
  press(IdSearch);
  const std::string told = platform.statuses.back().text;
  ASSERT_EQ(box(), sj("アイウ\r\n"));

  press(IdUndo);
  EXPECT_EQ(picture(3, 3), (std::vector<std::string>{"...", ".#.", "..."}));
  EXPECT_EQ(box(), "");
  EXPECT_FALSE(dialog->slots.holds(dialog->slots.currentSlot));  // no frame
  EXPECT_EQ(platform.statuses.back().text, "");

  press(IdRedo);
  EXPECT_EQ(picture(3, 3), (std::vector<std::string>{"アイウ", "カ#ド", "サクラ"}));
  EXPECT_EQ(box(), sj("アイウ\r\n"));
  EXPECT_EQ(dialog->slots.currentSlot, 0);
  EXPECT_TRUE(dialog->slots.holds(0));
  EXPECT_EQ(platform.statuses.back().text, told);
  press(IdShowResult);
  EXPECT_EQ(box(), sj("サクラ\r\n"));
}

}  // namespace
}  // namespace vexilo
