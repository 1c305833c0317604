#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vexilo
