// The PHP form of the exported page, run as a web server runs it: through Debian's php-cgi, with
// every error reported.

#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "files/web_export.h"
#include "page_documents.h"
#include "support/grid_picture.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::document;
using test::sj;

using Fields = std::vector<std::pair<std::string, std::string>>;

struct Request {
  std::string method = "GET";
  std::string query;
  std::string body;  // already encoded
  std::string cookie;
  std::string type = "text/plain";
  std::string uri = "/my%20puzzles/page.php";  // the path as the browser sent it
};

struct Response {
  Fields headers;
  std::string body;

  std::vector<std::string> all(const std::string& name) const {
    std::vector<std::string> values;
    for (const auto& [key, value] : headers) {
      if (strcasecmp(key.c_str(), name.c_str()) == 0) values.push_back(value);
    }
    return values;
  }
};

std::string program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// Runs argv with the environment given, stdin from a file; returns the exit status.
int spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment,
          const std::string& in, const std::string& out, const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& variable : environment)
    envp.push_back(const_cast<char*>(variable.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
  return status;
}

// As a browser sends the page's form: one "name=value" line each.
std::string plainEncoded(const Fields& fields) {
  std::string out;
  for (const auto& [name, value] : fields) out += name + "=" + value + "\r\n";
  return out;
}

std::string formEncoded(const Fields& fields) {
  std::string out;
  for (const auto& [name, value] : fields) {
    if (!out.empty()) out += '&';
    for (const std::string* part : {&name, &value}) {
      for (const unsigned char c : *part) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
          out += static_cast<char>(c);
        } else {
          constexpr char hex[] = "0123456789ABCDEF";
          out += {'%', hex[c >> 4], hex[c & 15]};
        }
      }
      if (part == &name) out += '=';
    }
  }
  return out;
}

// The cookies a browser sends back after this response: every one set, less the deleted ones.
std::string cookiesFrom(const Response& response) {
  std::string cookie;
  for (const std::string& set : response.all("Set-Cookie")) {
    if (set.find("; Max-Age=0;") != std::string::npos) continue;
    cookie += (cookie.empty() ? "" : "; ") + set.substr(0, set.find(';'));
  }
  return cookie;
}

class PhpPage : public ::testing::Test {
 protected:
  void SetUp() override {
    cgi_ = program("php-cgi");
    if (cgi_.empty()) GTEST_SKIP() << "php-cgi not found (tools/setup installs it)";
  }

  void exportPage(const PuzzleGrid& grid, const PuzzleClues& clues = {}) {
    ASSERT_TRUE(exportPuzzlePage(folder_.path("page.php"), grid, clues));
  }

  Response serve(const Request& request) {
    test::writeBytes(folder_.path("request"), request.body);
    const std::vector<std::string> environment = {
        "REDIRECT_STATUS=200",
        "GATEWAY_INTERFACE=CGI/1.1",
        "SCRIPT_FILENAME=" + folder_.path("page.php"),
        "SCRIPT_NAME=/my puzzles/page.php",
        "REQUEST_URI=" + request.uri + (request.query.empty() ? "" : "?" + request.query),
        "REQUEST_METHOD=" + request.method,
        "QUERY_STRING=" + request.query,
        "CONTENT_TYPE=" + request.type,
        "CONTENT_LENGTH=" + std::to_string(request.body.size()),
        "HTTP_COOKIE=" + request.cookie,
    };
    const int status =
        spawn({cgi_, "-d", "error_reporting=E_ALL", "-d", "display_errors=1"}, environment,
              folder_.path("request"), folder_.path("out"), folder_.path("err"));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readBytes(folder_.path("err")), "");
    const std::string out = test::readBytes(folder_.path("out"));
    for (const char* complaint : {"Notice", "Warning", "Deprecated", "Fatal", "Parse error"}) {
      EXPECT_EQ(out.find(complaint), std::string::npos) << complaint << " in\n" << test::u8(out);
    }
    Response response;
    const std::size_t end = out.find("\r\n\r\n");
    if (end == std::string::npos) {
      ADD_FAILURE() << "no end of headers in\n" << out;
      return response;
    }
    std::size_t at = 0;
    while (at < end) {
      const std::size_t stop = out.find("\r\n", at);
      const std::string line = out.substr(at, stop - at);
      const std::size_t colon = line.find(": ");
      response.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
      at = stop + 2;
    }
    response.body = out.substr(end + 4);
    return response;
  }

  Response get(const std::string& cookie = "", const std::string& query = "") {
    return serve({"GET", query, "", cookie});
  }
  Response post(const Fields& fields) { return serve({"POST", "", plainEncoded(fields), ""}); }

  test::TempFolder folder_;
  std::string cgi_;
};

// What a visitor of the worked example receives; values and grade in UTF-8, values as escaped.
std::string workedBody(const std::string& box1, const std::string& box33,
                       const std::string& grade) {
  const std::string td = R"(<TD width="35" height="35" valign="middle" align="center" bgcolor=)";
  const std::string numbered =
      R"("#ffffff"><TABLE cellpadding="0" width="100%" height="100%"><TBODY><TR><TD align="left" valign="top"><FONT size="-3">1</FONT></TD><TD>)";
  return document(R"(<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
</HEAD>
<BODY>
<FORM method="POST" accept-charset="Shift_JIS" enctype="text/plain">
<TABLE border="1" cellpadding="0">
<TBODY>
<TR>
)" + td + R"("#ffffff">ア</TD>
)" + td + numbered +
                  (box1.empty() ? "　" : box1) +
                  R"(</TD></TR></TBODY></TABLE></TD>
</TR>
<TR>
)" + td + R"("#666666">　</TD>
)" + td + R"("#ffffff"><INPUT size="1" type="text" name="box[33]" value=")" +
                  box33 + R"("></TD>
</TR>
</TBODY>
</TABLE>
<TABLE border="1" cellpadding="0">
<TBODY>
)" + td + numbered +
                  R"(<INPUT size="1" type="text" name="box[1]" value=")" + box1 +
                  R"("></TD></TR></TBODY></TABLE></TD>
</TBODY>
</TABLE>
<INPUT type="submit" value="採点する">
</FORM>
)") + sj(grade) +
         document("</BODY>\n</HTML>\n");
}

// カ イ ラ     カ given and in group 1 with the open カ below; ラ and ラ open in group 2;
// キ # ス     キ given; ス a star cell; イ and ク open without a group.
// ラ ク カ
PuzzleGrid groupedGrid() {
  PuzzleGrid grid = test::gridFromPicture({"カイラ", "キ#ス", "ラクカ"});
  for (const int open : {1, 2, 64, 65, 66}) grid.cellAt(open).flag = Open;
  grid.cellAt(34).flag = Star;
  grid.cellAt(0).mark = grid.cellAt(66).mark = 0;
  grid.cellAt(2).mark = grid.cellAt(64).mark = 1;
  grid.setNextMark(2);
  return grid;
}

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::string entryValue(int cell, const std::string& utf8) {
  return "name=\"box[" + std::to_string(cell) + "]\" value=\"" + sj(utf8) + "\"";
}
std::string shownInGroup(int group, const std::string& utf8) {
  return "<FONT size=\"-3\">" + std::to_string(group) + "</FONT></TD><TD>" + sj(utf8) + "</TD>";
}

TEST_F(PhpPage, FirstVisitShowsEmptyBoxesInShiftJisAndNoAnswer) {
  exportPage(test::workedExample());
  const Response first = get();
  EXPECT_EQ(first.all("Content-Type"), std::vector<std::string>{"text/html; charset=Shift_JIS"});
  EXPECT_EQ(first.all("Set-Cookie").size(), 0u);
  EXPECT_EQ(first.body, workedBody("", "", ""));

  exportPage(groupedGrid());
  const std::string body = get().body;
  for (const char* answer : {"イ", "ラ", "ス", "ク", "$ans", "<?php"}) {
    EXPECT_EQ(count(body, sj(answer)), 0) << answer;
  }
  EXPECT_EQ(count(body, "value=\"\""), 4);  // the boxes of cells 1, 34, 65 and of group 2's key
}

TEST_F(PhpPage, SentFormIsGradedWithTheTruncatedPercentage) {
  exportPage(test::workedExample());
  EXPECT_EQ(post({{"box[1]", sj("イ")}, {"box[33]", sj("カ")}}).body,
            workedBody("イ", "カ", "正解です\n"));
  EXPECT_EQ(post({{"box[1]", sj("イ")}, {"box[33]", sj("キ")}}).body,
            workedBody("イ", "キ", "残念・・50点です\n"));
  EXPECT_EQ(post({}).body, workedBody("", "", "残念・・0点です\n"));
  // A URL-encoded form, as pages exported before sent it, is read as well.
  const Fields both = {{"box[1]", sj("イ")}, {"box[33]", sj("キ")}};
  EXPECT_EQ(serve({"POST", "", formEncoded(both), "", "application/x-www-form-urlencoded"}).body,
            workedBody("イ", "キ", "残念・・50点です\n"));

  // Six answers: four right are 66.7%, shown as 66. The open カ of the group with a given
  // letter counts as right without a box of its own.
  exportPage(groupedGrid());
  const Fields all = {
      {"box[1]", sj("イ")}, {"box[2]", sj("ラ")}, {"box[34]", sj("ス")}, {"box[65]", sj("ク")}};
  EXPECT_EQ(count(post(all).body, sj("</FORM>\r\n正解です\n</BODY>")), 1);
  const std::string some = post({{"box[1]", sj("イ")}, {"box[2]", sj("ラ")}}).body;
  EXPECT_EQ(count(some, sj("</FORM>\r\n残念・・66点です\n</BODY>")), 1);

  exportPage(test::gridFromPicture({"ア"}));  // nothing to answer: right, and no division by 0
  EXPECT_EQ(count(post({}).body, sj("</FORM>\r\n正解です\n</BODY>")), 1);
}

TEST_F(PhpPage, APageWithCluesStillGradesAndShowsTheCluesAsText) {
  PuzzleClues clues;
  clues.setText({0, Across}, sj("<b>横</b> & \"x\""));
  exportPage(test::workedExample(), clues);
  const std::string body = post({{"box[1]", sj("イ")}, {"box[33]", sj("カ")}}).body;
  EXPECT_EQ(count(body, sj("</FORM>\r\n正解です\n</BODY>")), 1);
  EXPECT_EQ(count(body, sj("ア　&lt;b&gt;横&lt;/b&gt; &amp; &quot;x&quot;<BR>")), 1);
  EXPECT_EQ(count(body, "<b>"), 0);
}

TEST_F(PhpPage, GroupsShowTheirEntryOrGivenLetterInEveryCell) {
  exportPage(groupedGrid());
  const std::string first = get().body;
  EXPECT_EQ(count(first, shownInGroup(1, "カ")), 3);  // the given カ, its open partner, the key
  EXPECT_EQ(count(first, shownInGroup(2, "　")), 2);
  EXPECT_EQ(count(first, "name=\"box[64]\""), 0);

  const std::string sent = post({{"box[2]", sj("ラ")}}).body;
  EXPECT_EQ(count(sent, shownInGroup(2, "ラ")), 2);
  EXPECT_EQ(count(sent, entryValue(2, "ラ")), 1);  // the key table's box
}

// One cookie: the layout tag (crc32 of "1,2,34,65", the entries), then the entries packed in
// that order and in base64url: イ and ラ as their two bytes, 0 for each empty entry.
TEST_F(PhpPage, EntriesAreKeptInOneCookieForAWeekAndPutBackOnTheNextVisit) {
  exportPage(groupedGrid());
  const Response sent = post({{"box[1]", sj("イ")}, {"box[2]", sj("ラ")}, {"box[34]", ""}});
  const std::vector<std::string> cookies = sent.all("Set-Cookie");
  ASSERT_EQ(cookies.size(), 1u);
  EXPECT_TRUE(cookies[0].starts_with("coboxes=49388162.g0ODiQAA; expires=")) << cookies[0];
  EXPECT_TRUE(cookies[0].ends_with("; Max-Age=604800; path=/my%20puzzles/; HttpOnly; SameSite=Lax"))
      << cookies[0];

  const Response back = get(cookiesFrom(sent));
  EXPECT_EQ(back.all("Set-Cookie").size(), 0u);
  EXPECT_EQ(count(back.body, entryValue(1, "イ")), 1);
  EXPECT_EQ(count(back.body, entryValue(2, "ラ")), 1);
  EXPECT_EQ(count(back.body, shownInGroup(2, "ラ")), 2);
  EXPECT_EQ(count(back.body, entryValue(34, "")), 1);
  EXPECT_EQ(count(back.body, sj("点です")), 0);  // only a sent form is graded

  const std::vector<std::string> emptied = post({}).all("Set-Cookie");
  ASSERT_EQ(emptied.size(), 1u);
  EXPECT_TRUE(emptied[0].starts_with("coboxes=deleted;")) << emptied[0];
  EXPECT_NE(emptied[0].find("; Max-Age=0; path=/my%20puzzles/;"), std::string::npos);

  exportPage(test::workedExample());  // other boxes: the cookie no longer fits and is passed over
  EXPECT_EQ(get(cookiesFrom(sent)).body, workedBody("", "", ""));
}

// Past PHP's max_input_vars (1,000): every box is read, and all of them fit in one cookie.
TEST_F(PhpPage, AWholeOpenGridIsGradedAndKeptInOneSmallCookie) {
  const std::vector<std::string> kana = {sj("ア"), sj("ソ"), sj("ン"), sj("ぁ"), sj("表")};
  PuzzleGrid grid;
  Fields right;
  for (int n = 0; n < CellCount; ++n) {
    grid.cellAt(n) = NodeBox{kana[static_cast<std::size_t>(n) % kana.size()], Open, -1};
    right.emplace_back("box[" + std::to_string(n) + "]", grid.cellAt(n).str);
  }
  exportPage(grid);
  const Response sent = post(right);
  EXPECT_EQ(count(sent.body, sj("</FORM>\r\n正解です\n</BODY>")), 1);
  ASSERT_EQ(sent.all("Set-Cookie").size(), 1u);
  const std::string cookie = cookiesFrom(sent);
  EXPECT_LT(cookie.size(), 2800u);

  const std::string back = get(cookie).body;
  for (int n = 0; n < CellCount; ++n) {
    ASSERT_EQ(
        count(back, "name=\"box[" + std::to_string(n) + "]\" value=\"" + grid.cellAt(n).str + "\""),
        1)
        << n;
  }
}

// The cookie's path is the folder as the browser asked for it, which path-matches its next
// requests; a byte setcookie refuses moves it up to the nearest folder without one.
TEST_F(PhpPage, CookiePathIsTheRequestedFolder) {
  exportPage(test::workedExample());
  const std::pair<const char*, const char*> cases[] = {
      {"/a(1)/p.php", "/a(1)/"},
      {"/my%20puzzles/page.php", "/my%20puzzles/"},
      {"/~k/2024/index.php/", "/~k/2024/index.php/"},
      {"/x/a,b/c/p.php", "/x/"},
      {"/a;b/p.php", "/"},
      {"/", "/"},
      {"page.php", "/my%20puzzles/"},  // not a path: the script's folder
  };
  for (const auto& [uri, path] : cases) {
    Request request{"POST", "", plainEncoded({{"box[1]", sj("イ")}}), ""};
    request.uri = uri;
    const std::vector<std::string> cookies = serve(request).all("Set-Cookie");
    ASSERT_EQ(cookies.size(), 1u) << uri;
    EXPECT_NE(cookies[0].find("; path=" + std::string(path) + ";"), std::string::npos)
        << uri << ": " << cookies[0];
  }
}

// 1行1列 and 3行5列 are open cells of a group that lie in no word; after a search they are
// empty while the other cell of the group holds the letter that the page copies into them.
//   . # ア イ ウ        group 1: 1行1列 and イ
//   # # # # #
//   カ キ # # .        group 2: キ and 3行5列
TEST_F(PhpPage, GroupCellsInNoWordAreGradedByTheGroupsLetter) {
  PuzzleGrid grid = test::gridFromPicture({".#アイウ", "#####", "カキ##."});
  for (const int n : {2, 3, 4, 64, 65}) grid.cellAt(n).flag = Open;
  grid.cellAt(0).mark = grid.cellAt(3).mark = 0;
  grid.cellAt(65).mark = grid.cellAt(68).mark = 1;
  grid.setNextMark(2);
  exportPage(grid);
  const Fields right = {{"box[0]", sj("イ")},
                        {"box[2]", sj("ア")},
                        {"box[4]", sj("ウ")},
                        {"box[64]", sj("カ")},
                        {"box[65]", sj("キ")}};
  const std::string body = post(right).body;
  EXPECT_EQ(count(body, sj("</FORM>\r\n正解です\n</BODY>")), 1) << test::u8(body);
}

TEST_F(PhpPage, VisitorTextComesBackEscaped) {
  exportPage(test::workedExample());
  const std::string attack = "\"'><script>";
  const std::string escaped = "&quot;&#039;&gt;&lt;script&gt;";
  EXPECT_EQ(post({{"box[1]", attack}, {"box[33]", attack}}).body,
            workedBody(escaped, escaped, "残念・・0点です\n"));
  const Response sent = post({{"box[1]", attack}, {"box[33]", "<script>"}});
  EXPECT_EQ(get(cookiesFrom(sent)).body, workedBody(escaped, "&lt;script&gt;", ""));
  // A cookie cut short or garbled restores what it can and no more.
  for (const char* cookie : {"coboxes=133ffb7a.AQ", "coboxes=133ffb7a.AQAC", "coboxes=133ffb7a.*",
                             "coboxes=133ffb7a", "coboxes[1]=x", "cobox[1]=x"}) {
    EXPECT_EQ(get(cookie).body, workedBody("", "", "")) << cookie;
  }
  EXPECT_EQ(get("coboxes=133ffb7a.eA").body, workedBody("x", "", ""));  // x; 33 cut off
  // The query string is never read.
  EXPECT_EQ(get("", "box%5B33%5D=%3Cscript%3E&box[1]=%22").body, workedBody("", "", ""));
  // A lead byte cannot swallow the closing quote: a value that is not Shift_JIS shows empty.
  EXPECT_EQ(post({{"box[33]", "\x83\""}}).body, workedBody("", "", "残念・・0点です\n"));
}

TEST_F(PhpPage, ForeignAndMalformedFieldsChangeNeitherPageNorGrade) {
  exportPage(groupedGrid());
  const Fields some = {{"box[1]", sj("イ")}, {"box[2]", sj("ラ")}};
  const Response plain = post(some);

  Fields extra = some;
  for (const char* k : {"7", "99", "1023", "x"}) {
    for (const char* name : {"ans", "box", "mark", "given", "key", "cobox"}) {
      extra.emplace_back(std::string(name) + "[" + k + "]", sj("ア"));
    }
  }
  extra.emplace_back("mark[1][]", "7");
  extra.emplace_back("entries[]", "7");
  extra.emplace_back("limit", "9999");
  extra.emplace_back("sent", "1");
  const Response padded = post(extra);
  EXPECT_EQ(padded.body, plain.body);
  EXPECT_EQ(padded.all("Set-Cookie").size(), plain.all("Set-Cookie").size());

  // Arrays, over-long values and a box that is not an array read as empty entries.
  const Fields shaped = {{"box[1]", sj("イ")},
                         {"box[2]", sj("ラ")},
                         {"box[34][]", sj("ス")},
                         {"box[65][x]", sj("ク")}};
  EXPECT_EQ(post(shaped).body, plain.body);
  const Fields longer = {
      {"box[1]", sj("イ")}, {"box[2]", sj("ラ")}, {"box[34]", sj("ス") + std::string(15, ' ')}};
  EXPECT_EQ(post(longer).body, plain.body);
  const std::string flat = post({{"box", sj("イ")}}).body;
  EXPECT_EQ(count(flat, sj("残念・・16点です")), 1);  // only the given group's open カ
}

TEST_F(PhpPage, AnswersWithBackslashBytesQuotesAndDollarsStayWhole) {
  // Group 1: ソ and ソ, open. Group 2: the given 十 and an open 十.
  PuzzleGrid grid = test::gridFromPicture({"...", "..*", "十."});
  grid.cellAt(0) = grid.cellAt(32) = NodeBox{sj("ソ"), Open, 0};
  grid.cellAt(1).str = sj("十");
  grid.cellAt(2).str = "\\";
  grid.cellAt(33).str = sj("能") + "\"$box";
  grid.cellAt(34).str = sj("表") + "{$x}";
  grid.cellAt(64).mark = 1;
  grid.cellAt(65) = NodeBox{sj("十"), Open, 1};
  grid.setNextMark(2);
  exportPage(grid);

  const std::string php = program("php");
  test::writeBytes(folder_.path("empty"), "");
  EXPECT_EQ(spawn({php.empty() ? cgi_ : php, "-l", folder_.path("page.php")}, {},
                  folder_.path("empty"), folder_.path("lint"), folder_.path("lint-err")),
            0)
      << test::readBytes(folder_.path("lint"));

  // PHP reads every answer back as the very bytes of the cell: the visitor who types them in
  // has them all right, and sees them again in the boxes.
  const std::string right = post({{"box[0]", sj("ソ")},
                                  {"box[1]", sj("十")},
                                  {"box[2]", "\\"},
                                  {"box[33]", sj("能") + "\"$box"},
                                  {"box[34]", sj("表") + "{$x}"}})
                                .body;
  EXPECT_EQ(count(right, sj("</FORM>\r\n正解です\n")), 1) << test::u8(right);
  EXPECT_EQ(count(right, "value=\"" + sj("能") + "&quot;$box\""), 1);
  EXPECT_EQ(count(right, shownInGroup(1, "ソ")), 2);
  EXPECT_EQ(count(right, shownInGroup(2, "十")), 3);  // given, its partner, the key table
  const std::string wrong = post({{"box[0]", sj("ソ")}, {"box[2]", "\\\\"}}).body;
  EXPECT_EQ(count(wrong, sj("残念・・42点です")), 1) << test::u8(wrong);  // 3 of 7
}

// Random grids graded by PHP and by a model of the rules: a visitor's value counts only in a cell
// with an entry box of its own; a group takes its given letter, else its key's entry (the
// group's first cell). Every cell is posted, the cells without a box included.
TEST_F(PhpPage, RandomGridsAreGradedAsTheModelSays) {
  std::mt19937 random(2026);
  const std::vector<std::string> letters = {sj("ソ"), sj("十"), sj("表"), sj("ア"),
                                            "\"",     "$",      "\\",     ""};
  for (int round = 0; round < 25; ++round) {
    PuzzleGrid grid;
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 4; ++column) {
        const int kind = static_cast<int>(random() % 20);
        NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(row, column));
        cell.flag = kind < 5 ? Block : kind < 8 ? Fixed : kind < 17 ? Open : Star;
        cell.str = letters[random() % letters.size()];
        cell.mark = random() % 3 == 0 ? static_cast<int>(random() % 3) : -1;
      }
    }
    grid.setNextMark(3);
    exportPage(grid);

    Fields posted;
    std::vector<std::string> value(CellCount);
    for (int n = 0; n < CellCount; ++n) {
      if (grid.cellAt(n).flag == Block) continue;
      value[n] = random() % 2 ? grid.cellAt(n).str : sj("ン");
      posted.emplace_back("box[" + std::to_string(n) + "]", value[n]);
    }
    std::vector<int> key(3, -1);
    for (int n = 0; n < CellCount; ++n) {
      const NodeBox& cell = grid.cellAt(n);
      if (cell.flag != Block && cell.mark != -1 && (key[cell.mark] == -1 || cell.flag == Fixed)) {
        key[cell.mark] = n;
      }
    }
    int answers = 0;
    int right = 0;
    for (int n = 0; n < CellCount; ++n) {
      const NodeBox& cell = grid.cellAt(n);
      if (cell.flag != Open && cell.flag != Star) continue;
      const int group = cell.mark == -1 ? n : key[cell.mark];
      const NodeBox& source = grid.cellAt(group);
      const std::string entry = cell.mark != -1 && source.flag == Fixed ? source.str : value[group];
      ++answers;
      if (entry == cell.str) ++right;
    }
    const std::string grade = right == answers
                                  ? "正解です\n"
                                  : "残念・・" + std::to_string(right * 100 / answers) + "点です\n";
    const std::string body = post(posted).body;
    EXPECT_EQ(count(body, sj("</FORM>\r\n" + grade + "</BODY>")), 1) << "round " << round << "\n"
                                                                     << test::u8(body);
  }
}

}  // namespace
}  // namespace vexilo
