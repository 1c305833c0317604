// The same fill in the window and headless: a 9 by 9 newspaper-style grid (symmetric, no two
// blocks side by side) over 100,000 random katakana words of two to five letters. Every
// candidate pumps the window's messages and every placed word is drawn at once, as in use.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

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

void FillHeadless(benchmark::State& state) {
  std::FILE* quiet = std::fopen("/dev/null", "w");
  CountingPlatform platform(quiet);
  MemorySettingsStore settings;
  auto dialog = std::make_unique<MainDialog>(platform, settings);
  prepare(*dialog);
  platform.pumps = 0;
  platform.drawn = 0;
  fill(state, *dialog);
  state.counters["pumps"] =
      benchmark::Counter(static_cast<double>(platform.pumps), benchmark::Counter::kAvgIterations);
  state.counters["drawn"] =
      benchmark::Counter(static_cast<double>(platform.drawn), benchmark::Counter::kAvgIterations);
  dialog.reset();
  std::fclose(quiet);
}
BENCHMARK(FillHeadless)->Unit(benchmark::kMillisecond);

// The main window on the screen, as the program shows it.
struct ShownWindow {
  ShownWindow() : dialog(std::make_unique<MainDialog>(platform, settings)) {
    platform.attach(*dialog);
    platform.window()->show();
    exposed = QTest::qWaitForWindowExposed(platform.window());
  }
  ~ShownWindow() { platform.detach(); }

  MemorySettingsStore settings;
  qt::QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
  bool exposed = false;
};

void FillInWindow(benchmark::State& state) {
  ShownWindow window;
  if (!window.exposed) {
    state.SkipWithError("the window was never shown");
    return;
  }
  prepare(*window.dialog);
  fill(state, *window.dialog);
}
BENCHMARK(FillInWindow)->Unit(benchmark::kMillisecond);

// The parts of the window's extra time: one pump with nothing pending, one cell drawn at once
// and brought to the screen by the next pump.
void WindowPumpOnly(benchmark::State& state) {
  ShownWindow window;
  window.dialog->OnInitDialog();
  for (auto _ : state) window.platform.pumpMessages();
}
BENCHMARK(WindowPumpOnly);

void WindowDrawAndPump(benchmark::State& state) {
  MemorySettingsStore settings;
  qt::QtPlatform platform;
  auto dialog = std::make_unique<MainDialog>(platform, settings);
  platform.attach(*dialog);
  platform.window()->show();
  (void)QTest::qWaitForWindowExposed(platform.window());
  dialog->OnInitDialog();
  dialog->grid.makeOpen(0);
  dialog->grid.cellAt(0).str = "A";  // ア
  for (auto _ : state) {
    dialog->drawCellNow(0);
    platform.pumpMessages();
  }
  platform.detach();
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
