#include <array>
#include <optional>
#include <string>
#include <utility>

#include "app/main_dialog.h"

namespace vexilo {

namespace {

constexpr std::string_view DesignSection = "Design";
constexpr std::string_view SymmetryEntry = "Symmetry";
constexpr std::string_view RulesSection = "Rules";
// In BlockRule order; 1 checked, 0 not.
constexpr std::array<std::string_view, BlockRuleCount> RuleEntries{
    "AdjacentBlack", "BlackCorner", "SplitWhite", "ClosedWhite", "SingleWhite"};

constexpr const char* BadSide = "Width and height are whole numbers from 2 to 32";

constexpr std::array<int, 4> SymmetryItems{IdSymmetryNone, IdSymmetryPoint, IdSymmetryLeftRight,
                                           IdSymmetryTopBottom};

// More changed marks than this repaint the whole grid at once.
constexpr int ManyCells = 64;

}  // namespace

void MainDialog::NewPuzzle() {
  if (searchState != SearchIdle) {  // as Clear: the press only asks the search to stop
    searchState = SearchCancelled;
    return;
  }
  if (!mayDiscardChanges(UnsavedQuestion::New)) return;
  if (const auto size = askPuzzleSize()) MakeNewPuzzle(size->first, size->second);
}

std::optional<std::pair<int, int>> MainDialog::askPuzzleSize() {
  const CellRectangle used = usedRectangle(grid);
  NewPuzzleData size{
      std::to_string(used.width() >= MinPuzzleSide ? used.width() : DefaultPuzzleSide),
      std::to_string(used.height() >= MinPuzzleSide ? used.height() : DefaultPuzzleSide)};
  for (;;) {
    if (!platform.runNewPuzzle(size)) return std::nullopt;
    const std::optional<int> width = puzzleSide(size.width);
    const std::optional<int> height = puzzleSide(size.height);
    if (width && height) return std::pair{*width, *height};
    platform.showMessage(BadSide);  // and the box again, with what was typed
  }
}

void MainDialog::MakeNewPuzzle(int width, int height) {
  layOutNewPuzzle(grid, width, height);
  slots.clear();
  startAfresh();
  currentFile.clear();  // 上書き保存 asks for a name for the new puzzle
  invalidateCell(-1);
}

void MainDialog::startAfresh() {
  forgetClues();
  selectCells({});
  pullControls();
  resultText.clear();
  pushControls();
  rowOffset = 0;
  colOffset = 0;
  platform.setScrollPosition(IdVerticalBar, 0);
  platform.setScrollPosition(IdHorizontalBar, 0);
  design.cursor = 0;
}

void MainDialog::ChooseSymmetry(Symmetry symmetry) {
  design.symmetry = symmetry;
  settings.writeInt(DesignSection, SymmetryEntry, static_cast<int>(symmetry));
  showDesignChoices();
}

void MainDialog::SwitchBlockRule(BlockRule rule) {
  design.rules ^= ruleBit(rule);
  const bool on = (design.rules & ruleBit(rule)) != 0;
  settings.writeInt(RulesSection, RuleEntries[static_cast<std::size_t>(rule)], on ? 1 : 0);
  showDesignChoices();
  checkLayout();
}

void MainDialog::restoreDesignSettings() {
  const int symmetry = settings.readInt(DesignSection, SymmetryEntry, 1);
  design.symmetry =
      0 <= symmetry && symmetry <= 3 ? static_cast<Symmetry>(symmetry) : Symmetry::Point;
  design.rules = 0;
  for (int r = 0; r < BlockRuleCount; ++r) {
    if (settings.readInt(RulesSection, RuleEntries[static_cast<std::size_t>(r)], 1) != 0) {
      design.rules |= ruleBit(static_cast<BlockRule>(r));
    }
  }
  showDesignChoices();
}

void MainDialog::showDesignChoices() {
  for (std::size_t s = 0; s < SymmetryItems.size(); ++s) {
    platform.setChecked(SymmetryItems[s], static_cast<int>(design.symmetry) == static_cast<int>(s));
  }
  for (int r = 0; r < BlockRuleCount; ++r) {
    platform.setChecked(IdRuleAdjacentBlack + r,
                        (design.rules & ruleBit(static_cast<BlockRule>(r))) != 0);
  }
}

void MainDialog::mirrorEdits(const Layout& before) {
  for (const int m : mirrorLayoutChanges(grid, before, design.symmetry)) invalidateCell(m);
}

void MainDialog::checkLayout(bool showResult) {
  const Layout layout = layoutOf(grid);
  if (design.checked && layout == design.checkedLayout && design.rules == design.checkedRules) {
    return;
  }
  RuleCheck check = checkBlockRules(layout, design.rules);
  std::vector<int> changed;
  for (int i = 0; i < CellCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (check.offending[at] != design.check.offending[at]) changed.push_back(i);
  }
  if (static_cast<int>(changed.size()) > ManyCells) {
    invalidateCell(-1);
  } else {
    for (const int i : changed) invalidateCell(i);
  }
  design.check = std::move(check);
  design.checkedLayout = layout;
  design.checkedRules = design.rules;
  design.checked = true;
  if (showResult) platform.showStatus(ruleStatusText(design.check, design.rules, layout.any()), "");
}

void MainDialog::drawDesignMarks(DrawingContext& dc, int index, const Rect& rect,
                                 const Rect& frame) {
  if (!rect.intersects(frame)) return;
  if (design.check.offending[static_cast<std::size_t>(index)] != 0) drawRuleMark(dc, rect);
  const CellRectangle& selected = design.selection;
  const int row = PuzzleGrid::rowOf(index);
  const int column = PuzzleGrid::columnOf(index);
  if (selected.contains(row, column)) {
    unsigned sides = 0;
    if (column == selected.left) sides |= LeftSide;
    if (row == selected.top) sides |= TopSide;
    if (column == selected.right - 1) sides |= RightSide;
    if (row == selected.bottom - 1) sides |= BottomSide;
    drawSelectionEdges(dc, rect, sides);
  }
  if (design.focused && index == design.cursor) drawCursor(dc, rect, design.direction);
}

}  // namespace vexilo
