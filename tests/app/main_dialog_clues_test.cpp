#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/main_dialog.h"
#include "files/crossword_file.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::DrawOp;
using test::sj;

struct ClueCommands : ::testing::Test {
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog = std::make_unique<MainDialog>(platform, settings);
  test::TempFolder folder;

  ClueCommands() {
    dialog->OnInitDialog();
    dialog->ChooseSymmetry(Symmetry::None);  // edits here change one cell each
    test::drawPicture(dialog->grid, {"...", ".#.", "..."});
    dialog->recordStep();
  }
  Point centre(int cell) {
    const Rect r = dialog->cellRect(cell);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

TEST_F(ClueCommands, AnEditIsOneStepThatUndoTakesBack) {
  dialog->OnClueEdited({0, Across}, sj("はじめ"));
  ASSERT_EQ(platform.cluePanels.back().across.at(0).text, sj("はじめ"));
  EXPECT_EQ(platform.cluePanels.back().across.at(0).label, sj("ア"));
  EXPECT_EQ(platform.cluePanels.back().across.at(0).word, sj("・・・"));
  dialog->OnClueEdited({0, Across}, sj("つぎ"));
  dialog->OnCommand(IdUndo);
  EXPECT_EQ(dialog->clues.textOf({0, Across}), sj("はじめ"));
  EXPECT_EQ(platform.cluePanels.back().across.at(0).text, sj("はじめ"));
  dialog->OnCommand(IdUndo);
  EXPECT_FALSE(dialog->clues.hasTexts());
  dialog->OnCommand(IdRedo);
  EXPECT_EQ(dialog->clues.textOf({0, Across}), sj("はじめ"));
}

TEST_F(ClueCommands, ACluesWordThatGoesIsShownAside) {
  dialog->OnClueEdited({2 * GridSize, Across}, sj("下"));
  dialog->OnGridRightPress(centre(2 * GridSize + 1));  // cuts the bottom word
  const CluePanelData& panel = platform.cluePanels.back();
  ASSERT_EQ(panel.aside.size(), 1u);
  EXPECT_EQ(panel.aside[0].text, sj("下"));
  EXPECT_EQ(panel.aside[0].label, sj("横 3行1列"));
  EXPECT_EQ(panel.across.size(), 1u);
  dialog->OnCommand(IdUndo);
  EXPECT_TRUE(platform.cluePanels.back().aside.empty());
}

TEST_F(ClueCommands, SelectionFollowsBothWays) {
  dialog->OnClueSelected({2, Down});
  std::vector<DrawOp> ops;
  test::RecordingContext dc(ops);
  dialog->OnPaint(dc, platform.frame);
  const Rect framed = dialog->geometry().slotRect(2, 0, 3, Down);
  EXPECT_TRUE(std::ranges::any_of(ops, [&](const DrawOp& op) {
    return op.kind == DrawOp::Frame && op.rect == framed && op.color == ClueFrame;
  }));

  dialog->OnGridPress(centre(2 * GridSize + 1));  // in the bottom word only
  ASSERT_FALSE(platform.clueSelections.empty());
  EXPECT_EQ(platform.clueSelections.back(), (ClueKey{2 * GridSize, Across}));
  dialog->OnGridPress(centre(2 * GridSize));  // the same word's first cell: down there
  EXPECT_EQ(platform.clueSelections.back(), (ClueKey{0, Down}));
}

TEST_F(ClueCommands, PropertiesAreAStepAndRenumber) {
  PuzzleProperties properties;
  properties.title = sj("春のパズル");
  properties.numbering = Numbering::Sequence;
  platform.propertiesAnswers.push_back(properties);
  dialog->OnCommand(IdPuzzleProperties);
  EXPECT_EQ(dialog->clues.properties, properties);
  EXPECT_EQ(dialog->labelOf(2 * GridSize), "3");
  dialog->OnCommand(IdUndo);
  EXPECT_EQ(dialog->clues.properties, PuzzleProperties{});
  EXPECT_EQ(dialog->labelOf(2 * GridSize), sj("イ"));
}

TEST_F(ClueCommands, IpuzKeepsTheCluesAndACrosswordFileSaysItDoesNot) {
  dialog->OnClueEdited({0, Down}, sj("たて"));
  platform.fileAnswers.emplace_back(folder.path("p.ipuz"));
  dialog->OnCommand(IdSaveFile);
  platform.fileAnswers.emplace_back(folder.path("p.crs"));
  dialog->OnCommand(IdSaveFile);
  platform.fileAnswers.emplace_back(folder.path("p.crs"));
  dialog->OnCommand(IdSaveFile);
  ASSERT_EQ(platform.messages.size(), 1u);  // once per puzzle
  EXPECT_EQ(platform.messages[0],
            "A crossword file keeps the grid only: the clues and the puzzle's properties are "
            "kept in ipuz files (.ipuz)");
  EXPECT_EQ(dialog->clues.textOf({0, Down}), sj("たて"));  // nothing lost

  dialog->OnCommand(IdClear);
  EXPECT_FALSE(dialog->clues.hasTexts());
  platform.fileAnswers.emplace_back(folder.path("p.ipuz"));
  dialog->OnCommand(IdOpenFile);
  EXPECT_EQ(dialog->clues.textOf({0, Down}), sj("たて"));
  EXPECT_EQ(test::pictureOf(dialog->grid, 3, 3), (std::vector<std::string>{"...", ".#.", "..."}));

  test::writeBytes(folder.path("bad.ipuz"), "{\"kind\": []}");
  platform.fileAnswers.emplace_back(folder.path("bad.ipuz"));
  dialog->OnCommand(IdOpenFile);
  EXPECT_EQ(platform.messages.back(),
            "Can't open ipuz File: the document is no ipuz crossword (\"kind\")");
  EXPECT_EQ(dialog->clues.textOf({0, Down}), sj("たて"));
}

TEST_F(ClueCommands, CluesOutliveExitAndStart) {
  dialog->OnClueEdited({0, Down}, sj("たて"));
  dialog->clues.properties.author = sj("私");
  dialog->OnCommand(IdOk);
  test::ScriptedPlatform next;
  MainDialog again(next, settings);
  again.OnInitDialog();
  EXPECT_EQ(again.clues, dialog->clues);
}

}  // namespace
}  // namespace vexilo
