#include "puzzle/grid_history.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vexilo {

namespace {

template <typename T>
void put(std::string& out, T value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

template <typename T>
T take(const char*& in) {
  T value;
  std::memcpy(&value, in, sizeof value);
  in += sizeof value;
  return value;
}

void pack(std::string& out, int index, const NodeBox& cell) {
  put(out, static_cast<std::uint16_t>(index));
  put(out, cell.flag);
  put(out, cell.mark);
  put(out, static_cast<std::uint32_t>(cell.str.size()));
  out += cell.str;
}

bool sameCell(const NodeBox& a, const NodeBox& b) {
  return a.flag == b.flag && a.mark == b.mark && a.str == b.str;
}

void putText(std::string& out, const std::string& text) {
  put(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

std::string takeText(const char*& in) {
  const std::uint32_t length = take<std::uint32_t>(in);
  std::string text(in, length);
  in += length;
  return text;
}

constexpr char ClueTag = 'c';        // cell, direction, the text (empty: no clue)
constexpr char PropertiesTag = 'p';  // title, author, copyright, numbering

void packClue(std::string& out, const ClueKey& key, const std::string& text) {
  out += ClueTag;
  put(out, static_cast<std::uint16_t>(key.cell));
  put(out, key.direction);
  putText(out, text);
}

void packProperties(std::string& out, const PuzzleProperties& properties) {
  out += PropertiesTag;
  putText(out, properties.title);
  putText(out, properties.author);
  putText(out, properties.copyright);
  put(out, static_cast<std::int32_t>(properties.numbering));
}

// Every clue that differs between the two, and the properties when they differ.
void packClueChanges(const PuzzleClues& from, const PuzzleClues& to, std::string& before,
                     std::string& after) {
  auto a = from.texts.begin();
  auto b = to.texts.begin();
  while (a != from.texts.end() || b != to.texts.end()) {
    if (b == to.texts.end() || (a != from.texts.end() && a->first < b->first)) {
      packClue(before, a->first, a->second);
      packClue(after, a->first, {});
      ++a;
    } else if (a == from.texts.end() || b->first < a->first) {
      packClue(before, b->first, {});
      packClue(after, b->first, b->second);
      ++b;
    } else {
      if (a->second != b->second) {
        packClue(before, a->first, a->second);
        packClue(after, b->first, b->second);
      }
      ++a;
      ++b;
    }
  }
  if (from.properties != to.properties) {
    packProperties(before, from.properties);
    packProperties(after, to.properties);
  }
}

std::size_t textBytes(const GridHistory::WordList& words) {
  std::size_t bytes = 0;
  for (const std::string& word : words) bytes += sizeof word + word.size();
  return bytes;
}

}  // namespace

std::size_t GridHistory::Step::size() const {
  return sizeof(Step) + before.size() + after.size() + cluesBefore.size() + cluesAfter.size() +
         textBytes(bansBefore) + textBytes(bansAfter);
}

void GridHistory::reset(const PuzzleGrid& grid, const PuzzleClues& clues, const WordList& banned) {
  steps_.clear();
  done_ = 0;
  bytes_ = 0;
  baseline_ = grid;
  baseId_ = nextId_++;
  clues_ = clues;
  banned_ = banned;
}

bool GridHistory::record(const PuzzleGrid& grid, const PuzzleClues& clues, const WordList& banned,
                         ViewOffsets view) {
  Step step;
  if (&clues != &clues_) packClueChanges(clues_, clues, step.cluesBefore, step.cluesAfter);
  if (&banned != &banned_ && banned != banned_) {
    step.bansChanged = true;
    step.bansBefore = banned_;
    step.bansAfter = banned;
  }
  for (int i = 0; i < CellCount; ++i) {
    if (sameCell(grid.cellAt(i), baseline_.cellAt(i))) continue;
    pack(step.before, i, baseline_.cellAt(i));
    pack(step.after, i, grid.cellAt(i));
  }
  step.nextMarkBefore = baseline_.nextMark();
  step.nextMarkAfter = grid.nextMark();
  if (step.onlyBans() && !step.bansChanged) return false;
  step.view = view;
  step.id = nextId_++;
  if (!step.cluesBefore.empty()) clues_ = clues;
  if (step.bansChanged) banned_ = banned;

  while (steps_.size() > done_) {
    bytes_ -= steps_.back().size();
    steps_.pop_back();
  }
  bytes_ += step.size();
  steps_.push_back(std::move(step));
  ++done_;
  while (bytes_ > budget_ && steps_.size() > 1) {
    bytes_ -= steps_.front().size();
    baseId_ = steps_.front().id;
    steps_.pop_front();
    --done_;
  }
  baseline_ = grid;
  return true;
}

void GridHistory::apply(const std::string& cells, int nextMark, PuzzleGrid& grid) {
  const char* in = cells.data();
  const char* const end = in + cells.size();
  while (in < end) {
    NodeBox& cell = grid.cellAt(take<std::uint16_t>(in));
    cell.flag = take<std::int32_t>(in);
    cell.mark = take<std::int32_t>(in);
    const std::uint32_t length = take<std::uint32_t>(in);
    cell.str.assign(in, length);
    in += length;
  }
  grid.setNextMark(nextMark);
  baseline_ = grid;
}

void GridHistory::applyClues(const std::string& packed, PuzzleClues& clues) {
  const char* in = packed.data();
  const char* const end = in + packed.size();
  while (in < end) {
    if (*in++ == ClueTag) {
      ClueKey key;
      key.cell = take<std::uint16_t>(in);
      key.direction = take<SlotDirection>(in);
      clues.setText(key, takeText(in));
    } else {
      clues.properties.title = takeText(in);
      clues.properties.author = takeText(in);
      clues.properties.copyright = takeText(in);
      clues.properties.numbering = static_cast<Numbering>(take<std::int32_t>(in));
    }
  }
  clues_ = clues;
}

bool GridHistory::undo(PuzzleGrid& grid, PuzzleClues& clues, WordList& banned, ViewOffsets& view) {
  record(grid, clues, banned, view);
  if (!canUndo()) return false;
  const Step& step = steps_[--done_];
  apply(step.before, step.nextMarkBefore, grid);
  applyClues(step.cluesBefore, clues);
  if (step.bansChanged) banned = banned_ = step.bansBefore;
  view = step.view;
  return true;
}

bool GridHistory::redo(PuzzleGrid& grid, PuzzleClues& clues, WordList& banned, ViewOffsets& view) {
  record(grid, clues, banned, view);  // a change since the last undo leaves nothing to redo
  if (!canRedo()) return false;
  const Step& step = steps_[done_++];
  apply(step.after, step.nextMarkAfter, grid);
  applyClues(step.cluesAfter, clues);
  if (step.bansChanged) banned = banned_ = step.bansAfter;
  view = step.view;
  return true;
}

bool GridHistory::undo(PuzzleGrid& grid, PuzzleClues& clues, ViewOffsets& view) {
  WordList banned = banned_;
  return undo(grid, clues, banned, view);
}

bool GridHistory::redo(PuzzleGrid& grid, PuzzleClues& clues, ViewOffsets& view) {
  WordList banned = banned_;
  return redo(grid, clues, banned, view);
}

bool GridHistory::samePuzzleAs(std::uint64_t position) const {
  std::size_t at = 0;  // steps done at that position
  if (position != baseId_) {
    const auto step = std::find_if(steps_.begin(), steps_.end(),
                                   [position](const Step& s) { return s.id == position; });
    if (step == steps_.end()) return false;
    at = static_cast<std::size_t>(step - steps_.begin()) + 1;
  }
  const auto [from, to] = std::minmax(at, done_);
  return std::all_of(steps_.begin() + static_cast<std::ptrdiff_t>(from),
                     steps_.begin() + static_cast<std::ptrdiff_t>(to),
                     [](const Step& s) { return s.onlyBans(); });
}

bool GridHistory::undo(PuzzleGrid& grid, ViewOffsets& view) {
  PuzzleClues clues = clues_;
  return undo(grid, clues, view);
}

bool GridHistory::redo(PuzzleGrid& grid, ViewOffsets& view) {
  PuzzleClues clues = clues_;
  return redo(grid, clues, view);
}

}  // namespace vexilo
