#include <array>
#include <string>
#include <string_view>

#include "app/main_dialog.h"
#include "search/fill_search.h"

namespace vexilo {

namespace {

// Keys of the settings store; cell entries are the cell index in decimal.
constexpr std::string_view StrSection = "NodeBoxStr";
constexpr std::string_view FlagSection = "NodeBoxFlag";
constexpr std::string_view MarkSection = "NodeBoxMark";
constexpr std::array<std::string_view, 3> DicSections{"DicFile1", "DicFile2", "DicFile3"};
constexpr std::string_view NameEntry = "Name";
constexpr std::string_view FlagEntry = "Flag";

constexpr int NoMark = -1;
constexpr int DicEnabledByDefault = 1;

// Any other stored number would index past the grid's groups.
int storedMark(int mark) {
  return NoMark <= mark && mark < CellCount ? mark : NoMark;
}

struct DicRow {
  std::string* path;
  std::int32_t* enabled;
};

std::array<DicRow, 3> dicRows(MainDialog& dialog) {
  return {{{&dialog.dicPath1, &dialog.dicEnabled1},
           {&dialog.dicPath2, &dialog.dicEnabled2},
           {&dialog.dicPath3, &dialog.dicEnabled3}}};
}

}  // namespace

void MainDialog::restoreSettings() {
  for (int i = 0; i < CellCount; ++i) {
    const std::string entry = std::to_string(i);
    NodeBox& cell = grid.cellAt(i);
    cell.str = settings.readString(StrSection, entry, "");
    cell.flag = settings.readInt(FlagSection, entry, Block);
    cell.mark = storedMark(settings.readInt(MarkSection, entry, NoMark));
    grid.noteMark(cell.mark);
  }
  const auto rows = dicRows(*this);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    *rows[r].path = settings.readString(DicSections[r], NameEntry, "");
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    *rows[r].enabled = settings.readInt(DicSections[r], FlagEntry, DicEnabledByDefault);
  }
}

void MainDialog::OnExit() {
  if (searchState != SearchIdle) {
    searchState = SearchCancelled;
    return;
  }
  pullControls();
  for (int i = 0; i < CellCount; ++i) {
    const std::string entry = std::to_string(i);
    const NodeBox& cell = grid.cellAt(i);
    settings.writeString(StrSection, entry, cell.str);
    settings.writeInt(FlagSection, entry, cell.flag);
    settings.writeInt(MarkSection, entry, cell.mark);
  }
  const auto rows = dicRows(*this);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    settings.writeString(DicSections[r], NameEntry, *rows[r].path);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    settings.writeInt(DicSections[r], FlagEntry, *rows[r].enabled);
  }
  platform.endDialog(IdOk);
}

}  // namespace vexilo
