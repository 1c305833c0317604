#include <string>
#include <string_view>

#include "app/main_dialog.h"

namespace vexilo {

namespace {

constexpr std::string_view EmptyLetter = "\x81\x45";  // ・
constexpr std::string_view AcrossSign = "\x89\xa1";   // 横
constexpr std::string_view DownSign = "\x8f\x63";     // 縦
constexpr std::string_view RowSign = "\x8d\x73";      // 行
constexpr std::string_view ColumnSign = "\x97\xf1";   // 列

std::string lettersOf(const PuzzleGrid& grid, const NumberedWord& word) {
  std::string letters;
  for (const int cell : wordCells(word)) {
    const std::string& letter = grid.cellAt(cell).str;
    letters += letter.empty() ? EmptyLetter : std::string_view(letter);
  }
  return letters;
}

// Where a word began that is gone, as the no-fill list names slots: 横 3行2列.
std::string placeOf(ClueKey key) {
  return std::string(key.direction == Across ? AcrossSign : DownSign) + " " +
         std::to_string(PuzzleGrid::rowOf(key.cell) + 1) + std::string(RowSign) +
         std::to_string(PuzzleGrid::columnOf(key.cell) + 1) + std::string(ColumnSign);
}

bool holdsCell(const NumberedWord* word, int cell) {
  if (word == nullptr) return false;
  for (const int c : wordCells(*word)) {
    if (c == cell) return true;
  }
  return false;
}

const NumberedWord* wordThrough(const std::vector<NumberedWord>& words, int cell) {
  for (const NumberedWord& word : words) {
    if (holdsCell(&word, cell)) return &word;
  }
  return nullptr;
}

}  // namespace

void MainDialog::refreshClues() {
  const Numbering numbering = clues.properties.numbering;
  const WordNumbers words = numberWords(grid, numbering);
  std::vector<std::string> labels(CellCount);
  CluePanelData data;
  const auto list = [&](const std::vector<NumberedWord>& numbered, std::vector<ClueRow>& rows) {
    for (const NumberedWord& word : numbered) {
      labels[static_cast<std::size_t>(word.key.cell)] = words.cellLabel(word.key.cell, numbering);
      rows.push_back({word.key, word.label, lettersOf(grid, word), clues.textOf(word.key)});
    }
  };
  list(words.down, data.down);
  list(words.across, data.across);
  for (const ClueKey& key : setAsideClues(clues, words)) {
    data.aside.push_back({key, placeOf(key), {}, clues.textOf(key)});
  }
  data.keyword = keywordLetters(grid);
  if (cellLabels.size() != labels.size()) {
    invalidateCell(-1);
  } else {
    for (int i = 0; i < CellCount; ++i) {
      if (labels[static_cast<std::size_t>(i)] != cellLabels[static_cast<std::size_t>(i)]) {
        invalidateCell(i);
      }
    }
  }
  cellLabels = std::move(labels);
  if (data != cluePanel) {
    cluePanel = std::move(data);
    platform.showClues(cluePanel);
  }
  if (selectedWord && words.find(*selectedWord) == nullptr) {
    selectedWord.reset();
    platform.selectClue(std::nullopt);
    invalidateCell(-1);
  }
}

void MainDialog::OnClueEdited(ClueKey key, std::string_view text) {
  ++commandsRun;
  if (clues.textOf(key) == text) return;
  clues.setText(key, std::string(text));
  recordStep();
}

void MainDialog::OnClueSelected(ClueKey key) {
  if (selectedWord == key) return;
  selectedWord = key;
  invalidateCell(-1);
}

void MainDialog::selectWordAt(int cell) {
  const WordNumbers words = numberWords(grid, clues.properties.numbering);
  const NumberedWord* across = wordThrough(words.across, cell);
  const NumberedWord* down = wordThrough(words.down, cell);
  // A press inside the selected word turns to the word crossing it there.
  SlotDirection wanted = selectedWord ? selectedWord->direction : Across;
  if (selectedWord && holdsCell(words.find(*selectedWord), cell)) {
    wanted = wanted == Across ? Down : Across;
  }
  const NumberedWord* chosen = wanted == Across ? (across ? across : down) : (down ? down : across);
  if (chosen == nullptr || selectedWord == chosen->key) return;
  selectedWord = chosen->key;
  platform.selectClue(selectedWord);
  invalidateCell(-1);
}

void MainDialog::forgetClues() {
  const Numbering numbering = clues.properties.numbering;
  clues = {};  // a new puzzle, numbered as the last
  clues.properties.numbering = numbering;
  clueFileNoteShown = false;
  selectedWord.reset();
}

void MainDialog::ShowCluePanel() {
  cluePanelShown = !cluePanelShown;
  platform.showCluePanel(cluePanelShown);
  platform.setChecked(IdCluePanel, cluePanelShown);
}

void MainDialog::EditPuzzleProperties() {
  PuzzleProperties properties = clues.properties;
  if (!platform.runPuzzleProperties(properties)) return;
  clues.properties = properties;  // the step is recorded as every command's
}

}  // namespace vexilo
