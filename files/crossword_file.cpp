#include "files/crossword_file.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "files/atomic_file.h"
#include "files/text_file.h"
#include "puzzle/shift_jis.h"

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

// The longest start of text that the reader gives back as it stands from a line with room bytes
// for it: whole characters, and none of the bytes that end a field, a line, a text or the file.
std::string_view readableText(std::string_view text, std::size_t room) {
  std::size_t end = 0;
  while (end < text.size()) {
    const auto c = static_cast<unsigned char>(text[end]);
    if (c == '\t' || c == '\n' || c == '\0' || c == 0x1A) break;
    const bool pair = isLeadByte(c) && end + 1 < text.size() &&
                      isTrailByte(static_cast<unsigned char>(text[end + 1]));
    const std::size_t width = pair ? 2 : 1;
    if (end + width > room) break;
    end += width;
  }
  return text.substr(0, end);
}

// TAB, flag, TAB, mark: what follows the text on its line.
std::string fieldsOf(const NodeBox& cell) {
  return '\t' + std::to_string(cell.flag) + '\t' + std::to_string(cell.mark);
}

// A line and its LF (from CR LF) must fit in one piece of the reader, or the rest of the line
// would take the next cell's place.
std::string_view savedText(const NodeBox& cell, const std::string& fields) {
  return readableText(cell.str, PieceReader::MaxPiece - 1 - fields.size());
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

std::string formatCrosswordFile(const PuzzleGrid& grid, std::vector<int>* cut) {
  std::string text;
  text.reserve(CellCount * 12);
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    const std::string fields = fieldsOf(cell);
    const std::string_view saved = savedText(cell, fields);
    if (saved.size() < cell.str.size() && cut != nullptr) cut->push_back(i);
    text += saved;
    text += fields;
    text += "\r\n";
  }
  return text;
}

void parseCrosswordFile(std::string_view raw, PuzzleGrid& grid) {
  readLines(toTextMode(raw), grid);
}

bool readCrosswordText(std::string_view text, PuzzleGrid& grid) {
  PuzzleGrid read = grid;
  if (readLines(text, read) == 0) return false;
  grid = std::move(read);
  return true;
}

FileWrite saveCrosswordFile(const std::string& path, const PuzzleGrid& grid) {
  std::vector<int> cut;
  FileWrite result;
  result.written = writeFileAtomically(path, formatCrosswordFile(grid, &cut));
  if (!result.written || cut.empty()) return result;
  // "3行5列のセルの文字を 506 バイトに切って保存しました (ほか 1 セル)"
  const int first = cut.front();
  result.note =
      std::to_string(PuzzleGrid::rowOf(first) + 1) + "\x8D\x73" +  // 行
      std::to_string(PuzzleGrid::columnOf(first) + 1) +
      "\x97\xF1\x82\xCC\x83\x5A\x83\x8B\x82\xCC\x95\xB6\x8E\x9A\x82\xF0 " +  // 列のセルの文字を
      std::to_string(savedText(grid.cellAt(first), fieldsOf(grid.cellAt(first))).size()) +
      " \x83\x6F\x83\x43\x83\x67\x82\xC9\x90\xD8\x82\xC1\x82\xC4\x95\xDB\x91\xB6\x82"
      "\xB5\x82\xDC\x82\xB5\x82\xBD";  // バイトに切って保存しました
  if (cut.size() > 1) {
    result.note += " (\x82\xD9\x82\xA9 " + std::to_string(cut.size() - 1) +  // ほか
                   " \x83\x5A\x83\x8B)";                                     // セル
  }
  return result;
}

bool loadCrosswordFile(const std::string& path, PuzzleGrid& grid) {
  // 1,024 full pieces at two file bytes a text byte (CR LF), and a spare pair for a cut CR LF.
  constexpr std::size_t needed = 2 * (CellCount * PieceReader::MaxPiece + 1);
  const std::optional<std::string> text = readTextFile(path, needed);
  if (!text) return false;
  return readCrosswordText(*text,
                           grid);  // already in text mode: a second pass could join a CR CR LF
}

}  // namespace vexilo
