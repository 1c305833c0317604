#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "files/crossword_file.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;

struct Session : ::testing::Test {
  Session() {
    settings.folderPath = folder.path("config");
    start();
  }
  // A run of the program over the same store, as after the window was closed and opened again.
  void start() {
    platform = std::make_unique<test::ScriptedPlatform>();
    dialog = std::make_unique<MainDialog>(*platform, settings);
    dialog->samplesFolder = folder.path("samples");
    dialog->OnInitDialog();
  }
  std::string puzzle(const char* name) {
    PuzzleGrid grid;
    test::drawPicture(grid, {"..", ".."});
    const std::string path = folder.path(name);
    saveCrosswordFile(path, grid);
    return path;
  }
  void press(int id) { dialog->OnCommand(id); }
  // Opens a cell of row 0, or makes it black.
  void openCell(int index) { dialog->OnGridPress({20 + 33 * index, 20}); }
  void blockCell(int index) { dialog->OnGridRightPress({20 + 33 * index, 20}); }

  test::TempFolder folder;
  test::MemorySettingsStore settings;
  std::unique_ptr<test::ScriptedPlatform> platform;
  std::unique_ptr<MainDialog> dialog;
};

TEST_F(Session, ClosingOpeningOrMakingAGridOverUnsavedChangesAsksFirst) {
  const std::string file = puzzle("a.crs");
  dialog->OnCancel();  // nothing changed: no question
  EXPECT_TRUE(platform->questions.empty());
  EXPECT_EQ(platform->endedWith, IdCancel);

  start();
  openCell(0);
  platform->questionAnswers = {false, false, false};
  dialog->OnCancel();
  platform->fileAnswers.emplace_back(file);
  press(IdOpenFile);
  EXPECT_FALSE(dialog->mayDiscardChanges(UnsavedQuestion::New));
  EXPECT_EQ(platform->questions,
            (std::vector<std::string>{sj("変更を保存せずに終了しますか？"),
                                      sj("変更を保存せずにファイルを開きますか？"),
                                      sj("変更を保存せずに新規作成しますか？")}));
  EXPECT_FALSE(platform->endedWith.has_value());  // いいえ keeps the window, the grid...
  EXPECT_TRUE(platform->fileRequests.empty());    // ...and asks for no file
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Open);

  press(IdUndo);  // back to the grid at start: nothing to lose
  dialog->OnCancel();
  EXPECT_EQ(platform->questions.size(), 3u);
  EXPECT_EQ(platform->endedWith, IdCancel);

  // A dictionary path typed since the store was read is lost by closing, not by opening.
  start();
  platform->texts[IdDicPath2] = "typed.dic";
  platform->fileAnswers.emplace_back(file);
  press(IdOpenFile);
  EXPECT_TRUE(platform->questions.empty());
  platform->questionAnswers = {true};
  dialog->OnCancel();
  EXPECT_EQ(platform->questions.size(), 1u);
  EXPECT_EQ(platform->endedWith, IdCancel);
}

TEST_F(Session, SaveOverWritesTheFileLastOpenedOrSavedAndTheTitleFollows) {
  platform->fileAnswers.emplace_back(folder.path("new.crs"));
  press(IdSaveOver);  // no file yet: asks for a name, as ファイルに保存 does
  ASSERT_EQ(platform->fileRequests.size(), 1u);
  EXPECT_TRUE(platform->fileRequests[0].save);
  EXPECT_EQ(platform->titles.back().fileName, "new.crs");
  EXPECT_FALSE(platform->titles.back().unsaved);

  const std::string file = puzzle("b.crs");
  platform->fileAnswers.emplace_back(file);
  press(IdOpenFile);
  blockCell(1);
  EXPECT_EQ(platform->titles.back().fileName, "b.crs");
  EXPECT_TRUE(platform->titles.back().unsaved);
  press(IdSaveOver);
  EXPECT_EQ(platform->fileRequests.size(), 2u);  // no dialog this time
  PuzzleGrid saved;
  ASSERT_TRUE(loadCrosswordFile(file, saved));
  EXPECT_EQ(test::pictureOf(saved, 1, 2), (std::vector<std::string>{".#"}));
  EXPECT_FALSE(platform->titles.back().unsaved);
  dialog->OnCancel();
  EXPECT_TRUE(platform->questions.empty());
}

TEST_F(Session, RecentFilesAndTheFolderLastUsedAreKeptInTheStore) {
  EXPECT_EQ(dialog->dialogFolder(), "");  // no folder used, no samples' folder yet
  std::filesystem::create_directory(folder.path("samples"));
  press(IdOpenFile);  // cancelled
  EXPECT_EQ(platform->fileRequests.back().folder, folder.path("samples"));

  std::filesystem::create_directory(folder.path("work"));
  for (int n = 0; n < 10; ++n) {
    const std::string name = "work/" + std::to_string(n) + ".crs";
    platform->fileAnswers.emplace_back(puzzle(name.c_str()));
    press(n % 2 == 0 ? IdOpenFile : IdSaveFile);
  }
  press(IdOpenFile);  // cancelled
  EXPECT_EQ(platform->fileRequests.back().folder, folder.path("work"));
  press(IdRecentFile1 + 3);  // 6.crs comes first again
  std::vector<std::string> expected;
  for (int n : {6, 9, 8, 7, 5, 4, 3, 2}) {
    expected.push_back(folder.path("work/" + std::to_string(n) + ".crs"));
  }
  EXPECT_EQ(dialog->recentFiles, expected);
  EXPECT_EQ(platform->recentShown, expected);

  start();
  EXPECT_EQ(platform->recentShown, expected);
  press(IdOpenFile);  // cancelled
  EXPECT_EQ(platform->fileRequests.back().folder, folder.path("work"));
}

TEST_F(Session, WindowSizeIsKeptAtEveryCloseAndGivenBackAtStart) {
  platform->size = {900, 700};
  dialog->OnCancel();
  dialog->OnClosed();
  start();
  EXPECT_EQ(platform->size.width, 900);
  EXPECT_EQ(platform->size.height, 700);
}

TEST_F(Session, RecoveryFileHoldsUnsavedWorkAndIsOfferedOnce) {
  const std::string recovery = folder.path("config/Vexilo.recovery.ipuz");
  dialog->OnTimer(IdRecoveryOffer);  // nothing left behind: nothing asked
  EXPECT_EQ(platform->timers[IdRecoveryTimer], 60000);
  dialog->OnTimer(IdRecoveryTimer);
  EXPECT_FALSE(std::filesystem::exists(recovery));  // nothing unsaved

  for (const int cell : {0, 1, 2}) openCell(cell);
  dialog->OnClueEdited({0, Across}, sj("花"));
  dialog->OnTimer(IdRecoveryTimer);
  ASSERT_TRUE(std::filesystem::exists(recovery));
  // The program ends without a clean exit; the next run offers the grid back.
  start();
  EXPECT_EQ(dialog->grid.cellAt(2).flag, Block);
  platform->questionAnswers = {true};
  dialog->OnTimer(IdRecoveryOffer);
  EXPECT_EQ(
      platform->questions,
      (std::vector<std::string>{sj("保存せずに終わった前回の盤面があります。復元しますか？")}));
  EXPECT_EQ(dialog->grid.cellAt(2).flag, Open);
  EXPECT_EQ(dialog->clues.textOf({0, Across}), sj("花"));  // the clues come back with it
  EXPECT_TRUE(dialog->gridUnsaved());
  dialog->OnClosed();  // a clean exit
  EXPECT_FALSE(std::filesystem::exists(recovery));

  dialog->OnTimer(IdRecoveryTimer);  // the recovered grid is still unsaved
  start();
  platform->questionAnswers = {false};  // refused: gone for good
  dialog->OnTimer(IdRecoveryOffer);
  EXPECT_EQ(dialog->grid.cellAt(2).flag, Block);
  EXPECT_FALSE(std::filesystem::exists(recovery));
}

TEST_F(Session, ALargerViewShowsMoreCellsAndScrollsNoFurtherThanTheLast) {
  dialog->OnVScroll(ScrollBottom, 0);
  EXPECT_EQ(dialog->rowOffset, 16);
  platform->shown = {24, 20};
  dialog->OnGridResized();
  EXPECT_EQ(dialog->rowOffset, 12);  // row 31 stays the last one shown
  EXPECT_EQ(platform->scrollBars[IdVerticalBar].page, 20);
  EXPECT_EQ(platform->scrollBars[IdHorizontalBar].page, 24);
  EXPECT_EQ(platform->scrollBars[IdVerticalBar].position, 12);
  dialog->OnHScroll(ScrollPageDown, 0);
  dialog->OnHScroll(ScrollPageDown, 0);
  dialog->OnHScroll(ScrollPageDown, 0);
  EXPECT_EQ(dialog->colOffset, 8);
  EXPECT_EQ(dialog->hitTest({dialog->gridFrameRect().right - 1, 20}), 8 + 23 + 12 * GridSize);
}

}  // namespace
}  // namespace vexilo
