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

}  // namespace

void MainDialog::OnGridPress(Point point) {
  ++commandsRun;
  const StepScope oneStep(*this);
  const int i = hitTest(point);
  if (i == -1) return;
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
  const int i = hitTest(point);
  if (i == -1) return;
  grid.makeBlock(i);
  invalidateCell(i);
  slots.markStale();
}

void MainDialog::OnGridDoubleClick(Point point) {
  ++commandsRun;
  const StepScope oneStep(*this);
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
  const Numbering numbering = clues.properties.numbering;
  clues = {};  // a new puzzle, numbered as the last
  clues.properties.numbering = numbering;
  clueFileNoteShown = false;
  slots.clear();
  pullControls();
  resultText.clear();
  pushControls();
  invalidateCell(-1);
}

void MainDialog::About() { platform.runAbout(); }

}  // namespace vexilo
