#include "search/banned_words.h"

#include <gtest/gtest.h>

#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::sj;

TEST(BannedWords, ComparedFoldedAndKeptInTheOrderBanned) {
  BannedWords banned;
  EXPECT_TRUE(banned.add(sj("キャク")));
  EXPECT_FALSE(banned.add(sj("キヤク")));
  EXPECT_FALSE(banned.add(""));
  EXPECT_TRUE(banned.add(sj("ネコ")));
  EXPECT_TRUE(banned.contains(sj("キヤク")));
  EXPECT_EQ(banned.words(), (std::vector<std::string>{sj("キャク"), sj("ネコ")}));
  EXPECT_TRUE(banned.remove(sj("キヤク")));
  EXPECT_FALSE(banned.remove(sj("キヤク")));
  EXPECT_EQ(banned.words(), std::vector<std::string>{sj("ネコ")});
  EXPECT_EQ(banned.changes(), 3U);
}

// A UTF-8 list as a hand would write it; written back one word a line, LF, and read again.
TEST(BannedWords, ReadAndWrittenAsAUtf8WordList) {
  test::TempFolder folder;
  test::writeBytes(folder.path("in.txt"), "\xEF\xBB\xBFネコ\r\n\r\nイヌ\n😀\nウシ");
  const std::optional<BannedWordsRead> read =
      readBannedWords(folder.path("in.txt"), test::wordListCodec());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->words.words(), (std::vector<std::string>{sj("ネコ"), sj("イヌ"), sj("ウシ")}));
  EXPECT_EQ(read->skippedLines, 1);
  ASSERT_TRUE(writeBannedWords(folder.path("out.txt"), read->words, test::wordListCodec()));
  EXPECT_EQ(test::readBytes(folder.path("out.txt")), "ネコ\nイヌ\nウシ\n");
  EXPECT_FALSE(readBannedWords(folder.path("missing.txt"), test::wordListCodec()));
  EXPECT_FALSE(
      writeBannedWords(folder.path("no/such/folder.txt"), read->words, test::wordListCodec()));
}

}  // namespace
}  // namespace vexilo
