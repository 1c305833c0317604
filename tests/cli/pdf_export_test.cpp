#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "files/crossword_file.h"
#include "files/ipuz_file.h"
#include "support/sjis.h"
#include "support/temp_folder.h"
#include "ui/cp932_codec.h"

namespace vexilo {
namespace {

using test::sj;

std::string withoutSpace(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c != ' ' && c != '\n' && c != '\f' && c != '\t') out += c;
  }
  return out;
}

struct PdfExport : ::testing::Test {
  test::TempFolder folder;

  void SetUp() override {
    if (std::system("command -v pdftotext >/dev/null && command -v pdffonts >/dev/null") != 0) {
      GTEST_SKIP() << "poppler-utils are missing (tools/setup installs them)";
    }
  }

  // Standard output of a command run in the test's folder, and its status.
  std::pair<int, std::string> run(const std::string& command) {
    const std::string out = folder.path("out.txt");
    const int raw = std::system((command + " >'" + out + "' 2>&1").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::readBytes(out)};
  }
};

TEST_F(PdfExport, TextIsRealAndTheJapaneseFontEmbedded) {
  const char* root = std::getenv("VEXILO_SOURCE_DIR");
  PuzzleGrid grid;
  ASSERT_TRUE(
      loadCrosswordFile(std::string(root ? root : "../..") + "/data/sample-13x13.crs", grid));
  PuzzleClues clues;
  clues.properties.title = sj("春のクロスワード");
  const WordNumbers words = numberWords(grid, Numbering::Magazine);
  int n = 0;
  for (const auto* list : {&words.down, &words.across}) {
    for (const NumberedWord& word : *list) {
      clues.setText(word.key,
                    sj("カギその") + std::to_string(++n) + sj("：少し長めに書いた問題文"));
    }
  }
  const Cp932WordListCodec codec;
  test::writeBytes(folder.path("p.ipuz"), formatIpuz(grid, clues, codec));
  const std::string pdf = folder.path("p.pdf");
  ASSERT_EQ(run(std::string(VEXILO_CLI) + " export '" + folder.path("p.ipuz") + "' '" + pdf + "'"),
            (std::pair<int, std::string>{0, ""}));

  const auto [textStatus, text] = run("pdftotext -enc UTF-8 '" + pdf + "' -");
  ASSERT_EQ(textStatus, 0);
  const std::string flat = withoutSpace(text);
  for (const std::string& wanted :
       {std::string("春のクロスワード"), std::string("タテのカギ"), std::string("ヨコのカギ")}) {
    EXPECT_NE(flat.find(wanted), std::string::npos) << wanted;
  }
  for (const auto& [key, clue] : clues.texts) {
    EXPECT_NE(flat.find(test::u8(clue)), std::string::npos) << test::u8(clue);
  }
  const auto [fontStatus, fonts] = run("pdffonts '" + pdf + "'");
  ASSERT_EQ(fontStatus, 0);
  const std::size_t line = fonts.find("IPAGothic");
  ASSERT_NE(line, std::string::npos) << fonts;
  // name, type, encoding, then "emb": yes
  EXPECT_NE(fonts.substr(line, fonts.find('\n', line) - line).find(" yes "), std::string::npos)
      << fonts;
}

}  // namespace
}  // namespace vexilo
