#include <string>
#include <string_view>

#include "app/main_dialog.h"
#include "dictionary/full_width.h"
#include "search/fill_search.h"

namespace vexilo {

namespace {

constexpr std::string_view StarPiece = "\x81\x96";  // ＊
constexpr std::string_view OpenPiece = "\x81\x45";  // ・
constexpr std::size_t PieceBytes = 2;               // one two-byte letter per cell
constexpr int DownDirection = 1;                    // "縦"; anything else runs across "横"

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
  slots.slotsCurrent = 0;

  const TrackResult track = platform.trackRectangle(cellRect(i), point);
  if (!track.changed) return;
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
  slots.slotsCurrent = 0;
}

void MainDialog::OnGridDoubleClick(Point point) {
  ++commandsRun;
  const StepScope oneStep(*this);
  const int i = hitTest(point);
  if (i == -1) return;
  WordEntryData entry;
  entry.text = grid.cellAt(i).str;
  if (!platform.runWordEntry(entry)) return;  // Escape leaves every cell as it was

  const std::string text = toFullWidth(entry.text);
  const bool down = entry.direction == DownDirection;
  const int step = down ? GridSize : 1;
  const int row = PuzzleGrid::rowOf(i);
  int j = i;
  for (std::size_t at = 0; at + PieceBytes <= text.size(); at += PieceBytes, j += step) {
    if (j >= CellCount || (!down && PuzzleGrid::rowOf(j) != row)) break;
    NodeBox& cell = grid.cellAt(j);
    const std::string_view piece = std::string_view(text).substr(at, PieceBytes);
    if (piece == StarPiece) {
      cell.flag = Star;
      cell.str.clear();
    } else if (piece == OpenPiece) {
      cell.flag = Open;
      cell.str.clear();
    } else {
      cell.flag = Fixed;
      cell.str = piece;
    }
    invalidateCell(j);
    slots.slotsCurrent = 0;
  }
}

void MainDialog::Clear() {
  if (searchState != SearchIdle) {
    searchState = SearchCancelled;
    return;
  }
  grid.clearGrid();
  slots.slotCount = 0;
  slots.currentSlot = 0;
  slots.slotsCurrent = 0;
  pullControls();
  resultText.clear();
  pushControls();
  invalidateCell(-1);
}

void MainDialog::About() { platform.runAbout(); }

}  // namespace vexilo
