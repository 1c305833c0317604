#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_dialog.h"
#include "app/region_fill.h"
#include "app/result_lines.h"
#include "search/alternatives.h"
#include "search/fill_search.h"
#include "search/word_slot.h"

namespace vexilo {

namespace {

constexpr const char* NoWordInRegion = "The selected cells hold no word to fill";
constexpr int ProgressPeriodMs = 250;
constexpr std::string_view GenerateSection = "Generate";
constexpr std::string_view NextSeedEntry = "NextSeed";
constexpr const char* Gap = "  ";
// 辞書を開けませんでした:
constexpr const char* UnopenedDictionaryText =
    "\x8E\xAB\x8F\x91\x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD: ";
// 埋められる組み合わせがありません
constexpr const char* NoFillMessage =
    "\x96\x84\x82\xDF\x82\xE7\x82\xEA\x82\xE9\x91\x67\x82\xDD\x8D\x87\x82\xED\x82\xB9"
    "\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// ほかに埋められる組み合わせはありません
constexpr const char* NoFurtherFillMessage =
    "\x82\xD9\x82\xA9\x82\xC9\x96\x84\x82\xDF\x82\xE7\x82\xEA\x82\xE9\x91\x67\x82\xDD"
    "\x8D\x87\x82\xED\x82\xB9\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";

}  // namespace

// Draws every cell the engine writes at once, and lets the window's messages through.
class MainDialog::SearchHost : public FillHost {
 public:
  explicit SearchHost(MainDialog& dialog) : dialog_(dialog) {}

  // A cell the engine rewrites as the image already shows it (a crossing letter, written
  // again by the crossing word or restored when it goes) is not drawn again.
  void cellChanged(int cellIndex) override {
    const NodeBox& cell = dialog_.grid.cellAt(cellIndex);
    Shown& shown = shown_[static_cast<std::size_t>(cellIndex)];
    if (shown.valid && shown.cell.flag == cell.flag && shown.cell.mark == cell.mark &&
        shown.cell.str == cell.str) {
      return;
    }
    dialog_.drawCellNow(cellIndex);
    shown = {cell, true};
  }
  bool pumpMessages() override {
    updateTotals();  // so that a command or a progress line run by the pump sees them
    const std::uint64_t before = dialog_.commandsRun;
    dialog_.platform.pumpMessages();
    if (dialog_.commandsRun == before) return false;
    forgetShown();  // a command may have changed and repainted any cell
    return true;
  }
  SearchState searchState() const override { return dialog_.searchState; }

  // The dialog's totals follow the engine's counts from here on.
  void follow(const FillSearch& engine) {
    engine_ = &engine;
    testedBefore_ = dialog_.candidatesTested;
    placedBefore_ = dialog_.wordsPlaced;
  }
  void follow(const FastFill& engine) {
    fast_ = &engine;
    placedBefore_ = dialog_.wordsPlaced;
    decisionsBefore_ = dialog_.decisions;
    backtracksBefore_ = dialog_.backtracks;
  }
  void updateTotals() {
    if (engine_ != nullptr) {
      dialog_.progress.candidatesTested = engine_->candidatesTested();
      dialog_.progress.wordsPlaced = engine_->wordsPlaced();
      dialog_.candidatesTested = testedBefore_ + engine_->candidatesTested();
      dialog_.wordsPlaced = placedBefore_ + engine_->wordsPlaced();
    }
    if (fast_ != nullptr) {
      const FastProgress& fast = fast_->progress();
      dialog_.progress.decisions = fast.decisions;
      dialog_.progress.backtracks = fast.backtracks;
      dialog_.progress.restarts = fast.restarts;
      dialog_.progress.nogoods = fast.nogoods;
      dialog_.progress.wordsPlaced = fast.wordsPlaced;
      dialog_.progress.worstRank = fast.worstRank;
      dialog_.progress.proven = fast.proven;
      dialog_.progress.closedShare = fast.closedShare;
      dialog_.decisions = decisionsBefore_ + fast_->decisions();
      dialog_.backtracks = backtracksBefore_ + fast_->backtracks();
      dialog_.wordsPlaced = placedBefore_ + fast_->wordsPlaced();
    }
  }

 private:
  struct Shown {
    NodeBox cell;
    bool valid = false;  // false: draw the next change whatever it is
  };
  void forgetShown() {
    for (Shown& shown : shown_) shown.valid = false;
  }

  MainDialog& dialog_;
  std::vector<Shown> shown_ = std::vector<Shown>(CellCount);  // as last drawn by this host
  const FillSearch* engine_ = nullptr;
  const FastFill* fast_ = nullptr;
  std::uint64_t testedBefore_ = 0;
  std::uint64_t placedBefore_ = 0;
  std::uint64_t decisionsBefore_ = 0;
  std::uint64_t backtracksBefore_ = 0;
};

namespace {

// However a run ends, even by an exception, the window is left idle with nothing placed, and
// a close asked for while it ran goes ahead.
class RunGuard {
 public:
  RunGuard(SearchState& searchState, bool& closeRequested, SlotTable& slots, MessageLoopPort& loop)
      : searchState_(searchState), closeRequested_(closeRequested), slots_(slots), loop_(loop) {}
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;
  ~RunGuard() {
    for (WordSlot& slot : slots_.slots) slot.placed = false;
    searchState_ = SearchIdle;
    loop_.killTimer(IdProgressTimer);
    if (waiting_) loop_.endWaitCursor();
    if (closeRequested_) {
      closeRequested_ = false;
      loop_.endDialog(IdCancel);
    }
  }

  void beginWaitCursor() {
    loop_.beginWaitCursor();
    waiting_ = true;
  }

 private:
  SearchState& searchState_;
  bool& closeRequested_;
  SlotTable& slots_;
  MessageLoopPort& loop_;
  bool waiting_ = false;
};

// Slots whose every cell shows a letter: the words placed as the author sees them.
std::uint64_t wordsShown(const PuzzleGrid& grid, const SlotTable& slots) {
  std::uint64_t shown = 0;
  for (int i = 0; i < slots.slotCount; ++i) {
    const WordSlot& slot = slots.slots[static_cast<std::size_t>(i)];
    bool full = true;
    for (int p = 0; p < slot.length && full; ++p)
      full = !grid.cellAt(slotCell(slot, p)).str.empty();
    if (full) ++shown;
  }
  return shown;
}

// How the groups of the table came out; a stop overrides.
SearchOutcome outcomeOf(const SlotTable& slots, bool stopped) {
  SearchOutcome outcome;
  for (int i = 0; i < slots.slotCount; ++i) {
    const WordSlot& slot = slots.slots[static_cast<std::size_t>(i)];
    if (slot.groupState != (Visited | GroupRoot)) continue;
    ++outcome.groups;
    if (slot.candidates.empty()) ++outcome.unfilledGroups;
  }
  if (stopped) {
    outcome.end = SearchEnd::Stopped;
  } else if (outcome.unfilledGroups > 0) {
    outcome.end = SearchEnd::NoFill;
  }
  return outcome;
}

// The group of each slot, by the root of its tree.
std::vector<int> groupRoots(const SlotTable& slots) {
  std::vector<int> root(static_cast<std::size_t>(slots.slotCount), -1);
  for (int r = 0; r < slots.slotCount; ++r) {
    if (slots.slots[static_cast<std::size_t>(r)].groupState != (Visited | GroupRoot)) continue;
    std::vector<int> pending{r};
    while (!pending.empty()) {
      const int s = pending.back();
      pending.pop_back();
      root[static_cast<std::size_t>(s)] = r;
      const WordSlot& slot = slots.slots[static_cast<std::size_t>(s)];
      if (slot.firstChild >= 0) pending.push_back(slot.firstChild);
      if (s != r && slot.nextSibling >= 0) pending.push_back(slot.nextSibling);
    }
  }
  return root;
}

// The fast engine's own ending. With no fill, the parts that have one are filled: the groups
// of the slots that block the others are the groups without a fill, and those slots count as
// words.
SearchOutcome outcomeOf(const SlotTable& slots, SearchEnd fast,
                        const std::vector<BlockingSlot>& blocking) {
  SearchOutcome outcome;
  outcome.end = fast;
  outcome.groups = static_cast<int>(
      std::count_if(slots.slots.begin(), slots.slots.begin() + slots.slotCount,
                    [](const WordSlot& slot) { return slot.groupState == (Visited | GroupRoot); }));
  if (fast != SearchEnd::NoFill) return outcome;
  const std::vector<int> root = groupRoots(slots);
  std::vector<int> unfilled;
  for (const BlockingSlot& slot : blocking) {
    if (!slots.holds(slot.slot)) continue;
    const int group = root[static_cast<std::size_t>(slot.slot)];
    if (std::find(unfilled.begin(), unfilled.end(), group) == unfilled.end()) {
      unfilled.push_back(group);
    }
  }
  outcome.unfilledGroups = static_cast<int>(unfilled.size());
  outcome.blockingWords = static_cast<int>(blocking.size());
  return outcome;
}

}  // namespace

void MainDialog::RunSearch() { runSearch(std::nullopt); }

void MainDialog::runSearch(std::optional<CellRectangle> region) {
  if (searchState != SearchIdle) {
    searchState = SearchCancelled;
    return;
  }
  searchState = SearchRunning;
  stopAlternatives();
  alternatives.reset();
  fastFillGrid.reset();
  progress = SearchProgress{};
  progress.engine = region ? SearchEngine::Fast : searchEngine;
  searchStartMs = platform.milliseconds();
  modalAtStartMs = platform.modalMilliseconds();
  SearchOutcome outcome;
  updateCommandStates();
  {
    RunGuard guard(searchState, closeRequested, slots, platform);
    platform.setTimer(IdProgressTimer, ProgressPeriodMs);
    showProgress();
    SearchHost host(*this);
    blockingSlots.clear();
    clearLettersToFill(region, host);
    spreadFixedLetters(grid, host);
    if (slots.holds(slots.currentSlot)) {
      drawSlotHighlight(platform.immediateContext(), slots.currentSlot, false);
    }
    guard.beginWaitCursor();

    refreshDictionaries();
    if (!slots.slotsCurrent) {
      extractSlots(grid, slots);
      slots.slotsCurrent = true;
      fastFill.forget();
    }
    if (region || searchEngine == SearchEngine::Fast) {
      runFastFill(host, region);
      outcome = outcomeOf(slots, *fastOutcome, fastFill.blocking());
    } else {
      runOrderedFill(host, outcome);
    }
  }
  progress.elapsedMs = searchElapsedMs();
  std::string told = outcomeText(progress, outcome);
  if (!dictionaryNote.empty()) told += Gap + dictionaryNote;
  if (unopenedDictionaries.empty()) {
    showStatus(told, {});
  } else {
    showStatus(told + Gap + UnopenedDictionaryText, unopenedDictionaries.front());
  }
  recordStep(false);  // the line tells how the search ended, not the rules of the layout
  keepSearchView();
}

std::int64_t MainDialog::searchElapsedMs() {
  return platform.milliseconds() - searchStartMs - (platform.modalMilliseconds() - modalAtStartMs);
}

void MainDialog::runOrderedFill(SearchHost& host, SearchOutcome& outcome) {
  FillSearch search(grid, wordIndex, slots, host, &bannedWords);
  search.checkInvariants = checkSearchInvariants;
  host.follow(search);
  search.fillGroups();
  outcome = outcomeOf(slots, searchState == SearchCancelled);
  search.placeFirstCandidates();
  host.updateTotals();

  slots.currentSlot = 0;
  if (slots.slotCount > 0) listCandidates(0);
  invalidateCell(-1);
}

void MainDialog::showProgress() {
  if (searchState == SearchIdle) return;
  progress.elapsedMs = searchElapsedMs();
  // The fast engine counts its words once it has a fill; meanwhile the grid shows them.
  if (progress.engine == SearchEngine::Fast) progress.wordsPlaced = wordsShown(grid, slots);
  showStatus(progressText(progress), {});
}

// Every search letter, or those inside the region.
void MainDialog::clearLettersToFill(const std::optional<CellRectangle>& region, FillHost& host) {
  if (region) {
    clearRegionLetters(grid, *region, host);
  } else {
    clearSearchLetters(grid, host);
  }
}

void MainDialog::runFastFill(SearchHost& host, const std::optional<CellRectangle>& region) {
  fastFill.settings.switches.checkInvariants = checkSearchInvariants;
  // The engine goes on from its last fill only over the same slots.
  if (region != fastRegion) fastFill.forget();
  fastRegion = region;
  bool ran = true;  // false: no slot in the region, nothing to fill
  const auto run = [&] {
    host.follow(fastFill);
    if (!region) return fastFill.run(grid, wordIndex, slots, host, &bannedWords);
    ran = !slotsInRegion(slots, *region).empty();
    return fillRegion(grid, wordIndex, slots, fastFill, host, *region, &bannedWords);
  };
  SearchEnd outcome = run();
  // A command changed the grid under the search: it starts afresh on the grid as it is now.
  while (ran && fastFill.gridChanged() && searchState == SearchRunning) {
    clearLettersToFill(region, host);
    spreadFixedLetters(grid, host);
    extractSlots(grid, slots);
    slots.slotsCurrent = true;
    fastFill.forget();
    host.updateTotals();
    outcome = run();
  }
  host.updateTotals();
  if (!ran) platform.showMessage(NoWordInRegion);
  fastOutcome = outcome;
  if (outcome == SearchEnd::Filled) fastFillGrid = grid;
  slots.currentSlot = 0;
  if (outcome != SearchEnd::NoFill) {
    if (slots.slotCount > 0) listCandidates(0);
    invalidateCell(-1);
    if (outcome == SearchEnd::NoFurtherFill) platform.showMessage(NoFurtherFillMessage);
    return;
  }
  // The slots that block the fill are framed and listed with their patterns instead.
  slots.currentSlot = -1;
  resultText.clear();
  for (const BlockingSlot& blocking : fastFill.blocking()) {
    blockingSlots.push_back(blocking.slot);
    resultText += blockingSlotLine(grid, slots.slots[static_cast<std::size_t>(blocking.slot)],
                                   blocking.candidates);
    resultText += "\r\n";
  }
  pushControls();
  invalidateCell(-1);
  platform.showMessage(NoFillMessage);
}

void MainDialog::GeneratePuzzle() {
  if (searchState != SearchIdle) {  // as Search: the press only asks the run to stop
    searchState = SearchCancelled;
    return;
  }
  if (!mayDiscardChanges(UnsavedQuestion::New)) return;
  const std::optional<std::pair<int, int>> size = askPuzzleSize();
  if (!size) return;
  GenerateRequest request;
  request.width = size->first;
  request.height = size->second;
  request.symmetry = design.symmetry;
  // Each press makes another grid; the status line names the seed, so that vexilo-cli
  // generate --seed makes the same one again.
  const int seed = std::max(settings.readInt(GenerateSection, NextSeedEntry, 1), 1);
  settings.writeInt(GenerateSection, NextSeedEntry, seed < INT_MAX ? seed + 1 : 1);
  request.seed = static_cast<std::uint64_t>(seed);
  GenerateGrid(request);
}

GenerateOutcome MainDialog::GenerateGrid(const GenerateRequest& request) {
  GenerateOutcome outcome;
  if (searchState != SearchIdle) {
    searchState = SearchCancelled;
    return outcome;
  }
  searchState = SearchRunning;
  progress = SearchProgress{};
  progress.engine = SearchEngine::Fast;
  progress.generating = true;
  searchStartMs = platform.milliseconds();
  modalAtStartMs = platform.modalMilliseconds();
  updateCommandStates();
  bool replaced = false;
  {
    RunGuard guard(searchState, closeRequested, slots, platform);
    platform.setTimer(IdProgressTimer, ProgressPeriodMs);
    showProgress();
    SearchHost host(*this);
    guard.beginWaitCursor();
    refreshDictionaries();
    // Without words the puzzle stays as it is, clues and all.
    replaced = longestCommonLength(wordIndex) != 0;
    if (replaced) {
      blockingSlots.clear();
      startAfresh();
      invalidateCell(-1);
      host.follow(fastFill);
      fastFill.settings.switches.checkInvariants = checkSearchInvariants;
      outcome = generatePuzzle(grid, slots, wordIndex, fastFill, host, request, &bannedWords);
      host.updateTotals();
    }
  }
  if (replaced) {
    fastRegion.reset();
    fastOutcome.reset();
    slots.clear();
    currentFile.clear();  // 上書き保存 asks for a name, as for 新規作成
    invalidateCell(-1);
  }
  progress.elapsedMs = searchElapsedMs();
  showStatus(generateText(outcome, request.seed, progress.elapsedMs), {});
  recordStep(false);  // the line tells how the run ended
  return outcome;
}

void MainDialog::ChooseSearchEngine(SearchEngine engine) {
  if (engine != searchEngine) {
    searchEngine = engine;
    slots.markStale();  // neither engine continues from what the other left in the slots
  }
  showSearchEngine();  // only the menu: typed paths not yet pulled stay as typed
}

void MainDialog::ShowNextResult() {
  if (slots.holds(slots.currentSlot)) platform.invalidate(slotRect(slots.currentSlot), true);
  ++slots.currentSlot;
  if (slots.currentSlot >= slots.slotCount) slots.currentSlot = 0;
  if (!slots.holds(slots.currentSlot)) return;
  listCandidates(slots.currentSlot);
  platform.invalidate(slotRect(slots.currentSlot), true);
}

void MainDialog::listCandidates(int k) {
  stopAlternatives();
  alternatives.reset();
  if (slots.holds(k) && fillIsLive()) {
    listAlternatives(k);
  } else {
    resultText = candidateLines(k);
  }
  pushControls();
}

std::string MainDialog::candidateLines(int k) {
  std::string text;
  int listed = 0;
  if (!slots.holds(k)) return text;
  for (const std::string& word : slots.slots[static_cast<std::size_t>(k)].candidates) {
    if (bannedWords.contains(word)) continue;
    text += word;
    text += "\r\n";
    if (++listed == ListedWords) {
      text += TooMany;
      break;
    }
  }
  return text;
}

}  // namespace vexilo
