#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/word_index.h"
#include "puzzle/puzzle_grid.h"
#include "search/fill_search.h"
#include "search/word_slot.h"

namespace vexilo {

enum class FastOutcome {
  Filled,         // the grid holds a fill and every slot its candidate list
  NoFill,         // proven: no fill exists
  NoFurtherFill,  // every fill has been shown since the last fresh start
  Stopped,        // the search state left SearchRunning
};

// A slot that keeps the grid from being filled, with the number of words that fit its given
// letters and marks alone.
struct BlockingSlot {
  int slot = 0;
  std::size_t candidates = 0;
};

// The complete fill engine: one letter variable per open cell (mark groups and the empty star
// cells of a slot merged), one word per slot, no word twice in the grid, given letters kept.
// Propagates to a fixpoint between slot domains and letters, branches on the slot with the
// fewest words per failure, tries words in dictionary priority order. Deterministic.
class FastFill {
 public:
  FastFill();
  ~FastFill();
  FastFill(const FastFill&) = delete;
  FastFill& operator=(const FastFill&) = delete;

  // The grid must be prepared (search letters cleared, given letters spread) and the table
  // extracted from it. A run after Filled on the same grid, table and index continues with the
  // next fill; any other run starts afresh. Writes the fill, or nothing, into the grid, and the
  // candidate lists into the table.
  FastOutcome run(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FillHost& host);
  // The next run starts afresh: to be called whenever the grid, table or index changed.
  void forget();

  // Of the last run.
  std::uint64_t decisions() const { return decisions_; }
  std::uint64_t backtracks() const { return backtracks_; }
  std::uint64_t wordsPlaced() const { return wordsPlaced_; }
  // After NoFill: the slots with no word at all, else those that failed most (at most five).
  const std::vector<BlockingSlot>& blocking() const { return blocking_; }
  bool blockedByEmptySlot() const { return blockedByEmptySlot_; }
  // Bytes taken by the word sets per (position, letter) that the last fresh run built.
  std::size_t wordSetBytes() const { return wordSetBytes_; }

  class Solver;

 private:
  std::unique_ptr<Solver> solver_;  // kept after Filled, so that the next run continues
  bool resumable_ = false;          // the last run ended on a fill
  std::uint64_t decisions_ = 0;
  std::uint64_t backtracks_ = 0;
  std::uint64_t wordsPlaced_ = 0;
  std::vector<BlockingSlot> blocking_;
  bool blockedByEmptySlot_ = false;
  std::size_t wordSetBytes_ = 0;
};

// "横 3行2列 7文字 ア・・・・・ン: 0語" in Shift_JIS: direction, first cell counted from 1,
// length, the given letters (・ open, ＊ star), and the number of words.
std::string blockingSlotLine(const PuzzleGrid& grid, const WordSlot& slot, std::size_t candidates);

}  // namespace vexilo
