#include "files/web_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_documents.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::document;
using test::GradingBlock;
using test::ReadingBlock;
using test::sj;
using test::workedExample;

std::vector<std::string> linesOf(const std::string& page) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < page.size()) {
    const std::size_t end = page.find("\r\n", start);
    lines.push_back(page.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(WebExport, WorkedExampleGivesBothFormsByteForByte) {
  const PuzzleGrid grid = workedExample();
  const std::string html = formatPage(grid, PageForm::Html);
  EXPECT_EQ(linesOf(html).size(), 19u);
  EXPECT_EQ(html, test::workedExampleHtml());

  const std::string php = formatPage(grid, PageForm::Php);
  EXPECT_EQ(linesOf(php).size(), 156u);
  EXPECT_EQ(php, test::workedExamplePhp());
}

TEST(WebExport, AllBlackGridGivesOnlyTheFrame) {
  const PuzzleGrid grid;
  const std::string html = formatPage(grid, PageForm::Html);
  EXPECT_EQ(html, document(R"(<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
</HEAD>
<BODY>
<TABLE border="1" cellpadding="0">
<TBODY>
</TBODY>
</TABLE>
</BODY>
</HTML>
)"));

  PuzzleGrid marked;
  marked.setNextMark(3);  // no cell has a mark: still no groups and no key table
  EXPECT_EQ(formatPage(marked, PageForm::Php), document(std::string(R"(<?php
header("Content-Type: text/html; charset=Shift_JIS");
$ans = array();
$limit = 16;
$entries = array();
$mark = array();
$key = array();
$given = array();
)") + ReadingBlock + "<TABLE border=\"1\" cellpadding=\"0\">\n<TBODY>\n</TBODY>\n</TABLE>\n" +
                                                        GradingBlock));
}

TEST(WebExport, OnlyTheRectangleOfUsedCellsIsWrittenWithGridCellNumbers) {
  PuzzleGrid grid;
  test::drawPicture(grid, {"..........", "##########", "##########", "##########", "#........."}, 5,
                    10);
  const ExportRectangle area = exportedRectangle(grid);
  EXPECT_EQ(area.top, 5);
  EXPECT_EQ(area.bottom, 10);
  EXPECT_EQ(area.left, 10);
  EXPECT_EQ(area.right, 20);

  const std::string html = formatPage(grid, PageForm::Html);
  EXPECT_EQ(count(html, "<TR>"), 5);
  EXPECT_EQ(count(html, "<TD width"), 50);
  EXPECT_EQ(count(html, "bgcolor=\"#666666\""), 31);

  const std::string php = formatPage(grid, PageForm::Php);
  EXPECT_EQ(
      count(
          php,
          std::string("\r\n<TR>\r\n") +
              R"(<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><?php echo "<INPUT size=\"1\" type=\"text\" name=\"box[170]\" value=\"", shown(170, ""), "\">"; ?></TD>)"),
      1);
  EXPECT_EQ(count(php, "name=\\\"box[298]\\\""), 0);  // the black cell at row 9, column 10
  EXPECT_EQ(count(php, "name=\\\"box[299]\\\""), 1);
  EXPECT_EQ(count(php, "\r\n$ans["), 19);
  EXPECT_EQ(count(php, "$entries = array(170, 171, "), 1);
}

TEST(WebExport, KeyTableHoldsOneRepresentativePerGroup) {
  // Group 0: open cells only, the first one stands for it. Group 1: two fixed cells, the last
  // one stands for it. Group 2 has no cells left.
  PuzzleGrid grid = test::gridFromPicture({".A.", "B.C"});
  grid.cellAt(0).mark = 0;
  grid.cellAt(2).mark = 0;
  grid.cellAt(1).mark = 1;
  grid.cellAt(32).mark = 1;
  grid.cellAt(33).mark = 1;
  grid.cellAt(34).mark = 1;
  grid.setNextMark(3);
  const ExportRectangle area = exportedRectangle(grid);
  const std::array<int, CellCount> keys = representatives(grid, area);
  EXPECT_EQ(keys[0], 0);
  EXPECT_EQ(keys[1], 34);
  EXPECT_EQ(keys[2], -1);

  const std::string php = formatPage(grid, PageForm::Php);
  const std::size_t settings = php.find("$limit");
  EXPECT_EQ(php.substr(settings, php.find("function") - settings), document(R"($limit = 16;
$entries = array(0);
$mark = array();
$key = array();
$given = array();
$mark[0] = array(0, 2);
$key[0] = 0;
$mark[1] = array(1, 32, 33, 34);
$given[1] = "C";
)"));
  const std::string td =
      R"(<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff">)";
  const std::string wrap =
      R"(<TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">)";
  const std::string key0 =
      td + wrap +
      R"(1</FONT></TD><TD><?php echo "<INPUT size=\"1\" type=\"text\" name=\"box[0]\" value=\"", shown(0, ""), "\">"; ?></TD></TR></TBODY></TABLE></TD>)";
  const std::string key1 = td + wrap + "2</FONT></TD><TD>C</TD></TR></TBODY></TABLE></TD>";
  const std::size_t keyTable = php.rfind("<TABLE border=\"1\" cellpadding=\"0\">\r\n<TBODY>\r\n");
  EXPECT_EQ(php.substr(keyTable), "<TABLE border=\"1\" cellpadding=\"0\">\r\n<TBODY>\r\n" + key0 +
                                      "\r\n" + key1 + "\r\n</TBODY>\r\n</TABLE>\r\n" +
                                      document(GradingBlock));
  EXPECT_EQ(count(php, "\r\n$ans[0] = \"\";\r\n$ans[2] = \"\";\r\n$ans[33] = \"\";\r\n$limit"), 1);
  // The open member of group 1 shows the group's value and has no entry box of its own.
  EXPECT_EQ(count(php, "<?php echo shown(33, \"" + sj("　") + "\"); ?>"), 1);
  EXPECT_EQ(count(php, "name=\\\"box[33]\\\""), 0);
}

TEST(WebExport, AnswersListOpenAndStarCellsInReadingOrder) {
  PuzzleGrid grid = test::gridFromPicture({"*#", ".X"});
  grid.cellAt(0).str = sj("サ");
  grid.cellAt(1) = NodeBox{"", 7, -1};  // an unknown flag is an open cell but no answer
  std::string php = formatPage(grid, PageForm::Php);
  const std::size_t answers = php.find("$ans[");
  EXPECT_EQ(php.substr(answers, php.find("$mark", answers) - answers),
            "$ans[0] = \"" + sj("サ") + "\";\r\n$ans[32] = \"\";\r\n$limit = 16;\r\n" +
                "$entries = array(0, 1, 32);\r\n");
  EXPECT_EQ(count(php, "name=\\\"box[1]\\\""), 1);

  // A longer answer, which only a hand-edited file holds, raises the length read from a visitor.
  grid.cellAt(32).str = std::string(20, 'a');
  EXPECT_EQ(count(formatPage(grid, PageForm::Php), "\r\n$limit = 20;\r\n"), 1);
}

TEST(WebExport, MarksOutsideTheGroupTableAreNoMark) {
  PuzzleGrid grid = test::gridFromPicture({"..A"});
  grid.cellAt(0).mark = 5000;
  grid.cellAt(1).mark = -7;
  grid.cellAt(2).mark = 1024;
  grid.setNextMark(5001);
  EXPECT_FALSE(hasNumbers(grid, exportedRectangle(grid)));
  const std::string php = formatPage(grid, PageForm::Php);
  EXPECT_EQ(count(php, "$mark["), 0);
  EXPECT_EQ(count(php, "<FONT size"), 0);
  EXPECT_EQ(count(php, "<INPUT size"), 2);

  grid.cellAt(1).mark = 0;
  EXPECT_EQ(count(formatPage(grid, PageForm::Php), "$mark["), 1);
}

TEST(WebExport, FindMarkedCellSkipsBlackCells) {
  PuzzleGrid grid = test::gridFromPicture({".#."});
  grid.cellAt(0).mark = 4;
  grid.cellAt(1).mark = 4;
  grid.cellAt(2).mark = 4;
  grid.cellAt(1023) = NodeBox{"", Open, 4};
  EXPECT_EQ(FindMarkedCell(grid, 0, 4), 0);
  EXPECT_EQ(FindMarkedCell(grid, 1, 4), 2);
  EXPECT_EQ(FindMarkedCell(grid, 3, 4), 1023);
  EXPECT_EQ(FindMarkedCell(grid, 1024, 4), -1);
  EXPECT_EQ(FindMarkedCell(grid, 0, 3), -1);
}

TEST(WebExport, CellTextsAreEscapedWhereTheyStand) {
  PuzzleGrid grid = test::gridFromPicture({"A.."});
  grid.cellAt(0).str = "<&>\"";
  grid.cellAt(1).str = sj("ソ") + "\\\"$x";
  grid.cellAt(2) = NodeBox{"a&b", Fixed, 0};
  grid.setNextMark(1);
  const std::string html = formatPage(grid, PageForm::Html);
  EXPECT_EQ(count(html, ">&lt;&amp;&gt;&quot;</TD>"), 1);
  EXPECT_EQ(count(html, "<TD>a&amp;b</TD>"), 1);

  const std::string php = formatPage(grid, PageForm::Php);
  EXPECT_EQ(count(php, ">&lt;&amp;&gt;&quot;</TD>"), 1);
  EXPECT_EQ(count(php, "<TD>a&amp;b</TD>"), 2);  // in the grid and in the key table
  EXPECT_EQ(count(php, "\r\n$given[0] = \"a&b\";\r\n"), 1);
  EXPECT_EQ(count(php, "$ans[1] = \"\x83\x5C\x5C\\\\\\\"\\$x\";\r\n"), 1);
}

TEST(WebExport, FormFollowsTheExtensionOfTheFileName) {
  EXPECT_EQ(fileExtension("/home/a/page.php"), "php");
  EXPECT_EQ(fileExtension("a.b.PHP"), "PHP");
  EXPECT_EQ(fileExtension("/home/site.php/page"), "");
  EXPECT_EQ(fileExtension("/home/a/page."), "");
  EXPECT_EQ(fileExtension("page"), "");
  for (const char* ext : {"php", "PHP", "Php", "pHp"}) {
    EXPECT_EQ(pageFormFor(ext), PageForm::Php) << ext;
  }
  for (const char* ext : {"html", "htm", "php3", "", "ph", "phq", "\xef\xbd\x90hp"}) {
    EXPECT_EQ(pageFormFor(ext), PageForm::Html) << ext;
  }

  test::TempFolder folder;
  const PuzzleGrid grid = workedExample();
  ASSERT_TRUE(exportPuzzlePage(folder.path("a.Php"), grid));
  EXPECT_EQ(test::readBytes(folder.path("a.Php")), formatPage(grid, PageForm::Php));
  ASSERT_TRUE(exportPuzzlePage(folder.path("a.php3"), grid));
  EXPECT_EQ(test::readBytes(folder.path("a.php3")), formatPage(grid, PageForm::Html));
  EXPECT_FALSE(exportPuzzlePage(folder.path("missing/a.html"), grid));
}

// The PHP page grades an empty cell of a group that lies in no word by the group's letter, and
// the export names the first such cell; the HTML form grades nothing and says nothing.
TEST(WebExport, ExportNamesAnEmptyGroupCellInNoWord) {
  struct Case {
    std::vector<std::string> picture;
    std::vector<int> group;  // mark 0
    const char* file;
    std::string note;
  };
  const Case cases[] = {
      {{"イ#.", "#.#"},
       {0, 2, 33},
       "a.php",
       "1行3列のセルはどの語にも入らず空です。グループ 1 の文字 イ で採点します (ほか 1 セル)"},
      {{"..#.", "####"},
       {1, 3},
       "a.php",
       "1行4列のセルはどの語にも入らず空です。グループ 1 に文字がないので空で採点します"},
      {{"イ#.", "#.#"}, {0, 2}, "a.html", ""},
      {{"イ#イ", "#.#"}, {0, 2}, "a.php", ""},  // the grid shows the letter there
      {{"イ..", "#.#"}, {0, 2}, "a.php", ""},   // in a word
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    PuzzleGrid grid = test::gridFromPicture(c.picture);
    for (int n = 0; n < CellCount; ++n) {
      if (grid.cellAt(n).flag == Fixed) grid.cellAt(n).flag = Open;
    }
    for (const int n : c.group) grid.cellAt(n).mark = 0;
    grid.setNextMark(1);
    const FileWrite written = exportPuzzlePage(folder.path(c.file), grid);
    EXPECT_TRUE(written.written);
    EXPECT_EQ(test::u8(written.note), c.note) << c.picture[0];
  }
}

TEST(WebExport, CluesAddLabelsAndListsAndNothingElse) {
  const PuzzleGrid grid = test::workedExample();
  PuzzleClues clues;
  clues.properties.title = sj("題");  // properties alone change no page
  for (const PageForm form : {PageForm::Html, PageForm::Php}) {
    EXPECT_EQ(formatPage(grid, form, clues), formatPage(grid, form));
  }
  clues.setText({1, Down}, sj("<script>alert(1)</script> & 記号"));
  const std::string html = formatPage(grid, PageForm::Html, clues);
  const std::string list =
      sj("<H3>タテのカギ</H3>\r\n<P>\r\n1　&lt;script&gt;alert(1)&lt;/script&gt; &amp; "
         "記号<BR>\r\n</P>\r\n<H3>ヨコのカギ</H3>\r\n<P>\r\nア　<BR>\r\n</P>\r\n");
  EXPECT_NE(html.find(list + "</BODY>"), std::string::npos) << test::u8(html);
  EXPECT_NE(html.find(sj("<TD align=\"right\" valign=\"top\"><FONT size=\"-3\">1</FONT>")),
            std::string::npos);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  const std::string php = formatPage(grid, PageForm::Php, clues);
  EXPECT_NE(php.find(list + "<INPUT type=\"submit\""), std::string::npos);
}

}  // namespace
}  // namespace vexilo
