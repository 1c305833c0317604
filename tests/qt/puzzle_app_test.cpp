#include "app/puzzle_app.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <functional>
#include <random>

#include "app/main_dialog.h"
#include "qt_helpers.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "ui/qt/qt_settings_store.h"
#include "ui/qt/qt_shell.h"
#include "ui/qt/qt_text.h"

namespace vexilo::qt {
namespace {

using test::centreOf;
using test::sj;

QString userStore() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Orvik/Vexilo.conf");
}

// Runs the program as main() does; act drives the open window.
void runProgram(const std::function<void(QtPlatform&)>& act) {
  QtShell shell;
  PuzzleApp app(shell);
  bool acted = false;
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(shell.qtPlatform().window()));
    act(shell.qtPlatform());
    acted = true;
  });
  EXPECT_EQ(app.InitInstance(), 0);
  EXPECT_TRUE(acted);
}

// Presses the left button on a client point and, once the drag runs, moves it to another
// point and lets go there.
void dragOnGrid(GridWidget* grid, QPoint from, QPoint to) {
  const QPoint origin(grid->x(), grid->y());
  QTimer release;
  QObject::connect(&release, &QTimer::timeout, grid, [&] {
    if (!grid->tracking()) return;
    release.stop();
    if (to != from) QTest::mouseMove(grid, to - origin);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, to - origin);
    QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;  // a second click may follow
  });
  release.start(1);
  QTest::mousePress(grid, Qt::LeftButton, {}, from - origin);
  release.stop();
}

void clickOnGrid(GridWidget* grid, QPoint at) { dragOnGrid(grid, at, at); }

// Presses the button of the next question box that has this text, and keeps the question.
void answerQuestion(QtPlatform& platform, const char* button, std::string* asked = nullptr) {
  test::whenModal(platform.window(), [button, asked](QWidget* box) {
    auto* question = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(question, nullptr);
    if (asked != nullptr) *asked = question->text().toStdString();
    for (QAbstractButton* choice : question->buttons()) {
      if (choice->text().toStdString() == button) QTest::mouseClick(choice, Qt::LeftButton);
    }
  });
}

QColor cellColour(QtPlatform& platform, int index) {
  const GridGeometry view{platform.gridFrameRect(), 0, 0, platform.visibleCells()};
  const Rect inner = view.cellRect(index).inflated(-2);
  return test::pixelAt(platform.grid()->image(), platform.grid()->origin(),
                       {inner.left + 1, inner.bottom - 2});
}

QPoint cellCentre(QtPlatform& platform, int index) {
  return centreOf(
      GridGeometry{platform.gridFrameRect(), 0, 0, platform.visibleCells()}.cellRect(index));
}

void clickButton(QtPlatform& platform, int id) {
  QTest::mouseClick(qobject_cast<QPushButton*>(platform.window()->control(id)), Qt::LeftButton);
}

const QColor Grey(128, 128, 128);
const QColor White(255, 255, 255);

TEST(PuzzleApp, EditsWithTheMouseSurviveExitAndAreRestored) {
  QFile::remove(userStore());
  QtSettingsStore(userStore()).writeInt("Design", "Symmetry", 0);  // the mouse alone
  runProgram([](QtPlatform& platform) {
    GridWidget* grid = platform.grid();
    EXPECT_EQ(cellColour(platform, 0), Grey);  // a fresh store: everything blocked
    clickOnGrid(grid, cellCentre(platform, 33));
    EXPECT_EQ(cellColour(platform, 33), White);
    dragOnGrid(grid, cellCentre(platform, 35), cellCentre(platform, 37));  // links 35 and 37
    EXPECT_EQ(cellColour(platform, 35), White);
    EXPECT_EQ(cellColour(platform, 37), White);
    EXPECT_EQ(cellColour(platform, 36), Grey);

    const QPoint origin(grid->x(), grid->y());
    QTest::mousePress(grid, Qt::RightButton, {}, cellCentre(platform, 33) - origin);
    QTest::mouseRelease(grid, Qt::RightButton, {}, cellCentre(platform, 33) - origin);
    EXPECT_EQ(cellColour(platform, 33), Grey);

    // A double click on cell 64 opens the entry box; typed down, the letters fill 64, 96, 128.
    test::whenModal(platform.window(), [](QWidget* box) {
      auto* edit = box->findChild<QLineEdit*>();
      edit->selectAll();
      test::typeText(edit, QStringLiteral("ア＊ｲ"));
      QTest::keyClick(box->findChildren<QAbstractButton*>().last(), Qt::Key_Space);  // 縦
      edit->setFocus();
      QTest::keyClick(edit, Qt::Key_Return);
    });
    QTimer release;
    QObject::connect(&release, &QTimer::timeout, grid, [&] {
      if (!grid->tracking()) return;
      QTest::mouseRelease(grid, Qt::LeftButton, {}, cellCentre(platform, 64) - origin);
      QTest::lastMouseTimestamp -= QTest::mouseDoubleClickInterval;
    });
    release.start(1);
    QTest::mouseDClick(grid, Qt::LeftButton, {}, cellCentre(platform, 64) - origin);
    release.stop();
    EXPECT_EQ(cellColour(platform, 96), White);
    EXPECT_EQ(cellColour(platform, 128), White);
    EXPECT_EQ(cellColour(platform, 65), Grey);

    auto* path = qobject_cast<QLineEdit*>(platform.window()->control(IdDicPath2));
    QTest::keyClicks(path, QStringLiteral("/no/such/words.dic"));
    clickButton(platform, IdOk);  // Exit
    EXPECT_FALSE(platform.window()->isVisible());
  });

  ASSERT_TRUE(QFile::exists(userStore()));
  QtSettingsStore saved(userStore());
  EXPECT_EQ(saved.readInt("NodeBoxFlag", "33", -5), Block);
  EXPECT_EQ(saved.readInt("NodeBoxMark", "35", -5), 0);
  EXPECT_EQ(saved.readInt("NodeBoxMark", "37", -5), 0);
  EXPECT_EQ(saved.readString("NodeBoxStr", "64", ""), sj("ア"));
  EXPECT_EQ(saved.readInt("NodeBoxFlag", "64", -5), Fixed);
  EXPECT_EQ(saved.readInt("NodeBoxFlag", "96", -5), Star);
  EXPECT_EQ(saved.readString("NodeBoxStr", "128", ""), sj("イ"));  // made full width
  EXPECT_EQ(saved.readString("DicFile2", "Name", ""), "/no/such/words.dic");
  EXPECT_EQ(saved.readInt("DicFile3", "Flag", -5), 1);

  runProgram([](QtPlatform& platform) {
    EXPECT_EQ(cellColour(platform, 35), White);
    EXPECT_EQ(cellColour(platform, 96), White);
    EXPECT_EQ(cellColour(platform, 33), Grey);
    EXPECT_EQ(platform.controlText(IdDicPath2), "/no/such/words.dic");
    clickOnGrid(platform.grid(), cellCentre(platform, 0));
    EXPECT_EQ(cellColour(platform, 0), White);
    // Escape asks first; いいえ keeps the window and the change, はい leaves without saving.
    std::string asked;
    answerQuestion(platform, "いいえ", &asked);
    QTest::keyClick(platform.grid(), Qt::Key_Escape);
    EXPECT_EQ(asked, "変更を保存せずに終了しますか？");
    EXPECT_TRUE(platform.window()->isVisible());
    EXPECT_EQ(cellColour(platform, 0), White);
    answerQuestion(platform, "はい");
    QTest::keyClick(platform.grid(), Qt::Key_Escape);
    EXPECT_FALSE(platform.window()->isVisible());
  });
  EXPECT_EQ(QtSettingsStore(userStore()).readInt("NodeBoxFlag", "0", -5), Block);
}

// The main window on a store of its own, with the dialog's members at hand.
struct Session {
  explicit Session(const QString& storeFile) : store(storeFile) {
    dialog = std::make_unique<MainDialog>(platform, store);
    platform.attach(*dialog);
    dialog->OnInitDialog();
    platform.window()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(platform.window()));
    // The grid has the keyboard at start and so frames its cursor cell, cell 0, which the
    // pictures of these tests leave out.
    platform.grid()->clearFocus();
    QCoreApplication::processEvents();
  }
  ~Session() { platform.detach(); }

  QtSettingsStore store;
  QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
};

std::string writeDictionary(const QTemporaryDir& dir, const char* name,
                            const std::vector<std::string>& words) {
  const std::string path = toPath(dir.filePath(QString::fromLatin1(name)));
  std::ofstream out(path, std::ios::binary);
  for (const std::string& word : words) out << word << "\r\n";
  return path;
}

// Random words of five (or more) katakana, for a grid that takes long to fill.
std::vector<std::string> randomWords(int count, int letters = 5) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> kana(0x8340, 0x8393);
  std::vector<std::string> words;
  for (int w = 0; w < count; ++w) {
    std::string word;
    for (int i = 0; i < letters; ++i) {
      int code = kana(random);
      if ((code & 0xFF) == 0x7F) ++code;
      word += static_cast<char>(code >> 8);
      word += static_cast<char>(code & 0xFF);
    }
    words.push_back(word);
  }
  return words;
}

void openBlock(MainDialog& dialog, int rows, int columns) {
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) dialog.grid.makeOpen(r * GridSize + c);
  }
  dialog.slots.slotsCurrent = false;
  dialog.invalidateCell(-1);
}

TEST(PuzzleApp, SearchFillsTheGridFromTheDictionary) {
  QTemporaryDir dir;
  Session session(dir.filePath(QStringLiteral("store.conf")));
  MainDialog& dialog = *session.dialog;
  const std::string dictionary =
      writeDictionary(dir, "words.dic",
                      {sj("アイウ"), sj("アカサ"), sj("サシス"), sj("ウメオ"), sj("サクラ"),
                       sj("ウドラ"), sj("ウミラ"), sj("ラクダ")});
  openBlock(dialog, 3, 3);
  dialog.grid.makeBlock(GridSize + 1);
  auto* path = qobject_cast<QLineEdit*>(session.platform.window()->control(IdDicPath1));
  path->clear();
  QTest::keyClicks(path, fromPath(dictionary));

  clickButton(session.platform, IdSearch);
  EXPECT_EQ(test::pictureOf(dialog.grid, 3, 3),
            (std::vector<std::string>{"アイウ", "カ#ド", "サクラ"}));
  EXPECT_EQ(session.platform.controlText(IdResult), sj("アイウ") + "\r\n");
  EXPECT_EQ(session.platform.waitCursorDepth(), 0);
  // The letters are on screen: the cell of カ, which no clue number shares, holds red pixels.
  const GridGeometry view = dialog.geometry();
  EXPECT_GT(test::countWhere(session.platform.grid()->image(), session.platform.grid()->origin(),
                             view.cellRect(GridSize),
                             [](QColor c) { return c.red() - std::max(c.green(), c.blue()) > 60; }),
            10);

  clickButton(session.platform, IdShowResult);
  EXPECT_EQ(session.platform.controlText(IdResult), sj("サクラ") + "\r\n");
}

TEST(PuzzleApp, FastSearchChosenInTheMenuFramesTheBlockingSlotsAndIsKeptAtExit) {
  QTemporaryDir dir;
  const QString store = dir.filePath(QStringLiteral("store.conf"));
  {
    Session session(store);
    MainDialog& dialog = *session.dialog;
    QMenuBar* bar = session.platform.window()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QAction* searchMenu = bar->actions()[2];
    EXPECT_EQ(searchMenu->text().toStdString(), "検索(&S)");
    QAction* fast = searchMenu->menu()->actions()[1];
    EXPECT_TRUE(searchMenu->menu()->actions()[0]->isChecked());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(searchMenu).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return searchMenu->menu()->isVisible(); }));
    QTest::mouseClick(searchMenu->menu(), Qt::LeftButton, {},
                      searchMenu->menu()->actionGeometry(fast).center());
    EXPECT_TRUE(fast->isChecked());
    EXPECT_EQ(dialog.searchEngine, SearchEngine::Fast);

    // No word begins with キ: the across slot through it is framed in blue and listed.
    const std::string dictionary = writeDictionary(dir, "words.dic", {sj("アイウ"), sj("イイイ")});
    openBlock(dialog, 3, 3);
    dialog.grid.makeBlock(GridSize + 1);
    dialog.grid.cellAt(0).flag = Fixed;
    dialog.grid.cellAt(0).str = sj("キ");
    auto* path = qobject_cast<QLineEdit*>(session.platform.window()->control(IdDicPath1));
    path->clear();
    QTest::keyClicks(path, fromPath(dictionary));
    std::string told;
    test::whenModal(session.platform.window(), [&told](QWidget* box) {
      told = qobject_cast<QMessageBox*>(box)->text().toStdString();
      QTest::keyClick(box, Qt::Key_Return);
    });
    clickButton(session.platform, IdSearch);
    EXPECT_EQ(told, "埋められる組み合わせがありません");
    EXPECT_EQ(toSjis(qobject_cast<QPlainTextEdit*>(session.platform.window()->control(IdResult))
                         ->toPlainText()),
              sj("横 1行1列 3文字 キ・・: 0語\n縦 1行1列 3文字 キ・・: 0語\n"));
    EXPECT_EQ(test::pictureOf(dialog.grid, 3, 3), (std::vector<std::string>{"キ..", ".#.", "..."}));
    QApplication::processEvents();
    const Rect frame = dialog.slotRect(dialog.blockingSlots.at(0));
    const auto blue = [](QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; };
    EXPECT_GT(test::countWhere(session.platform.grid()->image(), session.platform.grid()->origin(),
                               frame, blue),
              20);
    clickButton(session.platform, IdOk);  // 終了 keeps the choice
  }
  Session again(store);
  EXPECT_EQ(again.dialog->searchEngine, SearchEngine::Fast);
  QMenuBar* bar = again.platform.window()->findChild<QMenuBar*>();
  EXPECT_TRUE(bar->actions()[2]->menu()->actions()[1]->isChecked());
}

TEST(PuzzleApp, ButtonsPressedDuringALongSearchRunInsideIt) {
  QTemporaryDir dir;
  Session session(dir.filePath(QStringLiteral("store.conf")));
  MainDialog& dialog = *session.dialog;
  session.platform.setControlText(IdDicPath1,
                                  writeDictionary(dir, "random.dic", randomWords(20000)));
  openBlock(dialog, 5, 5);  // ten crossing slots of random words: no fill for a long time

  int slotDuring = -1;
  SearchState stateDuring = SearchIdle;
  SearchState stateAfterStop = SearchIdle;
  QTimer::singleShot(200, [&] {
    clickButton(session.platform, IdShowResult);  // framed and listed while the search goes on
    slotDuring = dialog.slots.currentSlot;
    stateDuring = dialog.searchState;
    clickButton(session.platform, IdSearch);  // nested: only asks the search to stop
    stateAfterStop = dialog.searchState;
  });
  clickButton(session.platform, IdSearch);
  EXPECT_EQ(slotDuring, 1);
  EXPECT_EQ(stateDuring, SearchRunning);
  EXPECT_EQ(stateAfterStop, SearchCancelled);
  EXPECT_EQ(dialog.searchState, SearchIdle);
  EXPECT_EQ(dialog.slots.currentSlot, 0);  // the search's end lists slot 0 again
  EXPECT_EQ(session.platform.waitCursorDepth(), 0);
}

// A 7 by 7 block of random words keeps the fast search busy; a right press on its corner
// blackens the cell meanwhile: the search starts afresh on that grid, whose words of six
// letters no word fills, and the corner stays black without a letter.
TEST(PuzzleApp, AClickDuringAFastSearchIsKeptAndTheSearchStartsAfresh) {
  QTemporaryDir dir;
  Session session(dir.filePath(QStringLiteral("store.conf")));
  MainDialog& dialog = *session.dialog;
  dialog.ChooseSearchEngine(SearchEngine::Fast);
  session.platform.setControlText(IdDicPath1,
                                  writeDictionary(dir, "random.dic", randomWords(20000, 7)));
  openBlock(dialog, 7, 7);
  SearchState stateDuring = SearchIdle;
  QTimer::singleShot(300, [&] {
    stateDuring = dialog.searchState;
    GridWidget* grid = session.platform.grid();
    QTest::mousePress(grid, Qt::RightButton, {},
                      cellCentre(session.platform, 0) - QPoint(grid->x(), grid->y()));
  });
  std::string told;
  test::whenModal(session.platform.window(), [&told](QWidget* box) {
    told = qobject_cast<QMessageBox*>(box)->text().toStdString();
    QTest::keyClick(box, Qt::Key_Return);
  });
  clickButton(session.platform, IdSearch);
  EXPECT_EQ(stateDuring, SearchRunning);
  EXPECT_EQ(told, "埋められる組み合わせがありません");
  EXPECT_EQ(dialog.grid.cellAt(0).flag, Block);
  EXPECT_EQ(dialog.grid.cellAt(0).str, "");
  EXPECT_EQ(cellColour(session.platform, 0), Grey);
  ASSERT_FALSE(dialog.blockingSlots.empty());  // the slots of the changed grid
  EXPECT_EQ(dialog.slots.slots[static_cast<std::size_t>(dialog.blockingSlots[0])].length, 6);
  EXPECT_EQ(dialog.searchState, SearchIdle);
}

TEST(PuzzleApp, BothAboutEntriesOpenTheAboutBox) {
  QTemporaryDir dir;
  Session session(dir.filePath(QStringLiteral("store.conf")));
  int shown = 0;
  const QList<QAction*> help =
      session.platform.window()->menu(static_cast<int>(mainMenu().size()) - 1)->actions();
  for (QAction* entry : {help[0], help[2]}) {
    test::whenModal(session.platform.window(), [&shown](QWidget* box) {
      EXPECT_EQ(box->windowTitle().toStdString(), "Vexiloのﾊﾞｰｼﾞｮﾝ情報");
      ++shown;
      QTest::keyClick(box, Qt::Key_Escape);
    });
    entry->trigger();
  }
  EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace vexilo::qt
