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
  IdSaveOver = 32801,       // menu ファイル: 上書き保存
  IdRecentFiles = 32802,    // menu ファイル: 最近使ったファイル, the submenu
  IdRecentFile1 = 32811,    // its entries, newest first, up to IdRecentFile1 + 7
  IdOpenFile = 57601,
  IdSaveFile = 57603,
  IdExportHtml = 57604,
  IdRedo = 57642,
  IdUndo = 57643,
  // In the word-entry box (template 129) and the registration box (template 130).
  IdEntryText = 1001,
  IdAcross = 1008,
  IdDown = 1009,
};

// Timers of the main dialog.
enum TimerId : int {
  IdProgressTimer = 1,  // the status line during a search
  IdRecoveryTimer = 2,  // writes the recovery file
  IdRecoveryOffer = 3,  // once, when the window is up: offers a recovery file left behind
};

}  // namespace vexilo
