#include "puzzle/block_layout.h"

#include <algorithm>
#include <array>
#include <vector>

#include "puzzle/block_rules.h"

namespace vexilo {

std::uint64_t LayoutRandom::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int LayoutRandom::below(int bound) {
  return static_cast<int>(next() % static_cast<std::uint64_t>(bound));
}

double LayoutRandom::unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

namespace {

// How welcome a word of this length is, at most 1; 0: a black cell at the edge, 1: a cell in
// no word this way. Three to five letters are what a dictionary holds most of, and most of its
// common words; two-letter words are few, and longer ones cross many others. A layout is drawn
// with the product of the weights of its words, so each word counts against the next.
double pieceWeight(int length, int longest) {
  if (length == 0) return 0.2;
  if (length == 1) return 0.15;
  if (length == 2) return 0.35;
  if (length <= std::min(5, longest)) return 1;
  if (length <= longest) return 0.5;
  return 0;
}

// The puzzle's rectangle. place() keeps every rule and the symmetry; setBlack() is for rows
// made by the RowMaker, which keeps the rules itself.
class Board {
 public:
  explicit Board(const BlockLayoutRequest& request)
      : width_(request.width),
        height_(request.height),
        symmetry_(request.symmetry),
        black_(static_cast<std::size_t>(request.width * request.height), 0) {}

  int width() const { return width_; }
  int height() const { return height_; }
  int cells() const { return width_ * height_; }
  int blacks() const { return blacks_; }
  int rowOf(int cell) const { return cell / width_; }
  int columnOf(int cell) const { return cell % width_; }
  bool black(int cell) const { return black_[static_cast<std::size_t>(cell)] != 0; }
  void setBlack(int cell) {
    if (black(cell)) return;
    black_[static_cast<std::size_t>(cell)] = 1;
    ++blacks_;
  }

  int runStart(int cell, SlotDirection direction) const {
    const int step = direction == Across ? 1 : width_;
    int first = cell;
    while (hasStep(first, direction, -1) && !black(first - step)) first -= step;
    return first;
  }
  int runLength(int cell, SlotDirection direction) const {
    if (black(cell)) return 0;
    const int step = direction == Across ? 1 : width_;
    int length = 1;
    for (int at = runStart(cell, direction); hasStep(at, direction, 1) && !black(at + step);
         at += step) {
      ++length;
    }
    return length;
  }

  // The cells made black with cell: itself and its mirror.
  std::vector<int> pairOf(int cell) const {
    const int row = rowOf(cell);
    const int column = columnOf(cell);
    int mirror = cell;
    switch (symmetry_) {
      case Symmetry::None: break;
      case Symmetry::Point: mirror = (height_ - 1 - row) * width_ + width_ - 1 - column; break;
      case Symmetry::LeftRight: mirror = row * width_ + width_ - 1 - column; break;
      case Symmetry::TopBottom: mirror = (height_ - 1 - row) * width_ + column; break;
    }
    if (mirror == cell) return {cell};
    return {cell, mirror};
  }

  // Makes cell and its mirror black when every rule still holds; else changes nothing.
  bool place(int cell) {
    const std::vector<int> pair = pairOf(cell);
    for (const int c : pair) {
      if (black(c) || corner(c)) return false;
      for (const int n : neighbours(c)) {
        if (black(n) || std::ranges::find(pair, n) != pair.end()) return false;
      }
    }
    for (const int c : pair) black_[static_cast<std::size_t>(c)] = 1;
    bool kept = true;
    for (const int c : pair) {
      for (const int n : neighbours(c)) {
        if (black(n)) continue;
        int closed = 0;
        for (const int m : neighbours(n)) closed += black(m) ? 1 : 0;
        if (closed >= 3 || (runLength(n, Across) == 1 && runLength(n, Down) == 1)) kept = false;
      }
    }
    if (kept) kept = connected(static_cast<int>(pair.size()));
    if (!kept) {
      for (const int c : pair) black_[static_cast<std::size_t>(c)] = 0;
      return false;
    }
    blacks_ += static_cast<int>(pair.size());
    return true;
  }

  Layout layout() const {
    Layout layout;
    for (int cell = 0; cell < cells(); ++cell) {
      if (!black(cell)) {
        layout.set(static_cast<std::size_t>(PuzzleGrid::indexOf(rowOf(cell), columnOf(cell))));
      }
    }
    return layout;
  }

 private:
  bool hasStep(int cell, SlotDirection direction, int sign) const {
    if (direction == Across) {
      const int column = columnOf(cell) + sign;
      return 0 <= column && column < width_;
    }
    const int row = rowOf(cell) + sign;
    return 0 <= row && row < height_;
  }

  bool corner(int cell) const {
    const int row = rowOf(cell);
    const int column = columnOf(cell);
    return (row == 0 || row == height_ - 1) && (column == 0 || column == width_ - 1);
  }

  std::vector<int> neighbours(int cell) const {
    std::vector<int> around;
    if (columnOf(cell) > 0) around.push_back(cell - 1);
    if (columnOf(cell) < width_ - 1) around.push_back(cell + 1);
    if (rowOf(cell) > 0) around.push_back(cell - width_);
    if (rowOf(cell) < height_ - 1) around.push_back(cell + width_);
    return around;
  }

  // Whether the open cells are one part, after `added` more black cells.
  bool connected(int added) const {
    const int open = cells() - blacks_ - added;
    int start = 0;
    while (black(start)) ++start;
    std::vector<char> seen(black_.size(), 0);
    std::vector<int> queue{start};
    seen[static_cast<std::size_t>(start)] = 1;
    for (std::size_t next = 0; next < queue.size(); ++next) {
      for (const int n : neighbours(queue[next])) {
        if (black(n) || seen[static_cast<std::size_t>(n)] != 0) continue;
        seen[static_cast<std::size_t>(n)] = 1;
        queue.push_back(n);
      }
    }
    return static_cast<int>(queue.size()) == open;
  }

  int width_;
  int height_;
  Symmetry symmetry_;
  std::vector<char> black_;  // row by row, width_ a row
  int blacks_ = 0;
};

// Makes rows from the top, each drawn at random among the rows that keep every rule with the
// rows above it and no run longer than the longest word, across or down, weighted by how
// welcome the words it ends are (pieceWeight). A row is drawn column by column from the weights
// of all the rows that can follow each start, summed from the right.
//
// States of a row at a column: the open cells since the last black cell (0..longest), with or
// without the row's left edge before them, or "the cell before is black". Carried down from
// the rows above: each column's open cells since its last black cell, whether the cell above is
// black, and whether it must not get a black cell under it (a cell in no word across that
// would be in none down either, or one with two black neighbours already).
class RowMaker {
 public:
  RowMaker(Board& board, int longest, LayoutRandom& random)
      : board_(board), longest_(longest), random_(random) {}

  bool makeRows(int rows) {
    for (int r = 0; r < rows; ++r) {
      if (!makeRow(r)) return false;
    }
    return true;
  }

 private:
  static constexpr int MaxStates = 2 * (GridSize + 1) + 1;

  int states() const { return 2 * (longest_ + 1) + 1; }
  int afterBlack() const { return states() - 1; }
  static int runOf(int state) { return state / 2; }
  static bool fromEdge(int state) { return state % 2 == 1; }
  static int stateOf(int run, bool edge) { return run * 2 + (edge ? 1 : 0); }

  // The weight of closing, at column c (width_: the right edge), the run of the state; 0 when
  // that breaks a rule.
  double closing(int row, int c, int state, bool byBlack) const {
    if (state == afterBlack()) return byBlack ? 0 : pieceWeight(0, longest_);
    const int run = runOf(state);
    if (run > c) return 0;  // a state no row reaches: more open cells than columns before
    if (run == 1) {
      const int cell = c - 1;
      const bool blackAbove = above_[static_cast<std::size_t>(cell)];
      const int blacks = (fromEdge(state) ? 0 : 1) + (byBlack ? 1 : 0) + (blackAbove ? 1 : 0);
      if (blacks >= 3) return 0;
      if ((blackAbove || row == 0) && row == board_.height() - 1) return 0;  // in no word
    }
    return pieceWeight(run, longest_);
  }

  bool makeRow(int row) {
    const int width = board_.width();
    const bool edgeRow = row == 0 || row == board_.height() - 1;
    std::array<bool, GridSize> canBlack{};
    std::array<bool, GridSize> mustBlack{};
    for (int c = 0; c < width; ++c) {
      const auto at = static_cast<std::size_t>(c);
      canBlack[at] = !above_[at] && !keepOpen_[at] && !(edgeRow && (c == 0 || c == width - 1));
      mustBlack[at] = runDown_[at] >= longest_;
      if (mustBlack[at] && !canBlack[at]) return false;
    }
    // weights[c][s]: of every way to finish the row from column c in state s.
    std::vector<std::array<double, MaxStates>> weights(static_cast<std::size_t>(width) + 1);
    for (int s = 0; s < states(); ++s) {
      weights[static_cast<std::size_t>(width)][static_cast<std::size_t>(s)] =
          closing(row, width, s, false);
    }
    for (int c = width - 1; c >= 0; --c) {
      for (int s = 0; s < states(); ++s) {
        weights[static_cast<std::size_t>(c)][static_cast<std::size_t>(s)] =
            open(row, c, s, mustBlack, weights) + black(row, c, s, canBlack, weights);
      }
    }
    int state = stateOf(0, true);
    if (weights[0][static_cast<std::size_t>(state)] <= 0) return false;
    std::array<bool, GridSize> blackHere{};
    for (int c = 0; c < width; ++c) {
      const double toOpen = open(row, c, state, mustBlack, weights);
      const double toBlack = black(row, c, state, canBlack, weights);
      const bool makeBlack = random_.unit() * (toOpen + toBlack) >= toOpen;
      blackHere[static_cast<std::size_t>(c)] = makeBlack;
      state = makeBlack ? afterBlack() : next(state);
    }
    carryDown(row, blackHere);
    return true;
  }

  int next(int state) const {
    return state == afterBlack() ? stateOf(1, false) : stateOf(runOf(state) + 1, fromEdge(state));
  }

  double open(int, int c, int state, const std::array<bool, GridSize>& mustBlack,
              const std::vector<std::array<double, MaxStates>>& weights) const {
    if (mustBlack[static_cast<std::size_t>(c)]) return 0;
    if (state != afterBlack() && runOf(state) + 1 > longest_) return 0;
    return weights[static_cast<std::size_t>(c) + 1][static_cast<std::size_t>(next(state))];
  }

  double black(int row, int c, int state, const std::array<bool, GridSize>& canBlack,
               const std::vector<std::array<double, MaxStates>>& weights) const {
    if (!canBlack[static_cast<std::size_t>(c)]) return 0;
    const double closed = closing(row, c, state, true);
    if (closed == 0) return 0;
    return closed * pieceWeight(runDown_[static_cast<std::size_t>(c)], longest_) *
           weights[static_cast<std::size_t>(c) + 1][static_cast<std::size_t>(afterBlack())];
  }

  void carryDown(int row, const std::array<bool, GridSize>& blackHere) {
    const int width = board_.width();
    std::array<bool, GridSize> keepOpen{};
    for (int c = 0; c < width; ++c) {
      const auto at = static_cast<std::size_t>(c);
      if (blackHere[at]) continue;
      const bool left = c > 0 && blackHere[at - 1];
      const bool right = c + 1 < width && blackHere[at + 1];
      const bool aloneAcross = (c == 0 || blackHere[at - 1]) && (c + 1 == width || right);
      const int blacks = (left ? 1 : 0) + (right ? 1 : 0) + (above_[at] ? 1 : 0);
      keepOpen[at] = (aloneAcross && (above_[at] || row == 0)) || blacks >= 2;
    }
    for (int c = 0; c < width; ++c) {
      const auto at = static_cast<std::size_t>(c);
      if (blackHere[at]) board_.setBlack(row * width + c);
      above_[at] = blackHere[at];
      runDown_[at] = blackHere[at] ? 0 : runDown_[at] + 1;
      keepOpen_[at] = keepOpen[at];
    }
  }

  Board& board_;
  int longest_;
  LayoutRandom& random_;
  std::array<int, GridSize> runDown_{};  // open cells down to the row above
  std::array<bool, GridSize> above_{};
  std::array<bool, GridSize> keepOpen_{};
};

// Tries the cells in a random order weighted as given (0: never) until one can be placed.
bool placeOne(Board& board, const std::vector<int>& cells, std::vector<double> weights,
              LayoutRandom& random) {
  while (true) {
    // Summed afresh each time: a total kept by subtraction may stay above 0 with every
    // weight gone.
    double total = 0;
    for (const double w : weights) total += w;
    if (total <= 0) return false;
    double pick = random.unit() * total;
    std::size_t k = 0;
    while (k + 1 < weights.size() && (weights[k] == 0 || pick >= weights[k])) {
      pick -= weights[k++];
    }
    while (weights[k] == 0) --k;  // pick ran past the last weight by rounding
    if (board.place(cells[k])) return true;
    weights[k] = 0;
  }
}

// The weight of making cell black, from the pieces it leaves of its runs across and down.
double cutWeight(const Board& board, int cell, int longest) {
  double weight = 1;
  for (const SlotDirection direction : {Across, Down}) {
    const int first = board.runStart(cell, direction);
    const int length = board.runLength(cell, direction);
    const int before = direction == Across ? board.columnOf(cell) - board.columnOf(first)
                                           : board.rowOf(cell) - board.rowOf(first);
    const int after = length - before - 1;
    // A piece still too long is cut again later: welcome, as a piece of the longest length.
    weight *= pieceWeight(std::min(before, longest), longest) *
              pieceWeight(std::min(after, longest), longest);
  }
  return weight;
}

}  // namespace

int longestRun(const Layout& layout) {
  int longest = 0;
  for (int line = 0; line < GridSize; ++line) {
    int across = 0;
    int down = 0;
    for (int k = 0; k < GridSize; ++k) {
      across = layout.test(static_cast<std::size_t>(PuzzleGrid::indexOf(line, k))) ? across + 1 : 0;
      down = layout.test(static_cast<std::size_t>(PuzzleGrid::indexOf(k, line))) ? down + 1 : 0;
      longest = std::max({longest, across, down});
    }
  }
  return longest;
}

std::optional<Layout> makeBlockLayout(const BlockLayoutRequest& request, LayoutRandom& random) {
  Board board(request);
  const int longest = std::max(request.longestWord, 2);
  const int maxBlack = request.maxBlack > 0 ? request.maxBlack : board.cells() / 5;

  // Left-right symmetry is top-bottom symmetry turned through the diagonal, which keeps every
  // rule.
  if (request.symmetry == Symmetry::LeftRight) {
    BlockLayoutRequest turned = request;
    turned.width = request.height;
    turned.height = request.width;
    turned.symmetry = Symmetry::TopBottom;
    const std::optional<Layout> made = makeBlockLayout(turned, random);
    if (!made) return std::nullopt;
    Layout layout;
    for (int row = 0; row < GridSize; ++row) {
      for (int column = 0; column < GridSize; ++column) {
        if (made->test(static_cast<std::size_t>(PuzzleGrid::indexOf(column, row)))) {
          layout.set(static_cast<std::size_t>(PuzzleGrid::indexOf(row, column)));
        }
      }
    }
    return layout;
  }

  // The rows that no mirror ties to others are made whole; with point or top-bottom symmetry
  // the top half is, mirrored into the bottom half, and the one or two rows between are left
  // to the cuts below.
  const int height = request.height;
  const int width = request.width;
  const int madeRows = request.symmetry == Symmetry::None ? height : (height - 1) / 2;
  RowMaker rows(board, longest, random);
  if (!rows.makeRows(madeRows)) return std::nullopt;
  if (request.symmetry != Symmetry::None) {
    for (int cell = 0; cell < madeRows * width; ++cell) {
      if (!board.black(cell)) continue;
      const int mirrorRow = height - 1 - cell / width;
      const int column = cell % width;
      board.setBlack(mirrorRow * width +
                     (request.symmetry == Symmetry::Point ? width - 1 - column : column));
    }
  }

  // Every run still longer than the longest word is cut where the pieces come out best, across
  // and down.
  while (true) {
    std::vector<int> cells;
    std::vector<double> weights;
    for (int cell = 0; cell < board.cells(); ++cell) {
      if (board.black(cell) ||
          (board.runLength(cell, Across) <= longest && board.runLength(cell, Down) <= longest)) {
        continue;
      }
      cells.push_back(cell);
      weights.push_back(cutWeight(board, cell, longest));
    }
    if (cells.empty()) break;
    if (board.blacks() + 2 > maxBlack || !placeOne(board, cells, weights, random)) {
      return std::nullopt;
    }
  }

  const Layout layout = board.layout();
  if (board.blacks() > maxBlack || !checkBlockRules(layout).holds() ||
      longestRun(layout) > longest) {
    return std::nullopt;
  }
  return layout;
}

}  // namespace vexilo
