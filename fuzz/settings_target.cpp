#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "cli/headless_platform.h"
#include "fuzz/targets.h"

namespace vexilo::fuzz {

namespace {

// The store's sections and entries: the format of the user's settings file.
constexpr std::string_view StrSection = "NodeBoxStr";
constexpr std::string_view FlagSection = "NodeBoxFlag";
constexpr std::string_view MarkSection = "NodeBoxMark";
constexpr std::array<std::string_view, 3> DicSections{"DicFile1", "DicFile2", "DicFile3"};
constexpr int EntryRange = 1100;  // cell entries past 1023 are stored but never read

// Reads the input as records: a kind byte, a 16-bit entry, then a string (length byte and
// bytes) or a 32-bit integer, both little-endian. A record cut short ends the input.
class RecordReader {
 public:
  explicit RecordReader(std::string_view input) : rest_(input) {}

  bool fill(MemorySettingsStore& store) {
    std::uint32_t kind = 0;
    std::uint32_t entry = 0;
    if (!take(1, kind) || !take(2, entry)) return false;
    const std::string cell = std::to_string(entry % EntryRange);
    const std::string_view dic = DicSections[entry % DicSections.size()];
    switch (kind % 5) {
      case 0: return takeString(store, StrSection, cell);
      case 1: return takeInt(store, FlagSection, cell);
      case 2: return takeInt(store, MarkSection, cell);
      case 3: return takeString(store, dic, "Name");
      default: return takeInt(store, dic, "Flag");
    }
  }

 private:
  bool take(std::size_t bytes, std::uint32_t& value) {
    if (rest_.size() < bytes) return false;
    value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
      value |= std::uint32_t{static_cast<unsigned char>(rest_[i])} << (8 * i);
    }
    rest_.remove_prefix(bytes);
    return true;
  }
  bool takeString(MemorySettingsStore& store, std::string_view section, std::string_view entry) {
    std::uint32_t length = 0;
    if (!take(1, length) || rest_.size() < length) return false;
    store.strings[{std::string(section), std::string(entry)}] =
        std::string(rest_.substr(0, length));
    rest_.remove_prefix(length);
    return true;
  }
  bool takeInt(MemorySettingsStore& store, std::string_view section, std::string_view entry) {
    std::uint32_t value = 0;
    if (!take(4, value)) return false;
    store.integers[{std::string(section), std::string(entry)}] = static_cast<std::int32_t>(value);
    return true;
  }

  std::string_view rest_;
};

std::string storedString(const MemorySettingsStore& store, std::string_view section,
                         std::string_view entry) {
  const auto found = store.strings.find({std::string(section), std::string(entry)});
  return found == store.strings.end() ? std::string() : found->second;
}

const int* storedInt(const MemorySettingsStore& store, std::string_view section,
                     std::string_view entry) {
  const auto found = store.integers.find({std::string(section), std::string(entry)});
  return found == store.integers.end() ? nullptr : &found->second;
}

// The main dialog as the program starts it, on the store it is given.
struct Started {
  explicit Started(MemorySettingsStore& store)
      : platform(stderr), dialog(std::make_unique<MainDialog>(platform, store)) {
    dialog->OnInitDialog();
  }
  cli::HeadlessPlatform platform;
  std::unique_ptr<MainDialog> dialog;
};

void checkRestored(const MemorySettingsStore& store, MainDialog& dialog) {
  int highest = -1;
  for (int i = 0; i < CellCount; ++i) {
    const std::string entry = std::to_string(i);
    const NodeBox& cell = dialog.grid.cellAt(i);
    require(cell.str == storedString(store, StrSection, entry), "a cell text changed on reading");
    const int* flag = storedInt(store, FlagSection, entry);
    require(cell.flag == (flag ? *flag : Block), "a cell flag changed on reading");
    const int* mark = storedInt(store, MarkSection, entry);
    const bool accepted = mark && -1 <= *mark && *mark < CellCount;
    require(cell.mark == (accepted ? *mark : -1), "a mark outside -1..1023 was read");
    highest = std::max(highest, cell.mark);
  }
  require(dialog.grid.nextMark() == highest + 1, "nextMark is not one past the highest mark");
  for (int row = 1; row <= 3; ++row) {
    const std::string_view section = DicSections[static_cast<std::size_t>(row - 1)];
    require(dialog.dictionaryRow(row).path == storedString(store, section, "Name"),
            "a dictionary path changed on reading");
    const int* enabled = storedInt(store, section, "Flag");
    require(dialog.dictionaryRow(row).enabled == ((enabled ? *enabled : 1) != 0),
            "a check box was misread");
  }
}

// Exit stores what was read, the check boxes as 0 or 1.
void checkStored(const MemorySettingsStore& read, const MemorySettingsStore& written,
                 const MainDialog& dialog) {
  for (int i = 0; i < CellCount; ++i) {
    const std::string entry = std::to_string(i);
    const NodeBox& cell = dialog.grid.cellAt(i);
    require(storedString(written, StrSection, entry) == cell.str, "Exit lost a cell text");
    const int* flag = storedInt(written, FlagSection, entry);
    require(flag && *flag == cell.flag, "Exit lost a cell flag");
    const int* mark = storedInt(written, MarkSection, entry);
    require(mark && *mark == cell.mark, "Exit lost a mark");
  }
  for (std::size_t row = 0; row < DicSections.size(); ++row) {
    require(storedString(written, DicSections[row], "Name") ==
                storedString(read, DicSections[row], "Name"),
            "Exit lost a dictionary path");
    const int* was = storedInt(read, DicSections[row], "Flag");
    const int* flag = storedInt(written, DicSections[row], "Flag");
    require(flag && *flag == ((was ? *was : 1) != 0 ? 1 : 0), "Exit stored a check box wrongly");
  }
}

}  // namespace

void settingsTarget(std::string_view input) {
  MemorySettingsStore store;
  RecordReader reader(input);
  while (reader.fill(store)) {
  }
  const MemorySettingsStore seeded = store;

  Started started(store);
  checkRestored(seeded, *started.dialog);
  started.dialog->OnCommand(IdOk);
  checkStored(seeded, store, *started.dialog);
}

}  // namespace vexilo::fuzz
