#include "search/word_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;

// Ranks count every word of the priority order once, whatever its length or form, after
// folding; the words of a length keep that order, each once.
TEST(WordTables, RanksFollowThePriorityOrderAcrossLengths) {
  WordIndex index;
  for (const char* word : {"サクラ", "アイ", "ab", "サクラ", "キャク", "ウメ", "キヤク", "イヌ"}) {
    index.addWord(sj(word));
  }
  WordTables tables(index);
  EXPECT_EQ(tables.wordCount(), 6U);
  tables.prepare(2);
  tables.prepare(3);
  const struct {
    int length;
    std::vector<std::string> words;
    std::vector<std::uint32_t> ranks;
  } rows[] = {
      {2, {"アイ", "ウメ", "イヌ"}, {2, 5, 6}},
      {3, {"サクラ", "キヤク"}, {1, 4}},
  };
  for (const auto& row : rows) {
    const LengthWords& words = tables.length(row.length);
    std::vector<std::string> texts;
    for (const std::string_view word : words.words) texts.push_back(test::u8(word));
    EXPECT_EQ(texts, row.words) << row.length;
    EXPECT_EQ(words.ranks, row.ranks) << row.length;
  }
  EXPECT_EQ(tables.length(2).countBelow(5), 1);
  EXPECT_EQ(tables.length(2).countBelow(6), 2);
  EXPECT_EQ(tables.length(3).find(sj("キヤク")), 1);

  EXPECT_TRUE(tables.describes(index));
  index.addWord(sj("ネコ"));
  EXPECT_FALSE(tables.describes(index));
}

}  // namespace
}  // namespace vexilo
