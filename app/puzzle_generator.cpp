#include "app/puzzle_generator.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "puzzle/block_layout.h"

namespace vexilo {

namespace {

// Dead ends of the layout maker in a row before the run gives up: only a size or a word length
// that cannot be laid out at all comes near it.
constexpr int MostDeadEnds = 2000;
// After this many in a row the layouts may have words one letter longer: a fifth of black
// cells is not always enough to keep words short by the symmetry asked for.
constexpr int DeadEndsToLonger = 200;
constexpr int DeadEndsPerPump = 10;

// Stops the engine once its decisions reach the limit, or the first fill of a layout is slow to
// come; passes everything else on to the host.
class BudgetHost : public FillHost {
 public:
  BudgetHost(FillHost& host, const FastFill& engine, std::uint64_t limit,
             std::uint64_t firstFillLimit)
      : host_(host), engine_(engine), limit_(limit), firstFillLimit_(firstFillLimit) {}

  void cellChanged(int cellIndex) override { host_.cellChanged(cellIndex); }
  bool pumpMessages() override { return host_.pumpMessages(); }
  SearchState searchState() const override {
    const SearchState state = host_.searchState();
    if (state != SearchRunning) return state;
    const std::uint64_t decisions = engine_.decisions();
    const bool found = engine_.progress().worstRank != 0;
    return decisions >= limit_ || (!found && decisions >= firstFillLimit_) ? SearchCancelled
                                                                           : SearchRunning;
  }

 private:
  FillHost& host_;
  const FastFill& engine_;
  std::uint64_t limit_;
  std::uint64_t firstFillLimit_;
};

// Whether the dictionary has words enough of every slot length: no word stands twice.
bool enoughWords(const SlotTable& table, const WordIndex& index) {
  std::array<std::size_t, LengthClasses> slots{};
  for (int s = 0; s < table.slotCount; ++s) {
    ++slots[static_cast<std::size_t>(table.slots[static_cast<std::size_t>(s)].length)];
  }
  for (int length = MinSlotLength; length < LengthClasses; ++length) {
    if (slots[static_cast<std::size_t>(length)] > index[length].wordCount()) return false;
  }
  return true;
}

void layOut(PuzzleGrid& grid, const Layout& layout, const GenerateRequest& request,
            FillHost& host) {
  layOutNewPuzzle(grid, request.width, request.height);
  for (int row = 0; row < request.height; ++row) {
    for (int column = 0; column < request.width; ++column) {
      const int cell = PuzzleGrid::indexOf(row, column);
      if (!layout.test(static_cast<std::size_t>(cell))) grid.makeBlock(cell);
      host.cellChanged(cell);
    }
  }
}

// The worst and the median rank of the words standing in the slots.
void rankFill(const PuzzleGrid& grid, const SlotTable& table, const WordTables& tables,
              GenerateOutcome& outcome) {
  std::vector<std::uint32_t> ranks;
  for (int s = 0; s < table.slotCount; ++s) {
    const WordSlot& slot = table.slots[static_cast<std::size_t>(s)];
    if (!tables.prepared(slot.length)) continue;
    std::string word;
    for (int p = 0; p < slot.length; ++p) word += grid.cellAt(slotCell(slot, p)).str;
    const LengthWords& words = tables.length(slot.length);
    const int w = words.find(word);
    if (w >= 0) ranks.push_back(words.ranks[static_cast<std::size_t>(w)]);
  }
  if (ranks.empty()) return;
  std::sort(ranks.begin(), ranks.end());
  outcome.worstRank = ranks.back();
  outcome.medianRank = ranks[ranks.size() / 2];
}

}  // namespace

std::uint64_t generateBudget(int cells) {
  return std::max<std::uint64_t>(static_cast<std::uint64_t>(cells) * 60, 10000);
}

int longestCommonLength(const WordIndex& index) {
  std::size_t peak = 0;
  for (int length = MinSlotLength; length < LengthClasses; ++length) {
    peak = std::max(peak, index[length].wordCount());
  }
  if (peak == 0) return 0;
  int longest = 3;
  for (int length = 3; length < LengthClasses; ++length) {
    if (index[length].wordCount() * 2 >= peak) longest = length;
  }
  return longest;
}

GenerateOutcome generatePuzzle(PuzzleGrid& grid, SlotTable& table, const WordIndex& index,
                               FastFill& engine, FillHost& host, const GenerateRequest& request,
                               const BannedWords* banned) {
  GenerateOutcome outcome;
  outcome.longestWord = longestCommonLength(index);
  if (outcome.longestWord == 0) return outcome;
  const int cells = request.width * request.height;
  const std::uint64_t budget = request.decisions != 0 ? request.decisions : generateBudget(cells);
  LayoutRandom random(request.seed);
  BlockLayoutRequest layoutRequest;
  layoutRequest.width = request.width;
  layoutRequest.height = request.height;
  layoutRequest.symmetry = request.symmetry;
  layoutRequest.maxBlack = cells / 5;
  layoutRequest.longestWord = outcome.longestWord;
  const FastFillSettings kept = engine.settings;
  engine.settings.firstOnly = false;
  engine.settings.slots.clear();
  engine.settings.deadline.reset();
  // One thread: the budget is counted in decisions, and where threads stand when it runs out
  // would change the fill from run to run.
  engine.settings.threads = 1;
  int deadEnds = 0;
  while (outcome.decisions < budget && deadEnds < MostDeadEnds) {
    const std::optional<Layout> layout = makeBlockLayout(layoutRequest, random);
    if (!layout) {
      ++deadEnds;
      // Dead ends may follow each other for seconds, with no engine to let the window's
      // messages through.
      if (deadEnds % DeadEndsPerPump == 0) {
        host.pumpMessages();
        if (host.searchState() != SearchRunning) {
          outcome.stopped = true;
          break;
        }
      }
      if (deadEnds % DeadEndsToLonger == 0 &&
          layoutRequest.longestWord < std::max(request.width, request.height)) {
        ++layoutRequest.longestWord;
      }
      continue;
    }
    deadEnds = 0;
    ++outcome.layoutsTried;
    layOut(grid, *layout, request, host);
    extractSlots(grid, table);
    table.slotsCurrent = true;
    if (!enoughWords(table, index)) continue;
    engine.forget();
    // A layout whose first fill takes many times what a fillable one needs is left for the next.
    BudgetHost budgetHost(host, engine, budget - outcome.decisions,
                          static_cast<std::uint64_t>(table.slotCount) * 20);
    engine.run(grid, index, table, budgetHost, banned);
    outcome.decisions += engine.decisions();
    if (engine.complete()) {
      outcome.filled = true;
      outcome.proven = engine.progress().proven;
      if (engine.tables()) rankFill(grid, table, *engine.tables(), outcome);
      break;
    }
    if (host.searchState() != SearchRunning || engine.gridChanged()) {
      outcome.stopped = true;
      break;
    }
  }
  engine.forget();
  engine.settings = kept;
  outcome.longestWord = layoutRequest.longestWord;
  return outcome;
}

}  // namespace vexilo
