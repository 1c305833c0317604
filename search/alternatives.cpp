#include "search/alternatives.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "search/banned_words.h"
#include "search/fast_fill.h"

namespace vexilo {

namespace {

// A check mostly ends at a fill near the one standing: branching on words in priority order
// reaches it sooner than branching on letters, which pays where a grid must be proven empty.
SolverSwitches checkSwitches() {
  SolverSwitches switches;
  switches.letters = false;
  switches.restartBase = 64;
  switches.symmetry = false;  // the word required breaks it
  return switches;
}

}  // namespace

// The check of one word: first its part of the grid with the other parts as they stand (their
// words used), then, only when that has no fill, the whole grid with the word alone required.
// Each runs as a branch and bound on the worst rank until it proves its best or reaches the
// lower bound, the word's own rank and the grid's proven best; with AnyFill, until a first fill.
class AlternativeList::Check : public SolverWatch {
 public:
  Check(const AlternativeList& list, std::size_t k, const std::atomic<bool>* cancel = nullptr)
      : list_(list), k_(k), cancel_(cancel) {
    const int s = list.slot_;
    const int word = list.numbers_[k];
    const FillModel& model = *list.model_;
    lowest_ = std::max(model.rankOf(s, word), list.optimum_);
    // The fill as it stands with this word put in: often it still holds.
    bool holds = true;
    std::uint32_t worst = model.rankOf(s, word);
    for (const int t : model.freeSlots()) {
      const int w = list.fill_[static_cast<std::size_t>(t)];
      if (t == s) continue;
      worst = std::max(worst, model.rankOf(t, w));
      if (model.slot(t).length == model.slot(s).length && w == word) holds = false;
    }
    const FillModel::Slot& slot = model.slot(s);
    for (int p = 0; p < slot.length && holds; ++p) {
      for (const auto& [t, q] : model.var(slot.vars[static_cast<std::size_t>(p)]).occurrences) {
        if (t == s) continue;
        const int w = list.fill_[static_cast<std::size_t>(t)];
        if (model.slot(t).words->letterAt(w, q) != slot.words->letterAt(word, p)) holds = false;
      }
    }
    if (holds) {
      found_ = true;
      best_ = worst;
    }
    const std::vector<int>& part = model.parts()[static_cast<std::size_t>(slot.part)];
    solver_ = start(part, true);
  }

  // Works until the answer or the deadline; true with the answer in `entry`.
  bool run(std::chrono::steady_clock::time_point deadline, Alternative& entry) {
    deadline_ = deadline;
    while (solver_ &&
           !(found_ && (best_ <= lowest_ || list_.check_ == AlternativeCheck::AnyFill))) {
      const FillSolver::Status status = solver_->solve(this);
      if (status == FillSolver::Status::Stopped) return false;
      if (status == FillSolver::Status::Solution) {
        found_ = true;
        best_ = wholeWorst(solver_->worstRank());
        solver_->tightenBound(solver_->worstRank());
        continue;
      }
      if (found_ || wholeGrid_) break;
      // No fill with the other parts as they stand: the whole grid decides.
      wholeGrid_ = true;
      solver_ = start(list_.model_->freeSlots(), false);
    }
    entry.state = found_ ? Alternative::State::Fits : Alternative::State::NoFill;
    entry.worstRank = found_ ? best_ : 0;
    entry.proven = found_ && (best_ <= lowest_ || list_.check_ == AlternativeCheck::BestFill);
    return true;
  }

  bool stopNow(const FillSolver&, bool atDecision) override {
    if (!atDecision) return false;
    return (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) ||
           std::chrono::steady_clock::now() >= deadline_;
  }

 private:
  std::unique_ptr<FillSolver> start(const std::vector<int>& slots, bool othersKept) {
    const FillModel& model = *list_.model_;
    const int s = list_.slot_;
    auto solver = std::make_unique<FillSolver>(model, slots, checkSwitches());
    solver->requireWord(s, list_.numbers_[k_]);
    if (othersKept) {
      for (const int t : slots) {
        for (const int other : model.slot(t).sameLength) {
          if (model.slot(other).part != model.slot(s).part) {
            solver->excludeWord(t, list_.fill_[static_cast<std::size_t>(other)]);
          }
        }
      }
    }
    if (found_) solver->tightenBound(best_);
    return solver;
  }

  std::uint32_t wholeWorst(std::uint32_t solved) const {
    return wholeGrid_ ? solved : std::max(solved, list_.othersWorst_);
  }

  const AlternativeList& list_;
  std::size_t k_;
  std::unique_ptr<FillSolver> solver_;
  std::uint32_t lowest_ = 0;  // no fill that takes the word has a smaller worst rank
  bool found_ = false;
  std::uint32_t best_ = 0;
  bool wholeGrid_ = false;
  std::chrono::steady_clock::time_point deadline_;
  const std::atomic<bool>* cancel_;
};

AlternativeList::AlternativeList(const FastFill& engine, const PuzzleGrid& grid,
                                 const SlotTable& table, int slot, const BannedWords* banned,
                                 AlternativeCheck check)
    : tables_(engine.tables()), slot_(slot), check_(check), fill_(engine.lastFill()) {
  if (!tables_ || !table.holds(slot) || static_cast<int>(fill_.size()) != table.slotCount) return;
  FillOptions options;
  options.banned = banned;
  model_ = std::make_unique<FillModel>(grid, table, *tables_, options);
  // A fill of some slots only (a region) leaves the others without a word.
  for (const int t : model_->freeSlots()) {
    if (fill_[static_cast<std::size_t>(t)] < 0) {
      model_.reset();
      return;
    }
  }
  const FillModel::Slot& own = model_->slot(slot);
  for (const int t : model_->freeSlots()) {
    if (model_->slot(t).part != own.part) {
      othersWorst_ = std::max(othersWorst_, model_->rankOf(t, fill_[static_cast<std::size_t>(t)]));
    }
  }
  if (engine.progress().proven) optimum_ = engine.progress().worstRank;
  const int placed = fill_[static_cast<std::size_t>(slot)];
  numbers_.push_back(placed);
  forEachBit(own.initial.data(), 0, own.words->blocks, [&](int w) {
    if (w != placed) numbers_.push_back(w);
    return true;
  });
  for (const int w : numbers_) {
    Alternative entry;
    entry.word = model_->wordText(slot, w);
    entry.rank = model_->rankOf(slot, w);
    words_.push_back(std::move(entry));
  }
}

AlternativeList::~AlternativeList() = default;

bool AlternativeList::checkOne(std::chrono::steady_clock::time_point deadline) {
  if (!current_) current_ = std::make_unique<Check>(*this, next_);
  if (!current_->run(deadline, words_[next_])) return false;
  if (words_[next_].state == Alternative::State::Fits) ++fitting_;
  current_.reset();
  ++next_;
  return true;
}

void AlternativeList::checkMore(std::chrono::steady_clock::time_point deadline) {
  while (!done() && std::chrono::steady_clock::now() < deadline && checkOne(deadline)) {
  }
}

void AlternativeList::checkUntil(std::size_t count, int threads) {
  if (threads > 1 && !done() && fitting_ < count) {
    checkSideBySide(count, threads);
    return;
  }
  while (!done() && fitting_ < count) checkOne(std::chrono::steady_clock::time_point::max());
}

// Each thread takes the next word. A word's answer does not depend on the others', so words
// join the list in order as they are done, up to the count, and the list is the one a single
// thread makes; words checked past the count are left unchecked, as one thread leaves them.
void AlternativeList::checkSideBySide(std::size_t count, int threads) {
  current_.reset();  // a check a deadline cut starts again
  std::mutex mutex;
  std::atomic<bool> enough{false};
  std::size_t taken = next_;
  std::vector<char> ended(words_.size(), 0);
  std::exception_ptr error;
  auto work = [&] {
    try {
      while (true) {
        std::size_t k = 0;
        {
          std::lock_guard<std::mutex> lock(mutex);
          if (enough || taken >= words_.size()) return;
          k = taken++;
        }
        Alternative entry;
        Check check(*this, k, &enough);
        if (!check.run(std::chrono::steady_clock::time_point::max(), entry)) return;
        std::lock_guard<std::mutex> lock(mutex);
        words_[k].state = entry.state;
        words_[k].worstRank = entry.worstRank;
        words_[k].proven = entry.proven;
        ended[k] = 1;
        while (!done() && ended[next_] != 0 && fitting_ < count) {
          if (words_[next_].state == Alternative::State::Fits) ++fitting_;
          ++next_;
        }
        if (done() || fitting_ >= count) enough = true;
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex);
      if (!error) error = std::current_exception();
      enough = true;
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads share the words
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (error) std::rethrow_exception(error);
  for (std::size_t k = next_; k < words_.size(); ++k) {
    words_[k].state = Alternative::State::Unchecked;
    words_[k].worstRank = 0;
    words_[k].proven = false;
  }
}

}  // namespace vexilo
