#include "search/split_search.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace vexilo {

namespace {

// Chunks: enough that a thread done early finds more to take; the same number up to 8 threads,
// so that a pick is the same with any of them.
std::size_t chunkCount(int threads) { return static_cast<std::size_t>(std::max(32, 4 * threads)); }

// One thread's solver: bounded by the shared best at each of its decisions; stopped when the
// search stops or, picking, when a lower chunk has a fill.
class Bounded : public SolverWatch {
 public:
  Bounded(FillSolver& solver, std::atomic<bool>& stop, std::atomic<std::uint32_t>& bound,
          SplitSearch::LiveCounts& counts, const std::atomic<std::size_t>& lowest,
          std::size_t chunk, SplitSearch::NogoodPool* pool)
      : solver_(solver),
        stop_(stop),
        bound_(bound),
        counts_(counts),
        lowest_(lowest),
        chunk_(chunk),
        pool_(pool) {}

  bool stopNow(const FillSolver&, bool atDecision) override {
    if (stop_.load(std::memory_order_relaxed)) return true;
    if (lowest_.load(std::memory_order_relaxed) < chunk_) return true;
    if (!atDecision) return false;
    const std::uint32_t shared = bound_.load(std::memory_order_relaxed);
    if (shared < solver_.bound()) solver_.tightenBound(shared);
    share();
    report();
    return false;
  }
  void share() {
    if (pool_ != nullptr) pool_->exchange(solver_, chunk_, seen_);
  }
  // Adds what the solver counted since the last report.
  void report() {
    const SplitSearch::Counts now{solver_.decisions(), solver_.backtracks(), solver_.restarts(),
                                  solver_.nogoodCount()};
    counts_.decisions += now.decisions - reported_.decisions;
    counts_.backtracks += now.backtracks - reported_.backtracks;
    counts_.restarts += now.restarts - reported_.restarts;
    counts_.nogoods += now.nogoods - reported_.nogoods;
    reported_ = now;
  }

 private:
  FillSolver& solver_;
  std::atomic<bool>& stop_;
  std::atomic<std::uint32_t>& bound_;
  SplitSearch::LiveCounts& counts_;
  const std::atomic<std::size_t>& lowest_;
  std::size_t chunk_;
  SplitSearch::NogoodPool* pool_;
  std::size_t seen_ = 0;  // entries of the pool looked at
  SplitSearch::Counts reported_;
};

}  // namespace

SplitSearch::SplitSearch(const FillModel& model, std::vector<int> slots,
                         const SolverSwitches& switches, int threads, Goal goal,
                         std::vector<std::pair<int, int>> excluded, SolverWatch* watch,
                         std::uint32_t bound)
    : model_(model),
      slots_(std::move(slots)),
      switches_(switches),
      goal_(goal),
      excluded_(std::move(excluded)),
      best_(static_cast<std::size_t>(model.slotCount()), -1),
      failures_(static_cast<std::size_t>(model.slotCount()), 0) {
  bound_ = bound;
  FillSolver probe(model_, slots_, switches_);
  probe.tightenBound(bound);
  for (const auto& [s, w] : excluded_) probe.excludeWord(s, w);
  branch_ = probe.firstBranch(watch);
  for (const int s : slots_) failures_[static_cast<std::size_t>(s)] = probe.failuresOf(s);
  if (probe.stopped()) {
    stop_ = true;  // nothing searched: neither found nor proven
    return;
  }
  if (probe.failed()) {
    exhausted_ = true;
    return;
  }
  portfolio_ = goal != Goal::Pick && threads > 1;
  if (portfolio_) {
    branch_ = -1;
    chunks_.resize(static_cast<std::size_t>(threads));
    choices_ = probe.firstChoices();
  } else if (branch_ < 0) {
    chunks_.emplace_back();  // nothing to split: one chunk, the whole search
  } else {
    std::vector<int> words;
    const std::vector<Bits> left = probe.wordsLeft(branch_);
    forEachBit(left.data(), 0, static_cast<int>(left.size()), [&words](int w) {
      words.push_back(w);
      return true;
    });
    const std::size_t count = std::min(words.size(), chunkCount(threads));
    chunks_.assign(count, std::vector<Bits>(left.size(), 0));
    for (std::size_t k = 0; k < words.size(); ++k) setBit(chunks_[k % count].data(), words[k]);
  }
  const int wanted =
      static_cast<int>(std::min(chunks_.size(), static_cast<std::size_t>(std::max(1, threads))));
  std::lock_guard<std::mutex> lock(mutex_);
  for (int t = 0; t < wanted; ++t) {
    try {
      threads_.emplace_back(&SplitSearch::work, this);
    } catch (const std::system_error&) {
      if (threads_.empty()) throw;
      break;  // the threads started share the chunks
    }
    ++running_;
  }
}

SplitSearch::~SplitSearch() { stop(); }

void SplitSearch::stop() {
  stop_ = true;
  for (std::thread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
}

void SplitSearch::rethrow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (error_) std::rethrow_exception(error_);
}

void SplitSearch::work() {
  std::size_t done = 0;
  try {
    done = searchChunks();
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!error_) error_ = std::current_exception();
    stop_ = true;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  doneChunks_ += done;
  if (--running_ == 0) {
    exhausted_ =
        portfolio_ ? settled_ : !stop_ && (goal_ == Goal::Pick || doneChunks_ == chunks_.size());
  }
  news_.notify_all();
}

// Takes chunks until none is left or the search stops; gives the number searched to the end.
std::size_t SplitSearch::searchChunks() {
  std::size_t done = 0;
  while (true) {
    std::size_t chunk = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_ || taken_ >= chunks_.size() || taken_ > lowest_) return done;
      chunk = taken_++;
    }
    SolverSwitches switches = switches_;
    switches.seed = switches_.seed + static_cast<std::uint32_t>(chunk);
    // Another restart schedule, and the transposed fills kept or not: where one solver is
    // stuck, the other is often not.
    if (portfolio_ && chunk % 2 == 1) {
      switches.restartBase *= 4;
      switches.symmetry = !switches.symmetry;
    }
    FillSolver solver(model_, slots_, switches);
    for (const auto& [s, w] : excluded_) solver.excludeWord(s, w);
    if (branch_ >= 0) solver.keepWords(branch_, chunks_[chunk]);
    solver.tightenBound(bound_.load());
    Bounded watch(solver, stop_, bound_, live_, lowest_, chunk, portfolio_ ? &pool_ : nullptr);
    bool ended = false;  // stopped, or first only and found
    while (true) {
      if (portfolio_ && !solver.assuming()) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (nextChoice_ < choices_.size()) solver.assume(choices_[nextChoice_++]);
      }
      const FillSolver::Status status = solver.solve(&watch);
      if (status == FillSolver::Status::Stopped) {
        ended = stop_;  // else a lower chunk has a fill: the next chunk ends the thread
        break;
      }
      if (status == FillSolver::Status::Exhausted && !solver.failed()) {
        ++refuted_;
        watch.share();  // its part refuted: the others learn it now
        continue;
      }
      if (status == FillSolver::Status::Exhausted) {
        ++done;
        if (portfolio_) {  // the whole search is done
          std::lock_guard<std::mutex> lock(mutex_);
          settled_ = true;
          stop_ = true;
          ended = true;
        }
        break;
      }
      offer(solver, chunk);
      if (goal_ == Goal::Pick) break;
      if (goal_ == Goal::First) {
        stop_ = true;
        ended = true;
        break;
      }
      solver.tightenBound(std::min(solver.worstRank(), bound_.load()));
    }
    watch.report();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const int s : slots_) failures_[static_cast<std::size_t>(s)] += solver.failuresOf(s);
    }
    if (ended) return done;
  }
}

void SplitSearch::NogoodPool::exchange(FillSolver& solver, std::size_t from, std::size_t& seen) {
  std::vector<std::vector<FillSolver::Literal>> mine = solver.takeLearnt();
  if (mine.empty() && size_.load(std::memory_order_acquire) == seen) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint32_t bound = solver.bound();
  for (std::vector<FillSolver::Literal>& literals : mine) {
    entries_.push_back({from, bound, std::move(literals)});
  }
  for (; seen < entries_.size(); ++seen) {
    const Entry& entry = entries_[seen];
    if (entry.from != from && entry.bound >= bound) solver.addLearnt(entry.literals);
  }
  size_.store(entries_.size(), std::memory_order_release);
}

void SplitSearch::offer(const FillSolver& solver, std::size_t chunk) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint32_t worst = solver.worstRank();
  if (goal_ == Goal::Pick) {
    if (chunk > lowest_) return;
    lowest_ = chunk;
  } else if (found_ &&
             (worst > bestWorst_ || (worst == bestWorst_ && solver.rankSum() >= bestSum_))) {
    return;
  }
  found_ = true;
  improved_ = true;
  bestWorst_ = worst;
  bestSum_ = solver.rankSum();
  for (const int s : slots_) best_[static_cast<std::size_t>(s)] = solver.wordOf(s);
  if (goal_ == Goal::Best && worst < bound_.load()) bound_ = worst;
  news_.notify_all();
}

bool SplitSearch::waitFor(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  news_.wait_for(lock, wait, [this] { return running_ == 0 || improved_; });
  return running_ == 0;
}

bool SplitSearch::takeImproved(std::vector<int>& words, std::uint32_t& worst) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!improved_) return false;
  improved_ = false;
  words = best_;
  worst = bestWorst_;
  return true;
}

double SplitSearch::closedShare() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (settled_) return 1;
  if (choices_.empty()) return -1;
  return static_cast<double>(refuted_.load()) / static_cast<double>(choices_.size());
}

bool SplitSearch::found() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return found_;
}

bool SplitSearch::proven() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return exhausted_;
}

std::vector<std::uint64_t> SplitSearch::failures() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failures_;
}

SplitSearch::Counts SplitSearch::counts() const {
  return {live_.decisions.load(), live_.backtracks.load(), live_.restarts.load(),
          live_.nogoods.load()};
}

}  // namespace vexilo
