#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "puzzle/clues.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

// The printed puzzle as boxes and texts in millimetres from the page's top-left corner; a
// painter only draws them. Texts are Shift_JIS.
enum class PaperSize { A4, B5, Letter };  // portrait; B5 is the Japanese (JIS) one

struct PaperDimensions {
  double width = 0;
  double height = 0;
};
PaperDimensions paperDimensions(PaperSize paper);

// Widths of texts in the font the painter uses, so that clue lists wrap where it will.
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  virtual double width(std::string_view text, double points) const = 0;  // millimetres
};

struct PrintBox {
  double left = 0, top = 0, right = 0, bottom = 0;
  double line = 0;      // width of the frame in millimetres; 0 for none
  bool filled = false;  // black
};

struct PrintText {
  double x = 0, y = 0;  // top-left of the text's line box
  double points = 10;
  std::string text;
  bool operator==(const PrintText&) const = default;
};

struct PrintPage {
  std::vector<PrintBox> boxes;
  std::vector<PrintText> texts;
};

inline constexpr double PointsToMillimetres = 25.4 / 72;
inline constexpr double LineSpacing = 1.35;  // line height over the font size

// The puzzle page (title, grid with clue labels, given letters and groups in double frames,
// the keyword boxes, タテのカギ and ヨコのカギ in two columns), more pages while the clues run
// on, then the answer page (the filled grid and keyword).
std::vector<PrintPage> layoutPuzzle(const PuzzleGrid& grid, const PuzzleClues& clues,
                                    PaperSize paper, const TextMetrics& metrics);

}  // namespace vexilo
