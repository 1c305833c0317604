#pragma once

#include <cstdint>
#include <string>

namespace vexilo {

inline constexpr int GridSize = 32;      // rows, and columns
inline constexpr int CellCount = 1024;   // GridSize * GridSize
inline constexpr int VisibleCells = 16;  // rows, and columns, on screen

// Values of NodeBox::flag. Stored data may hold other values; they are kept as read.
enum NodeFlag : std::int32_t {
  Block = 0,  // black cell, ends word runs
  Open = 1,   // letter chosen by the search
  Star = 2,   // open cell under the star rule
  Fixed = 3,  // letter given by the author
};

// Which way a word runs from its first cell.
enum SlotDirection : std::int32_t {
  Across = 0,  // "横"
  Down = 1,    // "縦"
};

struct NodeBox {
  std::string str;  // Shift_JIS letter, as a rule one two-byte character
  std::int32_t flag = Block;
  std::int32_t mark = -1;  // -1: no group; the author sees mark + 1
};

}  // namespace vexilo
