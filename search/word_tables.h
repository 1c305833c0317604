#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/word_index.h"
#include "search/word_bits.h"
#include "search/word_slot.h"

namespace vexilo {

// The words of one slot length, each once, in priority order, with one word set per letter
// that stands at a position. A word is named by its number here, its place in that order.
struct LengthWords {
  LengthWords() = default;
  LengthWords(const LengthWords&) = delete;  // `sets` points into the storage
  LengthWords& operator=(const LengthWords&) = delete;

  int length = 0;
  int count = 0;
  int blocks = 0;  // of a word set
  int letterCount = 0;
  std::vector<std::string_view> words;
  std::vector<std::uint32_t> ranks;  // per word: ascending, since the order is the same
  std::vector<int> letters;          // count * length letter ids
  // [position * letterCount + letter]: its set, numbered over all positions, or -1. One flat
  // table and one flat list of sets, since the solver looks them up for every letter it checks.
  std::vector<int> setIndex;
  std::vector<WordSet> sets;
  std::vector<std::vector<Bits>> dense;  // [position]: storage of the dense sets, `blocks` each
  std::vector<std::vector<int>> sparse;  // [position]: storage of the sparse sets' words

  int letterAt(int word, int position) const {
    return letters[static_cast<std::size_t>(word * length + position)];
  }
  int setAt(int position, int letter) const {
    return letter >= 0 && letter < letterCount
               ? setIndex[static_cast<std::size_t>(position * letterCount + letter)]
               : -1;
  }
  const WordSet& setOf(int set) const { return sets[static_cast<std::size_t>(set)]; }
  int setCount() const { return static_cast<int>(sets.size()); }
  // The words with the letter at the position; an empty set when there is none.
  WordSet wordsWith(int position, int letter) const {
    const int set = setAt(position, letter);
    return set < 0 ? WordSet{} : setOf(set);
  }
  // The number of words of rank below `rank`: the words a bound of `rank` keeps.
  int countBelow(std::uint32_t rank) const;
  // The number of the word, or -1.
  int find(std::string_view word) const;
  std::size_t bytes() const;
};

// What the fast engine reads of the dictionaries, built once per dictionary set and never
// changed while a search reads it: every word's rank and, per slot length asked for, its
// LengthWords. A rank is the word's place in the priority order, from 1: row 1, 2, 3, file
// order within a row, after folding, each word counted at its first appearance.
class WordTables {
 public:
  explicit WordTables(const WordIndex& index);
  WordTables(const WordTables&) = delete;
  WordTables& operator=(const WordTables&) = delete;

  // Still built from the index as it stands. The views into its words stay valid while true.
  bool describes(const WordIndex& index) const;
  // Builds the tables of the lengths not built yet; never while a search reads these tables.
  void prepare(int length);
  const LengthWords& length(int n) const { return *lengths_[static_cast<std::size_t>(n)]; }
  bool prepared(int n) const { return lengths_[static_cast<std::size_t>(n)] != nullptr; }

  // Letter ids: every two-byte character that stands in some word.
  int letterId(std::string_view text) const;  // -1: no word has it
  const std::string& letterText(int id) const { return letterTexts_[static_cast<std::size_t>(id)]; }
  int letterCount() const { return static_cast<int>(letterTexts_.size()); }
  std::uint32_t wordCount() const { return distinct_; }  // the largest rank

  std::size_t bytes() const;

 private:
  const WordIndex& index_;
  std::uint64_t changes_;
  std::size_t indexWords_;
  std::uint32_t distinct_ = 0;
  std::array<std::vector<std::uint32_t>, LengthClasses> ranks_;  // by class and number; 0: again
  std::vector<int> letterIds_;                                   // by two-byte code
  std::vector<std::string> letterTexts_;
  std::array<std::unique_ptr<LengthWords>, MaxSlotLength + 1> lengths_;
};

}  // namespace vexilo
