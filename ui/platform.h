#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/print_layout.h"
#include "puzzle/clues.h"
#include "puzzle/node_box.h"
#include "ui/geometry.h"

namespace vexilo {

// Texts crossing the ports are the program's own bytes: Shift_JIS for puzzle text (cell
// letters, the result box 1006, the entry and registration dialogs, message and filter texts),
// and the platform's own file names (UTF-8 on Linux) for paths (edits 1001, 1002, 1010 and
// every file dialog result). The Qt adapter converts at its side.

// Drawing into the dialog's client area, in pixels of that area.
class DrawingContext {
 public:
  enum class Font { Letters, Numbers };  // the context's current font; 7-point default face

  virtual ~DrawingContext() = default;
  virtual void drawSunkenEdge(const Rect& rect) = 0;
  virtual void frameRect(const Rect& rect, Color color) = 0;  // 1 pixel just inside rect
  virtual void fillRect(const Rect& rect, Color color) = 0;
  virtual Size textExtent(std::string_view text, Font font) = 0;
  // Top-left at (x, y), on an opaque background.
  virtual void drawText(int x, int y, std::string_view text, Font font, Color textColor,
                        Color background) = 0;
  virtual Color buttonFaceColor() = 0;

  // What is drawn into area may depend on nothing but key and the size of area; the context
  // may then keep those pixels (keep, after drawing them) and copy them back the next time
  // (drawKept: true when it did, and the caller draws nothing), only where they differ from
  // what it put there before. A search draws the same few cells thousands of times a second.
  virtual bool drawKept(const Rect& /*area*/, std::string_view /*key*/) { return false; }
  virtual void keep(const Rect& /*area*/, std::string_view /*key*/) {}
};

// The dialog's controls by id, for the data exchange.
class ControlPort {
 public:
  virtual ~ControlPort() = default;
  virtual std::string controlText(int id) = 0;
  virtual void setControlText(int id, std::string_view text) = 0;
  // The same list with some lines changed: the text cursor of the multi-line edit stays on the
  // entry it was on (a line's first word), and the scrolling where the user left it.
  virtual void refreshControlText(int id, std::string_view text) = 0;
  // The line of a multi-line edit that holds the text cursor, from 0: the line the user chose.
  virtual int currentLine(int id) = 0;
  virtual bool isChecked(int id) = 0;
  virtual void setChecked(int id, bool checked) = 0;
  // Greys a menu item out, or makes it usable again.
  virtual void enableCommand(int id, bool enabled) = 0;
};

// The grid frame 1000 and what is drawn over it.
class GridSurfacePort {
 public:
  virtual ~GridSurfacePort() = default;
  // The frame control's rectangle in dialog client coordinates, read afresh each time.
  virtual Rect gridFrameRect() = 0;
  virtual void invalidate(const Rect& rect, bool erase) = 0;
  // The context for drawing at once, outside painting; the same one for the platform's life.
  virtual DrawingContext& immediateContext() = 0;
  // How many columns and rows the frame shows: 16 by 16 at the template's size, more in a
  // larger window. The dialog's OnGridResized follows every change.
  virtual GridShape visibleCells() = 0;
};

// What a scroll bar was asked to do; the dialog's scroll handlers receive it.
enum ScrollCode : int {
  ScrollLineUp = 0,  // also left, for the horizontal bar
  ScrollLineDown = 1,
  ScrollPageUp = 2,
  ScrollPageDown = 3,
  ScrollThumbPosition = 4,  // released at the position given
  ScrollThumbTrack = 5,     // dragged to the position given
  ScrollTop = 6,
  ScrollBottom = 7,
  ScrollEnd = 8,  // the action is over; nothing moves
};

class ScrollBarPort {
 public:
  virtual ~ScrollBarPort() = default;
  // Range and page of a bar; a bar that is not needed is disabled, not hidden.
  virtual void setScrollRange(int barId, int minimum, int maximum, int page) = 0;
  virtual void setScrollPosition(int barId, int position) = 0;
};

// The thread's message queue and the application's wait cursor.
class MessageLoopPort {
 public:
  virtual ~MessageLoopPort() = default;
  // Called after every candidate of a search. Dispatches every pending message, without
  // waiting, or returns at once when no dispatch is due yet; commands may run nested.
  virtual void pumpMessages() = 0;
  virtual void beginWaitCursor() = 0;  // counted
  virtual void endWaitCursor() = 0;
  virtual void endDialog(int result) = 0;
  // The dialog's OnTimer(id) every period, run by the dispatch of messages (during a search,
  // by the pump); setting a timer again restarts it.
  virtual void setTimer(int id, int periodMs) = 0;
  virtual void killTimer(int id) = 0;
  // A steady clock, for the time a search takes.
  virtual std::int64_t milliseconds() = 0;
  // How long the platform's modal boxes (dialog port) have waited for the user in all, on the
  // same clock: a search does not count that time as its own.
  virtual std::int64_t modalMilliseconds() = 0;
};

// The main window around the controls.
class WindowPort {
 public:
  virtual ~WindowPort() = default;
  // The title: fileName (a platform file name, empty for none) before the caption, marked
  // while there are unsaved changes.
  virtual void showTitle(std::string_view fileName, bool unsaved) = 0;
  // The entries of ファイル > 最近使ったファイル, newest first (platform file names); entry n
  // gives the command IdRecentFile1 + n.
  virtual void showRecentFiles(const std::vector<std::string>& paths) = 0;
  // The outer size in pixels; a size asked for is kept within the smallest the window takes
  // and the screen.
  virtual Size windowSize() = 0;
  virtual void resizeWindow(Size size) = 0;
};

// The line under the dialog's controls.
class StatusLinePort {
 public:
  virtual ~StatusLinePort() = default;
  // text is Shift_JIS; path, shown after it, a platform file name (may be empty).
  virtual void showStatus(std::string_view text, std::string_view path) = 0;
  // What a command met that the user should know but need not answer, such as lines of a word
  // list it skipped; a tool without a window prints it. Shift_JIS.
  virtual void showNotice(std::string_view text) { showStatus(text, {}); }
};

struct FileDialogRequest {
  bool save = false;
  std::string initialName;       // may be empty
  std::string defaultExtension;  // added to a typed name that has none
  std::string filter;            // "text|pattern|...||", Shift_JIS
  bool hideReadOnly = true;
  bool overwritePrompt = false;
  bool fileMustExist = false;
  std::string folder;  // where the dialog starts (a platform path); empty: the platform's choice
};

struct WordEntryData {
  std::string text;  // Shift_JIS
  SlotDirection direction = Across;
};

// The new-puzzle box: the width and height as typed.
struct NewPuzzleData {
  std::string width;
  std::string height;
};

struct TrackResult {
  bool changed = false;  // false when not moved or cancelled
  int dx = 0;            // how far the left side moved
  int dy = 0;            // how far the top side moved
};

// Modal boxes owned by the main dialog.
class DialogPort {
 public:
  virtual ~DialogPort() = default;
  virtual void showMessage(std::string_view text) = 0;  // caption "Vexilo", one OK button
  // The same box with はい and いいえ; true for はい. Escape or the close box answer いいえ.
  virtual bool askYesNo(std::string_view question) = 0;
  // The full path chosen, or nothing when cancelled.
  virtual std::optional<std::string> askFileName(const FileDialogRequest& request) = 0;
  // Template 129; true for OK, false for Escape.
  virtual bool runWordEntry(WordEntryData& data) = 0;
  // Template 130; the word typed, or nothing unless closed with "登録".
  virtual std::optional<std::string> runRegisterWord() = 0;
  virtual void runAbout() = 0;  // template 100
  // The banned words (Shift_JIS) and the file that keeps them (a platform path); the words the
  // user chose to allow again, none when closed without.
  virtual std::vector<std::string> runBannedWords(const std::vector<std::string>& words,
                                                  std::string_view path) = 0;
  // Template 140; true for OK, false when cancelled.
  virtual bool runNewPuzzle(NewPuzzleData& data) = 0;
  // The cell outline dragged from the pressed point in a modal loop.
  virtual TrackResult trackRectangle(const Rect& start, Point pressed) = 0;
};

// Keys that the grid acts on while it has the keyboard focus.
enum class GridKey { Left, Right, Up, Down, Space, Delete, Backspace, Tab, Enter };

// The keyboard of the grid, as the platform hands it to the dialog: keys that only the grid
// receives once it has the focus, and the text typed there, also through an input method.
class GridKeyPort {
 public:
  virtual ~GridKeyPort() = default;
  virtual void OnGridKey(GridKey key) = 0;
  virtual void OnGridText(std::string_view text) = 0;  // Shift_JIS
  virtual void OnGridFocus(bool focused) = 0;
};

// Per-user store of strings and integers by section and entry. Failed reads give the default;
// failed writes are ignored.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string readString(std::string_view section, std::string_view entry,
                                 std::string_view fallback) = 0;
  virtual int readInt(std::string_view section, std::string_view entry, int fallback) = 0;
  virtual void writeString(std::string_view section, std::string_view entry,
                           std::string_view value) = 0;
  virtual void writeInt(std::string_view section, std::string_view entry, int value) = 0;
  // The folder that holds the store, for the program's other files of the user (a platform
  // path); empty when there is none.
  virtual std::string folder() = 0;
};

// One row of the clue panel; texts are Shift_JIS.
struct ClueRow {
  ClueKey key;
  std::string label;  // "3", "ア"; for a clue set aside, where its word began
  std::string word;   // the letters as filled, ・ for an empty cell; empty when set aside
  std::string text;
  bool operator==(const ClueRow&) const = default;
};

struct CluePanelData {
  std::vector<ClueRow> down;         // タテのカギ
  std::vector<ClueRow> across;       // ヨコのカギ
  std::vector<ClueRow> aside;        // clues whose word is gone
  std::vector<std::string> keyword;  // the letter of group 1, 2 ...; empty when not known
  bool operator==(const CluePanelData&) const = default;
};

// The clue panel beside the grid, the puzzle's properties and its printed pages. Not every
// platform has them: the defaults show nothing and cancel.
class CluePanelPort {
 public:
  virtual ~CluePanelPort() = default;
  virtual void showClues(const CluePanelData& /*data*/) {}
  // Selects the row of a word, or none; the panel reports no selection back for it.
  virtual void selectClue(std::optional<ClueKey> /*key*/) {}
  // The properties dialog; true when confirmed, with the fields as the user left them.
  virtual bool runPuzzleProperties(PuzzleProperties& /*properties*/) { return false; }
  virtual void showCluePanel(bool /*shown*/) {}
};

// Printed pages. Not every platform has them: the defaults take A4 and cannot write or print.
class PrintPort {
 public:
  virtual ~PrintPort() = default;
  // The paper of a PDF; nothing when cancelled.
  virtual std::optional<PaperSize> askPaperSize() { return PaperSize::A4; }
  // False when the file cannot be written; an existing file then stays as it was.
  virtual bool writePdf(const std::string& /*path*/, const PuzzleGrid& /*grid*/,
                        const PuzzleClues& /*clues*/, PaperSize /*paper*/) {
    return false;
  }
  // The print dialog, then the pages; false when cancelled or the printer failed.
  virtual bool printPuzzle(const PuzzleGrid& /*grid*/, const PuzzleClues& /*clues*/) {
    return false;
  }
};

// The window's services, abstract so that every command runs on a scripted platform in tests.
class Platform : public ControlPort,
                 public GridSurfacePort,
                 public ScrollBarPort,
                 public MessageLoopPort,
                 public WindowPort,
                 public StatusLinePort,
                 public DialogPort,
                 public CluePanelPort,
                 public PrintPort {};

}  // namespace vexilo
