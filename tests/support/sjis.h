#pragma once

#include <string>
#include <string_view>

namespace vexilo {
class WordListCodec;
}

namespace vexilo::test {

// Shift_JIS bytes of a UTF-8 literal, so tests can be written with readable text.
std::string sj(std::string_view utf8);
// UTF-8 of Shift_JIS bytes, for readable failure messages.
std::string u8(std::string_view cp932);
// The window's converter between UTF-8 and code page 932, for the core's word lists.
const WordListCodec& wordListCodec();

}  // namespace vexilo::test
