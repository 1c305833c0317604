#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/memory_settings_store.h"
#include "ui/platform.h"

namespace vexilo::test {

// One primitive drawn through a context.
struct DrawOp {
  enum Kind { SunkenEdge, Frame, Fill, Text } kind;
  Rect rect;         // edge, frame and fill
  Color color;       // frame and fill colour, text colour
  std::string text;  // Shift_JIS
  Point at;          // top-left of a text
  DrawingContext::Font font = DrawingContext::Font::Letters;
  Color background;  // of a text
};

// Every text is 10 pixels a byte wide and 12 high, so positions can be checked exactly.
class RecordingContext : public DrawingContext {
 public:
  explicit RecordingContext(std::vector<DrawOp>& ops) : ops_(ops) {}
  void drawSunkenEdge(const Rect& rect) override;
  void frameRect(const Rect& rect, Color color) override;
  void fillRect(const Rect& rect, Color color) override;
  Size textExtent(std::string_view text, Font font) override;
  void drawText(int x, int y, std::string_view text, Font font, Color textColor,
                Color background) override;
  Color buttonFaceColor() override { return ButtonFace; }

  static constexpr Color ButtonFace{212, 208, 200};

 private:
  std::vector<DrawOp>& ops_;
};

// Fakes record, tests assert the record. Dialog answers are queued in advance; an empty queue
// answers "cancelled". Actions scheduled for the k-th pump run inside that pump, which is how
// a command pressed during a search is tested.
class ScriptedPlatform : public Platform {
 public:
  ScriptedPlatform();

  // Controls
  std::map<int, std::string> texts;
  std::map<int, bool> checks;
  std::string controlText(int id) override { return texts[id]; }
  void setControlText(int id, std::string_view text) override { texts[id] = std::string(text); }
  int refreshes = 0;  // of a list in place
  void refreshControlText(int id, std::string_view text) override {
    ++refreshes;
    texts[id] = std::string(text);
  }
  std::map<int, int> currentLines;  // the text cursor's line, by id
  int currentLine(int id) override { return currentLines[id]; }
  bool isChecked(int id) override { return checks[id]; }
  void setChecked(int id, bool checked) override { checks[id] = checked; }
  std::map<int, bool> commandsEnabled;  // menu items greyed out or not, by id
  void enableCommand(int id, bool enabled) override { commandsEnabled[id] = enabled; }

  // Grid surface: a 540 by 534 frame, pitch 33 by 33 with remainders 12 and 6.
  Rect frame{10, 10, 550, 544};
  struct Invalidation {
    Rect rect;
    bool erase;
  };
  std::vector<Invalidation> invalidations;
  std::vector<DrawOp> drawn;  // by the immediate context
  RecordingContext immediate{drawn};
  Rect gridFrameRect() override { return frame; }
  GridShape shown;  // visible cells
  GridShape visibleCells() override { return shown; }
  void invalidate(const Rect& rect, bool erase) override { invalidations.push_back({rect, erase}); }
  DrawingContext& immediateContext() override { return immediate; }

  // Scroll bars
  struct ScrollBar {
    int minimum = 0, maximum = 0, page = 0, position = 0;
    std::vector<int> positionsSet;
  };
  std::map<int, ScrollBar> scrollBars;
  void setScrollRange(int barId, int minimum, int maximum, int page) override;
  void setScrollPosition(int barId, int position) override;

  // Message loop
  int pumps = 0;
  int waitCursor = 0;  // begins minus ends
  int waitCursorBegins = 0;
  std::optional<int> endedWith;
  void atPump(int k, std::function<void()> action);  // k counts from 1 over the platform's life
  void pumpMessages() override;
  void beginWaitCursor() override {
    ++waitCursor;
    ++waitCursorBegins;
  }
  void endWaitCursor() override { --waitCursor; }
  void endDialog(int result) override { endedWith = result; }
  std::map<int, int> timers;   // period by id, while set
  std::int64_t clockMs = 0;    // the clock stands still unless a test moves it
  std::int64_t boxWaitMs = 0;  // how far the clock moves while each modal box is open
  std::int64_t modalMs = 0;
  void setTimer(int id, int periodMs) override { timers[id] = periodMs; }
  void killTimer(int id) override { timers.erase(id); }
  std::int64_t milliseconds() override { return clockMs; }
  std::int64_t modalMilliseconds() override { return modalMs; }

  // Window
  struct Title {
    std::string fileName;
    bool unsaved = false;
  };
  std::vector<Title> titles;
  std::vector<std::string> recentShown;
  Size size{800, 600};
  void showTitle(std::string_view fileName, bool unsaved) override {
    titles.push_back({std::string(fileName), unsaved});
  }
  void showRecentFiles(const std::vector<std::string>& paths) override { recentShown = paths; }
  Size windowSize() override { return size; }
  void resizeWindow(Size to) override { size = to; }

  // Status line
  struct Status {
    std::string text;  // Shift_JIS
    std::string path;
  };
  std::vector<Status> statuses;
  void showStatus(std::string_view text, std::string_view path) override {
    statuses.push_back({std::string(text), std::string(path)});
  }

  // Dialogs
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<bool> questionAnswers;  // an empty queue answers はい, as before any question
  std::vector<FileDialogRequest> fileRequests;
  std::deque<std::optional<std::string>> fileAnswers;
  struct WordEntryAnswer {
    std::string text;  // replaces the box's text
    SlotDirection direction = Across;
    bool ok = true;
  };
  std::vector<std::string> wordEntryOpenedWith;
  std::deque<WordEntryAnswer> wordEntryAnswers;
  std::deque<std::optional<std::string>> registerAnswers;
  int registerDialogs = 0;
  int aboutBoxes = 0;
  struct TrackRequest {
    Rect start;
    Point pressed;
  };
  std::vector<TrackRequest> trackRequests;
  std::deque<TrackResult> trackAnswers;

  void showMessage(std::string_view text) override {
    boxWaited();
    messages.emplace_back(text);
  }
  bool askYesNo(std::string_view question) override;
  std::optional<std::string> askFileName(const FileDialogRequest& request) override;
  bool runWordEntry(WordEntryData& data) override;
  std::optional<std::string> runRegisterWord() override;
  void runAbout() override {
    boxWaited();
    ++aboutBoxes;
  }
  std::vector<std::vector<std::string>> bannedListsShown;
  std::vector<std::string> bannedPathsShown;
  std::deque<std::vector<std::string>> allowAnswers;  // an empty queue allows none
  std::vector<std::string> runBannedWords(const std::vector<std::string>& words,
                                          std::string_view path) override;
  std::vector<NewPuzzleData> newPuzzleOpenedWith;
  std::deque<std::optional<NewPuzzleData>> newPuzzleAnswers;  // nothing: cancelled
  bool runNewPuzzle(NewPuzzleData& data) override;
  TrackResult trackRectangle(const Rect& start, Point pressed) override;

  // Clue panel
  std::vector<CluePanelData> cluePanels;  // every showing
  std::vector<std::optional<ClueKey>> clueSelections;
  std::deque<std::optional<PuzzleProperties>> propertiesAnswers;
  std::vector<bool> cluePanelShown;
  void showClues(const CluePanelData& data) override { cluePanels.push_back(data); }
  void selectClue(std::optional<ClueKey> key) override { clueSelections.push_back(key); }
  bool runPuzzleProperties(PuzzleProperties& properties) override;
  void showCluePanel(bool shown) override { cluePanelShown.push_back(shown); }

 private:
  void boxWaited() {
    clockMs += boxWaitMs;
    modalMs += boxWaitMs;
  }
  std::multimap<int, std::function<void()>> pumpActions_;
};

using MemorySettingsStore = vexilo::MemorySettingsStore;

}  // namespace vexilo::test
