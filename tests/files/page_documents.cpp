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

const char* const CopyingBlock = R"(reset($mark);
while ( list($num, $ary) = each($mark) ) {
	$tmp = "";
	reset($ary);
	while ( list($key, $val) = each($ary) ) {
		if ( $val != (-1) && $box[$val] != "" )
			$tmp = $box[$val];
	}
	if ( $tmp != "" ) {
		reset($ary);
		while ( list($key, $val) = each($ary) )
			$box[$val] = $tmp;
	}
}
)";

const char* const CookieBlock = R"(if ( $REQUEST_METHOD == "POST" ) {
    $exp = time() + 7 * 24 * 3600;
    $max = count($box);
    if ( is_array($box) ) {
        reset($box);
        for ( $n = 0 ; $n < $max ; $n++ ) {
            $key = key($box);
            setcookie("cobox[$key]", $box[$key], $exp);
            next($box);
        }
    }
} else {
    if ( is_array($cobox) ) {
        reset($cobox);
        while ( list($key, $val) = each($cobox) ) {
            if ( $box[$key] == "" )
                $box[$key] = $val;
        }
    }
}
)";

const char* const PageStart = R"(</SCRIPT>
<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=euc-jp">
</HEAD>
<BODY>
<FORM method="POST" accept-charset="euc-jp">
)";

const char* const WorkedPhpTables = R"(<TABLE border="1" cellpadding="0">
<TBODY>
<TR>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff">ア</TD>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">1</FONT></TD><TD><SCRIPT language="php">if($box[1] != "")echo $box[1];else echo "　";</SCRIPT></TD></TR></TBODY></TABLE></TD>
</TR>
<TR>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#666666">　</TD>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><SCRIPT language="php">echo "<INPUT size=\"1\" type=\"text\" name=\"box[33]\" value=\"$box[33]\">";</SCRIPT></TD>
</TR>
</TBODY>
</TABLE>
<TABLE border="1" cellpadding="0">
<TBODY>
<TD width="35" height="35" valign="middle" align="center" bgcolor="#ffffff"><TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">1</FONT></TD><TD><SCRIPT language="php">echo "<INPUT size=\"1\" type=\"text\" name=\"box[1]\" value=\"$box[1]\">";</SCRIPT></TD></TR></TBODY></TABLE></TD>
</TBODY>
</TABLE>
)";

const char* const FormEnd = R"(<INPUT type="submit" value="採点する">
</FORM>
<SCRIPT language="php">
)";

const char* const GradingBlock = R"(if ( $REQUEST_METHOD == "POST" ) {
    $result = 1; $count = 0;
    $max = count($ans);
    reset($ans);
    for ( $n = 0 ; $n < $max ; $n++ ) {
        $key = key($ans);
        if ( $ans[$key] != $box[$key] )
            $result = (-1);
        else
            $count++;
        next($ans);
    }
    $resval = $count * 100 / $max;
} else {
    $result = 0;
}
if ( $result == 1 ) {
    echo "正解です\n";
} else if ( $result == (-1) ) {
    echo "残念・・".intval($resval)."点です\n";
}
</SCRIPT>
</BODY>
</HTML>
)";

std::string workedExampleHtml() { return document(WorkedHtml); }

std::string workedExamplePhp() {
  return document(std::string("<SCRIPT language=\"php\">\n$mark[0] = array(1,(-1));\n") +
                  CopyingBlock + CookieBlock + PageStart + WorkedPhpTables + FormEnd +
                  "$ans[1] = \"イ\";\n$ans[33] = \"カ\";\n" + GradingBlock);
}

}  // namespace vexilo::test
