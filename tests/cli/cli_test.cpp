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

  // Runs the tool in the test's folder, or in the folder given.
  Result run(const std::string& arguments, const std::string& in = "") {
    const std::string command = "cd " + path(in) + " && " + std::string(VEXILO_CLI) + " " +
                                arguments + " >" + path("stdout") + " 2>" + path("stderr");
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

TEST_F(Tool, ReadsIpuzWhereverItReadsAPuzzleAndExportsByExtension) {
  ASSERT_TRUE(saveCrosswordFile(folder.path("puzzle.crs"), test::workedExample()));
  const Result ipuz = run("export " + path("puzzle.crs") + " " + path("p.IPUZ"));
  EXPECT_EQ(ipuz.status, 0);
  EXPECT_TRUE(
      readBytes(folder.path("p.IPUZ")).starts_with("{\n  \"version\": \"http://ipuz.org/v2\""));
  EXPECT_EQ(run("show " + path("p.IPUZ")).out, "アイ\n■カ\n");
  EXPECT_EQ(run("search " + path("p.IPUZ")).out, "ア□\n■□\n");  // the search's letters go
  EXPECT_EQ(run("export " + path("p.IPUZ") + " " + path("page.html")).status, 0);
  EXPECT_EQ(readBytes(folder.path("page.html")), test::workedExampleHtml());

  writeBytes(folder.path("bad.ipuz"), "{\"kind\": [\"http://ipuz.org/crossword#1\"]}");
  const Result bad = run("show " + path("bad.ipuz"));
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "Can't open ipuz File: \"dimensions\" give no width and height\n");
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
  // A file with no cell line (two TABs), such as a dictionary or an empty file, is no puzzle.
  const std::string words = crossword("words.dic", sj("アイウ\r\nカキ\r\n"));
  for (const std::string& missing :
       {path("missing.crs"), path(""), crossword("empty.crs", ""), words}) {
    const Result result = run("show " + missing);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Can't open CroosWord File\n");
    EXPECT_EQ(result.out, "");
  }

  std::string binary;
  for (int i = 0; i < 20000; ++i) {
    const int byte = (i * 7919 + i / 3) % 256;
    binary += static_cast<char>(byte == 0x1A ? 0x1B : byte);  // 0x1A would end the text early
  }
  const Result garbage = run("show " + crossword("binary.crs", binary));  // none of its lines
  EXPECT_EQ(garbage.status, 1);                                           // has two TABs
  EXPECT_EQ(garbage.err, "Can't open CroosWord File\n");

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

TEST_F(Tool, SearchFillsTheGridAndWritesWhatItWasAskedFor) {
  const std::string puzzle = crossword("p.crs", repeated("\t1\t-1\r\n", 3));
  const std::string dictionary = crossword("d.dic", sj("アイウ\r\nカキク\r\n"));
  const Result found = run("search " + puzzle + " --dic " + dictionary + " --out " + path("r.crs") +
                           " --slots " + path("s.tsv") + " --stats");
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "アイウ\n");
  EXPECT_EQ(readBytes(folder.path("r.crs")).substr(0, 27),
            sj("ア\t1\t-1\r\nイ\t1\t-1\r\nウ\t1\t-1\r\n"));
  EXPECT_EQ(readBytes(folder.path("s.tsv")), "0\t0\t0\t3\t0\t0\t3\t-1\t-1\t2\tアイウ\tカキク\n");
  EXPECT_TRUE(found.err.starts_with("slots 1, groups 1, candidates tested 2, words placed "))
      << found.err;

  const Result twice = run("search " + puzzle + " --dic " + dictionary + " --runs 2 --stats");
  EXPECT_TRUE(twice.err.starts_with("slots 1, groups 1, candidates tested 4, ")) << twice.err;

  const Result noWords = run("search " + puzzle + " --dic " + path("missing.dic"));
  EXPECT_EQ(noWords.status, 0);
  EXPECT_EQ(noWords.err, "Can't Open Dic File\n");
  EXPECT_EQ(noWords.out, "□□□\n");

  const Result unwritten = run("search " + puzzle + " --dic " + dictionary + " --out " +
                               path("no/r.crs") + " --slots " + path("no/s.tsv"));
  EXPECT_EQ(unwritten.status, 1);
  EXPECT_EQ(unwritten.err, "Can't open CroosWord File\nvexilo-cli: cannot write " +
                               folder.path("no/s.tsv") + "\n");
  EXPECT_EQ(unwritten.out, "アイウ\n");

  EXPECT_EQ(run("search " + path("missing.crs")).err, "Can't open CroosWord File\n");

  std::string cut = "アイウ";
  cut.pop_back();  // a cut last character
  const Result skipped =
      run("search " + puzzle + " --dic " + crossword("u.dic", "カキク\n" + cut + "\nアイウ\n"));
  EXPECT_EQ(skipped.status, 0);
  EXPECT_EQ(skipped.err, "辞書1 (UTF-8): 読めない 1 行を飛ばしました (最初は 2 行目)\n");
  EXPECT_EQ(skipped.out, "カキク\n");
}

// The ring of eight cells around a block, and the eight words of the worked example.
TEST_F(Tool, RepeatedSearchesContinueThenStartAfresh) {
  std::string ring;
  for (int i = 0; i < 1024; ++i) {
    const int row = i / 32, column = i % 32;
    const bool open = row < 3 && column < 3 && !(row == 1 && column == 1);
    ring += open ? "\t1\t-1\r\n" : "\t0\t-1\r\n";
  }
  const std::string puzzle = crossword("ring.crs", ring);
  const std::string dictionary = crossword(
      "ring.dic",
      sj("アイウ\r\nアカサ\r\nサシス\r\nウメオ\r\nサクラ\r\nウドラ\r\nウミラ\r\nラクダ\r\n"));
  const std::string firstSlots =
      "0\t0\t0\t3\t0\t0\t3\t2\t-1\t1\tアイウ\n"
      "1\t2\t0\t3\t0\t0\t1\t3\t-1\t1\tサクラ\n"
      "2\t0\t0\t3\t1\t0\t1\t1\t-1\t1\tアカサ\n"
      "3\t0\t2\t3\t1\t0\t1\t-1\t-1\t2\tウドラ\tウミラ\n";

  const Result first =
      run("search " + puzzle + " --dic " + dictionary + " --runs 1 --slots " + path("1.tsv"));
  EXPECT_EQ(first.out, "アイウ\nカ■ド\nサクラ\n");
  EXPECT_EQ(readBytes(folder.path("1.tsv")), firstSlots);

  const Result second =
      run("search " + puzzle + " --dic " + dictionary + " --runs 2 --slots " + path("2.tsv"));
  EXPECT_EQ(second.out, "□□□\n□■□\n□□□\n");
  EXPECT_EQ(readBytes(folder.path("2.tsv")),
            "0\t0\t0\t3\t0\t0\t3\t2\t-1\t0\n"
            "1\t2\t0\t3\t0\t0\t1\t3\t-1\t0\n"
            "2\t0\t0\t3\t1\t0\t1\t1\t-1\t0\n"
            "3\t0\t2\t3\t1\t0\t1\t-1\t-1\t0\n");

  const Result third =
      run("search " + puzzle + " --dic " + dictionary + " --runs 3 --slots " + path("3.tsv"));
  EXPECT_EQ(third.out, first.out);
  EXPECT_EQ(readBytes(folder.path("3.tsv")), firstSlots);
}

TEST_F(Tool, FastEngineExitsWithThreeWhenNoFillExistsAndNamesTheBlockingSlots) {
  const std::string puzzle = crossword("p.crs", repeated("\t1\t-1\r\n", 3));
  const std::string dictionary = crossword("d.dic", sj("アイ\r\nアイウ\r\nカキク\r\n"));
  // One thread: the counts of two depend on how far each gets before the other ends.
  const Result found = run("search " + puzzle + " --dic " + dictionary + " --engine fast --slots " +
                           path("s.tsv") + " --stats --threads 1");
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.out, "アイウ\n");
  EXPECT_EQ(readBytes(folder.path("s.tsv")), "0\t0\t0\t3\t0\t0\t3\t-1\t-1\t2\tアイウ\tカキク\n");
  EXPECT_TRUE(
      found.err.starts_with("slots 1, decisions 1, backtracks 1, restarts 0, nogoods 0, "
                            "worst rank 2 (proven best), seconds "))
      << found.err;

  const Result next = run("search " + puzzle + " --dic " + dictionary + " --engine fast --runs 3");
  EXPECT_EQ(next.status, 3);
  EXPECT_EQ(next.out, "□□□\n");
  EXPECT_EQ(next.err,
            "ほかに埋められる組み合わせはありません\n"
            "no fill: every fill has been shown since the search started afresh\n");

  const Result none =
      run("search " + puzzle + " --dic " + crossword("two.dic", sj("アイ\r\n")) + " --engine fast");
  EXPECT_EQ(none.status, 3);
  EXPECT_EQ(none.out, "□□□\n");
  EXPECT_EQ(none.err,
            "埋められる組み合わせがありません\n"
            "no fill: no words fill the grid; the slots that block it:\n"
            "横 1行1列 3文字 ・・・: 0語\n");
  EXPECT_EQ(run("search " + puzzle + " --engine slow").status, 2);

  // Two parts: row 1 has its fill, row 3 none (no word begins with キ).
  const std::string parts = crossword(
      "parts.crs", repeated("\t1\t-1\r\n", 3) + repeated("\t0\t-1\r\n", 61) + sj("キ") +
                       "\t3\t-1\r\n" + repeated("\t1\t-1\r\n", 2) + repeated("\t0\t-1\r\n", 957));
  const Result half = run("search " + parts + " --dic " + dictionary + " --engine fast");
  EXPECT_EQ(half.status, 3);
  EXPECT_EQ(half.out, "アイウ\n■■■\nキ□□\n");
  EXPECT_EQ(half.err,
            "埋められる組み合わせがありません\n"
            "no fill: no words fill the grid; the slots that block it:\n"
            "横 3行1列 3文字 キ・・: 0語\n");
}

// The ring of the worked example with eight words, ranked in their order: サクラ 1, アイウ 2, ...
TEST_F(Tool, FastEngineFirstFillBannedWordsAndAlternatives) {
  const std::string ring = crossword("ring.crs", [] {
    std::string lines;
    for (int i = 0; i < CellCount; ++i) {
      const bool open = i < 3 || i == 32 || i == 34 || (i >= 64 && i < 67);
      lines += open ? "\t1\t-1\r\n" : "\t0\t-1\r\n";
    }
    return lines;
  }());
  const std::string words = crossword(
      "ring.dic",
      sj("サクラ\r\nアイウ\r\nアカサ\r\nサシス\r\nウメオ\r\nウドラ\r\nウミラ\r\nラクダ\r\n"));
  const std::string fast = "search " + ring + " --dic " + words + " --engine fast";
  const Result best = run(fast + " --stats");
  EXPECT_EQ(best.status, 0);
  EXPECT_EQ(best.out, "アイウ\nカ■ド\nサクラ\n");
  EXPECT_NE(best.err.find(", worst rank 6 (proven best), "), std::string::npos) << best.err;
  const Result first = run(fast + " --stats --first");
  EXPECT_EQ(first.status, 0);
  EXPECT_NE(first.err.find(" (first fill), "), std::string::npos) << first.err;
  EXPECT_EQ(run("search " + ring + " --dic " + words + " --first").status, 2);
  const Result two = run(fast + " --stats --threads 2");
  EXPECT_EQ(two.status, 0);
  EXPECT_NE(two.err.find(", worst rank 6 (proven best), "), std::string::npos) << two.err;
  EXPECT_TRUE(run(fast + " --threads 0").err.starts_with("vexilo-cli: --threads takes 1 to 256\n"));

  writeBytes(folder.path("ban.txt"), "ウドラ\n");
  const Result banned = run(fast + " --ban " + path("ban.txt"));
  EXPECT_EQ(banned.status, 0);
  // The fill or its transpose: the same words, so the same ranks.
  EXPECT_TRUE(banned.out == "アイウ\nカ■ミ\nサクラ\n" || banned.out == "アカサ\nイ■ク\nウミラ\n")
      << banned.out;
  const Result unread = run(fast + " --ban " + path("missing.txt"));
  EXPECT_EQ(unread.status, 1);
  EXPECT_EQ(unread.err,
            "vexilo-cli: cannot read the banned words " + folder.path("missing.txt") + "\n");

  const Result list = run("alternatives " + ring + " --dic " + words + " --slot 3");
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "ウドラ\t6\t6\nサクラ\t1\t6\nウミラ\t7\t7\n");
  EXPECT_EQ(run("alternatives " + ring + " --dic " + words + " --slot 3 --count 1").out,
            "ウドラ\t6\t6\n");
  const Result unbanned =
      run("alternatives " + ring + " --dic " + words + " --slot 3 --ban " + path("ban.txt"));
  EXPECT_EQ(unbanned.status, 0);
  EXPECT_EQ(unbanned.out.find("ウドラ"), std::string::npos) << unbanned.out;
  EXPECT_NE(unbanned.out.find("ウミラ\t7\t7\n"), std::string::npos) << unbanned.out;
  const Result noSlot = run("alternatives " + ring + " --dic " + words + " --slot 4");
  EXPECT_EQ(noSlot.status, 2);
  EXPECT_EQ(noSlot.err, "vexilo-cli: the grid has no slot 4 (it has 4)\n");
  EXPECT_EQ(run("alternatives " + ring + " --dic " + words).status, 2);
}

TEST_F(Tool, RegionSearchFillsTheWordsThereAndKeepsEveryLetterOutside) {
  // アイウ
  // カ■ド
  // □□□
  std::string ring;
  const char* letters[] = {"ア", "イ", "ウ", "カ", "", "ド", "", "", ""};
  for (int i = 0; i < 1024; ++i) {
    const int k = i / 32 * 3 + i % 32;
    const bool open = i / 32 < 3 && i % 32 < 3 && k != 4;
    ring += (open ? sj(letters[k]) : std::string()) + (open ? "\t1\t-1\r\n" : "\t0\t-1\r\n");
  }
  const std::string puzzle = crossword("ring.crs", ring);
  const std::string dictionary =
      crossword("d.dic", sj("アイウ\r\nアカサ\r\nウドラ\r\nサクラ\r\nミクラ\r\n"));
  const Result filled = run("search " + puzzle + " --dic " + dictionary + " --region 3,3,3,1");
  EXPECT_EQ(filled.status, 0);
  EXPECT_EQ(filled.out, "アイウ\nカ■ド\nサクラ\n");
  const std::string fewer = crossword("e.dic", sj("アイウ\r\nアカサ\r\nウドラ\r\n"));
  const Result none = run("search " + puzzle + " --dic " + fewer + " --region 3,1,3,3");
  EXPECT_EQ(none.status, 3);
  EXPECT_EQ(none.out, "アイウ\nカ■ド\n□□□\n");
  EXPECT_NE(none.err.find("no fill: no words fill the grid"), std::string::npos) << none.err;
}

TEST_F(Tool, InterruptStopsTheSearchAndStillWritesTheOutputs) {
  // A 7 by 7 open grid over many random words: far longer than the test waits.
  std::string open;
  for (int i = 0; i < 1024; ++i) open += i / 32 < 7 && i % 32 < 7 ? "\t1\t-1\r\n" : "\t0\t-1\r\n";
  const std::string kana = sj(
      "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン");
  std::string words;
  unsigned seed = 12345;
  for (int w = 0; w < 50000; ++w) {
    for (int letter = 0; letter < 7; ++letter) {
      seed = seed * 1103515245 + 12345;
      const std::size_t k = (seed >> 16) % (kana.size() / 2);
      words += kana.substr(2 * k, 2);
    }
    words += "\r\n";
  }
  const std::string puzzle = crossword("open.crs", open);
  const std::string dictionary = crossword("words.dic", words);
  // One interrupt only: without --foreground timeout also signals its process group, and a
  // second Ctrl-C ends the tool at once.
  const std::string command = "timeout --foreground --preserve-status -s INT 2 " +
                              std::string(VEXILO_CLI) + " search " + puzzle + " --dic " +
                              dictionary + " --stats --out " + path("r.crs") + " >" +
                              path("stdout") + " 2>" + path("stderr");
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 130);
  EXPECT_EQ(readBytes(folder.path("r.crs")).size(), 7168u);  // the stopped group ends empty
  const std::string err = readBytes(folder.path("stderr"));
  EXPECT_NE(err.find("candidates tested "), std::string::npos) << err;
  EXPECT_NE(err.find("slots 14, groups 1, "), std::string::npos) << err;
}

TEST_F(Tool, UsageErrorsExitWithTwo) {
  const std::string puzzle = crossword("puzzle.crs", "");
  for (const std::string& arguments : {std::string(),
                                       std::string("draw ") + puzzle,
                                       std::string("show"),
                                       "show " + puzzle + " " + puzzle,
                                       "export " + puzzle,
                                       "show --stats " + puzzle,
                                       "search " + puzzle + " --runs x",
                                       "search " + puzzle + " --runs 0",
                                       "search " + puzzle + " --dic",
                                       "search " + puzzle + " --dic a --dic b --dic c --dic d",
                                       "search " + puzzle + " --fast",
                                       std::string("new --size 1x5 --out n.crs"),
                                       std::string("new --size 5 --out n.crs"),
                                       std::string("new --out n.crs"),
                                       std::string("new --size 5x5"),
                                       "new --size 5x5 --out n.crs " + puzzle,
                                       std::string("check"),
                                       "search " + puzzle + " --region 1,1,2",
                                       "search " + puzzle + " --region 0,1,2,2",
                                       "search " + puzzle + " --region 1,1,2,33",
                                       "search " + puzzle + " --region 1,1,2,2 --engine dfs",
                                       "search " + puzzle + " --engine dfs --region 1,1,2,2",
                                       std::string("generate --out n.crs"),
                                       std::string("generate --out n --size 5x5 --seed x"),
                                       std::string("generate --out n --size 5x5 --symmetry l")}) {
    const Result result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_NE(result.err.find("usage: vexilo-cli "), std::string::npos) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
  }
  EXPECT_EQ(run("show").err,
            "vexilo-cli: expected one puzzle file\nusage: vexilo-cli show PUZZLE\n");
}

TEST_F(Tool, NewWritesAnOpenGridAndCheckNamesEachBrokenRule) {
  const Result made = run("new --size 4x3 --out " + path("new.crs"));
  EXPECT_EQ(made.status, 0);
  EXPECT_EQ(made.out + made.err, "");
  EXPECT_EQ(run("show " + path("new.crs")).out, "□□□□\n□□□□\n□□□□\n");
  const Result kept = run("check " + path("new.crs"));
  EXPECT_EQ(kept.status, 0);
  EXPECT_EQ(kept.out, "");

  // ■□□■
  // ■□■□
  // □□□■
  const std::string broken = "\t0\t-1\n\t1\t-1\n\t1\t-1\n\t0\t-1\n" + repeated("\t0\t-1\n", 28) +
                             "\t0\t-1\n\t1\t-1\n\t0\t-1\n\t1\t-1\n" + repeated("\t0\t-1\n", 28) +
                             repeated("\t1\t-1\n", 3) + "\t0\t-1\n";
  const Result found = run("check " + crossword("broken.crs", broken));
  EXPECT_EQ(found.status, 4);
  EXPECT_EQ(found.out,
            "adjacent-black 1 1\nblack-corner 1 1\nblack-corner 1 4\nblack-corner 3 4\n"
            "split-white 2 4\nclosed-white 2 4\nsingle-white 2 4\n");
  EXPECT_EQ(run("check " + path("missing.crs")).status, 1);
}

TEST_F(Tool, GenerateWritesAFilledGridThatKeepsTheRulesTheSameForTheSameSeed) {
  const std::string words = std::string(" --dic ") + VEXILO_TEST_DICTIONARY;
  const Result made = run("generate --size 7x6 --seed 4" + words + " --out " + path("a.crs"));
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err.rfind("layouts tried ", 0), 0u) << made.err;
  EXPECT_EQ(run("show " + path("a.crs")).out, made.out);
  EXPECT_EQ(made.out.find(sj("□")), std::string::npos);  // every open cell filled
  EXPECT_EQ(run("check " + path("a.crs")).status, 0);
  EXPECT_EQ(run("generate --size 7x6 --seed 4" + words + " --out " + path("b.crs")).status, 0);
  EXPECT_EQ(readBytes(folder.path("b.crs")), readBytes(folder.path("a.crs")));

  const Result wordless = run("generate --size 7x6 --out " + path("c.crs"));
  EXPECT_EQ(wordless.status, 1);
  EXPECT_EQ(wordless.err, "vexilo-cli: the dictionaries hold no words to fill a grid with\n");
  EXPECT_FALSE(std::filesystem::exists(folder.path("c.crs")));
}

TEST_F(Tool, HelpAndVersionAnswerOnStandardOutput) {
  const Result help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* line :
       {"\n  search ", "\n  export ", "\n  show ", "\n  --dic FILE ", "\n  --engine dfs|fast ",
        "\n  --region R1,C1,R2,C2 ", "\n  --runs N ", "\n  --out RESULT.crs ",
        "\n  --slots SLOTS.tsv ", "\n  --stats ", "\n  -h, --help, help ", "\n  --version "}) {
    EXPECT_NE(help.out.find(line), std::string::npos) << line;
  }
  EXPECT_TRUE(
      help.out.starts_with("usage: vexilo-cli search PUZZLE [--dic FILE]... [--engine dfs|fast] "
                           "[--region R1,C1,R2,C2] [--runs N] [--out RESULT.crs] "
                           "[--slots SLOTS.tsv] [--stats] [--first] [--ban FILE] [--threads N]\n"));
  for (const char* arguments : {"-h", "help", "search -h", "show x.crs --help"}) {
    const Result same = run(arguments);
    EXPECT_EQ(same.status, 0) << arguments;
    EXPECT_EQ(same.out, help.out) << arguments;
  }

  const Result version = run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "vexilo-cli 1.16\n");
  EXPECT_EQ(run("show -- --help").err, "Can't open CroosWord File\n");  // a file after "--"
}

TEST_F(Tool, AnOutputNamingAnInputIsRefused) {
  const std::string puzzleBytes = repeated("\t1\t-1\r\n", 3);
  const std::string puzzle = crossword("p.crs", puzzleBytes);
  const std::string dictionaryBytes = sj("アイウ\r\n");
  const std::string dictionary = crossword("d.dic", dictionaryBytes);
  namespace fs = std::filesystem;
  fs::create_symlink(folder.path("p.crs"), folder.path("link.crs"));
  fs::create_hard_link(folder.path("d.dic"), folder.path("hard.dic"));
  fs::create_directory(folder.path("sub"));

  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"export " + puzzle + " " + puzzle, "the output " + folder.path("p.crs") +
                                              " is the same file as the puzzle " +
                                              folder.path("p.crs")},
      {"export " + puzzle + " " + path("link.crs"), "the output " + folder.path("link.crs")},
      {"search " + puzzle + " --dic " + dictionary + " --slots " + path("hard.dic"),
       "--slots " + folder.path("hard.dic") + " is the same file as --dic " + folder.path("d.dic")},
      {"search ../p.crs --out ./../sub/../p.crs", "--out ./../sub/../p.crs"},
      {"search ../p.crs --dic new.dic --out ../sub/new.dic", "--out ../sub/new.dic"},
      {"search ../p.crs --out r.crs --slots ./r.crs",
       "--slots ./r.crs is the same file as --out r.crs"},
  };
  for (const auto& c : cases) {
    const Result refused = run(c.arguments, c.arguments.starts_with("search ../") ? "sub" : "");
    EXPECT_EQ(refused.status, 2) << c.arguments;
    EXPECT_TRUE(refused.err.starts_with("vexilo-cli: " + c.message)) << refused.err;
    EXPECT_TRUE(refused.err.ends_with("; nothing was written\n")) << refused.err;
    EXPECT_EQ(refused.out, "") << c.arguments;
  }
  EXPECT_EQ(readBytes(folder.path("p.crs")), puzzleBytes);
  EXPECT_EQ(readBytes(folder.path("d.dic")), dictionaryBytes);
  EXPECT_TRUE(fs::is_symlink(folder.path("link.crs")));
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"d.dic", "hard.dic", "link.crs", "p.crs",
                                                      "stderr", "stdout", "sub"}));
  EXPECT_TRUE(fs::is_empty(folder.path("sub")));
}

}  // namespace
}  // namespace vexilo
