#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "puzzle/clues.h"
#include "puzzle/puzzle_grid.h"

namespace vexilo {

// The first visible row and column of the grid view.
struct ViewOffsets {
  int row = 0;
  int column = 0;
  bool operator==(const ViewOffsets&) const = default;
};

// Undo and redo over the cells, nextMark, the clues and properties, the banned words and the
// view. A step keeps only the cells and clues it changed, packed, so a single press or clue
// edit costs a few dozen bytes; the oldest steps go once the history passes its byte budget,
// which holds well over 1,000 steps that each rewrite the whole grid. The overloads without
// clues or banned words leave them as the history last saw them.
class GridHistory {
 public:
  static constexpr std::size_t DefaultByteBudget = std::size_t{48} << 20;
  // Words the author keeps out of every fill, Shift_JIS, in the order banned: not part of the
  // puzzle, yet banning is undone like an edit.
  using WordList = std::vector<std::string>;

  explicit GridHistory(std::size_t byteBudget = DefaultByteBudget) : budget_(byteBudget) {}

  // Forgets every step; the grid as it stands is where the next step starts.
  void reset(const PuzzleGrid& grid, const PuzzleClues& clues = {}, const WordList& banned = {});
  // Makes what changed since the last reset, step, undo or redo one step, made in view, and
  // drops the steps that could be redone. False, with nothing recorded, when no cell and not
  // nextMark changed.
  bool record(const PuzzleGrid& grid, ViewOffsets view) { return record(grid, clues_, view); }
  bool record(const PuzzleGrid& grid, const PuzzleClues& clues, ViewOffsets view) {
    return record(grid, clues, banned_, view);
  }
  bool record(const PuzzleGrid& grid, const PuzzleClues& clues, const WordList& banned,
              ViewOffsets view);
  // Puts the grid back as before the last step (after the next undone one) and sets view to
  // where the step was made. Changes not yet recorded become a step of their own first, so
  // undo takes them back and redo has nothing left to redo.
  // False, with nothing changed, when there is no such step.
  bool undo(PuzzleGrid& grid, PuzzleClues& clues, WordList& banned, ViewOffsets& view);
  bool redo(PuzzleGrid& grid, PuzzleClues& clues, WordList& banned, ViewOffsets& view);
  bool undo(PuzzleGrid& grid, PuzzleClues& clues, ViewOffsets& view);
  bool redo(PuzzleGrid& grid, PuzzleClues& clues, ViewOffsets& view);
  bool undo(PuzzleGrid& grid, ViewOffsets& view);
  bool redo(PuzzleGrid& grid, ViewOffsets& view);

  // Names the grid as the history stands: the same after an undo and its redo, different after
  // any new step, also one that leaves as many steps to undo.
  std::uint64_t position() const { return done_ == 0 ? baseId_ : steps_[done_ - 1].id; }
  // Whether the puzzle (cells and clues) at that position is the one now: every step between
  // changes the banned words alone. False for a position the history no longer holds.
  bool samePuzzleAs(std::uint64_t position) const;
  bool canUndo() const { return done_ > 0; }
  bool canRedo() const { return done_ < steps_.size(); }
  std::size_t stepCount() const { return steps_.size(); }
  std::size_t byteSize() const { return bytes_; }

 private:
  struct Step {
    std::string before, after;  // packed cells: index, flag, mark, text length, text
    int nextMarkBefore = 0, nextMarkAfter = 0;
    std::string cluesBefore, cluesAfter;  // packed changed clues and, when changed, properties
    bool bansChanged = false;
    WordList bansBefore, bansAfter;  // with bansChanged
    ViewOffsets view;
    std::uint64_t id = 0;  // the position it leads to
    bool onlyBans() const {
      return before.empty() && nextMarkBefore == nextMarkAfter && cluesBefore.empty();
    }
    std::size_t size() const;
  };
  void apply(const std::string& cells, int nextMark, PuzzleGrid& grid);
  void applyClues(const std::string& packed, PuzzleClues& clues);

  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::deque<Step> steps_;
  std::size_t done_ = 0;      // steps_[0, done_) can be undone, the rest redone
  PuzzleGrid baseline_;       // the grid as the history last saw it
  PuzzleClues clues_;         // and the clues
  WordList banned_;           // and the banned words
  std::uint64_t baseId_ = 0;  // the position before steps_[0]
  std::uint64_t nextId_ = 1;
};

}  // namespace vexilo
