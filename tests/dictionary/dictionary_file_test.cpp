#include "dictionary/dictionary_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "dictionary/word_index.h"
#include "support/file_size_limit.h"
#include "support/sjis.h"
#include "support/temp_folder.h"

namespace vexilo {
namespace {

using test::readBytes;
using test::sj;
using test::TempFolder;
using test::u8;
using test::wordListCodec;
using test::writeBytes;
using Words = std::vector<std::string>;

// The words of the given classes, class by class, each in order of addition.
Words wordsOf(const WordIndex& index, std::initializer_list<int> classes) {
  Words words;
  for (int c : classes) {
    for (std::size_t i = 0; i < index[c].wordCount(); ++i) words.push_back(u8(index[c].word(i)));
  }
  return words;
}

std::string subfolder(const TempFolder& folder, const std::string& name) {
  std::filesystem::create_directory(folder.path(name));
  return folder.path(name);
}

std::vector<std::size_t> sizesOf(const WordIndex& index, int lengthClass) {
  std::vector<std::size_t> sizes;
  for (std::size_t i = 0; i < index[lengthClass].wordCount(); ++i) {
    sizes.push_back(index[lengthClass].word(i).size());
  }
  return sizes;
}

TEST(DictionaryFile, LinesBecomeWordsOfTheirClassInFileOrder) {
  WordIndex index;
  const std::string text = sj("あいう\nABCD\n\nかきく\nあ\rい\nねこ\nねこ\n");
  loadDictionaryText(text + std::string(140, 'x'), index);
  EXPECT_EQ(wordsOf(index, {3}), (Words{"あいう", "かきく"}));
  EXPECT_EQ(wordsOf(index, {2}), (Words{"ABCD", "あ\rい", "ねこ", "ねこ"}));
  EXPECT_EQ(wordsOf(index, {0}), Words{""});
  EXPECT_EQ(index[31].wordCount(), 1u);
}

TEST(DictionaryFile, LineEndsAndCtrlZDoNotChangeTheWords) {
  TempFolder folder;
  writeBytes(folder.path("crlf.dic"), sj("ねこ\r\nいぬ\r\nうさぎ"));
  writeBytes(folder.path("lf.dic"), sj("ねこ\nいぬ\nうさぎ\n"));
  writeBytes(folder.path("z.dic"), sj("ねこ\r\nいぬ\r\nうさぎ\r\n\x1Aきつね\r\n"));
  for (const char* name : {"crlf.dic", "lf.dic", "z.dic"}) {
    WordIndex index;
    ASSERT_TRUE(loadDictionaryFile(folder.path(name), index));
    EXPECT_EQ(wordsOf(index, {2, 3}), (Words{"ねこ", "いぬ", "うさぎ"})) << name;
  }
}

TEST(DictionaryFile, LongLinesComeInPiecesOf511Bytes) {
  WordIndex index;
  loadDictionaryText(std::string(600, 'x') + "\n", index);
  EXPECT_EQ(sizesOf(index, 31), (std::vector<std::size_t>{511, 89}));

  index.clear();
  loadDictionaryText(std::string(511, 'x') + "\n", index);
  EXPECT_EQ(index.wordCount(), 2u);
  EXPECT_EQ(sizesOf(index, 0), std::vector<std::size_t>{0});

  index.clear();
  loadDictionaryText(std::string(1022, 'x'), index);  // without a line end no empty rest
  EXPECT_EQ(sizesOf(index, 31), (std::vector<std::size_t>{511, 511}));
}

TEST(DictionaryFile, EveryTruncationLoadsTheLinesItHolds) {
  TempFolder folder;
  const std::string path = folder.path("cut.dic");
  const std::string bytes = sj("あいう\r\nか\r\n\r\nきゃく\r\nABCD");
  for (std::size_t n = 0; n <= bytes.size(); ++n) {  // a CR cut from its LF stays in the word
    const std::string prefix = bytes.substr(0, n);
    Words expected;
    std::size_t start = 0;
    for (std::size_t end; (end = prefix.find("\r\n", start)) != prefix.npos; start = end + 2) {
      expected.push_back(u8(foldSmallKana(prefix.substr(start, end - start))));
    }
    if (start < prefix.size()) expected.push_back(u8(foldSmallKana(prefix.substr(start))));

    writeBytes(path, prefix);
    WordIndex index;
    ASSERT_TRUE(loadDictionaryFile(path, index));
    Words loaded = wordsOf(index, {0, 1, 2, 3});
    std::sort(expected.begin(), expected.end());
    std::sort(loaded.begin(), loaded.end());
    ASSERT_EQ(loaded, expected) << "prefix of " << n << " bytes";
  }
}

TEST(DictionaryFile, BadInputLoadsByTheRulesOrCannotBeOpened) {
  TempFolder folder;
  WordIndex index;
  EXPECT_FALSE(loadDictionaryFile(folder.path("missing.dic"), index));
  EXPECT_FALSE(loadDictionaryFile(subfolder(folder, "folder.dic"), index));
  EXPECT_EQ(index.wordCount(), 0u);

  writeBytes(folder.path("binary.dic"), std::string("\x82\xA0\0\x82\n\xFF\xFE\x80\r\n", 10));
  ASSERT_TRUE(loadDictionaryFile(folder.path("binary.dic"), index));
  EXPECT_EQ(index[2].word(0), std::string("\x82\xA0\0\x82", 4));
  EXPECT_EQ(index[1].word(0), "\xFF\xFE\x80");

  writeBytes(folder.path("huge.dic"), std::string(10 * 1024 * 1024, '\x88'));
  WordIndex big;
  ASSERT_TRUE(loadDictionaryFile(folder.path("huge.dic"), big));
  EXPECT_EQ(big[31].wordCount(), 20520u);  // 10,485,760 = 20,520 x 511 + 40
  EXPECT_EQ(sizesOf(big, 20), std::vector<std::size_t>{40});
}

TEST(DictionaryRefresh, ChangedPathOrBoxReloadsInRowOrder) {
  TempFolder folder;
  writeBytes(folder.path("a.dic"), sj("いち\r\nおなじ\r\n"));
  writeBytes(folder.path("b.dic"), sj("おなじ\r\n"));
  writeBytes(folder.path("c.dic"), sj("さん\r\n"));
  writeBytes(folder.path("A.dic"), sj("おおい\r\n"));
  DictionaryRows rows{
      {{folder.path("a.dic"), 1}, {folder.path("b.dic"), 1}, {folder.path("c.dic"), 1}}};
  DictionaryLoadRecord loaded;
  WordIndex index;
  const auto none = [](int) { FAIL() << "no row can fail"; };

  ASSERT_TRUE(refreshDictionaries(rows, loaded, index, none));
  EXPECT_EQ(wordsOf(index, {2, 3}), (Words{"いち", "さん", "おなじ", "おなじ"}));

  index.addWord(sj("とうろく"));
  rows[2].enabled = 0;
  ASSERT_TRUE(refreshDictionaries(rows, loaded, index, none));
  EXPECT_EQ(wordsOf(index, {2, 3, 4}), (Words{"いち", "おなじ", "おなじ"}));

  rows[2].enabled = 1;
  rows[0].path = folder.path("A.dic");  // only the letter case differs
  ASSERT_TRUE(refreshDictionaries(rows, loaded, index, none));
  EXPECT_EQ(wordsOf(index, {2, 3}), (Words{"さん", "おおい", "おなじ"}));
}

TEST(DictionaryAppend, WritesTheWordAndCrLfCreatingTheFile) {
  TempFolder folder;
  const std::string path = folder.path("new.dic");
  EXPECT_EQ(appendDictionaryWord(path, sj("きゃく")), AppendResult::Appended);
  EXPECT_EQ(appendDictionaryWord(path, sj("ねこ")), AppendResult::Appended);
  EXPECT_EQ(readBytes(path), sj("きゃく\r\nねこ\r\n"));

  EXPECT_EQ(appendDictionaryWord(folder.path("empty.dic"), ""), AppendResult::Appended);
  EXPECT_EQ(readBytes(folder.path("empty.dic")), "");

  writeBytes(folder.path("open.dic"), sj("ふゆ"));  // a last line without its end
  EXPECT_EQ(appendDictionaryWord(folder.path("open.dic"), sj("はる")), AppendResult::Appended);
  EXPECT_EQ(readBytes(folder.path("open.dic")), sj("ふゆ\r\nはる\r\n"));

  EXPECT_EQ(appendDictionaryWord(subfolder(folder, "f.dic"), "a"), AppendResult::CouldNotOpen);
  EXPECT_EQ(appendDictionaryWord(folder.path("no/f.dic"), "a"), AppendResult::CouldNotOpen);
  EXPECT_EQ(appendDictionaryWord("/dev/null", "a"), AppendResult::CouldNotOpen);
}

TEST(DictionaryAppend, FailedWriteLeavesTheFileAsItWas) {
  TempFolder folder;
  const std::string path = folder.path("full.dic");
  writeBytes(path, sj("ふゆ\r\n"));

  {
    const test::FileSizeLimit limit(16);
    EXPECT_EQ(appendDictionaryWord(path, std::string(20000, 'x')), AppendResult::WriteFailed);
  }
  EXPECT_EQ(readBytes(path), sj("ふゆ\r\n"));
}

TEST(Utf8WordList, DetectedByByteOrderMarkOrValidMultiByteText) {
  EXPECT_TRUE(isUtf8WordList("\xEF\xBB\xBF"));
  EXPECT_TRUE(isUtf8WordList("\xEF\xBB\xBF\x82\xA0\n"));  // a mark decides alone
  EXPECT_TRUE(isUtf8WordList("abc\n\xE3\x81\x82\n\xF0\x9F\x98\x80"));
  EXPECT_FALSE(isUtf8WordList(""));
  EXPECT_FALSE(isUtf8WordList("ascii only\r\n"));
  EXPECT_FALSE(isUtf8WordList(sj("ねこ\n漢字\nカタカナ\n")));
  EXPECT_FALSE(isUtf8WordList("\xE3\x81"));              // cut short
  EXPECT_FALSE(isUtf8WordList("\xC0\xAF\xE3\x81\x82"));  // overlong slash
  EXPECT_FALSE(isUtf8WordList("\xED\xA0\x80"));          // surrogate
  EXPECT_FALSE(isUtf8WordList("\xF4\x90\x80\x80"));      // past U+10FFFF
}

TEST(Utf8WordList, LoadsTheWordsOfTheShiftJisListAndSkipsWhatTheCodePageLacks) {
  TempFolder folder;
  const WordListCodec& codec = wordListCodec();
  const std::string words = "ねこ\n漢字\nABCD\n\n①②\nきゃく";
  std::string crlf = words;
  for (std::size_t at = 0; (at = crlf.find('\n', at)) != crlf.npos; at += 2) crlf.insert(at, "\r");
  writeBytes(folder.path("sjis.dic"), sj(crlf));
  writeBytes(folder.path("bom.dic"), "\xEF\xBB\xBF" + crlf + "\r\n");
  writeBytes(folder.path("lf.dic"), "😀\n" + words + "\nか😀\n\x1A犬\n");

  WordIndex expected;
  ASSERT_TRUE(loadDictionaryFile(folder.path("sjis.dic"), expected, &codec));
  EXPECT_EQ(wordsOf(expected, {2}), (Words{"ねこ", "漢字", "ABCD", "①②"}));
  for (const char* name : {"bom.dic", "lf.dic"}) {
    WordIndex index;
    ASSERT_TRUE(loadDictionaryFile(folder.path(name), index, &codec));
    EXPECT_EQ(wordsOf(index, {0, 1, 2, 3}), wordsOf(expected, {0, 1, 2, 3})) << name;
  }

  WordIndex bytes;  // without a converter the list is taken byte for byte
  ASSERT_TRUE(loadDictionaryFile(folder.path("lf.dic"), bytes));
  EXPECT_EQ(bytes[2].word(0), "\xF0\x9F\x98\x80");
}

TEST(Utf8WordList, RegisteredWordsKeepTheFilesEncoding) {
  TempFolder folder;
  const WordListCodec& codec = wordListCodec();
  writeBytes(folder.path("u.dic"), "ねこ\n");
  writeBytes(folder.path("s.dic"), sj("ねこ\r\n"));
  WordIndex index;
  EXPECT_EQ(registerWord(folder.path("u.dic"), sj("ｲﾇ"), index, &codec), RegisterResult::Written);
  EXPECT_EQ(registerWord(folder.path("s.dic"), sj("さる"), index, &codec), RegisterResult::Written);
  EXPECT_EQ(registerWord(folder.path("new.dic"), sj("とり"), index, &codec),
            RegisterResult::Written);
  EXPECT_EQ(readBytes(folder.path("u.dic")), "ねこ\nイヌ\r\n");
  EXPECT_EQ(readBytes(folder.path("s.dic")), sj("ねこ\r\nさる\r\n"));
  EXPECT_EQ(readBytes(folder.path("new.dic")), sj("とり\r\n"));

  writeBytes(folder.path("bom.dic"), "\xEF\xBB\xBF");  // the word goes on the first line
  EXPECT_EQ(registerWord(folder.path("bom.dic"), sj("うし"), index, &codec),
            RegisterResult::Written);
  EXPECT_EQ(readBytes(folder.path("bom.dic")), "\xEF\xBB\xBFうし\r\n");

  const std::string unmapped("\x85\x40", 2);  // a code the code page leaves empty
  EXPECT_EQ(registerWord(folder.path("u.dic"), unmapped, index, &codec), RegisterResult::NotInUtf8);
  EXPECT_EQ(readBytes(folder.path("u.dic")), "ねこ\nイヌ\r\n");
  EXPECT_LT(index[1].findWord(unmapped), 0);
}

TEST(DictionaryAppend, WordGoesBeforeTheCtrlZSoThatItIsRead) {
  TempFolder folder;
  const std::string path = folder.path("z.dic");
  const auto appendAndLoad = [&](const std::string& before) {
    writeBytes(path, before);
    EXPECT_EQ(appendDictionaryWord(path, sj("はる")), AppendResult::Appended);
    WordIndex index;
    EXPECT_TRUE(loadDictionaryFile(path, index));
    return std::pair(readBytes(path), wordsOf(index, {2}));
  };
  EXPECT_EQ(appendAndLoad(sj("ふゆ\r\n\x1A")),
            std::pair(sj("ふゆ\r\nはる\r\n\x1A"), (Words{"ふゆ", "はる"})));
  EXPECT_EQ(appendAndLoad(sj("ふゆ\x1A")),
            std::pair(sj("ふゆ\r\nはる\r\n\x1A"), (Words{"ふゆ", "はる"})));
  EXPECT_EQ(appendAndLoad(sj("\x1A")), std::pair(sj("はる\r\n\x1A"), (Words{"はる"})));
  EXPECT_EQ(appendAndLoad(sj("ふゆ\n\x1Aなつ\r\n\x1A")),
            std::pair(sj("ふゆ\nはる\r\n\x1Aなつ\r\n\x1A"), (Words{"ふゆ", "はる"})));

  writeBytes(path, sj("ふゆ\r\n\x1A"));
  {
    const test::FileSizeLimit limit(8);
    EXPECT_EQ(appendDictionaryWord(path, sj("はる")), AppendResult::WriteFailed);
  }
  EXPECT_EQ(readBytes(path), sj("ふゆ\r\n\x1A"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
}

}  // namespace
}  // namespace vexilo
