#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "ui/dispatch_pacer.h"
#include "ui/platform.h"
#include "ui/qt/clue_panel.h"
#include "ui/qt/grid_widget.h"
#include "ui/qt/template_dialog.h"

class QLabel;
class QTimer;

namespace vexilo {
class MainDialog;
}

namespace vexilo::qt {

// Every port on Qt widgets. attach() builds the main window from template 102 for a dialog
// and wires each control and menu item to the dialog's handlers, in one place.
class QtPlatform final : public Platform, private GridEvents {
 public:
  QtPlatform();
  ~QtPlatform() override;
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  void attach(MainDialog& dialog);
  void detach();  // destroys the window
  TemplateDialog* window() const { return window_.get(); }
  GridWidget* grid() const { return grid_; }
  MainDialog& dialog() const { return *dialog_; }
  int waitCursorDepth() const { return waitCursors_; }
  // The clock by which the pump decides when to dispatch; tests give one of their own.
  using PumpClock = std::function<std::chrono::nanoseconds()>;
  void setPumpClock(PumpClock clock) { pacer_ = DispatchPacer<PumpClock>(std::move(clock)); }

  // ControlPort
  std::string controlText(int id) override;
  void setControlText(int id, std::string_view text) override;
  void refreshControlText(int id, std::string_view text) override;
  int currentLine(int id) override;
  bool isChecked(int id) override;
  void setChecked(int id, bool checked) override;
  void enableCommand(int id, bool enabled) override;
  // GridSurfacePort
  Rect gridFrameRect() override;
  void invalidate(const Rect& rect, bool erase) override;
  DrawingContext& immediateContext() override;
  GridShape visibleCells() override;
  // ScrollBarPort
  void setScrollRange(int barId, int minimum, int maximum, int page) override;
  void setScrollPosition(int barId, int position) override;
  // MessageLoopPort
  void pumpMessages() override;
  void beginWaitCursor() override;
  void endWaitCursor() override;
  void endDialog(int result) override;
  void setTimer(int id, int periodMs) override;
  void killTimer(int id) override;
  std::int64_t milliseconds() override;
  std::int64_t modalMilliseconds() override { return modalMs_; }
  // WindowPort
  void showTitle(std::string_view fileName, bool unsaved) override;
  void showRecentFiles(const std::vector<std::string>& paths) override;
  Size windowSize() override;
  void resizeWindow(Size size) override;
  // StatusLinePort
  void showStatus(std::string_view text, std::string_view path) override;
  QString statusText() const;  // as it will be shown, before eliding
  // DialogPort
  void showMessage(std::string_view text) override;
  bool askYesNo(std::string_view question) override;
  std::optional<std::string> askFileName(const FileDialogRequest& request) override;
  bool runWordEntry(WordEntryData& data) override;
  std::optional<std::string> runRegisterWord() override;
  void runAbout() override;
  std::vector<std::string> runBannedWords(const std::vector<std::string>& words,
                                          std::string_view path) override;
  bool runNewPuzzle(NewPuzzleData& data) override;
  TrackResult trackRectangle(const Rect& start, Point pressed) override;
  // CluePanelPort
  void showClues(const CluePanelData& data) override;
  void selectClue(std::optional<ClueKey> key) override;
  bool runPuzzleProperties(PuzzleProperties& properties) override;
  void showCluePanel(bool shown) override;
  CluePanel* cluePanel() const { return cluePanel_; }
  // PrintPort
  std::optional<PaperSize> askPaperSize() override;
  bool writePdf(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                PaperSize paper) override;
  bool printPuzzle(const PuzzleGrid& grid, const PuzzleClues& clues) override;

 private:
  // GridEvents
  void paintGrid(DrawingContext& dc, const Rect& area) override;
  void leftPressed(Point point) override;
  void rightPressed(Point point) override;
  void doubleClicked(Point point) override;
  void selectionDragged(Point anchor, Point point) override;
  void wheelTurned(int lines, bool columns) override;
  void keyPressed(GridKey key) override;
  void textTyped(const QString& text) override;
  void focusChanged(bool focused) override;
  Rect inputCursor() override;

  class ModalBox;  // the time a box waits, and the ordinary pointer over it during a search
  friend class ModalBox;
  void wireScrollBar(int barId);
  void scaleLetters();
  void dropWaitCursor();
  // Runs a handler of the dialog; a failure it throws is shown, not let through Qt.
  template <class Handler>
  void guarded(Handler&& handler);

  // The bytes last written to an edit with the text they showed: text the user left alone
  // comes back byte for byte, also where two codes of code page 932 show as one character.
  struct ShownText {
    QString shown;
    std::string bytes;
  };
  const std::string* keptBytes(int id, const QString& shown) const;

  MainDialog* dialog_ = nullptr;
  std::map<int, ShownText> shownTexts_;
  std::unique_ptr<TemplateDialog> window_;
  GridWidget* grid_ = nullptr;
  QLabel* status_ = nullptr;
  CluePanel* cluePanel_ = nullptr;
  std::string statusRaw_;  // Shift_JIS text and path, converted once it is shown
  std::string statusPath_;
  bool statusPosted_ = false;
  std::string statusShown_;  // text and path as on the label
  std::map<int, std::unique_ptr<QTimer>> timers_;
  int waitCursors_ = 0;  // begun and not ended
  std::int64_t modalMs_ = 0;
  bool waitShown_ = false;  // the wait cursor is set over the application
  bool restorePosted_ = false;
  DispatchPacer<PumpClock> pacer_{SteadyNow()};
};

}  // namespace vexilo::qt
