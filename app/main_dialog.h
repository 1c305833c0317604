#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/control_ids.h"
#include "app/grid_design.h"
#include "app/puzzle_generator.h"
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

class AlternativeList;

inline constexpr const char* AppTitle = "Vexilo";
inline constexpr const char* AppCaption = "Vexilo Version 1.16";
inline constexpr int RecentFileCount = 8;  // entries of 最近使ったファイル

// What a command that would drop unsaved changes is about to do; the question names it.
enum class UnsavedQuestion { Quit, Open, New };

// The list, the frames and the status line of a search, kept for the grid it left behind, so
// that undo and redo back to that grid show them again.
struct SearchView {
  std::uint64_t position = 0;  // of the history, once the search's step was recorded
  SlotTable slots;
  std::string resultText;
  std::vector<int> blockingSlots;
  std::string status;
  std::string statusPath;
};

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
  void OnGridResized();  // the frame shows other counts of cells, or has another size

  // Start-up and Exit (main_dialog_settings.cpp).
  void restoreSettings();
  void OnExit();
  void restoreClues();  // the clues and properties kept with the grid between runs
  void storeClues();

  // Keeping the author's work: unsaved changes, the title, recent files, the folder of the file
  // dialogs, the recovery file, the window's size (main_dialog_session.cpp).
  void restoreSession();  // recent files, the folder and the window's size from the store
  void OnClosed();        // the window has closed, whichever way: a clean exit
  // The grid differs from the one at start or last opened or saved, or the dictionary rows
  // from what the store holds. Reads the controls.
  bool hasUnsavedChanges();
  bool gridUnsaved() const;
  // Put in front of a command that drops unsaved changes (ファイルを開く, 新規作成, closing):
  // asks when there are some; true to go on.
  bool mayDiscardChanges(UnsavedQuestion question);
  void markSaved(const std::string& path);  // the grid as it stands is that file's
  void showTitle();
  void OpenRecentFile(int n);  // entry n of the list, from 0
  void noteRecentFile(const std::string& path);
  std::string dialogFolder();                    // where the next file dialog starts
  void rememberFolder(const std::string& path);  // of a file chosen in a dialog
  std::string recoveryPath();                    // empty when the store has no folder
  void writeRecoveryFile();
  void offerRecoveryFile();
  void showStatus(std::string_view text, std::string_view path);
  void keepSearchView();  // for the grid the search that just ended left behind
  void showSearchView();  // the kept one of the grid as it now is, or none

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
  std::string candidateLines(int k);  // slot k's candidates, banned words left out
  void showProgress();                // on the status line, while a search runs
  void ChooseSearchEngine(SearchEngine engine);
  // 自動作成: asks for the size, then makes a grid with the 対称 chosen and the next seed.
  void GeneratePuzzle();
  // Lays out and fills a grid as a search runs, one undoable step; also from vexilo-cli.
  GenerateOutcome GenerateGrid(const GenerateRequest& request);

  // The words a slot can take after a fast fill, checked a few at each dispatch, and the words
  // the author bans (main_dialog_words.cpp).
  void BanWord();            // the word on the result box's current line
  void ShowBannedWords();    // and allows again those the author chooses
  int restoreBannedWords();  // the lines of the file that name no word, left out
  void tellSkippedBans(int lines);
  std::string bannedWordsPath();                               // empty when the store has no folder
  void setBannedWords(const std::vector<std::string>& words);  // and saves them
  bool fillIsLive();  // the grid is the fast engine's last fill, with no banned word in it
  void listAlternatives(int k);  // into resultText, and starts checking them
  std::string alternativeLines(bool checksHold);
  void checkAlternatives();                     // a turn of the timer
  void stopAlternatives();                      // the list stays as shown
  bool isUncheckedWord(std::string_view word);  // listed, and not known to admit a fill
  void relistWords();  // the framed slot's list again, where the box shows it, after bans

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
  void OnResultDoubleClick(int line);         // line of the result box, from 0
  bool LockCandidate(std::string_view word);  // true when locked
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
  void startAfresh();           // no clues, selection, list or scrolling of the puzzle before

  // Files (main_dialog_files.cpp). Each is true when the file was read or written.
  bool OpenCrosswordFile();
  bool openCrosswordFile(const std::string& path);  // false when it showed its failure
  bool SaveCrosswordFile();
  bool SaveOverCrosswordFile();  // 上書き保存
  bool saveCrosswordFile(const std::string& path);
  bool ExportPuzzleHtml();
  bool ExportPdf();
  void PrintPuzzle();

  // Laying out the grid (main_dialog_design.cpp).
  void NewPuzzle();
  void MakeNewPuzzle(int width, int height);           // the box's answer, also from vexilo-cli new
  std::optional<std::pair<int, int>> askPuzzleSize();  // the new-puzzle box: width, height
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
  GridShape visibleCells() { return platform.visibleCells(); }
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
  SearchProgress progress;          // of the search that runs or ran last
  std::int64_t searchStartMs = 0;   // platform.milliseconds() when it began
  std::int64_t modalAtStartMs = 0;  // platform.modalMilliseconds() then
  std::int64_t searchElapsedMs();   // since it began, without the time modal boxes waited
  std::vector<std::string> unopenedDictionaries;  // paths the last refresh could not open
  SearchEngine searchEngine = SearchEngine::DictionaryOrder;
  FastFill fastFill;
  BannedWords bannedWords;                  // kept out of both engines' fills
  bool checkSearchInvariants = false;       // both engines check themselves at every step (fuzzing)
  std::optional<SearchEnd> fastOutcome;     // of the last run of the fast engine
  std::optional<CellRectangle> fastRegion;  // what the fast engine last filled; none: the grid
  std::vector<int> blockingSlots;           // framed after the fast engine found no fill
  std::vector<Rect> blockingFramesShown;
  std::optional<PuzzleGrid> fastFillGrid;         // as the last fill of the fast engine left it
  std::unique_ptr<AlternativeList> alternatives;  // of the framed slot, while the box lists them
  std::unordered_set<std::string> knownToFit;     // the engine's own list: fits with the fill kept
  bool bansUnreadable = false;  // the file is there but cannot be read: never written over
  std::uint64_t decisions = 0;  // totals of the fast engine over every run
  std::uint64_t backtracks = 0;

  std::string currentFile;          // the crossword file last opened or saved; empty for none
  std::uint64_t savedPosition = 0;  // history.position() of the grid at start or in that file
  DictionaryRows storedRows{{{{}, false}, {{}, false}, {{}, false}}};  // as the store holds them
  std::vector<std::string> recentFiles;                                // newest first
  std::string lastFolder;        // of the last file chosen in a dialog
  std::string samplesFolder;     // where the file dialogs start at first; set at start
  bool recoveryWritten = false;  // this run wrote the recovery file
  std::string statusText;        // as last shown, Shift_JIS
  std::string statusPath;
  std::deque<SearchView> searchViews;  // the last few, newest last

 private:
  class SearchHost;  // the fill engine's host (main_dialog_search.cpp)
  friend class SearchHost;
  void runSearch(std::optional<CellRectangle> region);  // none: the whole grid
  void clearLettersToFill(const std::optional<CellRectangle>& region, FillHost& host);
  void runFastFill(SearchHost& host, const std::optional<CellRectangle>& region);
  void runOrderedFill(SearchHost& host, SearchOutcome& outcome);
};

}  // namespace vexilo
