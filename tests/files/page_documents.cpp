#include "page_documents.h"

#include "support/grid_picture.h"
#include "support/sjis.h"

namespace vexilo::test {

std::string document(std::string_view utf8) {
  std::string out;
  for (const char c : sj(utf8)) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

PuzzleGrid workedExample() {
  PuzzleGrid grid = test::gridFromPicture({"アイ", "#カ"});
  grid.cellAt(1).flag = Open;
  grid.cellAt(1).mark = 0;
  grid.cellAt(33).flag = Star;
  grid.setNextMark(1);
  return grid;
}

namespace {

const char* const WorkedHtml = R"(<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
</HEAD>
<BODY>
<TABLE border="1" cellpadding="0">
<TBODY>
<TR>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff">ア</TD>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">1</FONT></TD><TD>　</TD></TR></TBODY></TABLE></TD>
</TR>
<TR>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#666666">　</TD>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff">　</TD>
</TR>
</TBODY>
</TABLE>
</BODY>
</HTML>
)";

}  // namespace

const char* const ReadingBlock = R"(function shown($n, $empty) {
    global $box;
    $val = isset($box[$n]) ? htmlspecialchars($box[$n], ENT_QUOTES, "Shift_JIS") : "";
    return $val !== "" ? $val : $empty;
}
$sent = isset($_SERVER["REQUEST_METHOD"]) && $_SERVER["REQUEST_METHOD"] === "POST";
$from = $sent ? $_POST : $_COOKIE;
$name = $sent ? "box" : "cobox";
$box = array();
foreach ($entries as $n) {
    $val = isset($from[$name]) && is_array($from[$name]) && isset($from[$name][$n]) ? $from[$name][$n] : "";
    $box[$n] = is_string($val) && strlen($val) <= $limit ? $val : "";
}
if ($sent) {
    $script = isset($_SERVER["SCRIPT_NAME"]) && is_string($_SERVER["SCRIPT_NAME"]) ? $_SERVER["SCRIPT_NAME"] : "";
    $folder = substr($script, 0, 1) === "/" ? substr($script, 0, strrpos($script, "/") + 1) : "/";
    $path = implode("/", array_map("rawurlencode", explode("/", $folder)));
    $keep = array("expires" => time() + 7 * 24 * 3600, "path" => $path, "samesite" => "Lax", "httponly" => true);
    foreach ($entries as $n)
        setcookie("cobox[$n]", $box[$n], $keep);
}
foreach ($mark as $k => $cells) {
    $val = isset($given[$k]) ? $given[$k] : $box[$key[$k]];
    foreach ($cells as $n)
        $box[$n] = $val;
}
?>
<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
</HEAD>
<BODY>
<FORM method="POST" accept-charset="Shift_JIS">
)";

const char* const WorkedPhpTables = R"(<TABLE border="1" cellpadding="0">
<TBODY>
<TR>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff">ア</TD>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">1</FONT></TD><TD><?php echo shown(1, "　"); ?></TD></TR></TBODY></TABLE></TD>
</TR>
<TR>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#666666">　</TD>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><?php echo "<INPUT size=\"1\" type=\"text\" name=\"box[33]\" value=\"", shown(33, ""), "\">"; ?></TD>
</TR>
</TBODY>
</TABLE>
<TABLE border="1" cellpadding="0">
<TBODY>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">1</FONT></TD><TD><?php echo "<INPUT size=\"1\" type=\"text\" name=\"box[1]\" value=\"", shown(1, ""), "\">"; ?></TD></TR></TBODY></TABLE></TD>
</TBODY>
</TABLE>
)";

const char* const GradingBlock = R"(<INPUT type="submit" value="採点する">
</FORM>
<?php
if ($sent) {
    $count = 0;
    foreach ($ans as $n => $val) {
        if (isset($box[$n]) && $box[$n] === $val)
            $count++;
    }
    if ($count == count($ans))
        echo "正解です\n";
    else
        echo "残念・・".intdiv($count * 100, count($ans))."点です\n";
}
?>
</BODY>
</HTML>
)";

std::string workedExampleHtml() { return document(WorkedHtml); }

std::string workedExamplePhp() {
  return document(std::string(R"(<?php
header("Content-Type: text/html; charset=Shift_JIS");
$ans = array();
$ans[1] = "イ";
$ans[33] = "カ";
$limit = 16;
$entries = array(1, 33);
$mark = array();
$key = array();
$given = array();
$mark[0] = array(1);
$key[0] = 1;
)") + ReadingBlock +
                  WorkedPhpTables + GradingBlock);
}

}  // namespace vexilo::test
