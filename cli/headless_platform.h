#pragma once

#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ui/platform.h"

namespace vexilo::cli {

// The window's services without a window: nothing is drawn, message boxes and notices become one
// line on standard error, and file dialogs answer with the paths taken from the command line.
class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::FILE* messages);
  ~HeadlessPlatform() override;

  // The next file dialog confirms this path; a dialog with none queued is cancelled.
  void answerFileDialog(std::string path) { fileAnswers_.push_back(std::move(path)); }
  int messagesShown() const { return messagesShown_; }
  std::function<void()> pumpHook;

  std::string controlText(int id) override;
  void setControlText(int id, std::string_view text) override;
  void refreshControlText(int id, std::string_view text) override { setControlText(id, text); }
  int currentLine(int) override { return 0; }
  bool isChecked(int id) override;
  void setChecked(int id, bool checked) override { checks_[id] = checked; }
  void enableCommand(int, bool) override {}  // no menu

  Rect gridFrameRect() override { return {10, 10, 550, 544}; }
  void invalidate(const Rect&, bool) override {}
  DrawingContext& immediateContext() override { return *context_; }
  GridShape visibleCells() override { return {}; }

  void setScrollRange(int, int, int, int) override {}
  void setScrollPosition(int, int) override {}

  // No user, so never a pending message; the hook stands in for the signals the tool takes.
  void pumpMessages() override {
    if (pumpHook) pumpHook();
  }
  void beginWaitCursor() override {}
  void endWaitCursor() override {}
  void endDialog(int) override {}
  void setTimer(int, int) override {}
  void killTimer(int) override {}
  std::int64_t milliseconds() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  std::int64_t modalMilliseconds() override { return 0; }  // no box waits for anyone

  void showTitle(std::string_view, bool) override {}
  void showRecentFiles(const std::vector<std::string>&) override {}
  Size windowSize() override { return {}; }
  void resizeWindow(Size) override {}

  void showStatus(std::string_view, std::string_view) override {}
  void showNotice(std::string_view text) override;  // one line on standard error

  void showMessage(std::string_view text) override;
  bool askYesNo(std::string_view) override { return true; }  // nothing of a user's to lose
  std::optional<std::string> askFileName(const FileDialogRequest& request) override;
  bool runWordEntry(WordEntryData&) override { return false; }
  std::optional<std::string> runRegisterWord() override { return std::nullopt; }
  void runAbout() override {}
  std::vector<std::string> runBannedWords(const std::vector<std::string>&,
                                          std::string_view) override {
    return {};
  }
  bool runNewPuzzle(NewPuzzleData&) override { return false; }
  TrackResult trackRectangle(const Rect&, Point) override { return {}; }

  // Through Qt's PDF writer when the tool is built with Qt.
  bool writePdf(const std::string& path, const PuzzleGrid& grid, const PuzzleClues& clues,
                PaperSize paper) override;

 private:
  std::FILE* messages_;
  std::unique_ptr<DrawingContext> context_;
  std::map<int, std::string> texts_;
  std::map<int, bool> checks_;
  std::deque<std::string> fileAnswers_;
  int messagesShown_ = 0;
};

}  // namespace vexilo::cli
