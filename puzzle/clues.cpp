#include "puzzle/clues.h"

#include <algorithm>
#include <string_view>

namespace vexilo {

namespace {

// ア イ ウ エ オ カ キ ク ケ コ サ シ ス セ ソ タ チ ツ テ ト ナ ニ ヌ ネ ノ ハ ヒ フ ヘ ホ マ ミ
// ム メ モ ヤ ユ ヨ ラ リ ル レ ロ ワ ヲ ン
constexpr std::string_view Kana =
    "\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4a\x83\x4c\x83\x4e\x83\x50\x83\x52\x83\x54"
    "\x83\x56\x83\x58\x83\x5a\x83\x5c\x83\x5e\x83\x60\x83\x63\x83\x65\x83\x67\x83\x69\x83\x6a"
    "\x83\x6b\x83\x6c\x83\x6d\x83\x6e\x83\x71\x83\x74\x83\x77\x83\x7a\x83\x7d\x83\x7e\x83\x80"
    "\x83\x81\x83\x82\x83\x84\x83\x86\x83\x88\x83\x89\x83\x8a\x83\x8b\x83\x8c\x83\x8d\x83\x8f"
    "\x83\x92\x83\x93";
constexpr int KanaCount = static_cast<int>(Kana.size() / 2);  // 46

bool isOpen(const PuzzleGrid& grid, int row, int column) {
  return row >= 0 && row < GridSize && column >= 0 && column < GridSize &&
         grid.cellAt(PuzzleGrid::indexOf(row, column)).flag != Block;
}

// Length of the run that starts at the cell in this direction; 0 when a run passes through it
// or none starts there.
int runFrom(const PuzzleGrid& grid, int row, int column, SlotDirection direction) {
  const int dr = direction == Down ? 1 : 0;
  const int dc = direction == Across ? 1 : 0;
  if (!isOpen(grid, row, column) || isOpen(grid, row - dr, column - dc)) return 0;
  int length = 0;
  while (isOpen(grid, row + length * dr, column + length * dc)) ++length;
  return length;
}

}  // namespace

void PuzzleClues::setText(ClueKey key, std::string text) {
  if (text.empty()) {
    texts.erase(key);
  } else {
    texts[key] = std::move(text);
  }
}

const std::string& PuzzleClues::textOf(ClueKey key) const {
  static const std::string none;
  const auto found = texts.find(key);
  return found == texts.end() ? none : found->second;
}

const NumberedWord* WordNumbers::find(ClueKey key) const {
  const std::vector<NumberedWord>& list = key.direction == Across ? across : down;
  const auto found = std::ranges::find(list, key, &NumberedWord::key);
  return found == list.end() ? nullptr : &*found;
}

std::string WordNumbers::cellLabel(int cell, Numbering numbering) const {
  const NumberedWord* downWord = find({cell, Down});
  const NumberedWord* acrossWord = find({cell, Across});
  if (numbering == Numbering::Sequence) {
    const NumberedWord* word = downWord ? downWord : acrossWord;
    return word ? word->label : std::string();
  }
  return (downWord ? downWord->label : "") + (acrossWord ? acrossWord->label : "");
}

std::string kanaLabel(int ordinal) {
  std::string label;
  for (int n = ordinal + 1; n > 0; n = (n - 1) / KanaCount) {
    const int letter = (n - 1) % KanaCount;
    label.insert(0, Kana.substr(static_cast<std::size_t>(letter) * 2, 2));
  }
  return label;
}

WordNumbers numberWords(const PuzzleGrid& grid, Numbering numbering) {
  WordNumbers words;
  int sequence = 0;
  for (int cell = 0; cell < CellCount; ++cell) {
    const int row = PuzzleGrid::rowOf(cell);
    const int column = PuzzleGrid::columnOf(cell);
    const int acrossLength = runFrom(grid, row, column, Across);
    const int downLength = runFrom(grid, row, column, Down);
    if (acrossLength < 2 && downLength < 2) continue;
    ++sequence;
    if (acrossLength >= 2) {
      const std::string label = numbering == Numbering::Sequence
                                    ? std::to_string(sequence)
                                    : kanaLabel(static_cast<int>(words.across.size()));
      words.across.push_back({{cell, Across}, acrossLength, sequence, label});
    }
    if (downLength >= 2) {
      const int shown =
          numbering == Numbering::Sequence ? sequence : static_cast<int>(words.down.size()) + 1;
      words.down.push_back({{cell, Down}, downLength, sequence, std::to_string(shown)});
    }
  }
  return words;
}

std::vector<int> wordCells(const NumberedWord& word) {
  std::vector<int> cells;
  const int step = word.key.direction == Across ? 1 : GridSize;
  for (int i = 0; i < word.length; ++i) cells.push_back(word.key.cell + i * step);
  return cells;
}

std::vector<ClueKey> setAsideClues(const PuzzleClues& clues, const WordNumbers& words) {
  std::vector<ClueKey> aside;
  for (const auto& [key, text] : clues.texts) {
    if (words.find(key) == nullptr) aside.push_back(key);
  }
  return aside;
}

std::vector<std::string> keywordLetters(const PuzzleGrid& grid) {
  std::vector<std::string> letters;
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& cell = grid.cellAt(i);
    if (cell.flag == Block || cell.mark < 0 || cell.mark >= CellCount) continue;
    const auto group = static_cast<std::size_t>(cell.mark);
    if (letters.size() <= group) letters.resize(group + 1);
    if (letters[group].empty()) letters[group] = cell.str;
  }
  return letters;
}

}  // namespace vexilo
