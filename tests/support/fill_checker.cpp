#include "support/fill_checker.h"

#include <algorithm>
#include <set>

#include "dictionary/word_index.h"
#include "search/fill_model.h"
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

std::vector<RunStart> fillOrderOf(const SlotTable& table) {
  std::vector<RunStart> order;
  for (const int s : fillOrder(table)) {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    order.push_back({slot.row, slot.column, slot.direction == Across ? 0 : 1});
  }
  return order;
}

std::optional<std::string> checkFill(const PuzzleGrid& before, const PuzzleGrid& after,
                                     const std::vector<std::string>& words,
                                     const std::vector<RunStart>& order) {
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

  // Every run, in the order given, then the others.
  std::vector<std::vector<int>> runs;
  std::vector<RunStart> starts;
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
        starts.push_back({run[0] / GridSize, run[0] % GridSize, direction});
        runs.push_back(std::move(run));
      }
    }
  }
  std::vector<std::size_t> sequence;
  for (const RunStart& start : order) {
    for (std::size_t r = 0; r < starts.size(); ++r) {
      if (starts[r] == start) sequence.push_back(r);
    }
  }
  for (std::size_t r = 0; r < starts.size(); ++r) {
    if (std::find(sequence.begin(), sequence.end(), r) == sequence.end()) sequence.push_back(r);
  }

  std::set<std::string> used;
  std::set<int> owned;  // star cells taken by a run before
  for (const std::size_t r : sequence) {
    const std::vector<int>& run = runs[r];
    std::string word;
    std::string starLetter;
    for (const int c : run) {
      const std::string& text = after.cellAt(c).str;
      if (!isFullWidthLetter(text)) return "no letter at " + where(c);
      word += text;
    }
    for (const int c : run) {
      const std::string& text = after.cellAt(c).str;
      if (before.cellAt(c).flag != Star || !before.cellAt(c).str.empty()) continue;
      if (!owned.insert(c).second) continue;
      if (starLetter.empty()) {
        starLetter = text;
      } else if (starLetter != text) {
        return "star cells differ in the run through " + where(c);
      }
    }
    for (const int c : run) owned.insert(c);
    if (!dictionary.contains(word)) return u8(word) + " at " + where(run[0]) + " is no word";
    if (!used.insert(word).second) return u8(word) + " stands twice";
  }
  return std::nullopt;
}

}  // namespace vexilo::test
