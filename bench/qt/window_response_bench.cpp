// How soon the window answers a button pressed during a long search: a 5 by 5 open grid over
// 20,000 random five-letter katakana words, which has no fill for far longer than a run here.
// Each figure is the latency of one press, as manual time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/main_dialog.h"
#include "app/memory_settings_store.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/qt_shell.h"

namespace {

using namespace vexilo;

constexpr int PressAfterMs = 100;  // into the search

const std::string& dictionaryPath() {
  static const std::string path = [] {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "vexilo_window_response_bench.dic";
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

struct ShownWindow {
  ShownWindow() : dialog(std::make_unique<MainDialog>(platform, settings)) {
    platform.attach(*dialog);
    platform.window()->show();
    exposed = QTest::qWaitForWindowExposed(platform.window());
    dialog->OnInitDialog();
    for (int r = 0; r < 5; ++r) {
      for (int c = 0; c < 5; ++c) dialog->grid.makeOpen(r * GridSize + c);
    }
    platform.setControlText(IdDicPath1, dictionaryPath());
    for (int id : {IdEnabled1, IdEnabled2, IdEnabled3}) platform.setChecked(id, id == IdEnabled1);
  }
  ~ShownWindow() { platform.detach(); }

  void click(int id) {
    QTest::mouseClick(qobject_cast<QPushButton*>(platform.window()->control(id)), Qt::LeftButton);
  }

  MemorySettingsStore settings;
  qt::QtPlatform platform;
  std::unique_ptr<MainDialog> dialog;
  bool exposed = false;
};

// From the moment 結果表示 is due until its handler has run, inside the search.
void ShowResultDuringSearch(benchmark::State& state) {
  ShownWindow window;
  if (!window.exposed) return state.SkipWithError("the window was never shown");
  for (auto _ : state) {
    window.dialog->slots.markStale();
    QElapsedTimer clock;
    qint64 handled = -1;
    QTimer show;
    show.setTimerType(Qt::PreciseTimer);
    show.setSingleShot(true);
    QObject::connect(&show, &QTimer::timeout, [&] {
      window.click(IdShowResult);
      handled = clock.nsecsElapsed();
      window.click(IdSearch);  // stops it
    });
    clock.start();
    show.start(PressAfterMs);
    window.click(IdSearch);
    if (handled < 0) return state.SkipWithError("the search ended before the press");
    state.SetIterationTime(static_cast<double>(handled - PressAfterMs * 1000000LL) / 1e9);
  }
}
BENCHMARK(ShowResultDuringSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// From 検索 pressed during the search until the search has returned.
void StopDuringSearch(benchmark::State& state) {
  ShownWindow window;
  if (!window.exposed) return state.SkipWithError("the window was never shown");
  for (auto _ : state) {
    window.dialog->slots.markStale();
    QElapsedTimer clock;
    qint64 pressed = -1;
    QTimer::singleShot(PressAfterMs, [&] {
      pressed = clock.nsecsElapsed();
      window.click(IdSearch);
    });
    clock.start();
    window.click(IdSearch);
    const qint64 ended = clock.nsecsElapsed();
    if (pressed < 0) return state.SkipWithError("the search ended before the press");
    state.SetIterationTime(static_cast<double>(ended - pressed) / 1e9);
  }
}
BENCHMARK(StopDuringSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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
