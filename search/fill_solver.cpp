#include "search/fill_solver.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace vexilo {

namespace {

// Work between two calls of the watch inside a propagation: some tens of microseconds.
constexpr std::uint64_t PollWork = 1 << 15;
// Few words left: reading their letters costs less than looking for each letter.
constexpr int ReadWordsFactor = 4;

// 1, 1, 2, 1, 1, 2, 4, 1, 1, 2, 1, 1, 2, 4, 8, ... for i = 0, 1, ...
std::uint64_t luby(std::uint64_t i) {
  std::uint64_t size = 1;
  int power = 0;
  while (size < i + 1) {
    size = 2 * size + 1;
    ++power;
  }
  while (size - 1 != i) {
    size = (size - 1) / 2;
    --power;
    if (i >= size) i -= size;
  }
  return std::uint64_t{1} << power;
}

}  // namespace

FillSolver::FillSolver(const FillModel& model, std::vector<int> slots,
                       const SolverSwitches& switches)
    : model_(model), switches_(switches), active_(std::move(slots)) {
  std::sort(active_.begin(), active_.end());
  slotStates_.resize(static_cast<std::size_t>(model.slotCount()));
  varStates_.resize(static_cast<std::size_t>(model.varCount()));
  solution_.assign(static_cast<std::size_t>(model.slotCount()), -1);
  watches_.resize(static_cast<std::size_t>(model.slotCount() + model.varCount()));
  cuts_.assign(MaxSlotLength + 1, 0);
  std::size_t bits = 0;
  std::size_t residues = 0;
  std::size_t widest = 0;
  for (const int s : active_) {
    const FillModel::Slot& slot = model.slot(s);
    SlotState& state = slot_(s);
    state.active = true;
    state.offset = bits;
    bits += static_cast<std::size_t>(slot.words->blocks);
    state.residueOffset = residues;
    residues += static_cast<std::size_t>(slot.words->setCount());
    widest = std::max(widest, static_cast<std::size_t>(slot.words->blocks));
    cuts_[static_cast<std::size_t>(slot.length)] = slot.words->count;
    for (const int v : slot.vars) var_(v).active = true;
  }
  slotBits_.assign(bits, 0);
  for (const int s : active_) {
    SlotState& state = slot_(s);
    const FillModel::Slot& slot = model.slot(s);
    std::copy(slot.initial.begin(), slot.initial.end(), bitsOf(s));
    state.lo = 0;
    state.hi = slot.words->blocks;
    recount(s);
    if (state.size == 0) failed_ = true;
  }
  varBlocks_ = model.letterBlocks();
  const int letters = model.tables().letterCount();
  for (int v = 0; v < model.varCount(); ++v) {
    if (var_(v).active) activeVars_.push_back(v);
  }
  varBits_.assign(activeVars_.size() * static_cast<std::size_t>(varBlocks_), 0);
  for (std::size_t k = 0; k < activeVars_.size(); ++k) {
    const int v = activeVars_[k];
    VarState& state = var_(v);
    state.offset = k * static_cast<std::size_t>(varBlocks_);
    const int fixed = model.var(v).fixed;
    Bits* set = varBits(v);
    if (fixed >= 0) {
      setBit(set, fixed);
      state.size = 1;
    } else if (fixed == -1) {
      for (int a = 0; a < letters; ++a) setBit(set, a);
      state.size = letters;
    }
  }
  residues_.assign(residues, 0);
  seen_.assign(static_cast<std::size_t>(MaxSlotLength * varBlocks_), 0);
  temp_.assign(widest, 0);
  queued_.assign(static_cast<std::size_t>(model.slotCount()), 0);
  random_ = 0x9E3779B97F4A7C15ULL ^ switches_.seed;
  restartLimit_ = static_cast<std::uint64_t>(std::max(1, switches_.restartBase));
  nextPoll_ = PollWork;
  if (switches_.symmetry) ordered_ = model.transposedPair(active_);
}

void FillSolver::recount(int s) {
  SlotState& d = slot_(s);
  const Bits* bits = bitsOf(s);
  while (d.lo < d.hi && bits[d.lo] == 0) ++d.lo;
  while (d.hi > d.lo && bits[d.hi - 1] == 0) --d.hi;
  d.size = countBits(bits, d.lo, d.hi);
  work_ += static_cast<std::uint64_t>(d.hi - d.lo);
}

void FillSolver::saveSlot(int s) {
  SlotState& d = slot_(s);
  if (d.stamp == level_) return;
  slotTrail_.push_back({s, d.lo, d.hi, d.size, d.assigned, d.stamp, trailBits_.size()});
  const Bits* bits = bitsOf(s);
  trailBits_.insert(trailBits_.end(), bits + d.lo, bits + d.hi);
  d.stamp = level_;
}

void FillSolver::saveVar(int v) {
  VarState& var = var_(v);
  if (var.stamp == level_) return;
  varTrail_.push_back({v, var.size, var.stamp, trailBits_.size()});
  const Bits* bits = varBits(v);
  trailBits_.insert(trailBits_.end(), bits, bits + varBlocks_);
  var.stamp = level_;
}

void FillSolver::undo(const Frame& frame) {
  while (slotTrail_.size() > frame.slotMark) {
    const SlotSave& save = slotTrail_.back();
    SlotState& d = slot_(save.slot);
    Bits* bits = bitsOf(save.slot);
    // Blocks outside the saved [lo, hi) were zero then and can only be zero now.
    std::copy(trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits),
              trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits) + (save.hi - save.lo),
              bits + save.lo);
    d.lo = save.lo;
    d.hi = save.hi;
    d.size = save.size;
    d.assigned = save.assigned;
    d.stamp = save.stamp;
    slotTrail_.pop_back();
  }
  while (varTrail_.size() > frame.varMark) {
    const VarSave& save = varTrail_.back();
    VarState& var = var_(save.var);
    std::copy(trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits),
              trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits) + varBlocks_,
              varBits(save.var));
    var.size = save.size;
    var.stamp = save.stamp;
    varTrail_.pop_back();
  }
  trailBits_.resize(frame.bitsMark);
}

void FillSolver::undoAll() {
  if (!frames_.empty()) undo(frames_.front());
  frames_.clear();
  level_ = 0;
  dropQueues();
}

// After a failure: what was queued describes domains about to be undone.
void FillSolver::dropQueues() {
  for (const int s : queue_) queued_[static_cast<std::size_t>(s)] = 0;
  queue_.clear();
  assignQueue_.clear();
}

void FillSolver::domainChanged(int s, std::uint32_t positions) {
  SlotState& d = slot_(s);
  if (queued_[static_cast<std::size_t>(s)] == 0) {
    queued_[static_cast<std::size_t>(s)] = 1;
    queue_.push_back(s);
    d.toRevise = positions;
  } else {
    d.toRevise |= positions;
  }
  if (d.size == 1 && d.assigned < 0) {
    d.assigned = firstBit(bitsOf(s), d.lo, d.hi);
    assignQueue_.push_back(s);
  }
}

void FillSolver::assign(int s, int word) {
  saveSlot(s);
  SlotState& d = slot_(s);
  Bits* bits = bitsOf(s);
  std::fill(bits + d.lo, bits + d.hi, 0);
  setBit(bits, word);
  d.lo = word >> 6;
  d.hi = d.lo + 1;
  d.size = 1;
  domainChanged(s);
}

// Takes the word from the slot; false when that empties it.
bool FillSolver::removeWord(int s, int word, int cause) {
  if (!testBit(bitsOf(s), word)) return true;
  saveSlot(s);
  clearBit(bitsOf(s), word);
  recount(s);
  if (slot_(s).size == 0) {
    conflict(s, cause);
    return false;
  }
  domainChanged(s);
  return true;
}

void FillSolver::conflict(int wiped, int cause) {
  ++slot_(wiped).failures;
  ++slot_(wiped).weight;
  if (cause >= 0 && cause != wiped) ++slot_(cause).weight;
}

bool FillSolver::propagate() {
  bool ok = true;
  while (ok) {
    if (!assignQueue_.empty()) {
      const int key = assignQueue_.back();
      assignQueue_.pop_back();
      ok = key < model_.slotCount() ? settle(key) : fireNogoods(key);
      continue;
    }
    if (queue_.empty()) {
      if (ordered_.first < 0 || orderHolds()) {
        ok = sumFits();
        break;
      }
      ok = keepOrder();
      continue;
    }
    const int s = queue_.back();
    queue_.pop_back();
    queued_[static_cast<std::size_t>(s)] = 0;
    ok = revise(s);
  }
  if (!ok) dropQueues();
  return ok;
}

// Every letter of the first variable is at most the highest of the second, and every letter of
// the second at least the lowest of the first.
bool FillSolver::orderHolds() const {
  const auto [a, b] = ordered_;
  return lastLetter(a) <= lastLetter(b) &&
         firstBit(varBits(b), 0, varBlocks_) >= firstBit(varBits(a), 0, varBlocks_);
}

int FillSolver::lastLetter(int v) const {
  const Bits* bits = varBits(v);
  for (int k = varBlocks_ - 1; k >= 0; --k) {
    if (bits[k] != 0) return k * 64 + 63 - std::countl_zero(bits[k]);
  }
  return -1;
}

bool FillSolver::keepOrder() {
  const auto [a, b] = ordered_;
  const int highest = lastLetter(b);
  dropped_.clear();
  forEachBit(varBits(a), 0, varBlocks_, [&](int letter) {
    if (letter > highest) dropped_.push_back(letter);
    return true;
  });
  if (!dropLetters(a)) return false;
  const int lowest = firstBit(varBits(a), 0, varBlocks_);
  dropped_.clear();
  forEachBit(varBits(b), 0, varBlocks_, [&](int letter) {
    if (letter < lowest) dropped_.push_back(letter);
    return letter < lowest;
  });
  return dropLetters(b);
}

// A slot down to one word: what follows from that word.
bool FillSolver::settle(int s) { return allDifferent(s) && fireNogoods(s) && fireDifferences(s); }

bool FillSolver::isTrue(const Literal& l) const {
  if (l.slot >= 0) return slot_(l.slot).assigned == l.word;
  const int v = -1 - l.slot;
  return var_(v).size == 1 && testBit(varBits(v), l.word);
}

bool FillSolver::isFalse(const Literal& l) const {
  return l.slot >= 0 ? !testBit(bitsOf(l.slot), l.word) : !testBit(varBits(-1 - l.slot), l.word);
}

int FillSolver::watchKey(const Literal& l) const {
  return l.slot >= 0 ? l.slot : model_.slotCount() - 1 - l.slot;
}

// A slot the literal is about, to charge a failure to.
int FillSolver::blamed(const Literal& l) const {
  if (l.slot >= 0) return l.slot;
  for (const auto& [t, q] : model_.var(-1 - l.slot).occurrences) {
    if (slot_(t).active) return t;
  }
  return -1;
}

// Makes the literal false: the word leaves its slot, or the letter its variable.
bool FillSolver::falsify(const Literal& l, int cause) {
  if (l.slot >= 0) return removeWord(l.slot, l.word, cause);
  const int v = -1 - l.slot;
  if (!testBit(varBits(v), l.word)) return true;
  if (var_(v).size == 1) {
    conflict(blamed(l), cause);
    return false;
  }
  return narrowVar(v, l.word, false);
}

// A variable down to one letter: nogoods watching it may fire.
void FillSolver::letterSettled(int v) {
  const int key = model_.slotCount() + v;
  if (var_(v).size == 1 && !watches_[static_cast<std::size_t>(key)].empty()) {
    assignQueue_.push_back(key);
  }
}

// The word of an assigned slot leaves every other slot of its length.
bool FillSolver::allDifferent(int s) {
  const int word = slot_(s).assigned;
  for (const int t : model_.slot(s).sameLength) {
    if (!slot_(t).active) continue;
    ++work_;
    if (!removeWord(t, word, s)) return false;
  }
  return true;
}

// Nogoods watching the word just assigned (key: a slot) or the letter just settled (key: the
// slot count plus a variable): watch another of their literals that is not true, or, when none
// is left, make the other watched one false.
bool FillSolver::fireNogoods(int key) {
  std::vector<std::pair<int, int>>& watching = watches_[static_cast<std::size_t>(key)];
  if (watching.empty()) return true;
  const int slots = model_.slotCount();
  const Literal fired =
      key < slots ? Literal{key, slot_(key).assigned}
                  : Literal{slots - 1 - key, firstBit(varBits(key - slots), 0, varBlocks_)};
  const int s = blamed(fired);
  for (std::size_t k = 0; k < watching.size();) {
    if (watching[k].first != fired.word) {
      ++k;
      continue;
    }
    Nogood& nogood = nogoods_[static_cast<std::size_t>(watching[k].second)];
    std::vector<Literal>& literals = nogood.literals;
    if (literals[0].slot != fired.slot || literals[0].word != fired.word) {
      std::swap(literals[0], literals[1]);
    }
    bool moved = false;
    for (std::size_t other = 2; other < literals.size(); ++other) {
      if (isTrue(literals[other])) continue;
      std::swap(literals[0], literals[other]);
      watches_[static_cast<std::size_t>(watchKey(literals[0]))].emplace_back(literals[0].word,
                                                                             watching[k].second);
      watching[k] = watching.back();
      watching.pop_back();
      moved = true;
      break;
    }
    if (moved) continue;
    ++k;
    const Literal last = literals[1];
    if (isTrue(last)) {
      conflict(s, blamed(last));
      return false;
    }
    if (!falsify(last, s)) return false;
  }
  return true;
}

// A fill must differ from each earlier one in all but maxSame slots: once maxSame slots agree
// with it, its words leave the other slots.
bool FillSolver::fireDifferences(int s) {
  const int word = slot_(s).assigned;
  for (const Difference& difference : differences_) {
    if (difference.words[static_cast<std::size_t>(s)] != word) continue;
    int same = 0;
    for (const int t : active_) {
      if (slot_(t).assigned >= 0 &&
          slot_(t).assigned == difference.words[static_cast<std::size_t>(t)]) {
        ++same;
      }
    }
    work_ += active_.size();
    if (same > difference.maxSame) {
      conflict(s, -1);
      return false;
    }
    if (same < difference.maxSame) continue;
    for (const int t : active_) {
      const int w = difference.words[static_cast<std::size_t>(t)];
      if (w < 0 || slot_(t).assigned >= 0) continue;
      if (!removeWord(t, w, s)) return false;
    }
  }
  return true;
}

// Drops from the variables of slot s the letters that none of its words has left there, and
// from the other slots through those variables the words with the dropped letters.
bool FillSolver::revise(int s) {
  const FillModel::Slot& slot = model_.slot(s);
  const SlotState& d = slot_(s);
  int letterChecks = 0;
  int openPositions = 0;
  const std::uint32_t positions = d.toRevise;
  for (int p = 0; p < slot.length; ++p) {
    const int size = var_(slot.vars[static_cast<std::size_t>(p)]).size;
    if (size <= 1 || (positions >> p & 1U) == 0) continue;
    letterChecks += size;
    ++openPositions;
  }
  if (openPositions == 0) return true;
  const bool readWords = d.size * openPositions <= ReadWordsFactor * letterChecks;
  if (readWords) gatherLetters(s, positions);
  for (int p = 0; p < slot.length; ++p) {
    const int v = slot.vars[static_cast<std::size_t>(p)];
    VarState& var = var_(v);
    if (var.size <= 1 || (positions >> p & 1U) == 0) continue;
    Bits* allowed = varBits(v);
    dropped_.clear();
    const Bits* present = seen_.data() + static_cast<std::size_t>(p * varBlocks_);
    forEachBit(allowed, 0, varBlocks_, [&](int letter) {
      if (readWords ? !testBit(present, letter) : !supported(s, p, letter)) {
        dropped_.push_back(letter);
      }
      return true;
    });
    if (dropped_.empty()) continue;
    saveVar(v);
    for (const int letter : dropped_) clearBit(allowed, letter);
    var.size -= static_cast<int>(dropped_.size());
    letterSettled(v);
    for (const auto& [t, q] : model_.var(v).occurrences) {
      if ((t == s && q == p) || !slot_(t).active) continue;
      if (!filter(t, q, v)) {
        conflict(t, s);
        return false;
      }
    }
    if (stopped_) return false;
  }
  return true;
}

// seen_ gets, per position of `positions`, the letters of the words slot s has left.
void FillSolver::gatherLetters(int s, std::uint32_t positions) {
  const LengthWords& words = wordsOf(s);
  const SlotState& d = slot_(s);
  std::fill_n(seen_.begin(), static_cast<std::ptrdiff_t>(words.length * varBlocks_), 0);
  const std::uint32_t all = words.length >= 32 ? ~std::uint32_t{0} : (1U << words.length) - 1;
  forEachBit(bitsOf(s), d.lo, d.hi, [&](int w) {
    for (std::uint32_t left = positions & all; left != 0; left &= left - 1) {
      const int p = std::countr_zero(left);
      setBit(seen_.data() + static_cast<std::size_t>(p * varBlocks_), words.letterAt(w, p));
    }
    return true;
  });
  work_ += static_cast<std::uint64_t>(d.size);
}

// Some word of slot s has the letter at position p. Where one was found last (a block of a
// dense set, an entry of a sparse one) is tried first; it needs no undo, since a stale one
// only costs the scan.
bool FillSolver::supported(int s, int p, int letter) {
  const LengthWords& words = wordsOf(s);
  const SlotState& d = slot_(s);
  const int set = words.setAt(p, letter);
  if (set < 0) return false;
  const WordSet& with = words.setOf(set);
  const Bits* bits = bitsOf(s);
  int& residue = residues_[d.residueOffset + static_cast<std::size_t>(set)];
  if (!with.bits) {
    if (residue < with.last - with.first && testBit(bits, with.first[residue])) return true;
    for (auto [word, end] = with.within(d.lo, d.hi); word != end; ++word) {
      ++work_;
      if (testBit(bits, *word)) {
        residue = static_cast<int>(word - with.first);
        return true;
      }
    }
    return false;
  }
  if (d.lo <= residue && residue < d.hi && (bits[residue] & with.bits[residue]) != 0) return true;
  const int b = firstCommonBlock(bits, with.bits, d.lo, d.hi);
  if (b == d.hi) {
    work_ += static_cast<std::uint64_t>(d.hi - d.lo);
    return false;
  }
  work_ += static_cast<std::uint64_t>(b - d.lo + 1);
  residue = b;
  return true;
}

// Keeps the words of slot t whose letter at position q is still a letter of variable v;
// dropped_ holds the letters v has just lost.
bool FillSolver::filter(int t, int q, int v) {
  SlotState& d = slot_(t);
  const LengthWords& words = wordsOf(t);
  const Bits* bits = bitsOf(t);
  const Bits* allowed = varBits(v);
  Bits* temp = temp_.data();
  const auto span = static_cast<std::uint64_t>(d.hi - d.lo);
  if (var_(v).size < static_cast<int>(dropped_.size())) {
    std::fill(temp + d.lo, temp + d.hi, 0);
    forEachBit(allowed, 0, varBlocks_, [&](int letter) {
      const int set = words.setAt(q, letter);
      if (set >= 0) addAll(temp, d.lo, d.hi, words.setOf(set));
      work_ += span;
      return true;
    });
    for (int b = d.lo; b < d.hi; ++b) temp[b] &= bits[b];
  } else {
    std::copy(bits + d.lo, bits + d.hi, temp + d.lo);
    for (const int letter : dropped_) {
      const int set = words.setAt(q, letter);
      if (set >= 0) removeAll(temp, d.lo, d.hi, words.setOf(set));
      work_ += span;
    }
  }
  if (work_ >= nextPoll_ && poll(watch_, false)) return false;
  if (std::equal(bits + d.lo, bits + d.hi, temp + d.lo)) return true;
  saveSlot(t);
  std::copy(temp + d.lo, temp + d.hi, bitsOf(t) + d.lo);
  recount(t);
  if (d.size == 0) return false;
  // The words left have the letters v has left at q, as every word with one of those had.
  domainChanged(t, ~(std::uint32_t{1} << q));
  return true;
}

// Takes the words of rank at or above the bound from slot s; false when that empties it.
bool FillSolver::clampToBound(int s) {
  SlotState& d = slot_(s);
  const int cut = cuts_[static_cast<std::size_t>(model_.slot(s).length)];
  if (d.hi * 64 <= cut) return true;
  saveSlot(s);
  Bits* bits = bitsOf(s);
  const int from = std::max(d.lo, cut >> 6);
  if (from < d.hi) {
    if (from == cut >> 6) bits[from] &= (Bits{1} << (cut & 63)) - 1;
    std::fill(bits + std::max(from, (cut + 63) >> 6), bits + d.hi, 0);
  }
  recount(s);
  if (d.size == 0) {
    conflict(s, -1);
    return false;
  }
  domainChanged(s);
  return true;
}

bool FillSolver::clampAll() {
  if (bound_ == ~std::uint32_t{0}) return true;
  for (const int s : active_) {
    if (!clampToBound(s)) return false;
  }
  return true;
}

// The open slot with the fewest words per failure it took part in; the earliest on a tie.
int FillSolver::chooseSlot() const {
  int best = -1;
  for (const int s : active_) {
    const SlotState& d = slot_(s);
    if (d.size <= 1) continue;
    if (best < 0) {
      best = s;
      continue;
    }
    const SlotState& b = slot_(best);
    const std::uint64_t dw = switches_.weightedDegree ? d.weight : 1;
    const std::uint64_t bw = switches_.weightedDegree ? b.weight : 1;
    if (static_cast<std::uint64_t>(d.size) * bw < static_cast<std::uint64_t>(b.size) * dw) {
      best = s;
    }
  }
  return best;
}

// The open variable with the fewest letters per failure of the open slots through it; the
// earliest on a tie.
int FillSolver::chooseVar() const {
  int best = -1;
  std::uint64_t bestSize = 0;
  std::uint64_t bestWeight = 1;
  for (const int v : activeVars_) {
    const VarState& var = var_(v);
    if (var.size <= 1) continue;
    std::uint64_t weight = 0;
    for (const auto& [t, q] : model_.var(v).occurrences) {
      const SlotState& d = slot_(t);
      if (d.active && d.size > 1) weight += switches_.weightedDegree ? d.weight : 1;
    }
    weight = std::max<std::uint64_t>(weight, 1);
    const auto size = static_cast<std::uint64_t>(var.size);
    if (best < 0 || size * bestWeight < bestSize * weight) {
      best = v;
      bestSize = size;
      bestWeight = weight;
    }
  }
  return best;
}

// The log of the words slot t keeps with the letter at position q; far below any other score
// when it keeps none.
double FillSolver::keptScore(int t, int q, int letter) {
  const SlotState& d = slot_(t);
  const WordSet with = wordsOf(t).wordsWith(q, letter);
  const Bits* bits = bitsOf(t);
  int count = 0;
  if (with.bits) {
    count = countCommon(bits, with.bits, d.lo, d.hi);
  } else {
    for (auto [word, end] = with.within(d.lo, d.hi); word != end; ++word) {
      count += testBit(bits, *word) ? 1 : 0;
    }
  }
  work_ += static_cast<std::uint64_t>(d.hi - d.lo);
  return count == 0 ? -1e9 : std::log(static_cast<double>(count));
}

// The letter that leaves the slots through the variable the most words (the product of their
// counts); the first on a tie.
int FillSolver::chooseLetter(int v) {
  int best = -1;
  double bestScore = 0;
  forEachBit(varBits(v), 0, varBlocks_, [&](int letter) {
    const double score = letterScore(v, letter);
    if (best < 0 || score > bestScore) {
      best = letter;
      bestScore = score;
    }
    return true;
  });
  return best;
}

double FillSolver::letterScore(int v, int letter) {
  double score = 0;
  for (const auto& [t, q] : model_.var(v).occurrences) {
    if (slot_(t).active && slot_(t).size > 1) score += keptScore(t, q, letter);
  }
  return score;
}

// Keeps the variable to the letter, or takes the letter from it, and the words without it from
// the slots through it; false when a slot is left without words.
bool FillSolver::narrowVar(int v, int letter, bool keep) {
  dropped_.clear();
  if (keep) {
    forEachBit(varBits(v), 0, varBlocks_, [&](int a) {
      if (a != letter) dropped_.push_back(a);
      return true;
    });
  } else {
    dropped_.push_back(letter);
  }
  return dropLetters(v);
}

// Takes the letters of dropped_ (all the variable's) from the variable, and the words with them
// from the slots through it; false when that leaves the variable or a slot empty.
bool FillSolver::dropLetters(int v) {
  if (dropped_.empty()) return true;
  saveVar(v);
  VarState& var = var_(v);
  Bits* allowed = varBits(v);
  for (const int a : dropped_) clearBit(allowed, a);
  var.size -= static_cast<int>(dropped_.size());
  if (var.size == 0) {
    conflict(blamed({-1 - v, 0}), -1);
    return false;
  }
  letterSettled(v);
  for (const auto& [t, q] : model_.var(v).occurrences) {
    if (!slot_(t).active) continue;
    if (!filter(t, q, v)) {
      conflict(t, -1);
      return false;
    }
  }
  return !stopped_;
}

// Takes the frame's branch: its choice, or once tried, the choice taken back.
bool FillSolver::decide(const Frame& frame, bool tried) {
  if (frame.slot < 0) return narrowVar(-1 - frame.slot, frame.word, !tried);
  if (tried) return removeWord(frame.slot, frame.word, -1);
  assign(frame.slot, frame.word);
  return true;
}

// Of the slot's first few words, the one that leaves its crossing slots the most words (the
// product of their counts); the earliest on a tie.
int FillSolver::lookAheadWord(int s) {
  const SlotState& d = slot_(s);
  const FillModel::Slot& slot = model_.slot(s);
  const LengthWords& words = wordsOf(s);
  int best = -1;
  double bestScore = 0;
  int tried = 0;
  forEachBit(bitsOf(s), d.lo, d.hi, [&](int w) {
    double score = 0;
    for (int p = 0; p < slot.length; ++p) {
      const int letter = words.letterAt(w, p);
      for (const auto& [t, q] : model_.var(slot.vars[static_cast<std::size_t>(p)]).occurrences) {
        if (t != s && slot_(t).active && slot_(t).size > 1) score += keptScore(t, q, letter);
      }
    }
    if (best < 0 || score > bestScore) {
      best = w;
      bestScore = score;
    }
    return ++tried < switches_.lookAhead;
  });
  return best;
}

// The slot's first word, or after the first restart now and then one of its first few.
int FillSolver::chooseWord(int s) {
  const SlotState& d = slot_(s);
  if (switches_.lookAhead > 1) return lookAheadWord(s);
  const int first = firstBit(bitsOf(s), d.lo, d.hi);
  if (!switches_.perturb || restarts_ == 0) return first;
  random_ ^= random_ << 13;
  random_ ^= random_ >> 7;
  random_ ^= random_ << 17;
  if (random_ % 8 != 0) return first;
  int skip = static_cast<int>((random_ >> 8) % 4);
  int chosen = first;
  forEachBit(bitsOf(s), d.lo, d.hi, [&](int w) {
    chosen = w;
    return skip-- > 0;
  });
  return chosen;
}

// Undoes the newest choice and takes its other branch; false when none is left.
bool FillSolver::backtrack() {
  while (!frames_.empty()) {
    ++backtracks_;
    ++failuresSinceRestart_;
    Frame& frame = frames_.back();
    undo(frame);
    if (!frame.tried && !frame.assumed) {
      frame.tried = true;
      level_ = ++levels_;
      if (clampAll() && decide(frame, true) && propagate()) return true;
      if (stopped_) return false;
      dropQueues();
      undo(frame);
    }
    frames_.pop_back();
  }
  level_ = 0;
  if (assumed_) {
    refuteAssumption();
  } else {
    failed_ = true;
  }
  return false;
}

// The assumption as the bottom frame, which restarts leave and backtracking never flips; false
// when it fails at once (then it is refuted).
bool FillSolver::enterAssumption() {
  frames_.push_back({assumption_.slot, assumption_.word, slotTrail_.size(), varTrail_.size(),
                     trailBits_.size(), false, 1, true});
  level_ = ++levels_;
  if (decide(frames_.back(), false) && propagate()) return true;
  if (stopped_) return false;
  dropQueues();
  undo(frames_.back());
  frames_.pop_back();
  level_ = 0;
  refuteAssumption();
  return false;
}

// No fill has the assumed literal: it is false at the root from now on, and shared as a nogood.
void FillSolver::refuteAssumption() {
  assumed_ = false;
  if (keepLearnt_) learnt_.push_back({assumption_});
  pendingNogoods_.push_back({{assumption_}});
  rootChanged_ = true;
}

// Back to the root, keeping the weights; each refuted word of the abandoned branch becomes a
// nogood: the words chosen above it cannot stand with it.
void FillSolver::restart() {
  ++restarts_;
  std::vector<Nogood> learnt;
  if (switches_.nogoods) {
    std::vector<Literal> chosen;
    for (const Frame& frame : frames_) {
      if (!frame.tried) {
        chosen.push_back({frame.slot, frame.word});
        continue;
      }
      Nogood nogood;
      nogood.literals = chosen;
      nogood.literals.push_back({frame.slot, frame.word});
      learnt.push_back(std::move(nogood));
    }
  }
  undoAll();
  failuresSinceRestart_ = 0;
  restartLimit_ =
      luby(++lubyIndex_) * static_cast<std::uint64_t>(std::max(1, switches_.restartBase));
  for (Nogood& nogood : learnt) {
    if (keepLearnt_) learnt_.push_back(nogood.literals);
    pendingNogoods_.push_back(std::move(nogood));
  }
  if (!settleRoot() && !stopped_) failed_ = true;
}

// Adds a nogood at the root: watched on two words not assigned, or, with one left, that word
// leaves its slot at once. False when the root has no fill.
bool FillSolver::addNogood(Nogood nogood) {
  std::vector<Literal>& literals = nogood.literals;
  if (std::any_of(literals.begin(), literals.end(),
                  [this](const Literal& l) { return isFalse(l); })) {
    return true;  // never fires
  }
  std::stable_partition(literals.begin(), literals.end(),
                        [&](const Literal& l) { return !isTrue(l); });
  if (literals.empty() || isTrue(literals[0])) return false;
  if (literals.size() == 1 || isTrue(literals[1])) return falsify(literals[0], -1);
  const int number = static_cast<int>(nogoods_.size());
  watches_[static_cast<std::size_t>(watchKey(literals[0]))].emplace_back(literals[0].word, number);
  watches_[static_cast<std::size_t>(watchKey(literals[1]))].emplace_back(literals[1].word, number);
  nogoods_.push_back(std::move(nogood));
  return true;
}

bool FillSolver::poll(SolverWatch* watch, bool atDecision) {
  if (!atDecision) nextPoll_ = work_ + PollWork;
  if (stopped_) return true;
  if (watch == nullptr || !watch->stopNow(*this, atDecision)) return false;
  // Between decisions the state is whole, and the next solve goes on from it.
  if (!atDecision) stopped_ = true;
  return true;
}

void FillSolver::record() {
  worstRank_ = 0;
  rankSum_ = 0;
  for (const int s : active_) {
    const int w = slot_(s).assigned;
    solution_[static_cast<std::size_t>(s)] = w;
    const std::uint32_t rank = model_.rankOf(s, w);
    worstRank_ = std::max(worstRank_, rank);
    rankSum_ += rank;
  }
}

// A required word or a difference may hold in a fill and not in its transpose.
void FillSolver::requireNoOrder() const {
  if (ordered_.first >= 0) throw std::logic_error("fill solver: a restriction that is no symmetry");
}

void FillSolver::requireValid() const {
  const std::string fault = checkInvariants();
  if (!fault.empty()) throw std::logic_error("fill solver: " + fault);
}

// Root changes after the search began: back to the root, where they apply at the next solve.
// A fill the search stands on is excluded first, so that the next solve gives another.
void FillSolver::toRoot() {
  if (!started_) return;
  if (atSolution_) blockSolution();
  atSolution_ = false;
  undoAll();
  rootChanged_ = true;
}

bool FillSolver::requireWord(int s, int word) {
  requireNoOrder();
  toRoot();
  if (failed_ || !testBit(bitsOf(s), word)) {
    failed_ = true;
    return false;
  }
  if (slot_(s).size > 1) assign(s, word);
  return true;
}

bool FillSolver::excludeWord(int s, int word) {
  toRoot();
  if (failed_ || !removeWord(s, word, -1)) failed_ = true;
  return !failed_;
}

bool FillSolver::keepWords(int s, const std::vector<Bits>& words) {
  toRoot();
  if (failed_) return false;
  saveSlot(s);
  SlotState& d = slot_(s);
  Bits* bits = bitsOf(s);
  for (int b = d.lo; b < d.hi; ++b) bits[b] &= words[static_cast<std::size_t>(b)];
  recount(s);
  if (d.size == 0) {
    failed_ = true;
    return false;
  }
  domainChanged(s);
  return true;
}

int FillSolver::firstBranch(SolverWatch* watch) {
  watch_ = watch;
  if (!started_) {
    started_ = true;
    rootChanged_ = false;
    if (!settleRoot() && !stopped_) failed_ = true;
  }
  return failed_ || stopped_ ? -1 : chooseSlot();
}

std::vector<FillSolver::Literal> FillSolver::firstChoices() {
  std::vector<Literal> choices;
  if (!switches_.letters || failed_ || stopped_) return choices;
  const int v = chooseVar();
  if (v < 0) return choices;
  std::vector<std::pair<double, int>> scored;
  forEachBit(varBits(v), 0, varBlocks_, [&](int letter) {
    scored.emplace_back(-letterScore(v, letter), letter);
    return true;
  });
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [score, letter] : scored) choices.push_back({-1 - v, letter});
  return choices;
}

void FillSolver::assume(const Literal& literal) {
  toRoot();
  assumption_ = literal;
  assumed_ = true;
}

std::vector<Bits> FillSolver::wordsLeft(int s) const {
  const Bits* bits = bitsOf(s);
  return std::vector<Bits>(bits, bits + wordsOf(s).blocks);
}

bool FillSolver::tightenBound(std::uint32_t bound) {
  if (bound >= bound_) return !failed_;
  bound_ = bound;
  for (const int s : active_) {
    const LengthWords& words = wordsOf(s);
    cuts_[static_cast<std::size_t>(words.length)] = words.countBelow(bound);
  }
  // Before the search, now: settling the root propagates it. Once the search runs, at every
  // backtrack, and at the next decision (a bound another thread found), propagated there: a
  // clamp left unpropagated at the root would outlive the first failed branch and let a fill
  // through that breaks it.
  if (started_ && !atSolution_) {
    clampPending_ = true;
  } else if (frames_.empty() && !failed_ && !clampAll()) {
    failed_ = true;
  }
  return !failed_;
}

void FillSolver::limitSum(std::uint64_t limit) { sumLimit_ = std::min(sumLimit_, limit); }

// The lowest sum of ranks the slots' words can still make is below the limit.
bool FillSolver::sumFits() const {
  if (sumLimit_ == ~std::uint64_t{0}) return true;
  std::uint64_t floor = 0;
  for (const int s : active_) {
    const SlotState& d = slot_(s);
    if (d.size == 0) return false;
    floor += model_.rankOf(s, firstBit(bitsOf(s), d.lo, d.hi));
  }
  return floor < sumLimit_;
}

bool FillSolver::addDifference(const std::vector<int>& words, int maxSame) {
  requireNoOrder();
  toRoot();
  differences_.push_back({words, maxSame});
  rootChanged_ = true;
  return !failed_;
}

std::vector<std::vector<FillSolver::Literal>> FillSolver::takeLearnt() {
  keepLearnt_ = true;
  return std::exchange(learnt_, {});
}

void FillSolver::addLearnt(std::vector<Literal> literals) {
  pendingNogoods_.push_back({std::move(literals)});
}

// The fill just found, as a nogood of all its words, added at the next return to the root.
void FillSolver::blockSolution() {
  Nogood nogood;
  for (const int s : active_) {
    nogood.literals.push_back({s, solution_[static_cast<std::size_t>(s)]});
  }
  pendingNogoods_.push_back(std::move(nogood));
}

// At the root: the pending nogoods, the bound, and every constraint on the words assigned
// there. False when the root has no fill.
bool FillSolver::settleRoot() {
  for (Nogood& nogood : pendingNogoods_) {
    if (!addNogood(std::move(nogood))) {
      pendingNogoods_.clear();
      dropQueues();
      return false;
    }
  }
  pendingNogoods_.clear();
  for (const int s : active_) {
    domainChanged(s);
    if (slot_(s).assigned >= 0) assignQueue_.push_back(s);
  }
  for (const int v : activeVars_) letterSettled(v);
  if (clampAll() && propagate()) return true;
  dropQueues();
  return false;
}

FillSolver::Status FillSolver::solve(SolverWatch* watch) {
  watch_ = watch;
  const bool assumed = assumed_;
  if (stopped_) return Status::Stopped;
  if (!failed_ && (!started_ || rootChanged_)) {
    started_ = true;
    rootChanged_ = false;
    if (!settleRoot() && !stopped_) failed_ = true;
  } else if (!failed_ && atSolution_) {
    atSolution_ = false;
    // A restart may lead back to this fill: it is excluded for good at the next one.
    if (switches_.restarts) blockSolution();
    backtrack();
  }
  if (stopped_) return Status::Stopped;
  if (failed_) return Status::Exhausted;
  while (true) {
    if (poll(watch, true)) return Status::Stopped;
    if (failed_) return Status::Exhausted;               // a bound the watch gave emptied the root
    if (assumed && !assumed_) return Status::Exhausted;  // refuted: the caller says what next
    if (assumed_ && frames_.empty() && !enterAssumption()) {
      return stopped_ ? Status::Stopped : Status::Exhausted;
    }
    if (clampPending_) {
      clampPending_ = false;
      if (!(clampAll() && propagate())) {
        if (stopped_) return Status::Stopped;
        dropQueues();
        if (!backtrack()) return stopped_ ? Status::Stopped : Status::Exhausted;
      }
      if (stopped_) return Status::Stopped;
      continue;  // the watch is asked again before the next decision
    }
    if (switches_.checkInvariants) requireValid();
    const int s = chooseSlot();
    if (s < 0) {
      record();
      atSolution_ = true;
      return Status::Solution;
    }
    ++decisions_;
    const int v = switches_.letters ? chooseVar() : -1;
    if (v >= 0) {
      frames_.push_back({-1 - v, chooseLetter(v), slotTrail_.size(), varTrail_.size(),
                         trailBits_.size(), false, var_(v).size});
    } else {
      frames_.push_back({s, chooseWord(s), slotTrail_.size(), varTrail_.size(), trailBits_.size(),
                         false, slot_(s).size});
    }
    level_ = ++levels_;
    const bool ok = decide(frames_.back(), false) && propagate();
    if (!ok && !stopped_) dropQueues();
    if (!ok && !backtrack()) return stopped_ ? Status::Stopped : Status::Exhausted;
    if (stopped_) return Status::Stopped;
    if (switches_.restarts && failuresSinceRestart_ >= restartLimit_) {
      restart();
      if (stopped_) return Status::Stopped;
      if (failed_) return Status::Exhausted;
    }
  }
}

double FillSolver::closedShare() const {
  double closed = 0;
  double open = 1;  // the share of the space under the frames so far
  for (const Frame& frame : frames_) {
    const double words = std::max(frame.sizeAtChoice, 1);
    if (frame.tried) {
      closed += open / words;
      open *= (words - 1) / words;
    } else {
      open /= words;
    }
  }
  return closed;
}

int FillSolver::settledLetter(int v) const {
  const VarState& var = var_(v);
  return var.active && var.size == 1 ? firstBit(varBits(v), 0, varBlocks_) : -1;
}

std::string FillSolver::checkInvariants() const {
  // The checks of a fixpoint hold between propagations of a search that has not failed.
  const bool quiet = started_ && !failed_ && !stopped_ && queue_.empty() && assignQueue_.empty();
  for (const int s : active_) {
    const SlotState& d = slot_(s);
    const LengthWords& words = wordsOf(s);
    const Bits* bits = bitsOf(s);
    const std::string name = "slot " + std::to_string(s) + ": ";
    for (int b = 0; b < words.blocks; ++b) {
      if ((b < d.lo || b >= d.hi) && bits[b] != 0) return name + "a word outside [lo, hi)";
    }
    if (countBits(bits, 0, words.blocks) != d.size) return name + "size is not its word count";
    if (!quiet) continue;
    if (d.size == 1 && d.assigned != firstBit(bits, d.lo, d.hi)) return name + "not assigned";
    if (d.size != 1 && d.assigned != -1) return name + "assigned with other words left";
    if (d.size == 0) return name + "no word left";
    const int cut = cuts_[static_cast<std::size_t>(words.length)];
    bool aboveBound = false;
    forEachBit(bits, std::max(d.lo, cut >> 6), d.hi, [&](int w) {
      aboveBound = w >= cut;
      return !aboveBound;
    });
    if (aboveBound) return name + "a word at or above the bound";
    const FillModel::Slot& slot = model_.slot(s);
    bool lettersKept = true;
    forEachBit(bits, d.lo, d.hi, [&](int w) {
      for (int p = 0; p < slot.length && lettersKept; ++p) {
        lettersKept =
            testBit(varBits(slot.vars[static_cast<std::size_t>(p)]), words.letterAt(w, p));
      }
      return lettersKept;
    });
    if (!lettersKept) return name + "a word with a letter its variable lost";
    for (int p = 0; p < slot.length; ++p) {
      const int v = slot.vars[static_cast<std::size_t>(p)];
      bool supportedAll = true;
      forEachBit(varBits(v), 0, varBlocks_, [&](int letter) {
        bool found = false;
        forEachBit(bits, d.lo, d.hi, [&](int w) {
          found = words.letterAt(w, p) == letter;
          return !found;
        });
        supportedAll = found;
        return supportedAll;
      });
      if (!supportedAll) return name + "a letter no word has";
    }
    for (const int t : slot.sameLength) {
      if (t > s && slot_(t).active && d.assigned >= 0 && slot_(t).assigned == d.assigned) {
        return name + "shares its word with slot " + std::to_string(t);
      }
    }
  }
  for (const int v : activeVars_) {
    if (countBits(varBits(v), 0, varBlocks_) != var_(v).size)
      return "variable " + std::to_string(v) + ": size is not its count";
    const int fixed = model_.var(v).fixed;
    if (fixed >= 0 && quiet && !testBit(varBits(v), fixed)) {
      return "variable " + std::to_string(v) + ": lost its given letter";
    }
  }
  std::size_t slotMark = 0;
  std::size_t varMark = 0;
  for (const Frame& frame : frames_) {
    if (frame.slotMark < slotMark || frame.varMark < varMark) return "frame marks go back";
    slotMark = frame.slotMark;
    varMark = frame.varMark;
  }
  if (slotMark > slotTrail_.size() || varMark > varTrail_.size()) return "a mark past the trail";
  for (std::size_t k = 0; k < slotTrail_.size(); ++k) {
    const SlotSave& save = slotTrail_[k];
    const SlotState& d = slot_(save.slot);
    for (int b = d.lo; b < d.hi; ++b) {
      const Bits before = b >= save.lo && b < save.hi
                              ? trailBits_[save.bits + static_cast<std::size_t>(b - save.lo)]
                              : 0;
      if ((bitsOf(save.slot)[b] & ~before) != 0) {
        return "slot " + std::to_string(save.slot) + ": a word that was not there when saved";
      }
    }
  }
  if (quiet && ordered_.first >= 0 && !orderHolds()) return "the ordered letters are not in order";
  if (quiet && !sumFits()) return "the lowest sum of ranks left is not below the limit";
  if (quiet) {
    for (const Nogood& nogood : nogoods_) {
      const bool allIn = std::all_of(nogood.literals.begin(), nogood.literals.end(),
                                     [this](const Literal& l) { return isTrue(l); });
      if (allIn) return "a nogood holds all its words";
    }
  }
  return {};
}

}  // namespace vexilo
