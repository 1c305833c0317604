#pragma once

#include <compare>
#include <map>
#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"

namespace vexilo {

// How the words of a puzzle are labelled. Stored as these numbers.
enum class Numbering : int {
  Magazine = 0,  // タテ 1, 2, 3 ...; ヨコ ア, イ, ウ ...
  Sequence = 1,  // one number per starting cell, shared by its across and down word
};

// Texts are Shift_JIS, as every puzzle text.
struct PuzzleProperties {
  std::string title;
  std::string author;
  std::string copyright;
  Numbering numbering = Numbering::Magazine;
  bool operator==(const PuzzleProperties&) const = default;
};

// A word is known by its first cell and its direction, so a clue stays with it while the
// labels around it change.
struct ClueKey {
  int cell = 0;
  SlotDirection direction = Across;
  auto operator<=>(const ClueKey&) const = default;
};

// What the author wrote beside the grid. A clue text is never empty: an emptied clue is gone.
struct PuzzleClues {
  PuzzleProperties properties;
  std::map<ClueKey, std::string> texts;
  bool operator==(const PuzzleClues&) const = default;

  // Sets or, with an empty text, removes the clue of a word.
  void setText(ClueKey key, std::string text);
  const std::string& textOf(ClueKey key) const;  // empty when none
  bool hasTexts() const { return !texts.empty(); }
};

// One word of the grid: a run of two or more open cells across or down.
struct NumberedWord {
  ClueKey key;
  int length = 0;
  int number = 0;     // the single sequence's number of its first cell, from 1
  std::string label;  // as shown: "3" or "ア" (Shift_JIS; digits are ASCII)
};

// The words in reading order of their first cells (rows top to bottom, cells left to right).
struct WordNumbers {
  std::vector<NumberedWord> across;
  std::vector<NumberedWord> down;

  const NumberedWord* find(ClueKey key) const;
  // What the first cell shows: the down number before the across label in the magazine
  // scheme ("3イ"), the one number in the single sequence; empty for no word's first cell.
  std::string cellLabel(int cell, Numbering numbering) const;
};

WordNumbers numberWords(const PuzzleGrid& grid, Numbering numbering);

// ア, イ ... ン for 0 to 45; past ン two letters, counted as with the columns of a sheet:
// アア, アイ ... アン, イア ... (and three letters past ンン).
std::string kanaLabel(int ordinal);

// The cells of a word, from its first.
std::vector<int> wordCells(const NumberedWord& word);

// Clues whose word is no longer in the grid, kept aside in key order.
std::vector<ClueKey> setAsideClues(const PuzzleClues& clues, const WordNumbers& words);

// The keyword of the same-letter groups: the letter of groups 1, 2, 3 ... as the grid holds
// them (the first letter found in the group; empty when none of its cells has one).
std::vector<std::string> keywordLetters(const PuzzleGrid& grid);

}  // namespace vexilo
