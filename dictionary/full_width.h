#pragma once

#include <string>
#include <string_view>

namespace vexilo {

// One-byte ASCII and katakana become two-byte full-width characters and two-byte characters
// are kept, so every character of the result is one two-byte unit. A byte 0xE0-0xFF that
// starts no two-byte character is dropped.
std::string toFullWidth(std::string_view text);

}  // namespace vexilo
