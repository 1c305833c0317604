#include "support/fill_checker.h"

#include <set>

#include "dictionary/word_index.h"
#include "support/sjis.h"

namespace vexilo::test {

namespace {

bool isOpen(const NodeBox& cell) { return cell.flag != Block; }

bool isFullWidthLetter(const std::string& text) {
  if (text.size() != 2) return false;
  const auto lead = static_cast<unsigned char>(text[0]);
  return (0x81 <= lead && lead <= 0x9F) || (0xE0 <= lead && lead <= 0xFC);
}

std::string where(int cell) {
  return "row " + std::to_string(cell / GridSize + 1) + " column " +
         std::to_string(cell % GridSize + 1);
}

}  // namespace

std::optional<std::string> checkFill(const PuzzleGrid& before, const PuzzleGrid& after,
                                     const std::vector<std::string>& words) {
  std::set<std::string> dictionary;
  for (const std::string& word : words) dictionary.insert(foldSmallKana(word));

  for (int c = 0; c < CellCount; ++c) {
    const NodeBox& was = before.cellAt(c);
    const NodeBox& is = after.cellAt(c);
    if (was.flag != is.flag || (isOpen(was) && was.mark != is.mark)) {
      return "the layout changed at " + where(c);
    }
    if (isOpen(was) && !was.str.empty() && was.str != is.str) {
      return "a given letter changed at " + where(c);
    }
  }
  for (int c = 0; c < CellCount; ++c) {
    const NodeBox& cell = after.cellAt(c);
    if (!isOpen(cell) || cell.mark == -1) continue;
    for (int d = c + 1; d < CellCount; ++d) {
      const NodeBox& other = after.cellAt(d);
      if (isOpen(other) && other.mark == cell.mark && other.str != cell.str) {
        return "mark group " + std::to_string(cell.mark + 1) + " disagrees at " + where(c) +
               " and " + where(d);
      }
    }
  }

  std::set<std::string> used;
  for (int direction = 0; direction < 2; ++direction) {
    for (int line = 0; line < GridSize; ++line) {
      int step = 0;
      while (step < GridSize) {
        std::vector<int> run;
        auto cellAt = [&](int k) {
          return direction == 0 ? line * GridSize + k : k * GridSize + line;
        };
        while (step < GridSize && isOpen(after.cellAt(cellAt(step)))) run.push_back(cellAt(step++));
        ++step;
        if (run.size() < 2) continue;
        std::string word;
        std::string starLetter;
        for (const int c : run) {
          const std::string& text = after.cellAt(c).str;
          if (!isFullWidthLetter(text)) return "no letter at " + where(c);
          word += text;
          if (before.cellAt(c).flag != Star || !before.cellAt(c).str.empty()) continue;
          if (starLetter.empty()) {
            starLetter = text;
          } else if (starLetter != text) {
            return "star cells differ in the run through " + where(c);
          }
        }
        if (!dictionary.contains(word)) return u8(word) + " at " + where(run[0]) + " is no word";
        if (!used.insert(word).second) return u8(word) + " stands twice";
      }
    }
  }
  return std::nullopt;
}

}  // namespace vexilo::test
