// The same fill in the window and headless: a 9 by 9 newspaper-style grid (symmetric, no two
// blocks side by side) over 100,000 random katakana words of two to five letters, and a long
// fill (a 5 by 5 block over 20,000 random words of five letters, stopped after a fixed number of
// candidates). Every candidate calls the window's pump and every placed word is drawn at once,
// as in use. Then the delay from a click during a long search to its handler.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "cli/headless_platform.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_shell.h"

namespace {

using namespace vexilo;

constexpr const char* Pattern[9] = {"...#.....", ".#.....#.", "...#.#...", "....#....", "#.#...#.#",
                                    "....#....", "...#.#...", ".#.....#.", ".....#..."};

const std::string& dictionaryPath() {
  static const std::string path = [] {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "vexilo_window_bench.dic";
    std::ofstream out(file, std::ios::binary);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> kana(0, 0x52);  // ァ .. ン without the gap at 0x7F
    for (const auto& [length, count] : {std::pair{2, 10000}, {3, 30000}, {4, 30000}, {5, 30000}}) {
      for (int w = 0; w < count; ++w) {
        std::string word;
        for (int i = 0; i < length; ++i) {
          int code = 0x8340 + kana(random);
          if (code >= 0x837F) ++code;
          word += static_cast<char>(code >> 8);
          word += static_cast<char>(code & 0xFF);
        }
        out << word << "\r\n";
      }
    }
    return file.string();
  }();
  return path;
}

void prepare(MainDialog& dialog) {
  dialog.OnInitDialog();
  for (int r = 0; r < 9; ++r) {
    for (int c = 0; c < 9; ++c) {
      if (Pattern[r][c] == '.') dialog.grid.makeOpen(r * GridSize + c);
    }
  }
  dialog.platform.setControlText(IdDicPath1, dictionaryPath());
  dialog.platform.setChecked(IdEnabled1, true);
  dialog.platform.setChecked(IdEnabled2, false);
  dialog.platform.setChecked(IdEnabled3, false);
  dialog.RunSearch();  // loads the dictionary once, outside the timing
}

// Each run fills afresh: the slots are cut again as after any change of the grid.
void fill(benchmark::State& state, MainDialog& dialog) {
  for (auto _ : state) {
    dialog.slots.markStale();
    dialog.RunSearch();
  }
  int filled = 0;
  for (int i = 0; i < CellCount; ++i) filled += dialog.grid.cellAt(i).str.empty() ? 0 : 1;
  state.counters["letters"] = filled;
}

constexpr std::uint64_t LongBudget = 80'000'000;  // candidates of the long fill

const std::string& longDictionaryPath() {
  static const std::string path = [] {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "vexilo_window_bench_long.dic";
    std::ofstream out(file, std::ios::binary);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> kana(0x8340, 0x8393);
    for (int w = 0; w < 20000; ++w) {
      for (int i = 0; i < 5; ++i) {
        int code = kana(random);
        if ((code & 0xFF) == 0x7F) ++code;
        out << static_cast<char>(code >> 8) << static_cast<char>(code & 0xFF);
      }
      out << "\r\n";
    }
    return file.string();
  }();
  return path;
}

// A 5 by 5 block of random words: no fill for a very long time.
void prepareLong(MainDialog& dialog) {
  dialog.OnInitDialog();
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) dialog.grid.makeOpen(r * GridSize + c);
  }
  dialog.platform.setControlText(IdDicPath1, longDictionaryPath());
  dialog.platform.setChecked(IdEnabled1, true);
  dialog.platform.setChecked(IdEnabled2, false);
  dialog.platform.setChecked(IdEnabled3, false);
  dialog.refreshDictionaries();
}

// Runs the long fill afresh until stop() asks for the stop, and reports the time per candidate.
template <class Stop>
void longFill(benchmark::State& state, MainDialog& dialog, Stop stop) {
  std::uint64_t candidates = 0;
  for (auto _ : state) {
    const std::uint64_t before = dialog.candidatesTested;
    dialog.slots.markStale();
    stop(before + LongBudget);
    dialog.RunSearch();
    candidates += dialog.candidatesTested - before;
  }
  state.counters["candidates"] =
      benchmark::Counter(static_cast<double>(candidates), benchmark::Counter::kAvgIterations);
  state.counters["per_candidate"] = benchmark::Counter(
      static_cast<double>(candidates), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Headless, counting the pumps the window would have to serve.
class CountingPlatform final : public cli::HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  void pumpMessages() override { ++pumps; }
  DrawingContext& immediateContext() override {
    ++drawn;  // once per cell drawn at once while filling
    return HeadlessPlatform::immediateContext();
  }
  long pumps = 0;
  long drawn = 0;
};

// A dialog on the headless platform, its messages thrown away.
template <class Platform = cli::HeadlessPlatform>
struct HeadlessDialog {
  HeadlessDialog()
      : quiet(std::fopen("/dev/null", "w")),
        platform(quiet),
        dialog(std::make_unique<MainDialog>(platform, settings)) {}
  ~HeadlessDialog() {
    dialog.reset();
    std::fclose(quiet);
  }

  std::FILE* quiet;
  Platform platform;
  MemorySettingsStore settings;
  std::unique_ptr<MainDialog> dialog;
};

void FillHeadless(benchmark::State& state) {
  HeadlessDialog<CountingPlatform> headless;
  CountingPlatform& platform = headless.platform;
  prepare(*headless.dialog);
  platform.pumps = 0;
  platform.drawn = 0;
  fill(state, *headless.dialog);
  state.counters["pumps"] =
      benchmark::Counter(static_cast<double>(platform.pumps), benchmark::Counter::kAvgIterations);
  state.counters["drawn"] =
      benchmark::Counter(static_cast<double>(platform.drawn), benchmark::Counter::kAvgIterations);
}
BENCHMARK(FillHeadless)->Unit(benchmark::kMillisecond);

void LongFillHeadless(benchmark::State& state) {
  HeadlessDialog<> headless;
  MainDialog& d = *headless.dialog;
  prepareLong(d);
  std::uint64_t budget = 0;
  headless.platform.pumpHook = [&d, &budget] {
    if (d.candidatesTested >= budget) d.searchState = SearchCancelled;
  };
  longFill(state, d, [&budget](std::uint64_t until) { budget = until; });
}
BENCHMARK(LongFillHeadless)->Unit(benchmark::kMillisecond)->Iterations(2);

// The main window on the screen, as the program shows it.
struct ShownWindow {
  ShownWindow() : dialog(std::make_unique<MainDialog>(platform, settings)) {
    platform.attach(*dialog);
    platform.window()->show();
    exposed = QTest::qWaitForWindowExposed(platform.window());
  }
  ~ShownWindow() { platform.detach(); }
  // False, and the benchmark skipped, when the window never came up.
  bool ready(benchmark::State& state) const {
    if (!exposed) state.SkipWithError("the window was never shown");
    return exposed;
  }

  MemorySettingsStore settings;
  qt::QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
  bool exposed = false;
};

void FillInWindow(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  prepare(*window.dialog);
  fill(state, *window.dialog);
}
BENCHMARK(FillInWindow)->Unit(benchmark::kMillisecond);

// Stopped from a timer that runs at each dispatch, so up to one dispatch (5 ms) of candidates
// beyond the budget: the time per candidate is the figure to compare.
void LongFillInWindow(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  prepareLong(*window.dialog);
  std::uint64_t budget = 0;
  MainDialog& d = *window.dialog;
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&d, &budget] {
    if (d.candidatesTested >= budget) d.searchState = SearchCancelled;
  });
  check.start(0);
  longFill(state, *window.dialog, [&budget](std::uint64_t until) { budget = until; });
}
BENCHMARK(LongFillInWindow)->Unit(benchmark::kMillisecond)->Iterations(2);

// The two fills in turn, in blocks (long enough for the window's dispatches to keep their
// pace), so that a machine whose speed drifts weighs on both alike; the ratio of each pair of
// blocks is the figure to quote. Wall time counts the window system's work too; the process's
// CPU time shows what a loaded machine adds by making it wait.
using Clock = std::chrono::steady_clock;

double processCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Ratios {
  struct Times {
    double wall = 0;   // ms
    double cpu = 0;    // ms
    double units = 1;  // fills or candidates done
  };
  std::vector<Times> headless;
  std::vector<Times> window;

  template <class Run>
  static Times time(Run run) {
    const Clock::time_point start = Clock::now();
    const double cpu = processCpuMs();
    const double units = run();
    return {std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
            processCpuMs() - cpu, units};
  }
  // headless: its wall time a unit, in unit_name
  void report(benchmark::State& state, const char* unitName, double scale) {
    const auto median = [](std::vector<double> v) {
      std::sort(v.begin(), v.end());
      return v[v.size() / 2];
    };
    std::vector<double> h;
    std::vector<double> wall;
    std::vector<double> cpu;
    for (std::size_t i = 0; i < headless.size(); ++i) {
      const Times& a = headless[i];
      const Times& b = window[i];
      h.push_back(a.wall / a.units * scale);
      wall.push_back((b.wall / b.units) / (a.wall / a.units));
      cpu.push_back((b.cpu / b.units) / (a.cpu / a.units));
    }
    state.counters[unitName] = median(h);
    state.counters["ratio"] = median(wall);
    state.counters["ratio_cpu"] = median(cpu);
    std::sort(wall.begin(), wall.end());
    state.counters["ratio_min"] = wall.front();
    state.counters["ratio_max"] = wall.back();
  }
};

void FillInWindowOverHeadless(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  HeadlessDialog<> alone;
  MainDialog& headless = *alone.dialog;
  prepare(headless);
  prepare(*window.dialog);
  const auto block = [](MainDialog& dialog) {
    return Ratios::time([&dialog] {
      constexpr int Fills = 20;
      for (int i = 0; i < Fills; ++i) {
        dialog.slots.markStale();
        dialog.RunSearch();
      }
      return Fills;
    });
  };
  Ratios ratios;
  for (auto _ : state) {
    ratios.headless.push_back(block(headless));
    ratios.window.push_back(block(*window.dialog));
  }
  ratios.report(state, "headless_ms", 1);
}
BENCHMARK(FillInWindowOverHeadless)->Unit(benchmark::kMillisecond)->Iterations(40);

// The long fill in turn, 20 million candidates each; the window's stopped from a timer at its
// dispatches, so a little later: the time per candidate is compared.
void LongFillInWindowOverHeadless(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  HeadlessDialog<> alone;
  MainDialog& headless = *alone.dialog;
  prepareLong(headless);
  prepareLong(*window.dialog);
  std::uint64_t budget = 0;
  const auto stop = [&budget](MainDialog& dialog) {
    if (dialog.candidatesTested >= budget) dialog.searchState = SearchCancelled;
  };
  alone.platform.pumpHook = [&] { stop(headless); };
  QTimer check;
  QObject::connect(&check, &QTimer::timeout, [&] { stop(*window.dialog); });
  check.start(0);
  const auto run = [&budget](MainDialog& dialog) {
    return Ratios::time([&] {
      const std::uint64_t before = dialog.candidatesTested;
      budget = before + 20'000'000;
      dialog.slots.markStale();
      dialog.RunSearch();
      return static_cast<double>(dialog.candidatesTested - before);
    });
  };
  Ratios ratios;
  for (auto _ : state) {
    ratios.headless.push_back(run(headless));
    ratios.window.push_back(run(*window.dialog));
  }
  ratios.report(state, "headless_ns", 1e6);  // a candidate
}
BENCHMARK(LongFillInWindowOverHeadless)->Unit(benchmark::kMillisecond)->Iterations(6);

// Clicks posted from another thread, as the window system's input arrives, during a long
// search; the delay is taken from the post to the start of the handling (the button's pressed
// signal). Show result: 100 clicks 10 to 30 ms apart in one search. Search: 100 searches, each
// stopped by one click 20 to 60 ms after it began.
void reportDelays(benchmark::State& state, std::vector<double> delays) {
  std::sort(delays.begin(), delays.end());
  const auto at = [&delays](double q) {
    return delays[static_cast<std::size_t>(q * static_cast<double>(delays.size() - 1))];
  };
  state.counters["clicks"] = static_cast<double>(delays.size());
  state.counters["min_ms"] = delays.front();
  state.counters["p50_ms"] = at(0.5);
  state.counters["p90_ms"] = at(0.9);
  state.counters["p99_ms"] = at(0.99);
  state.counters["max_ms"] = delays.back();
  std::printf("delays (ms):");
  for (const double d : delays) std::printf(" %.2f", d);
  std::printf("\n");
}

// When the last click was posted, written by the clicking thread.
std::atomic<Clock::rep> posted{0};

void notePosted() { posted = Clock::now().time_since_epoch().count(); }

double msSincePosted() {
  return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch() -
                                                   Clock::duration(posted.load()))
      .count();
}

void ClickDelayShowResult(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  prepareLong(*window.dialog);
  auto* button = qobject_cast<QPushButton*>(window.platform.window()->control(IdShowResult));
  std::vector<double> delays;
  for (auto _ : state) {
    std::atomic<bool> started = false;
    QObject::connect(button, &QAbstractButton::pressed, button,
                     [&delays] { delays.push_back(msSincePosted()); });
    QTimer begin;  // the clicks start once the search runs
    begin.setSingleShot(true);
    QObject::connect(&begin, &QTimer::timeout, [&started] { started = true; });
    begin.start(0);
    std::thread user([&] {
      while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::mt19937 random(3);
      std::uniform_int_distribution<int> pause(10, 30);
      for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        notePosted();
        QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      QMetaObject::invokeMethod(
          window.platform.window(), [&window] { window.dialog->searchState = SearchCancelled; },
          Qt::QueuedConnection);
    });
    window.dialog->slots.markStale();
    window.dialog->RunSearch();
    user.join();
    QObject::disconnect(button, &QAbstractButton::pressed, nullptr, nullptr);
  }
  reportDelays(state, delays);
}
BENCHMARK(ClickDelayShowResult)->Unit(benchmark::kMillisecond)->Iterations(1);

void ClickDelaySearch(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  prepareLong(*window.dialog);
  auto* button = qobject_cast<QPushButton*>(window.platform.window()->control(IdSearch));
  std::vector<double> delays;
  QObject::connect(button, &QAbstractButton::pressed, button, [&delays, &window] {
    if (window.dialog->searchState == SearchRunning) delays.push_back(msSincePosted());
  });
  for (auto _ : state) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> pause(20, 60);
    for (int i = 0; i < 100; ++i) {
      std::atomic<bool> started = false;
      QTimer begin;
      begin.setSingleShot(true);
      QObject::connect(&begin, &QTimer::timeout, [&started] { started = true; });
      begin.start(0);
      const int wait = pause(random);
      std::thread user([&] {
        while (!started) std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        notePosted();
        QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
      });
      window.dialog->slots.markStale();
      window.dialog->RunSearch();  // returns once the click stopped it
      user.join();
    }
  }
  reportDelays(state, delays);
}
BENCHMARK(ClickDelaySearch)->Unit(benchmark::kMillisecond)->Iterations(1);

// The parts of the window's extra time: one call of the pump (a dispatch only every 5 ms), one
// cell drawn at once with its pump.
void WindowPumpOnly(benchmark::State& state) {
  ShownWindow window;
  window.dialog->OnInitDialog();
  for (auto _ : state) window.platform.pumpMessages();
}
BENCHMARK(WindowPumpOnly);

void WindowDrawAndPump(benchmark::State& state) {
  ShownWindow window;
  if (!window.ready(state)) return;
  MainDialog* dialog = window.dialog.get();
  dialog->OnInitDialog();
  dialog->grid.makeOpen(0);
  // A letter placed and taken back, as a search does.
  for (auto _ : state) {
    NodeBox& cell = dialog->grid.cellAt(0);
    cell.str = cell.str.empty() ? "\x83\x41" : "";  // ア
    dialog->drawCellNow(0);
    window.platform.pumpMessages();
  }
}
BENCHMARK(WindowDrawAndPump);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  qt::QtShell shell;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
