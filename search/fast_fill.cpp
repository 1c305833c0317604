#include "search/fast_fill.h"

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace vexilo {

namespace {

using Bits = std::uint64_t;

// More letters than this at one position: their rare ones get word lists instead of bits.
constexpr int ManyLetters = 256;

constexpr int bitBlocks(int count) { return (count + 63) / 64; }
bool testBit(const Bits* bits, int i) { return ((bits[i >> 6] >> (i & 63)) & 1U) != 0; }
void setBit(Bits* bits, int i) { bits[i >> 6] |= Bits{1} << (i & 63); }
void clearBit(Bits* bits, int i) { bits[i >> 6] &= ~(Bits{1} << (i & 63)); }
int firstBit(const Bits* bits, int from, int to) {
  for (int b = from; b < to; ++b) {
    if (bits[b] != 0) return b * 64 + std::countr_zero(bits[b]);
  }
  return -1;
}

// Calls visit(i) for every bit set in blocks [from, to); stops when visit returns false.
template <typename Visit>
void forEachBit(const Bits* bits, int from, int to, Visit visit) {
  for (int b = from; b < to; ++b) {
    for (Bits word = bits[b]; word != 0; word &= word - 1) {
      if (!visit(b * 64 + std::countr_zero(word))) return;
    }
  }
}

// The words of one length that have a letter at a position: dense bits over all the words, or,
// when few words have it, their numbers in ascending order, so that thousands of rare letters
// (kanji) do not take a bit per word each.
struct WordSet {
  const Bits* bits = nullptr;  // dense; else [first, last)
  const int* first = nullptr;
  const int* last = nullptr;

  // The words of [first, last) in blocks [lo, hi).
  std::pair<const int*, const int*> within(int lo, int hi) const {
    const int* from = std::lower_bound(first, last, lo * 64);
    return {from, std::lower_bound(from, last, hi * 64)};
  }
};

// bits &= set, over blocks [lo, hi).
void keepOnly(Bits* bits, int lo, int hi, const WordSet& set) {
  if (set.bits) {
    for (int b = lo; b < hi; ++b) bits[b] &= set.bits[b];
    return;
  }
  auto [word, end] = set.within(lo, hi);
  for (int b = lo; b < hi; ++b) {
    Bits mask = 0;
    for (; word != end && *word < (b + 1) * 64; ++word) mask |= Bits{1} << (*word & 63);
    bits[b] &= mask;
  }
}

// bits &= ~set, over blocks [lo, hi).
void removeAll(Bits* bits, int lo, int hi, const WordSet& set) {
  if (set.bits) {
    for (int b = lo; b < hi; ++b) bits[b] &= ~set.bits[b];
    return;
  }
  for (auto [word, end] = set.within(lo, hi); word != end; ++word) clearBit(bits, *word);
}

// bits |= set, over blocks [lo, hi).
void addAll(Bits* bits, int lo, int hi, const WordSet& set) {
  if (set.bits) {
    for (int b = lo; b < hi; ++b) bits[b] |= set.bits[b];
    return;
  }
  for (auto [word, end] = set.within(lo, hi); word != end; ++word) setBit(bits, *word);
}

// Small ids for letters: two-byte characters by their code, any other given text by itself.
class LetterTable {
 public:
  LetterTable() : byCode_(65536, -1) {}

  int idOf(std::string_view text) {
    if (text.size() == 2) {
      const int code =
          static_cast<unsigned char>(text[0]) << 8 | static_cast<unsigned char>(text[1]);
      int& id = byCode_[static_cast<std::size_t>(code)];
      if (id < 0) id = add(text);
      return id;
    }
    const auto found = other_.find(std::string(text));
    if (found != other_.end()) return found->second;
    const int id = add(text);
    other_.emplace(std::string(text), id);
    return id;
  }
  int count() const { return static_cast<int>(texts_.size()); }
  const std::string& text(int id) const { return texts_[static_cast<std::size_t>(id)]; }

 private:
  int add(std::string_view text) {
    texts_.emplace_back(text);
    return count() - 1;
  }

  std::vector<int> byCode_;
  std::unordered_map<std::string, int> other_;
  std::vector<std::string> texts_;
};

// The candidate words of one length in priority order, each once, with one word set per
// letter that stands at a position.
struct LengthWords {
  int length = 0;
  int count = 0;
  int blocks = 0;  // of a word set
  std::vector<std::string_view> words;
  std::vector<int> letters;                   // count * length letter ids
  std::vector<std::vector<int>> setIndex;     // [position][letter]: its set, or -1
  std::vector<std::vector<int>> denseRow;     // [position][set]: its row in `dense`, or -1
  std::vector<std::vector<Bits>> dense;       // [position]: the dense sets, `blocks` each
  std::vector<std::vector<int>> sparseStart;  // [position][set]: its words in `sparse`, to [set+1]
  std::vector<std::vector<int>> sparse;       // [position]: the words of the sparse sets
  std::vector<int> setOffset;  // [position]: its first set counted over all positions
  int setTotal = 0;

  int setAt(int position, int letter) const {
    const std::vector<int>& index = setIndex[static_cast<std::size_t>(position)];
    return letter < static_cast<int>(index.size()) ? index[static_cast<std::size_t>(letter)] : -1;
  }
  WordSet setOf(int position, int set) const {
    const auto p = static_cast<std::size_t>(position);
    const auto k = static_cast<std::size_t>(set);
    const int row = denseRow[p][k];
    if (row >= 0) {
      return {dense[p].data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(blocks)};
    }
    const int* words = sparse[p].data();
    return {nullptr, words + sparseStart[p][k], words + sparseStart[p][k + 1]};
  }

  std::size_t bytes() const {
    std::size_t total = 0;
    for (const std::vector<Bits>& bits : dense) total += bits.size() * sizeof(Bits);
    for (const std::vector<int>& words : sparse) total += words.size() * sizeof(int);
    for (const std::vector<int>& starts : sparseStart) total += starts.size() * sizeof(int);
    return total;
  }

  int letterAt(int word, int position) const {
    return letters[static_cast<std::size_t>(word * length + position)];
  }
  // The words with the letter at the position; an empty set when there is none.
  WordSet wordsWith(int position, int letter) const {
    const int set = letter < 0 ? -1 : setAt(position, letter);
    return set < 0 ? WordSet{} : setOf(position, set);
  }
};

}  // namespace

class FastFill::Solver {
 public:
  enum class Step { Solution, Exhausted, Stopped };

  Solver(PuzzleGrid& grid, const WordIndex& index, const SlotTable& table)
      : grid_(grid), table_(table) {
    slotCount_ = table.slotCount;
    gatherVariables();
    gatherWords(index);
  }

  std::size_t wordCountSeen() const { return indexWords_; }
  int slotCount() const { return slotCount_; }
  std::size_t wordSetBytes() const {
    std::size_t bytes = 0;
    for (const LengthWords& words : lengths_) bytes += words.bytes();
    return bytes;
  }

  // False when some slot has no word for its given letters and marks alone.
  bool start() {
    bool everySlotHasWords = true;
    for (int s = 0; s < slotCount_; ++s) {
      if (!initialDomain(s)) everySlotHasWords = false;
    }
    return everySlotHasWords;
  }

  Step solve(FillHost& host, bool resume, std::uint64_t& decisions, std::uint64_t& backtracks) {
    decisions_ = &decisions;
    backtracks_ = &backtracks;
    if (resume) {
      if (!backtrack()) return Step::Exhausted;
    } else {
      for (int s = 0; s < slotCount_; ++s) domainChanged(s);
      if (!propagate() && !backtrack()) return Step::Exhausted;
    }
    while (true) {
      if (host.searchState() != SearchRunning) return Step::Stopped;
      const int s = chooseSlot();
      if (s < 0) return Step::Solution;
      ++*decisions_;
      show(host);
      host.pumpMessages();
      if (host.searchState() != SearchRunning) return Step::Stopped;
      SlotDomain& d = slots_[static_cast<std::size_t>(s)];
      const int word = firstBit(bitsOf(d), d.lo, d.hi);
      frames_.push_back({s, word, slotTrail_.size(), varTrail_.size(), trailBits_.size(), false});
      level_ = ++levels_;
      assign(s, word);
      if (!propagate() && !backtrack()) return Step::Exhausted;
    }
  }

  // Writes the letters settled now into their cells; the others are emptied.
  void show(FillHost& host) {
    for (std::size_t v = 0; v < vars_.size(); ++v) {
      LetterVar& var = vars_[v];
      if (var.fixed >= 0 || var.occurrences.empty()) continue;
      const int letter = var.size == 1 ? firstBit(varBits(static_cast<int>(v)), 0, varBlocks_) : -1;
      if (letter == var.shown) continue;
      var.shown = letter;
      for (const int cell : var.cells) {
        NodeBox& box = grid_.cellAt(cell);
        if (box.flag == Fixed) continue;
        box.str = letter < 0 ? std::string() : letters_.text(letter);
        host.cellChanged(cell);
      }
    }
  }

  // The caller has emptied the cells since the last run.
  void forgetShown() {
    for (LetterVar& var : vars_) var.shown = -1;
  }

  void clearShown(FillHost& host) {
    for (LetterVar& var : vars_) {
      if (var.shown < 0) continue;
      var.shown = -1;
      for (const int cell : var.cells) {
        NodeBox& box = grid_.cellAt(cell);
        if (box.flag == Fixed) continue;
        box.str.clear();
        host.cellChanged(cell);
      }
    }
  }

  // Every word that fits slot s with the rest of the fill kept, the placed word first.
  std::vector<std::string> candidatesOf(int s) const {
    const SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    const LengthWords& words = *d.words;
    std::vector<std::string> list;
    list.emplace_back(words.words[static_cast<std::size_t>(d.assigned)]);
    std::vector<Bits> fit(static_cast<std::size_t>(words.blocks), ~Bits{0});
    if (words.count % 64 != 0) fit.back() = (Bits{1} << (words.count % 64)) - 1;
    std::vector<std::pair<int, int>> equal;  // positions held equal within the slot only
    for (int p = 0; p < d.length; ++p) {
      const int v = d.vars[static_cast<std::size_t>(p)];
      const LetterVar& var = vars_[static_cast<std::size_t>(v)];
      if (var.fixed >= 0 || reachesOutside(var, s)) {
        keepOnly(fit.data(), 0, words.blocks, words.wordsWith(p, words.letterAt(d.assigned, p)));
      } else {
        for (int q = 0; q < p; ++q) {
          if (d.vars[static_cast<std::size_t>(q)] == v) {
            equal.emplace_back(q, p);
            break;
          }
        }
      }
    }
    for (const int other : d.sameLength) {
      clearBit(fit.data(), slots_[static_cast<std::size_t>(other)].assigned);
    }
    forEachBit(fit.data(), 0, words.blocks, [&](int w) {
      if (w == d.assigned) return true;
      for (const auto& [q, p] : equal) {
        if (words.letterAt(w, q) != words.letterAt(w, p)) return true;
      }
      list.emplace_back(words.words[static_cast<std::size_t>(w)]);
      return true;
    });
    return list;
  }

  std::uint64_t failuresOf(int s) const { return slots_[static_cast<std::size_t>(s)].failures; }
  std::size_t initialCountOf(int s) const {
    return slots_[static_cast<std::size_t>(s)].initialCount;
  }
  std::uint64_t assignments() const { return assignments_; }

 private:
  struct SlotDomain {
    int length = 0;
    const LengthWords* words = nullptr;
    std::size_t offset = 0;  // of its word set in slotBits_
    std::size_t residueOffset = 0;
    int lo = 0, hi = 0;  // blocks outside [lo, hi) are zero
    int size = 0;
    int assigned = -1;            // the one word left, once there is one
    std::uint64_t stamp = 0;      // level of its last save
    std::vector<int> vars;        // per position
    std::vector<int> sameLength;  // the other slots of its length
    std::uint64_t failures = 0;
    std::uint64_t weight = 1;
    std::size_t initialCount = 0;
  };
  struct LetterVar {
    std::size_t offset = 0;  // of its letter set in varBits_
    int size = 0;
    int fixed = -1;  // the given letter, or -1
    int shown = -1;  // the letter its cells show, or -1
    std::uint64_t stamp = 0;
    std::vector<int> cells;                        // open cells, Fixed ones included
    std::vector<std::pair<int, int>> occurrences;  // (slot, position)
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
    int slot, word;
    std::size_t slotMark, varMark, bitsMark;
    bool tried;  // the word was tried; now it is excluded
  };

  Bits* bitsOf(SlotDomain& d) { return slotBits_.data() + d.offset; }
  const Bits* bitsOf(const SlotDomain& d) const { return slotBits_.data() + d.offset; }
  Bits* varBits(int v) { return varBits_.data() + vars_[static_cast<std::size_t>(v)].offset; }

  static int root(std::vector<int>& parent, int x) {
    while (parent[static_cast<std::size_t>(x)] != x) {
      parent[static_cast<std::size_t>(x)] =
          parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(x)])];
      x = parent[static_cast<std::size_t>(x)];
    }
    return x;
  }

  // Union-find over the open cells: a mark group is one letter, and so are the empty star
  // cells of one slot.
  void gatherVariables() {
    std::vector<int> parent(CellCount);
    std::iota(parent.begin(), parent.end(), 0);
    auto unite = [&](int a, int b) {
      a = root(parent, a);
      b = root(parent, b);
      if (a != b) parent[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
    };
    std::unordered_map<std::int32_t, int> markCell;
    for (int c = 0; c < CellCount; ++c) {
      const NodeBox& box = grid_.cellAt(c);
      if (box.flag == Block || box.mark == -1) continue;
      const auto [found, inserted] = markCell.emplace(box.mark, c);
      if (!inserted) unite(found->second, c);
    }
    for (int s = 0; s < slotCount_; ++s) {
      const WordSlot& slot = table_.slots[static_cast<std::size_t>(s)];
      int firstStar = -1;
      for (int p = 0; p < slot.length; ++p) {
        const int c = slotCell(slot, p);
        const NodeBox& box = grid_.cellAt(c);
        if (box.flag != Star || !box.str.empty()) continue;
        if (firstStar < 0) {
          firstStar = c;
        } else {
          unite(firstStar, c);
        }
      }
    }
    std::vector<int> varOf(CellCount, -1);
    for (int c = 0; c < CellCount; ++c) {
      if (grid_.cellAt(c).flag == Block) continue;
      const int r = root(parent, c);
      if (varOf[static_cast<std::size_t>(r)] < 0) {
        varOf[static_cast<std::size_t>(r)] = static_cast<int>(vars_.size());
        vars_.emplace_back();
      }
      varOf[static_cast<std::size_t>(c)] = varOf[static_cast<std::size_t>(r)];
      vars_[static_cast<std::size_t>(varOf[static_cast<std::size_t>(c)])].cells.push_back(c);
    }
    slots_.resize(static_cast<std::size_t>(slotCount_));
    for (int s = 0; s < slotCount_; ++s) {
      const WordSlot& slot = table_.slots[static_cast<std::size_t>(s)];
      SlotDomain& d = slots_[static_cast<std::size_t>(s)];
      d.length = slot.length;
      for (int p = 0; p < slot.length; ++p) {
        const int v = varOf[static_cast<std::size_t>(slotCell(slot, p))];
        d.vars.push_back(v);
        vars_[static_cast<std::size_t>(v)].occurrences.emplace_back(s, p);
      }
    }
  }

  void gatherWords(const WordIndex& index) {
    std::array<bool, MaxSlotLength + 1> needed{};
    for (const SlotDomain& d : slots_) needed[static_cast<std::size_t>(d.length)] = true;
    for (int c = 0; c < LengthClasses; ++c) indexWords_ += index[c].wordCount();
    for (int n = MinSlotLength; n <= MaxSlotLength; ++n) {
      if (!needed[static_cast<std::size_t>(n)]) continue;
      LengthWords& words = lengths_[static_cast<std::size_t>(n)];
      words.length = n;
      const LengthIndex& source = index[std::min(n, LengthClasses - 1)];
      std::unordered_set<std::string_view> seen;
      seen.reserve(source.wordCount());
      for (std::size_t k = 0; k < source.wordCount(); ++k) {
        const std::string_view word = source.word(k);
        if (!isSlotWord(word, n) || !seen.insert(word).second) continue;
        words.words.push_back(word);
        for (int p = 0; p < n; ++p) {
          words.letters.push_back(letters_.idOf(word.substr(static_cast<std::size_t>(p) * 2, 2)));
        }
      }
      words.count = static_cast<int>(words.words.size());
      words.blocks = bitBlocks(words.count);
    }
    // Given letters get ids too, so that a letter no word has empties its slots.
    for (LetterVar& var : vars_) {
      for (const int c : var.cells) {
        const NodeBox& box = grid_.cellAt(c);
        if (box.flag != Fixed && box.str.empty()) continue;
        const int letter = letters_.idOf(box.str);
        if (var.fixed == -1) {
          var.fixed = letter;
        } else if (var.fixed != letter) {
          var.fixed = -2;  // two given letters disagree: no letter fits
        }
      }
    }
    for (int n = MinSlotLength; n <= MaxSlotLength; ++n) {
      if (needed[static_cast<std::size_t>(n)]) buildSets(lengths_[static_cast<std::size_t>(n)]);
    }
    std::size_t bits = 0;
    std::size_t residues = 0;
    for (int s = 0; s < slotCount_; ++s) {
      SlotDomain& d = slots_[static_cast<std::size_t>(s)];
      d.words = &lengths_[static_cast<std::size_t>(d.length)];
      d.offset = bits;
      bits += static_cast<std::size_t>(d.words->blocks);
      d.residueOffset = residues;
      residues += static_cast<std::size_t>(d.words->setTotal);
      for (int t = 0; t < slotCount_; ++t) {
        if (t != s && slots_[static_cast<std::size_t>(t)].length == d.length)
          d.sameLength.push_back(t);
      }
    }
    slotBits_.assign(bits, 0);
    varBlocks_ = bitBlocks(letters_.count());
    varBits_.assign(vars_.size() * static_cast<std::size_t>(varBlocks_), 0);
    for (std::size_t v = 0; v < vars_.size(); ++v) {
      LetterVar& var = vars_[v];
      var.offset = v * static_cast<std::size_t>(varBlocks_);
      Bits* set = varBits_.data() + var.offset;
      if (var.fixed >= 0) {
        setBit(set, var.fixed);
        var.size = 1;
      } else if (var.fixed == -1) {
        for (int a = 0; a < letters_.count(); ++a) setBit(set, a);
        var.size = letters_.count();
      }
    }
    residues_.assign(residues, 0);
    seen_.assign(static_cast<std::size_t>(MaxSlotLength * varBlocks_), 0);
    std::size_t widest = 0;
    for (const LengthWords& words : lengths_)
      widest = std::max(widest, static_cast<std::size_t>(words.blocks));
    temp_.assign(widest, 0);
    queued_.assign(static_cast<std::size_t>(slotCount_), 0);
  }

  void buildSets(LengthWords& words) const {
    const auto n = static_cast<std::size_t>(words.length);
    words.setIndex.assign(n, std::vector<int>(static_cast<std::size_t>(letters_.count()), -1));
    words.denseRow.resize(n);
    words.dense.resize(n);
    words.sparseStart.resize(n);
    words.sparse.resize(n);
    words.setOffset.assign(n, 0);
    for (std::size_t p = 0; p < n; ++p) {
      const int position = static_cast<int>(p);
      std::vector<int>& index = words.setIndex[p];
      std::vector<int> sizes;
      for (int w = 0; w < words.count; ++w) {
        int& set = index[static_cast<std::size_t>(words.letterAt(w, position))];
        if (set < 0) {
          set = static_cast<int>(sizes.size());
          sizes.push_back(0);
        }
        ++sizes[static_cast<std::size_t>(set)];
      }
      const int sets = static_cast<int>(sizes.size());
      // Where a position has hundreds of letters (kanji), a rare one keeps its words as a list:
      // four bytes a word against a bit for every word of the length. With kana every set stays
      // bits, which are quicker to search within a slot's few remaining blocks.
      const int sparseBelow = sets > ManyLetters ? words.count / 64 : 0;
      words.setOffset[p] = words.setTotal;
      words.setTotal += sets;
      std::vector<int>& rows = words.denseRow[p];
      std::vector<int>& starts = words.sparseStart[p];
      rows.assign(static_cast<std::size_t>(sets), -1);
      starts.assign(static_cast<std::size_t>(sets) + 1, 0);
      int denseSets = 0;
      for (int k = 0; k < sets; ++k) {
        const int size = sizes[static_cast<std::size_t>(k)];
        const bool isDense = size >= sparseBelow;
        if (isDense) rows[static_cast<std::size_t>(k)] = denseSets++;
        starts[static_cast<std::size_t>(k) + 1] =
            starts[static_cast<std::size_t>(k)] + (isDense ? 0 : size);
      }
      words.dense[p].assign(
          static_cast<std::size_t>(denseSets) * static_cast<std::size_t>(words.blocks), 0);
      words.sparse[p].resize(static_cast<std::size_t>(starts.back()));
      std::vector<int> next(starts.begin(), starts.end() - 1);
      for (int w = 0; w < words.count; ++w) {
        const auto set =
            static_cast<std::size_t>(index[static_cast<std::size_t>(words.letterAt(w, position))]);
        if (rows[set] >= 0) {
          setBit(words.dense[p].data() +
                     static_cast<std::size_t>(rows[set]) * static_cast<std::size_t>(words.blocks),
                 w);
        } else {
          words.sparse[p][static_cast<std::size_t>(next[set]++)] = w;
        }
      }
    }
  }

  // The words of slot s that agree with its given letters and its positions held equal.
  bool initialDomain(int s) {
    SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    const LengthWords& words = *d.words;
    Bits* bits = bitsOf(d);
    for (int b = 0; b < words.blocks; ++b) bits[b] = ~Bits{0};
    if (words.count % 64 != 0) bits[words.blocks - 1] = (Bits{1} << (words.count % 64)) - 1;
    for (int p = 0; p < d.length; ++p) {
      const LetterVar& var = vars_[static_cast<std::size_t>(d.vars[static_cast<std::size_t>(p)])];
      if (var.fixed == -1) continue;
      keepOnly(bits, 0, words.blocks, words.wordsWith(p, var.fixed));
    }
    for (int p = 1; p < d.length; ++p) {
      for (int q = 0; q < p; ++q) {
        if (d.vars[static_cast<std::size_t>(q)] != d.vars[static_cast<std::size_t>(p)]) continue;
        forEachBit(bits, 0, words.blocks, [&](int w) {
          if (words.letterAt(w, q) != words.letterAt(w, p)) clearBit(bits, w);
          return true;
        });
        break;
      }
    }
    d.lo = 0;
    d.hi = words.blocks;
    recount(d);
    d.initialCount = static_cast<std::size_t>(d.size);
    return d.size > 0;
  }

  void recount(SlotDomain& d) {
    const Bits* bits = bitsOf(d);
    while (d.lo < d.hi && bits[d.lo] == 0) ++d.lo;
    while (d.hi > d.lo && bits[d.hi - 1] == 0) --d.hi;
    int size = 0;
    for (int b = d.lo; b < d.hi; ++b) size += std::popcount(bits[b]);
    d.size = size;
  }

  bool reachesOutside(const LetterVar& var, int s) const {
    for (const auto& [t, p] : var.occurrences) {
      if (t != s) return true;
    }
    const WordSlot& slot = table_.slots[static_cast<std::size_t>(s)];
    for (const int c : var.cells) {
      if (positionInSlot(slot, c) < 0) return true;
    }
    return false;
  }

  void saveSlot(int s) {
    SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    if (d.stamp == level_) return;
    slotTrail_.push_back({s, d.lo, d.hi, d.size, d.assigned, d.stamp, trailBits_.size()});
    const Bits* bits = bitsOf(d);
    trailBits_.insert(trailBits_.end(), bits + d.lo, bits + d.hi);
    d.stamp = level_;
  }

  void saveVar(int v) {
    LetterVar& var = vars_[static_cast<std::size_t>(v)];
    if (var.stamp == level_) return;
    varTrail_.push_back({v, var.size, var.stamp, trailBits_.size()});
    const Bits* bits = varBits(v);
    trailBits_.insert(trailBits_.end(), bits, bits + varBlocks_);
    var.stamp = level_;
  }

  void undo(const Frame& frame) {
    while (slotTrail_.size() > frame.slotMark) {
      const SlotSave& save = slotTrail_.back();
      SlotDomain& d = slots_[static_cast<std::size_t>(save.slot)];
      std::copy(trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits),
                trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits) + (save.hi - save.lo),
                bitsOf(d) + save.lo);
      d.lo = save.lo;
      d.hi = save.hi;
      d.size = save.size;
      d.assigned = save.assigned;
      d.stamp = save.stamp;
      slotTrail_.pop_back();
    }
    while (varTrail_.size() > frame.varMark) {
      const VarSave& save = varTrail_.back();
      LetterVar& var = vars_[static_cast<std::size_t>(save.var)];
      std::copy(trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits),
                trailBits_.begin() + static_cast<std::ptrdiff_t>(save.bits) + varBlocks_,
                varBits(save.var));
      var.size = save.size;
      var.stamp = save.stamp;
      varTrail_.pop_back();
    }
    trailBits_.resize(frame.bitsMark);
  }

  void domainChanged(int s) {
    SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    if (queued_[static_cast<std::size_t>(s)] == 0) {
      queued_[static_cast<std::size_t>(s)] = 1;
      queue_.push_back(s);
    }
    if (d.size == 1 && d.assigned < 0) {
      d.assigned = firstBit(bitsOf(d), d.lo, d.hi);
      ++assignments_;
      assignQueue_.push_back(s);
    }
  }

  void assign(int s, int word) {
    saveSlot(s);
    SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    Bits* bits = bitsOf(d);
    std::fill(bits + d.lo, bits + d.hi, 0);
    setBit(bits, word);
    d.lo = word >> 6;
    d.hi = d.lo + 1;
    d.size = 1;
    domainChanged(s);
  }

  void conflict(int wiped, int cause) {
    ++slots_[static_cast<std::size_t>(wiped)].failures;
    ++slots_[static_cast<std::size_t>(wiped)].weight;
    if (cause != wiped) ++slots_[static_cast<std::size_t>(cause)].weight;
  }

  bool propagate() {
    bool ok = true;
    while (ok) {
      if (!assignQueue_.empty()) {
        const int s = assignQueue_.back();
        assignQueue_.pop_back();
        ok = allDifferent(s);
        continue;
      }
      if (queue_.empty()) break;
      const int s = queue_.back();
      queue_.pop_back();
      queued_[static_cast<std::size_t>(s)] = 0;
      ok = revise(s);
    }
    if (!ok) {
      for (const int s : queue_) queued_[static_cast<std::size_t>(s)] = 0;
      queue_.clear();
      assignQueue_.clear();
    }
    return ok;
  }

  // The word of an assigned slot leaves every other slot of its length.
  bool allDifferent(int s) {
    const SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    const int word = d.assigned;
    for (const int t : d.sameLength) {
      SlotDomain& other = slots_[static_cast<std::size_t>(t)];
      if (!testBit(bitsOf(other), word)) continue;
      saveSlot(t);
      clearBit(bitsOf(other), word);
      recount(other);
      if (other.size == 0) {
        conflict(t, s);
        return false;
      }
      domainChanged(t);
    }
    return true;
  }

  // Drops from the cells of slot s the letters that none of its words has left there, and
  // from the other slots through those cells the words with the dropped letters.
  bool revise(int s) {
    SlotDomain& d = slots_[static_cast<std::size_t>(s)];
    // Few words left: reading their letters costs less than looking for each letter.
    int letterChecks = 0;
    int openPositions = 0;
    for (int p = 0; p < d.length; ++p) {
      const int size = vars_[static_cast<std::size_t>(d.vars[static_cast<std::size_t>(p)])].size;
      if (size <= 1) continue;
      letterChecks += size;
      ++openPositions;
    }
    const bool readWords = d.size * openPositions <= 4 * letterChecks;
    if (readWords) gatherLetters(d);
    for (int p = 0; p < d.length; ++p) {
      const int v = d.vars[static_cast<std::size_t>(p)];
      LetterVar& var = vars_[static_cast<std::size_t>(v)];
      if (var.size <= 1) continue;
      Bits* allowed = varBits(v);
      dropped_.clear();
      const Bits* present = seen_.data() + static_cast<std::size_t>(p * varBlocks_);
      forEachBit(allowed, 0, varBlocks_, [&](int letter) {
        if (readWords ? !testBit(present, letter) : !supported(d, p, letter)) {
          dropped_.push_back(letter);
        }
        return true;
      });
      if (dropped_.empty()) continue;
      saveVar(v);
      for (const int letter : dropped_) clearBit(allowed, letter);
      var.size -= static_cast<int>(dropped_.size());
      for (const auto& [t, q] : var.occurrences) {
        if (t == s && q == p) continue;
        if (!filter(t, q, v)) {
          conflict(t, s);
          return false;
        }
      }
    }
    return true;
  }

  // seen_ gets, per position, the letters of the words slot d has left.
  void gatherLetters(const SlotDomain& d) {
    std::fill_n(seen_.begin(), static_cast<std::ptrdiff_t>(d.length * varBlocks_), 0);
    const LengthWords& words = *d.words;
    forEachBit(bitsOf(d), d.lo, d.hi, [&](int w) {
      for (int p = 0; p < d.length; ++p) {
        setBit(seen_.data() + static_cast<std::size_t>(p * varBlocks_), words.letterAt(w, p));
      }
      return true;
    });
  }

  // Some word of slot d has the letter at position p. Where one was found last (a block of a
  // dense set, an entry of a sparse one) is tried first; it needs no undo, since a stale one
  // only costs the scan.
  bool supported(const SlotDomain& d, int p, int letter) {
    const LengthWords& words = *d.words;
    const int set = words.setAt(p, letter);
    if (set < 0) return false;
    const WordSet with = words.setOf(p, set);
    const Bits* bits = bitsOf(d);
    int& residue =
        residues_[d.residueOffset +
                  static_cast<std::size_t>(words.setOffset[static_cast<std::size_t>(p)] + set)];
    if (!with.bits) {
      if (residue < with.last - with.first && testBit(bits, with.first[residue])) return true;
      for (auto [word, end] = with.within(d.lo, d.hi); word != end; ++word) {
        if (testBit(bits, *word)) {
          residue = static_cast<int>(word - with.first);
          return true;
        }
      }
      return false;
    }
    if (d.lo <= residue && residue < d.hi && (bits[residue] & with.bits[residue]) != 0) {
      return true;
    }
    for (int b = d.lo; b < d.hi; ++b) {
      if ((bits[b] & with.bits[b]) != 0) {
        residue = b;
        return true;
      }
    }
    return false;
  }

  // Keeps the words of slot t whose letter at position q is still a letter of variable v;
  // dropped_ holds the letters v has just lost.
  bool filter(int t, int q, int v) {
    SlotDomain& d = slots_[static_cast<std::size_t>(t)];
    const LengthWords& words = *d.words;
    const Bits* bits = bitsOf(d);
    const LetterVar& var = vars_[static_cast<std::size_t>(v)];
    const Bits* allowed = varBits(v);
    Bits* temp = temp_.data();
    if (var.size < static_cast<int>(dropped_.size())) {
      std::fill(temp + d.lo, temp + d.hi, 0);
      forEachBit(allowed, 0, varBlocks_, [&](int letter) {
        const int set = words.setAt(q, letter);
        if (set >= 0) addAll(temp, d.lo, d.hi, words.setOf(q, set));
        return true;
      });
      for (int b = d.lo; b < d.hi; ++b) temp[b] &= bits[b];
    } else {
      std::copy(bits + d.lo, bits + d.hi, temp + d.lo);
      for (const int letter : dropped_) {
        const int set = words.setAt(q, letter);
        if (set >= 0) removeAll(temp, d.lo, d.hi, words.setOf(q, set));
      }
    }
    if (std::equal(bits + d.lo, bits + d.hi, temp + d.lo)) return true;
    saveSlot(t);
    std::copy(temp + d.lo, temp + d.hi, bitsOf(d) + d.lo);
    recount(d);
    if (d.size == 0) return false;
    domainChanged(t);
    return true;
  }

  // The open slot with the fewest words per failure it took part in; the earliest on a tie.
  int chooseSlot() const {
    int best = -1;
    for (int s = 0; s < slotCount_; ++s) {
      const SlotDomain& d = slots_[static_cast<std::size_t>(s)];
      if (d.size <= 1) continue;
      if (best < 0) {
        best = s;
        continue;
      }
      const SlotDomain& b = slots_[static_cast<std::size_t>(best)];
      if (static_cast<std::uint64_t>(d.size) * b.weight <
          static_cast<std::uint64_t>(b.size) * d.weight) {
        best = s;
      }
    }
    return best;
  }

  // Undoes the newest choice and takes its other branch; false when none is left.
  bool backtrack() {
    while (!frames_.empty()) {
      ++*backtracks_;
      Frame& frame = frames_.back();
      undo(frame);
      if (!frame.tried) {
        frame.tried = true;
        level_ = ++levels_;
        SlotDomain& d = slots_[static_cast<std::size_t>(frame.slot)];
        saveSlot(frame.slot);
        clearBit(bitsOf(d), frame.word);
        recount(d);
        domainChanged(frame.slot);
        if (propagate()) return true;
        undo(frame);
      }
      frames_.pop_back();
    }
    return false;
  }

  PuzzleGrid& grid_;
  const SlotTable& table_;
  int slotCount_ = 0;
  std::size_t indexWords_ = 0;
  LetterTable letters_;
  std::array<LengthWords, MaxSlotLength + 1> lengths_;
  std::vector<SlotDomain> slots_;
  std::vector<LetterVar> vars_;
  std::vector<Bits> slotBits_;
  std::vector<Bits> varBits_;
  int varBlocks_ = 0;
  std::vector<int> residues_;  // per slot, position and letter: a block with a word having it
  std::vector<int> dropped_;   // letters a cell has just lost
  std::vector<Bits> seen_;     // per position: letters of the words a slot has left
  std::vector<Bits> temp_;     // one word set
  std::vector<char> queued_;
  std::vector<int> queue_;
  std::vector<int> assignQueue_;
  std::vector<SlotSave> slotTrail_;
  std::vector<VarSave> varTrail_;
  std::vector<Bits> trailBits_;
  std::vector<Frame> frames_;
  std::uint64_t level_ = 0;  // 0: the root, never undone
  std::uint64_t levels_ = 0;
  std::uint64_t assignments_ = 0;
  std::uint64_t* decisions_ = nullptr;
  std::uint64_t* backtracks_ = nullptr;
};

FastFill::FastFill() = default;
FastFill::~FastFill() = default;

void FastFill::forget() {
  solver_.reset();
  resumable_ = false;
}

FastOutcome FastFill::run(PuzzleGrid& grid, const WordIndex& index, SlotTable& table,
                          FillHost& host) {
  decisions_ = 0;
  backtracks_ = 0;
  wordsPlaced_ = 0;
  blocking_.clear();
  blockedByEmptySlot_ = false;
  for (int s = 0; s < table.slotCount; ++s) {
    WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    slot.candidates.clear();
    slot.cursor = BucketEntry{};
    slot.placed = false;
  }
  // Only a run that ended on a fill may be continued: one left by an exception was not.
  const bool resume = solver_ && resumable_ && solver_->slotCount() == table.slotCount &&
                      solver_->wordCountSeen() == index.wordCount();
  resumable_ = false;
  if (!resume) {
    solver_ = std::make_unique<Solver>(grid, index, table);
    wordSetBytes_ = solver_->wordSetBytes();
    if (!solver_->start()) {
      blockedByEmptySlot_ = true;
      for (int s = 0; s < table.slotCount; ++s) {
        if (solver_->initialCountOf(s) == 0) blocking_.push_back({s, 0});
      }
      solver_.reset();
      return FastOutcome::NoFill;
    }
  }
  if (resume) solver_->forgetShown();
  const std::uint64_t assignedBefore = solver_->assignments();
  const Solver::Step step = solver_->solve(host, resume, decisions_, backtracks_);
  wordsPlaced_ = solver_->assignments() - assignedBefore;
  if (step == Solver::Step::Solution) {
    solver_->show(host);
    for (int s = 0; s < table.slotCount; ++s) {
      table.slots[static_cast<std::size_t>(s)].candidates = solver_->candidatesOf(s);
    }
    resumable_ = true;
    return FastOutcome::Filled;
  }
  solver_->clearShown(host);
  if (step == Solver::Step::Exhausted && !resume) {
    std::vector<int> order(static_cast<std::size_t>(table.slotCount));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
      return solver_->failuresOf(a) > solver_->failuresOf(b);
    });
    for (const int s : order) {
      if (blocking_.size() == 5 || solver_->failuresOf(s) == 0) break;
      blocking_.push_back({s, solver_->initialCountOf(s)});
    }
  }
  solver_.reset();
  if (step == Solver::Step::Stopped) return FastOutcome::Stopped;
  return resume ? FastOutcome::NoFurtherFill : FastOutcome::NoFill;
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
