#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace vexilo::test {

// The non-empty lines of a word list as they stand (CR LF or LF), at most `limit` of them;
// none when the file cannot be read.
std::vector<std::string> fileWords(const std::string& path,
                                   std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace vexilo::test
