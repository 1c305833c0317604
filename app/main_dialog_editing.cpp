#include <vector>

#include "app/main_dialog.h"
#include "dictionary/full_width.h"
#include "search/fill_search.h"

namespace vexilo {

namespace {

// However a handler returns, what it changed becomes one undo step: a press with its link too.
class StepScope {
 public:
  explicit StepScope(MainDialog& dialog) : dialog_(dialog) {}
  ~StepScope() { dialog_.recordStep(); }
  StepScope(const StepScope&) = delete;
  StepScope& operator=(const StepScope&) = delete;

 private:
  MainDialog& dialog_;
};

// Cells that a handler turns black or open have their mirror cells turned the same way, in the
// same step: declared after the StepScope, so that it ends first.
class MirrorScope {
 public:
  explicit MirrorScope(MainDialog& dialog) : dialog_(dialog), before_(layoutOf(dialog.grid)) {}
  ~MirrorScope() { dialog_.mirrorEdits(before_); }
  MirrorScope(const MirrorScope&) = delete;
  MirrorScope& operator=(const MirrorScope&) = delete;

 private:
  MainDialog& dialog_;
  Layout before_;
};

}  // namespace

void MainDialog::OnGridPress(Point point) {
  ++commandsRun;
  const StepScope oneStep(*this);
  const MirrorScope mirrored(*this);
  const int i = hitTest(point);
  if (i == -1) return;
  selectCells({});
  moveCursor(i);
  grid.makeOpen(i);
  invalidateCell(i);
  slots.markStale();

  const TrackResult track = platform.trackRectangle(cellRect(i), point);
  if (!track.changed) {
    selectWordAt(i);
    return;
  }
  // The cell under the point that moved with the outline.
  const int j = hitTest({point.x + track.dx, point.y + track.dy});
  if (j == -1 || j == i) return;
  grid.linkCells(i, j);
  invalidateCell(j);
  invalidateCell(i);
}

void MainDialog::OnGridRightPress(Point point) {
  ++commandsRun;
  const StepScope oneStep(*this);
  const MirrorScope mirrored(*this);
  const int i = hitTest(point);
  if (i == -1) return;
  moveCursor(i);
  grid.makeBlock(i);
  invalidateCell(i);
  slots.markStale();
}

void MainDialog::OnGridDoubleClick(Point point) {
  ++commandsRun;
  const StepScope oneStep(*this);
  const MirrorScope mirrored(*this);
  const int i = hitTest(point);
  if (i == -1) return;
  WordEntryData entry;
  entry.text = grid.cellAt(i).str;
  if (!platform.runWordEntry(entry)) return;  // Escape leaves every cell as it was

  const std::vector<int> written = grid.typeText(i, toFullWidth(entry.text), entry.direction);
  if (!written.empty()) slots.markStale();
  for (int j : written) invalidateCell(j);
}

void MainDialog::Clear() {
  if (searchState != SearchIdle) {
    searchState = SearchCancelled;
    return;
  }
  grid.clearGrid();
  forgetClues();
  selectCells({});
  slots.clear();
  pullControls();
  resultText.clear();
  pushControls();
  invalidateCell(-1);
}

void MainDialog::About() { platform.runAbout(); }

}  // namespace vexilo
