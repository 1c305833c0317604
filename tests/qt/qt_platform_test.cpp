#include "ui/qt/qt_platform.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "app/main_dialog.h"
#include "qt_helpers.h"
#include "search/fill_search.h"
#include "support/grid_picture.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"
#include "support/temp_folder.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {
namespace {

using test::centreOf;
using test::sj;

struct WindowFixture : ::testing::Test {
  WindowFixture() : dialog(std::make_unique<MainDialog>(platform, store)) {
    platform.attach(*dialog);
    platform.window()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(platform.window()));
    // The grid has the keyboard at start and so frames its cursor cell, cell 0, which the
    // pictures of these tests leave out.
    platform.grid()->clearFocus();
    QCoreApplication::processEvents();
  }
  ~WindowFixture() override { platform.detach(); }

  template <class T>
  T* control(int id) {
    return qobject_cast<T*>(platform.window()->control(id));
  }
  QColor pixel(QPoint client) {
    return test::pixelAt(platform.grid()->image(), platform.grid()->origin(), client);
  }

  test::MemorySettingsStore store;
  QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
};

TEST_F(WindowFixture, WindowIsBuiltFromTemplate102) {
  TemplateDialog* window = platform.window();
  const DialogUnits& units = window->units();
  EXPECT_EQ(window->windowTitle().toStdString(), "Vexilo Version 1.16");
  window->resize(window->sizeHint());  // at the template's size, as the template draws it
  QCoreApplication::processEvents();
  EXPECT_EQ(window->clientArea()->size(), QSize(units.x(459), units.y(461)));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  control<QWidget>(IdDicPath1)->setFocus();  // a focused button is the default while it has it
  EXPECT_TRUE(control<QPushButton>(IdSearch)->isDefault());
  EXPECT_FALSE(control<QPushButton>(IdOk)->isDefault());
  EXPECT_EQ(control<QPushButton>(IdShowResult)->text().toStdString(), "結果表示");
  EXPECT_EQ(control<QCheckBox>(IdEnabled3)->geometry(), units.rect({14, 437, 33, 10}));
  EXPECT_EQ(control<QLineEdit>(IdDicPath2)->geometry(), units.rect({50, 412, 229, 14}));
  const QRect frame = units.rect({7, 7, 360, 356});
  EXPECT_EQ(platform.gridFrameRect(), (Rect{frame.left(), frame.top(), frame.left() + frame.width(),
                                            frame.top() + frame.height()}));
  // Tab order follows the template: Exit, the grid, (the group takes no focus), path 1, ...
  EXPECT_EQ(test::nextFocusable(control<QWidget>(IdOk)), control<QWidget>(IdGridFrame));
  EXPECT_EQ(test::nextFocusable(control<QWidget>(IdGridFrame)), control<QWidget>(IdDicPath1));
  EXPECT_EQ(test::nextFocusable(control<QWidget>(IdDicPath1)), control<QWidget>(IdBrowse1));
  EXPECT_EQ(test::nextFocusable(control<QWidget>(IdBrowse1)), control<QWidget>(IdClear));
  EXPECT_EQ(test::nextFocusable(control<QWidget>(IdDicPath2)), control<QWidget>(IdBrowse2));

  QStringList file;
  for (QAction* action : window->menu(0)->actions()) file << action->text();
  EXPECT_EQ(file.join(QLatin1Char('|')).toStdString(),
            "新規作成(&N)|自動作成(&G)|ファイルを開く(&O)|最近使ったファイル(&R)||上書き保存(&S)|"
            "ファイルに保存(&A)|html形式で保存(&W)|PDFに書き出し(&D)...|印刷(&P)...||"
            "パズルのプロパティ(&I)...||終了(&X)");
  const QList<QAction*> help = window->menu(static_cast<int>(mainMenu().size()) - 1)->actions();
  ASSERT_EQ(help.size(), 3);
  EXPECT_EQ(help[0]->text().toStdString(), "バージョン情報(&V)");
  EXPECT_EQ(help[2]->text().toStdString(), "Vexilo のﾊﾞｰｼﾞｮﾝ情報(&A)...");
}

TEST_F(WindowFixture, ControlTextsAreConvertedAtTheBoundaryOnly) {
  const std::string list = sj("アイウ") + "\r\n" + sj("ソ表") + "\r\ntoo Many...";
  platform.setControlText(IdResult, list);
  EXPECT_EQ(control<QPlainTextEdit>(IdResult)->toPlainText().toStdString(),
            "アイウ\nソ表\ntoo Many...");
  EXPECT_EQ(platform.controlText(IdResult), list);

  const std::string path = "/tmp/\xE8\xBE\x9E\xE6\x9B\xB8.dic";  // a UTF-8 file name: 辞書
  platform.setControlText(IdDicPath1, path);
  EXPECT_EQ(control<QLineEdit>(IdDicPath1)->text().toStdString(), "/tmp/辞書.dic");
  EXPECT_EQ(platform.controlText(IdDicPath1), path);

  control<QLineEdit>(IdDicPath3)->clear();
  QTest::keyClicks(control<QLineEdit>(IdDicPath3), QStringLiteral("a/b.dic"));
  EXPECT_EQ(platform.controlText(IdDicPath3), "a/b.dic");
  control<QPlainTextEdit>(IdResult)->setPlainText(QStringLiteral("x\U0001F600"));
  EXPECT_EQ(platform.controlText(IdResult), "x?");  // no code-page-932 form: "?"

  // Characters that the code page holds under two codes, and bytes of no character, come back
  // as written while nobody edits them.
  const std::string twice = "\xED\x40\x87\x90\r\n\xFA\x5C\x81\xE0\r\n\xA0\xFD";
  platform.setControlText(IdResult, twice);
  EXPECT_EQ(platform.controlText(IdResult), twice);
  platform.setControlText(IdDicPath2, "/tmp/\xFF.dic");
  EXPECT_EQ(platform.controlText(IdDicPath2), "/tmp/\xFF.dic");

  platform.setChecked(IdEnabled2, true);
  EXPECT_TRUE(control<QCheckBox>(IdEnabled2)->isChecked());
  QTest::mouseClick(control<QCheckBox>(IdEnabled2), Qt::LeftButton);
  EXPECT_FALSE(platform.isChecked(IdEnabled2));
}

TEST_F(WindowFixture, EnterInTheResultBoxPressesSearch) {
  control<QCheckBox>(IdEnabled1)->setChecked(true);
  auto* result = control<QPlainTextEdit>(IdResult);
  result->setFocus();
  QTest::keyClick(result, Qt::Key_Return);
  EXPECT_EQ(dialog->loaded.mask, 1);  // the search ran and took the check box in
  EXPECT_EQ(result->toPlainText(), QString());
}

// Which colour each kind of cell takes is drawCell's rule; here each primitive reaches the image.
TEST_F(WindowFixture, CellsArePaintedThroughTheDialog) {
  dialog->grid.cellAt(1) = {sj("ア"), Open, -1};
  dialog->grid.cellAt(3) = {sj("イ"), Fixed, 4};
  dialog->invalidateCell(-1);
  const GridGeometry view = dialog->geometry();
  const auto where = [&](const Rect& area, auto test) {
    return test::countWhere(platform.grid()->image(), platform.grid()->origin(), area, test);
  };
  const auto reddish = [](QColor c) { return c.red() - std::max(c.green(), c.blue()) > 60; };
  const auto dark = [](QColor c) { return c.red() + c.green() + c.blue() < 450; };
  const auto count = [&](int index, QColor colour) {
    return test::countColour(platform.grid()->image(), platform.grid()->origin(),
                             view.cellRect(index).inflated(-2), colour);
  };
  const Rect inner0 = view.cellRect(0).inflated(-2);
  EXPECT_EQ(count(0, QColor(128, 128, 128)), inner0.width() * inner0.height());  // a fill
  EXPECT_GT(where(view.cellRect(1), reddish), 10);                               // a letter
  const Rect inner3 = view.cellRect(3).inflated(-2);
  EXPECT_GT(where(Rect{inner3.left, inner3.top, inner3.left + 6, inner3.top + 9}, dark), 3);  // 5
  // A frame: the outline of column 4 is light blue.
  EXPECT_EQ(pixel({view.cellRect(4).left - 1, view.cellRect(4).top + 5}), QColor(192, 192, 255));

  dialog->grid.cellAt(0) = {"", Open, -1};
  dialog->drawCellNow(0);  // at once, with no painting in between
  EXPECT_EQ(count(0, QColor(255, 255, 255)), inner0.width() * inner0.height());
}

TEST_F(WindowFixture, ScrollBarsGiveTheScrollCodes) {
  for (int bar : {IdVerticalBar, IdHorizontalBar}) platform.setScrollRange(bar, 0, 31, 16);
  auto* vertical = control<QScrollBar>(IdVerticalBar);
  auto* horizontal = control<QScrollBar>(IdHorizontalBar);
  EXPECT_EQ(vertical->maximum(), 16);
  EXPECT_TRUE(vertical->isEnabled());

  vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(dialog->rowOffset, 1);
  vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);  // a page is 3 cells
  EXPECT_EQ(dialog->rowOffset, 4);
  EXPECT_EQ(vertical->value(), 4);
  vertical->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(dialog->rowOffset, 16);
  vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(dialog->rowOffset, 13);
  horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(dialog->colOffset, 0);

  horizontal->setSliderDown(true);
  horizontal->setSliderPosition(9);  // dragging the thumb
  EXPECT_EQ(dialog->colOffset, 9);
  horizontal->setSliderDown(false);
  EXPECT_EQ(dialog->colOffset, 9);
  EXPECT_EQ(horizontal->value(), 9);

  // A real click below the thumb pages down.
  horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
  QTest::mouseClick(horizontal, Qt::LeftButton, {}, QPoint(horizontal->width() - 30, 5));
  EXPECT_EQ(dialog->colOffset, 3);
  // The grid shows rows 13 on: its first visible cell is 13 * 32 + 3.
  EXPECT_EQ(dialog->hitTest({platform.gridFrameRect().left + 8, platform.gridFrameRect().top + 8}),
            13 * 32 + 3);
}

TEST_F(WindowFixture, BoxesAnswerAsTheirUserDid) {
  QWidget* main = platform.window();
  WordEntryData entry{sj("ア"), Across};
  test::whenModal(main, [](QWidget* box) {
    auto* edit = box->findChild<QLineEdit*>();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_TRUE(box->windowFlags() & Qt::FramelessWindowHint);
    edit->selectAll();
    test::typeText(edit, QStringLiteral("カ・＊"));
    QTest::mouseClick(box->findChildren<QRadioButton*>().at(1), Qt::LeftButton);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);  // OK, though no button is the default
  });
  EXPECT_TRUE(platform.runWordEntry(entry));
  EXPECT_EQ(entry.text, sj("カ・＊"));
  EXPECT_EQ(entry.direction, Down);

  WordEntryData escaped{sj("ア"), Across};
  test::whenModal(main, [](QWidget* box) {
    QTest::keyClicks(box->findChild<QLineEdit*>(), QStringLiteral("zz"));
    QTest::keyClick(box->findChild<QLineEdit*>(), Qt::Key_Escape);
  });
  EXPECT_FALSE(platform.runWordEntry(escaped));
  EXPECT_EQ(escaped.text, sj("ア"));

  WordEntryData kept{"\xED\x40", Across};  // 纊, which the code page also holds as FA 5C
  test::whenModal(
      main, [](QWidget* box) { QTest::keyClick(box->findChild<QLineEdit*>(), Qt::Key_Return); });
  EXPECT_TRUE(platform.runWordEntry(kept));
  EXPECT_EQ(kept.text, "\xED\x40");

  test::whenModal(main, [](QWidget* box) {
    EXPECT_EQ(box->windowTitle().toStdString(), "熟語登録");
    auto* ok = qobject_cast<QPushButton*>(box->focusWidget());
    ASSERT_NE(ok, nullptr);  // the focus starts on the first button
    EXPECT_EQ(ok->text().toStdString(), "登録");
    test::typeText(box->findChild<QLineEdit*>(), QStringLiteral("ｶﾞﾝ"));
    QTest::mouseClick(ok, Qt::LeftButton);
  });
  EXPECT_EQ(platform.runRegisterWord(), std::optional<std::string>(sj("ｶﾞﾝ")));
  test::whenModal(main, [](QWidget* box) {
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
      if (button->text() == QStringLiteral("ｷｬﾝｾﾙ")) QTest::mouseClick(button, Qt::LeftButton);
    }
  });
  EXPECT_EQ(platform.runRegisterWord(), std::nullopt);

  test::whenModal(main, [](QWidget* box) {
    EXPECT_EQ(box->windowTitle().toStdString(), "Vexiloのﾊﾞｰｼﾞｮﾝ情報");
    QStringList texts;
    for (QLabel* label : box->findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Japanese crossword puzzle builder")));
    QTest::keyClick(box, Qt::Key_Return);
  });
  platform.runAbout();

  test::whenModal(main, [](QWidget* box) {
    auto* message = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->windowTitle().toStdString(), "Vexilo");
    EXPECT_EQ(message->text().toStdString(), "Can't Open Dic File");
    EXPECT_EQ(message->buttons().size(), 1);
    message->buttons().first()->click();
  });
  platform.showMessage("Can't Open Dic File");

  NewPuzzleData size{"15", "9"};
  test::whenModal(main, [](QWidget* box) {
    EXPECT_EQ(box->windowTitle().toStdString(), "新規作成");
    auto* width = qobject_cast<QLineEdit*>(box->focusWidget());
    ASSERT_NE(width, nullptr);  // the width, selected, to be typed over
    EXPECT_EQ(width->selectedText().toStdString(), "15");
    test::typeText(width, QStringLiteral("７"));
    QTest::keyClick(width, Qt::Key_Return);
  });
  EXPECT_TRUE(platform.runNewPuzzle(size));
  EXPECT_EQ(size.width, sj("７"));
  EXPECT_EQ(size.height, "9");
}

TEST_F(WindowFixture, FileDialogsOfferTheFiltersAndAddTheExtension) {
  QTemporaryDir dir;
  FileDialogRequest request;
  request.save = true;
  request.initialName = "CrossWord";
  request.defaultExtension = "crs";
  request.filter = sj("ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs)") + "|*.crs|All Files (*.*)|*.*||";
  test::whenModal(platform.window(), [&dir](QWidget* box) {
    auto* files = qobject_cast<QFileDialog*>(box);
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->nameFilters().join(QLatin1Char('|')).toStdString(),
              "ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs)|All Files (*)");
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    EXPECT_EQ(name->text().toStdString(), "CrossWord");
    name->setText(dir.filePath(QStringLiteral("puzzle")));
    QTest::keyClick(name, Qt::Key_Return);
  });
  EXPECT_EQ(platform.askFileName(request), toPath(dir.filePath(QStringLiteral("puzzle.crs"))));

  request.save = false;
  request.initialName.clear();
  request.defaultExtension = "dic";
  test::whenModal(platform.window(), [&dir](QWidget* box) {
    auto* name = box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(dir.filePath(QStringLiteral("new.words")));  // need not exist; has an extension
    QTest::keyClick(name, Qt::Key_Return);
  });
  EXPECT_EQ(platform.askFileName(request), toPath(dir.filePath(QStringLiteral("new.words"))));

  test::whenModal(platform.window(), [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(platform.askFileName(request), std::nullopt);
}

TEST_F(WindowFixture, WaitCursorIsCountedAndClosingWaitsForTheSearch) {
  platform.beginWaitCursor();
  platform.beginWaitCursor();
  platform.endWaitCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  platform.endWaitCursor();
  platform.endWaitCursor();  // one too many does no harm
  // Taken back at the event loop, unless a search begins again first: set once, taken once.
  platform.beginWaitCursor();
  platform.endWaitCursor();
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  dialog->searchState = SearchRunning;  // a search is running: the close box only asks it to stop
  platform.window()->close();
  EXPECT_TRUE(platform.window()->isVisible());
  EXPECT_EQ(dialog->searchState, SearchCancelled);
  QTest::keyClick(platform.window(), Qt::Key_Escape);
  EXPECT_TRUE(platform.window()->isVisible());

  dialog->searchState = SearchIdle;
  QTest::keyClick(platform.window(), Qt::Key_Escape);
  EXPECT_FALSE(platform.window()->isVisible());
  EXPECT_EQ(platform.window()->result(), IdCancel);
}

TEST_F(WindowFixture, CellsDrawnAtOnceMatchThePaintedOnesPixelForPixel) {
  const std::vector<std::pair<int, NodeBox>> cells{{0, {sj("ア"), Open, -1}},
                                                   {1, {"", Star, -1}},
                                                   {4, {sj("イ"), Fixed, 11}},
                                                   {GridSize, {"", Block, -1}},
                                                   {GridSize + 1, {"", Open, 2}}};
  for (const auto& [index, cell] : cells) {
    dialog->grid.cellAt(index) = cell;
    dialog->drawCellNow(index);
  }
  const QImage drawn = platform.grid()->image().copy();
  // Cells apart make a region of several rectangles, painted through the painter's clip.
  for (const auto& [index, cell] : cells) platform.invalidate(dialog->cellRect(index), true);
  const QImage& painted = platform.grid()->image();
  for (const auto& [index, cell] : cells) {
    const Rect r = dialog->cellRect(index).inflated(1);  // with its outline
    const QRect area(r.left - platform.grid()->x(), r.top - platform.grid()->y(), r.width(),
                     r.height());
    EXPECT_EQ(drawn.copy(area), painted.copy(area)) << index;
  }
}

// As a search draws them: letters placed and taken back, the same letters in cells with and
// without the blue outline of every fifth row and column, and in a numbered group, with some
// painting in between. The grid then looks as a new window paints it.
TEST_F(WindowFixture, CellsRedrawnOverWhatTheyShowedMatchAFreshWindow) {
  const std::vector<int> open{2, 3, 4, 5, GridSize + 3, 4 * GridSize + 3, 5 * GridSize + 4};
  for (const int i : open) dialog->grid.makeOpen(i);
  dialog->grid.linkCells(5, 5 * GridSize + 4);
  dialog->grid.cellAt(2).flag = Star;
  dialog->invalidateCell(-1);
  (void)platform.grid()->image();
  const auto place = [&](int index, const char* text) {
    dialog->grid.cellAt(index).str = sj(text);
    dialog->drawCellNow(index);
  };
  std::mt19937 random(11);
  const char* letters[] = {"", "ア", "イ", "ン", "ア"};
  for (int step = 0; step < 200; ++step) {
    place(open[random() % open.size()], letters[random() % 5]);
    // Painted over now and then, as when a slot's frame moves.
    if (step % 50 == 25) platform.invalidate(dialog->cellRect(open[step % open.size()]), true);
  }
  for (const int i : open) place(i, letters[(i % 4) + 1]);

  test::MemorySettingsStore freshStore;
  QtPlatform fresh;
  MainDialog freshDialog(fresh, freshStore);
  fresh.attach(freshDialog);
  fresh.window()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(fresh.window()));
  fresh.grid()->clearFocus();  // no cursor cell, as in the first window
  QCoreApplication::processEvents();
  freshDialog.grid = dialog->grid;
  fresh.invalidate(fresh.gridFrameRect(), true);
  EXPECT_EQ(platform.grid()->image(), fresh.grid()->image());
  fresh.detach();
}

// The grid repainted as it stands (as at the end of every search) is not copied to the screen
// again; a changed cell is, and only it.
TEST_F(WindowFixture, RepaintingTheGridReachesTheScreenOnlyWhereItChanged) {
  dialog->grid.makeOpen(0);
  dialog->invalidateCell(-1);
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  const test::ScreenPaints screen(platform.grid());
  dialog->invalidateCell(-1);
  QCoreApplication::processEvents();
  EXPECT_TRUE(screen.region.isEmpty());

  dialog->grid.cellAt(0).str = sj("ア");
  dialog->invalidateCell(-1);
  QCoreApplication::processEvents();
  const Rect cell = dialog->cellRect(0).inflated(1);
  const QRect local(cell.left - platform.grid()->x(), cell.top - platform.grid()->y(), cell.width(),
                    cell.height());
  EXPECT_FALSE(screen.region.isEmpty());
  EXPECT_TRUE(local.contains(screen.region.boundingRect()));
}

TEST_F(WindowFixture, DraggedOutlineLeavesTheGridAsItWas) {
  for (const int i : {0, 1, 2, 3, GridSize, GridSize + 2}) dialog->grid.makeOpen(i);
  dialog->grid.cellAt(1).str = sj("ア");
  dialog->invalidateCell(-1);
  QCoreApplication::processEvents();
  // Two places apart repainted on an erased background, as when 結果表示 moves the slot frame:
  // the rest of the grid must stay as it was, also where the outline passes later.
  platform.invalidate(dialog->cellRect(2 * GridSize + 6), true);
  platform.invalidate(dialog->cellRect(6 * GridSize + 1), true);
  QCoreApplication::processEvents();
  GridWidget* grid = platform.grid();
  const GridGeometry view = dialog->geometry();
  const QPoint origin(grid->x(), grid->y());
  const QPoint from = centreOf(view.cellRect(0)) - origin;
  // Across four cells and down one, a few pixels at a time.
  QTimer drag;
  QObject::connect(&drag, &QTimer::timeout, grid, [&] {
    if (!grid->tracking()) return;
    drag.stop();
    const QPoint to = centreOf(view.cellRect(GridSize + 3)) - origin;
    for (int step = 1; step <= 12; ++step) {
      QTest::mouseMove(grid, from + (to - from) * step / 12);
      QCoreApplication::processEvents();  // shown on the way
    }
    QTest::mouseRelease(grid, Qt::LeftButton, {}, to);
  });
  drag.start(1);
  QTest::mousePress(grid, Qt::LeftButton, {}, from);
  drag.stop();
  ASSERT_FALSE(grid->tracking());
  EXPECT_EQ(dialog->grid.cellAt(0).mark, 0);  // the drag linked the two cells
  EXPECT_EQ(dialog->grid.cellAt(GridSize + 3).mark, 0);

  // Read back from the window's backing store: a new rendering (grab) would hide a place the
  // outline left that was never brought back to the screen.
  const auto shown = [&] {
    QCoreApplication::processEvents();
    const QPoint at = grid->mapTo(grid->window(), QPoint(0, 0));
    return grid->screen()
        ->grabWindow(grid->window()->winId(), at.x(), at.y(), grid->width(), grid->height())
        .toImage();
  };
  const QImage dragged = shown();
  platform.invalidate(platform.gridFrameRect(), true);
  const QImage fresh = shown();
  ASSERT_EQ(fresh.size(), grid->size());
  EXPECT_EQ(dragged, fresh);
}

// Gives a 5 by 5 open block and 20,000 random words of five katakana: no fill for a long time.
void prepareLongSearch(MainDialog& dialog) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> kana(0x8340, 0x8393);
  for (int w = 0; w < 20000; ++w) {
    std::string word;
    for (int i = 0; i < 5; ++i) {
      int code = kana(random);
      if ((code & 0xFF) == 0x7F) ++code;  // no character
      word += static_cast<char>(code >> 8);
      word += static_cast<char>(code & 0xFF);
    }
    dialog.wordIndex.addWord(word);
  }
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) dialog.grid.makeOpen(r * GridSize + c);
  }
}

TEST_F(WindowFixture, ClicksQueuedDuringASearchAreHandledAtTheNextDueDispatch) {
  // The pump's clock advances 1 us per candidate tested: dispatches fall every 5,000.
  platform.setPumpClock([this] { return std::chrono::microseconds(dialog->candidatesTested); });
  prepareLongSearch(*dialog);
  struct Handled {
    int id;
    std::uint64_t candidates;
    std::int32_t searchState;
  };
  std::vector<Handled> handled;
  const auto queueClick = [this](int id) {
    QMetaObject::invokeMethod(control<QPushButton>(id), &QAbstractButton::click,
                              Qt::QueuedConnection);
  };
  for (const int id : {IdShowResult, IdClear, IdSearch}) {
    // Connected after the window's own wiring: runs once the handler returned.
    QObject::connect(control<QPushButton>(id), &QAbstractButton::clicked, platform.window(),
                     [this, id, &handled, &queueClick] {
                       handled.push_back({id, dialog->candidatesTested, dialog->searchState});
                       if (id == IdShowResult) queueClick(IdClear);
                     });
  }
  constexpr std::uint64_t Late = DispatchPacer<>::MaxStride;  // candidates between clock reads

  queueClick(IdShowResult);
  dialog->RunSearch();
  ASSERT_EQ(handled.size(), 2u);
  EXPECT_EQ(handled[0].id, IdShowResult);
  EXPECT_EQ(handled[0].searchState, SearchRunning);
  EXPECT_GE(handled[0].candidates, 5000u);
  EXPECT_LE(handled[0].candidates, 5000u + Late);
  EXPECT_EQ(dialog->slots.currentSlot, 0);  // listed again by the search's end
  EXPECT_EQ(handled[1].id, IdClear);        // queued by the first: handled at the dispatch after
  EXPECT_EQ(handled[1].searchState, SearchCancelled);  // Clear only stopped the search
  EXPECT_GE(handled[1].candidates, handled[0].candidates + 5000u);
  EXPECT_LE(handled[1].candidates, handled[0].candidates + 5000u + Late);
  EXPECT_LE(dialog->candidatesTested, handled[1].candidates + 1);  // it stopped at once

  queueClick(IdSearch);
  const std::uint64_t before = dialog->candidatesTested;
  dialog->slots.slotsCurrent = 0;
  dialog->RunSearch();
  ASSERT_EQ(handled.size(), 3u);
  EXPECT_EQ(handled[2].id, IdSearch);
  EXPECT_EQ(handled[2].searchState, SearchCancelled);
  EXPECT_GE(handled[2].candidates, handled[1].candidates + 5000u);
  EXPECT_LE(handled[2].candidates, std::max(before, handled[1].candidates + 5000u) + Late);
  EXPECT_EQ(dialog->searchState, SearchIdle);
}

TEST_F(WindowFixture, StatusLineUnderTheControlsShowsTheSearch) {
  QWidget* client = platform.window()->clientArea();
  QLabel* status = nullptr;
  for (QLabel* label : platform.window()->findChildren<QLabel*>()) {
    if (label->parentWidget() == platform.window()) status = label;
  }
  ASSERT_NE(status, nullptr);
  EXPECT_GE(status->y(), client->geometry().bottom());
  EXPECT_EQ(status->width(), client->width());
  EXPECT_EQ(platform.window()->height(), status->geometry().bottom() + 1);

  // During a long search the line shows its figures, refreshed by a timer that runs in the
  // pump's dispatches; a Search pressed later stops it.
  prepareLongSearch(*dialog);
  QString during;
  QTimer::singleShot(600, platform.window(), [&] {
    during = status->text();
    QTest::mouseClick(control<QPushButton>(IdSearch), Qt::LeftButton);
  });
  dialog->RunSearch();
  QCoreApplication::processEvents();  // shown at the next dispatch
  EXPECT_TRUE(during.startsWith(QStringLiteral("辞書順検索中  "))) << during.toStdString();
  EXPECT_FALSE(during.contains(QStringLiteral("候補 0  "))) << during.toStdString();
  EXPECT_TRUE(status->text().startsWith(QStringLiteral("辞書順検索: 中止しました  ")));

  dialog->grid.clearGrid();
  for (const int i : {0, 1, 3, 4}) dialog->grid.makeOpen(i);
  dialog->slots.markStale();
  dialog->wordIndex.addWord(sj("アイ"));
  dialog->RunSearch();
  QCoreApplication::processEvents();
  EXPECT_TRUE(status->text().startsWith(
      QStringLiteral("辞書順検索: 2 グループ中 1 グループは埋まりません  ")));
  dialog->grid.makeBlock(3);
  dialog->grid.makeBlock(4);
  dialog->slots.markStale();
  dialog->RunSearch();
  QCoreApplication::processEvents();
  EXPECT_TRUE(status->text().startsWith(QStringLiteral("辞書順検索: すべて埋まりました  ")));
  EXPECT_EQ(status->text(), platform.statusText());
}

TEST_F(WindowFixture, DoubleClickOnAListedWordLocksItIntoTheFramedSlot) {
  test::TempFolder folder;
  test::writeBytes(folder.path("w.dic"), sj("アオス\r\nアイウ\r\nアカサ\r\n"));
  dialog->OnInitDialog();
  control<QLineEdit>(IdDicPath1)->setText(QString::fromStdString(folder.path("w.dic")));
  test::drawPicture(dialog->grid, {"..サ", ".##", "ス##"});
  dialog->OnCommand(IdSearch);  // the across word is framed: アイウ does not fit its given サ
  auto* box = control<QPlainTextEdit>(IdResult);
  ASSERT_EQ(box->toPlainText().toStdString(), "アカサ\n");
  const auto doubleClickLine = [box](int line) {
    const QTextCursor at(box->document()->findBlockByNumber(line));
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, {}, box->cursorRect(at).center());
  };

  doubleClickLine(0);
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 3), std::vector<std::string>{"アカサ"});
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Fixed);

  dialog->OnCommand(IdShowResult);  // the down word
  box->setPlainText(QStringLiteral("イオス"));
  std::string refusal;
  test::whenModal(platform.window(), [&refusal](QWidget* shown) {
    auto* message = qobject_cast<QMessageBox*>(shown);
    ASSERT_NE(message, nullptr);
    refusal = message->text().toStdString();
    message->buttons().first()->click();
  });
  doubleClickLine(0);
  EXPECT_EQ(refusal, "The word does not match the given letters");

  dialog->OnCommand(IdSearch);
  EXPECT_EQ(test::pictureOf(dialog->grid, 3, 3),
            (std::vector<std::string>{"アカサ", "オ##", "ス##"}));
}

// The list of a fast fill is checked while the window waits: the chosen entry keeps the cursor
// and stands out, and Delete bans its word.
TEST_F(WindowFixture, ListedWordsAreCheckedInPlaceAndDeleteBansTheChosenOne) {
  test::TempFolder folder;
  store.folderPath = folder.path("config");
  test::writeBytes(folder.path("w.dic"),
                   sj("アイウ\r\nアカサ\r\nサシス\r\nウメオ\r\nサクラ\r\nウドラ\r\n"
                      "ウミラ\r\nラクダ\r\nカモメ\r\nカラス\r\nメダカ\r\nスイカ\r\n"));
  dialog->OnInitDialog();
  control<QLineEdit>(IdDicPath1)->setText(QString::fromStdString(folder.path("w.dic")));
  test::drawPicture(dialog->grid, {"...", ".#.", "..."});
  dialog->OnCommand(IdSearchFast);
  dialog->OnCommand(IdSearch);
  auto* box = control<QPlainTextEdit>(IdResult);
  ASSERT_TRUE(box->toPlainText().startsWith(QStringLiteral("アイウ 1位\nアカサ 2位 未確認\n")));
  const QTextBlock chosen = box->document()->findBlockByNumber(8);
  ASSERT_EQ(chosen.text(), QStringLiteral("カモメ 9位 未確認"));
  QTest::mouseClick(box->viewport(), Qt::LeftButton, {},
                    box->cursorRect(QTextCursor(chosen)).center());
  const auto checked = [box] {
    for (int turns = 0; turns < 500 && box->toPlainText().contains(QStringLiteral("未確認"));
         ++turns) {
      QTest::qWait(5);
    }
    return box->toPlainText();
  };
  EXPECT_EQ(checked(), QStringLiteral("アイウ 1位\nアカサ 2位\nカモメ 9位\nカラス 10位\n"));
  EXPECT_EQ(box->textCursor().block().text(), QStringLiteral("カモメ 9位"));
  ASSERT_EQ(box->extraSelections().size(), 1);
  EXPECT_EQ(box->extraSelections().front().cursor.blockNumber(), 2);

  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_EQ(dialog->bannedWords.words(), std::vector<std::string>{sj("カモメ")});
  EXPECT_EQ(checked(), QStringLiteral("アイウ 1位\nアカサ 2位\n"));  // カラス needs カモメ
}

TEST_F(WindowFixture, TheBannedWordsBoxAllowsTheWordsSelectedThere) {
  dialog->OnInitDialog();
  dialog->setBannedWords({sj("アイウ"), sj("サクラ"), sj("ウミラ")});
  test::whenModal(platform.window(), [](QWidget* shown) {
    auto* list = shown->findChild<QListWidget*>(QStringLiteral("bannedWords"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("サクラ"));
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    for (QAbstractButton* button : shown->findChildren<QAbstractButton*>()) {
      if (button->text() == QStringLiteral("使えるようにする")) button->click();
    }
  });
  platform.window()->action(IdBannedWords)->trigger();
  EXPECT_EQ(dialog->bannedWords.words(), std::vector<std::string>{sj("アイウ")});
}

TEST_F(WindowFixture, WheelScrollsRowsAndShiftWheelColumns) {
  dialog->OnInitDialog();
  const auto turn = [this](int notches, Qt::KeyboardModifiers modifiers) {
    const QPointF at(20, 20);
    QWheelEvent wheel(at, platform.grid()->mapToGlobal(at), QPoint(), QPoint(0, notches * 120),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(platform.grid(), &wheel);
  };
  const int lines = QApplication::wheelScrollLines();
  turn(-1, Qt::NoModifier);  // towards the user: down
  EXPECT_EQ(dialog->rowOffset, lines);
  EXPECT_EQ(control<QScrollBar>(IdVerticalBar)->value(), lines);
  turn(-2, Qt::ShiftModifier);
  EXPECT_EQ(dialog->colOffset, 2 * lines);
  EXPECT_EQ(control<QScrollBar>(IdHorizontalBar)->value(), 2 * lines);
  turn(1, Qt::NoModifier);
  EXPECT_EQ(dialog->rowOffset, 0);
}

TEST_F(WindowFixture, UndoAndRedoAreGreyedOutUntilThereIsSomethingToTakeBack) {
  dialog->OnInitDialog();
  QAction* undo = platform.window()->action(IdUndo);
  QAction* redo = platform.window()->action(IdRedo);
  EXPECT_EQ(undo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))}));
  EXPECT_EQ(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                                    QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
  EXPECT_FALSE(undo->isEnabled());
  ASSERT_TRUE(QTest::qWaitForWindowActive(platform.window()));
  dialog->grid.makeOpen(0);
  dialog->history.reset(dialog->grid);
  const Point origin = platform.grid()->origin();
  const QPoint cell0 = centreOf(dialog->cellRect(0)) - QPoint(origin.x, origin.y);
  QTest::mouseClick(platform.grid(), Qt::RightButton, {}, cell0);
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Block);
  EXPECT_TRUE(undo->isEnabled());
  auto* box = control<QPlainTextEdit>(IdResult);  // the focus after a word was locked
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);  // the box has no typing to undo
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Open);
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(redo->isEnabled());
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Block);

  auto* path = control<QLineEdit>(IdDicPath1);  // typing of its own is undone first
  path->setFocus();
  QTest::keyClicks(path, QStringLiteral("a"));
  QTest::keyClick(path, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(path->text(), QString());
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Block);
  QTest::keyClick(path, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(dialog->grid.cellAt(0).flag, Open);
}

TEST_F(WindowFixture, GridKeysAndTypedTextReachTheGridAlone) {
  dialog->OnInitDialog();
  dialog->ChooseSymmetry(Symmetry::None);
  ASSERT_TRUE(QTest::qWaitForWindowActive(platform.window()));
  GridWidget* grid = platform.grid();
  control<QLineEdit>(IdDicPath1)->setFocus();
  const Point origin = grid->origin();
  QTest::mouseClick(grid, Qt::RightButton, {},
                    centreOf(dialog->cellRect(33)) - QPoint(origin.x, origin.y));
  EXPECT_TRUE(grid->hasFocus());  // a click gives the grid the focus
  QTest::keyClick(grid, Qt::Key_Left);
  QTest::keyClick(grid, Qt::Key_Up);
  QTest::keyClick(grid, Qt::Key_Right);
  EXPECT_EQ(dialog->design.cursor, 1);
  const Rect cursor = dialog->cellRect(1);
  EXPECT_EQ(pixel({cursor.left, cursor.top}), toQColor(CursorMark));

  test::typeText(grid, QStringLiteral("ア"));
  QInputMethodEvent composing(QStringLiteral("いう"), {});
  QApplication::sendEvent(grid, &composing);
  EXPECT_EQ(dialog->grid.cellAt(2).flag, Block);  // nothing before the text is committed
  QInputMethodEvent committed;
  committed.setCommitString(QStringLiteral("イウ"));
  QApplication::sendEvent(grid, &committed);
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 5), (std::vector<std::string>{"#アイウ#"}));

  QTest::keyClick(grid, Qt::Key_Tab);  // across to down, and the focus stays
  EXPECT_TRUE(grid->hasFocus());
  EXPECT_EQ(dialog->design.direction, Down);
  QTest::keyClick(grid, Qt::Key_Space);
  EXPECT_EQ(dialog->grid.cellAt(4).flag, Open);
  QTest::keyClick(grid, Qt::Key_Left);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 5), (std::vector<std::string>{"#アイ.."}));
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);  // the menu's keys still work
  EXPECT_EQ(test::pictureOf(dialog->grid, 1, 5), (std::vector<std::string>{"#アイウ."}));

  EXPECT_EQ(control<QLineEdit>(IdDicPath1)->text(), QString());
  EXPECT_EQ(control<QPlainTextEdit>(IdResult)->toPlainText(), QString());
}

}  // namespace
}  // namespace vexilo::qt
