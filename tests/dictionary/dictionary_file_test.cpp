#include "dictionary/dictionary_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#include "dictionary/full_width.h"
#include "dictionary/word_index.h"
#include "files/text_file.h"
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
    // A line that ends in half a character is no Shift_JIS and is left out.
    const bool halfCharacter = n < bytes.size() && u8(prefix).ends_with("\xEF\xBF\xBD");
    if (start < prefix.size() && !halfCharacter) {
      expected.push_back(u8(foldSmallKana(prefix.substr(start))));
    }

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

  // Lines that are no Shift_JIS are left out and counted; NUL and other controls are text.
  writeBytes(folder.path("binary.dic"),
             std::string("\x82\xA0\0\x82\n\x82\xA0\0\r\n\xFF\xFE\x80\r\n", 15));
  const std::optional<DecodedWordList> binary =
      loadDictionaryFile(folder.path("binary.dic"), index);
  ASSERT_TRUE(binary);
  EXPECT_EQ(binary->skippedLines, 2);
  EXPECT_EQ(binary->firstSkippedLine, 1);
  EXPECT_EQ(index.wordCount(), 1u);
  EXPECT_EQ(index[1].word(0), std::string("\x82\xA0\0", 3));

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

  std::filesystem::create_symlink("linked.dic", folder.path("link.dic"));  // nothing there yet
  EXPECT_EQ(appendDictionaryWord(folder.path("link.dic"), "a"), AppendResult::Appended);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path("link.dic")));
  EXPECT_EQ(readBytes(folder.path("linked.dic")), "a\r\n");

  // A list that may be written but not read would get the word glued to its last line.
  writeBytes(folder.path("blind.dic"), sj("ふゆ"));
  std::filesystem::permissions(folder.path("blind.dic"), std::filesystem::perms::owner_write);
  if (::geteuid() != 0) {  // root reads it all the same
    EXPECT_EQ(appendDictionaryWord(folder.path("blind.dic"), "a"), AppendResult::CouldNotRead);
    std::filesystem::permissions(folder.path("blind.dic"), std::filesystem::perms::owner_read);
    EXPECT_EQ(readBytes(folder.path("blind.dic")), sj("ふゆ"));
  }
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

// A list is UTF-8 when it starts with a byte-order mark or when more of its lines are words of
// the code page read as UTF-8 than read as Shift_JIS.
TEST(WordListEncoding, DecidedOnTheEvidenceOfItsLines) {
  const WordListCodec& codec = wordListCodec();
  const struct {
    std::string text;
    WordListEncoding encoding;
  } cases[] = {
      {"\xEF\xBB\xBF", WordListEncoding::Utf8},
      {"\xEF\xBB\xBF" + sj("ねこ\n"), WordListEncoding::Utf8},  // a mark decides alone
      {"ねこ\n漢字\n", WordListEncoding::Utf8},
      {"ねこ\n漢字\n\xE3\x81", WordListEncoding::Utf8},  // one line cut short
      {"ねこ\n\xFF\n漢字\n" + sj("いぬ\n"), WordListEncoding::Utf8},
      {"", WordListEncoding::ShiftJis},
      {"ascii only\nabc\n", WordListEncoding::ShiftJis},
      {"😀\n", WordListEncoding::ShiftJis},  // valid UTF-8, but no word of the code page
      {sj("ねこ\n漢字\nカタカナ\n"), WordListEncoding::ShiftJis},
      // Valid UTF-8 by chance: 茫然 is E4 A9 91 52, 鼈甲 E9 BC 8A 62 and so on.
      {sj("茫然\n"), WordListEncoding::ShiftJis},
      {sj("茫然\n鼈甲\n驢馬\n瘡蓋\n"), WordListEncoding::ShiftJis},
      {sj("茫然\nいぬ\n") + "ねこ\n", WordListEncoding::ShiftJis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wordListEncoding(c.text, &codec), c.encoding) << u8(c.text);
    EXPECT_EQ(wordListEncoding(c.text, nullptr), WordListEncoding::ShiftJis) << u8(c.text);
  }
}

// Each of these Shift_JIS words is valid UTF-8 by chance; read as UTF-8 a list of them once
// loaded no word and took the next registration in UTF-8.
TEST(WordListEncoding, KanjiThatLookLikeUtf8AreRegisteredAndReadAsShiftJis) {
  TempFolder folder;
  const WordListCodec& codec = wordListCodec();
  const std::string path = folder.path("new.dic");
  WordIndex registered;
  for (const char* word : {"茫然", "鼈甲", "驢馬", "瘡蓋"}) {
    EXPECT_EQ(registerWord(path, sj(word), registered, &codec), RegisterResult::Written) << word;
  }
  EXPECT_EQ(readBytes(path), sj("茫然\r\n鼈甲\r\n驢馬\r\n瘡蓋\r\n"));
  WordIndex index;
  const std::optional<DecodedWordList> list = loadDictionaryFile(path, index, &codec);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->encoding, WordListEncoding::ShiftJis);
  EXPECT_EQ(list->skippedLines, 0);
  EXPECT_EQ(wordsOf(index, {2}), (Words{"茫然", "鼈甲", "驢馬", "瘡蓋"}));
}

// A UTF-8 list whose sixth line lost the last byte of its last character: the other lines are
// read as UTF-8, and the refresh names the line.
TEST(WordListEncoding, AUtf8ListWithABadLineIsReadAsUtf8WithTheLineReported) {
  TempFolder folder;
  const WordListCodec& codec = wordListCodec();
  std::string cut = "うさぎ";
  cut.pop_back();
  writeBytes(folder.path("u.dic"), "ねこ\nいぬ\nさる\nとり\nうし\n" + cut + "\nうま\n");
  const DictionaryRows rows{{{"", true}, {folder.path("u.dic"), true}, {"", true}}};
  DictionaryLoadRecord loaded;
  WordIndex index;
  const DictionaryRefresh refresh = refreshDictionaries(rows, loaded, index, nullptr, &codec);
  EXPECT_EQ(wordsOf(index, {2}), (Words{"ねこ", "いぬ", "さる", "とり", "うし", "うま"}));
  EXPECT_EQ(u8(refresh.note), "辞書2 (UTF-8): 読めない 1 行を飛ばしました (最初は 6 行目)");
}

// Random lists in each encoding, a share of their lines spoiled by a byte no encoding has or by
// losing their last byte, read as a model of the rule says: UTF-8 with a byte-order mark or
// when more lines are UTF-8 words of two-byte characters of the code page than Shift_JIS ones;
// then every line that is text in that encoding, converted, and the others counted.
TEST(WordListEncoding, RandomListsWithBadLinesAreReadAsTheModelSays) {
  const WordListCodec& codec = wordListCodec();
  const std::vector<std::string> pool = {"ア", "ソ", "表", "能", "茫", "然", "鼈", "甲", "驢",
                                         "馬", "瘡", "蓋", "ー", "ね", "こ", "漢", "①",  "ぁ"};
  // A word of the code page made of two-byte characters only.
  const auto isWord = [&](const std::string& sjis) {
    const std::optional<std::string> utf8 = codec.toUtf8(sjis);
    if (!utf8 || sjis.empty()) return false;
    const auto characters =
        std::count_if(utf8->begin(), utf8->end(), [](char c) { return (c & 0xC0) != 0x80; });
    return sjis.size() == 2 * static_cast<std::size_t>(characters);
  };
  std::mt19937 random(24);
  for (int round = 0; round < 400; ++round) {
    const bool utf8 = round % 2 == 1;
    const bool mark = utf8 && round % 10 == 1;
    const int lineCount = 1 + static_cast<int>(random() % 30);
    const unsigned spoilRate = random() % 50;  // percent
    std::string file = mark ? "\xEF\xBB\xBF" : "";
    std::vector<std::string> lines;  // in text mode
    int spoiled = 0;
    for (int n = 0; n < lineCount; ++n) {
      // Odd lengths in UTF-8 (three bytes a character) make no Shift_JIS word.
      const int length = utf8 ? 1 + 2 * static_cast<int>(random() % 2) : 1 + random() % 4;
      std::string line;
      for (int i = 0; i < length; ++i) line += pool[random() % pool.size()];
      if (!utf8) line = sj(line);
      if (random() % 100 < spoilRate) {
        ++spoiled;
        if (random() % 2 == 0) {
          line.insert(random() % (line.size() + 1), "\xFF");
        } else {
          line.pop_back();
        }
      }
      lines.push_back(line);
      file += line + (random() % 2 == 0 ? "\r\n" : "\n");
    }

    std::size_t shiftJisWords = 0;
    std::size_t utf8Words = 0;
    for (const std::string& line : lines) {
      shiftJisWords += isWord(line) ? 1 : 0;
      const std::optional<std::string> converted = codec.toCp932(line);
      utf8Words += converted && isWord(*converted) ? 1 : 0;
    }
    const bool readAsUtf8 = mark || utf8Words > shiftJisWords;
    Words expected;
    int skipped = 0;
    int first = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
      const std::optional<std::string> text =
          readAsUtf8 ? codec.toCp932(lines[n])
                     : (codec.toUtf8(lines[n]) ? std::optional(lines[n]) : std::nullopt);
      if (text) {
        expected.push_back(*text);
      } else if (skipped++ == 0) {
        first = static_cast<int>(n) + 1;
      }
    }
    if (2 * spoiled < lineCount) {
      ASSERT_EQ(readAsUtf8, utf8) << "round " << round;  // mostly one encoding is read in it
    }

    const DecodedWordList list = decodeWordList(toTextMode(file), &codec);
    EXPECT_EQ(list.encoding == WordListEncoding::Utf8, readAsUtf8) << "round " << round;
    Words read;
    for (std::size_t at = 0; at < list.text.size();) {
      const std::size_t lf = list.text.find('\n', at);
      read.push_back(list.text.substr(at, lf - at));
      at = lf + 1;
    }
    EXPECT_EQ(read, expected) << "round " << round;
    EXPECT_EQ(list.skippedLines, skipped) << "round " << round;
    EXPECT_EQ(list.firstSkippedLine, first) << "round " << round;
  }
}

// Two processes register 100 words each into one list at the same moment, into a plain list and
// into one that ends in 0x1A (where each registration replaces the file): every word lands.
TEST(DictionaryAppend, RegistrationsFromTwoProcessesAtOnceAllLand) {
  for (const std::string& start : {sj("ふゆ\r\n"), sj("ふゆ\r\n\x1A")}) {
    TempFolder folder;
    const std::string path = folder.path("shared.dic");
    writeBytes(path, start);
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
      children[child] = ::fork();
      ASSERT_GE(children[child], 0);
      if (children[child] == 0) {
        ::close(gate[1]);
        char go;
        const bool opened = ::read(gate[0], &go, 1) == 0;  // both start when the gate closes
        const WordListCodec& codec = wordListCodec();
        WordIndex index;
        int written = 0;
        for (int n = 0; n < 100; ++n) {
          const std::string typed = "p" + std::to_string(child) + "w" + std::to_string(n);
          written += registerWord(path, typed, index, &codec) == RegisterResult::Written ? 1 : 0;
        }
        ::_exit(opened && written == 100 ? 0 : 1);
      }
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children) {
      int status = -1;
      ::waitpid(child, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    WordIndex index;
    ASSERT_TRUE(loadDictionaryFile(path, index));
    EXPECT_EQ(index.wordCount(), 201u) << u8(start);
    for (int child = 0; child < 2; ++child) {
      for (int n = 0; n < 100; ++n) {
        const std::string word = toFullWidth("p" + std::to_string(child) + "w" + std::to_string(n));
        EXPECT_GE(index[lengthClass(word)].findWord(word), 0) << u8(word);
      }
    }
  }
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
