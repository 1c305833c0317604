#pragma once

#include <string_view>

namespace vexilo {

inline constexpr int ListedWords = 1002;  // the result box shows no more
inline constexpr const char* TooMany = "too Many...";

// Line n of a text whose lines end in CR LF; empty past the last one.
inline std::string_view lineOf(std::string_view text, int n) {
  for (; n > 0; --n) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return {};
    text.remove_prefix(end + 2);
  }
  return text.substr(0, text.find("\r\n"));
}

// The word a line of the result box names: all of it up to the first space, which no Shift_JIS
// letter holds, so that a line may say more of its word after it.
inline std::string_view wordOfLine(std::string_view line) { return line.substr(0, line.find(' ')); }

}  // namespace vexilo
