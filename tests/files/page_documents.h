#pragma once

#include <string>
#include <string_view>

#include "puzzle/puzzle_grid.h"

namespace vexilo::test {

// A document written in UTF-8 with LF line ends, as the export writes it: Shift_JIS, CR LF.
std::string document(std::string_view utf8);

// The 2 by 2 square: fixed ア, open イ in group 0, a black cell, starred カ; nextMark 1.
PuzzleGrid workedExample();
// Its pages as they must come out, byte for byte.
std::string workedExampleHtml();
std::string workedExamplePhp();

// Fixed parts of the PHP page, in UTF-8 with LF line ends.
extern const char* const ReadingBlock;  // from the reading of the visitor's values to <FORM>
extern const char* const GradingBlock;  // from the submit button to the end

}  // namespace vexilo::test
