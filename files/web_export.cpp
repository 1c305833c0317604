#include "files/web_export.h"

#include <algorithm>
#include <vector>

#include "files/atomic_file.h"

namespace vexilo {

namespace {

constexpr std::string_view FullWidthSpace = "\x81\x40";  // 　
constexpr std::string_view CellAttributes =
    R"(width="35" height="35" valign="middle" align="center")";

// The group an exported cell belongs to: -1 for a blocked cell and for a mark outside 0..1023,
// which only a hand-edited file can hold.
int groupOf(const NodeBox& cell) {
  return cell.flag != Block && cell.mark >= 0 && cell.mark < CellCount ? cell.mark : -1;
}

// Cell text inside HTML markup.
std::string htmlText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// Cell text inside a double-quoted PHP string. Byte by byte on purpose: the second byte of
// Shift_JIS characters such as ソ is 0x5C and must be doubled too, or it escapes the quote.
std::string phpStringText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '"' || c == '$') out += '\\';
    out += c;
  }
  return out;
}

std::string whiteCell(std::string_view content) {
  std::string line = "<TD ";
  line += CellAttributes;
  line += R"( bgcolor="#ffffff">)";
  line += content;
  line += "</TD>";
  return line;
}

std::string blackCell() {
  std::string line = "<TD ";
  line += CellAttributes;
  line += R"( bgcolor="#666666">)";
  line += FullWidthSpace;
  line += "</TD>";
  return line;
}

std::string numbered(int shownNumber, std::string_view inner) {
  std::string text =
      R"(<TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">)";
  text += std::to_string(shownNumber);
  text += "</FONT></TD><TD>";
  text += inner;
  text += "</TD></TR></TBODY></TABLE>";
  return text;
}

// The entry box and the shown entry echo the visitor's value only through shown(), which escapes
// it; the page's reading block defines shown().
std::string entryBox(int cell) {
  const std::string n = std::to_string(cell);
  return R"(<?php echo "<INPUT size=\"1\" type=\"text\" name=\"box[)" + n +
         R"(]\" value=\"", shown()" + n + R"(, ""), "\">"; ?>)";
}

std::string shownEntry(int cell) {
  return "<?php echo shown(" + std::to_string(cell) + ", \"" + std::string(FullWidthSpace) +
         "\"); ?>";
}

// Reads the visitor's values for the page's own entries only: strings of at most $limit bytes
// from $_POST on a sent form (kept for 7 days in cookies of the page's folder, where a browser
// also sends them for the folder's index page), else from the cookies. Then copies
// each group's value, the given letter or its key entry, into every cell of the group.
constexpr std::string_view ReadingBlock[] = {
    "function shown($n, $empty) {",
    "    global $box;",
    "    $val = isset($box[$n]) ? htmlspecialchars($box[$n], ENT_QUOTES, \"Shift_JIS\") : \"\";",
    "    return $val !== \"\" ? $val : $empty;",
    "}",
    "$sent = isset($_SERVER[\"REQUEST_METHOD\"]) && $_SERVER[\"REQUEST_METHOD\"] === \"POST\";",
    "$from = $sent ? $_POST : $_COOKIE;",
    "$name = $sent ? \"box\" : \"cobox\";",
    "$box = array();",
    "foreach ($entries as $n) {",
    "    $val = isset($from[$name]) && is_array($from[$name]) && isset($from[$name][$n])"
    " ? $from[$name][$n] : \"\";",
    "    $box[$n] = is_string($val) && strlen($val) <= $limit ? $val : \"\";",
    "}",
    "if ($sent) {",
    "    $script = isset($_SERVER[\"SCRIPT_NAME\"]) && is_string($_SERVER[\"SCRIPT_NAME\"])"
    " ? $_SERVER[\"SCRIPT_NAME\"] : \"\";",
    "    $folder = substr($script, 0, 1) === \"/\" ? substr($script, 0, strrpos($script, \"/\") + "
    "1)"
    " : \"/\";",
    "    $path = implode(\"/\", array_map(\"rawurlencode\", explode(\"/\", $folder)));",
    "    $keep = array(\"expires\" => time() + 7 * 24 * 3600, \"path\" => $path,"
    " \"samesite\" => \"Lax\", \"httponly\" => true);",
    "    foreach ($entries as $n)",
    "        setcookie(\"cobox[$n]\", $box[$n], $keep);",
    "}",
    "foreach ($mark as $k => $cells) {",
    "    $val = isset($given[$k]) ? $given[$k] : $box[$key[$k]];",
    "    foreach ($cells as $n)",
    "        $box[$n] = $val;",
    "}",
};

// Strict comparison: PHP's loose one takes "1" and "01" for the same answer.
// The texts: 正解です; 残念・・, then 点です.
constexpr std::string_view GradingBlock[] = {
    "if ($sent) {",
    "    $count = 0;",
    "    foreach ($ans as $n => $val) {",
    "        if (isset($box[$n]) && $box[$n] === $val)",
    "            $count++;",
    "    }",
    "    if ($count == count($ans))",
    "        echo \"\x90\xb3\x89\xf0\x82\xc5\x82\xb7\\n\";",
    "    else",
    "        echo \"\x8e\x63\x94\x4f\x81\x45\x81\x45\".intdiv($count * 100, count($ans))."
    "\"\x93\x5f\x82\xc5\x82\xb7\\n\";",
    "}",
};

class Page {
 public:
  void line(std::string_view text) {
    bytes_ += text;
    bytes_ += "\r\n";
  }
  template <std::size_t N>
  void lines(const std::string_view (&block)[N]) {
    for (const std::string_view text : block) line(text);
  }
  void tableStart() {
    line(R"(<TABLE border="1" cellpadding="0">)");
    line("<TBODY>");
  }
  void tableEnd() {
    line("</TBODY>");
    line("</TABLE>");
  }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

std::string htmlCellContent(const NodeBox& cell) {
  const std::string inner = cell.flag == Fixed ? htmlText(cell.str) : std::string(FullWidthSpace);
  const int group = groupOf(cell);
  return group == -1 ? inner : numbered(group + 1, inner);
}

std::string phpCellContent(const NodeBox& cell, int index) {
  const int group = groupOf(cell);
  const std::string inner = cell.flag == Fixed ? htmlText(cell.str)
                            : group == -1      ? entryBox(index)
                                               : shownEntry(index);
  return group == -1 ? inner : numbered(group + 1, inner);
}

template <typename Content>
void writeRows(Page& page, const PuzzleGrid& grid, const ExportRectangle& area, Content content) {
  for (int row = area.top; row < area.bottom; ++row) {
    page.line("<TR>");
    for (int column = area.left; column < area.right; ++column) {
      const int index = PuzzleGrid::indexOf(row, column);
      const NodeBox& cell = grid.cellAt(index);
      page.line(cell.flag == Block ? blackCell() : whiteCell(content(cell, index)));
    }
    page.line("</TR>");
  }
}

void writeHead(Page& page, std::string_view charset) {
  page.line("<HTML>");
  page.line("<HEAD>");
  page.line(std::string(R"(<META http-equiv="Content-Type" content="text/html; charset=)") +
            std::string(charset) + "\">");
  page.line("</HEAD>");
  page.line("<BODY>");
}

std::string htmlPage(const PuzzleGrid& grid) {
  const ExportRectangle area = exportedRectangle(grid);
  Page page;
  writeHead(page, "Shift_JIS");
  page.tableStart();
  writeRows(page, grid, area, [](const NodeBox& cell, int) { return htmlCellContent(cell); });
  page.tableEnd();
  page.line("</BODY>");
  page.line("</HTML>");
  return page.take();
}

// Groups are numbered below 1,024, so later numbers can have neither cells nor a key.
int groupLimit(const PuzzleGrid& grid) { return std::min(grid.nextMark(), CellCount); }

bool isAnswer(const NodeBox& cell) { return cell.flag == Open || cell.flag == Star; }

// Everything the page grades by and every name it reads stands inside PHP, set before the
// visitor's values are read, so neither the answers nor the groups reach the browser or can be
// changed by a request.
void writeSettings(Page& page, const PuzzleGrid& grid, const ExportRectangle& area,
                   const std::array<int, CellCount>& keys) {
  page.line("$ans = array();");
  std::size_t limit = 16;  // bytes of a visitor's value; longer values are read as empty
  std::vector<int> entries;
  for (int row = area.top; row < area.bottom; ++row) {
    for (int column = area.left; column < area.right; ++column) {
      const int index = PuzzleGrid::indexOf(row, column);
      const NodeBox& cell = grid.cellAt(index);
      if (cell.flag != Block && cell.flag != Fixed && groupOf(cell) == -1) entries.push_back(index);
      if (!isAnswer(cell)) continue;
      limit = std::max(limit, cell.str.size());
      page.line("$ans[" + std::to_string(index) + "] = \"" + phpStringText(cell.str) + "\";");
    }
  }
  page.line("$limit = " + std::to_string(limit) + ";");
  for (int k = 0; k < groupLimit(grid); ++k) {
    if (keys[k] != -1 && grid.cellAt(keys[k]).flag != Fixed) entries.push_back(keys[k]);
  }
  std::sort(entries.begin(), entries.end());
  std::string list;
  for (const int n : entries) list += (list.empty() ? "" : ", ") + std::to_string(n);
  page.line("$entries = array(" + list + ");");
  page.line("$mark = array();");
  page.line("$key = array();");
  page.line("$given = array();");
  for (int k = 0; k < groupLimit(grid); ++k) {
    if (keys[k] == -1) continue;
    std::string cells;
    for (int c = FindMarkedCell(grid, 0, k); c != -1; c = FindMarkedCell(grid, c + 1, k)) {
      cells += (cells.empty() ? "" : ", ") + std::to_string(c);
    }
    const std::string group = std::to_string(k);
    page.line("$mark[" + group + "] = array(" + cells + ");");
    const NodeBox& key = grid.cellAt(keys[k]);
    page.line(key.flag == Fixed ? "$given[" + group + "] = \"" + phpStringText(key.str) + "\";"
                                : "$key[" + group + "] = " + std::to_string(keys[k]) + ";");
  }
}

std::string phpPage(const PuzzleGrid& grid) {
  const ExportRectangle area = exportedRectangle(grid);
  const std::array<int, CellCount> keys = representatives(grid, area);
  Page page;
  page.line("<?php");
  page.line("header(\"Content-Type: text/html; charset=Shift_JIS\");");
  writeSettings(page, grid, area, keys);
  page.lines(ReadingBlock);
  page.line("?>");
  writeHead(page, "Shift_JIS");
  page.line(R"(<FORM method="POST" accept-charset="Shift_JIS">)");
  page.tableStart();
  writeRows(page, grid, area, phpCellContent);
  page.tableEnd();
  if (hasNumbers(grid, area)) {
    page.tableStart();
    for (int k = 0; k < groupLimit(grid); ++k) {
      if (keys[k] == -1) continue;
      const NodeBox& cell = grid.cellAt(keys[k]);
      const std::string inner = cell.flag == Fixed ? htmlText(cell.str) : entryBox(keys[k]);
      page.line(whiteCell(numbered(k + 1, inner)));
    }
    page.tableEnd();
  }
  page.line("<INPUT type=\"submit\" value=\"\x8d\xcc\x93\x5f\x82\xb7\x82\xe9\">");  // 採点する
  page.line("</FORM>");
  page.line("<?php");
  page.lines(GradingBlock);
  page.line("?>");
  page.line("</BODY>");
  page.line("</HTML>");
  return page.take();
}

}  // namespace

int FindMarkedCell(const PuzzleGrid& grid, int start, int mark) {
  for (int i = std::max(start, 0); i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    if (cell.flag != Block && cell.mark == mark) return i;
  }
  return -1;
}

ExportRectangle exportedRectangle(const PuzzleGrid& grid) {
  ExportRectangle area;
  for (int i = 0; i < CellCount; ++i) {
    if (grid.cellAt(i).flag == Block) continue;
    const int row = PuzzleGrid::rowOf(i);
    const int column = PuzzleGrid::columnOf(i);
    area.top = std::min(area.top, row);
    area.bottom = std::max(area.bottom, row + 1);
    area.left = std::min(area.left, column);
    area.right = std::max(area.right, column + 1);
  }
  return area;
}

bool hasNumbers(const PuzzleGrid& grid, const ExportRectangle& area) {
  for (int row = area.top; row < area.bottom; ++row) {
    for (int column = area.left; column < area.right; ++column) {
      if (groupOf(grid.cellAt(PuzzleGrid::indexOf(row, column))) != -1) return true;
    }
  }
  return false;
}

std::array<int, CellCount> representatives(const PuzzleGrid& grid, const ExportRectangle& area) {
  std::array<int, CellCount> keys;
  keys.fill(-1);
  for (int row = area.top; row < area.bottom; ++row) {
    for (int column = area.left; column < area.right; ++column) {
      const int index = PuzzleGrid::indexOf(row, column);
      const NodeBox& cell = grid.cellAt(index);
      const int group = groupOf(cell);
      if (group != -1 && (keys[group] == -1 || cell.flag == Fixed)) keys[group] = index;
    }
  }
  return keys;
}

std::string fileExtension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

PageForm pageFormFor(std::string_view extension) {
  if (extension.size() != 3) return PageForm::Html;
  constexpr std::string_view php = "php";
  for (std::size_t i = 0; i < 3; ++i) {
    const char c = extension[i];
    if (c != php[i] && c != php[i] - ('a' - 'A')) return PageForm::Html;
  }
  return PageForm::Php;
}

std::string formatPage(const PuzzleGrid& grid, PageForm form) {
  return form == PageForm::Php ? phpPage(grid) : htmlPage(grid);
}

bool exportPuzzlePage(const std::string& path, const PuzzleGrid& grid) {
  return writeFileAtomically(path, formatPage(grid, pageFormFor(fileExtension(path))));
}

}  // namespace vexilo
