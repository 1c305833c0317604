#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "search/fill_model.h"
#include "search/word_bits.h"

namespace vexilo {

class FillSolver;

// Techniques of the solver, each switchable for tests and benchmarks.
struct SolverSwitches {
  bool weightedDegree = true;  // branch on words per failure (dom/wdeg); off: fewest words
  bool restarts = true;        // restart on a Luby schedule of failures
  bool nogoods = true;         // learn from the branches a restart leaves (needs restarts)
  bool perturb = true;         // after the first restart, sometimes try a later word first
  std::uint32_t seed = 1;      // of the perturbation
  int lookAhead = 64;     // of a slot's first words, try first the one that leaves its crossing
                          // slots the most words; 0 or 1: the first word
  int restartBase = 256;  // failures of the first run; run k gets luby(k) times it
  bool letters = true;    // branch on a cell's letter (its variable); off: on a slot's word
  // Where swapping rows and columns maps the slots onto themselves, search one of each fill and
  // its transpose (FillModel::transposedPair); off for required words and differences.
  bool symmetry = true;
  bool checkInvariants = false;  // at every decision (tests, fuzz targets); throws on a fault
};

// What a solver calls between steps: at every decision, and every so much work inside a long
// propagation. True stops the search (Status::Stopped): at a decision, the next solve goes on
// from there; inside a propagation, the solver is done with.
class SolverWatch {
 public:
  virtual ~SolverWatch() = default;
  virtual bool stopNow(const FillSolver& solver, bool atDecision) = 0;
};

// The solver over some of a FillModel's slots (a part, or all of them): finds a fill, the next
// one, or proves that none is left, under a bound on the ranks of the words.
//
// Search: each slot's domain is a bit set of the words it may still take, each letter
// variable's a bit set of letters. Propagation runs to a fixpoint: a letter that no word of a
// slot has at a variable's position leaves the variable (revise), the words with a letter a
// variable lost leave every slot through it (filter), and a slot down to one word is assigned:
// its word leaves every slot of its length, and learnt nogoods and other constraints on
// assigned words fire. Branching takes the open cell (letter variable) with the fewest letters
// per failure of the open slots through it (dom/wdeg), tries the letter that leaves those slots
// the most words and, when that fails, the cell without it: one refutation closes every word
// with that letter, which proves a dense grid unfillable in far fewer steps than refuting its
// words one by one. Switched to words, it takes the open slot with the fewest words per
// failure, tries the best of its first few words (priority order: the lowest rank) and, when
// that fails, the slot without it. Restarts on a Luby schedule keep the failure weights, learn
// from the abandoned branch one nogood per refuted choice (the choices above it, then that one;
// a literal is a slot's word or a cell's letter), and in word branching without look-ahead
// sometimes take a later word of the first few instead of the first, by a fixed seed. Where
// swapping rows and columns maps the slots onto themselves, the two letter variables of
// FillModel::transposedPair() are kept in letter order (the first's letter no later), so that
// of a fill and its transpose only one is searched; with one pair only, a fill whose two
// letters there agree keeps its transpose. An assumption (assume()) is a bottom frame that
// restarts keep and backtracking refutes instead of flipping.
//
// Depth and counts: a frame is one decision; depth() is the number of frames. A level is a
// number given to each node when it is entered, never reused, so that a saved value can tell
// whether it was saved at this node; level 0 is the root, whose changes are never undone.
//
// Invariants, checked by checkInvariants():
// - a slot's blocks outside [lo, hi) are zero, and size is the number of its words;
// - assigned is the slot's only word once propagation is done and size is 1, else -1;
// - a variable's size is the number of its letters; no letter leaves a fixed variable;
// - every slot save on the trail above a frame's mark was made at a level of that frame or
//   deeper, and the slot's domain now is a subset of what was saved;
// - after propagation: every letter of a variable is some word's letter in every slot through
//   it, every word of a slot has its letters in the variables, no two assigned slots share a
//   word, no word of rank at or above the bound is left, no nogood has all its literals true,
//   and the ordered variables' letters are in order.
class FillSolver {
 public:
  enum class Status { Solution, Exhausted, Stopped };
  struct Literal {
    int slot;  // a letter: -1 - its variable
    int word;  // or the letter
  };

  FillSolver(const FillModel& model, std::vector<int> slots, const SolverSwitches& switches = {});
  FillSolver(const FillSolver&) = delete;
  FillSolver& operator=(const FillSolver&) = delete;

  // Root restrictions, before the first solve or between two; they hold for good. False when a
  // slot is left without words (every later solve is then Exhausted).
  bool requireWord(int slot, int word);
  bool excludeWord(int slot, int word);
  // Keeps the slot to the words set in `words` (blocks of its word list).
  bool keepWords(int slot, const std::vector<Bits>& words);
  // A fill must have a worst rank below `bound` from now on; bounds only tighten.
  bool tightenBound(std::uint32_t bound);
  std::uint32_t bound() const { return bound_; }
  // A fill must have a sum of ranks below `limit` from now on; limits only tighten. Checked
  // against the sum of the lowest rank each slot has left.
  void limitSum(std::uint64_t limit);
  // A fill must differ from `words` (per model slot, -1 where none) in all but `maxSame` slots.
  // Neither this nor requireWord() may be used with the symmetry switch on.
  bool addDifference(const std::vector<int>& words, int maxSame);

  // Nogoods learnt at the restarts since the last call (the first call starts keeping them),
  // for another solver of the same model and constraints whose bound is at or below this one's.
  std::vector<std::vector<Literal>> takeLearnt();
  // Another solver's nogood, added at the next restart.
  void addLearnt(std::vector<Literal> literals);

  // The first fill, or after a Solution the next one (under the constraints as they are now).
  Status solve(SolverWatch* watch = nullptr);
  // Before the first solve: propagates the root and gives the slot the search would branch on
  // first, or -1 when the root has no fill, needs no branching, or the watch stopped it
  // (failed() and stopped() tell which).
  int firstBranch(SolverWatch* watch = nullptr);
  bool failed() const { return failed_; }
  // After firstBranch(), in letter branching: the variable it would branch on first, one literal
  // per letter, in the order it would try them. These split the search into parts that
  // assume() can take one at a time. Empty in word branching or without a branch.
  std::vector<Literal> firstChoices();
  // The solves from now on search only the fills with the literal, until none is left there:
  // then solve() gives Exhausted with failed() false, the literal is false at the root for good
  // and shared among the learnt nogoods, and the solves after search the whole root again.
  // Restarts keep the literal; the nogoods learnt under it hold it, so they hold everywhere.
  void assume(const Literal& literal);
  bool assuming() const { return assumed_; }
  bool stopped() const { return stopped_; }
  // The words slot s has now, as blocks of its word list.
  std::vector<Bits> wordsLeft(int s) const;

  // Of the last Solution, by model slot.
  int wordOf(int slot) const { return solution_[static_cast<std::size_t>(slot)]; }
  std::uint32_t worstRank() const { return worstRank_; }
  std::uint64_t rankSum() const { return rankSum_; }
  const std::vector<int>& slots() const { return active_; }

  // Counts since construction.
  std::uint64_t decisions() const { return decisions_; }
  std::uint64_t backtracks() const { return backtracks_; }
  std::uint64_t restarts() const { return restarts_; }
  std::uint64_t nogoodCount() const { return nogoods_.size(); }
  std::uint64_t work() const { return work_; }  // 64-bit blocks and letters handled
  std::uint64_t failuresOf(int slot) const { return slot_(slot).failures; }
  int depth() const { return static_cast<int>(frames_.size()); }
  // The share of the search space under the current bound closed since the last restart,
  // estimated from the decisions on the stack: 0 to 1.
  double closedShare() const;
  // The letters settled now, by variable (-1 where open), for a display of the search.
  int settledLetter(int var) const;

  // Empty when every invariant holds, else the first one broken.
  std::string checkInvariants() const;

 private:
  struct SlotState {
    bool active = false;
    std::size_t offset = 0;  // of its word set in slotBits_
    std::size_t residueOffset = 0;
    int lo = 0, hi = 0;  // blocks outside [lo, hi) are zero
    int size = 0;
    int assigned = -1;
    std::uint64_t stamp = 0;  // level of its last save
    std::uint64_t failures = 0;
    std::uint64_t weight = 1;
    std::uint32_t toRevise = 0;  // while queued: the positions whose letters may have lost words
  };
  struct VarState {
    bool active = false;
    std::size_t offset = 0;  // of its letter set in varBits_
    int size = 0;
    std::uint64_t stamp = 0;
  };
  struct SlotSave {
    int slot, lo, hi, size, assigned;
    std::uint64_t stamp;
    std::size_t bits;  // where its blocks were saved in trailBits_
  };
  struct VarSave {
    int var, size;
    std::uint64_t stamp;
    std::size_t bits;
  };
  struct Frame {
    int slot, word;  // a letter decision: slot is -1 - the variable, word the letter
    std::size_t slotMark, varMark, bitsMark;
    bool tried;  // the word was tried; now it is excluded
    int sizeAtChoice;
    bool assumed = false;  // the assumption: never tried the other way
  };
  struct Nogood {
    std::vector<Literal> literals;  // the first two are watched
  };
  struct Difference {
    std::vector<int> words;  // per model slot
    int maxSame;
  };

  SlotState& slot_(int s) { return slotStates_[static_cast<std::size_t>(s)]; }
  const SlotState& slot_(int s) const { return slotStates_[static_cast<std::size_t>(s)]; }
  VarState& var_(int v) { return varStates_[static_cast<std::size_t>(v)]; }
  const VarState& var_(int v) const { return varStates_[static_cast<std::size_t>(v)]; }
  Bits* bitsOf(int s) { return slotBits_.data() + slot_(s).offset; }
  const Bits* bitsOf(int s) const { return slotBits_.data() + slot_(s).offset; }
  Bits* varBits(int v) { return varBits_.data() + var_(v).offset; }
  const Bits* varBits(int v) const { return varBits_.data() + var_(v).offset; }
  const LengthWords& wordsOf(int s) const { return *model_.slot(s).words; }

  void recount(int s);
  void saveSlot(int s);
  void saveVar(int v);
  void undo(const Frame& frame);
  void undoAll();
  void dropQueues();
  void domainChanged(int s, std::uint32_t positions = ~std::uint32_t{0});
  void assign(int s, int word);
  bool removeWord(int s, int word, int cause);
  void conflict(int wiped, int cause);
  bool propagate();
  bool settle(int s);
  bool allDifferent(int s);
  bool fireNogoods(int key);
  bool isTrue(const Literal& l) const;
  bool isFalse(const Literal& l) const;
  int watchKey(const Literal& l) const;
  int blamed(const Literal& l) const;
  bool falsify(const Literal& l, int cause);
  void letterSettled(int v);
  bool fireDifferences(int s);
  bool revise(int s);
  void gatherLetters(int s, std::uint32_t positions);
  bool supported(int s, int p, int letter);
  bool filter(int t, int q, int v);
  bool clampToBound(int s);
  bool clampAll();
  int chooseSlot() const;
  int chooseVar() const;
  int chooseLetter(int v);
  double letterScore(int v, int letter);
  double keptScore(int t, int q, int letter);
  bool narrowVar(int v, int letter, bool keep);
  bool dropLetters(int v);
  bool orderHolds() const;
  int lastLetter(int v) const;
  bool keepOrder();
  bool sumFits() const;
  bool decide(const Frame& frame, bool tried);
  int chooseWord(int s);
  int lookAheadWord(int s);
  bool backtrack();
  bool enterAssumption();
  void refuteAssumption();
  void restart();
  bool poll(SolverWatch* watch, bool atDecision);
  void record();
  void requireValid() const;
  void requireNoOrder() const;
  void toRoot();
  bool settleRoot();
  void blockSolution();
  bool addNogood(Nogood nogood);

  const FillModel& model_;
  SolverSwitches switches_;
  std::vector<int> active_;
  std::vector<int> activeVars_;
  std::vector<SlotState> slotStates_;
  std::vector<VarState> varStates_;
  std::vector<Bits> slotBits_;
  std::vector<Bits> varBits_;
  int varBlocks_ = 0;
  std::vector<int> residues_;  // per slot, position and letter: a block with a word having it
  std::vector<int> dropped_;   // letters a variable has just lost
  std::vector<Bits> seen_;     // per position: letters of the words a slot has left
  std::vector<Bits> temp_;     // one word set
  std::vector<char> queued_;
  std::vector<int> queue_;
  std::vector<int> assignQueue_;
  std::vector<SlotSave> slotTrail_;
  std::vector<VarSave> varTrail_;
  std::vector<Bits> trailBits_;
  std::vector<Frame> frames_;
  std::vector<int> cuts_;  // per slot length: the words a bound keeps; count when unbounded
  std::uint32_t bound_ = ~std::uint32_t{0};
  std::uint64_t sumLimit_ = ~std::uint64_t{0};
  std::vector<Nogood> nogoods_;
  std::vector<Nogood> pendingNogoods_;  // added at the next return to the root
  bool keepLearnt_ = false;
  std::vector<std::vector<Literal>> learnt_;  // since the last takeLearnt()
  // Per slot, then per variable: (word or letter, nogood).
  std::vector<std::vector<std::pair<int, int>>> watches_;
  std::vector<Difference> differences_;
  // With symmetry: variables whose letters are kept in order, the first's no later.
  std::pair<int, int> ordered_{-1, -1};
  Literal assumption_{0, 0};
  bool assumed_ = false;
  std::uint64_t level_ = 0;  // 0: the root, never undone
  std::uint64_t levels_ = 0;
  bool started_ = false;
  bool rootChanged_ = false;   // a root restriction waits for the next solve
  bool clampPending_ = false;  // a bound tightened inside a branch, applied at the next decision
  SolverWatch* watch_ = nullptr;
  bool failed_ = false;  // the root has no fill
  bool atSolution_ = false;
  std::vector<int> solution_;
  std::uint32_t worstRank_ = 0;
  std::uint64_t rankSum_ = 0;
  std::uint64_t decisions_ = 0;
  std::uint64_t backtracks_ = 0;
  std::uint64_t restarts_ = 0;
  std::uint64_t work_ = 0;
  std::uint64_t nextPoll_ = 0;
  std::uint64_t failuresSinceRestart_ = 0;
  std::uint64_t restartLimit_ = 0;
  std::uint64_t lubyIndex_ = 0;
  std::uint64_t random_ = 0;
  bool stopped_ = false;
};

}  // namespace vexilo
