#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

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

constexpr std::string_view AnswerLine = "$ans[";  // $ans[cell] = "text";

// The page without its answer lines, which hold the texts as PHP strings rather than markup.
std::string markupOf(std::string_view page) {
  std::string markup;
  std::size_t start = 0;
  while (start < page.size()) {
    const std::size_t lf = page.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? page.size() : lf + 1;
    const std::string_view line = page.substr(start, end - start);
    if (line.substr(0, AnswerLine.size()) != AnswerLine) markup += line;
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

// Every answer line gives back its cell's text byte for byte.
void checkAnswerLines(const PuzzleGrid& grid, std::string_view page) {
  std::size_t start = 0;
  while (start < page.size()) {
    const std::size_t lineEnd = page.find("\r\n", start);
    require(lineEnd != std::string_view::npos, "the page ends without CR LF");
    const std::string_view line = page.substr(start, lineEnd - start);
    start = lineEnd + 2;
    if (line.substr(0, AnswerLine.size()) != AnswerLine) continue;
    const std::size_t close = line.find("] = \"");
    require(close != std::string_view::npos && line.size() >= close + 7 &&
                line.substr(line.size() - 2) == "\";",
            "an answer line is not $ans[cell] = \"text\";");
    int cell = -1;
    const std::string_view number = line.substr(AnswerLine.size(), close - AnswerLine.size());
    std::from_chars(number.data(), number.data() + number.size(), cell);
    require(0 <= cell && cell < CellCount, "an answer line names no cell");
    const auto value = phpStringValue(line.substr(close + 5, line.size() - close - 7));
    require(value && *value == grid.cellAt(cell).str, "an answer line does not give its text back");
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
  checkAnswerLines(grid, page);
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

  const std::string saved = formatCrosswordFile(grid);
  require(count(saved, '\n') == CellCount, "the saved file has not 1,024 lines");
  if (linesFitPieces(saved)) {
    PuzzleGrid reread;
    parseCrosswordFile(saved, reread);
    require(sameGrid(grid, reread), "the saved file reads back as another grid");
  }

  checkPage(grid, PageForm::Html);
  checkPage(grid, PageForm::Php);
  checkShownGrid(grid);
}

}  // namespace vexilo::fuzz
