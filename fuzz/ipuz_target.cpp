#include <string>

#include "files/ipuz_file.h"
#include "files/print_layout.h"
#include "files/web_export.h"
#include "fuzz/targets.h"
#include "ui/cp932_codec.h"

namespace vexilo::fuzz {

namespace {

bool sameCells(const PuzzleGrid& a, const PuzzleGrid& b) {
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& x = a.cellAt(i);
    const NodeBox& y = b.cellAt(i);
    if (x.str != y.str || x.flag != y.flag || x.mark != y.mark) return false;
  }
  return a.nextMark() == b.nextMark();
}

// Every byte a millimetre, enough to lay out pages.
struct ByteMetrics : TextMetrics {
  double width(std::string_view text, double) const override {
    return static_cast<double>(text.size());
  }
};

}  // namespace

void ipuzTarget(std::string_view input) {
  static const Cp932WordListCodec codec;
  PuzzleGrid grid;
  grid.makeOpen(7);
  PuzzleClues clues;
  clues.setText({7, Across}, "kept");
  const PuzzleGrid before = grid;
  const PuzzleClues cluesBefore = clues;
  std::string error;
  if (!parseIpuz(input, codec, grid, clues, error)) {
    require(!error.empty(), "a refused document says why");
    require(sameCells(grid, before) && clues == cluesBefore, "a refused document changes nothing");
    return;
  }
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    require(cell.mark >= -1 && cell.mark < CellCount, "marks stay in -1..1023");
    require(cell.str.empty() || cell.str.size() == 2, "every letter read is one full-width one");
  }
  const std::string saved = formatIpuz(grid, clues, codec);
  PuzzleGrid back;
  PuzzleClues backClues;
  require(parseIpuz(saved, codec, back, backClues, error),
          "what was read saves to a readable file");
  require(sameCells(back, grid) && backClues == clues, "what was read comes back whole");
  for (const PageForm form : {PageForm::Html, PageForm::Php}) {
    require(formatPage(grid, form, clues) == formatPage(grid, form, clues), "pages are stable");
  }
  require(layoutPuzzle(grid, clues, PaperSize::A4, ByteMetrics()).size() >= 2,
          "the pages hold a puzzle page and an answer page");
}

}  // namespace vexilo::fuzz
