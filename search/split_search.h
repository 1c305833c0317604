#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "search/fill_model.h"
#include "search/fill_solver.h"
#include "search/word_bits.h"

namespace vexilo {

// One search (a part of a grid, or all of it) over several threads. Goals:
// - Best: every thread runs a solver of its own, each configured otherwise (restart schedule,
//   symmetry, seed). The letters of the cell the search would branch on first split it into
//   parts: each thread assumes the next part not taken (FillSolver::assume) until it refutes
//   it, and once none is left searches all that is left. They share the best fill, whose worst
//   rank bounds every solver at its next decision, and the nogoods they learn at restarts and
//   from refuted parts. The first solver to finish the whole search proves the best fill best
//   (or, with none, that no fill exists), the same answer as one thread gives; which fill of
//   that quality comes first depends on the timing of the threads. Proofs gain most, since two
//   solvers of the whole search would mostly prove the same things.
// - First: the same, up to the first fill any thread finds.
// - Pick: under a fixed bound, a fill that is the same on every run. The slot the search would
//   branch on first has its words dealt into chunks, every k-th word into the same chunk so
//   that each holds common and rare words alike; each thread takes the next chunk and runs a
//   fresh solver, seeded by its chunk number, with that slot kept to the chunk. The pick is the
//   first fill of the lowest chunk that has one; the chunks after it are left (for a given
//   number of threads up to 8, the same pick for all of them).
//
// The threads read the model and tables only; nothing of them touches a grid or a host. The
// caller polls (waitFor, takeImproved) on its own thread and may stop() at any time; stop()
// and the destructor return once every thread has ended.
class SplitSearch {
 public:
  struct Counts {
    std::uint64_t decisions = 0;
    std::uint64_t backtracks = 0;
    std::uint64_t restarts = 0;
    std::uint64_t nogoods = 0;
  };
  // The threads' counts as they add to them.
  struct LiveCounts {
    std::atomic<std::uint64_t> decisions{0}, backtracks{0}, restarts{0}, nogoods{0};
  };

  enum class Goal { Best, Pick, First };

  // excluded: (slot, word) pairs no solver may take (words standing elsewhere); bound: fills
  // have a worst rank below it. The watch sees the propagation of the root, on the caller's
  // thread, before the threads start; when it stops it, nothing is searched.
  SplitSearch(const FillModel& model, std::vector<int> slots, const SolverSwitches& switches,
              int threads, Goal goal, std::vector<std::pair<int, int>> excluded,
              SolverWatch* watch = nullptr, std::uint32_t bound = ~std::uint32_t{0});
  ~SplitSearch();
  SplitSearch(const SplitSearch&) = delete;
  SplitSearch& operator=(const SplitSearch&) = delete;

  // Waits up to `wait` for a better fill or the end; true once every thread has ended.
  bool waitFor(std::chrono::milliseconds wait);
  // The best fill found, by model slot, when it is better than at the last call.
  bool takeImproved(std::vector<int>& words, std::uint32_t& worst);
  void stop();
  // After stop(): what a thread threw (an invariant check that failed, memory), thrown here.
  void rethrow() const;

  // The share of the parts closed: those refuted, of the letters dealt out (all once a solver
  // searched to its end); -1 where the search is not dealt out in parts. Parts differ in size,
  // and the first dealt out are the largest, so this runs behind the search rather than ahead.
  double closedShare() const;
  bool found() const;
  // Best, First: every chunk was searched to its end: the best fill is the best there is, or
  // none exists. Pick: the pick is made (not stopped).
  bool proven() const;
  Counts counts() const;
  // How often each slot, by model slot, failed in the solvers done with.
  std::vector<std::uint64_t> failures() const;

 private:
  void work();
  std::size_t searchChunks();
  void offer(const FillSolver& solver, std::size_t chunk);

 public:
  // Nogoods the solvers of a Best or First search give each other: each is kept with the bound
  // it was learnt under, and holds for a solver whose bound is at or below that. One learnt
  // where only one of each fill and its transpose is searched may cut the other from a solver
  // that searches both, never both, so every solver still finds a fill of each worst rank there
  // is, and proves none left exactly when there is none.
  class NogoodPool {
   public:
    // Adds the solver's new nogoods and gives it the others' it has not seen.
    void exchange(FillSolver& solver, std::size_t from, std::size_t& seen);

   private:
    struct Entry {
      std::size_t from;
      std::uint32_t bound;
      std::vector<FillSolver::Literal> literals;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
    std::atomic<std::size_t> size_{0};
  };

 private:
  const FillModel& model_;
  std::vector<int> slots_;
  SolverSwitches switches_;
  Goal goal_;
  std::vector<std::pair<int, int>> excluded_;
  bool portfolio_ = false;  // Best or First on several threads
  NogoodPool pool_;
  // Portfolio: parts of the search (FillSolver::firstChoices) that the threads take in turn;
  // a thread that finds none left searches all that is left.
  std::vector<FillSolver::Literal> choices_;
  std::size_t nextChoice_ = 0;
  std::atomic<std::size_t> refuted_{0};
  int branch_ = -1;                                   // the slot split into chunks
  std::vector<std::vector<Bits>> chunks_;             // of its words; portfolio: one a thread
  std::size_t taken_ = 0;                             // chunks handed out
  std::size_t doneChunks_ = 0;                        // searched to their end
  std::atomic<std::size_t> lowest_{~std::size_t{0}};  // Pick: the lowest chunk with a fill

  mutable std::mutex mutex_;
  std::condition_variable news_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint32_t> bound_{~std::uint32_t{0}};  // the worst rank to beat
  LiveCounts live_;
  bool found_ = false;
  bool improved_ = false;
  std::vector<int> best_;
  std::vector<std::uint64_t> failures_;
  std::uint32_t bestWorst_ = 0;
  std::uint64_t bestSum_ = 0;
  int running_ = 0;
  bool exhausted_ = false;  // every chunk searched to its end
  bool settled_ = false;    // portfolio: a solver searched to its end
  std::exception_ptr error_;
  std::vector<std::thread> threads_;
};

}  // namespace vexilo
