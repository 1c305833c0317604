#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "puzzle/puzzle_grid.h"
#include "search/fill_model.h"
#include "search/fill_solver.h"
#include "search/word_slot.h"
#include "search/word_tables.h"

namespace vexilo {

class BannedWords;
class FastFill;

// One word of a slot's list: does some complete fill take it, and how good is the best one.
struct Alternative {
  enum class State {
    Unchecked,
    Fits,    // some fill of the whole grid takes it, given and locked letters kept
    NoFill,  // none does
  };
  std::string word;        // Shift_JIS
  std::uint32_t rank = 0;  // its place in the priority order
  State state = State::Unchecked;
  std::uint32_t worstRank = 0;  // with Fits: the worst rank of the best fill found that takes it
  bool proven = false;          // with Fits: no fill that takes it has a smaller worst rank
};

enum class AlternativeCheck {
  BestFill,  // prove the best worst rank of a fill that takes the word
  AnyFill,   // stop at the first fill that takes it: several times cheaper
};

// The words a slot can take in some complete fill, after a fill of the fast engine: every word
// that fits the slot's given letters, marks and bans alone, in priority order with the word
// standing there first, checked one after the other. The rest of the grid may change for each.
//
// Made for the window's dispatches: checkMore() works until a deadline and goes on where it
// stopped at the next call; nothing of it touches the grid or a host, and it keeps what it
// reads (tables, model) alive itself, so the engine may run again meanwhile.
//
//     AlternativeList list(engine, grid, table, slot, &banned);
//     while (list.fitting() < 30 && !list.done()) list.checkMore(now + 20ms);
//     for (const Alternative& a : list.words()) ... a.state, a.worstRank
class AlternativeList {
 public:
  // The grid and table of the engine's last run, which must have ended on a fill of every slot;
  // without one the list is empty.
  AlternativeList(const FastFill& engine, const PuzzleGrid& grid, const SlotTable& table, int slot,
                  const BannedWords* banned = nullptr,
                  AlternativeCheck check = AlternativeCheck::BestFill);
  ~AlternativeList();
  AlternativeList(const AlternativeList&) = delete;
  AlternativeList& operator=(const AlternativeList&) = delete;

  const std::vector<Alternative>& words() const { return words_; }
  std::size_t fitting() const { return fitting_; }  // words checked that some fill takes
  bool done() const { return next_ >= words_.size(); }
  // Checks words in order until the deadline or the end of the list. A word whose check the
  // deadline cuts stays Unchecked and is taken up again at the next call.
  void checkMore(std::chrono::steady_clock::time_point deadline);
  // Checks words in order until `count` of them fit or the list ends, whatever it costs; with
  // several threads, words side by side, to the same list.
  void checkUntil(std::size_t count, int threads = 1);

 private:
  class Check;

  bool checkOne(std::chrono::steady_clock::time_point deadline);
  void checkSideBySide(std::size_t count, int threads);

  std::shared_ptr<WordTables> tables_;
  std::unique_ptr<FillModel> model_;
  int slot_;
  AlternativeCheck check_;
  std::vector<int> fill_;          // the engine's fill, word by slot
  std::vector<int> numbers_;       // of words_, in the slot's word list
  std::uint32_t othersWorst_ = 0;  // the worst rank of the words of the other parts
  std::uint32_t optimum_ = 0;      // the proven best worst rank of the grid; 0: not known
  std::vector<Alternative> words_;
  std::size_t next_ = 0;
  std::size_t fitting_ = 0;
  std::unique_ptr<Check> current_;  // of words_[next_], cut by a deadline
};

}  // namespace vexilo
