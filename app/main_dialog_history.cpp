#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/main_dialog.h"
#include "app/result_lines.h"
#include "search/candidate_lock.h"
#include "search/fill_search.h"

namespace vexilo {

namespace {

// 未確認の語を固定しました。次の検索で埋まらないことがあります
constexpr const char* UncheckedLockText =
    "\x96\xA2\x8A\x6D\x94\x46\x82\xCC\x8C\xEA\x82\xF0\x8C\xC5\x92\xE8\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD\x81\x42\x8E\x9F\x82\xCC\x8C\x9F\x8D\xF5\x82\xC5\x96\x84\x82\xDC\x82\xE7\x82\xC8"
    "\x82\xA2\x82\xB1\x82\xC6\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7";

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

}  // namespace

void MainDialog::recordStep(bool reportRules) {
  // A search's trials are no steps: the whole run becomes one once it has returned.
  if (searchState == SearchIdle) {
    history.record(grid, clues, bannedWords.words(), {rowOffset, colOffset});
    refreshClues();
    checkLayout(reportRules);
  }
  if (alternatives && !fillIsLive()) stopAlternatives();  // its words no longer apply
  updateCommandStates();
  showTitle();
}

void MainDialog::updateCommandStates() {
  platform.enableCommand(IdUndo, searchState == SearchIdle && history.canUndo());
  platform.enableCommand(IdRedo, searchState == SearchIdle && history.canRedo());
  platform.enableCommand(IdBanWord, searchState == SearchIdle);
  platform.enableCommand(IdBannedWords, searchState == SearchIdle);
  platform.enableCommand(IdSearchRegion, !design.selection.empty());
}

void MainDialog::Undo() {
  if (searchState != SearchIdle) return;
  ViewOffsets view{rowOffset, colOffset};
  GridHistory::WordList banned = bannedWords.words();
  if (!history.undo(grid, clues, banned, view)) return;
  if (banned != bannedWords.words()) setBannedWords(banned);
  showRestoredGrid(view);
}

void MainDialog::Redo() {
  if (searchState != SearchIdle) return;
  ViewOffsets view{rowOffset, colOffset};
  GridHistory::WordList banned = bannedWords.words();
  if (!history.redo(grid, clues, banned, view)) return;
  if (banned != bannedWords.words()) setBannedWords(banned);
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
  const std::string word(wordOfLine(lineOf(resultText, line)));
  if (word.empty()) return;
  const bool unchecked = isUncheckedWord(word);
  if (LockCandidate(word) && unchecked) showStatus(UncheckedLockText, {});
  recordStep();
}

bool MainDialog::LockCandidate(std::string_view word) {
  // During a search the frame and the list belong to the run before it.
  if (searchState != SearchIdle || !slots.holds(slots.currentSlot)) return false;
  const WordSlot& slot = slots.slots[static_cast<std::size_t>(slots.currentSlot)];
  const LockResult result = lockWord(grid, slot, word);
  if (result != LockResult::Locked) {
    platform.showMessage(lockRefusal(result));
    return false;
  }
  for (int i = 0; i < slot.length; ++i) invalidateCell(slotCell(slot, i));
  slots.markStale();
  return true;
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
