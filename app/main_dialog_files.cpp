#include <optional>
#include <string>

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

bool MainDialog::OpenCrosswordFile() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(false, "crs", OpenFilter));
  if (!path) return false;
  std::string error;
  switch (openPuzzleFile(*path, puzzleCodec, grid, clues, error)) {
    case OpenResult::CouldNotOpen: platform.showMessage(CrosswordFailure); return false;
    case OpenResult::NotHeld: platform.showMessage(IpuzFailure + error); return false;
    case OpenResult::Opened: break;
  }
  clueFileNoteShown = false;
  selectedWord.reset();
  slots.markStale();
  invalidateCell(-1);
  checkLayout(false);  // the line names the file opened; the grid shows what breaks a rule
  platform.showStatus(OpenedText, *path);
  return true;
}

bool MainDialog::SaveCrosswordFile() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "crs", CrosswordFilter));
  if (!path) return false;
  const FileWrite saved = savePuzzleFile(*path, grid, clues, puzzleCodec);
  if (!saved) {
    platform.showMessage(CrosswordFailure);
    return false;
  }
  platform.showStatus(SavedText, *path);
  if (!saved.note.empty()) platform.showNotice(saved.note);
  if (!isIpuzPath(*path) && clues != PuzzleClues{} && !clueFileNoteShown) {
    clueFileNoteShown = true;
    platform.showMessage(CluesNotInCrossword);
  }
  return true;
}

bool MainDialog::ExportPuzzleHtml() {
  const std::optional<std::string> path =
      platform.askFileName(fileRequest(true, "html", PageFilter));
  if (!path) return false;
  const FileWrite exported = exportPuzzlePage(*path, grid, clues);
  if (!exported) {
    platform.showMessage(HtmlFailure);
    return false;
  }
  platform.showStatus(SavedText, *path);
  if (!exported.note.empty()) platform.showNotice(exported.note);
  return true;
}

bool MainDialog::ExportPdf() {
  const std::optional<std::string> path = platform.askFileName(fileRequest(true, "pdf", PdfFilter));
  if (!path) return false;
  const std::optional<PaperSize> paper = platform.askPaperSize();
  if (!paper) return false;
  if (!platform.writePdf(*path, grid, clues, *paper)) {
    platform.showMessage(PdfFailure);
    return false;
  }
  platform.showStatus(SavedText, *path);
  return true;
}

void MainDialog::PrintPuzzle() { platform.printPuzzle(grid, clues); }

}  // namespace vexilo
