#include "files/crossword_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "page_documents.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;

// A grid whose every cell differs from what any test file holds, to see which cells a read set.
PuzzleGrid untouchedGrid() {
  PuzzleGrid grid;
  for (int i = 0; i < CellCount; ++i) {
    grid.cellAt(i) = NodeBox{"old", 2, 500};
  }
  grid.setNextMark(501);
  return grid;
}

bool sameCell(const NodeBox& a, const NodeBox& b) {
  return a.str == b.str && a.flag == b.flag && a.mark == b.mark;
}

int changedCells(const PuzzleGrid& grid) {
  int changed = 0;
  for (int i = 0; i < CellCount; ++i) changed += !sameCell(grid.cellAt(i), NodeBox{"old", 2, 500});
  return changed;
}

std::string lines(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

// Cells 0, 1, 32, 33 of the small example, plus a group of two at the far end.
PuzzleGrid exampleGrid() {
  PuzzleGrid grid = test::workedExample();
  grid.cellAt(1022) = NodeBox{sj("ソ"), Fixed, 7};
  grid.cellAt(1023) = NodeBox{"", Open, 7};
  grid.cellAt(500) = NodeBox{sj("表"), Open, 2};
  grid.setNextMark(8);
  return grid;
}

TEST(CrosswordFile, WritesOneLinePerCell) {
  const std::string cleared = formatCrosswordFile(PuzzleGrid{});
  EXPECT_EQ(cleared.size(), 7168u);
  EXPECT_EQ(cleared, lines("\t0\t-1\r\n", 1024));

  const std::string text = formatCrosswordFile(exampleGrid());
  const std::string expected = sj("ア") + "\t3\t-1\r\n" + sj("イ") + "\t1\t0\r\n" +
                               lines("\t0\t-1\r\n", 31) + sj("カ") + "\t2\t-1\r\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_EQ(text.substr(text.size() - 14), sj("ソ") + "\t3\t7\r\n\t1\t7\r\n");
}

TEST(CrosswordFile, SavingAndOpeningRestoresEveryCell) {
  test::TempFolder folder;
  const std::string path = folder.path("puzzle.crs");
  const PuzzleGrid saved = exampleGrid();
  ASSERT_TRUE(saveCrosswordFile(path, saved));

  PuzzleGrid grid = untouchedGrid();
  ASSERT_TRUE(loadCrosswordFile(path, grid));
  for (int i = 0; i < CellCount; ++i) ASSERT_TRUE(sameCell(grid.cellAt(i), saved.cellAt(i))) << i;
  EXPECT_EQ(grid.nextMark(), 8);

  ASSERT_TRUE(saveCrosswordFile(path, PuzzleGrid{}));  // replaces the file without a question
  ASSERT_TRUE(loadCrosswordFile(path, grid));
  EXPECT_EQ(grid.cellAt(1022).flag, Block);
  EXPECT_EQ(grid.nextMark(), 0);
}

TEST(CrosswordFile, EveryTruncationReadsByTheRules) {
  const PuzzleGrid saved = exampleGrid();
  const std::string text = formatCrosswordFile(saved);
  for (std::size_t length = 0; length <= text.size(); ++length) {
    const std::string prefix = text.substr(0, length);
    PuzzleGrid grid = untouchedGrid();
    parseCrosswordFile(prefix, grid);

    std::size_t start = 0;
    int cell = 0;
    int highest = -1;
    for (; start < prefix.size(); ++cell) {
      const std::size_t lf = prefix.find('\n', start);
      const std::string line = prefix.substr(start, lf == std::string::npos ? lf : lf - start);
      start = lf == std::string::npos ? prefix.size() : lf + 1;
      const NodeBox& original = saved.cellAt(cell);
      const NodeBox& read = grid.cellAt(cell);
      const std::size_t first = line.find('\t');
      if (first == std::string::npos || line.find('\t', first + 1) == std::string::npos) {
        ASSERT_TRUE(sameCell(read, NodeBox{"old", 2, 500})) << length;
        continue;
      }
      // Only the mark field can be cut short once both TABs are there.
      const std::string markText = line.substr(line.rfind('\t') + 1);
      const std::string digits = markText.substr(0, markText.find('\r'));
      const int mark = digits.empty() || digits == "-" ? 0 : std::stoi(digits);
      ASSERT_TRUE(sameCell(read, NodeBox{original.str, original.flag, mark})) << length;
      highest = std::max(highest, mark);
    }
    for (int i = cell; i < CellCount; ++i) {
      ASSERT_TRUE(sameCell(grid.cellAt(i), NodeBox{"old", 2, 500})) << length;
    }
    ASSERT_EQ(grid.nextMark(), highest + 1) << length;
  }
}

TEST(CrosswordFile, LinesWithoutTwoTabsLeaveTheCell) {
  PuzzleGrid grid = untouchedGrid();
  parseCrosswordFile(sj("ア") + "\t3\n" + "no tab\r\n" + "\n" + "\t1\t4\n", grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"old", 2, 500}));
  EXPECT_TRUE(sameCell(grid.cellAt(1), NodeBox{"old", 2, 500}));
  EXPECT_TRUE(sameCell(grid.cellAt(2), NodeBox{"old", 2, 500}));
  EXPECT_TRUE(sameCell(grid.cellAt(3), NodeBox{"", 1, 4}));  // the short lines used up places
  EXPECT_EQ(grid.nextMark(), 5);
}

TEST(CrosswordFile, NumbersAreReadAsTheDecimalConversionReadsThem) {
  PuzzleGrid grid = untouchedGrid();
  parseCrosswordFile("\tx\t\n", grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"", 0, 0}));
  EXPECT_EQ(grid.nextMark(), 1);

  parseCrosswordFile("a\t +3junk\t\v12\tmore\tfields\r\n", grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"a", 3, 12}));

  parseCrosswordFile("\t\t5\n", grid);  // white space skipping crosses the empty flag's TAB
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"", 5, 5}));

  parseCrosswordFile("\t-2\t-1\n\t99999999999\t1\n\t-99999999999\t1\n", grid);
  EXPECT_EQ(grid.cellAt(0).flag, -2);
  EXPECT_EQ(grid.cellAt(1).flag, INT_MAX);
  EXPECT_EQ(grid.cellAt(2).flag, INT_MIN);
  EXPECT_EQ(grid.nextMark(), 2);
}

TEST(CrosswordFile, MarksOutsideTheGroupRangeReadAsNone) {
  PuzzleGrid grid = untouchedGrid();
  parseCrosswordFile("\t9\t99999\n\t1\t-7\n\t1\t99999999999\n\t1\t3\n", grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"", 9, -1}));  // the flag stays as read
  EXPECT_TRUE(sameCell(grid.cellAt(1), NodeBox{"", 1, -1}));
  EXPECT_TRUE(sameCell(grid.cellAt(2), NodeBox{"", 1, -1}));
  EXPECT_EQ(grid.nextMark(), 4);

  parseCrosswordFile("\t1\t1023\n\t1\t1024\n", grid);
  EXPECT_EQ(grid.cellAt(0).mark, 1023);
  EXPECT_EQ(grid.cellAt(1).mark, -1);
  EXPECT_EQ(grid.nextMark(), 1024);
}

TEST(CrosswordFile, ReadsAtMostTheFirst1024LinesWhateverTheLineEnds) {
  PuzzleGrid grid = untouchedGrid();
  parseCrosswordFile("", grid);
  EXPECT_EQ(changedCells(grid), 0);
  EXPECT_EQ(grid.nextMark(), 0);

  grid = untouchedGrid();
  parseCrosswordFile(lines("x\t1\t3\r\n", 40), grid);
  EXPECT_EQ(changedCells(grid), 40);
  EXPECT_TRUE(sameCell(grid.cellAt(39), NodeBox{"x", 1, 3}));
  EXPECT_EQ(grid.nextMark(), 4);  // the marks of cells 40 on do not count

  grid = untouchedGrid();
  parseCrosswordFile(lines("x\t1\t3\r\n", 1024) + lines("y\t1\t900\r\n", 976), grid);
  EXPECT_EQ(changedCells(grid), 1024);
  EXPECT_EQ(grid.cellAt(1023).str, "x");
  EXPECT_EQ(grid.nextMark(), 4);

  PuzzleGrid crlf = untouchedGrid();
  PuzzleGrid lf = untouchedGrid();
  const PuzzleGrid saved = exampleGrid();
  std::string text = formatCrosswordFile(saved);
  parseCrosswordFile(text, crlf);
  std::erase(text, '\r');
  parseCrosswordFile(text, lf);
  for (int i = 0; i < CellCount; ++i) ASSERT_TRUE(sameCell(lf.cellAt(i), crlf.cellAt(i))) << i;
  EXPECT_EQ(lf.nextMark(), crlf.nextMark());
}

TEST(CrosswordFile, LongLinesAndStrayBytesFollowTheLineBuffer) {
  PuzzleGrid grid = untouchedGrid();
  parseCrosswordFile(sj("ア") + "\t3\t5" + std::string(590, 'z') + "\n" + "\t1\t2\n", grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{sj("ア"), 3, 5}));
  EXPECT_TRUE(sameCell(grid.cellAt(1), NodeBox{"old", 2, 500}));  // the rest of the 600 bytes
  EXPECT_TRUE(sameCell(grid.cellAt(2), NodeBox{"", 1, 2}));

  grid = untouchedGrid();
  parseCrosswordFile(std::string(520, 'a') + "\t1\t6\n", grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"old", 2, 500}));
  EXPECT_TRUE(sameCell(grid.cellAt(1), NodeBox{std::string(9, 'a'), 1, 6}));

  grid = untouchedGrid();
  // 0x1A ends the text.
  parseCrosswordFile(std::string("a\t1\t1\r\nb\t1\t2\r\n\x1A") + "c\t1\t3\r\n", grid);
  EXPECT_EQ(changedCells(grid), 2);
  EXPECT_EQ(grid.nextMark(), 3);

  grid = untouchedGrid();
  parseCrosswordFile(std::string("a\0b\t1\t1\n", 8) + std::string("c\t1\0\t2\n", 7), grid);
  EXPECT_TRUE(sameCell(grid.cellAt(0), NodeBox{"old", 2, 500}));  // the line stops at the NUL
  EXPECT_TRUE(sameCell(grid.cellAt(1), NodeBox{"old", 2, 500}));
  EXPECT_EQ(grid.nextMark(), 0);
}

// A hand-edited file gives cell 0 a text of 509 bytes: a piece of 511 with both TABs, the next
// cell's line right after it. Saved, that text is cut to fit its line, and the file reads back
// with every cell in its place.
TEST(CrosswordFile, ATextTooLongForItsLineIsCutWhenSaved) {
  std::string text509;
  for (int i = 0; i < 254; ++i) text509 += sj("ア");
  text509 += 'x';
  std::string file = text509 + "\t\t" + sj("イ") + "\t3\t-1\r\n";
  for (int i = 2; i < CellCount; ++i) file += sj("ウ") + "\t1\t" + std::to_string(i % 7) + "\r\n";
  PuzzleGrid grid;
  parseCrosswordFile(file, grid);
  ASSERT_TRUE(sameCell(grid.cellAt(0), NodeBox{text509, 0, 0}));
  ASSERT_TRUE(sameCell(grid.cellAt(1), NodeBox{sj("イ"), 3, -1}));

  test::TempFolder folder;
  const FileWrite saved = saveCrosswordFile(folder.path("cut.crs"), grid);
  ASSERT_TRUE(saved);
  EXPECT_EQ(test::u8(saved.note), "1行1列のセルの文字を 506 バイトに切って保存しました");
  PuzzleGrid reread;
  ASSERT_TRUE(loadCrosswordFile(folder.path("cut.crs"), reread));
  EXPECT_EQ(reread.cellAt(0).str, text509.substr(0, 506));
  reread.cellAt(0).str = text509;
  EXPECT_EQ(formatCrosswordFile(reread), formatCrosswordFile(grid));
  EXPECT_EQ(grid.cellAt(0).str, text509);  // saving changes nothing in the grid
}

// Each text is cut before a byte that would end its field, line, text or file, and at a
// character boundary where its line would grow past the reader's 511 bytes.
TEST(CrosswordFile, EverySavedLineReadsBackAsWritten) {
  const std::string a = sj("ア");
  std::string a251;
  for (int i = 0; i < 251; ++i) a251 += a;
  const struct {
    NodeBox cell;
    std::string saved;
  } cases[] = {
      {{a + "\t" + a, Fixed, -1}, a},
      {{a + "\n" + a, Fixed, -1}, a},
      {{a + std::string(1, '\0') + a, Fixed, -1}, a},
      {{a + "\x1A" + a, Fixed, -1}, a},
      {{a + "\r", Fixed, -1}, a + "\r"},
      // "\t1\t12" and LF leave 505 bytes of the 511 for the text.
      {{"x" + a251 + a + a, Open, 12}, "x" + a251 + a},
      {{"xx" + a251 + a, Open, 12}, "xx" + a251},
      {{a251 + a + "\x83", Open, 12}, a251 + a + "\x83"},
      {{a251 + a + "x", Open, 12}, a251 + a + "x"},
      {{a251 + a, Open, 1023}, a251},  // 503 bytes left
      {{std::string(600, 'z'), 3, -2147483647}, std::string(496, 'z')},
  };
  for (const auto& c : cases) {
    PuzzleGrid grid;
    grid.cellAt(5) = c.cell;
    grid.cellAt(6) = NodeBox{a, Fixed, 3};
    std::vector<int> cut;
    PuzzleGrid reread;
    parseCrosswordFile(formatCrosswordFile(grid, &cut), reread);
    EXPECT_EQ(reread.cellAt(5).str, c.saved) << test::u8(c.cell.str);
    EXPECT_EQ(cut, c.saved == c.cell.str ? std::vector<int>{} : std::vector<int>{5});
    EXPECT_TRUE(sameCell(reread.cellAt(6), grid.cellAt(6))) << test::u8(c.cell.str);
  }
}

TEST(CrosswordFile, OpeningALargeFileReadsItsFirst1024FullLines) {
  test::TempFolder folder;
  const std::string line = std::string(505, 'x') + "\t1\t12\r\n";  // one full 511-byte piece
  test::writeBytes(folder.path("large.crs"),
                   lines(line, 1024) + lines(std::string(1000, 'y') + "\t1\t900\r\n", 3000));
  PuzzleGrid grid = untouchedGrid();
  ASSERT_TRUE(loadCrosswordFile(folder.path("large.crs"), grid));
  EXPECT_TRUE(sameCell(grid.cellAt(1023), NodeBox{std::string(505, 'x'), 1, 12}));
  EXPECT_EQ(grid.nextMark(), 13);
}

TEST(CrosswordFile, FailuresLeaveGridAndFileAsTheyWere) {
  test::TempFolder folder;
  const PuzzleGrid saved = exampleGrid();
  PuzzleGrid grid = untouchedGrid();
  EXPECT_FALSE(loadCrosswordFile(folder.path("missing.crs"), grid));
  EXPECT_FALSE(loadCrosswordFile(folder.path(""), grid));  // the folder itself
  ASSERT_EQ(::mkfifo(folder.path("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(loadCrosswordFile(folder.path("pipe"), grid));  // no writer: must not wait
  for (const std::string noPuzzle : {"", "\x83\x41\x83\x43\r\nword\tone\r\n"}) {
    test::writeBytes(folder.path("words.dic"), noPuzzle);  // no line with two TABs
    EXPECT_FALSE(loadCrosswordFile(folder.path("words.dic"), grid));
  }
  EXPECT_EQ(changedCells(grid), 0);
  EXPECT_EQ(grid.nextMark(), 501);

  test::writeBytes(folder.path("file"), "in the way");
  EXPECT_FALSE(saveCrosswordFile(folder.path("file") + "/puzzle.crs", saved));
  EXPECT_EQ(test::readBytes(folder.path("file")), "in the way");
  std::filesystem::create_directory(folder.path("taken.crs"));
  EXPECT_FALSE(saveCrosswordFile(folder.path("taken.crs"), saved));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path("taken.crs")));
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"file", "pipe", "taken.crs", "words.dic"}));
}

}  // namespace
}  // namespace vexilo
