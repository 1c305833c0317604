#include "search/word_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

// Each position's letter sets, in the one flat table, hold exactly the words with that letter
// there: as bits, or as word lists where a position has hundreds of letters (kanji).
TEST(WordTables, LetterSetsHoldExactlyTheWordsWithTheLetter) {
  for (const int letters : {60, 600}) {
    std::mt19937 random(static_cast<unsigned>(letters));
    WordIndex index;
    for (int w = 0; w < 4000; ++w) {
      std::string word;
      for (int p = 0; p < 3; ++p) {
        // Skewed: low letters common, high ones rare.
        const double u = std::uniform_real_distribution<double>(0, 1)(random);
        const int k = static_cast<int>(letters * u * u * u);
        word += static_cast<char>(0x88 + k / 63);
        word += static_cast<char>(0x40 + k % 63);
      }
      index.addWord(word);
    }
    WordTables tables(index);
    tables.prepare(3);
    const LengthWords& words = tables.length(3);
    int dense = 0, lists = 0;
    for (int p = 0; p < 3; ++p) {
      for (int letter = 0; letter < tables.letterCount(); ++letter) {
        const WordSet set = words.wordsWith(p, letter);
        std::vector<int> expected, held;
        for (int w = 0; w < words.count; ++w) {
          if (words.letterAt(w, p) == letter) expected.push_back(w);
          if (set.bits ? testBit(set.bits, w) : std::binary_search(set.first, set.last, w)) {
            held.push_back(w);
          }
        }
        EXPECT_EQ(held, expected) << letters << " letters, position " << p << ", letter " << letter;
        lists += set.bits || expected.empty() ? 0 : 1;
        dense += set.bits ? 1 : 0;
      }
    }
    EXPECT_GT(letters > 256 ? lists : dense, 10) << letters << " letters";
  }
}

// The first block two sets share, whatever the range's length and offset against the steps of
// four and wherever the shared blocks lie: before the range, in a step, in the tail, nowhere.
TEST(WordBits, FirstCommonBlockFindsTheFirstSharedBlockInTheRange) {
  for (int to = 0; to <= 11; ++to) {
    for (int from = 0; from <= to; ++from) {
      for (int shared = -1; shared < 12; ++shared) {
        std::vector<Bits> a(12, ~Bits{0}), b(12, 0);
        for (const int k : {shared, shared + 2}) {  // a second one, which must not win
          if (k >= 0 && k < 12) b[static_cast<std::size_t>(k)] = Bits{1} << (k * 5 % 64);
        }
        int expected = from;
        while (expected < to && b[static_cast<std::size_t>(expected)] == 0) ++expected;
        EXPECT_EQ(firstCommonBlock(a.data(), b.data(), from, to), expected)
            << from << ".." << to << ", shared " << shared;
      }
    }
  }
}

}  // namespace
}  // namespace vexilo
