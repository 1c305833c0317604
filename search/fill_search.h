#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dictionary/word_index.h"
#include "puzzle/puzzle_grid.h"
#include "search/fill_host.h"
#include "search/word_slot.h"

namespace vexilo {

class BannedWords;

enum FillResult : std::int32_t {
  FillFailed = 0,  // the slot is left empty
  FillDone = 1,    // filled, no saved position
  FillMore = 2,    // filled, and the cursor holds where the next run continues
};

// Bytes 2i and 2i+1 of the word; fewer, or none, past its end.
std::string_view letterAt(std::string_view word, int i);

// A word is a candidate for a slot of n cells only when it is exactly n two-byte characters.
bool isSlotWord(std::string_view word, int length);

struct KnownLetter {
  int position = 0;
  std::string letter;  // empty: nothing known, walk every word of the class
};
KnownLetter firstKnownLetter(const PuzzleGrid& grid, const WordSlot& slot);

// The word agrees with the letters, star cells and mark groups the grid holds now.
bool wordFits(const PuzzleGrid& grid, const WordSlot& slot, std::string_view word);

// The preparation of a run: letters of the last search cleared from Open and Star cells,
// then each Fixed letter with a mark copied over its mark group.
void clearSearchLetters(PuzzleGrid& grid, FillHost& host);
void spreadFixedLetters(PuzzleGrid& grid, FillHost& host);

// One run of the fill over a slot table. Made for one run: it counts the words listed in the
// candidate lists as it finds them and keeps that count exact while it changes them.
class FillSearch {
 public:
  // Banned words are passed over as if they did not fit.
  FillSearch(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FillHost& host,
             const BannedWords* banned = nullptr);

  // fillSlot on every group root in table order.
  void fillGroups();
  // The first candidate of every listed slot written once more, then nothing left placed.
  void placeFirstCandidates();

  FillResult fillSlot(int i);
  bool wordInUse(int i, std::string_view word) const;
  void placeWord(int i, std::string_view word);
  void removeWord(int i);
  void resetGroup(int i);
  // placed taken back from every slot without touching the cells.
  void forgetPlaced();

  // Empty when the use counts agree with the candidate lists, else what disagrees. With
  // checkInvariants set, checked after every candidate (tests, fuzz targets); throws on a fault.
  std::string invariantFault() const;
  bool checkInvariants = false;

  std::uint64_t candidatesTested() const { return candidatesTested_; }
  std::uint64_t wordsPlaced() const { return wordsPlaced_; }

 private:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  // Per word: the slots whose lists hold it, with the number of times.
  using Listings = std::vector<std::pair<std::int32_t, std::int32_t>>;
  using UseMap = std::unordered_map<std::string, Listings, TextHash, std::equal_to<>>;

  WordSlot& slot(int i) { return table_.slots[static_cast<std::size_t>(i)]; }
  const WordSlot& slot(int i) const { return table_.slots[static_cast<std::size_t>(i)]; }
  UseMap& usesOf(int i) { return uses_[static_cast<std::size_t>(slot(i).length)]; }

  void noteListed(int i, const std::string& word);
  void noteUnlisted(int i, const std::string& word);
  void appendCandidate(int i, std::string word);
  void dropLastCandidate(int i);
  void clearCandidates(int i);

  PuzzleGrid& grid_;
  const WordIndex& index_;
  SlotTable& table_;
  FillHost& host_;
  const BannedWords* banned_;      // null or empty: nothing banned
  std::vector<UseMap> uses_;       // by slot length
  std::uint64_t gridChanges_ = 0;  // pumps that ran a command, so patterns are gathered anew
  std::uint64_t candidatesTested_ = 0;
  std::uint64_t wordsPlaced_ = 0;
};

}  // namespace vexilo
