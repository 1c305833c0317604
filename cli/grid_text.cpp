#include "cli/grid_text.h"

#include <string_view>

#include "files/web_export.h"
#include "ui/cp932_codec.h"

namespace vexilo::cli {

namespace {

std::string printable(std::string_view cp932) {
  std::string text = cp932ToUtf8(cp932);
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      shown += "\xEF\xBF\xBD";  // a control byte would break the row apart
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace

std::string gridText(const PuzzleGrid& grid) {
  const ExportRectangle area = exportedRectangle(grid);
  std::string text;
  for (int row = area.top; row < area.bottom; ++row) {
    for (int column = area.left; column < area.right; ++column) {
      const NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(row, column));
      if (cell.flag == Block) {
        text += "\xE2\x96\xA0";  // ■
      } else if (cell.str.empty()) {
        text += "\xE2\x96\xA1";  // □
      } else {
        text += printable(cell.str);
      }
    }
    text += '\n';
  }
  return text;
}

}  // namespace vexilo::cli
