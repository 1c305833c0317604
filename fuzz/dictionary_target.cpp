#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "cli/headless_platform.h"
#include "dictionary/dictionary_file.h"
#include "files/text_file.h"
#include "fuzz/fill_rules.h"
#include "fuzz/targets.h"
#include "search/fill_search.h"
#include "support/fill_checker.h"

namespace vexilo::fuzz {

namespace {

// Candidates (or decisions of the fast engine) each search may take before Search is pressed
// again to stop it, so that a run stays short whatever the dictionary.
constexpr int CandidateBudget = 3000;

// A grid with a given letter, two star cells in one word and a numbered group of two cells in
// different words: F given カ, . open, * star, 0 open in group 0, # black.
constexpr const char* GridRows[] = {
    "F...#",
    ".#.#.",
    "*.*..",
    ".#0#0",
};

PuzzleGrid fixedGrid() {
  PuzzleGrid grid;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 5; ++column) {
      NodeBox& cell = grid.cellAt(PuzzleGrid::indexOf(row, column));
      switch (GridRows[row][column]) {
        case 'F': cell = NodeBox{"\x83\x4A", Fixed, -1}; break;  // カ
        case '.': cell = NodeBox{"", Open, -1}; break;
        case '*': cell = NodeBox{"", Star, -1}; break;
        case '0': cell = NodeBox{"", Open, 0}; break;
        default: break;
      }
    }
  }
  grid.setNextMark(1);
  return grid;
}

// The words of text-mode dictionary text, split here as a line reader with a 512-byte buffer
// takes them: lines, cut into pieces of 511 bytes, the LF counted in the piece.
std::vector<std::string> expectedWords(std::string_view text) {
  std::vector<std::string> words;
  std::string piece;
  for (const char c : text) {
    if (piece.size() == PieceReader::MaxPiece) {  // a full buffer ends the piece before the LF
      words.push_back(piece);
      piece.clear();
    }
    if (c == '\n') {
      words.push_back(piece);
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) words.push_back(piece);
  return words;
}

WordSets checkReader(std::string_view text, const WordIndex& index) {
  WordSets sets;
  std::array<std::vector<std::string>, LengthClasses> byClass;
  for (const std::string& word : expectedWords(text)) {
    const auto wordClass = std::min<std::size_t>(word.size() / 2, LengthClasses - 1);
    byClass[wordClass].push_back(foldSmallKana(word));
    sets[wordClass].insert(byClass[wordClass].back());
  }
  for (int c = 0; c < LengthClasses; ++c) {
    const LengthIndex& words = index[c];
    const auto& expected = byClass[static_cast<std::size_t>(c)];
    require(words.wordCount() == expected.size(), "the index holds another number of words");
    for (std::size_t n = 0; n < expected.size(); ++n) {
      require(words.word(n) == expected[n], "the index holds another word or order");
    }
  }
  return sets;
}

}  // namespace

void dictionaryTarget(std::string_view input) {
  cli::HeadlessPlatform platform(stderr);
  MemorySettingsStore settings;
  const auto dialog = std::make_unique<MainDialog>(platform, settings);
  dialog->pushControls();  // no dictionary row: the search uses the index loaded here
  dialog->checkSearchInvariants = true;

  const std::string text = toTextMode(input);  // as a dictionary file is read
  loadDictionaryText(text, dialog->wordIndex);
  const WordSets words = checkReader(text, dialog->wordIndex);

  const PuzzleGrid before = fixedGrid();
  dialog->grid = before;
  dialog->grid.setListener(dialog.get());
  int pumps = 0;
  platform.pumpHook = [&] {
    if (++pumps == CandidateBudget) dialog->OnCommand(IdSearch);
  };
  const std::vector<std::string> lines = expectedWords(text);
  // The second press of each engine continues from where the first one left it.
  for (const SearchEngine engine : {SearchEngine::DictionaryOrder, SearchEngine::Fast}) {
    dialog->ChooseSearchEngine(engine);
    for (int run = 0; run < 2; ++run) {
      pumps = 0;
      dialog->RunSearch();
      require(dialog->searchState == SearchIdle, "a search did not end idle");
      const bool filled =
          engine == SearchEngine::Fast
              ? dialog->fastOutcome == SearchEnd::Filled
              : std::all_of(dialog->slots.slots.begin(),
                            dialog->slots.slots.begin() + dialog->slots.slotCount,
                            [](const WordSlot& s) { return !s.candidates.empty(); });
      if (engine == SearchEngine::DictionaryOrder) {
        checkDictionaryOrderFill(before, dialog->grid, dialog->slots, words);
      }
      if (filled) {
        const std::optional<std::string> broken =
            test::checkFill(before, dialog->grid, lines, test::fillOrderOf(dialog->slots));
        require(!broken, "a fill breaks a rule: " + broken.value_or(""));
      }
    }
  }
}

}  // namespace vexilo::fuzz
