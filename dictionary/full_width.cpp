#include "dictionary/full_width.h"

#include <algorithm>

#include "puzzle/shift_jis.h"

namespace vexilo {

namespace {

// Entry k stands for the one-byte character 0x20 + k.
constexpr char FullWidthAscii[] =
    "  "        // 0x20: two one-byte spaces
    "\x81\x49"  // ！
    "\x81\x68"  // ”
    "\x81\x94"  // ＃
    "\x81\x90"  // ＄
    "\x81\x93"  // ％
    "\x81\x95"  // ＆
    "\x81\x66"  // ’
    "\x81\x69"  // （
    "\x81\x6A"  // ）
    "\x81\x96"  // ＊
    "\x81\x7B"  // ＋
    "\x81\x43"  // ，
    "\x81\x7C"  // －
    "\x81\x44"  // ．
    "\x81\x5E"  // ／
    "\x82\x4F"  // ０
    "\x82\x50"  // １
    "\x82\x51"  // ２
    "\x82\x52"  // ３
    "\x82\x53"  // ４
    "\x82\x54"  // ５
    "\x82\x55"  // ６
    "\x82\x56"  // ７
    "\x82\x57"  // ８
    "\x82\x58"  // ９
    "\x81\x46"  // ：
    "\x81\x47"  // ；
    "\x81\x83"  // ＜
    "\x81\x81"  // ＝
    "\x81\x84"  // ＞
    "\x81\x48"  // ？
    "\x81\x97"  // ＠
    "\x82\x60"  // Ａ
    "\x82\x61"  // Ｂ
    "\x82\x62"  // Ｃ
    "\x82\x63"  // Ｄ
    "\x82\x64"  // Ｅ
    "\x82\x65"  // Ｆ
    "\x82\x66"  // Ｇ
    "\x82\x67"  // Ｈ
    "\x82\x68"  // Ｉ
    "\x82\x69"  // Ｊ
    "\x82\x6A"  // Ｋ
    "\x82\x6B"  // Ｌ
    "\x82\x6C"  // Ｍ
    "\x82\x6D"  // Ｎ
    "\x82\x6E"  // Ｏ
    "\x82\x6F"  // Ｐ
    "\x82\x70"  // Ｑ
    "\x82\x71"  // Ｒ
    "\x82\x72"  // Ｓ
    "\x82\x73"  // Ｔ
    "\x82\x74"  // Ｕ
    "\x82\x75"  // Ｖ
    "\x82\x76"  // Ｗ
    "\x82\x77"  // Ｘ
    "\x82\x78"  // Ｙ
    "\x82\x79"  // Ｚ
    "\x81\x6D"  // ［
    "\x81\x8F"  // ￥
    "\x81\x6E"  // ］
    "\x81\x4F"  // ＾
    "\x81\x51"  // ＿
    "\x81\x4D"  // ｀
    "\x82\x81"  // ａ
    "\x82\x82"  // ｂ
    "\x82\x83"  // ｃ
    "\x82\x84"  // ｄ
    "\x82\x85"  // ｅ
    "\x82\x86"  // ｆ
    "\x82\x87"  // ｇ
    "\x82\x88"  // ｈ
    "\x82\x89"  // ｉ
    "\x82\x8A"  // ｊ
    "\x82\x8B"  // ｋ
    "\x82\x8C"  // ｌ
    "\x82\x8D"  // ｍ
    "\x82\x8E"  // ｎ
    "\x82\x8F"  // ｏ
    "\x82\x90"  // ｐ
    "\x82\x91"  // ｑ
    "\x82\x92"  // ｒ
    "\x82\x93"  // ｓ
    "\x82\x94"  // ｔ
    "\x82\x95"  // ｕ
    "\x82\x96"  // ｖ
    "\x82\x97"  // ｗ
    "\x82\x98"  // ｘ
    "\x82\x99"  // ｙ
    "\x82\x9A"  // ｚ
    "\x81\x6F"  // ｛
    "\x81\x62"  // ｜
    "\x81\x70"  // ｝
    "\x81\x50"  // ￣
    "  ";       // 0x7F: two one-byte spaces
static_assert(sizeof(FullWidthAscii) == 96 * 2 + 1);

// Entry k stands for the one-byte character 0xA0 + k.
constexpr char FullWidthKana[] =
    "  "         // 0xA0: two one-byte spaces
    "\x81\x42"   // 。
    "\x81\x75"   // 「
    "\x81\x76"   // 」
    "\x81\x41"   // 、
    "\x81\x45"   // ・
    "\x83\x92"   // ヲ
    "\x83\x40"   // ァ
    "\x83\x42"   // ィ
    "\x83\x44"   // ゥ
    "\x83\x46"   // ェ
    "\x83\x48"   // ォ
    "\x83\x83"   // ャ
    "\x83\x85"   // ュ
    "\x83\x87"   // ョ
    "\x83\x62"   // ッ
    "\x81\x5B"   // ー
    "\x83\x41"   // ア
    "\x83\x43"   // イ
    "\x83\x45"   // ウ
    "\x83\x47"   // エ
    "\x83\x49"   // オ
    "\x83\x4A"   // カ
    "\x83\x4C"   // キ
    "\x83\x4E"   // ク
    "\x83\x50"   // ケ
    "\x83\x52"   // コ
    "\x83\x54"   // サ
    "\x83\x56"   // シ
    "\x83\x58"   // ス
    "\x83\x5A"   // セ
    "\x83\x5C"   // ソ
    "\x83\x5E"   // タ
    "\x83\x60"   // チ
    "\x83\x63"   // ツ
    "\x83\x65"   // テ
    "\x83\x67"   // ト
    "\x83\x69"   // ナ
    "\x83\x6A"   // ニ
    "\x83\x6B"   // ヌ
    "\x83\x6C"   // ネ
    "\x83\x6D"   // ノ
    "\x83\x6E"   // ハ
    "\x83\x71"   // ヒ
    "\x83\x74"   // フ
    "\x83\x77"   // ヘ
    "\x83\x7A"   // ホ
    "\x83\x7D"   // マ
    "\x83\x7E"   // ミ
    "\x83\x80"   // ム
    "\x83\x81"   // メ
    "\x83\x82"   // モ
    "\x83\x84"   // ヤ
    "\x83\x86"   // ユ
    "\x83\x88"   // ヨ
    "\x83\x89"   // ラ
    "\x83\x8A"   // リ
    "\x83\x8B"   // ル
    "\x83\x8C"   // レ
    "\x83\x8D"   // ロ
    "\x83\x8F"   // ワ
    "\x83\x93"   // ン
    "\x81\x4A"   // ゛
    "\x81\x4B";  // ゜
static_assert(sizeof(FullWidthKana) == 64 * 2 + 1);

std::string_view entry(const char* table, int k) { return {table + 2 * k, 2}; }

}  // namespace

std::string toFullWidth(std::string_view text) {
  std::string result;
  result.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto a = static_cast<unsigned char>(text[i]);
    const bool pair = isLeadByte(a) && i + 1 < text.size() &&
                      isTrailByte(static_cast<unsigned char>(text[i + 1]));
    if (pair) {
      result.append(text.substr(i, 2));
      ++i;
    } else if (a < 0x80) {
      result.append(entry(FullWidthAscii, std::max(a - 0x20, 0)));
    } else if (a <= 0xDF) {
      result.append(entry(FullWidthKana, std::max(a - 0xA0, 0)));  // 0x80-0xA0: two spaces
    }
  }
  return result;
}

}  // namespace vexilo
