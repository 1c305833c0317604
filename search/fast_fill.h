#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dictionary/word_index.h"
#include "puzzle/puzzle_grid.h"
#include "search/fill_host.h"
#include "search/fill_model.h"
#include "search/fill_solver.h"
#include "search/word_slot.h"
#include "search/word_tables.h"

namespace vexilo {

class BannedWords;

// A slot that keeps the grid from being filled, with the number of words that fit its given
// letters and marks alone.
struct BlockingSlot {
  int slot = 0;
  std::size_t candidates = 0;
};

// How a fast run goes or went, for the status line and vexilo-cli.
struct FastProgress {
  std::uint64_t decisions = 0;
  std::uint64_t backtracks = 0;
  std::uint64_t restarts = 0;
  std::uint64_t nogoods = 0;
  std::uint64_t wordsPlaced = 0;
  std::uint32_t worstRank = 0;  // of the best fill found so far; 0: none yet
  std::uint64_t rankSum = 0;
  bool proven = false;      // no fill has a smaller worst rank
  double closedShare = -1;  // of the space of the part searched now; -1: unknown
};

struct FastFillSettings {
  bool firstOnly = false;  // stop at the first fill instead of proving the best
  // Threads that search each part of the grid; 0: one per core of the machine. Further fills,
  // and parts that must be filled together after all, take one.
  int threads = 1;
  SolverSwitches switches;
  // Work (64-bit blocks handled) a further fill may spend improving its first find: up to about
  // a second, the same on every run. A fifth of that stopped the 13x13 sample's further fills
  // short of the proof, at four times the best fill's worst rank.
  std::uint64_t furtherFillWork = 200'000'000;
  // Work a best fill may spend after its proof on one of the same worst rank with a smaller
  // sum of ranks, branching on words: about a fifth of a second at most, a quarter of that
  // when it finds none.
  std::uint64_t polishWork = 40'000'000;
  // Fill only these slots (table indices; empty: all). See FillOptions.
  std::vector<int> slots;
  // A run that reaches it ends with the best fill found, unproven.
  std::optional<std::chrono::steady_clock::time_point> deadline;
};

// The complete fill engine (高速検索): one letter variable per open cell, one word per slot,
// no word twice in the grid, given letters kept, words by rank. A run fills the grid with the
// best fill, whose worst rank (then sum of ranks) is the smallest possible, proven; each part
// of the grid on its own. The tables are kept while the dictionaries stay as they are.
// A run after Filled with nothing changed gives a fill that differs from every fill shown since
// in at least a third of the slots. Deterministic. Draws through the host only what it found.
class FastFill {
 public:
  FastFill();
  ~FastFill();
  FastFill(const FastFill&) = delete;
  FastFill& operator=(const FastFill&) = delete;

  // The grid must be prepared (search letters cleared, given letters spread) and the table
  // extracted from it. Writes the fill (with no fill, the fill of the parts that have one)
  // into the grid and the candidate lists into the table.
  SearchEnd run(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FillHost& host,
                const BannedWords* banned = nullptr);
  // The next run starts afresh: to be called whenever the grid, table, bans or index changed.
  void forget();

  FastFillSettings settings;
  // settings.threads, or the machine's cores for 0.
  int threadCount() const;

  // Of the last run (during a run, so far).
  const FastProgress& progress() const { return progress_; }
  std::uint64_t decisions() const { return progress_.decisions; }
  std::uint64_t backtracks() const { return progress_.backtracks; }
  std::uint64_t wordsPlaced() const { return progress_.wordsPlaced; }
  // A command run by the pump changed the grid: the run stopped so that it starts afresh.
  bool gridChanged() const { return gridChanged_; }
  // Every slot holds a word.
  bool complete() const { return complete_; }
  // After NoFill: per part without a fill, its slots with no word at all, else those that
  // failed most (at most five).
  const std::vector<BlockingSlot>& blocking() const { return blocking_; }
  bool blockedByEmptySlot() const { return blockedByEmptySlot_; }
  // Bytes taken by the word sets per (position, letter).
  std::size_t wordSetBytes() const { return tables_ ? tables_->bytes() : 0; }
  // The tables the last run used, kept while the index is unchanged.
  std::shared_ptr<WordTables> tables() const { return tables_; }
  // The words of the last fill shown, by slot, numbers in their LengthWords; empty unless the
  // last run ended Filled.
  const std::vector<int>& lastFill() const;

 private:
  class Run;
  friend class Run;

  std::shared_ptr<WordTables> tables_;
  std::shared_ptr<const FillModel> model_;  // of the fills shown since the last change
  std::vector<std::vector<int>> shown_;     // those fills, words by slot
  std::uint64_t bansSeen_ = 0;
  bool resumable_ = false;
  FastProgress progress_;
  bool gridChanged_ = false;
  bool complete_ = false;
  std::vector<BlockingSlot> blocking_;
  bool blockedByEmptySlot_ = false;
};

// "横 3行2列 7文字 ア・・・・・ン: 0語" in Shift_JIS: direction, first cell counted from 1,
// length, the given letters (・ open, ＊ star), and the number of words.
std::string blockingSlotLine(const PuzzleGrid& grid, const WordSlot& slot, std::size_t candidates);

}  // namespace vexilo
