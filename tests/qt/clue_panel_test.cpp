#include "ui/qt/clue_panel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main_dialog.h"
#include "qt_helpers.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "ui/qt/image_context.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {
namespace {

using test::sj;

struct CluePanelWindow : ::testing::Test {
  CluePanelWindow() : dialog(std::make_unique<MainDialog>(platform, store)) {
    platform.attach(*dialog);
    dialog->OnInitDialog();
    dialog->ChooseSymmetry(Symmetry::None);
    test::drawPicture(dialog->grid, {"...", ".#.", "..."});
    dialog->recordStep();
    platform.window()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(platform.window()));
  }
  ~CluePanelWindow() override { platform.detach(); }

  test::MemorySettingsStore store;
  QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
};

TEST_F(CluePanelWindow, EditsAClueThatUndoTakesBackAndSelectsBothWays) {
  QTableWidget* across = platform.cluePanel()->table(Across);
  ASSERT_EQ(across->rowCount(), 2);
  EXPECT_EQ(across->item(0, 0)->text(), QStringLiteral("ア"));
  EXPECT_EQ(across->item(1, 1)->text(), QStringLiteral("・・・"));

  // Typed into the clue's cell as a user does: a key starts the editor, Enter ends it.
  across->setFocus();
  across->setCurrentCell(0, 2);
  QTest::keyClick(across, Qt::Key_F2);
  auto* editor = across->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("春の花"));
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the editor's text is committed from the event queue
  EXPECT_EQ(dialog->clues.textOf({0, Across}), sj("春の花"));

  platform.window()->action(IdUndo)->trigger();
  EXPECT_FALSE(dialog->clues.hasTexts());
  EXPECT_EQ(across->item(0, 2)->text(), QString());

  // A row frames its word; a press in the grid selects the row of the word there.
  QTableWidget* down = platform.cluePanel()->table(Down);
  down->setCurrentCell(1, 0);
  EXPECT_EQ(dialog->selectedWord, (ClueKey{2, Down}));
  GridWidget* grid = platform.grid();
  const QPoint at =
      test::centreOf(dialog->cellRect(2 * GridSize + 1)) - QPoint(grid->x(), grid->y());
  QTimer release;  // the press drags the cell's outline until the button goes up
  QObject::connect(&release, &QTimer::timeout, grid, [&] {
    if (!grid->tracking()) return;
    release.stop();
    QTest::mouseRelease(grid, Qt::LeftButton, {}, at);
  });
  release.start(1);
  QTest::mousePress(grid, Qt::LeftButton, {}, at);
  EXPECT_EQ(dialog->selectedWord, (ClueKey{2 * GridSize, Across}));
  EXPECT_EQ(across->currentRow(), 1);
  EXPECT_TRUE(down->selectedItems().isEmpty());
}

TEST(ClueLabels, KanaInTheSmallFontAreDrawnAsKana) {
  QFont numbers;
  numbers.setPointSizeF(7.0);
  GlyphCache glyphs(QFont(), numbers);
  const QFontMetrics metrics(numbers);
  EXPECT_EQ(glyphs.extent(sj("3イ"), DrawingContext::Font::Numbers).width,
            metrics.horizontalAdvance(QStringLiteral("3イ")));
}

TEST_F(CluePanelWindow, TheViewMenuHidesThePanelAndTheWindowFitsALaptop) {
  EXPECT_TRUE(platform.cluePanel()->isVisible());
  EXPECT_LE(platform.window()->frameGeometry().width(), 1366);
  platform.window()->action(IdCluePanel)->trigger();
  EXPECT_FALSE(platform.cluePanel()->isVisible());
  EXPECT_FALSE(platform.window()->action(IdCluePanel)->isChecked());
}

}  // namespace
}  // namespace vexilo::qt
