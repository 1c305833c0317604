#include <algorithm>
#include <string>

#include "dictionary/full_width.h"
#include "files/text_file.h"
#include "fuzz/targets.h"
#include "ui/cp932_codec.h"

namespace vexilo::fuzz {

namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";  // U+FFFD

bool isLeadByte(unsigned char a) { return (a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC); }
bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Every unit of a full-width text is two bytes: a lead and a trail byte, or two spaces (what
// the conversion gives for spaces and control bytes).
void checkFullWidth(std::string_view input) {
  const std::string wide = toFullWidth(input);
  require(wide.size() % 2 == 0, "full width gave an odd number of bytes");
  require(wide.size() <= 2 * input.size(), "full width gave more than two bytes a byte");
  for (std::size_t i = 0; i < wide.size(); i += 2) {
    const auto a = static_cast<unsigned char>(wide[i]);
    const auto b = static_cast<unsigned char>(wide[i + 1]);
    require((isLeadByte(a) && isTrailByte(b)) || (a == ' ' && b == ' '),
            "full width gave a unit that is not one two-byte character");
  }
}

std::size_t countIf(std::string_view text, bool (*test)(char)) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), test));
}

// The first stage of every file reader: a text-mode read keeps the bytes before the first
// Ctrl-Z and drops only CRs, each one before an LF.
void checkTextMode(std::string_view input) {
  const std::string text = toTextMode(input);
  const std::string_view kept = input.substr(0, std::min(input.find('\x1A'), input.size()));
  auto isLf = [](char c) { return c == '\n'; };
  auto isOther = [](char c) { return c != '\r'; };
  require(countIf(text, isOther) == countIf(kept, isOther),
          "text mode dropped a byte other than a CR, or kept a byte after a Ctrl-Z");
  require(kept.size() - text.size() <= countIf(kept, isLf), "text mode dropped a CR before no LF");
}

void checkConversions(std::string_view input) {
  const std::string utf8 = cp932ToUtf8(input);
  require(isUtf8(utf8), "code page 932 to UTF-8 gave malformed UTF-8");

  // Whatever the UTF-8, the code-page-932 text is well formed: it converts back without a
  // replacement character.
  const std::string cp932 = utf8ToCp932(input);
  require(cp932ToUtf8(cp932).find(Replacement) == std::string::npos,
          "UTF-8 to code page 932 gave a byte that starts no character");

  // Valid code-page-932 text survives the way to UTF-8 and back, up to the characters the code
  // page holds twice, which come back under one of their codes.
  if (utf8.find(Replacement) == std::string::npos) {
    const std::string back = utf8ToCp932(utf8);
    require(cp932ToUtf8(back) == utf8, "code page 932 text did not survive UTF-8 and back");
  }
}

}  // namespace

void textTarget(std::string_view input) {
  checkTextMode(input);
  checkFullWidth(input);
  checkConversions(input);
}

}  // namespace vexilo::fuzz
