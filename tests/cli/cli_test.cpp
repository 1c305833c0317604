#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/crossword_file.h"
#include "page_documents.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::readBytes;
using test::sj;
using test::writeBytes;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

struct Tool : ::testing::Test {
  test::TempFolder folder;

  std::string path(const std::string& name) const { return "'" + folder.path(name) + "'"; }

  Result run(const std::string& arguments) {
    const std::string command =
        std::string(VEXILO_CLI) + " " + arguments + " >" + path("stdout") + " 2>" + path("stderr");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes(folder.path("stdout")),
            readBytes(folder.path("stderr"))};
  }

  std::string crossword(const std::string& name, const std::string& bytes) {
    writeBytes(folder.path(name), bytes);
    return path(name);
  }
};

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST_F(Tool, ExportWritesTheWorkedExamplePages) {
  ASSERT_TRUE(saveCrosswordFile(folder.path("puzzle.crs"), test::workedExample()));
  const Result html = run("export " + path("puzzle.crs") + " " + path("page.html"));
  EXPECT_EQ(html.status, 0);
  EXPECT_EQ(readBytes(folder.path("page.html")), test::workedExampleHtml());

  const Result php = run("export " + path("puzzle.crs") + " " + path("page.php"));
  EXPECT_EQ(php.status, 0);
  EXPECT_EQ(php.out + php.err, "");
  EXPECT_EQ(readBytes(folder.path("page.php")), test::workedExamplePhp());

  const Result failed = run("export " + path("puzzle.crs") + " " + path("no/page.html"));
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err, "Can't open CroosWord Html File\n");
}

TEST_F(Tool, ShowPrintsTheUsedRectangle) {
  ASSERT_TRUE(saveCrosswordFile(folder.path("puzzle.crs"), test::workedExample()));
  const Result shown = run("show " + path("puzzle.crs"));
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, "アイ\n■カ\n");

  const std::string lines =
      repeated("\t0\t-1\n", 40) + "\t1\t-1\n\t0\t-1\n\t2\t-1\n" + sj("ア\r") + "\t3\t-1\n";
  EXPECT_EQ(run("show " + crossword("cells.crs", lines)).out, "□■□ア\xEF\xBF\xBD\n");
}

TEST_F(Tool, BadInputsFollowTheReaderOrFailClearly) {
  for (const std::string& missing : {path("missing.crs"), path("")}) {
    const Result result = run("show " + missing);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Can't open CroosWord File\n");
    EXPECT_EQ(result.out, "");
  }

  const Result empty = run("show " + crossword("empty.crs", ""));
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out + empty.err, "");

  std::string binary;
  for (int i = 0; i < 20000; ++i) {
    const int byte = (i * 7919 + i / 3) % 256;
    binary += static_cast<char>(byte == 0x1A ? 0x1B : byte);  // 0x1A would end the text early
  }
  const Result garbage = run("show " + crossword("binary.crs", binary));
  EXPECT_EQ(garbage.status, 0);
  EXPECT_EQ(garbage.err, "");

  const std::string first = repeated(sj("ア") + "\t3\t-1\r\n", 1024);
  const Result many = run("show " + crossword("long.crs", first + repeated("\t0\t-1\r\n", 976)));
  EXPECT_EQ(many.out, repeated(repeated("ア", 32) + "\n", 32));

  const std::string wide = sj("ア") + "\t3\t5" + std::string(590, 'z') + "\n" + "\t1\t-1\n";
  EXPECT_EQ(run("show " + crossword("wide.crs", wide)).out, "ア■□\n");

  const std::string odd = crossword("odd.crs", "\t1\t99999\n\t1\t-7\n");
  const Result marks = run("export " + odd + " " + path("odd.php"));
  EXPECT_EQ(marks.status, 0);
  const std::string page = readBytes(folder.path("odd.php"));
  EXPECT_EQ(page.find("$mark["), std::string::npos);
  EXPECT_NE(page.find("name=\\\"box[1]\\\""), std::string::npos);
}

TEST_F(Tool, UsageErrorsExitWithTwo) {
  const std::string puzzle = crossword("puzzle.crs", "");
  for (const std::string& arguments :
       {std::string(), std::string("draw ") + puzzle, std::string("show"),
        "show " + puzzle + " " + puzzle, "export " + puzzle, "show --stats " + puzzle,
        "search " + puzzle + " --runs x", "search " + puzzle + " --runs 0",
        "search " + puzzle + " --dic", "search " + puzzle + " --dic a --dic b --dic c --dic d",
        "search " + puzzle + " --fast"}) {
    const Result result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_NE(result.err.find("usage: vexilo-cli "), std::string::npos) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
  }
  EXPECT_EQ(run("show").err,
            "vexilo-cli: expected one crossword file\nusage: vexilo-cli show PUZZLE.crs\n");
}

}  // namespace
}  // namespace vexilo
