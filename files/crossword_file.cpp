#include "files/crossword_file.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "files/atomic_file.h"
#include "files/text_file.h"

namespace vexilo {

namespace {

bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The integer at the start of text as the standard decimal conversion reads it: white space
// skipped, an optional sign, digits up to the first other byte; no digits give 0. Numbers
// beyond the 32-bit range saturate.
std::int32_t leadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) value = limit;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value < limit ? value : limit - 1);
}

// Groups are numbered 0..1023 (the export indexes a table by them); any other mark means none.
std::int32_t acceptedMark(std::int32_t mark) { return mark >= -1 && mark < CellCount ? mark : -1; }

// False when the line holds no cell.
bool parseLine(std::string_view line, NodeBox& cell, PuzzleGrid& grid) {
  line = line.substr(0, line.find('\0'));  // the line buffer is a C string
  const std::size_t first = line.find('\t');
  if (first == std::string_view::npos) return false;
  const std::size_t second = line.find('\t', first + 1);
  if (second == std::string_view::npos) return false;
  cell.str.assign(line.substr(0, first));
  cell.flag = leadingInteger(line.substr(first + 1));
  cell.mark = acceptedMark(leadingInteger(line.substr(second + 1)));
  grid.noteMark(cell.mark);
  return true;
}

// The lines of text that is already in text mode; how many of them held a cell.
int readLines(std::string_view text, PuzzleGrid& grid) {
  PieceReader reader(text);
  grid.setNextMark(0);
  std::string_view line;
  int cells = 0;
  for (int i = 0; i < CellCount && reader.next(line); ++i) {
    if (parseLine(line, grid.cellAt(i), grid)) ++cells;
  }
  return cells;
}

}  // namespace

std::string formatCrosswordFile(const PuzzleGrid& grid) {
  std::string text;
  text.reserve(CellCount * 12);
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    text += cell.str;
    text += '\t';
    text += std::to_string(cell.flag);
    text += '\t';
    text += std::to_string(cell.mark);
    text += "\r\n";
  }
  return text;
}

void parseCrosswordFile(std::string_view raw, PuzzleGrid& grid) {
  readLines(toTextMode(raw), grid);
}

bool saveCrosswordFile(const std::string& path, const PuzzleGrid& grid) {
  return writeFileAtomically(path, formatCrosswordFile(grid));
}

bool loadCrosswordFile(const std::string& path, PuzzleGrid& grid) {
  // 1,024 full pieces at two file bytes a text byte (CR LF), and a spare pair for a cut CR LF.
  constexpr std::size_t needed = 2 * (CellCount * PieceReader::MaxPiece + 1);
  const std::optional<std::string> text = readTextFile(path, needed);
  if (!text) return false;
  PuzzleGrid read = grid;
  // Already in text mode: a second pass could join a CR CR LF.
  if (readLines(*text, read) == 0) return false;
  grid = std::move(read);
  return true;
}

}  // namespace vexilo
