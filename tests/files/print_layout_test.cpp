#include "files/print_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;

// Every byte half the font size wide, as a fixed-pitch font would be.
struct FixedMetrics : TextMetrics {
  double width(std::string_view text, double points) const override {
    return static_cast<double>(text.size()) * points * PointsToMillimetres / 2;
  }
};

// The texts of a page in order, joined, so a wrapped clue reads whole again.
std::string joined(const PrintPage& page) {
  std::string all;
  for (const PrintText& text : page.texts) all += text.text;
  return all;
}

void expectInside(const std::vector<PrintPage>& pages, PaperSize paper) {
  const PaperDimensions size = paperDimensions(paper);
  const FixedMetrics metrics;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    for (const PrintText& text : pages[p].texts) {
      EXPECT_GE(text.x, 14.9) << p;
      EXPECT_LE(text.x + metrics.width(text.text, text.points), size.width - 14.9) << p;
      EXPECT_GE(text.y, 14.9) << p;
      EXPECT_LE(text.y + text.points * PointsToMillimetres * LineSpacing, size.height - 14.9) << p;
    }
    for (const PrintBox& box : pages[p].boxes) {
      EXPECT_GE(box.left, 14.9) << p;
      EXPECT_LE(box.right, size.width - 14.9) << p;
      EXPECT_LE(box.bottom, size.height - 14.9) << p;
    }
  }
}

TEST(PrintLayout, PuzzlePageAndAnswerPage) {
  PuzzleGrid grid = test::gridFromPicture({"ア..", ".#.", "..."});
  grid.cellAt(1).str = sj("ネ");
  grid.cellAt(2).mark = 0;
  grid.cellAt(2).str = sj("ウ");
  PuzzleClues clues;
  clues.properties.title = sj("春");
  clues.setText({0, Across}, sj("よこの一"));
  clues.setText({2, Down}, sj("たての二"));
  const std::vector<PrintPage> pages = layoutPuzzle(grid, clues, PaperSize::A4, FixedMetrics());
  ASSERT_EQ(pages.size(), 2u);
  const std::string puzzle = joined(pages[0]);
  for (const std::string& wanted : {sj("春"), sj("タテのカギ"), sj("ヨコのカギ"), sj("よこの一"),
                                    sj("たての二"), sj("ア"), "1" + sj("ア")}) {
    EXPECT_NE(puzzle.find(wanted), std::string::npos) << test::u8(wanted);
  }
  EXPECT_EQ(puzzle.find(sj("ネ")), std::string::npos);  // an answer, on the answer page only
  EXPECT_NE(joined(pages[1]).find(sj("春 解答")), std::string::npos);
  EXPECT_NE(joined(pages[1]).find(sj("ネ")), std::string::npos);
  const auto filled =
      std::ranges::count_if(pages[0].boxes, [](const PrintBox& b) { return b.filled; });
  EXPECT_EQ(filled, 1);
  // 8 open cells, the group's inner frame, the grid's border, one keyword box.
  EXPECT_EQ(pages[0].boxes.size(), 1u + 8u + 1u + 1u + 1u);
  expectInside(pages, PaperSize::A4);
}

TEST(PrintLayout, LongClueListsFlowOntoMorePages) {
  PuzzleGrid grid;
  for (int row = 0; row < GridSize; ++row) {
    for (int column = 0; column < GridSize; ++column) {
      if ((row % 2 == 1 && column % 2 == 1)) continue;
      grid.makeOpen(PuzzleGrid::indexOf(row, column));
    }
  }
  PuzzleClues clues;
  const WordNumbers words = numberWords(grid, Numbering::Magazine);
  std::string last;
  for (const auto* list : {&words.down, &words.across}) {
    for (const NumberedWord& word : *list) {
      last = sj("長いカギの文") + word.label + std::string(60, 'x') + sj("おわり");
      clues.setText(word.key, last);
    }
  }
  for (const PaperSize paper : {PaperSize::A4, PaperSize::B5, PaperSize::Letter}) {
    const std::vector<PrintPage> pages = layoutPuzzle(grid, clues, paper, FixedMetrics());
    ASSERT_GE(pages.size(), 3u);  // the puzzle, the clues running on, the answers
    std::string all;
    for (std::size_t p = 0; p + 1 < pages.size(); ++p) all += joined(pages[p]);
    for (const auto& [key, text] : clues.texts) {
      EXPECT_NE(all.find(text), std::string::npos) << key.cell;
    }
    expectInside(pages, paper);
  }
}

}  // namespace
}  // namespace vexilo
