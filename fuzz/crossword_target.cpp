#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "cli/grid_text.h"
#include "files/crossword_file.h"
#include "files/text_file.h"
#include "files/web_export.h"
#include "fuzz/targets.h"

namespace vexilo::fuzz {

namespace {

bool sameGrid(const PuzzleGrid& a, const PuzzleGrid& b) {
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& x = a.cellAt(i);
    const NodeBox& y = b.cellAt(i);
    if (x.str != y.str || x.flag != y.flag || x.mark != y.mark) return false;
  }
  return a.nextMark() == b.nextMark();
}

// Every line the reader takes whole: the saved file reads back only when none is cut in two.
bool linesFitPieces(const std::string& file) {
  const std::string text = toTextMode(file);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
    if (end - start > PieceReader::MaxPiece) return false;
    start = end;
  }
  return true;
}

std::size_t count(std::string_view text, char c) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// Lines that hold a cell text as a PHP string rather than as markup: $ans[cell] = "text"; for
// the answers and $given[group] = "text"; for the given letter of a numbered group.
constexpr std::string_view AnswerLine = "$ans[";
constexpr std::string_view GivenLine = "$given[";

bool isTextLine(std::string_view line) {
  return line.substr(0, AnswerLine.size()) == AnswerLine ||
         line.substr(0, GivenLine.size()) == GivenLine;
}

// The page without its text lines.
std::string markupOf(std::string_view page) {
  std::string markup;
  std::size_t start = 0;
  while (start < page.size()) {
    const std::size_t lf = page.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? page.size() : lf + 1;
    const std::string_view line = page.substr(start, end - start);
    if (!isTextLine(line)) markup += line;
    start = end;
  }
  return markup;
}

// The text of a PHP double-quoted string, or nothing when a byte would end it early or be read
// as an escape or a variable.
std::optional<std::string> phpStringValue(std::string_view literal) {
  std::string value;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    char c = literal[i];
    if (c == '"' || c == '$') return std::nullopt;
    if (c == '\\') {
      if (i + 1 == literal.size()) return std::nullopt;
      c = literal[++i];
      if (c != '\\' && c != '"' && c != '$') return std::nullopt;
    }
    value += c;
  }
  return value;
}

bool isGivenLetterOf(const PuzzleGrid& grid, int group, std::string_view text) {
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    if (cell.mark == group && cell.flag == Fixed && cell.str == text) return true;
  }
  return false;
}

// An empty cell of a group may be graded by a letter another cell of its group holds.
bool isLetterOfGroup(const PuzzleGrid& grid, const NodeBox& empty, std::string_view text) {
  if (empty.mark < 0 || !empty.str.empty()) return false;
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    if (cell.flag != Block && cell.mark == empty.mark && cell.str == text) return true;
  }
  return false;
}

// Every text line gives back the text of its cell, or of a cell of its group, byte for byte.
void checkTextLines(const PuzzleGrid& grid, std::string_view page) {
  std::size_t start = 0;
  while (start < page.size()) {
    const std::size_t lineEnd = page.find("\r\n", start);
    require(lineEnd != std::string_view::npos, "the page ends without CR LF");
    const std::string_view line = page.substr(start, lineEnd - start);
    start = lineEnd + 2;
    if (!isTextLine(line)) continue;
    const std::size_t open = line.find('[');
    const std::size_t close = line.find("] = \"");
    require(close != std::string_view::npos && line.size() >= close + 7 &&
                line.substr(line.size() - 2) == "\";",
            "a text line is not $name[number] = \"text\";");
    int number = -1;
    const std::string_view digits = line.substr(open + 1, close - open - 1);
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    require(0 <= number && number < CellCount, "a text line names no cell or group");
    const auto value = phpStringValue(line.substr(close + 5, line.size() - close - 7));
    require(value.has_value(), "a text line is not one whole PHP string");
    if (line.substr(0, AnswerLine.size()) == AnswerLine) {
      const NodeBox& cell = grid.cellAt(number);
      require(*value == cell.str || isLetterOfGroup(grid, cell, *value),
              "an answer line does not give its text back");
    } else {
      require(isGivenLetterOf(grid, number, *value), "a group's letter is none of its given cells");
    }
  }
}

// The page's markup must not depend on the bytes of the cell texts, so texts are escaped.
void checkPageEscaping(const PuzzleGrid& grid, PageForm form, const std::string& page) {
  PuzzleGrid plain = grid;
  for (int i = 0; i < CellCount; ++i) {
    std::string& text = plain.cellAt(i).str;
    if (!text.empty()) text = "x";
  }
  const std::string markup = markupOf(page);
  const std::string plainMarkup = markupOf(formatPage(plain, form));
  for (const char c : {'<', '>', '"'}) {
    require(count(markup, c) == count(plainMarkup, c),
            std::string("a cell text adds or removes a ") + c);
  }
  checkTextLines(grid, page);
}

void checkPage(const PuzzleGrid& grid, PageForm form) {
  const std::string page = formatPage(grid, form);
  require(page == formatPage(grid, form), "a second export gives other bytes");
  constexpr std::string_view end = "</HTML>\r\n";
  require(page.size() >= end.size() && page.compare(page.size() - end.size(), end.size(), end) == 0,
          "the page does not end with </HTML> and CR LF");
  for (std::size_t lf = page.find('\n'); lf != std::string::npos; lf = page.find('\n', lf + 1)) {
    require(lf > 0 && page[lf - 1] == '\r', "a page line ends without CR LF");
  }
  checkPageEscaping(grid, form, page);
}

void checkShownGrid(const PuzzleGrid& grid) {
  const std::string text = cli::gridText(grid);
  const ExportRectangle area = exportedRectangle(grid);
  const auto rows = static_cast<std::size_t>(std::max(area.bottom - area.top, 0));
  require(count(text, '\n') == rows, "the shown grid has not one line per row");
  require(isUtf8(text), "the shown grid is not UTF-8");
  require(std::none_of(text.begin(), text.end(),
                       [](char c) { return c != '\n' && static_cast<unsigned char>(c) < 0x20; }),
          "the shown grid holds a control byte");
}

}  // namespace

void crosswordTarget(std::string_view input) {
  PuzzleGrid grid;  // the window's initial grid: every cell black, no mark
  parseCrosswordFile(input, grid);

  int highest = -1;
  for (int i = 0; i < CellCount; ++i) {
    const int mark = grid.cellAt(i).mark;
    require(-1 <= mark && mark < CellCount, "a mark outside -1..1023 was read");
    highest = std::max(highest, mark);
  }
  require(grid.nextMark() == highest + 1, "nextMark is not one past the highest mark");

  std::vector<int> cut;
  const std::string saved = formatCrosswordFile(grid, &cut);
  require(count(saved, '\n') == CellCount, "the saved file has not 1,024 lines");
  require(linesFitPieces(saved), "a saved line is longer than the reader takes");
  PuzzleGrid reread;
  parseCrosswordFile(saved, reread);
  for (const int i : cut) {
    require(grid.cellAt(i).str.starts_with(reread.cellAt(i).str), "a cut text is no prefix");
    grid.cellAt(i).str = reread.cellAt(i).str;
  }
  require(sameGrid(grid, reread), "the saved file reads back as another grid");

  checkPage(grid, PageForm::Html);
  checkPage(grid, PageForm::Php);
  checkShownGrid(grid);
}

}  // namespace vexilo::fuzz
