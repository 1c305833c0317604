#include <algorithm>
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
constexpr std::string_view ThreadsEntry = "Threads";  // of the fast engine; 0: one per core

constexpr std::string_view PuzzleSection = "Puzzle";  // the properties
constexpr std::string_view CluesSection = "Clues";    // "Count", then per clue i: "Cell<i>",
                                                      // "Direction<i>", "Text<i>"
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
  restoreClues();
  cluePanelShown = settings.readInt(CluesSection, "PanelShown", 1) != 0;
  const int engine = settings.readInt(SearchSection, EngineEntry, 0);
  searchEngine = engine == static_cast<int>(SearchEngine::Fast) ? SearchEngine::Fast
                                                                : SearchEngine::DictionaryOrder;
  fastFill.settings.threads = std::max(0, settings.readInt(SearchSection, ThreadsEntry, 0));
  restoreDesignSettings();
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
  settings.writeInt(SearchSection, ThreadsEntry, fastFill.settings.threads);
  storeClues();
  settings.writeInt(CluesSection, "PanelShown", cluePanelShown ? 1 : 0);
  storedRows = dictionaryRows;
  platform.endDialog(IdOk);
}

void MainDialog::restoreClues() {
  clues = {};
  PuzzleProperties& properties = clues.properties;
  properties.title = settings.readString(PuzzleSection, "Title", "");
  properties.author = settings.readString(PuzzleSection, "Author", "");
  properties.copyright = settings.readString(PuzzleSection, "Copyright", "");
  properties.numbering = settings.readInt(PuzzleSection, "Numbering", 0) == 1 ? Numbering::Sequence
                                                                              : Numbering::Magazine;
  const int count = settings.readInt(CluesSection, "Count", 0);
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const int cell = settings.readInt(CluesSection, "Cell" + n, -1);
    const int direction = settings.readInt(CluesSection, "Direction" + n, -1);
    if (cell < 0 || cell >= CellCount || (direction != Across && direction != Down)) continue;
    clues.setText({cell, static_cast<SlotDirection>(direction)},
                  settings.readString(CluesSection, "Text" + n, ""));
  }
}

void MainDialog::storeClues() {
  const PuzzleProperties& properties = clues.properties;
  settings.writeString(PuzzleSection, "Title", properties.title);
  settings.writeString(PuzzleSection, "Author", properties.author);
  settings.writeString(PuzzleSection, "Copyright", properties.copyright);
  settings.writeInt(PuzzleSection, "Numbering", static_cast<int>(properties.numbering));
  settings.writeInt(CluesSection, "Count", static_cast<int>(clues.texts.size()));
  int i = 0;
  for (const auto& [key, text] : clues.texts) {
    const std::string n = std::to_string(i++);
    settings.writeInt(CluesSection, "Cell" + n, key.cell);
    settings.writeInt(CluesSection, "Direction" + n, key.direction);
    settings.writeString(CluesSection, "Text" + n, text);
  }
}

}  // namespace vexilo
