#pragma once

// What the whole-fill benchmarks share: their command line, how they cut the large dictionary
// down, and what counts as a fill.
//
//     BENCH [benchmark flags] [--budget=CANDIDATES] [DICTIONARY]

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/puzzle_grid.h"

namespace vexilo::bench {

// After benchmark::Initialize has taken its own flags.
inline void readArguments(int argc, char** argv, std::string& dictionary,
                          std::uint64_t& candidateBudget) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.starts_with("--budget=")) {
      candidateBudget = std::strtoull(argv[i] + 9, nullptr, 10);
    } else {
      dictionary = argument;
    }
  }
}

// The lines of the dictionary, each with its line end.
inline std::vector<std::string> dictionaryLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.emplace_back(text, start, end - start);
    start = end;
  }
  return lines;
}

// count words spread evenly over the whole file, so that every first letter stays in.
inline std::string spreadSelection(const std::vector<std::string>& lines, std::size_t count) {
  const std::size_t total = lines.size();
  std::string text;
  for (std::size_t i = 0; i < total; ++i) {
    if (i * count / total != (i + 1) * count / total) text += lines[i];
  }
  return text;
}

// The first count lines: with a dictionary ordered by commonness, the most common words.
inline std::string firstLines(const std::string& text, std::size_t count) {
  std::string lines;
  for (const std::string& line : dictionaryLines(text)) {
    if (count-- == 0) break;
    lines += line;
  }
  return lines;
}

inline bool everyOpenCellFilled(const PuzzleGrid& grid) {
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    if (cell.flag != Block && cell.str.empty()) return false;
  }
  return true;
}

}  // namespace vexilo::bench
