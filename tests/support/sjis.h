#pragma once

#include <string>
#include <string_view>

namespace vexilo::test {

// Shift_JIS bytes of a UTF-8 literal, so tests can be written with readable text.
std::string sj(std::string_view utf8);
// UTF-8 of Shift_JIS bytes, for readable failure messages.
std::string u8(std::string_view cp932);

}  // namespace vexilo::test
