#include "support/grid_picture.h"

#include "support/sjis.h"

namespace vexilo::test {

namespace {

std::size_t utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

}  // namespace

void drawPicture(PuzzleGrid& grid, const std::vector<std::string>& rows, int top, int left) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::string& row = rows[r];
    int column = left;
    for (std::size_t at = 0; at < row.size(); ++column) {
      const std::size_t n = utf8Length(static_cast<unsigned char>(row[at]));
      const std::string ch = row.substr(at, n);
      at += n;
      NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(top + static_cast<int>(r), column));
      cell.mark = -1;
      if (ch == "#") {
        cell = NodeBox{};
      } else if (ch == ".") {
        cell.flag = Open;
        cell.str.clear();
      } else if (ch == "*") {
        cell.flag = Star;
        cell.str.clear();
      } else {
        cell.flag = Fixed;
        cell.str = sj(ch);
      }
    }
  }
}

PuzzleGrid gridFromPicture(const std::vector<std::string>& rows) {
  PuzzleGrid grid;
  drawPicture(grid, rows);
  return grid;
}

std::vector<std::string> pictureOf(const PuzzleGrid& grid, int rows, int columns, int top,
                                   int left) {
  std::vector<std::string> picture;
  for (int r = top; r < top + rows; ++r) {
    std::string line;
    for (int c = left; c < left + columns; ++c) {
      const NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(r, c));
      if (cell.flag == Block) {
        line += '#';
      } else if (!cell.str.empty()) {
        line += u8(cell.str);
      } else {
        line += cell.flag == Star ? '*' : '.';
      }
    }
    picture.push_back(line);
  }
  return picture;
}

}  // namespace vexilo::test
