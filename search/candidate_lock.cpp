#include "search/candidate_lock.h"

#include <map>
#include <string>

#include "puzzle/shift_jis.h"

namespace vexilo {

namespace {

bool isGiven(const NodeBox& cell) { return cell.flag == Fixed && !cell.str.empty(); }

}  // namespace

LockResult lockWord(PuzzleGrid& grid, const WordSlot& slot, std::string_view word) {
  if (slot.length <= 0 || word.size() != static_cast<std::size_t>(slot.length) * 2) {
    return LockResult::NotThisLength;
  }
  for (int i = 0; i < slot.length; ++i) {
    if (!isLeadByte(word[static_cast<std::size_t>(i) * 2])) return LockResult::NotThisLength;
  }

  std::map<int, std::string_view> groupLetters;  // by mark, the letter the word gives it
  for (int i = 0; i < slot.length; ++i) {
    const NodeBox& cell = grid.cellAt(slotCell(slot, i));
    const std::string_view letter = word.substr(static_cast<std::size_t>(i) * 2, 2);
    if (cell.flag == Block) return LockResult::SlotChanged;
    if (isGiven(cell) && cell.str != letter) return LockResult::GivenLetterDiffers;
    if (cell.mark < 0) continue;
    const auto [known, added] = groupLetters.emplace(cell.mark, letter);
    if (!added && known->second != letter) return LockResult::GroupLetterDiffers;
  }
  if (!groupLetters.empty()) {
    for (int index = 0; index < CellCount; ++index) {
      const NodeBox& cell = grid.cellAt(index);
      const auto group = groupLetters.find(cell.mark);
      if (group != groupLetters.end() && isGiven(cell) && cell.str != group->second) {
        return LockResult::GroupLetterDiffers;
      }
    }
  }

  for (int i = 0; i < slot.length; ++i) {
    NodeBox& cell = grid.cellAt(slotCell(slot, i));
    cell.flag = Fixed;
    cell.str = word.substr(static_cast<std::size_t>(i) * 2, 2);
  }
  return LockResult::Locked;
}

}  // namespace vexilo
