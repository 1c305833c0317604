#include "search/fill_model.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <optional>
#include <unordered_map>

#include "search/banned_words.h"
#include "search/fill_search.h"

namespace vexilo {

namespace {

int root(std::vector<int>& parent, int x) {
  while (parent[static_cast<std::size_t>(x)] != x) {
    parent[static_cast<std::size_t>(x)] =
        parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(x)])];
    x = parent[static_cast<std::size_t>(x)];
  }
  return x;
}

void unite(std::vector<int>& parent, int a, int b) {
  a = root(parent, a);
  b = root(parent, b);
  if (a != b) parent[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
}

}  // namespace

std::vector<int> fillOrder(const SlotTable& table) {
  std::vector<int> order;
  std::vector<char> reached(static_cast<std::size_t>(table.slotCount), 0);
  std::vector<int> stack;
  auto slotAt = [&table](int i) -> const WordSlot& {
    return table.slots[static_cast<std::size_t>(i)];
  };
  auto walk = [&](int top) {
    stack.push_back(top);
    while (!stack.empty()) {
      const int s = stack.back();
      stack.pop_back();
      if (!table.holds(s) || reached[static_cast<std::size_t>(s)] != 0) continue;
      reached[static_cast<std::size_t>(s)] = 1;
      order.push_back(s);
      std::vector<int> children;
      for (int c = slotAt(s).firstChild; table.holds(c); c = slotAt(c).nextSibling) {
        children.push_back(c);
      }
      stack.insert(stack.end(), children.rbegin(), children.rend());
    }
  };
  for (int s = 0; s < table.slotCount; ++s) {
    if (slotAt(s).groupState == (Visited | GroupRoot)) walk(s);
  }
  for (int s = 0; s < table.slotCount; ++s) walk(s);  // a table whose trees were never built
  return order;
}

FillModel::FillModel(const PuzzleGrid& grid, const SlotTable& table, WordTables& tables,
                     const FillOptions& options)
    : tables_(tables) {
  slots_.resize(static_cast<std::size_t>(table.slotCount));
  if (options.slots.empty()) {
    for (Slot& slot : slots_) slot.free = true;
  } else {
    for (const int s : options.slots) {
      if (table.holds(s)) slots_[static_cast<std::size_t>(s)].free = true;
    }
  }
  for (int s = 0; s < table.slotCount; ++s) {
    Slot& slot = slots_[static_cast<std::size_t>(s)];
    slot.length = table.slots[static_cast<std::size_t>(s)].length;
    if (!slot.free) continue;
    freeSlots_.push_back(s);
    tables.prepare(slot.length);
    slot.words = &tables.length(slot.length);
  }
  gatherGivenTexts(grid, table);
  gatherVariables(grid, table);
  gatherGivenLetters(grid);
  gatherDomains(grid, table, options);
  gatherParts();
  gatherTransposition();
}

// Union-find over the open cells: a mark group is one letter, and so are the empty star cells
// that a slot owns.
void FillModel::gatherVariables(const PuzzleGrid& grid, const SlotTable& table) {
  std::vector<int> parent(CellCount);
  std::iota(parent.begin(), parent.end(), 0);
  std::unordered_map<std::int32_t, int> markCell;
  for (int c = 0; c < CellCount; ++c) {
    const NodeBox& box = grid.cellAt(c);
    if (box.flag == Block || box.mark == -1) continue;
    const auto [found, inserted] = markCell.emplace(box.mark, c);
    if (!inserted) unite(parent, found->second, c);
  }
  std::vector<char> covered(CellCount, 0);
  for (const int s : fillOrder(table)) {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    int firstStar = -1;
    for (int p = 0; p < slot.length; ++p) {
      const int c = slotCell(slot, p);
      const NodeBox& box = grid.cellAt(c);
      const std::optional<std::string>& given = given_[static_cast<std::size_t>(c)];
      if (box.flag != Star || (given && !given->empty()) ||
          covered[static_cast<std::size_t>(c)] != 0) {
        continue;
      }
      if (firstStar < 0) {
        firstStar = c;
      } else {
        unite(parent, firstStar, c);
      }
    }
    for (int p = 0; p < slot.length; ++p) covered[static_cast<std::size_t>(slotCell(slot, p))] = 1;
  }
  std::vector<int> varOf(CellCount, -1);
  for (int c = 0; c < CellCount; ++c) {
    if (grid.cellAt(c).flag == Block) continue;
    const auto r = static_cast<std::size_t>(root(parent, c));
    if (varOf[r] < 0) {
      varOf[r] = static_cast<int>(vars_.size());
      vars_.emplace_back();
    }
    varOf[static_cast<std::size_t>(c)] = varOf[r];
    vars_[static_cast<std::size_t>(varOf[r])].cells.push_back(c);
  }
  for (int s = 0; s < table.slotCount; ++s) {
    const WordSlot& source = table.slots[static_cast<std::size_t>(s)];
    Slot& slot = slots_[static_cast<std::size_t>(s)];
    for (int p = 0; p < source.length; ++p) {
      const int v = varOf[static_cast<std::size_t>(slotCell(source, p))];
      slot.vars.push_back(v);
      if (slot.free) vars_[static_cast<std::size_t>(v)].occurrences.emplace_back(s, p);
    }
  }
}

// The texts a search starts from, whatever letters the grid holds now: a Fixed cell's own, the
// letter of the first Fixed cell of a mark group in every cell of the group (as the Search
// command spreads it), and the letters of kept slots.
void FillModel::gatherGivenTexts(const PuzzleGrid& grid, const SlotTable& table) {
  given_.assign(CellCount, std::nullopt);
  std::unordered_map<std::int32_t, int> firstFixed;
  for (int c = 0; c < CellCount; ++c) {
    const NodeBox& box = grid.cellAt(c);
    if (box.flag == Fixed) given_[static_cast<std::size_t>(c)] = box.str;
    if (box.flag == Fixed && box.mark != -1) firstFixed.emplace(box.mark, c);
  }
  for (int c = 0; c < CellCount; ++c) {
    const NodeBox& box = grid.cellAt(c);
    if (box.flag == Block || box.mark == -1) continue;
    const auto found = firstFixed.find(box.mark);
    if (found != firstFixed.end())
      given_[static_cast<std::size_t>(c)] = grid.cellAt(found->second).str;
  }
  for (int s = 0; s < table.slotCount; ++s) {
    if (slots_[static_cast<std::size_t>(s)].free) continue;
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    for (int p = 0; p < slot.length; ++p) {
      const int c = slotCell(slot, p);
      if (!grid.cellAt(c).str.empty()) given_[static_cast<std::size_t>(c)] = grid.cellAt(c).str;
    }
  }
}

void FillModel::gatherGivenLetters(const PuzzleGrid& grid) {
  for (Var& var : vars_) {
    for (const int c : var.cells) {
      const std::optional<std::string>& given = given_[static_cast<std::size_t>(c)];
      if (!given || (given->empty() && grid.cellAt(c).flag != Fixed)) continue;
      int letter = tables_.letterId(*given);
      if (letter < 0) letter = NoLetter;
      if (var.fixed == -1) {
        var.fixed = letter;
      } else if (var.fixed != letter) {
        var.fixed = NoLetter;  // two given letters disagree: no letter fits
      }
    }
  }
  letterBlocks_ = bitBlocks(tables_.letterCount());
}

void FillModel::gatherDomains(const PuzzleGrid& grid, const SlotTable& table,
                              const FillOptions& options) {
  // Words standing in the kept slots are used.
  std::vector<std::vector<int>> used(MaxSlotLength + 1);
  for (int s = 0; s < table.slotCount; ++s) {
    if (slots_[static_cast<std::size_t>(s)].free) continue;
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    if (!tables_.prepared(slot.length)) continue;  // no slot to fill has its length
    std::string word;
    for (int p = 0; p < slot.length; ++p) word += grid.cellAt(slotCell(slot, p)).str;
    const int w = tables_.length(slot.length).find(word);
    if (w >= 0) used[static_cast<std::size_t>(slot.length)].push_back(w);
  }
  for (const int s : freeSlots_) {
    Slot& slot = slots_[static_cast<std::size_t>(s)];
    const LengthWords& words = *slot.words;
    slot.initial.assign(static_cast<std::size_t>(words.blocks), ~Bits{0});
    Bits* bits = slot.initial.data();
    if (words.count % 64 != 0) bits[words.blocks - 1] = (Bits{1} << (words.count % 64)) - 1;
    if (options.banned && !options.banned->empty()) {
      for (int w = 0; w < words.count; ++w) {
        if (options.banned->contains(words.words[static_cast<std::size_t>(w)])) clearBit(bits, w);
      }
    }
    for (const int w : used[static_cast<std::size_t>(slot.length)]) clearBit(bits, w);
    for (int p = 0; p < slot.length; ++p) {
      const Var& var = vars_[static_cast<std::size_t>(slot.vars[static_cast<std::size_t>(p)])];
      if (var.fixed != -1) keepOnly(bits, 0, words.blocks, words.wordsWith(p, var.fixed));
    }
    // Positions of one variable hold one letter.
    for (int p = 1; p < slot.length; ++p) {
      for (int q = 0; q < p; ++q) {
        if (slot.vars[static_cast<std::size_t>(q)] != slot.vars[static_cast<std::size_t>(p)]) {
          continue;
        }
        forEachBit(bits, 0, words.blocks, [&](int w) {
          if (words.letterAt(w, q) != words.letterAt(w, p)) clearBit(bits, w);
          return true;
        });
        break;
      }
    }
    slot.initialCount = countBits(bits, 0, words.blocks);
    for (const int t : freeSlots_) {
      if (t != s && slots_[static_cast<std::size_t>(t)].length == slot.length) {
        slot.sameLength.push_back(t);
      }
    }
  }
}

void FillModel::gatherParts() {
  std::vector<int> parent(slots_.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (const Var& var : vars_) {
    for (std::size_t k = 1; k < var.occurrences.size(); ++k) {
      unite(parent, var.occurrences[0].first, var.occurrences[k].first);
    }
  }
  std::vector<int> partOfRoot(slots_.size(), -1);
  for (const int s : freeSlots_) {
    int& part = partOfRoot[static_cast<std::size_t>(root(parent, s))];
    if (part < 0) {
      part = static_cast<int>(parts_.size());
      parts_.emplace_back();
    }
    slots_[static_cast<std::size_t>(s)].part = part;
    parts_[static_cast<std::size_t>(part)].push_back(s);
  }
}

// Whether swapping rows and columns maps the model onto itself: every variable onto one with
// the transposed cells and the same given letter, every slot to fill onto one through the
// transposed variables with the same words. A fill's transpose is then a fill of the same ranks.
void FillModel::gatherTransposition() {
  std::vector<int> varOfCell(CellCount, -1);
  for (int v = 0; v < varCount(); ++v) {
    for (const int c : vars_[static_cast<std::size_t>(v)].cells) {
      varOfCell[static_cast<std::size_t>(c)] = v;
    }
  }
  auto transpose = [](int c) {
    return PuzzleGrid::indexOf(PuzzleGrid::columnOf(c), PuzzleGrid::rowOf(c));
  };
  std::vector<int> varMap(vars_.size(), -1);
  for (int v = 0; v < varCount(); ++v) {
    const Var& var = vars_[static_cast<std::size_t>(v)];
    std::vector<int> cells;
    for (const int c : var.cells) cells.push_back(transpose(c));
    std::sort(cells.begin(), cells.end());
    const int u = varOfCell[static_cast<std::size_t>(cells.front())];
    if (u < 0) return;
    const Var& image = vars_[static_cast<std::size_t>(u)];
    std::vector<int> own(image.cells);
    std::sort(own.begin(), own.end());
    if (own != cells || image.fixed != var.fixed) return;
    varMap[static_cast<std::size_t>(v)] = u;
  }
  std::map<std::vector<int>, int> slotOfVars;
  for (const int s : freeSlots_) slotOfVars.emplace(slot(s).vars, s);
  std::vector<int> slotMap(slots_.size(), -1);
  for (const int s : freeSlots_) {
    const Slot& own = slot(s);
    std::vector<int> vars;
    for (const int v : own.vars) vars.push_back(varMap[static_cast<std::size_t>(v)]);
    const auto found = slotOfVars.find(vars);
    if (found == slotOfVars.end() || slot(found->second).initial != own.initial) return;
    slotMap[static_cast<std::size_t>(s)] = found->second;
  }
  transposedVar_ = std::move(varMap);
  transposedSlot_ = std::move(slotMap);
}

std::pair<int, int> FillModel::transposedPair(const std::vector<int>& slots) const {
  if (transposedVar_.empty()) return {-1, -1};
  std::vector<char> in(slots_.size(), 0);
  for (const int s : slots) in[static_cast<std::size_t>(s)] = 1;
  int first = -1;
  for (const int s : slots) {
    if (in[static_cast<std::size_t>(transposedSlot_[static_cast<std::size_t>(s)])] == 0) {
      return {-1, -1};  // the slots are not closed under the swap
    }
    for (const int v : slot(s).vars) {
      if (transposedVar_[static_cast<std::size_t>(v)] != v && (first < 0 || v < first)) first = v;
    }
  }
  if (first < 0) return {-1, -1};
  return {first, transposedVar_[static_cast<std::size_t>(first)]};
}

}  // namespace vexilo
