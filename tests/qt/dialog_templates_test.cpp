#include "app/dialog_templates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;

std::vector<int> idsOf(const DialogTemplate& dialog) {
  std::vector<int> ids;
  for (const ControlTemplate& control : dialog.controls) ids.push_back(control.id);
  return ids;
}

const ControlTemplate& controlOf(const DialogTemplate& dialog, int id) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.id == id) return control;
  }
  throw std::out_of_range("no control " + std::to_string(id));
}

TEST(DialogTemplates, MainDialogHoldsEveryControlInTabOrder) {
  const DialogTemplate& main = dialogTemplate(MainTemplateId);
  EXPECT_EQ(std::string(main.caption), "Vexilo Version 1.16");
  EXPECT_EQ(main.width, 459);
  EXPECT_EQ(main.height, 461);
  EXPECT_EQ(main.menuId, MainMenuId);
  EXPECT_NE(main.style & DialogMinimizeBox, 0u);
  EXPECT_EQ(idsOf(main),
            (std::vector<int>{1,    1000, NoId, 1001, 1003, 1004, 1005, 1006, 1007, 1008, 1002,
                              1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1018, 1019}));
}

TEST(DialogTemplates, MainDialogPositionsKindsAndTexts) {
  const DialogTemplate& main = dialogTemplate(MainTemplateId);
  EXPECT_EQ(controlOf(main, IdGridFrame).position, (DialogRect{7, 7, 360, 356}));
  EXPECT_EQ(controlOf(main, IdSearch).kind, ControlKind::DefaultPushButton);
  EXPECT_EQ(std::string(controlOf(main, IdSearch).text), sj("検索"));
  EXPECT_EQ(controlOf(main, IdResult).position, (DialogRect{381, 30, 71, 346}));
  EXPECT_EQ(controlOf(main, IdResult).style & StyleMultiLine, unsigned{StyleMultiLine});
  EXPECT_EQ(controlOf(main, IdDicPath3).position, (DialogRect{50, 435, 229, 14}));
  EXPECT_EQ(std::string(controlOf(main, IdEnabled2).text), sj("優先2"));
  EXPECT_EQ(controlOf(main, IdEnabled3).position, (DialogRect{14, 437, 33, 10}));
  EXPECT_EQ(controlOf(main, IdHorizontalBar).position, (DialogRect{7, 364, 360, 11}));
  EXPECT_EQ(controlOf(main, IdVerticalBar).position, (DialogRect{367, 7, 10, 355}));
  EXPECT_EQ(std::string(controlOf(main, IdShowResult).text), sj("結果表示"));
  EXPECT_EQ(main.controls[2].kind, ControlKind::GroupBox);
  EXPECT_EQ(main.controls[2].position, (DialogRect{7, 379, 361, 75}));
  EXPECT_EQ(std::string(main.controls[2].text), sj("辞書ファイル"));
}

TEST(DialogTemplates, BoxesMatchTheirTables) {
  const DialogTemplate& entry = dialogTemplate(WordEntryTemplateId);
  EXPECT_EQ(idsOf(entry), (std::vector<int>{IdEntryText, IdOk, IdAcross, IdDown}));
  EXPECT_EQ(entry.style & DialogCaption, 0u);
  EXPECT_EQ(controlOf(entry, IdEntryText).style & StyleCentre, unsigned{StyleCentre});
  EXPECT_EQ(controlOf(entry, IdOk).kind, ControlKind::PushButton);  // not the default button
  EXPECT_EQ(controlOf(entry, IdDown).position, (DialogRect{40, 7, 23, 10}));
  EXPECT_EQ(std::string(controlOf(entry, IdAcross).text), sj("横"));

  const DialogTemplate& reg = dialogTemplate(RegisterWordTemplateId);
  EXPECT_EQ(std::string(reg.caption), sj("熟語登録"));
  EXPECT_EQ(idsOf(reg), (std::vector<int>{IdOk, IdCancel, IdEntryText}));
  EXPECT_EQ(std::string(controlOf(reg, IdCancel).text), sj("ｷｬﾝｾﾙ"));
  EXPECT_EQ(reg.width, 187);
  EXPECT_EQ(reg.height, 51);

  const DialogTemplate& about = dialogTemplate(AboutTemplateId);
  EXPECT_EQ(std::string(about.caption), sj("Vexiloのﾊﾞｰｼﾞｮﾝ情報"));
  EXPECT_EQ(std::string(about.controls[2].text), "Japanese crossword puzzle builder");
  EXPECT_EQ(controlOf(about, IdOk).position, (DialogRect{178, 7, 50, 14}));
  EXPECT_THROW(dialogTemplate(101), std::out_of_range);
}

TEST(DialogTemplates, MenuItemsCarryTheirIdsAndMnemonics) {
  const auto menu = mainMenu();
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(std::string(menu[0].text), sj("ファイル(&F)"));
  std::vector<int> fileIds;
  for (const MenuItemTemplate& item : menu[0].items) fileIds.push_back(item.id);
  EXPECT_EQ(fileIds, (std::vector<int>{57601, 0, 57603, 57604, 0, 1}));
  EXPECT_EQ(std::string(menu[0].items[3].text), sj("html形式で保存(&W)"));
  std::vector<int> editIds;
  for (const MenuItemTemplate& item : menu[1].items) editIds.push_back(item.id);
  EXPECT_EQ(editIds, (std::vector<int>{IdUndo, IdRedo, 0, IdClear}));
  EXPECT_EQ(std::string(menu[1].items[0].text), sj("元に戻す(&U)"));
  EXPECT_EQ(std::string(menu[1].items[1].text), sj("やり直し(&R)"));
  EXPECT_EQ(std::string(menu[1].items[3].text), sj("クリア"));
  EXPECT_EQ(menu[2].items[0].id, IdAbout);
  EXPECT_EQ(std::string(menu[2].items[0].text), sj("バージョン情報(&V)"));
  EXPECT_EQ(std::string(systemMenuAboutText()), sj("Vexilo のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
}

}  // namespace
}  // namespace vexilo
