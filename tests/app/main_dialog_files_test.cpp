#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/main_dialog.h"
#include "files/crossword_file.h"
#include "files/web_export.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;

struct FileCommands : ::testing::Test {
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
  test::TempFolder folder;

  void answer(const std::string& path) { platform.fileAnswers.emplace_back(path); }
};

TEST_F(FileCommands, DialogsAskForTheirFileTypes) {
  dialog->OpenCrosswordFile();
  dialog->SaveCrosswordFile();
  dialog->ExportPuzzleHtml();
  ASSERT_EQ(platform.fileRequests.size(), 3u);
  const std::string crosswordFilter =
      sj("ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs)|*.crs|ipuzﾌｧｲﾙ(*.ipuz)|*.ipuz|All Files (*.*)|*.*||");
  for (const FileDialogRequest& request : platform.fileRequests) {
    EXPECT_EQ(request.initialName, "CrossWord");
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_FALSE(request.overwritePrompt);
  }
  EXPECT_FALSE(platform.fileRequests[0].save);
  EXPECT_EQ(platform.fileRequests[0].defaultExtension, "crs");
  EXPECT_EQ(platform.fileRequests[0].filter,
            sj("ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs;*.ipuz)|*.crs;*.ipuz|All Files (*.*)|*.*||"));
  EXPECT_TRUE(platform.fileRequests[1].save);
  EXPECT_EQ(platform.fileRequests[1].defaultExtension, "crs");
  EXPECT_EQ(platform.fileRequests[1].filter, crosswordFilter);
  EXPECT_TRUE(platform.fileRequests[2].save);
  EXPECT_EQ(platform.fileRequests[2].defaultExtension, "html");
  EXPECT_EQ(platform.fileRequests[2].filter,
            sj("htmlﾌｧｲﾙ(*.html)|*.html|phpﾌｧｲﾙ(*.php)|*.php|All Files (*.*)|*.*||"));
}

TEST_F(FileCommands, CancellingChangesNothing) {
  test::drawPicture(dialog->grid, {"ア."});
  dialog->slots.slotsCurrent = true;
  dialog->OpenCrosswordFile();
  dialog->SaveCrosswordFile();
  dialog->ExportPuzzleHtml();
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 3), std::vector<std::string>{"ア.#"});
  EXPECT_TRUE(dialog->slots.slotsCurrent);
  EXPECT_TRUE(platform.invalidations.empty());
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(folder.names().empty());
}

// The file's form is the core's; the commands write it and read it back into the window.
TEST_F(FileCommands, SavedGridOpensAgain) {
  test::drawPicture(dialog->grid, {"ア..", ".*."});
  dialog->grid.cellAt(1).mark = 2;
  const PuzzleGrid saved = dialog->grid;
  answer(folder.path("puzzle.crs"));
  dialog->SaveCrosswordFile();
  EXPECT_EQ(test::readBytes(folder.path("puzzle.crs")), formatCrosswordFile(saved));

  dialog->grid.clearGrid();
  dialog->slots.slotsCurrent = true;
  answer(folder.path("puzzle.crs"));
  dialog->OpenCrosswordFile();
  EXPECT_EQ(formatCrosswordFile(dialog->grid), formatCrosswordFile(saved));
  EXPECT_EQ(dialog->grid.nextMark(), 3);
  EXPECT_FALSE(dialog->slots.slotsCurrent);
  ASSERT_EQ(platform.invalidations.size(), 1u);
  EXPECT_EQ(platform.invalidations[0].rect, platform.frame);
  EXPECT_FALSE(platform.invalidations[0].erase);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FileCommands, ExportWritesTheFormOfTheChosenExtension) {
  test::drawPicture(dialog->grid, {"ア."});
  answer(folder.path("page.PHP"));
  dialog->ExportPuzzleHtml();
  answer(folder.path("page.html"));
  dialog->ExportPuzzleHtml();
  EXPECT_EQ(test::readBytes(folder.path("page.PHP")), formatPage(dialog->grid, PageForm::Php));
  EXPECT_EQ(test::readBytes(folder.path("page.html")), formatPage(dialog->grid, PageForm::Html));
  EXPECT_TRUE(platform.messages.empty());
}

// What the core tells of a save or an export follows 保存しました in the status line.
TEST_F(FileCommands, NotesOfASaveOrAnExportAreShown) {
  test::drawPicture(dialog->grid, {".#ア"});
  dialog->grid.cellAt(2).str = std::string(600, 'z');
  dialog->grid.cellAt(0).mark = 0;
  dialog->grid.setNextMark(1);
  answer(folder.path("puzzle.crs"));
  dialog->SaveCrosswordFile();
  EXPECT_EQ(platform.statuses.back().text,
            sj("1行3列のセルの文字を 505 バイトに切って保存しました"));
  answer(folder.path("page.php"));
  dialog->ExportPuzzleHtml();
  EXPECT_EQ(platform.statuses.back().text,
            sj("1行1列のセルはどの語にも入らず空です。グループ 1 に文字がないので空で採点します"));
  EXPECT_EQ(platform.statuses.size(), 4u);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(FileCommands, FailuresAreShownAndLoseNothing) {
  test::drawPicture(dialog->grid, {"ア."});
  dialog->slots.slotsCurrent = true;
  answer(folder.path("missing.crs"));
  dialog->OpenCrosswordFile();
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Can't open CroosWord File"});
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 2), std::vector<std::string>{"ア."});
  EXPECT_TRUE(dialog->slots.slotsCurrent);
  EXPECT_TRUE(platform.invalidations.empty());

  std::filesystem::create_directory(folder.path("taken"));
  answer(folder.path("taken"));
  dialog->SaveCrosswordFile();
  EXPECT_EQ(platform.messages.back(), "Can't open CroosWord File");
  EXPECT_TRUE(std::filesystem::is_directory(folder.path("taken")));

  answer(folder.path("taken/nested/page.html"));
  dialog->ExportPuzzleHtml();
  EXPECT_EQ(platform.messages.back(), "Can't open CroosWord Html File");
  EXPECT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(folder.names(), std::vector<std::string>{"taken"});
}

TEST_F(FileCommands, StatusLineNamesTheFileLastOpenedOrSaved) {
  answer(folder.path("puzzle.crs"));
  dialog->SaveCrosswordFile();
  ASSERT_EQ(platform.statuses.size(), 1u);
  EXPECT_EQ(platform.statuses[0].text, sj("保存しました: "));
  EXPECT_EQ(platform.statuses[0].path, folder.path("puzzle.crs"));
  answer(folder.path("puzzle.crs"));
  dialog->OpenCrosswordFile();
  EXPECT_EQ(platform.statuses.back().text, sj("開きました: "));
  EXPECT_EQ(platform.statuses.back().path, folder.path("puzzle.crs"));
  answer(folder.path("page.html"));
  dialog->ExportPuzzleHtml();
  EXPECT_EQ(platform.statuses.back().text, sj("保存しました: "));
  EXPECT_EQ(platform.statuses.back().path, folder.path("page.html"));

  // A failure is told in its box, and the line names the file.
  answer(folder.path("missing.crs"));
  dialog->OpenCrosswordFile();
  EXPECT_EQ(platform.statuses.back().text, sj("開けませんでした: "));
  EXPECT_EQ(platform.statuses.back().path, folder.path("missing.crs"));
  answer(folder.path("no-folder/puzzle.crs"));
  dialog->SaveCrosswordFile();
  EXPECT_EQ(platform.statuses.back().text, sj("保存できませんでした: "));
  EXPECT_EQ(platform.statuses.back().path, folder.path("no-folder/puzzle.crs"));
  EXPECT_EQ(platform.messages.size(), 2u);
  dialog->SaveCrosswordFile();  // cancelled
  EXPECT_EQ(platform.statuses.size(), 5u);
}

}  // namespace
}  // namespace vexilo
