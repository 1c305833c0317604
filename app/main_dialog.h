#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/control_ids.h"
#include "app/grid_design.h"
#include "app/search_status.h"
#include "dictionary/dictionary_file.h"
#include "dictionary/word_index.h"
#include "puzzle/clues.h"
#include "puzzle/grid_history.h"
#include "puzzle/puzzle_grid.h"
#include "search/banned_words.h"
#include "search/fast_fill.h"
#include "search/fill_search.h"
#include "search/word_slot.h"
#include "ui/geometry.h"
#include "ui/grid_view.h"
#include "ui/platform.h"

namespace vexilo {

inline constexpr const char* AppTitle = "Vexilo";
inline constexpr const char* AppCaption = "Vexilo Version 1.16";

// The main window: every command is a handler here and works on the members below, which
// mirror the dialog's state. Members are public so that command tests can read and set them.
// Large (the cells alone are some 40 KB): create it on the heap.
class MainDialog : public CellListener, public GridKeyPort {
 public:
  MainDialog(Platform& platform, SettingsStore& settings);
  ~MainDialog() override;
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;

  // Window events, forwarded by the platform (main_dialog.cpp).
  void OnInitDialog();
  void OnCommand(int id);     // buttons and menu items by id
  bool OnSysCommand(int id);  // true when handled here; the rest goes to the default handling
  void OnCancel();            // Escape, the close box, the system menu's Close
  void OnPaint(DrawingContext& dc, const Rect& area);
  void OnTimer(int id);
  void OnVScroll(ScrollCode code, int position);
  void OnHScroll(ScrollCode code, int position);

  // Start-up and Exit (main_dialog_settings.cpp).
  void restoreSettings();
  void OnExit();
  void restoreClues();  // the clues and properties kept with the grid between runs
  void storeClues();

  // Grid editing (main_dialog_editing.cpp).
  void OnGridPress(Point point);
  void OnGridRightPress(Point point);
  void OnGridDoubleClick(Point point);
  void Clear();
  void About();

  // Search and results (main_dialog_search.cpp).
  void RunSearch();
  void ShowNextResult();
  void listCandidates(int k);
  void showProgress();  // on the status line, while a search runs
  void ChooseSearchEngine(SearchEngine engine);

  // The selected cells and the search within them (main_dialog_selection.cpp).
  void OnGridSelect(Point anchor, Point point);  // a Shift drag from anchor, now at point
  void SearchRegion();
  void selectCells(const CellRectangle& selection);  // empty: none

  // Dictionary panel (main_dialog_dictionary.cpp).
  void refreshDictionaries();
  void BrowseDictionary(int row);
  void RegisterWord(int row);

  // Undo, redo, locking a listed word, the wheel (main_dialog_history.cpp).
  void Undo();
  void Redo();
  void OnResultDoubleClick(int line);  // line of the result box, from 0
  void LockCandidate(std::string_view word);
  void OnGridWheel(int lines, bool columns);  // lines > 0: down or right
  // What changed since the last step becomes one, unless a search runs; the block rules are
  // checked again, and told on the status line when reportRules.
  void recordStep(bool reportRules = true);
  void updateCommandStates();
  void showRestoredGrid(ViewOffsets view);

  // Clues, their numbers and the puzzle's properties (main_dialog_clues.cpp).
  void OnClueEdited(ClueKey key, std::string_view text);  // from the panel, Shift_JIS
  void OnClueSelected(ClueKey key);                       // frames the word in the grid
  void EditPuzzleProperties();
  void ShowCluePanel();         // shows or hides the panel
  void selectWordAt(int cell);  // the word through a pressed cell, its row in the panel
  void refreshClues();          // numbers and panel after a change; repaints labels that moved
  void forgetClues();           // for a new puzzle; the numbering scheme stays

  // Files (main_dialog_files.cpp). Each is true when the file was read or written.
  bool OpenCrosswordFile();
  bool SaveCrosswordFile();
  bool ExportPuzzleHtml();
  bool ExportPdf();
  void PrintPuzzle();

  // Laying out the grid (main_dialog_design.cpp).
  void NewPuzzle();
  void MakeNewPuzzle(int width, int height);  // the box's answer, also from vexilo-cli new
  void ChooseSymmetry(Symmetry symmetry);
  void SwitchBlockRule(BlockRule rule);
  void restoreDesignSettings();
  void showDesignChoices();                  // the check marks of the 編集 menu
  void mirrorEdits(const Layout& before);    // after an edit, with the layout before it
  void checkLayout(bool showResult = true);  // the block rules, when the layout changed
  // The rule marks and the cursor, over a cell drawn in the window only.
  void drawDesignMarks(DrawingContext& dc, int index, const Rect& rect, const Rect& frame);

  // The keyboard (main_dialog_keyboard.cpp).
  void OnGridKey(GridKey key) override;
  void OnGridText(std::string_view text) override;
  void OnGridFocus(bool focused) override;
  void moveCursor(int cell);  // and scrolls it into view
  void clearLetter(int index);
  Rect cursorRect() { return cellRect(design.cursor); }

  // Dictionary row 1, 2 or 3.
  DictionaryRow& dictionaryRow(int row) {
    return dictionaryRows[static_cast<std::size_t>(row - 1)];
  }

  // Data exchange: the whole list each time.
  void pullControls();
  void pushControls();
  void showSearchEngine();  // the radio items of the 検索 menu

  // Grid view (main_dialog.cpp).
  GridGeometry geometry();
  Rect gridFrameRect();
  Rect cellRect(int index);
  int hitTest(Point point);
  void invalidateCell(int index);  // -1: the whole grid
  void drawCellNow(int index);     // through the immediate context, outside painting
  std::string_view labelOf(int index) const {
    return cellLabels.empty() ? std::string_view() : cellLabels[static_cast<std::size_t>(index)];
  }
  void paintGrid(DrawingContext& dc, const Rect& area);
  Rect slotRect(int slot);
  void drawSlotHighlight(DrawingContext& dc, int slot, bool on);

  // CellListener: a cell renumbered by releaseMark is repainted.
  void cellChanged(int index) override { invalidateCell(index); }

  Platform& platform;
  SettingsStore& settings;

  std::int32_t colOffset = 0;  // first visible column, 0..16
  std::int32_t rowOffset = 0;  // first visible row, 0..16
  SearchState searchState = SearchIdle;
  bool closeRequested = false;  // closed during a search: end once it has returned
  DictionaryLoadRecord loaded;  // what wordIndex was last built from
  std::string dictionaryNote;   // the lines that load left out (Shift_JIS), told after searches
  WordIndex wordIndex;
  SlotTable slots;  // slotCount, currentSlot and slotsCurrent live here
  PuzzleGrid grid;  // the cells and nextMark
  GridHistory history;
  PuzzleClues clues;                    // clue texts and properties, in the history too
  std::vector<std::string> cellLabels;  // clue label shown in each cell, Shift_JIS
  CluePanelData cluePanel;              // as the panel last showed it
  std::optional<ClueKey> selectedWord;  // framed in the grid, selected in the panel
  std::optional<Rect> selectedFrameShown;
  bool clueFileNoteShown = false;  // said once per puzzle that .crs keeps no clues
  bool cluePanelShown = true;
  GridDesign design;
  Rect highlightRect;
  bool highlightShown = false;
  std::string resultText;  // 1006, Shift_JIS
  // Edits 1001, 1002, 1010 and boxes 1014..1016; unchecked until the settings are read.
  DictionaryRows dictionaryRows{{{{}, false}, {{}, false}, {{}, false}}};
  std::uint64_t commandsRun = 0;       // commands and grid presses handled, nested ones included
  std::uint64_t candidatesTested = 0;  // totals over every search run, for vexilo-cli --stats
  std::uint64_t wordsPlaced = 0;
  SearchProgress progress;         // of the search that runs or ran last
  std::int64_t searchStartMs = 0;  // platform.milliseconds() when it began
  SearchEngine searchEngine = SearchEngine::DictionaryOrder;
  FastFill fastFill;
  BannedWords bannedWords;                  // kept out of both engines' fills
  bool checkSearchInvariants = false;       // both engines check themselves at every step (fuzzing)
  std::optional<SearchEnd> fastOutcome;     // of the last run of the fast engine
  std::optional<CellRectangle> fastRegion;  // what the fast engine last filled; none: the grid
  std::vector<int> blockingSlots;           // framed after the fast engine found no fill
  std::vector<Rect> blockingFramesShown;
  std::uint64_t decisions = 0;  // totals of the fast engine over every run
  std::uint64_t backtracks = 0;

 private:
  class SearchHost;  // the fill engine's host (main_dialog_search.cpp)
  friend class SearchHost;
  void runSearch(std::optional<CellRectangle> region);  // none: the whole grid
  void clearLettersToFill(const std::optional<CellRectangle>& region, FillHost& host);
  void runFastFill(SearchHost& host, const std::optional<CellRectangle>& region);
  void runOrderedFill(SearchHost& host, SearchOutcome& outcome);
};

}  // namespace vexilo
