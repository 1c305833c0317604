#include "dictionary/full_width.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sjis.h"

namespace vexilo {
namespace {

using test::sj;
using test::u8;

// The tables as printed for users: entry k is two bytes, one full-width character or two
// one-byte spaces.
const char* const AsciiTable =
    "  ！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮ"
    "ＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝"
    "￣  ";
const char* const KanaTable =
    "  。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソ"
    "タチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

TEST(FullWidth, EveryPrintableAsciiByteHasItsTableEntry) {
  const std::string table = sj(AsciiTable);
  ASSERT_EQ(table.size(), 96u * 2);
  for (int k = 0; k < 96; ++k) {
    const std::string one(1, static_cast<char>(0x20 + k));
    EXPECT_EQ(toFullWidth(one), table.substr(2 * k, 2)) << "byte " << 0x20 + k;
  }
}

TEST(FullWidth, EveryOneByteKatakanaHasItsTableEntry) {
  const std::string table = sj(KanaTable);
  ASSERT_EQ(table.size(), 64u * 2);
  for (int k = 0; k < 64; ++k) {
    const std::string one(1, static_cast<char>(0xA0 + k));
    EXPECT_EQ(toFullWidth(one), table.substr(2 * k, 2)) << "byte " << 0xA0 + k;
  }
}

TEST(FullWidth, WordsBecomeOneTwoByteUnitPerCharacter) {
  EXPECT_EQ(u8(toFullWidth("abc")), "ａｂｃ");
  EXPECT_EQ(u8(toFullWidth(sj("ｶﾞﾝ"))), "カ゛ン");
  EXPECT_EQ(toFullWidth("a b"), sj("ａ") + "  " + sj("ｂ"));
  EXPECT_EQ(u8(toFullWidth(sj("漢字とカナ"))), "漢字とカナ");
  EXPECT_EQ(u8(toFullWidth(sj("ｱ") + "1" + sj("あ"))), "ア１あ");
  EXPECT_EQ(toFullWidth(""), "");
}

TEST(FullWidth, BytesWithoutACharacterBecomeOneUnitOrNothing) {
  EXPECT_EQ(toFullWidth(std::string("\t\0\x7F\x80", 4)), std::string(8, ' '));
  EXPECT_EQ(toFullWidth("\x82 "), "    ");  // a lead byte before a byte that cannot follow it
  EXPECT_EQ(toFullWidth("\x82"), "  ");     // or at the very end
  EXPECT_EQ(toFullWidth("\xF0\xFF"
                        "a\xFC"),
            sj("ａ"));                             // lone bytes from 0xE0 are dropped
  EXPECT_EQ(toFullWidth("\xE0\x40"), "\xE0\x40");  // a character of the upper range stays
  EXPECT_EQ(u8(toFullWidth(sj("﨑髙"))), "﨑髙");  // and so do those of lead bytes 0xFA-0xFC
}

}  // namespace
}  // namespace vexilo
