#pragma once

#include <string>
#include <string_view>

#include "dictionary/dictionary_file.h"
#include "puzzle/clues.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

// ipuz v2 crosswords (JSON, UTF-8). The used part of the grid is written: blocks "#", clue
// numbers of the single sequence as cell labels, given letters as the cell's "value", every
// letter in "solution", same-letter groups as a circle with the group's number in the
// bottom-right mark, and the clues under "Across" and "Down" with number, label and cells
// ([column, row], from 1). What ipuz has no place for (where the part stands in the 32 by 32
// grid, star cells, the numbering scheme, clues whose word is gone) goes into the
// "com.vexilo" member; docs/ipuz.md describes it. The codec converts the Shift_JIS texts.
std::string formatIpuz(const PuzzleGrid& grid, const PuzzleClues& clues,
                       const WordListCodec& codec);

// Reads an ipuz crossword, made by Vexilo or elsewhere. Every letter must become one full-width
// character; otherwise (and for a grid over 32 by 32, a broken document, a clue that names no
// word) false, error naming the first offending cell or member, and grid and clues unchanged.
bool parseIpuz(std::string_view bytes, const WordListCodec& codec, PuzzleGrid& grid,
               PuzzleClues& clues, std::string& error);

// A document that starts, after white space, with '{' is taken for ipuz, anything else for a
// crossword file.
bool looksLikeIpuz(std::string_view bytes);

}  // namespace vexilo
