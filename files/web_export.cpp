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
// from the request body on a sent form, parsed here because PHP's own parsing stops at
// max_input_vars (the form sends text/plain, which PHP leaves alone; a URL-encoded body is read
// too). They are kept for 7 days in one cookie of the folder the browser asked for, packed in the
// order of $entries and tagged with that order, so a page exported anew with other boxes ignores
// it. A folder with a byte that setcookie refuses keeps them in the nearest folder above it.
// Then copies each group's value, the given letter or its key entry, into every cell of it.
constexpr std::string_view ReadingBlock = R"(function shown($n, $empty) {
    global $box;
    $val = isset($box[$n]) ? htmlspecialchars($box[$n], ENT_QUOTES, "Shift_JIS") : "";
    return $val !== "" ? $val : $empty;
}
function lead($c) {
    $b = ord($c);
    return ($b >= 0x81 && $b <= 0x9F) || ($b >= 0xE0 && $b <= 0xFC);
}
function packed($values, $budget) {
    $data = "";
    foreach ($values as $val) {
        $len = strlen($val);
        if ($len == 0)
            $one = chr(0);
        else if (($len == 2 && lead($val[0])) || ($len == 1 && !lead($val) && ord($val) > 1))
            $one = $val;
        else
            $one = chr(1) . chr($len >> 8) . chr($len & 255) . $val;
        if (strlen($data) + strlen($one) > $budget)
            break;
        $data .= $one;
    }
    return $data;
}
function unpacked($data, $count) {
    $values = array();
    $at = 0;
    $size = strlen($data);
    while (count($values) < $count && $at < $size) {
        $b = ord($data[$at]);
        if ($b == 0) {
            $from = $at + 1;
            $len = 0;
        } else if ($b == 1) {
            if ($at + 3 > $size)
                break;
            $from = $at + 3;
            $len = ord($data[$at + 1]) * 256 + ord($data[$at + 2]);
        } else {
            $from = $at;
            $len = lead($data[$at]) ? 2 : 1;
        }
        if ($from + $len > $size)
            break;
        $values[] = (string)substr($data, $from, $len);
        $at = $from + $len;
    }
    return $values;
}
$sent = isset($_SERVER["REQUEST_METHOD"]) && $_SERVER["REQUEST_METHOD"] === "POST";
$layout = dechex(crc32(implode(",", $entries)));
$fields = array();
if ($sent) {
    $type = isset($_SERVER["CONTENT_TYPE"]) && is_string($_SERVER["CONTENT_TYPE"]) ? strtolower($_SERVER["CONTENT_TYPE"]) : "";
    $plain = strncmp($type, "text/plain", 10) === 0;
    $body = file_get_contents("php://input");
    foreach (explode($plain ? "\n" : "&", is_string($body) ? $body : "") as $field) {
        $at = strpos($field, "=");
        if ($at === false)
            continue;
        $name = (string)substr($field, 0, $at);
        $val = (string)substr($field, $at + 1);
        if (!$plain)
            list($name, $val) = array(urldecode($name), urldecode($val));
        else if (substr($val, -1) === "\r")
            $val = (string)substr($val, 0, -1);
        $fields[$name] = $val;
    }
}
$stored = array();
$cookie = isset($_COOKIE["coboxes"]) && is_string($_COOKIE["coboxes"]) ? explode(".", $_COOKIE["coboxes"], 2) : array();
if (!$sent && count($cookie) == 2 && $cookie[0] === $layout) {
    $data = base64_decode(strtr($cookie[1], "-_", "+/"), true);
    $stored = $data === false ? array() : unpacked($data, count($entries));
}
$box = array();
foreach ($entries as $i => $n) {
    $val = $sent ? (isset($fields["box[$n]"]) ? $fields["box[$n]"] : "") : (isset($stored[$i]) ? $stored[$i] : "");
    $box[$n] = strlen($val) <= $limit ? $val : "";
}
if ($sent) {
    $uri = isset($_SERVER["REQUEST_URI"]) && is_string($_SERVER["REQUEST_URI"]) ? explode("?", $_SERVER["REQUEST_URI"], 2) : array("");
    if (substr($uri[0], 0, 1) === "/") {
        $path = substr($uri[0], 0, strrpos($uri[0], "/") + 1);
    } else {
        $script = isset($_SERVER["SCRIPT_NAME"]) && is_string($_SERVER["SCRIPT_NAME"]) ? $_SERVER["SCRIPT_NAME"] : "";
        $folder = substr($script, 0, 1) === "/" ? substr($script, 0, strrpos($script, "/") + 1) : "/";
        $path = implode("/", array_map("rawurlencode", explode("/", $folder)));
    }
    $cut = strcspn($path, ",; \t\r\n\013\014");
    if ($cut < strlen($path))
        $path = substr($path, 0, strrpos(substr($path, 0, $cut), "/") + 1);
    $typed = implode("", $box) !== "";
    $keep = array("expires" => $typed ? time() + 7 * 24 * 3600 : 1, "path" => $path, "samesite" => "Lax", "httponly" => true);
    $data = packed(array_values($box), 2800);
    setcookie("coboxes", $typed ? $layout . "." . rtrim(strtr(base64_encode($data), "+/", "-_"), "=") : "", $keep);
}
foreach ($mark as $k => $cells) {
    $val = isset($given[$k]) ? $given[$k] : $box[$key[$k]];
    foreach ($cells as $n)
        $box[$n] = $val;
}
)";

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
  // Text whose lines end in LF, the last one included.
  void lines(std::string_view text) {
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n')) {
      line(text.substr(0, lf));
      text.remove_prefix(lf + 1);
    }
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

// The clue label in the top-right corner of a cell, as the window shows it.
std::string labelled(std::string_view label, std::string content) {
  if (label.empty()) return content;
  return R"(<TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD>)" + content +
         R"(</TD><TD align="right" valign="top"><FONT size="-3">)" + htmlText(label) +
         "</FONT></TD></TR></TBODY></TABLE>";
}

// What a cell shows beside its content: its clue label, on a page with clues only.
std::vector<std::string> cellLabels(const PuzzleGrid& grid, const PuzzleClues& clues) {
  std::vector<std::string> labels(CellCount);
  if (!clues.hasTexts()) return labels;
  const WordNumbers words = numberWords(grid, clues.properties.numbering);
  for (int i = 0; i < CellCount; ++i) {
    labels[static_cast<std::size_t>(i)] = words.cellLabel(i, clues.properties.numbering);
  }
  return labels;
}

// タテのカギ and ヨコのカギ under the grid, every text escaped.
void writeClueLists(Page& page, const PuzzleGrid& grid, const PuzzleClues& clues) {
  if (!clues.hasTexts()) return;
  const WordNumbers words = numberWords(grid, clues.properties.numbering);
  const auto list = [&](std::string_view heading, const std::vector<NumberedWord>& numbered) {
    if (numbered.empty()) return;
    page.line("<H3>" + std::string(heading) + "</H3>");
    page.line("<P>");
    for (const NumberedWord& word : numbered) {
      page.line(htmlText(word.label) + std::string(FullWidthSpace) +
                htmlText(clues.textOf(word.key)) + "<BR>");
    }
    page.line("</P>");
  };
  list("\x83\x5e\x83\x65\x82\xcc\x83\x4a\x83\x4d", words.down);    // タテのカギ
  list("\x83\x88\x83\x52\x82\xcc\x83\x4a\x83\x4d", words.across);  // ヨコのカギ
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

std::string htmlPage(const PuzzleGrid& grid, const PuzzleClues& clues) {
  const ExportRectangle area = exportedRectangle(grid);
  const std::vector<std::string> labels = cellLabels(grid, clues);
  Page page;
  writeHead(page, "Shift_JIS");
  page.tableStart();
  writeRows(page, grid, area, [&labels](const NodeBox& cell, int index) {
    return labelled(labels[static_cast<std::size_t>(index)], htmlCellContent(cell));
  });
  page.tableEnd();
  writeClueLists(page, grid, clues);
  page.line("</BODY>");
  page.line("</HTML>");
  return page.take();
}

// Groups are numbered below 1,024, so later numbers can have neither cells nor a key.
int groupLimit(const PuzzleGrid& grid) { return std::min(grid.nextMark(), CellCount); }

bool isAnswer(const NodeBox& cell) { return cell.flag == Open || cell.flag == Star; }

// No run of two or more open cells passes through the cell, so no word ever writes it.
bool inNoWord(const PuzzleGrid& grid, int index) {
  const int row = PuzzleGrid::rowOf(index);
  const int column = PuzzleGrid::columnOf(index);
  const auto open = [&](int r, int c) {
    return r >= 0 && r < GridSize && c >= 0 && c < GridSize &&
           grid.cellAt(PuzzleGrid::indexOf(r, c)).flag != Block;
  };
  return !open(row, column - 1) && !open(row, column + 1) && !open(row - 1, column) &&
         !open(row + 1, column);
}

// An empty answer cell of a group in no word: the search leaves it empty, while the page shows
// the group's letter there and grades that.
bool takesGroupLetter(const PuzzleGrid& grid, int index) {
  const NodeBox& cell = grid.cellAt(index);
  return isAnswer(cell) && groupOf(cell) != -1 && cell.str.empty() && inNoWord(grid, index);
}

// The group's letter as the grid shows it: its key's text, else the first text of its cells.
std::string_view groupLetter(const PuzzleGrid& grid, int group,
                             const std::array<int, CellCount>& keys) {
  if (!grid.cellAt(keys[group]).str.empty()) return grid.cellAt(keys[group]).str;
  for (int c = FindMarkedCell(grid, 0, group); c != -1; c = FindMarkedCell(grid, c + 1, group)) {
    if (!grid.cellAt(c).str.empty()) return grid.cellAt(c).str;
  }
  return {};
}

std::string_view answerOf(const PuzzleGrid& grid, int index,
                          const std::array<int, CellCount>& keys) {
  const NodeBox& cell = grid.cellAt(index);
  return takesGroupLetter(grid, index) ? groupLetter(grid, groupOf(cell), keys) : cell.str;
}

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
      const std::string_view answer = answerOf(grid, index, keys);
      limit = std::max(limit, answer.size());
      page.line("$ans[" + std::to_string(index) + "] = \"" + phpStringText(answer) + "\";");
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

std::string phpPage(const PuzzleGrid& grid, const PuzzleClues& clues) {
  const ExportRectangle area = exportedRectangle(grid);
  const std::vector<std::string> labels = cellLabels(grid, clues);
  const std::array<int, CellCount> keys = representatives(grid, area);
  Page page;
  page.line("<?php");
  page.line("header(\"Content-Type: text/html; charset=Shift_JIS\");");
  writeSettings(page, grid, area, keys);
  page.lines(ReadingBlock);
  page.line("?>");
  writeHead(page, "Shift_JIS");
  page.line(R"(<FORM method="POST" accept-charset="Shift_JIS" enctype="text/plain">)");
  page.tableStart();
  writeRows(page, grid, area, [&labels](const NodeBox& cell, int index) {
    return labelled(labels[static_cast<std::size_t>(index)], phpCellContent(cell, index));
  });
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
  writeClueLists(page, grid, clues);
  page.line("<INPUT type=\"submit\" value=\"\x8d\xcc\x93\x5f\x82\xb7\x82\xe9\">");  // 採点する
  page.line("</FORM>");
  page.line("<?php");
  page.lines(GradingBlock);
  page.line("?>");
  page.line("</BODY>");
  page.line("</HTML>");
  return page.take();
}

// "3行5列のセルはどの語にも入らず空です。グループ 2 の文字 ア で採点します (ほか 1 セル)"
std::string gradingNote(const PuzzleGrid& grid) {
  int first = -1;
  int cells = 0;
  for (int i = 0; i < CellCount; ++i) {
    if (!takesGroupLetter(grid, i)) continue;
    if (first == -1) first = i;
    ++cells;
  }
  if (first == -1) return {};
  const int group = groupOf(grid.cellAt(first));
  const std::string_view letter =
      groupLetter(grid, group, representatives(grid, exportedRectangle(grid)));
  std::string note = std::to_string(PuzzleGrid::rowOf(first) + 1) + "\x8D\x73" +  // 行
                     std::to_string(PuzzleGrid::columnOf(first) + 1) +
                     // 列のセルはどの語にも入らず空です。グループ
                     "\x97\xF1\x82\xCC\x83\x5A\x83\x8B\x82\xCD\x82\xC7\x82\xCC\x8C\xEA\x82\xC9"
                     "\x82\xE0\x93\xFC\x82\xE7\x82\xB8\x8B\xF3\x82\xC5\x82\xB7\x81\x42\x83\x4F"
                     "\x83\x8B\x81\x5B\x83\x76 " +
                     std::to_string(group + 1);
  if (letter.empty()) {
    // に文字がないので空で採点します
    note +=
        " \x82\xC9\x95\xB6\x8E\x9A\x82\xAA\x82\xC8\x82\xA2\x82\xCC\x82\xC5\x8B\xF3\x82\xC5"
        "\x8D\xCC\x93\x5F\x82\xB5\x82\xDC\x82\xB7";
  } else {
    note += " \x82\xCC\x95\xB6\x8E\x9A ";  // の文字
    note += letter;
    note += " \x82\xC5\x8D\xCC\x93\x5F\x82\xB5\x82\xDC\x82\xB7";  // で採点します
  }
  if (cells > 1) {
    note += " (\x82\xD9\x82\xA9 " + std::to_string(cells - 1) + " \x83\x5A\x83\x8B)";  // ほか, セル
  }
  return note;
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

std::string formatPage(const PuzzleGrid& grid, PageForm form, const PuzzleClues& clues) {
  return form == PageForm::Php ? phpPage(grid, clues) : htmlPage(grid, clues);
}

FileWrite exportPuzzlePage(const std::string& path, const PuzzleGrid& grid,
                           const PuzzleClues& clues) {
  const PageForm form = pageFormFor(fileExtension(path));
  FileWrite result;
  result.written = writeFileAtomically(path, formatPage(grid, form, clues));
  if (result.written && form == PageForm::Php) result.note = gradingNote(grid);
  return result;
}

}  // namespace vexilo
