#include <optional>
#include <string>
#include <utility>

#include "app/main_dialog.h"
#include "files/crossword_file.h"
#include "files/web_export.h"

namespace vexilo {

namespace {

constexpr const char* CrosswordFailure = "Can't open CroosWord File";
constexpr const char* HtmlFailure = "Can't open CroosWord Html File";

// ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs)|*.crs|All Files (*.*)|*.*||
constexpr const char* CrosswordFilter =
    "\xb8\xdb\xbd\xdc\xb0\xc4\xde\xcc\xa7\xb2\xd9(*.crs)|*.crs|All Files (*.*)|*.*||";
// htmlﾌｧｲﾙ(*.html)|*.html|phpﾌｧｲﾙ(*.php)|*.php|All Files (*.*)|*.*||
constexpr const char* PageFilter =
    "html\xcc\xa7\xb2\xd9(*.html)|*.html|php\xcc\xa7\xb2\xd9(*.php)|*.php|All Files (*.*)|*.*||";

// 開けませんでした:
constexpr const char* NotOpenedText =
    "\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD: ";
// 保存できませんでした:
constexpr const char* NotSavedText =
    "\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD: ";

FileDialogRequest fileRequest(bool save, const char* extension, const char* filter,
                              std::string folder) {
  FileDialogRequest request;
  request.folder = std::move(folder);
  request.save = save;
  request.initialName = "CrossWord";
  request.defaultExtension = extension;
  request.filter = filter;
  request.hideReadOnly = true;
  request.overwritePrompt = false;  // an existing file is replaced without a question
  return request;
}

}  // namespace

void MainDialog::OpenCrosswordFile() {
  if (!mayDiscardChanges(UnsavedQuestion::Open)) return;
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(false, "crs", CrosswordFilter, dialogFolder()));
  if (!path) return;
  rememberFolder(*path);
  openCrosswordFile(*path);
}

bool MainDialog::openCrosswordFile(const std::string& path) {
  if (!loadCrosswordFile(path, grid)) {
    platform.showMessage(CrosswordFailure);
    showStatus(NotOpenedText, path);
    return false;
  }
  slots.markStale();
  invalidateCell(-1);
  markSaved(path);
  showStatus(OpenedText, path);
  return true;
}

void MainDialog::SaveCrosswordFile() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "crs", CrosswordFilter, dialogFolder()));
  if (!path) return;
  rememberFolder(*path);
  saveCrosswordFile(*path);
}

void MainDialog::SaveOverCrosswordFile() {
  if (currentFile.empty()) {
    SaveCrosswordFile();
  } else {
    saveCrosswordFile(currentFile);
  }
}

bool MainDialog::saveCrosswordFile(const std::string& path) {
  const FileWrite saved = vexilo::saveCrosswordFile(path, grid);
  if (!saved) {
    platform.showMessage(CrosswordFailure);
    showStatus(NotSavedText, path);
    return false;
  }
  markSaved(path);
  showStatus(SavedText, path);
  if (!saved.note.empty()) platform.showNotice(saved.note);
  return true;
}

void MainDialog::ExportPuzzleHtml() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "html", PageFilter, dialogFolder()));
  if (!path) return;
  rememberFolder(*path);
  const FileWrite exported = exportPuzzlePage(*path, grid);
  if (!exported) {
    platform.showMessage(HtmlFailure);
    showStatus(NotSavedText, *path);
    return;
  }
  showStatus(SavedText, *path);
  if (!exported.note.empty()) platform.showNotice(exported.note);
}

}  // namespace vexilo
