#include <optional>
#include <string>
#include <utility>

#include "app/main_dialog.h"
#include "files/crossword_file.h"
#include "files/puzzle_file.h"
#include "files/web_export.h"
#include "ui/cp932_codec.h"

namespace vexilo {

namespace {

constexpr const char* CrosswordFailure = "Can't open CroosWord File";
constexpr const char* HtmlFailure = "Can't open CroosWord Html File";

constexpr const char* IpuzFailure = "Can't open ipuz File: ";
constexpr const char* CluesNotInCrossword =
    "A crossword file keeps the grid only: the clues and the puzzle's properties are kept in "
    "ipuz files (.ipuz)";

// ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs;*.ipuz)|*.crs;*.ipuz|All Files (*.*)|*.*||: either form opens, by content
constexpr const char* OpenFilter =
    "\xb8\xdb\xbd\xdc\xb0\xc4\xde\xcc\xa7\xb2\xd9(*.crs;*.ipuz)|*.crs;*.ipuz|"
    "All Files (*.*)|*.*||";
// ｸﾛｽﾜｰﾄﾞﾌｧｲﾙ(*.crs)|*.crs|ipuzﾌｧｲﾙ(*.ipuz)|*.ipuz|All Files (*.*)|*.*||
constexpr const char* CrosswordFilter =
    "\xb8\xdb\xbd\xdc\xb0\xc4\xde\xcc\xa7\xb2\xd9(*.crs)|*.crs|"
    "ipuz\xcc\xa7\xb2\xd9(*.ipuz)|*.ipuz|All Files (*.*)|*.*||";

constexpr const char* PdfFailure = "Can't write PDF File";
// PDFﾌｧｲﾙ(*.pdf)|*.pdf|All Files (*.*)|*.*||
constexpr const char* PdfFilter = "PDF\xcc\xa7\xb2\xd9(*.pdf)|*.pdf|All Files (*.*)|*.*||";

const Cp932WordListCodec puzzleCodec;  // ipuz files are UTF-8
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

bool MainDialog::OpenCrosswordFile() {
  if (!mayDiscardChanges(UnsavedQuestion::Open)) return false;
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(false, "crs", OpenFilter, dialogFolder()));
  if (!path) return false;
  rememberFolder(*path);
  return openCrosswordFile(*path);
}

bool MainDialog::openCrosswordFile(const std::string& path) {
  std::string error;
  switch (openPuzzleFile(path, puzzleCodec, grid, clues, error)) {
    case OpenResult::CouldNotOpen:
      platform.showMessage(CrosswordFailure);
      showStatus(NotOpenedText, path);
      return false;
    case OpenResult::NotHeld:
      platform.showMessage(IpuzFailure + error);
      showStatus(NotOpenedText, path);
      return false;
    case OpenResult::Opened: break;
  }
  clueFileNoteShown = false;
  selectedWord.reset();
  slots.markStale();
  invalidateCell(-1);
  checkLayout(false);  // the line names the file opened; the grid shows what breaks a rule
  markSaved(path);
  showStatus(OpenedText, path);
  return true;
}

bool MainDialog::SaveCrosswordFile() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "crs", CrosswordFilter, dialogFolder()));
  if (!path) return false;
  rememberFolder(*path);
  return saveCrosswordFile(*path);
}

bool MainDialog::SaveOverCrosswordFile() {
  return currentFile.empty() ? SaveCrosswordFile() : saveCrosswordFile(currentFile);
}

bool MainDialog::saveCrosswordFile(const std::string& path) {
  const FileWrite saved = savePuzzleFile(path, grid, clues, puzzleCodec);
  if (!saved) {
    platform.showMessage(CrosswordFailure);
    showStatus(NotSavedText, path);
    return false;
  }
  markSaved(path);
  showStatus(SavedText, path);
  if (!saved.note.empty()) platform.showNotice(saved.note);
  if (!isIpuzPath(path) && clues != PuzzleClues{} && !clueFileNoteShown) {
    clueFileNoteShown = true;
    platform.showMessage(CluesNotInCrossword);
  }
  return true;
}

bool MainDialog::ExportPuzzleHtml() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "html", PageFilter, dialogFolder()));
  if (!path) return false;
  rememberFolder(*path);
  const FileWrite exported = exportPuzzlePage(*path, grid, clues);
  if (!exported) {
    platform.showMessage(HtmlFailure);
    showStatus(NotSavedText, *path);
    return false;
  }
  showStatus(SavedText, *path);
  if (!exported.note.empty()) platform.showNotice(exported.note);
  return true;
}

bool MainDialog::ExportPdf() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "pdf", PdfFilter, dialogFolder()));
  if (!path) return false;
  rememberFolder(*path);
  const std::optional<PaperSize> paper = platform.askPaperSize();
  if (!paper) return false;
  if (!platform.writePdf(*path, grid, clues, *paper)) {
    platform.showMessage(PdfFailure);
    showStatus(NotSavedText, *path);
    return false;
  }
  showStatus(SavedText, *path);
  return true;
}

void MainDialog::PrintPuzzle() { platform.printPuzzle(grid, clues); }

}  // namespace vexilo
