#include "search/fast_fill.h"

#include <algorithm>
#include <numeric>
#include <thread>

#include "search/banned_words.h"
#include "search/split_search.h"

namespace vexilo {

namespace {

// How often each slot, by model slot, failed in the solver.
std::vector<std::uint64_t> failuresOf(const FillModel& model, const FillSolver& solver) {
  std::vector<std::uint64_t> failures(static_cast<std::size_t>(model.slotCount()), 0);
  for (const int s : solver.slots()) failures[static_cast<std::size_t>(s)] = solver.failuresOf(s);
  return failures;
}

// A pump inside a long propagation comes at most this often; at every decision it comes anyway.
constexpr auto PumpInterval = std::chrono::milliseconds(20);
constexpr std::size_t MostBlocking = 5;

}  // namespace

// One run: the solvers of the parts, what they wrote into the grid, and the pump between them.
class FastFill::Run : public SolverWatch {
 public:
  Run(FastFill& engine, PuzzleGrid& grid, SlotTable& table, FillHost& host, const FillModel& model)
      : engine_(engine),
        grid_(grid),
        table_(table),
        host_(host),
        model_(model),
        snapshot_(grid),
        words_(static_cast<std::size_t>(model.slotCount()), -1),
        written_(CellCount, 0) {}

  SearchEnd best();
  SearchEnd further(const std::vector<std::vector<int>>& shown);
  const std::vector<int>& words() const { return words_; }
  void writeCandidateLists();

  bool stopNow(const FillSolver& solver, bool atDecision) override;

 private:
  struct Outcome {
    bool found = false;
    bool proven = false;  // found the best, or proved there is none
    std::uint32_t worst = 0;
  };

  Outcome optimize(FillSolver& solver, bool firstOnly, std::uint64_t workLimit = 0);
  Outcome split(const std::vector<int>& part, const std::vector<std::pair<int, int>>& used,
                std::vector<std::uint64_t>& failures);
  Outcome runSplit(const std::vector<int>& part, const std::vector<std::pair<int, int>>& used,
                   SplitSearch::Goal goal, std::uint32_t bound,
                   std::vector<std::uint64_t>& failures);
  void adopt(const FillSolver& solver);
  void adopt(const std::vector<int>& slots, const std::vector<int>& words, std::uint32_t worst);
  std::vector<std::pair<int, int>> usedElsewhere(const std::vector<int>& part) const;
  bool pollHost(bool now);
  bool fillsWithout(const std::vector<int>& slots, std::uint32_t bound);
  void polish(const std::vector<int>& part, const std::vector<std::pair<int, int>>& used,
              std::uint32_t worst);
  SearchEnd joint();
  // failures: by model slot, of the solvers that searched the part; empty: none did.
  void noteBlocking(const std::vector<int>& part, const std::vector<std::uint64_t>& failures);
  void show(const std::vector<int>& slots);
  void unshow(const std::vector<int>& slots);
  bool gridChangedByCommand() const;
  void count(const FillSolver& solver);
  bool interrupted() const { return stopped_ || engine_.gridChanged_; }

  FastFill& engine_;
  PuzzleGrid& grid_;
  SlotTable& table_;
  FillHost& host_;
  const FillModel& model_;
  const PuzzleGrid snapshot_;
  std::vector<int> words_;     // by slot, -1 where none
  std::vector<char> written_;  // cells holding a letter this run wrote
  std::chrono::steady_clock::time_point lastPump_ = std::chrono::steady_clock::now();
  std::uint64_t workLimit_ = 0;  // of the solver at work; 0: none
  bool workSpent_ = false;
  bool deadlineReached_ = false;
  bool stopped_ = false;  // by the search state
  FastProgress before_;   // of the solvers done with
  std::uint32_t worst_ = 0;
};

bool FastFill::Run::stopNow(const FillSolver& solver, bool atDecision) {
  FastProgress& progress = engine_.progress_;
  progress.decisions = before_.decisions + solver.decisions();
  progress.backtracks = before_.backtracks + solver.backtracks();
  progress.restarts = before_.restarts + solver.restarts();
  progress.nogoods = before_.nogoods + solver.nogoodCount();
  progress.closedShare = solver.restarts() == 0 ? solver.closedShare() : -1;
  if (workLimit_ != 0 && solver.work() >= workLimit_) workSpent_ = true;
  return pollHost(atDecision);
}

// The deadline, then the pump (at once, or when its interval has passed): true to stop.
bool FastFill::Run::pollHost(bool now) {
  const auto time = std::chrono::steady_clock::now();
  if (engine_.settings.deadline && time >= *engine_.settings.deadline) deadlineReached_ = true;
  if (workSpent_ || deadlineReached_) return true;
  if (!now && time - lastPump_ < PumpInterval) return false;
  lastPump_ = time;
  if (host_.pumpMessages() && gridChangedByCommand()) engine_.gridChanged_ = true;
  if (host_.searchState() != SearchRunning) stopped_ = true;
  return interrupted();
}

// Whether a command changed a cell: its kind, its group, or a letter this run did not write.
bool FastFill::Run::gridChangedByCommand() const {
  for (int c = 0; c < CellCount; ++c) {
    const NodeBox& now = grid_.cellAt(c);
    const NodeBox& was = snapshot_.cellAt(c);
    if (now.flag != was.flag || now.mark != was.mark) return true;
    if (written_[static_cast<std::size_t>(c)] == 0 && now.str != was.str) return true;
  }
  return false;
}

void FastFill::Run::count(const FillSolver& solver) {
  before_.decisions += solver.decisions();
  before_.backtracks += solver.backtracks();
  before_.restarts += solver.restarts();
  before_.nogoods += solver.nogoodCount();
  FastProgress& progress = engine_.progress_;
  progress.decisions = before_.decisions;
  progress.backtracks = before_.backtracks;
  progress.restarts = before_.restarts;
  progress.nogoods = before_.nogoods;
}

// Finds fills of the solver's slots, each better than the last, until it proves the last the
// best (or, first only, until the first); shows each as it comes.
FastFill::Run::Outcome FastFill::Run::optimize(FillSolver& solver, bool firstOnly,
                                               std::uint64_t workLimit) {
  Outcome outcome;
  workLimit_ = 0;
  while (true) {
    const FillSolver::Status status = solver.solve(this);
    if (status == FillSolver::Status::Stopped) break;
    if (status == FillSolver::Status::Exhausted) {
      outcome.proven = true;
      break;
    }
    outcome.found = true;
    outcome.worst = solver.worstRank();
    adopt(solver);
    if (firstOnly) break;
    if (workLimit != 0 && workLimit_ == 0) workLimit_ = solver.work() + workLimit;
    if (!solver.tightenBound(solver.worstRank())) {
      outcome.proven = true;
      break;
    }
  }
  workLimit_ = 0;
  count(solver);
  return outcome;
}

void FastFill::Run::adopt(const FillSolver& solver) {
  std::vector<int> words(words_.size(), -1);
  for (const int s : solver.slots()) words[static_cast<std::size_t>(s)] = solver.wordOf(s);
  adopt(solver.slots(), words, solver.worstRank());
}

void FastFill::Run::adopt(const std::vector<int>& slots, const std::vector<int>& words,
                          std::uint32_t worst) {
  for (const int s : slots)
    words_[static_cast<std::size_t>(s)] = words[static_cast<std::size_t>(s)];
  show(slots);
  FastProgress& progress = engine_.progress_;
  progress.worstRank = std::max(worst_, worst);
  progress.rankSum = 0;
  for (const int s : model_.freeSlots()) {
    const int w = words_[static_cast<std::size_t>(s)];
    if (w >= 0) progress.rankSum += model_.rankOf(s, w);
  }
}

// Words standing in the parts filled before, which the slots of this one may not take.
std::vector<std::pair<int, int>> FastFill::Run::usedElsewhere(const std::vector<int>& part) const {
  std::vector<std::pair<int, int>> used;
  for (const int s : part) {
    for (const int t : model_.slot(s).sameLength) {
      const int w = words_[static_cast<std::size_t>(t)];
      if (w >= 0 && model_.slot(t).part != model_.slot(s).part) used.emplace_back(s, w);
    }
  }
  return used;
}

// The part searched by several threads: the best fill's worst rank proven (or the first fill),
// then, of the fills with that worst rank, one picked the same way on every run.
FastFill::Run::Outcome FastFill::Run::split(const std::vector<int>& part,
                                            const std::vector<std::pair<int, int>>& used,
                                            std::vector<std::uint64_t>& failures) {
  const bool first = engine_.settings.firstOnly;
  Outcome outcome = runSplit(part, used, first ? SplitSearch::Goal::First : SplitSearch::Goal::Best,
                             ~std::uint32_t{0}, failures);
  if (first || !outcome.found || !outcome.proven || interrupted()) return outcome;
  std::vector<std::uint64_t> more;
  runSplit(part, used, SplitSearch::Goal::Pick, outcome.worst + 1, more);
  return outcome;
}

// One split search; this thread pumps the host meanwhile and shows each better fill found.
FastFill::Run::Outcome FastFill::Run::runSplit(const std::vector<int>& part,
                                               const std::vector<std::pair<int, int>>& used,
                                               SplitSearch::Goal goal, std::uint32_t bound,
                                               std::vector<std::uint64_t>& failures) {
  Outcome outcome;
  // As a solver does at its first decision: a command waiting stops the run before any fill.
  if (pollHost(true)) return outcome;
  SplitSearch search(model_, part, engine_.settings.switches, engine_.threadCount(), goal, used,
                     this, bound);
  bool ended = false;
  while (!ended) {
    ended = search.waitFor(PumpInterval / 4);
    std::vector<int> words;
    std::uint32_t worst = 0;
    bool shown = false;  // a better fill: the host gets a pump to see it
    if (search.takeImproved(words, worst)) {
      adopt(part, words, worst);
      outcome.found = true;
      outcome.worst = worst;
      shown = true;
    }
    const SplitSearch::Counts counts = search.counts();
    FastProgress& progress = engine_.progress_;
    progress.decisions = before_.decisions + counts.decisions;
    progress.backtracks = before_.backtracks + counts.backtracks;
    progress.restarts = before_.restarts + counts.restarts;
    progress.nogoods = before_.nogoods + counts.nogoods;
    progress.closedShare = search.closedShare();
    if ((!ended || shown) && pollHost(true)) break;
  }
  search.stop();  // every thread has ended when it returns
  search.rethrow();
  std::vector<int> words;
  std::uint32_t worst = 0;
  if (search.takeImproved(words, worst)) {
    adopt(part, words, worst);
    outcome.found = true;
    outcome.worst = worst;
  }
  const SplitSearch::Counts counts = search.counts();
  before_.decisions += counts.decisions;
  before_.backtracks += counts.backtracks;
  before_.restarts += counts.restarts;
  before_.nogoods += counts.nogoods;
  FastProgress& progress = engine_.progress_;
  progress.decisions = before_.decisions;
  progress.backtracks = before_.backtracks;
  progress.restarts = before_.restarts;
  progress.nogoods = before_.nogoods;
  outcome.proven = search.proven();
  failures = search.failures();
  return outcome;
}

// Whether the slots have a fill of worst rank below the bound when no word is taken by others.
bool FastFill::Run::fillsWithout(const std::vector<int>& slots, std::uint32_t bound) {
  FillSolver solver(model_, slots, engine_.settings.switches);
  solver.tightenBound(bound);
  const FillSolver::Status status = solver.solve(this);
  count(solver);
  return status == FillSolver::Status::Solution;
}

// Of the fills of the part with the proven worst rank, the one with the smallest sum of ranks
// that branching on words in priority order finds within the work allowed: letters prove the
// worst rank sooner, words fill with more common ones.
void FastFill::Run::polish(const std::vector<int>& part,
                           const std::vector<std::pair<int, int>>& used, std::uint32_t worst) {
  SolverSwitches switches = engine_.settings.switches;
  switches.letters = false;
  FillSolver solver(model_, part, switches);
  for (const auto& [s, w] : used) solver.excludeWord(s, w);
  solver.tightenBound(worst + 1);
  std::uint64_t sum = 0;
  for (const int s : part) sum += model_.rankOf(s, words_[static_cast<std::size_t>(s)]);
  solver.limitSum(sum);
  // Where words find such a fill at all, they find the first one early: a quarter of the work.
  workLimit_ = engine_.settings.polishWork / 4;
  while (solver.solve(this) == FillSolver::Status::Solution) {
    adopt(solver);
    solver.limitSum(solver.rankSum());
    workLimit_ = engine_.settings.polishWork;
  }
  workLimit_ = 0;
  workSpent_ = false;
  count(solver);
}

SearchEnd FastFill::Run::best() {
  const FastFillSettings& settings = engine_.settings;
  bool blocked = false;
  bool proven = true;
  for (const std::vector<int>& part : model_.parts()) {
    if (std::any_of(part.begin(), part.end(),
                    [this](int s) { return model_.slot(s).initialCount == 0; })) {
      noteBlocking(part, {});
      blocked = true;
      continue;
    }
    const std::vector<std::pair<int, int>> used = usedElsewhere(part);
    const bool excluded = !used.empty();
    FillSolver solver(model_, part, settings.switches);
    Outcome outcome;
    std::vector<std::uint64_t> failures;  // of the split's threads
    if (engine_.threadCount() > 1) {
      outcome = split(part, used, failures);
    } else {
      for (const auto& [s, w] : used) solver.excludeWord(s, w);
      outcome = optimize(solver, settings.firstOnly);
    }
    if (interrupted()) break;
    if (!outcome.found && !outcome.proven) break;  // deadline
    // Words of the parts before may be what this part lacks, or what keeps its best from it:
    // then the parts are filled together.
    if (excluded && !outcome.found && fillsWithout(part, ~std::uint32_t{0})) return joint();
    if (excluded && outcome.found && outcome.proven && !settings.firstOnly &&
        outcome.worst > worst_ && fillsWithout(part, outcome.worst)) {
      return joint();
    }
    if (outcome.found && outcome.proven && !settings.firstOnly) polish(part, used, outcome.worst);
    if (interrupted()) break;
    if (!outcome.found) {
      noteBlocking(part, failures.empty() ? failuresOf(model_, solver) : failures);
      blocked = true;
      continue;
    }
    worst_ = std::max(worst_, outcome.worst);
    proven = proven && outcome.proven && !settings.firstOnly;
  }
  engine_.progress_.proven = proven && !interrupted() && !deadlineReached_;
  if (stopped_ || engine_.gridChanged_) return SearchEnd::Stopped;
  if (blocked) return SearchEnd::NoFill;
  for (const int s : model_.freeSlots()) {
    if (words_[static_cast<std::size_t>(s)] < 0) return SearchEnd::Stopped;  // the deadline
  }
  return SearchEnd::Filled;
}

// Every part in one solver, when the words one part takes matter to another.
SearchEnd FastFill::Run::joint() {
  std::fill(words_.begin(), words_.end(), -1);
  unshow(model_.freeSlots());
  worst_ = 0;
  FillSolver solver(model_, model_.freeSlots(), engine_.settings.switches);
  const Outcome outcome = optimize(solver, engine_.settings.firstOnly);
  engine_.progress_.proven = outcome.found && outcome.proven && !engine_.settings.firstOnly;
  if (stopped_ || engine_.gridChanged_) return SearchEnd::Stopped;
  if (outcome.found) return SearchEnd::Filled;
  if (!outcome.proven) return SearchEnd::Stopped;
  noteBlocking(model_.freeSlots(), failuresOf(model_, solver));
  return SearchEnd::NoFill;
}

// A fill unlike each shown before in a third of the slots: the first found, then better ones
// within the work allowed.
SearchEnd FastFill::Run::further(const std::vector<std::vector<int>>& shown) {
  const std::vector<int>& slots = model_.freeSlots();
  const int n = static_cast<int>(slots.size());
  if (n == 0) return SearchEnd::NoFurtherFill;  // nothing can differ
  SolverSwitches switches = engine_.settings.switches;
  switches.symmetry = false;  // a fill may differ from those shown where its transpose does not
  FillSolver solver(model_, slots, switches);
  for (const std::vector<int>& fill : shown) solver.addDifference(fill, n - (n + 2) / 3);
  const Outcome outcome =
      optimize(solver, engine_.settings.firstOnly, engine_.settings.furtherFillWork);
  engine_.progress_.proven = outcome.found && outcome.proven;
  if (stopped_ || engine_.gridChanged_) return SearchEnd::Stopped;
  if (outcome.found) return SearchEnd::Filled;
  return outcome.proven ? SearchEnd::NoFurtherFill : SearchEnd::Stopped;
}

void FastFill::Run::noteBlocking(const std::vector<int>& part,
                                 const std::vector<std::uint64_t>& failures) {
  std::vector<BlockingSlot>& blocking = engine_.blocking_;
  std::vector<int> empty;
  for (const int s : part) {
    if (model_.slot(s).initialCount == 0) empty.push_back(s);
  }
  if (!empty.empty()) {
    engine_.blockedByEmptySlot_ = true;
    for (const int s : empty) blocking.push_back({s, 0});
    return;
  }
  if (failures.empty()) return;
  auto failuresOf = [&failures](int s) { return failures[static_cast<std::size_t>(s)]; };
  std::vector<int> order(part);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return failuresOf(a) > failuresOf(b); });
  std::size_t named = 0;
  for (const int s : order) {
    if (named == MostBlocking || failuresOf(s) == 0) break;
    blocking.push_back({s, static_cast<std::size_t>(model_.slot(s).initialCount)});
    ++named;
  }
}

// Writes the letters of the slots' words into their cells, every cell of a letter variable;
// given letters are never written.
void FastFill::Run::show(const std::vector<int>& slots) {
  for (const int s : slots) {
    const FillModel::Slot& slot = model_.slot(s);
    const int w = words_[static_cast<std::size_t>(s)];
    if (w < 0) continue;
    ++engine_.progress_.wordsPlaced;
    for (int p = 0; p < slot.length; ++p) {
      const FillModel::Var& var = model_.var(slot.vars[static_cast<std::size_t>(p)]);
      if (var.fixed != -1) continue;
      const std::string& letter = model_.tables().letterText(slot.words->letterAt(w, p));
      for (const int c : var.cells) {
        NodeBox& box = grid_.cellAt(c);
        if (box.flag == Fixed || box.str == letter) continue;
        box.str = letter;
        written_[static_cast<std::size_t>(c)] = 1;
        host_.cellChanged(c);
      }
    }
  }
}

// Takes back what this run wrote into the slots' cells, where the cell still shows it.
void FastFill::Run::unshow(const std::vector<int>& slots) {
  for (const int s : slots) {
    for (const int v : model_.slot(s).vars) {
      for (const int c : model_.var(v).cells) {
        if (written_[static_cast<std::size_t>(c)] == 0) continue;
        written_[static_cast<std::size_t>(c)] = 0;
        NodeBox& box = grid_.cellAt(c);
        const NodeBox& was = snapshot_.cellAt(c);
        if (box.flag != was.flag || box.str == was.str) continue;
        box.str = was.str;
        host_.cellChanged(c);
      }
    }
  }
}

// Each slot lists every word that fits it with the rest of the fill kept, its own word first.
void FastFill::Run::writeCandidateLists() {
  for (const int s : model_.freeSlots()) {
    const int word = words_[static_cast<std::size_t>(s)];
    if (word < 0) continue;
    const FillModel::Slot& slot = model_.slot(s);
    const LengthWords& words = *slot.words;
    std::vector<std::string>& list = table_.slots[static_cast<std::size_t>(s)].candidates;
    list.emplace_back(words.words[static_cast<std::size_t>(word)]);
    std::vector<Bits> fit(slot.initial);
    for (int p = 0; p < slot.length; ++p) {
      const int v = slot.vars[static_cast<std::size_t>(p)];
      const FillModel::Var& var = model_.var(v);
      const bool crossed = std::any_of(var.occurrences.begin(), var.occurrences.end(),
                                       [s](const auto& o) { return o.first != s; });
      const bool beyond = std::any_of(var.cells.begin(), var.cells.end(), [&](int c) {
        return positionInSlot(table_.slots[static_cast<std::size_t>(s)], c) < 0;
      });
      if (crossed || beyond) {
        keepOnly(fit.data(), 0, words.blocks, words.wordsWith(p, words.letterAt(word, p)));
      }
    }
    for (const int other : slot.sameLength) {
      const int taken = words_[static_cast<std::size_t>(other)];
      if (taken >= 0) clearBit(fit.data(), taken);
    }
    forEachBit(fit.data(), 0, words.blocks, [&](int w) {
      if (w != word) list.emplace_back(words.words[static_cast<std::size_t>(w)]);
      return true;
    });
  }
}

int FastFill::threadCount() const {
  if (settings.threads > 0) return settings.threads;
  return static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
}

const std::vector<int>& FastFill::lastFill() const {
  static const std::vector<int> none;
  return resumable_ && !shown_.empty() ? shown_.back() : none;
}

FastFill::FastFill() = default;
FastFill::~FastFill() = default;

void FastFill::forget() {
  model_.reset();
  shown_.clear();
  resumable_ = false;
}

SearchEnd FastFill::run(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FillHost& host,
                        const BannedWords* banned) {
  progress_ = FastProgress{};
  gridChanged_ = false;
  complete_ = false;
  blocking_.clear();
  blockedByEmptySlot_ = false;
  for (int s = 0; s < table.slotCount; ++s) {
    WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    slot.candidates.clear();
    slot.cursor = BucketEntry{};
    slot.placed = false;
  }
  if (!tables_ || !tables_->describes(index)) {
    tables_ = std::make_shared<WordTables>(index);
    forget();
  }
  const std::uint64_t bans = banned ? banned->changes() + 1 : 0;
  // Only a run that ended on a fill may be followed by a further one: one left by an
  // exception was not.
  const bool further =
      resumable_ && model_ && bans == bansSeen_ && model_->slotCount() == table.slotCount;
  resumable_ = false;
  if (!further) {
    shown_.clear();
    FillOptions options;
    options.slots = settings.slots;
    options.banned = banned;
    model_ = std::make_shared<FillModel>(grid, table, *tables_, options);
    bansSeen_ = bans;
  }
  const std::shared_ptr<const FillModel> model = model_;
  Run run(*this, grid, table, host, *model);
  const SearchEnd end = further ? run.further(shown_) : run.best();
  complete_ = std::none_of(model->freeSlots().begin(), model->freeSlots().end(),
                           [&run](int s) { return run.words()[static_cast<std::size_t>(s)] < 0; });
  if (end == SearchEnd::Filled) {
    run.writeCandidateLists();
    std::vector<int> fill(run.words());
    shown_.push_back(std::move(fill));
    resumable_ = true;
  } else if (end == SearchEnd::NoFurtherFill) {
    forget();
  }
  return end;
}

std::string blockingSlotLine(const PuzzleGrid& grid, const WordSlot& slot, std::size_t candidates) {
  std::string line = slot.direction == Across ? "\x89\xA1" : "\x8F\x63";  // 横 縦
  line += ' ' + std::to_string(slot.row + 1) + "\x8D\x73";                // 行
  line += std::to_string(slot.column + 1) + "\x97\xF1";                   // 列
  line += ' ' + std::to_string(slot.length) + "\x95\xB6\x8E\x9A ";        // 文字
  for (int p = 0; p < slot.length; ++p) {
    const NodeBox& box = grid.cellAt(slotCell(slot, p));
    if (!box.str.empty() && (box.flag == Fixed || box.flag == Open || box.flag == Star)) {
      line += box.str;
    } else if (box.flag == Star) {
      line += "\x81\x96";  // ＊
    } else {
      line += "\x81\x45";  // ・
    }
  }
  line += ": " + std::to_string(candidates) + "\x8C\xEA";  // 語
  return line;
}

}  // namespace vexilo
