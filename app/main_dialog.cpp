#include "app/main_dialog.h"

#include <algorithm>
#include <array>

#include "search/alternatives.h"

namespace vexilo {

MainDialog::MainDialog(Platform& platform, SettingsStore& settings)
    : platform(platform), settings(settings) {
  grid.setListener(this);
}

MainDialog::~MainDialog() { grid.setListener(nullptr); }

void MainDialog::OnInitDialog() {
  pushControls();
  restoreSettings();
  const GridShape shown = visibleCells();
  platform.setScrollRange(IdVerticalBar, 0, GridSize - 1, shown.rows);
  platform.setScrollRange(IdHorizontalBar, 0, GridSize - 1, shown.columns);
  for (int bar : {IdVerticalBar, IdHorizontalBar}) platform.setScrollPosition(bar, 0);
  colOffset = 0;
  rowOffset = 0;
  pushControls();
  const int skippedBans = restoreBannedWords();
  history.reset(grid, clues, bannedWords.words());  // the restored puzzle is where undo stops
  savedPosition = history.position();
  refreshClues();
  updateCommandStates();
  checkLayout();
  if (skippedBans > 0) tellSkippedBans(skippedBans);
  platform.showRecentFiles(recentFiles);
  if (!recoveryPath().empty()) {
    // Offered once the window is up; the file is written again only after that.
    platform.setTimer(IdRecoveryOffer, 0);
  }
}

void MainDialog::OnCommand(int id) {
  ++commandsRun;
  switch (id) {
    case IdOk: OnExit(); break;
    case IdCancel: OnCancel(); break;
    case IdAbout: About(); break;
    case IdBrowse1: BrowseDictionary(1); break;
    case IdBrowse2: BrowseDictionary(2); break;
    case IdBrowse3: BrowseDictionary(3); break;
    case IdRegister1: RegisterWord(1); break;
    case IdRegister2: RegisterWord(2); break;
    case IdRegister3: RegisterWord(3); break;
    case IdClear: Clear(); break;
    case IdSearch: RunSearch(); break;
    case IdShowResult: ShowNextResult(); break;
    case IdOpenFile: OpenCrosswordFile(); break;
    case IdSaveFile: SaveCrosswordFile(); break;
    case IdSaveOver: SaveOverCrosswordFile(); break;
    case IdExportHtml: ExportPuzzleHtml(); break;
    case IdSearchInOrder: ChooseSearchEngine(SearchEngine::DictionaryOrder); break;
    case IdSearchFast: ChooseSearchEngine(SearchEngine::Fast); break;
    case IdSearchRegion: SearchRegion(); break;
    case IdUndo: Undo(); break;
    case IdPuzzleProperties: EditPuzzleProperties(); break;
    case IdCluePanel: ShowCluePanel(); break;
    case IdExportPdf: ExportPdf(); break;
    case IdPrint: PrintPuzzle(); break;
    case IdRedo: Redo(); break;
    case IdBanWord: BanWord(); break;
    case IdBannedWords: ShowBannedWords(); break;
    case IdNewPuzzle: NewPuzzle(); break;
    case IdGeneratePuzzle: GeneratePuzzle(); break;
    case IdSymmetryNone: ChooseSymmetry(Symmetry::None); break;
    case IdSymmetryPoint: ChooseSymmetry(Symmetry::Point); break;
    case IdSymmetryLeftRight: ChooseSymmetry(Symmetry::LeftRight); break;
    case IdSymmetryTopBottom: ChooseSymmetry(Symmetry::TopBottom); break;
    case IdRuleAdjacentBlack:
    case IdRuleBlackCorner:
    case IdRuleSplitWhite:
    case IdRuleClosedWhite:
    case IdRuleSingleWhite:
      SwitchBlockRule(static_cast<BlockRule>(id - IdRuleAdjacentBlack));
      break;
    default:
      if (IdRecentFile1 <= id && id < IdRecentFile1 + RecentFileCount) {
        OpenRecentFile(id - IdRecentFile1);
      }
      break;
  }
  // Clear, Open and a finished Search each become one step; the line tells how a search ended.
  recordStep(id != IdSearch && id != IdSearchRegion && id != IdGeneratePuzzle);
}

bool MainDialog::OnSysCommand(int id) {
  if ((id & 0xFFF0) != IdAbout) return false;
  About();
  return true;
}

void MainDialog::OnCancel() {
  if (!mayDiscardChanges(UnsavedQuestion::Quit)) return;
  if (searchState != SearchIdle) {  // the running search returns first; it then ends the dialog
    searchState = SearchCancelled;
    closeRequested = true;
    return;
  }
  platform.endDialog(IdCancel);
}

void MainDialog::OnPaint(DrawingContext& dc, const Rect& area) { paintGrid(dc, area); }

void MainDialog::OnTimer(int id) {
  switch (id) {
    case IdProgressTimer: showProgress(); break;
    case IdRecoveryTimer: writeRecoveryFile(); break;
    case IdWordChecks: checkAlternatives(); break;
    case IdRecoveryOffer:
      platform.killTimer(IdRecoveryOffer);
      offerRecoveryFile();
      break;
    default: break;
  }
}

void MainDialog::OnVScroll(ScrollCode code, int position) {
  rowOffset = scrolledOffset(rowOffset, code, position, visibleCells().rows);
  invalidateCell(-1);
  platform.setScrollPosition(IdVerticalBar, rowOffset);
}

void MainDialog::OnHScroll(ScrollCode code, int position) {
  colOffset = scrolledOffset(colOffset, code, position, visibleCells().columns);
  invalidateCell(-1);
  platform.setScrollPosition(IdHorizontalBar, colOffset);
}

void MainDialog::OnGridResized() {
  const GridShape shown = visibleCells();
  // A larger view may show cells past the edge: it then starts further up or left.
  rowOffset = std::min(rowOffset, GridSize - shown.rows);
  colOffset = std::min(colOffset, GridSize - shown.columns);
  platform.setScrollRange(IdVerticalBar, 0, GridSize - 1, shown.rows);
  platform.setScrollRange(IdHorizontalBar, 0, GridSize - 1, shown.columns);
  platform.setScrollPosition(IdVerticalBar, rowOffset);
  platform.setScrollPosition(IdHorizontalBar, colOffset);
  invalidateCell(-1);
}

namespace {

constexpr std::array<int, DictionaryRowCount> PathEdits{IdDicPath1, IdDicPath2, IdDicPath3};
constexpr std::array<int, DictionaryRowCount> UseBoxes{IdEnabled1, IdEnabled2, IdEnabled3};

}  // namespace

void MainDialog::pullControls() {
  resultText = platform.controlText(IdResult);
  for (std::size_t row = 0; row < dictionaryRows.size(); ++row) {
    dictionaryRows[row].path = platform.controlText(PathEdits[row]);
    dictionaryRows[row].enabled = platform.isChecked(UseBoxes[row]);
  }
}

void MainDialog::pushControls() {
  platform.setControlText(IdResult, resultText);
  for (std::size_t row = 0; row < dictionaryRows.size(); ++row) {
    platform.setControlText(PathEdits[row], dictionaryRows[row].path);
    platform.setChecked(UseBoxes[row], dictionaryRows[row].enabled);
  }
  showSearchEngine();
  showDesignChoices();
  platform.showCluePanel(cluePanelShown);
  platform.setChecked(IdCluePanel, cluePanelShown);
}

void MainDialog::showSearchEngine() {
  platform.setChecked(IdSearchInOrder, searchEngine == SearchEngine::DictionaryOrder);
  platform.setChecked(IdSearchFast, searchEngine == SearchEngine::Fast);
}

GridGeometry MainDialog::geometry() {
  return {platform.gridFrameRect(), colOffset, rowOffset, visibleCells()};
}

Rect MainDialog::gridFrameRect() { return platform.gridFrameRect(); }

Rect MainDialog::cellRect(int index) { return geometry().cellRect(index); }

int MainDialog::hitTest(Point point) { return geometry().hitTest(point); }

void MainDialog::invalidateCell(int index) {
  platform.invalidate(0 <= index && index < CellCount ? cellRect(index) : gridFrameRect(), false);
}

void MainDialog::drawCellNow(int index) {
  const GridGeometry view = geometry();
  const Rect rect = view.cellRect(index);
  DrawingContext& dc = platform.immediateContext();
  drawCell(dc, grid.cellAt(index), index, rect, view.frame, labelOf(index));
  drawDesignMarks(dc, index, rect, view.frame);
}

void MainDialog::paintGrid(DrawingContext& dc, const Rect& area) {
  if (highlightShown) dc.frameRect(highlightRect, dc.buttonFaceColor());
  for (const Rect& shown : blockingFramesShown) dc.frameRect(shown, dc.buttonFaceColor());
  blockingFramesShown.clear();
  const GridGeometry view = geometry();
  for (int i = 0; i < CellCount; ++i) {
    const Rect rect = view.cellRect(i);
    if (!rect.intersects(area)) continue;
    vexilo::drawCell(dc, grid.cellAt(i), i, rect, view.frame, labelOf(i));
    drawDesignMarks(dc, i, rect, view.frame);
  }
  if (selectedFrameShown) dc.frameRect(*selectedFrameShown, dc.buttonFaceColor());
  selectedFrameShown.reset();
  if (selectedWord) {
    const WordNumbers words = numberWords(grid, clues.properties.numbering);
    if (const NumberedWord* word = words.find(*selectedWord)) {
      selectedFrameShown =
          geometry().slotRect(PuzzleGrid::columnOf(word->key.cell),
                              PuzzleGrid::rowOf(word->key.cell), word->length, word->key.direction);
      dc.frameRect(*selectedFrameShown, ClueFrame);
    }
  }
  for (const int slot : blockingSlots) {
    if (!slots.holds(slot)) continue;
    blockingFramesShown.push_back(slotRect(slot));
    dc.frameRect(blockingFramesShown.back(), BlockingFrame);
  }
  if (slots.holds(slots.currentSlot)) drawSlotHighlight(dc, slots.currentSlot, true);
}

Rect MainDialog::slotRect(int slot) {
  const WordSlot& s = slots.slots[static_cast<std::size_t>(slot)];
  return geometry().slotRect(s.column, s.row, s.length, s.direction);
}

void MainDialog::drawSlotHighlight(DrawingContext& dc, int slot, bool on) {
  const Rect rect = slotRect(slot);
  if (on) {
    dc.frameRect(rect, SlotFrame);
    highlightRect = rect;
    highlightShown = true;
  } else {
    dc.frameRect(rect, dc.buttonFaceColor());
    highlightShown = false;
  }
}

}  // namespace vexilo
