#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "puzzle/puzzle_grid.h"
#include "search/word_bits.h"
#include "search/word_slot.h"
#include "search/word_tables.h"

namespace vexilo {

class BannedWords;

struct FillOptions {
  // The slots to fill, by table index; empty: every slot. The cells of the others keep the
  // letters they hold as given letters, and their words count as used.
  std::vector<int> slots;
  const BannedWords* banned = nullptr;  // words no slot takes
};

// A grid as the fast engine sees it, built once per search and never changed while solvers
// read it (several at once). One letter variable per open cell, with the cells of a mark group
// one variable and the empty star cells a slot owns one more (below); one word variable per
// slot to fill, whose words come from the WordTables in priority order.
//
// The star rule of the dictionary-order search, made static: that search fills slots in the
// order of the group trees and tests a star cell against the pending letter of a slot only
// while the cell is still empty. So the empty star cells of a slot that no slot before it in
// that order covers take one letter together; the others are bound by their crossing words.
//
// Parts: the slots to fill linked through shared letter variables (crossings, mark groups,
// star cells). No constraint but "no word twice" joins two parts.
class FillModel {
 public:
  static constexpr int NoLetter = -2;  // Var::fixed of a given text that no word has

  struct Var {
    std::vector<int> cells;                        // open cells, Fixed ones included
    std::vector<std::pair<int, int>> occurrences;  // (slot, position) in the slots to fill
    int fixed = -1;                                // the given letter's id; -1: none
  };
  struct Slot {
    int length = 0;
    bool free = false;  // to be filled
    int part = -1;      // of a free slot
    const LengthWords* words = nullptr;
    std::vector<int> vars;        // per position
    std::vector<int> sameLength;  // the other free slots of its length
    std::vector<Bits> initial;    // the words that fit it alone (given letters, bans, ...)
    int initialCount = 0;
  };

  FillModel(const PuzzleGrid& grid, const SlotTable& table, WordTables& tables,
            const FillOptions& options = {});

  const WordTables& tables() const { return tables_; }
  int slotCount() const { return static_cast<int>(slots_.size()); }
  const Slot& slot(int s) const { return slots_[static_cast<std::size_t>(s)]; }
  int varCount() const { return static_cast<int>(vars_.size()); }
  const Var& var(int v) const { return vars_[static_cast<std::size_t>(v)]; }
  int letterBlocks() const { return letterBlocks_; }
  // Slots to fill, each part in table order, the parts in the order of their first slots.
  const std::vector<std::vector<int>>& parts() const { return parts_; }
  const std::vector<int>& freeSlots() const { return freeSlots_; }
  // The text of word w of slot s.
  std::string_view wordText(int s, int w) const {
    return slot(s).words->words[static_cast<std::size_t>(w)];
  }
  std::uint32_t rankOf(int s, int w) const {
    return slot(s).words->ranks[static_cast<std::size_t>(w)];
  }
  // When swapping rows and columns maps the model onto itself and the slots onto themselves:
  // the first variable of the slots that the swap moves, and where it moves it; else (-1, -1).
  // Of a fill and its transpose (the same words, so the same ranks), the one whose letter at the
  // first comes no later than at the second is kept by FillSolver::orderLetters().
  std::pair<int, int> transposedPair(const std::vector<int>& slots) const;

 private:
  void gatherGivenTexts(const PuzzleGrid& grid, const SlotTable& table);
  void gatherVariables(const PuzzleGrid& grid, const SlotTable& table);
  void gatherGivenLetters(const PuzzleGrid& grid);
  void gatherDomains(const PuzzleGrid& grid, const SlotTable& table, const FillOptions& options);
  void gatherParts();
  void gatherTransposition();

  const WordTables& tables_;
  std::vector<std::optional<std::string>> given_;  // by cell
  std::vector<Slot> slots_;
  std::vector<Var> vars_;
  std::vector<int> freeSlots_;
  std::vector<std::vector<int>> parts_;
  int letterBlocks_ = 0;
  std::vector<int> transposedVar_;   // by variable; empty: the swap is no symmetry
  std::vector<int> transposedSlot_;  // by slot to fill
};

// Table indices in the order the dictionary-order search fills them: each group tree depth
// first, the groups in table order.
std::vector<int> fillOrder(const SlotTable& table);

}  // namespace vexilo
