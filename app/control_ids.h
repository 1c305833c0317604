#pragma once

namespace vexilo {

// Control, menu and command ids of the main dialog and its boxes.
enum ControlId : int {
  IdOk = 1,  // Exit in the main dialog, OK in the boxes
  IdCancel = 2,
  IdAbout = 16,
  IdGridFrame = 1000,
  IdDicPath1 = 1001,
  IdDicPath2 = 1002,
  IdBrowse1 = 1003,
  IdClear = 1004,
  IdSearch = 1005,
  IdResult = 1006,
  IdShowResult = 1007,
  IdRegister1 = 1008,
  IdBrowse2 = 1009,
  IdDicPath3 = 1010,
  IdBrowse3 = 1011,
  IdRegister2 = 1012,
  IdRegister3 = 1013,
  IdEnabled1 = 1014,
  IdEnabled2 = 1015,
  IdEnabled3 = 1016,
  IdHorizontalBar = 1018,
  IdVerticalBar = 1019,
  IdSearchInOrder = 32771,  // menu 検索: 辞書順で検索
  IdSearchFast = 32772,     // menu 検索: 高速検索
  IdSearchRegion = 32773,   // menu 検索: 選択範囲を検索
  IdSymmetryNone = 32800,   // menu 編集 → 対称
  IdSymmetryPoint = 32801,
  IdSymmetryLeftRight = 32802,
  IdSymmetryTopBottom = 32803,
  IdRuleAdjacentBlack = 32804,  // menu 編集 → 黒マスの規則, one item per rule in BlockRule order
  IdRuleBlackCorner = 32805,
  IdRuleSplitWhite = 32806,
  IdRuleClosedWhite = 32807,
  IdRuleSingleWhite = 32808,
  IdNewPuzzle = 57600,
  IdPuzzleProperties = 32850,  // menu ファイル: パズルのプロパティ
  IdPrint = 32851,             // menu ファイル: 印刷
  IdExportPdf = 32852,         // menu ファイル: PDFに書き出し
  IdCluePanel = 32853,         // menu 表示: カギの一覧 (shown or hidden)
  IdGeneratePuzzle = 32870,    // menu ファイル: 自動作成
  IdBanWord = 32860,           // menu 編集: 選んだ語を使わない, and Delete in the list
  IdBannedWords = 32861,       // menu 編集: 使わない語の一覧
  IdSaveOver = 32880,          // menu ファイル: 上書き保存
  IdRecentFiles = 32881,       // menu ファイル: 最近使ったファイル, the submenu
  IdRecentFile1 = 32890,       // its entries, newest first, up to IdRecentFile1 + 7
  IdOpenFile = 57601,
  IdSaveFile = 57603,
  IdExportHtml = 57604,
  IdRedo = 57642,
  IdUndo = 57643,
  // In the word-entry box (template 129) and the registration box (template 130).
  IdEntryText = 1001,
  IdAcross = 1008,
  IdDown = 1009,
  // In the new-puzzle box (template 140).
  IdWidthText = 1001,
  IdHeightText = 1002,
};

// Timers of the main dialog.
enum TimerId : int {
  IdProgressTimer = 1,  // the status line during a search
  IdRecoveryTimer = 2,  // writes the recovery file
  IdRecoveryOffer = 3,  // once, when the window is up: offers a recovery file left behind
  IdWordChecks = 4,     // checks the listed words a few at a time, while some are left
};

}  // namespace vexilo
