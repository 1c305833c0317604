#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "support/scripted_platform.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;

// Keeps every write in order as "section/entry".
class OrderedStore : public test::MemorySettingsStore {
 public:
  std::vector<std::string> order;
  void writeString(std::string_view section, std::string_view entry,
                   std::string_view value) override {
    order.push_back(std::string(section) + "/" + std::string(entry));
    MemorySettingsStore::writeString(section, entry, value);
  }
  void writeInt(std::string_view section, std::string_view entry, int value) override {
    order.push_back(std::string(section) + "/" + std::string(entry));
    MemorySettingsStore::writeInt(section, entry, value);
  }
  std::string text(std::string_view section, std::string_view entry) {
    return readString(section, entry, "<missing>");
  }
  int number(std::string_view section, std::string_view entry) {
    return readInt(section, entry, MissingNumber);
  }
  static constexpr int MissingNumber = -12345;
};

// One run of the program over a store that outlives it.
struct Session {
  test::ScriptedPlatform platform;
  std::unique_ptr<MainDialog> dialog;

  explicit Session(SettingsStore& store) : dialog(std::make_unique<MainDialog>(platform, store)) {
    dialog->OnInitDialog();
  }
  NodeBox& cell(int index) { return dialog->grid.cellAt(index); }
};

TEST(MainDialogSettings, FirstRunWithAnEmptyStoreShowsTheInitialWindow) {
  OrderedStore store;
  Session run(store);
  int blockedUnmarkedEmpty = 0;
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& c = run.cell(i);
    if (c.flag == Block && c.mark == -1 && c.str.empty()) ++blockedUnmarkedEmpty;
  }
  EXPECT_EQ(blockedUnmarkedEmpty, CellCount);
  EXPECT_EQ(run.dialog->grid.nextMark(), 0);

  for (int id : {IdDicPath1, IdDicPath2, IdDicPath3}) EXPECT_EQ(run.platform.texts[id], "") << id;
  for (int id : {IdEnabled1, IdEnabled2, IdEnabled3}) EXPECT_TRUE(run.platform.checks[id]) << id;

  for (int id : {IdVerticalBar, IdHorizontalBar}) {
    const auto& bar = run.platform.scrollBars[id];
    EXPECT_EQ(bar.minimum, 0) << id;
    EXPECT_EQ(bar.maximum, 31) << id;
    EXPECT_EQ(bar.page, 16) << id;
    EXPECT_EQ(bar.position, 0) << id;
  }
  EXPECT_EQ(run.dialog->colOffset, 0);
  EXPECT_EQ(run.dialog->rowOffset, 0);
  EXPECT_EQ(store.writes, 0);
}

TEST(MainDialogSettings, ExitWritesEveryCellThenThePathsThenTheChecksAndEnds) {
  OrderedStore store;
  Session run(store);
  run.cell(0).str = sj("ア");
  run.cell(0).flag = Fixed;
  run.cell(0).mark = 4;
  run.cell(1023).flag = Star;
  run.platform.texts[IdDicPath2] = "/home/me/辞書 2.dic";  // typed by hand, never loaded
  run.platform.checks[IdEnabled3] = false;

  run.dialog->OnCommand(IdOk);

  ASSERT_EQ(store.order.size(), 3072u + 8u + 6u);
  EXPECT_EQ(store.order[0], "NodeBoxStr/0");
  EXPECT_EQ(store.order[1], "NodeBoxFlag/0");
  EXPECT_EQ(store.order[2], "NodeBoxMark/0");
  EXPECT_EQ(store.order[3071], "NodeBoxMark/1023");
  const std::vector<std::string> tail(store.order.begin() + 3072, store.order.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{
                "DicFile1/Name", "DicFile2/Name", "DicFile3/Name", "DicFile1/Flag", "DicFile2/Flag",
                "DicFile3/Flag", "Search/Engine", "Search/Threads", "Puzzle/Title", "Puzzle/Author",
                "Puzzle/Copyright", "Puzzle/Numbering", "Clues/Count", "Clues/PanelShown"}));

  EXPECT_EQ(store.text("NodeBoxStr", "0"), sj("ア"));
  EXPECT_EQ(store.number("NodeBoxFlag", "0"), Fixed);
  EXPECT_EQ(store.number("NodeBoxMark", "0"), 4);
  EXPECT_EQ(store.number("NodeBoxFlag", "1023"), Star);
  EXPECT_EQ(store.number("NodeBoxMark", "1023"), -1);
  EXPECT_EQ(store.text("NodeBoxStr", "1023"), "");  // empty texts are written too
  EXPECT_EQ(store.text("DicFile2", "Name"), "/home/me/辞書 2.dic");
  EXPECT_EQ(store.number("DicFile1", "Flag"), 1);
  EXPECT_EQ(store.number("DicFile3", "Flag"), 0);
  EXPECT_EQ(run.platform.endedWith, IdOk);
}

TEST(MainDialogSettings, AnExitedGridComesBackAtTheNextStart) {
  OrderedStore store;
  {
    Session first(store);
    first.cell(5).flag = Open;
    first.cell(5).mark = 2;
    first.cell(40).flag = Fixed;
    first.cell(40).str = sj("ア");
    first.cell(40).mark = 7;
    first.platform.texts[IdDicPath1] = "/tmp/\xff\xfe.dic";  // not valid text in any encoding
    first.platform.checks[IdEnabled2] = false;
    first.dialog->OnCommand(IdOk);
  }
  Session second(store);
  EXPECT_EQ(second.cell(5).flag, Open);
  EXPECT_EQ(second.cell(5).mark, 2);
  EXPECT_EQ(second.cell(40).str, sj("ア"));
  EXPECT_EQ(second.cell(40).flag, Fixed);
  EXPECT_EQ(second.dialog->grid.nextMark(), 8);
  EXPECT_EQ(second.platform.texts[IdDicPath1], "/tmp/\xff\xfe.dic");
  EXPECT_FALSE(second.platform.checks[IdEnabled2]);
  EXPECT_TRUE(second.platform.checks[IdEnabled3]);

  const Rect from = second.dialog->cellRect(100);
  second.platform.trackAnswers.push_back({true, 33, 0});  // dragged onto cell 101
  second.dialog->OnGridPress({from.left + 5, from.top + 5});
  EXPECT_EQ(second.cell(101).mark + 1, 9);  // the number the author sees
}

TEST(MainDialogSettings, ClosingWithoutExitWritesNothing) {
  OrderedStore store;
  {
    Session first(store);
    first.cell(3).flag = Fixed;
    first.cell(3).str = sj("イ");
    first.dialog->OnCommand(IdOk);
  }
  const int writesAtExit = store.writes;
  {
    Session second(store);
    second.cell(3).flag = Block;
    second.cell(4).flag = Open;
    second.platform.texts[IdDicPath3] = "/tmp/other.dic";
    second.dialog->OnCommand(IdCancel);
    EXPECT_EQ(second.platform.endedWith, IdCancel);
  }
  EXPECT_EQ(store.writes, writesAtExit);
  Session third(store);
  EXPECT_EQ(third.cell(3).flag, Fixed);
  EXPECT_EQ(third.cell(4).flag, Block);
  EXPECT_EQ(third.platform.texts[IdDicPath3], "");
}

TEST(MainDialogSettings, StoredValuesAreReadByTheRules) {
  OrderedStore store;
  store.integers[{"NodeBoxMark", "0"}] = 99999;
  store.integers[{"NodeBoxFlag", "0"}] = 1;
  store.integers[{"NodeBoxMark", "1"}] = -7;
  store.integers[{"NodeBoxFlag", "1"}] = 9;
  store.integers[{"NodeBoxMark", "2"}] = 1023;
  store.integers[{"NodeBoxMark", "3"}] = 1024;
  store.integers[{"NodeBoxMark", "4"}] = 0;  // a mark on a blocked cell is kept
  store.strings[{"NodeBoxStr", "5"}] = std::string("\x81\x00\xff long text", 13);
  store.integers[{"DicFile1", "Flag"}] = 0;
  store.integers[{"DicFile2", "Flag"}] = 5;

  Session run(store);
  EXPECT_EQ(run.cell(0).mark, -1);
  EXPECT_EQ(run.cell(0).flag, Open);
  EXPECT_EQ(run.cell(1).mark, -1);
  EXPECT_EQ(run.cell(1).flag, 9);
  EXPECT_EQ(run.cell(2).mark, 1023);
  EXPECT_EQ(run.cell(3).mark, -1);
  EXPECT_EQ(run.cell(4).mark, 0);
  EXPECT_EQ(run.cell(4).flag, Block);
  EXPECT_EQ(run.cell(5).str, std::string("\x81\x00\xff long text", 13));
  EXPECT_EQ(run.dialog->grid.nextMark(), 1024);
  EXPECT_FALSE(run.platform.checks[IdEnabled1]);
  EXPECT_TRUE(run.platform.checks[IdEnabled2]);
  EXPECT_TRUE(run.platform.checks[IdEnabled3]);
}

}  // namespace
}  // namespace vexilo
