#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "app/main_dialog.h"
#include "app/puzzle_app.h"
#include "files/crossword_file.h"
#include "qt_helpers.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "support/temp_folder.h"
#include "ui/qt/qt_settings_store.h"
#include "ui/qt/qt_shell.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {
namespace {

using test::sj;

constexpr QSize Laptop(1366, 728);  // 1366 by 768 less a panel of 40 pixels
constexpr int TitleBar = 40;        // a window manager's title bar and frame

// The program starts as on a first run.
void forgetUserStore() {
  QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/Orvik/Vexilo.conf"));
}

// Runs the program as main() does, on the user's store; act drives the open window.
void runProgram(const std::function<void(QtPlatform&)>& act) {
  QtShell shell;
  PuzzleApp app(shell);
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(shell.qtPlatform().window()));
    act(shell.qtPlatform());
  });
  EXPECT_EQ(app.InitInstance(), 0);
}

// The main window on a store of its own, with the dialog at hand; ends without OnClosed, as a
// crash would.
struct Session {
  explicit Session(const QString& storeFile) : store(storeFile) {
    dialog = std::make_unique<MainDialog>(platform, store);
    platform.attach(*dialog);
    dialog->OnInitDialog();
    platform.window()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(platform.window()));
  }
  ~Session() { platform.detach(); }

  QtSettingsStore store;
  QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
};

// Presses the button with this text in the next question box, wherever it comes from.
void answerNextQuestion(const QString& button) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    for (QAbstractButton* choice : box->buttons()) {
      if (choice->text() == button) choice->click();
    }
  });
  timer->start();
}

void clickCell(QtPlatform& platform, int index) {
  GridWidget* grid = platform.grid();
  const QPoint at =
      test::centreOf(
          GridGeometry{platform.gridFrameRect(), 0, 0, platform.visibleCells()}.cellRect(index)) -
      QPoint(grid->x(), grid->y());
  QTest::mousePress(grid, Qt::RightButton, {}, at);  // a right press makes it black: no drag
  QTest::mouseRelease(grid, Qt::RightButton, {}, at);
}

std::string writePuzzle(const test::TempFolder& folder, const char* name) {
  PuzzleGrid grid;
  test::drawPicture(grid, {"..", ".."});
  const std::string path = folder.path(name);
  EXPECT_TRUE(saveCrosswordFile(path, grid));
  return path;
}

TEST(WindowSession, DefaultWindowFitsALaptopUnderAJapaneseLocaleWithJapaneseDialogs) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  forgetUserStore();
  runProgram([](QtPlatform& platform) {
    TemplateDialog* window = platform.window();
    const QSize outer = window->frameGeometry().size() + QSize(0, TitleBar);
    EXPECT_LE(outer.width(), Laptop.width());
    EXPECT_LE(outer.height(), Laptop.height());
    EXPECT_LE(window->minimumSizeHint().height() + TitleBar, Laptop.height());
    auto* status = window->findChild<QLabel*>(QStringLiteral("statusLine"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(window->rect().contains(QRect(status->mapTo(window, QPoint()), status->size())));
    EXPECT_EQ(QApplication::focusWidget(), platform.grid());  // not 終了, which Enter would press

    // Qt's own texts follow the locale.
    QString buttons;
    test::whenModal(window, [&buttons](QWidget* box) {
      for (QAbstractButton* button : box->findChild<QDialogButtonBox*>()->buttons()) {
        buttons += button->text() + QLatin1Char('|');
      }
      QTest::keyClick(box, Qt::Key_Escape);
    });
    platform.askFileName(FileDialogRequest{});
    EXPECT_TRUE(buttons.contains(QStringLiteral("開く"))) << buttons.toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("キャンセル"))) << buttons.toStdString();
    QTest::mouseClick(qobject_cast<QAbstractButton*>(window->control(IdOk)), Qt::LeftButton);
  });
  QLocale::setDefault(QLocale::c());
  loadQtTranslations(QLocale());
}

TEST(WindowSession, ResizingScalesTheCellsAndALargeWindowShowsTheWholeGrid) {
  QTemporaryDir dir;
  Session session(dir.filePath(QStringLiteral("store.conf")));
  TemplateDialog* window = session.platform.window();
  const auto resized = [&](QSize size) {
    window->resize(size);
    QApplication::processEvents();
    return session.dialog->cellRect(0);
  };
  session.dialog->grid.cellAt(0) = {sj("ア"), Fixed, -1};  // black on white
  const auto inked = [&] {
    return test::countWhere(session.platform.grid()->image(), session.platform.grid()->origin(),
                            session.dialog->cellRect(0).inflated(-2),
                            [](QColor c) { return c.red() + c.green() + c.blue() < 200; });
  };
  const Rect smallest = resized(window->minimumSizeHint());
  const int smallLetter = inked();
  const Rect larger = resized(window->minimumSizeHint() + QSize(80, 80));
  EXPECT_GT(larger.width(), smallest.width());
  EXPECT_GT(larger.height(), smallest.height());
  EXPECT_EQ(session.platform.visibleCells(), (GridShape{16, 16}));
  EXPECT_GE(smallest.height() + 6, 24);  // a cell's pitch is at least 24 pixels

  const Rect whole = resized({2400, 2400});
  EXPECT_EQ(session.platform.visibleCells(), (GridShape{32, 32}));
  EXPECT_GT(whole.width(), larger.width());
  EXPECT_GT(inked(), smallLetter * 2);  // cells of the largest pitch, letters of their size
  EXPECT_FALSE(qobject_cast<QScrollBar*>(window->control(IdVerticalBar))->isEnabled());
  const Rect last = session.dialog->cellRect(CellCount - 1);
  EXPECT_TRUE(session.dialog->gridFrameRect().contains({last.right - 1, last.bottom - 1}));
}

TEST(WindowSession, CtrlSWritesTheFileOpened) {
  test::TempFolder folder;
  const std::string path = writePuzzle(folder, "puzzle.crs");
  Session session(QString::fromStdString(folder.path("store.conf")));
  ASSERT_TRUE(session.dialog->openCrosswordFile(path));
  clickCell(session.platform, 0);
  EXPECT_TRUE(session.platform.window()->windowTitle().startsWith(QStringLiteral("*puzzle.crs")));
  QTest::keyClick(session.platform.grid(), Qt::Key_S, Qt::ControlModifier);
  PuzzleGrid saved;
  ASSERT_TRUE(loadCrosswordFile(path, saved));
  EXPECT_EQ(saved.cellAt(0).flag, Block);  // with its mirror cell, when 対称 asks for one
  EXPECT_EQ(formatCrosswordFile(saved), formatCrosswordFile(session.dialog->grid));
  EXPECT_EQ(session.platform.window()->windowTitle().toStdString(),
            "puzzle.crs - Vexilo Version 1.16");
}

TEST(WindowSession, RecentFilesSurviveExitAndStart) {
  test::TempFolder folder;
  const std::string first = writePuzzle(folder, "first.crs");
  const std::string second = writePuzzle(folder, "second.crs");
  forgetUserStore();
  runProgram([&](QtPlatform& platform) {
    MainDialog& dialog = platform.dialog();
    ASSERT_TRUE(dialog.openCrosswordFile(first));
    ASSERT_TRUE(dialog.openCrosswordFile(second));
    QTest::mouseClick(qobject_cast<QAbstractButton*>(platform.window()->control(IdOk)),
                      Qt::LeftButton);
  });
  runProgram([&](QtPlatform& platform) {
    QMenu* recent = platform.window()->submenu(IdRecentFiles);
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 2);
    EXPECT_EQ(recent->actions()[0]->text(), QStringLiteral("&1 ") + fromPath(second));
    recent->actions()[1]->trigger();
    EXPECT_EQ(platform.dialog().currentFile, first);
    QTest::mouseClick(qobject_cast<QAbstractButton*>(platform.window()->control(IdOk)),
                      Qt::LeftButton);
  });
}

TEST(WindowSession, RecoveryFileIsOfferedAfterACrash) {
  QTemporaryDir dir;
  const QString store = dir.filePath(QStringLiteral("store.conf"));
  {
    Session session(store);
    session.dialog->grid.makeOpen(0);  // as an edit does, without its repaint
    session.dialog->recordStep();
    session.dialog->OnTimer(IdRecoveryTimer);  // the minute has passed
  }                                            // no clean exit
  ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Vexilo.recovery.ipuz"))));
  answerNextQuestion(QStringLiteral("はい"));
  Session again(store);
  EXPECT_TRUE(QTest::qWaitFor([&] { return again.dialog->grid.cellAt(0).flag == Open; }));
  EXPECT_TRUE(again.dialog->gridUnsaved());
  again.dialog->OnClosed();  // a clean exit removes it
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Vexilo.recovery.ipuz"))));
}

}  // namespace
}  // namespace vexilo::qt
