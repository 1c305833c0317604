#include "cli/search_watch.h"

#include <unistd.h>

#include <csignal>
#include <string>

#include "app/main_dialog.h"

namespace vexilo::cli {

namespace {

volatile std::sig_atomic_t interruptSeen = 0;

extern "C" void onInterrupt(int) { interruptSeen = 1; }

constexpr std::uint32_t PumpsPerClockCheck = 4096;  // reading the clock costs more than a pump
constexpr auto LineInterval = std::chrono::milliseconds(250);

}  // namespace

SearchWatch::SearchWatch(MainDialog& dialog, std::FILE* err, Progress progress, Clock clock)
    : dialog_(dialog),
      err_(err),
      progress_(progress),
      clock_(clock),
      terminal_(isatty(fileno(err)) != 0),
      shown_(progress == Progress::Always || terminal_),
      start_(clock()),
      lastLine_(start_) {
  interruptSeen = 0;
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // a second Ctrl-C ends the program at once
  sigaction(SIGINT, &action, nullptr);
}

SearchWatch::~SearchWatch() { std::signal(SIGINT, SIG_DFL); }

void SearchWatch::onPump() {
  if (interruptSeen != 0 && !stopPressed_) {
    stopPressed_ = true;
    dialog_.OnCommand(IdSearch);  // during a search, Search only asks it to stop
  }
  // The fast engine pumps at its decisions and while a long propagation runs, far less often.
  const std::uint32_t every = dialog_.searchEngine == SearchEngine::Fast ? 1 : PumpsPerClockCheck;
  if (!shown_ || ++pumps_ % every != 0) return;
  const auto now = clock_();
  if (progress_ == Progress::OnATerminal && now - start_ < std::chrono::seconds(1)) return;
  if (now - lastLine_ < LineInterval) return;
  lastLine_ = now;
  printProgress(now - start_);
}

bool SearchWatch::interrupted() const { return stopPressed_ || interruptSeen != 0; }

void SearchWatch::printProgress(std::chrono::steady_clock::duration elapsed) {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const bool fast = dialog_.searchEngine == SearchEngine::Fast;
  if (fast) {
    const FastProgress& progress = dialog_.fastFill.progress();
    const std::string closed =
        progress.closedShare >= 0
            ? ", closed " + std::to_string(static_cast<int>(progress.closedShare * 100)) + "%"
            : "";
    std::fprintf(err_,
                 "decisions %llu, backtracks %llu, restarts %llu, nogoods %llu, best worst rank "
                 "%u%s, %.1f s%s",
                 static_cast<unsigned long long>(progress.decisions),
                 static_cast<unsigned long long>(progress.backtracks),
                 static_cast<unsigned long long>(progress.restarts),
                 static_cast<unsigned long long>(progress.nogoods), progress.worstRank,
                 closed.c_str(), seconds, terminal_ ? "\x1B[K\r" : "\n");
  } else {
    std::fprintf(err_, "candidates tested %llu, words placed %llu, %.1f s%s",
                 static_cast<unsigned long long>(dialog_.candidatesTested),
                 static_cast<unsigned long long>(dialog_.wordsPlaced), seconds,
                 terminal_ ? "\x1B[K\r" : "\n");
  }
  std::fflush(err_);
  lineShown_ = true;
}

void SearchWatch::finish() {
  if (lineShown_ && terminal_) std::fputs("\x1B[K", err_);
  lineShown_ = false;
}

}  // namespace vexilo::cli
