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
constexpr std::array<std::string_view, DictionaryRowCount> DicSections{"DicFile1", "DicFile2",
                                                                       "DicFile3"};
constexpr std::string_view NameEntry = "Name";
constexpr std::string_view FlagEntry = "Flag";
constexpr std::string_view SearchSection = "Search";
constexpr std::string_view EngineEntry = "Engine";

constexpr int NoMark = -1;
constexpr int DicEnabledByDefault = 1;

// Any other stored number would index past the grid's groups.
int storedMark(int mark) { return NoMark <= mark && mark < CellCount ? mark : NoMark; }

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
  for (std::size_t row = 0; row < DicSections.size(); ++row) {
    dictionaryRows[row].path = settings.readString(DicSections[row], NameEntry, "");
  }
  for (std::size_t row = 0; row < DicSections.size(); ++row) {
    dictionaryRows[row].enabled =
        settings.readInt(DicSections[row], FlagEntry, DicEnabledByDefault) != 0;
  }
  const int engine = settings.readInt(SearchSection, EngineEntry, 0);
  searchEngine = engine == static_cast<int>(SearchEngine::Fast) ? SearchEngine::Fast
                                                                : SearchEngine::DictionaryOrder;
  restoreSession();
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
  for (std::size_t row = 0; row < DicSections.size(); ++row) {
    settings.writeString(DicSections[row], NameEntry, dictionaryRows[row].path);
  }
  for (std::size_t row = 0; row < DicSections.size(); ++row) {
    settings.writeInt(DicSections[row], FlagEntry, dictionaryRows[row].enabled ? 1 : 0);
  }
  settings.writeInt(SearchSection, EngineEntry, static_cast<int>(searchEngine));
  storedRows = dictionaryRows;
  platform.endDialog(IdOk);
}

}  // namespace vexilo
