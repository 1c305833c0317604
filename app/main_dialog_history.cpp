#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/main_dialog.h"
#include "search/candidate_lock.h"
#include "search/fill_search.h"

namespace vexilo {

namespace {

const char* lockRefusal(LockResult result) {
  switch (result) {
    case LockResult::NotThisLength: return "The word is not as long as the framed slot";
    case LockResult::SlotChanged: return "The framed slot has changed since the search";
    case LockResult::GivenLetterDiffers: return "The word does not match the given letters";
    case LockResult::GroupLetterDiffers: return "The word does not match its numbered group";
    case LockResult::Locked: break;
  }
  return nullptr;
}

// Line n of a text whose lines end in CR LF; empty past the last one.
std::string_view lineOf(std::string_view text, int n) {
  for (; n > 0; --n) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return {};
    text.remove_prefix(end + 2);
  }
  return text.substr(0, text.find("\r\n"));
}

}  // namespace

void MainDialog::recordStep(bool reportRules) {
  // A search's trials are no steps: the whole run becomes one once it has returned.
  if (searchState == SearchIdle) {
    history.record(grid, clues, {rowOffset, colOffset});
    refreshClues();
    checkLayout(reportRules);
  }
  updateCommandStates();
  showTitle();
}

void MainDialog::updateCommandStates() {
  platform.enableCommand(IdUndo, searchState == SearchIdle && history.canUndo());
  platform.enableCommand(IdRedo, searchState == SearchIdle && history.canRedo());
  platform.enableCommand(IdSearchRegion, !design.selection.empty());
}

void MainDialog::Undo() {
  if (searchState != SearchIdle) return;
  ViewOffsets view{rowOffset, colOffset};
  if (!history.undo(grid, clues, view)) return;
  showRestoredGrid(view);
}

void MainDialog::Redo() {
  if (searchState != SearchIdle) return;
  ViewOffsets view{rowOffset, colOffset};
  if (!history.redo(grid, clues, view)) return;
  showRestoredGrid(view);
}

void MainDialog::showRestoredGrid(ViewOffsets view) {
  const GridShape shown = visibleCells();  // the view may have grown since
  rowOffset = std::min(view.row, GridSize - shown.rows);
  colOffset = std::min(view.column, GridSize - shown.columns);
  platform.setScrollPosition(IdVerticalBar, rowOffset);
  platform.setScrollPosition(IdHorizontalBar, colOffset);
  showSearchView();
  invalidateCell(-1);
}

void MainDialog::OnResultDoubleClick(int line) {
  ++commandsRun;
  pullControls();
  const std::string word(lineOf(resultText, line));
  if (word.empty()) return;
  LockCandidate(word);
  recordStep();
}

void MainDialog::LockCandidate(std::string_view word) {
  // During a search the frame and the list belong to the run before it.
  if (searchState != SearchIdle || !slots.holds(slots.currentSlot)) return;
  const WordSlot& slot = slots.slots[static_cast<std::size_t>(slots.currentSlot)];
  const LockResult result = lockWord(grid, slot, word);
  if (result != LockResult::Locked) {
    platform.showMessage(lockRefusal(result));
    return;
  }
  for (int i = 0; i < slot.length; ++i) invalidateCell(slotCell(slot, i));
  slots.markStale();
}

void MainDialog::OnGridWheel(int lines, bool columns) {
  const ScrollCode code = lines < 0 ? ScrollLineUp : ScrollLineDown;
  for (int n = std::abs(lines); n > 0; --n) {
    if (columns) {
      OnHScroll(code, 0);
    } else {
      OnVScroll(code, 0);
    }
  }
}

}  // namespace vexilo
