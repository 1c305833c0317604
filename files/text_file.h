#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// The bytes a text-mode read gives: every CR LF becomes LF, and a 0x1A byte ends the data.
std::string toTextMode(std::string_view raw);

// The whole file as a text-mode read gives it; nothing when it cannot be opened or is not a
// regular file. A read error part-way ends the data there, as the end of the file would.
// Readers that use only the start of a file pass how many of its bytes they can need.
std::optional<std::string> readTextFile(
    const std::string& path, std::size_t byteLimit = std::numeric_limits<std::size_t>::max());

// Takes text as a line reader with a 512-byte buffer does: each piece runs up to and including
// the next LF, but holds at most 511 bytes.
class PieceReader {
 public:
  static constexpr std::size_t MaxPiece = 511;

  explicit PieceReader(std::string_view text) : rest_(text) {}
  // The next piece, LF included when it has one; false at the end of the text.
  bool next(std::string_view& piece);

 private:
  std::string_view rest_;
};

}  // namespace vexilo
