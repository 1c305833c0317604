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
  enum class Progress { Off, AfterASecond, Always };

  SearchWatch(MainDialog& dialog, std::FILE* err, Progress progress);
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
  bool terminal_;
  bool stopPressed_ = false;
  bool lineShown_ = false;
  std::uint32_t pumps_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastLine_;
};

}  // namespace vexilo::cli
