#include "files/puzzle_file.h"

#include <optional>

#include "files/atomic_file.h"
#include "files/crossword_file.h"
#include "files/ipuz_file.h"
#include "files/text_file.h"
#include "files/web_export.h"

namespace vexilo {

namespace {

constexpr std::size_t MaxPuzzleBytes = std::size_t{64} << 20;  // far above any 32 by 32 puzzle

}  // namespace

OpenResult openPuzzleFile(const std::string& path, const WordListCodec& codec, PuzzleGrid& grid,
                          PuzzleClues& clues, std::string& error) {
  const std::optional<std::string> text = readTextFile(path, MaxPuzzleBytes);
  if (!text) return OpenResult::CouldNotOpen;
  if (looksLikeIpuz(*text)) {
    return parseIpuz(*text, codec, grid, clues, error) ? OpenResult::Opened : OpenResult::NotHeld;
  }
  if (!readCrosswordText(*text, grid)) return OpenResult::CouldNotOpen;
  clues = {};
  return OpenResult::Opened;
}

bool isIpuzPath(std::string_view path) {
  const std::string extension = fileExtension(path);
  if (extension.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if ((extension[i] | 0x20) != "ipuz"[i]) return false;
  }
  return true;
}

FileWrite savePuzzleFile(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                         const WordListCodec& codec) {
  if (!isIpuzPath(path)) return saveCrosswordFile(path, grid);
  FileWrite result;
  result.written = writeFileAtomically(path, formatIpuz(grid, clues, codec));
  return result;
}

}  // namespace vexilo
