#include "dictionary/word_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;
using test::u8;
using Words = std::vector<std::string>;

// The words of one bucket walk, in UTF-8 for readable failures.
Words walk(const LengthIndex& lengths, std::string_view character, int position) {
  Words words;
  for (BucketEntry e = lengths.firstInBucket(character, position); !e.isNone();
       e = lengths.nextEntry(e)) {
    words.push_back(u8(lengths.wordOf(e)));
  }
  return words;
}

TEST(WordIndex, BucketOfReadsBothBytesAsSigned) {
  EXPECT_EQ(bucketOf(sj("あ"), 0), 994);
  EXPECT_EQ(bucketOf(sj("あ"), 1), 995);
  EXPECT_EQ(bucketOf(sj("ア"), 0), 1890);
  EXPECT_EQ(bucketOf(sj("ア"), 1), 1891);
  EXPECT_EQ(bucketOf(sj("き"), 0), 1335);
  EXPECT_EQ(bucketOf(sj("や"), 2), 994);
  EXPECT_EQ(bucketOf("a", 1), 98);  // a lone last byte has a zero second byte
}

TEST(WordIndex, FoldSmallKanaTurnsTheTwentySixIntoLargeForms) {
  EXPECT_EQ(u8(foldSmallKana(sj("ぁぃぅぇぉっゃゅょゎゐゑ"))), "あいうえおつやゆよわいえ");
  EXPECT_EQ(u8(foldSmallKana(sj("ァィゥェォッャュョヮヰヱヵヶ"))), "アイウエオツヤユヨワイエカケ");
  EXPECT_EQ(u8(foldSmallKana(sj("あぱヴをヲんン漢ー"))), "あぱヴをヲんン漢ー");
  const std::string shifted = "a" + sj("ぁ");  // ぁ at an odd offset is no unit of its own
  EXPECT_EQ(foldSmallKana(shifted), shifted);
}

TEST(LengthIndex, WordStandsOnceInEachBucketItHashesTo) {
  LengthIndex lengths;
  lengths.addWord(sj("あいや"));  // buckets 994, 1057, 994
  EXPECT_EQ(lengths.bucketSize(994), 1u);
  EXPECT_EQ(lengths.bucketSize(1057), 1u);
  EXPECT_EQ(lengths.bucketSize(AllWordsBucket), 1u);

  lengths.addWord(sj("かきや"));  // や at position 2 collides with あ at 0
  EXPECT_EQ(walk(lengths, sj("あ"), 0), (Words{"あいや", "かきや"}));

  lengths.addWord(sj("あ") + "a");
  EXPECT_EQ(walk(lengths, "a", 1), (Words{"あa"}));
  EXPECT_EQ(lengths.bucketSize(98), 1u);
}

TEST(LengthIndex, StoresWordsFoldedAndFindsThemUnfolded) {
  LengthIndex lengths;
  lengths.addWord(sj("きゃく"));
  EXPECT_EQ(u8(lengths.word(0)), "きやく");
  EXPECT_EQ(lengths.findWord(sj("きやく")), 0);
  EXPECT_EQ(lengths.findWord(sj("きゃく")), -1);
  EXPECT_EQ(walk(lengths, sj("ゃ"), 1), Words{});
}

TEST(LengthIndex, EmptyCharacterWalksAllWordsInOrderOfAddition) {
  LengthIndex lengths;
  EXPECT_TRUE(lengths.firstInBucket("", 0).isNone());
  EXPECT_TRUE(lengths.firstInBucket(sj("あ"), 0).isNone());

  for (const char* word : {"たぬき", "", "たぬき", "うさぎ"}) lengths.addWord(sj(word));
  const Words all{"たぬき", "", "たぬき", "うさぎ"};  // duplicates keep their own entries
  EXPECT_EQ(walk(lengths, "", 0), all);
  EXPECT_EQ(walk(lengths, sj("き"), 2), (Words{"たぬき", "たぬき"}));
  EXPECT_EQ(walk(lengths, std::string_view("\0x", 2), 5), all);  // a leading zero ends it
}

TEST(LengthIndex, ClearEmptiesEveryBucketAndTheList) {
  WordIndex index;
  const std::size_t emptySize = index.memoryUse();
  index.addWord(sj("あいう"));
  index.addWord(std::string(9000, 'x'));  // stored apart from the blocks of short words
  index.clear();
  EXPECT_EQ(index.wordCount(), 0u);
  EXPECT_TRUE(index[3].firstInBucket("", 0).isNone());
  EXPECT_EQ(index[3].findWord(sj("あいう")), -1);
  EXPECT_EQ(index.memoryUse(), emptySize);

  index.addWord(sj("かきく"));
  EXPECT_EQ(walk(index[3], "", 0), (Words{"かきく"}));
}

TEST(LengthIndex, WalkMeetsWordsAppendedDuringIt) {
  LengthIndex lengths;
  lengths.addWord(sj("あさ"));
  lengths.addWord(sj("あめ"));
  const std::string_view first = lengths.word(0);

  Words seen;
  BucketEntry e = lengths.firstInBucket(sj("あ"), 0);
  seen.push_back(u8(lengths.wordOf(e)));
  for (int i = 0; i < 20000; ++i) lengths.addWord(sj("いか"));  // every list moves
  lengths.addWord(sj("あき"));
  for (e = lengths.nextEntry(e); !e.isNone(); e = lengths.nextEntry(e)) {
    seen.push_back(u8(lengths.wordOf(e)));
  }
  EXPECT_EQ(seen, (Words{"あさ", "あめ", "あき"}));
  EXPECT_EQ(u8(first), "あさ");  // stored text never moves
}

}  // namespace
}  // namespace vexilo
