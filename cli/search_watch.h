#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace vexilo {
class MainDialog;
}

namespace vexilo::cli {

// What the headless message pump does during a search: a Ctrl-C becomes a second Search press,
// and a progress line on standard error is renewed a few times a second.
class SearchWatch {
 public:
  // OnATerminal: from the first second on, and only when err is a terminal, so that a log or a
  // pipe gets no more than what was asked for.
  enum class Progress { OnATerminal, Always };
  using Clock = std::chrono::steady_clock::time_point (*)();

  SearchWatch(MainDialog& dialog, std::FILE* err, Progress progress,
              Clock clock = &std::chrono::steady_clock::now);
  ~SearchWatch();  // Ctrl-C ends the program again
  SearchWatch(const SearchWatch&) = delete;
  SearchWatch& operator=(const SearchWatch&) = delete;

  void onPump();
  bool interrupted() const;  // Ctrl-C was pressed
  // Ends the progress line, if one is showing.
  void finish();

 private:
  void printProgress(std::chrono::steady_clock::duration elapsed);

  MainDialog& dialog_;
  std::FILE* err_;
  Progress progress_;
  Clock clock_;
  bool terminal_;
  bool shown_;  // progress lines at all
  bool stopPressed_ = false;
  bool lineShown_ = false;
  std::uint32_t pumps_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastLine_;
};

}  // namespace vexilo::cli
