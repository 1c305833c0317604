#pragma once

#include <string>
#include <string_view>

#include "dictionary/dictionary_file.h"
#include "files/atomic_file.h"
#include "puzzle/clues.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

enum class OpenResult {
  Opened,
  CouldNotOpen,  // missing, no access, not a regular file, or no crossword file
  NotHeld,       // an ipuz document Vexilo cannot hold; the error names why
};

// Opens a crossword file or an ipuz crossword, told apart by content. A crossword file is read
// as ever (cells without a line keep what they held) and leaves no clues or properties; an ipuz
// document replaces grid and clues whole, or changes neither.
OpenResult openPuzzleFile(const std::string& path, const WordListCodec& codec, PuzzleGrid& grid,
                          PuzzleClues& clues, std::string& error);

// True when the file name ends in ".ipuz", in any case.
bool isIpuzPath(std::string_view path);

// Writes an ipuz document for an .ipuz name, a crossword file (the grid alone) otherwise.
// Not written, with any existing file as it was, when the file cannot be written in full.
FileWrite savePuzzleFile(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                         const WordListCodec& codec);

}  // namespace vexilo
