#include "files/print_layout.h"

#include <algorithm>

#include "files/web_export.h"
#include "puzzle/shift_jis.h"

namespace vexilo {

namespace {

constexpr double Margin = 15;
constexpr double MaxCell = 10;
constexpr double TitlePoints = 16;
constexpr double SubtitlePoints = 9;
constexpr double HeadingPoints = 10.5;
constexpr double CluePoints = 9;
constexpr double ColumnGap = 6;
constexpr double LabelGap = 1.5;  // between a clue's label and its text
constexpr double BlockGap = 5;    // between the grid, the keyword and the clues

constexpr std::string_view DownHeading = "\x83\x5e\x83\x65\x82\xcc\x83\x4a\x83\x4d";  // タテのカギ
constexpr std::string_view AcrossHeading =
    "\x83\x88\x83\x52\x82\xcc\x83\x4a\x83\x4d";                 // ヨコのカギ
constexpr std::string_view AnswerHeading = "\x89\xf0\x93\x9a";  // 解答

double lineHeight(double points) { return points * PointsToMillimetres * LineSpacing; }

// The Shift_JIS characters of a text, each one or two bytes.
std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const std::size_t length = isLeadByte(text[0]) && text.size() > 1 ? 2 : 1;
    out.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return out;
}

// Lines of at most width millimetres; Japanese breaks between any two characters.
std::vector<std::string> wrap(std::string_view text, double width, double points,
                              const TextMetrics& metrics) {
  std::vector<std::string> lines(1);
  double used = 0;
  for (const std::string_view c : characters(text)) {
    const double w = metrics.width(c, points);
    if (used + w > width && !lines.back().empty()) {
      lines.emplace_back();
      used = 0;
    }
    lines.back() += c;
    used += w;
  }
  return lines;
}

class Layout {
 public:
  Layout(const PuzzleGrid& grid, const PuzzleClues& clues, PaperSize paper,
         const TextMetrics& metrics)
      : grid_(grid),
        clues_(clues),
        paper_(paperDimensions(paper)),
        metrics_(metrics),
        words_(numberWords(grid, clues.properties.numbering)) {
    const ExportRectangle area = exportedRectangle(grid);
    top_ = area.top;
    left_ = area.left;
    rows_ = std::max(area.bottom - area.top, 1);
    columns_ = std::max(area.right - area.left, 1);
    if (area.bottom <= area.top) top_ = left_ = 0;
  }

  std::vector<PrintPage> pages() {
    double y = header({});
    y = gridAt(y, false);
    y = keywordAt(y, false);
    clueColumns(y);
    y = header(AnswerHeading);
    y = gridAt(y, true);
    keywordAt(y, true);
    return std::move(pages_);
  }

 private:
  PrintPage& page() { return pages_.back(); }
  double right() const { return paper_.width - Margin; }
  double bottom() const { return paper_.height - Margin; }
  double contentWidth() const { return paper_.width - 2 * Margin; }

  void text(double x, double y, double points, std::string_view text) {
    if (!text.empty()) page().texts.push_back({x, y, points, std::string(text)});
  }
  void centred(double centreX, double y, double points, std::string_view text) {
    this->text(centreX - metrics_.width(text, points) / 2, y, points, text);
  }

  // Starts a page with the title and the author's line; returns where the page goes on.
  double header(std::string_view heading) {
    pages_.emplace_back();
    double y = Margin;
    const PuzzleProperties& properties = clues_.properties;
    std::string title = properties.title;
    if (!heading.empty())
      title = title.empty() ? std::string(heading) : title + " " + std::string(heading);
    if (!title.empty()) {
      centred(paper_.width / 2, y, TitlePoints, title);
      y += lineHeight(TitlePoints);
    }
    std::string byline = properties.author;
    if (!properties.copyright.empty()) {
      byline += (byline.empty() ? "" : "  ") + properties.copyright;
    }
    if (!byline.empty()) {
      centred(paper_.width / 2, y, SubtitlePoints, byline);
      y += lineHeight(SubtitlePoints);
    }
    return y + (y > Margin ? BlockGap : 0);
  }

  double gridAt(double y, bool answers) {
    const double available = (paper_.height - 2 * Margin) * 0.5;
    cell_ = std::min({MaxCell, contentWidth() / columns_, available / rows_});
    const double left = Margin + (contentWidth() - cell_ * columns_) / 2;
    const double labelPoints = cell_ / PointsToMillimetres * 0.27;
    const double letterPoints = cell_ / PointsToMillimetres * 0.6;
    for (int r = 0; r < rows_; ++r) {
      for (int c = 0; c < columns_; ++c) {
        const int index = PuzzleGrid::indexOf(top_ + r, left_ + c);
        const NodeBox& cell = grid_.cellAt(index);
        const double x = left + c * cell_;
        const double top = y + r * cell_;
        if (cell.flag == Block) {
          page().boxes.push_back({x, top, x + cell_, top + cell_, 0.2, true});
          continue;
        }
        page().boxes.push_back({x, top, x + cell_, top + cell_, 0.2, false});
        const bool grouped = cell.mark >= 0 && cell.mark < CellCount;
        if (grouped) {
          const double inset = cell_ * 0.08;
          page().boxes.push_back(
              {x + inset, top + inset, x + cell_ - inset, top + cell_ - inset, 0.2, false});
          const std::string number = std::to_string(cell.mark + 1);
          text(x + cell_ - inset * 1.5 - metrics_.width(number, labelPoints),
               top + cell_ - inset * 1.5 - lineHeight(labelPoints), labelPoints, number);
        }
        const std::string label = words_.cellLabel(index, clues_.properties.numbering);
        text(x + cell_ * 0.12, top + cell_ * 0.1, labelPoints, label);
        if (cell.flag == Fixed || (answers && cell.flag != Block)) {
          const double height = letterPoints * PointsToMillimetres;
          centred(x + cell_ / 2, top + (cell_ - height) / 2, letterPoints, cell.str);
        }
      }
    }
    page().boxes.push_back({left, y, left + cell_ * columns_, y + cell_ * rows_, 0.5, false});
    return y + cell_ * rows_ + BlockGap;
  }

  double keywordAt(double y, bool answers) {
    const std::vector<std::string> letters = keywordLetters(grid_);
    if (letters.empty()) return y;
    const double size = std::min(cell_, 8.0);
    const int perRow = std::max(1, static_cast<int>(contentWidth() / size));
    const double labelPoints = size / PointsToMillimetres * 0.27;
    const double letterPoints = size / PointsToMillimetres * 0.6;
    const int count = static_cast<int>(letters.size());
    for (int k = 0; k < count; ++k) {
      const int inRow = std::min(perRow, count - k / perRow * perRow);
      const double left = Margin + (contentWidth() - inRow * size) / 2;
      const double x = left + (k % perRow) * size;
      const double top = y + (k / perRow) * size;
      page().boxes.push_back({x, top, x + size, top + size, 0.4, false});
      text(x + size * 0.1, top + size * 0.06, labelPoints, std::to_string(k + 1));
      if (answers) {
        const double height = letterPoints * PointsToMillimetres;
        centred(x + size / 2, top + (size - height) / 2, letterPoints,
                letters[static_cast<std::size_t>(k)]);
      }
    }
    return y + ((count - 1) / perRow + 1) * size + BlockGap;
  }

  // The clue lists flow down the left column, then the right, then onto further pages.
  void clueColumns(double y) {
    const double width = (contentWidth() - ColumnGap) / 2;
    double top = y;
    int column = 0;
    double at = top;
    const auto room = [&](double height) {
      if (at + height <= bottom()) return;
      if (++column == 2) {
        column = 0;
        pages_.emplace_back();
        top = Margin;
      }
      at = top;
    };
    const auto list = [&](std::string_view heading, const std::vector<NumberedWord>& words) {
      if (words.empty()) return;
      room(lineHeight(HeadingPoints) + lineHeight(CluePoints));  // no heading alone at a foot
      text(Margin + column * (width + ColumnGap), at, HeadingPoints, heading);
      at += lineHeight(HeadingPoints);
      for (const NumberedWord& word : words) {
        const double labelWidth = metrics_.width(word.label, CluePoints) + LabelGap;
        const std::vector<std::string> lines =
            wrap(clues_.textOf(word.key), width - labelWidth, CluePoints, metrics_);
        for (std::size_t i = 0; i < lines.size(); ++i) {
          room(lineHeight(CluePoints));
          const double x = Margin + column * (width + ColumnGap);
          if (i == 0) text(x, at, CluePoints, word.label);
          text(x + labelWidth, at, CluePoints, lines[i]);
          at += lineHeight(CluePoints);
        }
      }
      at += lineHeight(CluePoints) / 2;
    };
    list(DownHeading, words_.down);
    list(AcrossHeading, words_.across);
  }

  const PuzzleGrid& grid_;
  const PuzzleClues& clues_;
  PaperDimensions paper_;
  const TextMetrics& metrics_;
  WordNumbers words_;
  int top_ = 0, left_ = 0, rows_ = 1, columns_ = 1;
  double cell_ = MaxCell;
  std::vector<PrintPage> pages_;
};

}  // namespace

PaperDimensions paperDimensions(PaperSize paper) {
  switch (paper) {
    case PaperSize::B5: return {182, 257};
    case PaperSize::Letter: return {215.9, 279.4};
    case PaperSize::A4: break;
  }
  return {210, 297};
}

std::vector<PrintPage> layoutPuzzle(const PuzzleGrid& grid, const PuzzleClues& clues,
                                    PaperSize paper, const TextMetrics& metrics) {
  return Layout(grid, clues, paper, metrics).pages();
}

}  // namespace vexilo
