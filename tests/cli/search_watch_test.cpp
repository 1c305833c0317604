#include "cli/search_watch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_dialog.h"
#include "support/scripted_platform.h"

namespace vexilo::cli {
namespace {

using namespace std::chrono_literals;

std::chrono::steady_clock::time_point fakeNow;
std::chrono::steady_clock::time_point readFakeClock() { return fakeNow; }

// Enough pumps for the watch to read the clock at least once.
void pumpWhile(SearchWatch& watch, std::chrono::steady_clock::duration elapsed) {
  fakeNow += elapsed;
  for (int i = 0; i < 8192; ++i) watch.onPump();
}

std::string readAll(int fd) {
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  return text;
}

struct Watch : ::testing::Test {
  test::ScriptedPlatform platform;
  test::MemorySettingsStore settings;
  MainDialog dialog{platform, settings};

  // The lines a watch writes to err while the search runs for two seconds.
  std::string progressOver2s(std::FILE* err, int readFd, SearchWatch::Progress progress) {
    dialog.candidatesTested = 7;
    SearchWatch watch(dialog, err, progress, readFakeClock);
    pumpWhile(watch, 300ms);
    pumpWhile(watch, 1s);
    pumpWhile(watch, 700ms);
    watch.finish();
    std::fflush(err);
    return readAll(readFd);
  }
};

TEST_F(Watch, ProgressGoesToATerminalOrWhenAskedFor) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const int reader = ::open(("/proc/self/fd/" + std::to_string(fileno(file))).c_str(), O_RDONLY);
  EXPECT_EQ(progressOver2s(file, reader, SearchWatch::Progress::OnATerminal), "");
  EXPECT_EQ(progressOver2s(file, reader, SearchWatch::Progress::Always),
            "candidates tested 7, words placed 0, 0.3 s\n"
            "candidates tested 7, words placed 0, 1.3 s\n"
            "candidates tested 7, words placed 0, 2.0 s\n");
  ::close(reader);
  std::fclose(file);

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  std::FILE* terminal = std::fopen(::ptsname(master), "w");
  ASSERT_NE(terminal, nullptr);
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  // One line renewed in place, from the first second on.
  EXPECT_EQ(progressOver2s(terminal, master, SearchWatch::Progress::OnATerminal),
            "candidates tested 7, words placed 0, 1.3 s\x1B[K\r"
            "candidates tested 7, words placed 0, 2.0 s\x1B[K\r\x1B[K");
  std::fclose(terminal);
  ::close(master);
}

// The fast engine pumps at its decisions and inside long propagations only, far more seldom
// than the dictionary-order search: each of its pumps may bring a line.
TEST_F(Watch, TheFastSearchShowsItsProgressAtItsFewPumps) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  const int reader = ::open(("/proc/self/fd/" + std::to_string(fileno(file))).c_str(), O_RDONLY);
  dialog.searchEngine = SearchEngine::Fast;
  SearchWatch watch(dialog, file, SearchWatch::Progress::Always, readFakeClock);
  fakeNow += 300ms;
  watch.onPump();
  fakeNow += 1s;
  watch.onPump();
  std::fflush(file);
  EXPECT_EQ(readAll(reader),
            "decisions 0, backtracks 0, restarts 0, nogoods 0, best worst rank 0, 0.3 s\n"
            "decisions 0, backtracks 0, restarts 0, nogoods 0, best worst rank 0, 1.3 s\n");
  ::close(reader);
  std::fclose(file);
}

}  // namespace
}  // namespace vexilo::cli
