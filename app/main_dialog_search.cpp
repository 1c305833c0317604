#include <string>

#include "app/main_dialog.h"
#include "search/fill_search.h"
#include "search/word_slot.h"

namespace vexilo {

namespace {

constexpr int ListedWords = 1002;  // the result box shows no more
constexpr const char* TooMany = "too Many...";

}  // namespace

// Draws every cell the engine writes at once, and lets the window's messages through.
class MainDialog::SearchHost : public FillHost {
 public:
  explicit SearchHost(MainDialog& dialog) : dialog_(dialog) {}

  void cellChanged(int cellIndex) override { dialog_.drawCellNow(cellIndex); }
  bool pumpMessages() override {
    updateTotals();  // so that a command or a progress line run by the pump sees them
    const std::uint64_t before = dialog_.commandsRun;
    dialog_.platform.pumpMessages();
    return dialog_.commandsRun != before;
  }
  SearchState searchState() const override { return dialog_.searchState; }

  // The dialog's totals follow the engine's counts from here on.
  void follow(const FillSearch& engine) {
    engine_ = &engine;
    testedBefore_ = dialog_.candidatesTested;
    placedBefore_ = dialog_.wordsPlaced;
  }
  void updateTotals() {
    if (engine_ == nullptr) return;
    dialog_.candidatesTested = testedBefore_ + engine_->candidatesTested();
    dialog_.wordsPlaced = placedBefore_ + engine_->wordsPlaced();
  }

 private:
  MainDialog& dialog_;
  const FillSearch* engine_ = nullptr;
  std::uint64_t testedBefore_ = 0;
  std::uint64_t placedBefore_ = 0;
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

}  // namespace

void MainDialog::RunSearch() {
  if (searchState != SearchIdle) {
    searchState = SearchCancelled;
    return;
  }
  searchState = SearchRunning;
  updateCommandStates();
  {
    RunGuard guard(searchState, closeRequested, slots, platform);
    SearchHost host(*this);
    clearSearchLetters(grid, host);
    spreadFixedLetters(grid, host);
    if (slots.holds(slots.currentSlot)) {
      drawSlotHighlight(platform.immediateContext(), slots.currentSlot, false);
    }
    guard.beginWaitCursor();

    refreshDictionaries();
    if (!slots.slotsCurrent) {
      extractSlots(grid, slots);
      slots.slotsCurrent = true;
    }
    FillSearch search(grid, wordIndex, slots, host);
    host.follow(search);
    search.fillGroups();
    search.placeFirstCandidates();
    host.updateTotals();

    slots.currentSlot = 0;
    if (slots.slotCount > 0) listCandidates(0);
    invalidateCell(-1);
  }
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
  resultText.clear();
  int listed = 0;
  if (slots.holds(k)) {
    for (const std::string& word : slots.slots[static_cast<std::size_t>(k)].candidates) {
      resultText += word;
      resultText += "\r\n";
      if (++listed == ListedWords) {
        resultText += TooMany;
        break;
      }
    }
  }
  pushControls();
}

}  // namespace vexilo
