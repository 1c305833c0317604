#include "files/web_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "page_documents.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::CookieBlock;
using test::document;
using test::FormEnd;
using test::GradingBlock;
using test::PageStart;
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
  EXPECT_EQ(linesOf(php).size(), 89u);
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
  marked.setNextMark(3);  // no cell has a mark: still no numbers
  EXPECT_EQ(formatPage(marked, PageForm::Php),
            document(std::string("<SCRIPT language=\"php\">\n") + CookieBlock + PageStart +
                     "<TABLE border=\"1\" cellpadding=\"0\">\n<TBODY>\n</TBODY>\n</TABLE>\n" +
                     FormEnd + GradingBlock));
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
  const std::vector<std::string> lines = linesOf(php);
  EXPECT_EQ(
      lines[31],
      R"(<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><SCRIPT language="php">echo "<INPUT size=\"1\" type=\"text\" name=\"box[170]\" value=\"$box[170]\">";</SCRIPT></TD>)");
  EXPECT_EQ(count(php, "name=\\\"box[298]\\\""), 0);  // the black cell at row 9, column 10
  EXPECT_EQ(count(php, "name=\\\"box[299]\\\""), 1);
  EXPECT_EQ(count(php, "\r\n$ans["), 19);
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
  const std::vector<std::string> lines = linesOf(php);
  EXPECT_EQ(lines[1], "$mark[0] = array(0,2,(-1));");
  EXPECT_EQ(lines[2], "$mark[1] = array(1,32,33,34,(-1));");
  EXPECT_EQ(lines[3], "$mark[2] = array((-1));");
  EXPECT_EQ(lines[4], "reset($mark);");
  const std::string td =
      R"(<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff">)";
  const std::string wrap =
      R"(<TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">)";
  const std::string key0 =
      td + wrap +
      R"(1</FONT></TD><TD><SCRIPT language="php">echo "<INPUT size=\"1\" type=\"text\" name=\"box[0]\" value=\"$box[0]\">";</SCRIPT></TD></TR></TBODY></TABLE></TD>)";
  const std::string key1 = td + wrap + "2</FONT></TD><TD>C</TD></TR></TBODY></TABLE></TD>";
  const std::size_t keyTable = php.rfind("<TABLE border=\"1\" cellpadding=\"0\">\r\n<TBODY>\r\n");
  EXPECT_EQ(php.substr(keyTable), "<TABLE border=\"1\" cellpadding=\"0\">\r\n<TBODY>\r\n" + key0 +
                                      "\r\n" + key1 + "\r\n</TBODY>\r\n</TABLE>\r\n" +
                                      document(FormEnd) + "$ans[0] = \"\";\r\n$ans[2] = \"\";\r\n" +
                                      "$ans[33] = \"\";\r\n" + document(GradingBlock));
  // The open member of group 1 shows the group's value and has no entry box of its own.
  EXPECT_EQ(count(php, "if($box[33] != \"\")echo $box[33];"), 1);
  EXPECT_EQ(count(php, "name=\\\"box[33]\\\""), 0);
}

TEST(WebExport, AnswersListOpenAndStarCellsInReadingOrder) {
  PuzzleGrid grid = test::gridFromPicture({"*#", ".X"});
  grid.cellAt(0).str = sj("サ");
  grid.cellAt(1) = NodeBox{"", 7, -1};  // an unknown flag is an open cell but no answer
  std::string php = formatPage(grid, PageForm::Php);
  const std::size_t answers = php.find("$ans[");
  EXPECT_EQ(php.substr(answers, php.find("if (", answers) - answers),
            "$ans[0] = \"" + sj("サ") + "\";\r\n$ans[32] = \"\";\r\n");
  EXPECT_EQ(count(php, "name=\\\"box[1]\\\""), 1);
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
  EXPECT_EQ(count(formatPage(grid, PageForm::Php), "$mark["), 1024);  // numbers stop at 1,023
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

std::string run(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  status = pclose(pipe);
  return output;
}

// The page with its script elements as PHP open and close tags, which the PHP of today reads.
std::string asPhpTags(std::string page) {
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{"<SCRIPT language=\"php\">", "<?php "},
        {"</SCRIPT>", " ?>"}}) {
    for (std::size_t at = page.find(from); at != std::string::npos; at = page.find(from, at)) {
      page.replace(at, from.size(), to);
      at += to.size();
    }
  }
  return page;
}

TEST(WebExport, PhpPageWithBackslashLettersIsValidPhp) {
  int status = 0;
  const std::string php = run("command -v php", status);
  ASSERT_EQ(status, 0) << "php not found; tools/setup installs php-cli";

  PuzzleGrid grid = test::gridFromPicture({"...", "表.*"});
  grid.cellAt(0).str = sj("ソ");
  grid.cellAt(1).str = sj("十");
  grid.cellAt(2).str = "\\";
  grid.cellAt(33).str = sj("能") + "\"$box";
  grid.cellAt(34).str = sj("表");
  grid.linkCells(0, 32);
  test::TempFolder folder;
  const std::string page = formatPage(grid, PageForm::Php);
  test::writeBytes(folder.path("page.php"), asPhpTags(page));
  const std::string lint = run("php -l " + folder.path("page.php") + " 2>&1", status);
  EXPECT_EQ(status, 0) << lint;

  // PHP reads every answer back as the very bytes the cell holds.
  std::string answers = "<?php\n";
  for (const std::string& line : linesOf(page)) {
    if (line.starts_with("$ans[")) answers += line + "\n";
  }
  answers += "foreach ($ans as $k => $v) echo $k, ' ', bin2hex($v), \"\\n\";\n";
  test::writeBytes(folder.path("answers.php"), answers);
  const std::string values = run("php " + folder.path("answers.php") + " 2>&1", status);
  EXPECT_EQ(values, "0 835c\n1 8f5c\n2 5c\n33 945c2224626f78\n34 955c\n");
}

}  // namespace
}  // namespace vexilo
