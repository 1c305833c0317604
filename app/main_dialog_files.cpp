#include <optional>
#include <string>

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

FileDialogRequest fileRequest(bool save, const char* extension, const char* filter) {
  FileDialogRequest request;
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
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(false, "crs", CrosswordFilter));
  if (!path) return;
  if (!loadCrosswordFile(*path, grid)) {
    platform.showMessage(CrosswordFailure);
    return;
  }
  slots.markStale();
  invalidateCell(-1);
  checkLayout(false);  // the line names the file opened; the grid shows what breaks a rule
  platform.showStatus(OpenedText, *path);
}

void MainDialog::SaveCrosswordFile() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "crs", CrosswordFilter));
  if (!path) return;
  const FileWrite saved = saveCrosswordFile(*path, grid);
  if (!saved) {
    platform.showMessage(CrosswordFailure);
    return;
  }
  platform.showStatus(SavedText, *path);
  if (!saved.note.empty()) platform.showNotice(saved.note);
}

void MainDialog::ExportPuzzleHtml() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "html", PageFilter));
  if (!path) return;
  const FileWrite exported = exportPuzzlePage(*path, grid);
  if (!exported) {
    platform.showMessage(HtmlFailure);
    return;
  }
  platform.showStatus(SavedText, *path);
  if (!exported.note.empty()) platform.showNotice(exported.note);
}

}  // namespace vexilo
