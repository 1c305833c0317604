#include "search/fill_search.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "puzzle/shift_jis.h"
#include "search/banned_words.h"

namespace vexilo {

namespace {

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() == 2) return a[0] == b[0] && a[1] == b[1];
  return a == b;
}

// A slot's cells and mark groups gathered once, so that testing a word costs no search of
// the grid. Flags, marks and letters are still read from the cells at every test, because
// commands run between two tests; a mark changed since then is looked up in the whole grid.
class SlotPattern {
 public:
  SlotPattern(const PuzzleGrid& grid, const WordSlot& slot) : grid_(&grid) {
    geometry_.column = slot.column;
    geometry_.row = slot.row;
    geometry_.length = slot.length;
    geometry_.direction = slot.direction;
    length_ = std::clamp(slot.length, 0, MaxSlotLength);
    std::vector<std::int32_t> marks;
    for (int i = 0; i < length_; ++i) {
      Position& p = positions_[static_cast<std::size_t>(i)];
      p.cellIndex = slotCell(slot, i);
      p.cell = &grid.cellAt(p.cellIndex);
      p.mark = p.cell->mark;
      if (p.mark != -1) marks.push_back(p.mark);
    }
    if (marks.empty()) return;
    std::sort(marks.begin(), marks.end());
    marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
    // Members of each mark in index order, one mark after the other.
    std::vector<std::vector<Member>> byMark(marks.size());
    for (int d = 0; d < CellCount; ++d) {
      const auto found = std::lower_bound(marks.begin(), marks.end(), grid.cellAt(d).mark);
      if (found == marks.end() || *found != grid.cellAt(d).mark) continue;
      byMark[static_cast<std::size_t>(found - marks.begin())].push_back(
          {&grid.cellAt(d), positionInSlot(slot, d)});
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
    for (const auto& group : byMark) {
      spans.emplace_back(static_cast<std::uint32_t>(members_.size()),
                         static_cast<std::uint32_t>(group.size()));
      members_.insert(members_.end(), group.begin(), group.end());
    }
    for (int i = 0; i < length_; ++i) {
      Position& p = positions_[static_cast<std::size_t>(i)];
      if (p.mark == -1) continue;
      const auto at = std::lower_bound(marks.begin(), marks.end(), p.mark) - marks.begin();
      p.firstMember = spans[static_cast<std::size_t>(at)].first;
      p.memberCount = spans[static_cast<std::size_t>(at)].second;
    }
  }

  bool fits(std::string_view word) const {
    std::string_view pending;  // the one letter of the slot's empty star cells
    for (int i = 0; i < length_; ++i) {
      const Position& p = positions_[static_cast<std::size_t>(i)];
      const NodeBox& c = *p.cell;
      const std::string_view w = letterAt(word, i);
      if (c.flag != Block && !c.str.empty()) {
        if (!sameText(w, c.str)) return false;
      } else if (c.flag == Star) {
        if (pending.empty()) {
          pending = w;
        } else if (!sameText(w, pending)) {
          return false;
        }
      } else if (c.flag != Block && c.mark != -1) {
        if (!fitsMarkGroup(p, w, word)) return false;
      }
    }
    return true;
  }

 private:
  struct Member {
    const NodeBox* cell;
    int position;  // in the slot, or -1
  };
  struct Position {
    int cellIndex = 0;
    const NodeBox* cell = nullptr;
    std::int32_t mark = -1;  // as gathered
    std::uint32_t firstMember = 0;
    std::uint32_t memberCount = 0;
  };

  bool fitsMember(const NodeBox& d, int k, std::string_view w, std::string_view word) const {
    if (!d.str.empty() && !sameText(w, d.str)) return false;
    return k == -1 || sameText(w, letterAt(word, k));
  }

  bool fitsMarkGroup(const Position& p, std::string_view w, std::string_view word) const {
    if (p.cell->mark == p.mark) {
      for (std::uint32_t m = p.firstMember; m < p.firstMember + p.memberCount; ++m) {
        const Member& member = members_[m];
        if (member.cell == p.cell) continue;
        if (!fitsMember(*member.cell, member.position, w, word)) return false;
      }
      return true;
    }
    const std::int32_t mark = p.cell->mark;
    for (int d = 0; d < CellCount; ++d) {
      if (d == p.cellIndex || grid_->cellAt(d).mark != mark) continue;
      if (!fitsMember(grid_->cellAt(d), positionInSlot(geometry_, d), w, word)) return false;
    }
    return true;
  }

  const PuzzleGrid* grid_;
  WordSlot geometry_;  // a copy: the table is not to be held across commands
  int length_ = 0;
  std::array<Position, MaxSlotLength> positions_{};
  std::vector<Member> members_;
};

}  // namespace

std::string_view letterAt(std::string_view word, int i) {
  const auto start = static_cast<std::size_t>(i) * 2;
  if (start >= word.size()) return {};
  return {word.data() + start, std::min<std::size_t>(2, word.size() - start)};
}

bool isSlotWord(std::string_view word, int length) {
  if (length < 0 || word.size() != static_cast<std::size_t>(length) * 2) return false;
  for (std::size_t i = 0; i < word.size(); i += 2) {
    if (!isLeadByte(word[i])) return false;
  }
  return true;
}

KnownLetter firstKnownLetter(const PuzzleGrid& grid, const WordSlot& slot) {
  for (int i = 0; i < slot.length; ++i) {
    const int c = slotCell(slot, i);
    const NodeBox& cell = grid.cellAt(c);
    if (cell.flag == Block) continue;
    if (!cell.str.empty()) return {i, cell.str};
    if (cell.mark == -1) continue;
    for (int d = 0; d < CellCount; ++d) {
      if (d != c && grid.cellAt(d).mark == cell.mark && !grid.cellAt(d).str.empty()) {
        return {i, grid.cellAt(d).str};
      }
    }
  }
  return {};
}

bool wordFits(const PuzzleGrid& grid, const WordSlot& slot, std::string_view word) {
  return SlotPattern(grid, slot).fits(word);
}

void clearSearchLetters(PuzzleGrid& grid, FillHost& host) {
  for (int i = 0; i < CellCount; ++i) {
    NodeBox& cell = grid.cellAt(i);
    if (cell.flag != Open && cell.flag != Star) continue;
    cell.str.clear();
    host.cellChanged(i);
  }
}

void spreadFixedLetters(PuzzleGrid& grid, FillHost& host) {
  for (int i = 0; i < CellCount; ++i) {
    const NodeBox& given = grid.cellAt(i);
    if (given.flag != Fixed || given.mark == -1) continue;
    for (int j = 0; j < CellCount; ++j) {
      if (j == i || grid.cellAt(j).mark != given.mark) continue;
      grid.cellAt(j).str = given.str;
      host.cellChanged(j);
    }
  }
}

FillSearch::FillSearch(PuzzleGrid& grid, const WordIndex& index, SlotTable& table, FillHost& host,
                       const BannedWords* banned)
    : grid_(grid),
      index_(index),
      table_(table),
      host_(host),
      banned_(banned != nullptr && !banned->empty() ? banned : nullptr),
      uses_(MaxSlotLength + 1) {
  for (int s = 0; s < table_.slotCount; ++s) {
    for (const std::string& word : slot(s).candidates) noteListed(s, word);
  }
}

void FillSearch::fillGroups() {
  for (int i = 0; i < table_.slotCount; ++i) {
    if (slot(i).groupState == (Visited | GroupRoot)) fillSlot(i);
  }
}

void FillSearch::placeFirstCandidates() {
  for (int i = 0; i < table_.slotCount; ++i) {
    if (!slot(i).candidates.empty()) placeWord(i, slot(i).candidates.front());
  }
  forgetPlaced();
}

void FillSearch::forgetPlaced() {
  for (int i = 0; i < table_.slotCount; ++i) slot(i).placed = false;
}

FillResult FillSearch::fillSlot(int i) {
  clearCandidates(i);
  const int length = slot(i).length;
  const LengthIndex& words = index_[std::min(length, LengthClasses - 1)];
  BucketEntry entry = slot(i).cursor;
  if (entry.isNone()) {
    const KnownLetter known = firstKnownLetter(grid_, slot(i));
    entry = words.firstInBucket(known.letter, known.position);
  }
  SlotPattern pattern(grid_, slot(i));
  std::uint64_t patternOf = gridChanges_;
  FillResult result = FillFailed;
  // Commands run inside pumpMessages, so nothing of the table is held across it.
  while (!entry.isNone() && entry.position < words.bucketSize(entry.bucket)) {
    if (host_.searchState() != SearchRunning) break;
    ++candidatesTested_;
    if (patternOf != gridChanges_) {  // a command may have regrouped cells outside the slot
      pattern = SlotPattern(grid_, slot(i));
      patternOf = gridChanges_;
    }
    const std::string_view word = words.wordOf(entry);
    if (isSlotWord(word, length) && pattern.fits(word) && !wordInUse(i, word) &&
        (banned_ == nullptr || !banned_->contains(word))) {
      const std::string kept(word);
      appendCandidate(i, kept);
      placeWord(i, kept);
      if (slot(i).firstChild != -1) {
        FillResult r = FillDone;
        bool failed = false;
        for (int child = slot(i).firstChild; child != -1; child = slot(child).nextSibling) {
          const FillResult childResult = fillSlot(child);
          if (childResult == FillFailed) {
            failed = true;
            break;
          }
          if (childResult == FillMore) r = FillMore;
        }
        if (!failed) {
          if (r == FillDone) entry = words.nextEntry(entry);
          slot(i).cursor = entry;
          return entry.isNone() ? FillDone : FillMore;
        }
        dropLastCandidate(i);
        for (int child = slot(i).firstChild; child != -1; child = slot(child).nextSibling) {
          resetGroup(child);
        }
        removeWord(i);
      } else {
        result = FillDone;
        removeWord(i);
      }
    }
    entry = words.nextEntry(entry);
    if (checkInvariants && !invariantFault().empty()) {
      throw std::logic_error("fill search: " + invariantFault());
    }
    if (host_.pumpMessages()) ++gridChanges_;
  }
  slot(i).cursor = BucketEntry{};
  if (result == FillDone && !slot(i).candidates.empty()) {
    placeWord(i, slot(i).candidates.front());
  }
  return result;
}

bool FillSearch::wordInUse(int i, std::string_view word) const {
  const UseMap& uses = uses_[static_cast<std::size_t>(slot(i).length)];
  const auto found = uses.find(word);
  if (found == uses.end()) return false;
  return std::any_of(found->second.begin(), found->second.end(),
                     [i](const auto& listing) { return listing.first != i; });
}

void FillSearch::placeWord(int i, std::string_view word) {
  WordSlot& s = slot(i);
  for (int p = 0; p < s.length; ++p) {
    const int c = slotCell(s, p);
    NodeBox& cell = grid_.cellAt(c);
    if (cell.flag == Fixed) continue;
    s.savedText[static_cast<std::size_t>(p)] = cell.str;
    cell.str = letterAt(word, p);
    host_.cellChanged(c);
  }
  s.placed = true;
  ++wordsPlaced_;
}

void FillSearch::removeWord(int i) {
  WordSlot& s = slot(i);
  for (int p = 0; p < s.length; ++p) {
    const int c = slotCell(s, p);
    NodeBox& cell = grid_.cellAt(c);
    if (cell.flag == Fixed) continue;
    cell.str = s.savedText[static_cast<std::size_t>(p)];
    host_.cellChanged(c);
  }
  s.placed = false;
}

void FillSearch::resetGroup(int i) {
  for (int child = slot(i).firstChild; child != -1; child = slot(child).nextSibling) {
    resetGroup(child);
  }
  if (slot(i).placed) removeWord(i);
  clearCandidates(i);
  slot(i).cursor = BucketEntry{};
}

std::string FillSearch::invariantFault() const {
  std::vector<UseMap> counted(uses_.size());
  for (int s = 0; s < table_.slotCount; ++s) {
    UseMap& uses = counted[static_cast<std::size_t>(slot(s).length)];
    for (const std::string& word : slot(s).candidates) {
      Listings& listings = uses[word];
      if (listings.empty() || listings.back().first != s) listings.emplace_back(s, 0);
      ++listings.back().second;
    }
  }
  for (std::size_t length = 0; length < uses_.size(); ++length) {
    if (counted[length].size() != uses_[length].size()) return "a word's uses are miscounted";
    for (const auto& [word, listings] : counted[length]) {
      const auto found = uses_[length].find(std::string_view(word));
      if (found == uses_[length].end()) return "a listed word is not counted";
      Listings kept = found->second;
      std::sort(kept.begin(), kept.end());
      if (kept != listings) return "a word's listings are miscounted";
    }
  }
  return {};
}

void FillSearch::noteListed(int i, const std::string& word) {
  UseMap& uses = usesOf(i);
  auto found = uses.find(std::string_view(word));
  if (found == uses.end()) found = uses.emplace(word, Listings{}).first;
  for (auto& listing : found->second) {
    if (listing.first == i) {
      ++listing.second;
      return;
    }
  }
  found->second.emplace_back(i, 1);
}

void FillSearch::noteUnlisted(int i, const std::string& word) {
  UseMap& uses = usesOf(i);
  const auto found = uses.find(std::string_view(word));
  if (found == uses.end()) return;
  Listings& listings = found->second;
  for (auto listing = listings.begin(); listing != listings.end(); ++listing) {
    if (listing->first != i) continue;
    if (--listing->second == 0) listings.erase(listing);
    break;
  }
  if (listings.empty()) uses.erase(found);
}

void FillSearch::appendCandidate(int i, std::string word) {
  noteListed(i, word);
  slot(i).candidates.push_back(std::move(word));
}

void FillSearch::dropLastCandidate(int i) {
  std::vector<std::string>& candidates = slot(i).candidates;
  if (candidates.empty()) return;
  noteUnlisted(i, candidates.back());
  candidates.pop_back();
}

void FillSearch::clearCandidates(int i) {
  for (const std::string& word : slot(i).candidates) noteUnlisted(i, word);
  slot(i).candidates.clear();
}

}  // namespace vexilo
