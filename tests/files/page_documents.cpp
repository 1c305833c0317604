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
?>
<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
</HEAD>
<BODY>
<FORM method="POST" accept-charset="Shift_JIS" enctype="text/plain">
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
