#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "app/main_dialog.h"
#include "files/puzzle_file.h"
#include "search/alternatives.h"
#include "ui/cp932_codec.h"

namespace vexilo {

namespace {

constexpr std::string_view FilesSection = "Files";
constexpr std::string_view FolderEntry = "Folder";
constexpr std::string_view WindowSection = "Window";
constexpr std::string_view WidthEntry = "Width";
constexpr std::string_view HeightEntry = "Height";
constexpr const char* RecoveryName = "Vexilo.recovery.ipuz";  // the clues with the grid
constexpr int RecoveryPeriodMs = 60 * 1000;
constexpr std::size_t KeptSearchViews = 4;

const Cp932WordListCodec recoveryCodec;  // ipuz files are UTF-8

// 変更を保存せずに終了しますか？
constexpr const char* QuitQuestion =
    "\x95\xCF\x8D\x58\x82\xF0\x95\xDB\x91\xB6\x82\xB9\x82\xB8\x82\xC9\x8F\x49\x97\xB9\x82\xB5"
    "\x82\xDC\x82\xB7\x82\xA9\x81\x48";
// 変更を保存せずにファイルを開きますか？
constexpr const char* OpenQuestion =
    "\x95\xCF\x8D\x58\x82\xF0\x95\xDB\x91\xB6\x82\xB9\x82\xB8\x82\xC9\x83\x74\x83\x40\x83\x43"
    "\x83\x8B\x82\xF0\x8A\x4A\x82\xAB\x82\xDC\x82\xB7\x82\xA9\x81\x48";
// 変更を保存せずに新規作成しますか？
constexpr const char* NewQuestion =
    "\x95\xCF\x8D\x58\x82\xF0\x95\xDB\x91\xB6\x82\xB9\x82\xB8\x82\xC9\x90\x56\x8B\x4B\x8D\xEC"
    "\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";
// 保存せずに終わった前回の盤面があります。復元しますか？
constexpr const char* RecoveryQuestion =
    "\x95\xDB\x91\xB6\x82\xB9\x82\xB8\x82\xC9\x8F\x49\x82\xED\x82\xC1\x82\xBD\x91\x4F\x89\xF1"
    "\x82\xCC\x94\xD5\x96\xCA\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42\x95\x9C\x8C\xB3"
    "\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";
// 復元しました:
constexpr const char* RecoveredText = "\x95\x9C\x8C\xB3\x82\xB5\x82\xDC\x82\xB5\x82\xBD: ";

std::string recentEntry(int n) { return "Recent" + std::to_string(n + 1); }

bool sameRows(const DictionaryRows& a, const DictionaryRows& b) {
  for (std::size_t row = 0; row < a.size(); ++row) {
    if (a[row].path != b[row].path || a[row].enabled != b[row].enabled) return false;
  }
  return true;
}

std::string_view fileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

}  // namespace

void MainDialog::OnClosed() {
  platform.killTimer(IdRecoveryTimer);
  platform.killTimer(IdRecoveryOffer);
  if (recoveryWritten) {
    std::error_code error;
    std::filesystem::remove(recoveryPath(), error);
    recoveryWritten = false;
  }
  const Size size = platform.windowSize();
  if (size.width > 0 && size.height > 0) {
    settings.writeInt(WindowSection, WidthEntry, size.width);
    settings.writeInt(WindowSection, HeightEntry, size.height);
  }
}

bool MainDialog::gridUnsaved() const { return !history.samePuzzleAs(savedPosition); }

bool MainDialog::hasUnsavedChanges() {
  pullControls();
  return gridUnsaved() || !sameRows(dictionaryRows, storedRows);
}

bool MainDialog::mayDiscardChanges(UnsavedQuestion question) {
  // Opening or making a grid keeps the dictionary rows; only closing drops them.
  const bool unsaved = question == UnsavedQuestion::Quit ? hasUnsavedChanges() : gridUnsaved();
  if (!unsaved) return true;
  switch (question) {
    case UnsavedQuestion::Quit: return platform.askYesNo(QuitQuestion);
    case UnsavedQuestion::Open: return platform.askYesNo(OpenQuestion);
    case UnsavedQuestion::New: return platform.askYesNo(NewQuestion);
  }
  return false;
}

void MainDialog::markSaved(const std::string& path) {
  // What changed since the last step belongs to the file too; the command's end still records
  // its step as usual, and finds nothing more.
  if (searchState == SearchIdle) history.record(grid, clues, {rowOffset, colOffset});
  savedPosition = history.position();
  currentFile = path;
  noteRecentFile(path);
  showTitle();
}

void MainDialog::showTitle() {
  platform.showTitle(fileNameOf(currentFile),
                     gridUnsaved() || !sameRows(dictionaryRows, storedRows));
}

void MainDialog::OpenRecentFile(int n) {
  if (n < 0 || n >= static_cast<int>(recentFiles.size())) return;
  if (!mayDiscardChanges(UnsavedQuestion::Open)) return;
  const std::string path = recentFiles[static_cast<std::size_t>(n)];
  openCrosswordFile(path);
}

void MainDialog::noteRecentFile(const std::string& path) {
  std::erase(recentFiles, path);
  recentFiles.insert(recentFiles.begin(), path);
  if (recentFiles.size() > RecentFileCount) recentFiles.resize(RecentFileCount);
  for (int n = 0; n < RecentFileCount; ++n) {
    const auto at = static_cast<std::size_t>(n);
    settings.writeString(FilesSection, recentEntry(n),
                         at < recentFiles.size() ? recentFiles[at] : std::string());
  }
  platform.showRecentFiles(recentFiles);
}

void MainDialog::restoreSession() {
  recentFiles.clear();
  for (int n = 0; n < RecentFileCount; ++n) {
    std::string path = settings.readString(FilesSection, recentEntry(n), "");
    if (!path.empty()) recentFiles.push_back(std::move(path));
  }
  lastFolder = settings.readString(FilesSection, FolderEntry, "");
  const int width = settings.readInt(WindowSection, WidthEntry, 0);
  const int height = settings.readInt(WindowSection, HeightEntry, 0);
  if (width > 0 && height > 0) platform.resizeWindow({width, height});
  storedRows = dictionaryRows;
}

std::string MainDialog::dialogFolder() {
  if (isFolder(lastFolder)) return lastFolder;
  return isFolder(samplesFolder) ? samplesFolder : std::string();
}

void MainDialog::rememberFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return;
  lastFolder = slash == 0 ? std::string("/") : path.substr(0, slash);
  settings.writeString(FilesSection, FolderEntry, lastFolder);
}

std::string MainDialog::recoveryPath() {
  const std::string folder = settings.folder();
  return folder.empty() ? std::string() : folder + "/" + RecoveryName;
}

void MainDialog::writeRecoveryFile() {
  const std::string path = recoveryPath();
  if (path.empty()) return;
  std::error_code error;
  if (!gridUnsaved()) {  // nothing that a crash would lose
    if (recoveryWritten) std::filesystem::remove(path, error);
    recoveryWritten = false;
    return;
  }
  std::filesystem::create_directories(settings.folder(), error);
  if (savePuzzleFile(path, grid, clues, recoveryCodec)) recoveryWritten = true;
}

void MainDialog::offerRecoveryFile() {
  const std::string path = recoveryPath();
  platform.setTimer(IdRecoveryTimer, RecoveryPeriodMs);
  std::error_code error;
  if (path.empty() || !std::filesystem::exists(path, error)) return;
  PuzzleGrid recovered = grid;
  PuzzleClues recoveredClues;
  std::string unreadable;
  const bool readable = openPuzzleFile(path, recoveryCodec, recovered, recoveredClues,
                                       unreadable) == OpenResult::Opened;
  if (!readable || !platform.askYesNo(RecoveryQuestion)) {
    std::filesystem::remove(path, error);
    return;
  }
  recoveryWritten = true;  // kept until this run writes it again or ends cleanly
  grid = recovered;
  clues = recoveredClues;
  slots.markStale();
  invalidateCell(-1);
  recordStep();  // an unsaved change, which one undo takes back
  showStatus(RecoveredText, path);
}

void MainDialog::showStatus(std::string_view text, std::string_view path) {
  statusText = text;
  statusPath = path;
  platform.showStatus(text, path);
}

void MainDialog::keepSearchView() {
  std::erase_if(searchViews,
                [this](const SearchView& view) { return view.position == history.position(); });
  searchViews.push_back(
      {history.position(), slots, resultText, blockingSlots, statusText, statusPath});
  if (searchViews.size() > KeptSearchViews) searchViews.pop_front();
}

// After undo or redo: the list, the frames and the status line of the search that left this
// grid, or none at all, never those of the grid before.
void MainDialog::showSearchView() {
  const SearchView* kept = nullptr;
  for (const SearchView& view : searchViews) {
    if (view.position == history.position()) kept = &view;
  }
  pullControls();
  if (kept != nullptr) {
    slots = kept->slots;
    resultText = kept->resultText;
    blockingSlots = kept->blockingSlots;
    showStatus(kept->status, kept->statusPath);
  } else {
    slots.clear();
    resultText.clear();
    blockingSlots.clear();
    showStatus({}, {});
  }
  slots.markStale();  // a search after an undo starts from the beginning
  stopAlternatives();
  alternatives.reset();
  if (slots.holds(slots.currentSlot) && fillIsLive()) listAlternatives(slots.currentSlot);
  pushControls();
}

}  // namespace vexilo
