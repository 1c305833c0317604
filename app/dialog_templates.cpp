#include "app/dialog_templates.h"

#include <array>
#include <stdexcept>
#include <string>

#include "app/control_ids.h"

namespace vexilo {

// One control a line, as the templates are read.
// clang-format off
namespace {

using enum ControlKind;

constexpr unsigned PathEdit = StyleAutoHScroll | StyleBorder;
// How the main dialog's controls follow the grid frame as the window is resized.
constexpr unsigned Beside = FollowRight;
constexpr unsigned Below = FollowBottom;
constexpr unsigned Corner = FollowRight | FollowBottom;
constexpr unsigned BelowWide = FollowBottom | StretchRight;
constexpr unsigned BesideTall = FollowRight | StretchBottom;

constexpr std::array MainControls{
    ControlTemplate{IdOk, PushButton, "\x8F\x49\x97\xB9", StyleNone, {381, 434, 71, 14},  // 終了
                    Corner},
    ControlTemplate{IdGridFrame, EtchedFrame, "", StyleNone, {7, 7, 360, 356},
                    StretchRight | StretchBottom},
    ControlTemplate{NoId, GroupBox, "\x8E\xAB\x8F\x91\x83\x74\x83\x40\x83\x43\x83\x8B",  // 辞書ファイル
                    StyleNone, {7, 379, 361, 75}, BelowWide},
    ControlTemplate{IdDicPath1, Edit, "", PathEdit, {50, 390, 229, 14}, BelowWide},
    ControlTemplate{IdBrowse1, PushButton, "\x8E\x51\x8F\xC6", StyleNone,  // 参照
                    {289, 390, 32, 14}, Corner},
    ControlTemplate{IdClear, PushButton, "\x83\x4E\x83\x8A\x83\x41", StyleNone,  // クリア
                    {381, 411, 71, 14}, Corner},
    ControlTemplate{IdSearch, DefaultPushButton, "\x8C\x9F\x8D\xF5", StyleNone,  // 検索
                    {381, 7, 71, 14}, Beside},
    ControlTemplate{IdResult, Edit, "", StyleMultiLine | StyleVScroll | StyleBorder,
                    {381, 30, 71, 346}, BesideTall},
    ControlTemplate{IdShowResult, PushButton, "\x8C\x8B\x89\xCA\x95\x5C\x8E\xA6",  // 結果表示
                    StyleNone, {381, 388, 71, 14}, Corner},
    ControlTemplate{IdRegister1, PushButton, "\x8E\xAB\x8F\x91\x93\x6F\x98\x5E",  // 辞書登録
                    StyleNone, {327, 390, 32, 14}, Corner},
    ControlTemplate{IdDicPath2, Edit, "", PathEdit, {50, 412, 229, 14}, BelowWide},
    ControlTemplate{IdBrowse2, PushButton, "\x8E\x51\x8F\xC6", StyleNone,  // 参照
                    {289, 412, 32, 14}, Corner},
    ControlTemplate{IdDicPath3, Edit, "", PathEdit, {50, 435, 229, 14}, BelowWide},
    ControlTemplate{IdBrowse3, PushButton, "\x8E\x51\x8F\xC6", StyleNone,  // 参照
                    {289, 435, 32, 14}, Corner},
    ControlTemplate{IdRegister2, PushButton, "\x8E\xAB\x8F\x91\x93\x6F\x98\x5E",  // 辞書登録
                    StyleNone, {327, 412, 32, 14}, Corner},
    ControlTemplate{IdRegister3, PushButton, "\x8E\xAB\x8F\x91\x93\x6F\x98\x5E",  // 辞書登録
                    StyleNone, {327, 435, 32, 14}, Corner},
    ControlTemplate{IdEnabled1, CheckBox, "\x97\x44\x90\xE6" "1", StyleNone,  // 優先1
                    {14, 392, 33, 10}, Below},
    ControlTemplate{IdEnabled2, CheckBox, "\x97\x44\x90\xE6" "2", StyleNone,  // 優先2
                    {14, 414, 33, 10}, Below},
    ControlTemplate{IdEnabled3, CheckBox, "\x97\x44\x90\xE6" "3", StyleNone,  // 優先3
                    {14, 437, 33, 10}, Below},
    ControlTemplate{IdHorizontalBar, HorizontalScrollBar, "", StyleNone, {7, 364, 360, 11},
                    BelowWide},
    ControlTemplate{IdVerticalBar, VerticalScrollBar, "", StyleNone, {367, 7, 10, 355},
                    BesideTall},
};

constexpr std::array WordEntryControls{
    ControlTemplate{IdEntryText, Edit, "", StyleCentre | StyleAutoHScroll | StyleBorder,
                    {7, 22, 56, 14}},
    ControlTemplate{IdOk, PushButton, "OK", StyleNone, {11, 39, 46, 14}},
    ControlTemplate{IdAcross, RadioButton, "\x89\xA1", StyleGroup, {7, 7, 23, 10}},  // 横
    ControlTemplate{IdDown, RadioButton, "\x8F\x63", StyleNone, {40, 7, 23, 10}},    // 縦
};

constexpr std::array RegisterWordControls{
    ControlTemplate{IdOk, DefaultPushButton, "\x93\x6F\x98\x5E", StyleNone,  // 登録
                    {35, 30, 50, 14}},
    ControlTemplate{IdCancel, PushButton, "\xB7\xAC\xDD\xBE\xD9", StyleNone,  // ｷｬﾝｾﾙ
                    {101, 30, 50, 14}},
    ControlTemplate{IdEntryText, Edit, "", StyleAutoHScroll | StyleBorder, {7, 7, 173, 14}},
};

constexpr std::array AboutControls{
    ControlTemplate{NoId, Icon, "", StyleNone, {11, 17, 0, 0}},
    ControlTemplate{NoId, Text, "Vexilo Version 1.16", StyleNone, {40, 16, 119, 8}},
    ControlTemplate{NoId, Text, "Japanese crossword puzzle builder", StyleNone, {40, 31, 119, 8}},
    ControlTemplate{IdOk, DefaultPushButton, "OK", StyleNone, {178, 7, 50, 14}},
};

constexpr std::array NewPuzzleControls{
    ControlTemplate{NoId, Text, "\x95\x9D", StyleNone, {7, 10, 20, 8}},  // 幅
    ControlTemplate{IdWidthText, Edit, "", StyleAutoHScroll | StyleBorder, {30, 7, 28, 14}},
    ControlTemplate{NoId, Text, "\x8D\x82\x82\xB3", StyleNone, {7, 28, 20, 8}},  // 高さ
    ControlTemplate{IdHeightText, Edit, "", StyleAutoHScroll | StyleBorder, {30, 25, 28, 14}},
    ControlTemplate{NoId, Text, "\x81\x69" "2\x81\x60" "32\x81\x6A", StyleNone,  // （2～32）
                    {7, 45, 60, 8}},
    ControlTemplate{IdOk, DefaultPushButton, "OK", StyleNone, {72, 7, 50, 14}},
    ControlTemplate{IdCancel, PushButton, "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B",  // キャンセル
                    StyleNone, {72, 25, 50, 14}},
};

constexpr DialogTemplate MainTemplate{
    MainTemplateId, "Vexilo Version 1.16", 459, 461, 9,
    DialogCaption | DialogSystemMenu | DialogMinimizeBox | DialogModalFrame | DialogAppWindow |
        DialogThickFrame | DialogMaximizeBox,
    MainMenuId, MainControls};

constexpr DialogTemplate WordEntryTemplate{
    WordEntryTemplateId, "", 70, 60, 9, DialogModalFrame, 0, WordEntryControls};

constexpr DialogTemplate RegisterWordTemplate{
    RegisterWordTemplateId, "\x8F\x6E\x8C\xEA\x93\x6F\x98\x5E", 187, 51, 9,  // 熟語登録
    DialogCaption | DialogSystemMenu | DialogModalFrame, 0, RegisterWordControls};

constexpr DialogTemplate AboutTemplate{
    AboutTemplateId,
    "Vexilo\x82\xCC\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1",  // Vexiloのﾊﾞｰｼﾞｮﾝ情報
    235, 55, 9, DialogCaption | DialogSystemMenu | DialogModalFrame, 0, AboutControls};

constexpr DialogTemplate NewPuzzleTemplate{
    NewPuzzleTemplateId, "\x90\x56\x8B\x4B\x8D\xEC\x90\xAC", 129, 58, 9,  // 新規作成
    DialogCaption | DialogSystemMenu | DialogModalFrame, 0, NewPuzzleControls};

constexpr std::array FileItems{
    MenuItemTemplate{IdNewPuzzle, "\x90\x56\x8B\x4B\x8D\xEC\x90\xAC(&N)"},  // 新規作成(&N)
    MenuItemTemplate{IdGeneratePuzzle,
                     "\x8E\xA9\x93\xAE\x8D\xEC\x90\xAC(&G)"},  // 自動作成(&G)
    MenuItemTemplate{IdOpenFile,
                     "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8A\x4A\x82\xAD(&O)"},  // ファイルを開く(&O)
    MenuItemTemplate{.id = IdRecentFiles,  // 最近使ったファイル(&R)
                     .text = "\x8D\xC5\x8B\xDF\x8E\x67\x82\xC1\x82\xBD\x83\x74\x83\x40\x83\x43\x83\x8B(&R)",
                     .platformEntries = true},
    MenuItemTemplate{0, ""},
    MenuItemTemplate{IdSaveOver, "\x8F\xE3\x8F\x91\x82\xAB\x95\xDB\x91\xB6(&S)"},  // 上書き保存(&S)
    MenuItemTemplate{IdSaveFile,
                     "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC9\x95\xDB\x91\xB6(&A)"},  // ファイルに保存(&A)
    MenuItemTemplate{IdExportHtml, "html\x8C\x60\x8E\xAE\x82\xC5\x95\xDB\x91\xB6(&W)"},  // html形式で保存(&W)
    MenuItemTemplate{IdExportPdf, "PDF\x82\xC9\x8F\x91\x82\xAB\x8F\x6F\x82\xB5(&D)..."},  // PDFに書き出し(&D)...
    MenuItemTemplate{IdPrint, "\x88\xF3\x8D\xFC(&P)..."},  // 印刷(&P)...
    MenuItemTemplate{0, ""},
    MenuItemTemplate{IdPuzzleProperties,  // パズルのプロパティ(&I)...
                     "\x83\x70\x83\x59\x83\x8B\x82\xCC\x83\x76\x83\x8D\x83\x70\x83\x65\x83\x42(&I)..."},
    MenuItemTemplate{0, ""},
    MenuItemTemplate{IdOk, "\x8F\x49\x97\xB9(&X)"},  // 終了(&X)
};

constexpr std::array SymmetryItems{
    MenuItemTemplate{IdSymmetryNone, "\x82\xC8\x82\xB5(&N)", true},  // なし(&N)
    MenuItemTemplate{IdSymmetryPoint, "\x93\x5F\x91\xCE\x8F\xCC(&P)", true},  // 点対称(&P)
    MenuItemTemplate{IdSymmetryLeftRight, "\x8D\xB6\x89\x45\x91\xCE\x8F\xCC(&L)", true},  // 左右対称(&L)
    MenuItemTemplate{IdSymmetryTopBottom, "\x8F\xE3\x89\xBA\x91\xCE\x8F\xCC(&T)", true},  // 上下対称(&T)
};

constexpr MenuTemplate SymmetryMenu{"\x91\xCE\x8F\xCC(&Y)", SymmetryItems};  // 対称(&Y)

constexpr std::array RuleItems{
    MenuItemTemplate{IdRuleAdjacentBlack,  // 黒マスの連続を禁止
                     "\x8D\x95\x83\x7D\x83\x58\x82\xCC\x98\x41\x91\xB1\x82\xF0\x8B\xD6\x8E\x7E", false, true},
    MenuItemTemplate{IdRuleBlackCorner,  // 隅の黒マスを禁止
                     "\x8B\xF7\x82\xCC\x8D\x95\x83\x7D\x83\x58\x82\xF0\x8B\xD6\x8E\x7E", false, true},
    MenuItemTemplate{IdRuleSplitWhite,  // 白マスの分断を禁止
                     "\x94\x92\x83\x7D\x83\x58\x82\xCC\x95\xAA\x92\x66\x82\xF0\x8B\xD6\x8E\x7E", false, true},
    MenuItemTemplate{IdRuleClosedWhite,  // 三方が黒の白マスを禁止
                     "\x8E\x4F\x95\xFB\x82\xAA\x8D\x95\x82\xCC\x94\x92\x83\x7D\x83\x58\x82\xF0\x8B\xD6\x8E\x7E",
                     false, true},
    MenuItemTemplate{IdRuleSingleWhite,  // 語のない白マスを禁止
                     "\x8C\xEA\x82\xCC\x82\xC8\x82\xA2\x94\x92\x83\x7D\x83\x58\x82\xF0\x8B\xD6\x8E\x7E", false, true},
};

constexpr MenuTemplate RulesMenu{  // 黒マスの規則(&B)
    "\x8D\x95\x83\x7D\x83\x58\x82\xCC\x8B\x4B\x91\xA5(&B)", RuleItems};

constexpr std::array EditItems{
    MenuItemTemplate{IdUndo, "\x8C\xB3\x82\xC9\x96\xDF\x82\xB7(&U)"},  // 元に戻す(&U)
    MenuItemTemplate{IdRedo, "\x82\xE2\x82\xE8\x92\xBC\x82\xB5(&R)"},  // やり直し(&R)
    MenuItemTemplate{0, ""},
    MenuItemTemplate{IdClear, "\x83\x4E\x83\x8A\x83\x41"},  // クリア
    MenuItemTemplate{0, ""},
    MenuItemTemplate{IdBanWord, "\x91\x49\x82\xF1\x82\xBE\x8C\xEA\x82\xF0\x8E\x67\x82\xED\x82\xC8\x82\xA2(&W)"},  // 選んだ語を使わない(&W)
    MenuItemTemplate{IdBannedWords, "\x8E\x67\x82\xED\x82\xC8\x82\xA2\x8C\xEA\x82\xCC\x88\xEA\x97\x97(&L)..."},  // 使わない語の一覧(&L)...
    MenuItemTemplate{0, ""},
    MenuItemTemplate{0, "", false, false, &SymmetryMenu},
    MenuItemTemplate{0, "", false, false, &RulesMenu},
};

constexpr std::array SearchItems{
    MenuItemTemplate{IdSearchInOrder,
                     "\x8E\xAB\x8F\x91\x8F\x87\x82\xC5\x8C\x9F\x8D\xF5(&D)", true},  // 辞書順で検索(&D)
    MenuItemTemplate{IdSearchFast, "\x8D\x82\x91\xAC\x8C\x9F\x8D\xF5(&Q)", true},  // 高速検索(&Q)
    MenuItemTemplate{0, ""},
    MenuItemTemplate{IdSearchRegion,  // 選択範囲を検索(&R)
                     "\x91\x49\x91\xF0\x94\xCD\x88\xCD\x82\xF0\x8C\x9F\x8D\xF5(&R)"},
};

constexpr std::array Accelerators{
    AcceleratorTemplate{IdSaveOver, "Ctrl+S"},
    AcceleratorTemplate{IdNewPuzzle, "Ctrl+N"},
    AcceleratorTemplate{IdPrint, "Ctrl+P"},
    AcceleratorTemplate{IdUndo, "Ctrl+Z"},
    AcceleratorTemplate{IdRedo, "Ctrl+Y"},
    AcceleratorTemplate{IdRedo, "Ctrl+Shift+Z"},
};

constexpr std::array ViewItems{
    MenuItemTemplate{IdCluePanel, "\x83\x4A\x83\x4D\x82\xCC\x88\xEA\x97\x97(&K)", false, true},  // カギの一覧(&K)
};

constexpr std::array HelpItems{
    MenuItemTemplate{IdAbout,
                     "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x8F\xEE\x95\xF1(&V)"},  // バージョン情報(&V)
};

constexpr std::array MainMenu{
    MenuTemplate{"\x83\x74\x83\x40\x83\x43\x83\x8B(&F)", FileItems},  // ファイル(&F)
    MenuTemplate{"\x95\xD2\x8F\x57(&E)", EditItems},                  // 編集(&E)
    MenuTemplate{"\x8C\x9F\x8D\xF5(&S)", SearchItems},                // 検索(&S)
    MenuTemplate{"\x95\x5C\x8E\xA6(&V)", ViewItems},                  // 表示(&V)
    MenuTemplate{"\x83\x77\x83\x8B\x83\x76(&H)", HelpItems},          // ヘルプ(&H)
};

}  // namespace
// clang-format on

const DialogTemplate& dialogTemplate(int id) {
  switch (id) {
    case AboutTemplateId: return AboutTemplate;
    case MainTemplateId: return MainTemplate;
    case WordEntryTemplateId: return WordEntryTemplate;
    case RegisterWordTemplateId: return RegisterWordTemplate;
    case NewPuzzleTemplateId: return NewPuzzleTemplate;
    default: throw std::out_of_range("no dialog template " + std::to_string(id));
  }
}

std::span<const MenuTemplate> mainMenu() { return MainMenu; }

std::span<const AcceleratorTemplate> accelerators() { return Accelerators; }

const char* systemMenuAboutText() {
  return "Vexilo \x82\xCC\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1(&A)...";  // Vexilo
                                                                                // のﾊﾞｰｼﾞｮﾝ情報(&A)...
}

}  // namespace vexilo
